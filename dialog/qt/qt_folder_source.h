#pragma once
// The watched folder on Linux: listings that ask only about reports, inotify's named
// change notifications read as the event loop finds them (a look at the whole folder
// twice a second where the system gives none), and a single-shot timer for the wait
// until a save has settled. Idle, it costs nothing.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "dialog/folder_source.h"
#include "watch/folder_events.h"

namespace talvorix {

/// Where the source reports, as MainDialog's OnFolderChanged, OnFolderFilesChanged and
/// OnFolderWake take it.
struct FolderCallbacks {
  std::function<void()> changed;
  std::function<void(std::span<const std::string>)> filesChanged;
  std::function<void()> wake;
};

class QtFolderSource : public QObject, public FolderSource {
  Q_OBJECT

 public:
  explicit QtFolderSource(FolderCallbacks callbacks, QObject* parent = nullptr);

  bool IsFolder(const std::string& path) override;
  std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
  std::optional<FolderEntry> Stat(const std::string& folder, const std::string& name) override;
  int64_t NowMilliseconds() override;
  int64_t FileTimeNow() override;
  void Watch(const std::string& folder) override;
  void WakeIn(int64_t milliseconds) override;
  std::string DisplayName(const std::string& folder) override;

 private:
  /// Takes the notifications that wait.
  void ReadEvents();
  /// Looks at the whole folder twice a second, where notifications fail.
  void FallBackToLooking();

  FolderCallbacks callbacks_;
  FolderEvents events_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer wake_;
  QTimer poll_;
  QElapsedTimer clock_;
  std::string folder_;
};

}  // namespace talvorix
