// A started-from-nothing graphics library on a headless machine: fresh logs in a temp folder, a main
// window, default display switches, a virtual clock and a headless presenter. DDRelease runs after
// every test.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/log.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "platform/time/clock.h"
#include "platform/video/clock.h"
#include "platform/video/display.h"
#include "platform/video/presenter.h"
#include "platform/video/window.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "shell/mainwnd.h"
#include "support/bytes.h"
#include "support/tempdir.h"

class GfxTest : public TempDirTest {
 protected:
  std::unique_ptr<FakeClock> clock_;  // the program clock stands still unless a sleep moves it
  enum { kDirectDraw = 0, kDirect3D = 1 };

  void SetUp() override {
    TempDirTest::SetUp();
    video::test::ResetMachine();
    video::test::ResetWindows();
    clock_ = std::make_unique<FakeClock>(0);
    presenter_ = std::make_shared<video::HeadlessPresenter>();
    video::SetPresenter(presenter_);
    ResetLogsForTest();
    ReportLogInit("Report_Game.txt");
    DebugLogInit(1, "DI_Zaze.txt");
    msgbox::TakeRecords();
    hwnd_ = CreateWindowStandIn("Tessaly");
    g_hMainWnd = hwnd_;
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
    DestroyWindowStandIn(hwnd_);
    g_hMainWnd = nullptr;
    DDHwnd = nullptr;
    DDAppSurfaces = nullptr;
    DDAppBitmaps = nullptr;
    DDAppCount = 0;
    DDWindowMode = 1;
    ResetLogsForTest();
    msgbox::TakeRecords();
    clock_.reset();
    video::SetPresenter(nullptr);
    video::test::ResetMachine();
    video::test::ResetWindows();
    TempDirTest::TearDown();
  }

  BOOL Start(int backEnd, int depth, int window, int vsync = 0, DDSURFACEDATA* app = nullptr,
             DDBITMAPDATA* bitmaps = nullptr, int count = 0) {
    return DDInit(backEnd, hwnd_, 640, 480, depth, vsync, window, 1, 60, 0, app, bitmaps, count, 0);
  }

  static std::vector<std::string> Lines(const char* file) {
    std::vector<uint8_t> bytes = ReadFileBytes(file);
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    size_t pos = 0, end;
    while ((end = text.find("\r\n", pos)) != std::string::npos) {
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }
  static std::vector<std::string> ReportLines() { return Lines("Report_Game.txt"); }
  static std::vector<std::string> DebugLines() { return Lines("DI_Zaze.txt"); }
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

  std::shared_ptr<video::HeadlessPresenter> presenter_;
  HWND hwnd_ = nullptr;
};
