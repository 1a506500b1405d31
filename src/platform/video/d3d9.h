// Direct3D 9, in software: the object with the adapter's caps and display mode, a device for a
// window or the full screen, textures, off-screen surfaces, vertex buffers, render targets, Clear,
// scenes, the render, sampler and texture-stage states, Present, device loss and Reset. Names,
// structures, result codes and constants are Direct3D's; only what the game uses exists. A device
// draws into pixel buffers on the CPU; Present hands the back buffer to the presenter, waiting for
// the display's next vertical blank unless the presentation interval is immediate.
// Rules kept from Direct3D: render-target textures and other textures of the device's own memory
// (D3DPOOL_DEFAULT) cannot be locked, lose their contents with the device and must all be released
// before Reset, as must every reference to the back buffer; managed and system-memory resources
// survive a reset. The device does not keep bound resources alive.
#pragma once
#include <set>
#include <vector>

#include "platform/video/display.h"
#include "platform/video/object.h"
#include "platform/video/pixels.h"
#include "platform/video/raster.h"
#include "platform/video/wintypes.h"

typedef DWORD D3DFORMAT;
typedef DWORD D3DPOOL;
typedef DWORD D3DDEVTYPE;
typedef DWORD D3DRESOURCETYPE;
typedef DWORD D3DSWAPEFFECT;
typedef DWORD D3DMULTISAMPLE_TYPE;
typedef DWORD D3DBACKBUFFER_TYPE;
typedef DWORD D3DRENDERSTATETYPE;
typedef DWORD D3DSAMPLERSTATETYPE;
typedef DWORD D3DTEXTURESTAGESTATETYPE;
typedef DWORD D3DPRIMITIVETYPE;

