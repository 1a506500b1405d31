// The three ways the program starts, run from its entry headless: plainly to the title, with the
// stage that "System.ini" names, and as the editor's test play of a stage.
#include <gtest/gtest.h>

#include <algorithm>

#include "gamefolder/gamefolder.h"
#include "support/headless_run.h"
#include "support/test_logs.h"

namespace {

using StartTest = HeadlessRunTest;

std::string Captions(const std::vector<MessageBoxRecord>& boxes) {
  std::string out;
  for (const MessageBoxRecord& box : boxes) out += box.caption + ": " + box.text + "\n";
  return out;
}

// Whether a character of the running stage holds a test-only flow.
bool StageHoldsTestOnlyFlow() {
  for (const cCharaData& c : g_StageData.m_vChara)
    for (const cFlow& f : c.m_vFlow)
      if (f.m_bTestOnly) return true;
  return false;
}

// In both drawing modes: Direct3D, and DirectDraw, which paces by its own frame timer.
TEST_F(StartTest, APlainStartShowsTheTitleWithItsMusicAndReportsTheStart) {
  struct Case {
    const char* ini;
    const char* modeLine;
  };
  for (const Case c : {Case{"WindowMode=1\r\nDirect3D=1\r\n", "Device HAL-HARD"},
                       Case{"WindowMode=1\r\nDirect3D=0\r\n", "RR : 60"}}) {
    SCOPED_TRACE(c.ini);
    GameFolder demo = DemoGame();
    demo.systemIni = c.ini;
    ASSERT_TRUE(WriteGameFolder(demo));
    HeadlessRun run;
    run.frameLimit = 12;
    EXPECT_EQ(run.Run(), 0);
    const std::vector<HeadlessFrame> frames = run.Frames();
    ASSERT_GE(frames.size(), 12u);
    for (const HeadlessFrame& f : frames) EXPECT_EQ(f.scene, SCENE_TITLE);
    // The title fades in from black: its picture is there by the last frame.
    const uint64_t black = HeadlessRun::HashPixels(std::vector<uint32_t>(640 * 480, 0));
    EXPECT_NE(frames.back().pictureHash, black);
    EXPECT_NE(frames.back().pictureHash, frames.front().pictureHash);
    EXPECT_EQ(run.Boxes().size(), 0u) << Captions(run.Boxes());
    // The start-up's lines: the version, the machine, the graphics mode.
    const std::vector<std::string> report = LogLines("Report_Game.txt");
    for (const char* line : {"App : ver 914", "Mode : Window", "Bpp : 32", c.modeLine})
      EXPECT_NE(std::find(report.begin(), report.end(), line), report.end()) << line;
    // The title music sounds: the frames pull sound that is not silence.
    const std::vector<float> peaks = run.SoundPeaks();
    ASSERT_EQ(peaks.size(), frames.size());
    EXPECT_GT(*std::max_element(peaks.begin(), peaks.end()), 0.01f);
    ResetGameGlobals();
  }
}

// A stage named at start plays at once, with no title frame. Test-only flows are dropped from a
// stage named in "System.ini" and kept for the editor's test play; neither asks before closing.
TEST_F(StartTest, ANamedStagePlaysAtOnceAndATestPlayKeepsTestOnlyFlows) {
  struct Case {
    const char* name;
    bool testPlay;  // the editor's start (show command 5, the stage on the command line)
  };
  for (const Case c : {Case{"FreeStage in System.ini", false}, Case{"test play", true}}) {
    SCOPED_TRACE(c.name);
    GameFolder demo = DemoGame();
    cFlow testOnly = demo.stages[0].second.m_vChara.At(1).m_vFlow.At(0);
    testOnly.m_bTestOnly = 1;
    demo.stages[0].second.m_vChara.At(1).m_vFlow.push_back(testOnly);
    if (!c.testPlay) demo.systemIni += std::string("FreeStage=") + kDemoStagePaths[0] + "\r\n";
    ASSERT_TRUE(WriteGameFolder(demo));

    HeadlessRun run;
    run.frameLimit = 8;
    bool testOnlyKept = false;
    run.onFrame = [&](int frame) {
      if (frame == 4) testOnlyKept = StageHoldsTestOnlyFlow();
    };
    EXPECT_EQ(run.Run(c.testPlay ? kDemoStagePaths[0] : "", c.testPlay ? 5 : 1), 0);
    const std::vector<HeadlessFrame> frames = run.Frames();
    ASSERT_GE(frames.size(), 8u);
    // The loading picture, shown while start-up loads the stage, comes first; the game's first frame
    // is the play scene's, which sets up and plays from the next.
    for (size_t i = 1; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].scene, SCENE_PLAY) << i;
      if (i >= 2) {
        EXPECT_GE(frames[i].state, 0) << i;
      }
    }
    EXPECT_EQ(testOnlyKept, c.testPlay);
    EXPECT_EQ(run.Boxes().size(), 0u) << Captions(run.Boxes());
    ResetGameGlobals();
  }
}

}  // namespace
