#include <gtest/gtest.h>

#include "support/play_fixture.h"

namespace {

constexpr int kLeft = 1, kRight = 2, kNone = 0;
constexpr int kButton1 = 11, kButton2 = 12;

struct Key {
  int key, want;  // want 1 pressed, 2 released
};

cKeyCond Step(std::vector<Key> keys, int mode = 0, int min = 0, int max = 0) {
  cKeyCond c;
  c.m_vKeyState.assign(cKeyCond::kKeyCount, 0);
  for (Key k : keys) c.m_vKeyState.At(k.key) = static_cast<uint8_t>(k.want);
  c.m_nMode = static_cast<int8_t>(mode);
  c.m_bAnyHold = min == 0 && max == 0;
  c.m_sHoldMin = static_cast<int16_t>(min);
  c.m_sHoldMax = static_cast<int16_t>(max);
  return c;
}

class KeySeqTest : public PlayTest {
 protected:
  // Frames of input on device 0: direction word, button word, number of frames.
  static void Hold(uint16_t dir, uint16_t button, int frames) {
    for (int i = 0; i < frames; ++i) {
      g_vInput[0].m_wDir = dir;
      g_vInput[0].m_wButton = button;
      g_vInput[0].RecordEdges();
    }
  }
  // Whether the sequence holds now (tested as a repeat-while-held flow that has not matched yet).
  int Matches(std::vector<cKeyCond> steps, int gap) {
    cChara& c = g_lstChara.empty() ? AddChara(1) : g_lstChara.front();
    cFlow f = Flow(FLOW_TRIG_NONE, {Cmd(1)});
    f.m_vKeyCond.assign(steps.begin(), steps.end());
    f.m_nKeyGap = static_cast<int8_t>(gap);
    f.m_bKeyLatch = 1;
    Install(c, {f});
    g_pScenePlay->m_pCurObj = &c;
    return c.TestFlowKeys(c.m_vFlowInst[0]);
  }
};

TEST_F(KeySeqTest, EdgeFlowsFireOnceWhileHeldRepeatFlowsEveryFrame) {
  for (int repeat : {0, 1}) {
    SCOPED_TRACE(repeat);
    g_vInput[0] = cInput();
    cChara& c = AddChara(2);
    cFlow f = Flow(FLOW_TRIG_NONE, {Cmd(1)});
    f.m_vKeyCond.assign(1, Step({{kButton1, 1}}));
    f.m_bKeyLatch = static_cast<int8_t>(repeat);
    Install(c, {f});
    std::vector<int> fired;
    for (uint16_t b : {0, 1, 1, 1, 0, 1, 1}) {
      Hold(0, b, 1);
      fired.push_back(c.TestFlowKeys(c.m_vFlowInst[0]));
    }
    EXPECT_EQ(fired, repeat ? (std::vector<int>{0, 1, 1, 1, 0, 1, 1}) : (std::vector<int>{0, 1, 0, 0, 0, 1, 0}));
  }
}

TEST_F(KeySeqTest, AnEarlierStepWithinTheGap) {
  const cKeyCond right = Step({{kRight, 1}}), button = Step({{kButton1, 1}});
  // Right, then the button at once.
  Hold(2, 0, 3);
  Hold(0, 1, 1);
  EXPECT_EQ(Matches({right, button}, 0), 1);
  // Two frames of nothing between them: only a gap of 2 or more bridges them.
  Hold(0, 0, 4);
  Hold(2, 0, 3);
  Hold(0, 0, 2);
  Hold(0, 1, 1);
  EXPECT_EQ(Matches({right, button}, 0), 0);
  EXPECT_EQ(Matches({right, button}, 1), 0);
  EXPECT_EQ(Matches({right, button}, 5), 1);
  EXPECT_EQ(Matches({button, right}, 5), 0) << "order matters";
}

TEST_F(KeySeqTest, AChordCountsAsASequenceOnlyInLooseMode) {
  Hold(0, 0, 10);
  Hold(0, 3, 1);  // buttons 1 and 2 together
  const cKeyCond first = Step({{kButton1, 1}}), second = Step({{kButton2, 1}});
  g_SystemData.m_bKeySeqLoose = 0;
  EXPECT_EQ(Matches({first, second}, 5), 0);
  g_SystemData.m_bKeySeqLoose = 1;
  EXPECT_EQ(Matches({first, second}, 5), 1);
  EXPECT_EQ(Matches({first, second}, 0), 0) << "without a gap nothing is looked for";
}

TEST_F(KeySeqTest, MirroredStepsFollowTheSubjectsFacing) {
  Hold(1, 0, 2);  // left
  cKeyCond right = Step({{kRight, 1}});
  right.m_bMirror = 1;
  cChara& c = AddChara(3);
  c.m_nFacing = 1;
  EXPECT_EQ(Matches({right}, 0), 0);
  c.m_nFacing = 0;
  EXPECT_EQ(Matches({right}, 0), 1);
  right.m_bMirror = 0;
  EXPECT_EQ(Matches({right}, 0), 0);
}

TEST_F(KeySeqTest, TheLogicChoosesHowFarBackTheEarlierStepLies) {
  // Nothing, then left for 5 frames, the button joining for the last 2.
  Hold(0, 0, 10);
  Hold(1, 0, 3);
  Hold(1, 1, 2);
  const cKeyCond leftReleased = Step({{kLeft, 2}});
  const struct {
    int mode, otherButton, want;
  } cases[] = {
      {0, kButton1, 0},  // both held: the shortest run (2) is stepped over, left is still held before it
      {1, kButton1, 1},  // the longest (5): before it left is released
      {2, kButton1, 0},  // both match, not exactly one
      {2, kButton2, 1},  // button 2 is not held: only left matches, its 5 frames are stepped over
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.mode << " " << tc.otherButton);
    EXPECT_EQ(Matches({leftReleased, Step({{kLeft, 1}, {tc.otherButton, 1}}, tc.mode)}, 0), tc.want);
  }
  EXPECT_EQ(Matches({Step({{kNone, 1}}), Step({{kLeft, 1}}, 0, 5, 5)}, 0), 1) << "exact lengths";
  EXPECT_EQ(Matches({Step({{kNone, 1}}), Step({{kLeft, 1}}, 0, 1, 4)}, 0), 0);
}

