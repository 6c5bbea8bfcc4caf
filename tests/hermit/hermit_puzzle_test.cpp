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
using test::Win1250;

// Gathered texts as the scanner hands them over: the report's lines, each followed by a blank.

// 15, 27 and 45 pass every clue; the puzzle asks for the third.
const std::string kSimple = Win1250(
    "<P>Útközben egy barlang előtt haladtok el. Rábukkansz a remete odújára. "
    "<BR> Üdvözöllek, ifjú galetki! Régóta nem járt erre vándor. Gondoltam egy kétjegyű számra. "
    "A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, egy Kili és egy Tapsi. "
    "Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a "
    "megfejtés.<BR> "
    "Bori törpe: A szám osztható hárommal. "
    "Dzsoki törpe: A válasz 60-nál kisebb. "
    "Fili törpe: Az első számjegy lehet 1, 2, 3 vagy 4. "
    "Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. "
    "Tapsi törpe: A második számjegy nagyobb, mint az első. "
    "A remete: A megfejtés páratlan szám.<BR> ");

// Each speaker vouches for the next, Tapsi for Bori: all truthful (no number) or all liars (47).
const std::string kChain = Win1250(
    "<P>A szurdokban Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! Ülj le a "
    "tűzhöz. "
    "Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    "egy Kili és egy Tapsi. Nem mindegyikük mond igazat.<BR> "
    "Bori törpe: A szám osztható hárommal. Dzsoki törpe igazat mond. "
    "Dzsoki törpe: A válasz 50-nél nagyobb. Fili törpe igazat mond. "
    "Fili törpe: Az első számjegy lehet 1, 2 vagy 3. Kili törpe igazat mond. "
    "Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. Tapsi törpe igazat mond. "
    "Tapsi törpe: A második számjegy kisebb, mint az első. Bori törpe igazat mond. "
    "A remete: A megfejtés páratlan szám.<BR> ");

// Three consistent assignments, answered by 27, no number and 84.
const std::string kThreeWays = Win1250(
    "<P>A tisztáson Rábukkansz a remete odújára. <BR> Üdvözöllek, ifjú galetki! Próbára teszlek. "
    "Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    "egy Kili és egy Tapsi. Figyelj a szavaikra!<BR> "
    "Bori törpe: A második számjegy lehet 1, 3, 5 vagy 7. Dzsoki törpe és Fili törpe között van "
    "igazmondó. "
    "Dzsoki törpe: A válasz 40-nél kisebb. Bori törpe igazat mond. "
    "Fili törpe: A megoldás két számjegyének különbsége 4-nél több. Bori törpe igazat mond. "
    "Kili törpe: A szám nem osztható néggyel. Tapsi törpe hazudik. "
    "Tapsi törpe: Az első számjegy nagyobb, mint a második. Kili törpe és Bori törpe között van "
    "hazudós. "
    "A remete: A megfejtés osztható hárommal.<BR> ");

const std::string kSimpleText = Win1250("Egyszerű remete feladvány");
const std::string kAmbiguous = Win1250("Nem egyértelmű megoldás!");

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

/// Solves a copy in a buffer of exactly the text, so AddressSanitizer sees any read
/// past the end.
Outcome SolveCopy(std::string_view text) {
  auto buffer = std::make_unique<char[]>(text.size());
  std::copy(text.begin(), text.end(), buffer.get());
  HermitPuzzle puzzle(std::string_view(buffer.get(), text.size()));
  const bool solved = puzzle.Solve();
  const PuzzleResult& r = puzzle.result;
  return {solved, std::string(FieldText(r.text)), std::string(FieldText(r.answer)),
          std::string(FieldText(r.title))};
}

TEST(HermitPuzzle, SolvesWholePuzzles) {
  const std::string kSeveral =
      Win1250("Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a "
               "megfejtés.");
  const std::string kOdd = Win1250("A megfejtés páratlan szám");
  const std::string kAboveNinety = Win1250("A válasz 90-nél nagyobb");
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
      {"simple, sorban az", Replace(kSimple, "a harmadik", Win1250("az első")), kSimpleText,
       "15"},
      {"simple, fourth of three", Replace(kSimple, "harmadik", "negyedik"), kSimpleText, "-1"},
      {"truth tellers, two ways", kChain,
       Table({"I  ,  H", "I  ,  H", "I  ,  H", "I  ,  H", "I  ,  H"}) + kAmbiguous, "Nincs,47"},
      {"truth tellers, one way by a hint",
       Replace(kChain, Win1250("Bori törpe igazat mond."),
               Win1250("Bori törpe igazat mond. Persze Dzsoki törpe mást mond.")),
       Table({"H", "H", "H", "H", "H"}), "47"},
      {"truth tellers, three ways", kThreeWays, kThreeTable, "27,Nincs,84"},
      // An answer too long for its field is marked there and shown whole in the text.
      {"truth tellers, a long answer",
       Replace(kThreeWays, Win1250("A megfejtés osztható hárommal"), kAboveNinety),
       kThreeTable + Win1250("\nMegoldás : Nincs,Nincs,Nincs"),
       "Nincs,Nincs,N" + Win1250("…")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_TRUE(out.solved);
    EXPECT_EQ(c.wantText, out.text);
    EXPECT_EQ(c.wantAnswer, out.answer);
    EXPECT_EQ(Win1250(" Remete feladány "), out.title);
  }
}

