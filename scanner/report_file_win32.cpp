// Opening and reading a report through one Windows file handle.

#include <windows.h>

#include <limits>

#include "scanner/report_file.h"
#include "scanner/report_file_win32.h"
#include "wintext/wide_text_win32.h"

namespace talvorix {
namespace {

/// Others may read, write, rename and delete the file while it is open here.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
/// A name may lead to a named pipe (\\.\pipe\..., or a link to one), whose server learns
/// who connected: it may identify the player, never act as the player. Regular files
/// ignore this.
constexpr DWORD kOpenFlags = FILE_FLAG_SEQUENTIAL_SCAN | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

/// The size of the file on disk behind `file`; nullopt for a directory, a pipe, a
/// console or any other device. Decided on the handle, never on the name again.
std::optional<uint64_t> RegularFileSize(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
  return static_cast<uint64_t>(size.QuadPart);
}

/// The size of a freshly opened report; a handle that is no report is closed (nullopt).
std::optional<uint64_t> KeepIfRegular(HANDLE file) {
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<uint64_t> size = RegularFileSize(file);
  if (!size) CloseHandle(file);
  return size;
}

std::intptr_t ToHandleValue(HANDLE file) { return reinterpret_cast<std::intptr_t>(file); }
HANDLE FromHandleValue(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

struct ReportFileMaker {
  static ReportFile Make(std::intptr_t handle, uint64_t size) { return ReportFile(handle, size); }
};

// The programs hold 8-bit paths in UTF-8 on Windows and open them by their UTF-16 form,
// so that no name is bent to fit the system's code page.
std::optional<ReportFile> ReportFile::Open(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::nullopt;  // no file has such a name
  const std::wstring wide = WideFromUtf8(path);
  if (wide.empty()) return std::nullopt;
  return OpenWideNamedReport(wide);
}

std::optional<ReportFile> OpenWideNamedReport(const std::wstring& path) {
  if (path.find(L'\0') != std::wstring::npos) return std::nullopt;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, kOpenFlags, nullptr);
  const std::optional<uint64_t> size = KeepIfRegular(file);
  if (!size) return std::nullopt;
  return ReportFileMaker::Make(ToHandleValue(file), *size);
}

std::size_t ReportFile::ReadAt(uint64_t offset, std::span<char> buffer) {
  std::size_t want = Allowed(offset, buffer.size());
  if (want == 0) return 0;
  if (want > std::numeric_limits<DWORD>::max()) want = std::numeric_limits<DWORD>::max();
  // On a handle opened for synchronous reads, the offset in OVERLAPPED says where this
  // read starts; every read names its offset, so the handle's own position never matters.
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(FromHandleValue(handle_), buffer.data(), static_cast<DWORD>(want), &got, &at)) return 0;
  return got;
}

void ReportFile::Close(Handle handle) {
  if (handle != kClosed) CloseHandle(FromHandleValue(handle));
}

}  // namespace talvorix
