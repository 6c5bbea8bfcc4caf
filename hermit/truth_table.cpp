#include "hermit/truth_table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>

#include "core/cp1250.h"

namespace talvorix {
namespace {

constexpr auto kAmbiguous = Cp1250(u8"Nem egyértelmű megoldás!");
constexpr auto kAnswerLine = Cp1250(u8"\nMegoldás : ");
constexpr auto kEllipsis = Cp1250(u8"…");
constexpr std::string_view kNoAnswer = "Nincs";

/// The longest answer the answer field holds whole.
constexpr std::size_t kAnswerRoom = std::tuple_size_v<decltype(PuzzleResult::answer)> - 1;

/// The letter of a truth value in the table: I for truthful, H for a liar, and '!'
/// for an undecided speaker, which a consistent assignment never has.
char ValueLetter(Truth value) {
  switch (value) {
    case Truth::kTruthful:
      return 'I';
    case Truth::kLiar:
      return 'H';
    case Truth::kUndecided:
      break;
  }
  return '!';
}

/// The numbers in row order, joined by commas; "Nincs" for a row without one.
std::string AnswerList(const std::vector<int32_t>& numbers) {
  std::string answer;
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    if (k > 0) answer += ',';
    answer += numbers[k] < 0 ? std::string(kNoAnswer) : std::to_string(numbers[k]);
  }
  return answer;
}

/// One line per speaker: the full name, then "  :  " or "  ,  " and a letter per
/// row; "Nem egyértelmű megoldás!" after them when there are several rows.
std::string TableText(const SpeakerNames& names, const TruthSet& solutions) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += names[i];
    for (std::size_t m = 0; m < solutions.rows.size(); ++m) {
      text += m == 0 ? "  :  " : "  ,  ";
      text += ValueLetter(solutions.rows[m][i]);
    }
    text += '\n';
  }
  if (solutions.rows.size() > 1) text += kAmbiguous;
  return text;
}

}  // namespace

void WriteTruthTable(const SpeakerNames& names, const TruthSet& solutions,
                     const std::vector<int32_t>& numbers, PuzzleResult* result) {
  const std::string answer = AnswerList(numbers);
  std::string text = TableText(names, solutions);
  if (answer.size() <= kAnswerRoom) {
    SetField(result->answer, answer);
  } else {
    // A cut list would read as a different answer: mark the cut and show it whole.
    std::string shown = answer.substr(0, kAnswerRoom - 1);
    shown += kEllipsis;
    SetField(result->answer, shown);
    text += kAnswerLine;
    text += answer;
  }
  SetField(result->text, text);
}

}  // namespace talvorix
