// The lens blit: a disc of the source magnified toward its centre.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define LENS_AVX2 1
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

// The disc about the destination centre, cut to the rows [i0, i1] and columns [j0, j1] that lie
// inside the destination; reach is the largest column distance among them.
struct LensGeometry {
  int cx, cy, scx, scy;
  int64_t R, KK;
  double depth;
  int64_t i0, i1, j0, j1, reach;
};

// The source offsets of the rows +a and -a for the column distances k = 0..n-1: the row offsets of
// row +a (`down`) and row -a (`up`), and the column offsets of the columns +k (`right`) and -k
// (`left`). Each point's root s = sqrt(K^2 - a^2 - k^2) serves all four; an offset is the distance
// times D, divided by s, plus 0.5, truncated toward zero, and a point on the rim (a root of 0) keeps
// its own.
template <class Off>
struct LensQuarter {
  std::vector<Off> down, up, right, left;
  void Resize(size_t n) {
    for (std::vector<Off>* v : {&down, &up, &right, &left})
      if (v->size() < n) v->resize(n);
  }
};

#if defined(LENS_AVX2)
// Whether the processor runs the loops below written for 256-bit vectors.
bool LensAvx2() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

// Four points at a time of the narrow offsets below (the same operations, no fused multiply-add);
// returns how many it did.
__attribute__((target("avx2"))) size_t NarrowQuarterAvx2(double base, double depth, double ad, size_t n,
                                                          int32_t* down, int32_t* up, int32_t* right, int32_t* left) {
  const __m256d vbase = _mm256_set1_pd(base), vdepth = _mm256_set1_pd(depth), vad = _mm256_set1_pd(ad * depth);
  const __m256d one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5), four = _mm256_set1_pd(4.0);
  __m256d kd = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
  size_t k = 0;
  for (; k + 4 <= n; k += 4, kd = _mm256_add_pd(kd, four)) {
    const __m256d root = _mm256_max_pd(_mm256_sqrt_pd(_mm256_sub_pd(vbase, _mm256_mul_pd(kd, kd))), one);
    const __m256d x = _mm256_div_pd(vad, root), y = _mm256_div_pd(_mm256_mul_pd(kd, vdepth), root);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(down + k), _mm256_cvttpd_epi32(_mm256_add_pd(x, half)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(up + k), _mm256_cvttpd_epi32(_mm256_sub_pd(half, x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(right + k), _mm256_cvttpd_epi32(_mm256_add_pd(y, half)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(left + k), _mm256_cvttpd_epi32(_mm256_sub_pd(half, y)));
  }
  return k;
}
#endif

// Narrow offsets, when K^2 lies below 2^52 and R x D below 2^30: each radicand and each scaled
// distance is then exact in double precision and each offset fits 32 bits. The rim's root of 0 is
// taken as 1 here (every other root is at least 1) and its points are set afterwards.
void NarrowQuarter(const LensGeometry& g, int64_t a, size_t n, LensQuarter<int32_t>& q) {
  const double base = static_cast<double>(g.KK - a * a), ad = static_cast<double>(a);
  int32_t *down = q.down.data(), *up = q.up.data(), *right = q.right.data(), *left = q.left.data();
  size_t k = 0;
#if defined(LENS_AVX2)
  if (LensAvx2()) k = NarrowQuarterAvx2(base, g.depth, ad, n, down, up, right, left);
#endif
#if defined(__SSE2__)
  const __m128d vbase = _mm_set1_pd(base), vdepth = _mm_set1_pd(g.depth), vad = _mm_set1_pd(ad * g.depth);
  const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5), two = _mm_set1_pd(2.0);
  __m128d kd = _mm_set_pd(static_cast<double>(k + 1), static_cast<double>(k));
  for (; k + 2 <= n; k += 2, kd = _mm_add_pd(kd, two)) {
    const __m128d root = _mm_max_pd(_mm_sqrt_pd(_mm_sub_pd(vbase, _mm_mul_pd(kd, kd))), one);
    const __m128d x = _mm_div_pd(vad, root), y = _mm_div_pd(_mm_mul_pd(kd, vdepth), root);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(down + k), _mm_cvttpd_epi32(_mm_add_pd(x, half)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(up + k), _mm_cvttpd_epi32(_mm_sub_pd(half, x)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(right + k), _mm_cvttpd_epi32(_mm_add_pd(y, half)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(left + k), _mm_cvttpd_epi32(_mm_sub_pd(half, y)));
  }
#endif
  for (; k < n; ++k) {
    const double kd = static_cast<double>(k);
    const double root = std::max(std::sqrt(base - kd * kd), 1.0);
    const double x = ad * g.depth / root, y = kd * g.depth / root;
    down[k] = static_cast<int32_t>(x + 0.5);
    up[k] = static_cast<int32_t>(0.5 - x);
    right[k] = static_cast<int32_t>(y + 0.5);
    left[k] = static_cast<int32_t>(0.5 - y);
  }
  // A rim point exists only when K = R, at most one per row.
  if (g.KK == g.R * g.R) {
    const int64_t rad = g.KK - a * a, r = ISqrt(rad);
    if (r * r == rad && static_cast<size_t>(r) < n) {
      const size_t at = static_cast<size_t>(r);
      down[at] = static_cast<int32_t>(a), up[at] = static_cast<int32_t>(-a);
      right[at] = static_cast<int32_t>(r), left[at] = static_cast<int32_t>(-r);
    }
  }
}

// Wide offsets for any sizes: radicands in 64-bit integers, offsets (at most R x D) in 64 bits.
void WideQuarter(const LensGeometry& g, int64_t a, size_t n, LensQuarter<int64_t>& q) {
  const double ad = static_cast<double>(a);
  for (size_t k = 0; k < n; ++k) {
    const int64_t kk = static_cast<int64_t>(k);
    const double root = std::sqrt(static_cast<double>(g.KK - (a * a + kk * kk)));
    if (root == 0) {
      q.down[k] = a, q.up[k] = -a, q.right[k] = kk, q.left[k] = -kk;
      continue;
    }
    const double x = ad * g.depth / root, y = static_cast<double>(kk) * g.depth / root;
    q.down[k] = static_cast<int64_t>(x + 0.5);
    q.up[k] = static_cast<int64_t>(0.5 - x);
    q.right[k] = static_cast<int64_t>(y + 0.5);
    q.left[k] = static_cast<int64_t>(0.5 - y);
  }
}

// The source as read by the lens: its rows (a mirrored alias's rows already turned), its size, the
// source centre, and for a mirrored alias the column each column reads (null otherwise).
template <class T>
struct LensSource {
  const T* const* rows;
  const int* cols;
  int sw, sh, scx, scy;
};

// How a lens stores a source pixel (In) and what it does at a point without one (Out): DirectDraw
// skips the colour-key value; Direct3D 16 bits skips transparent pixels under the key flag and
// applies the pair; Direct3D 32 bits applies the pair and treats transparent pixels like points
// outside, which the clear flag sets to 0 (and then also the square's corners outside the disc).
template <class T>
struct LensStoreDD {
  uint32_t key;
  static constexpr bool kClears = false;
  void In(T& o, uint32_t p) const {
    // A mask in place of a branch: transparent pixels fall at random through the lens.
    const T take = static_cast<T>(0u - static_cast<uint32_t>(p != key));
    o = static_cast<T>((static_cast<T>(p) & take) | (o & static_cast<T>(~take)));
  }
  void Out(T&) const {}
};

struct LensStore3D16 {
  bool keyed, toBack16;
  const cDDColorOp* op;
  static constexpr bool kClears = false;
  void In(uint16_t& o, uint32_t p) const {
    if (keyed && (p & 0xA000) == 0) return;
    uint32_t q = op->Apply(p);
    if (toBack16) {
      // Into the full-screen back buffer: no alpha bit, green doubled.
      uint32_t r, g, b;
      DDUnpack16(q, &r, &g, &b);
      q = r << DDBackPixelFormat[0] | (g * 2) << DDBackPixelFormat[1] | b << DDBackPixelFormat[2];
    }
    o = static_cast<uint16_t>(q);
  }
  void Out(uint16_t&) const {}
};

template <bool Op>
struct LensStore3D32 {
  uint32_t keep;  // what a point without a source keeps of the destination: 0 under the clear flag
  const cDDColorOp* op;
  static constexpr bool kClears = true;
  void In(uint32_t& o, uint32_t p) const {
    if constexpr (Op) {
      o = (p >> 24) != 0 ? (o & 0xFF000000u) | (op->Apply(p) & 0xFFFFFF) : o & keep;
    } else {
      const uint32_t take = 0u - static_cast<uint32_t>((p >> 24) != 0);
      o = (p & take) | (o & keep & ~take);
    }
  }
  void Out(uint32_t& o) const { o &= keep; }
};

// Stores the points [j0, j1] of a destination row (out points at the centre column) from the source
// points at the offsets (oi[k], oj[k]) from the source centre, k = |j|. Everything by value, so that
// the loop keeps it in registers.
template <class T, class Off, class Store>
void LensSpan(T* out, int64_t j0, int64_t j1, const Off* oi, const Off* oj, LensSource<T> s, Store st) {
  auto point = [&](int64_t j, size_t k) {
    if constexpr (std::is_same_v<Off, int32_t>) {
      // Sizes and offsets below 2^30: a point outside wraps to a large unsigned value.
      const uint32_t px = static_cast<uint32_t>(s.scx) + static_cast<uint32_t>(oj[k]);
      const uint32_t py = static_cast<uint32_t>(s.scy) + static_cast<uint32_t>(oi[k]);
      if (px < static_cast<uint32_t>(s.sw) && py < static_cast<uint32_t>(s.sh)) st.In(out[j], s.rows[py][px]);
      else st.Out(out[j]);
    } else {
      const int64_t px = s.scx + oj[k], py = s.scy + oi[k];
      if (px < 0 || py < 0 || px >= s.sw || py >= s.sh) {
        st.Out(out[j]);
        return;
      }
      const int col = s.cols ? s.cols[px] : static_cast<int>(px);
      if (col < 0 || !s.rows[py]) st.Out(out[j]);
      else st.In(out[j], s.rows[py][col]);
    }
  };
  if (j0 < 0) {
    for (int64_t j = j0; j <= std::min<int64_t>(j1, -1); ++j) point(j, static_cast<size_t>(-j));
  }
  for (int64_t j = std::max<int64_t>(j0, 0); j <= j1; ++j) point(j, static_cast<size_t>(j));
}

#if defined(LENS_AVX2)
// The source as the vector loop reads it: one block of rows without mirroring, elements (x, y) at
// x + y x pitch below 2^31; `last` is the last element of the block, past which a 32-bit read of a
// smaller element would run.
struct LensBlock {
  const void* base;
  int32_t pitch, last;
};

// The stores the vector loop knows.
template <class T, class Store>
constexpr bool kLensVector = std::is_same_v<Store, LensStoreDD<T>> || std::is_same_v<Store, LensStore3D32<false>>;

// Eight points at a time of LensSpan (narrow offsets) for the DirectDraw stores and the Direct3D
// 32-bit store without a pair: the same rules as gathers, compares and masks. Returns the first
// point it left to LensSpan.
template <class T, class Store>
__attribute__((target("avx2"))) int64_t LensSpanAvx2(T* out, int64_t j0, int64_t j1, const int32_t* oi,
                                                     const int32_t* oj, const LensBlock& v, const LensSource<T>& s,
                                                     const Store& st) {
  const __m256i sign = _mm256_set1_epi32(INT32_MIN);
  const __m256i swBiased = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(s.sw) ^ 0x80000000u));
  const __m256i shBiased = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(s.sh) ^ 0x80000000u));
  const __m256i scx = _mm256_set1_epi32(s.scx), scy = _mm256_set1_epi32(s.scy), pitch = _mm256_set1_epi32(v.pitch);
  const __m256i reverse = _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  // A 32-bit read from element x runs past the block when x > last + 1 - 4 / sizeof(T).
  const __m256i limit = _mm256_set1_epi32(v.last + 1 - static_cast<int32_t>(4 / sizeof(T)));
  const __m256i zero = _mm256_setzero_si256();
  const bool left = j0 < 0;
  int64_t j = j0;
  for (; j + 7 <= j1; j += 8) {
    __m256i vi, vj;
    if (left) {
      // The points j..j+7 are k = -j..-j-7: read the offsets from k = -j-7 up and turn them round.
      const size_t k = static_cast<size_t>(-(j + 7));
      vi = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(oi + k)), reverse);
      vj = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(oj + k)), reverse);
    } else {
      vi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(oi + j));
      vj = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(oj + j));
    }
    // Inside when 0 <= x < width and 0 <= y < height, compared unsigned as the scalar loop does.
    const __m256i px = _mm256_add_epi32(vj, scx), py = _mm256_add_epi32(vi, scy);
    const __m256i inside = _mm256_and_si256(_mm256_cmpgt_epi32(swBiased, _mm256_xor_si256(px, sign)),
                                            _mm256_cmpgt_epi32(shBiased, _mm256_xor_si256(py, sign)));
    const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(py, pitch), px);
    __m256i p;
    if constexpr (sizeof(T) == 4) {
      p = _mm256_mask_i32gather_epi32(zero, static_cast<const int*>(v.base), at, inside, 4);
    } else {
      // A 32-bit read from each smaller element; the block's last elements are left to LensSpan.
      if (!_mm256_testz_si256(inside, _mm256_cmpgt_epi32(at, limit))) {
        LensSpan(out, j, j + 7, oi, oj, s, st);
        continue;
      }
      p = _mm256_mask_i32gather_epi32(zero, static_cast<const int*>(v.base), at, inside, sizeof(T));
      p = _mm256_and_si256(p, _mm256_set1_epi32(sizeof(T) == 2 ? 0xFFFF : 0xFF));
    }
    __m256i o;
    if constexpr (sizeof(T) == 4) o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + j));
    else if constexpr (sizeof(T) == 2) o = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out + j)));
    else o = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(out + j)));
    __m256i r;
    if constexpr (std::is_same_v<Store, LensStoreDD<T>>) {
      const __m256i take = _mm256_andnot_si256(_mm256_cmpeq_epi32(p, _mm256_set1_epi32(static_cast<int32_t>(st.key))),
                                               inside);
      r = _mm256_blendv_epi8(o, p, take);
    } else {
      const __m256i take = _mm256_andnot_si256(_mm256_cmpeq_epi32(_mm256_srli_epi32(p, 24), zero), inside);
      r = _mm256_blendv_epi8(_mm256_and_si256(o, _mm256_set1_epi32(static_cast<int32_t>(st.keep))), p, take);
    }
    if constexpr (sizeof(T) == 4) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), r);
    } else if constexpr (sizeof(T) == 2) {
      const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(r, r), 0x08);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm256_castsi256_si128(packed));
    } else {
      // Words then bytes within each half, then the two halves' first four bytes together.
      const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(r, r), zero);
      const __m256i packed = _mm256_permutevar8x32_epi32(bytes, _mm256_set_epi32(0, 0, 0, 0, 0, 0, 4, 0));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), _mm256_castsi256_si128(packed));
    }
  }
  return j;
}
#endif

