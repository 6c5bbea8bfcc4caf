// A test hook for the installed dialog, loaded into it with LD_PRELOAD by
// packaging/test-deb.sh, so the program under test is the packaged one, unchanged. Once
// the dialog's window is shown, it prints the window's caption and the counter it shows
// on stderr, then closes the window as the window manager's close button does
// (QWidget::close, which sends the window its close event).

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

constexpr int kPollMs = 50;

QString CounterText(const QWidget& window) {
  static const QRegularExpression kCounter(QStringLiteral("^\\d+/\\d+$"));
  for (const QLabel* label : window.findChildren<QLabel*>())
    if (kCounter.match(label->text()).hasMatch()) return label->text();
  return QStringLiteral("(none)");
}

void CloseOnceShown() {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer, [timer] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible()) continue;
      timer->stop();
      std::fprintf(stderr, "close-hook: caption: %s\nclose-hook: counter: %s\n",
                   window->windowTitle().toUtf8().constData(), CounterText(*window).toUtf8().constData());
      std::fflush(stderr);
      window->close();
      return;
    }
  });
  timer->start(kPollMs);
}

}  // namespace

// Runs in the QCoreApplication constructor, before the program builds its window.
Q_COREAPP_STARTUP_FUNCTION(CloseOnceShown)
