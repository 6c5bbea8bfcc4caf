#include "dialog/qt/qt_folder_source.h"

#include <QFile>

#include <algorithm>

#include "core/cp1250.h"
#include "dialog/folder_listing.h"

namespace talvorix {

QtFolderSource::QtFolderSource(std::function<void()> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
  wake_.setSingleShot(true);
  poll_.setInterval(1000);
  clock_.start();
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { changed_(); });
  connect(&wake_, &QTimer::timeout, this, [this] { changed_(); });
  connect(&poll_, &QTimer::timeout, this, [this] { changed_(); });
}

bool QtFolderSource::IsFolder(const std::string& path) { return IsFolderPath(path); }

std::optional<std::vector<FolderEntry>> QtFolderSource::List(const std::string& folder) { return ListFolder(folder); }

int64_t QtFolderSource::NowMilliseconds() { return clock_.elapsed(); }

void QtFolderSource::Watch(const std::string& folder) {
  wake_.stop();
  poll_.stop();
  if (const QStringList watched = watcher_.directories(); !watched.isEmpty()) watcher_.removePaths(watched);
  if (folder.empty()) return;
  watcher_.addPath(QFile::decodeName(QByteArray::fromStdString(folder)));
  poll_.start();
}

void QtFolderSource::WakeIn(int64_t milliseconds) {
  // Never sooner than every 250 ms, whatever is asked.
  wake_.start(static_cast<int>(std::clamp<int64_t>(milliseconds, 250, 60'000)));
}

std::string QtFolderSource::DisplayName(const std::string& folder) {
  const QString name = QFile::decodeName(QByteArray::fromStdString(std::string(LastPathComponent(folder))));
  // Character by character, so that one the code page lacks shows as '?' and the rest stay.
  std::string shown;
  for (const uint codePoint : name.toUcs4()) {
    const QByteArray utf8 = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1).toUtf8();
    const std::optional<std::string> cp1250 = Utf8ToCp1250(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    shown += cp1250 ? *cp1250 : std::string("?");
  }
  return shown;
}

}  // namespace talvorix
