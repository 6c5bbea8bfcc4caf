#pragma once
// The speakers' statements about who among them tells the truth.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "hermit/truth_set.h"

namespace talvorix {

/// No speaker found; also a statement without a hint.
inline constexpr int32_t kNoSpeaker = -1;

/// What a statement says.
enum class StatementKind : int32_t {
  kHeard,             ///< speaker1 heard that speaker2 tells the truth or lies
  kTellsTruth,        ///< speaker1 tells the truth
  kLies,              ///< speaker1 lies
  kTruthTellerAmong,  ///< speaker1 or speaker2 tells the truth
  kAlwaysAgree,       ///< speaker1 and speaker2 are alike
  kAlwaysOpposite,    ///< speaker1 and speaker2 differ
  kLiarAmong,         ///< speaker1 or speaker2 lies
};

/// The sentence after a statement may say which one speaker is truthful or lies.
struct Hint {
  int32_t speaker = kNoSpeaker;  ///< kNoSpeaker: no hint
  Truth value = Truth::kUndecided;

  bool operator==(const Hint&) const = default;
};

/// One speaker's statement.
struct Statement {
  StatementKind kind = StatementKind::kHeard;
  int32_t speaker1 = 0;
  int32_t speaker2 = 0;  ///< written only by the kinds that name two speakers
  Hint hint;
  bool heardLies = false;  ///< kHeard only: the heard speaker is said to lie
};

/// The speakers' full names ("name kindword"), speaker 0 to 4.
using SpeakerNames = std::array<std::string, 5>;

/// The speaker whose full name starts earliest in s, the lower index on a tie;
/// kNoSpeaker when none occurs.
int32_t FindFirstSpeaker(std::string_view s, const SpeakerNames& names);

/// Reads one statement sentence (without its full stop) into *statement. True when
/// it was recognised. False with an empty *failure when it holds no statement phrase
/// (*statement untouched); false with the message in *failure when a phrase was
/// found but a speaker it needs was not (*statement partly written).
bool ReadStatement(std::string_view sentence, const SpeakerNames& names, Statement* statement,
                   std::string_view* failure);

}  // namespace talvorix
