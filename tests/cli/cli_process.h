#pragma once
// The command-line programs started as a user starts them, with no shell in between:
// the arguments exactly as given, standard output and error each caught in a file of
// the process's own (or sent where the test says), the exit status once it ends.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace talvorix {

/// The whole content of a file; empty when there is none.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// How a program is started.
struct ProcessOptions {
  std::string program = TALVORIX_CLI;
  /// Exactly these NAME=VALUE pairs as its environment; ours when empty.
  std::vector<std::string> environment;
  /// A descriptor of ours to take as its standard output (the test closes its own
  /// copy); -1: a file that out() reads.
  int out = -1;
  /// Standard error goes where standard output goes (as "2>&1"); err() is then empty.
  bool errToOut = false;
  /// Started with SIGPIPE ignored, so that a write to a pipe nobody reads fails with
  /// EPIPE instead of ending it.
  bool ignoreSigpipe = false;
};

/// A started program. Destroying it while it runs ends it (SIGTERM) and waits for it.
class Process {
 public:
  explicit Process(std::vector<std::string> args, ProcessOptions options = {}) {
    static std::atomic<int> runs{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("talvorix-process-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    args.insert(args.begin(), options.program);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& pair : options.environment) envp.push_back(pair.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.out >= 0) {
      posix_spawn_file_actions_adddup2(&actions, options.out, STDOUT_FILENO);
    } else {
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
    }
    if (options.errToOut) {
      posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    } else {
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
    }
    // An ignored signal stays ignored across exec.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    if (options.ignoreSigpipe) sigaction(SIGPIPE, &ignore, &before);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(),
                    options.environment.empty() ? environ : envp.data()) != 0)
      pid_ = -1;
    if (options.ignoreSigpipe) sigaction(SIGPIPE, &before, nullptr);
    posix_spawn_file_actions_destroy(&actions);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  bool started() const { return pid_ > 0 || status_ != kRunning; }

  /// The exit status once it has ended within `limit`; -1 while it still runs, and for
  /// a program ended by a signal.
  int Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (pid_ <= 0) return status_ == kRunning ? -1 : status_;
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
      }
      if (std::chrono::steady_clock::now() >= end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  /// The exit status once it has ended, however long that takes.
  int Wait() {
    if (pid_ <= 0) return status_ == kRunning ? -1 : status_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }

  /// Where its standard output and error are caught.
  std::filesystem::path outPath() const { return dir_ / "stdout"; }
  std::filesystem::path errPath() const { return dir_ / "stderr"; }
  /// What it has written so far.
  std::string out() const { return ReadWholeFile(outPath()); }
  std::string err() const { return ReadWholeFile(errPath()); }

 private:
  static constexpr int kRunning = -2;
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int status_ = kRunning;
};

/// A finished run.
struct ProcessRun {
  int status;  // the exit status; -1 when it could not start or was ended by a signal
  std::string out;
  std::string err;
};

/// Runs the program with `args` to its end.
inline ProcessRun RunProcess(std::vector<std::string> args, ProcessOptions options = {}) {
  Process process(std::move(args), std::move(options));
  if (!process.started()) return {-1, {}, {}};
  const int status = process.Wait();
  return {status, process.out(), process.err()};
}

}  // namespace talvorix
