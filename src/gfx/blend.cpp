// The translucent blit: one quad with vertex alpha, or the half-and-half mix in software.
#include <cstdint>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "platform/video/pixels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BLEND_AVX2 1
#endif

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

// One channel of the DirectDraw 16-bit half mix: both sides through 0..255 and back. Every step
// stays below 2^16 (at most 63 x 255), so the row loop can work in 16-bit lanes.
template <uint16_t M>
inline uint16_t HalfChannel(uint16_t d, uint16_t s) {
  const uint16_t a = static_cast<uint16_t>(static_cast<uint16_t>(d * 255) / M);
  const uint16_t b = static_cast<uint16_t>(static_cast<uint16_t>(s * 255) / M);
  return static_cast<uint16_t>(static_cast<uint16_t>(((a + b) >> 1) * M) / 255);
}

// The DirectDraw 16-bit half mix in a format known when compiling (R5G6B5 or X1R5G5B5), where the
// divisions become multiplications and the row loop runs several pixels at a time.
template <int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB, bool Keyed, int Step>
VIDEO_WIDE_VECTORS void HalfRow16(uint16_t* out, const uint16_t* in, int n, uint16_t key) {
  for (int k = 0; k < n; ++k) {
    const uint16_t s = in[k * Step], d = out[k];
    uint16_t m = static_cast<uint16_t>(HalfChannel<MR>((d >> SR) & MR, (s >> SR) & MR) << SR |
                                       HalfChannel<MG>((d >> SG) & MG, (s >> SG) & MG) << SG |
                                       HalfChannel<MB>((d >> SB) & MB, (s >> SB) & MB) << SB);
    m = d == key ? s : m;
    out[k] = Keyed && s == key ? d : m;
  }
}

template <int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB, bool Keyed>
void HalfRows16(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk) {
  const uint16_t key = static_cast<uint16_t>(DDColorKey);
  DDEachEffectRow<uint16_t>(locks, x, y, w, h, walk, [key](uint16_t* out, const uint16_t* in, int n, auto step) {
    HalfRow16<SR, SG, SB, MR, MG, MB, Keyed, decltype(step)::value>(out, in, n, key);
  });
}

template <bool Keyed>
void HalfMix16DirectDraw(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk) {
  const int* f = DDPixelFormat;
  if (f[0] == 11 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 63 && f[6] == 31) [[likely]] {
    HalfRows16<11, 5, 0, 31, 63, 31, Keyed>(locks, x, y, w, h, walk);
    return;
  }
  if (f[0] == 10 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 31 && f[6] == 31) [[likely]] {
    HalfRows16<10, 5, 0, 31, 31, 31, Keyed>(locks, x, y, w, h, walk);
    return;
  }
  const uint32_t key = DDColorKey;
  DDEachEffectPixel<uint16_t>(locks, x, y, w, h, walk, [&](uint16_t& d, uint16_t s) {
    if (Keyed && s == key) return;
    if (d == key) {
      d = s;
      return;
    }
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
      uint32_t m = static_cast<uint32_t>(f[4 + c]);
      uint32_t a = DDChannel16(d, f, c) * 255 / m, b = DDChannel16(s, f, c) * 255 / m;
      out |= ((a + b) >> 1) * m / 255 << f[c];
    }
    d = static_cast<uint16_t>(out);
  });
}

// The 32-bit half mix of a row. Direct3D: transparent sources (alpha 0) skipped under the key flag
// and the result opaque. DirectDraw: the key value compared whole, a destination equal to it takes
// the source, and the fourth byte stays the destination's.
template <bool Keyed, bool Direct3D, int Step>
VIDEO_WIDE_VECTORS void HalfRow32(uint32_t* out, const uint32_t* in, int n, uint32_t key) {
  for (int k = 0; k < n; ++k) {
    const uint32_t s = in[k * Step], d = out[k];
    if constexpr (Direct3D) {
      out[k] = Keyed && (s >> 24) == 0 ? d : 0xFF000000u | HalfBytes(s, d);
    } else {
      const uint32_t m = (d & 0xFF000000u) | (d == key ? s & 0xFFFFFF : HalfBytes(s, d));
      out[k] = Keyed && s == key ? d : m;
    }
  }
}

