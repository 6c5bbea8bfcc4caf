#include "hermit/number_clue.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "hermit/number_words.h"
#include "core/cp1250.h"
#include "core/phrase_set.h"
#include "core/text.h"
#include "core/wrap_int.h"

namespace talvorix {
namespace {

constexpr auto kNotDivisibleSolution = Cp1250(u8"A megoldás nem osztható");
constexpr auto kNotDivisibleNumber = Cp1250(u8"A szám nem osztható");
constexpr auto kAnswer = Cp1250(u8"A válasz");
constexpr auto kDigitSumPhrase = Cp1250(u8"A megoldás két számjegyének összege");
constexpr auto kDigitDifferencePhrase = Cp1250(u8"A megoldás két számjegyének különbsége");
constexpr auto kDivisibleNumber = Cp1250(u8"A szám osztható");
constexpr auto kDivisibleSolution = Cp1250(u8"A megfejtés osztható");
constexpr auto kSecondDigit = Cp1250(u8"A második számjegy");
constexpr auto kFirstDigit = Cp1250(u8"Az első számjegy");
constexpr auto kSecondDigitList = Cp1250(u8"A második számjegy lehet");
constexpr auto kFirstDigitList = Cp1250(u8"Az első számjegy lehet");
constexpr auto kEven = Cp1250(u8"A válasz egy páros szám");
constexpr auto kOdd = Cp1250(u8"A megfejtés páratlan szám");

constexpr auto kDivisibleAnchor = Cp1250(u8"osztható");
constexpr auto kAnswerAnchor = Cp1250(u8"válasz");
constexpr auto kSumAnchor = Cp1250(u8"összege");
constexpr auto kDifferenceAnchor = Cp1250(u8"különbsége");
constexpr auto kMore = Cp1250(u8"több");

/// A comparison word and the relation it means, alone and with the or-equal word.
struct RelationWord {
  std::string_view word;
  Relation strict;
  Relation orEqual;
};

/// How the comparison words set the relation: the second word present wins over
/// the first, and the or-equal word then turns the strict relation into its or-equal
/// one.
struct RelationRule {
  RelationWord first;
  RelationWord second;
  std::string_view orEqual;
};

constexpr RelationWord kBiggerWord = {"nagyobb", Relation::kGreater, Relation::kNotLess};
constexpr RelationWord kSmallerWord = {"kisebb", Relation::kLess, Relation::kNotGreater};
constexpr RelationWord kMoreWord = {kMore, Relation::kGreater, Relation::kNotLess};
constexpr RelationWord kFewerWord = {"kevesebb", Relation::kLess, Relation::kNotGreater};

constexpr RelationRule kNumberSubject = {kBiggerWord, kSmallerWord, "pontosan"};
constexpr RelationRule kDigitsAmount = {kMoreWord, kFewerWord, "pontosan"};
// The second digit is the subject, but the first digit is the left side.
constexpr RelationRule kSecondDigitSubject = {
    {"nagyobb", Relation::kLess, Relation::kNotGreater},
    {"kisebb", Relation::kGreater, Relation::kNotLess},
    "ugyanannyi"};
constexpr RelationRule kFirstDigitSubject = {kBiggerWord, kSmallerWord, "ugyanannyi"};

enum class ValueForm {
  kUnchanged,  ///< the value keeps what an earlier phrase wrote
  kRest,       ///< a number reaching to the end of the sentence
  kDelimited,  ///< a number ending before the delimiter
  kDigitList,  ///< "lehet D1, D2, ... vagy Dlast"
  kFixed,      ///< the row's own value
};

struct CluePhrase {
  std::string_view phrase;
  bool needsComparison;  ///< "kisebb" or "nagyobb" must occur too
  ClueKind kind;
  const RelationRule* relation;  ///< nullptr: the relation is unchanged
  ValueForm form;
  std::string_view anchor;     ///< the number follows the first occurrence of this word
  std::string_view delimiter;  ///< kDelimited: the text that ends the number
  int32_t fixedValue;
};

// Every row is tried; a later match overwrites the fields an earlier one wrote.
constexpr CluePhrase kCluePhrases[] = {
    {kNotDivisibleSolution, false, ClueKind::kNotDivisibleBy, nullptr, ValueForm::kRest,
     kDivisibleAnchor, {}, 0},
    {kNotDivisibleNumber, false, ClueKind::kNotDivisibleBy, nullptr, ValueForm::kRest,
     kDivisibleAnchor, {}, 0},
    {kAnswer, true, ClueKind::kAnswerCompare, &kNumberSubject, ValueForm::kDelimited,
     kAnswerAnchor, "-", 0},
    {kDigitSumPhrase, false, ClueKind::kDigitSum, &kDigitsAmount, ValueForm::kDelimited,
     kSumAnchor, " ", 0},
    {kDigitDifferencePhrase, false, ClueKind::kDigitDifference, &kDigitsAmount,
     ValueForm::kDelimited, kDifferenceAnchor, " ", 0},
    {kDivisibleNumber, false, ClueKind::kDivisibleBy, nullptr, ValueForm::kRest, kDivisibleAnchor,
     {}, 0},
    {kDivisibleSolution, false, ClueKind::kDivisibleBy, nullptr, ValueForm::kRest,
     kDivisibleAnchor, {}, 0},
    {kSecondDigit, true, ClueKind::kDigitOrder, &kSecondDigitSubject, ValueForm::kUnchanged, {},
     {}, 0},
    {kFirstDigit, true, ClueKind::kDigitOrder, &kFirstDigitSubject, ValueForm::kUnchanged, {}, {},
     0},
    {kSecondDigitList, false, ClueKind::kSecondDigitIn, nullptr, ValueForm::kDigitList, "lehet",
     {}, 0},
    {kFirstDigitList, false, ClueKind::kFirstDigitIn, nullptr, ValueForm::kDigitList, "lehet", {},
     0},
    {kEven, false, ClueKind::kDivisibleBy, nullptr, ValueForm::kFixed, {}, {}, 2},
    {kOdd, false, ClueKind::kNotDivisibleBy, nullptr, ValueForm::kFixed, {}, {}, 2},
};

/// Every row's phrase and the two comparison words, found in one pass over a sentence.
constexpr std::size_t kRowCount = std::size(kCluePhrases);
constexpr std::size_t kSmallerBit = kRowCount;
constexpr std::size_t kBiggerBit = kRowCount + 1;
constexpr PhraseSet<kRowCount + 2> kClueWords([] {
  std::array<std::string_view, kRowCount + 2> words{};
  for (std::size_t i = 0; i < kRowCount; ++i) words[i] = kCluePhrases[i].phrase;
  words[kSmallerBit] = "kisebb";
  words[kBiggerBit] = "nagyobb";
  return words;
}());

/// Where the text after the first `anchor` starts: one character past the anchor
/// (normally its blank), then past blanks; never past the end of the sentence.
std::size_t AfterAnchor(std::string_view sentence, std::string_view anchor) {
  const std::size_t at = Find(sentence, anchor);
  if (at == kNpos) return sentence.size();
  const std::size_t next = at + anchor.size() + 1;
  return SkipBlanks(sentence, next < sentence.size() ? next : sentence.size());
}

/// The relation that `rule` reads from the sentence; false when neither word occurs.
bool ReadRelation(std::string_view sentence, const RelationRule& rule, Relation* relation) {
  const RelationWord* word = nullptr;
  if (Contains(sentence, rule.first.word)) word = &rule.first;
  if (Contains(sentence, rule.second.word)) word = &rule.second;
  if (word == nullptr) return false;
  *relation = Contains(sentence, rule.orEqual) ? word->orEqual : word->strict;
  return true;
}

/// Reads "D1, D2, ... vagy Dlast" after the first "lehet" into a packed number.
/// Items are read as decimal integers only; false without a "," or a "vagy".
bool ReadDigitList(std::string_view sentence, int32_t* packed) {
  std::size_t pos = AfterAnchor(sentence, "lehet");
  int32_t sum = 0;
  int32_t weight = 1;
  std::size_t comma = Find(sentence, ",", pos);
  if (comma == kNpos) return false;
  while (comma != kNpos) {
    sum = WrapAdd(sum, WrapMul(ReadLeadingInteger(sentence.substr(pos)), weight));
    weight = WrapMul(weight, 10);
    pos = comma + 1;
    comma = Find(sentence, ",", pos);
  }
  sum = WrapAdd(sum, WrapMul(ReadLeadingInteger(sentence.substr(pos)), weight));
  weight = WrapMul(weight, 10);
  const std::size_t vagy = Find(sentence, "vagy", pos);
  if (vagy == kNpos) return false;
  const int32_t last = ReadLeadingInteger(sentence.substr(vagy + 4));
  // A zero listed last becomes a trailing 0 digit of the packed number.
  *packed = last != 0 ? WrapAdd(sum, WrapMul(last, weight)) : WrapMul(sum, 10);
  return true;
}

/// Reads the value of a matching row; false when its number cannot be read.
bool ReadValue(std::string_view sentence, const CluePhrase& row, int32_t* value) {
  switch (row.form) {
    case ValueForm::kUnchanged:
      return true;
    case ValueForm::kFixed:
      *value = row.fixedValue;
      return true;
    case ValueForm::kDigitList:
      return ReadDigitList(sentence, value);
    case ValueForm::kRest:
    case ValueForm::kDelimited: {
      const std::size_t begin = AfterAnchor(sentence, row.anchor);
      std::string_view fragment = sentence.substr(begin);
      if (row.form == ValueForm::kDelimited) {
        const std::size_t end = Find(fragment, row.delimiter);  // none: up to the end
        if (end != kNpos) fragment = fragment.substr(0, end);
      }
      const int32_t number = ReadNumber(fragment);
      if (number < 0) return false;
      *value = number;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseNumberClue(std::string_view sentence, NumberClue* clue) {
  sentence = UpToNul(sentence);
  const std::uint32_t found = kClueWords.Match(sentence);
  const bool compares = (found >> kSmallerBit & 1u) != 0 || (found >> kBiggerBit & 1u) != 0;
  bool understood = false;
  for (std::size_t i = 0; i < kRowCount; ++i) {
    const CluePhrase& row = kCluePhrases[i];
    if ((found >> i & 1u) == 0 || (row.needsComparison && !compares)) continue;
    understood = true;
    clue->kind = row.kind;
    if (row.relation != nullptr && !ReadRelation(sentence, *row.relation, &clue->relation))
      return false;
    if (!ReadValue(sentence, row, &clue->value)) return false;
  }
  return understood;
}

}  // namespace talvorix