template <class T, class Off, class Store>
void LensDraw(const LensGeometry& g, const cDDEffectLocks& locks, int mirrorW, int mirrorH, const Store& st) {
  const cDDLock& in = locks.Src();
  const DDSURFACEDATA* sd = locks.SrcSD();
  thread_local std::vector<const T*> rows;
  thread_local std::vector<int> cols;
  // A mirrored place beyond the partner (its last cell cut short) has no pixel: null row, column -1.
  rows.resize(static_cast<size_t>(std::max(sd->nHeight, 0)));
  for (size_t y = 0; y < rows.size(); ++y) {
    const int at = MirrorCoord(static_cast<int>(y), mirrorH);
    rows[y] = at < sd->nHeight ? DDRowOf<T>(in, at) : nullptr;
  }
  if (mirrorW > 0) {
    cols.resize(static_cast<size_t>(std::max(sd->nWidth, 0)));
    for (size_t x = 0; x < cols.size(); ++x) {
      const int at = MirrorCoord(static_cast<int>(x), mirrorW);
      cols[x] = at < sd->nWidth ? at : -1;
    }
  }
  const LensSource<T> src{rows.data(), mirrorW > 0 ? cols.data() : nullptr, sd->nWidth, sd->nHeight, g.scx, g.scy};
#if defined(LENS_AVX2)
  // Eight points at a time from the (unmirrored) block of rows, apart from a destination that is its
  // own source (whose points must go in order).
  const int64_t elements = int64_t{in.m_nPitch} * std::max(sd->nHeight, 0);
  bool vector = false;
  if constexpr (std::is_same_v<Off, int32_t> && kLensVector<T, Store>)
    vector = LensAvx2() && !locks.Same() && elements < (int64_t{1} << 31);
  const LensBlock block{DDRowOf<T>(in, 0), in.m_nPitch,
                        static_cast<int32_t>(vector ? in.m_nPitch * (sd->nHeight - 1) + sd->nWidth - 1 : 0)};
#endif
  thread_local LensQuarter<Off> q;
  q.Resize(static_cast<size_t>(g.reach) + 1);

  // The offsets of the rows +-a; the columns [-span, span] of those rows lie inside the disc.
  int64_t span = 0;
  auto quarter = [&](int64_t a) {
    span = ISqrt(g.R * g.R - a * a);
    const size_t n = static_cast<size_t>(std::min(g.reach, span)) + 1;
    if constexpr (std::is_same_v<Off, int32_t>) NarrowQuarter(g, a, n, q);
    else WideQuarter(g, a, n, q);
  };
  // Row i from left to right: the square's part left of the disc, the disc, the part right of it.
  auto row = [&](int64_t i) {
    T* out = DDRowOf<T>(locks.Dst(), static_cast<int>(g.cy + i)) + g.cx;
    const int64_t lo = std::max(g.j0, -span), hi = std::min(g.j1, span);
    if (Store::kClears) {
      for (int64_t j = g.j0; j <= g.j1 && j < lo; ++j) st.Out(out[j]);
    }
    const Off* oi = i >= 0 ? q.down.data() : q.up.data();
    auto side = [&](int64_t from, int64_t to, const Off* oj) {
#if defined(LENS_AVX2)
      if constexpr (std::is_same_v<Off, int32_t> && kLensVector<T, Store>)
        if (vector) from = LensSpanAvx2(out, from, to, oi, oj, block, src, st);
#endif
      LensSpan(out, from, to, oi, oj, src, st);
    };
    if (lo < 0) side(lo, std::min<int64_t>(hi, -1), q.left.data());
    if (hi >= 0) side(std::max<int64_t>(lo, 0), hi, q.right.data());
    if (Store::kClears) {
      for (int64_t j = std::max(hi + 1, g.j0); j <= g.j1; ++j) st.Out(out[j]);
    }
  };
  if (locks.Same()) {
    // The destination is its own source: rows from the top, as later rows read earlier ones.
    for (int64_t i = g.i0; i <= g.i1; ++i) {
      quarter(i < 0 ? -i : i);
      row(i);
    }
    return;
  }
  // Rows i and -i share their offsets.
  for (int64_t a = std::max<int64_t>({0, g.i0, -g.i1}); a <= std::max(-g.i0, g.i1); ++a) {
    const bool down = a <= g.i1 && a >= g.i0, up = a > 0 && -a >= g.i0 && -a <= g.i1;
    if (!down && !up) continue;
    quarter(a);
    if (down) row(a);
    if (up) row(-a);
  }
}

