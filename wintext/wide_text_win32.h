#pragma once
// Text between Windows' 8-bit code pages and UTF-16, measured and converted in one
// place for the dialog and the command-line programs.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace talvorix {

/// 8-bit text in `codePage` as UTF-16; empty when it is empty or cannot be converted.
/// `flags` as MultiByteToWideChar takes them (MB_ERR_INVALID_CHARS refuses ill-formed
/// UTF-8 instead of replacing it).
std::wstring WideFrom(std::string_view text, UINT codePage, DWORD flags = 0);

/// UTF-16 text in `codePage`; nullopt when a character has no exact form there (no
/// "best fit" is taken; for UTF-8: a lone surrogate), since such text could not be
/// turned back. Empty text gives "".
std::optional<std::string> NarrowTo(std::wstring_view text, UINT codePage);

/// UTF-16 text in `codePage`, each character it lacks written as `substitute` (never
/// as a look-alike); empty when it cannot be converted. For showing only.
std::string NarrowShown(std::wstring_view text, UINT codePage, char substitute);

/// UTF-8 text as UTF-16; empty when it is empty or not well-formed UTF-8.
inline std::wstring WideFromUtf8(std::string_view utf8) { return WideFrom(utf8, CP_UTF8, MB_ERR_INVALID_CHARS); }

/// 8-bit text in the system's code page as UTF-8; nullopt when it cannot be converted.
std::optional<std::string> Utf8FromCodePage(std::string_view text);

}  // namespace talvorix
