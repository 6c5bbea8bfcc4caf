#include "dialog/qt/dialog_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStringDecoder>
#include <QUrl>

#include <optional>

#include "core/cp1250.h"

namespace talvorix {
namespace {

/// A text control at most this high (in vertical dialog units) holds one line.
constexpr int kOneLineHeight = 15;

/// The window's frame and title bar buttons for the template's dialog styles.
Qt::WindowFlags WindowFlagsFor(unsigned style) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (style & kTitleBar) flags |= Qt::WindowTitleHint;
  if (style & kSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (style & kTopmost) flags |= Qt::WindowStaysOnTopHint;
  return flags;
}

/// a * b / c rounded half away from zero, as dialog-unit arithmetic rounds.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

/// The file name bytes of a local file URL. They come from its percent-encoding, not
/// through text: a name that is not valid UTF-8 must reach the file system unchanged.
std::string LocalFileBytes(const QUrl& url) {
  QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  // A URL that names a host stands for a file on that host, in the form //host/path.
  if (const QString host = url.host(QUrl::FullyEncoded); !host.isEmpty()) bytes.prepend("//" + host.toLatin1());
  return bytes.toStdString();
}

/// The first dropped URL that names a local file, as 8-bit path bytes.
std::optional<std::string> FirstLocalFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) return LocalFileBytes(url);
  }
  return std::nullopt;
}

}  // namespace

QString FromCp1250(std::string_view cp1250) {
  QStringDecoder decoder("windows-1250", QStringDecoder::Flag::Stateless);
  if (decoder.isValid())
    return decoder.decode(QByteArrayView(cp1250.data(), static_cast<qsizetype>(cp1250.size())));
  // A Qt built without ICU knows no Windows code pages; the engine's table does.
  const std::string utf8 = Cp1250ToUtf8(cp1250);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

DialogUnits::DialogUnits(const QFontMetrics& metrics)
    : baseWidth_((metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                      26 +
                  1) /
                 2),
      baseHeight_(metrics.height()) {}

int DialogUnits::X(int units) const { return MulDiv(units, baseWidth_, 4); }
int DialogUnits::Y(int units) const { return MulDiv(units, baseHeight_, 8); }

QRect DialogUnits::ToPixels(const DialogRect& rect) const {
  return QRect(X(rect.left), Y(rect.top), X(rect.width), Y(rect.height));
}

DialogWindow::DialogWindow(std::string commandLinePath, EndHandler onEnd, QWidget* parent)
    : QDialog(parent, WindowFlagsFor(kDialogTemplate.style)),
      folders_({.changed = [this] { logic_.OnFolderChanged(); },
                .filesChanged = [this](std::span<const std::string> names) { logic_.OnFolderFilesChanged(names); },
                .wake = [this] { logic_.OnFolderWake(); }}),
      logic_(*this, std::move(commandLinePath), &folders_),
      onEnd_(std::move(onEnd)) {
  if (!onEnd_) onEnd_ = [](int result) { QCoreApplication::exit(result); };
  chooser_ = [this](Choice choice) { return Choose(choice); };

  const DialogTemplate& dialog = kDialogTemplate;
  setWindowTitle(FromCp1250(dialog.caption));
  setWindowIcon(QIcon(QStringLiteral(":/talvorix/talvorix.png")));
  setAcceptDrops((dialog.style & kAcceptsFiles) != 0);
  // Laid out in the desktop's font rather than the template's, which Linux seldom has.
  const DialogUnits units(fontMetrics());
  setFixedSize(units.X(dialog.rect.width), units.Y(dialog.rect.height));

  // Created in the template's order, so later controls lie above the group box.
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = AddControl(control);
    widget->setObjectName(QString::fromLatin1(control.name.data(), static_cast<qsizetype>(control.name.size())));
    widget->setGeometry(units.ToPixels(control.rect));
    if (control.id != kStaticControl) controls_[control.id] = widget;
  }

  // The keys work wherever the focus is in the dialog; the context menu shows them.
  auto* open = new QAction(FromCp1250(kOpenMenuItem), this);
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, &DialogWindow::OpenReport);
  auto* watch = new QAction(FromCp1250(kWatchMenuItem), this);
  connect(watch, &QAction::triggered, this, &DialogWindow::WatchFolder);
  auto* copy = new QAction(FromCp1250(kCopyMenuItem), this);
  copy->setShortcut(QKeySequence::Copy);
  connect(copy, &QAction::triggered, this, [this] { logic_.OnCopy(); });
  for (QAction* action : {open, watch, copy}) {
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }

  logic_.OnInit();
}

