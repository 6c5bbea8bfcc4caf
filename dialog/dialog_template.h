#pragma once
// The dialog's template: caption, size, font and controls in dialog units, with the
// texts the controls show when the dialog opens. The Qt window is built from it. The
// Windows program takes the same template from dialog/resources/talvorix.rc, which
// tests/dialog/dialog_template_test.cpp compares with this one, control by control.

#include <array>
#include <string_view>

#include "core/cp1250.h"
#include "handover/handover.h"

namespace talvorix {

// The controls the logic addresses; dialog/resources/resource.h gives the .rc the same
// numbers.
inline constexpr int kPreviousButton = 1002;
inline constexpr int kTextControl = 1004;
inline constexpr int kNextButton = 1005;
inline constexpr int kAnswerControl = 1006;
inline constexpr int kCounterControl = 1007;
inline constexpr int kTitleControl = 1008;
inline constexpr int kHintControl = 1009;
/// The id of a control that nobody addresses: a fixed text.
inline constexpr int kStaticControl = -1;

/// The dialog's and the program icon's resource numbers in the Windows program.
inline constexpr int kDialogResource = 101;
inline constexpr int kIconResource = 113;

enum class ControlKind {
  kGroupBox,      // a frame with a title on its top edge
  kLeftText,      // text from the left edge, wrapping at the right one
  kCenteredText,  // text centred between the left and right edges
  kPushButton,
};

/// How a control looks and behaves beyond its kind; bits.
enum ControlStyle : unsigned {
  kPlainControl = 0,
  kSunken = 1u << 0,              // a sunken frame round the control
  kVerticallyCentered = 1u << 1,  // one line of text, halfway between top and bottom
  kCenteredTitle = 1u << 2,       // a group box's title in the middle of its top edge
  kTabStop = 1u << 3,             // the Tab key stops at it
  kTransparent = 1u << 4,         // drawn after its siblings, so they show through it
};

/// How the dialog's window looks and behaves; bits.
enum DialogStyle : unsigned {
  kModalFrame = 1u << 0,         // a dialog's frame: no resizing
  kTitleBar = 1u << 1,           // a title bar showing the caption
  kSystemMenu = 1u << 2,         // the window menu and the close button
  kMinimizeBox = 1u << 3,        // a minimise button
  kTopmost = 1u << 4,            // stays above other windows
  kForegroundOnStart = 1u << 5,  // comes to the front when it opens
  kAcceptsFiles = 1u << 6,       // files may be dropped on it
};

/// A rectangle in dialog units: a horizontal unit is a quarter of the font's average
/// character width, a vertical one an eighth of its height.
struct DialogRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  ControlKind kind = ControlKind::kLeftText;
  std::string_view text;  // Windows-1250
  int id = kStaticControl;
  DialogRect rect;
  unsigned style = kPlainControl;
  std::string_view name;  // what the control is called in code (the Qt object name)
};

struct DialogTemplate {
  int resource = 0;
  std::string_view caption;  // Windows-1250
  DialogRect rect;
  std::string_view fontName;
  int fontPoints = 0;
  unsigned style = 0;
  std::array<ControlTemplate, 9> controls;  // in creation order: later ones lie above
};

namespace dialog_template_detail {

inline constexpr auto kTitle = Cp1250(u8"  Feladvány  ");
inline constexpr auto kHint = Cp1250(u8"Húzd rá a fordulót");
inline constexpr auto kCredit = Cp1250(u8"Készítette a Talvorix csapata");
inline constexpr auto kPrevious = Cp1250(u8"<");
inline constexpr auto kNext = Cp1250(u8">");
inline constexpr auto kAnswerLabel = Cp1250(u8"Megoldás :");

}  // namespace dialog_template_detail

/// The dialog. Its caption (kDialogCaption) is also how other programs find the Windows
/// dialog.
inline constexpr DialogTemplate kDialogTemplate = {
    .resource = kDialogResource,
    .caption = kDialogCaption,
    .rect = {0, 0, 186, 151},
    .fontName = "MS Sans Serif",
    .fontPoints = 8,
    .style = kModalFrame | kTitleBar | kSystemMenu | kMinimizeBox | kTopmost | kForegroundOnStart | kAcceptsFiles,
    .controls = {{
        {ControlKind::kGroupBox, dialog_template_detail::kTitle, kTitleControl, {2, 10, 182, 114},
         kCenteredTitle | kTransparent, "title"},
        {ControlKind::kCenteredText, dialog_template_detail::kHint, kHintControl, {2, 0, 182, 8},
         kVerticallyCentered, "hint"},
        {ControlKind::kLeftText, "", kTextControl, {6, 19, 171, 99}, kPlainControl, "text"},
        {ControlKind::kCenteredText, dialog_template_detail::kCredit, kStaticControl, {22, 140, 141, 9}, kSunken,
         "credit"},
        {ControlKind::kPushButton, dialog_template_detail::kPrevious, kPreviousButton, {9, 127, 15, 10}, kTabStop,
         "prev"},
        {ControlKind::kPushButton, dialog_template_detail::kNext, kNextButton, {57, 127, 15, 10}, kTabStop, "next"},
        {ControlKind::kCenteredText, "", kCounterControl, {27, 127, 27, 9}, kSunken, "counter"},
        {ControlKind::kLeftText, dialog_template_detail::kAnswerLabel, kStaticControl, {83, 127, 36, 8},
         kPlainControl, "answerLabel"},
        {ControlKind::kCenteredText, "", kAnswerControl, {120, 127, 56, 9}, kSunken, "answer"},
    }},
};

/// The hint line's text when no folder is watched.
inline constexpr std::string_view kIdleHint = dialog_template_detail::kHint;
/// The hint line's text in front of a watched folder's name.
inline constexpr auto kWatchedFolderHint = Cp1250(u8"Figyelt mappa: ");
/// The text control's notice while a watched folder holds no report yet.
inline constexpr auto kNoReportYetNotice = Cp1250(u8"Még nincs forduló ebben a mappában");

/// The context menu's items, with the keys that do the same.
inline constexpr auto kOpenMenuItem = Cp1250(u8"Megnyitás…");
inline constexpr auto kWatchMenuItem = Cp1250(u8"Mappa figyelése…");
inline constexpr auto kCopyMenuItem = Cp1250(u8"Megoldás másolása");
/// The file chooser's two filters: reports (*.htm, *.html, *.mht, *.mhtml) and every file.
inline constexpr auto kReportFilterName = Cp1250(u8"Forduló");
inline constexpr auto kAllFilesFilterName = Cp1250(u8"Minden fájl");

/// Whether the template has a control with this id.
constexpr bool HasControl(int id) {
  for (const ControlTemplate& control : kDialogTemplate.controls)
    if (control.id == id) return true;
  return false;
}

// The logic writes into these and pages with the two buttons.
static_assert(HasControl(kTitleControl) && HasControl(kTextControl) && HasControl(kCounterControl) &&
              HasControl(kAnswerControl) && HasControl(kPreviousButton) && HasControl(kNextButton) &&
              HasControl(kHintControl));

}  // namespace talvorix
