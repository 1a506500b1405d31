#include "gfx/globals.h"

#include <algorithm>
#include <cstring>

DTCONTEXT* lpDTCon = nullptr;
DDCONTEXT* lpDDCon = nullptr;
IDirect3DDevice9* lpDevice = nullptr;
IDirect3D9* lpD3D = nullptr;
IDirectDraw7* lpDD = nullptr;
IDirectDrawPalette* lpDDPal = nullptr;
IDirectDrawClipper* lpDDClipper = nullptr;

int DDBackEnd = 0;
HWND DDHwnd = nullptr;
int DDScreenWidth = 0;
int DDScreenHeight = 0;
int DDScreenBpp = 0;
int DDScreenBytes = 0;
int DDWindowMode = 1;
int DDVSync = 0;
int DDBackBufferCount = 1;
int DDRefreshRate = 0;
int DDRefreshSwitch = 0;
int DDInitDone = 0;
int DDPaletteDisplayMode = 0;
DWORD DDColorKey = 0;
RECT DDClientRect = {0, 0, 0, 0};

DDSURFACEDATA* DDAppSurfaces = nullptr;
DDBITMAPDATA* DDAppBitmaps = nullptr;
int DDAppCount = 0;

DDSURFACEDATA BackBuffer;
DDSURFACEDATA VirBackBuffer;
DDSURFACEDATA WorkSD;
DDSURFACEDATA ScreenCopySD;
DDSURFACEDATA PrimarySD;

PALETTEENTRY DDPalette[256];
PALETTEENTRY DDWorkPalette[256];

int DDPixelFormat[8];
int DDBackPixelFormat[8];

cCheckedList<DDSURFACEDATA*> DDSurfaceList;

DDSURFACEDATA::DDSURFACEDATA()
    : lpDT(nullptr),
      lpDDData(nullptr),
      szName{},
      nWidth(0),
      nHeight(0),
      nTexWidth(0),
      nTexHeight(0),
      szFileName{},
      nDDMemType(0),
      nMirrorWidth(0),
      nMirrorHeight(0),
      lpPartner(nullptr),
      bLost(0) {}

DDSURFACEDATA::DDSURFACEDATA(DDSURFACEDATA&& other) noexcept : DDSURFACEDATA() { *this = std::move(other); }

DDSURFACEDATA& DDSURFACEDATA::operator=(DDSURFACEDATA&& other) noexcept {
  if (this == &other) return *this;
  // An entry for this record stood for the part it is about to lose.
  DDSurfaceList.remove(this);
  *this = static_cast<const DDSURFACEDATA&>(other);
  std::replace(DDSurfaceList.begin(), DDSurfaceList.end(), &other, this);
  other.lpDT = nullptr;
  other.lpDDData = nullptr;
  return *this;
}

namespace {
// At program exit, whichever context is left is freed.
struct ContextsAtExit {
  ~ContextsAtExit() {
    delete lpDTCon;
    lpDTCon = nullptr;
    delete lpDDCon;
    lpDDCon = nullptr;
  }
} g_contextsAtExit;
}  // namespace
