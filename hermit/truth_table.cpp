#include "hermit/truth_table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>

#include "core/cp1250.h"

namespace talvorix {
namespace {

constexpr std::string_view kValueLetters = "!IH!";  // indexed by the truth value
constexpr auto kAmbiguous = Cp1250(u8"Nem egyértelmű megoldás!");
constexpr auto kAnswerLine = Cp1250(u8"\nMegoldás : ");
constexpr auto kEllipsis = Cp1250(u8"…");
constexpr std::string_view kNoAnswer = "Nincs";

/// The longest answer the answer field holds whole.
constexpr std::size_t kAnswerRoom = std::tuple_size_v<decltype(PuzzleResult::answer)> - 1;

char ValueLetter(int32_t value) {
  if (value < 0 || static_cast<std::size_t>(value) >= kValueLetters.size()) return '!';
  return kValueLetters[static_cast<std::size_t>(value)];
}

}  // namespace

void WriteTruthTable(const SpeakerNames& names, const TruthSet& solutions,
                     const std::vector<int32_t>& numbers, PuzzleResult* result) {
  std::string answer;
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    if (k > 0) answer += ',';
    answer += numbers[k] < 0 ? std::string(kNoAnswer) : std::to_string(numbers[k]);
  }

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
