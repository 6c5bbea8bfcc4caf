// talvorix-shortcut-probe: lists the shortcuts (*.lnk) in a folder and where each leads,
// as Explorer reads them through IShellLinkW. packaging/test-installer.sh runs it under
// Wine on the Start menu and Send To folders the installer writes into.
// Usage: talvorix-shortcut-probe FOLDER
// Prints one line per shortcut, sorted by name (UTF-8):
//   NAME.lnk|TARGET|ARGUMENTS|WORKING DIRECTORY
// Exits 0 when every shortcut could be read (also when there is none), 1 otherwise,
// 64 on bad usage.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "wintext/wide_text_win32.h"

namespace {

std::string Utf8(const std::wstring& text) { return talvorix::NarrowShown(text, CP_UTF8, '?'); }

// One shortcut as "TARGET|ARGUMENTS|WORKING DIRECTORY"; false when it cannot be read.
bool DescribeShortcut(const std::wstring& path, std::wstring* description) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;
  IPersistFile* file = nullptr;
  bool read = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[INFOTIPSIZE] = {};
    wchar_t directory[MAX_PATH] = {};
    read = SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
           SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
           SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE)) &&
           SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH));
    if (read) *description = std::wstring(target) + L"|" + arguments + L"|" + directory;
    file->Release();
  }
  link->Release();
  return read;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    std::fputs("usage: talvorix-shortcut-probe FOLDER\n", stderr);
    return 64;
  }
  const std::wstring folder = argv[1];
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fputs("talvorix-shortcut-probe: COM does not start\n", stderr);
    return 1;
  }
  int status = 0;
  for (const std::wstring& name : names) {
    std::wstring description;
    if (!DescribeShortcut(folder + L"\\" + name, &description)) {
      std::fprintf(stderr, "talvorix-shortcut-probe: cannot read %s\n", Utf8(name).c_str());
      status = 1;
      continue;
    }
    std::printf("%s|%s\n", Utf8(name).c_str(), Utf8(description).c_str());
  }
  CoUninitialize();
  return status;
}
