#include "tests/dialog/win32/chooser_tests.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "dialog/dialog_template.h"
#include "tests/dialog/win32/e2e_support.h"
#include "tests/dialog/win32/menu_probe.h"

namespace talvorix::e2e {
namespace {

/// How long a chooser or a menu may take to open or to close.
constexpr DWORD kWindowTimeoutMs = 5000;
constexpr DWORD kPollMs = 25;

/// The controls of the system's file chooser (the template ids of its explorer style).
constexpr int kFileTypeList = 0x470;   // cmb1
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

struct WindowSearch {
  DWORD processId;
  HWND dialog;
  const wchar_t* className;
  HWND found;
};

/// A visible top-level window of the dialog's process with this class, other than the
/// dialog itself.
HWND FindProcessWindow(const Dialog& dialog, const wchar_t* className) {
  WindowSearch search{GetProcessId(dialog.process()), dialog.window(), className, nullptr};
  EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<WindowSearch*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (owner != s->processId || window == s->dialog || !IsWindowVisible(window) ||
            std::wcscmp(name, s->className) != 0)
          return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const Dialog& dialog, const wchar_t* className, const std::string& what) {
  for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += kPollMs) {
    if (const HWND found = FindProcessWindow(dialog, className)) return found;
    Sleep(kPollMs);
  }
  Fail("no " + what + " opened within 5 s");
  return nullptr;
}

bool WaitUntilClosed(HWND window, const std::string& what) {
  for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += kPollMs) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Sleep(kPollMs);
  }
  Fail(what + " did not close within 5 s");
  return false;
}

/// The chooser the dialog opened: a dialog box of its own, owned by the dialog.
HWND WaitForChooser(const Dialog& dialog, const std::string& what) {
  const HWND chooser = WaitForWindow(dialog, L"#32770", what);
  if (chooser != nullptr && GetWindow(chooser, GW_OWNER) != dialog.window()) Fail(what + " is not owned by the dialog");
  return chooser;
}

/// Waits until the dialog is the foreground window, so that typed keys reach it.
void Foreground(const Dialog& dialog) {
  SetForegroundWindow(dialog.window());
  for (DWORD waited = 0; GetForegroundWindow() != dialog.window() && waited < kWindowTimeoutMs; waited += kPollMs)
    Sleep(kPollMs);
  if (GetForegroundWindow() != dialog.window()) Fail("the dialog did not come to the front");
}

/// Types Ctrl and a key into the dialog, as the keyboard does.
void PressWithCtrl(const Dialog& dialog, WORD key) {
  Foreground(dialog);
  TypeWithCtrl(key);
}

/// Waits until every message sent to the dialog before has been handled.
void Sync(const Dialog& dialog) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(dialog.window(), WM_NULL, 0, 0, SMTO_NORMAL, kWindowTimeoutMs, &result) == 0)
    Fail("the dialog does not answer");
}

bool WaitForShown(const Dialog& dialog, const std::vector<std::string>& want) {
  for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += kPollMs) {
    if (dialog.Shown() == want) return true;
    Sleep(kPollMs);
  }
  return false;
}

/// The texts of a combo box in another process's window; the system copies them over.
std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    items.push_back(Utf8(text));
  }
  return items;
}

/// The control of the file chooser that takes the typed file name.
HWND FileNameControl(HWND chooser) {
  for (const int id : {kFileNameCombo, kFileNameEdit}) {
    const HWND control = GetDlgItem(chooser, id);
    if (control != nullptr && IsWindowVisible(control)) return control;
  }
  return nullptr;
}

/// The edit control in which the file chooser takes the typed name (inside its combo box).
HWND NameEdit(HWND chooser) {
  const HWND name = FileNameControl(chooser);
  if (name == nullptr) return nullptr;
  wchar_t className[16] = {};
  GetClassNameW(name, className, 16);
  if (_wcsicmp(className, L"Edit") == 0) return name;
  HWND found = nullptr;
  EnumChildWindows(
      name,
      [](HWND child, LPARAM lp) -> BOOL {
        wchar_t childClass[16] = {};
        GetClassNameW(child, childClass, 16);
        if (_wcsicmp(childClass, L"Edit") != 0) return TRUE;
        *reinterpret_cast<HWND*>(lp) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

/// Presses a button of a chooser. Posted: the chooser's owner goes on working before
/// the driver looks again, so a sent click would return only once the report was read.
void PressChooserButton(HWND chooser, int id) {
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, id)));
}

