// The POSIX hand-over over real sockets: the sender and the dialog's server under
// bursts, idle peers, dead dialogs and other users, and the real talvorix-send.
#include "handover/handover_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "handover/handover_protocol.h"
#include "handover/handover_sender.h"
#include "handover/rendezvous.h"
#include "tests/handover/private_temp_dir.h"

namespace talvorix {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uid_t kNobody = 65534;

using TempDir = test::PrivateTempDir;

std::vector<RendezvousCandidate> Only(const std::string& dir) { return {{dir, false}}; }

/// Runs `child` in a forked process as the user nobody; its exit code, or -1.
int AsNobody(const std::function<int()>& child) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
    _exit(child());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// A raw client: connects, writes `bytes`, and keeps the connection open.
int RawClient(const std::string& address, std::string_view bytes) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un to{};
  to.sun_family = AF_UNIX;
  std::strncpy(to.sun_path, address.c_str(), sizeof(to.sun_path) - 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) != 0 ||
      (!bytes.empty() && send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))) {
    close(fd);
    return -1;
  }
  return fd;
}

/// The dialog's side on a thread of its own, driven as the window's event loop drives
/// it: wait until a descriptor is readable or a deadline comes, then Service.
class Dialog {
 public:
  explicit Dialog(const std::string& dir) {
    std::string detail;
    started_ = server_.Listen(Only(dir), &detail);
    thread_ = std::thread([this] { Run(); });
  }
  ~Dialog() {
    stop_ = true;
    thread_.join();
  }
  HandoverServer::Start started() const { return started_; }
  std::vector<std::string> paths() {
    std::lock_guard lock(mutex_);
    return paths_;
  }
  /// The longest single Service call so far.
  milliseconds slowestService() const { return milliseconds(slowestMs_.load()); }

 private:
  void Run() {
    while (!stop_) {
      std::vector<pollfd> fds;
      if (server_.listening()) fds.push_back({server_.listenFd(), POLLIN, 0});
      for (const auto& peer : server_.peers()) fds.push_back({peer.fd, POLLIN, 0});
      const int wait = std::min(20, server_.MsUntilDeadline(Clock::now()).value_or(20));
      poll(fds.data(), fds.size(), wait);
      // Held across Service: a path a sender was told about is in paths_ by the time
      // the sender can look.
      std::lock_guard lock(mutex_);
      const Clock::time_point before = Clock::now();
      std::vector<std::string> got = server_.Service(before);
      const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - before).count();
      slowestMs_ = std::max<long long>(slowestMs_, took);
      paths_.insert(paths_.end(), got.begin(), got.end());
    }
  }

  HandoverServer server_;
  HandoverServer::Start started_ = HandoverServer::Start::kFailed;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> slowestMs_{0};
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

constexpr SendTimeouts kQuick{milliseconds(300), milliseconds(500)};

TEST(HandOver, MessageMustBeWholeAndAlone) {
  TempDir dir;
  HandoverServer server;
  std::string detail;
  ASSERT_EQ(HandoverServer::Start::kListening, server.Listen(Only(dir.path()), &detail)) << detail;
  const std::string address = dir / "talvorix.sock";
  const auto header = [](std::size_t length) {
    return std::string(kMessageMagic) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF);
  };
  // Which bytes are a message is DecodeMessage's (handover_protocol_test.cpp); here one
  // row per way the server deals with a peer, and the bounds of what it reads.
  struct Case {
    const char* name;
    std::string bytes;
    bool taken;
  };
  const std::vector<Case> cases = {
      {"one byte", EncodeMessage("a"), true},
      {"longest path: all of it read", EncodeMessage(std::string(kSharedPathSize - 1, 'p')), true},
      {"bytes after the message", EncodeMessage("a.html") + "X", false},
      {"more than any message: reading stops", header(4096) + std::string(4096, 'p'), false},
      {"cut short: closed at its deadline", EncodeMessage("a.html").substr(0, 8), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int client = RawClient(address, c.bytes);
    ASSERT_GE(client, 0);
    // Pumped as the event loop would, until the peer is dealt with or its time is up.
    std::vector<std::string> got;
    const Clock::time_point end = Clock::now() + kPeerDeadline + milliseconds(100);
    do {
      std::vector<std::string> more = server.Service(Clock::now());
      got.insert(got.end(), more.begin(), more.end());
      std::this_thread::sleep_for(milliseconds(5));
    } while (got.empty() && !server.peers().empty() && Clock::now() < end);
    pollfd wait{client, POLLIN, 0};
    char answer = 0;
    const bool answered = poll(&wait, 1, 200) == 1 && recv(client, &answer, 1, MSG_DONTWAIT) == 1;
    close(client);
    EXPECT_EQ(c.taken, answered && answer == kAccepted);
    if (c.taken) {
      ASSERT_EQ(1u, got.size());
      EXPECT_EQ(c.bytes.substr(kMessageHeaderSize), got[0]);
    } else {
      EXPECT_TRUE(got.empty());
    }
    EXPECT_TRUE(server.peers().empty());
  }
}

