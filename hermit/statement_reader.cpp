#include "hermit/statement_reader.h"

#include <cstddef>

#include "core/cp1250.h"
#include "core/text.h"

namespace talvorix {
namespace {

constexpr auto kOppositePhrase = Cp1250(u8"állításai mindig ellentétesek");
constexpr auto kTruthAmongPhrase = Cp1250(u8"között van igazmondó");
constexpr auto kAgreePhrase = Cp1250(u8"mindig egyetértenek");
constexpr auto kLiarAmongPhrase = Cp1250(u8"között van hazudós");
constexpr std::string_view kHeardWord = "hallotta";
constexpr std::string_view kTellsTruthWords = "igazat mond";
constexpr std::string_view kLiesWord = "hazudik";

constexpr auto kOppositeMissing = Cp1250(u8"Hibás mondat : \nállításai mindig ellentétesek");
constexpr auto kTellsTruthMissing = Cp1250(u8"Hibás mondat : \nigazat mond");
constexpr auto kLiesMissing = Cp1250(u8"Hibás mondat : \nhazudik");
constexpr auto kAgreeMissing = Cp1250(u8"Hibás mondat : \nmindig egyetértenek");
constexpr auto kHeardMissing = Cp1250(u8"Hibás mondat : \nhallotta");
// The message for a missing first speaker carries a stray "á"; it is kept byte for byte.
constexpr auto kTruthAmongFirstMissing = Cp1250(u8"Hibás mondat : \náközött van igazmondó");
constexpr auto kTruthAmongSecondMissing = Cp1250(u8"Hibás mondat : \nközött van igazmondó");
constexpr auto kLiarAmongMissing = Cp1250(u8"Hibás mondat : \nközött van hazudós");
constexpr std::string_view kHeardWhatMissing = "Hiba a hallotta mondatban";

struct StatementPhrase {
  std::string_view phrase;
  bool unlessHeard;  ///< the phrase does not count in a sentence that holds "hallotta"
  StatementKind kind;
  std::string_view firstMissing;   ///< message when no speaker is named
  std::string_view secondMissing;  ///< message when no second speaker is named; empty: one speaker
};

// Every row is tried; a later match overwrites an earlier one, so the last match decides.
constexpr StatementPhrase kStatementPhrases[] = {
    {kOppositePhrase, false, StatementKind::kAlwaysOpposite, kOppositeMissing, kOppositeMissing},
    {kTellsTruthWords, true, StatementKind::kTellsTruth, kTellsTruthMissing, {}},
    {kLiesWord, true, StatementKind::kLies, kLiesMissing, {}},
    {kAgreePhrase, false, StatementKind::kAlwaysAgree, kAgreeMissing, kAgreeMissing},
    {kHeardWord, false, StatementKind::kHeard, kHeardMissing, kHeardMissing},
    {kTruthAmongPhrase, false, StatementKind::kTruthTellerAmong, kTruthAmongFirstMissing,
     kTruthAmongSecondMissing},
    {kLiarAmongPhrase, false, StatementKind::kLiarAmong, kLiarAmongMissing, kLiarAmongMissing},
};

/// Reads the speakers that `row` names into *statement; false with the row's message
/// in *failure when one is missing.
bool ReadNamedSpeakers(std::string_view sentence, const SpeakerNames& names,
                       const StatementPhrase& row, Statement* statement,
                       std::string_view* failure) {
  statement->speaker1 = FindFirstSpeaker(sentence, names);
  if (statement->speaker1 == kNoSpeaker) {
    *failure = row.firstMissing;
    return false;
  }
  if (row.secondMissing.empty()) return true;
  // The second speaker is the one named first after the start of the first one's name.
  const std::size_t first = Find(sentence, names[static_cast<std::size_t>(statement->speaker1)]);
  statement->speaker2 = FindFirstSpeaker(sentence.substr(first + 1), names);
  if (statement->speaker2 == kNoSpeaker) {
    *failure = row.secondMissing;
    return false;
  }
  return true;
}

/// What a "hallotta" sentence says the heard speaker does: *heardLies is written
/// only when the sentence says he tells the truth or lies.
bool ReadWhatWasHeard(std::string_view sentence, bool* heardLies) {
  if (Contains(sentence, kTellsTruthWords)) {
    *heardLies = false;
    return true;
  }
  if (Contains(sentence, kLiesWord)) {
    *heardLies = true;
    return true;
  }
  return false;
}

/// Writes the statement of a matching row; false with the message in *failure when
/// the sentence lacks what the row needs (*statement partly written).
bool ReadPhrase(std::string_view sentence, const SpeakerNames& names, const StatementPhrase& row,
                Statement* statement, std::string_view* failure) {
  statement->kind = row.kind;
  if (!ReadNamedSpeakers(sentence, names, row, statement, failure)) return false;
  if (row.kind != StatementKind::kHeard) {
    statement->heardLies = false;
  } else if (!ReadWhatWasHeard(sentence, &statement->heardLies)) {
    *failure = kHeardWhatMissing;
    return false;
  }
  statement->hint = Hint{};
  return true;
}

}  // namespace

int32_t FindFirstSpeaker(std::string_view s, const SpeakerNames& names) {
  int32_t best = kNoSpeaker;
  std::size_t bestPos = s.size();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::size_t pos = Find(s, names[i]);
    if (pos != kNpos && pos < bestPos) {  // strictly earlier: a tie keeps the lower index
      bestPos = pos;
      best = static_cast<int32_t>(i);
    }
  }
  return best;
}

bool ReadStatement(std::string_view sentence, const SpeakerNames& names, Statement* statement,
                   std::string_view* failure) {
  *failure = {};
  sentence = UpToNul(sentence);
  const bool heard = Contains(sentence, kHeardWord);
  bool recognised = false;
  for (const StatementPhrase& row : kStatementPhrases) {
    if (!Contains(sentence, row.phrase) || (row.unlessHeard && heard)) continue;
    recognised = true;
    if (!ReadPhrase(sentence, names, row, statement, failure)) return false;
  }
  return recognised;
}

}  // namespace talvorix
