// The lens blit: a disc of the source magnified toward its centre.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"

namespace {

int64_t ISqrt(int64_t n) {
  int64_t r = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
  while (r > 0 && r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

// A point of a mirrored alias as the point of its partner's picture (each cell read backwards).
int MirrorCoord(int p, int cell) {
  if (cell <= 0 || p < 0) return p;
  int o = p % cell;
  return p - o + cell - 1 - o;
}

// Source offsets of one row of the disc, by column distance k from the centre: the row offset and
// the column offsets for the columns right (+k) and left (-k) of the centre; and the scales they
// come from, shared by the rows i and -i.
struct LensOffsets {
  std::vector<double> scale;
  std::vector<int64_t> row, right, left;
};
thread_local LensOffsets t_offsets;

// The scales of row +-a for k = 0..n-1: D / sqrt(K^2 - a^2 - k^2), or -1 on the rim (a root of 0),
// where the offsets stay. `fast` says the radicands lie below 2^52, where two lanes at a time give
// the same values.
void RowScales(int64_t KK, int64_t a, double depth, size_t n, bool fast, double* scale) {
  size_t k = 0;
#if defined(__SSE2__)
  if (fast) {
    const __m128d base = _mm_set1_pd(static_cast<double>(KK - a * a)), d = _mm_set1_pd(depth);
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), minusOne = _mm_set1_pd(-1.0);
    for (; k + 2 <= n; k += 2) {
      const __m128d kd = _mm_set_pd(static_cast<double>(k + 1), static_cast<double>(k));
      const __m128d root = _mm_sqrt_pd(_mm_sub_pd(base, _mm_mul_pd(kd, kd)));
      const __m128d rim = _mm_cmpeq_pd(root, zero);
      const __m128d q = _mm_div_pd(d, _mm_or_pd(_mm_andnot_pd(rim, root), _mm_and_pd(rim, one)));
      _mm_storeu_pd(scale + k, _mm_or_pd(_mm_andnot_pd(rim, q), _mm_and_pd(rim, minusOne)));
    }
  }
#else
  (void)fast;
#endif
  for (; k < n; ++k) {
    const int64_t kk = static_cast<int64_t>(k);
    const double root = std::sqrt(static_cast<double>(KK - (a * a + kk * kk)));
    scale[k] = root != 0 ? depth / root : -1.0;
  }
}

// The offsets of row i from its scales: each rounded by adding 0.5 and truncating toward zero.
// `fast` says they lie below 2^30, where two lanes at a time give the same values.
void RowOffsets(const double* scale, int64_t i, size_t n, bool fast, LensOffsets& off) {
  size_t k = 0;
#if defined(__SSE2__)
  if (fast) {
    const __m128d di = _mm_set1_pd(static_cast<double>(i)), half = _mm_set1_pd(0.5), zero = _mm_setzero_pd();
    for (; k + 2 <= n; k += 2) {
      const __m128d kd = _mm_set_pd(static_cast<double>(k + 1), static_cast<double>(k));
      const __m128d sc = _mm_loadu_pd(scale + k);
      alignas(16) int32_t rows[4], rights[4], lefts[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(rows), _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(di, sc), half)));
      _mm_store_si128(reinterpret_cast<__m128i*>(rights), _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(kd, sc), half)));
      _mm_store_si128(reinterpret_cast<__m128i*>(lefts),
                      _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(zero, kd), sc), half)));
      for (size_t lane = 0; lane < 2; ++lane) {
        const size_t at = k + lane;
        if (scale[at] < 0) {
          off.row[at] = i, off.right[at] = static_cast<int64_t>(at), off.left[at] = -static_cast<int64_t>(at);
        } else {
          off.row[at] = rows[lane], off.right[at] = rights[lane], off.left[at] = lefts[lane];
        }
      }
    }
  }
#else
  (void)fast;
#endif
  for (; k < n; ++k) {
    const int64_t kk = static_cast<int64_t>(k);
    if (scale[k] < 0) {
      off.row[k] = i, off.right[k] = kk, off.left[k] = -kk;
      continue;
    }
    off.row[k] = static_cast<int64_t>(static_cast<double>(i) * scale[k] + 0.5);
    off.right[k] = static_cast<int64_t>(static_cast<double>(kk) * scale[k] + 0.5);
    off.left[k] = static_cast<int64_t>(static_cast<double>(-kk) * scale[k] + 0.5);
  }
}

