#include <gtest/gtest.h>

#include "platform/video/bmp.h"
#include "platform/video/ddraw.h"
#include "platform/video/gdi.h"
#include "support/video_fixture.h"

namespace {

class DirectDrawTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr), DD_OK);
  }
  void TearDown() override {
    if (dd_) {
      EXPECT_EQ(dd_->Release(), 0u);
    }
    VideoTest::TearDown();
  }

  IDirectDrawSurface7* Plain(int w, int h, bool system = false) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (system ? DDSCAPS_SYSTEMMEMORY : 0);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  IDirectDrawSurface7* Primary(DWORD backBuffers = 0) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | (backBuffers ? DDSD_BACKBUFFERCOUNT : 0);
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (backBuffers ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
    d.dwBackBufferCount = backBuffers;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  static void Fill(IDirectDrawSurface7* s, DWORD value, RECT* rect = nullptr) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = value;
    ASSERT_EQ(s->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  IDirectDraw7* dd_ = nullptr;
};

}  // namespace

TEST_F(DirectDrawTest, FullScreenFlipShowsTheBackBufferThroughThePalette) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT), DD_OK);
  ASSERT_EQ(dd_->SetDisplayMode(8, 4, 8, 0, 0), DD_OK);
  EXPECT_TRUE(presenter_->FullScreen());
  IDirectDrawSurface7 *primary = Primary(1), *back = nullptr;
  ASSERT_NE(primary, nullptr);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);

  PALETTEENTRY entries[256] = {};
  entries[3] = {10, 20, 30, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);

  Fill(back, 3);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  video::Frame shown = presenter_->LastFrame();
  ASSERT_EQ(shown.width, 8);
  ASSERT_EQ(shown.height, 4);
  for (uint32_t p : shown.pixels) ASSERT_EQ(p, 0xFF0A141Eu);
  EXPECT_EQ(back->Pixels().Get(0, 0), 0u);  // the back buffer now holds the frame before

  back->Release();
  palette->Release();
  primary->Release();
  EXPECT_EQ(dd_->Release(), 0u);
  dd_ = nullptr;
  EXPECT_FALSE(presenter_->FullScreen());
}

