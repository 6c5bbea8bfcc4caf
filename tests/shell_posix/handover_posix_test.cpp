// The POSIX hand-over: the private block, the socket's place, the sender and the listener.
#include "shell/handover_posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/main_dialog.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

/// A private temporary directory (mode 0700), removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "talvorix-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// A block name of this test's own, removed at the end.
class BlockName {
 public:
  BlockName() {
    static int serial = 0;
    name_ = "/talvorix-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
  }
  ~BlockName() { shm_unlink(name_.c_str()); }
  const std::string& get() const { return name_; }

 private:
  std::string name_;
};

/// Makes the block ahead of time with these rights, owner and size.
void MakeBlock(const std::string& name, mode_t mode, uid_t owner, off_t size) {
  const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  EXPECT_EQ(0, fchmod(fd, mode));
  EXPECT_EQ(0, ftruncate(fd, size));
  if (owner != geteuid()) {
    EXPECT_EQ(0, fchown(fd, owner, static_cast<gid_t>(-1)));
  }
  close(fd);
}

std::string BlockText(const std::string& name) {
  std::optional<MappedBlock> block = MappedBlock::Open(name, nullptr);
  if (!block) return "<unavailable>";
  return std::string(SharedBlockPath(block->bytes()));
}

/// A client that connects to `path`, writes `bytes` and closes; -1 if it cannot connect.
int Announce(const std::string& path, std::string_view bytes) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return -1;
  }
  if (!bytes.empty() && send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
    close(fd);
    return -1;
  }
  close(fd);
  return 0;
}

TEST(AnnouncementSocketPath, PrefersAPrivateRuntimeDirectory) {
  TempDir runtime;
  TempDir openRuntime;
  chmod(openRuntime.path().c_str(), 0755);
  TempDir base;
  const std::string fallback = base / ("talvorix-" + std::to_string(geteuid())) + "/talvorix.sock";
  struct Case {
    const char* name;
    std::optional<std::string> runtimeDir;
    std::string want;
  };
  const std::vector<Case> cases = {
      {"private runtime dir", runtime.path(), runtime / "talvorix.sock"},
      {"runtime dir open to others", openRuntime.path(), fallback},
      {"relative runtime dir", std::string("run/user"), fallback},
      {"missing runtime dir", runtime / "gone", fallback},
      {"no runtime dir", std::nullopt, fallback},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string detail;
    const std::optional<std::string> got =
        AnnouncementSocketPath(c.runtimeDir ? c.runtimeDir->c_str() : nullptr, base.path(), true, &detail);
    ASSERT_TRUE(got) << detail;
    EXPECT_EQ(c.want, *got);
  }
  struct stat st {};
  ASSERT_EQ(0, stat(fs::path(fallback).parent_path().c_str(), &st));
  EXPECT_EQ(0700u, st.st_mode & 0777);
}

