#include "gfx/surface.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/mainwnd.h"
#include "gfx/bitmap.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "gfx/palette.h"
#include "gfx/quad.h"
#include "platform/video/d3dx9.h"
#include "platform/video/gdi.h"
#include "platform/win/messages.h"

namespace {

void SetName(char (&name)[260], const char* text) { std::snprintf(name, sizeof name, "%s", text); }


BOOL CreateDirectDrawSurface(DDSURFACEDATA* lpSD, int width, int height, int colorKey, int ddMemType) {
  if (!lpDD) return FALSE;
  DDSURFACEDESC2 ddsd{};
  ddsd.dwSize = sizeof ddsd;
  ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  ddsd.dwWidth = static_cast<DWORD>(width);
  ddsd.dwHeight = static_cast<DWORD>(height);
  ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (ddMemType == 1 ? DDSCAPS_SYSTEMMEMORY : 0);
  IDirectDrawSurface7*& surface = lpSD->lpDDData->lpDDSurface;
  if (FAILED(lpDD->CreateSurface(&ddsd, &surface, nullptr))) {
    if (ddMemType == 1) {
      ReportLogEcho("CreateSurface System Err");
      return FALSE;
    }
    ddMemType = 1;
    ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (FAILED(lpDD->CreateSurface(&ddsd, &surface, nullptr))) {
      ReportLogEcho("CreateSurface Video -> System Err");
      return FALSE;
    }
  }
  if (colorKey == 1) {
    DDCOLORKEY key{DDColorKey, DDColorKey};
    if (FAILED(surface->SetColorKey(DDCKEY_SRCBLT, &key))) ReportLogEcho("SetColorKey Err");
  }
  // Palette number 0 over the whole surface.
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = PalNumToRGB(0);
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  lpSD->nWidth = lpSD->nTexWidth = width;
  lpSD->nHeight = lpSD->nTexHeight = height;
  lpSD->nDDMemType = ddMemType;
  return TRUE;
}

BOOL CreateDirect3DSurface(DDSURFACEDATA* lpSD, int width, int height, int colorKey, int ddMemType, int dtMemType,
                           DDSURFACEDATA* partner, int restore) {
  DTSURFACEDATA* dt = lpSD->lpDT;
  if (!lpDevice) return FALSE;
  if (!restore && FAILED(DDStartSurfacePart(lpSD, "OffScreen", "E", dtMemType, colorKey, partner))) {
    ReportLogEcho("CreateVertexBuffer Err");
    return FALSE;
  }
  lpSD->nDDMemType = ddMemType;
  if (partner) {
    // An alias shows its partner's texture and has none of its own.
    lpSD->nWidth = lpSD->nTexWidth = width;
    lpSD->nHeight = lpSD->nTexHeight = height;
    return TRUE;
  }

  int texWidth = width, texHeight = height;
  DDAdjustTextureSize(&texWidth, &texHeight);
  if (!DDCheckTextureSize(static_cast<unsigned>(texWidth), static_cast<unsigned>(texHeight)))
    ReportLogEcho("上記の理由でテクスチャの描画が失敗する可能性があります。(空)");
  UINT tw = static_cast<UINT>(texWidth), th = static_cast<UINT>(texHeight);

  if (dt->MemType == DTMEMORYTYPE_VIDEO_NORT) dt->MemType = DTMEMORYTYPE_VIDEO_RT;
  bool fellBack = false;
  HRESULT hr;
  if (dt->MemType == DTMEMORYTYPE_VIDEO_RT) {
    dt->bRenderTarget = 1;
    hr = D3DXCreateTexture(lpDevice, tw, th, 1, D3DUSAGE_RENDERTARGET, lpDTCon->TextureFormat, D3DPOOL_DEFAULT,
                           &dt->lpTexture);
    if (hr == D3DERR_OUTOFVIDEOMEMORY) {
      ReportLogEcho("VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
      dt->MemType = DTMEMORYTYPE_SYSTEM;
      fellBack = true;
    } else if (FAILED(hr)) {
      return FALSE;
    }
  }
  // A system-memory texture survives a reset and is kept; one that replaces a render target that
  // no longer fits in video memory is made even while restoring.
  if (dt->MemType == DTMEMORYTYPE_SYSTEM && (!restore || fellBack)) {
    dt->bRenderTarget = 0;
    hr = D3DXCreateTexture(lpDevice, tw, th, 1, D3DUSAGE_DYNAMIC, lpDTCon->TextureFormat, D3DPOOL_SYSTEMMEM,
                           &dt->lpTexture);
    if (FAILED(hr)) {
      ReportLogEcho("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
      DDTextureFailureExit();
      return FALSE;
    }
  }
  if (!dt->lpTexture) return FALSE;
  // A kept texture still has its level from before; take it afresh without leaking a reference.
  video::ReleaseAndClear(dt->lpSurface);
  hr = dt->lpTexture->GetSurfaceLevel(0, &dt->lpSurface);
  if (FAILED(hr)) {
    ReportLogEcho("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(hr));
    return FALSE;
  }
  dt->lpSurface->GetDesc(&dt->Desc);
  if (dt->MemType == DTMEMORYTYPE_VIDEO_RT && !restore) {
    hr = lpDevice->CreateOffscreenPlainSurface(dt->Desc.Width, dt->Desc.Height, dt->Desc.Format, D3DPOOL_SYSTEMMEM,
                                               &dt->lpSystemSurface, nullptr);
    if (FAILED(hr)) {
      ReportLogEcho("CreateOffscreenPlainSurface Err hr = %x", static_cast<unsigned>(hr));
      DDTextureFailureExit();
      return FALSE;
    }
  }
  lpSD->nWidth = width;
  lpSD->nHeight = height;
  lpSD->nTexWidth = static_cast<int32_t>(dt->Desc.Width);
  lpSD->nTexHeight = static_cast<int32_t>(dt->Desc.Height);
  if (dt->bRenderTarget) {
    // A render target starts as the transparent colour at full opacity.
    if (DDSetRenderTarget(0, lpSD)) lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, lpDTCon->dwTransmitKey_32, 1.0f, 0);
    if (lpDTCon->lpRestTarget) DDSetRenderTarget(0, lpDTCon->lpRestTarget);
  }
  if (!restore) DDSurfaceList.push_back(lpSD);
  return TRUE;
}

template <class List>
typename List::iterator FindRecord(List& list, DDSURFACEDATA* lpSD, int* position) {
  int i = 0;
  for (auto it = list.begin(); it != list.end(); ++it, ++i) {
    if (&*it == lpSD) {
      *position = i;
      return it;
    }
  }
  return list.end();
}

DDBITMAPDATA Descriptor(int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner) {
  DDBITMAPDATA bd;
  bd.bColorKey = colorKey;
  bd.nDDMemType = ddMemType;
  bd.nDTMemType = dtMemType;
  bd.lpPartner = partner;
  return bd;
}

}  // namespace

void DDTextureFailureExit() {
  if (!lpDTCon->strTextureError.empty()) ErrorBoxF("%s", lpDTCon->strTextureError.c_str());
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
}

HRESULT DDStartSurfacePart(DDSURFACEDATA* lpSD, const char* name, const char* file, int dtMemType, int colorKey,
                           DDSURFACEDATA* partner) {
  DTSURFACEDATA* dt = lpSD->lpDT;
  SetName(lpSD->szName, name);
  SetName(lpSD->szFileName, file);
  dt->MemType = static_cast<DTMEMORYTYPE>(dtMemType);
  dt->lpSurface = nullptr;
  dt->lpSystemSurface = nullptr;
  dt->lpReserved = nullptr;
  dt->lpTexture = nullptr;
  dt->bColorKey = colorKey == 1;
  // A linked alias keeps its link: a descriptor's partner may be only a marker saying "alias".
  if (!partner || !lpSD->lpPartner) lpSD->lpPartner = partner;
  if (partner) return D3D_OK;
  dt->nId = lpDTCon->nNextSurfaceId++;
  return lpDevice->CreateVertexBuffer(DDQuadBytes, D3DUSAGE_WRITEONLY, DDQuadFvf, D3DPOOL_MANAGED, &dt->lpVB, nullptr);
}

void DDNewSurfaceData(DDSURFACEDATA* lpSD) {
  if (DDBackEnd) {
    if (!lpSD->lpDT) lpSD->lpDT = new DTSURFACEDATA();
  } else if (!lpSD->lpDDData) {
    lpSD->lpDDData = new DDDATA();
  }
}

BOOL DDCreateSurface(DDSURFACEDATA* lpSD, int width, int height, int colorKey, int ddMemType, int dtMemType,
                     DDSURFACEDATA* partner, int restore) {
  if (!lpSD) return FALSE;
  DDNewSurfaceData(lpSD);
  if (lpDTCon) return lpSD->lpDT ? CreateDirect3DSurface(lpSD, width, height, colorKey, ddMemType, dtMemType,
                                                        partner, restore)
                                 : FALSE;
  return lpSD->lpDDData ? CreateDirectDrawSurface(lpSD, width, height, colorKey, ddMemType) : FALSE;
}

void DDAdjustTextureSize(int* width, int* height) {
  if (!lpDTCon) return;
  if (lpDTCon->bPow2) {
    for (int* side : {width, height}) {
      unsigned n = static_cast<unsigned>(*side);
      if (n & (n - 1)) {
        unsigned high = 1;
        while (n >>= 1) high <<= 1;
        *side = static_cast<int>(high << 1);
      }
    }
  }
  if (lpDTCon->bSquareOnly) {
    if (*width < *height) *width = *height;
    else *height = *width;
  }
}

int DDCheckTextureSize(unsigned width, unsigned height) {
  if (!lpDTCon) return 1;
  int ok = 1;
  if (width > lpDTCon->Caps.MaxTextureWidth) {
    ReportLogEcho("このビデオカードでは横幅%dを超える画像はサポートされていません！",
                  static_cast<int>(lpDTCon->Caps.MaxTextureWidth));
    ok = 0;
  }
  if (height > lpDTCon->Caps.MaxTextureHeight) {
    ReportLogEcho("このビデオカードでは縦幅%dを超える画像はサポートされていません！",
                  static_cast<int>(lpDTCon->Caps.MaxTextureHeight));
    ok = 0;
  }
  return ok;
}

BOOL DDAddSurface(cCheckedVector<DDSURFACEDATA>& surfaces, cCheckedVector<DDBITMAPDATA>& bitmaps, int width,
                  int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner) {
  surfaces.emplace_back();
  bitmaps.push_back(Descriptor(colorKey, ddMemType, dtMemType, partner));
  return DDCreateSurface(&surfaces.back(), width, height, colorKey, ddMemType, dtMemType, partner, 0);
}

BOOL DDAddSurfaceToList(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps, int width,
                        int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner) {
  surfaces.emplace_back();
  bitmaps.push_back(Descriptor(colorKey, ddMemType, dtMemType, partner));
  return DDCreateSurface(&surfaces.back(), width, height, colorKey, ddMemType, dtMemType, partner, 0);
}

BOOL DDInsertSurface(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps, int index,
                     int width, int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner) {
  if (index >= surfaces.Size())
    return DDAddSurfaceToList(surfaces, bitmaps, width, height, colorKey, ddMemType, dtMemType, partner);
  if (index < 0) index = 0;
  surfaces.InsertAt(index, DDSURFACEDATA());
  bitmaps.InsertAt(index, Descriptor(colorKey, ddMemType, dtMemType, partner));
  return DDCreateSurface(&surfaces.At(index), width, height, colorKey, ddMemType, dtMemType, partner, 0);
}

int DDRemoveSurface(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps,
                    DDSURFACEDATA* lpSD) {
  int position = 0;
  auto it = FindRecord(surfaces, lpSD, &position);
  if (it == surfaces.end()) return 0;
  DDReleaseSurface(lpSD);
  surfaces.erase(it);
  bitmaps.EraseAt(position);
  return 1;
}

BOOL DDCheckResult(int code) {
  switch (code) {
    case 4: DebugLog("CREATESURFACE_ERR"); return FALSE;
    case 8: DebugLog("LOADIMAGE_ERR"); return FALSE;
    case 9: DebugLog("SETCOLORKEY_ERR"); return FALSE;
    default: return TRUE;
  }
}

int DDCheckBitmapSize(int* out, const char* file, int maxWidth, int maxHeight) {
  if (lpDTCon) return 1;
  HGDIOBJ bitmap = DDLoadDib(file);
  if (!bitmap) {
    *out = 0;
    return 0;
  }
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  *out = (bm.bmWidth > maxWidth || bm.bmHeight > maxHeight) ? 1 : 0;
  DeleteObject(bitmap);
  return 1;
}

BOOL DDReloadBitmaps(DDSURFACEDATA* surfaces, int* indexes, int count) {
  for (int k = 0; k < count; ++k) {
    int i = indexes[k];
    if (i < 0 || i >= DDAppCount) continue;
    DDSURFACEDATA* lpSD = &surfaces[i];
    const DDBITMAPDATA& bd = DDAppBitmaps[i];
    DDReleaseSurface(lpSD);
    if (std::strcmp(bd.szFileName, "E") != 0) {
      int code = DDCreateSurfaceFromFile(lpSD, bd.szFileName, bd.bColorKey, DDScreenBpp, bd.nDDMemType, bd.nDTMemType,
                                         bd.lpPartner, bd.bPalIndex, bd.nMirrorWidth, bd.nMirrorHeight, 0);
      if (!DDCheckResult(code) && !bd.bOptional) {
        ErrorBoxF("%s の読み込みに失敗！", bd.szFileName);
        return FALSE;
      }
    } else if (!DDCreateSurface(lpSD, bd.nWidth, bd.nHeight, bd.bColorKey, bd.nDDMemType, bd.nDTMemType, bd.lpPartner,
                                0) &&
               !bd.bOptional) {
      OutOfMemoryExit();
      return FALSE;
    }
  }
  return TRUE;
}

void DDDestroySurface(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (DTSURFACEDATA* dt = lpSD->lpDT) {
    if (!lpSD->lpPartner) {
      video::ReleaseAndClear(dt->lpTexture);
      video::ReleaseAndClear(dt->lpReserved);
      video::ReleaseAndClear(dt->lpVB);
      video::ReleaseAndClear(dt->lpSystemSurface);
      video::ReleaseAndClear(dt->lpSurface);
      int id = dt->nId;
      DDSurfaceList.remove_if([id](DDSURFACEDATA* entry) { return entry->lpDT && entry->lpDT->nId == id; });
    }
    delete[] dt->lpPalIndex;  // an alias's copy is its own as well
    delete dt;
    lpSD->lpDT = nullptr;
  }
  if (DDDATA* dd = lpSD->lpDDData) {
    video::ReleaseAndClear(dd->lpDDSurface);
    delete[] dd->lpPalIndex;
    delete dd;
    lpSD->lpDDData = nullptr;
  }
}

void DDReleaseSurface(DDSURFACEDATA* lpSD) { DDDestroySurface(lpSD); }

void DDReleaseSurfaceVector(cCheckedVector<DDSURFACEDATA>& surfaces) {
  for (int i = 0; i < surfaces.Size(); ++i) DDReleaseSurface(&surfaces.At(i));
}

void DDReleaseSurfaceList(cCheckedList<DDSURFACEDATA>& surfaces) {
  for (auto& sd : surfaces) DDReleaseSurface(&sd);
}
