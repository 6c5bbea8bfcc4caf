#pragma once
// A private temporary directory for the POSIX hand-over's tests.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace talvorix::test {

/// A private temporary directory (mode 0700, as mkdtemp makes it), removed with
/// everything in it.
class PrivateTempDir {
 public:
  PrivateTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talvorix-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~PrivateTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace talvorix::test