TEST(AnnouncementSocketPath, RefusesAnUnsafeFallbackDirectory) {
  const std::string own = "talvorix-" + std::to_string(geteuid());
  struct Case {
    const char* name;
    void (*prepare)(const TempDir& base, const std::string& dir);
    bool create;
  };
  const std::vector<Case> cases = {
      {"not there and not to be made", [](const TempDir&, const std::string&) {}, false},
      {"open to others",
       [](const TempDir&, const std::string& dir) {
         mkdir(dir.c_str(), 0700);
         chmod(dir.c_str(), 0755);
       },
       true},
      {"a file", [](const TempDir&, const std::string& dir) { std::ofstream(dir) << "x"; }, true},
      {"a link to a private directory",
       [](const TempDir& base, const std::string& dir) {
         mkdir((base / "elsewhere").c_str(), 0700);
         symlink((base / "elsewhere").c_str(), dir.c_str());
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir base;
    const std::string dir = base / own;
    c.prepare(base, dir);
    std::string detail;
    EXPECT_FALSE(AnnouncementSocketPath(nullptr, base.path(), c.create, &detail));
    EXPECT_FALSE(detail.empty());
  }
}

TEST(MappedBlock, ChecksOwnerAndRightsAndSizesTheBlock) {
  struct Case {
    const char* name;
    mode_t mode;
    bool otherOwner;
    off_t size;
    bool opens;
  };
  const std::vector<Case> cases = {
      {"own, private, right size", 0600, false, 1024, true},
      {"own, private, too small", 0600, false, 10, true},
      {"own, private, too big", 0600, false, 4096, true},
      {"readable by the group", 0640, false, 1024, false},
      {"writable by others", 0602, false, 1024, false},
      {"another user's", 0600, true, 1024, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.otherOwner && geteuid() != 0) continue;  // only root can give a block away
    BlockName name;
    MakeBlock(name.get(), c.mode, c.otherOwner ? kNobody : geteuid(), c.size);
    std::string detail;
    std::optional<MappedBlock> block = MappedBlock::Open(name.get(), &detail);
    EXPECT_EQ(c.opens, block.has_value()) << detail;
    PosixSharedPathBlock dialogSide(name.get());
    EXPECT_EQ(c.opens, dialogSide.Bytes().has_value());
    if (!block) continue;
    EXPECT_EQ(kSharedPathSize, block->bytes().size());
    struct stat st {};
    const int fd = shm_open(name.get().c_str(), O_RDONLY, 0);
    ASSERT_EQ(0, fstat(fd, &st));
    close(fd);
    EXPECT_EQ(static_cast<off_t>(kSharedPathSize), st.st_size);
  }
}

TEST(MappedBlock, MadeByTheFirstOpenerPrivateToTheUser) {
  BlockName name;
  ASSERT_TRUE(MappedBlock::Open(name.get(), nullptr));
  struct stat st {};
  const int fd = shm_open(name.get().c_str(), O_RDONLY, 0);
  ASSERT_EQ(0, fstat(fd, &st));
  close(fd);
  EXPECT_EQ(geteuid(), st.st_uid);
  EXPECT_EQ(0u, st.st_mode & 077);
}

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(AnnouncementListener::Start::kListening, listener_.Listen(socket_, &detail_)) << detail_;
  }
  SendOutcome Send(std::string_view path) { return SendPath(path, block_.get(), socket_, &detail_); }

  TempDir dir_;
  std::string socket_ = dir_ / "talvorix.sock";
  BlockName block_;
  AnnouncementListener listener_;
  std::string detail_;
};

