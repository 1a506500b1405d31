#include <gtest/gtest.h>

#include "gfx/draw_fixture.h"
#include "gfx/globals.h"
#include "objects/objcond.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

// The range display on the back buffer of the 32-bit DirectDraw mode, whose pixels are the palette's
// colours: entry n of the test palette is red 77, green 255 - n, blue n.
class RangeDisplayTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    g_pScenePlay = &scene_;
    g_lstChara.clear();
    g_vHero.clear();
    g_nRangeColourCounter = 0;
    g_bEditorLaunched = 0;
    StartMode({"DD32", 0, 32});
    DDFillSurface(&BackBuffer, 1);
    cChara& c = g_lstChara.emplace_back();
    c.m_bActive = 1;
    c.m_dX = 200;
    c.m_dY = 200;
    c.m_dRight = c.m_dBottom = 215;
    cPicRect& p = c.m_PicRect;
    p.m_nLeft = 192;
    p.m_nTop = 184;
    p.m_nW = p.m_nH = 32;
    p.m_nRight = 223;
    p.m_nBottom = 215;
    p.m_nOfsX = 8;
    p.m_nOfsY = 16;
    chara_ = &c;
  }
  void TearDown() override {
    g_lstChara.clear();
    g_pScenePlay = nullptr;
    DrawTest::TearDown();
  }
  static cCond Range(int area, int hbl, int px, int display = 1, int colour = 2) {
    cCond c;
    c.m_nKind = COND_RANGE;
    c.m_nArea = static_cast<int8_t>(area);
    c.m_nValue = hbl;
    c.m_sRightIndex = static_cast<int16_t>(px);
    c.m_nRightSource = static_cast<int8_t>(display);
    c.m_nItem = static_cast<int8_t>(colour);
    return c;
  }
  static constexpr uint32_t kGround = 0xFF0000;  // entry 1, the letter R
  static uint32_t Colour(int n) { return 77u << 16 | uint32_t(255 - n) << 8 | uint32_t(n); }
  static uint32_t Pixel(int x, int y) {
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(&BackBuffer));
    return lock.Get(x, y) & 0xFFFFFF;
  }

  cScenePlay scene_;
  cChara* chara_ = nullptr;
};

TEST_F(RangeDisplayTest, TheLinesOfABand) {
  chara_->m_Chara.m_vCond.assign(1, Range(0, 1, 0));
  g_nRangeColourCounter = 15;  // advances to 16: + 2
  DrawRangeConds(&BackBuffer);
  const uint32_t line = Colour(216 + 2), ground = kGround;
  EXPECT_EQ(Pixel(176, 0), line);
  EXPECT_EQ(Pixel(176, 479), line);
  EXPECT_EQ(Pixel(240, 100), line);
  EXPECT_EQ(Pixel(177, 100), ground);
  EXPECT_EQ(Pixel(239, 100), ground);
  EXPECT_EQ(Pixel(208, 100), ground);
}

TEST_F(RangeDisplayTest, WhatIsNotShown) {
  const struct {
    int display, active, drawInactive, hidden, drawHidden, editor;
  } cases[] = {{0, 1, 0, 0, 0, 1}, {2, 1, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {1, 1, 0, 1, 0, 0}, {3, 1, 0, 0, 0, 1}};
  for (const auto& tc : cases) {
    cCond c = Range(3, 0, 0, tc.display);
    c.m_nRightOwner = static_cast<int8_t>(tc.drawInactive);
    c.m_nLeftSource = static_cast<int8_t>(tc.drawHidden);
    chara_->m_bActive = tc.active;
    chara_->m_bHidden = tc.hidden;
    g_bEditorLaunched = tc.editor;
    EXPECT_EQ(DrawRangeCond(*chara_, &BackBuffer, c, 0), 0) << tc.display << tc.active << tc.hidden;
  }
  g_bEditorLaunched = 1;
  chara_->m_bHidden = 0;
  chara_->m_bActive = 1;
  EXPECT_EQ(DrawRangeCond(*chara_, &BackBuffer, Range(3, 0, 0, 2), 0), 1) << "shown in a test play";
  EXPECT_EQ(Pixel(5, 184), Colour(216));
  EXPECT_EQ(Pixel(5, 216), Colour(216));
}

TEST_F(RangeDisplayTest, ALargeCircleIsStretchedFromItsWorkSurface) {
  // Radius 100 around the picture centre (208, 200).
  EXPECT_EQ(DrawRangeCond(*chara_, &BackBuffer, Range(6, 6, 4), 0), 1);
  EXPECT_EQ(Pixel(208, 100), Colour(216));
  EXPECT_EQ(Pixel(208, 99), kGround);
  EXPECT_EQ(Pixel(208, 200), kGround);
  // A small one is drawn directly.
  EXPECT_EQ(DrawRangeCond(*chara_, &BackBuffer, Range(6, 2, 0, 1, 7), 0), 1);
  EXPECT_EQ(Pixel(208 + 32, 200), Colour(236));
  EXPECT_EQ(Pixel(208, 200 - 32), Colour(236));
}

}  // namespace
