#include "platform/video/d3dx9.h"

#include <algorithm>

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
