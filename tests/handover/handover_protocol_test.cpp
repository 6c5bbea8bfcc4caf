// The POSIX hand-over's message as bytes: every way a connection's bytes can be a
// whole message, the beginning of one, or no message at all.
#include "handover/handover_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace talvorix {
namespace {

using State = DecodedMessage::State;

/// The magic and a length, as a sender would write them, without checking the length.
std::string Header(std::size_t length) {
  return std::string(kMessageMagic) + static_cast<char>(length >> 8 & 0xFF) + static_cast<char>(length & 0xFF);
}

TEST(HandoverProtocol, EncodeWritesMagicBigEndianLengthAndPath) {
  struct Case {
    const char* name;
    std::string path;
    std::string want;
  };
  const Case kCases[] = {
      {"one byte", "a", std::string("PATH\x00\x01" "a", 7)},
      {"a length over 255", std::string(300, 'p'), std::string("PATH\x01\x2C", 6) + std::string(300, 'p')},
      {"the longest path", std::string(kSharedPathSize - 1, 'p'),
       std::string("PATH\x03\xFF", 6) + std::string(kSharedPathSize - 1, 'p')},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, EncodeMessage(c.path));
  }
}

TEST(HandoverProtocol, CarriablePaths) {
  struct Case {
    const char* name;
    std::string path;
    bool carriable;
  };
  const Case kCases[] = {
      {"one byte", "a", true},
      {"the longest", std::string(kSharedPathSize - 1, 'p'), true},
      {"empty", "", false},
      {"no room for the block's NUL", std::string(kSharedPathSize, 'p'), false},
      {"a NUL inside", std::string("a\0b", 3), false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.carriable, Carriable(c.path));
  }
}

TEST(HandoverProtocol, DecodeTakesOnlyOneWholeMessage) {
  const std::string encoded = EncodeMessage("/home/j/fordulo.html");
  struct Case {
    const char* name;
    std::string bytes;
    State want;
    std::string path;  // for kComplete
  };
  const Case kCases[] = {
      // Whole messages.
      {"one byte", EncodeMessage("a"), State::kComplete, "a"},
      {"a path", encoded, State::kComplete, "/home/j/fordulo.html"},
      {"a length over 255", EncodeMessage(std::string(300, 'p')), State::kComplete, std::string(300, 'p')},
      {"the longest path", EncodeMessage(std::string(kSharedPathSize - 1, 'p')), State::kComplete,
       std::string(kSharedPathSize - 1, 'p')},
      {"bytes over 127 in the path", EncodeMessage("/h\xE1z/\xFF.html"), State::kComplete, "/h\xE1z/\xFF.html"},
      // Beginnings that more bytes may complete.
      {"nothing yet", "", State::kIncomplete, ""},
      {"part of the magic", "PA", State::kIncomplete, ""},
      {"the magic alone", "PATH", State::kIncomplete, ""},
      {"short header", Header(6).substr(0, 5), State::kIncomplete, ""},
      {"header alone", Header(6), State::kIncomplete, ""},
      {"short body", encoded.substr(0, 8), State::kIncomplete, ""},
      {"all but the last byte", encoded.substr(0, encoded.size() - 1), State::kIncomplete, ""},
      {"a NUL in a body not yet whole", Header(4) + std::string("a\0", 2), State::kIncomplete, ""},
      // No message, whatever follows.
      {"wrong first byte", "X", State::kMalformed, ""},
      {"wrong magic", "PATX" + encoded.substr(4), State::kMalformed, ""},
      {"lower-case magic", "path" + encoded.substr(4), State::kMalformed, ""},
      {"other words", "HELLO THERE, DIALOG", State::kMalformed, ""},
      {"length 0", Header(0), State::kMalformed, ""},
      {"length of the whole block", Header(kSharedPathSize), State::kMalformed, ""},
      {"length of the whole block, body sent", Header(kSharedPathSize) + std::string(kSharedPathSize, 'p'),
       State::kMalformed, ""},
      {"length 4096", Header(4096) + std::string(4096, 'p'), State::kMalformed, ""},
      {"length 65535", Header(0xFFFF), State::kMalformed, ""},
      {"bytes after the message", encoded + "X", State::kMalformed, ""},
      {"two messages", encoded + EncodeMessage("b.html"), State::kMalformed, ""},
      {"NUL inside the path", EncodeMessage(std::string("a\0b", 3)), State::kMalformed, ""},
      {"NUL ending the path", EncodeMessage(std::string("a.html\0", 7)), State::kMalformed, ""},
      {"NUL alone", EncodeMessage(std::string(1, '\0')), State::kMalformed, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const DecodedMessage got = DecodeMessage(c.bytes);
    EXPECT_EQ(static_cast<int>(c.want), static_cast<int>(got.state));
    EXPECT_EQ(c.path, got.path);
  }
}

// A message arriving a byte at a time is a beginning until its last byte, and whole then.
TEST(HandoverProtocol, DecodeByteByByte) {
  for (const std::string& path : {std::string("a"), std::string(300, 'p'), std::string(kSharedPathSize - 1, 'q')}) {
    SCOPED_TRACE(path.size());
    const std::string message = EncodeMessage(path);
    for (std::size_t size = 0; size < message.size(); ++size)
      ASSERT_EQ(State::kIncomplete, DecodeMessage(std::string_view(message).substr(0, size)).state) << size;
    const DecodedMessage whole = DecodeMessage(message);
    EXPECT_EQ(State::kComplete, whole.state);
    EXPECT_EQ(path, whole.path);
  }
}

}  // namespace
}  // namespace talvorix
