#include <gtest/gtest.h>

#include "platform/time/clock.h"
#include "platform/video/bmp.h"
#include "platform/video/d3dx9.h"
#include "support/video_fixture.h"

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

namespace {
struct Vertex {
  float x, y, z, rhw;
  DWORD color;
  float u, v;
};
// The quad of the pixels (x, y) .. (x + w - 1, y + h - 1) with the whole texture.
void QuadAt(Vertex* v, int x, int y, int w, int h, DWORD color) {
  float l = x - 0.5f, t = y - 0.5f, r = x + w - 0.5f, b = y + h - 0.5f;
  v[0] = {l, t, 0, 1, color, 0, 0};
  v[1] = {l, b, 0, 1, color, 0, 1};
  v[2] = {r, t, 0, 1, color, 1, 0};
  v[3] = {r, b, 0, 1, color, 1, 1};
}
}  // namespace

TEST_F(Direct3DTest, DrawsQuadsFromVertexAndIndexBuffersInsideAScene) {
  Create(false, D3DFMT_X8R8G8B8);
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(Vertex), D3DUSAGE_WRITEONLY,
                                        D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPOOL_MANAGED, &vb, nullptr),
            D3D_OK);
  void* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  QuadAt(static_cast<Vertex*>(p), 1, 1, 2, 2, 0xFFFF0000);
  QuadAt(static_cast<Vertex*>(p) + 4, 5, 0, 1, 3, 0xFF00FF00);
  vb->Unlock();
  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(8 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
  ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
  for (WORD i = 0; i < 8; ++i) static_cast<WORD*>(p)[i] = i;
  ib->Unlock();

  device_->SetStreamSource(0, vb, 0, sizeof(Vertex));
  device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  device_->SetIndices(ib);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  // The device's own stage: the diffuse colour times a texture; with no texture bound, white.
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4, 4, 4, 2), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 6, 2), D3DERR_INVALIDCALL);  // past the buffer
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 6, 0, 4, 4, 2), D3DERR_INVALIDCALL);
  device_->SetStreamSource(0, vb, 0, 20);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // another vertex size
  device_->SetStreamSource(0, vb, 0, sizeof(Vertex));

  IDirect3DSurface9* back = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  EXPECT_EQ(PixelAt(back, 1, 1), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(back, 2, 2), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(back, 3, 3), 0u);
  EXPECT_EQ(PixelAt(back, 5, 2), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(back, 5, 3), 0u);

  // A bound texture is sampled, and one that is released is unbound.
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  D3DLOCKED_RECT lr{};
  t->LockRect(0, &lr, nullptr, 0);
  *static_cast<uint32_t*>(lr.pBits) = 0xFF0000FF;
  t->UnlockRect(0);
  device_->SetTexture(0, t);
  device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  EXPECT_EQ(PixelAt(back, 1, 1), 0xFF000000u);  // blue times the red diffuse
  t->Release();
  device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  EXPECT_EQ(PixelAt(back, 1, 1), 0xFFFF0000u);

  // A lost device takes the draw and does nothing.
  video::test::LoseDevice();
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3D_OK);
  back->Release();
  ib->Release();
  vb->Release();
}

