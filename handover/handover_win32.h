#pragma once
// The hand-over on Windows: the dialog's side of the shared block, the message that
// announces a path in it, and the dialog's answer to that message, which the sender
// reads: proof that a Talvorix dialog answered, which path it read from the block, and
// what it did with it. Programs that do not read the answer are not affected by it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "handover/handover.h"

namespace talvorix {

/// The window message (0x414B) that announces a path in the block to the Windows dialog.
inline constexpr unsigned kLoadSharedPathMessage = 16715;

/// The dialog's side: the block, opened or created on first use and kept open.
std::unique_ptr<SharedPathBlock> MakeSharedPathBlock();

/// What the dialog did with the path it read from the block.
enum class HandOverResult : uint32_t {
  kLoaded = 1,      // read the report (with riddles or without)
  kWatched = 2,     // the path named a folder, which it now watches
  kUnreadable = 3,  // could not read the report or the folder ("Nincs ilyen fájl")
  kEmpty = 4,       // the block held no path; nothing changed
  kNoBlock = 5,     // the block could not be opened; nothing changed
};

/// The answer's high 32 bits ("Tvrx"): a window that is not a Talvorix dialog answers 0
/// or something else.
inline constexpr uint64_t kHandOverMarker = 0x54767278;

/// The bytes of a path before its NUL, folded to 28 bits (FNV-1a): tells the sender
/// whether the dialog read its path or one that another program wrote meanwhile.
constexpr uint32_t HandOverFingerprint(std::string_view path) {
  uint32_t hash = 2166136261u;
  for (const char c : path) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return (hash >> 28 ^ hash) & 0x0FFFFFFFu;
}

/// The message result: marker, result (4 bits), fingerprint of the path read (28 bits).
constexpr int64_t HandOverAnswer(HandOverResult result, std::string_view path) {
  return static_cast<int64_t>(kHandOverMarker << 32 | static_cast<uint64_t>(result) << 28 |
                              HandOverFingerprint(path));
}

struct ParsedHandOverAnswer {
  HandOverResult result;
  uint32_t fingerprint;
};

/// A message result read back; nullopt when it is no Talvorix dialog's answer.
constexpr std::optional<ParsedHandOverAnswer> ParseHandOverAnswer(int64_t answer) {
  const auto bits = static_cast<uint64_t>(answer);
  const auto result = static_cast<uint32_t>(bits >> 28 & 0xF);
  if (bits >> 32 != kHandOverMarker || result < 1 || result > 5) return std::nullopt;
  return ParsedHandOverAnswer{static_cast<HandOverResult>(result), static_cast<uint32_t>(bits & 0x0FFFFFFFu)};
}

static_assert(ParseHandOverAnswer(HandOverAnswer(HandOverResult::kWatched, "C:\\x"))->result ==
              HandOverResult::kWatched);
static_assert(!ParseHandOverAnswer(0) && !ParseHandOverAnswer(1));

}  // namespace talvorix
