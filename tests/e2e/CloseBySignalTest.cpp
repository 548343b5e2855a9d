// Ctrl+C and SIGTERM close the radio as its user would, across a real
// process: the ondrel executable in its window front end (SDL's offscreen
// driver, real time), a key pressed, then the signal. It ends with status
// 0 and the setting changed since its start is stored. The waits are
// bounded: a radio that does not end is killed and the test fails.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "OndrelFixture.h"

extern char** environ;

namespace e2e {
namespace {

class RunningRadio {
 public:
  explicit RunningRadio(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};
    for (char** e = environ; *e; ++e)
      if (!std::string_view(*e).starts_with("SDL_")) env.push_back(*e);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    out_ = pipeFds[0];
  }
  ~RunningRadio() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // Reads what it prints until a line starts with `prefix` (or, with an
  // empty prefix, until it closes its output); false after 30 s.
  bool ReadUntil(std::string_view prefix) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      for (std::size_t at = 0, end; (end = text_.find('\n', at)) != std::string::npos; at = end + 1)
        if (!prefix.empty() && std::string_view(text_).substr(at).starts_with(prefix)) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd fd{out_, POLLIN, 0};
      if (::poll(&fd, 1, int(left.count())) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(out_, buffer, sizeof buffer);
      if (got <= 0) return prefix.empty();
      text_.append(buffer, std::size_t(got));
    }
  }
  // Its exit status once its output closed; -1 when killed by a signal.
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& text() const { return text_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string text_;
};

TEST_F(OndrelTest, SigtermAndCtrlCCloseTheRadioAsItsUserWouldAndItsSettingsAreKept) {
  std::ofstream(dir_ / "step.txt") << "key RIGHT\nwait 100\ndump\nwait 600000\n";
  for (int signal : {SIGTERM, SIGINT}) {
    RunningRadio radio({ONDREL_EXE, "--root", Root().string(), "--script", (dir_ / "step.txt").string()});
    ASSERT_TRUE(radio.Started());
    ASSERT_TRUE(radio.ReadUntil("{")) << "the radio did not take the key: " << radio.text();
    radio.Signal(signal);
    ASSERT_TRUE(radio.ReadUntil("")) << "the radio did not end on signal " << signal;
    EXPECT_EQ(radio.Wait(), 0) << radio.text();
  }
  // One step up from 87.5 MHz at each run, each stored at its close.
  EXPECT_NE(Registry().find("\"CurrentFrequency\"=dword:0000036d"), std::string::npos) << Registry();
}

}  // namespace
}  // namespace e2e
