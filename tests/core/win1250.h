#pragma once
// The one way tests write Windows-1250 text: UTF-8 in the source, converted here.

#include <string>
#include <string_view>

#include "core/cp1250.h"

namespace talvorix::test {

/// UTF-8 test text as Windows-1250 bytes. Every character must exist in Windows-1250;
/// a test that uses one that does not stops here rather than testing other bytes.
inline std::string Win1250(std::string_view utf8) { return Utf8ToCp1250(utf8).value(); }

inline std::string Win1250(std::u8string_view utf8) {
  return Win1250(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace talvorix::test
