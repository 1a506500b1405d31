#include "gfx/palette.h"

#include "core/log.h"
#include "gfx/globals.h"

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
    case 16:
      return DWORD(e.peRed & DDPixelFormat[4]) << DDPixelFormat[0] | DWORD(e.peGreen & DDPixelFormat[5]) << DDPixelFormat[1] |
             DWORD(e.peBlue & DDPixelFormat[6]) << DDPixelFormat[2];
    case 24:
    case 32: return DWORD(e.peRed) << 16 | DWORD(e.peGreen) << 8 | e.peBlue;
    default: return 0;
  }
}
