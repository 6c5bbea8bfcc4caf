// talvorix.exe: the dialog on Windows. Every decision lives in MainDialog; this
// file only turns window messages into its calls.

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <utility>

#include "dialog/dialog_template.h"
#include "dialog/handover.h"
#include "dialog/main_dialog.h"
#include "dialog/win32/win32_view.h"

namespace talvorix {
namespace {

/// Everything the dialog keeps for the whole run.
struct App {
  Win32DialogView view;
  std::unique_ptr<SharedPathBlock> sharedBlock = MakeSharedPathBlock();
  MainDialog dialog;

  explicit App(std::string commandLinePath) : dialog(view, *sharedBlock, std::move(commandLinePath)) {}
};

void OnDropFiles(App* app, HDROP drop) {
  const std::wstring name = FirstDroppedFile(drop);
  DragFinish(drop);
  app->dialog.OnDrop([&name](ResultTable* table) { return ScanWideNamedReport(name, table, kDialogReportLimit); });
}

/// Only a click on one of the two buttons pages: its id with the notification
/// BN_CLICKED (0) makes up the whole command parameter. Other notifications from the
/// buttons, and commands such as Enter's IDOK or Escape's IDCANCEL, do nothing.
void OnCommand(App* app, WPARAM command) {
  if (command == MAKEWPARAM(kPreviousButton, BN_CLICKED)) {
    app->dialog.OnPrevious();
  } else if (command == MAKEWPARAM(kNextButton, BN_CLICKED)) {
    app->dialog.OnNext();
  }
}

void OnInitDialog(App* app, HWND dialog) {
  app->view.Attach(dialog);
  // The title bar and the task list show the program's icon, at their own sizes.
  for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    const HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, size, size,
                                   LR_SHARED);
    if (icon != nullptr) SendMessageA(dialog, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
  app->dialog.OnInit();
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    OnInitDialog(reinterpret_cast<App*>(lp), dialog);
    return FALSE;
  }
  App* app = reinterpret_cast<App*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (app == nullptr) return FALSE;
  switch (message) {
    case WM_DROPFILES:           OnDropFiles(app, reinterpret_cast<HDROP>(wp)); return TRUE;
    case kLoadSharedPathMessage: app->dialog.OnSharedPath(); return TRUE;
    case WM_COMMAND:             OnCommand(app, wp); return TRUE;
    case WM_CLOSE:               app->dialog.OnClose(); return TRUE;
    default:                     return FALSE;
  }
}

}  // namespace
}  // namespace talvorix

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string_view tail = talvorix::CommandLineTail(GetCommandLineA());
  talvorix::App app{std::string(talvorix::CommandLinePath(tail))};
  DialogBoxParamA(instance, MAKEINTRESOURCEA(talvorix::kDialogResource), nullptr, talvorix::DialogProc,
                  reinterpret_cast<LPARAM>(&app));
  return 1;
}