TEST(HandOver, BurstsArriveOnceEach) {
  struct Case {
    int senders;
    bool mixedLengths;
  };
  const Case cases[] = {{1, false}, {1, true}, {2, false}, {2, true}, {8, false}, {8, true}};
  constexpr int kPaths = 200;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.senders) + (c.mixedLengths ? " senders, mixed lengths" : " senders"));
    TempDir dir;
    std::vector<std::string> sent;
    for (int i = 0; i < kPaths; ++i) {
      const std::size_t filler = c.mixedLengths ? (i % 2 == 0 ? 3 : 900) : 40;
      sent.push_back("/home/j/" + std::string(filler, 'x') + "/fordulo-" + std::to_string(i) + ".html");
    }
    const Clock::time_point start = Clock::now();
    Dialog dialog(dir.path());
    ASSERT_EQ(HandoverServer::Start::kListening, dialog.started());
    std::atomic<int> failures{0};
    std::vector<std::thread> senders;
    for (int s = 0; s < c.senders; ++s) {
      senders.emplace_back([&, s] {
        for (int i = s; i < kPaths; i += c.senders) {
          std::string detail;
          if (SendPathToCandidates(sent[i], Only(dir.path()), SendTimeouts{}, &detail) != SendOutcome::kSent) {
            ++failures;
            continue;
          }
          // Sent means held: the dialog has it by the time the sender is told.
          const std::vector<std::string> held = dialog.paths();
          if (std::find(held.begin(), held.end(), sent[i]) == held.end()) ++failures;
        }
      });
    }
    for (std::thread& t : senders) t.join();
    EXPECT_EQ(0, failures.load());
    std::vector<std::string> got = dialog.paths();
    std::multiset<std::string> gotSet(got.begin(), got.end());
    EXPECT_EQ(std::multiset<std::string>(sent.begin(), sent.end()), gotSet);
    if (c.senders == 1) {
      EXPECT_EQ(sent, got) << "one sender: in the order sent";
    }
    std::printf("  %d sender(s)%s: %d paths in %lld ms\n", c.senders, c.mixedLengths ? ", mixed" : "", kPaths,
                static_cast<long long>(std::chrono::duration_cast<milliseconds>(Clock::now() - start).count()));
  }
}

