#include "platform/video/d3d9.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/video/clock.h"
#include "platform/video/presenter.h"
#include "platform/video/raster.h"
#include "platform/video/window.h"
#include "platform/win/messages.h"

namespace video {

bool PixelFormatOfD3D(D3DFORMAT format, PixelFormat* out) {
  switch (format) {
    case D3DFMT_A8R8G8B8: *out = PixelFormat::A8R8G8B8; return true;
    case D3DFMT_X8R8G8B8: *out = PixelFormat::X8R8G8B8; return true;
    case D3DFMT_R5G6B5: *out = PixelFormat::R5G6B5; return true;
    case D3DFMT_X1R5G5B5: *out = PixelFormat::X1R5G5B5; return true;
    case D3DFMT_A1R5G5B5: *out = PixelFormat::A1R5G5B5; return true;
    default: return false;
  }
}

D3DFORMAT D3DFormatOfDepth(int bpp) {
  PixelFormat format;
  if (!FormatForDepth(bpp, &format)) return D3DFMT_UNKNOWN;
  switch (format) {
    case PixelFormat::P8: return D3DFMT_P8;
    case PixelFormat::R5G6B5: return D3DFMT_R5G6B5;
    case PixelFormat::X1R5G5B5: return D3DFMT_X1R5G5B5;
    default: return D3DFMT_X8R8G8B8;
  }
}

}  // namespace video

namespace {

// Every device alive, for the loss switches.
std::mutex g_registryMutex;
std::set<IDirect3DDevice9*> g_devices;

bool ValidRect(const RECT& r, const video::PixelBuffer& b) {
  return r.left >= 0 && r.top >= 0 && r.right <= b.Width() && r.bottom <= b.Height() && r.left < r.right &&
         r.top < r.bottom;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Surfaces, textures, vertex buffers

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, bool lockable,
                                     IDirect3DTexture9* container, size_t charged, bool holdsDevice)
    : device_(device),
      container_(container),
      desc_(desc),
      lockable_(lockable),
      holdsDevice_(holdsDevice && !container),
      charged_(charged) {
  video::PixelFormat format = video::PixelFormat::X8R8G8B8;
  video::PixelFormatOfD3D(desc.Format, &format);
  pixels_ = video::PixelBuffer(static_cast<int>(desc.Width), static_cast<int>(desc.Height), format, video::PitchPad());
  if (holdsDevice_) device_->AddRef();
}

IDirect3DSurface9::~IDirect3DSurface9() {
  if (lender_) lender_->borrower_ = nullptr;
  if (borrower_) borrower_->Unshare();
  video::RefundVideoMemory(charged_);
  if (device_) {
    device_->Forget(this);
    if (holdsDevice_) device_->Release();
  }
}

ULONG IDirect3DSurface9::AddRef() { return container_ ? container_->AddRef() : RefCounted::AddRef(); }
ULONG IDirect3DSurface9::Release() { return container_ ? container_->Release() : RefCounted::Release(); }

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || !lockable_ || locked_) return D3DERR_INVALIDCALL;
  // A twin hands out the storage it shares; a render target locked itself is written directly.
  video::PixelBuffer& px = borrower_ ? ForWrite() : Storage();
  RECT r = rect ? *rect : RECT{0, 0, px.Width(), px.Height()};
  if (!ValidRect(r, px)) return D3DERR_INVALIDCALL;
  locked->Pitch = px.Pitch();
  locked->pBits = px.Row(r.top) + static_cast<size_t>(r.left) * video::BytesPerPixel(px.Format());
  locked_ = true;
  return D3D_OK;
}

void IDirect3DSurface9::Unshare() {
  if (IDirect3DSurface9* target = lender_) {
    lender_ = nullptr;
    target->borrower_ = nullptr;
    RECT whole{0, 0, pixels_.Width(), pixels_.Height()};
    if (locked_) {
      // The lock handed out the render target's storage: the twin keeps that memory, and the render
      // target takes a copy of it.
      std::swap(pixels_, target->pixels_);
      video::CopyRect(target->pixels_, whole, pixels_, whole);
    } else {
      video::CopyRect(pixels_, whole, target->pixels_, whole);
    }
  }
  if (borrower_) borrower_->Unshare();
}

