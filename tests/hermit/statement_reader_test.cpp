#include "hermit/statement_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "hermit_test_util.h"
#include "scanner/cp1250.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using hermit_test::W;

TEST(FindFirstSpeaker, EarliestNameLowerIndexOnTie) {
  const SpeakerNames names = Dwarves();
  SpeakerNames overlapping = names;
  overlapping[3] = "Bori";  // starts where speaker 0's full name starts
  struct Case {
    std::string text;
    const SpeakerNames* names;
    int32_t want;
  };
  const Case kCases[] = {
      {W(Cp1250(u8"Fili törpe és Bori törpe")), &names, 2},
      {W(Cp1250(u8"Persze Tapsi törpe")), &names, 4},
      {"Fili es Bori", &names, kNoSpeaker},  // a name without its kind word is not the full name
      {"", &names, kNoSpeaker},
      {W(Cp1250(u8"Bori törpe")), &overlapping, 0},
      {"Bori", &overlapping, 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.want, FindFirstSpeaker(c.text, *c.names));
  }
}

TEST(ReadStatement, RecognisedKindsAndSpeakers) {
  const SpeakerNames names = Dwarves();
  struct Case {
    std::string sentence;
    Statement want;
  };
  const Case kCases[] = {
      {W(Cp1250(u8" Dzsoki törpe hallotta, hogy Kili törpe igazat mond")), {kHeard, 1, 3, kNoSpeaker, 0}},
      {W(Cp1250(u8" Dzsoki törpe hallotta, hogy Kili törpe hazudik")), {kHeard, 1, 3, kNoSpeaker, 1}},
      {W(Cp1250(u8" Tapsi törpe igazat mond")), {kTellsTruth, 4, 9, kNoSpeaker, 0}},
      {W(Cp1250(u8" Fili törpe hazudik")), {kLies, 2, 9, kNoSpeaker, 0}},
      // Both words without "hallotta": the later test, hazudik, decides.
      {W(Cp1250(u8" Fili törpe igazat mond, Bori törpe hazudik")), {kLies, 2, 9, kNoSpeaker, 0}},
      {W(Cp1250(u8" Bori törpe és Kili törpe mindig egyetértenek")), {kAlwaysAgree, 0, 3, kNoSpeaker, 0}},
      {W(Cp1250(u8" Fili törpe és Tapsi törpe állításai mindig ellentétesek")),
       {kAlwaysOpposite, 2, 4, kNoSpeaker, 0}},
      // The speaker named first is speaker1, whatever the grammar.
      {W(Cp1250(u8" Kili törpe és Bori törpe között van igazmondó")),
       {kTruthTellerAmong, 3, 0, kNoSpeaker, 0}},
      {W(Cp1250(u8" Dzsoki törpe és Fili törpe között van hazudós")), {kLiarAmong, 1, 2, kNoSpeaker, 0}},
      // speaker2 is the first name after the start of speaker1's; a repeat names him again.
      {W(Cp1250(u8" Fili törpe, igen, Fili törpe és Bori törpe mindig egyetértenek")),
       {kAlwaysAgree, 2, 2, kNoSpeaker, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got{kLiarAmong, 7, 9, 5, 1};
    std::string_view failure = "stale";
    EXPECT_TRUE(ReadStatement(c.sentence, names, &got, &failure));
    EXPECT_EQ("", failure);
    EXPECT_EQ(c.want.kind, got.kind);
    EXPECT_EQ(c.want.speaker1, got.speaker1);
    EXPECT_EQ(c.want.speaker2, got.speaker2);
    EXPECT_EQ(c.want.hint, got.hint);
    EXPECT_EQ(c.want.heardLies, got.heardLies);
  }
}

TEST(ReadStatement, MissingSpeakersFail) {
  const SpeakerNames names = Dwarves();
  struct Case {
    std::string sentence;
    std::string failure;
    int32_t kind;  // what the failing test had written
  };
  const Case kCases[] = {
      {" Mindenki igazat mond", W(Cp1250(u8"Hibás mondat : \nigazat mond")), kTellsTruth},
      {" Valaki hazudik", W(Cp1250(u8"Hibás mondat : \nhazudik")), kLies},
      {W(Cp1250(u8" Bori törpe és a remete mindig egyetértenek")),
       W(Cp1250(u8"Hibás mondat : \nmindig egyetértenek")), kAlwaysAgree},
      {W(Cp1250(u8" Ők ketten állításai mindig ellentétesek")),
       W(Cp1250(u8"Hibás mondat : \nállításai mindig ellentétesek")), kAlwaysOpposite},
      {W(Cp1250(u8" Fili törpe hallotta, hogy valaki hazudik")), W(Cp1250(u8"Hibás mondat : \nhallotta")),
       kHeard},
      {W(Cp1250(u8" Fili törpe hallotta, hogy Bori törpe dalol")), "Hiba a hallotta mondatban", kHeard},
      {W(Cp1250(u8" Valakik között van igazmondó")),
       W(Cp1250(u8"Hibás mondat : \náközött van igazmondó")), kTruthTellerAmong},
      {W(Cp1250(u8" Tapsi törpe és más között van igazmondó")),
       W(Cp1250(u8"Hibás mondat : \nközött van igazmondó")), kTruthTellerAmong},
      {W(Cp1250(u8" Tapsi törpe és más között van hazudós")),
       W(Cp1250(u8"Hibás mondat : \nközött van hazudós")), kLiarAmong},
      // A failure stops the later tests: the sentence also holds "hallotta".
      {W(Cp1250(u8" Aki hazudik, az mindig egyetértenek, Kili törpe hallotta")),
       W(Cp1250(u8"Hibás mondat : \nmindig egyetértenek")), kAlwaysAgree},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got;
    std::string_view failure;
    EXPECT_FALSE(ReadStatement(c.sentence, names, &got, &failure));
    EXPECT_EQ(c.failure, failure);
    EXPECT_EQ(c.kind, got.kind);
  }
}

TEST(ReadStatement, NoPhraseLeavesTheRecord) {
  const SpeakerNames names = Dwarves();
  const std::string kSentences[] = {
      W(Cp1250(u8" Dzsoki törpe: A szám osztható hárommal")),
      W(Cp1250(u8" Bori törpe igazmondó")),
      "",
  };
  for (const std::string& sentence : kSentences) {
    SCOPED_TRACE(sentence);
    Statement got{kLiarAmong, 3, 4, 7, 1};
    std::string_view failure;
    EXPECT_FALSE(ReadStatement(sentence, names, &got, &failure));
    EXPECT_EQ("", failure);
    EXPECT_EQ(kLiarAmong, got.kind);
    EXPECT_EQ(3, got.speaker1);
    EXPECT_EQ(4, got.speaker2);
    EXPECT_EQ(7, got.hint);
    EXPECT_EQ(1, got.heardLies);
  }
}

}  // namespace
}  // namespace talvorix
