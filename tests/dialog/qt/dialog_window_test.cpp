// The Qt dialog, headless: what the widgets show after a start, clicks, drops and a
// hand-over through talvorix-send, and how the window ends.
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>

#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/cp1250.h"
#include "dialog/qt/dialog_window.h"
#include "dialog/qt/handover_watcher.h"
#include "handover/rendezvous.h"
#include "tests/core/win1250.h"

namespace talvorix {
namespace {

QString Example(const char* name) { return QStringLiteral(TALVORIX_SOURCE_DIR "/examples/") + QString::fromLatin1(name); }
std::string ExamplePath(const char* name) { return Example(name).toStdString(); }

/// Hands each path that arrives to the window's logic, as the program does, noting it
/// in `handed` first when given.
HandoverWatcher::PathHandler ToWindow(DialogWindow& window, std::vector<std::string>* handed = nullptr) {
  return [&window, handed](std::string path) {
    if (handed != nullptr) handed->push_back(path);
    window.logic().OnHandedOverPath(std::move(path));
  };
}

/// What the window shows in the controls the logic writes.
struct Shown {
  QString title, text, counter, answer;
};

Shown Read(const DialogWindow& w) {
  return {w.findChild<QGroupBox*>(QStringLiteral("title"))->title(),
          w.findChild<QLabel*>(QStringLiteral("text"))->text(),
          w.findChild<QLabel*>(QStringLiteral("counter"))->text(),
          w.findChild<QLabel*>(QStringLiteral("answer"))->text()};
}

void Click(DialogWindow& w, const char* button) {
  QTest::mouseClick(w.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

/// A window whose ending is recorded instead of leaving the event loop.
struct Fixture {
  explicit Fixture(std::string path = {}) : window(std::move(path), [this](int r) { ended = r; }) {}
  std::optional<int> ended;
  DialogWindow window;
};

}  // namespace

class DialogWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void startShowsFirstRecordOrNotice_data();
  void startShowsFirstRecordOrNotice();
  void emptyStartKeepsTemplateTexts();
  void buttonsPageAndWrap_data();
  void buttonsPageAndWrap();
  void dropReadsFirstLocalFile_data();
  void dropReadsFirstLocalFile();
  void dropTakesTheNameBytesOfTheUrl_data();
  void dropTakesTheNameBytesOfTheUrl();
  void dragEnterWantsALocalFile_data();
  void dragEnterWantsALocalFile();
  void layoutFollowsDialogUnits();
  void decodesWindows1250();
  void handOverThroughTalvorixSend();
  void handOverOfARelativePath();
  void concurrentSendersEachArriveOnce();
  void talvorixSendErrors_data();
  void talvorixSendErrors();
  void secondProgramTakesOverWhenTheFirstDies();
  void stoppedDialogNeitherHangsSendersNorNewDialogs();
  void escapeLeavesTheDialogOpen();
  void browserSavedPageShowsTheFirstRecordOfTheOriginal_data();
  void browserSavedPageShowsTheFirstRecordOfTheOriginal();
  // Leaves the application's event loops ended: keep it last.
  void closeEndsWithResultOne();

 private:
  // The whole run's own HOME and XDG_RUNTIME_DIR, inherited by every dialog and sender
  // it starts: nothing here reaches a dialog that the user runs meanwhile.
  QTemporaryDir home_;
  QTemporaryDir runtime_;
};

void DialogWindowTest::initTestCase() {
  QVERIFY(home_.isValid() && runtime_.isValid());
  qputenv("HOME", QFile::encodeName(home_.path()));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
}

namespace {

/// XDG_RUNTIME_DIR of this process set to `dir` until the object goes, then back to
/// what it was.
class RuntimeDirFor {
 public:
  explicit RuntimeDirFor(const QString& dir) : before_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
  }
  RuntimeDirFor(const RuntimeDirFor&) = delete;
  RuntimeDirFor& operator=(const RuntimeDirFor&) = delete;
  ~RuntimeDirFor() { qputenv("XDG_RUNTIME_DIR", before_); }