TEST(HandOver, IdleAndSlowPeersDoNotHoldUpARealSender) {
  struct Case {
    const char* name;
    int idlePeers;
    bool slowPeer;
  };
  const Case cases[] = {
      {"one idle peer", 1, false},
      {"one slow peer", 0, true},
      {"17 idle peers", 17, false},
      {"more idle peers than are read at once", static_cast<int>(kMaxPeers) + 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Dialog dialog(dir.path());
    const std::string address = dir / "talvorix.sock";
    std::vector<int> idle;
    for (int i = 0; i < c.idlePeers; ++i) idle.push_back(RawClient(address, ""));
    std::atomic<bool> stopSlow{false};
    std::thread slow;
    if (c.slowPeer) {
      slow = std::thread([&] {
        const int fd = RawClient(address, "");
        const std::string message = EncodeMessage("/slow.html");
        for (std::size_t i = 0; i < message.size() && !stopSlow; ++i) {
          send(fd, &message[i], 1, MSG_NOSIGNAL);
          std::this_thread::sleep_for(milliseconds(100));
        }
        close(fd);
      });
    }
    std::this_thread::sleep_for(milliseconds(50));
    const Clock::time_point start = Clock::now();
    std::string detail;
    EXPECT_EQ(SendOutcome::kSent, SendPathToCandidates("/real.html", Only(dir.path()), SendTimeouts{}, &detail))
        << detail;
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    EXPECT_LT(took, 1000) << "a real hand-over waited behind others";
    EXPECT_EQ(std::vector<std::string>{"/real.html"}, dialog.paths());
    EXPECT_LT(dialog.slowestService().count(), 50) << "the dialog's loop was held up";
    stopSlow = true;
    if (slow.joinable()) slow.join();
    for (int fd : idle) close(fd);
  }
}

TEST(HandOver, StoppedOrMissingDialogFailsInTime) {
  struct Case {
    const char* name;
    bool listening;
    SendOutcome want;
  };
  const Case cases[] = {
      {"a dialog that listens but never reads", true, SendOutcome::kNoAnswer},
      {"no dialog", false, SendOutcome::kNoDialog},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    HandoverServer frozen;
    if (c.listening) {
      ASSERT_EQ(HandoverServer::Start::kListening, frozen.Listen(Only(dir.path()), nullptr));
    }
    const Clock::time_point start = Clock::now();
    std::string detail;
    EXPECT_EQ(c.want, SendPathToCandidates("/a.html", Only(dir.path()), kQuick, &detail));
    EXPECT_FALSE(detail.empty());
    EXPECT_LT(Clock::now() - start, kQuick.connect + kQuick.answer + milliseconds(300));
  }
}

TEST(HandOver, ClosingWithoutAnAnswerIsNotTaken) {
  TempDir dir;
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un at{};
  at.sun_family = AF_UNIX;
  std::strncpy(at.sun_path, (dir / "talvorix.sock").c_str(), sizeof(at.sun_path) - 1);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof(at)));
  ASSERT_EQ(0, listen(listener, 4));
  std::thread refuser([listener] {
    const int peer = accept(listener, nullptr, nullptr);
    char buffer[64];
    recv(peer, buffer, sizeof(buffer), 0);
    close(peer);
  });
  std::string detail;
  EXPECT_EQ(SendOutcome::kNotTaken, SendPathToCandidates("/a.html", Only(dir.path()), kQuick, &detail));
  refuser.join();
  close(listener);
}

TEST(HandOver, QueueFullOfStoppedDialogMeansNoAnswer) {
  TempDir dir;
  HandoverServer frozen;
  ASSERT_EQ(HandoverServer::Start::kListening, frozen.Listen(Only(dir.path()), nullptr));
  // Fill the listen queue: further connections are refused with EAGAIN, not blocked.
  std::vector<int> filler;
  for (int i = 0; i < 200; ++i) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    std::strncpy(to.sun_path, (dir / "talvorix.sock").c_str(), sizeof(to.sun_path) - 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) != 0) {
      close(fd);
      break;
    }
    filler.push_back(fd);
  }
  const Clock::time_point start = Clock::now();
  std::string detail;
  EXPECT_EQ(SendOutcome::kNoAnswer, SendPathToCandidates("/a.html", Only(dir.path()), kQuick, &detail));
  EXPECT_LT(Clock::now() - start, kQuick.connect + kQuick.answer + milliseconds(300));
  for (int fd : filler) close(fd);
}

