#include "scanner/scan_turn_report.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <utility>

#include "hall/hall_puzzle.h"
#include "hermit/hermit_puzzle.h"
#include "core/cp1250.h"
#include "core/phrase_set.h"
#include "scanner/growing_text.h"
#include "scanner/line_reader.h"
#include "scanner/saved_page.h"
#include "scanner/saved_page_reader.h"
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

/// Every phrase a line is tested for, found in one pass: the ancestor phrases, then the
/// hermit's start phrase, then the line-break tag.
constexpr std::size_t kHermitStartBit = kAncestorPhrases.size();
constexpr std::size_t kLineBreakBit = kHermitStartBit + 1;
constexpr PhraseSet<kLineBreakBit + 1> kLinePhrases([] {
  std::array<std::string_view, kLineBreakBit + 1> phrases{};
  for (std::size_t i = 0; i < kAncestorPhrases.size(); ++i) phrases[i] = kAncestorPhrases[i];
  phrases[kHermitStartBit] = kHermitStart.view();
  phrases[kLineBreakBit] = kLineBreak;
  return phrases;
}());

/// What one pass over a line found.
struct LinePhrases {
  bool ancestor = false;
  bool hermitStart = false;
  bool lineBreak = false;
};

LinePhrases Decode(std::uint32_t found) {
  return {(found & ((std::uint32_t{1} << kHermitStartBit) - 1)) != 0, ((found >> kHermitStartBit) & 1u) != 0,
          ((found >> kLineBreakBit) & 1u) != 0};
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

/// The one text that both puzzle kinds gather their lines into: each line followed by
/// one blank. A released text is empty, and appending to it starts the next one.
class GatheredText {
 public:
  /// A new text from `line`; one that was there before is discarded.
  void Start(std::string_view line) {
    Release();
    Append(line);
  }

  /// Grows the text by `line` and a blank.
  void Append(std::string_view line) {
    text_.Append(line);
    text_.Append(' ');
  }

  void Release() {
    text_.Clear();
    greetingFound_ = false;
    searchedUpTo_ = 0;
  }

  /// Whether the whole text holds the hermit's greeting. The text only grows until
  /// it is released, so each call searches just the part not searched before.
  bool HoldsGreeting() {
    if (greetingFound_) return true;
    const std::size_t overlap = kHermitGreeting.view().size() - 1;
    const std::size_t from = searchedUpTo_ > overlap ? searchedUpTo_ - overlap : 0;
    greetingFound_ = Find(text_.view(), kHermitGreeting, from) != kNpos;
    searchedUpTo_ = text_.size();
    return greetingFound_;
  }

  /// The writable NUL-terminated buffer that a puzzle borrows ("" when there is no text).
  char* buffer() { return text_.data(); }
  int32_t size() const { return SizeArgument(text_.size()); }

 private:
  GrowingText text_;
  bool greetingFound_ = false;
  std::size_t searchedUpTo_ = 0;
};

/// A line the tests examine, and the phrases it holds.
struct ExaminedLine {
  std::string_view text;
  LinePhrases found;
};

/// Turns each read into the line that the tests examine. In window mode that is the
/// previous line and this one joined by a blank, so that a phrase broken across the two
/// is still found; once a phrase has been seen, every line is examined alone. Each
/// byte is searched once: the joined line's phrases are the previous line's, this
/// line's and those across the seam.
class ExaminedLines {
 public:
  /// For the rest of the report; there is no way back to window mode.
  void SwitchToSingleLines() { mode_ = Mode::kSingleLines; }

  /// The line to examine for `read`, valid as long as `read` and until the next call.
  ExaminedLine Next(std::string_view read) {
    if (mode_ == Mode::kSingleLines) {
      const std::string_view line = CleanLine(read, kReadLimit);
      return {line, Decode(kLinePhrases.Match(line))};
    }
    const std::string_view line = CleanLine(read, kWindowLineLimit);
    const std::uint32_t inLine = kLinePhrases.Match(line);
    const std::uint32_t found = previousFound_ | inLine | kLinePhrases.MatchAcrossBlank(previous_, line);
    examined_.assign(previous_);
    examined_.push_back(' ');
    examined_.append(line);
    previous_.assign(line);
    previousFound_ = inLine;
    return {examined_, Decode(found)};
  }

 private:
  enum class Mode { kWindow, kSingleLines };

  Mode mode_ = Mode::kWindow;
  std::string previous_;  // window mode: the previous line, already cleaned
  std::uint32_t previousFound_ = 0;  // and the phrases it holds
  std::string examined_;
};

/// A Hall puzzle: an ancestor phrase arms it, the next line with a <BR> starts its text,
/// and the following line with a <BR> completes it.
class HallTracker {
 public:
  /// An ancestor phrase was seen; a puzzle that is being gathered goes on.
  void Arm() {
    if (stage_ == Stage::kIdle) stage_ = Stage::kArmed;
  }

  /// Starts or grows the text by `line`. True when the line completes the puzzle: its
  /// text is ready to be handed over, and the tracker waits for the next phrase.
  bool TakeLine(std::string_view line, bool hasBreak, GatheredText& gathered) {
    if (stage_ == Stage::kGathering) {
      gathered.Append(line);
      if (!hasBreak) return false;
      stage_ = Stage::kIdle;
      return true;
    }
    if (stage_ == Stage::kArmed && hasBreak) {
      stage_ = Stage::kGathering;
      gathered.Start(line);
    }
    return false;
  }

 private:
  enum class Stage { kIdle, kArmed, kGathering };

  Stage stage_ = Stage::kIdle;
};

/// A hermit puzzle: the start phrase begins its text and every later line grows it. Once
/// the gathered text holds the greeting, the next line with a <BR> arms the close, and
/// the line with a <BR> after that hands the text over.
class HermitTracker {
 public:
  /// Grows the puzzle's text by `line` while one is being gathered.
  void Gather(std::string_view line, GatheredText& gathered) const {
    if (gathering_) gathered.Append(line);
  }

  /// Begins a new text at a line that holds the start phrase; true when it did.
  bool Start(std::string_view line, bool holdsStart, GatheredText& gathered) {
    if (!holdsStart) return false;
    gathering_ = true;
    gathered.Start(line);
    return true;
  }

  /// True when this line closes the puzzle: the caller hands the text over, and the
  /// tracker starts again from nothing.
  bool Closes(bool hasBreak) {
    if (stage_ != Stage::kClosing || !hasBreak) return false;
    *this = HermitTracker();
    return true;
  }

  /// A line with a <BR> after the greeting arms the close; then the greeting is looked
  /// for in the gathered text, whichever puzzle gathered it.
  void Advance(bool hasBreak, GatheredText& gathered) {
    if (stage_ == Stage::kGreetingSeen && hasBreak) stage_ = Stage::kClosing;
    if (gathered.HoldsGreeting() && stage_ == Stage::kAwaitingGreeting) stage_ = Stage::kGreetingSeen;
  }

 private:
  enum class Stage { kAwaitingGreeting, kGreetingSeen, kClosing };

  bool gathering_ = false;
  Stage stage_ = Stage::kAwaitingGreeting;
};

/// One report's scan: both trackers over the one gathered text, and the records kept.
class ReportScan {
 public:
  explicit ReportScan(const PuzzleSolvers& solvers) : solvers_(solvers) {}

  /// Runs the tests on one read. Their order decides how puzzles that overlap share the
  /// gathered text, so it is part of the behaviour.
  void TakeRead(std::string_view read) {
    const auto [line, found] = lines_.Next(read);
    const bool hasBreak = found.lineBreak;
    hermit_.Gather(line, gathered_);
    if (hermit_.Start(line, found.hermitStart, gathered_)) lines_.SwitchToSingleLines();
    if (hermit_.Closes(hasBreak)) HandOverHermit();
    hermit_.Advance(hasBreak, gathered_);
    if (hall_.TakeLine(line, hasBreak, gathered_)) HandOverHall();
    if (found.ancestor) {
      hall_.Arm();
      lines_.SwitchToSingleLines();
    }
  }

  ResultTable TakeTable() { return std::move(table_); }

 private:
  void HandOverHermit() {
    PuzzleResult result;
    // A puzzle that cannot be read is dropped; the puzzles after it still count.
    if (solvers_.hermit(gathered_.buffer(), gathered_.size(), &result)) table_.Append(result);
    gathered_.Release();
  }

  void HandOverHall() {
    PuzzleResult result;
    solvers_.hall(gathered_.buffer(), gathered_.size(), &result);  // kept whatever the solve says
    table_.Append(result);
    gathered_.Release();
  }

  const PuzzleSolvers& solvers_;
  ExaminedLines lines_;
  GatheredText gathered_;
  HallTracker hall_;
  HermitTracker hermit_;
  ResultTable table_;
};

ResultTable Scan(LineReader& reader, const PuzzleSolvers& solvers) {
  ReportScan scan(solvers);
  std::string_view read;
  for (bool atEnd = false; !atEnd;) {
    atEnd = reader.ReadLine(kReadLimit, &read);
    scan.TakeRead(read);
  }
  return scan.TakeTable();
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
  // A report in the game's own form is read as it is; a page saved by a browser or an
  // editor is read through its transcoding, so both give the same records.
  const SavedPageForm form = DetectSavedPage(*file);
  if (form.AsIs()) {
    LineReader reader(*file);
    *table = Scan(reader, EngineSolvers());
  } else {
    SavedPageReader page(*file, form);
    LineReader reader(page);
    *table = Scan(reader, EngineSolvers());
  }
  return table->count();
}

int32_t ScanTurnReport(const std::string& path, ResultTable* table, std::optional<uint64_t> byteLimit) {
  return ScanReportFile(ReportFile::Open(path), table, byteLimit);
}

}  // namespace talvorix
