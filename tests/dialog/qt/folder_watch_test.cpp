// The Qt dialog watching a real folder, headless: reports saved into it appear by
// themselves, a half-written save never shows, and the keys and the menu open, watch
// and copy.
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <optional>
#include <string>

#include "dialog/qt/dialog_window.h"
#include "dialog/qt/qt_translations.h"

namespace talvorix {
namespace {

QString Example(const char* name) { return QStringLiteral(TALVORIX_SOURCE_DIR "/examples/") + QString::fromLatin1(name); }

QByteArray ExampleBytes(const char* name) {
  QFile file(Example(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QString Text(const DialogWindow& w, const char* name) { return w.findChild<QLabel*>(QString::fromLatin1(name))->text(); }

/// Saves bytes under a name in the folder, as a browser does: the whole file at once.
void Save(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

/// A window on a fresh folder, given on the command line.
struct Fixture {
  Fixture() : window(QFile::encodeName(dir.path()).toStdString(), [this](int r) { ended = r; }) {
    window.show();
  }
  QTemporaryDir dir;
  std::optional<int> ended;
  DialogWindow window;
  QString hint() const { return Text(window, "hint"); }
  QString counter() const { return Text(window, "counter"); }
  QString In(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

const QString kIdleHintText = QStringLiteral("Húzd rá a fordulót");

/// Answers the next file chooser the window opens, as a user would: waits for it to be
/// the active modal widget, lets `answer` fill it in and close it. Started before the
/// key or the menu item that opens the chooser, whose modal loop then runs the polls.
/// A chooser still open after five seconds is rejected, so a test fails rather than hangs.
class ChooserAnswer {
 public:
  explicit ChooserAnswer(std::function<void(QFileDialog*)> answer) : answer_(std::move(answer)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (chooser != nullptr && chooser->isVisible()) {
        poll_.stop();
        filters_ = chooser->nameFilters();
        fileMode_ = chooser->fileMode();
        directory_ = chooser->directory().absolutePath();
        if (auto* buttons = chooser->findChild<QDialogButtonBox*>())
          if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel)) cancelText_ = cancel->text();
        answer_(chooser);
        answered_ = true;
      } else if (++polls_ > 200) {
        poll_.stop();
        if (QWidget* stuck = QApplication::activeModalWidget()) stuck->close();
      }
    });
    poll_.start(25);
  }
  bool answered() const { return answered_; }
  const QStringList& filters() const { return filters_; }
  QFileDialog::FileMode fileMode() const { return fileMode_; }
  /// The folder the chooser showed when it opened.
  const QString& directory() const { return directory_; }
  /// Its cancel button's text: the language Qt's own dialogs speak.
  const QString& cancelText() const { return cancelText_; }

 private:
  std::function<void(QFileDialog*)> answer_;
  QTimer poll_;
  int polls_ = 0;
  bool answered_ = false;
  QStringList filters_;
  QFileDialog::FileMode fileMode_ = QFileDialog::AnyFile;
  QString directory_;
  QString cancelText_;
};

/// Types a whole path into the chooser's name box and presses its accept button, as a
/// user does. (QFileDialog::selectFile leaves a box that has the focus alone.)
void TypeAndAccept(QFileDialog* chooser, const QString& path) {
  auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(name != nullptr);
  name->setText(path);
  static_cast<QDialog*>(chooser)->accept();  // QFileDialog::accept, protected there
}

}  // namespace

class FolderWatchTest : public QObject {
  Q_OBJECT

 private slots:
  void savedReportsAppearByThemselves();
  void aHalfWrittenSaveNeverShows();
  void anEmptyPlaceholderNeverShows();
  void aFutureDatedReportHidesNoLaterSave();
  void aSingleFileSaveAppears();
  void dropOfAFileEndsWatching();
  void copyPutsTheAnswerOnTheClipboard();
  void ctrlOOpensTheChosenReport();
  void contextMenuOffersOpenWatchAndCopy();
  void ctrlOOpensTheRealFileChooser();
  void watchFolderOpensTheRealFolderChooser();
  void choosersOpenInTheWatchedFolderElseTheLastReports();
  void choosersSpeakTheLanguageOfTheLocale();
};

void FolderWatchTest::savedReportsAppearByThemselves() {
  Fixture f;
  QVERIFY(f.dir.isValid());
  QCOMPARE(Text(f.window, "text"), QStringLiteral("Még nincs forduló ebben a mappában"));
  QCOMPARE(f.hint(), QStringLiteral("Figyelt mappa: ") + QDir(f.dir.path()).dirName());
  QCOMPARE(f.window.windowTitle(), QStringLiteral("Talvorix v0.93"));
  QCOMPARE(f.counter(), QString());

  Save(f.In("notes.txt"), ExampleBytes("fordulo-112.html"));
  Save(f.In("fordulo-113.html"), ExampleBytes("fordulo-113.html"));
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2000);
  QCOMPARE(Text(f.window, "answer"), QStringLiteral("35"));

  QTest::qWait(20);  // a later modification time on every file system in use
  Save(f.In("Fordulo-112.HTM"), ExampleBytes("fordulo-112.html"));
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/4"), 2000);

  // The shown report rewritten in place, which the folder's own notifications miss.
  QTest::qWait(20);
  Save(f.In("Fordulo-112.HTM"), ExampleBytes("fordulo-113.html"));
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2500);

