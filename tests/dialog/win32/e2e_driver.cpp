// End-to-end tests of talvorix.exe: starts the real program, finds its dialog and
// works it through window messages as a user and a sending program would.
//
// Usage: talvorix-e2e TALVORIX_EXE SEND_EXE EXAMPLES_DIR SCRATCH_DIR [TEST...]
// (Windows paths). With test names, only those tests run. Exit status 0 when every
// check held, 1 otherwise, 64 for bad usage.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialog/dialog_template.h"
#include "tests/dialog/win32/chooser_tests.h"
#include "tests/dialog/win32/e2e_support.h"
#include "tests/dialog/win32/dpi_tests.h"
#include "tests/dialog/win32/folder_watch_tests.h"
#include "tests/dialog/win32/handover_tests.h"
#include "tests/dialog/win32/hostile_tests.h"

namespace talvorix::e2e {
namespace {

void StartsWithReport() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  ExpectShown("first record", Record("fordulo-112.html", 1), dialog);
  const std::vector<std::string> all = dialog.AllTexts();
  const std::vector<std::string> want = {" Csarnok feladvány ", "Húzd rá a fordulót", OnScreen(Report("fordulo-112.html").records[0].text),
                                         "Készítette a Talvorix csapata", "<", ">", "1/4", "Megoldás :", "50"};
  ExpectEq("control count", std::to_string(want.size()), std::to_string(all.size()));
  for (std::size_t i = 0; i < want.size() && i < all.size(); ++i)
    ExpectEq("control " + std::to_string(i) + " in template order", want[i], all[i]);
  const LONG_PTR exStyle = GetWindowLongPtrW(dialog.window(), GWL_EXSTYLE);
  ExpectTrue("the dialog accepts dropped files", (exStyle & WS_EX_ACCEPTFILES) != 0);
  RECT rect{};
  GetWindowRect(dialog.window(), &rect);
  ExpectTrue("the dialog sits at the top left corner", rect.left == 0 && rect.top == 0);
}

void ButtonsPageAndWrap() {
  struct Step {
    int button;
    int want;
  };
  struct Case {
    std::string_view file;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"fordulo-112.html", {{kNextButton, 2}, {kNextButton, 3}, {kNextButton, 4}, {kNextButton, 1}, {kPreviousButton, 4},
                            {kPreviousButton, 3}, {kPreviousButton, 2}, {kPreviousButton, 1}, {kPreviousButton, 4}}},
      {"fordulo-113.html", {{kPreviousButton, 3}, {kNextButton, 1}, {kNextButton, 2}, {kNextButton, 3}}},
      {"fordulo-114.html", {{kNextButton, 2}, {kNextButton, 3}, {kPreviousButton, 2}}},
  };
  for (const Case& c : cases) {
    Dialog dialog(Example(c.file));
    if (!dialog.ok()) continue;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      dialog.Click(step.button);
      ExpectShown(std::string(c.file) + " step " + std::to_string(i + 1) + (step.button == kNextButton ? " >" : " <"),
                  Record(c.file, step.want), dialog);
    }
  }
}

void HandOverReplacesTable() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  dialog.Click(kNextButton);
  dialog.Click(kNextButton);
  ExpectEq("talvorix-send exit code", "0",
           std::to_string(RunToEnd(g_send, L"\"" + Example("fordulo-113.html") + L"\"")));
  ExpectShown("after talvorix-send", Record("fordulo-113.html", 1), dialog);
  dialog.Click(kPreviousButton);
  ExpectShown("paging the handed-over report", Record("fordulo-113.html", 3), dialog);

  HandOver(dialog, AnsiPath(Example("fordulo-114.html")));
  ExpectShown("after a second hand-over", Record("fordulo-114.html", 1), dialog);
  dialog.Click(kPreviousButton);
  ExpectShown("a text with line feeds and Hungarian letters", Record("fordulo-114.html", 3), dialog);

  HandOver(dialog, AnsiPath(Join(g_scratch, L"nincs-ilyen.html")));
  ExpectShown("a handed-over path that cannot be opened", kNoSuchFile, dialog);
  dialog.Click(kNextButton);
  ExpectShown("buttons after a failed hand-over", kNoSuchFile, dialog);
}

