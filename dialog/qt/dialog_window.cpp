#include "dialog/qt/dialog_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStringDecoder>
#include <QUrl>

#include <optional>

#include "core/cp1250.h"
#include "dialog/resources/resource.h"

namespace talvorix {
namespace {

constexpr auto kCaption = Cp1250(u8"Talvorix v0.93");
constexpr auto kHint = Cp1250(u8"Húzd rá a fordulót");
constexpr auto kTemplateTitle = Cp1250(u8"  Feladvány  ");
constexpr auto kCredit = Cp1250(u8"Készítette a Talvorix csapata");
constexpr auto kAnswerLabel = Cp1250(u8"Megoldás :");

// The template, in dialog units: left, top, width, height.
struct Place {
  int left, top, width, height;
};
constexpr Place kDialogSize = {0, 0, 186, 151};
constexpr Place kTitlePlace = {2, 10, 182, 114};
constexpr Place kHintPlace = {2, 0, 182, 8};
constexpr Place kTextPlace = {6, 19, 171, 99};
constexpr Place kCreditPlace = {22, 140, 141, 9};
constexpr Place kPrevPlace = {9, 127, 15, 10};
constexpr Place kNextPlace = {57, 127, 15, 10};
constexpr Place kCounterPlace = {27, 127, 27, 9};
constexpr Place kAnswerLabelPlace = {83, 127, 36, 8};
constexpr Place kAnswerPlace = {120, 127, 56, 9};

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

QRect DialogUnits::ToPixels(int left, int top, int width, int height) const {
  return QRect(X(left), Y(top), X(width), Y(height));
}

DialogWindow::DialogWindow(SharedPathBlock& sharedBlock, std::string commandLinePath, EndHandler onEnd,
                           QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      logic_(*this, sharedBlock, std::move(commandLinePath)),
      onEnd_(std::move(onEnd)) {
  if (!onEnd_) onEnd_ = [](int result) { QCoreApplication::exit(result); };

  setWindowTitle(FromCp1250(kCaption));
  setWindowIcon(QIcon(QStringLiteral(":/talvorix/talvorix.png")));
  setAcceptDrops(true);
  const DialogUnits units(fontMetrics());
  setFixedSize(units.X(kDialogSize.width), units.Y(kDialogSize.height));
  const auto place = [&units](QWidget* widget, const Place& p) {
    widget->setGeometry(units.ToPixels(p.left, p.top, p.width, p.height));
  };

  // Created in the template's order, so later controls lie above the group box.
  title_ = new QGroupBox(FromCp1250(kTemplateTitle), this);
  title_->setObjectName(QStringLiteral("title"));
  title_->setAlignment(Qt::AlignHCenter);
  // The frame runs through the middle of the caption, as on a classic dialog, so the
  // text below has the room the template gives it.
  title_->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; }"));
  place(title_, kTitlePlace);
  place(AddLabel("hint", kHint, Qt::AlignCenter, false), kHintPlace);
  text_ = AddLabel("text", "", Qt::AlignLeft | Qt::AlignTop, false);
  text_->setWordWrap(true);
  place(text_, kTextPlace);
  place(AddLabel("credit", kCredit, Qt::AlignCenter, true), kCreditPlace);
  place(AddButton("prev", "<", IDC_PREV), kPrevPlace);
  place(AddButton("next", ">", IDC_NEXT), kNextPlace);
  counter_ = AddLabel("counter", "", Qt::AlignCenter, true);
  place(counter_, kCounterPlace);
  place(AddLabel("answerLabel", kAnswerLabel, Qt::AlignLeft | Qt::AlignVCenter, false), kAnswerLabelPlace);
  answer_ = AddLabel("answer", "", Qt::AlignCenter, true);
  place(answer_, kAnswerPlace);

  logic_.OnInit();
}

QLabel* DialogWindow::AddLabel(const char* name, std::string_view cp1250, Qt::Alignment alignment, bool sunken) {
  auto* label = new QLabel(FromCp1250(cp1250), this);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment);
  if (sunken) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
  }
  return label;
}

QPushButton* DialogWindow::AddButton(const char* name, const char* text, int command) {
  auto* button = new QPushButton(QString::fromLatin1(text), this);
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QPushButton::clicked, this, [this, command] { logic_.OnCommand(static_cast<uintptr_t>(command)); });
  return button;
}

void DialogWindow::SetControlText(int controlId, std::string_view cp1250) {
  const QString text = FromCp1250(cp1250);
  switch (controlId) {
    case IDC_TITLE: title_->setTitle(text); break;
    case IDC_TEXT: text_->setText(text); break;
    case IDC_COUNTER: counter_->setText(text); break;
    case IDC_ANSWER: answer_->setText(text); break;
    default: break;
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
