// talvorix: the dialog that shows the riddles of a turn report and their answers.

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "dialog/handover_posix.h"
#include "dialog/main_dialog.h"
#include "dialog/qt/dialog_window.h"
#include "dialog/qt/handover_watcher.h"

namespace {

/// For start-up measurements: when TALVORIX_FIRST_FRAME is set, the wall-clock time
/// of the first painted frame goes to stderr, and the value "quit" then ends the run.
class FirstFrameProbe : public QObject {
 public:
  explicit FirstFrameProbe(bool quit) : quit_(quit) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      seen_ = true;
      // Queued, so the painted frame has reached the screen when the time is taken.
      QTimer::singleShot(0, this, [this] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(stderr, "talvorix: first frame at %lld.%09ld\n", static_cast<long long>(now.tv_sec),
                     now.tv_nsec);
        if (quit_) QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool quit_;
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  QApplication::setQuitOnLastWindowClosed(false);

  // The arguments, joined with single blanks, are the report path.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  const std::string path(talvorix::CommandLinePath(commandLine));

  // Paths from other programs arrive through the socket; the window reads each from
  // its own copy of the block.
  talvorix::LocalPathBlock block;
  talvorix::DialogWindow window(block, path);
  talvorix::HandoverWatcher watcher(window, block, talvorix::RendezvousCandidates(talvorix::CurrentEnvironment()));

  std::unique_ptr<FirstFrameProbe> probe;
  if (const char* firstFrame = std::getenv("TALVORIX_FIRST_FRAME")) {
    probe = std::make_unique<FirstFrameProbe>(std::string(firstFrame) == "quit");
    window.installEventFilter(probe.get());
  }

  if (const QScreen* screen = QGuiApplication::primaryScreen()) window.move(screen->availableGeometry().topLeft());
  window.show();
  return app.exec();
}