template <bool Keyed>
void HalfMix32(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk) {
  const uint32_t key = DDColorKey;
  if (lpDTCon) {
    DDEachEffectRow<uint32_t>(locks, x, y, w, h, walk, [key](uint32_t* out, const uint32_t* in, int n, auto step) {
      HalfRow32<Keyed, true, decltype(step)::value>(out, in, n, key);
    });
    return;
  }
  DDEachEffectRow<uint32_t>(locks, x, y, w, h, walk, [key](uint32_t* out, const uint32_t* in, int n, auto step) {
    HalfRow32<Keyed, false, decltype(step)::value>(out, in, n, key);
  });
}

// The 8-bit half mix of a row through the blend table, without branches: a destination 0 takes the
// source, and under the key flag a source 0 leaves the destination.
template <bool Keyed, int Step>
void HalfRow8(uint8_t* out, const uint8_t* in, int n, const BYTE* table) {
  for (int k = 0; k < n; ++k) {
    const uint32_t s = in[k * Step], d = out[k];
    uint32_t m = table[d << 8 | s];
    m = d == 0 ? s : m;
    out[k] = static_cast<uint8_t>(Keyed && s == 0 ? d : m);
  }
}

#if defined(BLEND_AVX2)
bool BlendAvx2() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

// HalfRow8 eight pixels at a time, the table read by a gather of the four bytes that end at each
// entry (entries of rows 1 and up, so never before the table; row 0 is not read). Returns how many
// pixels it did. Rows that overlap without being the same pixels are left to the plain loop.
template <bool Keyed>
__attribute__((target("avx2"))) int HalfRow8Avx2(uint8_t* out, const uint8_t* in, int n, const BYTE* table) {
  if (in != out && in < out + n && out < in + n) return 0;
  const __m256i zero = _mm256_setzero_si256(), three = _mm256_set1_epi32(3);
  // Byte 0 of each word to the low four bytes of its 128-bit half, then both halves together.
  const __m256i gatherBytes = _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8,
                                               12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i joinHalves = _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1);
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256i s = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + k)));
    const __m256i d = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(out + k)));
    const __m256i index = _mm256_sub_epi32(_mm256_or_si256(_mm256_slli_epi32(d, 8), s), three);
    const __m256i fromTable = _mm256_xor_si256(_mm256_cmpeq_epi32(d, zero), _mm256_set1_epi32(-1));
    // Lanes left out keep the source in their top byte: a destination 0 takes the source.
    __m256i m = _mm256_mask_i32gather_epi32(_mm256_slli_epi32(s, 24), reinterpret_cast<const int*>(table), index,
                                            fromTable, 1);
    m = _mm256_srli_epi32(m, 24);
    if constexpr (Keyed) m = _mm256_blendv_epi8(m, d, _mm256_cmpeq_epi32(s, zero));
    const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(m, gatherBytes), joinHalves);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm256_castsi256_si128(bytes));
  }
  return k;
}
#endif

template <bool Keyed>
void HalfMix8(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, const BYTE* table) {
  DDEachEffectRow<uint8_t>(locks, x, y, w, h, walk, [table](uint8_t* out, const uint8_t* in, int n, auto step) {
    int done = 0;
#if defined(BLEND_AVX2)
    if (decltype(step)::value == 1 && BlendAvx2()) done = HalfRow8Avx2<Keyed>(out, in, n, table);
#endif
    HalfRow8<Keyed, decltype(step)::value>(out + done, in + done * step(), n - done, table);
  });
}

void HalfMix(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, bool keyed,
             const BYTE* table) {
  switch (DDEffectDepth()) {
    case 8:
      if (keyed) HalfMix8<true>(locks, x, y, w, h, walk, table);
      else HalfMix8<false>(locks, x, y, w, h, walk, table);
      break;
    case 16:
      if (lpDTCon) HalfMix16Direct3D(locks, x, y, w, h, walk, keyed);
      else if (keyed) HalfMix16DirectDraw<true>(locks, x, y, w, h, walk);
      else HalfMix16DirectDraw<false>(locks, x, y, w, h, walk);
      break;
    case 32:
      if (keyed) HalfMix32<true>(locks, x, y, w, h, walk);
      else HalfMix32<false>(locks, x, y, w, h, walk);
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
