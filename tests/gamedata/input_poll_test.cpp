#include <gtest/gtest.h>

#include <vector>

#include "gamedata/input.h"
#include "platform/win/keys.h"

namespace {

class InputPollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetKeyStateStandIn();
    DefaultKeyConfig(&g_KeyConfig);
  }
  void TearDown() override {
    ResetKeyStateStandIn();
    DefaultKeyConfig(&g_KeyConfig);
  }
  static void Hold(std::initializer_list<int> keys) {
    for (int k : keys) SetKeyStateStandIn(k, true);
  }
};

TEST_F(InputPollTest, KeyboardLeftAndRightTogetherGiveWordThreeAndNeutral) {
  cInput in;
  Hold({VK_LEFT, VK_RIGHT, 'X', 'F'});
  EXPECT_EQ(in.ReadDefault(0, 3, 60), 1);
  EXPECT_EQ(in.m_wDir, 3);
  EXPECT_EQ(in.m_nDirNum, 5);
  EXPECT_EQ(in.m_wButton, 2 | 128);
  uint16_t w = 3;
  EXPECT_EQ(cInput::GetDirNum(&w), 4);  // the number from a word: left beats right
  w = 4 | 8 | 2;
  EXPECT_EQ(cInput::GetDirNum(&w), 3);
}

TEST_F(InputPollTest, JoystickDirectionHidesTheArrowsButNotTheKeyboardButtons) {
  cInput in;
  SetJoystickStandIn(0, true, 0, 65535, 0);  // left and down
  Hold({VK_RIGHT, VK_UP, 'Z'});
  in.ReadDefault(0, 3, 60);
  EXPECT_EQ(in.m_wDir, 1 | 8);
  EXPECT_EQ(in.m_nDirNum, 7);
  EXPECT_EQ(in.m_wButton, 1);
  // A joystick button hides the keyboard's buttons as well.
  SetJoystickStandIn(0, true, 32767, 32767, 4);
  in.ReadDefault(0, 3, 60);
  EXPECT_EQ(in.m_wDir, 2 | 4);  // centred stick: the arrows count again
  EXPECT_EQ(in.m_wButton, 4);
  // Keyboard only: the stick is polled but not read.
  SetJoystickStandIn(0, true, 0, 0, 1);
  in.ReadDefault(0, 2, 60);
  EXPECT_EQ(in.m_wDir, 2 | 4);
  EXPECT_EQ(in.m_wButton, 1);
}

TEST_F(InputPollTest, AMissingJoystickIsAskedAgainAfterTwiceTheRetryFrames) {
  cInput in;
  in.ReadDefault(0, 3, 60);
  EXPECT_EQ(JoystickCallCount(), 1);
  EXPECT_EQ(in.m_bJoyPresent[0], 0);
  for (int i = 0; i < 120; ++i) in.ReadDefault(0, 3, 60);
  EXPECT_EQ(JoystickCallCount(), 1);
  in.ReadDefault(0, 3, 60);
  EXPECT_EQ(JoystickCallCount(), 2);
}

TEST_F(InputPollTest, ReadersAnswerOnlyForTheirSettingOfTheUseFlag) {
  cInput in;
  Hold({VK_LEFT});
  g_KeyConfig.bUse = 1;
  EXPECT_EQ(in.ReadDefault(0, 3, 60), 0);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.ReadConfig(1, 60), 1);
  EXPECT_EQ(in.m_wDir, 1);
  g_KeyConfig.bUse = 0;
  in.m_wDir = 0;
  EXPECT_EQ(in.ReadConfig(1, 60), 0);
  EXPECT_EQ(in.m_wDir, 0);
}

TEST_F(InputPollTest, ConfigurationWithTwoJoysticksOneMissing) {
  g_KeyConfig.bUse = 1;
  g_KeyConfig.nJoystickCount = 2;
  g_KeyConfig.Entry[0] = {0, 256, 0};  // left: stick 0 at the left end
  g_KeyConfig.Entry[3] = {1, 2048, 0};  // down: stick 1 (missing) at the bottom
  g_KeyConfig.Entry[4] = {0, 8, 0};     // button 1: stick 0's fourth button
  g_KeyConfig.Entry[5] = {1, 1, 0};     // button 2: stick 1's first button
  SetJoystickStandIn(0, true, 0, 32767, 8);
  cInput in;
  // The missing stick must not silence the working one on the frames that follow.
  for (int frame = 0; frame < 5; ++frame) {
    SCOPED_TRACE(frame);
    in.ReadConfig(1, 60);
    EXPECT_EQ(in.m_wDir, 1);
    EXPECT_EQ(in.m_wButton, 1);
  }
  EXPECT_EQ(in.m_bJoyPresent[0], 1);
  EXPECT_EQ(in.m_bJoyPresent[1], 0);
  EXPECT_EQ(in.m_nJoyRetry[1], 116);
}