 private:
  QByteArray before_;
};

}  // namespace

void DialogWindowTest::startShowsFirstRecordOrNotice_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("textStart");
  QTest::addColumn<QString>("counter");
  QTest::addColumn<QString>("answer");
  QTest::newRow("four riddles") << Example("fordulo-112.html") << QStringLiteral(" Csarnok feladvány ")
                                << QStringLiteral("Látsz egy öreg parasztot") << QStringLiteral("1/4")
                                << QStringLiteral("50");
  QTest::newRow("three riddles") << Example("fordulo-113.html") << QStringLiteral(" Csarnok feladvány ")
                                 << QStringLiteral("Zuveghar professzor") << QStringLiteral("1/3")
                                 << QStringLiteral("35");
  QTest::newRow("missing report") << Example("nincs.html") << QStringLiteral(" Feladvány ")
                                  << QStringLiteral("Nincs ilyen fájl") << QString() << QString();
  QTest::newRow("report without riddles") << QStringLiteral(TALVORIX_SOURCE_DIR "/dialog/qt/talvorix.desktop")
                                          << QStringLiteral(" Feladvány ")
                                          << QStringLiteral("Nem találtam feladványt a fájlban") << QString()
                                          << QString();
  QTest::newRow("path too long") << QString(300, QLatin1Char('x')) << QStringLiteral(" Feladvány ")
                                 << QStringLiteral("Nincs ilyen fájl") << QString() << QString();
}

void DialogWindowTest::startShowsFirstRecordOrNotice() {
  QFETCH(QString, path);
  QFETCH(QString, title);
  QFETCH(QString, textStart);
  QFETCH(QString, counter);
  QFETCH(QString, answer);
  Fixture f(path.toStdString());
  const Shown shown = Read(f.window);
  QCOMPARE(shown.title, title);
  QVERIFY2(shown.text.startsWith(textStart), qPrintable(shown.text));
  QCOMPARE(shown.counter, counter);
  QCOMPARE(shown.answer, answer);
}