HRESULT IDirect3DSurface9::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, bool lockable,
                                     size_t charged)
    : device_(device) {
  device_->AddRef();
  level_ = new IDirect3DSurface9(device, desc, lockable, this, charged, false);
  device_->textures_.insert(this);
}

IDirect3DTexture9::~IDirect3DTexture9() {
  for (IDirect3DTexture9*& bound : device_->boundTextures_)
    if (bound == this) bound = nullptr;
  delete level_;
  device_->textures_.erase(this);
  device_->Release();
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (level != 0 || !surface) return D3DERR_INVALIDCALL;
  *surface = level_;
  AddRef();
  return D3D_OK;
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return level_->GetDesc(desc);
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return level_->LockRect(locked, rect, flags);
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level) {
  if (level != 0) return D3DERR_INVALIDCALL;
  return level_->UnlockRect();
}

namespace video {

HRESULT BufferBytes::Lock(UINT offset, UINT size, void** data, DWORD) {
  if (!data || locked_ || offset > bytes_.size()) return D3DERR_INVALIDCALL;
  if (size == 0) size = static_cast<UINT>(bytes_.size()) - offset;
  if (size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
  *data = bytes_.data() + offset;
  locked_ = true;
  return D3D_OK;
}

HRESULT BufferBytes::Unlock() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

}  // namespace video

IDirect3DVertexBuffer9::IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf,
                                               D3DPOOL pool)
    : BufferBytes(length), device_(device), usage_(usage), fvf_(fvf), pool_(pool) {
  device_->AddRef();
}

IDirect3DVertexBuffer9::~IDirect3DVertexBuffer9() {
  if (device_->stream_ == this) device_->stream_ = nullptr;
  device_->Release();
}

IDirect3DIndexBuffer9::IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT length, D3DFORMAT format)
    : BufferBytes(length), device_(device), format_(format) {
  device_->AddRef();
}

IDirect3DIndexBuffer9::~IDirect3DIndexBuffer9() {
  if (device_->indices_ == this) device_->indices_ = nullptr;
  device_->Release();
}

namespace video {
PixelBuffer& SurfacePixels(IDirect3DSurface9* surface) { return surface->ForWrite(); }
}  // namespace video

// ---------------------------------------------------------------------------------------------
// The device

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* d3d, HWND focus) : d3d_(d3d), focus_(focus) {
  d3d_->AddRef();
  SetDefaultStates();
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_devices.insert(this);
}

IDirect3DDevice9::~IDirect3DDevice9() {
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_devices.erase(this);
  }
  if (backBuffer_) {
    backBuffer_->device_ = nullptr;
    backBuffer_->Release();
  }
  video::LeaveExclusive(this);
  d3d_->Release();
}

