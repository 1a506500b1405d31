#include "gfx/init.h"

#include <cstdio>

#include "core/log.h"
#include "core/timing.h"
#include "gfx/blit.h"
#include "gfx/dialog.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "gfx/quad.h"
#include "gfx/surface.h"
#include "platform/video/gdi.h"
#include "platform/video/window.h"
#include "platform/win/msgbox.h"

namespace {

// A DirectDraw start that succeeded; the next DirectDraw start releases it first.
bool g_bStarted = false;

int (*g_DdiVersionQuery)() = nullptr;

int DisplayDdiVersion() { return g_DdiVersionQuery ? g_DdiVersionQuery() : 9; }

void (*g_VideoMemoryQuery)(int* freeMB, int* totalMB) = nullptr;

void SetTable(int* table, int rs, int gs, int bs, int as, int rm, int gm, int bm, int am) {
  const int values[8] = {rs, gs, bs, as, rm, gm, bm, am};
  for (int i = 0; i < 8; ++i) table[i] = values[i];
}

void SetName(char (&name)[260], const char* text) { std::snprintf(name, sizeof name, "%s", text); }

void HideCursor() {
  while (ShowCursor(FALSE) >= 0) {
  }
}

const char* FormatName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8: return "X8R8G8B8";
    case D3DFMT_R5G6B5: return "R5G6B5";
    case D3DFMT_A1R5G5B5: return "A1R5G5B5";
    default: return "";
  }
}

