// The host runs a program module with a script played alongside it: pen
// and keys reach the program's window, dumps show its windows, and the
// program is closed after the last command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/HostRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

class WindowProgramTest : public ::testing::Test {
 protected:
  int Run(const std::string& script, bool withProgram = true) {
    std::ofstream(dir_ / "script.txt") << script;
    std::vector<std::string> args = {"--headless", "--no-card", "--root", (dir_ / "root").string(), "--script",
                                     (dir_ / "script.txt").string()};
    if (withProgram) {
      args.push_back("--program");
      args.push_back(WINDOW_MODULE_PATH);
    }
    return hosttest::RunHost(args, out_, err_);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out_.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  testsupport::ScratchFolder scratch_{"ondrel-window-program"};
  const std::filesystem::path& dir_ = scratch_.path();
  std::ostringstream out_, err_;
};

TEST_F(WindowProgramTest, PenKeysAndTimerReachTheProgramAtTheirTimes) {
  ASSERT_EQ(Run("wait 600\ndump\ntap 50 100\ndump\nkey RIGHT\nkey DOWN\ndump\n"
                "down 10 40\nmove 200 300\nup 200 300\nwait 1000\ndump\n"),
            0)
      << err_.str();
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 4u) << out_.str();
  // The window fills the screen below the bar; one timer tick by 600 ms.
  EXPECT_NE(lines[0].find(R"("t": 600)"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(R"({"class": "TestPad", "title": "Test pad", "visible": true, "x": 0, "y": 26, "w": 240, "h": 294, "text": "x=110 y=137 ticks=1 keys=0"})"),
            std::string::npos)
      << lines[0];
  // The tap (screen 50,100 is client 50,74) takes 100 ms.
  EXPECT_NE(lines[1].find(R"("t": 700)"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("x=50 y=74 ticks=1 keys=0"), std::string::npos) << lines[1];
  // Keys are seen before the next command runs.
  EXPECT_NE(lines[2].find("x=60 y=84 ticks=1 keys=2"), std::string::npos) << lines[2];
  // The drag follows the pen; the timer went on ticking.
  EXPECT_NE(lines[3].find(R"("t": 1700)"), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find("x=200 y=274 ticks=3 keys=2"), std::string::npos) << lines[3];
}

TEST_F(WindowProgramTest, AFailingCommandStopsTheScriptAndStillClosesTheProgram) {
  EXPECT_EQ(Run("wait 100\nshot " + (dir_ / "no" / "such" / "folder" / "x.png").string() + "\ndump\n"), 1);
  EXPECT_NE(err_.str().find("line 2:"), std::string::npos) << err_.str();
  EXPECT_TRUE(Lines().empty());  // the dump after it never ran
}

TEST_F(WindowProgramTest, WithoutAProgramTheScriptRunsOnTheBareDesktop) {
  ASSERT_EQ(Run("tap 100 100\nkey LEFT\nwait 50\ndump\n", false), 0) << err_.str();
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(R"("t": 150, )"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(R"("windows": [])"), std::string::npos) << lines[0];
}

TEST_F(WindowProgramTest, AProgramThatCannotBeLoadedIsReported) {
  std::ofstream(dir_ / "script.txt") << "dump\n";
  std::vector<std::string> args = {"--headless", "--no-card", "--root", (dir_ / "root").string(),
                                   "--program", (dir_ / "missing.so").string()};
  EXPECT_EQ(hosttest::RunHost(args, out_, err_), 1);
  EXPECT_NE(err_.str().find("missing.so"), std::string::npos) << err_.str();
}

}  // namespace