TEST_F(HandOver, PathMustLeaveRoomForItsNul) {
  struct Case {
    std::size_t length;
    SendOutcome want;
  };
  const Case cases[] = {
      {1, SendOutcome::kSent},
      {kSharedPathSize - 1, SendOutcome::kSent},
      {kSharedPathSize, SendOutcome::kPathTooLong},
      {5000, SendOutcome::kPathTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string path(c.length, 'p');
    EXPECT_EQ(c.want, Send(path)) << detail_;
    if (c.want == SendOutcome::kSent) {
      EXPECT_TRUE(listener_.TakeAnnouncement());
      EXPECT_EQ(path, BlockText(block_.get()));
    }
  }
}

TEST_F(HandOver, ShorterPathLeavesNoTailOfTheLongerOne) {
  const std::string shortPath = "/home/j\xE1t\xE9kos/f.html";
  ASSERT_EQ(SendOutcome::kSent, Send("/home/jatekos/fordulok/fordulo-112.html"));
  ASSERT_EQ(SendOutcome::kSent, Send(shortPath));
  PosixSharedPathBlock dialogSide(block_.get());
  const std::optional<std::span<const char>> bytes = dialogSide.Bytes();
  ASSERT_TRUE(bytes);
  EXPECT_EQ(shortPath, SharedBlockPath(*bytes));
  for (std::size_t i = shortPath.size(); i < bytes->size(); ++i) ASSERT_EQ('\0', (*bytes)[i]) << i;
}

TEST_F(HandOver, DialogSideSeesLaterPathsThroughItsOneOpening) {
  PosixSharedPathBlock dialogSide(block_.get());
  const std::optional<std::span<const char>> first = dialogSide.Bytes();
  ASSERT_TRUE(first);
  ASSERT_EQ(SendOutcome::kSent, Send("a.html"));
  EXPECT_EQ("a.html", SharedBlockPath(*first));
  ASSERT_EQ(SendOutcome::kSent, Send("b.html"));
  EXPECT_EQ("b.html", SharedBlockPath(*first));
  EXPECT_EQ(first->data(), dialogSide.Bytes()->data());
}

TEST_F(HandOver, UnsafeBlockIsNotWritten) {
  shm_unlink(block_.get().c_str());
  MakeBlock(block_.get(), 0644, geteuid(), 1024);
  EXPECT_EQ(SendOutcome::kBlockUnavailable, Send("a.html"));
  EXPECT_FALSE(detail_.empty());
  EXPECT_FALSE(listener_.TakeAnnouncement(100));
}

TEST(SendPath, NoDialogWritesNothing) {
  TempDir dir;
  BlockName block;
  std::string detail;
  EXPECT_EQ(SendOutcome::kNoDialog, SendPath("a.html", block.get(), dir / "talvorix.sock", &detail));
  EXPECT_FALSE(detail.empty());
  const int fd = shm_open(block.get().c_str(), O_RDONLY, 0);
  EXPECT_LT(fd, 0) << "the block was made although no dialog listens";
  if (fd >= 0) close(fd);
}

TEST_F(HandOver, OnlyTheWholeAnnouncementCounts) {
  struct Case {
    const char* name;
    std::string bytes;
    bool counts;
  };
  const std::vector<Case> cases = {
      {"announcement", std::string(kAnnouncement), true},
      {"connect and close", "", false},
      {"cut short", std::string(kAnnouncement.substr(0, 6)), false},
      {"other words", "HELLO THERE, DIALOG", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(0, Announce(socket_, c.bytes));
    EXPECT_EQ(c.counts, listener_.TakeAnnouncement(500));
  }
  EXPECT_FALSE(listener_.TakeAnnouncement()) << "nothing waits any more";
}

TEST_F(HandOver, AnnouncementFromAnotherUserIsIgnored) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  chmod(dir_.path().c_str(), 0755);
  chmod(socket_.c_str(), 0777);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
    _exit(Announce(socket_, kAnnouncement) == 0 ? 0 : 3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(0, WEXITSTATUS(status));
  EXPECT_FALSE(listener_.TakeAnnouncement(500));
}

TEST_F(HandOver, SecondDialogLeavesTheFirstOnesSocket) {
  AnnouncementListener second;
  EXPECT_EQ(AnnouncementListener::Start::kOtherDialog, second.Listen(socket_, &detail_));
  EXPECT_EQ(-1, second.fd());
  EXPECT_FALSE(listener_.TakeAnnouncement(500)) << "the second dialog's probe is no announcement";
  ASSERT_EQ(SendOutcome::kSent, Send("a.html"));
  EXPECT_TRUE(listener_.TakeAnnouncement());
}

TEST(AnnouncementListener, ReplacesOnlyAStaleSocket) {
  TempDir dir;
  const std::string path = dir / "talvorix.sock";
  {
    // A dialog that ended without tidying up leaves a socket nobody listens on.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(0, bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
    close(fd);
  }
  std::string detail;
  {
    AnnouncementListener listener;
    EXPECT_EQ(AnnouncementListener::Start::kListening, listener.Listen(path, &detail)) << detail;
    ASSERT_EQ(0, Announce(path, kAnnouncement));
    EXPECT_TRUE(listener.TakeAnnouncement());
  }
  EXPECT_FALSE(fs::exists(path)) << "the listener removes its socket when it ends";

  std::ofstream(path) << "not a socket";
  AnnouncementListener listener;
  EXPECT_EQ(AnnouncementListener::Start::kFailed, listener.Listen(path, &detail));
  EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(AnnouncementListener, LeavesASuccessorsSocketInPlace) {
  TempDir dir;
  const std::string path = dir / "talvorix.sock";
  std::string detail;
  auto first = std::make_unique<AnnouncementListener>();
  ASSERT_EQ(AnnouncementListener::Start::kListening, first->Listen(path, &detail));
  unlink(path.c_str());
  AnnouncementListener second;
  ASSERT_EQ(AnnouncementListener::Start::kListening, second.Listen(path, &detail));
  first.reset();
  ASSERT_EQ(0, Announce(path, kAnnouncement));
  EXPECT_TRUE(second.TakeAnnouncement());
}

}  // namespace
}  // namespace talvorix