void DialogWindowTest::emptyStartKeepsTemplateTexts() {
  Fixture f;
  QCOMPARE(f.window.windowTitle(), QStringLiteral("Talvorix v0.93"));
  QCOMPARE(Read(f.window).title, QStringLiteral("  Feladvány  "));
  const std::pair<const char*, QString> statics[] = {
      {"hint", QStringLiteral("Húzd rá a fordulót")},
      {"credit", QStringLiteral("Készítette a Talvorix csapata")},
      {"answerLabel", QStringLiteral("Megoldás :")},
      {"text", QString()},
      {"counter", QString()},
      {"answer", QString()},
  };
  for (const auto& [name, want] : statics) QCOMPARE(f.window.findChild<QLabel*>(QString::fromLatin1(name))->text(), want);
  Click(f.window, "next");
  Click(f.window, "prev");
  QCOMPARE(Read(f.window).counter, QString());
  QVERIFY(f.window.windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(f.window.acceptDrops());
}

void DialogWindowTest::buttonsPageAndWrap_data() {
  QTest::addColumn<QString>("clicks");
  QTest::addColumn<QString>("counter");
  QTest::addColumn<QString>("answer");
  QTest::newRow("next") << QStringLiteral(">") << QStringLiteral("2/4") << QStringLiteral("30");
  QTest::newRow("next to the last") << QStringLiteral(">>>") << QStringLiteral("4/4") << QStringLiteral("127");
  QTest::newRow("next wraps to the first") << QStringLiteral(">>>>") << QStringLiteral("1/4") << QStringLiteral("50");
  QTest::newRow("prev wraps to the last") << QStringLiteral("<") << QStringLiteral("4/4") << QStringLiteral("127");
  QTest::newRow("prev from the second") << QStringLiteral("><") << QStringLiteral("1/4") << QStringLiteral("50");
  QTest::newRow("hermit record") << QStringLiteral("<<") << QStringLiteral("3/4") << QStringLiteral("69");
}

void DialogWindowTest::buttonsPageAndWrap() {
  QFETCH(QString, clicks);
  QFETCH(QString, counter);
  QFETCH(QString, answer);
  Fixture f(ExamplePath("fordulo-112.html"));
  for (const QChar c : clicks) Click(f.window, c == QLatin1Char('>') ? "next" : "prev");
  QCOMPARE(Read(f.window).counter, counter);
  QCOMPARE(Read(f.window).answer, answer);
}

void DialogWindowTest::dropReadsFirstLocalFile_data() {
  QTest::addColumn<QList<QUrl>>("urls");
  QTest::addColumn<bool>("accepted");
  QTest::addColumn<QString>("counter");
  QTest::addColumn<QString>("answer");
  QTest::addColumn<QString>("counterAfterNext");
  const QUrl r113 = QUrl::fromLocalFile(Example("fordulo-113.html"));
  const QUrl r114 = QUrl::fromLocalFile(Example("fordulo-114.html"));
  QTest::newRow("first of two files") << QList<QUrl>{r113, r114} << true << QStringLiteral("1/3")
                                      << QStringLiteral("35") << QStringLiteral("2/3");
  QTest::newRow("web link before a file") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/f.html")), r114}
                                          << true << QStringLiteral("1/3") << QStringLiteral("3")
                                          << QStringLiteral("2/3");
  QTest::newRow("web link only") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/f.html"))} << false
                                 << QStringLiteral("1/4") << QStringLiteral("50") << QStringLiteral("2/4");
  // An unreadable drop says so in the notice, and the buttons then do nothing.
  QTest::newRow("missing file") << QList<QUrl>{QUrl::fromLocalFile(Example("nincs.html"))} << true << QString()
                                << QString() << QString();
  QTest::newRow("file without riddles")
      << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral(TALVORIX_SOURCE_DIR "/dialog/qt/talvorix.desktop"))} << true
      << QString() << QString() << QString();
}

void DialogWindowTest::dropReadsFirstLocalFile() {
  QFETCH(QList<QUrl>, urls);
  QFETCH(bool, accepted);
  QFETCH(QString, counter);
  QFETCH(QString, answer);
  QFETCH(QString, counterAfterNext);
  Fixture f(ExamplePath("fordulo-112.html"));
  QMimeData mime;
  mime.setUrls(urls);
  // As a file manager's drag does it: the window must take the drag before the drop.
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QCoreApplication::sendEvent(&f.window, &enter);
  QCOMPARE(enter.isAccepted(), accepted);
  if (accepted) {
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QVERIFY(drop.isAccepted());
  }
  QCOMPARE(Read(f.window).counter, counter);
  QCOMPARE(Read(f.window).answer, answer);
  Click(f.window, "next");
  QCOMPARE(Read(f.window).counter, counterAfterNext);
}

void DialogWindowTest::dropTakesTheNameBytesOfTheUrl_data() {
  QTest::addColumn<QByteArray>("name");
  QTest::addColumn<QByteArray>("encoded");
  QTest::newRow("not UTF-8") << QByteArray("bad\xff\xfe.html") << QByteArray("bad%FF%FE.html");
  QTest::newRow("UTF-8 accents") << QByteArray("fordul\xc3\xb3 \xc5\x91.html")
                                 << QByteArray("fordul%C3%B3%20%C5%91.html");
  QTest::newRow("Windows-1250 accents") << QByteArray::fromStdString(test::Win1250(u8"forduló.html"))
                                        << QByteArray("fordul%F3.html");
}

