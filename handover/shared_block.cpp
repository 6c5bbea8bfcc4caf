#include "core/text.h"
#include "handover/handover.h"

namespace talvorix {

std::string_view SharedBlockPath(std::span<const char> block) {
  return UpToNul(std::string_view(block.data(), block.size()));
}

}  // namespace talvorix