constexpr HRESULT MakeD3DHResult(int code) { return static_cast<HRESULT>(0x88760000u + static_cast<uint32_t>(code)); }

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DHResult(380);
constexpr HRESULT D3DERR_WASSTILLDRAWING = MakeD3DHResult(540);
constexpr HRESULT D3DERR_NOTFOUND = MakeD3DHResult(2150);
constexpr HRESULT D3DERR_DEVICELOST = MakeD3DHResult(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DHResult(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DHResult(2154);
constexpr HRESULT D3DERR_INVALIDDEVICE = MakeD3DHResult(2155);
constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DHResult(2156);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;

constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_R8G8B8 = 20;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_X1R5G5B5 = 24;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_P8 = 41;
constexpr D3DFORMAT D3DFMT_INDEX16 = 101;
constexpr D3DFORMAT D3DFMT_INDEX32 = 102;

constexpr D3DPOOL D3DPOOL_DEFAULT = 0;
constexpr D3DPOOL D3DPOOL_MANAGED = 1;
constexpr D3DPOOL D3DPOOL_SYSTEMMEM = 2;
constexpr D3DPOOL D3DPOOL_SCRATCH = 3;

constexpr D3DDEVTYPE D3DDEVTYPE_HAL = 1;
constexpr D3DDEVTYPE D3DDEVTYPE_REF = 2;

constexpr D3DRESOURCETYPE D3DRTYPE_SURFACE = 1;
constexpr D3DRESOURCETYPE D3DRTYPE_TEXTURE = 3;
constexpr D3DRESOURCETYPE D3DRTYPE_VERTEXBUFFER = 6;
constexpr D3DRESOURCETYPE D3DRTYPE_INDEXBUFFER = 7;

constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLELIST = 4;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLESTRIP = 5;

constexpr D3DSWAPEFFECT D3DSWAPEFFECT_DISCARD = 1;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_FLIP = 2;
constexpr D3DSWAPEFFECT D3DSWAPEFFECT_COPY = 3;

constexpr D3DMULTISAMPLE_TYPE D3DMULTISAMPLE_NONE = 0;
constexpr D3DBACKBUFFER_TYPE D3DBACKBUFFER_TYPE_MONO = 0;

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
constexpr DWORD D3DUSAGE_SOFTWAREPROCESSING = 0x00000010;
constexpr DWORD D3DUSAGE_DONOTCLIP = 0x00000020;
constexpr DWORD D3DUSAGE_POINTS = 0x00000040;
constexpr DWORD D3DUSAGE_RTPATCHES = 0x00000080;
constexpr DWORD D3DUSAGE_NPATCHES = 0x00000100;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;
constexpr DWORD D3DUSAGE_AUTOGENMIPMAP = 0x00000400;
constexpr DWORD D3DUSAGE_DMAP = 0x00004000;

constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_TEX1 = 0x100;

constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

constexpr DWORD D3DLOCK_NOOVERWRITE = 0x00001000;
constexpr DWORD D3DLOCK_DISCARD = 0x00002000;

constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;

constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;

constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
constexpr DWORD D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD = 0x00000020;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;

// Render states and their values.
constexpr D3DRENDERSTATETYPE D3DRS_ZENABLE = 7;
constexpr D3DRENDERSTATETYPE D3DRS_SRCBLEND = 19;
constexpr D3DRENDERSTATETYPE D3DRS_DESTBLEND = 20;
constexpr D3DRENDERSTATETYPE D3DRS_CULLMODE = 22;
constexpr D3DRENDERSTATETYPE D3DRS_ALPHABLENDENABLE = 27;
constexpr D3DRENDERSTATETYPE D3DRS_TEXTUREFACTOR = 60;
constexpr D3DRENDERSTATETYPE D3DRS_LIGHTING = 137;
constexpr D3DRENDERSTATETYPE D3DRS_COLORVERTEX = 141;
constexpr D3DRENDERSTATETYPE D3DRS_DIFFUSEMATERIALSOURCE = 145;
constexpr DWORD D3DZB_FALSE = 0;
constexpr DWORD D3DZB_TRUE = 1;
constexpr DWORD D3DBLEND_ZERO = 1;
constexpr DWORD D3DBLEND_ONE = 2;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DBLEND_DESTALPHA = 7;
constexpr DWORD D3DBLEND_INVDESTALPHA = 8;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;
constexpr DWORD D3DMCS_MATERIAL = 0;
constexpr DWORD D3DMCS_COLOR1 = 1;

// Sampler states and their values.
constexpr D3DSAMPLERSTATETYPE D3DSAMP_ADDRESSU = 1;
constexpr D3DSAMPLERSTATETYPE D3DSAMP_ADDRESSV = 2;
constexpr D3DSAMPLERSTATETYPE D3DSAMP_MAGFILTER = 5;
constexpr D3DSAMPLERSTATETYPE D3DSAMP_MINFILTER = 6;
constexpr D3DSAMPLERSTATETYPE D3DSAMP_MIPFILTER = 7;
constexpr DWORD D3DTADDRESS_WRAP = 1;
constexpr DWORD D3DTADDRESS_CLAMP = 3;
constexpr DWORD D3DTEXF_NONE = 0;
constexpr DWORD D3DTEXF_POINT = 1;
constexpr DWORD D3DTEXF_LINEAR = 2;

// Texture-stage states, operations and arguments.
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLOROP = 1;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG1 = 2;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_COLORARG2 = 3;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAOP = 4;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG1 = 5;
constexpr D3DTEXTURESTAGESTATETYPE D3DTSS_ALPHAARG2 = 6;
constexpr DWORD D3DTOP_DISABLE = 1;
constexpr DWORD D3DTOP_SELECTARG1 = 2;
constexpr DWORD D3DTOP_SELECTARG2 = 3;
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTOP_MODULATE2X = 5;
constexpr DWORD D3DTOP_MODULATE4X = 6;
constexpr DWORD D3DTOP_ADD = 7;
constexpr DWORD D3DTOP_ADDSIGNED = 8;
constexpr DWORD D3DTOP_SUBTRACT = 10;
constexpr DWORD D3DTOP_BLENDFACTORALPHA = 14;
constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_CURRENT = 1;
constexpr DWORD D3DTA_TEXTURE = 2;
constexpr DWORD D3DTA_TFACTOR = 3;

struct D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

// The capabilities the game reads.
struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps;
  DWORD Caps2;
  DWORD Caps3;
  DWORD PresentationIntervals;
  DWORD TextureCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
  DWORD MaxTextureBlendStages;
  DWORD MaxSimultaneousTextures;
};

// What an adapter says of itself.
struct D3DADAPTER_IDENTIFIER9 {
  char Driver[512];
  char Description[512];
  char DeviceName[32];
  LARGE_INTEGER DriverVersion;
  DWORD VendorId;
  DWORD DeviceId;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DLOCKED_RECT {
  int Pitch;
  void* pBits;
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DTexture9;
class IDirect3DSurface9;
namespace video {
// The pixels behind a surface, for the other parts of this layer (D3DX fills its textures so).
PixelBuffer& SurfacePixels(IDirect3DSurface9* surface);
}  // namespace video
namespace video::test {
void LoseDevice();
void AllowDeviceReset();
}  // namespace video::test

class IDirect3DSurface9 final : public video::RefCounted {
 public:
  // A level of a texture shares the texture's count.
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc);
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT UnlockRect();

  // For tests: the pixels as they are.
  const video::PixelBuffer& Pixels() const { return lender_ ? lender_->pixels_ : pixels_; }

 private:
  friend class IDirect3DDevice9;
  friend class IDirect3DTexture9;
  friend void video::test::LoseDevice();
  friend video::PixelBuffer& video::SurfacePixels(IDirect3DSurface9*);
  // A texture level (container set) and the back buffer (holdsDevice false) keep no reference to
  // the device; other surfaces do.
  IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, bool lockable,
                    IDirect3DTexture9* container, size_t charged, bool holdsDevice);
  ~IDirect3DSurface9() override;

  IDirect3DDevice9* device_;
  IDirect3DTexture9* container_;
  D3DSURFACE_DESC desc_;
  bool lockable_;
  bool holdsDevice_;
  bool locked_ = false;
  size_t charged_;
  video::PixelBuffer pixels_;

  // A system-memory twin filled from a render target shares the render target's storage until
  // either of them is written by other means than the twin's lock: reading back and uploading
  // again then cost nothing.
  IDirect3DSurface9* lender_ = nullptr;    // the render target whose pixels this twin shows
  IDirect3DSurface9* borrower_ = nullptr;  // the twin showing this render target's pixels
  // The pixels this surface shows.
  video::PixelBuffer& Storage() { return lender_ ? lender_->pixels_ : pixels_; }
  // Ends the sharing this surface takes part in; each side keeps the pixels it shows.
  void Unshare();
  // The pixels, about to be written by other means than the twin's lock.
  video::PixelBuffer& ForWrite() {
    Unshare();
    return pixels_;
  }
};

class IDirect3DTexture9 final : public video::RefCounted {
 public:
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface);
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
  DWORD GetLevelCount() { return 1; }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT UnlockRect(UINT level);

 private:
  friend class IDirect3DDevice9;
  friend class IDirect3DSurface9;
  friend void video::test::LoseDevice();
  IDirect3DTexture9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, bool lockable, size_t charged);
  ~IDirect3DTexture9() override;
  IDirect3DDevice9* device_;
  IDirect3DSurface9* level_;
};

