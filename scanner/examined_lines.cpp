#include "scanner/examined_lines.h"

#include <algorithm>
#include <array>

#include "core/cp1250.h"
#include "core/phrase_set.h"
#include "core/text.h"

namespace talvorix {
namespace {

using namespace literals;

/// Phrases that announce a Hall puzzle; any one of them arms it.
constexpr std::array<std::string_view, 15> kAncestorPhrases = {
    u8"egy ősi szellem!"_cp1250,
    u8"Egy ős!"_cp1250,
    u8"Egy ősöd!"_cp1250,
    u8"Az ősök egyik szelleme!"_cp1250,
    u8"őseid egy szellemével"_cp1250,
    u8"egy ősé!"_cp1250,
    u8"Egy ős materializációja"_cp1250,
    u8"Egy ős materializálódott!"_cp1250,
    u8"Csarnok őrizőnek, az ősieknek"_cp1250,
    u8"por a földön, és lassan alakot ölt"_cp1250,
    u8"szellemalak bontakozik"_cp1250,
    u8"szellemalak lép elő"_cp1250,
    u8"halvány szellemalak"_cp1250,
    u8"Egy ős szelleme"_cp1250,
    u8"szellem materializálódik"_cp1250,
};
constexpr auto kHermitStart = Cp1250(u8"Rábukkansz a remete odújára");
constexpr std::string_view kLineBreak = "<BR>";

/// In window mode a line keeps one character less than a read takes.
constexpr std::size_t kWindowLineLimit = 298;

/// The phrases of a line found in one pass: the ancestor phrases, then the hermit's
/// start phrase. The line-break tag, much shorter than any of them, is looked for on
/// its own, so that the pass can take longer strides.
constexpr std::size_t kHermitStartBit = kAncestorPhrases.size();
constexpr PhraseSet<kHermitStartBit + 1> kLinePhrases([] {
  std::array<std::string_view, kHermitStartBit + 1> phrases{};
  for (std::size_t i = 0; i < kAncestorPhrases.size(); ++i) phrases[i] = kAncestorPhrases[i];
  phrases[kHermitStartBit] = kHermitStart.view();
  return phrases;
}());

bool HoldsLineBreak(std::string_view line) { return line.find(kLineBreak) != std::string_view::npos; }

LinePhrases Decode(std::uint32_t found, bool lineBreak) {
  return {(found & ((std::uint32_t{1} << kHermitStartBit) - 1)) != 0, ((found >> kHermitStartBit) & 1u) != 0,
          lineBreak};
}

/// A read's characters as the line sees them: up to the first NUL, cut to `limit`,
/// without one trailing carriage return.
std::string_view CleanLine(std::string_view read, std::size_t limit) {
  std::string_view line = UpToNul(read);
  if (line.size() > limit) line = line.substr(0, limit);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

ExaminedLine ExaminedLines::Next(std::string_view read) {
  if (mode_ == Mode::kSingleLines) {
    const std::string_view line = CleanLine(read, kReadLimit);
    return {line, Decode(kLinePhrases.Match(line), HoldsLineBreak(line))};
  }
  const std::string_view line = CleanLine(read, kWindowLineLimit);
  const std::uint32_t inLine = kLinePhrases.Match(line);
  const std::uint32_t found = previousFound_ | inLine | kLinePhrases.MatchAcrossBlank(previous_, line);
  // The tag holds no blank, so it lies wholly in one of the two lines.
  const bool breakInLine = HoldsLineBreak(line);
  const bool lineBreak = previousBreak_ || breakInLine;
  previousBreak_ = breakInLine;
  examined_.assign(previous_);
  examined_.push_back(' ');
  examined_.append(line);
  previous_.assign(line);
  previousFound_ = inLine;
  return {examined_, Decode(found, lineBreak)};
}

std::vector<std::string_view> TriggerPhrases() {
  std::vector<std::string_view> phrases(kAncestorPhrases.begin(), kAncestorPhrases.end());
  phrases.push_back(kHermitStart.view());
  return phrases;
}

}  // namespace talvorix
