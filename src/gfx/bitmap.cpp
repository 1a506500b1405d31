#include "gfx/bitmap.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "core/log.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "gfx/lock.h"
#include "gfx/palette.h"
#include "gfx/quad.h"
#include "gfx/surface.h"
#include "platform/video/d3dx9.h"
#include "platform/video/gdi.h"

namespace {

void SetText(char (&out)[260], const std::string& text) { std::snprintf(out, sizeof out, "%s", text.c_str()); }

// Where column (row) i of a bitmap lands: mirrored inside its cell when a cell size is given.
int Mirrored(int i, int cell) { return cell > 0 ? cell * (i / cell + 1) - i % cell - 1 : i; }

void SetPalIndex(BYTE*& palIndex, DDSURFACEDATA* lpSD, int make) {
  if (make) {
    DDMakePalIndex(&palIndex, lpSD);
  } else {
    delete[] palIndex;
    palIndex = nullptr;
  }
}

int CreateFromFileDirectDraw(DDSURFACEDATA* lpSD, const std::string& file, int colorKey, int depth, int ddMemType,
                             int dtMemType, int palIndex, int mirrorWidth, int mirrorHeight) {
  HGDIOBJ bitmap = DDLoadDib(file.c_str());
  if (!bitmap) {
    DebugLog(file.c_str());
    return 8;
  }
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  DeleteObject(bitmap);
  if (!DDCreateSurface(lpSD, bm.bmWidth, bm.bmHeight, colorKey, ddMemType, dtMemType, nullptr, 0)) return 4;
  if (!CopyBitmap(lpSD, file.c_str(), depth, palIndex, mirrorWidth, mirrorHeight)) return 8;
  lpSD->nWidth = lpSD->nTexWidth = bm.bmWidth;
  lpSD->nHeight = lpSD->nTexHeight = bm.bmHeight;
  lpSD->nMirrorWidth = mirrorWidth;
  lpSD->nMirrorHeight = mirrorHeight;
  SetText(lpSD->szFileName, file);
  lpSD->nDDMemType = ddMemType;
  return 0;
}

int CreateFromFileDirect3D(DDSURFACEDATA* lpSD, const std::string& file, int colorKey, int depth, int ddMemType,
                           int dtMemType, DDSURFACEDATA* partner, int palIndex, int mirrorWidth, int mirrorHeight,
                           int restore) {
  DDNewSurfaceData(lpSD);
  DTSURFACEDATA* dt = lpSD->lpDT;
  if (!dt || !lpDevice) return 4;
  if (!restore) {
    HRESULT hr = DDStartSurfacePart(lpSD, "OffScreenFromFile", file.c_str(), dtMemType, colorKey, partner);
    if (FAILED(hr)) {
      ReportLogEcho("CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
      return 4;
    }
  }
  HGDIOBJ bitmap = DDLoadDib(file.c_str());
  if (!bitmap) {
    if (!file.empty()) ReportLogEcho("LoadImage Err %s", file.c_str());
    return 8;
  }
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  DeleteObject(bitmap);
  int width = bm.bmWidth, height = bm.bmHeight;

  if (partner) {
    lpSD->nWidth = lpSD->nTexWidth = width;
    lpSD->nHeight = lpSD->nTexHeight = height;
  } else {
    int texWidth = width, texHeight = height;
    DDAdjustTextureSize(&texWidth, &texHeight);
    if (!DDCheckTextureSize(static_cast<unsigned>(texWidth), static_cast<unsigned>(texHeight)))
      ReportLogEcho("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)", file.c_str());
    // Every pixel of the transparent colour becomes the transparent texel, whatever the colour-key
    // flag says.
    const RGBTRIPLE& t = DDScreenBpp == 16 ? lpDTCon->rgbTransmitFile : lpDTCon->rgbTransmit;
    D3DCOLOR key = 0xFF000000 | DWORD(t.rgbtRed) << 16 | DWORD(t.rgbtGreen) << 8 | t.rgbtBlue;
    UINT tw = static_cast<UINT>(texWidth), th = static_cast<UINT>(texHeight);
    if (dt->MemType == DTMEMORYTYPE_VIDEO_NORT) {
      DebugLog("DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORTの指定は未対応です");
      dt->MemType = DTMEMORYTYPE_VIDEO_RT;
    }
    bool fellBack = false;
    HRESULT hr;
    if (dt->MemType == DTMEMORYTYPE_VIDEO_RT) {
      dt->bRenderTarget = 0;
      hr = D3DXCreateTextureFromFileExA(lpDevice, file.c_str(), tw, th, 1, 0, lpDTCon->TextureFormat, D3DPOOL_MANAGED,
                                        D3DX_FILTER_NONE, D3DX_DEFAULT, key, nullptr, nullptr, &dt->lpTexture);
      if (hr == D3DERR_OUTOFVIDEOMEMORY) {
        ReportLogEcho("VRAM不足のためシステムメモリにテクスチャを作成します。(%s)", file.c_str());
        dt->MemType = DTMEMORYTYPE_SYSTEM;
        fellBack = true;
      } else if (FAILED(hr)) {
        ReportLogEcho("テクスチャの作成に失敗。(%s)", file.c_str());
        return hr;
      }
    }
    // A system-memory texture survives a reset and is kept.
    if (dt->MemType == DTMEMORYTYPE_SYSTEM && (!restore || fellBack)) {
      dt->bRenderTarget = 0;
      hr = D3DXCreateTextureFromFileExA(lpDevice, file.c_str(), tw, th, 1, D3DUSAGE_DYNAMIC, lpDTCon->TextureFormat,
                                        D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_DEFAULT, key, nullptr, nullptr,
                                        &dt->lpTexture);
      if (FAILED(hr)) {
        ReportLogEcho("D3DXCreateTextureFromFileEx Err %x %s", static_cast<unsigned>(hr), file.c_str());
        DDTextureFailureExit();
        return hr;
      }
    }
    if (!dt->lpTexture) return 4;
    // A kept texture still has its level from before; take it afresh without leaking a reference.
    video::ReleaseAndClear(dt->lpSurface);
    if (FAILED(dt->lpTexture->GetSurfaceLevel(0, &dt->lpSurface))) return 4;
    dt->lpSurface->GetDesc(&dt->Desc);
    lpSD->nWidth = width;
    lpSD->nHeight = height;
    lpSD->nTexWidth = static_cast<int32_t>(dt->Desc.Width);
    lpSD->nTexHeight = static_cast<int32_t>(dt->Desc.Height);
    if (mirrorWidth || mirrorHeight) {
      DDSURFACEDATA unmirrored;
      int code = DDCreateSurfaceFromFile(&unmirrored, file.c_str(), colorKey, depth, ddMemType, dtMemType, nullptr, 0,
                                         0, 0, 0);
      bool made = code == 0 && CreateMirror(lpSD, &unmirrored, mirrorWidth, mirrorHeight);
      DDReleaseSurface(&unmirrored);
      if (!made) {
        ReportLogEcho("CreateMirror Err");
        return 1;
      }
    }
    if (!restore) DDSurfaceList.push_back(lpSD);
  }
  lpSD->nMirrorWidth = mirrorWidth;
  lpSD->nMirrorHeight = mirrorHeight;
  lpSD->nDDMemType = ddMemType;
  SetPalIndex(dt->lpPalIndex, lpSD, palIndex && depth != 8);
  return 0;
}

// 24- or 32-bit bitmap pixels onto a 16-bit surface: the transparent colour becomes the colour key,
// and no other colour may come out as the key.
void CopyToSixteenBits(const cDDLock& lock, const BITMAP& bm, int mirrorWidth, int mirrorHeight) {
  const RGBTRIPLE& key = lpDDCon->rgbTransmitFile;
  int bytes = bm.bmBitsPixel / 8;
  const int* pf = DDPixelFormat;
  for (int y = 0; y < bm.bmHeight; ++y) {
    int ty = Mirrored(y, mirrorHeight);
    if (ty >= lock.m_lpSD->nHeight) continue;
    const uint8_t* row = static_cast<const uint8_t*>(bm.bmBits) + static_cast<size_t>(bm.bmHeight - 1 - y) * bm.bmWidthBytes;
    for (int x = 0; x < bm.bmWidth; ++x) {
      int tx = Mirrored(x, mirrorWidth);
      if (tx >= lock.m_lpSD->nWidth) continue;
      const uint8_t* p = row + static_cast<size_t>(x) * bytes;
      uint32_t pixel;
      if (p[0] == key.rgbtBlue && p[1] == key.rgbtGreen && p[2] == key.rgbtRed) {
        pixel = DDColorKey;
      } else {
        uint32_t r = p[2] * pf[4] / 255, g = p[1] * pf[5] / 255, b = p[0] * pf[6] / 255;
        pixel = r << pf[0] | g << pf[1] | b << pf[2];
        if (pixel == DDColorKey) {
          b = b == static_cast<uint32_t>(pf[6]) ? b - 1 : b + 1;
          pixel = r << pf[0] | g << pf[1] | b << pf[2];
        }
      }
      lock.Row16(ty)[tx] = static_cast<uint16_t>(pixel);
    }
  }
}

// Any other combination: GDI draws the bitmap onto the surface, each cell mirrored as asked.
void CopyThroughGdi(IDirectDrawSurface7* surface, HGDIOBJ bitmap, const BITMAP& bm, int mirrorWidth,
                    int mirrorHeight) {
  HDC dc = nullptr;
  if (FAILED(surface->GetDC(&dc))) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  int w = bm.bmWidth, h = bm.bmHeight;
  if (!mirrorWidth && !mirrorHeight) {
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
  } else {
    int cw = mirrorWidth ? mirrorWidth : w, ch = mirrorHeight ? mirrorHeight : h;
    for (int y = 0; y < h; y += ch) {
      for (int x = 0; x < w; x += cw) {
        int dx = mirrorWidth ? x + cw - 1 : x, dy = mirrorHeight ? y + ch - 1 : y;
        StretchBlt(dc, dx, dy, mirrorWidth ? -cw : cw, mirrorHeight ? -ch : ch, memory, x, y, cw, ch, SRCCOPY);
      }
    }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  surface->ReleaseDC(dc);
}

}  // namespace

HGDIOBJ DDLoadDib(const char* file) {
  return static_cast<HGDIOBJ>(LoadImageA(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* file, int colorKey, int depth, int ddMemType,
                            int dtMemType, DDSURFACEDATA* partner, int palIndex, int mirrorWidth, int mirrorHeight,
                            int restore) {
  if (!lpSD || !file) return 4;
  std::string name = file;  // the file may be the record's own name
  if (lpDTCon)
    return CreateFromFileDirect3D(lpSD, name, colorKey, depth, ddMemType, dtMemType, partner, palIndex, mirrorWidth,
                                  mirrorHeight, restore);
  return CreateFromFileDirectDraw(lpSD, name, colorKey, depth, ddMemType, dtMemType, palIndex, mirrorWidth,
                                  mirrorHeight);
}

BOOL CopyBitmap(DDSURFACEDATA* lpSD, const char* file, int depth, int palIndex, int mirrorWidth, int mirrorHeight) {
  if (lpDTCon || !file || !file[0]) return TRUE;
  if (!lpSD || !lpSD->lpDDData || !lpSD->lpDDData->lpDDSurface) return FALSE;
  std::string name = file;
  HGDIOBJ bitmap = DDLoadDib(name.c_str());
  if (!bitmap) return FALSE;
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  if (depth == 8 && bm.bmBitsPixel == 8) {
    DDSURFACEDESC2 desc{};
    void* bits = nullptr;
    if (DDLock(lpSD, &desc, &bits, 8)) {
      if (lpSD->nWidth != bm.bmWidth || lpSD->nHeight != bm.bmHeight) {
        DebugLogF("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", name.c_str(), lpSD->nWidth, lpSD->nHeight,
                  static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight));
      } else {
        for (int y = 0; y < bm.bmHeight; ++y) {
          int ty = Mirrored(y, mirrorHeight);
          if (ty >= lpSD->nHeight) continue;
          const uint8_t* in =
              static_cast<const uint8_t*>(bm.bmBits) + static_cast<size_t>(bm.bmHeight - 1 - y) * bm.bmWidthBytes;
          uint8_t* out = static_cast<uint8_t*>(bits) + static_cast<size_t>(ty) * desc.lPitch;
          for (int x = 0; x < bm.bmWidth; ++x) {
            int tx = Mirrored(x, mirrorWidth);
            if (tx < lpSD->nWidth) out[tx] = in[x];
          }
        }
      }
      lpSD->lpDDData->lpDDSurface->Unlock(nullptr);
    }
  } else if (depth == 16 && (bm.bmBitsPixel == 24 || bm.bmBitsPixel == 32)) {
    cDDLock lock;
    if (lock.Lock(lpSD) && lock.m_nBytesPerPixel == 2) CopyToSixteenBits(lock, bm, mirrorWidth, mirrorHeight);
  } else {
    // Also a bitmap of another bit count at 8 bits: GDI finds each colour in the palette.
    CopyThroughGdi(lpSD->lpDDData->lpDDSurface, bitmap, bm, mirrorWidth, mirrorHeight);
  }
  DeleteObject(bitmap);
  // The record takes the bitmap's size; a surface of another size keeps its own, so that nothing
  // reads or writes past its pixels.
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  lpSD->lpDDData->lpDDSurface->GetSurfaceDesc(&desc);
  if (static_cast<LONG>(desc.dwWidth) == bm.bmWidth && static_cast<LONG>(desc.dwHeight) == bm.bmHeight) {
    lpSD->nWidth = bm.bmWidth;
    lpSD->nHeight = bm.bmHeight;
  }
  lpSD->nMirrorWidth = mirrorWidth;
  lpSD->nMirrorHeight = mirrorHeight;
  SetText(lpSD->szFileName, name);
  if (palIndex && depth != 8) return DDMakePalIndex(&lpSD->lpDDData->lpPalIndex, lpSD) ? TRUE : FALSE;
  delete[] lpSD->lpDDData->lpPalIndex;
  lpSD->lpDDData->lpPalIndex = nullptr;
  return TRUE;
}

BOOL CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int cellWidth, int cellHeight) {
  if (!cellWidth || cellHeight) return TRUE;
  if (!lpDTCon || !dst || !src || !dst->lpDT) return FALSE;
  if (dst->lpDT->bRenderTarget) {
    if (DDBeginScene() && DDSetRenderTarget(0, dst)) lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, lpDTCon->dwTransmit_32, 1.0f, 0);
    DDRestoreRenderTarget();
  }
  for (int k = 0; k < src->nWidth / cellWidth; ++k)
    DDStretchBlt(dst, k * cellWidth, 0, cellWidth, src->nHeight, src, (k + 1) * cellWidth, 0, -cellWidth,
                 src->nHeight, 0);
  return TRUE;
}

BOOL DDReloadBitmap(DDSURFACEDATA* lpSD, int depth) {
  if (lpDTCon) return TRUE;
  if (!lpSD || !lpSD->lpDDData) return FALSE;
  return CopyBitmap(lpSD, lpSD->szFileName, depth, lpSD->lpDDData->lpPalIndex != nullptr, lpSD->nMirrorWidth,
                    lpSD->nMirrorHeight);
}

int DDMakePalIndex(BYTE** palIndex, DDSURFACEDATA* lpSD) {
  cDDLock lock;
  if (!lock.Lock(lpSD)) {
    OutOfMemoryExit();
    return 0;
  }
  DDSURFACEDATA* sd = lock.m_lpSD;
  delete[] *palIndex;
  *palIndex = new BYTE[static_cast<size_t>(sd->nHeight) * lock.m_nPitch]();
  bool keyed = lpDTCon && sd->lpDT && sd->lpDT->bColorKey;
  // The palette entry of a pixel value, found once per value.
  std::unordered_map<uint32_t, BYTE> found;
  auto indexOf = [&](uint32_t p) -> BYTE {
    if (DDScreenBpp == 16 && lpDTCon && keyed && p == 0) return 0;
    auto it = found.find(p);
    if (it != found.end()) return it->second;
    BYTE index = 0;
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& e = DDPalette[i];
      bool same;
      if (DDScreenBpp == 16 && lpDTCon) {
        same = ((p >> DDPixelFormat[0]) & DDPixelFormat[4]) * 255 / DDPixelFormat[4] == e.peRed &&
               ((p >> DDPixelFormat[1]) & DDPixelFormat[5]) * 255 / DDPixelFormat[5] == e.peGreen &&
               ((p >> DDPixelFormat[2]) & DDPixelFormat[6]) * 255 / DDPixelFormat[6] == e.peBlue;
      } else if (DDScreenBpp == 16) {
        same = p == DDPalToRGB16(e);
      } else {
        same = ((p >> 16) & 0xFF) == e.peRed && ((p >> 8) & 0xFF) == e.peGreen && (p & 0xFF) == e.peBlue;
      }
      if (same) {
        index = static_cast<BYTE>(i);
        break;
      }
    }
    found.emplace(p, index);
    return index;
  };
  if (DDScreenBpp == 16 || DDScreenBpp == 32)
    for (int y = 0; y < sd->nHeight; ++y)
      for (int x = 0; x < sd->nWidth; ++x) (*palIndex)[static_cast<size_t>(y) * lock.m_nPitch + x] = indexOf(lock.Get(x, y));
  return 1;
}
