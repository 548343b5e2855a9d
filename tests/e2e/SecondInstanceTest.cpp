// A second start of the radio while one runs: it brings the running
// radio's window to the front and ends with status 0, without a window of
// its own and without touching the tuner or the stored settings.
#include "support/ChildProcess.h"
#include "support/Devices.h"
#include "OndrelFixture.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Registry.h"
#include "platform/user/Desktop.h"
#include "windows.h"

namespace e2e {
namespace {

using testsupport::ChildOptions;
using testsupport::ChildProcess;

TEST_F(OndrelTest, ASecondStartBringsTheRunningRadioToTheFrontAndEnds) {
  // The running radio, as far as the second start can see: a window of
  // Ondrel's class and title on the same device, behind another one.
  std::ofstream(dir_ / "boot.txt") << "wait 10\n";
  ASSERT_EQ(RunArgs({"--headless", "--no-card", "--root", Root().string(), "--script", (dir_ / "boot.txt").string()}), 0);
  TestDevices devices;
  ce::SetDeviceRoot(Root());
  ASSERT_FALSE(ce::MountRegistry(Root() / "registry.db"));
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"Ondrel";
  RegisterClassW(&wc);
  HWND running = CreateWindowExW(0, u"Ondrel", u"Ondrel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, u"Ondrel", u"Other", WS_VISIBLE, 0, 26, 240, 294, nullptr, nullptr, nullptr,
                               nullptr);
  ASSERT_EQ(GetForegroundWindow(), other);
  int raised = 0;
  ce::SetRaiseHandler([&] { ++raised; });

  // Headless with a script, it says so in one line and runs none of it,
  // and the recording the running radio makes in the same file stays.
  std::ofstream(dir_ / "second.txt") << "wait 500\ndump\n";
  std::ofstream(dir_ / "running.wav") << "the running radio's sound";
  auto [status, lines] = ChildProcess({ONDREL_EXE, "--headless", "--root", Root().string(), "--program",
                                       ONDREL_MODULE_PATH, "--trace", (dir_ / "trace.txt").string(), "--record",
                                       (dir_ / "running.wav").string(), "--script", (dir_ / "second.txt").string()})
                             .Finish();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lines, std::vector<std::string>{"Ondrel is already running on " + Root().string() +
                                            "; brought it to the front"});
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(GetForegroundWindow(), running);
  EXPECT_EQ(raised, 1);
  std::ifstream recording(dir_ / "running.wav");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(recording), {}), "the running radio's sound");

  ce::SetRaiseHandler({});
  DestroyWindow(other);
  DestroyWindow(running);
  UnregisterClassW(u"Ondrel", nullptr);
  ce::UnmountRegistry();
  ce::SetDeviceRoot({});

  // The tuner was not touched after the driver set the card up at boot,
  // and no setting was stored.
  std::ifstream trace(dir_ / "trace.txt");
  for (std::string line; std::getline(trace, line);) EXPECT_TRUE(line.starts_with("t=0 ")) << line;
  EXPECT_EQ(Registry().find("\"CurrentFrequency\""), std::string::npos);
}

}  // namespace
}  // namespace e2e
