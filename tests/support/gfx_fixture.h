// A started-from-nothing graphics library on a clean virtual machine: fresh logs in the test's folder,
// a main window, default display switches and a game window (hwnd_). DDRelease runs after every test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "support/bytes.h"
#include "support/test_logs.h"
#include "support/video_fixture.h"

class GfxTest : public VideoTest {
 protected:
  enum { kDirectDraw = 0, kDirect3D = 1 };

  void SetUp() override {
    VideoTest::SetUp();
    StartTestLogs();
    for (DDSURFACEDATA* sd : {&BackBuffer, &VirBackBuffer, &WorkSD, &ScreenCopySD, &PrimarySD}) *sd = DDSURFACEDATA();
    for (int i = 0; i < 256; ++i) DDPalette[i] = DDWorkPalette[i] = PALETTEENTRY{};
    for (int i = 0; i < 8; ++i) DDPixelFormat[i] = DDBackPixelFormat[i] = 0;
    DDColorKey = 0;
    DDInitDone = 0;
  }

  void TearDown() override {
    DDRelease();
    EXPECT_TRUE(DDSurfaceList.empty());
    DDSurfaceList.clear();
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    StopTestLogs();
    DDHwnd = nullptr;
    DDAppSurfaces = nullptr;
    DDAppBitmaps = nullptr;
    DDAppCount = 0;
    DDWindowMode = 1;
    VideoTest::TearDown();
  }

  BOOL Start(int backEnd, int depth, int window, int vsync = 0, DDSURFACEDATA* app = nullptr,
             DDBITMAPDATA* bitmaps = nullptr, int count = 0) {
    return DDInit(backEnd, hwnd_, 640, 480, depth, vsync, window, 1, 60, 0, app, bitmaps, count, 0);
  }

  static std::vector<std::string> ReportLines() { return LogLines("Report_Game.txt"); }
  static std::vector<std::string> DebugLines() { return LogLines("DI_Zaze.txt"); }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& l : lines)
      if (l == line) return true;
    return false;
  }

  // A 32-bit pixel of a Direct3D surface: render targets through their system-memory twin, other
  // textures directly.
  static uint32_t D3DPixel(DDSURFACEDATA* sd, int x, int y) {
    DTSURFACEDATA* dt = sd->lpDT;
    IDirect3DSurface9* readable = dt->lpSurface;
    if (dt->bRenderTarget) {
      EXPECT_EQ(lpDevice->GetRenderTargetData(dt->lpSurface, dt->lpSystemSurface), D3D_OK);
      readable = dt->lpSystemSurface;
    }
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(readable->LockRect(&lr, nullptr, 0), D3D_OK);
    uint32_t v = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch)[x];
    readable->UnlockRect();
    return v;
  }
};
