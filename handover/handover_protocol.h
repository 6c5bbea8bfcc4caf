#pragma once
// The message that carries a path over the POSIX hand-over's socket, as bytes.
//
// The sender writes kMessageMagic, the path's length as two bytes (big-endian, 1 to
// kSharedPathSize - 1) and the path's bytes (no NUL), and nothing after them. The dialog
// answers a whole message with the one byte kAccepted, and the path is the dialog's.

#include <cstddef>
#include <string>
#include <string_view>

#include "handover/handover.h"

namespace talvorix {

inline constexpr std::string_view kMessageMagic = "PATH";
/// The magic and the two length bytes.
inline constexpr std::size_t kMessageHeaderSize = kMessageMagic.size() + 2;
/// The longest message: the header and the longest path.
inline constexpr std::size_t kMaxMessageSize = kMessageHeaderSize + kSharedPathSize - 1;
inline constexpr char kAccepted = 'K';

/// A path one message can carry: 1 to kSharedPathSize - 1 bytes, no NUL.
bool Carriable(std::string_view path);

/// The message that carries `path` (which must be Carriable).
std::string EncodeMessage(std::string_view path);

struct DecodedMessage {
  enum class State {
    kComplete,    // one whole message and nothing after it; `path` is its path
    kIncomplete,  // a true beginning of a message: more bytes may complete it
    kMalformed,   // no more bytes can make a message of it
  };
  State state = State::kIncomplete;
  std::string_view path;  // into the bytes decoded; empty unless kComplete
};

/// What the bytes received so far on one connection are.
DecodedMessage DecodeMessage(std::string_view bytes);

}  // namespace talvorix