// How a lens stores a source pixel: DirectDraw skips the colour-key value; Direct3D 16 bits skips
// transparent pixels under the key flag and applies the pair; Direct3D 32 bits applies the pair and
// treats transparent pixels like points outside.
enum LensStore { kLensDirectDraw, kLensDirect3D16, kLensDirect3D32 };

template <class T, int Store>
struct LensWriter {
  uint32_t key;
  bool keyed, clear, toBack16;
  const cDDColorOp* op;
  const DDSURFACEDATA* dst;
  void Put(T& o, uint32_t p) const {
    if constexpr (Store == kLensDirectDraw) {
      if (p != key) o = static_cast<T>(p);
    } else if constexpr (Store == kLensDirect3D16) {
      if (keyed && (p & 0xA000) == 0) return;
      uint32_t q = op->Apply(p);
      if (toBack16) {
        uint32_t r, g, b;
        DDUnpack16(q, &r, &g, &b);
        q = DDPack16(dst, r, g, b);
      }
      o = static_cast<T>(q);
    } else {
      if ((p >> 24) == 0) {
        if (clear) o = 0;
      } else if (op->Active()) {
        o = static_cast<T>((o & 0xFF000000u) | (op->Apply(p) & 0xFFFFFF));
      } else {
        o = static_cast<T>(p);
      }
    }
  }
};

// Rows [i0, i1] and columns [j0, j1] about the centre, all inside the destination.
template <class T, int Store>
void LensRows(const cDDEffectLocks& locks, int cx, int cy, int64_t R, int64_t KK, double depth, int scx, int scy,
              int64_t i0, int64_t i1, int64_t j0, int64_t j1, int mirrorW, int mirrorH, const LensWriter<T, Store>& wr) {
  const DDSURFACEDATA* s = locks.SrcSD();
  const int sw = s->nWidth, sh = s->nHeight;
  const bool mirrored = mirrorW > 0 || mirrorH > 0;
  LensOffsets& off = t_offsets;
  const int64_t reach = std::max(j0 < 0 ? -j0 : j0, j1 < 0 ? -j1 : j1);
  // Two at a time in double precision while every radicand and offset is exact there.
  const bool fastRoots = KK < (int64_t{1} << 52);
  const bool fastOffsets = R * static_cast<int64_t>(depth) < (int64_t{1} << 30);
  // The row i of the disc; its scales are those of row |i|, already in off.scale.
  auto doRow = [&](int64_t i) {
    T* out = DDRowOf<T>(locks.Dst(), static_cast<int>(cy + i)) + cx;
    // Columns [-span, span] lie inside the disc.
    const int64_t span = ISqrt(R * R - i * i);
    const int64_t lo = std::max(j0, -span), hi = std::min(j1, span);
    if (wr.clear) {
      for (int64_t j = j0; j <= j1; ++j)
        if (j < lo || j > hi) out[j] = 0;
    }
    if (lo > hi) return;
    const size_t n = static_cast<size_t>(std::min(reach, span)) + 1;
    off.row.resize(n);
    off.right.resize(n);
    off.left.resize(n);
    RowOffsets(off.scale.data(), i, n, fastOffsets, off);
    auto point = [&](int64_t j, int64_t oi, int64_t oj) {
      const int64_t px = scx + oj, py = scy + oi;
      T& o = out[j];
      if (px < 0 || py < 0 || px >= sw || py >= sh) {
        if (wr.clear) o = 0;
        return;
      }
      int col = static_cast<int>(px), row = static_cast<int>(py);
      if (mirrored) col = MirrorCoord(col, mirrorW), row = MirrorCoord(row, mirrorH);
      wr.Put(o, DDRowOf<T>(locks.Src(), row)[col]);
    };
    for (int64_t j = lo; j < std::min<int64_t>(hi + 1, 0); ++j)
      point(j, off.row[static_cast<size_t>(-j)], off.left[static_cast<size_t>(-j)]);
    for (int64_t j = std::max<int64_t>(lo, 0); j <= hi; ++j)
      point(j, off.row[static_cast<size_t>(j)], off.right[static_cast<size_t>(j)]);
  };
  auto scales = [&](int64_t a) {
    const size_t n = static_cast<size_t>(std::min(reach, ISqrt(R * R - a * a))) + 1;
    off.scale.resize(n);
    RowScales(KK, a, depth, n, fastRoots, off.scale.data());
  };
  if (locks.Same()) {
    // The destination is its own source: rows from the top, as later rows read earlier ones.
    for (int64_t i = i0; i <= i1; ++i) {
      scales(i < 0 ? -i : i);
      doRow(i);
    }
    return;
  }
  // Rows i and -i share their scales.
  for (int64_t a = std::max<int64_t>({0, i0, -i1}); a <= std::max(-i0, i1); ++a) {
    const bool down = a <= i1 && a >= i0, up = a > 0 && -a >= i0 && -a <= i1;
    if (!down && !up) continue;
    scales(a);
    if (down) doRow(a);
    if (up) doRow(-a);
  }
}