void SendWithoutDialog() {
  ExpectEq("talvorix-send with no dialog", "1",
           std::to_string(RunToEnd(g_send, L"\"" + Example("fordulo-113.html") + L"\"")));
  ExpectEq("talvorix-send with a path too long", "64", std::to_string(RunToEnd(g_send, std::wstring(1100, L'a'))));
}

void CommandLinePaths() {
  struct Case {
    std::string name;
    std::wstring arguments;
    std::vector<std::string> want;
  };
  const std::wstring blank = Join(g_scratch, L"report with blanks.html");
  CopyFileW(Example("fordulo-113.html").c_str(), blank.c_str(), FALSE);
  const std::wstring emptyFolder = Join(g_scratch, L"ures mappa");
  CreateDirectoryW(emptyFolder.c_str(), nullptr);
  const std::vector<Case> cases = {
      {"no path", L"", kTemplateTexts},
      {"a missing file", Join(g_scratch, L"nincs-ilyen.html"), kNoSuchFile},
      // A folder is watched; with no report in it yet, the dialog says so.
      {"an empty folder", L"\"" + emptyFolder + L"\"", {"", "Még nincs forduló ebben a mappában", " Feladvány ", ""}},
      {"a quoted path with blanks", L"\"" + blank + L"\"", Record("fordulo-113.html", 1)},
      {"blanks before the path", L"   " + Example("fordulo-114.html"), Record("fordulo-114.html", 1)},
      // Two files dropped on the program's icon: the first is taken.
      {"two quoted files", L"\"" + blank + L"\" \"" + Example("fordulo-112.html") + L"\"", Record("fordulo-113.html", 1)},
  };
  for (const Case& c : cases) {
    Dialog dialog(c.arguments);
    if (!dialog.ok()) continue;
    ExpectShown(c.name, c.want, dialog);
    if (c.want[3].empty()) {
      dialog.Click(kNextButton);
      dialog.Click(kPreviousButton);
      ExpectShown(c.name + ", buttons do nothing", c.want, dialog);
    }
  }
}

