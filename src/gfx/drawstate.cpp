#include "gfx/drawstate.h"

#include "core/log.h"
#include "gfx/globals.h"

void DDSetDrawColor(DWORD argb) {
  if (lpDTCon) lpDTCon->dwDrawColor = argb;
}
void DDResetDrawColor() { DDSetDrawColor(0xFFFFFFFF); }

void DDSetColorOp(DWORD op) {
  if (lpDTCon) lpDTCon->dwColorOp = op;
}
void DDResetColorOp() { DDSetColorOp(D3DTOP_MODULATE); }

void DDSetAlphaOp(DWORD op) {
  if (lpDTCon) lpDTCon->dwAlphaOp = op;
}
void DDResetAlphaOp() { DDSetAlphaOp(D3DTOP_SELECTARG1); }

int DDBeginScene() {
  if (!lpDevice || !lpDTCon) return 0;
  if (lpDTCon->bSceneOpen) return 1;
  HRESULT hr = lpDevice->BeginScene();
  if (FAILED(hr)) {
    ReportLogEcho("BeginScene Err %x", static_cast<unsigned>(hr));
    return 0;
  }
  lpDTCon->bSceneOpen = 1;
  return 1;
}

void DDEndScene() {
  if (!lpDevice || !lpDTCon || !lpDTCon->bSceneOpen) return;
  lpDevice->EndScene();
  lpDTCon->bSceneOpen = 0;
}

int DDSetRenderTarget(int, DDSURFACEDATA* lpSD) {
  if (!lpDevice || !lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return 0;
  HRESULT hr = lpDevice->SetRenderTarget(0, lpSD->lpDT->lpSurface);
  if (FAILED(hr)) {
    ReportLogEcho("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), lpSD->szFileName);
    return 0;
  }
  return 1;
}

void DDSetVirtualBackBuffer(int on) {
  if (!lpDTCon) return;
  if (lpDTCon->bVirtual && !on && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpSurface)
    DDCopyVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
  lpDTCon->bVirtual = on;
  lpDTCon->lpRestTarget = on ? &BackBuffer : &VirBackBuffer;
  if (lpDTCon->lpRestTarget->lpDT && lpDTCon->lpRestTarget->lpDT->lpSurface)
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
}
