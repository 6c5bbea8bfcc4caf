// talvorix: the dialog that shows the riddles of a turn report and their answers.

#include <QApplication>
#include <QScreen>

#include <string>

#include "dialog/main_dialog.h"
#include "dialog/qt/dialog_window.h"
#include "dialog/qt/handover_watcher.h"
#include "dialog/qt/qt_translations.h"
#include "handover/rendezvous.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  QApplication::setQuitOnLastWindowClosed(false);
  // The choosers speak the user's language when Qt's translations are installed.
  talvorix::QtTranslations translations;
  static_cast<void>(translations.Load(QLocale::system()));  // none found: Qt speaks English

  // The arguments, joined with single blanks, are the report path.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  const std::string path(talvorix::CommandLinePath(commandLine));

  // Paths from other programs arrive through the socket.
  talvorix::DialogWindow window(path);
  talvorix::HandoverWatcher watcher([&window](std::string handed) { window.logic().OnHandedOverPath(std::move(handed)); },
                                    talvorix::RendezvousCandidates(talvorix::CurrentEnvironment()));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) window.move(screen->availableGeometry().topLeft());
  window.show();
  return app.exec();
}
