#pragma once
// Gathered Hall riddle buffers for tests, and what Solve makes of them.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "hall/hall_puzzle.h"
#include "tests/core/win1250.h"

namespace talvorix::hall_test {

using test::Win1250;

inline const std::string kSolvedTitle = Win1250(" Csarnok feladvány ");
inline const std::string kUnreadableTitle = Win1250(" Nem tudtam értelmezni ");
inline const std::string kNoRuleTitle = Win1250(" Nem találtam megoldást ");

/// The pattern with each '#' replaced by the next of the numbers.
inline std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> numbers) {
  std::string out;
  auto next = numbers.begin();
  for (const char c : pattern) {
    if (c == '#' && next != numbers.end()) {
      out += *next++;
    } else {
      out += c;
    }
  }
  return out;
}

/// A table row: the numbers that fill a riddle's pattern, and the answer ("?": unreadable).
struct NumbersCase {
  std::initializer_list<std::string_view> numbers;
  std::string_view answer;
};

/// What Solve returned and left in the result's fields.
struct Outcome {
  bool solved = false;
  std::string text, answer, title;
};

/// Solves a copy of `gathered` in a heap buffer of exactly its length, so that a read
/// past its end shows under the address sanitizer.
inline Outcome SolveBuffer(std::string_view gathered) {
  const auto buffer = std::make_unique<char[]>(gathered.size());
  if (!gathered.empty()) std::memcpy(buffer.get(), gathered.data(), gathered.size());
  HallPuzzle puzzle(std::string_view(buffer.get(), gathered.size()));
  Outcome out;
  out.solved = puzzle.Solve();
  out.text = FieldText(puzzle.result.text);
  out.answer = FieldText(puzzle.result.answer);
  out.title = FieldText(puzzle.result.title);
  return out;
}

/// A riddle (Windows-1250) as the scanner gathers it: words and a mark with its line's
/// blank before it, a mark and more words after it.
inline std::string Gathered(std::string_view riddle) {
  return Win1250("Megszólal egy ős szelleme:<BR> ") + std::string(riddle) + "<BR> " + Win1250("Mit felelsz? ");
}

/// Solves a UTF-8 riddle set between marks; the text field must hold exactly the riddle.
inline void ExpectOutcome(std::string_view utf8Riddle, std::string_view answer, std::string_view title,
                          bool solved) {
  const std::string riddle = Win1250(utf8Riddle);
  const Outcome out = SolveBuffer(Gathered(riddle));
  EXPECT_EQ(out.text, riddle);
  EXPECT_EQ(out.answer, answer);
  EXPECT_EQ(out.title, title);
  EXPECT_EQ(out.solved, solved);
}

/// As ExpectOutcome; an answer of "?" means the riddle was recognised but not read.
inline void ExpectAnswer(std::string_view utf8Riddle, std::string_view answer) {
  const bool unread = answer == "?";
  ExpectOutcome(utf8Riddle, answer, unread ? kUnreadableTitle : kSolvedTitle, !unread);
}

}  // namespace talvorix::hall_test
