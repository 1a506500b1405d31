#include "core/log.h"
#include "gfx/dialog.h"
#include "gfx/drawstate.h"
#include "gfx/present.h"
#include "gfx/surface.h"
#include "platform/time/clock.h"
#include "support/gfx_fixture.h"

namespace {


void ClearTarget(DDSURFACEDATA* sd, DWORD colour) {
  ASSERT_TRUE(DDSetRenderTarget(0, sd));
  ASSERT_EQ(lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
}

}  // namespace

TEST_F(GfxTest, PresentIsPacedByTheDisplayWithVSyncAndByTheFrameLimiterWithout) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 1));
  uint32_t start = timeGetTime();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(timeGetTime() - start, 33u);  // blanks at 0, 16 and 33 ms
  EXPECT_EQ(presenter_->PresentCount(), 3u);
  DDRelease();

  // Without VSync the present waits until the limiter lets the frame run: after one frame, two more
  // take at least one frame time, and at most two.
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 0));
  ASSERT_EQ(DDPresent(60, 0, nullptr), 1);
  start = timeGetTime();
  for (int i = 0; i < 2; ++i) ASSERT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_GE(timeGetTime() - start, 16u);
  EXPECT_LE(timeGetTime() - start, 34u);
}

TEST_F(GfxTest, PresentInDirectDrawLeavesTheFrameToTheCaller) {
  ASSERT_TRUE(Start(kDirectDraw, 32, 0));
  EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(presenter_->PresentCount(), 0u);
}

TEST_F(GfxTest, ALostDeviceMinimisesOnlyAFullScreenWindow) {
  for (int window : {1, 0}) {
    SCOPED_TRACE(window);
    ASSERT_TRUE(Start(kDirect3D, 32, window));
    video::test::LoseDevice();
    EXPECT_EQ(DDPresent(60, 0, nullptr), 0);
    EXPECT_EQ(presenter_->Minimized(), window == 0);
    video::test::AllowDeviceReset();
    ASSERT_EQ(DDRestoreSurface(), 1);
    EXPECT_FALSE(presenter_->Minimized());
    DDRelease();
  }
}

TEST_F(GfxTest, RestoringTheDeviceBringsBackEverySurface) {
  ASSERT_TRUE(Start(kDirect3D, 32, 0));
  lpDTCon->dwTransmitKey_32 = 0xFF00FF00;
  DDSURFACEDATA drawn, sys, alias;
  ASSERT_TRUE(DDCreateSurface(&drawn, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&sys, 8, 8, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&alias, 8, 8, 1, 0, DTMEMORYTYPE_VIDEO_RT, &drawn, 0));
  ClearTarget(&drawn, 0xFF123456);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(sys.lpDT->lpSurface->LockRect(&lr, nullptr, 0), D3D_OK);
  static_cast<uint32_t*>(lr.pBits)[0] = 0xCAFEBABE;
  sys.lpDT->lpSurface->UnlockRect();
  IDirect3DTexture9* keptTexture = sys.lpDT->lpTexture;
  size_t listed = DDSurfaceList.size();

  video::test::LoseDevice();
  EXPECT_EQ(DDPresent(60, 0, nullptr), 0);
  EXPECT_EQ(DDRestoreSurface(), 0);  // not resettable yet: the textures are gone until the next try
  EXPECT_EQ(drawn.lpDT->lpTexture, nullptr);
  EXPECT_EQ(BackBuffer.lpDT->lpSurface, nullptr);
  EXPECT_TRUE(Has(DebugLines(), "復旧失敗…リセット可能な状態ではありません…"));

  video::test::AllowDeviceReset();
  ASSERT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(DDSurfaceList.size(), listed);
  EXPECT_EQ(drawn.bLost, 1);
  EXPECT_EQ(D3DPixel(&drawn, 3, 3), 0xFF00FF00u);  // its drawing is gone; it is the transparent colour again
  EXPECT_EQ(sys.lpDT->lpTexture, keptTexture);
  EXPECT_EQ(D3DPixel(&sys, 0, 0), 0xCAFEBABEu);
  EXPECT_EQ(alias.lpDT->lpTexture, nullptr);
  std::vector<std::string> debug = DebugLines();
  EXPECT_EQ(debug.back(), "Restore Out");

  ClearTarget(&BackBuffer, 0xFF0000FF);
  EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(presenter_->LastFrame().At(0, 0), 0xFF0000FFu);
  DDReleaseSurface(&alias);
  DDReleaseSurface(&sys);
  DDReleaseSurface(&drawn);
}

