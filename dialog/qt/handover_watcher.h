#pragma once
// Lets the event loop hand the dialog the paths that other programs send it.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "handover/handover_server.h"
#include "handover/rendezvous.h"

class QSocketNotifier;

namespace talvorix {

/// Listens for paths on behalf of one window. Every descriptor is watched by the event
/// loop and read without blocking, so a slow or silent sender never stalls the window.
/// While another dialog listens, this one tries to take over once a second, so it
/// serves as soon as that dialog ends.
class HandoverWatcher : public QObject {
  Q_OBJECT

 public:
  /// What is done with each path that arrives (the window's logic takes it).
  using PathHandler = std::function<void(std::string path)>;

  HandoverWatcher(PathHandler onPath, std::vector<RendezvousCandidate> candidates);
  ~HandoverWatcher() override;

  const HandoverServer& server() const { return server_; }

 private:
  void TryListen();
  void Serve();
  void WatchPeers();

  PathHandler onPath_;
  std::vector<RendezvousCandidate> candidates_;
  HandoverServer server_;
  std::unique_ptr<QSocketNotifier> listenNotifier_;
  std::map<std::uint64_t, std::unique_ptr<QSocketNotifier>> peerNotifiers_;
  QTimer deadline_;
  QTimer retry_;
  bool toldFailure_ = false;
};

}  // namespace talvorix