TEST_F(InputPollTest, ConfigurationEntriesOfUnknownDevicesAreNeverHeld) {
  g_KeyConfig.bUse = 1;
  g_KeyConfig.nJoystickCount = 1;
  g_KeyConfig.Entry[1] = {5, 1, 0};     // right: joystick 5, not polled
  g_KeyConfig.Entry[2] = {-3, 1, 0};    // up: no such device
  g_KeyConfig.Entry[6] = {9, 'C', 0};   // button 3: neither keyboard nor joystick
  g_KeyConfig.nEntryCount = 40;         // damaged: no more than eight buttons are read
  SetJoystickStandIn(0, true, 32767, 32767, 1);
  SetJoystickStandIn(5, true, 65535, 0, 1);
  Hold({'C', 'Z'});
  cInput in;
  in.ReadConfig(1, 60);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_wButton, 1);
  g_KeyConfig.nJoystickCount = 1000;  // damaged: polls at most the joystick slots
  in.ReadConfig(1, 60);
  EXPECT_LE(JoystickCallCount(), 1 + kMaxJoysticks);
}

TEST_F(InputPollTest, HeldDirectionRepeatsAfterTheDelayEveryInterval) {
  cInput in;
  std::vector<int> downFrames, leftFrames;
  for (int frame = 1; frame <= 40; ++frame) {
    in.m_wDir = 8;
    if (frame >= 22) in.m_wDir |= 1;  // Left joins on frame 22
    in.ApplyRepeat();
    if (in.m_wDir & 8) downFrames.push_back(frame);
    if (in.m_wDir & 1) leftFrames.push_back(frame);
  }
  EXPECT_EQ(downFrames, (std::vector<int>{1, 19, 25, 31, 37}));  // Left does not reset the vertical count
  EXPECT_EQ(leftFrames, (std::vector<int>{22, 40}));
  EXPECT_EQ(in.m_nDirNum, 5);  // the number is left alone
}

TEST_F(InputPollTest, LatchWithMaskZeroReportsOnePressUntilAllAreReleased) {
  cInput in;
  const uint16_t held[] = {1, 1, 1 | 2, 2, 0, 2, 2};
  const uint16_t want[] = {1, 0, 0, 0, 0, 2, 0};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    in.m_wButton = held[i];
    in.LatchButtons(0);
    EXPECT_EQ(in.m_wButton, want[i]);
  }
  // A mask leaves the other buttons reported.
  cInput m;
  m.m_wButton = 1 | 4;
  m.LatchButtons(1);
  EXPECT_EQ(m.m_wButton, 1 | 4);
  m.m_wButton = 1 | 4;
  m.LatchButtons(1);
  EXPECT_EQ(m.m_wButton, 4);
}

TEST_F(InputPollTest, HistoryRingsGiveTheWordOfEarlierFrames) {
  cInput in;
  EXPECT_EQ(in.GetHistory(0, 0), 0);
  const uint16_t dirs[] = {1, 1, 1, 8, 8, 0};
  for (uint16_t d : dirs) {
    in.m_wDir = d;
    in.m_wButton = static_cast<uint16_t>(d * 2);
    in.PushHistory();
  }
  EXPECT_EQ(in.GetHistory(0, 0), 0);
  EXPECT_EQ(in.GetHistory(0, 1), 8);
  EXPECT_EQ(in.GetHistory(0, 2), 8);
  EXPECT_EQ(in.GetHistory(0, 3), 1);
  EXPECT_EQ(in.GetHistory(0, 5), 1);
  EXPECT_EQ(in.GetHistory(1, 4), 2);
  EXPECT_EQ(in.GetHistory(0, 1000000), 0);  // further back than recorded: an old (zero) run
  EXPECT_EQ(in.GetHistory(0, 0x7FFFFFFF), 0);
  in.ClearHistory();
  EXPECT_EQ(in.GetHistory(0, 1), 0);
  EXPECT_EQ(in.m_nHistIndex[0], 0);
}

TEST_F(InputPollTest, ClearingTheDirectionMakesItNeutral) {
  cInput in;
  Hold({VK_UP, VK_LEFT, 'V'});
  in.ReadDefault(0, 3, 60);
  EXPECT_EQ(in.m_nDirNum, 1);
  in.ClearDir();
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_nDirNum, 5);
  in.m_wDir = 4;
  in.PushHistory();
  in.ResetAll();
  EXPECT_EQ(in.m_wButton, 0);
  EXPECT_EQ(in.m_nDirNum, 5);
  EXPECT_EQ(in.GetHistory(0, 0), 0);
}

// Polls scripted one by one: the state the hook sets is what that poll reads.
int g_scriptPolls = 0;
void ScriptHook(int poll) {
  ++g_scriptPolls;
  SetKeyStateStandIn(VK_DOWN, poll % 2 == 1);
}

TEST_F(InputPollTest, ThePollHookScriptsEachPoll) {
  g_scriptPolls = 0;
  SetInputPollHook(&ScriptHook);
  cInput in;
  std::vector<int> dirs;
  for (int i = 0; i < 4; ++i) {
    in.ReadDefault(0, 3, 60);
    dirs.push_back(in.m_wDir);
  }
  EXPECT_EQ(g_scriptPolls, 4);
  EXPECT_EQ(dirs, (std::vector<int>{0, 8, 0, 8}));
}

}  // namespace
