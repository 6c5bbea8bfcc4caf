// Where the POSIX hand-over meets: the candidate directories and the checks on the one
// opened.
#include "handover/rendezvous.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/handover/private_temp_dir.h"

namespace talvorix {
namespace {

using TempDir = test::PrivateTempDir;

constexpr uid_t kNobody = 65534;

TEST(RendezvousCandidates, OrderAndFallbacks) {
  struct Case {
    const char* name;
    const char* runtimeDir;
    std::string home;
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      // A runtime dir set is the only place: a dialog of another session is not this one's.
      {"session", "/run/user/1000", "/home/j", {"/run/user/1000"}},
      {"runtime dir elsewhere", "/tmp/rt", "/home/j", {"/tmp/rt"}},
      {"cron or su: no runtime dir", nullptr, "/home/j", {"/run/user/1000", "/home/j/.cache/talvorix"}},
      {"relative runtime dir is ignored", "rt", "/home/j", {"/run/user/1000", "/home/j/.cache/talvorix"}},
      {"empty runtime dir is ignored", "", "/home/j", {"/run/user/1000", "/home/j/.cache/talvorix"}},
      {"no home", nullptr, "", {"/run/user/1000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<RendezvousCandidate> got = RendezvousCandidates({c.runtimeDir, "/run/user/1000", c.home});
    std::vector<std::string> paths;
    for (const auto& candidate : got) paths.push_back(candidate.path);
    EXPECT_EQ(c.want, paths);
    for (const auto& candidate : got) EXPECT_EQ(candidate.create, candidate.path.find("/.cache/") != std::string::npos);
  }
}

TEST(RendezvousDir, OnlyAPrivateDirectoryOfOurOwn) {
  struct Case {
    const char* name;
    void (*prepare)(const TempDir& base, const std::string& dir);
    bool create;
    bool opens;
  };
  const std::vector<Case> cases = {
      {"private", [](const TempDir&, const std::string& dir) { mkdir(dir.c_str(), 0700); }, false, true},
      {"missing, made", [](const TempDir&, const std::string&) {}, true, true},
      {"missing, not to be made", [](const TempDir&, const std::string&) {}, false, false},
      {"open to others",
       [](const TempDir&, const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         chmod(dir.c_str(), 0755);
       },
       true, false},
      {"a file", [](const TempDir&, const std::string& dir) { std::ofstream(dir) << "x"; }, true, false},
      {"a link to a private directory",
       [](const TempDir& base, const std::string& dir) {
         mkdir((base / "elsewhere").c_str(), 0700);
         symlink((base / "elsewhere").c_str(), dir.c_str());
       },
       true, false},
      {"another user's",
       [](const TempDir&, const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         if (chown(dir.c_str(), kNobody, kNobody) != 0) std::abort();
       },
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) == "another user's" && geteuid() != 0) continue;  // only root can give it away
    TempDir base;
    const std::string dir = base / "cache/talvorix";
    mkdir((base / "cache").c_str(), 0755);
    c.prepare(base, dir);
    std::string detail;
    const std::optional<RendezvousDir> opened = RendezvousDir::Open(dir, c.create, &detail);
    EXPECT_EQ(c.opens, opened.has_value()) << detail;
    if (!c.opens) {
      EXPECT_NE(std::string::npos, detail.find(dir)) << "the refusal names the path: " << detail;
    }
    struct stat st {};
    if (opened) {
      EXPECT_TRUE(stat(dir.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
    }
  }
}

}  // namespace
}  // namespace talvorix
