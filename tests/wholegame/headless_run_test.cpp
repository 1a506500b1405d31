// What the headless runner gives a whole-program test: pacing that never waits under its clock, the
// same frames from the same script, joysticks scripted like keys, dialogs answered by the dialog
// script (a file chooser among them), and the wall-clock guard.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "authoring/stageauthor.h"
#include "core/timing.h"
#include "gamefolder/gamefolder.h"
#include "platform/thread/thread.h"
#include "scenes/scenetitle.h"
#include "support/headless_run.h"

namespace {

using RunnerTest = HeadlessRunTest;

// Under the frame clock each pacer finds the next frame due as soon as a frame was shown, at any
// rate and over the turn of a second; otherwise a headless run would stall in its pacing loop.
TEST(FrameClockPacingTest, EveryPacerFindsTheNextFrameDueAtOnce) {
  for (int fps : {60, 50, 30, 120, 45}) {
    SCOPED_TRACE(fps);
    ResetTimingForTest();
    SetFpsLimiterGraphics(FpsLimiterGraphics{[] { return true; }, nullptr});
    FrameClock clock(1000);
    for (int frame = 0; frame < 3 * fps; ++frame) {
      ASSERT_TRUE(FrameTimer(static_cast<uint32_t>(fps))) << frame;
      ASSERT_TRUE(FpsLimiter(static_cast<uint32_t>(fps), 0, nullptr)) << frame;
      clock.FrameShown(fps);
    }
  }
  ResetTimingForTest();
}


// The demo, whose hero answers no input, with a hero that moves while the right direction is held.
GameFolder DemoWithAMovingHero() {
  GameFolder demo = DemoGame();
  cStageData& stage = demo.stages[0].second;
  cFlow move = MakeFlow(FLOW_TRIG_ALWAYS, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_STRAIGHT, {}, 1)});
  cKeyCond& right = move.m_vKeyCond.emplace_back();
  right.m_vKeyState.At(2) = 1;  // direction key 2: right
  right.m_bAnyHold = 1;
  stage.m_vChara.At(stage.FindHero()).m_vFlow.push_back(move);
  return demo;
}

