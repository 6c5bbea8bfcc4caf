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
  int32_t kind;
  std::string_view firstMissing;   ///< message when no speaker is named
  std::string_view secondMissing;  ///< message when no second speaker is named; empty: one speaker
};

// Every row is tried; a later match overwrites an earlier one, so the last match decides.
constexpr StatementPhrase kStatementPhrases[] = {
    {kOppositePhrase, false, kAlwaysOpposite, kOppositeMissing, kOppositeMissing},
    {kTellsTruthWords, true, kTellsTruth, kTellsTruthMissing, {}},
    {kLiesWord, true, kLies, kLiesMissing, {}},
    {kAgreePhrase, false, kAlwaysAgree, kAgreeMissing, kAgreeMissing},
    {kHeardWord, false, kHeard, kHeardMissing, kHeardMissing},
    {kTruthAmongPhrase, false, kTruthTellerAmong, kTruthAmongFirstMissing,
     kTruthAmongSecondMissing},
    {kLiarAmongPhrase, false, kLiarAmong, kLiarAmongMissing, kLiarAmongMissing},
};

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
    statement->kind = row.kind;
    statement->speaker1 = FindFirstSpeaker(sentence, names);
    if (statement->speaker1 == kNoSpeaker) {
      *failure = row.firstMissing;
      return false;
    }
    if (!row.secondMissing.empty()) {
      // The second speaker is the one named first after the start of the first one's name.
      const std::size_t first =
          Find(sentence, names[static_cast<std::size_t>(statement->speaker1)]);
      statement->speaker2 = FindFirstSpeaker(sentence.substr(first + 1), names);
      if (statement->speaker2 == kNoSpeaker) {
        *failure = row.secondMissing;
        return false;
      }
    }
    if (row.kind == kHeard) {
      if (Contains(sentence, kTellsTruthWords)) {
        statement->heardLies = 0;
      } else if (Contains(sentence, kLiesWord)) {
        statement->heardLies = 1;
      } else {
        *failure = kHeardWhatMissing;
        return false;
      }
    } else {
      statement->heardLies = 0;
    }
    statement->hint = kNoSpeaker;
  }
  return recognised;
}

}  // namespace talvorix