TEST_F(KeySeqTest, HistoriesAreThirtyTwoRunsDeep) {
  for (int i = 0; i < 40; ++i) Hold(i % 2 ? 1 : 0, 0, 1);
  // The newest run is a press of left; runs alternate one frame each.
  auto sequence = [](int steps) {
    std::vector<cKeyCond> s;
    for (int i = steps - 1; i >= 0; --i) s.push_back(Step({{kLeft, i % 2 ? 2 : 1}}, 0, 1, 1));
    return s;
  };
  EXPECT_EQ(Matches(sequence(32), 0), 1);
  EXPECT_EQ(Matches(sequence(33), 0), 0);
}

TEST_F(KeySeqTest, KeyListAndFirstHeldDirection) {
  Hold(10, 2, 1);  // down-right with button 2
  EXPECT_EQ(cCharaBase::GetFirstHeldDirKey(g_vInput[0]), 8);
  cChara& c = AddChara(4);
  EXPECT_EQ(c.TestKeyList(g_vInput[0], Step({{8, 1}, {kButton2, 1}})), 1);
  EXPECT_EQ(c.TestKeyList(g_vInput[0], Step({{8, 1}, {kButton1, 1}})), 0);
  EXPECT_EQ(c.TestKeyList(g_vInput[0], Step({{8, 1}, {kButton1, 1}}, 1)), 1);
  EXPECT_EQ(c.TestKeyList(g_vInput[0], Step({{8, 1}, {kButton1, 2}}, 2)), 0);
  Hold(0, 0, 1);
  EXPECT_EQ(cCharaBase::GetFirstHeldDirKey(g_vInput[0]), 0);
}

}  // namespace