void DialogWindowTest::dropTakesTheNameBytesOfTheUrl() {
  QFETCH(QByteArray, name);
  QFETCH(QByteArray, encoded);
  QTemporaryDir dir;
  const std::string path = QFile::encodeName(dir.path()).toStdString() + "/" + name.toStdString();
  {
    std::ifstream in(ExamplePath("fordulo-113.html"), std::ios::binary);
    std::ofstream out(path, std::ios::binary);
    out << in.rdbuf();
  }
  Fixture f(ExamplePath("fordulo-112.html"));
  QMimeData mime;
  mime.setUrls({QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(dir.path(), "/") + "/" + encoded)});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&f.window, &enter);
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&f.window, &drop);
  std::remove(path.c_str());  // QTemporaryDir cannot name a file that is not UTF-8
  QCOMPARE(Read(f.window).counter, QStringLiteral("1/3"));  // the dropped report, not the old one
  QCOMPARE(Read(f.window).answer, QStringLiteral("35"));
}

void DialogWindowTest::dragEnterWantsALocalFile_data() {
  QTest::addColumn<QList<QUrl>>("urls");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("local file") << QList<QUrl>{QUrl::fromLocalFile(Example("fordulo-112.html"))} << QString() << true;
  QTest::newRow("web link") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/f.html"))} << QString() << false;
  QTest::newRow("plain text") << QList<QUrl>{} << QStringLiteral("/tmp/f.html") << false;
}

void DialogWindowTest::dragEnterWantsALocalFile() {
  QFETCH(QList<QUrl>, urls);
  QFETCH(QString, text);
  QFETCH(bool, accepted);
  Fixture f;
  QMimeData mime;
  if (!urls.isEmpty()) mime.setUrls(urls);
  if (!text.isEmpty()) mime.setText(text);
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  enter.ignore();
  QCoreApplication::sendEvent(&f.window, &enter);
  QCOMPARE(enter.isAccepted(), accepted);
}

void DialogWindowTest::layoutFollowsDialogUnits() {
  // Rounding as dialog units round: half a pixel goes up.
  QCOMPARE(DialogUnits(6, 13).ToPixels({120, 127, 56, 9}), QRect(180, 206, 84, 15));
  QCOMPARE(DialogUnits(7, 16).ToPixels({2, 10, 182, 114}), QRect(4, 20, 319, 228));

  Fixture f;
  const DialogUnits units(f.window.fontMetrics());
  QCOMPARE(f.window.minimumSize(), QSize(units.X(186), units.Y(151)));
  QCOMPARE(f.window.maximumSize(), f.window.minimumSize());
  const QList<QWidget*> children = f.window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  QCOMPARE(children.size(), qsizetype(kDialogTemplate.controls.size()));
  for (std::size_t i = 0; i < kDialogTemplate.controls.size(); ++i) {
    const ControlTemplate& c = kDialogTemplate.controls[i];
    const QByteArray name(c.name.data(), static_cast<qsizetype>(c.name.size()));
    const QWidget* control = children[static_cast<qsizetype>(i)];  // in the template's order
    QCOMPARE(control->objectName().toLatin1(), name);
    QCOMPARE(control->geometry(), units.ToPixels(c.rect));
    QVERIFY2(f.window.rect().contains(control->geometry()), name.constData());
  }
}

void DialogWindowTest::decodesWindows1250() {
  // Every defined byte decodes as the engine's own table says.
  const std::string undefined = "\x81\x83\x88\x90\x98";
  for (int b = 0x20; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    if (undefined.find(byte) != std::string::npos || b == 0x7F) continue;
    const std::string one(1, byte);
    QCOMPARE(FromCp1250(one), QString::fromUtf8(Cp1250ToUtf8(one).c_str()));
  }
  QCOMPARE(FromCp1250(test::Win1250(u8"árvíztűrő tükörfúrógép\nŐŰ")), QStringLiteral("árvíztűrő tükörfúrógép\nŐŰ"));
}

