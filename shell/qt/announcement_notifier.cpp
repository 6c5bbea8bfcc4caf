#include "shell/qt/announcement_notifier.h"

#include <QSocketNotifier>

namespace talvorix {

void WatchAnnouncements(AnnouncementListener& listener, DialogWindow& window) {
  if (listener.fd() < 0) return;
  auto* notifier = new QSocketNotifier(listener.fd(), QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&listener, &window] {
    if (listener.TakeAnnouncement()) window.logic().OnSharedPath();
  });
}

}  // namespace talvorix