std::optional<QString> DialogWindow::Choose(Choice choice) {
  QString chosen;
  if (choice == Choice::kReport) {
    const QString filters = FromCp1250(kReportFilterName) + QStringLiteral(" (*.htm *.html *.mht *.mhtml);;") +
                            FromCp1250(kAllFilesFilterName) + QStringLiteral(" (*)");
    chosen = QFileDialog::getOpenFileName(this, FromCp1250(kOpenMenuItem), StartFolder(), filters);
  } else {
    chosen = QFileDialog::getExistingDirectory(this, FromCp1250(kWatchMenuItem), StartFolder());
  }
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

QString DialogWindow::StartFolder() {
  if (!logic_.watchedFolder().empty()) return QFile::decodeName(logic_.watchedFolder().c_str());
  if (logic_.lastReportPath().empty()) return {};
  // The report's folder, if it is still there; a report that went away names none.
  const QFileInfo report(QFile::decodeName(logic_.lastReportPath().c_str()));
  const QFileInfo folder(report.absolutePath());
  return folder.isDir() ? folder.absoluteFilePath() : QString();
}

void DialogWindow::OpenReport() {
  const std::optional<QString> chosen = chooser_(Choice::kReport);
  if (chosen) logic_.OnOpenFile(QFile::encodeName(*chosen).toStdString());
}

void DialogWindow::WatchFolder() {
  const std::optional<QString> chosen = chooser_(Choice::kFolder);
  if (chosen) logic_.OnWatchFolder(QFile::encodeName(*chosen).toStdString());
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addActions(actions());
  menu.exec(event->globalPos());
}

void DialogWindow::CopyText(std::string_view cp1250) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(FromCp1250(cp1250));
}

QWidget* DialogWindow::AddControl(const ControlTemplate& control) {
  const QString text = FromCp1250(control.text);
  switch (control.kind) {
    case ControlKind::kGroupBox: {
      auto* group = new QGroupBox(text, this);
      group->setAlignment((control.style & kCenteredTitle) ? Qt::AlignHCenter : Qt::AlignLeft);
      // The frame runs through the middle of the caption, as on a classic dialog, so the
      // text below has the room the template gives it.
      group->setStyleSheet(QStringLiteral(
          "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
          "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; }"));
      return group;
    }
    case ControlKind::kPushButton: {
      auto* button = new QPushButton(text, this);
      if (control.id == kPreviousButton) connect(button, &QPushButton::clicked, this, [this] { logic_.OnPrevious(); });
      if (control.id == kNextButton) connect(button, &QPushButton::clicked, this, [this] { logic_.OnNext(); });
      return button;
    }
    case ControlKind::kLeftText:
    case ControlKind::kCenteredText:
      break;
  }
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  const Qt::Alignment across = control.kind == ControlKind::kLeftText ? Qt::AlignLeft : Qt::AlignHCenter;
  // The desktop's font seldom fills a one-line control as the template's font does, so
  // its line sits in the middle; a taller control wraps its words from the top down.
  if (control.rect.height <= kOneLineHeight) {
    label->setAlignment(across | Qt::AlignVCenter);
  } else {
    label->setAlignment(across | Qt::AlignTop);
    label->setWordWrap(true);
  }
  if (control.style & kSunken) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
  }
  return label;
}

void DialogWindow::SetControlText(int controlId, std::string_view cp1250) {
  const auto found = controls_.find(controlId);
  if (found == controls_.end()) return;
  const QString text = FromCp1250(cp1250);
  if (auto* group = qobject_cast<QGroupBox*>(found->second)) {
    group->setTitle(text);
  } else if (auto* label = qobject_cast<QLabel*>(found->second)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QPushButton*>(found->second)) {
    button->setText(text);
  }
}

void DialogWindow::BringToForeground() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

void DialogWindow::EndDialog(int result) {
  if (ended_) return;
  ended_ = true;
  hide();
  onEnd_(result);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The title bar's close button, the system menu and Alt+F4 all end the dialog.
  logic_.OnClose();
  event->accept();
}

void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (FirstLocalFile(event->mimeData())) event->acceptProposedAction();
}

void DialogWindow::dropEvent(QDropEvent* event) {
  const std::optional<std::string> path = FirstLocalFile(event->mimeData());
  if (!path) return;
  event->acceptProposedAction();
  logic_.OnDrop(*path);
}

}  // namespace talvorix