TEST_F(DirectDrawTest, BltCopiesStretchesKeysAndRefusesBadRectangles) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface7* src = Plain(2, 1);
  IDirectDrawSurface7* keyless = Plain(2, 1);
  RECT left{0, 0, 1, 1};
  Fill(src, 0x111111);
  Fill(src, 0xFF00FF, &left);  // the key colour
  DDCOLORKEY key{0xFF00FF, 0xFF00FF};
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);

  struct Case {
    const char* name;
    RECT dst;
    RECT srcRect;
    DWORD flags;
    HRESULT result;
    uint32_t row[4];
  };
  const Case cases[] = {
      {"copy", {1, 0, 3, 1}, {0, 0, 2, 1}, DDBLT_WAIT, DD_OK, {0, 0xFF00FF, 0x111111, 0}},
      {"stretch", {0, 0, 4, 1}, {0, 0, 2, 1}, DDBLT_WAIT, DD_OK, {0xFF00FF, 0xFF00FF, 0x111111, 0x111111}},
      {"keyed", {0, 0, 4, 1}, {0, 0, 2, 1}, DDBLT_WAIT | DDBLT_KEYSRC, DD_OK, {0, 0, 0x111111, 0x111111}},
      {"past the edge", {2, 0, 5, 1}, {0, 0, 2, 1}, DDBLT_WAIT, DDERR_INVALIDRECT, {0, 0, 0, 0}},
      {"source outside", {0, 0, 2, 1}, {-1, 0, 1, 1}, DDBLT_WAIT, DDERR_INVALIDRECT, {0, 0, 0, 0}},
      {"empty", {1, 0, 1, 1}, {0, 0, 2, 1}, DDBLT_WAIT, DDERR_INVALIDRECT, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IDirectDrawSurface7* dst = Plain(4, 1);
    RECT d = c.dst, s = c.srcRect;
    EXPECT_EQ(dst->Blt(&d, src, &s, c.flags, nullptr), c.result);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst->Pixels().Get(x, 0) & 0xFFFFFF, c.row[x]) << x;
    dst->Release();
  }
  IDirectDrawSurface7* dst = Plain(4, 1);
  RECT s{0, 0, 2, 1};
  EXPECT_EQ(dst->Blt(nullptr, keyless, &s, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
  EXPECT_EQ(dst->BltFast(2, 0, src, &s, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(dst->Pixels().Get(2, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(dst->Pixels().Get(3, 0) & 0xFFFFFF, 0x111111u);
  EXPECT_EQ(dst->BltFast(3, 0, src, &s, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  dst->Release();
  keyless->Release();
  src->Release();
}

TEST_F(DirectDrawTest, LostVideoSurfacesRefuseWorkUntilRestoredAndComeBackScrambled) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface7* video = Plain(4, 4);
  IDirectDrawSurface7* system = Plain(4, 4, true);
  Fill(video, 0x123456);
  Fill(system, 0x123456);
  video::test::LoseSurfaces();
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  EXPECT_EQ(video->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(system->Blt(nullptr, video, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(video->Restore(), DD_OK);
  EXPECT_EQ(video->IsLost(), DD_OK);
  bool scrambled = false;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) scrambled |= (video->Pixels().Get(x, y) & 0xFFFFFF) != 0x123456;
  EXPECT_TRUE(scrambled);
  EXPECT_EQ(system->Pixels().Get(3, 3) & 0xFFFFFF, 0x123456u);
  video->Release();
  system->Release();
}

TEST_F(DirectDrawTest, VideoMemoryIsChargedAndGivenBack) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_NORMAL), DD_OK);
  video::test::SetVideoMemory(100 * 100 * 4);
  DWORD total = 0, free = 0;
  DDSCAPS2 caps{DDSCAPS_VIDEOMEMORY, 0, 0, 0};
  IDirectDrawSurface7* a = Plain(100, 60);
  dd_->GetAvailableVidMem(&caps, &total, &free);
  EXPECT_EQ(total, 40000u);
  EXPECT_EQ(free, 40000u - 24000u);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = 100;
  d.dwHeight = 60;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* b = nullptr;
  EXPECT_EQ(dd_->CreateSurface(&d, &b, nullptr), DDERR_OUTOFVIDEOMEMORY);
  d.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  EXPECT_EQ(dd_->CreateSurface(&d, &b, nullptr), DD_OK);
  a->Release();
  dd_->GetAvailableVidMem(&caps, &total, &free);
  EXPECT_EQ(free, 40000u);
  b->Release();
}

TEST_F(DirectDrawTest, WindowedPrimaryShowsTheClientAreaAtItsDesktopPlace) {
  video::SetWindowClient(hwnd_, 100, 50, 4, 2);
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_NORMAL), DD_OK);
  IDirectDrawSurface7* primary = Primary();
  ASSERT_NE(primary, nullptr);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(dd_->CreateSurface(&d, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, hwnd_), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);

  IDirectDrawSurface7* back = Plain(4, 2);
  Fill(back, 0x0000FF);
  RECT right{2, 0, 4, 2};
  Fill(back, 0x00FF00, &right);
  RECT at{100, 50, 104, 52};
  ASSERT_EQ(primary->Blt(&at, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  video::Frame shown = presenter_->LastFrame();
  ASSERT_EQ(shown.width, 4);
  ASSERT_EQ(shown.height, 2);
  EXPECT_EQ(shown.At(1, 1), 0xFF0000FFu);
  EXPECT_EQ(shown.At(2, 0), 0xFF00FF00u);
  EXPECT_FALSE(presenter_->FullScreen());

  // A blit half outside the client area draws only its inside part.
  RECT shifted{102, 50, 106, 52};
  Fill(back, 0xFF0000);
  ASSERT_EQ(primary->Blt(&shifted, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  shown = presenter_->LastFrame();
  EXPECT_EQ(shown.At(1, 0), 0xFF0000FFu);
  EXPECT_EQ(shown.At(2, 0), 0xFFFF0000u);

  back->Release();
  clipper->Release();
  EXPECT_GT(dd_->Release(), 0u);  // the primary still holds the object: a leak the caller can see
  primary->Release();
  dd_ = nullptr;
}

TEST_F(DirectDrawTest, DisplayModesNeedTheExclusiveLevelAndAKnownDepthAndRate) {
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 24, 0, 0), DDERR_INVALIDMODE);
  video::test::SetRefresh(75, false);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 16, 60, 0), DDERR_INVALIDMODE);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  DWORD hz = 0;
  dd_->GetMonitorFrequency(&hz);
  EXPECT_EQ(hz, 75u);
  video::test::Use555(true);
  EXPECT_EQ(dd_->SetDisplayMode(640, 480, 16, 75, 0), DD_OK);
  IDirectDrawSurface7* primary = Primary();
  ASSERT_NE(primary, nullptr);
  DDPIXELFORMAT pf{};
  primary->GetPixelFormat(&pf);
  EXPECT_EQ(pf.dwRGBBitCount, 16u);
  EXPECT_EQ(pf.dwRBitMask, 0x7C00u);
  EXPECT_EQ(pf.dwGBitMask, 0x03E0u);
  primary->Release();
}

TEST_F(DirectDrawTest, LockIsExclusiveAndUnlockingThePrimaryShowsIt) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(dd_->SetDisplayMode(4, 2, 32, 0, 0), DD_OK);
  IDirectDrawSurface7* primary = Primary();
  ASSERT_NE(primary, nullptr);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  ASSERT_EQ(primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  auto* row1 = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.lpSurface) + locked.lPitch);
  row1[3] = 0x00ABCDEF;
  uint64_t before = presenter_->PresentCount();
  ASSERT_EQ(primary->Unlock(nullptr), DD_OK);
  EXPECT_EQ(presenter_->PresentCount(), before + 1);
  EXPECT_EQ(presenter_->LastFrame().At(3, 1), 0xFFABCDEFu);
  EXPECT_EQ(primary->Unlock(nullptr), DDERR_NOTLOCKED);
  primary->Release();
}

TEST_F(DirectDrawTest, GdiDrawsBitmapsOntoSurfacesMirroredAndInTheSurfaceFormat) {
  ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  std::vector<RGBQUAD> colours = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {250, 250, 250, 0}};
  ASSERT_TRUE(video::SaveBmpFile("cells.bmp", video::BmpImage::FromIndices(4, 1, 8, {0, 1, 2, 3}, colours)));
  HGDIOBJ bitmap =
      static_cast<HGDIOBJ>(LoadImageA(nullptr, "cells.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  struct Case {
    int bpp;
    std::vector<uint32_t> pixels;
  };
  // Cells of two mirrored in place: green red | white blue. At 8 bits each colour takes the palette's
  // nearest entry (white 250 finds 255); 32-bit pixels have a top byte of 0.
  const Case cases[] = {{32, {0x00FF00, 0xFF0000, 0xFAFAFA, 0x0000FF}}, {16, {0x07E0, 0xF800, 0xFFDF, 0x001F}},
                        {8, {2, 1, 4, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    ASSERT_EQ(dd_->SetDisplayMode(64, 48, static_cast<DWORD>(c.bpp), 0, 0), DD_OK);
    IDirectDrawSurface7* primary = Primary();
    PALETTEENTRY entries[256] = {};
    entries[1] = {255, 0, 0, 0};
    entries[2] = {0, 255, 0, 0};
    entries[3] = {0, 0, 255, 0};
    entries[4] = {255, 255, 255, 0};
    entries[5] = {255, 0, 0, 0};  // a second red: the first one is taken
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
    primary->SetPalette(palette);
    IDirectDrawSurface7* s = Plain(5, 1);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);  // the device context holds it
    HDC memory = CreateCompatibleDC(dc);
    EXPECT_EQ(SelectObject(memory, bitmap), nullptr);
    EXPECT_TRUE(StretchBlt(dc, 1, 0, -2, 1, memory, 0, 0, 2, 1, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dc, 3, 0, -2, 1, memory, 2, 0, 2, 1, SRCCOPY));
    EXPECT_TRUE(BitBlt(dc, 4, 0, 3, 1, memory, 3, 0, SRCCOPY));  // clipped on both sides
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, memory, 0, 0, 0));       // only copies
    DeleteDC(memory);
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    std::vector<uint32_t> got;
    for (int x = 0; x < 4; ++x) got.push_back(s->Pixels().Get(x, 0));
    EXPECT_EQ(got, c.pixels);
    EXPECT_EQ(s->Pixels().Get(4, 0), c.pixels[2]);
    s->Release();
    palette->Release();
    primary->Release();
  }
  DeleteObject(bitmap);
}
