// DirectDraw 7, in software: the object, display mode and cooperative level, the primary surface
// with its flip chain, off-screen surfaces in video or system memory, Lock, Blt and BltFast with a
// source colour key or a colour fill, palettes, clippers and surface loss. Names, structures, result
// codes and constants are DirectDraw's; only what the game uses exists. Every surface has the
// display's pixel format. The primary's picture goes to the presenter whenever it changes (Flip, a
// blit onto it, Unlock); at 8 bits it is shown through the palette set on the primary. A windowed
// primary is addressed in desktop coordinates and shows the client area of its clipper's window.
#pragma once
#include <set>
#include <vector>

#include "platform/video/display.h"
#include "platform/video/object.h"
#include "platform/video/pixels.h"
#include "platform/video/wintypes.h"

extern const GUID IID_IDirectDraw7;

constexpr HRESULT MakeDDHResult(int code) { return static_cast<HRESULT>(0x88760000u + static_cast<uint32_t>(code)); }

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDHResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDHResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDHResult(150);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDHResult(180);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDHResult(212);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDHResult(215);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDHResult(225);
constexpr HRESULT DDERR_NOTFOUND = MakeDDHResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDHResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDHResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDHResult(450);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDHResult(564);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDHResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDHResult(584);

// DDSURFACEDESC2::dwFlags
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_CKSRCBLT = 0x00010000;

// DDSCAPS2::dwCaps
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;

// SetCooperativeLevel
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;

// CreatePalette
constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;

// Blt and BltFast
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_DESTCOLORKEY = 0x00000002;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;

// DDPIXELFORMAT::dwFlags
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  void* lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
};

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};

class IDirectDraw7;
class IDirectDrawSurface7;
namespace video::test {
void LoseSurfaces();
}

class IDirectDrawPalette final : public video::RefCounted {
 public:
  HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries);
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries);
  const PALETTEENTRY* Entries() const { return entries_; }

 private:
  friend class IDirectDraw7;
  explicit IDirectDrawPalette(IDirectDraw7* dd);
  ~IDirectDrawPalette() override;
  IDirectDraw7* dd_;
  PALETTEENTRY entries_[256] = {};
};

class IDirectDrawClipper final : public video::RefCounted {
 public:
  HRESULT SetHWnd(DWORD flags, HWND hwnd);
  HRESULT GetHWnd(HWND* hwnd);

 private:
  friend class IDirectDraw7;
  explicit IDirectDrawClipper(IDirectDraw7* dd);
  ~IDirectDrawClipper() override;
  IDirectDraw7* dd_;
  HWND hwnd_ = nullptr;
};

class IDirectDrawSurface7 final : public video::RefCounted {
 public:
  HRESULT Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx);
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect, DWORD trans);
  HRESULT Flip(IDirectDrawSurface7* target, DWORD flags);
  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out);
  HRESULT GetCaps(DDSCAPS2* caps);
  HRESULT GetPixelFormat(DDPIXELFORMAT* format);
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
  // The whole surface only (rect null).
  HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event);
  HRESULT Unlock(RECT* rect);
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT SetPalette(IDirectDrawPalette* palette);
  HRESULT GetPalette(IDirectDrawPalette** palette);
  HRESULT SetClipper(IDirectDrawClipper* clipper);
  HRESULT IsLost();
  HRESULT Restore();
  // A GDI device context over the surface's pixels, at 8 bits with the palette of the surface or else
  // the primary's. The surface counts as locked until ReleaseDC.
  HRESULT GetDC(HDC* dc);
  HRESULT ReleaseDC(HDC dc);

  // For tests and the presenter: the pixels as they are.
  const video::PixelBuffer& Pixels() const { return pixels_; }

 private:
  friend class IDirectDraw7;
  friend void video::test::LoseSurfaces();
  IDirectDrawSurface7(IDirectDraw7* dd, DWORD caps, video::PixelBuffer pixels, size_t charged);
  ~IDirectDrawSurface7() override;
  bool IsPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
  bool InVideoMemory() const { return !(caps_ & DDSCAPS_SYSTEMMEMORY); }
  HWND FrontWindow() const;
  void FitFrontBuffer();
  void ShowIfPrimary();
  HRESULT CopyFrom(RECT d, IDirectDrawSurface7* src, RECT s, bool key);
  void Lose();

  IDirectDraw7* dd_;
  DWORD caps_;
  video::PixelBuffer pixels_;
  size_t charged_;
  bool windowedPrimary_ = false;
  bool lost_ = false;
  bool locked_ = false;
  HDC dc_ = nullptr;
  bool hasKey_ = false;
  DDCOLORKEY key_{};
  IDirectDrawPalette* palette_ = nullptr;
  IDirectDrawClipper* clipper_ = nullptr;
  std::vector<IDirectDrawSurface7*> backBuffers_;  // of a flip chain's primary, nearest first
};

class IDirectDraw7 final : public video::RefCounted {
 public:
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refresh, DWORD flags);
  HRESULT RestoreDisplayMode();
  HRESULT GetDisplayMode(DDSURFACEDESC2* desc);
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void* outer);
  HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** out, void* outer);
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer);
  HRESULT FlipToGDISurface();
  HRESULT GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free);
  HRESULT GetMonitorFrequency(DWORD* hz);
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event);

 private:
  friend HRESULT DirectDrawCreateEx(GUID*, void**, const GUID&, void*);
  friend class IDirectDrawSurface7;
  friend class IDirectDrawPalette;
  friend class IDirectDrawClipper;
  friend void video::test::LoseSurfaces();
  IDirectDraw7();
  ~IDirectDraw7() override;
  bool Exclusive() const { return (coopFlags_ & DDSCL_EXCLUSIVE) != 0; }
  video::DisplayMode Mode() const;

  HWND coopWindow_ = nullptr;
  DWORD coopFlags_ = 0;
  bool modeSet_ = false;
  video::DisplayMode mode_;
  IDirectDrawSurface7* primary_ = nullptr;
  std::set<IDirectDrawSurface7*> surfaces_;
  uint32_t lastVBlank_ = 0;
  bool hadVBlank_ = false;
};

HRESULT DirectDrawCreateEx(GUID* driver, void** out, const GUID& iid, void* outer);
