#include "hermit/hermit_puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "hermit_test_util.h"

namespace talvorix {
namespace {

using hermit_test::Dwarves;
using hermit_test::W;

// Gathered texts as the scanner hands them over: the report's lines, each followed by a blank.

// 15, 27 and 45 pass every clue; the puzzle asks for the third.
const std::string kSimple = W(Cp1250(
    u8"<P>Útközben egy barlang előtt haladtok el. Rábukkansz a remete odújára. "
    u8"<BR> Üdvözöllek, ifjú galetki! Régóta nem járt erre vándor. Gondoltam egy kétjegyű számra. "
    u8"A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, egy Kili és egy Tapsi. "
    u8"Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a "
    u8"megfejtés.<BR> "
    u8"Bori törpe: A szám osztható hárommal. "
    u8"Dzsoki törpe: A válasz 60-nál kisebb. "
    u8"Fili törpe: Az első számjegy lehet 1, 2, 3 vagy 4. "
    u8"Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. "
    u8"Tapsi törpe: A második számjegy nagyobb, mint az első. "
    u8"A remete: A megfejtés páratlan szám.<BR> "));

// Each speaker vouches for the next, Tapsi for Bori: all truthful (no number) or all liars (47).
const std::string kChain = W(Cp1250(
    u8"<P>A szurdokban Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! Ülj le a "
    u8"tűzhöz. "
    u8"Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    u8"egy Kili és egy Tapsi. Nem mindegyikük mond igazat.<BR> "
    u8"Bori törpe: A szám osztható hárommal. Dzsoki törpe igazat mond. "
    u8"Dzsoki törpe: A válasz 50-nél nagyobb. Fili törpe igazat mond. "
    u8"Fili törpe: Az első számjegy lehet 1, 2 vagy 3. Kili törpe igazat mond. "
    u8"Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. Tapsi törpe igazat mond. "
    u8"Tapsi törpe: A második számjegy kisebb, mint az első. Bori törpe igazat mond. "
    u8"A remete: A megfejtés páratlan szám.<BR> "));

// Three consistent assignments, answered by 27, no number and 84.
const std::string kThreeWays = W(Cp1250(
    u8"<P>A tisztáson Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! Próbára teszlek. "
    u8"Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    u8"egy Kili és egy Tapsi. Figyelj a szavaikra!<BR> "
    u8"Bori törpe: A második számjegy lehet 1, 3, 5 vagy 7. Dzsoki törpe és Fili törpe között van "
    u8"igazmondó. "
    u8"Dzsoki törpe: A válasz 40-nél kisebb. Bori törpe igazat mond. "
    u8"Fili törpe: A megoldás két számjegyének különbsége 4-nél több. Bori törpe igazat mond. "
    u8"Kili törpe: A szám nem osztható néggyel. Tapsi törpe hazudik. "
    u8"Tapsi törpe: Az első számjegy nagyobb, mint a második. Kili törpe és Bori törpe között van "
    u8"hazudós. "
    u8"A remete: A megfejtés osztható hárommal.<BR> "));

const std::string kSimpleText = W(Cp1250(u8"Egyszerű remete feladvány"));
const std::string kAmbiguous = W(Cp1250(u8"Nem egyértelmű megoldás!"));

/// Every occurrence of `from` replaced by `to`; `from` must occur.
std::string Replace(std::string text, std::string_view from, std::string_view to) {
  std::size_t pos = text.find(from);
  EXPECT_NE(std::string::npos, pos) << from;
  for (; pos != std::string::npos; pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

/// The table text: each speaker's full name, "  :  " and his column of letters.
std::string Table(const std::array<std::string_view, 5>& columns) {
  std::string text;
  for (std::size_t i = 0; i < 5; ++i)
    text += Dwarves()[i] + "  :  " + std::string(columns[i]) + "\n";
  return text;
}

struct Outcome {
  bool solved;
  std::string text, answer, title;
};

/// Solves a copy in a buffer of exactly the text and its NUL, so AddressSanitizer
/// sees any read past the end.
Outcome SolveCopy(std::string_view text, int32_t size = -1) {
  auto buffer = std::make_unique<char[]>(text.size() + 1);
  *std::copy(text.begin(), text.end(), buffer.get()) = '\0';
  HermitPuzzle puzzle(buffer.get(), size);
  const bool solved = puzzle.Solve();
  const PuzzleResult& r = puzzle.result;
  return {solved, std::string(FieldText(r.text)), std::string(FieldText(r.answer)),
          std::string(FieldText(r.title))};
}

TEST(HermitPuzzle, SolvesWholePuzzles) {
  const std::string kSeveral =
      W(Cp1250(u8"Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a "
               u8"megfejtés."));
  const std::string kOdd = W(Cp1250(u8"A megfejtés páratlan szám"));
  const std::string kAboveNinety = W(Cp1250(u8"A válasz 90-nél nagyobb"));
  const std::string kThreeTable =
      Table({"I  ,  I  ,  H", "I  ,  I  ,  H", "I  ,  I  ,  H", "I  ,  H  ,  H", "H  ,  I  ,  I"}) +
      kAmbiguous;
  struct Case {
    std::string name, text, wantText, wantAnswer;
  };
  const Case kCases[] = {
      {"simple, the third of several", kSimple, kSimpleText, "45"},
      {"simple, the first by default", Replace(kSimple, kSeveral, ""), kSimpleText, "15"},
      {"simple, no number", Replace(kSimple, kOdd, kAboveNinety), kSimpleText, "-1"},
      // The character after "sorban a" is stepped over whatever it is.
      {"simple, sorban az", Replace(kSimple, "a harmadik", W(Cp1250(u8"az első"))), kSimpleText,
       "15"},
      {"simple, fourth of three", Replace(kSimple, "harmadik", "negyedik"), kSimpleText, "-1"},
      {"truth tellers, two ways", kChain,
       Table({"I  ,  H", "I  ,  H", "I  ,  H", "I  ,  H", "I  ,  H"}) + kAmbiguous, "Nincs,47"},
      {"truth tellers, one way by a hint",
       Replace(kChain, W(Cp1250(u8"Bori törpe igazat mond.")),
               W(Cp1250(u8"Bori törpe igazat mond. Persze Dzsoki törpe mást mond."))),
       Table({"H", "H", "H", "H", "H"}), "47"},
      {"truth tellers, three ways", kThreeWays, kThreeTable, "27,Nincs,84"},
      // An answer too long for its field is marked there and shown whole in the text.
      {"truth tellers, a long answer",
       Replace(kThreeWays, W(Cp1250(u8"A megfejtés osztható hárommal")), kAboveNinety),
       kThreeTable + W(Cp1250(u8"\nMegoldás : Nincs,Nincs,Nincs")),
       "Nincs,Nincs,N" + W(Cp1250(u8"…"))},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_TRUE(out.solved);
    EXPECT_EQ(c.wantText, out.text);
    EXPECT_EQ(c.wantAnswer, out.answer);
    EXPECT_EQ(W(Cp1250(u8" Remete feladány ")), out.title);
  }
}

TEST(HermitPuzzle, Hints) {
  struct Case {
    std::string sentence;  // after Bori's statement
    int32_t hint;
  };
  const Case kCases[] = {
      {W(Cp1250(u8"Persze Fili törpe téved. ")), 7},
      {W(Cp1250(u8"Valószínűleg Fili törpe a bölcs. ")), 2},
      {W(Cp1250(u8"Persze Valószínűleg Fili törpe a bölcs. ")), 7},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    std::string text = Replace(kChain, W(Cp1250(u8"Dzsoki törpe igazat mond. ")),
                               W(Cp1250(u8"Dzsoki törpe igazat mond. ")) + c.sentence);
    HermitPuzzle puzzle(text.data(), 0);
    EXPECT_TRUE(puzzle.Solve());
    EXPECT_EQ(c.hint, puzzle.statement(0).hint);
    EXPECT_EQ(kNoSpeaker, puzzle.statement(4).hint);  // the hermit's line holds no hint word
  }
}

TEST(HermitPuzzle, Failures) {
  const std::string kList =
      W(Cp1250(u8"A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, egy Kili"));
  const std::string kNotFound = W(Cp1250(u8"\nNem találom az állítását"));
  const std::string kSeveral = W(Cp1250(u8"Mivel több lehetséges válasz is van, "));
  struct Case {
    std::string name, text, want;
  };
  const Case kCases[] = {
      {"empty", "", W(Cp1250(u8"A választ öt"))},
      {"kind word at the end", W(Cp1250(u8"A választ öt törpe")), " "},
      {"no list", W(Cp1250(u8"A választ öt törpe ismeri: Bori.")), "egy"},
      {"no blank after name 3", kList + ".", " "},
      {"unreadable ordinal", Replace(kSimple, "harmadik", "sokadik"),
       W(Cp1250(u8"sokadik\nNem tudtam számmá alakítani"))},
      {"a speaker missing", Replace(kSimple, W(Cp1250(u8"Kili törpe:")), W(Cp1250(u8"Kili manó:"))),
       Dwarves()[3] + kNotFound},
      {"several answers named after the speakers",
       Replace(kSimple, kSeveral, "") + kSeveral + W(Cp1250(u8"sorban a második lesz. ")),
       Dwarves()[0] + kNotFound},
      {"no colon",
       Replace(Replace(kSimple, W(Cp1250(u8"Tapsi törpe:")), W(Cp1250(u8"Tapsi törpe"))),
               "remete:", "remete"),
       ":"},
      {"a speaker's clue", Replace(kSimple, W(Cp1250(u8" 10-nél kevesebb")), " 10"),
       W(Cp1250(u8"A megoldás két számjegyének összege 10\nNem sikerult értelmezni /megoldas/"))},
      {"no hermit", Replace(kSimple, "A remete:", W(Cp1250(u8"Az öreg:"))), "remete" + kNotFound},
      {"three statements not recognised",
       Replace(Replace(kThreeWays, W(Cp1250(u8" Bori törpe igazat mond.")), ""),
               W(Cp1250(u8" Tapsi törpe hazudik.")), ""),
       "3"},
      {"a statement naming nobody counts as not recognised",
       Replace(kChain, W(Cp1250(u8" Dzsoki törpe igazat mond.")), " Mindenki igazat mond."), "1"},
      {"no consistent assignment",
       Replace(kChain, W(Cp1250(u8"3. Kili törpe")),
               W(Cp1250(u8"3. Fili törpe hazudik. Kili törpe"))),
       W(Cp1250(u8"A megfejtés páratlan számNem lehet megoldani\nI/H ??"))},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_FALSE(out.solved);
    EXPECT_EQ(c.want, out.text);
  }
}

TEST(HermitPuzzle, ReadsOnlyUpToTheNulAndCutsLongFields) {
  for (const int32_t size : {0, -5, INT32_MAX})
    EXPECT_EQ("45", SolveCopy(kSimple, size).answer) << size;
  EXPECT_FALSE(HermitPuzzle(nullptr, 100).Solve());
  for (const std::string* text : {&kSimple, &kChain, &kThreeWays}) {
    const std::size_t lastStop = text->rfind('.');
    for (std::size_t n = 0; n <= text->size(); ++n)
      EXPECT_EQ(n > lastStop, SolveCopy(std::string_view(*text).substr(0, n)).solved) << n;
  }
  const Outcome out = SolveCopy(Replace(kThreeWays, "Fili", std::string(1300, 'x')));
  EXPECT_EQ(1299u, out.text.size());
  EXPECT_EQ("27,Nincs,84", out.answer);
}

}  // namespace
}  // namespace talvorix