TEST(HandoverServer, OneListenerAndTakeOverWhenItEnds) {
  TempDir dir;
  std::string detail;
  auto first = std::make_unique<HandoverServer>();
  ASSERT_EQ(HandoverServer::Start::kListening, first->Listen(Only(dir.path()), &detail)) << detail;
  HandoverServer second;
  EXPECT_EQ(HandoverServer::Start::kOtherDialog, second.Listen(Only(dir.path()), &detail));
  EXPECT_FALSE(second.listening());
  first.reset();
  EXPECT_EQ(HandoverServer::Start::kListening, second.Listen(Only(dir.path()), &detail)) << detail;

  // A dialog killed outright leaves its socket file; its lock goes with it.
  TempDir killed;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HandoverServer doomed;
    if (doomed.Listen(Only(killed.path()), nullptr) != HandoverServer::Start::kListening) _exit(1);
    kill(getpid(), SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(fs::exists(killed / "talvorix.sock"));
  Dialog successor(killed.path());
  EXPECT_EQ(HandoverServer::Start::kListening, successor.started());
  EXPECT_EQ(SendOutcome::kSent, SendPathToCandidates("/a.html", Only(killed.path()), kQuick, &detail)) << detail;

  // Something that is not a socket in its place is left alone, and named.
  TempDir blocked;
  std::ofstream(blocked / "talvorix.sock") << "not a socket";
  HandoverServer refused;
  EXPECT_EQ(HandoverServer::Start::kFailed, refused.Listen(Only(blocked.path()), &detail));
  EXPECT_NE(std::string::npos, detail.find(blocked / "talvorix.sock")) << detail;
  EXPECT_TRUE(fs::is_regular_file(blocked / "talvorix.sock"));
}

TEST(HandOver, SenderFindsTheDialogWhereverItListens) {
  TempDir runtime;
  TempDir home;
  // A home so deep that the socket's path does not fit a socket address.
  std::string deep = home.path();
  while (deep.size() < 120) {
    deep += "/tief-verzeichnis";
    mkdir(deep.c_str(), 0700);
  }
  struct Case {
    const char* name;
    RendezvousEnvironment dialog;
    RendezvousEnvironment sender;
  };
  const std::string run = runtime.path();
  const Case cases[] = {
      {"sender without XDG_RUNTIME_DIR", {run.c_str(), run, home.path()}, {nullptr, run, home.path()}},
      {"no runtime dir at all: home cache", {nullptr, "", home.path()}, {nullptr, "/nonexistent", home.path()}},
      {"a home too deep for a socket address", {nullptr, "", deep}, {nullptr, "", deep}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandoverServer server;
    std::string detail;
    ASSERT_EQ(HandoverServer::Start::kListening, server.Listen(RendezvousCandidates(c.dialog), &detail)) << detail;
    std::thread send([&] {
      EXPECT_EQ(SendOutcome::kSent, SendPathToCandidates("/x.html", RendezvousCandidates(c.sender), kQuick, &detail))
          << detail;
    });
    std::vector<std::string> got;
    const Clock::time_point end = Clock::now() + milliseconds(1000);
    while (got.empty() && Clock::now() < end) {
      got = server.Service(Clock::now());
      std::this_thread::sleep_for(milliseconds(2));
    }
    send.join();
    EXPECT_EQ(std::vector<std::string>{"/x.html"}, got);
  }
}

TEST(HandOver, OtherUsersCanNeitherSendNorSquat) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  TempDir dir;
  TempDir home;
  // Everything a second user could make first: the names that shared folders would use.
  const std::string uid = std::to_string(geteuid());
  const std::vector<std::string> squatted = {"/tmp/talvorix-" + uid, "/dev/shm/talvorix-PATH-" + uid};
  std::vector<std::string> made;
  for (const std::string& name : squatted) {
    if (fs::exists(name)) continue;
    EXPECT_EQ(0, AsNobody([&name] { return mkdir(name.c_str(), 0777) == 0 ? 0 : 1; }));
    made.push_back(name);
  }
  // The user's own places are closed to the second user.
  EXPECT_NE(0, AsNobody([&home] { return mkdir((home.path() + "/.cache").c_str(), 0777) == 0 ? 0 : 1; }));

  Dialog dialog(dir.path());
  ASSERT_EQ(HandoverServer::Start::kListening, dialog.started());
  // The second user may reach the socket (the folder opened for the test) but is not heard.
  chmod(dir.path().c_str(), 0755);
  chmod((dir / "talvorix.sock").c_str(), 0777);
  const std::string address = dir / "talvorix.sock";
  EXPECT_EQ(0, AsNobody([&address] {
    const int fd = RawClient(address, "");
    if (fd < 0) return 1;
    // The dialog may already have closed on us: a failed write is not being heard either.
    const std::string message = EncodeMessage("/theirs.html");
    send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    char answer = 0;
    pollfd wait{fd, POLLIN, 0};
    const bool answered = poll(&wait, 1, 500) == 1 && recv(fd, &answer, 1, 0) == 1;
    return answered ? 2 : 0;
  }));
  chmod(dir.path().c_str(), 0700);
  std::string detail;
  const RendezvousEnvironment env{nullptr, dir.path(), home.path()};
  EXPECT_EQ(SendOutcome::kSent, SendPathToCandidates("/mine.html", RendezvousCandidates(env), kQuick, &detail))
      << detail;
  EXPECT_EQ(std::vector<std::string>{"/mine.html"}, dialog.paths());
  for (const std::string& name : made) rmdir(name.c_str());
}

/// A run of the real talvorix-send: exit status and error output.
struct SendRun {
  int status;
  std::string err;
};

/// Runs talvorix-send with `arg` in `workDir`, with its own XDG_RUNTIME_DIR and HOME
/// (and PWD, as a shell sets it, when given), its output going to `out`; status -1
/// when it could not be run or did not exit.
SendRun RunSend(const std::string& arg, const std::string& workDir, const std::string& runtime,
                const std::string& home, const std::string& pwd = {}, const char* out = "/dev/null") {
  const TempDir caught;
  const std::string errFile = caught / "stderr";
  std::vector<std::string> env = {"PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + runtime, "HOME=" + home};
  if (!pwd.empty()) env.push_back("PWD=" + pwd);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = TALVORIX_SEND;
  std::string argument = arg;
  char* argv[] = {program.data(), argument.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {-1, {}};
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(errFile, std::ios::binary);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
}

// The dialog opens a path from its own working directory: the sender hands over the
// path as it reads in the sender's, made absolute by name, no link followed.
TEST(TalvorixSend, RelativePathsArriveAbsoluteAsNamed) {
  TempDir runtime;
  TempDir home;
  TempDir base;
  const std::string work = base / "work";
  mkdir(work.c_str(), 0700);
  mkdir((work + "/sub").c_str(), 0700);
  std::ofstream(work + "/target.html") << "x";
  ASSERT_EQ(0, symlink("target.html", (work + "/link.html").c_str()));
  const std::string linkedWork = base / "linked-work";
  ASSERT_EQ(0, symlink(work.c_str(), linkedWork.c_str()));
  struct Case {
    const char* name;
    std::string workDir;
    std::string pwd;  // as the shell sets it; empty for none
    std::string arg;
    std::string want;  // the path the dialog holds
  };
  const Case cases[] = {
      {"a name in the working directory", work, work, "fordulo.html", work + "/fordulo.html"},
      {"a path below it", work, "", "sub/f.html", work + "/sub/f.html"},
      {"dot and dot-dot are kept", work, work, "./../work/f.html", work + "/./../work/f.html"},
      {"an absolute path as it is", work, work, "/elsewhere/f.html", "/elsewhere/f.html"},
      {"a link keeps its own name", work, work, "link.html", work + "/link.html"},
      {"a working directory reached through a link keeps the shell's name", linkedWork, linkedWork, "f.html",
       linkedWork + "/f.html"},
      {"a stale PWD is not believed", work, base.path(), "f.html", work + "/f.html"},
      {"from the root", "/", "/", "tmp/f.html", "/tmp/f.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Dialog dialog(runtime.path());
    ASSERT_EQ(HandoverServer::Start::kListening, dialog.started());
    const SendRun run = RunSend(c.arg, c.workDir, runtime.path(), home.path(), c.pwd);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(std::vector<std::string>{c.want}, dialog.paths());
  }
  // The limit is on the path the dialog gets.
  const std::string longName(kSharedPathSize - 1 - 4, 'n');
  Dialog dialog(runtime.path());
  const SendRun run = RunSend(longName, work, runtime.path(), home.path(), work);
  EXPECT_EQ(64, run.status);
  EXPECT_NE(std::string::npos, run.err.find("at most 1023")) << run.err;
  EXPECT_TRUE(dialog.paths().empty());
}

// The developer's own dialog, listening in the user's real places, is never reached by
// a sender that has a runtime directory of its own: the sender says no dialog runs,
// and the other dialog hears nothing.
TEST(TalvorixSend, UsesOnlyItsOwnRuntimeDirectory) {
  struct Case {
    const char* name;
    bool inSendersHomeCache;  // else in a runtime directory of another session
  };
  const Case cases[] = {
      {"a dialog in the home cache, where a sender without XDG_RUNTIME_DIR looks", true},
      {"a dialog in another session's runtime directory", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir runtime;  // the sender's own, where nothing listens
    TempDir home;
    TempDir usersRuntime;
    const std::string usersPlace = c.inSendersHomeCache ? home.path() + "/.cache/talvorix" : usersRuntime.path();
    if (c.inSendersHomeCache) {
      ASSERT_TRUE(RendezvousDir::Open(usersPlace, true, nullptr).has_value());
    }
    Dialog usersDialog(usersPlace);
    ASSERT_EQ(HandoverServer::Start::kListening, usersDialog.started());
    const SendRun run = RunSend("/x/fordulo.html", "/", runtime.path(), home.path());
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("no Talvorix dialog is running")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(runtime.path())) << "names where it looked: " << run.err;
    EXPECT_TRUE(usersDialog.paths().empty());
  }
}

// The help and the version that cannot be written are a failure, said on stderr.
TEST(TalvorixSend, HelpThatCannotBeWrittenFails) {
  TempDir runtime;
  TempDir home;
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    const SendRun run = RunSend(option, "/", runtime.path(), home.path(), {}, "/dev/full");
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("talvorix-send: write error: No space left on device\n", run.err);
    EXPECT_EQ(0, RunSend(option, "/", runtime.path(), home.path()).status);
  }
}

}  // namespace
}  // namespace talvorix
