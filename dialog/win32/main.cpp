// talvorix.exe: the dialog on Windows. Every decision lives in MainDialog; this
// file only turns window messages into its calls.

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "dialog/dialog_template.h"
#include "dialog/main_dialog.h"
#include "wintext/wide_text_win32.h"
#include "dialog/win32/dpi_layout.h"
#include "dialog/win32/win32_folder_source.h"
#include "dialog/win32/win32_view.h"
#include "handover/handover.h"
#include "handover/handover_win32.h"

namespace talvorix {
namespace {

/// The context menu's commands.
enum MenuCommand : UINT { kOpenCommand = 1, kWatchCommand, kCopyCommand };

/// Everything the dialog keeps for the whole run.
struct App {
  Win32DialogView view;
  Win32FolderSource folders;
  std::unique_ptr<SharedPathBlock> sharedBlock = MakeSharedPathBlock();
  MainDialog dialog;
  HWND window = nullptr;
  DpiLayout layout;

  explicit App(std::string commandLinePath) : dialog(view, std::move(commandLinePath), &folders) {}
};

/// The dialog of this thread, for the keyboard filter, which has no other way to it.
App* keyboardApp = nullptr;

/// The report path of the command line, in UTF-8: the tail of the UTF-16 command line
/// (so that no name is bent to fit the code page), taken as CommandLinePath takes it,
/// except that of several quoted paths (files dropped on the program's icon) the first
/// is taken.
std::string CommandLineReport() {
  const std::optional<std::string> line = NarrowTo(GetCommandLineW(), CP_UTF8);
  if (!line) return std::string(1, '\0');  // a lone surrogate: a name no file has
  const std::string_view tail = CommandLineTail(*line);
  // A file name never holds a quote, so a quote closed before the end ends the first path.
  if (tail.size() >= 2 && tail.front() == '"') {
    const std::size_t close = tail.find('"', 1);
    if (close != std::string_view::npos && close + 1 < tail.size()) return std::string(tail.substr(1, close - 1));
  }
  return std::string(CommandLinePath(tail));
}

bool IsWideFolder(const std::wstring& name) {
  const DWORD attributes = GetFileAttributesW(name.c_str());
  return !name.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

ReportScan WideScan(std::wstring name) {
  return [name = std::move(name)](ResultTable* table) { return ScanWideNamedReport(name, table, kDialogReportLimit); };
}

void OnDropFiles(App* app, HDROP drop) {
  // Any program may send WM_DROPFILES; a handle that holds no file is no drop of ours
  // and is neither read nor released.
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
  const std::wstring name = FirstDroppedFile(drop);
  DragFinish(drop);
  if (name.empty()) return;
  // A folder is watched by its UTF-16 name, which the code page need not hold.
  if (const std::string folder = Win32FolderSource::NameOf(name); IsWideFolder(name) && !folder.empty()) {
    app->dialog.OnDropFolder(folder);
    return;
  }
  app->dialog.OnDrop(WideScan(name));
}

/// Ctrl+O: the system's file chooser, reports first, every file as the second choice.
void OpenReport(App* app) {
  // Pairs of a shown name and a pattern, each ending in a NUL; c_str() adds the last NUL.
  std::wstring filter = ControlTextFromCp1250(kReportFilterName) + L" (*.htm;*.html;*.mht;*.mhtml)";
  filter += L'\0';
  filter += L"*.htm;*.html;*.mht;*.mhtml";
  filter += L'\0';
  filter += ControlTextFromCp1250(kAllFilesFilterName) + L" (*.*)";
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  const std::wstring title = ControlTextFromCp1250(kOpenMenuItem);
  std::wstring name(MAX_PATH * 4, L'\0');
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = app->window;
  chooser.lpstrFilter = filter.c_str();
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = name.data();
  chooser.nMaxFile = static_cast<DWORD>(name.size());
  chooser.lpstrTitle = title.c_str();
  chooser.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameW(&chooser)) return;
  name.resize(wcsnlen(name.c_str(), name.size()));
  app->dialog.OnOpenFile(WideScan(name));
}

/// "Mappa figyelése…": the system's folder chooser.
void WatchFolder(App* app) {
  const std::wstring title = ControlTextFromCp1250(kWatchMenuItem);
  BROWSEINFOW browse{};
  browse.hwndOwner = app->window;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return;
  std::wstring folder(MAX_PATH, L'\0');
  const bool named = SHGetPathFromIDListW(chosen, folder.data());
  ILFree(chosen);
  if (!named) return;
  folder.resize(wcsnlen(folder.c_str(), folder.size()));
  const std::string name = Win32FolderSource::NameOf(folder);
  if (!name.empty()) app->dialog.OnWatchFolder(name);
}

void OnMenuCommand(App* app, UINT command) {
  switch (command) {
    case kOpenCommand:  OpenReport(app); break;
    case kWatchCommand: WatchFolder(app); break;
    case kCopyCommand:  app->dialog.OnCopy(); break;
    default:            break;
  }
}

/// A right-click anywhere on the dialog (or Shift+F10): open, watch a folder, copy.
void OnContextMenu(App* app, LPARAM where) {
  POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == static_cast<LPARAM>(-1)) {
    at = {0, 0};
    ClientToScreen(app->window, &at);
  }
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_STRING, kOpenCommand, (ControlTextFromCp1250(kOpenMenuItem) + L"\tCtrl+O").c_str());
  AppendMenuW(menu, MF_STRING, kWatchCommand, ControlTextFromCp1250(kWatchMenuItem).c_str());
  AppendMenuW(menu, MF_STRING, kCopyCommand, (ControlTextFromCp1250(kCopyMenuItem) + L"\tCtrl+C").c_str());
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, app->window, nullptr));
  DestroyMenu(menu);
  OnMenuCommand(app, command);
}

