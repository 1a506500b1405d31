// The tinted blit: the source pulled toward one palette colour.
#include <array>
#include <cstdint>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"

namespace {

// Share of the source colour per Direct3D level, in the quad's texture factor and in software.
int QuadFactorAlpha(int level) {
  static const int kAlpha[4] = {128, 80, 48, 16};
  return level >= 1 && level <= 4 ? kAlpha[level - 1] : 0;
}
int SoftwareShare(int level) {
  static const int kShare[4] = {128, 64, 32, 16};
  return level >= 1 && level <= 4 ? kShare[level - 1] : 0;
}

void TintDirect3D(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed,
                  const BYTE* entry, int level, const cDDColorOp& op) {
  const float f = static_cast<float>(SoftwareShare(level)) * (1.0f / 255.0f);
  const bool half = level == 1;
  if (DDScreenBpp == 16) {
    uint32_t t[3];
    float rest[3];
    for (int c = 0; c < 3; ++c) {
      t[c] = static_cast<uint32_t>(DDPixelFormat[4 + c]) * entry[c] / 255;
      rest[c] = (1.0f - f) * static_cast<float>(t[c]);
    }
    const bool toBack = DDIsFullScreenBackBuffer(locks.DstSD());
    const int* bf = DDBackPixelFormat;
    DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
      if (keyed && (s & 0xA000) == 0) return;
      uint32_t p = op.Apply(s), v[3];
      for (int c = 0; c < 3; ++c) {
        uint32_t sc = DDChannel16(p, DDPixelFormat, c);
        v[c] = half ? sc + t[c] : static_cast<uint32_t>(static_cast<float>(sc) * f + rest[c]);
      }
      if (toBack) {
        // Level 1 keeps the undivided green sum, which is the 5-bit green doubled.
        uint32_t g = half ? v[1] : v[1] * 2;
        if (half) v[0] >>= 1, v[2] >>= 1;
        d = static_cast<uint16_t>(v[0] << bf[0] | g << bf[1] | v[2] << bf[2]);
        return;
      }
      if (half)
        for (uint32_t& c : v) c >>= 1;
      uint32_t out = static_cast<uint32_t>(DDPixelFormat[7] & 1) << DDPixelFormat[3];
      for (int c = 0; c < 3; ++c) out |= (v[c] & static_cast<uint32_t>(DDPixelFormat[4 + c])) << DDPixelFormat[c];
      d = static_cast<uint16_t>(out);
    });
    return;
  }
  if (DDScreenBpp != 32) return;
  const uint32_t t[3] = {entry[2], entry[1], entry[0]};  // blue, green, red: byte order of the pixel
  float rest[3];
  for (int c = 0; c < 3; ++c) rest[c] = (1.0f - f) * static_cast<float>(t[c]);
  DDEachEffectPixel<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t& d, uint32_t s) {
    if (keyed && (s >> 24) == 0) return;
    uint32_t p = op.Apply(s), out = 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
      uint32_t sc = (p >> (8 * c)) & 0xFF;
      uint32_t v = half ? (sc + t[c]) >> 1 : static_cast<uint32_t>(static_cast<float>(sc) * f + rest[c]);
      out |= (v & 0xFF) << (8 * c);
    }
    d = out;
  });
}

// The value of a channel (0..255) after `level` half mixes toward t, for every value: after at most
// nine mixes it no longer changes.
std::array<uint8_t, 256> MixMap(uint32_t t, int level) {
  std::array<uint8_t, 256> map;
  int times = level < 0 ? 0 : (level > 9 ? 9 : level);
  for (uint32_t v = 0; v < 256; ++v) {
    uint32_t m = v;
    for (int k = 0; k < times; ++k) m = (m + t) >> 1;
    map[v] = static_cast<uint8_t>(m);
  }
  return map;
}

// The 8-bit index after `level` lookups table[P * 256 + n], for every index, by composing the
// one-step map with itself (exact for any level).
std::array<uint8_t, 256> LookupMap(const BYTE* table, int n, int level) {
  std::array<uint8_t, 256> result, step;
  for (int p = 0; p < 256; ++p) result[p] = static_cast<uint8_t>(p), step[p] = table[p * 256 + n];
  for (unsigned k = level < 0 ? 0u : static_cast<unsigned>(level); k; k >>= 1) {
    if (k & 1)
      for (int p = 0; p < 256; ++p) result[p] = step[result[p]];
    std::array<uint8_t, 256> twice;
    for (int p = 0; p < 256; ++p) twice[p] = step[step[p]];
    step = twice;
  }
  return result;
}

void TintDirectDraw(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed,
                    const BYTE* entry, const BYTE* table, int n, int level) {
  switch (DDEffectDepth()) {
    case 8: {
      std::array<uint8_t, 256> map = LookupMap(table, n, level);
      DDEachEffectPixel<uint8_t>(locks, x, y, w, h, walk, [&](uint8_t& d, uint8_t s) {
        if (keyed && s == DDColorKey) return;
        d = map[s];
      });
      break;
    }
    case 16: {
      // The palette holds channel units here; the mixes run on 0..255.
      std::array<uint8_t, 256> map[3];
      uint32_t m[3];
      for (int c = 0; c < 3; ++c) {
        m[c] = static_cast<uint32_t>(DDPixelFormat[4 + c]);
        map[c] = MixMap(entry[c] * 255 / m[c], level);
      }
      DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
        if (keyed && s == DDColorKey) return;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
          out |= map[c][DDChannel16(s, DDPixelFormat, c) * 255 / m[c]] * m[c] / 255 << DDPixelFormat[c];
        d = static_cast<uint16_t>(out);
      });
      break;
    }
    case 32: {
      const std::array<uint8_t, 256> b = MixMap(entry[2], level), g = MixMap(entry[1], level),
                                     r = MixMap(entry[0], level);
      DDEachEffectPixel<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t& d, uint32_t s) {
        if (keyed && s == DDColorKey) return;
        d = (d & 0xFF000000u) | uint32_t{r[(s >> 16) & 0xFF]} << 16 | uint32_t{g[(s >> 8) & 0xFF]} << 8 |
            b[s & 0xFF];
      });
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool DDTintBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
               const BYTE* palette, const BYTE* table, int colour, int level, const DWORD* pair) {
  if (level == 0 || (lpDTCon && level < 0)) return true;
  if (!dst || !src || !palette || w <= 0 || h <= 0) return true;
  if (!table) table = DDBlendTable;
  const int n = colour & 0xFF;
  const BYTE* entry = palette + 4 * n;
  DDSourceWalk walk = DDWalkSource(src, sx, sy, w, h);
  if (lpDTCon) {
    DTVERTEX quad[4];
    DDEffectSurfaces fx = DDResolveBlitEffect(dst, x, y, w, h, src, sx, sy, 0xFFFFFFFF, quad);
    if (fx.quad) {
      if (!DDBeginEffectQuad(fx.dst, fx.src, quad)) return true;
      lpDevice->SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<DWORD>(QuadFactorAlpha(level)) << 24 |
                                                        DWORD{entry[0]} << 16 | DWORD{entry[1]} << 8 | entry[2]);
      DDSetStage(D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
                 D3DTA_DIFFUSE, fx.src->lpDT->lpTexture);
      DDDrawEffectQuad(fx.src);
      return true;
    }
    cDDEffectLocks locks;
    if (!locks.Lock(dst, src)) return true;
    TintDirect3D(locks, x, y, w, h, walk, colorKey == 1, entry, level, cDDColorOp(pair));
    return true;
  }
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  TintDirectDraw(locks, x, y, w, h, walk, colorKey == 1, entry, table, n, level);
  return true;
}