void IDirect3DDevice9::SetDefaultStates() {
  for (auto& v : renderStates_) v = 0;
  renderStates_[D3DRS_ZENABLE] = D3DZB_FALSE;
  renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRS_ALPHABLENDENABLE] = FALSE;
  renderStates_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  renderStates_[D3DRS_LIGHTING] = TRUE;
  renderStates_[D3DRS_COLORVERTEX] = TRUE;
  renderStates_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  for (auto& s : samplerStates_) {
    for (auto& v : s) v = 0;
    s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
  }
  for (int i = 0; i < 8; ++i) {
    for (auto& v : stageStates_[i]) v = 0;
    stageStates_[i][D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    stageStates_[i][D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    stageStates_[i][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stageStates_[i][D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stageStates_[i][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stageStates_[i][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
  }
  for (auto& t : boundTextures_) t = nullptr;
  stream_ = nullptr;
  indices_ = nullptr;
  fvf_ = 0;
}

HRESULT IDirect3DDevice9::Configure(D3DPRESENT_PARAMETERS* params) {
  if (!params) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS p = *params;
  HWND window = p.hDeviceWindow ? p.hDeviceWindow : focus_;
  if (!IsWindow(window)) return D3DERR_INVALIDCALL;
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  if (p.BackBufferCount > 3 || p.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (p.EnableAutoDepthStencil) return D3DERR_NOTAVAILABLE;
  if (p.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT && p.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
      p.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)
    return D3DERR_INVALIDCALL;
  if (p.Windowed) {
    if (p.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(client.right);
    if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(client.bottom);
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = video::D3DFormatOfDepth(video::DesktopMode().bpp);
  } else if (!video::RefreshSupported(static_cast<int>(p.FullScreen_RefreshRateInHz))) {
    return D3DERR_INVALIDCALL;
  }
  video::PixelFormat format;
  if (!video::PixelFormatOfD3D(p.BackBufferFormat, &format)) return D3DERR_INVALIDCALL;
  if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || p.BackBufferWidth > 8192 || p.BackBufferHeight > 8192)
    return D3DERR_INVALIDCALL;

  D3DSURFACE_DESC desc{p.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                       D3DMULTISAMPLE_NONE, 0, p.BackBufferWidth, p.BackBufferHeight};
  if (backBuffer_) {
    backBuffer_->device_ = nullptr;
    backBuffer_->Release();
  }
  backBuffer_ =
      new IDirect3DSurface9(this, desc, (p.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0, nullptr, 0, false);
  renderTarget_ = backBuffer_;
  inScene_ = false;
  if (p.Windowed) {
    video::LeaveExclusive(this);
  } else {
    video::EnterExclusive(this, {static_cast<int>(p.BackBufferWidth), static_cast<int>(p.BackBufferHeight),
                                 video::BitsPerPixel(format), static_cast<int>(p.FullScreen_RefreshRateInHz)});
  }
  params_ = p;
  *params = p;
  return D3D_OK;
}

void IDirect3DDevice9::Forget(IDirect3DSurface9* surface) {
  if (renderTarget_ == surface) renderTarget_ = nullptr;
  surfaces_.erase(surface);
}

bool IDirect3DDevice9::HoldsDefaultResources() const {
  for (IDirect3DTexture9* t : textures_)
    if (t->level_->desc_.Pool == D3DPOOL_DEFAULT) return true;
  for (IDirect3DSurface9* s : surfaces_)
    if (s->desc_.Pool == D3DPOOL_DEFAULT) return true;
  return backBuffer_ && backBuffer_->RefCount() > 1;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
  switch (state_) {
    case State::Working: return D3D_OK;
    case State::Lost: return D3DERR_DEVICELOST;
    case State::NotReset: return D3DERR_DEVICENOTRESET;
  }
  return D3D_OK;
}

UINT IDirect3DDevice9::GetAvailableTextureMem() {
  size_t free = video::VideoMemoryFree();
  return free > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<UINT>(free);
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps) { return d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps); }

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
  if (swapChain != 0 || index != 0 || !surface || !backBuffer_) return D3DERR_INVALIDCALL;
  *surface = backBuffer_;
  backBuffer_->AddRef();
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* params) {
  if (state_ == State::Lost) return D3DERR_DEVICELOST;
  if (HoldsDefaultResources()) return D3DERR_INVALIDCALL;
  HRESULT hr = Configure(params);
  if (FAILED(hr)) {
    state_ = State::NotReset;
    return hr;
  }
  SetDefaultStates();
  state_ = State::Working;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*) {
  if (state_ != State::Working) return D3DERR_DEVICELOST;
  if (params_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)
  {
    lastVBlank_ = video::WaitVBlank(video::CurrentMode().refresh, hadVBlank_ ? &lastVBlank_ : nullptr);
    hadVBlank_ = true;
  }
  video::Frame frame;
  frame.width = backBuffer_->pixels_.Width();
  frame.height = backBuffer_->pixels_.Height();
  frame.pixels = video::ToXrgb(backBuffer_->pixels_);
  video::CurrentPresenter()->Present(std::move(frame));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  video::PixelFormat pf;
  if (!video::PixelFormatOfD3D(format, &pf) || levels > 1 || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  video::TextureLimits limits = video::GetTextureLimits();
  if (width > static_cast<UINT>(limits.maxWidth) || height > static_cast<UINT>(limits.maxHeight))
    return D3DERR_INVALIDCALL;
  if (limits.pow2 && ((width & (width - 1)) || (height & (height - 1)))) return D3DERR_INVALIDCALL;
  if (limits.squareOnly && width != height) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, width, height};
  size_t bytes = 0;
  if (pool == D3DPOOL_DEFAULT) {
    bytes = video::PixelBuffer(static_cast<int>(width), static_cast<int>(height), pf).SizeBytes();
    if (!video::ChargeVideoMemory(bytes)) return D3DERR_OUTOFVIDEOMEMORY;
  }
  // Textures in the device's own memory are locked only when dynamic, and render targets never.
  bool lockable = pool != D3DPOOL_DEFAULT || ((usage & D3DUSAGE_DYNAMIC) && !(usage & D3DUSAGE_RENDERTARGET));
  *texture = new IDirect3DTexture9(this, desc, lockable, bytes);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** vb, HANDLE*) {
  if (!vb || length == 0 || length > (64u << 20)) return D3DERR_INVALIDCALL;
  *vb = new IDirect3DVertexBuffer9(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                      IDirect3DSurface9** surface, HANDLE*) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  video::PixelFormat pf;
  if (!video::PixelFormatOfD3D(format, &pf) || width == 0 || height == 0 || width > 16384 || height > 16384)
    return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  size_t bytes = 0;
  if (pool == D3DPOOL_DEFAULT) {
    bytes = video::PixelBuffer(static_cast<int>(width), static_cast<int>(height), pf).SizeBytes();
    if (!video::ChargeVideoMemory(bytes)) return D3DERR_OUTOFVIDEOMEMORY;
  }
  D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, width, height};
  auto* s = new IDirect3DSurface9(this, desc, true, nullptr, bytes, true);
  surfaces_.insert(s);
  *surface = s;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (index != 0 || !surface || surface->device_ != this || !(surface->desc_.Usage & D3DUSAGE_RENDERTARGET))
    return D3DERR_INVALIDCALL;
  renderTarget_ = surface;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (index != 0 || !surface) return D3DERR_INVALIDCALL;
  *surface = renderTarget_;
  if (!renderTarget_) return D3DERR_NOTFOUND;
  renderTarget_->AddRef();
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, DWORD color, float, DWORD) {
  if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
  if ((count > 0 && !rects) || !renderTarget_) return D3DERR_INVALIDCALL;
  if (!(flags & D3DCLEAR_TARGET)) return D3D_OK;
  video::PixelBuffer& px = renderTarget_->ForWrite();
  uint32_t value = video::PackArgb(px.Format(), color);
  if (count == 0) {
    px.FillAll(value);
    return D3D_OK;
  }
  for (DWORD i = 0; i < count; ++i) {
    const D3DRECT& r = rects[i];
    if (r.x2 > r.x1 && r.y2 > r.y1) px.Fill(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1, value);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= 256) return D3DERR_INVALIDCALL;
  renderStates_[state] = value;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (state >= 256 || !value) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= 16 || type >= 16) return D3DERR_INVALIDCALL;
  samplerStates_[sampler][type] = value;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (sampler >= 16 || type >= 16 || !value) return D3DERR_INVALIDCALL;
  *value = samplerStates_[sampler][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= 8 || type >= 33) return D3DERR_INVALIDCALL;
  stageStates_[stage][type] = value;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (stage >= 8 || type >= 33 || !value) return D3DERR_INVALIDCALL;
  *value = stageStates_[stage][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* rt, IDirect3DSurface9* dst) {
  if (!rt || !dst || rt->device_ != this || dst->device_ != this) return D3DERR_INVALIDCALL;
  if (!(rt->desc_.Usage & D3DUSAGE_RENDERTARGET) || rt->desc_.Pool != D3DPOOL_DEFAULT ||
      dst->desc_.Pool != D3DPOOL_SYSTEMMEM)
    return D3DERR_INVALIDCALL;
  if (rt->desc_.Format != dst->desc_.Format || rt->desc_.Width != dst->desc_.Width ||
      rt->desc_.Height != dst->desc_.Height || dst->locked_)
    return D3DERR_INVALIDCALL;
  if (state_ != State::Working) return D3DERR_DEVICELOST;
  // The twin shows the render target's own storage from now on (no copy) until either is written.
  if (dst->lender_ == rt) return D3D_OK;
  dst->Unshare();
  if (rt->borrower_) rt->borrower_->Unshare();
  dst->lender_ = rt;
  rt->borrower_ = dst;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                                        const POINT* destPoint) {
  if (!src || !dst || src->device_ != this || dst->device_ != this) return D3DERR_INVALIDCALL;
  if (src->desc_.Pool != D3DPOOL_SYSTEMMEM || dst->desc_.Pool != D3DPOOL_DEFAULT ||
      src->desc_.Format != dst->desc_.Format || src->locked_)
    return D3DERR_INVALIDCALL;
  RECT s = srcRect ? *srcRect : RECT{0, 0, src->pixels_.Width(), src->pixels_.Height()};
  if (!ValidRect(s, src->pixels_)) return D3DERR_INVALIDCALL;
  POINT at = destPoint ? *destPoint : POINT{0, 0};
  RECT d{at.x, at.y, at.x + (s.right - s.left), at.y + (s.bottom - s.top)};
  if (!ValidRect(d, dst->pixels_)) return D3DERR_INVALIDCALL;
  // A twin showing this very render target: the pixels are already there.
  if (src->lender_ == dst && s.left == d.left && s.top == d.top) return D3D_OK;
  video::PixelBuffer& out = dst->ForWrite();
  video::CopyRect(out, d, src->Storage(), s);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetDialogBoxMode(BOOL on) {
  if (on && !params_.Windowed && !(params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)) return D3DERR_INVALIDCALL;
  dialogBoxMode_ = on != FALSE;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL, IDirect3DIndexBuffer9** ib,
                                            HANDLE*) {
  if (!ib) return D3DERR_INVALIDCALL;
  *ib = nullptr;
  if (length == 0 || length > (64u << 20) || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  *ib = new IDirect3DIndexBuffer9(this, length, format);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
  if (stage >= 8 || (texture && texture->device_ != this)) return D3DERR_INVALIDCALL;
  boundTextures_[stage] = texture;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* data, UINT offset, UINT stride) {
  if (stream != 0 || (data && data->device_ != this)) return D3DERR_INVALIDCALL;
  stream_ = data;
  streamOffset_ = offset;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* indices) {
  if (indices && indices->device_ != this) return D3DERR_INVALIDCALL;
  indices_ = indices;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf) {
  fvf_ = fvf;
  return D3D_OK;
}

size_t IDirect3DDevice9::StreamVertices() const {
  size_t bytes = stream_->Bytes().size();
  return bytes > streamOffset_ ? (bytes - streamOffset_) / streamStride_ : 0;
}

HRESULT IDirect3DDevice9::CheckDraw() const {
  if (!inScene_ || !renderTarget_ || !stream_) return D3DERR_INVALIDCALL;
  if (fvf_ != (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1) || streamStride_ != sizeof(video::RasterVertex))
    return D3DERR_INVALIDCALL;
  return D3D_OK;
}

namespace {
// Vertices a primitive count needs.
UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count) { return type == D3DPT_TRIANGLESTRIP ? count + 2 : count * 3; }
}  // namespace

void IDirect3DDevice9::Rasterize(D3DPRIMITIVETYPE type, const std::vector<uint8_t>& bytes, const std::vector<UINT>& order,
                                 UINT count) {
  if (state_ != State::Working) return;  // a lost device draws nothing and says nothing
  std::vector<video::RasterVertex>& v = scratchVertices_;
  v.resize(order.size());
  for (size_t i = 0; i < order.size(); ++i)
    std::memcpy(&v[i], bytes.data() + streamOffset_ + static_cast<size_t>(order[i]) * streamStride_,
                sizeof(video::RasterVertex));
  video::RasterState rs;
  rs.colorOp = stageStates_[0][D3DTSS_COLOROP];
  rs.colorArg1 = stageStates_[0][D3DTSS_COLORARG1];
  rs.colorArg2 = stageStates_[0][D3DTSS_COLORARG2];
  rs.alphaOp = stageStates_[0][D3DTSS_ALPHAOP];
  rs.alphaArg1 = stageStates_[0][D3DTSS_ALPHAARG1];
  rs.alphaArg2 = stageStates_[0][D3DTSS_ALPHAARG2];
  rs.textureFactor = renderStates_[D3DRS_TEXTUREFACTOR];
  rs.blend = renderStates_[D3DRS_ALPHABLENDENABLE] != FALSE;
  rs.srcBlend = renderStates_[D3DRS_SRCBLEND];
  rs.dstBlend = renderStates_[D3DRS_DESTBLEND];
  rs.clampU = samplerStates_[0][D3DSAMP_ADDRESSU] == D3DTADDRESS_CLAMP;
  rs.clampV = samplerStates_[0][D3DSAMP_ADDRESSV] == D3DTADDRESS_CLAMP;
  video::PixelBuffer& target = renderTarget_->ForWrite();
  const video::PixelBuffer* texture = boundTextures_[0] ? &boundTextures_[0]->level_->Storage() : nullptr;
  if (type == D3DPT_TRIANGLELIST) {
    for (UINT i = 0; i < count; ++i) video::RasterTriangle(target, texture, rs, v[3 * i], v[3 * i + 1], v[3 * i + 2]);
    return;
  }
  // A strip: each pair of triangles is the quad of four consecutive vertices.
  UINT i = 0;
  for (; i + 1 < count; i += 2) video::RasterQuad(target, texture, rs, &v[i]);
  if (i < count) video::RasterTriangle(target, texture, rs, v[i], v[i + 1], v[i + 2]);
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
  if (HRESULT hr = CheckDraw(); FAILED(hr)) return hr;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP) return D3DERR_INVALIDCALL;
  if (count == 0) return D3D_OK;
  size_t available = StreamVertices();
  UINT n = VerticesFor(type, count);
  if (static_cast<size_t>(startVertex) + n > available) return D3DERR_INVALIDCALL;
  std::vector<UINT>& order = scratchOrder_;
  order.resize(n);
  for (UINT i = 0; i < n; ++i) order[i] = startVertex + i;
  Rasterize(type, stream_->Bytes(), order, count);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int baseVertexIndex, UINT, UINT,
                                               UINT startIndex, UINT count) {
  if (HRESULT hr = CheckDraw(); FAILED(hr)) return hr;
  if (!indices_ || (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP)) return D3DERR_INVALIDCALL;
  if (count == 0) return D3D_OK;
  size_t available = StreamVertices();
  size_t indexBytes = indices_->format_ == D3DFMT_INDEX16 ? 2 : 4;
  UINT n = VerticesFor(type, count);
  if ((static_cast<size_t>(startIndex) + n) * indexBytes > indices_->Bytes().size()) return D3DERR_INVALIDCALL;
  std::vector<UINT>& order = scratchOrder_;
  order.resize(n);
  for (UINT i = 0; i < n; ++i) {
    const uint8_t* at = indices_->Bytes().data() + (static_cast<size_t>(startIndex) + i) * indexBytes;
    uint32_t index = 0;
    if (indexBytes == 2) {
      uint16_t v16;
      std::memcpy(&v16, at, 2);
      index = v16;
    } else {
      std::memcpy(&index, at, 4);
    }
    int64_t vertex = int64_t(baseVertexIndex) + index;
    if (vertex < 0 || static_cast<size_t>(vertex) >= available) return D3DERR_INVALIDCALL;
    order[i] = static_cast<UINT>(vertex);
  }
  Rasterize(type, stream_->Bytes(), order, count);
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// The Direct3D object

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
  video::DisplayMode m = video::CurrentMode();
  *mode = {static_cast<UINT>(m.width), static_cast<UINT>(m.height), static_cast<UINT>(m.refresh),
           video::D3DFormatOfDepth(m.bpp)};
  return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  if (adapter != 0 || type != D3DDEVTYPE_HAL || !caps) return D3DERR_INVALIDCALL;
  video::TextureLimits limits = video::GetTextureLimits();
  *caps = {};
  caps->DeviceType = D3DDEVTYPE_HAL;
  caps->Caps2 = D3DCAPS2_DYNAMICTEXTURES;
  caps->Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
  caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps->TextureCaps = (limits.pow2 ? D3DPTEXTURECAPS_POW2 : 0) | (limits.squareOnly ? D3DPTEXTURECAPS_SQUAREONLY : 0);
  caps->MaxTextureWidth = static_cast<DWORD>(limits.maxWidth);
  caps->MaxTextureHeight = static_cast<DWORD>(limits.maxHeight);
  caps->MaxTextureBlendStages = 8;
  caps->MaxSimultaneousTextures = 8;
  return D3D_OK;
}

HRESULT IDirect3D9::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) {
  if (adapter != 0 || !identifier) return D3DERR_INVALIDCALL;
  *identifier = {};
  std::snprintf(identifier->Driver, sizeof identifier->Driver, "%s", "software");
  std::snprintf(identifier->Description, sizeof identifier->Description, "%s", "Software rasterizer");
  std::snprintf(identifier->DeviceName, sizeof identifier->DeviceName, "%s", "\\\\.\\DISPLAY1");
  identifier->DriverVersion.HighPart = 1;
  identifier->DriverVersion.LowPart = 0;
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
  // Usages of vertex and index buffers and of device creation say nothing about a texture or surface.
  constexpr DWORD kBufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP |
                                  D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES;
  constexpr DWORD kMissing = D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP;
  constexpr DWORD kKnown = kBufferUsages | kMissing | D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC;
  if ((usage & ~kKnown) || (usage & kBufferUsages)) return D3DERR_INVALIDCALL;
  // Only textures are made dynamic; plain surfaces are always lockable.
  if ((usage & D3DUSAGE_DYNAMIC) && resourceType != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
  // The display runs in the formats of a back buffer without alpha.
  video::PixelFormat display;
  if (adapterFormat == D3DFMT_A8R8G8B8 || adapterFormat == D3DFMT_A1R5G5B5 ||
      !video::PixelFormatOfD3D(adapterFormat, &display))
    return D3DERR_NOTAVAILABLE;
  video::PixelFormat resource;
  if ((usage & kMissing) || !video::PixelFormatOfD3D(checkFormat, &resource)) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (adapter != 0 || !params || !IsWindow(focus)) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!(flags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
    return D3DERR_INVALIDCALL;
  int failures = video::DeviceCreationFailures();
  if (failures >= 2 || (failures == 1 && (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING))) return D3DERR_NOTAVAILABLE;
  auto* dev = new IDirect3DDevice9(this, focus);
  HRESULT hr = dev->Configure(params);
  if (FAILED(hr)) {
    dev->Release();
    return hr;
  }
  *device = dev;
  return D3D_OK;
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION || video::Direct3DCreateFails()) return nullptr;
  return new IDirect3D9();
}

namespace video::test {

void LoseDevice() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  for (IDirect3DDevice9* dev : g_devices) {
    dev->state_ = IDirect3DDevice9::State::Lost;
    if (dev->backBuffer_) dev->backBuffer_->ForWrite().Scramble();
    for (IDirect3DTexture9* t : dev->textures_)
      if (t->level_->desc_.Pool == D3DPOOL_DEFAULT) t->level_->ForWrite().Scramble();
    for (IDirect3DSurface9* s : dev->surfaces_)
      if (s->desc_.Pool == D3DPOOL_DEFAULT) s->ForWrite().Scramble();
  }
}

void AllowDeviceReset() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  for (IDirect3DDevice9* dev : g_devices)
    if (dev->state_ == IDirect3DDevice9::State::Lost) dev->state_ = IDirect3DDevice9::State::NotReset;
}

}  // namespace video::test
