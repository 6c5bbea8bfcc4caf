#pragma once
// Reading numbers and stepping between keywords inside a cut-out Hall riddle.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text.h"

namespace talvorix {

/// The gathered text from its start up to the riddle's terminator, and the offset at
/// which the riddle starts. Positions are offsets into `text`; the text before `start`
/// is what preceded the riddle in the gathered lines.
struct RiddleText {
  std::string_view text;
  std::size_t start = 0;
};

/// pos moved count characters forward; a step past the end stops at the end, where
/// no number is read and no keyword is found.
constexpr std::size_t StepForward(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos >= text.size()) return text.size();
  return count < text.size() - pos ? pos + count : text.size();
}

/// pos moved count characters back; a step before the start stops at the start.
constexpr std::size_t StepBack(std::size_t pos, std::size_t count) { return pos > count ? pos - count : 0; }

/// Reads the number at pos: white space, an optional sign, decimal digits, in wrapping
/// 32-bit arithmetic. It counts as read when it is not 0, or when the character at pos
/// itself is the digit zero. Leaves *value alone when nothing is read.
bool ReadIntegerAt(std::string_view text, std::size_t pos, int32_t* value);

/// Finds keyword at or after from and reads the number `offset` characters after the
/// keyword's start. Returns that reading position, or kNpos when the keyword is missing
/// or no number is read there.
std::size_t ReadAfterKeyword(std::string_view text, std::size_t from, std::string_view keyword,
                             std::size_t offset, int32_t* value);

/// Finds keyword at or after from, steps `back` characters back from its start, finds
/// the first blank at or after that point and reads the number right after the blank.
/// Returns that reading position (the blank is just before it), or kNpos.
std::size_t ReadBeforeKeyword(std::string_view text, std::size_t from, std::string_view keyword,
                              std::size_t back, int32_t* value);

}  // namespace talvorix