  // The folder emptied: the last report stays.
  QVERIFY(QFile::remove(f.In("fordulo-113.html")) && QFile::remove(f.In("Fordulo-112.HTM")));
  QTest::qWait(1200);
  QCOMPARE(f.counter(), QStringLiteral("1/3"));
}

void FolderWatchTest::aHalfWrittenSaveNeverShows() {
  Fixture f;
  const QByteArray whole = ExampleBytes("fordulo-112.html");
  QFile file(f.In("fordulo.html"));
  QVERIFY(file.open(QIODevice::WriteOnly));
  QVERIFY(file.write(whole.left(whole.size() / 2)) > 0);
  QVERIFY(file.flush());
  // Every state the counter passes through, sampled far faster than the settling time.
  QStringList seen;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, &f.window, [&] {
    if (seen.isEmpty() || seen.back() != f.counter()) seen << f.counter();
  });
  sampler.start(5);
  QTest::qWait(100);
  QVERIFY(file.write(whole.mid(whole.size() / 2)) > 0);
  file.close();
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/4"), 2000);
  QTest::qWait(400);
  sampler.stop();
  QCOMPARE(seen, (QStringList{QString(), QStringLiteral("1/4")}));
}

void FolderWatchTest::anEmptyPlaceholderNeverShows() {
  Fixture f;
  // Made under the final name before the page is written, as a browser or a shell does.
  Save(f.In("fordulo.html"), QByteArray());
  QStringList seen;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, &f.window, [&] {
    const QString text = Text(f.window, "text");
    if (seen.isEmpty() || seen.back() != text) seen << text;
  });
  sampler.start(5);
  QTest::qWait(800);
  Save(f.In("fordulo.html"), ExampleBytes("fordulo-113.html"));
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2000);
  sampler.stop();
  QVERIFY2(!seen.contains(QStringLiteral("Nem találtam feladványt a fájlban")), qPrintable(seen.join(u'|')));
  QCOMPARE(seen.front(), QStringLiteral("Még nincs forduló ebben a mappában"));
}

void FolderWatchTest::aFutureDatedReportHidesNoLaterSave() {
  QTemporaryDir dir;
  const QString future = dir.filePath(QStringLiteral("jovo.html"));
  Save(future, ExampleBytes("fordulo-113.html"));
  {
    QFile file(future);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
  }
  DialogWindow window(QFile::encodeName(dir.path()).toStdString(), [](int) {});
  window.show();
  QTRY_COMPARE_WITH_TIMEOUT(Text(window, "counter"), QStringLiteral("1/3"), 2000);
  Save(dir.filePath(QStringLiteral("most.html")), ExampleBytes("fordulo-112.html"));
  QTRY_COMPARE_WITH_TIMEOUT(Text(window, "counter"), QStringLiteral("1/4"), 2000);
}

