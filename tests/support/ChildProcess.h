// Another process on the device root: the ondrel executable (or any
// program) with its standard input, output and error on pipes, and
// optionally an environment of its own, a file size limit or file
// permissions that bind even the superuser, as a full disk or a read-only
// registry look to the program.
#pragma once

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

struct ChildOptions {
  // Its whole environment (NAME=value each); without it, this process's.
  std::optional<std::vector<std::string>> environment;
  std::optional<rlim_t> fileSizeLimit;  // bytes any file may reach
  // The superuser's power to pass over file permissions is dropped, so
  // that a write-protected file is one for it too.
  bool keepToPermissions = false;
};

class ChildProcess {
 public:
  explicit ChildProcess(std::vector<std::string> args, const ChildOptions& options = {}) {
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe2 failed");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = options.environment.value_or(std::vector<std::string>{});
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only calls that are safe between fork and exec.
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      if (options.fileSizeLimit) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
        rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      if (options.keepToPermissions && ::geteuid() == 0 &&
          (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 ||
           ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0))
        ::_exit(126);
      if (options.environment)
        ::execve(argv[0], argv.data(), envp.data());
      else
        ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    if (pid_ < 0) throw std::runtime_error("fork failed");
  }
  ~ChildProcess() {
    CloseInput();
    if (pid_ > 0) Kill();
    ::close(out_);
    ::close(err_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // The next line of its output; nullopt once it closed it.
  std::optional<std::string> ReadLine() {
    while (true) {
      if (auto line = TakeLine()) return line;
      if (!ReadOutput()) return std::nullopt;
    }
  }
  // The next line of its output within timeout; nullopt once it closed
  // it (OutputClosed()) or when the time ran out.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
      if (auto line = TakeLine()) return line;
      if (outClosed_) return std::nullopt;
      using namespace std::chrono;
      const auto left = std::max(duration_cast<milliseconds>(deadline - steady_clock::now()), milliseconds(0));
      pollfd ready{out_, POLLIN, 0};
      const int polled = ::poll(&ready, 1, int(left.count()));
      if (polled < 0 && errno == EINTR) continue;
      if (polled <= 0) return std::nullopt;
      if (!ReadOutput()) return std::nullopt;
    }
  }
  bool OutputClosed() const { return outClosed_; }

  // Everything it writes to standard error until it closes it.
  std::string ReadErrors() {
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(err_, chunk, sizeof chunk)) != 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      text.append(chunk, static_cast<std::size_t>(n));
    }
    return text;
  }

  // It has ended (it is left for Wait to collect).
  bool Exited() const {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
  }

  void CloseInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
  }
  void Kill() {
    ::kill(pid_, SIGKILL);
    Wait();
  }
  // Its exit status; -1 when a signal ended it.
  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Waits for it after reading all its output; the output's lines.
  std::pair<int, std::vector<std::string>> Finish() {
    std::vector<std::string> lines;
    CloseInput();
    while (auto line = ReadLine()) lines.push_back(*line);
    return {Wait(), lines};
  }

 private:
  std::optional<std::string> TakeLine() {
    const auto end = outBuffer_.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = outBuffer_.substr(0, end);
    outBuffer_.erase(0, end + 1);
    return line;
  }
  // Appends what it wrote next; false once it closed its output.
  bool ReadOutput() {
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(out_, chunk, sizeof chunk)) < 0 && errno == EINTR) {
    }
    if (n <= 0) {
      outClosed_ = true;
      return false;
    }
    outBuffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string outBuffer_;
  bool outClosed_ = false;
};

}  // namespace testsupport