/// The hook (talvorix-e2e-hook.dll) that reads an open popup menu inside the dialog's
/// process, and the block it writes to.
class MenuReader {
 public:
  explicit MenuReader(const Dialog& dialog) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MenuProbe), kMenuProbeName);
    if (mapping_ != nullptr)
      probe_ = static_cast<MenuProbe*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MenuProbe)));
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dll(self, length < MAX_PATH ? length : 0);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"talvorix-e2e-hook.dll";
    module_ = LoadLibraryW(dll.c_str());
    // void (*)() stands for any function type between the two casts.
    const auto proc = module_ == nullptr ? nullptr
                                         : reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                               GetProcAddress(module_, "ReadMenuOnRequest")));
    const DWORD thread = GetWindowThreadProcessId(dialog.window(), nullptr);
    if (proc != nullptr && thread != 0) hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc, module_, thread);
    if (probe_ == nullptr || hook_ == nullptr) Fail("cannot hook the dialog to read its menu");
  }
  MenuReader(const MenuReader&) = delete;
  MenuReader& operator=(const MenuReader&) = delete;
  ~MenuReader() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    if (module_ != nullptr) FreeLibrary(module_);
    if (probe_ != nullptr) UnmapViewOfFile(probe_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
  }

  /// The item texts of the open menu whose window this is.
  std::vector<std::string> Items(HWND menuWindow) {
    std::vector<std::string> items;
    if (probe_ == nullptr || hook_ == nullptr) return items;
    std::memset(probe_, 0, sizeof(MenuProbe));
    probe_->items = -1;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(menuWindow, RegisterWindowMessageW(kReadMenuMessage), 0, 0, SMTO_NORMAL, kWindowTimeoutMs,
                        &result);
    const LONG count = InterlockedCompareExchange(&probe_->items, 0, 0);
    if (count < 0) Fail("the menu could not be read");
    for (LONG i = 0; i < count && static_cast<std::size_t>(i) < kMenuProbeItems; ++i)
      items.push_back(Utf8(std::wstring(probe_->texts[i], wcsnlen(probe_->texts[i], kMenuProbeChars))));
    return items;
  }

 private:
  HANDLE mapping_ = nullptr;
  MenuProbe* probe_ = nullptr;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};

/// A right-click on the dialog; the open popup menu's window.
HWND OpenContextMenu(const Dialog& dialog) {
  Foreground(dialog);
  RECT rect{};
  GetWindowRect(dialog.window(), &rect);
  PostMessageW(dialog.window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog.window()),
               MAKELPARAM(rect.left + 40, rect.top + 60));
  return WaitForWindow(dialog, L"#32768", "context menu");
}

/// Picks the menu's item at this position (from 0) with the keyboard, as a user does.
void PickMenuItem(HWND menuWindow, int position) {
  for (int i = 0; i <= position; ++i) {
    PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYUP, VK_DOWN, 0);
  }
  PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(menuWindow, WM_KEYUP, VK_RETURN, 0);
  WaitUntilClosed(menuWindow, "the context menu");
}

/// The menu's items in the order they are shown.
enum MenuItem { kOpenItem = 0, kWatchItem = 1, kCopyItem = 2 };

}  // namespace

void CtrlOOpensTheChosenReport() {
  const std::wstring unusual = Join(g_scratch, L"választott-ő-Ω.html");
  CopyFileW(Example("fordulo-113.html").c_str(), unusual.c_str(), FALSE);
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  struct Case {
    std::string name;
    int button;           // IDOK or IDCANCEL
    std::wstring file;    // typed into the chooser
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      {"cancelled", IDCANCEL, Example("fordulo-114.html"), Record("fordulo-112.html", 1)},
      {"a sample chosen", IDOK, Example("fordulo-114.html"), Record("fordulo-114.html", 1)},
      {"a name outside the system code page", IDOK, unusual, Record("fordulo-113.html", 1)},
      {"cancelled after a load", IDCANCEL, Example("fordulo-112.html"), Record("fordulo-113.html", 1)},
  };
  bool filtersSeen = false;
  for (const Case& c : cases) {
    PressWithCtrl(dialog, 'O');
    const HWND chooser = WaitForChooser(dialog, "file chooser (" + c.name + ")");
    if (chooser == nullptr) return;
    if (!filtersSeen) {
      filtersSeen = true;
      wchar_t title[64] = {};
      GetWindowTextW(chooser, title, 64);
      ExpectEq("the chooser's title", "Megnyitás…", Utf8(title));
      const std::vector<std::string> filters = ComboItems(GetDlgItem(chooser, kFileTypeList));
      const std::vector<std::string> wantFilters = {"Forduló (*.htm;*.html;*.mht;*.mhtml)", "Minden fájl (*.*)"};
      ExpectEq("filter count", std::to_string(wantFilters.size()), std::to_string(filters.size()));
      for (std::size_t i = 0; i < filters.size() && i < wantFilters.size(); ++i)
        ExpectEq("filter " + std::to_string(i), wantFilters[i], filters[i]);
    }
    const HWND name = FileNameControl(chooser);
    if (name == nullptr) return Fail(c.name + ": the chooser has no file name box");
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.file.c_str()));
    PressChooserButton(chooser, c.button);
    if (!WaitUntilClosed(chooser, "the file chooser (" + c.name + ")")) return;
    if (c.button == IDOK) WaitForShown(dialog, c.want);
    Sync(dialog);
    ExpectShown(c.name, c.want, dialog);
  }
}

