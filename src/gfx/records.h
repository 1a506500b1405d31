// The records of the graphics library: a surface with its Direct3D or DirectDraw part, the two
// back-end contexts and the creation descriptor of a surface.
#pragma once
#include <cstdint>
#include <string>

#include "platform/video/d3d9.h"
#include "platform/video/ddraw.h"

enum DTMEMORYTYPE : int32_t {
  DTMEMORYTYPE_VIDEO_RT = 0,   // blank: render-target texture with a system-memory copy; file: managed texture
  DTMEMORYTYPE_SYSTEM = 1,     // dynamic texture in system memory
  DTMEMORYTYPE_VIDEO_NORT = 2, // taken as DTMEMORYTYPE_VIDEO_RT
};

// The Direct3D part of a surface.
struct DTSURFACEDATA {
  int32_t nId = 0;
  IDirect3DSurface9* lpSurface = nullptr;        // level 0 of lpTexture; the device back buffer for BackBuffer
  IDirect3DSurface9* lpSystemSurface = nullptr;  // system-memory twin of a render-target texture
  IDirect3DVertexBuffer9* lpVB = nullptr;        // the quad of the last blit from this surface
  video::RefCounted* lpReserved = nullptr;
  IDirect3DTexture9* lpTexture = nullptr;
  D3DSURFACE_DESC Desc{};
  DTMEMORYTYPE MemType = DTMEMORYTYPE_VIDEO_RT;
  int32_t bColorKey = 0;
  int32_t bRenderTarget = 0;
  BYTE* lpPalIndex = nullptr;  // palette-index copy of the pixels, one byte a pixel
};

// The DirectDraw part of a surface.
struct DDDATA {
  IDirectDrawSurface7* lpDDSurface = nullptr;
  BYTE* lpPalIndex = nullptr;
};

// One surface. Its owner keeps the record; the library allocates and frees only its parts.
struct DDSURFACEDATA {
  DTSURFACEDATA* lpDT;
  DDDATA* lpDDData;
  char szName[260];
  int32_t nWidth;
  int32_t nHeight;
  int32_t nTexWidth;
  int32_t nTexHeight;
  char szFileName[260];  // the bitmap file; "E" for a blank surface; "" for a record never created
  int32_t nDDMemType;     // 0 video memory, 1 system memory
  int32_t nMirrorWidth;
  int32_t nMirrorHeight;
  DDSURFACEDATA* lpPartner;  // Direct3D: the surface whose texture this record shows
  int32_t bLost;             // re-created without its pixels after a loss

  DDSURFACEDATA();
  DDSURFACEDATA(const DDSURFACEDATA&) = default;
  DDSURFACEDATA& operator=(const DDSURFACEDATA&) = default;
  // A record that moves (a growing vector, an erase before it) takes its entry in the surface list
  // along, so the list never points at the place it left. The record moved from is left without
  // back-end parts.
  DDSURFACEDATA(DDSURFACEDATA&& other) noexcept;
  DDSURFACEDATA& operator=(DDSURFACEDATA&& other) noexcept;
};

// The Direct3D context.
struct DTCONTEXT {
  D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
  D3DFORMAT TextureFormat = D3DFMT_UNKNOWN;
  D3DPRESENT_PARAMETERS d3dpp{};
  UINT nAdapter = 0;
  D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
  D3DFORMAT DisplayFormat = D3DFMT_UNKNOWN;
  D3DCAPS9 Caps{};
  int32_t bPow2 = 0;
  int32_t bSquareOnly = 0;
  int32_t bDynamicTextures = 0;
  int32_t bVirtual = 0;
  DDSURFACEDATA* lpRestTarget = nullptr;  // where the render target returns after every draw
  int32_t bCopying = 0;
  RGBTRIPLE rgbTransmit{};
  RGBTRIPLE rgbTransmitFile{};
  DWORD dwTransmit_32 = 0;
  DWORD dwTransmitKey_32 = 0;
  WORD wTransmit_16 = 0;
  WORD wTransmitKey_16 = 0;
  int32_t bSceneOpen = 0;
  DWORD dwDrawColor = 0xFFFFFFFF;
  DWORD dwColorOp = D3DTOP_MODULATE;
  DWORD dwAlphaOp = D3DTOP_MODULATE;
  int32_t nNextSurfaceId = 0;
  int32_t nNextFontId = 0;
  std::string strTextureError;
};

// The DirectDraw context.
struct DDCONTEXT {
  RGBTRIPLE rgbTransmit{};
  RGBTRIPLE rgbTransmitFile{};
  int32_t nNextFontId = 0;
};

// How to make one surface; "E" as the file name makes a blank surface of nWidth x nHeight.
struct DDBITMAPDATA {
  char szFileName[260] = {};
  int32_t bColorKey = 0;
  int32_t nDDMemType = 0;
  int32_t nDTMemType = 0;
  DDSURFACEDATA* lpPartner = nullptr;
  int32_t bPalIndex = 0;
  int32_t bOptional = 0;
  int32_t nMirrorWidth = 0;
  int32_t nMirrorHeight = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
};
