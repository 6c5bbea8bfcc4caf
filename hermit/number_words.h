#pragma once
// Numbers in the hermit's clues, written in digits or as Hungarian number words.

#include <cstdint>
#include <string_view>

namespace talvorix {

/// What ReadNumber gives when the text names no number.
inline constexpr int32_t kNoNumber = -1;

/// Reads a leading decimal integer (white space, sign, digits; 32-bit wrap-around);
/// failing that, a number word found anywhere in the text, the latest table row
/// present winning. Zero is read only from a text that starts with "0". Stops at
/// a NUL. Gives kNoNumber when nothing is recognised; a negative value otherwise
/// means a minus sign before digits.
int32_t ReadNumber(std::string_view text);

}  // namespace talvorix