TEST(HermitPuzzle, Hints) {
  struct Case {
    std::string sentence;  // after Bori's statement
    Hint hint;
  };
  const Case kCases[] = {
      {Win1250("Persze Fili törpe téved. "), {2, Truth::kLiar}},
      {Win1250("Valószínűleg Fili törpe a bölcs. "), {2, Truth::kTruthful}},
      {Win1250("Valószínűleg senki sem bölcs. "), {}},
      {Win1250("Persze Valószínűleg Fili törpe a bölcs. "), {2, Truth::kLiar}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    std::string text = Replace(kChain, Win1250("Dzsoki törpe igazat mond. "),
                               Win1250("Dzsoki törpe igazat mond. ") + c.sentence);
    HermitPuzzle puzzle(text);
    EXPECT_TRUE(puzzle.Solve());
    EXPECT_EQ(c.hint, puzzle.statement(0).hint);
    EXPECT_EQ(Hint{}, puzzle.statement(4).hint);  // the hermit's line holds no hint word
  }
}

TEST(HermitPuzzle, Failures) {
  const std::string kList =
      Win1250("A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, egy Kili");
  const std::string kNotFound = Win1250("\nNem találom az állítását");
  const std::string kSeveral = Win1250("Mivel több lehetséges válasz is van, ");
  struct Case {
    std::string name, text, want;
  };
  const Case kCases[] = {
      {"empty", "", Win1250("A választ öt")},
      {"kind word at the end", Win1250("A választ öt törpe"), " "},
      {"no list", Win1250("A választ öt törpe ismeri: Bori."), "egy"},
      {"no blank after name 3", kList + ".", " "},
      {"unreadable ordinal", Replace(kSimple, "harmadik", "sokadik"),
       Win1250("sokadik\nNem tudtam számmá alakítani")},
      {"a speaker missing", Replace(kSimple, Win1250("Kili törpe:"), Win1250("Kili manó:")),
       Dwarves()[3] + kNotFound},
      {"several answers named after the speakers",
       Replace(kSimple, kSeveral, "") + kSeveral + Win1250("sorban a második lesz. "),
       Dwarves()[0] + kNotFound},
      {"no colon",
       Replace(Replace(kSimple, Win1250("Tapsi törpe:"), Win1250("Tapsi törpe")),
               "remete:", "remete"),
       ":"},
      {"a speaker's clue", Replace(kSimple, Win1250(" 10-nél kevesebb"), " 10"),
       Win1250("A megoldás két számjegyének összege 10\nNem sikerult értelmezni /megoldas/")},
      {"no hermit", Replace(kSimple, "A remete:", Win1250("Az öreg:")), "remete" + kNotFound},
      {"three statements not recognised",
       Replace(Replace(kThreeWays, Win1250(" Bori törpe igazat mond."), ""),
               Win1250(" Tapsi törpe hazudik."), ""),
       "3"},
      {"a statement naming nobody counts as not recognised",
       Replace(kChain, Win1250(" Dzsoki törpe igazat mond."), " Mindenki igazat mond."), "1"},
      {"no consistent assignment",
       Replace(kChain, Win1250("3. Kili törpe"),
               Win1250("3. Fili törpe hazudik. Kili törpe")),
       Win1250("A megfejtés páratlan számNem lehet megoldani\nI/H ??")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_FALSE(out.solved);
    EXPECT_EQ(c.want, out.text);
  }
}

TEST(HermitPuzzle, ReadsOnlyUpToTheNulAndCutsLongFields) {
  EXPECT_EQ("45", SolveCopy(kSimple).answer);
  EXPECT_FALSE(HermitPuzzle(std::string_view()).Solve());
  // A NUL ends the text as the text's end does: what follows it is never read.
  for (const std::string* text : {&kSimple, &kChain, &kThreeWays}) {
    const std::size_t lastStop = text->rfind('.');
    for (std::size_t n = 0; n <= text->size(); ++n) {
      EXPECT_EQ(n > lastStop, SolveCopy(std::string_view(*text).substr(0, n)).solved) << n;
      EXPECT_EQ(n > lastStop, SolveCopy(text->substr(0, n) + '\0' + text->substr(n)).solved) << n;
    }
  }
  const Outcome out = SolveCopy(Replace(kThreeWays, "Fili", std::string(1300, 'x')));
  EXPECT_EQ(1299u, out.text.size());
  EXPECT_EQ("27,Nincs,84", out.answer);
}

}  // namespace
}  // namespace talvorix
