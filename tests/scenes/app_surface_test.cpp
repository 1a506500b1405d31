// The frame step's lost-surface check in the DirectDraw back end, on the headless graphics library.
#include <gtest/gtest.h>

#include <cstdio>

#include "gamedata/input.h"
#include "gfx/bitmap.h"
#include "support/gfx_fixture.h"
#include "gfx/surface.h"
#include "platform/video/bmp.h"
#include "platform/video/ddraw.h"
#include "platform/win/keys.h"
#include "scenes/app.h"
#include "scenes/scene.h"
#include "scenes/surfacesets.h"
#include "support/game_reset.h"

namespace {

int g_polls = 0;
void CountPoll(int) { ++g_polls; }

class AppSurfaceTest : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    ResetGameGlobals();
    g_polls = 0;
    SetInputPollHook(&CountPoll);
    cApp::m_nFps = 60;
  }
  void TearDown() override {
    ResetGameGlobals();  // the scenes release their surfaces while the library runs
    DDReleaseSurfaceVector(g_vCharaBmpSD);
    DDReleaseSurfaceVector(g_vEffectSD);
    g_vCharaBmpSD.clear();
    g_vEffectSD.clear();
    GfxTest::TearDown();
  }
  static void WritePicture(const char* file) {
    ASSERT_TRUE(WriteFileBytes(file, video::EncodeBmp(video::BmpImage::FromArgb(2, 1, 24, {0xFF0000, 0x00FF00}))));
  }
};

TEST_F(AppSurfaceTest, ALostScreenIsRestoredBeforeInputAndAFailedReloadEndsTheFrame) {
  ASSERT_TRUE(Start(kDirectDraw, 32, 1));
  WritePicture("chara.bmp");
  g_vCharaBmpSD.emplace_back();
  g_vEffectSD.emplace_back();
  ASSERT_EQ(DDCreateSurfaceFromFile(&g_vCharaBmpSD[0], "chara.bmp", 1, 32, 0, 0, nullptr, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&g_vEffectSD[0], "chara.bmp", 1, 32, 1, 0, nullptr, 0, 0, 0, 0), 0);

  EXPECT_EQ(cApp::Frame(), 1);  // nothing lost
  EXPECT_EQ(g_polls, 1);
  EXPECT_EQ(g_vCharaBmpSD[0].bLost, 0);

  video::test::LoseSurfaces();
  EXPECT_EQ(cApp::Frame(), 1);
  EXPECT_EQ(g_polls, 2);
  EXPECT_EQ(PrimarySD.lpDDData->lpDDSurface->IsLost(), DD_OK);
  EXPECT_EQ(g_vCharaBmpSD[0].lpDDData->lpDDSurface->IsLost(), DD_OK);
  EXPECT_EQ(g_vCharaBmpSD[0].bLost, 1);  // video memory: reloaded
  EXPECT_EQ(g_vEffectSD[0].bLost, 0);    // system memory keeps its pixels

  // The bitmap is gone: the frame ends before input and before the scene.
  std::remove("chara.bmp");
  video::test::LoseSurfaces();
  cApp::m_nScene = SCENE_PLAY;
  EXPECT_EQ(cApp::Frame(), 0);
  EXPECT_EQ(g_polls, 2);
  EXPECT_EQ(cApp::SceneOf(SCENE_PLAY), nullptr);
}

}  // namespace