// Ctrl+C and Ctrl+O belong to the dialog only: in the file chooser's name box they copy
// the selected text and open nothing.
void KeysInTheChooserBelongToIt() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  PressWithCtrl(dialog, 'O');
  const HWND chooser = WaitForChooser(dialog, "file chooser");
  if (chooser == nullptr) return;
  const HWND edit = NameEdit(chooser);
  if (edit == nullptr) {
    Fail("the chooser's name box has no edit control");
    PressChooserButton(chooser, IDCANCEL);
    WaitUntilClosed(chooser, "the file chooser");
    return;
  }
  const std::wstring typed = L"kijelölt-szöveg.html";
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  SetClipboardText(L"before");
  SetForegroundWindow(chooser);
  for (DWORD waited = 0; GetForegroundWindow() != chooser && waited < kWindowTimeoutMs; waited += kPollMs) Sleep(kPollMs);
  // The name box has the focus in a new chooser; everything in it is selected.
  SendMessageW(edit, EM_SETSEL, 0, -1);
  TypeWithCtrl('C');
  std::string copied;
  for (DWORD waited = 0; waited < kWindowTimeoutMs; waited += kPollMs) {
    copied = ClipboardText();
    if (copied != "before") break;
    Sleep(kPollMs);
  }
  ExpectEq("Ctrl+C in the chooser's name box copies the selection", Utf8(typed), copied);
  TypeWithCtrl('O');
  Sleep(1000);
  std::pair<DWORD, int> count{GetProcessId(dialog.process()), 0};
  EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<std::pair<DWORD, int>*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        if (owner == c->first && IsWindowVisible(window) && std::wcscmp(className, L"#32770") == 0 &&
            std::wcscmp(title, L"Talvorix v0.93") != 0)
          ++c->second;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  ExpectEq("choosers open after Ctrl+O in the chooser", "1", std::to_string(count.second));
  PressChooserButton(chooser, IDCANCEL);
  WaitUntilClosed(chooser, "the file chooser");
  // A second chooser, had one opened, is closed too.
  if (const HWND nested = FindProcessWindow(dialog, L"#32770")) {
    PressChooserButton(nested, IDCANCEL);
    WaitUntilClosed(nested, "the nested file chooser");
  }
  Sync(dialog);
  ExpectShown("the dialog after the chooser", Record("fordulo-112.html", 1), dialog);
}

void ContextMenuOffersOpenWatchAndCopy() {
  Dialog dialog(Example("fordulo-113.html"));
  if (!dialog.ok()) return;
  MenuReader reader(dialog);

  // Looked at and left with Escape: nothing happens.
  HWND menu = OpenContextMenu(dialog);
  if (menu == nullptr) return;
  const std::vector<std::string> items = reader.Items(menu);
  const std::vector<std::string> want = {"Megnyitás…\tCtrl+O", "Mappa figyelése…", "Megoldás másolása\tCtrl+C"};
  ExpectEq("item count", std::to_string(want.size()), std::to_string(items.size()));
  for (std::size_t i = 0; i < items.size() && i < want.size(); ++i)
    ExpectEq("item " + std::to_string(i), want[i], items[i]);
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0);
  WaitUntilClosed(menu, "the context menu after Escape");
  Sync(dialog);
  ExpectShown("after Escape", Record("fordulo-113.html", 1), dialog);
  ExpectTrue("Escape opens no chooser", FindProcessWindow(dialog, L"#32770") == nullptr);

  // "Megoldás másolása" on the second record.
  dialog.Click(kNextButton);
  SetClipboardText(L"előtte");
  if ((menu = OpenContextMenu(dialog)) == nullptr) return;
  PickMenuItem(menu, kCopyItem);
  Sync(dialog);
  ExpectEq("the clipboard after the copy item", Record("fordulo-113.html", 2)[0], ClipboardText());

  // "Megnyitás…" opens the file chooser; cancelled, nothing changes.
  if ((menu = OpenContextMenu(dialog)) == nullptr) return;
  PickMenuItem(menu, kOpenItem);
  const HWND chooser = WaitForChooser(dialog, "file chooser from the menu");
  if (chooser == nullptr) return;
  ExpectTrue("the open item opens the file chooser", FileNameControl(chooser) != nullptr);
  PressChooserButton(chooser, IDCANCEL);
  WaitUntilClosed(chooser, "the file chooser from the menu");
  Sync(dialog);
  ExpectShown("after the cancelled file chooser", Record("fordulo-113.html", 2), dialog);

  // "Mappa figyelése…" opens the folder chooser; cancelled, nothing is watched. (Wine's
  // folder chooser takes no selection from another program, so a chosen folder is
  // tested through a drop.)
  if ((menu = OpenContextMenu(dialog)) == nullptr) return;
  PickMenuItem(menu, kWatchItem);
  const HWND folders = WaitForChooser(dialog, "folder chooser from the menu");
  if (folders == nullptr) return;
  ExpectTrue("the watch item opens no file chooser", FileNameControl(folders) == nullptr);
  PressChooserButton(folders, IDCANCEL);
  WaitUntilClosed(folders, "the folder chooser");
  Sync(dialog);
  ExpectShown("after the cancelled folder chooser", Record("fordulo-113.html", 2), dialog);
  ExpectEq("no folder watched", "Húzd rá a fordulót", dialog.Text(kHintControl));
}

}  // namespace talvorix::e2e
