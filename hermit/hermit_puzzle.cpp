#include "hermit/hermit_puzzle.h"

#include <string>
#include <vector>

#include "hermit/number_words.h"
#include "hermit/statement_formula.h"
#include "hermit/truth_table.h"
#include "core/cp1250.h"
#include "core/text.h"

namespace talvorix {
namespace {

constexpr auto kHeader = Cp1250(u8"A választ öt");
constexpr auto kSeveralAnswers = Cp1250(u8"több lehetséges válasz is van");
constexpr std::string_view kInOrder = "sorban a";
constexpr std::string_view kListItem = "egy ";
constexpr std::string_view kHermit = "remete";
constexpr auto kNotANumber = Cp1250(u8"\nNem tudtam számmá alakítani");
constexpr auto kNoStatement = Cp1250(u8"\nNem találom az állítását");
constexpr auto kSpeakerClueUnread = Cp1250(u8"\nNem sikerult értelmezni /megoldas/");
constexpr auto kHermitClueUnread = Cp1250(u8"\nNem sikerult értelmezni /remete/");
constexpr auto kTitle = Cp1250(u8" Remete feladány ");
constexpr auto kSimpleKind = Cp1250(u8"Egyszerű remete feladvány");
constexpr auto kProbably = Cp1250(u8"Valószínűleg");
constexpr std::string_view kOfCourse = "Persze";
constexpr std::string_view kUnsolvable = "Nem lehet megoldani\nI/H ??";

/// What ends each name of the list "egy N0, egy N1, egy N2, egy N3 ... egy N4.".
constexpr std::string_view kNameEnds[kSpeakerCount] = {",", ",", ",", " ", "."};

/// pos + step, or the end of the text when that lies beyond it.
std::size_t Advance(std::string_view text, std::size_t pos, std::size_t step) {
  return step <= text.size() - pos ? pos + step : text.size();
}

}  // namespace

HermitPuzzle::HermitPuzzle(std::string_view text) : text_(UpToNul(text)) {}

bool HermitPuzzle::Fail(std::string_view message) {
  SetField(result.text, message);
  return false;
}

bool HermitPuzzle::Fail(std::string_view first, std::string_view second) {
  std::string message(first);
  message += second;
  return Fail(message);
}

bool HermitPuzzle::Solve() {
  std::string_view kindWord;
  std::size_t pos = 0;
  if (!ReadHeader(text_, &kindWord, &pos)) return false;
  if (!ReadNameList(text_, kindWord, &pos)) return false;
  if (!ReadWantedOrdinal(text_, &pos)) return false;
  int32_t unrecognised = 0;
  if (!ReadSpeakers(text_, &pos, &unrecognised)) return false;
  std::string_view hermitClue;
  if (!ReadHermitClue(text_, pos, &hermitClue)) return false;

  if (unrecognised == kSpeakerCount) {
    kind = PuzzleKind::kHermit;
    SetField(result.answer, std::to_string(SolveNumberClues(clues_, wantedOrdinal_)));
    SetField(result.text, kSimpleKind);
    return true;
  }
  if (unrecognised != 0) return Fail(std::to_string(unrecognised));
  kind = PuzzleKind::kTruthTeller;
  return SolveTruthTellers(hermitClue);
}

bool HermitPuzzle::ReadHeader(std::string_view text, std::string_view* kindWord, std::size_t* pos) {
  const std::size_t header = Find(text, kHeader);
  if (header == kNpos) return Fail(kHeader);
  // The kind word starts one character after the phrase, past its blank.
  const std::size_t begin = Advance(text, header, kHeader.view().size() + 1);
  const std::size_t end = Find(text, " ", begin);
  if (end == kNpos) return Fail(" ");
  *kindWord = text.substr(begin, end - begin);
  *pos = end;
  return true;
}

bool HermitPuzzle::ReadNameList(std::string_view text, std::string_view kindWord,
                                std::size_t* pos) {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::size_t item = Find(text, kListItem, *pos);
    if (item == kNpos) return Fail("egy");
    const std::size_t begin = SkipBlanks(text, item + kListItem.size());
    const std::size_t end = Find(text, kNameEnds[i], begin);
    if (end == kNpos) return Fail(kNameEnds[i]);
    names_[i].assign(text.substr(begin, end - begin));
    names_[i] += ' ';
    names_[i] += kindWord;
    *pos = end;
  }
  return true;
}

bool HermitPuzzle::ReadWantedOrdinal(std::string_view text, std::size_t* pos) {
  wantedOrdinal_ = 1;
  const std::size_t several = Find(text, kSeveralAnswers, *pos);
  if (several == kNpos) return true;
  const std::size_t inOrder = Find(text, kInOrder, several);
  if (inOrder == kNpos) return Fail(kInOrder);
  // One character after "sorban a" is stepped over whatever it is ("sorban az első").
  const std::size_t begin = SkipBlanks(text, Advance(text, inOrder, kInOrder.size() + 1));
  const std::size_t end = Find(text, " ", begin);
  if (end == kNpos) return Fail(" ");
  const std::string_view word = text.substr(begin, end - begin);
  const int32_t ordinal = ReadNumber(word);
  if (ordinal < 0) return Fail(word, kNotANumber);
  wantedOrdinal_ = ordinal;
  *pos = begin;
  return true;
}

