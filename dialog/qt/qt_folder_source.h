#pragma once
// The watched folder on Linux: std::filesystem listings, QFileSystemWatcher change
// notifications, a single-shot timer for the wait until a save has settled, and a look
// once a second for what a folder's notifications leave out (a file rewritten in place).

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "dialog/folder_watch.h"

namespace talvorix {

class QtFolderSource : public QObject, public FolderSource {
  Q_OBJECT

 public:
  /// `changed` is called for every change of the watched folder and every ended wait.
  explicit QtFolderSource(std::function<void()> changed, QObject* parent = nullptr);

  bool IsFolder(const std::string& path) override;
  std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
  int64_t NowMilliseconds() override;
  void Watch(const std::string& folder) override;
  void WakeIn(int64_t milliseconds) override;
  std::string DisplayName(const std::string& folder) override;

 private:
  std::function<void()> changed_;
  QFileSystemWatcher watcher_;
  QTimer wake_;
  QTimer poll_;
  QElapsedTimer clock_;
};

}  // namespace talvorix
