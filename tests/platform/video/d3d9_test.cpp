#include <gtest/gtest.h>

#include "platform/time/clock.h"
#include "platform/video/d3dx9.h"
#include "video_fixture.h"

namespace {

class Direct3DTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }
  void TearDown() override {
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    EXPECT_EQ(d3d_->Release(), 0u);
    VideoTest::TearDown();
  }

  D3DPRESENT_PARAMETERS Params(bool windowed, D3DFORMAT format, UINT interval = D3DPRESENT_INTERVAL_IMMEDIATE) {
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = windowed;
    pp.BackBufferWidth = windowed ? 0 : 64;
    pp.BackBufferHeight = windowed ? 0 : 48;
    pp.FullScreen_RefreshRateInHz = windowed ? 0 : 60;
    pp.BackBufferFormat = format;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.PresentationInterval = interval;
    return pp;
  }

  void Create(bool windowed, D3DFORMAT format, UINT interval = D3DPRESENT_INTERVAL_IMMEDIATE) {
    pp_ = Params(windowed, format, interval);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp_, &device_), D3D_OK);
  }

  // The pixel at (x, y) of a lockable surface.
  static uint32_t PixelAt(IDirect3DSurface9* s, int x, int y) {
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
    D3DSURFACE_DESC d{};
    s->GetDesc(&d);
    const uint8_t* row = static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch;
    uint32_t v = (d.Format == D3DFMT_X8R8G8B8 || d.Format == D3DFMT_A8R8G8B8)
                     ? reinterpret_cast<const uint32_t*>(row)[x]
                     : reinterpret_cast<const uint16_t*>(row)[x];
    s->UnlockRect();
    return v;
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  D3DPRESENT_PARAMETERS pp_{};
};

}  // namespace

TEST_F(Direct3DTest, AWindowedDeviceTakesTheClientSizeAndAFullScreenOneTheScreen) {
  video::SetWindowClient(hwnd_, 0, 0, 320, 200);
  Create(true, D3DFMT_UNKNOWN);
  EXPECT_EQ(pp_.BackBufferWidth, 320u);
  EXPECT_EQ(pp_.BackBufferHeight, 200u);
  EXPECT_EQ(pp_.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_FALSE(presenter_->FullScreen());
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;

  Create(false, D3DFMT_R5G6B5);
  EXPECT_TRUE(presenter_->FullScreen());
  D3DDISPLAYMODE mode{};
  d3d_->GetAdapterDisplayMode(0, &mode);
  EXPECT_EQ(mode.Width, 64u);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  EXPECT_FALSE(presenter_->FullScreen());
}

TEST_F(Direct3DTest, ClearConvertsTheColourToTheTargetFormat) {
  struct Case {
    D3DFORMAT format;
    DWORD colour;
    uint32_t pixel;
  };
  const Case cases[] = {
      {D3DFMT_X8R8G8B8, 0x00123456, 0xFF123456},
      {D3DFMT_R5G6B5, 0xFFFF8040, 0xFC08},
      {D3DFMT_A1R5G5B5, 0x80FF8040, 0xFE08},
      {D3DFMT_A1R5G5B5, 0x7FFF8040, 0x7E08},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Create(false, c.format);
    D3DRECT r{1, 1, 3, 2};
    ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, c.colour, 1.0f, 0), D3D_OK);
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    EXPECT_EQ(PixelAt(back, 2, 1), c.pixel);
    EXPECT_EQ(PixelAt(back, 3, 1) & 0x7FFF, 0u);
    back->Release();
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
  }
}

TEST_F(Direct3DTest, RenderTargetsCannotBeLockedAndAreReadThroughASystemMemoryTwin) {
  Create(true, D3DFMT_X8R8G8B8);
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
            D3D_OK);
  IDirect3DSurface9 *level = nullptr, *twin = nullptr;
  ASSERT_EQ(rt->GetSurfaceLevel(0, &level), D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(8, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &twin, nullptr), D3D_OK);
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(level->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);

  ASSERT_EQ(device_->SetRenderTarget(0, level), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->GetRenderTargetData(level, twin), D3D_OK);
  EXPECT_EQ(PixelAt(twin, 7, 3), 0x80402010u);
  EXPECT_EQ(device_->SetRenderTarget(0, twin), D3DERR_INVALIDCALL);  // not a render target
  level->Release();
  twin->Release();
  EXPECT_EQ(rt->Release(), 0u);
}

