#include "hermit/statement_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using hermit_test::W;

TEST(FindFirstSpeaker, LowerIndexOnTie) {
  SpeakerNames names = Dwarves();
  EXPECT_EQ(2, FindFirstSpeaker(W(Cp1250(u8"Fili törpe és Bori törpe")), names));
  EXPECT_EQ(kNoSpeaker, FindFirstSpeaker("Fili es Bori", names));
  names[3] = "Bori";  // starts where speaker 0's full name starts
  EXPECT_EQ(0, FindFirstSpeaker(W(Cp1250(u8"x Bori törpe")), names));
}

TEST(ReadStatement, KindsAndSpeakers) {
  struct Case {
    std::string sentence;
    Statement want;
  };
  const Case kCases[] = {
      {W(Cp1250(u8" Dzsoki törpe hallotta, hogy Kili törpe hazudik")),
       {kHeard, 1, 3, kNoSpeaker, 1}},
      {W(Cp1250(u8" Tapsi törpe igazat mond")),
       {kTellsTruth, 4, 9, kNoSpeaker, 0}},  // speaker2 kept
      {W(Cp1250(u8" Fili törpe igazat mond, Bori törpe hazudik")), {kLies, 2, 9, kNoSpeaker, 0}},
      {W(Cp1250(u8" Fili törpe és Tapsi törpe állításai mindig ellentétesek")),
       {kAlwaysOpposite, 2, 4, kNoSpeaker, 0}},
      {W(Cp1250(u8" Kili törpe és Bori törpe között van igazmondó")),
       {kTruthTellerAmong, 3, 0, kNoSpeaker, 0}},
      {W(Cp1250(u8" Fili törpe, igen, Fili törpe és Bori törpe mindig egyetértenek")),
       {kAlwaysAgree, 2, 2, kNoSpeaker, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got{kLiarAmong, 7, 9, 5, 1};
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
    int32_t kind;
  };
  const Case kCases[] = {
      {" Mindenki igazat mond", W(Cp1250(u8"Hibás mondat : \nigazat mond")), kTellsTruth},
      {W(Cp1250(u8" Fili törpe hallotta, hogy Bori törpe dalol")), "Hiba a hallotta mondatban",
       kHeard},
      {W(Cp1250(u8" Valakik között van igazmondó")),
       W(Cp1250(u8"Hibás mondat : \náközött van igazmondó")), kTruthTellerAmong},
      {W(Cp1250(u8" Tapsi törpe és más között van igazmondó")),
       W(Cp1250(u8"Hibás mondat : \nközött van igazmondó")), kTruthTellerAmong},
      // A failure stops the later tests, here the one for "hallotta".
      {W(Cp1250(u8" Aki hazudik, mindig egyetértenek, Kili törpe hallotta")),
       W(Cp1250(u8"Hibás mondat : \nmindig egyetértenek")), kAlwaysAgree},
      {W(Cp1250(u8" Dzsoki törpe: A szám osztható hárommal")), "", kLiarAmong},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    Statement got{kLiarAmong, 3, 4, 7, 1};
    std::string_view failure;
    EXPECT_FALSE(ReadStatement(c.sentence, Dwarves(), &got, &failure));
    EXPECT_EQ(c.failure, failure);
    EXPECT_EQ(c.kind, got.kind);
    if (c.failure.empty()) {
      EXPECT_EQ(7, got.hint);
    }
  }
}

}  // namespace
}  // namespace talvorix
