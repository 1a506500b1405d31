#include "platform/video/ddraw.h"

#include <algorithm>
#include <mutex>

#include "platform/video/clock.h"
#include "platform/video/gdi.h"
#include "platform/video/presenter.h"
#include "platform/video/window.h"
#include "platform/win/messages.h"

const GUID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

namespace {

// Every DirectDraw object alive, for the loss switch.
std::mutex g_registryMutex;
std::set<IDirectDraw7*> g_objects;

bool Inside(const RECT& r, const video::PixelBuffer& b) {
  return r.left >= 0 && r.top >= 0 && r.right <= b.Width() && r.bottom <= b.Height();
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Whole(const video::PixelBuffer& b) { return {0, 0, b.Width(), b.Height()}; }

// Holds a reference to the new object in the slot instead of the old one.
template <class T>
void Attach(T*& slot, T* object) {
  if (object) object->AddRef();
  if (slot) slot->Release();
  slot = object;
}

void DescribeFormat(video::PixelFormat format, DDPIXELFORMAT* pf) {
  *pf = {};
  pf->dwSize = sizeof(DDPIXELFORMAT);
  pf->dwRGBBitCount = static_cast<DWORD>(video::BitsPerPixel(format));
  if (format == video::PixelFormat::P8) {
    pf->dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    return;
  }
  video::ChannelMasks m = video::MasksOf(format);
  pf->dwFlags = DDPF_RGB | (m.alpha ? DDPF_ALPHAPIXELS : 0);
  pf->dwRBitMask = m.red;
  pf->dwGBitMask = m.green;
  pf->dwBBitMask = m.blue;
  pf->dwRGBAlphaBitMask = m.alpha;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Palette and clipper

IDirectDrawPalette::IDirectDrawPalette(IDirectDraw7* dd) : dd_(dd) { dd_->AddRef(); }
IDirectDrawPalette::~IDirectDrawPalette() { dd_->Release(); }

HRESULT IDirectDrawPalette::GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries) {
  if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
  std::copy(entries_ + start, entries_ + start + count, entries);
  return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* entries) {
  if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
  std::copy(entries, entries + count, entries_ + start);
  return DD_OK;
}

IDirectDrawClipper::IDirectDrawClipper(IDirectDraw7* dd) : dd_(dd) { dd_->AddRef(); }
IDirectDrawClipper::~IDirectDrawClipper() { dd_->Release(); }

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return DDERR_INVALIDPARAMS;
  hwnd_ = hwnd;
  return DD_OK;
}

HRESULT IDirectDrawClipper::GetHWnd(HWND* hwnd) {
  if (!hwnd) return DDERR_INVALIDPARAMS;
  *hwnd = hwnd_;
  return DD_OK;
}

// ---------------------------------------------------------------------------------------------
// Surfaces

IDirectDrawSurface7::IDirectDrawSurface7(IDirectDraw7* dd, DWORD caps, video::PixelBuffer pixels, size_t charged)
    : dd_(dd), caps_(caps), pixels_(std::move(pixels)), charged_(charged) {
  dd_->AddRef();
  std::lock_guard<std::mutex> lock(g_registryMutex);
  dd_->surfaces_.insert(this);
}

IDirectDrawSurface7::~IDirectDrawSurface7() {
  if (dc_) DeleteDC(dc_);
  for (IDirectDrawSurface7* back : backBuffers_) back->Release();
  if (palette_) palette_->Release();
  if (clipper_) clipper_->Release();
  video::RefundVideoMemory(charged_);
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    dd_->surfaces_.erase(this);
    if (dd_->primary_ == this) dd_->primary_ = nullptr;
  }
  dd_->Release();
}

HWND IDirectDrawSurface7::FrontWindow() const {
  HWND hwnd = nullptr;
  if (clipper_) clipper_->GetHWnd(&hwnd);
  return hwnd ? hwnd : dd_->coopWindow_;
}

void IDirectDrawSurface7::FitFrontBuffer() {
  if (!windowedPrimary_) return;
  RECT client{0, 0, 0, 0};
  GetClientRect(FrontWindow(), &client);
  if (client.right != pixels_.Width() || client.bottom != pixels_.Height())
    pixels_ = video::PixelBuffer(client.right, client.bottom, pixels_.Format(), video::PitchPad());
}

void IDirectDrawSurface7::ShowIfPrimary() {
  if (!IsPrimary() || pixels_.Empty()) return;
  video::Frame frame;
  frame.width = pixels_.Width();
  frame.height = pixels_.Height();
  frame.pixels = video::ToXrgb(pixels_, palette_ ? palette_->Entries() : nullptr);
  video::CurrentPresenter()->Present(std::move(frame));
}

