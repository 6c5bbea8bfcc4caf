#include "dialog/qt/qt_folder_source.h"

#include <QFile>

#include <algorithm>

#include "core/cp1250.h"
#include "watch/folder_listing.h"

namespace talvorix {

QtFolderSource::QtFolderSource(FolderCallbacks callbacks, QObject* parent)
    : QObject(parent), callbacks_(std::move(callbacks)) {
  wake_.setSingleShot(true);
  poll_.setInterval(500);
  clock_.start();
  connect(&wake_, &QTimer::timeout, this, [this] { callbacks_.wake(); });
  connect(&poll_, &QTimer::timeout, this, [this] {
    // The folder may be back (made again, or its file system mounted): notifications
    // take over again where they can.
    if (!folder_.empty() && events_.Open(folder_)) {
      poll_.stop();
      notifier_ = std::make_unique<QSocketNotifier>(events_.waitHandle(), QSocketNotifier::Read);
      connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadEvents(); });
    }
    callbacks_.changed();
  });
}

bool QtFolderSource::IsFolder(const std::string& path) { return IsFolderPath(path); }

std::optional<std::vector<FolderEntry>> QtFolderSource::List(const std::string& folder) { return ListFolder(folder); }

std::optional<FolderEntry> QtFolderSource::Stat(const std::string& folder, const std::string& name) {
  return StatFolderFile(folder, name);
}

int64_t QtFolderSource::NowMilliseconds() { return clock_.elapsed(); }

int64_t QtFolderSource::FileTimeNow() { return talvorix::FileTimeNow(); }

void QtFolderSource::Watch(const std::string& folder) {
  wake_.stop();
  poll_.stop();
  notifier_.reset();
  events_.Close();
  folder_ = folder;
  if (folder.empty()) return;
  if (!events_.Open(folder)) {
    FallBackToLooking();
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(events_.waitHandle(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadEvents(); });
}

void QtFolderSource::ReadEvents() {
  const FolderChanges changes = events_.Read();
  if (changes.gone) FallBackToLooking();
  if (!changes.names.empty()) callbacks_.filesChanged(changes.names);
  if (changes.unknown || changes.gone) callbacks_.changed();
}

void QtFolderSource::FallBackToLooking() {
  notifier_.reset();
  events_.Close();
  poll_.start();
}

void QtFolderSource::WakeIn(int64_t milliseconds) {
  wake_.start(static_cast<int>(std::clamp<int64_t>(milliseconds, 1, 60'000)));
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