BOOL StartDirect3D(HWND hwnd, int width, int height, int depth) {
  int ddi = DisplayDdiVersion();
  if (ddi < 9) {
    ReportLogEcho("ビデオカードのドライバがDirectX9をサポートしていません！ %d", ddi);
    return FALSE;
  }
  lpD3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!lpD3D) {
    ReportLogEcho("ビデオカードがDirectX9をサポートしていません！");
    return FALSE;
  }
  lpDTCon = new DTCONTEXT();

  D3DPRESENT_PARAMETERS pp{};
  if (DDWindowMode) {
    pp.Windowed = TRUE;
    pp.BackBufferWidth = 0;
    pp.BackBufferHeight = 0;
    pp.FullScreen_RefreshRateInHz = 0;
    if (DDVSync) {
      DEVMODEA mode{};
      mode.dmSize = sizeof mode;
      mode.dmFields = DM_DISPLAYFREQUENCY;
      mode.dmDisplayFrequency = 60;
      if (ChangeDisplaySettingsA(&mode, CDS_TEST) != DISP_CHANGE_SUCCESSFUL) {
        ReportLogEcho("ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL");
      } else {
        LONG r = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
        if (r != DISP_CHANGE_SUCCESSFUL) ReportLogEcho("ChangeDisplaySettings Err = %x", static_cast<unsigned>(r));
      }
      D3DDISPLAYMODE display{};
      lpD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display);
      ReportLogEcho("RefreshRate : %d", static_cast<int>(display.RefreshRate));
      if (display.RefreshRate != 60) {
        DDVSync = 0;
        ReportLogEcho("リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
      }
    }
  } else {
    pp.Windowed = FALSE;
    pp.BackBufferWidth = static_cast<UINT>(width);
    pp.BackBufferHeight = static_cast<UINT>(height);
    pp.FullScreen_RefreshRateInHz = 60;
  }
  pp.PresentationInterval = DDVSync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;

  lpDTCon->nAdapter = D3DADAPTER_DEFAULT;
  lpDTCon->DeviceType = D3DDEVTYPE_HAL;
  if (FAILED(lpD3D->GetDeviceCaps(lpDTCon->nAdapter, lpDTCon->DeviceType, &lpDTCon->Caps)))
    DebugLog("GetDeviceCaps Err");
  D3DSWAPEFFECT swap = (lpDTCon->Caps.Caps3 & D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD) ? D3DSWAPEFFECT_DISCARD
                                                                                          : D3DSWAPEFFECT_COPY;
  lpDTCon->bPow2 = (lpDTCon->Caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  lpDTCon->bSquareOnly = (lpDTCon->Caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
  lpDTCon->bDynamicTextures = (lpDTCon->Caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES) != 0;

  if (depth == 32) {
    lpDTCon->BackBufferFormat = D3DFMT_X8R8G8B8;
    lpDTCon->TextureFormat = D3DFMT_A8R8G8B8;
    SetTable(DDPixelFormat, 16, 8, 0, 24, 255, 255, 255, 255);
  } else if (depth == 16) {
    if (DDWindowMode) {
      lpDTCon->BackBufferFormat = D3DFMT_A1R5G5B5;
      SetTable(DDBackPixelFormat, 10, 5, 0, 15, 31, 31, 31, 1);
    } else {
      lpDTCon->BackBufferFormat = D3DFMT_R5G6B5;
      SetTable(DDBackPixelFormat, 11, 5, 0, 16, 31, 63, 31, 0);
    }
    lpDTCon->TextureFormat = D3DFMT_A1R5G5B5;
    SetTable(DDPixelFormat, 10, 5, 0, 15, 31, 31, 31, 1);
  } else {
    return FALSE;
  }

  pp.BackBufferFormat = lpDTCon->BackBufferFormat;
  pp.BackBufferCount = 1;
  pp.MultiSampleType = D3DMULTISAMPLE_NONE;
  pp.MultiSampleQuality = 0;
  pp.SwapEffect = swap;
  pp.hDeviceWindow = nullptr;
  pp.EnableAutoDepthStencil = FALSE;
  pp.AutoDepthStencilFormat = lpDTCon->BackBufferFormat;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;

  D3DPRESENT_PARAMETERS tried = pp;
  const char* kind = "Device HAL-HARD";
  HRESULT hr = lpD3D->CreateDevice(lpDTCon->nAdapter, lpDTCon->DeviceType, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &tried, &lpDevice);
  if (FAILED(hr)) {
    tried = pp;
    kind = "Device HAL-SOFT";
    hr = lpD3D->CreateDevice(lpDTCon->nAdapter, lpDTCon->DeviceType, hwnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                             &tried, &lpDevice);
  }
  if (FAILED(hr)) {
    DebugLog("CreateDevice Err");
    return FALSE;
  }
  ReportLogEcho("%s", kind);
  ReportLogEcho("%s", FormatName(lpDTCon->BackBufferFormat));
  lpDTCon->d3dpp = tried;
  lpDTCon->DisplayFormat = lpDTCon->BackBufferFormat;

  DDSetRenderStates();
  DDResetDrawColor();
  DDResetColorOp();
  DDResetAlphaOp();

  DDNewSurfaceData(&BackBuffer);
  DTSURFACEDATA* back = BackBuffer.lpDT;
  BackBuffer.nWidth = BackBuffer.nTexWidth = width;
  BackBuffer.nHeight = BackBuffer.nTexHeight = height;
  BackBuffer.nDDMemType = 0;
  back->MemType = DTMEMORYTYPE_VIDEO_RT;
  SetName(BackBuffer.szName, "BackBuffer");
  back->bColorKey = 0;
  back->bRenderTarget = 1;
  hr = lpDevice->CreateVertexBuffer(DDQuadBytes, D3DUSAGE_WRITEONLY, DDQuadFvf, D3DPOOL_MANAGED, &back->lpVB, nullptr);
  if (FAILED(hr)) {
    ReportLogEcho("Back CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
    return FALSE;
  }
  lpDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back->lpSurface);
  if (back->lpSurface) back->lpSurface->GetDesc(&back->Desc);
  back->nId = 0;
  lpDTCon->nNextSurfaceId = 1;
  lpDTCon->nNextFontId = 0;

  DDNewSurfaceData(&VirBackBuffer);
  DDSetVirtualBackBuffer(0);
  lpDTCon->bCopying = 0;
  DDCreateSurface(&VirBackBuffer, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  SetName(VirBackBuffer.szName, "VirBackBuffer");
  DDCreateSurface(&WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0);
  SetName(WorkSD.szName, "WorkSD");

  if (!DDWindowMode) HideCursor();
  return TRUE;
}

// The screen palette of a start, holding red and green ramps until a palette is loaded (in a window
// the system's twenty static colours stay as they are). A screen of more than 8 bits takes its
// channel table from the primary instead of the palette. Returns 0 or the start code of the failure.
int StartScreenPalette(bool windowed, int screenBpp) {
  PALETTEENTRY pe[256];
  for (int i = 0; i < 256; ++i) {
    BYTE v = static_cast<BYTE>(i);
    bool system = windowed && (i < 10 || i >= 246);
    pe[i] = system ? PALETTEENTRY{v, 0, 0, PC_EXPLICIT} : PALETTEENTRY{v, v, 0, PC_RESERVED};
  }
  if (!windowed) pe[0].peBlue = 255;
  if (FAILED(lpDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, pe, &lpDDPal, nullptr))) {
    ReportLogEcho("CreatePalette Err");
    return 6;
  }
  if (screenBpp > 8) {
    DDMaskToShift(DDPixelFormat);
  } else if (FAILED(PrimarySD.lpDDData->lpDDSurface->SetPalette(lpDDPal))) {
    ReportLogEcho("SetPalette Err");
    return 7;
  }
  return 0;
}

int StartDirectDrawFullScreen(HWND hwnd, int width, int height, int depth, int backBuffers) {
  ScreenCopySD.nWidth = PrimarySD.nWidth = BackBuffer.nWidth = width;
  ScreenCopySD.nHeight = PrimarySD.nHeight = BackBuffer.nHeight = height;
  ScreenCopySD.nDDMemType = 1;
  PrimarySD.nDDMemType = BackBuffer.nDDMemType = 0;
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&lpDD), IID_IDirectDraw7, nullptr))) {
    ReportLogEcho("DirectDrawCreateEx Err");
    return 1;
  }
  if (FAILED(lpDD->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE))) {
    ReportLogEcho("SetCooperativeLevel Err");
    return 2;
  }
  DWORD w = static_cast<DWORD>(width), h = static_cast<DWORD>(height), bpp = static_cast<DWORD>(depth);
  HRESULT hr;
  if (DDRefreshSwitch) {
    hr = lpDD->SetDisplayMode(w, h, bpp, static_cast<DWORD>(DDRefreshRate), 0);
    if (FAILED(hr)) hr = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
  } else {
    hr = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
  }
  if (FAILED(hr)) {
    ReportLogEcho("SetDisplayMode Err");
    return 3;
  }
  DDNewSurfaceData(&PrimarySD);
  DDNewSurfaceData(&BackBuffer);
  DDSURFACEDESC2 ddsd{};
  ddsd.dwSize = sizeof ddsd;
  ddsd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  ddsd.dwBackBufferCount = backBuffers == 1 ? 1 : 2;
  if (FAILED(lpDD->CreateSurface(&ddsd, &PrimarySD.lpDDData->lpDDSurface, nullptr))) {
    ReportLogEcho("Primary CreateSurface Err");
    return 4;
  }
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  if (FAILED(PrimarySD.lpDDData->lpDDSurface->GetAttachedSurface(&caps, &BackBuffer.lpDDData->lpDDSurface))) {
    ReportLogEcho("GetAttachedSurface Err");
    return 5;
  }
  if (!DDCreateSurface(&ScreenCopySD, width, height, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0)) return 4;
  if (int code = StartScreenPalette(false, depth)) return code;
  HideCursor();
  return 0;
}

