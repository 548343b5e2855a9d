#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/kernel/RunLog.h"

namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class RunLogTest : public ::testing::Test {
 protected:
  void SetUp() override { ce::ClearRunLog(); }
  void TearDown() override { ce::SetRunLogFile({}); }
};

TEST_F(RunLogTest, EveryEventStaysOneLine) {
  EXPECT_EQ(ce::SingleLine("Tuner not found.\r\nInsert the card.\nThen retry\r"),
            "Tuner not found. Insert the card. Then retry ");
  ce::LogLine("first\nsecond");
  ce::LogLine("");
  EXPECT_EQ(ce::RunLogLines(), (std::vector<std::string>{"first second", ""}));
}

TEST_F(RunLogTest, FileGetsTheLinesLoggedWhileItIsSet) {
  fs::path file = fs::path(::testing::TempDir()) / "run_log_test.log";
  ce::LogLine("before");
  ASSERT_EQ(ce::SetRunLogFile(file), std::nullopt);
  ce::LogLine("Error: It's not a bitmap");
  ce::LogLine("two\nparts");
  ASSERT_EQ(ce::SetRunLogFile({}), std::nullopt);
  ce::LogLine("after");
  EXPECT_EQ(FileText(file), "Error: It's not a bitmap\ntwo parts\n");
  EXPECT_EQ(ce::RunLogLines().size(), 4u);

  // Setting it again starts the file afresh.
  ASSERT_EQ(ce::SetRunLogFile(file), std::nullopt);
  ce::LogLine("new run");
  EXPECT_EQ(FileText(file), "new run\n");
  fs::remove(file);
}

TEST_F(RunLogTest, UnwritableFileIsRefusedByNameAndTheOldOneStays) {
  fs::path good = fs::path(::testing::TempDir()) / "run_log_good.log";
  fs::path bad = fs::path(::testing::TempDir()) / "no_such_folder" / "run.log";
  ASSERT_EQ(ce::SetRunLogFile(good), std::nullopt);
  auto error = ce::SetRunLogFile(bad);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find(bad.string()), std::string::npos) << *error;
  EXPECT_NE(error->find("No such file or directory"), std::string::npos) << *error;
  ce::LogLine("still here");
  EXPECT_EQ(FileText(good), "still here\n");
  fs::remove(good);
}

TEST_F(RunLogTest, LinesFromManyThreadsAreKeptWholeAndMemoryKeepsTheLatest) {
  constexpr int kThreads = 4;
  constexpr int kLines = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) ce::LogLine("thread " + std::to_string(t) + " line " + std::to_string(i));
    });
  }
  for (auto& thread : threads) thread.join();
  auto lines = ce::RunLogLines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
  for (const auto& line : lines) EXPECT_TRUE(line.starts_with("thread ")) << line;

  // Past the memory's capacity the oldest lines go first.
  ce::ClearRunLog();
  for (std::size_t i = 0; i < ce::kRunLogMemoryLines + 10; ++i) ce::LogLine(std::to_string(i));
  lines = ce::RunLogLines();
  ASSERT_EQ(lines.size(), ce::kRunLogMemoryLines);
  EXPECT_EQ(lines.front(), "10");
  EXPECT_EQ(lines.back(), std::to_string(ce::kRunLogMemoryLines + 9));
}

}  // namespace
