#include "gfx/palette.h"

#include "core/log.h"
#include "gfx/bitmap.h"
#include "gfx/globals.h"
#include "gfx/lock.h"
#include "gfx/surface.h"
#include "platform/video/gdi.h"

namespace {

// Channels at the format's own scale, packed with the shifts of DDPixelFormat.
DWORD Pack(DWORD r, DWORD g, DWORD b) {
  return (r & DDPixelFormat[4]) << DDPixelFormat[0] | (g & DDPixelFormat[5]) << DDPixelFormat[1] |
         (b & DDPixelFormat[6]) << DDPixelFormat[2];
}

DWORD ChannelOf(DWORD pixel, int c) { return (pixel >> DDPixelFormat[c]) & DDPixelFormat[4 + c]; }

// A picture file loaded for reading its pixels: no colour key, the screen depth, system memory.
int LoadForReading(DDSURFACEDATA* lpSD, const char* file) {
  return DDCreateSurfaceFromFile(lpSD, file, 0, DDScreenBpp, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0, 0, 0, 0);
}

}  // namespace

DWORD PalNumToRGB(DWORD dwPalNum) {
  if (lpDTCon) {
    if (dwPalNum > 255) {
      DebugLogF("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(dwPalNum));
      return 0;
    }
    const PALETTEENTRY& e = DDPalette[dwPalNum];
    switch (DDScreenBpp) {
      case 8: return dwPalNum;
      case 16:
      case 32:
        if (dwPalNum == 0) return lpDTCon->dwTransmit_32;
        return 0xFF000000 | DWORD(e.peRed) << 16 | DWORD(e.peGreen) << 8 | e.peBlue;
      case 24: return DWORD(e.peBlue) << 16 | DWORD(e.peGreen) << 8 | e.peRed;
      default: return 0;
    }
  }
  if (DDScreenBpp == 8) return dwPalNum;
  // A number past the table has no colour.
  if (dwPalNum > 255) return 0;
  const PALETTEENTRY& e = DDPalette[dwPalNum];
  switch (DDScreenBpp) {
    case 16: return Pack(e.peRed, e.peGreen, e.peBlue);
    case 24:
    case 32: return DWORD(e.peRed) << 16 | DWORD(e.peGreen) << 8 | e.peBlue;
    default: return 0;
  }
}

WORD DDPalToRGB16(const PALETTEENTRY& entry) {
  if (lpDTCon) {
    DebugLog("DDPalToRGB16はDirect3Dでは未対応");
    return 0;
  }
  return static_cast<WORD>(Pack(entry.peRed, entry.peGreen, entry.peBlue));
}

void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue) {
  if (lpDTCon) {
    lpDTCon->rgbTransmit = {cbBlue, cbGreen, cbRed};
    DebugLogF("SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,"
              "lpDTCon->rgbTransmit.rgbtBlue = %d",
              cbRed, cbGreen, cbBlue);
    DWORD key = 0xFF000000 | DWORD(cbRed) << 16 | DWORD(cbGreen) << 8 | cbBlue;
    if (DDScreenBpp == 32) {
      lpDTCon->dwTransmit_32 = 0;
      lpDTCon->dwTransmitKey_32 = key;
      lpDTCon->wTransmit_16 = lpDTCon->wTransmitKey_16 = 0;
      DDColorKey = 0;
    } else if (DDScreenBpp == 16) {
      lpDTCon->dwTransmit_32 = 0;
      lpDTCon->dwTransmitKey_32 = key;
      lpDTCon->wTransmit_16 = 0;
      lpDTCon->wTransmitKey_16 =
          static_cast<WORD>(Pack(cbRed, cbGreen, cbBlue) | DWORD(DDPixelFormat[7] & 1) << DDPixelFormat[3]);
    }
    return;
  }
  if (DDScreenBpp == 16) {
    DDColorKey = Pack(cbRed * DDPixelFormat[4] / 255, cbGreen * DDPixelFormat[5] / 255,
                      cbBlue * DDPixelFormat[6] / 255) & 0xFFFF;
    DebugLog("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
    DebugErrorBoxF("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(DDColorKey), cbRed, cbGreen, cbBlue,
                   static_cast<int>(ChannelOf(DDColorKey, 0) * 255 / DDPixelFormat[4]),
                   static_cast<int>(ChannelOf(DDColorKey, 1) * 255 / DDPixelFormat[5]),
                   static_cast<int>(ChannelOf(DDColorKey, 2) * 255 / DDPixelFormat[6]));
  } else if (DDScreenBpp == 32) {
    DDColorKey = DWORD(cbRed) << 16 | DWORD(cbGreen) << 8 | cbBlue;
    if (lpDDCon) lpDDCon->rgbTransmit = {cbBlue, cbGreen, cbRed};
  }
}

int DDSetTransmitFromFile(const char* file) {
  DDSURFACEDATA picture;
  if (!DDCheckResult(LoadForReading(&picture, file))) {
    DebugLogF("%s 作成失敗！", file);
    DDReleaseSurface(&picture);
    return 0;
  }
  cDDLock lock;
  if (!lock.Lock(&picture)) {
    DebugLog("Lock 失敗！");
    lock.Unlock();
    DDReleaseSurface(&picture);
    return 0;
  }
  DWORD p = lock.Get(0, 0);
  if (lpDTCon && DDScreenBpp == 16) {
    DDColorKey = p;
    if (file) {
      HGDIOBJ bitmap = DDLoadDib(file);
      if (!bitmap) {
        lock.Unlock();
        DDReleaseSurface(&picture);
        return 0;
      }
      BITMAP bm{};
      GetObjectA(bitmap, sizeof bm, &bm);
      RGBQUAD first{};
      if (bm.bmBitsPixel == 8 && GetDIBColorTable(bitmap, 0, 1, &first) == 1)
        lpDTCon->rgbTransmitFile = {first.rgbBlue, first.rgbGreen, first.rgbRed};
      DeleteObject(bitmap);
    }
    DDSetTransmit(static_cast<BYTE>(ChannelOf(p, 0)), static_cast<BYTE>(ChannelOf(p, 1)),
                  static_cast<BYTE>(ChannelOf(p, 2)));
    DebugLogF("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
  } else if (lpDTCon) {
    if (DDScreenBpp == 32) DDSetTransmit((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  } else if (DDScreenBpp == 8) {
    DDColorKey = p & 0xFF;
  } else if (DDScreenBpp == 16) {
    DDColorKey = p & 0xFFFF;
  } else if (DDScreenBpp == 32) {
    DDColorKey = p;
    if (lpDDCon) lpDDCon->rgbTransmit = {static_cast<BYTE>(p), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p >> 16)};
  }
  lock.Unlock();
  DDReleaseSurface(&picture);
  return 1;
}

BOOL DDLoadPaletteFromFile(PALETTEENTRY* table, const char* file) {
  HGDIOBJ bitmap = DDLoadDib(file);
  if (!bitmap) return FALSE;
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  if (bm.bmBitsPixel == 8 && (lpDTCon || DDScreenBpp == 8)) {
    RGBQUAD colors[256];
    UINT n = GetDIBColorTable(bitmap, 0, 256, colors);
    for (UINT i = 0; i < n; ++i) {
      BYTE flag = 255;
      if (!lpDTCon) flag = (i < 10 || i >= 246) ? PC_EXPLICIT : PC_RESERVED;
      table[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, flag};
    }
  }
  DeleteObject(bitmap);
  if (!lpDTCon && DDScreenBpp == 8) {
    if (lpDDPal) lpDDPal->SetEntries(0, 0, 256, table);
    return TRUE;
  }
  if (DDScreenBpp == 16 || DDScreenBpp == 24 || DDScreenBpp == 32) {
    DDSURFACEDATA picture;
    if (LoadForReading(&picture, file) == 0) DDSetPalette_UnPal(reinterpret_cast<BYTE*>(table), &picture);
    DDReleaseSurface(&picture);
  }
  return TRUE;
}

int DDSetPalette_UnPal(BYTE* palette, DDSURFACEDATA* lpSD) {
  cDDLock lock;
  if (!lock.Lock(lpSD)) {
    if (lpDTCon) DebugLog("DDSetPalette_UnPal Lock Err");
    return 1;
  }
  DDSURFACEDATA* sd = lock.m_lpSD;
  if (DDScreenBpp != 16 && DDScreenBpp != 32) return 1;
  for (int row = 8; row < 24; ++row) {
    for (int column = 0; column < 16; ++column) {
      if (column >= sd->nWidth || row >= sd->nHeight) continue;  // a small picture leaves these entries
      BYTE* e = palette + 4 * ((row - 8) * 16 + column);
      DWORD p = lock.Get(column, row);
      if (DDScreenBpp == 32) {
        if (lpDTCon && (p >> 24) == 0) continue;
        e[0] = static_cast<BYTE>(p >> 16), e[1] = static_cast<BYTE>(p >> 8), e[2] = static_cast<BYTE>(p);
        e[3] = static_cast<BYTE>(p >> 24);
      } else if (lpDTCon) {
        if (((p >> DDPixelFormat[3]) & DDPixelFormat[7]) == 0) continue;
        for (int c = 0; c < 3; ++c) e[c] = static_cast<BYTE>(ChannelOf(p, c) * 255 / DDPixelFormat[4 + c]);
      } else {
        for (int c = 0; c < 3; ++c) e[c] = static_cast<BYTE>((p >> DDPixelFormat[c]) & (DDPixelFormat[4 + c] & 0xFF));
      }
    }
  }
  return 1;
}