int StartDirectDrawWindowed(HWND hwnd) {
  RECT client{0, 0, 0, 0};
  GetClientRect(hwnd, &client);
  POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
  ClientToScreen(hwnd, &topLeft);
  ClientToScreen(hwnd, &bottomRight);
  DDClientRect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  int width = DDClientRect.right - DDClientRect.left, height = DDClientRect.bottom - DDClientRect.top;
  PrimarySD.nWidth = BackBuffer.nWidth = ScreenCopySD.nWidth = width;
  PrimarySD.nHeight = BackBuffer.nHeight = ScreenCopySD.nHeight = height;
  HDC dc = GetDC(hwnd);
  int desktopBpp = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(hwnd, dc);

  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&lpDD), IID_IDirectDraw7, nullptr))) {
    ReportLogEcho("DirectDrawCreateEx Err");
    return 1;
  }
  if (FAILED(lpDD->SetCooperativeLevel(hwnd, DDSCL_NORMAL))) {
    ReportLogEcho("SetCooperativeLevel Err");
    return 2;
  }
  DDNewSurfaceData(&PrimarySD);
  DDSURFACEDESC2 ddsd{};
  ddsd.dwSize = sizeof ddsd;
  ddsd.dwFlags = DDSD_CAPS;
  ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(lpDD->CreateSurface(&ddsd, &PrimarySD.lpDDData->lpDDSurface, nullptr))) {
    ReportLogEcho("Primary CreateSurface Err");
    return 4;
  }
  if (!DDCreateSurface(&BackBuffer, width, height, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0)) return 4;
  if (!DDCreateSurface(&ScreenCopySD, width, height, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0)) return 4;
  if (int code = StartScreenPalette(true, desktopBpp)) return code;
  if (FAILED(lpDD->CreateClipper(0, &lpDDClipper, nullptr))) {
    ReportLogEcho("CreateClipper Err");
    return 10;
  }
  if (FAILED(lpDDClipper->SetHWnd(0, hwnd))) {
    ReportLogEcho("SetHWnd Err");
    return 11;
  }
  if (FAILED(PrimarySD.lpDDData->lpDDSurface->SetClipper(lpDDClipper))) {
    ReportLogEcho("SetClipper Err");
    return 12;
  }
  while (ShowCursor(TRUE) < 0) {
  }
  return 0;
}

}  // namespace

