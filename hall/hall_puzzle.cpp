#include "hall/hall_puzzle.h"

#include <charconv>

#include "core/cp1250.h"
#include "core/text.h"

namespace talvorix {
namespace {

constexpr std::string_view kMark = "<BR>";
// The mark and the one character after it, the blank that ends the mark's line.
constexpr std::size_t kSkipAfterMark = 5;

constexpr std::string_view kNoAnswer = "?";
constexpr auto kTitleUnreadable = Cp1250(u8" Nem tudtam értelmezni ");
constexpr auto kTitleSolved = Cp1250(u8" Csarnok feladvány ");
constexpr auto kTitleNoRule = Cp1250(u8" Nem találtam megoldást ");

constexpr auto kOldPeasant = Cp1250(u8"egy öreg paraszt");
constexpr auto kProfessor = Cp1250(u8"Zuveghar professzor ");
constexpr auto kSequence = Cp1250(u8"számsor");

struct Kind {
  std::string_view keyword;
  bool nearStart;  // the first occurrence must start at the riddle's first or second character
  bool (HallPuzzle::*solve)();
  PuzzleKind kind;

  bool Matches(std::string_view riddle) const {
    return nearStart ? Find(riddle, keyword) <= 1 : Contains(riddle, keyword);
  }
};

// Every kind is tested, in this order; each success replaces the answer before it.
constexpr Kind kKinds[] = {
    {kOldPeasant, false, &HallPuzzle::SolveCompassPuzzle, PuzzleKind::kCompass},
    {"Tudjuk,", false, &HallPuzzle::SolvePurchasePuzzle, PuzzleKind::kPurchase},
    {kProfessor, false, &HallPuzzle::SolveRationPuzzle, PuzzleKind::kRation},
    {"Ha", true, &HallPuzzle::SolveProportionPuzzle, PuzzleKind::kProportion},
    {"alomban", false, &HallPuzzle::SolveLitterPuzzle, PuzzleKind::kLitter},
};

}  // namespace

HallPuzzle::HallPuzzle(std::string_view gathered) : text_(UpToNul(gathered)) {}

void HallPuzzle::SetOutcome(std::string_view answer, std::string_view title) {
  SetField(result.answer, answer);
  SetField(result.title, title);
  answered = answer != kNoAnswer;
}

void HallPuzzle::ShowNumber() {
  char digits[16];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
  static_cast<void>(ec);  // 16 characters always hold a 32-bit value
  SetOutcome(std::string_view(digits, static_cast<std::size_t>(end - digits)), kTitleSolved);
}

std::optional<std::string_view> HallPuzzle::CutRiddle() {
  const std::size_t mark = Find(text_, kMark);
  const std::size_t start = mark == kNpos ? kNpos : mark + kSkipAfterMark;
  const std::size_t end = start > text_.size() ? kNpos : Find(text_, kMark, start);
  if (end == kNpos) return std::nullopt;
  text_ = text_.substr(0, end);
  start_ = start;
  return text_.substr(start);
}

bool HallPuzzle::SolveMatchingKinds(std::string_view riddle) {
  for (const Kind& candidate : kKinds) {
    if (!candidate.Matches(riddle)) continue;
    kind = candidate.kind;
    if (!(this->*candidate.solve)()) return false;
    ShowNumber();
  }
  return true;
}

bool HallPuzzle::SolveSequenceKind() {
  kind = PuzzleKind::kSequence;
  if (!SolveSequencePuzzle()) return false;
  if (number == kNoSolution) {
    SetOutcome(kNoAnswer, kTitleNoRule);
    return true;
  }
  ShowNumber();
  return true;
}

bool HallPuzzle::Solve() {
  number = 0;
  kind = PuzzleKind::kUnknown;
  const std::optional<std::string_view> riddle = CutRiddle();
  if (!riddle) {  // the text lacks the marks around the riddle
    SetField(result.text, "");
    SetOutcome(kNoAnswer, kTitleUnreadable);
    return false;
  }
  SetField(result.text, *riddle);  // a riddle too long for the field is cut to fit
  SetOutcome(kNoAnswer, kTitleUnreadable);
  if (!SolveMatchingKinds(*riddle) || (Contains(*riddle, kSequence) && !SolveSequenceKind())) {
    SetOutcome(kNoAnswer, kTitleUnreadable);
    return false;
  }
  return true;
}

}  // namespace talvorix
