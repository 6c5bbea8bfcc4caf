#include "hall/riddle_reader.h"

namespace talvorix {

bool ReadIntegerAt(std::string_view text, std::size_t pos, int32_t* value) {
  if (pos >= text.size()) return false;
  const int32_t read = ReadLeadingInteger(text.substr(pos));
  if (read == 0 && text[pos] != '0') return false;
  *value = read;
  return true;
}

std::size_t ReadAfterKeyword(std::string_view text, std::size_t from, std::string_view keyword,
                             std::size_t offset, int32_t* value) {
  const std::size_t found = Find(text, keyword, from);
  if (found == kNpos) return kNpos;
  const std::size_t pos = StepForward(text, found, offset);
  if (!ReadIntegerAt(text, pos, value)) return kNpos;
  return pos;
}

std::size_t ReadBeforeKeyword(std::string_view text, std::size_t from, std::string_view keyword,
                              std::size_t back, int32_t* value) {
  const std::size_t found = Find(text, keyword, from);
  if (found == kNpos) return kNpos;
  const std::size_t blank = Find(text, " ", StepBack(found, back));
  if (blank == kNpos) return kNpos;
  const std::size_t pos = blank + 1;
  if (!ReadIntegerAt(text, pos, value)) return kNpos;
  return pos;
}

}  // namespace talvorix