void FolderWatchTest::aSingleFileSaveAppears() {
  Fixture f;
  QFile saved(QStringLiteral(TALVORIX_SOURCE_DIR "/tests/scanner/saved_pages/saved/fordulo-113.mhtml"));
  QVERIFY(saved.open(QIODevice::ReadOnly));
  Save(f.In("fordulo.MHTML"), saved.readAll());
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2000);
  QCOMPARE(Text(f.window, "answer"), QStringLiteral("35"));
}

void FolderWatchTest::dropOfAFileEndsWatching() {
  Fixture f;
  QCOMPARE(f.hint().left(14), QStringLiteral("Figyelt mappa:"));
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Example("fordulo-113.html"))});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&f.window, &enter);
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&f.window, &drop);
  QCOMPARE(f.hint(), kIdleHintText);
  QCOMPARE(f.counter(), QStringLiteral("1/3"));
  // A report saved into the folder that is no longer watched changes nothing.
  Save(f.In("fordulo-112.html"), ExampleBytes("fordulo-112.html"));
  QTest::qWait(600);
  QCOMPARE(f.counter(), QStringLiteral("1/3"));
}

void FolderWatchTest::copyPutsTheAnswerOnTheClipboard() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QStringLiteral("before"));  // no record: nothing copied

  Save(f.In("fordulo-113.html"), ExampleBytes("fordulo-113.html"));
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2000);
  QTest::keyClick(&f.window, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QStringLiteral("35"));
  QTest::keyClick(f.window.findChild<QPushButton*>(QStringLiteral("prev")), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), Text(f.window, "answer"));
}

void FolderWatchTest::ctrlOOpensTheChosenReport() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  std::optional<QString> answer;
  int asked = 0;
  f.window.SetChooser([&](DialogWindow::Choice choice) {
    ++asked;
    return choice == DialogWindow::Choice::kReport ? answer : std::nullopt;
  });
  QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);  // cancelled: nothing changes
  QCOMPARE(asked, 1);
  QCOMPARE(f.hint().left(14), QStringLiteral("Figyelt mappa:"));
  answer = Example("fordulo-112.html");
  QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(asked, 2);
  QCOMPARE(f.counter(), QStringLiteral("1/4"));
  QCOMPARE(f.hint(), kIdleHintText);
}

void FolderWatchTest::contextMenuOffersOpenWatchAndCopy() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QStringList items;
  QTimer::singleShot(100, &f.window, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (const QAction* action : menu->actions())
      items << action->text() + QLatin1Char('|') + action->shortcut().toString();
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), f.window.mapToGlobal(QPoint(20, 20)));
  QCoreApplication::sendEvent(&f.window, &event);
  QCOMPARE(items, (QStringList{QStringLiteral("Megnyitás…|Ctrl+O"), QStringLiteral("Mappa figyelése…|"),
                               QStringLiteral("Megoldás másolása|Ctrl+C")}));
}

// The platform's own chooser, not one a test put in its place: what it offers, and what
// choosing in it or cancelling it does.
void FolderWatchTest::ctrlOOpensTheRealFileChooser() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  struct Case {
    const char* name;
    const char* file;  // chosen; nullptr: the chooser is cancelled
    QString counter;
    QString hint;
  };
  const Case kCases[] = {
      {"cancelled", nullptr, QString(), QString()},
      {"a report chosen", "fordulo-112.html", QStringLiteral("1/4"), kIdleHintText},
      {"another one", "fordulo-114.html", QStringLiteral("1/3"), kIdleHintText},
      {"cancelled after a load", nullptr, QStringLiteral("1/3"), kIdleHintText},
  };
  const QString watchingHint = f.hint();
  for (const Case& c : kCases) {
    ChooserAnswer answer([&](QFileDialog* chooser) {
      if (c.file == nullptr) {
        chooser->reject();
        return;
      }
      TypeAndAccept(chooser, Example(c.file));
    });
    // The key works in the active window only, which the last chooser was.
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(answer.answered(), c.name);
    QCOMPARE(answer.filters(), (QStringList{QStringLiteral("Forduló (*.htm *.html *.mht *.mhtml)"), QStringLiteral("Minden fájl (*)")}));
    QCOMPARE(answer.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(f.counter(), c.counter);
    QCOMPARE(f.hint(), c.hint.isEmpty() ? watchingHint : c.hint);
  }
  QCOMPARE(Text(f.window, "answer"), QStringLiteral("3"));  // fordulo-114.html's first
}

