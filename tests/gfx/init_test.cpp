#include "gfx/drawstate.h"
#include "gfx/present.h"
#include "platform/video/pixels.h"
#include "support/gfx_fixture.h"

namespace {

struct StartCase {
  const char* name;
  int backEnd;
  int depth;
  int window;
  int desktopBpp;
  bool rgb555;
  int pixelFormat[8];
};

// Puts one frame on the screen in the running mode: a device colour over the whole back buffer,
// then the back end's way of showing it. Returns the ARGB the screen should show.
uint32_t ShowFrame(int backEnd, int window) {
  const uint32_t colour = 0xFF336699;
  if (backEnd) {
    EXPECT_TRUE(DDSetRenderTarget(0, &BackBuffer));
    EXPECT_EQ(lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
    EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
    video::PixelFormat f;
    video::PixelFormatOfD3D(lpDTCon->BackBufferFormat, &f);
    return video::UnpackArgb(f, video::PackArgb(f, colour));
  }
  IDirectDrawSurface7* back = BackBuffer.lpDDData->lpDDSurface;
  DDPIXELFORMAT pf{};
  back->GetPixelFormat(&pf);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  uint32_t expected;
  if (pf.dwRGBBitCount == 8) {
    fx.dwFillColor = 5;  // shown through the start palette
    expected = window ? 0xFF050000 : 0xFF050500;
  } else {
    video::PixelFormat f = pf.dwRGBBitCount == 32 ? video::PixelFormat::X8R8G8B8
                           : pf.dwGBitMask == 0x07E0 ? video::PixelFormat::R5G6B5
                                                     : video::PixelFormat::X1R5G5B5;
    fx.dwFillColor = video::PackArgb(f, colour);
    expected = video::UnpackArgb(f, fx.dwFillColor);
  }
  EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  IDirectDrawSurface7* primary = PrimarySD.lpDDData->lpDDSurface;
  if (window)
    EXPECT_EQ(primary->Blt(&DDClientRect, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  else
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  return expected;
}

}  // namespace

TEST_F(GfxTest, StartsAndStopsInEveryBackEndDepthAndWindowMode) {
  const StartCase cases[] = {
      {"D3D 32 window", kDirect3D, 32, 1, 32, false, {16, 8, 0, 24, 255, 255, 255, 255}},
      {"D3D 32 full screen", kDirect3D, 32, 0, 32, false, {16, 8, 0, 24, 255, 255, 255, 255}},
      {"D3D 16 window", kDirect3D, 16, 1, 32, false, {10, 5, 0, 15, 31, 31, 31, 1}},
      {"D3D 16 full screen", kDirect3D, 16, 0, 32, false, {10, 5, 0, 15, 31, 31, 31, 1}},
      {"DD 32 full screen", kDirectDraw, 32, 0, 32, false, {16, 8, 0, 0, 255, 255, 255, 0}},
      {"DD 8 full screen", kDirectDraw, 8, 0, 32, false, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"DD 16 full screen", kDirectDraw, 16, 0, 32, false, {11, 5, 0, 0, 31, 63, 31, 0}},
      {"DD 16 full screen 555", kDirectDraw, 16, 0, 32, true, {10, 5, 0, 0, 31, 31, 31, 0}},
      // In a window the desktop's depth decides; the depth argument does not.
      {"DD window on 32", kDirectDraw, 8, 1, 32, false, {16, 8, 0, 0, 255, 255, 255, 0}},
      {"DD window on 16", kDirectDraw, 32, 1, 16, false, {11, 5, 0, 0, 31, 63, 31, 0}},
      {"DD window on 8", kDirectDraw, 32, 1, 8, false, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    video::test::ResetWindows();
    video::test::SetDesktop(1920, 1080, c.desktopBpp);
    video::test::Use555(c.rgb555);
    for (int& v : DDPixelFormat) v = 0;
    ASSERT_TRUE(Start(c.backEnd, c.depth, c.window));
    EXPECT_EQ(DDInitDone, 1);
    EXPECT_EQ(lpDTCon != nullptr, c.backEnd == kDirect3D);
    EXPECT_EQ(lpDDCon != nullptr, c.backEnd == kDirectDraw);
    EXPECT_EQ(presenter_->FullScreen(), c.window == 0);
    EXPECT_EQ(std::vector<int>(DDPixelFormat, DDPixelFormat + 8), std::vector<int>(c.pixelFormat, c.pixelFormat + 8));
    EXPECT_EQ(BackBuffer.nWidth, 640);
    EXPECT_EQ(BackBuffer.nHeight, 480);
    if (c.backEnd == kDirect3D) {
      EXPECT_STREQ(BackBuffer.szName, "BackBuffer");
      EXPECT_STREQ(VirBackBuffer.szName, "VirBackBuffer");
      EXPECT_STREQ(WorkSD.szName, "WorkSD");
      EXPECT_EQ(DDSurfaceList.size(), 2u);
      EXPECT_EQ(lpDTCon->nNextSurfaceId, 3);
      EXPECT_EQ(lpDTCon->dwAlphaOp, D3DTOP_SELECTARG1);
      EXPECT_EQ(presenter_->CursorVisible(), c.window == 1);
    } else {
      EXPECT_NE(PrimarySD.lpDDData->lpDDSurface, nullptr);
      EXPECT_EQ(ScreenCopySD.nDDMemType, 1);
      IDirectDrawPalette* attached = nullptr;
      bool paletted = c.window ? c.desktopBpp == 8 : c.depth == 8;
      EXPECT_EQ(PrimarySD.lpDDData->lpDDSurface->GetPalette(&attached) == DD_OK, paletted);
      if (attached) attached->Release();
    }
    uint32_t expected = ShowFrame(c.backEnd, c.window);
    video::Frame shown = presenter_->LastFrame();
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 480);
    EXPECT_EQ(shown.At(320, 240), expected);
    EXPECT_EQ(shown.At(639, 479), expected);

    DDRelease();
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(lpDevice, nullptr);
    EXPECT_EQ(lpD3D, nullptr);
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_TRUE(DDSurfaceList.empty());
    EXPECT_FALSE(presenter_->FullScreen());
    EXPECT_TRUE(msgbox::TakeRecords().empty());  // nothing left unreleased
  }
  std::vector<std::string> report = ReportLines();
  EXPECT_TRUE(Has(report, "VSync : 0"));
  EXPECT_TRUE(Has(report, "Device HAL-HARD"));
  EXPECT_TRUE(Has(report, "X8R8G8B8"));
  EXPECT_TRUE(Has(report, "R5G6B5"));
  EXPECT_TRUE(Has(report, "A1R5G5B5"));
}

TEST_F(GfxTest, Direct3DWithAnUnusableDepthFailsAndFallsBackToDirectDraw) {
  for (int depth : {8, 24}) {
    SCOPED_TRACE(depth);
    EXPECT_FALSE(Start(kDirect3D, depth, 1));
    EXPECT_NE(lpDTCon, nullptr);  // the context was made before the depth was refused
    DDRelease();
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpD3D, nullptr);
    ASSERT_TRUE(Start(kDirectDraw, 32, 1));
    EXPECT_NE(BackBuffer.lpDDData, nullptr);
    EXPECT_EQ(BackBuffer.lpDT, nullptr);
    DDRelease();
  }
}

TEST_F(GfxTest, Direct3DStartFailuresAreReported) {
  SetDisplayDdiVersionQuery([] { return 8; });
  EXPECT_FALSE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(lpD3D, nullptr);
  EXPECT_TRUE(Has(ReportLines(), "ビデオカードのドライバがDirectX9をサポートしていません！ 8"));
  DDRelease();
  SetDisplayDdiVersionQuery(nullptr);

  video::test::FailDirect3DCreate(true);
  EXPECT_FALSE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_TRUE(Has(ReportLines(), "ビデオカードがDirectX9をサポートしていません！"));
  DDRelease();
  video::test::FailDirect3DCreate(false);

  video::test::FailCreateDevice(1);
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  std::vector<std::string> report = ReportLines();
  EXPECT_TRUE(Has(report, "Device HAL-SOFT"));
  EXPECT_FALSE(Has(report, "Device HAL-HARD"));
  DDRelease();

  video::test::FailCreateDevice(2);
  EXPECT_FALSE(Start(kDirect3D, 32, 1));
  EXPECT_TRUE(Has(DebugLines(), "CreateDevice Err"));
  EXPECT_EQ(lpDevice, nullptr);
}

TEST_F(GfxTest, VSyncInAWindowNeedsADisplayAtSixtyHertz) {
  video::test::SetRefresh(75, true);
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 1));
  EXPECT_EQ(DDVSync, 1);
  EXPECT_EQ(lpDTCon->d3dpp.PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
  EXPECT_TRUE(Has(ReportLines(), "RefreshRate : 60"));
  DDRelease();

  video::test::SetRefresh(75, false);
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 1));
  EXPECT_EQ(DDVSync, 0);
  EXPECT_EQ(lpDTCon->d3dpp.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  std::vector<std::string> report = ReportLines();
  EXPECT_TRUE(Has(report, "ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL"));
  EXPECT_TRUE(Has(report, "RefreshRate : 75"));
  EXPECT_TRUE(Has(report, "リフレッシュレートの変更に失敗しました！垂直同期が無効になります！"));
}