HRESULT IDirectDrawSurface7::CopyFrom(RECT d, IDirectDrawSurface7* src, RECT s, bool key) {
  if (lost_ || src->lost_) return DDERR_SURFACELOST;
  if (locked_ || src->locked_) return DDERR_SURFACEBUSY;
  if (IsEmpty(d) || IsEmpty(s) || !Inside(s, src->pixels_)) return DDERR_INVALIDRECT;
  if (!windowedPrimary_ && !Inside(d, pixels_)) return DDERR_INVALIDRECT;
  if (src->pixels_.Format() != pixels_.Format()) return DDERR_INVALIDPIXELFORMAT;
  if (key && !src->hasKey_) return DDERR_NOCOLORKEY;
  video::CopyRect(pixels_, d, src->pixels_, s, key, src->key_.dwColorSpaceLowValue, src->key_.dwColorSpaceHighValue);
  ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) {
  FitFrontBuffer();
  RECT d = dstRect ? *dstRect : Whole(pixels_);
  if (windowedPrimary_ && dstRect) {
    // Desktop coordinates: the front buffer is the window's client area.
    POINT origin{0, 0};
    ClientToScreen(FrontWindow(), &origin);
    d = {d.left - origin.x, d.top - origin.y, d.right - origin.x, d.bottom - origin.y};
  }
  if (flags & DDBLT_COLORFILL) {
    if (!fx) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    if (IsEmpty(d) || (!windowedPrimary_ && !Inside(d, pixels_))) return DDERR_INVALIDRECT;
    uint32_t mask = video::BitsPerPixel(pixels_.Format()) == 32 ? 0xFFFFFFFFu
                                                                : (1u << video::BitsPerPixel(pixels_.Format())) - 1;
    pixels_.Fill(d.left, d.top, d.right - d.left, d.bottom - d.top, fx->dwFillColor & mask);
    ShowIfPrimary();
    return DD_OK;
  }
  if (!src) return DDERR_INVALIDPARAMS;
  src->FitFrontBuffer();
  RECT s = srcRect ? *srcRect : Whole(src->pixels_);
  return CopyFrom(d, src, s, (flags & DDBLT_KEYSRC) != 0);
}