BOOL DDInit(int backEnd, HWND hwnd, int width, int height, int depth, int vsync, int windowMode, int backBufferCount,
            int refreshRate, int refreshSwitch, DDSURFACEDATA* appSurfaces, DDBITMAPDATA* appBitmaps, int count,
            int) {
  DDBackEnd = backEnd;
  DDHwnd = hwnd;
  DDScreenWidth = width;
  DDScreenHeight = height;
  DDScreenBpp = depth;
  DDScreenBytes = depth / 8;
  DDVSync = vsync;
  DDWindowMode = windowMode;
  DDBackBufferCount = backBufferCount;
  DDRefreshRate = refreshRate;
  DDRefreshSwitch = refreshSwitch;
  DDAppSurfaces = appSurfaces;
  DDAppBitmaps = appBitmaps;
  DDAppCount = count;
  ReportLogEcho("VSync : %d", vsync);

  if (backEnd) {
    if (!StartDirect3D(hwnd, width, height, depth)) return FALSE;
  } else {
    if (g_bStarted) {
      if (windowMode && lpDD) lpDD->RestoreDisplayMode();
      DDRelease();
    }
    lpDDCon = new DDCONTEXT();
    int code;
    if (!windowMode) {
      SetWindowLongA(hwnd, GWL_EXSTYLE, WS_EX_TOPMOST);
      SetWindowLongA(hwnd, GWL_STYLE, WS_POPUP);
      code = StartDirectDrawFullScreen(hwnd, width, height, depth, backBufferCount);
    } else {
      code = StartDirectDrawWindowed(hwnd);
    }
    if (!DDInitResult(code)) return FALSE;
  }
  DDInitDone = 1;
  // The frame limiter paces Direct3D frames only; it asks the library which back end runs.
  FpsLimiterGraphics limiter;
  limiter.isDirect3D = [] { return lpDTCon != nullptr; };
  limiter.debugText = [](int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet, const char* text) {
    DDDebugText(&BackBuffer, x, y, cellWidth, cellHeight, sheet, text);
  };
  SetFpsLimiterGraphics(limiter);
  // Over a full-screen display error boxes are the library's own.
  ErrorBoxGraphics boxes;
  boxes.takesBoxes = [] { return DDInitDone && DDWindowMode == 0; };
  boxes.showBox = DDMesBox;
  SetErrorBoxGraphics(boxes);
  g_bStarted = true;
  return TRUE;
}