void DialogWindowTest::handOverThroughTalvorixSend() {
  QTemporaryDir runtime;
  QVERIFY(runtime.isValid());
  const RuntimeDirFor runtimeDir(runtime.path());
  DialogWindow window(ExamplePath("fordulo-112.html"), [](int) {});
  HandoverWatcher watcher(ToWindow(window), RendezvousCandidates(CurrentEnvironment()));
  QVERIFY(watcher.server().listening());
  QVERIFY(QFile::exists(runtime.filePath(QStringLiteral("talvorix.sock"))));
  Click(window, "next");

  const char* reports[] = {"fordulo-114.html", "fordulo-113.html"};
  const char* answers[] = {"3", "35"};
  for (int i = 0; i < 2; ++i) {
    QProcess send;
    send.start(QStringLiteral(TALVORIX_SEND), {Example(reports[i])});
    // The sender waits for the dialog's confirmation, so the event loop must run.
    QTRY_VERIFY_WITH_TIMEOUT(send.state() == QProcess::NotRunning, 10000);
    QCOMPARE(send.exitCode(), 0);
    // Each hand-over replaces the records, and the counter starts again at 1.
    QTRY_COMPARE(Read(window).answer, QString::fromLatin1(answers[i]));
    QCOMPARE(Read(window).counter, QStringLiteral("1/3"));
  }
}

void DialogWindowTest::handOverOfARelativePath() {
  // The dialog runs in this test's working directory; the sender, in the examples'
  // folder, names the report there. The dialog must show that report, not
  // "Nincs ilyen fájl".
  QTemporaryDir runtime;
  const RuntimeDirFor runtimeDir(runtime.path());
  std::vector<std::string> handed;
  DialogWindow window(ExamplePath("fordulo-112.html"), [](int) {});
  HandoverWatcher watcher(ToWindow(window, &handed), RendezvousCandidates(CurrentEnvironment()));
  QVERIFY(watcher.server().listening());
  QVERIFY(QDir::currentPath() != QStringLiteral(TALVORIX_SOURCE_DIR "/examples"));

  QProcess send;
  send.setWorkingDirectory(QStringLiteral(TALVORIX_SOURCE_DIR "/examples"));
  send.start(QStringLiteral(TALVORIX_SEND), {QStringLiteral("fordulo-113.html")});
  QTRY_VERIFY_WITH_TIMEOUT(send.state() == QProcess::NotRunning, 10000);
  QCOMPARE(send.exitCode(), 0);
  QTRY_COMPARE(Read(window).answer, QStringLiteral("35"));
  QCOMPARE(Read(window).counter, QStringLiteral("1/3"));
  QCOMPARE(handed, std::vector<std::string>{ExamplePath("fordulo-113.html")});
}

void DialogWindowTest::concurrentSendersEachArriveOnce() {
  // Eight real talvorix-send processes at a time, 200 paths of two lengths: each
  // sender that exits 0 has its path in the dialog, and every path arrives once.
  QTemporaryDir runtime;
  std::vector<std::string> handed;
  DialogWindow window({}, [](int) {});
  std::optional<HandoverWatcher> watcher;
  {
    const RuntimeDirFor runtimeDir(runtime.path());
    watcher.emplace(ToWindow(window, &handed), RendezvousCandidates(CurrentEnvironment()));
  }
  QVERIFY(watcher->server().listening());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

  constexpr int kPaths = 200;
  constexpr int kAtOnce = 8;
  std::vector<std::string> sent;
  for (int i = 0; i < kPaths; ++i)
    sent.push_back("/nincs/" + std::string(i % 2 == 0 ? 3 : 700, 'x') + "/f-" + std::to_string(i) + ".html");
  QElapsedTimer clock;
  clock.start();
  int next = 0;
  int failed = 0;
  std::vector<std::unique_ptr<QProcess>> running;
  while (next < kPaths || !running.empty()) {
    while (next < kPaths && running.size() < kAtOnce) {
      auto send = std::make_unique<QProcess>();
      send->setProcessEnvironment(env);
      send->start(QStringLiteral(TALVORIX_SEND), {QString::fromStdString(sent[next++])});
      running.push_back(std::move(send));
    }
    QTest::qWait(5);
    std::erase_if(running, [&failed](const std::unique_ptr<QProcess>& send) {
      if (send->state() != QProcess::NotRunning) return false;
      if (send->exitStatus() != QProcess::NormalExit || send->exitCode() != 0) ++failed;
      return true;
    });
    QVERIFY2(clock.elapsed() < 60000, "the burst did not finish");
  }
  QCOMPARE(failed, 0);
  QCOMPARE(std::multiset<std::string>(handed.begin(), handed.end()),
           std::multiset<std::string>(sent.begin(), sent.end()));
  qInfo("%d paths from %d senders at a time in %lld ms", kPaths, kAtOnce, static_cast<long long>(clock.elapsed()));
}

