#include "handover/handover_protocol.h"

#include <algorithm>

namespace talvorix {

bool Carriable(std::string_view path) {
  return !path.empty() && path.size() < kSharedPathSize && path.find('\0') == std::string_view::npos;
}

std::string EncodeMessage(std::string_view path) {
  std::string message(kMessageMagic);
  message += static_cast<char>((path.size() >> 8) & 0xFF);
  message += static_cast<char>(path.size() & 0xFF);
  message += path;
  return message;
}

DecodedMessage DecodeMessage(std::string_view bytes) {
  using State = DecodedMessage::State;
  // Wrong from its first bytes on: refused without waiting for the rest.
  const std::size_t magic = std::min(bytes.size(), kMessageMagic.size());
  if (bytes.substr(0, magic) != kMessageMagic.substr(0, magic)) return {State::kMalformed, {}};
  if (bytes.size() < kMessageHeaderSize) return {State::kIncomplete, {}};
  const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(bytes[kMessageMagic.size()])) << 8 |
                             static_cast<unsigned char>(bytes[kMessageMagic.size() + 1]);
  if (length == 0 || length >= kSharedPathSize) return {State::kMalformed, {}};
  if (bytes.size() < kMessageHeaderSize + length) return {State::kIncomplete, {}};
  if (bytes.size() > kMessageHeaderSize + length) return {State::kMalformed, {}};  // bytes after the message
  const std::string_view path = bytes.substr(kMessageHeaderSize);
  if (path.find('\0') != std::string_view::npos) return {State::kMalformed, {}};
  return {State::kComplete, path};
}

}  // namespace talvorix
