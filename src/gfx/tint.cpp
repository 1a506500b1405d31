// The tinted blit: the source pulled toward one palette colour.
#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "platform/video/pixels.h"

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

// The tint's share of the source and the tint colour, and the rest (1 - f) t, per channel.
struct TintShares32 {
  float f;
  uint32_t tb, tg, tr;
  float rb, rg, rr;
};

// The Direct3D 32-bit tint of a row without a colour pair: level 1 the half mix with the tint colour,
// other levels S f + (1 - f) t in single precision, truncated; the result opaque.
template <bool Keyed, bool Half, int Step>
VIDEO_WIDE_VECTORS void TintRow32Direct3D(uint32_t* out, const uint32_t* in, int n, TintShares32 c) {
  const uint32_t tb = c.tb, tg = c.tg, tr = c.tr;
  for (int k = 0; k < n; ++k) {
    const uint32_t s = in[k * Step], d = out[k];
    const uint32_t sb = s & 0xFF, sg = (s >> 8) & 0xFF, sr = (s >> 16) & 0xFF;
    uint32_t b, g, r;
    if constexpr (Half) {
      b = (sb + tb) >> 1, g = (sg + tg) >> 1, r = (sr + tr) >> 1;
    } else {
      b = static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(sb)) * c.f + c.rb));
      g = static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(sg)) * c.f + c.rg));
      r = static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(sr)) * c.f + c.rr));
    }
    const uint32_t m = 0xFF000000u | (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
    // Chosen by mask, so that the float steps are done for every pixel and the loop has no branch.
    const uint32_t keep = Keyed ? 0u - static_cast<uint32_t>((s >> 24) == 0) : 0u;
    out[k] = (d & keep) | (m & ~keep);
  }
}

// The DirectDraw 32-bit tint of a row: L half mixes toward t as (v + (2^L - 1) t) >> L for each
// byte; the fourth byte stays the destination's.
template <bool Keyed, int Step>
VIDEO_WIDE_VECTORS void TintRow32DirectDraw(uint32_t* out, const uint32_t* in, int n, uint32_t key, uint32_t cr,
                                            uint32_t cg, uint32_t cb, int mixes) {
  for (int k = 0; k < n; ++k) {
    const uint32_t s = in[k * Step], d = out[k];
    const uint32_t r = (((s >> 16) & 0xFF) + cr) >> mixes, g = (((s >> 8) & 0xFF) + cg) >> mixes,
                   b = ((s & 0xFF) + cb) >> mixes;
    const uint32_t m = (d & 0xFF000000u) | r << 16 | g << 8 | b;
    out[k] = Keyed && s == key ? d : m;
  }
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
  if (!op.Active()) {
    // The row loops without the pair, several pixels at a time.
    const TintShares32 shares{f, t[0], t[1], t[2], rest[0], rest[1], rest[2]};
    auto rows = [&](auto keyedFlag, auto halfFlag) {
      DDEachEffectRow<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t* out, const uint32_t* in, int n, auto step) {
        TintRow32Direct3D<keyedFlag(), halfFlag(), decltype(step)::value>(out, in, n, shares);
      });
    };
    if (keyed) half ? rows(std::true_type{}, std::true_type{}) : rows(std::true_type{}, std::false_type{});
    else half ? rows(std::false_type{}, std::true_type{}) : rows(std::false_type{}, std::false_type{});
    return;
  }
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

// The number of half mixes toward t that can still change a channel of 0..255: after L mixes the
// value is t - ceil((t - v) / 2^L) below t and t + floor((v - t) / 2^L) above it, which stops
// changing once 2^L reaches both t and 256 (nine mixes for any t up to 255; 16-bit palettes in
// channel units can give more).
int MixCount(int level, uint32_t t) {
  int cap = 9;
  while (cap < 31 && (1u << cap) < t) ++cap;
  return level < 0 ? 0 : (level > cap ? cap : level);
}