namespace video {
// The bytes of a vertex or index buffer, locked whole or in part, one lock at a time.
class BufferBytes : public RefCounted {
 public:
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
  HRESULT Unlock();
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 protected:
  explicit BufferBytes(UINT length) : bytes_(length, 0) {}
  std::vector<uint8_t> bytes_;
  bool locked_ = false;
};
}  // namespace video

class IDirect3DVertexBuffer9 final : public video::BufferBytes {
 private:
  friend class IDirect3DDevice9;
  IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  ~IDirect3DVertexBuffer9() override;
  IDirect3DDevice9* device_;
  DWORD usage_;
  DWORD fvf_;
  D3DPOOL pool_;
};

class IDirect3DIndexBuffer9 final : public video::BufferBytes {
 private:
  friend class IDirect3DDevice9;
  IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT length, D3DFORMAT format);
  ~IDirect3DIndexBuffer9() override;
  IDirect3DDevice9* device_;
  D3DFORMAT format_;
};

class IDirect3DDevice9 final : public video::RefCounted {
 public:
  HRESULT TestCooperativeLevel();
  UINT GetAvailableTextureMem();
  HRESULT GetDeviceCaps(D3DCAPS9* caps);
  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface);
  HRESULT Reset(D3DPRESENT_PARAMETERS* params);
  HRESULT Present(const RECT* src, const RECT* dst, HWND window, const void* dirty);
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE* shared);
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** vb,
                             HANDLE* shared);
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** surface, HANDLE* shared);
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, DWORD color, float z, DWORD stencil);
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value);
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value);
  HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination);
  HRESULT UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,
                        const POINT* destPoint);
  HRESULT SetDialogBoxMode(BOOL on);

  // Drawing: pre-transformed quads of the XYZRHW | DIFFUSE | TEX1 format (stride 28), as triangle
  // lists or strips, inside a scene, into the render target, with texture stage 0 and the blend
  // states. The device does not keep what is bound alive; a released resource is unbound.
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** ib,
                            HANDLE* shared);
  HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture);
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* data, UINT offset, UINT stride);
  HRESULT SetIndices(IDirect3DIndexBuffer9* indices);
  HRESULT SetFVF(DWORD fvf);
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int baseVertexIndex, UINT minVertexIndex, UINT numVertices,
                               UINT startIndex, UINT primitiveCount);

 private:
  friend class IDirect3D9;
  friend class IDirect3DSurface9;
  friend class IDirect3DTexture9;
  friend class IDirect3DVertexBuffer9;
  friend class IDirect3DIndexBuffer9;
  friend void video::test::LoseDevice();
  friend void video::test::AllowDeviceReset();
  enum class State { Working, Lost, NotReset };
  IDirect3DDevice9(IDirect3D9* d3d, HWND focus);
  ~IDirect3DDevice9() override;
  HRESULT Configure(D3DPRESENT_PARAMETERS* params);
  void SetDefaultStates();
  void Forget(IDirect3DSurface9* surface);
  bool HoldsDefaultResources() const;
  HRESULT CheckDraw() const;
  // Whole vertices in the stream after its offset.
  size_t StreamVertices() const;
  // Draws the triangles of the vertices in the order given.
  void Rasterize(D3DPRIMITIVETYPE type, const std::vector<uint8_t>& vertices, const std::vector<UINT>& order,
                 UINT primitiveCount);

  IDirect3D9* d3d_;
  HWND focus_;
  D3DPRESENT_PARAMETERS params_{};
  State state_ = State::Working;
  IDirect3DSurface9* backBuffer_ = nullptr;
  IDirect3DSurface9* renderTarget_ = nullptr;
  bool inScene_ = false;
  bool dialogBoxMode_ = false;
  uint32_t lastVBlank_ = 0;
  bool hadVBlank_ = false;
  DWORD renderStates_[256] = {};
  DWORD samplerStates_[16][16] = {};
  DWORD stageStates_[8][33] = {};
  std::set<IDirect3DTexture9*> textures_;
  std::set<IDirect3DSurface9*> surfaces_;  // stand-alone surfaces other than the back buffer
  IDirect3DTexture9* boundTextures_[8] = {};
  IDirect3DVertexBuffer9* stream_ = nullptr;
  UINT streamOffset_ = 0;
  UINT streamStride_ = 0;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  DWORD fvf_ = 0;
  // Reused by every draw, so that drawing does not allocate.
  std::vector<UINT> scratchOrder_;
  std::vector<video::RasterVertex> scratchVertices_;
};

class IDirect3D9 final : public video::RefCounted {
 public:
  UINT GetAdapterCount() { return 1; }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode);
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps);
  // The one adapter is the software rasterizer of this layer.
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier);
  // Whether a resource of the format, type and usage can be made on a display of the adapter format:
  // D3D_OK when the device makes it, D3DERR_NOTAVAILABLE for a format or usage the rasterizer does
  // not have (depth buffers, mipmap generation, displacement maps, palettised textures),
  // D3DERR_INVALIDCALL for an adapter, device type or usage that does not apply to the resource.
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device);

 private:
  friend IDirect3D9* Direct3DCreate9(UINT);
  IDirect3D9() = default;
  ~IDirect3D9() override = default;
};

// Null when the machine has no Direct3D 9 (a test switch) or for another SDK version.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

namespace video {
// The pixel format of a Direct3D format; false for formats this layer does not keep.
bool PixelFormatOfD3D(D3DFORMAT format, PixelFormat* out);
D3DFORMAT D3DFormatOfDepth(int bpp);
}  // namespace video
