#include "gfx/present.h"

#include <cstring>

#include "core/log.h"
#include "core/timing.h"
#include "gfx/bitmap.h"
#include "gfx/drawstate.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/surface.h"
#include "platform/time/clock.h"
#include "platform/video/clock.h"
#include "platform/video/window.h"

int DDPresent(unsigned fps, int statistics, DDSURFACEDATA* glyphSheet) {
  if (!lpDTCon) return 1;
  if (!lpDevice) return 0;
  if (lpDTCon->bVirtual) DDCopyVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
  if (DDVSync == 0) {
    while (!FpsLimiter(fps, statistics, glyphSheet)) Sleep(1);
  }
  DDEndScene();
  HRESULT hr = lpDevice->Present(nullptr, nullptr, nullptr, nullptr);
  if (hr == D3DERR_DEVICELOST) {
    if (!DDWindowMode) ShowWindow(DDHwnd, SW_SHOWMINNOACTIVE);
    return 0;
  }
  return 1;
}

int DDRestoreSurface() {
  DebugLog("Restore In");
  if (!lpDTCon) {
    DebugLog("DDではDDRestoreSurfaceは未対応");
    return 1;
  }
  if (!lpDevice) return 0;
  for (DDSURFACEDATA* lpSD : DDSurfaceList) {
    DTSURFACEDATA* dt = lpSD->lpDT;
    if (!dt || dt->MemType == DTMEMORYTYPE_SYSTEM) continue;
    video::ReleaseAndClear(dt->lpTexture);
    video::ReleaseAndClear(dt->lpSurface);
  }
  for (Font* font : DDFontList) {
    HRESULT hr = D3D_OK;
    if (font->m_lpD3DXFont && FAILED(hr = font->m_lpD3DXFont->OnLostDevice()))
      DebugLogF("lpFont->OnLostDevice hr = %d", static_cast<int>(hr));
    if (font->m_lpSprite && FAILED(hr = font->m_lpSprite->OnLostDevice()))
      DebugLogF("lpFont->OnLostDevice hr = %d", static_cast<int>(hr));
  }
  if (BackBuffer.lpDT) video::ReleaseAndClear(BackBuffer.lpDT->lpSurface);
  // A device that was never lost can be reset as well; only one that is still lost cannot.
  HRESULT state = lpDevice->TestCooperativeLevel();
  if (state != D3DERR_DEVICENOTRESET && state != D3D_OK) {
    DebugLog("復旧失敗…リセット可能な状態ではありません…");
    return 0;
  }
  D3DPRESENT_PARAMETERS pp = lpDTCon->d3dpp;
  if (FAILED(lpDevice->Reset(&pp))) return 0;
  lpDTCon->bSceneOpen = 0;
  DDSetRenderStates();
  if (BackBuffer.lpDT) lpDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBuffer.lpDT->lpSurface);
  for (DDSURFACEDATA* lpSD : DDSurfaceList) {
    DTSURFACEDATA* dt = lpSD->lpDT;
    if (!dt) continue;
    if (lpSD->szFileName[0] && std::strcmp(lpSD->szFileName, "E") != 0) {
      // The palette-index copy is not made again; the old one would be lost.
      delete[] dt->lpPalIndex;
      dt->lpPalIndex = nullptr;
      if (DDCreateSurfaceFromFile(lpSD, lpSD->szFileName, dt->bColorKey, DDScreenBpp, lpSD->nDDMemType, dt->MemType,
                                  lpSD->lpPartner, 0, lpSD->nMirrorWidth, lpSD->nMirrorHeight, 1) != 0)
        DebugLog("Err");
    } else {
      if (!DDCreateSurface(lpSD, lpSD->nWidth, lpSD->nHeight, dt->bColorKey, lpSD->nDDMemType, dt->MemType,
                           lpSD->lpPartner, 1))
        DebugLog("Err");
      lpSD->bLost = 1;
    }
  }
  for (Font* font : DDFontList) {
    if (font->m_lpD3DXFont) font->m_lpD3DXFont->OnResetDevice();
    if (font->m_lpSprite) font->m_lpSprite->OnResetDevice();
    font->Restore();
  }
  if (!DDWindowMode) ShowWindow(DDHwnd, SW_SHOWNORMAL);
  DebugLog("Restore Out");
  return 1;
}

BOOL DDRestore() {
  if (lpDTCon) {
    DebugLog("D3DではDDRestoreは未対応");
    return TRUE;
  }
  if (!PrimarySD.lpDDData || !PrimarySD.lpDDData->lpDDSurface) return TRUE;
  IDirectDrawSurface7* primary = PrimarySD.lpDDData->lpDDSurface;
  if (primary->IsLost() != DDERR_SURFACELOST) return TRUE;
  primary->Restore();
  if (BackBuffer.lpDDData && BackBuffer.lpDDData->lpDDSurface &&
      BackBuffer.lpDDData->lpDDSurface->IsLost() == DDERR_SURFACELOST)
    BackBuffer.lpDDData->lpDDSurface->Restore();
  for (int i = 0; i < DDAppCount; ++i) {
    DDSURFACEDATA* lpSD = &DDAppSurfaces[i];
    if (!lpSD->lpDDData || !lpSD->lpDDData->lpDDSurface) continue;
    IDirectDrawSurface7* surface = lpSD->lpDDData->lpDDSurface;
    if (surface->IsLost() != DDERR_SURFACELOST) continue;
    surface->Restore();
    if (lpSD->nDDMemType != 0) continue;
    if (lpSD->szFileName[0] && std::strcmp(lpSD->szFileName, "E") != 0)
      DDReloadBitmap(lpSD, DDScreenBpp);
    else
      lpSD->bLost = 1;
  }
  if (DDScreenBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDWorkPalette);
  for (Font* font : DDFontList) font->Restore();
  return TRUE;
}