void DialogWindowTest::talvorixSendErrors_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<QString>("message");
  QTest::newRow("no dialog") << Example("fordulo-112.html") << 1 << QStringLiteral("no Talvorix dialog is running");
  QTest::newRow("path too long") << QString(1024, QLatin1Char('p')) << 64 << QStringLiteral("at most 1023");
}

namespace {

/// What Qt's painting log says when a window's painted pixels go to the screen.
constexpr char kFirstFlush[] = "qt.widgets.painting: Flushing ";

/// A real dialog process and its environment.
struct DialogProcess {
  explicit DialogProcess(const QProcessEnvironment& env) {
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
  }
  ~DialogProcess() {
    if (process.processId() > 0) kill(static_cast<pid_t>(process.processId()), SIGCONT);
    process.kill();
    process.waitForFinished();
  }
  /// Starts it and waits until its window has put its first painted frame on the screen:
  /// true when it did within 10 s. Qt's own painting log tells (see DialogEnvironment).
  bool Start() {
    process.start(QStringLiteral(TALVORIX_DIALOG), {Example("fordulo-112.html")});
    QByteArray err;
    while (!err.contains(kFirstFlush) && process.waitForReadyRead(10000)) err += process.readAll();
    return err.contains(kFirstFlush);
  }
  QProcess process;
};

QProcessEnvironment DialogEnvironment(const QString& runtimeDir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // Qt logs each flush of the window's painted pixels to the screen; the dialog itself
  // writes nothing on stderr when all goes well.
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.widgets.painting=true"));
  env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
  return env;
}

/// Runs talvorix-send; its exit code, or -1 when it did not end within `ms`.
int Send(const QProcessEnvironment& env, const char* report, int ms = 10000) {
  QProcess sender;
  sender.setProcessEnvironment(env);
  sender.start(QStringLiteral(TALVORIX_SEND), {Example(report)});
  return sender.waitForFinished(ms) ? sender.exitCode() : -1;
}

}  // namespace

