#include <gtest/gtest.h>

#include <vector>

#include "objects/objects_fixture.h"

namespace {

using Frames = cAnimSeqFrames;

std::vector<int> Ticks(cAnimSeq& seq, int n) {
  std::vector<int> values;
  for (int i = 0; i < n; ++i) values.push_back(seq.Tick());
  return values;
}

cAnimSeq Built(const cAnimFrameTable& table) {
  cAnimSeq seq;
  seq.Build(&table);
  return seq;
}

struct TickCase {
  const char* name;
  cAnimFrameTable table;
  std::vector<int> values;  // the first Tick results
};

class AnimSeqTest : public ObjectsTest {};

TEST_F(AnimSeqTest, TickSequences) {
  const TickCase cases[] = {
      {"hold repeats the last picture", {{{5, 2, 0}, {-1, 0, 0}}}, {5, 5, 5, 5, 5, 5}},
      {"restart cycles", {{{5, 1, 0}, {6, 1, 0}, {-2, 0, 0}}}, {6, 5, 6, 5, 6}},
      {"jump starts the named sequence",
       {{{5, 2, 0}, {-3, 2, 0}}, {{9, 1, 0}, {-1, 0, 0}}, {{7, 1, 0}, {8, 1, 0}, {-2, 0, 0}}},
       {5, 7, 8, 7, 8}},
      {"a 0-tick frame advances on every tick", {{{1, 0, 0}, {2, 0, 0}, {3, 1, 0}, {-1, 0, 0}}}, {2, 3, 3, 3}},
      {"a single control frame stays put", {{{-2, 0, 0}}}, {-2, -2, -2}},
      {"a hold at frame 0 stays there", {{{-1, 0, 0}}}, {-1, -1, -1}},
      {"a sequence without a control frame stops at its last frame", {{{4, 1, 0}, {6, 1, 0}}}, {6, 6, 6}},
  };
  for (const TickCase& c : cases) {
    cAnimSeq seq = Built(c.table);
    EXPECT_EQ(Ticks(seq, static_cast<int>(c.values.size())), c.values) << c.name;
  }
  EXPECT_EQ(TakeCloseRequests(), 0);
}

TEST_F(AnimSeqTest, BuildTakesEachFrameListUpToItsFirstControlFrame) {
  const cAnimFrameTable table = {{{5, 1, 0}, {-2, 0, 0}, {9, 1, 0}}, {{-4, 0, 0}, {3, 1, 0}}};
  cAnimSeq seq = Built(table);
  ASSERT_EQ(seq.m_vSeq.size(), 2u);
  EXPECT_EQ(seq.m_vSeq[0], (Frames{{5, 1, 0}, {-2, 0, 0}}));
  EXPECT_EQ(seq.m_vSeq[1], (Frames{{-4, 0, 0}}));
  seq.Set(1, 1);
  seq.Tick();
  seq.Build(nullptr);  // changes nothing
  EXPECT_EQ(seq.m_vSeq.size(), 2u);
  EXPECT_EQ(seq.m_nSeq, 1);
  seq.Build(&table);
  EXPECT_EQ(seq.m_nSeq, 0);
  EXPECT_EQ(seq.m_nTick, 0);
  cAnimSeq empty;
  EXPECT_EQ(empty.Tick(), 0);
  EXPECT_EQ(empty.GetValue(), 0);
}

TEST_F(AnimSeqTest, HeldFrameRefusesAnUnforcedSet) {
  cAnimSeq seq = Built({{{5, 3, 1}, {-2, 0, 1}}, {{7, 3, 0}, {-2, 0, 0}}});
  seq.Tick();
  EXPECT_EQ(seq.Set(1, 0), 0);
  EXPECT_EQ(seq.m_nSeq, 0);
  EXPECT_EQ(seq.m_nTick, 1);  // the frame kept its time
  EXPECT_EQ(seq.Set(1, 1), 1);
  EXPECT_EQ(seq.GetValue(), 7);
  seq.Tick();
  // Change to the playing sequence: 1 without a restart; to another, like Set.
  EXPECT_EQ(seq.Change(1, 0), 1);
  EXPECT_EQ(seq.m_nTick, 1);
  EXPECT_EQ(seq.Set(1, 0), 1);
  EXPECT_EQ(seq.m_nTick, 0);
  EXPECT_EQ(seq.Change(0, 0), 1);
  EXPECT_EQ(seq.GetValue(), 5);
  EXPECT_EQ(seq.Change(1, 0), 0);
}

TEST_F(AnimSeqTest, JumpToAMissingSequenceIsReportedAndPlaysSequenceZero) {
  cAnimSeq seq = Built({{{5, 1, 0}, {-3, 9, 0}}});
  EXPECT_EQ(seq.Tick(), 5);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(seq.m_nSeq, 0);
  EXPECT_EQ(seq.Tick(), 5);
  seq.Clear();
  EXPECT_TRUE(seq.m_vSeq.empty());
  EXPECT_EQ(seq.Tick(), 0);
}

// The object's running animations: an animation set with motion 0 = {1, 2} and database animations
// 1 = {10 held, 11} (ending), 2 = {20, 21} (ending), 3 = {30 held} for a long time.
class RunAnimTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    cAnimeSetData set;
    set.Normalize();
    set.m_vMotion[0].m_vFrame = {Frame(1, 1, 0), Frame(2, 1, 0)};
    set.m_vMotion[1].m_vFrame = {Frame(3, 2, 0)};
    g_Database.m_vAnimeSet = {cAnimeSetData(), set};
    g_AnimeFrameTables = {{{0, 0, 1}, {-2, 0, 1}},
                          {{10, 6, 1}, {11, 6, 1}, {-4, 0, 0}},
                          {{20, 6, 0}, {21, 6, 0}, {-4, 0, 0}},
                          {{30, 600, 1}, {-4, 0, 0}}};
    chara_.SetAnimSet(1, 1);
  }
  static cAnimFrame Frame(int value, int tenths, int hold) {
    cAnimFrame f;
    f.m_nValue = value;
    f.m_nDuration = tenths;
    f.m_bHold = hold;
    return f;
  }
  // An unprioritised animation, as the animation command starts one.
  void StartCommandAnim(int animNo, int flowKey) {
    cRunAnim& a = chara_.m_lRunAnim.emplace_back();
    a.m_AnimSeq.BuildOne(g_AnimeFrameTables.At(animNo));
    a.m_nAnimNo = animNo;
    a.m_nFlowKey = flowKey;
    a.m_nCountdown = 100;
  }
  cCharaBase chara_;
};

