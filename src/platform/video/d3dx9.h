// The D3DX helpers the game uses, over the Direct3D stand-in.
#pragma once
#include "platform/video/d3d9.h"

// A one-level texture. Like D3DX, it makes the size fit the device first: 0 becomes 256, sides are
// raised to powers of two and made square when the device needs it, and cut to its largest size.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);