// The joystick, pushed right with its first button held, plays as the right arrow with the first
// button's key: the same frames, and not those of a run without input.
TEST_F(RunnerTest, AScriptedJoystickPlaysAsTheKeysOfTheSameInput) {
  GameFolder demo = DemoWithAMovingHero();
  ASSERT_TRUE(WriteGameFolder(demo));
  auto frames = [&](const std::function<void(HeadlessRun&)>& script) {
    HeadlessRun run;
    run.frameLimit = 50;
    script(run);
    // A test play: the stage plays at once, without banners, so input reaches the hero.
    EXPECT_EQ(run.Run(kDemoStagePaths[0], 5), 0);
    ResetGameGlobals();
    return run.FramesToLimit();
  };
  const auto idle = frames([](HeadlessRun&) {});
  const auto keys = frames([](HeadlessRun& run) {
    for (int poll = 5; poll <= 40; ++poll) run.keysAtPoll[poll] = {VK_RIGHT};
    for (int poll = 20; poll <= 26; ++poll) run.keysAtPoll[poll].insert('Z');
  });
  const auto joystick = frames([](HeadlessRun& run) {
    for (int poll = 5; poll <= 40; ++poll) run.joysticksAtPoll[poll] = {HeadlessJoystick{0, 65535, 32767, 0}};
    for (int poll = 20; poll <= 26; ++poll) run.joysticksAtPoll[poll][0].buttons = 1;
  });
  ASSERT_EQ(keys.size(), 50u);
  EXPECT_NE(keys, idle) << "the input moved the hero";
  ASSERT_EQ(joystick.size(), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(joystick[i], keys[i]) << "frame " << i + 1;
}

// The same script twice: the same frames (pictures, scenes, states) and the same attempt seed,
// which the clock gives a live attempt. A test play, whose stage takes input at once.
TEST_F(RunnerTest, TwoRunsOfOneScriptGiveTheSameFrames) {
  GameFolder demo = DemoWithAMovingHero();
  ASSERT_TRUE(WriteGameFolder(demo));
  struct Outcome {
    std::vector<HeadlessFrame> frames;
    int seed = 0;
  };
  auto runOnce = [&] {
    HeadlessRun run;
    run.frameLimit = 90;
    for (int poll = 5; poll <= 70; ++poll) run.keysAtPoll[poll] = {VK_RIGHT};
    for (int poll : {10, 30, 31, 50}) run.keysAtPoll[poll].insert('X');  // shots
    for (int poll = 40; poll <= 46; ++poll) run.keysAtPoll[poll].insert('Z');  // a jump
    Outcome out;
    run.onFrame = [&](int) {
      if (g_pScenePlay && cApp::SceneOf(SCENE_PLAY)) out.seed = g_pScenePlay->m_nRandSeed;
    };
    EXPECT_EQ(run.Run(kDemoStagePaths[0], 5), 0);
    out.frames = run.FramesToLimit();
    ResetGameGlobals();
    return out;
  };
  const Outcome a = runOnce();
  const Outcome b = runOnce();
  ASSERT_EQ(a.frames.size(), 90u);
  EXPECT_EQ(a.seed, b.seed);
  ASSERT_EQ(a.frames.size(), b.frames.size());
  for (size_t i = 0; i < a.frames.size(); ++i)
    ASSERT_EQ(a.frames[i], b.frames[i]) << "the runs part at frame " << i + 1;
}

// A file chooser in a run takes the scripted name: the title's free-stage entry asks for a stage
// through the chooser, a name that is not there gets the chooser's own box, and the next name is
// played.
TEST_F(RunnerTest, AFileChooserTakesTheScriptedName) {
  GameFolder demo = DemoGame();
  demo.system.m_vTitleCmd.At(TITLE_FREE).m_bEnable = 1;  // the third entry, below new game and continue
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun run;
  run.frameLimit = 60;
  run.keysAtPoll[15] = {VK_DOWN};
  run.keysAtPoll[18] = {VK_DOWN};
  run.keysAtPoll[21] = {'Z'};
  run.ChooseFile("Missing.stg4_914");
  run.ChooseFile("Meadow.stg4_914");
  EXPECT_EQ(run.Run(), 0);
  ASSERT_FALSE(run.Boxes().empty());
  EXPECT_EQ(run.Boxes().front().text,
            "data\\stg4\\Missing.stg4_914\nFile not found.\nCheck the file name and try again.");
  const std::vector<HeadlessFrame> frames = run.Frames();
  ASSERT_GE(frames.size(), 60u);
  EXPECT_EQ(frames.front().scene, SCENE_TITLE);
  EXPECT_EQ(frames.back().scene, SCENE_PLAY);
  EXPECT_GE(frames.back().state, 0);
}

// A run that outlasts its wall-clock seconds fails the test with the frame it reached, and the
// program is still closed from the title as usual: WinMain returns and no thread is left behind.
TEST_F(RunnerTest, ARunPastItsWallClockSecondsFailsWithTheFrameItReached) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun run;
  run.frameLimit = 1000000;
  run.wallClockSeconds = 3;
  const int abandoned = AbandonedThreadCount();
  int result = -1;
  EXPECT_NONFATAL_FAILURE(result = run.Run(), "the run took longer than 3 s; it reached frame ");
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(run.TimedOut());
  EXPECT_GT(run.FrameReached(), 0);
  EXPECT_LT(run.FrameReached(), run.frameLimit);
  EXPECT_GE(static_cast<int>(run.Frames().size()), run.FrameReached());
  EXPECT_EQ(AbandonedThreadCount(), abandoned);
}

}  // namespace