TEST_F(GfxTest, RestoringADeviceThatWasNotLostStillRecreatesItsSurfaces) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_NE(VirBackBuffer.lpDT->lpTexture, nullptr);
  EXPECT_NE(BackBuffer.lpDT->lpSurface, nullptr);
}

TEST_F(GfxTest, EachBackEndRefusesTheOtherOnesRestore) {
  ASSERT_TRUE(Start(kDirectDraw, 32, 1));
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(DebugLines().back(), "DDではDDRestoreSurfaceは未対応");
  DDRelease();
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(DebugLines().back(), "D3DではDDRestoreは未対応");
}

TEST_F(GfxTest, DirectDrawRestoreMarksLostBlankSurfacesAndSetsThePaletteAgain) {
  DDSURFACEDATA app[2];
  DDBITMAPDATA bd[2];
  ASSERT_TRUE(Start(kDirectDraw, 8, 0, 0, app, bd, 2));
  ASSERT_TRUE(DDCreateSurface(&app[0], 16, 16, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&app[1], 16, 16, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  EXPECT_TRUE(DDRestore());  // nothing lost: nothing done
  EXPECT_EQ(app[0].bLost, 0);

  for (int i = 0; i < 256; ++i) DDWorkPalette[i] = {static_cast<BYTE>(i), 0, static_cast<BYTE>(255 - i), 0};
  video::test::LoseSurfaces();
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(PrimarySD.lpDDData->lpDDSurface->IsLost(), DD_OK);
  EXPECT_EQ(BackBuffer.lpDDData->lpDDSurface->IsLost(), DD_OK);
  EXPECT_EQ(app[0].lpDDData->lpDDSurface->IsLost(), DD_OK);
  EXPECT_EQ(app[0].bLost, 1);
  EXPECT_EQ(app[1].bLost, 0);
  PALETTEENTRY shown[256];
  lpDDPal->GetEntries(0, 0, 256, shown);
  EXPECT_EQ(shown[200].peBlue, 55);
  DDRelease();  // the table lives on this stack
}

TEST_F(GfxTest, MessageBoxesInAWindowNeedNoDialogMode) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(DDMesBox("本文", "題", MB_OK), 1);
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, hwnd_);
  EXPECT_EQ(boxes[0].text, "本文");
  EXPECT_EQ(boxes[0].caption, "題");
  EXPECT_TRUE(presenter_->CursorVisible());
}

TEST_F(GfxTest, FullScreenBoxesShowTheCursorOnlyWhileTheyAreUp) {
  for (int backEnd : {kDirect3D, kDirectDraw}) {
    SCOPED_TRACE(backEnd);
    video::test::ResetWindows();
    ASSERT_TRUE(Start(backEnd, 32, 0));
    EXPECT_FALSE(presenter_->CursorVisible());
    EXPECT_EQ(DDDialogBoxMode(1), 1);
    EXPECT_TRUE(presenter_->CursorVisible());
    EXPECT_EQ(DDDialogBoxMode(0), 1);
    EXPECT_FALSE(presenter_->CursorVisible());
    // The core's error boxes take this road while the full screen is up.
    ErrorBox("エラーです");
    std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, hwnd_);
    EXPECT_EQ(boxes[0].caption, "エラー");
    EXPECT_FALSE(presenter_->CursorVisible());
    DDRelease();
  }
}

TEST_F(GfxTest, AFullScreenBoxIsShownOutsideFullScreenAndTheScreenComesBack) {
  for (int backEnd : {kDirect3D, kDirectDraw}) {
    SCOPED_TRACE(backEnd);
    video::test::ResetWindows();
    ASSERT_TRUE(Start(backEnd, 32, 0));
    presenter_->SetFullScreen(true);
    static std::shared_ptr<video::HeadlessPresenter> seen;
    static int fullScreenDuringBox;
    seen = presenter_;
    fullScreenDuringBox = -1;
    // A router stands for the box on a display.
    msgbox::SetRouter([](HWND, const char*, const char*, UINT) {
      fullScreenDuringBox = seen->FullScreen() ? 1 : 0;
      return IDOK;
    });
    EXPECT_EQ(DDMesBox("本文", "題", MB_OK), 1);
    msgbox::SetRouter(nullptr);
    seen.reset();
    EXPECT_EQ(fullScreenDuringBox, 0);
    EXPECT_TRUE(presenter_->FullScreen());
    DDRelease();
  }
}