/// Ctrl+O and Ctrl+C, whichever of the dialog's controls has the focus: the dialog's own
/// message loop passes every message through this filter first. The thread's other
/// windows (the file chooser's name box) keep their own Ctrl+O and Ctrl+C.
LRESULT CALLBACK KeyboardFilter(int code, WPARAM wp, LPARAM lp) {
  const MSG* message = reinterpret_cast<const MSG*>(lp);
  if (code == MSGF_DIALOGBOX && keyboardApp != nullptr && message != nullptr && message->message == WM_KEYDOWN &&
      keyboardApp->window != nullptr && GetAncestor(message->hwnd, GA_ROOT) == keyboardApp->window &&
      (GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
    if (message->wParam == 'O') {
      OpenReport(keyboardApp);
      return 1;
    }
    if (message->wParam == 'C') {
      keyboardApp->dialog.OnCopy();
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
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

/// Message 16715: loads the path in the shared block and answers which path it read and
/// what became of it (handover/handover_win32.h). An empty block changes nothing.
LRESULT OnSharedPath(App* app) {
  const std::optional<std::span<const char>> block = app->sharedBlock->Bytes();
  if (!block) return HandOverAnswer(HandOverResult::kNoBlock, {});
  // Copied once out of the block, so that the path answered for is the path loaded.
  const std::string path(SharedBlockPath(*block));
  if (path.empty()) return HandOverAnswer(HandOverResult::kEmpty, path);
  // Into the UTF-8 that the program's 8-bit paths are in. Bytes that the code page does
  // not define name no file: they are handed on as the empty path.
  app->dialog.OnHandedOverPath(Utf8FromCodePage(path).value_or(std::string()));
  HandOverResult result = HandOverResult::kLoaded;
  if (!app->dialog.watchedFolder().empty()) {
    result = HandOverResult::kWatched;
  } else if (app->dialog.table().count() < 0) {
    result = HandOverResult::kUnreadable;
  }
  return HandOverAnswer(result, path);
}

/// WM_DPICHANGED: the dialog moved to a monitor of another scaling (or the scaling
/// changed): laid out again for the new DPI where the system suggests.
void OnDpiChanged(App* app, int dpi, const RECT* suggested) {
  if (dpi <= 0) return;
  const POINT topLeft = suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{0, 0};
  app->layout.Apply(app->window, dpi, suggested != nullptr ? &topLeft : nullptr);
}

void OnInitDialog(App* app, HWND dialog) {
  app->window = dialog;
  // At 96 DPI the dialog manager's layout is the template's own.
  if (const int dpi = DpiLayout::DpiOf(dialog); dpi != USER_DEFAULT_SCREEN_DPI) app->layout.Apply(dialog, dpi);
  app->view.Attach(dialog);
  app->folders.Attach(dialog);
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
    case kLoadSharedPathMessage: SetWindowLongPtrW(dialog, DWLP_MSGRESULT, OnSharedPath(app)); return TRUE;
    case WM_COMMAND:             OnCommand(app, wp); return TRUE;
    case WM_TIMER:               app->folders.OnTimer(wp, app->dialog); return TRUE;
    case kFolderEventsMessage:   app->folders.Deliver(app->dialog); return TRUE;
    case WM_CONTEXTMENU:         OnContextMenu(app, lp); return TRUE;
    case WM_DPICHANGED:          OnDpiChanged(app, HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return TRUE;
    case WM_CLOSE:               app->dialog.OnClose(); return TRUE;
    default:                     return FALSE;
  }
}

}  // namespace
}  // namespace talvorix

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  talvorix::App app{talvorix::CommandLineReport()};
  talvorix::keyboardApp = &app;
  const HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, talvorix::KeyboardFilter, nullptr, GetCurrentThreadId());
  DialogBoxParamA(instance, MAKEINTRESOURCEA(talvorix::kDialogResource), nullptr, talvorix::DialogProc,
                  reinterpret_cast<LPARAM>(&app));
  if (filter != nullptr) UnhookWindowsHookEx(filter);
  return 1;
}
