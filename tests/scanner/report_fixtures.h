#pragma once
// What the report-opening tests share: a fresh directory per test, names that are
// turned into other kinds of files, and a deadline for calls that must never block.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace talvorix {

/// A fresh directory for the running test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("talvorix-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The full name of `name` inside the directory.
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }
  std::string path() const { return path_.string(); }

  /// Writes `bytes` to the file `name` in the directory; returns its full name.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string file = *this / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

 private:
  std::filesystem::path path_;
};

/// What a name can be turned into.
enum class FileKind { kFifo, kZeroLink, kDirectory, kDirectoryLink, kMissing };

inline const char* KindName(FileKind kind) {
  switch (kind) {
    case FileKind::kFifo: return "a pipe without a writer";
    case FileKind::kZeroLink: return "a link to /dev/zero";
    case FileKind::kDirectory: return "a directory";
    case FileKind::kDirectoryLink: return "a link to a directory";
    case FileKind::kMissing: return "nothing";
  }
  return "?";
}

/// Removes whatever `path` is and makes it a `kind` (kDirectoryLink points at `/`).
inline void TurnInto(const std::string& path, FileKind kind) {
  std::filesystem::remove_all(path);
  switch (kind) {
    case FileKind::kFifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case FileKind::kZeroLink: std::filesystem::create_symlink("/dev/zero", path); break;
    case FileKind::kDirectory: std::filesystem::create_directory(path); break;
    case FileKind::kDirectoryLink: std::filesystem::create_directory_symlink("/", path); break;
    case FileKind::kMissing: break;
  }
}

/// Makes `path` a symbolic link to `target` in one step: whoever opens `path` meets
/// either the old entry or the new link, never no entry at all.
inline bool PointAt(const std::string& path, const std::string& target) {
  const std::string fresh = path + ".new";
  ::unlink(fresh.c_str());
  return ::symlink(target.c_str(), fresh.c_str()) == 0 && std::rename(fresh.c_str(), path.c_str()) == 0;
}

/// `call()` if it returns within `limit`; nullopt when it does not. A call that overruns
/// is left running on its own thread (it holds copies of everything it uses), so that a
/// blocked call fails the test instead of hanging it.
template <typename Call>
auto Within(std::chrono::milliseconds limit, Call call) -> std::optional<decltype(call())> {
  using Result = decltype(call());
  auto promise = std::make_shared<std::promise<Result>>();
  std::future<Result> result = promise->get_future();
  std::thread worker([promise, call]() mutable { promise->set_value(call()); });
  if (result.wait_for(limit) != std::future_status::ready) {
    worker.detach();
    return std::nullopt;
  }
  worker.join();
  return result.get();
}

}  // namespace talvorix
