#include "hermit/statement_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using test::Win1250;
using enum StatementKind;

TEST(FindFirstSpeaker, LowerIndexOnTie) {
  SpeakerNames names = Dwarves();
  EXPECT_EQ(2, FindFirstSpeaker(Win1250("Fili törpe és Bori törpe"), names));
  EXPECT_EQ(kNoSpeaker, FindFirstSpeaker("Fili es Bori", names));
  names[3] = "Bori";  // starts where speaker 0's full name starts
  EXPECT_EQ(0, FindFirstSpeaker(Win1250("x Bori törpe"), names));
}

TEST(ReadStatement, KindsAndSpeakers) {
  struct Case {
    std::string sentence;
    Statement want;
  };
  const Case kCases[] = {
      {Win1250(" Dzsoki törpe hallotta, hogy Kili törpe hazudik"),
       {kHeard, 1, 3, {}, true}},
      {Win1250(" Tapsi törpe igazat mond"),
       {kTellsTruth, 4, 9, {}, false}},  // speaker2 kept
      {Win1250(" Fili törpe igazat mond, Bori törpe hazudik"), {kLies, 2, 9, {}, false}},
      {Win1250(" Fili törpe és Tapsi törpe állításai mindig ellentétesek"),
       {kAlwaysOpposite, 2, 4, {}, false}},
      {Win1250(" Kili törpe és Bori törpe között van igazmondó"),
       {kTruthTellerAmong, 3, 0, {}, false}},
      {Win1250(" Fili törpe, igen, Fili törpe és Bori törpe mindig egyetértenek"),
       {kAlwaysAgree, 2, 2, {}, false}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got{kLiarAmong, 7, 9, {0, Truth::kLiar}, true};
    std::string_view failure = "stale";
    EXPECT_TRUE(ReadStatement(c.sentence, Dwarves(), &got, &failure));
    EXPECT_EQ("", failure);
    EXPECT_EQ(
        std::tie(c.want.kind, c.want.speaker1, c.want.speaker2, c.want.hint, c.want.heardLies),
        std::tie(got.kind, got.speaker1, got.speaker2, got.hint, got.heardLies));
  }
}

TEST(ReadStatement, Failures) {
  struct Case {
    std::string sentence;
    std::string failure;  // empty: no phrase, record untouched
    StatementKind kind;
  };
  const Case kCases[] = {
      {" Mindenki igazat mond", Win1250("Hibás mondat : \nigazat mond"), kTellsTruth},
      {Win1250(" Fili törpe hallotta, hogy Bori törpe dalol"), "Hiba a hallotta mondatban",
       kHeard},
      {Win1250(" Valakik között van igazmondó"),
       Win1250("Hibás mondat : \náközött van igazmondó"), kTruthTellerAmong},
      {Win1250(" Tapsi törpe és más között van igazmondó"),
       Win1250("Hibás mondat : \nközött van igazmondó"), kTruthTellerAmong},
      // A failure stops the later tests, here the one for "hallotta".
      {Win1250(" Aki hazudik, mindig egyetértenek, Kili törpe hallotta"),
       Win1250("Hibás mondat : \nmindig egyetértenek"), kAlwaysAgree},
      {Win1250(" Dzsoki törpe: A szám osztható hárommal"), "", kLiarAmong},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got{kLiarAmong, 3, 4, {2, Truth::kLiar}, true};
    std::string_view failure;
    EXPECT_FALSE(ReadStatement(c.sentence, Dwarves(), &got, &failure));
    EXPECT_EQ(c.failure, failure);
    EXPECT_EQ(c.kind, got.kind);
    if (c.failure.empty()) {
      EXPECT_EQ((Hint{2, Truth::kLiar}), got.hint);
    }
  }
}

}  // namespace
}  // namespace talvorix
