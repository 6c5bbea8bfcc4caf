// The number sequence: a list of integers after "számok:", and the number that follows.

#include <array>

#include "hall/hall_puzzle.h"
#include "hall/sequence_rules.h"
#include "core/cp1250.h"

namespace talvorix {
namespace {

constexpr auto kNumbers = Cp1250(u8"számok:");
static_assert(kNumbers.view().size() == 7);

/// Whether the number at pos is the list's last: a "." comes before the next ",", or no
/// "." follows at all but a "," does.
bool IsLastNumber(std::string_view text, std::size_t pos) {
  const std::size_t stop = Find(text, ".", pos);
  const std::size_t comma = Find(text, ",", pos);
  if (stop == kNpos) return comma != kNpos;
  return comma == kNpos || stop < comma;
}

}  // namespace

bool HallPuzzle::SolveSequencePuzzle() {
  const RiddleText riddle = Text();
  const std::string_view text = riddle.text;
  const std::size_t keyword = Find(text, kNumbers, riddle.start);
  if (keyword == kNpos) return false;

  std::array<int32_t, kMaxSequenceLength> list{};
  std::size_t count = 0;
  std::size_t pos = StepForward(text, keyword, kNumbers.view().size() + 1);
  for (bool last = false; !last;) {
    last = IsLastNumber(text, pos);
    int32_t value = 0;
    if (!ReadIntegerAt(text, pos, &value)) return false;
    // Every number, the last one too, needs a comma somewhere after it.
    const std::size_t comma = Find(text, ",", pos);
    if (comma == kNpos) return false;
    if (count == list.size()) return false;  // a longer list is not read
    list[count++] = value;
    pos = StepForward(text, comma, 2);  // the comma and one blank
  }

  number = PredictNextNumber(std::span<const int32_t>(list.data(), count)).value_or(kNoSolution);
  return true;
}

}  // namespace talvorix
