#pragma once
// The lines that the scan examines, and the phrases each one holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvorix {

/// One read takes at most this many characters.
inline constexpr std::size_t kReadLimit = 299;

/// What one pass over a line found.
struct LinePhrases {
  bool ancestor = false;     ///< a phrase that announces a Hall puzzle
  bool hermitStart = false;  ///< the phrase that starts a hermit puzzle
  bool lineBreak = false;    ///< a <BR>
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
  ExaminedLine Next(std::string_view read);

 private:
  enum class Mode { kWindow, kSingleLines };

  Mode mode_ = Mode::kWindow;
  std::string previous_;  // window mode: the previous line, already cleaned
  std::uint32_t previousFound_ = 0;  // and the phrases it holds
  bool previousBreak_ = false;       // and whether it holds a <BR>
  std::string examined_;
};

/// The phrases that arm a Hall puzzle or start a hermit puzzle, in Windows-1250.
std::vector<std::string_view> TriggerPhrases();

}  // namespace talvorix
