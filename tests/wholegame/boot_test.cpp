// The program started at its entry on the demo game, headless.
#include <gtest/gtest.h>

#include <algorithm>

#include "gamefolder/gamefolder.h"
#include "platform/fs/path.h"
#include "platform/win/winapp.h"
#include "support/bytes.h"
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

// A damaged file of the game folder: start-up either refuses with the file's message (a box, no
// frame) or goes on without the resource. Never a crash or a hang.
TEST_F(WholeGameTest, DamagedFilesEndTheStartWithTheirMessageOrAreDoneWithout) {
  struct Case {
    const char* file;
    size_t keep;          // bytes kept of the file; the rest become garbage of the same length
    const char* message;  // the box of a refused start; null: the game goes on
  };
  const Case cases[] = {
      {"data\\System.dat", 8, "data\\System.dat の読み込みに失敗…"},
      {"data\\database\\Effect.dat", 8, "データベースの読み込みに失敗…"},
      {"data\\WorldMap.dat", 12, "data\\WorldMap.dat のロードに失敗！"},
      {"data\\CommonPalette.cplt4", 12, "data\\CommonPalette.cplt4 のロードに失敗！"},
      {"wave\\sys00.wav", 4, nullptr},
      {"bgm\\Demo.mid", 4, nullptr},
      {"data\\stg4\\Meadow.stg4_914", 16, nullptr},  // read only when played
  };
  GameFolder demo = DemoGame();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(WriteGameFolder(demo));
    const std::string host = ResolveHostPath(c.file);
    std::vector<uint8_t> bytes = ReadFileBytes(host);
    ASSERT_GT(bytes.size(), c.keep);
    for (size_t i = c.keep; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ (i * 31));
    ASSERT_TRUE(WriteFileBytes(host, bytes));

    HeadlessRun run;
    run.frameLimit = 3;
    EXPECT_EQ(run.Run(), 0);
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : run.Boxes()) texts.push_back(box.text);
    if (c.message) {
      // The start's own message comes last (a reader may have told of its file before it); at
      // most the loading picture was shown, and no game frame ran.
      ASSERT_FALSE(texts.empty());
      EXPECT_EQ(texts.back(), c.message);
      EXPECT_LE(run.Frames().size(), 1u);
    } else {
      EXPECT_TRUE(texts.empty()) << ::testing::PrintToString(texts);
      EXPECT_GE(run.Frames().size(), 3u);
    }
    ResetGameGlobals();
  }
}
