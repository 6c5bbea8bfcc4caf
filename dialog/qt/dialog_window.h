#pragma once
// The dialog as a Qt window: shows the texts the dialog logic sets and forwards the
// user's clicks, drops and closing to it.

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "dialog/dialog_template.h"
#include "dialog/dialog_view.h"
#include "dialog/main_dialog.h"
#include "dialog/qt/qt_folder_source.h"

class QCloseEvent;
class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QFontMetrics;

namespace talvorix {

/// Windows-1250 bytes as a QString.
QString FromCp1250(std::string_view cp1250);

/// Converts the template's dialog units to pixels for a font: horizontal units are a
/// quarter of the font's average character width, vertical units an eighth of its height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFontMetrics& metrics);
  DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}
  QRect ToPixels(const DialogRect& rect) const;
  int X(int units) const;
  int Y(int units) const;

 private:
  int baseWidth_;
  int baseHeight_;
};

class DialogWindow : public QDialog, public DialogView {
  Q_OBJECT

 public:
  /// Called with the dialog's result when it ends.
  using EndHandler = std::function<void(int result)>;
  /// What the user is asked to choose.
  enum class Choice { kReport, kFolder };
  /// Asks the user for a report or a folder; nullopt when the user cancels.
  using Chooser = std::function<std::optional<QString>(Choice choice)>;

  /// Builds the window from the dialog template and loads the command-line report, if
  /// there is one. By default ending the dialog leaves the application's event loop with
  /// the result.
  explicit DialogWindow(std::string commandLinePath, EndHandler onEnd = {}, QWidget* parent = nullptr);

  MainDialog& logic() { return logic_; }

  /// Replaces the platform's file and folder choosers (tests answer for the user).
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }
  /// Ctrl+O and "Megnyitás…": opens the report the user chooses.
  void OpenReport();
  /// "Mappa figyelése…": watches the folder the user chooses.
  void WatchFolder();
  /// Where the choosers open: the watched folder, else the last report's folder, else
  /// empty (the chooser's own choice, the working directory).
  QString StartFolder();

  void SetControlText(int controlId, std::string_view cp1250) override;
  void BringToForeground() override;
  void EndDialog(int result) override;
  void CopyText(std::string_view cp1250) override;

  /// Escape does not close the dialog.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  /// Creates one control of the template, not yet placed.
  QWidget* AddControl(const ControlTemplate& control);

  /// The platform's own choosers.
  std::optional<QString> Choose(Choice choice);

  QtFolderSource folders_;
  MainDialog logic_;
  EndHandler onEnd_;
  Chooser chooser_;
  bool ended_ = false;
  /// The controls that have an id, by id.
  std::map<int, QWidget*> controls_;
};

}  // namespace talvorix