// The value of a channel (0..255) after `level` half mixes toward t, for every value: after at most
// nine mixes it no longer changes.
std::array<uint8_t, 256> MixMap(uint32_t t, int level) {
  std::array<uint8_t, 256> map;
  const int times = MixCount(level, t);
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

// The DirectDraw 16-bit tint in a format known when compiling: L half mixes toward t are
// (v + (2^L - 1) t) >> L, kept to its low byte as the 0..255 value it stands for, and every step
// stays below 2^16 (16-bit lanes) when the caller has checked (2^L - 1) t + 255 does.
template <int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB, bool Keyed, int Step>
VIDEO_WIDE_VECTORS void TintRow16(uint16_t* out, const uint16_t* in, int n, uint16_t key, uint16_t cr, uint16_t cg,
                                  uint16_t cb, int mixes) {
  for (int k = 0; k < n; ++k) {
    const uint16_t s = in[k * Step], d = out[k];
    const uint16_t r = static_cast<uint16_t>(static_cast<uint16_t>(((s >> SR) & MR) * 255) / MR);
    const uint16_t g = static_cast<uint16_t>(static_cast<uint16_t>(((s >> SG) & MG) * 255) / MG);
    const uint16_t b = static_cast<uint16_t>(static_cast<uint16_t>(((s >> SB) & MB) * 255) / MB);
    const uint16_t mr = static_cast<uint16_t>((static_cast<uint16_t>(r + cr) >> mixes) & 0xFF);
    const uint16_t mg = static_cast<uint16_t>((static_cast<uint16_t>(g + cg) >> mixes) & 0xFF);
    const uint16_t mb = static_cast<uint16_t>((static_cast<uint16_t>(b + cb) >> mixes) & 0xFF);
    const uint16_t m = static_cast<uint16_t>(static_cast<uint16_t>(mr * MR) / 255 << SR |
                                             static_cast<uint16_t>(mg * MG) / 255 << SG |
                                             static_cast<uint16_t>(mb * MB) / 255 << SB);
    out[k] = Keyed && s == key ? d : m;
  }
}

template <int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB, bool Keyed>
void TintRows16(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk,
                const uint32_t* add, int mixes) {
  const uint16_t key = static_cast<uint16_t>(DDColorKey);
  const uint16_t cr = static_cast<uint16_t>(add[0]), cg = static_cast<uint16_t>(add[1]);
  const uint16_t cb = static_cast<uint16_t>(add[2]);
  DDEachEffectRow<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t* out, const uint16_t* in, int n, auto step) {
    TintRow16<SR, SG, SB, MR, MG, MB, Keyed, decltype(step)::value>(out, in, n, key, cr, cg, cb, mixes);
  });
}

template <bool Keyed>
bool TintFast16(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, const BYTE* entry,
                int mixes) {
  const int* f = DDPixelFormat;
  const bool r565 = f[0] == 11 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 63 && f[6] == 31;
  const bool r555 = f[0] == 10 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 31 && f[6] == 31;
  if (!r565 && !r555) return false;
  uint32_t add[3];
  for (int c = 0; c < 3; ++c) {
    // The palette holds channel units here; the mixes run on 0..255.
    const uint64_t sum = ((uint64_t{1} << mixes) - 1) * (entry[c] * 255u / static_cast<uint32_t>(f[4 + c]));
    if (sum + 255 > 0xFFFF) return false;
    add[c] = static_cast<uint32_t>(sum);
  }
  if (r565) TintRows16<11, 5, 0, 31, 63, 31, Keyed>(locks, x, y, w, h, walk, add, mixes);
  else TintRows16<10, 5, 0, 31, 31, 31, Keyed>(locks, x, y, w, h, walk, add, mixes);
  return true;
}

void TintDirectDraw(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed,
                    const BYTE* entry, const BYTE* table, int n, int level) {
  const uint32_t key = DDColorKey;
  switch (DDEffectDepth()) {
    case 8: {
      const std::array<uint8_t, 256> map = LookupMap(table, n, level);
      auto rows = [&](auto keyedFlag) {
        DDEachEffectRow<uint8_t>(locks, x, y, w, h, walk, [&](uint8_t* out, const uint8_t* in, int count, auto step) {
          // Without branches: a key pixel writes the destination back.
          for (int k = 0; k < count; ++k) {
            const uint8_t s = in[k * step()], d = out[k];
            out[k] = keyedFlag() && s == key ? d : map[s];
          }
        });
      };
      if (keyed) rows(std::true_type{});
      else rows(std::false_type{});
      break;
    }
    case 16: {
      uint32_t most = 0;
      for (int c = 0; c < 3; ++c) most = std::max<uint32_t>(most, entry[c] * 255u / static_cast<uint32_t>(DDPixelFormat[4 + c]));
      const int mixes = MixCount(level, most);
      if (keyed ? TintFast16<true>(locks, x, y, w, h, walk, entry, mixes)
                : TintFast16<false>(locks, x, y, w, h, walk, entry, mixes))
        break;
      // The palette holds channel units here; the mixes run on 0..255.
      std::array<uint8_t, 256> map[3];
      uint32_t m[3];
      for (int c = 0; c < 3; ++c) {
        m[c] = static_cast<uint32_t>(DDPixelFormat[4 + c]);
        map[c] = MixMap(entry[c] * 255 / m[c], level);
      }
      DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
        if (keyed && s == key) return;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
          out |= map[c][DDChannel16(s, DDPixelFormat, c) * 255 / m[c]] * m[c] / 255 << DDPixelFormat[c];
        d = static_cast<uint16_t>(out);
      });
      break;
    }
    case 32: {
      // L half mixes toward t: (v + (2^L - 1) t) >> L for each byte.
      const int mixes = MixCount(level, 255);
      const uint32_t weight = (1u << mixes) - 1;
      const uint32_t cr = entry[0] * weight, cg = entry[1] * weight, cb = entry[2] * weight;
      auto rows = [&](auto keyedFlag) {
        DDEachEffectRow<uint32_t>(locks, x, y, w, h, walk, [&](uint32_t* out, const uint32_t* in, int count, auto step) {
          TintRow32DirectDraw<keyedFlag(), decltype(step)::value>(out, in, count, key, cr, cg, cb, mixes);
        });
      };
      if (keyed) rows(std::true_type{});
      else rows(std::false_type{});
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