TEST_F(RunAnimTest, AnimationSetGivesHeldLoopingMotionsAndKeepsTheMotion) {
  ASSERT_EQ(chara_.m_AnimSeq.m_vSeq.size(), 4u);
  EXPECT_EQ(chara_.m_AnimSeq.m_vSeq[0], (Frames{{1, 6, 1}, {2, 6, 1}, {-2, 0, 1}}));
  EXPECT_EQ(chara_.m_AnimSeq.m_vSeq[1], (Frames{{3, 12, 1}, {-2, 0, 1}}));
  EXPECT_EQ(chara_.m_AnimSeq.Set(1, 0), 0);  // every frame holds
  chara_.m_AnimSeq.Set(1, 1);
  chara_.m_AnimSeq.Tick();
  chara_.SetAnimSet(1, 0);  // the same set, unforced: nothing
  EXPECT_EQ(chara_.m_AnimSeq.m_nTick, 1);
  chara_.SetAnimSet(1, 1);
  EXPECT_EQ(chara_.m_AnimSeq.m_nSeq, 1);
  EXPECT_EQ(chara_.m_AnimSeq.m_nTick, 0);
  EXPECT_EQ(chara_.m_Chara.m_sAnimeSet, 1);
  chara_.SetAnimSet(7, 1);  // outside the list: reported, entry 0 used
  EXPECT_EQ(TakeCloseRequests(), 1);
}

TEST_F(RunAnimTest, AnimationEndingInEndCodeIsRemovedOnThatTickAndTheBaseShowsAgain) {
  StartCommandAnim(2, 7);
  std::vector<int> shown;
  for (int i = 0; i < 13; ++i) shown.push_back(chara_.StepAnims(0));
  // The base has run alongside: 1 for 5 ticks, 2 for 6, then 1 again.
  EXPECT_EQ(shown, (std::vector<int>{20, 20, 20, 20, 20, 21, 21, 21, 21, 21, 21, 1, 1}));
  EXPECT_EQ(chara_.m_AnimSeq.m_nFrame, 0);
  EXPECT_TRUE(chara_.m_lRunAnim.empty());
}

