#pragma once
// Lets the event loop wake the dialog when another program hands over a path.

#include "shell/handover_posix.h"
#include "shell/qt/dialog_window.h"

namespace talvorix {

/// While the window lives, each announcement from this user that reaches `listener`
/// makes the dialog read the shared block. Does nothing when `listener` is not listening.
void WatchAnnouncements(AnnouncementListener& listener, DialogWindow& window);

}  // namespace talvorix
