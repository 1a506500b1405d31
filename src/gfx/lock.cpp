#include "gfx/lock.h"

#include "core/log.h"
#include "gfx/blit.h"
#include "gfx/globals.h"

BOOL DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* desc, void** bits, int bpp) {
  if (lpDTCon) {
    DebugLog("D3DではDDLockは未対応");
    return TRUE;
  }
  if (!lpSD || !lpSD->lpDDData || !lpSD->lpDDData->lpDDSurface || !desc) return FALSE;
  *desc = {};
  desc->dwSize = sizeof(DDSURFACEDESC2);
  if (FAILED(lpSD->lpDDData->lpDDSurface->Lock(nullptr, desc, DDLOCK_WAIT, nullptr))) return FALSE;
  if (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32) *bits = desc->lpSurface;
  return TRUE;
}

BOOL cDDLock::Lock(DDSURFACEDATA* lpSD) {
  Unlock();
  if (!lpSD) return FALSE;
  m_nBpp = DDScreenBpp;
  m_nBytesPerPixel = DDScreenBpp / 8;
  if (m_nBytesPerPixel <= 0) return FALSE;
  if (lpDTCon) {
    m_bDirect3D = TRUE;
    DDFollowPartner(&lpSD);
    DDRedirectBackBuffer(&lpSD);
    if (!lpSD->lpDT) return FALSE;
    m_lpSD = lpSD;
    DTSURFACEDATA* dt = lpSD->lpDT;
    D3DLOCKED_RECT lock{};
    if (dt->bRenderTarget && lpSD != &BackBuffer) {
      if (!dt->lpSurface || !dt->lpSystemSurface ||
          FAILED(lpDevice->GetRenderTargetData(dt->lpSurface, dt->lpSystemSurface))) {
        DebugLog("FAILED( lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->lpSystemSurface) )");
        return FALSE;
      }
      if (FAILED(dt->lpSystemSurface->LockRect(&lock, nullptr, 0))) {
        DebugLog("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
        return FALSE;
      }
    } else {
      if (!dt->lpSurface) return FALSE;
      if (FAILED(dt->lpSurface->LockRect(&lock, nullptr, 0))) {
        DebugErrorBoxF("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
        return FALSE;
      }
    }
    m_pBits = static_cast<BYTE*>(lock.pBits);
    m_nPitch = lock.Pitch / m_nBytesPerPixel;
    return TRUE;
  }
  m_bDirect3D = FALSE;
  m_lpSD = lpSD;
  DDSURFACEDESC2 desc{};
  void* bits = nullptr;
  if (!DDLock(lpSD, &desc, &bits, m_nBpp) || !bits) return FALSE;
  m_pBits = static_cast<BYTE*>(bits);
  m_nPitch = desc.lPitch / m_nBytesPerPixel;
  return TRUE;
}

void cDDLock::Unlock() {
  if (!m_lpSD) return;
  if (m_bDirect3D) {
    DTSURFACEDATA* dt = m_lpSD->lpDT;
    if (dt && m_lpSD == &BackBuffer) {
      if (dt->lpSurface && FAILED(dt->lpSurface->UnlockRect()))
        DebugLog("Back :: D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    } else if (dt && dt->bRenderTarget) {
      if (!dt->lpSystemSurface || FAILED(dt->lpSystemSurface->UnlockRect())) {
        DebugLog("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();");
      } else if (FAILED(lpDevice->UpdateSurface(dt->lpSystemSurface, nullptr, dt->lpSurface, nullptr))) {
        DebugErrorBoxF("FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, m_lpSD->lpDT->lpSurface, NULL)");
      }
    } else if (dt && dt->lpSurface && FAILED(dt->lpSurface->UnlockRect())) {
      DebugLog("D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
    }
  } else if (m_lpSD->lpDDData && m_lpSD->lpDDData->lpDDSurface) {
    m_lpSD->lpDDData->lpDDSurface->Unlock(nullptr);
  }
  m_lpSD = nullptr;
  m_pBits = nullptr;
}

uint32_t cDDLock::Get(int x, int y) const {
  switch (m_nBytesPerPixel) {
    case 1: return Row8(y)[x];
    case 2: return Row16(y)[x];
    case 4: return Row32(y)[x];
    default: return 0;
  }
}

void cDDLock::Set(int x, int y, uint32_t pixel) const {
  switch (m_nBytesPerPixel) {
    case 1: Row8(y)[x] = static_cast<uint8_t>(pixel); break;
    case 2: Row16(y)[x] = static_cast<uint16_t>(pixel); break;
    case 4: Row32(y)[x] = pixel; break;
    default: break;
  }
}