HRESULT IDirectDrawSurface7::BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect, DWORD trans) {
  if (!src) return DDERR_INVALIDPARAMS;
  FitFrontBuffer();
  src->FitFrontBuffer();
  RECT s = srcRect ? *srcRect : Whole(src->pixels_);
  LONG left = static_cast<LONG>(x), top = static_cast<LONG>(y);
  RECT d{left, top, left + (s.right - s.left), top + (s.bottom - s.top)};
  return CopyFrom(d, src, s, (trans & DDBLTFAST_SRCCOLORKEY) != 0);
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7*, DWORD) {
  if (backBuffers_.empty()) return DDERR_NOTFLIPPABLE;
  if (lost_) return DDERR_SURFACELOST;
  for (IDirectDrawSurface7* back : backBuffers_)
    if (back->lost_) return DDERR_SURFACELOST;
  if (locked_) return DDERR_SURFACEBUSY;
  // The nearest back buffer becomes the front; the old front goes to the end of the chain.
  video::PixelBuffer old = std::move(pixels_);
  pixels_ = std::move(backBuffers_[0]->pixels_);
  for (size_t i = 0; i + 1 < backBuffers_.size(); ++i) backBuffers_[i]->pixels_ = std::move(backBuffers_[i + 1]->pixels_);
  backBuffers_.back()->pixels_ = std::move(old);
  ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) {
  if (!caps || !out) return DDERR_INVALIDPARAMS;
  if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || backBuffers_.empty()) return DDERR_NOTFOUND;
  *out = backBuffers_[0];
  (*out)->AddRef();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetCaps(DDSCAPS2* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = {};
  caps->dwCaps = caps_;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetPixelFormat(DDPIXELFORMAT* format) {
  if (!format) return DDERR_INVALIDPARAMS;
  DescribeFormat(pixels_.Format(), format);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetSurfaceDesc(DDSURFACEDESC2* desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  FitFrontBuffer();
  DWORD size = desc->dwSize;
  *desc = {};
  desc->dwSize = size;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(pixels_.Width());
  desc->dwHeight = static_cast<DWORD>(pixels_.Height());
  desc->lPitch = pixels_.Pitch();
  desc->dwBackBufferCount = static_cast<DWORD>(backBuffers_.size());
  desc->ddsCaps.dwCaps = caps_;
  DescribeFormat(pixels_.Format(), &desc->ddpfPixelFormat);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, HANDLE) {
  if (!desc || rect) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (locked_) return DDERR_SURFACEBUSY;
  GetSurfaceDesc(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = pixels_.Bits();
  locked_ = true;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Unlock(RECT*) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
  hasKey_ = key != nullptr;
  if (key) key_ = *key;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
  if (!hasKey_) return DDERR_NOCOLORKEY;
  *key = key_;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetPalette(IDirectDrawPalette* palette) {
  Attach(palette_, palette);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetPalette(IDirectDrawPalette** palette) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = palette_;
  if (!palette_) return DDERR_NOTFOUND;
  palette_->AddRef();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper* clipper) {
  Attach(clipper_, clipper);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetDC(HDC* dc) {
  if (!dc) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (locked_) return DDERR_SURFACEBUSY;
  IDirectDrawPalette* palette = palette_ ? palette_ : (dd_->primary_ ? dd_->primary_->palette_ : nullptr);
  dc_ = video::CreatePixelsDC(&pixels_, palette ? palette->Entries() : nullptr);
  locked_ = true;
  *dc = dc_;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::ReleaseDC(HDC dc) {
  if (!dc_ || dc != dc_) return DDERR_INVALIDPARAMS;
  DeleteDC(dc_);
  dc_ = nullptr;
  locked_ = false;
  ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT IDirectDrawSurface7::Restore() {
  lost_ = false;
  for (IDirectDrawSurface7* back : backBuffers_) back->lost_ = false;
  return DD_OK;
}

void IDirectDrawSurface7::Lose() {
  if (!InVideoMemory()) return;
  lost_ = true;
  pixels_.Scramble();
}

// ---------------------------------------------------------------------------------------------
// The DirectDraw object

IDirectDraw7::IDirectDraw7() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_objects.insert(this);
}

IDirectDraw7::~IDirectDraw7() {
  video::LeaveExclusive(this);
  std::lock_guard<std::mutex> lock(g_registryMutex);
  g_objects.erase(this);
}

video::DisplayMode IDirectDraw7::Mode() const { return modeSet_ ? mode_ : video::DesktopMode(); }

HRESULT IDirectDraw7::SetCooperativeLevel(HWND hwnd, DWORD flags) {
  bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
  if (fullScreen != ((flags & DDSCL_EXCLUSIVE) != 0)) return DDERR_INVALIDPARAMS;
  if (!fullScreen && !(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
  if (hwnd && !IsWindow(hwnd)) return DDERR_INVALIDPARAMS;
  if (fullScreen && !hwnd) return DDERR_INVALIDPARAMS;
  coopWindow_ = hwnd;
  coopFlags_ = flags;
  if (fullScreen) {
    video::EnterExclusive(this, Mode());
  } else {
    modeSet_ = false;
    video::LeaveExclusive(this);
  }
  return DD_OK;
}

HRESULT IDirectDraw7::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refresh, DWORD) {
  if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
  video::PixelFormat format;
  if (width == 0 || height == 0 || width > 8192 || height > 8192 || !video::FormatForDepth(static_cast<int>(bpp), &format))
    return DDERR_INVALIDMODE;
  if (!video::RefreshSupported(static_cast<int>(refresh))) return DDERR_INVALIDMODE;
  mode_ = {static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp),
           refresh ? static_cast<int>(refresh) : video::DesktopMode().refresh};
  modeSet_ = true;
  video::EnterExclusive(this, mode_);
  return DD_OK;
}

HRESULT IDirectDraw7::RestoreDisplayMode() {
  modeSet_ = false;
  if (Exclusive()) video::EnterExclusive(this, Mode());
  return DD_OK;
}

HRESULT IDirectDraw7::GetDisplayMode(DDSURFACEDESC2* desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  video::DisplayMode m = Mode();
  video::PixelFormat format = video::PixelFormat::X8R8G8B8;
  video::FormatForDepth(m.bpp, &format);
  DWORD size = desc->dwSize;
  *desc = {};
  desc->dwSize = size;
  desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(m.width);
  desc->dwHeight = static_cast<DWORD>(m.height);
  desc->dwRefreshRate = static_cast<DWORD>(m.refresh);
  DescribeFormat(format, &desc->ddpfPixelFormat);
  return DD_OK;
}

HRESULT IDirectDraw7::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void*) {
  if (!desc || !out || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!coopFlags_) return DDERR_NOCOOPERATIVELEVELSET;
  video::DisplayMode mode = Mode();
  video::PixelFormat format;
  if (!video::FormatForDepth(mode.bpp, &format)) return DDERR_INVALIDPIXELFORMAT;
  DWORD caps = desc->ddsCaps.dwCaps;
  int pad = video::PitchPad();

  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (!Exclusive()) {
      if (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) return DDERR_NOEXCLUSIVEMODE;
      auto* s = new IDirectDrawSurface7(this, caps | DDSCAPS_VIDEOMEMORY | DDSCAPS_FRONTBUFFER,
                                        video::PixelBuffer(0, 0, format, pad), 0);
      s->windowedPrimary_ = true;
      s->FitFrontBuffer();
      primary_ = s;
      *out = s;
      return DD_OK;
    }
    int backs = 0;
    if (caps & DDSCAPS_FLIP) {
      if (!(caps & DDSCAPS_COMPLEX) || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount < 1 ||
          desc->dwBackBufferCount > 3)
        return DDERR_INVALIDPARAMS;
      backs = static_cast<int>(desc->dwBackBufferCount);
    }
    size_t bytes = video::PixelBuffer(mode.width, mode.height, format, pad).SizeBytes();
    if (!video::ChargeVideoMemory(bytes * (backs + 1))) return DDERR_OUTOFVIDEOMEMORY;
    auto* primary = new IDirectDrawSurface7(this, caps | DDSCAPS_VIDEOMEMORY | DDSCAPS_FRONTBUFFER,
                                            video::PixelBuffer(mode.width, mode.height, format, pad), bytes);
    for (int i = 0; i < backs; ++i)
      primary->backBuffers_.push_back(new IDirectDrawSurface7(
          this, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY,
          video::PixelBuffer(mode.width, mode.height, format, pad), bytes));
    primary_ = primary;
    *out = primary;
    return DD_OK;
  }

  if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT) || desc->dwWidth == 0 || desc->dwHeight == 0 ||
      desc->dwWidth > 16384 || desc->dwHeight > 16384)
    return DDERR_INVALIDPARAMS;
  video::PixelBuffer pixels(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight), format, pad);
  size_t charged = 0;
  if (caps & DDSCAPS_SYSTEMMEMORY) {
    caps &= ~DDSCAPS_VIDEOMEMORY;
  } else {
    if (!video::ChargeVideoMemory(pixels.SizeBytes())) return DDERR_OUTOFVIDEOMEMORY;
    charged = pixels.SizeBytes();
    caps |= DDSCAPS_VIDEOMEMORY;
  }
  auto* s = new IDirectDrawSurface7(this, caps, std::move(pixels), charged);
  if (desc->dwFlags & DDSD_CKSRCBLT) s->SetColorKey(DDCKEY_SRCBLT, &desc->ddckCKSrcBlt);
  *out = s;
  return DD_OK;
}

HRESULT IDirectDraw7::CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** out, void*) {
  if (!out || !entries || !(flags & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
  auto* p = new IDirectDrawPalette(this);
  p->SetEntries(0, 0, 256, entries);
  *out = p;
  return DD_OK;
}

HRESULT IDirectDraw7::CreateClipper(DWORD, IDirectDrawClipper** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = new IDirectDrawClipper(this);
  return DD_OK;
}

HRESULT IDirectDraw7::FlipToGDISurface() { return DD_OK; }

HRESULT IDirectDraw7::GetAvailableVidMem(DDSCAPS2*, DWORD* total, DWORD* free) {
  auto clamp = [](size_t v) { return static_cast<DWORD>(std::min<size_t>(v, 0xFFFFFFFFu)); };
  if (total) *total = clamp(video::VideoMemoryTotal());
  if (free) *free = clamp(video::VideoMemoryFree());
  return DD_OK;
}

HRESULT IDirectDraw7::GetMonitorFrequency(DWORD* hz) {
  if (!hz) return DDERR_INVALIDPARAMS;
  *hz = static_cast<DWORD>(Mode().refresh);
  return DD_OK;
}

HRESULT IDirectDraw7::WaitForVerticalBlank(DWORD, HANDLE) {
  lastVBlank_ = video::WaitVBlank(Mode().refresh, hadVBlank_ ? &lastVBlank_ : nullptr);
  hadVBlank_ = true;
  return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID*, void** out, const GUID& iid, void*) {
  if (!out || !(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
  *out = new IDirectDraw7();
  return DD_OK;
}

namespace video::test {
void LoseSurfaces() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  for (IDirectDraw7* dd : g_objects)
    for (IDirectDrawSurface7* s : dd->surfaces_) s->Lose();
}
}  // namespace video::test