void DialogWindowTest::talvorixSendErrors() {
  QFETCH(QString, path);
  QFETCH(int, exitCode);
  QFETCH(QString, message);
  // A dialog runs meanwhile where a sender without a runtime directory of its own
  // would find it (the home's cache), as the user's own dialog may: this sender,
  // with its own runtime directory, never reaches it.
  QTemporaryDir home;
  const QString homeCache = home.filePath(QStringLiteral(".cache/talvorix"));
  QVERIFY(QDir().mkpath(homeCache));
  QVERIFY(QFile::setPermissions(homeCache, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
  DialogProcess elsewhere(DialogEnvironment(homeCache));
  QVERIFY(elsewhere.Start());
  QVERIFY(QFile::exists(homeCache + QStringLiteral("/talvorix.sock")));

  QTemporaryDir runtime;  // nobody listens here
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  env.insert(QStringLiteral("HOME"), home.path());
  QProcess send;
  send.setProcessEnvironment(env);
  send.start(QStringLiteral(TALVORIX_SEND), {path});
  QVERIFY(send.waitForFinished(10000));
  QCOMPARE(send.exitCode(), exitCode);
  const QString error = QString::fromLocal8Bit(send.readAllStandardError());
  QVERIFY2(error.contains(message), qPrintable(error));
}

void DialogWindowTest::secondProgramTakesOverWhenTheFirstDies() {
  QTemporaryDir runtime;
  const QProcessEnvironment env = DialogEnvironment(runtime.path());
  const QString socket = runtime.filePath(QStringLiteral("talvorix.sock"));
  const auto inode = [&socket] {
    struct stat st {};
    return lstat(QFile::encodeName(socket).constData(), &st) == 0 ? st.st_ino : ino_t(0);
  };

  DialogProcess first(env);
  QVERIFY(first.Start());
  const ino_t listening = inode();
  QVERIFY(listening != 0);
  DialogProcess second(env);
  QVERIFY(second.Start());
  QCOMPARE(inode(), listening);  // the second leaves the first one's socket alone
  QCOMPARE(Send(env, "fordulo-113.html"), 0);

  // The listener dies without tidying up: the other dialog serves within a second or so.
  first.process.kill();
  QVERIFY(first.process.waitForFinished());
  QTRY_COMPARE_WITH_TIMEOUT(Send(env, "fordulo-114.html"), 0, 3000);
}

void DialogWindowTest::stoppedDialogNeitherHangsSendersNorNewDialogs() {
  QTemporaryDir runtime;
  const QProcessEnvironment env = DialogEnvironment(runtime.path());
  DialogProcess stopped(env);
  QVERIFY(stopped.Start());
  QCOMPARE(kill(static_cast<pid_t>(stopped.process.processId()), SIGSTOP), 0);

  QElapsedTimer clock;
  clock.start();
  QProcess sender;
  sender.setProcessEnvironment(env);
  sender.start(QStringLiteral(TALVORIX_SEND), {Example("fordulo-113.html")});
  QVERIFY(sender.waitForFinished(15000));
  QCOMPARE(sender.exitCode(), 1);
  QVERIFY2(QString::fromLocal8Bit(sender.readAllStandardError()).contains(QStringLiteral("did not take the path")),
           "the sender says the dialog is busy or stopped");
  QVERIFY(clock.elapsed() < 10000);

  DialogProcess fresh(env);
  QVERIFY2(fresh.Start(), "a new dialog's window appears while another one is stopped");
}

void DialogWindowTest::escapeLeavesTheDialogOpen() {
  Fixture f(ExamplePath("fordulo-112.html"));
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QTest::keyClick(&f.window, Qt::Key_Escape);
  QTest::keyClick(f.window.findChild<QPushButton*>(QStringLiteral("next")), Qt::Key_Escape);
  QVERIFY(f.window.isVisible());
  QVERIFY(!f.ended);
}

namespace {

/// A page of `report` as Chromium saved it (tests/scanner/saved_pages/saved/), in `form`.
QString SavedPage(const char* report, const char* form, const char* extension = "html") {
  return QStringLiteral(TALVORIX_SOURCE_DIR "/tests/scanner/saved_pages/saved/") + QString::fromLatin1(report) +
         QLatin1Char('.') + QString::fromLatin1(form) + QLatin1Char('.') + QString::fromLatin1(extension);
}

/// A single-file save of a report, as the browser wrote it ("" for its own form).
QString SingleFileSave(const char* report, const char* form) {
  const QString name = QString::fromLatin1(report) + (*form ? QLatin1Char('.') + QString::fromLatin1(form) : QString());
  return QStringLiteral(TALVORIX_SOURCE_DIR "/tests/scanner/saved_pages/saved/") + name + QStringLiteral(".mhtml");
}

/// The way a report comes into the dialog.
enum class WayIn { kCommandLine, kDrop, kHandOver };

/// What the window shows once `path` has come in the way given; a window that started
/// on fordulo-114.html for a drop or a hand-over, so that the new records must replace it.
std::optional<Shown> ShownAfter(WayIn way, const QString& path) {
  if (way == WayIn::kCommandLine) {
    Fixture f(path.toStdString());
    return Read(f.window);
  }
  if (way == WayIn::kDrop) {
    Fixture f(ExamplePath("fordulo-114.html"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    return Read(f.window);
  }
  QTemporaryDir runtime;
  DialogWindow window(ExamplePath("fordulo-114.html"), [](int) {});
  std::optional<HandoverWatcher> watcher;
  {
    const RuntimeDirFor runtimeDir(runtime.path());
    watcher.emplace(ToWindow(window), RendezvousCandidates(CurrentEnvironment()));
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  const QString before = Read(window).text;
  QProcess send;
  send.setProcessEnvironment(env);
  send.start(QStringLiteral(TALVORIX_SEND), {path});
  // The sender waits for the dialog's confirmation, so the event loop must run; the
  // dialog loads the path after it has confirmed it.
  QElapsedTimer clock;
  clock.start();
  while ((send.state() != QProcess::NotRunning || Read(window).text == before) && clock.elapsed() < 10000)
    QTest::qWait(5);
  if (send.state() != QProcess::NotRunning || send.exitCode() != 0) return std::nullopt;
  return Read(window);
}

}  // namespace

// A page saved by a browser comes in by every way the dialog has and shows what the
// report the game sent shows: text, answer, title and counter.
void DialogWindowTest::browserSavedPageShowsTheFirstRecordOfTheOriginal_data() {
  QTest::addColumn<int>("way");
  QTest::addColumn<QString>("page");
  QTest::addColumn<QString>("original");
  const struct {
    const char* name;
    WayIn way;
  } kWays[] = {{"command line", WayIn::kCommandLine}, {"drop", WayIn::kDrop}, {"hand-over", WayIn::kHandOver}};
  for (const auto& way : kWays) {
    for (const char* report : {"fordulo-112", "fordulo-113"}) {
      QTest::addRow("%s, %s in UTF-8", way.name, report)
          << static_cast<int>(way.way) << SavedPage(report, "utf8") << Example((std::string(report) + ".html").c_str());
    }
  }
  QTest::addRow("command line, UTF-16LE") << static_cast<int>(WayIn::kCommandLine)
                                          << SavedPage("fordulo-112", "utf16le") << Example("fordulo-112.html");
  QTest::addRow("drop, Windows-1250 with <br>") << static_cast<int>(WayIn::kDrop)
                                                << SavedPage("fordulo-113", "cp1250") << Example("fordulo-113.html");
  // Single-file saves ("Web page, single file") of the real browser.
  for (const auto& way : kWays) {
    QTest::addRow("%s, single file", way.name)
        << static_cast<int>(way.way) << SingleFileSave("fordulo-112", "") << Example("fordulo-112.html");
  }
  QTest::addRow("drop, single file in base64") << static_cast<int>(WayIn::kDrop)
                                               << SingleFileSave("fordulo-113", "base64") << Example("fordulo-113.html");
  QTest::addRow("hand-over, single file of a UTF-8 page")
      << static_cast<int>(WayIn::kHandOver) << SingleFileSave("fordulo-114", "utf8") << Example("fordulo-114.html");
}

void DialogWindowTest::browserSavedPageShowsTheFirstRecordOfTheOriginal() {
  QFETCH(int, way);
  QFETCH(QString, page);
  QFETCH(QString, original);
  Fixture fromGame(original.toStdString());
  const Shown want = Read(fromGame.window);
  QVERIFY(!want.answer.isEmpty());
  const std::optional<Shown> got = ShownAfter(static_cast<WayIn>(way), page);
  QVERIFY2(got.has_value(), "the hand-over did not go through");
  QCOMPARE(got->text, want.text);
  QCOMPARE(got->answer, want.answer);
  QCOMPARE(got->title, want.title);
  QCOMPARE(got->counter, want.counter);
}

void DialogWindowTest::closeEndsWithResultOne() {
  DialogWindow window(ExamplePath("fordulo-112.html"));  // ends the event loop by default
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTimer::singleShot(0, &window, [&window] { window.close(); });
  QEventLoop loop;
  QCOMPARE(loop.exec(), 1);
  QVERIFY(!window.isVisible());
}

}  // namespace talvorix

QTEST_MAIN(talvorix::DialogWindowTest)
#include "dialog_window_test.moc"
