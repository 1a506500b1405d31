// The program started at its entry on the demo game, headless.
#include <gtest/gtest.h>

#include <algorithm>

#include "gamefolder/gamefolder.h"
#include "platform/win/winapp.h"
#include "support/game_reset.h"
#include "support/headless_run.h"
#include "support/tempdir.h"
#include "support/test_logs.h"

class WholeGameTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    SetMutexFolderStandIn(dir_.c_str());
    ResetGameGlobals();
  }
  void TearDown() override {
    ResetGameGlobals();
    SetMutexFolderStandIn("");
    TempDirTest::TearDown();
  }
};

TEST_F(WholeGameTest, TheHeadlessPlayerBootsTheDemoAndClosesAfterItsFrames) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun run;
  run.frameLimit = 5;
  EXPECT_EQ(run.Run(), 0) << ::testing::PrintToString(LogLines("Report_Game.txt"));
  const std::vector<HeadlessFrame> frames = run.Frames();
  EXPECT_GE(frames.size(), 5u);
  for (const HeadlessFrame& f : frames) EXPECT_EQ(f.scene, SCENE_TITLE);
  // No box: the start found every file it needs, and closing from the title asks nothing.
  std::vector<std::string> captions;
  for (const MessageBoxRecord& box : run.Boxes()) captions.push_back(box.caption + ": " + box.text);
  EXPECT_TRUE(captions.empty()) << ::testing::PrintToString(captions);
  // The report log holds the graphics start-up's lines.
  const std::vector<std::string> report = LogLines("Report_Game.txt");
  EXPECT_NE(std::find(report.begin(), report.end(), "Mode : Window"), report.end());
}