void EscapeAndEnterKeepItOpen() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  dialog.Send(WM_COMMAND, IDCANCEL, 0);
  dialog.Send(WM_COMMAND, IDOK, 0);
  // The key itself, through the dialog's keyboard handling. A click posted after
  // it shows when it has been handled.
  PostMessageW(dialog.window(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(dialog.window(), WM_KEYUP, VK_ESCAPE, 0);
  PostMessageW(dialog.window(), WM_COMMAND, kNextButton, 0);
  for (DWORD waited = 0; dialog.Text(kCounterControl) != "2/4" && waited < kStartTimeoutMs; waited += 50) Sleep(50);
  ExpectTrue("Escape and Enter leave the dialog open", dialog.Running() && IsWindow(dialog.window()));
  ExpectEq("counter after the key and a click", "2/4", dialog.Text(kCounterControl));
}

// The dialog reads the whole command parameter: only a button's id with the
// notification BN_CLICKED (0) pages, whether a mouse click or the space bar sent it.
void OnlyClicksPage() {
  Dialog dialog(Example("fordulo-112.html"));
  if (!dialog.ok()) return;
  struct Case {
    const char* name;
    int button;
    WPARAM command;
    const char* counter;
  };
  const Case cases[] = {
      {"a click on >", kNextButton, MAKEWPARAM(kNextButton, BN_CLICKED), "2/4"},
      {"> with the high word 1", kNextButton, kNextButton + (WPARAM{1} << 16), "2/4"},
      {"> taking the focus", kNextButton, MAKEWPARAM(kNextButton, BN_SETFOCUS), "2/4"},
      {"< losing the focus", kPreviousButton, MAKEWPARAM(kPreviousButton, BN_KILLFOCUS), "2/4"},
      {"< double-clicked", kPreviousButton, MAKEWPARAM(kPreviousButton, BN_DOUBLECLICKED), "2/4"},
      {"the counter's id", kCounterControl, MAKEWPARAM(kCounterControl, BN_CLICKED), "2/4"},
      {"a click on <", kPreviousButton, MAKEWPARAM(kPreviousButton, BN_CLICKED), "1/4"},
  };
  for (const Case& c : cases) {
    dialog.Send(WM_COMMAND, c.command, reinterpret_cast<LPARAM>(GetDlgItem(dialog.window(), c.button)));
    ExpectEq(std::string("counter after ") + c.name, c.counter, dialog.Text(kCounterControl));
  }
  // The space bar on a button makes the button send BN_CLICKED itself.
  const HWND next = GetDlgItem(dialog.window(), kNextButton);
  SendMessageW(next, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(next, WM_KEYUP, VK_SPACE, 0);
  ExpectEq("counter after the space bar on >", "2/4", dialog.Text(kCounterControl));
}

void DropLoadsFirstFile() {
  const std::wstring unusual = Join(g_scratch, L"forduló-ő-ű-Ω.html");
  CopyFileW(Example("fordulo-112.html").c_str(), unusual.c_str(), FALSE);

  Dialog dialog(L"");
  if (!dialog.ok()) return;
  Drop(dialog, dialog.process(), {Example("fordulo-113.html"), Example("fordulo-112.html")});
  ExpectShown("the first of two dropped files", Record("fordulo-113.html", 1), dialog);
  dialog.Click(kNextButton);
  ExpectShown("paging a dropped report", Record("fordulo-113.html", 2), dialog);
  Drop(dialog, dialog.process(), {unusual});
  ExpectShown("a name outside the system code page", Record("fordulo-112.html", 1), dialog);
  Drop(dialog, dialog.process(), {Join(g_scratch, L"nincs.html")});
  ExpectShown("a dropped file that is gone", kNoSuchFile, dialog);
  dialog.Click(kPreviousButton);
  ExpectShown("buttons after a failed drop", kNoSuchFile, dialog);
  // A dropped folder is watched.
  const std::wstring folder = Join(g_scratch, L"ures");
  CreateDirectoryW(folder.c_str(), nullptr);
  Drop(dialog, dialog.process(), {folder});
  ExpectEq("a dropped empty folder", "Még nincs forduló ebben a mappában", dialog.Text(kTextControl));
}

// Pages that Chromium saved from the samples (tests/scanner/saved_pages/saved/) show the
// first record of the report the game sent, from the command line, dropped and handed
// over, each time in place of another report.
void BrowserSavedPagesShowTheOriginal() {
  const std::wstring saved = Join(g_examples, L"..\\tests\\scanner\\saved_pages\\saved");
  struct Page {
    const wchar_t* file;
    std::string_view original;
  };
  const Page pages[] = {
      {L"fordulo-112.utf8.html", "fordulo-112.html"},
      {L"fordulo-113.utf8.html", "fordulo-113.html"},
      {L"fordulo-114.utf16le.html", "fordulo-114.html"},
      // Single-file saves ("Web page, single file"), as the browser wrote them.
      {L"fordulo-112.mhtml", "fordulo-112.html"},
      {L"fordulo-113.base64.mhtml", "fordulo-113.html"},
      {L"fordulo-114.utf8.mhtml", "fordulo-114.html"},
  };
  for (const Page& page : pages) {
    const std::string name = Utf8(page.file);
    const std::wstring path = Join(g_scratch, page.file);
    ExpectTrue(name + " copied", CopyFileW(Join(saved, page.file).c_str(), path.c_str(), FALSE) != 0);
    {
      Dialog dialog(L"\"" + path + L"\"");
      if (dialog.ok()) ExpectShown(name + " on the command line", Record(page.original, 1), dialog);
    }
    Dialog dialog(Example(page.original == "fordulo-113.html" ? "fordulo-114.html" : "fordulo-113.html"));
    if (!dialog.ok()) continue;
    Drop(dialog, dialog.process(), {path});
    ExpectShown(name + " dropped", Record(page.original, 1), dialog);
    dialog.Click(kNextButton);
    ExpectEq(name + ": talvorix-send exit code", "0", std::to_string(RunToEnd(g_send, L"\"" + path + L"\"")));
    ExpectShown(name + " handed over", Record(page.original, 1), dialog);
  }
}

}  // namespace
}  // namespace talvorix::e2e

