#include "dialog/qt/handover_watcher.h"

#include <QSocketNotifier>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace talvorix {

HandoverWatcher::HandoverWatcher(PathHandler onPath, std::vector<RendezvousCandidate> candidates)
    : onPath_(std::move(onPath)), candidates_(std::move(candidates)) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, &HandoverWatcher::Serve);
  retry_.setInterval(1000);
  connect(&retry_, &QTimer::timeout, this, &HandoverWatcher::TryListen);
  TryListen();
}

HandoverWatcher::~HandoverWatcher() = default;

void HandoverWatcher::TryListen() {
  std::string detail;
  const HandoverServer::Start start = server_.Listen(candidates_, &detail);
  if (start == HandoverServer::Start::kFailed && !toldFailure_) {
    std::fprintf(stderr, "talvorix: paths cannot be handed over to this dialog: %s\n", detail.c_str());
    toldFailure_ = true;
  }
  if (start != HandoverServer::Start::kListening) {
    if (!retry_.isActive()) retry_.start();
    return;
  }
  retry_.stop();
  if (listenNotifier_) return;
  listenNotifier_ = std::make_unique<QSocketNotifier>(server_.listenFd(), QSocketNotifier::Read);
  connect(listenNotifier_.get(), &QSocketNotifier::activated, this, &HandoverWatcher::Serve);
}

void HandoverWatcher::Serve() {
  const std::vector<std::string> paths = server_.Service(std::chrono::steady_clock::now());
  WatchPeers();
  for (const std::string& path : paths) onPath_(path);
}

void HandoverWatcher::WatchPeers() {
  const std::vector<HandoverServer::PeerHandle> peers = server_.peers();
  // The notifiers of closed connections go first: a new connection may already have
  // the same descriptor number.
  std::erase_if(peerNotifiers_, [&peers](const auto& entry) {
    return std::none_of(peers.begin(), peers.end(),
                        [&entry](const HandoverServer::PeerHandle& peer) { return peer.serial == entry.first; });
  });
  for (const HandoverServer::PeerHandle& peer : peers) {
    if (peerNotifiers_.contains(peer.serial)) continue;
    auto notifier = std::make_unique<QSocketNotifier>(peer.fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &HandoverWatcher::Serve);
    peerNotifiers_.emplace(peer.serial, std::move(notifier));
  }
  const std::optional<int> wait = server_.MsUntilDeadline(std::chrono::steady_clock::now());
  if (wait) {
    deadline_.start(*wait + 1);
  } else {
    deadline_.stop();
  }
}

}  // namespace talvorix
