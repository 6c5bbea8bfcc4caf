#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

/// WideCharToMultiByte measured, then written: empty when it fails. An 8-bit code page
/// never writes a "best fit" in place of a character it lacks ("ő" as "o", a full-width
/// "／" as "/"): such a character counts as lost, so a name is refused rather than bent
/// into the name of another file.
std::string Narrow(std::wstring_view text, UINT codePage, DWORD flags, const char* substitute, BOOL* lossy) {
  if (codePage == CP_UTF8 || codePage == CP_UTF7) {
    substitute = nullptr;  // UTF-8 takes no default character (the call would fail)
  } else {
    flags |= WC_NO_BEST_FIT_CHARS;
  }
  const int wideLength = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, flags, text.data(), wideLength, nullptr, 0, substitute, lossy);
  if (length <= 0) return {};
  std::string narrow(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(codePage, flags, text.data(), wideLength, narrow.data(), length, substitute, nullptr) != length)
    return {};
  return narrow;
}

}  // namespace

std::wstring WideFrom(std::string_view text, UINT codePage, DWORD flags) {
  if (text.empty()) return {};
  const int narrowLength = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, flags, text.data(), narrowLength, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(codePage, flags, text.data(), narrowLength, wide.data(), length) != length) return {};
  return wide;
}

std::optional<std::string> NarrowTo(std::wstring_view text, UINT codePage) {
  if (text.empty()) return std::string();
  // UTF-8 reports a character it cannot hold (a lone surrogate) as an error rather than
  // through the default-character flag, which it does not take.
  const bool utf8 = codePage == CP_UTF8;
  BOOL lossy = FALSE;
  std::string narrow = Narrow(text, codePage, utf8 ? WC_ERR_INVALID_CHARS : 0, nullptr, utf8 ? nullptr : &lossy);
  if (narrow.empty() || lossy) return std::nullopt;
  return narrow;
}

std::string NarrowShown(std::wstring_view text, UINT codePage, char substitute) {
  if (text.empty()) return {};
  const char substitutes[2] = {substitute, '\0'};
  return Narrow(text, codePage, 0, substitutes, nullptr);
}

std::optional<std::string> Utf8FromCodePage(std::string_view text) {
  if (text.empty()) return std::string();
  const std::wstring wide = WideFrom(text, CP_ACP, MB_ERR_INVALID_CHARS);
  if (wide.empty()) return std::nullopt;
  return NarrowTo(wide, CP_UTF8);
}

}  // namespace talvorix