TEST_F(Direct3DTest, UpdateSurfaceReachesTheRenderTarget) {
  Create(true, D3DFMT_X8R8G8B8);
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
            D3D_OK);
  IDirect3DSurface9 *level = nullptr, *twin = nullptr, *back = nullptr;
  rt->GetSurfaceLevel(0, &level);
  device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &twin, nullptr);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(twin->LockRect(&lr, nullptr, 0), D3D_OK);
  reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + 2 * lr.Pitch)[3] = 0x11223344;
  twin->UnlockRect();
  ASSERT_EQ(device_->UpdateSurface(twin, nullptr, level, nullptr), D3D_OK);
  IDirect3DSurface9* copy = nullptr;
  device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
  ASSERT_EQ(device_->GetRenderTargetData(level, copy), D3D_OK);
  EXPECT_EQ(PixelAt(copy, 3, 2), 0x11223344u);
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  EXPECT_EQ(device_->GetRenderTargetData(level, back), D3DERR_INVALIDCALL);  // the twin must be in system memory
  for (IDirect3DSurface9* s : {level, twin, copy, back}) s->Release();
  rt->Release();
}

TEST_F(Direct3DTest, ResetNeedsEveryDeviceResourceAndBackBufferReferenceReleased) {
  Create(true, D3DFMT_X8R8G8B8);
  IDirect3DTexture9 *rt = nullptr, *sys = nullptr, *managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(sys->LockRect(0, &lr, nullptr, 0), D3D_OK);
  static_cast<uint32_t*>(lr.pBits)[0] = 0xCAFEBABE;
  sys->UnlockRect(0);
  IDirect3DSurface9* back = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);

  D3DPRESENT_PARAMETERS pp = pp_;
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
  rt->Release();
  EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);  // the back buffer is still held
  back->Release();
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);

  IDirect3DSurface9* level = nullptr;
  sys->GetSurfaceLevel(0, &level);
  EXPECT_EQ(PixelAt(level, 0, 0), 0xCAFEBABEu);
  level->Release();
  sys->Release();
  managed->Release();
}

TEST_F(Direct3DTest, ALostDeviceRefusesPresentAndResetUntilItCanBeReset) {
  Create(false, D3DFMT_X8R8G8B8);
  video::test::LoseDevice();
  D3DPRESENT_PARAMETERS pp = pp_;
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Reset(&pp), D3DERR_DEVICELOST);
  video::test::AllowDeviceReset();
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Reset(&pp), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(Direct3DTest, DeviceMemoryTexturesAreChargedToTheVideoMemory) {
  Create(true, D3DFMT_X8R8G8B8);
  video::test::SetVideoMemory(64 * 64 * 4 + 100);
  IDirect3DTexture9 *a = nullptr, *b = nullptr, *c = nullptr;
  ASSERT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &a, nullptr),
            D3D_OK);
  EXPECT_EQ(device_->GetAvailableTextureMem(), 100u);
  EXPECT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b, nullptr),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &c, nullptr), D3D_OK);
  a->Release();
  c->Release();
  EXPECT_EQ(device_->GetAvailableTextureMem(), 64u * 64u * 4u + 100u);
}

TEST_F(Direct3DTest, PresentWaitsForTheNextBlankUnlessImmediate) {
  Create(true, D3DFMT_X8R8G8B8, D3DPRESENT_INTERVAL_DEFAULT);
  uint32_t start = timeGetTime();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(timeGetTime() - start, 33u);  // blanks at 0, 16 and 33 ms
  EXPECT_EQ(presenter_->PresentCount(), 3u);
  device_->Release();
  device_ = nullptr;

  Create(true, D3DFMT_X8R8G8B8, D3DPRESENT_INTERVAL_IMMEDIATE);
  start = timeGetTime();
  for (int i = 0; i < 3; ++i) device_->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(timeGetTime(), start);
}

TEST_F(Direct3DTest, DeviceCreationAndD3DXFollowTheMachineSwitches) {
  video::test::FailCreateDevice(1);
  pp_ = Params(true, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp_, &device_),
            D3DERR_NOTAVAILABLE);
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp_, &device_), D3D_OK);

  video::test::SetTextureLimits({true, false, 2048, 2048});
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(device_->CreateTexture(640, 480, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
  struct Case {
    video::TextureLimits limits;
    UINT width, height;
  };
  const Case cases[] = {{{true, false, 2048, 2048}, 1024, 512},
                        {{true, true, 2048, 2048}, 1024, 1024},
                        {{false, false, 512, 256}, 512, 256}};
  for (const Case& c : cases) {
    video::test::SetTextureLimits(c.limits);
    ASSERT_EQ(D3DXCreateTexture(device_, 640, 480, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DSURFACE_DESC d{};
    t->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, c.width);
    EXPECT_EQ(d.Height, c.height);
    t->Release();
  }

  video::test::FailDirect3DCreate(true);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}
