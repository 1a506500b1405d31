// The D3DX helpers the game uses, over the Direct3D stand-in: blank textures, textures from bitmap
// files with a colour key, the sprite object that brackets text drawing, and fonts.
#pragma once
#include <memory>

#include "platform/video/d3d9.h"

namespace text {
class Face;
}

typedef DWORD D3DCOLOR;

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3DHResult(2905);

constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 0x00000001;
constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x00000010;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 0x00000080;

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
};

// A one-level texture. Like D3DX, it makes the size fit the device first: 0 becomes 256, sides are
// raised to powers of two and made square when the device needs it, and cut to its largest size.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);

// A one-level texture holding a bitmap file (a game path). A width or height of 0 or D3DX_DEFAULT
// takes the picture's; the size is then fitted to the device as D3DXCreateTexture does. The picture
// sits unscaled at the top left (the filter is not applied) and the rest of the texture is
// transparent black; a pixel whose colour as opaque ARGB equals a non-zero colour key becomes
// transparent black as well. The picture's size goes to the image information when it is asked for.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture);

// The sprite object: Begin and End bracket a batch of drawing; a lost device needs OnLostDevice
// before the reset and OnResetDevice after it, and no batch can begin in between.
class ID3DXSprite final : public video::RefCounted {
 public:
  HRESULT Begin(DWORD flags);
  HRESULT End();
  HRESULT OnLostDevice();
  HRESULT OnResetDevice();
  HRESULT GetDevice(IDirect3DDevice9** device);
  bool InBatch() const { return begun_; }

 private:
  friend HRESULT D3DXCreateSprite(IDirect3DDevice9*, ID3DXSprite**);
  explicit ID3DXSprite(IDirect3DDevice9* device);
  ~ID3DXSprite() override;
  IDirect3DDevice9* device_;
  bool begun_ = false;
  bool lost_ = false;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);

// Fonts: code page 932 text through the text service, its glyph coverage times the colour's alpha
// blended over the device's current render target (source alpha over the inverse).
constexpr DWORD DT_TOP = 0x00000000;
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;

struct D3DXFONT_DESCA {
  int32_t Height;
  UINT Width;
  UINT Weight;
  UINT MipLevels;
  BOOL Italic;
  BYTE CharSet;
  BYTE OutputPrecision;
  BYTE Quality;
  BYTE PitchAndFamily;
  char FaceName[32];
};

class ID3DXFont final : public video::RefCounted {
 public:
  // count bytes of text (-1: up to its end) from the rectangle's top-left, lines at '\n'; returns
  // the height drawn. DT_CALCRECT only measures, setting the rectangle's right and bottom. Nothing is
  // drawn while the device is lost.
  int DrawTextA(ID3DXSprite* sprite, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color);
  HRESULT OnLostDevice();
  HRESULT OnResetDevice();

 private:
  friend HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9*, const D3DXFONT_DESCA*, ID3DXFont**);
  ID3DXFont(IDirect3DDevice9* device, std::shared_ptr<const text::Face> face);
  ~ID3DXFont() override;
  IDirect3DDevice9* device_;
  std::shared_ptr<const text::Face> face_;
  bool lost_ = false;
};

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc, ID3DXFont** font);

namespace video::test {
// Makes D3DXCreateFontIndirectA fail (until switched off).
void FailD3DXCreateFont(bool on);
}  // namespace video::test
