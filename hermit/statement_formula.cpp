#include "hermit/statement_formula.h"

namespace talvorix {
namespace {

bool IsSpeaker(int32_t x) { return x >= 0 && x < kSpeakerCount; }

/// Speaker x is truthful; empty for a value that names no speaker.
TruthSet T(int32_t x) { return IsSpeaker(x) ? Variable(x) : TruthSet{}; }

/// Speaker x is a liar; empty for a value that names no speaker.
TruthSet L(int32_t x) { return IsSpeaker(x) ? Variable(x + kSpeakerCount) : TruthSet{}; }

}  // namespace

TruthSet Same(int32_t x, int32_t y) { return Or(And(T(x), T(y)), And(L(x), L(y))); }

TruthSet Differ(int32_t x, int32_t y) { return Or(And(T(x), L(y)), And(L(x), T(y))); }

TruthSet StatementFormula(const Statement& statement, int32_t speaker) {
  const int32_t a = speaker;
  const int32_t s1 = statement.speaker1;
  const int32_t s2 = statement.speaker2;
  TruthSet formula;
  // The argument order fixes the row order, which the result table shows.
  switch (statement.kind) {
    case kHeard:
      if (statement.heardLies == 0) {
        formula = Or(And(L(a), Differ(s1, s2)), And(T(a), Same(s1, s2)));
      } else {
        formula = Or(And(T(a), Differ(s1, s2)), And(L(a), Same(s1, s2)));
      }
      break;
    case kTellsTruth:
      formula = Or(And(T(a), T(s1)), And(L(a), L(s1)));
      break;
    case kLies:
      formula = Or(And(T(a), L(s1)), And(L(a), T(s1)));
      break;
    case kTruthTellerAmong:
      formula = Or(And(T(a), Or(T(s1), T(s2))), And(L(a), And(L(s1), L(s2))));
      break;
    case kAlwaysAgree:
      formula = Or(And(T(a), Same(s1, s2)), And(L(a), Differ(s1, s2)));
      break;
    case kAlwaysOpposite:
      formula = Or(And(L(a), Same(s1, s2)), And(T(a), Differ(s1, s2)));
      break;
    case kLiarAmong:
      formula = Or(And(T(a), Or(L(s1), L(s2))), And(L(a), And(T(s1), T(s2))));
      break;
    default:
      break;
  }
  if (statement.hint >= 0) formula = And(formula, Variable(statement.hint));
  return formula;
}

TruthSet PuzzleFormula(const std::array<Statement, kSpeakerCount>& statements) {
  TruthSet acc = StatementFormula(statements[0], 0);
  for (int32_t j = 1; j < kSpeakerCount; ++j)
    acc = And(acc, StatementFormula(statements[static_cast<std::size_t>(j)], j));
  return acc;
}

}  // namespace talvorix