void SetDisplayDdiVersionQuery(int (*query)()) { g_DdiVersionQuery = query; }

void SetVideoMemoryQuery(void (*query)(int* freeMB, int* totalMB)) { g_VideoMemoryQuery = query; }

void QueryVideoMemory(int* freeMB, int* totalMB) {
  int freeValue = 0, totalValue = 0;
  if (g_VideoMemoryQuery) g_VideoMemoryQuery(&freeValue, &totalValue);
  if (freeMB) *freeMB = freeValue;
  if (totalMB) *totalMB = totalValue;
}

void DDRelease() {
  if (lpDD) {
    for (int i = 0; i < DDAppCount; ++i) DDReleaseSurface(&DDAppSurfaces[i]);
    video::ReleaseAndClear(lpDDClipper);
    video::ReleaseAndClear(lpDDPal);
    DDReleaseSurface(&BackBuffer);
    DDReleaseSurface(&PrimarySD);
    DDReleaseSurface(&ScreenCopySD);
    if (lpDD->Release() > 0) MessageBoxA(nullptr, "解放漏れがあります", "DirectDraw", MB_OK | MB_ICONERROR);
    lpDD = nullptr;
    delete lpDDCon;
    lpDDCon = nullptr;
  }
  if (lpD3D) {
    for (int i = 0; i < DDAppCount; ++i) DDReleaseSurface(&DDAppSurfaces[i]);
    DDReleaseSurface(&WorkSD);
    DDReleaseSurface(&VirBackBuffer);
    DDReleaseSurface(&BackBuffer);
    video::ReleaseAndClear(lpDevice);
    video::ReleaseAndClear(lpD3D);
    delete lpDTCon;
    lpDTCon = nullptr;
  }
}

void DDEnd() { DDRelease(); }

void DDSetRenderStates() {
  if (!lpDevice) return;
  lpDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  lpDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  lpDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  lpDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  lpDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  lpDevice->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  lpDevice->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  for (DWORD s = 0; s < 2; ++s) {
    lpDevice->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    lpDevice->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    lpDevice->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    lpDevice->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  }
}

BOOL DDInitResult(int code) {
  const char* line = nullptr;
  switch (code) {
    case 1: line = "CREATEEX_ERR"; break;
    case 2: line = "SETCOOPLEVEL_ERR"; break;
    case 3: line = "SETDISPLAYMODE_ERR"; break;
    case 4: line = "CREATESURFACE_ERR"; break;
    case 5: line = "GETATTACHEDSURFACE_ERR"; break;
    case 6: line = "CREATEPALETTE_ERR"; break;
    case 7: line = "SETPALETTE_ERR"; break;
    case 10: line = "CLIPPER_ERR"; break;
    case 11: line = "SETHWND_ERR"; break;
    case 12: line = "SETCLIPPER_ERR"; break;
    default: return TRUE;
  }
  DebugLog(line);
  return FALSE;
}

void DDMaskToShift(int* table) {
  if (lpDTCon || !table || !PrimarySD.lpDDData || !PrimarySD.lpDDData->lpDDSurface) return;
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  if (FAILED(PrimarySD.lpDDData->lpDDSurface->GetPixelFormat(&pf))) return;
  const DWORD masks[3] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask};
  for (int c = 0; c < 3; ++c) {
    if (!masks[c]) continue;
    int shift = 0;
    while (shift < static_cast<int>(pf.dwRGBBitCount) && !((masks[c] >> shift) & 1)) ++shift;
    table[c] = shift;
    table[4 + c] = static_cast<int>(masks[c] >> shift);
  }
}
