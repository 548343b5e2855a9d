// Ctrl+C and SIGTERM close the radio as its user would, across a real
// process: the ondrel executable in its window front end (SDL's offscreen
// driver, real time), a key pressed, then the signal. It ends with status
// 0 and the setting changed since its start is stored. The waits are
// bounded: a radio that does not end is killed and the test fails.
#include <signal.h>

#include <chrono>

#include "OndrelFixture.h"
#include "tests/support/ChildProcess.h"

extern char** environ;

namespace e2e {
namespace {

using testsupport::ChildProcess;

// SDL's offscreen video and no sound, whatever this process was given.
testsupport::ChildOptions Offscreen() {
  std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};
  for (char** e = environ; *e; ++e)
    if (!std::string_view(*e).starts_with("SDL_")) env.push_back(*e);
  testsupport::ChildOptions options;
  options.environment = std::move(env);
  return options;
}

// Reads its lines into text until one starts with `prefix` (or, with an
// empty prefix, until it closes its output); false after 30 s.
bool ReadUntil(ChildProcess& radio, std::string_view prefix, std::string& text) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + seconds(30);
  while (auto line = radio.ReadLine(duration_cast<milliseconds>(deadline - steady_clock::now()))) {
    text += *line + "\n";
    if (!prefix.empty() && line->starts_with(prefix)) return true;
  }
  return prefix.empty() && radio.OutputClosed();
}

TEST_F(OndrelTest, SigtermAndCtrlCCloseTheRadioAsItsUserWouldAndItsSettingsAreKept) {
  std::ofstream(dir_ / "step.txt") << "key RIGHT\nwait 100\ndump\nwait 600000\n";
  for (int signal : {SIGTERM, SIGINT}) {
    ChildProcess radio({ONDREL_EXE, "--root", Root().string(), "--script", (dir_ / "step.txt").string()},
                       Offscreen());
    ASSERT_GT(radio.pid(), 0);
    std::string text;
    ASSERT_TRUE(ReadUntil(radio, "{", text)) << "the radio did not take the key: " << text;
    radio.Signal(signal);
    ASSERT_TRUE(ReadUntil(radio, "", text)) << "the radio did not end on signal " << signal;
    EXPECT_EQ(radio.Wait(), 0) << text;
  }
  // One step up from 87.5 MHz at each run, each stored at its close.
  EXPECT_NE(Registry().find("\"CurrentFrequency\"=dword:0000036d"), std::string::npos) << Registry();
}

}  // namespace
}  // namespace e2e