// Picks the offsets' width: narrow while every radicand, offset and source point stays exact in
// double precision and 32 bits and the source is not mirrored; a mirrored alias goes through the
// wide form's row and column maps.
template <class T, class Store>
void LensWith(const LensGeometry& g, const cDDEffectLocks& locks, int mirrorW, int mirrorH, const Store& st) {
  const DDSURFACEDATA* sd = locks.SrcSD();
  const bool narrow = g.KK < (int64_t{1} << 52) && g.R * static_cast<int64_t>(g.depth) < (int64_t{1} << 30) &&
                      sd->nWidth < (1 << 30) && sd->nHeight < (1 << 30) && mirrorW <= 0 && mirrorH <= 0;
  if (narrow) LensDraw<T, int32_t>(g, locks, mirrorW, mirrorH, st);
  else LensDraw<T, int64_t>(g, locks, mirrorW, mirrorH, st);
}

}  // namespace

bool DDLensBlt(DDSURFACEDATA* dst, int cx, int cy, int radius, int depth, DDSURFACEDATA* src, int scx, int scy,
               int colorKey, int clearOutside, const DWORD* pair) {
  if (depth < 0 || radius < 0) return false;
  const int64_t R = radius, D = depth;
  const int64_t K = ISqrt(D * D + R * R);
  if (D >= K) return false;
  if (!dst || !src) return false;
  int mirrorW = 0, mirrorH = 0;
  if (lpDTCon && src->lpPartner) mirrorW = src->nMirrorWidth, mirrorH = src->nMirrorHeight;
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  const int depthBits = DDEffectDepth();
  if (depthBits == 0) return true;
  const DDSURFACEDATA* d = locks.DstSD();
  LensGeometry g{cx, cy, scx, scy, R, K * K, static_cast<double>(depth), 0, 0, 0, 0, 0};
  // Only rows and columns inside the destination can change.
  g.i0 = std::max<int64_t>(-R, -int64_t{cy}), g.i1 = std::min<int64_t>(R, int64_t{d->nHeight} - 1 - cy);
  g.j0 = std::max<int64_t>(-R, -int64_t{cx}), g.j1 = std::min<int64_t>(R, int64_t{d->nWidth} - 1 - cx);
  if (g.i0 > g.i1 || g.j0 > g.j1) return true;
  g.reach = std::max(g.j0 < 0 ? -g.j0 : g.j0, g.j1 < 0 ? -g.j1 : g.j1);
  const cDDColorOp op(pair);
  if (!lpDTCon) {
    switch (depthBits) {
      case 8: LensWith<uint8_t>(g, locks, mirrorW, mirrorH, LensStoreDD<uint8_t>{DDColorKey}); break;
      case 16: LensWith<uint16_t>(g, locks, mirrorW, mirrorH, LensStoreDD<uint16_t>{DDColorKey}); break;
      default: LensWith<uint32_t>(g, locks, mirrorW, mirrorH, LensStoreDD<uint32_t>{DDColorKey}); break;
    }
  } else if (depthBits == 16) {
    const LensStore3D16 st{colorKey == 1, DDIsFullScreenBackBuffer(d) != 0, &op};
    LensWith<uint16_t>(g, locks, mirrorW, mirrorH, st);
  } else {
    const uint32_t keep = clearOutside != 0 ? 0u : ~0u;
    if (op.Active()) LensWith<uint32_t>(g, locks, mirrorW, mirrorH, LensStore3D32<true>{keep, &op});
    else LensWith<uint32_t>(g, locks, mirrorW, mirrorH, LensStore3D32<false>{keep, &op});
  }
  return true;
}
