#pragma once
// Lets the event loop hand the dialog the paths that other programs send it.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialog/handover_posix.h"

class QSocketNotifier;

namespace talvorix {

class DialogWindow;

/// Listens for paths on behalf of one window. Every descriptor is watched by the event
/// loop and read without blocking, so a slow or silent sender never stalls the window.
/// While another dialog listens, this one tries to take over once a second, so it
/// serves as soon as that dialog ends.
class HandoverWatcher : public QObject {
  Q_OBJECT

 public:
  HandoverWatcher(DialogWindow& window, LocalPathBlock& block, std::vector<RendezvousCandidate> candidates);
  ~HandoverWatcher() override;

  const HandoverServer& server() const { return server_; }

 private:
  void TryListen();
  void Serve();
  void WatchPeers();

  DialogWindow& window_;
  LocalPathBlock& block_;
  std::vector<RendezvousCandidate> candidates_;
  HandoverServer server_;
  std::unique_ptr<QSocketNotifier> listenNotifier_;
  std::map<std::uint64_t, std::unique_ptr<QSocketNotifier>> peerNotifiers_;
  QTimer deadline_;
  QTimer retry_;
  bool toldFailure_ = false;
};

}  // namespace talvorix
