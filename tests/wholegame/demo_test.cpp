// The demo game as a new user meets it, run from the program's entry headless: every picture it
// names is there, its signs speak, Space pauses, its stages have music, and Space leads out of a
// test play as the help line says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gamefolder/gamefolder.h"
#include "objects/meswindow.h"
#include "scenes/requests.h"
#include "sound/bgmplayer.h"
#include "support/test_logs.h"
#include "wholegame_fixture.h"

namespace {

std::vector<std::string> LoadErrors() {
  std::vector<std::string> errors;
  for (const std::string& line : LogLines("Report_Game.txt"))
    if (line.find("LoadImage Err") != std::string::npos) errors.push_back(line);
  return errors;
}

// A plain start shows the title (its menu strips loaded), and a test play sets a stage up (the
// character sheets loaded): neither misses a picture.
TEST_F(WholeGameTest, TheDemoStartsAndSetsItsStagesUpWithoutMissingPictures) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  for (const char* stage : {"", kDemoStagePaths[0], kDemoStagePaths[2]}) {
    SCOPED_TRACE(stage);
    HeadlessRun run;
    run.frameLimit = 10;
    EXPECT_EQ(run.Run(stage, *stage ? 5 : 1), 0);
    ASSERT_GE(run.Frames().size(), 10u);
    EXPECT_EQ(run.Frames().back().scene, *stage ? SCENE_PLAY : SCENE_TITLE);
    EXPECT_EQ(LoadErrors(), std::vector<std::string>{});
    ResetGameGlobals();
  }
}

// Each stage's sign shows its text above itself from the start of play on, in one window that
// stays one however long the stage runs.
TEST_F(WholeGameTest, TheDemoSignsSpeakFromTheStartOfEachStage) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  const char* const texts[3] = {"Z jumps, X shoots. Reach the star!", "The caves echo. Watch for shots.",
                                "The keeper awaits."};
  for (int s = 0; s < 3; ++s) {
    SCOPED_TRACE(kDemoStagePaths[s]);
    HeadlessRun run;
    run.frameLimit = 160;
    // The windows in the third and the hundredth frame of play (the flows run from the second).
    int playFrames = 0;
    std::vector<std::string> first, later;
    run.onFrame = [&](int) {
      if (!g_pScenePlay || g_pScenePlay->m_nState != PLAY_MAIN) return;
      ++playFrames;
      if (playFrames != 3 && playFrames != 100) return;
      for (const cMesWindow& w : g_pScenePlay->m_lMesWindow) (playFrames == 3 ? first : later).push_back(w.m_strText);
    };
    EXPECT_EQ(run.Run(kDemoStagePaths[s], 5), 0);
    ASSERT_GE(playFrames, 100);
    EXPECT_EQ(first, std::vector<std::string>{texts[s]});
    EXPECT_EQ(later, std::vector<std::string>{texts[s]});
    ResetGameGlobals();
  }
}

// In a test play the stage's music plays, and Space opens the pause menu, whose first entry ends the
// program, as the help line "Space ends" promises: also in a game that leaves its pause switch off.
TEST_F(WholeGameTest, InATestPlayTheStageHasMusicAndSpaceLeadsOut) {
  for (int pauseSwitch : {1, 0}) {
    SCOPED_TRACE(pauseSwitch);
    GameFolder demo = DemoGame();
    EXPECT_EQ(demo.system.m_bSpacePause, 1) << "the demo pauses";
    demo.system.m_bSpacePause = pauseSwitch;
    ASSERT_TRUE(WriteGameFolder(demo));
    HeadlessRun run;
    run.frameLimit = 400;
    int musicAt20 = 0, slotAt20 = -1;
    run.onFrame = [&](int frame) {
      if (frame != 20) return;
      musicAt20 = g_nStageBgm;
      slotAt20 = g_Bgm.CurrentSlot();
    };
    Press(run, {{30, VK_SPACE}, {40, VK_UP}, {50, 'Z'}});
    EXPECT_EQ(run.Run(kDemoStagePaths[0], 5), 0);
    EXPECT_EQ(musicAt20, demo.stages[0].second.m_nBgm);
    EXPECT_NE(musicAt20, 0);
    EXPECT_EQ(slotAt20, 4) << "the stage's music slot";
    const std::vector<HeadlessFrame> frames = run.Frames();
    ASSERT_GT(frames.size(), 31u);
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const HeadlessFrame& f) { return f.state == PLAY_PAUSE; }));
    EXPECT_LT(frames.size(), 100u) << "the program did not end from the pause menu";
    ResetGameGlobals();
  }
}

}  // namespace