TEST_F(RunAnimTest, ChoiceAmongPrioritisedUnprioritisedAndPausedAnimations) {
  StartCommandAnim(2, 1);                   // unprioritised, shows 20
  chara_.StartCueAnim(3, 5, 0, 2, 0, 1);    // prioritised, countdown 5, shows 30
  chara_.StartCueAnim(1, 3, 0, 3, 0, 1);    // prioritised, countdown 3, shows 10
  EXPECT_EQ(chara_.StepAnims(1), 10);       // the lowest countdown
  chara_.StopAnimsOfFlow(3);
  EXPECT_EQ(chara_.StepAnims(1), 30);       // paused: neither chosen ...
  const int countdown = chara_.m_lRunAnim.back().m_nCountdown;
  chara_.StepAnims(0);
  EXPECT_EQ(chara_.m_lRunAnim.back().m_nCountdown, countdown);  // ... nor ticked
  chara_.RemoveAnimsOfFlow(2);
  EXPECT_EQ(chara_.StepAnims(1), 20);  // only the unprioritised one is left unpaused
  chara_.ResumeAnimsOfFlow(3);
  EXPECT_EQ(chara_.StepAnims(1), 10);
  chara_.RemoveAnimsById(1);
  chara_.RemoveAnimsById(2);
  EXPECT_TRUE(chara_.m_lRunAnim.empty());
  EXPECT_EQ(chara_.StepAnims(1), chara_.m_AnimSeq.GetValue());
}

TEST_F(RunAnimTest, SettledChoiceTakesTheLastToReachItsHoldFrame) {
  // Countdowns in list order: 0, -3, -1, 2. The first two reach the hold frame; from then on the one
  // of either kind nearest above the best so far wins.
  chara_.StartCueAnim(1, 0, 0, 1, 0, 1);
  chara_.StartCueAnim(3, -3, 0, 2, 0, 1);
  StartCommandAnim(2, 3);
  chara_.m_lRunAnim.back().m_nCountdown = -1;
  chara_.StartCueAnim(3, 2, 0, 4, 0, 1);
  EXPECT_EQ(chara_.StepAnims(1), 20);
}

TEST_F(RunAnimTest, CueSkipsTicksAndLengthensItsHoldFrame) {
  chara_.StartCueAnim(1, 4, 3, 9, 4, 1);
  const cRunAnim& a = chara_.m_lRunAnim.back();
  EXPECT_EQ(a.m_AnimSeq.m_vSeq[0], (Frames{{10, 8, 1}, {11, 6, 1}, {-4, 0, 0}}));
  EXPECT_EQ(a.m_AnimSeq.m_nTick, 4);
  EXPECT_EQ(a.m_bPriority, 1);
  EXPECT_EQ(a.m_nFlowKey, 9);
  // Without the hold switch (jump and sword commands) the frames keep their times.
  chara_.StartCueAnim(1, 4, 3, 9, 0, 0);
  EXPECT_EQ(chara_.m_lRunAnim.back().m_AnimSeq.m_vSeq[0][0].m_nTicks, 6);
}

TEST_F(RunAnimTest, StoppingDropsAnimationsPastTheirHoldOnlyWithTheOldSwitch) {
  for (int on : {0, 1}) {
    g_SystemData.m_bStopDropsEnded = on;
    chara_.m_lRunAnim.clear();
    chara_.StartCueAnim(1, -3, 3, 5, 0, 1);  // -3 + 3 - 1 < 0
    chara_.StartCueAnim(1, -2, 3, 5, 0, 1);  // -2 + 3 - 1 = 0
    chara_.StopAnimsOfFlow(5);
    EXPECT_EQ(chara_.m_lRunAnim.size(), on ? 1u : 2u) << on;
    for (const cRunAnim& a : chara_.m_lRunAnim) EXPECT_EQ(a.m_bPaused, 1);
  }
}

}  // namespace
