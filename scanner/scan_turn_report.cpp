#include "scanner/scan_turn_report.h"

#include <array>
#include <limits>

#include "hall/hall_puzzle.h"
#include "hermit/hermit_puzzle.h"
#include "core/cp1250.h"
#include "scanner/growing_text.h"
#include "scanner/line_reader.h"
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
constexpr auto kHermitGreeting = Cp1250(u8"<BR> Üdvözöllek, ifjú galetki!");
constexpr std::string_view kLineBreak = "<BR>";

/// One read takes at most this many characters.
constexpr std::size_t kReadLimit = 299;
/// In window mode a line keeps one character less than a read takes.
constexpr std::size_t kWindowLineLimit = 298;

bool HoldsAncestorPhrase(std::string_view text) {
  for (const auto& phrase : kAncestorPhrases)
    if (Contains(text, phrase)) return true;
  return false;
}

/// A read's characters as the line sees them: up to the first NUL, cut to `limit`,
/// without one trailing carriage return.
std::string_view CleanLine(std::string_view read, std::size_t limit) {
  std::string_view line = UpToNul(read);
  if (line.size() > limit) line = line.substr(0, limit);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

/// The size with the NUL that a puzzle is told, capped where int32_t ends.
int32_t SizeArgument(std::size_t length) {
  const std::size_t size = length + 1;
  return size > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(size);
}

/// The text that both puzzle kinds gather their lines into: each line followed by one blank.
class GatheredText {
 public:
  bool exists() const { return exists_; }

  /// A new text from `line`; one that was there before is discarded.
  void Start(std::string_view line) {
    text_.Clear();
    text_.Append(line);
    text_.Append(' ');
    exists_ = true;
    greetingFound_ = false;
    searchedUpTo_ = 0;
  }

  /// Grows the text by `line` and a blank; with no text yet, starts one.
  void Append(std::string_view line) {
    if (!exists_) return Start(line);
    text_.Append(line);
    text_.Append(' ');
  }

  void Release() {
    text_.Clear();
    exists_ = false;
    greetingFound_ = false;
    searchedUpTo_ = 0;
  }

  /// Whether the whole text holds the hermit's greeting. The text only grows until
  /// it is released, so each call searches just the part not searched before.
  bool HoldsGreeting() {
    if (!exists_ || greetingFound_) return greetingFound_;
    const std::size_t overlap = kHermitGreeting.view().size() - 1;
    const std::size_t from = searchedUpTo_ > overlap ? searchedUpTo_ - overlap : 0;
    greetingFound_ = Find(text_.view(), kHermitGreeting, from) != kNpos;
    searchedUpTo_ = text_.size();
    return greetingFound_;
  }

  /// The writable NUL-terminated buffer that a puzzle borrows.
  char* buffer() { return text_.data(); }
  int32_t size() const { return SizeArgument(text_.size()); }

 private:
  GrowingText text_;
  bool exists_ = false;
  bool greetingFound_ = false;
  std::size_t searchedUpTo_ = 0;
};

ResultTable Scan(LineReader& reader, const PuzzleSolvers& solvers) {
  ResultTable table;
  GatheredText gathered;
  std::string read;
  std::string previousLine;  // window mode: the previous line, already cleaned
  std::string examined;
  bool singleLines = false;
  bool hermitGathering = false;
  bool greetingSeen = false;
  bool hermitClosing = false;
  bool hallArmed = false;
  bool hallGathering = false;

  for (;;) {
    const bool atEnd = reader.ReadLine(kReadLimit, &read);
    if (singleLines) {
      examined.assign(CleanLine(read, kReadLimit));
    } else {
      // The window joins the previous line and this one, so that a phrase broken
      // across the two is still found.
      const std::string_view line = CleanLine(read, kWindowLineLimit);
      examined.assign(previousLine);
      examined.push_back(' ');
      examined.append(line);
      previousLine.assign(line);
    }
    const bool hasBreak = Contains(examined, kLineBreak);

    if (hermitGathering) gathered.Append(examined);
    if (Contains(examined, kHermitStart)) {
      hermitGathering = true;
      singleLines = true;
      gathered.Start(examined);
    }
    if (hermitClosing && hasBreak) {
      char emptyText[1] = {'\0'};
      PuzzleResult result;
      // A puzzle that cannot be read is dropped; the puzzles after it still count.
      if (solvers.hermit(gathered.exists() ? gathered.buffer() : emptyText,
                         gathered.exists() ? gathered.size() : 1, &result))
        table.Append(result);
      gathered.Release();
      hermitGathering = false;
      greetingSeen = false;
      hermitClosing = false;
    }
    if (greetingSeen && hasBreak) hermitClosing = true;
    if (gathered.HoldsGreeting()) greetingSeen = true;
    if (hallGathering) {
      gathered.Append(examined);
      if (hasBreak) {
        PuzzleResult result;
        solvers.hall(gathered.buffer(), gathered.size(), &result);  // kept whatever the solve says
        table.Append(result);
        gathered.Release();
        hallArmed = false;
        hallGathering = false;
      }
    } else if (hallArmed && hasBreak) {
      hallGathering = true;
      gathered.Start(examined);
    }
    if (HoldsAncestorPhrase(examined)) {
      hallArmed = true;
      singleLines = true;
    }
    if (atEnd) break;
  }
  return table;
}

}  // namespace

std::vector<std::string_view> TriggerPhrases() {
  std::vector<std::string_view> phrases(kAncestorPhrases.begin(), kAncestorPhrases.end());
  phrases.push_back(kHermitStart.view());
  return phrases;
}

PuzzleSolvers EngineSolvers() {
  return {
      [](char* text, int32_t size, PuzzleResult* result) {
        HallPuzzle puzzle(text, size);
        const bool solved = puzzle.Solve();
        *result = puzzle.result;
        return solved;
      },
      [](char* text, int32_t size, PuzzleResult* result) {
        HermitPuzzle puzzle(text, size);
        const bool solved = puzzle.Solve();
        *result = puzzle.result;
        return solved;
      },
  };
}

ResultTable ScanTurnReportText(std::string_view bytes, const PuzzleSolvers& solvers) {
  LineReader reader(bytes);
  return Scan(reader, solvers);
}

ResultTable ScanTurnReportText(std::string_view bytes) { return ScanTurnReportText(bytes, EngineSolvers()); }

int32_t ScanReportFile(std::optional<ReportFile> file, ResultTable* table, std::optional<uint64_t> byteLimit) {
  // Only a regular file counts, and one too large for the caller is not read at all.
  if (!file || (byteLimit && file->size() > *byteLimit)) {
    table->SetUnreadable();
    return -1;
  }
  LineReader reader(*file);
  *table = Scan(reader, EngineSolvers());
  return table->count();
}

int32_t ScanTurnReport(const std::string& path, ResultTable* table, std::optional<uint64_t> byteLimit) {
  return ScanReportFile(ReportFile::Open(path), table, byteLimit);
}

}  // namespace talvorix
