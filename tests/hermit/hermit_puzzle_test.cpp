#include "hermit/hermit_puzzle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "hermit_test_util.h"
#include "scanner/cp1250.h"

namespace talvorix {
namespace {

using hermit_test::W;

// Gathered texts as the scanner hands them over: the report's lines, each followed by a blank.

// Three numbers pass every clue (15, 27, 45); the puzzle asks for the third.
const std::string kSimple = W(Cp1250(
    u8"<P>Útközben egy barlang előtt haladtok el. Rábukkansz a remete odújára. "
    u8"<BR> Üdvözöllek, ifjú galetki! Régóta nem járt erre vándor. "
    u8"Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    u8"egy Kili és egy Tapsi. "
    u8"Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a megfejtés.<BR> "
    u8"Bori törpe: A szám osztható hárommal. "
    u8"Dzsoki törpe: A válasz 60-nál kisebb. "
    u8"Fili törpe: Az első számjegy lehet 1, 2, 3 vagy 4. "
    u8"Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. "
    u8"Tapsi törpe: A második számjegy nagyobb, mint az első. "
    u8"A remete: A megfejtés páratlan szám.<BR> "));

// Every speaker vouches for the next; Tapsi for Bori. All truthful gives no number,
// all liars give 47.
const std::string kChain = W(Cp1250(
    u8"<P>A szurdokban Rábukkansz a remete odújára. "
    u8"<BR> Üdvözöllek, ifjú galetki! Ülj le a tűzhöz. "
    u8"Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    u8"egy Kili és egy Tapsi. "
    u8"Nem mindegyikük mond igazat.<BR> "
    u8"Bori törpe: A szám osztható hárommal. Dzsoki törpe igazat mond. "
    u8"Dzsoki törpe: A válasz 50-nél nagyobb. Fili törpe igazat mond. "
    u8"Fili törpe: Az első számjegy lehet 1, 2 vagy 3. Kili törpe igazat mond. "
    u8"Kili törpe: A megoldás két számjegyének összege 10-nél kevesebb. Tapsi törpe igazat mond. "
    u8"Tapsi törpe: A második számjegy kisebb, mint az első. Bori törpe igazat mond. "
    u8"A remete: A megfejtés páratlan szám.<BR> "));

// Three consistent assignments: 27, none and 84.
const std::string kThreeWays = W(Cp1250(
    u8"<P>A tisztáson Rábukkansz a remete odújára. "
    u8"<BR> Üdvözöllek, ifjú galetki! Próbára teszlek. "
    u8"Gondoltam egy kétjegyű számra. A választ öt törpe ismeri: egy Bori, egy Dzsoki, egy Fili, "
    u8"egy Kili és egy Tapsi. "
    u8"Figyelj a szavaikra!<BR> "
    u8"Bori törpe: A második számjegy lehet 1, 3, 5 vagy 7. Dzsoki törpe és Fili törpe között van igazmondó. "
    u8"Dzsoki törpe: A válasz 40-nél kisebb. Bori törpe igazat mond. "
    u8"Fili törpe: A megoldás két számjegyének különbsége 4-nél több. Bori törpe igazat mond. "
    u8"Kili törpe: A szám nem osztható néggyel. Tapsi törpe hazudik. "
    u8"Tapsi törpe: Az első számjegy nagyobb, mint a második. Kili törpe és Bori törpe között van hazudós. "
    u8"A remete: A megfejtés osztható hárommal.<BR> "));

const std::string kTitle = W(Cp1250(u8" Remete feladány "));
const std::string kSimpleText = W(Cp1250(u8"Egyszerű remete feladvány"));
const std::string kAmbiguous = W(Cp1250(u8"Nem egyértelmű megoldás!"));
const std::string kDwarf = W(Cp1250(u8" törpe"));

/// Every occurrence of `from` replaced by `to`; `from` must occur.
std::string Replace(std::string text, std::string_view from, std::string_view to) {
  std::size_t pos = text.find(from);
  EXPECT_NE(std::string::npos, pos) << from;
  while (pos != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos = text.find(from, pos + to.size());
  }
  return text;
}

struct Outcome {
  bool solved = false;
  std::string text;
  std::string answer;
  std::string title;
};

/// Solves a copy of the text in a buffer of exactly its length and the NUL, so a
/// read past the end shows up under AddressSanitizer.
Outcome SolveCopy(std::string_view text, int32_t size = -1) {
  auto buffer = std::make_unique<char[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer.get());
  buffer[text.size()] = '\0';
  HermitPuzzle puzzle(buffer.get(), size);
  Outcome out;
  out.solved = puzzle.Solve();
  out.text = FieldText(puzzle.result.text);
  out.answer = FieldText(puzzle.result.answer);
  out.title = FieldText(puzzle.result.title);
  return out;
}

TEST(HermitPuzzle, SolvesWholePuzzles) {
  struct Case {
    std::string name;
    std::string text;
    std::string wantText;
    std::string wantAnswer;
  };
  const Case kCases[] = {
      {"simple, third of several", kSimple, kSimpleText, "45"},
      {"simple, first when the puzzle does not say",
       Replace(kSimple, W(Cp1250(u8"Mivel több lehetséges válasz is van, nagyság szerint sorban a "
                                 u8"harmadik lesz a megfejtés.")),
               ""),
       kSimpleText, "15"},
      {"simple, no number passes",
       Replace(kSimple, W(Cp1250(u8"A megfejtés páratlan szám")), W(Cp1250(u8"A válasz 90-nél nagyobb"))),
       kSimpleText, "-1"},
      {"truth tellers, two ways", kChain,
       W(Cp1250(u8"Bori törpe  :  I  ,  H\n"
                u8"Dzsoki törpe  :  I  ,  H\n"
                u8"Fili törpe  :  I  ,  H\n"
                u8"Kili törpe  :  I  ,  H\n"
                u8"Tapsi törpe  :  I  ,  H\n")) + kAmbiguous,
       "Nincs,47"},
      {"truth tellers, one way by a hint",
       Replace(kChain, W(Cp1250(u8"Bori törpe igazat mond. ")),
               W(Cp1250(u8"Bori törpe igazat mond. Persze Dzsoki törpe mást mond. "))),
       W(Cp1250(u8"Bori törpe  :  H\n"
                u8"Dzsoki törpe  :  H\n"
                u8"Fili törpe  :  H\n"
                u8"Kili törpe  :  H\n"
                u8"Tapsi törpe  :  H\n")),
       "47"},
      {"truth tellers, three ways", kThreeWays,
       W(Cp1250(u8"Bori törpe  :  I  ,  I  ,  H\n"
                u8"Dzsoki törpe  :  I  ,  I  ,  H\n"
                u8"Fili törpe  :  I  ,  I  ,  H\n"
                u8"Kili törpe  :  I  ,  H  ,  H\n"
                u8"Tapsi törpe  :  H  ,  I  ,  I\n")) + kAmbiguous,
       "27,Nincs,84"},
      {"truth tellers, an answer too long for its field",
       Replace(kThreeWays, W(Cp1250(u8"A megfejtés osztható hárommal")),
               W(Cp1250(u8"A válasz 90-nél nagyobb"))),
       W(Cp1250(u8"Bori törpe  :  I  ,  I  ,  H\n"
                u8"Dzsoki törpe  :  I  ,  I  ,  H\n"
                u8"Fili törpe  :  I  ,  I  ,  H\n"
                u8"Kili törpe  :  I  ,  H  ,  H\n"
                u8"Tapsi törpe  :  H  ,  I  ,  I\n")) + kAmbiguous +
           W(Cp1250(u8"\nMegoldás : Nincs,Nincs,Nincs")),
       "Nincs,Nincs,N" + W(Cp1250(u8"…"))},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_TRUE(out.solved);
    EXPECT_EQ(c.wantText, out.text);
    EXPECT_EQ(c.wantAnswer, out.answer);
    EXPECT_EQ(kTitle, out.title);
  }
}

TEST(HermitPuzzle, WantedOrdinal) {
  struct Case {
    std::string ordinal;  // what follows "sorban a"
    std::string answer;
  };
  const Case kCases[] = {
      {W(Cp1250(u8"z első lesz")), "15"},  // the character after "sorban a" is stepped over
      {W(Cp1250(u8" második lesz")), "27"},
      {" 3. lesz", "45"},
      {" negyedik lesz", "-1"},
      {"   harmadik lesz", "45"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.ordinal);
    const Outcome out = SolveCopy(Replace(kSimple, " harmadik lesz", c.ordinal));
    EXPECT_TRUE(out.solved);
    EXPECT_EQ(c.answer, out.answer);
  }
}

TEST(HermitPuzzle, Hints) {
  struct Case {
    std::string sentence;  // inserted after Bori's statement
    int32_t hint;
  };
  const Case kCases[] = {
      {"", kNoSpeaker},
      {"Ez biztos. ", kNoSpeaker},
      {"Persze ez így van. ", kNoSpeaker},
      {W(Cp1250(u8"Persze Fili törpe sokat téved. ")), 7},
      {W(Cp1250(u8"Valószínűleg Fili törpe a bölcs. ")), 2},
      {W(Cp1250(u8"Valószínűleg nem tévedek. ")), kNoSpeaker},
      {W(Cp1250(u8"Valószínűleg Fili törpe, persze, a bölcs. ")), 2},
      {W(Cp1250(u8"Persze Valószínűleg Fili törpe a bölcs. ")), 7},
      {W(Cp1250(u8"Valószínűleg Kili törpe és Fili törpe a bölcs. ")), 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.sentence);
    std::string text = Replace(kChain, W(Cp1250(u8"Dzsoki törpe igazat mond. ")),
                               W(Cp1250(u8"Dzsoki törpe igazat mond. ")) + c.sentence);
    HermitPuzzle puzzle(text.data(), static_cast<int32_t>(text.size() + 1));
    EXPECT_TRUE(puzzle.Solve());
    EXPECT_EQ(c.hint, puzzle.statement(0).hint);
    EXPECT_EQ(kNoSpeaker, puzzle.statement(4).hint);  // the hermit's line holds no hint word
  }
}

TEST(HermitPuzzle, ReadsNamesAndStatements) {
  std::string text = kThreeWays;
  HermitPuzzle puzzle(text.data(), 0);
  ASSERT_TRUE(puzzle.Solve());
  EXPECT_EQ("Bori" + kDwarf, puzzle.name(0));
  EXPECT_EQ("Tapsi" + kDwarf, puzzle.name(4));
  EXPECT_EQ(1, puzzle.wantedOrdinal());
  EXPECT_EQ(kTruthTellerAmong, puzzle.statement(0).kind);
  EXPECT_EQ(kLiarAmong, puzzle.statement(4).kind);
  EXPECT_EQ(3, puzzle.statement(4).speaker1);
  EXPECT_EQ(0, puzzle.statement(4).speaker2);
  EXPECT_EQ(3, puzzle.solutions().count());
  EXPECT_EQ(text, kThreeWays);  // the text is only read
}

TEST(HermitPuzzle, Failures) {
  const std::string kHeader = W(Cp1250(u8"A választ öt törpe ismeri: "));
  const std::string kNames = W(Cp1250(u8"egy Bori, egy Dzsoki, egy Fili, egy Kili és egy Tapsi. "));
  struct Case {
    std::string name;
    std::string text;
    std::string want;
  };
  const Case kCases[] = {
      {"empty", "", W(Cp1250(u8"A választ öt"))},
      {"no header", Replace(kSimple, W(Cp1250(u8"A választ öt")), W(Cp1250(u8"A választ hat"))),
       W(Cp1250(u8"A választ öt"))},
      {"header at the end", W(Cp1250(u8"A választ öt")), " "},
      {"kind word at the end", W(Cp1250(u8"A választ öt törpe")), " "},
      {"no list", kHeader + "Bori, Dzsoki.", "egy"},
      {"no comma", kHeader + W(Cp1250(u8"egy Bori és egy Dzsoki.")), ","},
      {"no blank after name 3", kHeader + "egy Bori, egy Dzsoki, egy Fili, egy Kili.", " "},
      {"no fifth name", kHeader + W(Cp1250(u8"egy Bori, egy Dzsoki, egy Fili, egy Kili és Tapsi.")), "egy"},
      {"no full stop after name 4", kHeader + W(Cp1250(u8"egy Bori, egy Dzsoki, egy Fili, egy Kili és egy Tapsi")),
       "."},
      {"no sorban a", kHeader + kNames + W(Cp1250(u8"Mivel több lehetséges válasz is van, a harmadik kell. ")),
       "sorban a"},
      {"ordinal word at the end", kHeader + kNames + W(Cp1250(u8"több lehetséges válasz is van, sorban a harmadik")),
       " "},
      {"unreadable ordinal", Replace(kSimple, "harmadik", "sokadik"),
       W(Cp1250(u8"sokadik\nNem tudtam számmá alakítani"))},
      {"a speaker missing", Replace(kSimple, W(Cp1250(u8"Kili törpe:")), W(Cp1250(u8"Kili manó:"))),
       W(Cp1250(u8"Kili törpe\nNem találom az állítását"))},
      {"several answers named after the speakers",
       Replace(kSimple, W(Cp1250(u8"Mivel több lehetséges válasz is van, nagyság szerint sorban a harmadik lesz a "
                                 u8"megfejtés.<BR> ")),
               "") +
           W(Cp1250(u8"Mivel több lehetséges válasz is van, sorban a második lesz a megfejtés. ")),
       W(Cp1250(u8"Bori törpe\nNem találom az állítását"))},
      {"no colon", Replace(Replace(kSimple, W(Cp1250(u8"Tapsi törpe:")), W(Cp1250(u8"Tapsi törpe"))), "A remete:",
                           "A remete"),
       ":"},
      {"no full stop after a clue", kSimple.substr(0, kSimple.find(W(Cp1250(u8"első. A remete")))), "."},
      {"a speaker's clue not understood",
       Replace(kSimple, W(Cp1250(u8"összege 10-nél kevesebb")), W(Cp1250(u8"összege 10"))),
       W(Cp1250(u8"A megoldás két számjegyének összege 10\nNem sikerult értelmezni /megoldas/"))},
      {"no hermit", Replace(kSimple, "A remete:", "Az öreg:"), W(Cp1250(u8"remete\nNem találom az állítását"))},
      {"no colon after the hermit", Replace(kSimple, "A remete:", "A remete"), ":"},
      {"no full stop after the hermit's clue", kSimple.substr(0, kSimple.size() - 6), "."},
      {"the hermit's clue not understood",
       Replace(kSimple, W(Cp1250(u8"A megfejtés páratlan szám")), W(Cp1250(u8"Ez egy rejtély"))),
       W(Cp1250(u8"Ez egy rejtély\nNem sikerult értelmezni /remete/"))},
      {"three statements not recognised",
       Replace(Replace(kThreeWays, W(Cp1250(u8" Bori törpe igazat mond.")), ""),
               W(Cp1250(u8" Tapsi törpe hazudik.")), ""),
       "3"},
      {"no consistent assignment",
       Replace(kChain, W(Cp1250(u8"3. Kili törpe igazat mond.")), W(Cp1250(u8"3. Fili törpe hazudik."))),
       W(Cp1250(u8"A megfejtés páratlan számNem lehet megoldani\nI/H ??"))},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome out = SolveCopy(c.text);
    EXPECT_FALSE(out.solved);
    EXPECT_EQ(c.want, out.text);
  }
}

TEST(HermitPuzzle, FailedStatementMessagesDoNotStopTheSolve) {
  // Bori's statement names nobody: counted as not recognised, its message overwritten.
  const std::string text =
      Replace(kChain, W(Cp1250(u8"Dzsoki törpe igazat mond. ")), W(Cp1250(u8"Mindenki igazat mond. ")));
  const Outcome out = SolveCopy(text);
  EXPECT_FALSE(out.solved);
  EXPECT_EQ("1", out.text);
}

TEST(HermitPuzzle, SizeIsNotTrusted) {
  for (const int32_t size : {0, 1, -5, INT32_MAX}) {
    SCOPED_TRACE(size);
    const Outcome out = SolveCopy(kSimple, size);
    EXPECT_TRUE(out.solved);
    EXPECT_EQ("45", out.answer);
  }
  HermitPuzzle none(nullptr, 100);
  EXPECT_FALSE(none.Solve());
}

TEST(HermitPuzzle, EveryPrefixIsReadSafely) {
  for (const std::string* text : {&kSimple, &kChain, &kThreeWays}) {
    const std::size_t lastStop = text->rfind('.');
    for (std::size_t n = 0; n <= text->size(); ++n) {
      SCOPED_TRACE(n);
      EXPECT_EQ(n > lastStop, SolveCopy(std::string_view(*text).substr(0, n)).solved);
    }
  }
}

TEST(HermitPuzzle, LongFieldsAreCut) {
  const std::string longName(1300, 'x');
  const std::string text = Replace(kThreeWays, "Fili", longName);
  const Outcome out = SolveCopy(text);
  EXPECT_TRUE(out.solved);
  EXPECT_EQ(1299u, out.text.size());
  EXPECT_EQ("27,Nincs,84", out.answer);

  const Outcome failed =
      SolveCopy(Replace(kSimple, W(Cp1250(u8"A megfejtés páratlan szám")), std::string(2000, 'y')));
  EXPECT_FALSE(failed.solved);
  EXPECT_EQ(1299u, failed.text.size());
}

}  // namespace
}  // namespace talvorix
