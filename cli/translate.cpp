#include "cli/translate.h"

namespace talvorix {

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(pattern.size());
  const std::string_view* next = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 >= pattern.size()) {
      out.push_back(pattern[i]);
      continue;
    }
    const char what = pattern[++i];
    if (what == 's') {
      if (next != values.end()) out.append(*next++);
    } else if (what == '%') {
      out.push_back('%');
    } else {
      out.push_back('%');
      out.push_back(what);
    }
  }
  return out;
}

}  // namespace talvorix