template <class T, int Store>
void LensOf(const cDDEffectLocks& locks, int cx, int cy, int64_t R, int64_t KK, double depth, int scx, int scy,
            int64_t i0, int64_t i1, int64_t j0, int64_t j1, int mirrorW, int mirrorH, bool keyed, bool clear,
            bool toBack16, const cDDColorOp& op) {
  const LensWriter<T, Store> wr{DDColorKey, keyed, clear, toBack16, &op, locks.DstSD()};
  LensRows<T, Store>(locks, cx, cy, R, KK, depth, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH, wr);
}

}  // namespace

bool DDLensBlt(DDSURFACEDATA* dst, int cx, int cy, int radius, int depth, DDSURFACEDATA* src, int scx, int scy,
               int colorKey, int clearOutside, const DWORD* pair) {
  if (depth < 0 || radius < 0) return false;
  const int64_t R = radius, D = depth;
  const int64_t KK0 = D * D + R * R;
  const int64_t K = ISqrt(KK0);
  if (D >= K) return false;
  const int64_t KK = K * K;
  if (!dst || !src) return false;
  int mirrorW = 0, mirrorH = 0;
  if (lpDTCon && src->lpPartner) mirrorW = src->nMirrorWidth, mirrorH = src->nMirrorHeight;
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  const int depthBits = DDEffectDepth();
  if (depthBits == 0) return true;
  const DDSURFACEDATA* d = locks.DstSD();
  const cDDColorOp op(pair);
  const bool keyed = colorKey == 1;
  const bool clear = lpDTCon && depthBits == 32 && clearOutside != 0;
  const bool toBack16 = lpDTCon && depthBits == 16 && DDIsFullScreenBackBuffer(d);
  const double depthD = static_cast<double>(depth);
  // Only rows and columns inside the destination can change.
  const int64_t i0 = std::max<int64_t>(-R, -int64_t{cy}), i1 = std::min<int64_t>(R, int64_t{d->nHeight} - 1 - cy);
  const int64_t j0 = std::max<int64_t>(-R, -int64_t{cx}), j1 = std::min<int64_t>(R, int64_t{d->nWidth} - 1 - cx);
  if (i0 > i1 || j0 > j1) return true;
  if (!lpDTCon) {
    switch (depthBits) {
      case 8:
        LensOf<uint8_t, kLensDirectDraw>(locks, cx, cy, R, KK, depthD, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH,
                                         keyed, clear, toBack16, op);
        break;
      case 16:
        LensOf<uint16_t, kLensDirectDraw>(locks, cx, cy, R, KK, depthD, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH,
                                          keyed, clear, toBack16, op);
        break;
      default:
        LensOf<uint32_t, kLensDirectDraw>(locks, cx, cy, R, KK, depthD, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH,
                                          keyed, clear, toBack16, op);
        break;
    }
  } else if (depthBits == 16) {
    LensOf<uint16_t, kLensDirect3D16>(locks, cx, cy, R, KK, depthD, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH, keyed,
                                      clear, toBack16, op);
  } else {
    LensOf<uint32_t, kLensDirect3D32>(locks, cx, cy, R, KK, depthD, scx, scy, i0, i1, j0, j1, mirrorW, mirrorH, keyed,
                                      clear, toBack16, op);
  }
  return true;
}