TEST_F(Direct3DTest, TexturesFromBitmapFilesWithAColourKey) {
  Create(true, D3DFMT_X8R8G8B8);
  ASSERT_TRUE(video::SaveBmpFile("pic.bmp", video::BmpImage::FromArgb(3, 2, 24, {0xFF00FF, 0x123456, 0xFF0000,
                                                                              0xFFFFFF, 0xFF00FF, 0x00FF00})));
  video::test::SetTextureLimits({true, false, 4096, 4096});
  IDirect3DTexture9* t = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateTextureFromFileExA(device_, "pic.bmp", D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0xFFFF00FF, &info, nullptr,
                                         &t),
            D3D_OK);
  EXPECT_EQ(info.Width, 3u);
  IDirect3DSurface9* level = nullptr;
  t->GetSurfaceLevel(0, &level);
  D3DSURFACE_DESC d{};
  level->GetDesc(&d);
  EXPECT_EQ(d.Width, 4u);  // fitted to the device; the picture sits at the top left
  EXPECT_EQ(PixelAt(level, 0, 0), 0u);
  EXPECT_EQ(PixelAt(level, 1, 0), 0xFF123456u);
  EXPECT_EQ(PixelAt(level, 1, 1), 0u);
  EXPECT_EQ(PixelAt(level, 3, 0), 0u);
  level->Release();
  t->Release();

  ASSERT_EQ(D3DXCreateTextureFromFileExA(device_, "pic.bmp", 0, 0, 1, D3DUSAGE_DYNAMIC, D3DFMT_A1R5G5B5,
                                         D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_DEFAULT, 0xFF123456, nullptr,
                                         nullptr, &t),
            D3D_OK);
  t->GetSurfaceLevel(0, &level);
  EXPECT_EQ(PixelAt(level, 0, 0), 0xFC1Fu);
  EXPECT_EQ(PixelAt(level, 1, 0), 0u);
  level->Release();
  t->Release();
  EXPECT_EQ(D3DXCreateTextureFromFileExA(device_, "missing.bmp", 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(t, nullptr);
}

TEST_F(Direct3DTest, TheSpriteBracketsBatchesAndWaitsOutALostDevice) {
  Create(true, D3DFMT_X8R8G8B8);
  ID3DXSprite* sprite = nullptr;
  ASSERT_EQ(D3DXCreateSprite(device_, &sprite), D3D_OK);
  EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
  EXPECT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE), D3D_OK);
  EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
  EXPECT_EQ(sprite->OnLostDevice(), D3D_OK);
  EXPECT_FALSE(sprite->InBatch());
  EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
  EXPECT_EQ(sprite->OnResetDevice(), D3D_OK);
  EXPECT_EQ(sprite->Begin(0), D3D_OK);
  EXPECT_EQ(sprite->End(), D3D_OK);
  EXPECT_EQ(sprite->Release(), 0u);
}

TEST_F(Direct3DTest, TheAdapterNamesTheSoftwareRasterizer) {
  D3DADAPTER_IDENTIFIER9 id{};
  ASSERT_EQ(d3d_->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_STREQ(id.Description, "Software rasterizer");
  EXPECT_STREQ(id.Driver, "software");
  EXPECT_EQ(d3d_->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->GetAdapterIdentifier(0, 0, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, FormatChecksAgreeWithWhatTheDeviceMakes) {
  Create(true, D3DFMT_X8R8G8B8);
  // A texture of the device's own memory can be made exactly when the check says so.
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_P8}) {
    for (DWORD usage : {DWORD(0), D3DUSAGE_RENDERTARGET, D3DUSAGE_DYNAMIC}) {
      IDirect3DTexture9* t = nullptr;
      const HRESULT made = device_->CreateTexture(16, 16, 1, usage, format, D3DPOOL_DEFAULT, &t, nullptr);
      if (t) t->Release();
      const HRESULT checked =
          d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, D3DRTYPE_TEXTURE, format);
      EXPECT_EQ(SUCCEEDED(made), SUCCEEDED(checked)) << format << " usage " << usage;
    }
  }
  const struct {
    UINT adapter;
    D3DDEVTYPE type;
    D3DFORMAT display;
    DWORD usage;
    D3DRESOURCETYPE resource;
    D3DFORMAT format;
    HRESULT expected;
  } cases[] = {
      {0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3DFMT_R5G6B5, D3D_OK},
      {1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_VERTEXBUFFER, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_WRITEONLY, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0x80000000u, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DYNAMIC, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
      {0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      {0, D3DDEVTYPE_HAL, D3DFMT_P8, 0, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3DERR_NOTAVAILABLE},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8,
       D3DERR_NOTAVAILABLE},
      {0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8,
       D3DERR_NOTAVAILABLE},
  };
  for (const auto& c : cases)
    EXPECT_EQ(d3d_->CheckDeviceFormat(c.adapter, c.type, c.display, c.usage, c.resource, c.format), c.expected)
        << c.adapter << " " << c.type << " " << c.display << " " << c.usage << " " << c.resource << " " << c.format;
}
