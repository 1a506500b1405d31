#include "platform/video/d3dx9.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/text/fontface.h"

#include "platform/video/bmp.h"

namespace {
UINT NextPow2(UINT n) {
  UINT p = 1;
  while (p < n) p <<= 1;
  return p;
}
}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture) {
  if (!device || !texture) return D3DERR_INVALIDCALL;
  D3DCAPS9 caps;
  if (FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
  if (width == 0) width = 256;
  if (height == 0) height = 256;
  if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
    width = NextPow2(width);
    height = NextPow2(height);
  }
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = std::max(width, height);
  width = std::min<UINT>(width, caps.MaxTextureWidth);
  height = std::min<UINT>(height, caps.MaxTextureHeight);
  return device->CreateTexture(width, height, 1, usage, format, pool, texture, nullptr);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD, DWORD,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY*,
                                     IDirect3DTexture9** texture) {
  if (!device || !file || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  video::BmpImage image;
  if (!video::LoadBmpFile(file, &image)) return D3DXERR_INVALIDDATA;
  if (width == 0 || width == D3DX_DEFAULT) width = static_cast<UINT>(image.width);
  if (height == 0 || height == D3DX_DEFAULT) height = static_cast<UINT>(image.height);
  HRESULT hr = D3DXCreateTexture(device, width, height, mipLevels, usage, format, pool, texture);
  if (FAILED(hr)) return hr;
  IDirect3DSurface9* level = nullptr;
  (*texture)->GetSurfaceLevel(0, &level);
  video::PixelBuffer& pixels = video::SurfacePixels(level);
  level->Release();
  video::PixelFormat pf = pixels.Format();
  int w = std::min(image.width, pixels.Width()), h = std::min(image.height, pixels.Height());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t argb = image.ArgbAt(x, y);
      pixels.Set(x, y, (colorKey != 0 && argb == colorKey) ? 0 : video::PackArgb(pf, argb));
    }
  }
  if (info) *info = {static_cast<UINT>(image.width), static_cast<UINT>(image.height), 1, 1, format};
  return D3D_OK;
}

ID3DXSprite::ID3DXSprite(IDirect3DDevice9* device) : device_(device) { device_->AddRef(); }
ID3DXSprite::~ID3DXSprite() { device_->Release(); }

HRESULT ID3DXSprite::Begin(DWORD) {
  if (begun_ || lost_) return D3DERR_INVALIDCALL;
  begun_ = true;
  return D3D_OK;
}

HRESULT ID3DXSprite::End() {
  if (!begun_) return D3DERR_INVALIDCALL;
  begun_ = false;
  return D3D_OK;
}

HRESULT ID3DXSprite::OnLostDevice() {
  begun_ = false;
  lost_ = true;
  return D3D_OK;
}

HRESULT ID3DXSprite::OnResetDevice() {
  lost_ = false;
  return D3D_OK;
}

HRESULT ID3DXSprite::GetDevice(IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  device_->AddRef();
  return D3D_OK;
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
  if (!device || !sprite) return D3DERR_INVALIDCALL;
  *sprite = new ID3DXSprite(device);
  return D3D_OK;
}

