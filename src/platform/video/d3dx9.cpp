#include "platform/video/d3dx9.h"

#include <algorithm>

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