bool HermitPuzzle::ReadSpeakers(std::string_view text, std::size_t* pos, int32_t* unrecognised) {
  for (int32_t j = 0; j < kSpeakerCount; ++j) {
    std::size_t clueEnd = 0;
    if (!ReadSpeakerClue(text, *pos, j, &clueEnd)) return false;
    const std::size_t statementBegin = clueEnd + 1;
    if (!ReadSpeakerStatement(text, statementBegin, j, unrecognised)) return false;
    // The next speaker is looked for from the start of this statement, which may name him.
    *pos = statementBegin;
  }
  return true;
}

bool HermitPuzzle::ReadSpeakerClue(std::string_view text, std::size_t pos, int32_t j,
                                   std::size_t* clueEnd) {
  const std::string& name = names_[static_cast<std::size_t>(j)];
  const std::size_t at = Find(text, name, pos);
  if (at == kNpos) return Fail(name, kNoStatement);
  const std::size_t colon = Find(text, ":", at);
  if (colon == kNpos) return Fail(":");
  const std::size_t clueBegin = SkipBlanks(text, colon + 1);
  *clueEnd = Find(text, ".", clueBegin);
  if (*clueEnd == kNpos) return Fail(".");
  const std::string_view clue = text.substr(clueBegin, *clueEnd - clueBegin);
  if (!ParseNumberClue(clue, &clues_[static_cast<std::size_t>(j)]))
    return Fail(clue, kSpeakerClueUnread);
  return true;
}

bool HermitPuzzle::ReadSpeakerStatement(std::string_view text, std::size_t begin, int32_t j,
                                        int32_t* unrecognised) {
  const std::size_t end = Find(text, ".", begin);
  if (end == kNpos) return Fail(".");
  ++*unrecognised;
  if (!ReadStatementOf(text.substr(begin, end - begin), j)) return true;
  --*unrecognised;
  const std::size_t hintBegin = end + 1;
  const std::size_t hintEnd = Find(text, ".", hintBegin);
  if (hintEnd == kNpos) return Fail(".");
  ReadHint(text.substr(hintBegin, hintEnd - hintBegin), j);
  return true;
}

bool HermitPuzzle::ReadStatementOf(std::string_view sentence, int32_t j) {
  std::string_view failure;
  if (ReadStatement(sentence, names_, &statements_[static_cast<std::size_t>(j)], &failure))
    return true;
  if (!failure.empty()) Fail(failure);
  return false;
}

void HermitPuzzle::ReadHint(std::string_view sentence, int32_t j) {
  const int32_t named = FindFirstSpeaker(sentence, names_);
  if (named == kNoSpeaker) return;
  Hint& hint = statements_[static_cast<std::size_t>(j)].hint;
  if (Contains(sentence, kProbably)) hint = Hint{named, Truth::kTruthful};
  if (Contains(sentence, kOfCourse)) hint = Hint{named, Truth::kLiar};  // wins over kProbably
}

bool HermitPuzzle::ReadHermitClue(std::string_view text, std::size_t pos, std::string_view* clue) {
  const std::size_t hermit = Find(text, kHermit, pos);
  if (hermit == kNpos) return Fail(kHermit, kNoStatement);
  const std::size_t colon = Find(text, ":", hermit);
  if (colon == kNpos) return Fail(":");
  const std::size_t begin = SkipBlanks(text, colon + 1);
  const std::size_t end = Find(text, ".", begin);
  if (end == kNpos) return Fail(".");
  *clue = text.substr(begin, end - begin);
  SetField(result.text, "");
  SetField(result.title, kTitle);
  if (!ParseNumberClue(*clue, &clues_[kSpeakerCount])) return Fail(*clue, kHermitClueUnread);
  return true;
}

bool HermitPuzzle::SolveTruthTellers(std::string_view hermitClue) {
  solutions_.Assign(PuzzleFormula(statements_));
  if (solutions_.rows.empty()) return Fail(hermitClue, kUnsolvable);
  savedClues_ = clues_;
  std::vector<int32_t> numbers;
  numbers.reserve(solutions_.rows.size());
  for (const TruthRow& row : solutions_.rows) {
    clues_ = savedClues_;  // every assignment starts from the clues as read
    numbers.push_back(SolveNumberCluesFor(&clues_, row, wantedOrdinal_));
  }
  WriteTruthTable(names_, solutions_, numbers, &result);
  return true;
}

}  // namespace talvorix