namespace {
std::atomic<bool> g_failFont{false};

// Blends the colour with coverage x alpha over the render target.
class TargetSink final : public text::SpanSink {
 public:
  TargetSink(video::PixelBuffer& out, D3DCOLOR color) : out_(out), color_(color), alpha_(color >> 24) {
    solid_ = video::PackArgb(out.Format(), color | 0xFF000000u);
  }
  void Span(int x, int y, const uint8_t* coverage, int count) override {
    if (y < 0 || y >= out_.Height()) return;
    const int from = std::max(0, -x), to = std::min(count, out_.Width() - x);
    if (out_.Format() == video::PixelFormat::X8R8G8B8 || out_.Format() == video::PixelFormat::A8R8G8B8) {
      const uint32_t opaque = out_.Format() == video::PixelFormat::X8R8G8B8 ? 0xFF000000u : 0u;
      uint32_t* row = reinterpret_cast<uint32_t*>(out_.Row(y)) + x;
      for (int i = from; i < to; ++i) {
        if (!coverage[i]) continue;
        uint32_t a = coverage[i] * alpha_ / 255;
        row[i] = a == 255 ? solid_ : Blend(a, row[i] | opaque) | opaque;
      }
      return;
    }
    for (int i = from; i < to; ++i) {
      int px = x + i;
      if (!coverage[i]) continue;
      uint32_t a = coverage[i] * alpha_ / 255;
      if (a == 255) {
        out_.Set(px, y, solid_);
        continue;
      }
      out_.Set(px, y, video::PackArgb(out_.Format(), Blend(a, video::UnpackArgb(out_.Format(), out_.Get(px, y)))));
    }
  }

 private:
  // The colour with alpha a over the ARGB pixel d, on all four channels.
  uint32_t Blend(uint32_t a, uint32_t d) const {
    uint32_t s = (color_ & 0x00FFFFFFu) | a << 24;
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      uint32_t sc = s >> shift & 0xFF, dc = d >> shift & 0xFF;
      r |= ((sc * a + dc * (255 - a)) / 255) << shift;
    }
    return r;
  }

  video::PixelBuffer& out_;
  D3DCOLOR color_;
  uint32_t alpha_;
  uint32_t solid_ = 0;
};
}  // namespace

namespace video::test {
void FailD3DXCreateFont(bool on) { g_failFont = on; }
}  // namespace video::test

ID3DXFont::ID3DXFont(IDirect3DDevice9* device, std::shared_ptr<const text::Face> face)
    : device_(device), face_(std::move(face)) {
  device_->AddRef();
}
ID3DXFont::~ID3DXFont() { device_->Release(); }

HRESULT ID3DXFont::OnLostDevice() {
  lost_ = true;
  return D3D_OK;
}

HRESULT ID3DXFont::OnResetDevice() {
  lost_ = false;
  return D3D_OK;
}

int ID3DXFont::DrawTextA(ID3DXSprite*, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) {
  if (!text || !rect) return 0;
  size_t n = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
  const int line = face_->CellHeight();
  int width = 0, lines = 0;
  for (size_t start = 0;;) {
    const char* nl = static_cast<const char*>(std::memchr(text + start, '\n', n - start));
    size_t end = nl ? static_cast<size_t>(nl - text) : n;
    if (format & DT_CALCRECT) width = std::max(width, face_->Measure(text + start, end - start));
    ++lines;
    if (!nl) break;
    start = end + 1;
  }
  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + lines * line;
    return lines * line;
  }
  if (lost_) return 0;
  IDirect3DSurface9* target = nullptr;
  if (FAILED(device_->GetRenderTarget(0, &target)) || !target) return 0;
  TargetSink sink(video::SurfacePixels(target), color);
  int y = rect->top;
  for (size_t start = 0;; y += line) {
    const char* nl = static_cast<const char*>(std::memchr(text + start, '\n', n - start));
    size_t end = nl ? static_cast<size_t>(nl - text) : n;
    face_->Draw(text + start, end - start, rect->left, y, text::Rendering::Coverage, sink);
    if (!nl) break;
    start = end + 1;
  }
  target->Release();
  return lines * line;
}

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc, ID3DXFont** font) {
  if (!device || !desc || !font) return D3DERR_INVALIDCALL;
  *font = nullptr;
  if (g_failFont) return E_OUTOFMEMORY;
  std::string face(desc->FaceName, strnlen(desc->FaceName, sizeof desc->FaceName));
  int height = desc->Height < 0 ? -desc->Height : desc->Height;
  *font = new ID3DXFont(device, text::OpenFace(face, height, static_cast<int>(desc->Width)));
  return D3D_OK;
}