TEST_F(GfxTest, InitResultTurnsOnlyTheListedCodesIntoFailures) {
  const struct {
    int code;
    const char* line;
  } failures[] = {{1, "CREATEEX_ERR"},         {2, "SETCOOPLEVEL_ERR"}, {3, "SETDISPLAYMODE_ERR"},
                  {4, "CREATESURFACE_ERR"},    {5, "GETATTACHEDSURFACE_ERR"},
                  {6, "CREATEPALETTE_ERR"},    {7, "SETPALETTE_ERR"},   {10, "CLIPPER_ERR"},
                  {11, "SETHWND_ERR"},         {12, "SETCLIPPER_ERR"}};
  for (const auto& f : failures) {
    EXPECT_FALSE(DDInitResult(f.code)) << f.code;
    EXPECT_EQ(DebugLines().back(), f.line);
  }
  for (int code : {0, 8, 9, 13, -1}) EXPECT_TRUE(DDInitResult(code)) << code;
  EXPECT_EQ(DebugLines().size(), 10u);
}

TEST_F(GfxTest, DirectDrawFullScreenFailsOnAModeTheDisplayCannotShow) {
  EXPECT_FALSE(Start(kDirectDraw, 24, 0));
  EXPECT_TRUE(Has(ReportLines(), "SetDisplayMode Err"));
  EXPECT_EQ(DebugLines().back(), "SETDISPLAYMODE_ERR");
}

TEST_F(GfxTest, RenderStatesAreTheLibrarysFixedSet) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } states[] = {{D3DRS_CULLMODE, D3DCULL_NONE},        {D3DRS_ZENABLE, D3DZB_FALSE},
                {D3DRS_ALPHABLENDENABLE, TRUE},        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
                {D3DRS_COLORVERTEX, TRUE}};
  for (const auto& s : states) {
    DWORD v = 0;
    lpDevice->GetRenderState(s.state, &v);
    EXPECT_EQ(v, s.value) << s.state;
  }
  for (DWORD sampler : {0u, 1u}) {
    DWORD v = 0;
    lpDevice->GetSamplerState(sampler, D3DSAMP_ADDRESSV, &v);
    EXPECT_EQ(v, D3DTADDRESS_WRAP);
    lpDevice->GetSamplerState(sampler, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, D3DTEXF_POINT);
  }
}
