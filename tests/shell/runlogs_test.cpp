#include "shell/runlogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/log.h"
#include "platform/fs/path.h"
#include "support/bytes.h"
#include "support/tempdir.h"

class RunLogsTest : public TempDirTest {
 protected:
  void TearDown() override {
    ResetLogsForTest();
    TempDirTest::TearDown();
  }
};

TEST_F(RunLogsTest, StartsTheReportLogUnderItsAbsolutePath) {
  ASSERT_TRUE(WriteFileBytes("Report_Game.txt", {'o', 'l', 'd', '\n'}));
  EXPECT_EQ(StartRunLogs(), 1);
  EXPECT_EQ(ReportLogPath(), GetCurrentGameDirectory() + "/Report_Game.txt");
  EXPECT_FALSE(DebugLogIsOn());
  std::vector<uint8_t> bytes = ReadFileBytes("Report_Game.txt");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "App : ver 914\r\n");

  // The log stays where it was made when the current folder changes.
  std::filesystem::create_directory("sub");
  ASSERT_TRUE(SetCurrentGameDirectory("sub"));
  EXPECT_EQ(ReportLog("later"), 1);
  ASSERT_TRUE(SetCurrentGameDirectory(".."));
  bytes = ReadFileBytes("Report_Game.txt");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "App : ver 914\r\nlater\r\n");
}

TEST_F(RunLogsTest, FailsWhenTheReportLogCannotBeMade) {
  std::filesystem::create_directory("Report_Game.txt");
  EXPECT_EQ(StartRunLogs(), 0);
  EXPECT_EQ(ReportLog("nothing"), 0);
}
