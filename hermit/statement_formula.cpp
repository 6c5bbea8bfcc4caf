#include "hermit/statement_formula.h"

namespace talvorix {
namespace {

/// Speaker x is truthful; empty for a value that names no speaker.
TruthSet T(int32_t x) { return Variable(x, Truth::kTruthful); }

/// Speaker x is a liar; empty for a value that names no speaker.
TruthSet L(int32_t x) { return Variable(x, Truth::kLiar); }

/// The formula of what `statement` says, made by speaker a, without its hint.
TruthSet KindFormula(const Statement& statement, int32_t a) {
  const int32_t s1 = statement.speaker1;
  const int32_t s2 = statement.speaker2;
  // The argument order fixes the row order, which the result table shows.
  switch (statement.kind) {
    case StatementKind::kHeard:
      if (!statement.heardLies) return Or(And(L(a), Differ(s1, s2)), And(T(a), Same(s1, s2)));
      return Or(And(T(a), Differ(s1, s2)), And(L(a), Same(s1, s2)));
    case StatementKind::kTellsTruth:
      return Or(And(T(a), T(s1)), And(L(a), L(s1)));
    case StatementKind::kLies:
      return Or(And(T(a), L(s1)), And(L(a), T(s1)));
    case StatementKind::kTruthTellerAmong:
      return Or(And(T(a), Or(T(s1), T(s2))), And(L(a), And(L(s1), L(s2))));
    case StatementKind::kAlwaysAgree:
      return Or(And(T(a), Same(s1, s2)), And(L(a), Differ(s1, s2)));
    case StatementKind::kAlwaysOpposite:
      return Or(And(L(a), Same(s1, s2)), And(T(a), Differ(s1, s2)));
    case StatementKind::kLiarAmong:
      return Or(And(T(a), Or(L(s1), L(s2))), And(L(a), And(T(s1), T(s2))));
  }
  return TruthSet{};  // a kind outside the list
}

}  // namespace

TruthSet Same(int32_t x, int32_t y) { return Or(And(T(x), T(y)), And(L(x), L(y))); }

TruthSet Differ(int32_t x, int32_t y) { return Or(And(T(x), L(y)), And(L(x), T(y))); }

TruthSet StatementFormula(const Statement& statement, int32_t speaker) {
  TruthSet formula = KindFormula(statement, speaker);
  const Hint& hint = statement.hint;
  if (hint.speaker >= 0) formula = And(formula, Variable(hint.speaker, hint.value));
  return formula;
}

TruthSet PuzzleFormula(const std::array<Statement, kSpeakerCount>& statements) {
  TruthSet acc = StatementFormula(statements[0], 0);
  for (int32_t j = 1; j < kSpeakerCount; ++j)
    acc = And(acc, StatementFormula(statements[static_cast<std::size_t>(j)], j));
  return acc;
}

}  // namespace talvorix