void FolderWatchTest::watchFolderOpensTheRealFolderChooser() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QTemporaryDir other;
  QVERIFY(other.isValid());
  Save(other.filePath(QStringLiteral("fordulo-113.html")), ExampleBytes("fordulo-113.html"));
  ChooserAnswer answer([&](QFileDialog* chooser) {
    TypeAndAccept(chooser, other.path());
  });
  f.window.WatchFolder();
  QVERIFY(answer.answered());
  QCOMPARE(answer.fileMode(), QFileDialog::Directory);
  QCOMPARE(f.hint(), QStringLiteral("Figyelt mappa: ") + QDir(other.path()).dirName());
  QTRY_COMPARE_WITH_TIMEOUT(f.counter(), QStringLiteral("1/3"), 2000);
}

// The choosers open where the player's reports are: the watched folder, else the folder
// of the last report loaded.
void FolderWatchTest::choosersOpenInTheWatchedFolderElseTheLastReports() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  const QString examples = QFileInfo(Example("fordulo-112.html")).absolutePath();
  QTemporaryDir other;
  QVERIFY(other.isValid());
  struct Step {
    const char* name;
    DialogWindow::Choice choice;
    QString wantDirectory;
    QString answer;  // typed into the chooser; empty: cancelled
  };
  const Step kSteps[] = {
      {"file chooser while watching", DialogWindow::Choice::kReport, QDir(f.dir.path()).absolutePath(),
       Example("fordulo-112.html")},
      {"file chooser after a report", DialogWindow::Choice::kReport, examples, QString()},
      {"folder chooser after a report", DialogWindow::Choice::kFolder, examples, other.path()},
      {"folder chooser while watching another", DialogWindow::Choice::kFolder, QDir(other.path()).absolutePath(),
       QString()},
  };
  for (const Step& step : kSteps) {
    ChooserAnswer answer([&](QFileDialog* chooser) {
      if (step.answer.isEmpty()) {
        chooser->reject();
        return;
      }
      TypeAndAccept(chooser, step.answer);
    });
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    if (step.choice == DialogWindow::Choice::kReport) {
      QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);
    } else {
      f.window.WatchFolder();
    }
    QVERIFY2(answer.answered(), step.name);
    QCOMPARE(answer.directory(), step.wantDirectory);
  }
}

// Qt's own dialogs speak the locale's language once its translations are loaded, and
// English without them; the dialog's own texts stay Hungarian either way.
void FolderWatchTest::choosersSpeakTheLanguageOfTheLocale() {
  Fixture f;
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  struct Case {
    const char* name;
    QLocale locale;
    bool loads;
    QString cancel;
  };
  const Case kCases[] = {
      {"Hungarian", QLocale(QLocale::Hungarian, QLocale::Hungary), true, QStringLiteral("Mégse")},
      {"English", QLocale(QLocale::English, QLocale::UnitedStates), false, QStringLiteral("Cancel")},
  };
  for (const Case& c : kCases) {
    QtTranslations translations;
    QVERIFY2(translations.Load(c.locale) == c.loads,
             qPrintable(QStringLiteral("%1: qtbase's translation (Debian: qt6-translations-l10n)")
                            .arg(QString::fromLatin1(c.name))));
    ChooserAnswer answer([](QFileDialog* chooser) { chooser->reject(); });
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QTest::keyClick(&f.window, Qt::Key_O, Qt::ControlModifier);
    QVERIFY2(answer.answered(), c.name);
    QCOMPARE(QString(answer.cancelText()).remove(QLatin1Char('&')), c.cancel);
    QCOMPARE(answer.filters().first(), QStringLiteral("Forduló (*.htm *.html *.mht *.mhtml)"));
  }
}

}  // namespace talvorix

QTEST_MAIN(talvorix::FolderWatchTest)
#include "folder_watch_test.moc"
