// Zuveghar's rations: three observations (u, w, s) of two rations and the increase they
// bring, and a question (u4, w4) answered by the plane through the observations.

#include <array>

#include "hall/hall_puzzle.h"
#include "core/cp1250.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

struct RationStep {
  std::string_view keyword;
  std::size_t offset;  // from the keyword's start to the number
  bool readsNumber;    // false: the next search starts at this keyword
};

constexpr auto kDailyRation = Cp1250(u8"napi fejadagként");
constexpr auto kInCaseOf = Cp1250(u8"esetén");
constexpr auto kAtRationComma = Cp1250(u8"fejadagnál,");
constexpr auto kAnimal = Cp1250(u8"állatot");
constexpr auto kAtRation = Cp1250(u8"fejadagnál");
constexpr auto kPerhaps = Cp1250(u8"Talán");
constexpr auto kAnd = Cp1250(u8"és ");

// Each keyword is searched from the reading position of the number before it. The
// "Zuveghar" after "Talán" is the one in the question, not the professor's name.
constexpr RationStep kSteps[] = {
    {kDailyRation, 17, true},     // u1
    {"napi", 5, true},            // w1
    {"szaporulat", 11, true},     // s1
    {kInCaseOf, 7, true},         // u2
    {kAtRationComma, 12, true},   // w2
    {"szaporulat", 11, true},     // s2
    {kAnimal, 8, true},           // u3
    {kAtRation, 11, true},        // w3
    {"milgandokkal,", 14, true},  // s3
    {kPerhaps, 0, false},         // the question
    {"Zuveghar", 9, true},        // u4
    {kAnd, 3, true},              // w4
};
static_assert(kDailyRation.view().size() == 16 && kAtRationComma.view().size() == 11);

}  // namespace

bool HallPuzzle::SolveRationPuzzle() {
  const RiddleText riddle = Text();
  std::array<int32_t, 11> v{};
  std::size_t count = 0;
  std::size_t pos = riddle.start;
  for (const RationStep& step : kSteps) {
    if (!step.readsNumber) {
      pos = Find(riddle.text, step.keyword, pos);
      if (pos == kNpos) return false;
      continue;
    }
    pos = ReadAfterKeyword(riddle.text, pos, step.keyword, step.offset, &v[count]);
    if (pos == kNpos) return false;
    ++count;
  }
  const auto [u1, w1, s1, u2, w2, s2, u3, w3, s3, u4, w4] = v;

  // X and Y are the plane's increase per unit of w and of u, each truncated before use.
  const int32_t du2 = WrapSub(u2, u1);
  const int32_t du3 = WrapSub(u3, u1);
  const int32_t xDivisor = WrapSub(WrapMul(WrapSub(w3, w1), du2), WrapMul(WrapSub(w2, w1), du3));
  if (xDivisor == 0 || du2 == 0) return false;
  const int32_t xDividend = WrapSub(WrapMul(WrapSub(s3, s1), du2), WrapMul(WrapSub(s2, s1), du3));
  const int32_t x = WrapDiv(xDividend, xDivisor);
  const int32_t y = WrapDiv(WrapSub(WrapSub(s2, s1), WrapMul(x, WrapSub(w2, w1))), du2);
  number = WrapAdd(WrapAdd(s1, WrapMul(x, WrapSub(w4, w1))), WrapMul(y, WrapSub(u4, u1)));
  return true;
}

}  // namespace talvorix
