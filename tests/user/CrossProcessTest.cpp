#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

#include "UserFixture.h"
#include "platform/kernel/Kernel.h"
#include "tests/support/ScratchFolder.h"

extern char** environ;

namespace {

class CrossProcessTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    ce::SetDeviceRoot(root_);
  }
  void TearDown() override {
    UserTest::TearDown();
    ce::SetDeviceRoot({});
  }

  // Runs the other program to its end; its exit status.
  int Finder(const std::string& cls, const std::string& title) {
    std::string root = root_.string();
    const char* argv[] = {WINDOW_FINDER_PATH, root.c_str(), cls.c_str(), title.c_str(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, WINDOW_FINDER_PATH, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  testsupport::ScratchFolder scratch_{"ondrel-windows"};
  const std::filesystem::path& root_ = scratch_.path();
};

TEST_F(CrossProcessTest, ASecondProgramFindsTheWindowAndBringsItToTheFront) {
  HWND radio = Make(CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, WS_VISIBLE, nullptr, u"Ondrel");
  HWND other = Make(0, 26, 240, 294, WS_VISIBLE, nullptr, u"Other");
  ASSERT_EQ(GetForegroundWindow(), other);
  int raised = 0;
  ce::SetRaiseHandler([&] { ++raised; });

  EXPECT_EQ(Finder("TESTWINDOW", "Ondrel"), 0);
  Drain();  // the request is picked up when the loop has nothing else to do
  EXPECT_EQ(GetForegroundWindow(), radio);
  EXPECT_EQ(raised, 1);
  EXPECT_EQ(WindowFromPoint(POINT{5, 40}), radio);
  bool activated = false;
  for (const Seen& s : SeenOf(WM_ACTIVATE)) activated |= s.hwnd == radio && LOWORD(s.wParam) != WA_INACTIVE;
  EXPECT_TRUE(activated);

  EXPECT_EQ(Finder("TestWindow", "Radio"), 3);  // another title
  SetWindowTextW(radio, u"Radio");
  EXPECT_EQ(Finder("TestWindow", "Radio"), 0);  // titles follow changes
  DestroyWindow(radio);
  EXPECT_EQ(Finder("TestWindow", "Radio"), 3);  // gone with its window
  ce::SetRaiseHandler({});
}

class RealTimeCrossProcessTest : public CrossProcessTest {
 protected:
  hw::Clock::Mode ClockMode() const override { return hw::Clock::Mode::Real; }
};

// In real time a message loop with nothing to do sleeps until its next
// timer; a request from another program wakes it at once.
TEST_F(RealTimeCrossProcessTest, ARequestFromAnotherProgramWakesASleepingMessageLoop) {
  HWND radio = Make(CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, WS_VISIBLE, nullptr, u"Ondrel");
  HWND other = Make(0, 26, 240, 294, WS_VISIBLE, nullptr, u"Other");
  Drain();
  int raised = 0;
  ce::SetRaiseHandler([&] {
    ++raised;
    PostMessageW(radio, WM_USER, 0, 0);
  });
  ASSERT_NE(SetTimer(radio, 99, 10000, nullptr), 0u);  // bounds the test
  int status = -1;
  std::thread finder([&] { status = Finder("TestWindow", "Ondrel"); });
  PumpUntil([&] { return raised > 0 || !SeenOf(WM_TIMER).empty(); });
  finder.join();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(SeenOf(WM_TIMER).empty()) << "the loop slept on until its timer";
  ce::SetRaiseHandler({});
  KillTimer(radio, 99);
  DestroyWindow(other);
  DestroyWindow(radio);
}

}  // namespace
