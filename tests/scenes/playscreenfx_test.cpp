#include <gtest/gtest.h>

#include <vector>

#include "gfx/drawstate.h"
#include "gfx/draw_fixture.h"
#include "objects/effectplayer.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"

namespace {

// The screen effects of one definition run frame by frame as the play step draws them.
class ScreenEffectTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    StartMode({"D3D32", 1, 32});
    Blank(&g_AppSurface[kEffectWork], 640, 480, 'K');
    ASSERT_TRUE(DDCreateSurface(&g_AppSurface[kEffectWork + 1], 640, 480, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    g_Database.SetDefaults();
  }
  void TearDown() override {
    DDSetVirtualBackBuffer(0);
    DDReleaseSurface(&g_AppSurface[kEffectWork]);
    DDReleaseSurface(&g_AppSurface[kEffectWork + 1]);
    g_Database.SetDefaults();
    DrawTest::TearDown();
  }
  // Definition 1 of the kind with P0..P4, started.
  void Start(int kind, std::vector<int> p, int startType = EFFECT_START_NORMAL) {
    cScrEffectData& d = g_Database.m_vScrEffect[1];
    d.m_nKind = kind;
    for (int i = 0; i < 5; ++i) d.m_nParam[i] = i < static_cast<int>(p.size()) ? p[i] : 0;
    g_Database.m_vScrEffectRev.assign(g_Database.m_vScrEffect.begin(), g_Database.m_vScrEffect.end());
    InitScrEffectPlayers(g_ScrEffectFwd, g_ScrEffectRev);
    scene_.m_ScrEffect.Start(1, startType, 0);
  }
  // One drawn frame of the play step; 0 once the effect has ended.
  bool Frame(int noAdvance = 0) {
    if (scene_.m_ScrEffect.m_nIndex) DDSetVirtualBackBuffer(1);
    scene_.DrawScrEffect(noAdvance);
    return scene_.m_ScrEffect.m_nIndex != 0;
  }
  int FramesToEnd(int limit = 10000) {
    int n = 1;
    while (Frame() && n < limit) ++n;
    return n;
  }
  cScenePlay scene_;
};

TEST_F(ScreenEffectTest, ASlideMovesFromItsStartToItsEndAndEnds) {
  for (int reversed : {0, 1}) {
    SCOPED_TRACE(reversed ? "reversed" : "forward");
    Start(1, {10, 0, 0, 640, 0}, reversed ? EFFECT_START_REVERSED : EFFECT_START_NORMAL);
    std::vector<int> drawnAt;
    do drawnAt.push_back(scene_.m_ScrEffect.m_nAuxA);
    while (Frame() && drawnAt.size() < 1000);
    EXPECT_EQ(drawnAt.front(), reversed ? 640 : 0) << "the first frame is drawn at the start";
    EXPECT_TRUE(std::is_sorted(drawnAt.begin(), drawnAt.end()) != static_cast<bool>(reversed));
    // Each position is drawn one frame after it is computed; the run ends once its time is over.
    // Each position is drawn one frame after it is computed: the view is fully out (or back in
    // place) right after P0 x 6 steps (one more for the rounding of 1/6), and the run ends when its
    // time is over.
    ASSERT_GE(drawnAt.size(), 63u);
    EXPECT_LE(drawnAt.size(), 67u);
    if (reversed) EXPECT_LE(drawnAt[62], 0);
    else EXPECT_GE(drawnAt[62], 640);
    EXPECT_EQ(scene_.m_ScrEffect.m_nIndex, 0);
    EXPECT_EQ(lpDTCon->bVirtual, 0) << "the end turns the virtual back buffer off";
  }
}

TEST_F(ScreenEffectTest, AShakeStartsUndisplacedAndStaysWithinItsAmplitude) {
  for (int kind : {2, 3}) {
    SCOPED_TRACE(kind);
    Start(kind, {10, 8, 3});
    EXPECT_EQ(scene_.m_ScrEffect.m_dValue2, 0);
    double lowest = 0, highest = 0;
    int frames = 0;
    while (Frame() && ++frames < 1000) {
      lowest = std::min(lowest, scene_.m_ScrEffect.m_dValue2);
      highest = std::max(highest, scene_.m_ScrEffect.m_dValue2);
    }
    EXPECT_EQ(lowest, -8);
    EXPECT_EQ(highest, 8);
  }
}

TEST_F(ScreenEffectTest, ABlinkOfIntervalOneHidesTwiceThenAlternates) {
  Start(8, {10, 1});
  std::vector<int> hidden;
  for (int frame = 0; frame < 6; ++frame) {
    hidden.push_back(scene_.m_ScrEffect.m_nAuxB == 0);
    Frame();
  }
  EXPECT_EQ(hidden, (std::vector<int>{1, 1, 0, 1, 0, 1}));
}

TEST_F(ScreenEffectTest, RunTimesOfTheValueKinds) {
  // A mosaic of constant size holds for P0 tenths; a changing one moves its value from P1 to P2.
  Start(13, {3, 8, 8});
  const int constantFrames = FramesToEnd();
  EXPECT_GE(constantFrames, 18);
  EXPECT_LE(constantFrames, 19);
  Start(12, {2, 100, 200});
  EXPECT_LE(FramesToEnd(), 14);
  // Kind 0 never ends by itself.
  Start(0, {10});
  for (int frame = 0; frame < 300; ++frame) ASSERT_TRUE(Frame());
}

TEST_F(ScreenEffectTest, FrozenFramesMoveNothing) {
  for (int kind : {1, 2, 6, 9, 11}) {
    SCOPED_TRACE(kind);
    Start(kind, {10, 100, 300, 640, 0});
    for (int frame = 0; frame < 5; ++frame) Frame();
    const cScreenEffectState before = scene_.m_ScrEffect;
    for (int frame = 0; frame < 20; ++frame) ASSERT_TRUE(Frame(1));
    EXPECT_EQ(scene_.m_ScrEffect.m_dValue, before.m_dValue);
    EXPECT_EQ(scene_.m_ScrEffect.m_dValue2, before.m_dValue2);
    EXPECT_EQ(scene_.m_ScrEffect.m_nAuxA, before.m_nAuxA);
    EXPECT_EQ(scene_.m_ScrEffect.m_nAuxB, before.m_nAuxB);
  }
}

TEST_F(ScreenEffectTest, DamagedDefinitionsDoNotDivideByZero) {
  for (int kind : {1, 2, 3, 4, 5}) {
    SCOPED_TRACE(kind);
    Start(kind, {0, 10, 20, 0, 0});
    EXPECT_LE(FramesToEnd(), 2) << "a run time of 0 ends at once";
  }
}

}  // namespace
