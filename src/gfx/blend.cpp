// The translucent blit: one quad with vertex alpha, or the half-and-half mix in software.
#include <cstdint>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"

namespace {

void HalfMix16Direct3D(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed) {
  const int* tf = DDPixelFormat;
  if (DDIsFullScreenBackBuffer(locks.DstSD())) {
    // The back buffer's own format: the source's 5-bit green counted twice fills the 6-bit field.
    const int* bf = DDBackPixelFormat;
    DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
      if (keyed && (s & 0xA000) == 0) return;
      uint32_t r = (DDChannel16(s, tf, 0) + DDChannel16(d, bf, 0)) >> 1;
      uint32_t g = (DDChannel16(d, bf, 1) + 2 * DDChannel16(s, tf, 1)) >> 1;
      uint32_t b = (DDChannel16(s, tf, 2) + DDChannel16(d, bf, 2)) >> 1;
      d = static_cast<uint16_t>(r << bf[0] | g << bf[1] | b << bf[2]);
    });
    return;
  }
  const uint32_t alpha = static_cast<uint32_t>(tf[7] & 1) << tf[3];
  DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
    if (keyed && (s & 0xA000) == 0) return;
    uint32_t out = alpha;
    for (int c = 0; c < 3; ++c)
      out |= (((DDChannel16(s, tf, c) + DDChannel16(d, tf, c)) >> 1) & static_cast<uint32_t>(tf[4 + c])) << tf[c];
    d = static_cast<uint16_t>(out);
  });
}

// Each of blue, green and red (S + D) >> 1; the top byte is left to the caller.
inline uint32_t HalfBytes(uint32_t s, uint32_t d) {
  return ((s & 0xFEFEFE) >> 1) + ((d & 0xFEFEFE) >> 1) + (s & d & 0x010101);
}

void HalfMix(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed,
             const BYTE* table) {
  switch (DDEffectDepth()) {
    case 8:
      DDEachEffectPixel<uint8_t>(locks, x, y, w, h, walk, [&](uint8_t& d, uint8_t s) {
        if (keyed && s == 0) return;
        d = d == 0 ? s : table[d * 256 + s];
      });
      break;
    case 16:
      if (lpDTCon) {
        HalfMix16Direct3D(locks, x, y, w, h, walk, keyed);
        break;
      }
      DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
        if (keyed && s == DDColorKey) return;
        if (d == DDColorKey) {
          d = s;
          return;
        }
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
          uint32_t m = static_cast<uint32_t>(DDPixelFormat[4 + c]);
          uint32_t a = DDChannel16(d, DDPixelFormat, c) * 255 / m, b = DDChannel16(s, DDPixelFormat, c) * 255 / m;
          out |= ((a + b) >> 1) * m / 255 << DDPixelFormat[c];
        }
        d = static_cast<uint16_t>(out);
      });
      break;
    case 32:
      if (lpDTCon) {
        DDEachEffectPixel<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t& d, uint32_t s) {
          if (keyed && (s >> 24) == 0) return;
          d = 0xFF000000u | HalfBytes(s, d);
        });
        break;
      }
      DDEachEffectPixel<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t& d, uint32_t s) {
        if (keyed && s == DDColorKey) return;
        d = (d & 0xFF000000u) | (d == DDColorKey ? s & 0xFFFFFF : HalfBytes(s, d));
      });
      break;
    default:
      break;
  }
}

}  // namespace

bool DDBlendBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
                BYTE* table, int transparency) {
  if (!table) table = DDBlendTable;
  if (!dst || !src || w <= 0 || h <= 0) return true;
  DDSourceWalk walk = DDWalkSource(src, sx, sy, w, h);
  if (lpDTCon) {
    DTVERTEX quad[4];
    DDEffectSurfaces fx =
        DDResolveBlitEffect(dst, x, y, w, h, src, sx, sy, ~static_cast<DWORD>(transparency) << 24 | 0xFFFFFF, quad);
    if (fx.quad) {
      if (!DDBeginEffectQuad(fx.dst, fx.src, quad)) return true;
      DDSetBlitStage(D3DTOP_MODULATE, D3DTOP_MODULATE, fx.src->lpDT->lpTexture);
      if (DDDrawEffectQuad(fx.src)) {
        lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      }
      return true;
    }
  }
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return lpDTCon != nullptr;
  HalfMix(locks, x, y, w, h, walk, colorKey == 1, table);
  return true;
}

bool DDHalfBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
               BYTE* table) {
  return DDBlendBlt(dst, x, y, w, h, src, sx, sy, colorKey, table, 128);
}