int wmain(int argc, wchar_t** argv) {
  using namespace talvorix::e2e;
  if (argc < 5) {
    std::printf("usage: talvorix-e2e TALVORIX_EXE SEND_EXE EXAMPLES_DIR SCRATCH_DIR [TEST...]\n");
    return 64;
  }
  g_talvorix = argv[1];
  g_send = argv[2];
  g_examples = argv[3];
  g_scratch = argv[4];

  const std::vector<std::pair<const char*, std::function<void()>>> tests = {
      {"StartsWithReport", StartsWithReport},
      {"ButtonsPageAndWrap", ButtonsPageAndWrap},
      {"HandOverReplacesTable", HandOverReplacesTable},
      {"SendWithoutDialog", SendWithoutDialog},
      {"CommandLinePaths", CommandLinePaths},
      {"EscapeAndEnterKeepItOpen", EscapeAndEnterKeepItOpen},
      {"OnlyClicksPage", OnlyClicksPage},
      {"DropLoadsFirstFile", DropLoadsFirstFile},
      {"ConcurrentSendersLoadEachPathOnce", ConcurrentSendersLoadEachPathOnce},
      {"SendersTakeTurns", SendersTakeTurns},
      {"ForeignWriteFailsTheSender", ForeignWriteFailsTheSender},
      {"RelativePathsArriveWhole", RelativePathsArriveWhole},
      {"WatchesAFolder", WatchesAFolder},
      {"WatchesFoldersNamedOutsideTheCodePage", WatchesFoldersNamedOutsideTheCodePage},
      {"PlaceholdersAndFutureDates", PlaceholdersAndFutureDates},
      {"WatchesABigFolderWithoutRescans", WatchesABigFolderWithoutRescans},
      {"CopyPutsTheAnswerOnTheClipboard", CopyPutsTheAnswerOnTheClipboard},
      {"CtrlOOpensTheChosenReport", CtrlOOpensTheChosenReport},
      {"KeysInTheChooserBelongToIt", KeysInTheChooserBelongToIt},
      {"ContextMenuOffersOpenWatchAndCopy", ContextMenuOffersOpenWatchAndCopy},
      {"BrowserSavedPagesShowTheOriginal", BrowserSavedPagesShowTheOriginal},
      {"BestFitNamesAreRefused", BestFitNamesAreRefused},
      {"HandOverTellsTheTruth", HandOverTellsTheTruth},
      {"StrayMessagesChangeNothing", StrayMessagesChangeNothing},
      {"CliPathsAndOutput", CliPathsAndOutput},
      {"DialogFollowsTheDisplayScaling", DialogFollowsTheDisplayScaling},
  };
  std::vector<std::string> chosen;
  for (int i = 5; i < argc; ++i) chosen.push_back(Utf8(argv[i]));
  for (const std::string& name : chosen) {
    if (std::none_of(tests.begin(), tests.end(), [&](const auto& test) { return name == test.first; })) {
      std::printf("no test named %s\n", name.c_str());
      return 64;
    }
  }
  for (const auto& [name, run] : tests) {
    if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), name) == chosen.end()) continue;
    g_test = name;
    const int before = g_failures;
    run();
    std::printf("%s %s\n", g_failures == before ? "ok  " : "FAIL", name);
    std::fflush(stdout);
  }
  std::printf("%d check(s) failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
