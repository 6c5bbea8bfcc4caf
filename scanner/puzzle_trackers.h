#pragma once
// What the scan keeps between lines: the gathered puzzle text and where each puzzle
// kind stands.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/cp1250.h"
#include "core/text.h"
#include "scanner/growing_text.h"

namespace talvorix {

inline constexpr auto kHermitGreeting = Cp1250(u8"<BR> Üdvözöllek, ifjú galetki!");

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

  /// The text that a puzzle borrows; valid until the text changes.
  std::string_view text() const { return text_.view(); }

 private:
  GrowingText text_;
  bool greetingFound_ = false;
  std::size_t searchedUpTo_ = 0;
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

}  // namespace talvorix
