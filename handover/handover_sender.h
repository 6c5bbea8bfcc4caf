#pragma once
// The POSIX sender: connects to the dialog's socket, writes one message and waits for
// the dialog's answer, each within its own time.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "handover/handover.h"
#include "handover/rendezvous.h"

namespace talvorix {

struct SendTimeouts {
  /// For the connection to be taken while the dialog's queue is full.
  std::chrono::milliseconds connect{2000};
  /// For the dialog's answer once the message is written.
  std::chrono::milliseconds answer{5000};
};

/// Hands `path` to the dialog listening at `socketAddress`.
SendOutcome SendPathTo(std::string_view path, const std::string& socketAddress, const SendTimeouts& timeouts,
                       std::string* detail);

/// Hands `path` to the dialog in the first candidate directory that has one.
SendOutcome SendPathToCandidates(std::string_view path, const std::vector<RendezvousCandidate>& candidates,
                                 const SendTimeouts& timeouts, std::string* detail);

}  // namespace talvorix
