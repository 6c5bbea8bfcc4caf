#pragma once
// The speakers' statements about who among them tells the truth.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace talvorix {

/// No speaker found; also a statement without a hint.
inline constexpr int32_t kNoSpeaker = -1;

/// Statement kinds.
inline constexpr int32_t kHeard = 0;       ///< speaker1 heard that speaker2 tells the truth or lies
inline constexpr int32_t kTellsTruth = 1;  ///< speaker1 tells the truth
inline constexpr int32_t kLies = 2;        ///< speaker1 lies
inline constexpr int32_t kTruthTellerAmong = 3;  ///< speaker1 or speaker2 tells the truth
inline constexpr int32_t kAlwaysAgree = 4;       ///< speaker1 and speaker2 are alike
inline constexpr int32_t kAlwaysOpposite = 5;    ///< speaker1 and speaker2 differ
inline constexpr int32_t kLiarAmong = 6;         ///< speaker1 or speaker2 lies

/// One speaker's statement.
struct Statement {
  int32_t kind = kHeard;
  int32_t speaker1 = 0;
  int32_t speaker2 = 0;  ///< written only by the kinds that name two speakers
  /// kNoSpeaker, or 0-4 (that speaker is truthful), or 5-9 (speaker hint - 5 lies).
  int32_t hint = kNoSpeaker;
  int32_t heardLies = 0;  ///< kHeard only: 1 when the heard speaker is said to lie
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
