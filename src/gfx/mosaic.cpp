// Mosaic and box blur: each destination pixel from a neighbourhood of source pixels.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "platform/video/pixels.h"

namespace {

// Whether a source pixel counts under the colour-key flag.
inline bool Transparent(bool keyed, uint32_t p) { return keyed && DDIsTransparentPixel(p); }

// Red, green and blue of a pixel of the locked depth: raw channels at 16 bits, bytes at 32.
inline void Channels(uint32_t p, uint32_t* rgb) {
  if (DDScreenBpp == 16) {
    for (int c = 0; c < 3; ++c) rgb[c] = DDChannel16(p, DDPixelFormat, c);
  } else {
    rgb[0] = (p >> 16) & 0xFF, rgb[1] = (p >> 8) & 0xFF, rgb[2] = p & 0xFF;
  }
}

// The top-left pixel of a block, as Direct3D stores it (the pair applied).
uint32_t BlockPixelDirect3D(uint32_t p, const cDDColorOp& op, const DDSURFACEDATA* dst) {
  p = op.Apply(p);
  if (DDScreenBpp == 32) return p | 0xFF000000u;
  if (!DDIsFullScreenBackBuffer(dst)) return p;
  uint32_t r, g, b;
  DDUnpack16(p, &r, &g, &b);
  return DDPack16(dst, r, g, b);
}

// Sums of the counted pixels of one block at DirectDraw 16 or 32 bits, in 0..255 per channel.
struct BlockSums {
  uint32_t r = 0, g = 0, b = 0, n = 0;
};

// Adds the columns [i0, i1) of one source row to the sums of the blocks they fall in; `first` is the
// block of column i0 and `edge` the column where the next block begins.
template <class T, bool Keyed>
void SumRow(const T* in, int dx, int i0, int i1, int block, int64_t edge, BlockSums* first, uint32_t key,
            const uint8_t (*to255)[64], const int* f) {
  BlockSums* sums = first;
  int i = i0;
  while (i < i1) {
    const int stop = static_cast<int>(std::min<int64_t>(i1, edge));
    uint32_t r = 0, g = 0, b = 0, n = 0;
    if constexpr (sizeof(T) == 4) {
      // Red and blue side by side in one word: a row of up to 256 pixels cannot carry over.
      uint32_t rb = 0;
      for (; i < stop; ++i) {
        const uint32_t p = in[static_cast<ptrdiff_t>(i) * dx];
        const uint32_t on = Keyed ? 0u - static_cast<uint32_t>(p != key) : 0xFFFFFFFFu;
        rb += p & 0xFF00FF & on, g += (p >> 8) & 0xFF & on, n += on & 1;
      }
      r = rb >> 16, b = rb & 0xFFFF;
    } else {
      for (; i < stop; ++i) {
        const uint32_t p = in[static_cast<ptrdiff_t>(i) * dx];
        if (Keyed && p == key) continue;
        r += to255[0][(p >> f[0]) & f[4]], g += to255[1][(p >> f[1]) & f[5]], b += to255[2][(p >> f[2]) & f[6]];
        ++n;
      }
    }
    sums->r += r, sums->g += g, sums->b += b, sums->n += n;
    ++sums;
    edge += block;
  }
}

// Adds a row of n 16-bit source pixels (a format known when compiling) to the column sums, in
// 0..255 per channel and two sums to a word as AddColumns32 keeps them.
template <bool Keyed, int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB>
VIDEO_WIDE_VECTORS void AddColumns16(const uint16_t* __restrict in, size_t n, uint32_t* __restrict rb,
                                     uint32_t* __restrict gn, uint32_t key) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t p = in[i];
    const uint32_t on = Keyed ? 0u - static_cast<uint32_t>(p != key) : 0xFFFFFFFFu;
    const uint32_t vr = static_cast<uint16_t>(static_cast<uint16_t>(((p >> SR) & MR) * 255) / MR);
    const uint32_t vg = static_cast<uint16_t>(static_cast<uint16_t>(((p >> SG) & MG) * 255) / MG);
    const uint32_t vb = static_cast<uint16_t>(static_cast<uint16_t>(((p >> SB) & MB) * 255) / MB);
    rb[i] += (vr << 16 | vb) & on, gn[i] += (vg | 0x10000) & on;
  }
}

// Adds a row of n 32-bit source pixels to the column sums, two sums to a word: red and blue as in
// the pixel, green below the count. Blocks of at most 256 rows keep every half below 2^16.
template <bool Keyed>
VIDEO_WIDE_VECTORS void AddColumns32(const uint32_t* __restrict in, size_t n, uint32_t* __restrict rb,
                                     uint32_t* __restrict gn, uint32_t key) {
  for (size_t i = 0; i < n; ++i) {
    const uint32_t p = in[i];
    const uint32_t on = Keyed ? 0u - static_cast<uint32_t>(p != key) : 0xFFFFFFFFu;
    rb[i] += p & 0xFF00FF & on, gn[i] += (((p >> 8) & 0xFF) | 0x10000) & on;
  }
}

using Words8 = uint32_t __attribute__((vector_size(32)));
using Halves16 = uint16_t __attribute__((vector_size(32)));
using Bytes32 = uint8_t __attribute__((vector_size(32)));

// Column sums for windows of at most 256 pixels, in two planes of 32-bit words: red and green in
// the low and high halves of one, blue and the count in the other (the mosaic keeps red | blue and
// green | count). A window's sum of each half
// stays below 2^16 (at most 255 x 256), so sums of whole words, taken modulo 2^32, are the halves'
// sums: carries between the halves cancel out.
struct PlaneColumns {
  uint32_t* __restrict rg;
  uint32_t* __restrict bk;
};

// Running sums of both planes: out[0] = 0 and out[k + 1] = in[0] + ... + in[k] for k < n, eight
// words at a time (sums within each group of eight by shifted copies, then the carry of the groups
// before).
VIDEO_WIDE_VECTORS void PlanePrefixSums(PlaneColumns in, size_t n, PlaneColumns out) {
  const Words8 zero = {};
  Words8 carryA = {}, carryB = {};
  auto scan = [&](const uint32_t* from, Words8& x) {
    std::memcpy(&x, from, sizeof x);
    x += __builtin_shufflevector(zero, x, 0, 8, 9, 10, 11, 12, 13, 14);
    x += __builtin_shufflevector(zero, x, 0, 1, 8, 9, 10, 11, 12, 13);
    x += __builtin_shufflevector(zero, x, 0, 1, 2, 3, 8, 9, 10, 11);
  };
  out.rg[0] = 0, out.bk[0] = 0;
  size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    Words8 a, b;
    scan(in.rg + k, a);
    scan(in.bk + k, b);
    const Words8 sumA = a + carryA, sumB = b + carryB;
    std::memcpy(out.rg + k + 1, &sumA, sizeof sumA);
    std::memcpy(out.bk + k + 1, &sumB, sizeof sumB);
    carryA += __builtin_shufflevector(a, a, 7, 7, 7, 7, 7, 7, 7, 7);
    carryB += __builtin_shufflevector(b, b, 7, 7, 7, 7, 7, 7, 7, 7);
  }
  uint32_t runA = carryA[0], runB = carryB[0];
  for (; k < n; ++k) out.rg[k + 1] = runA += in.rg[k], out.bk[k + 1] = runB += in.bk[k];
}

// The column sums of AddColumns32 over `rows` rows at once (row j at in + j * stride), each group of
// eight columns held in registers while its rows are added.
template <bool Keyed>
VIDEO_WIDE_VECTORS void BlockColumns32(const uint32_t* in, ptrdiff_t stride, int rows, size_t n, uint32_t* rb,
                                       uint32_t* gn, uint32_t key) {
  const Words8 keys = {key, key, key, key, key, key, key, key};
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    Words8 sumRB = {}, sumGN = {};
    for (int j = 0; j < rows; ++j) {
      Words8 p;
      std::memcpy(&p, in + j * stride + static_cast<ptrdiff_t>(i), sizeof p);
      Words8 add = p & 0xFF00FF, addGN = ((p >> 8) & 0xFF) | 0x10000;
      if constexpr (Keyed) {
        const Words8 on = reinterpret_cast<Words8>(p != keys);
        add &= on, addGN &= on;
      }
      sumRB += add, sumGN += addGN;
    }
    std::memcpy(rb + i, &sumRB, sizeof sumRB);
    std::memcpy(gn + i, &sumGN, sizeof sumGN);
  }
  if (i == n) return;
  std::fill(rb + i, rb + n, 0u);
  std::fill(gn + i, gn + n, 0u);
  for (int j = 0; j < rows; ++j) AddColumns32<Keyed>(in + j * stride + static_cast<ptrdiff_t>(i), n - i, rb + i, gn + i, key);
}

// The column sums of AddColumns16 over `rows` rows at once (at most 256), sixteen columns at a time
// in 16-bit lanes, interleaved into the two words per column at the end.
template <bool Keyed, int SR, int SG, int SB, uint16_t MR, uint16_t MG, uint16_t MB>
VIDEO_WIDE_VECTORS void BlockColumns16(const uint16_t* in, ptrdiff_t stride, int rows, size_t n, uint32_t* rb,
                                       uint32_t* gn, uint16_t key) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    Halves16 r = {}, g = {}, b = {}, count = {};
    for (int j = 0; j < rows; ++j) {
      Halves16 p;
      std::memcpy(&p, in + j * stride + static_cast<ptrdiff_t>(i), sizeof p);
      Halves16 vr = ((p >> SR) & MR) * 255 / MR, vg = ((p >> SG) & MG) * 255 / MG, vb = ((p >> SB) & MB) * 255 / MB;
      Halves16 one = p * 0 + 1;
      if constexpr (Keyed) {
        const Halves16 on = reinterpret_cast<Halves16>(p != key);
        vr &= on, vg &= on, vb &= on, one &= on;
      }
      r += vr, g += vg, b += vb, count += one;
    }
    const Halves16 rbLow = __builtin_shufflevector(b, r, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const Halves16 rbHigh = __builtin_shufflevector(b, r, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    const Halves16 gnLow = __builtin_shufflevector(g, count, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const Halves16 gnHigh =
        __builtin_shufflevector(g, count, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    std::memcpy(rb + i, &rbLow, sizeof rbLow);
    std::memcpy(rb + i + 8, &rbHigh, sizeof rbHigh);
    std::memcpy(gn + i, &gnLow, sizeof gnLow);
    std::memcpy(gn + i + 8, &gnHigh, sizeof gnHigh);
  }
  if (i == n) return;
  std::fill(rb + i, rb + n, 0u);
  std::fill(gn + i, gn + n, 0u);
  for (int j = 0; j < rows; ++j)
    AddColumns16<Keyed, SR, SG, SB, MR, MG, MB>(in + j * stride + static_cast<ptrdiff_t>(i), n - i, rb + i, gn + i, key);
}

// Exact integer division by a count that repeats from pixel to pixel. Up to 4,096 counted pixels
// (sums of at most 255 per pixel) a 64-bit multiply by the rounded-up reciprocal gives the quotient
// exactly; larger counts divide.
struct Divisor {
  uint32_t k = 0;
  uint64_t m = 0;
  void Set(uint32_t count) {
    k = count;
    m = count <= 4096 ? ((uint64_t{1} << 32) + count - 1) / count : 0;
  }
  uint32_t Of(uint32_t sum) const {
    return m ? static_cast<uint32_t>((uint64_t{sum} * m) >> 32) : sum / k;
  }
};

// out[i] = (out[i] & keep[i]) | pattern[i] for a row of pixels, or with keepAll in place of every
// keep[i] when keep is null (no read of the row when that is 0).
template <class T>
VIDEO_WIDE_VECTORS void LayRow(T* __restrict out, const uint32_t* __restrict pattern, const uint32_t* __restrict keep,
                               uint32_t keepAll, size_t n) {
  if (keep) {
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<T>((out[i] & keep[i]) | pattern[i]);
  } else if (keepAll) {
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<T>((out[i] & keepAll) | pattern[i]);
  } else {
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<T>(pattern[i]);
  }
}

}  // namespace

bool DDMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int block, DDSURFACEDATA* src, int sx, int sy,
              int colorKey, const DWORD* pair) {
  if (block <= 0 || !dst || !src || w <= 0 || h <= 0) return true;
  DDSourceWalk walk = DDWalkSource(src, sx, sy, w, h);
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  const int depth = DDEffectDepth();
  if (depth == 0) return true;
  const bool keyed = colorKey == 1;
  const cDDColorOp op(pair);
  const DDSURFACEDATA* d = locks.DstSD();
  // Blocks that can reach the destination: the rest draw nothing.
  const int64_t firstX = std::max<int64_t>(0, -int64_t{x}) / block * block;
  const int64_t firstY = std::max<int64_t>(0, -int64_t{y}) / block * block;
  const int64_t endX = std::min<int64_t>(w, int64_t{d->nWidth} - x), endY = std::min<int64_t>(h, int64_t{d->nHeight} - y);
  if (firstX >= endX || firstY >= endY) return true;
  // The rectangle's columns and rows whose source point lies inside.
  const DDEffectSpan inside = DDClipEffect(locks, 0, 0, w, h, walk, false);
  const bool average = !lpDTCon && depth != 8;
  const bool keepTop = !lpDTCon && depth == 32;
  const uint32_t key = DDColorKey;
  const int* f = DDPixelFormat;
  // 16-bit channels in 0..255.
  uint8_t to255[3][64] = {};
  if (depth == 16)
    for (int c = 0; c < 3; ++c)
      for (int v = 0; v <= std::min(f[4 + c], 63); ++v) to255[c][v] = static_cast<uint8_t>(v * 255 / f[4 + c]);
  const size_t blocks = static_cast<size_t>((endX - firstX + block - 1) / block);
  static thread_local std::vector<BlockSums> t_sums;
  static thread_local std::vector<uint32_t> t_colours;
  static thread_local std::vector<uint8_t> t_draw;
  static thread_local std::vector<uint32_t> t_pattern, t_keep;
  t_colours.resize(blocks);
  t_draw.resize(blocks);
  // Source columns summed: those inside, over the whole of the blocks drawn (a block is cut at the
  // rectangle, not at the destination).
  const int64_t sumX0 = std::max<int64_t>(firstX, inside.i0);
  const int64_t sumX1 = std::min<int64_t>({firstX + static_cast<int64_t>(blocks) * block, w, inside.i1});
  const bool wide = depth == 32 && block > 256;  // red and blue of a block's row would not fit side by side
  const bool r565 = f[0] == 11 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 63 && f[6] == 31;
  const bool r555 = f[0] == 10 && f[1] == 5 && f[2] == 0 && f[4] == 31 && f[5] == 31 && f[6] == 31;
  const bool columnSums = average && walk.dx == 1 && block <= 256 && (depth == 32 || r565 || r555);
  // Up to 16 x 16 pixels a block's sums stay below 2^16 and can be added two to a word.
  const bool packedBlocks = block <= 16;
  // The divisors of every count a block can have, when there are few.
  static thread_local std::vector<Divisor> t_divisors;
  t_divisors.resize(average && packedBlocks ? static_cast<size_t>(block * block) + 1 : 0);
  for (size_t c = 1; c < t_divisors.size(); ++c) t_divisors[c].Set(static_cast<uint32_t>(c));
  static thread_local std::vector<uint32_t> t_columns;
  for (int64_t by = firstY; by < endY; by += block) {
    const int64_t bh = std::min<int64_t>(block, h - by);
    // Each block's colour, or that it draws nothing.
    if (average) {
      // A block's average colour, or that it draws nothing.
      auto setColour = [&](size_t k, const BlockSums& bs) {
        t_draw[k] = bs.n != 0;
        if (!bs.n) return;
        Divisor count;
        if (bs.n < t_divisors.size()) count = t_divisors[bs.n];
        else count.Set(bs.n);
        const uint32_t r = count.Of(bs.r), g = count.Of(bs.g), b = count.Of(bs.b);
        uint32_t colour;
        if (depth == 16) {
          colour = r * static_cast<uint32_t>(f[4]) / 255 << f[0] | g * static_cast<uint32_t>(f[5]) / 255 << f[1] |
                   b * static_cast<uint32_t>(f[6]) / 255 << f[2];
          colour &= 0xFFFF;
        } else {
          colour = r << 16 | g << 8 | b;
        }
        if (keyed && colour == key) t_draw[k] = 0;
        t_colours[k] = colour;
      };
      bool coloured = false;
      t_sums.assign(blocks, BlockSums{});
      const int64_t r0 = std::max<int64_t>(by, inside.j0), r1 = std::min<int64_t>(by + bh, inside.j1);
      if (columnSums && sumX0 < sumX1) {
        // Column by column over the block row's rows, then each block's columns.
        const size_t n = static_cast<size_t>(sumX1 - sumX0);
        t_columns.resize(4 * n + 2);
        uint32_t *crb = t_columns.data(), *cgn = crb + n, *runRB = cgn + n, *runGN = runRB + n + 1;
        const int row0 = walk.Y(static_cast<int>(r0)), col = walk.X(static_cast<int>(sumX0));
        const int rows = static_cast<int>(r1 - r0);
        if (depth == 32) {
          const uint32_t* in = DDRowOf<uint32_t>(locks.Src(), row0) + col;
          const ptrdiff_t stride =
              rows > 1 ? DDRowOf<uint32_t>(locks.Src(), row0 + walk.dy) - DDRowOf<uint32_t>(locks.Src(), row0) : 0;
          keyed ? BlockColumns32<true>(in, stride, rows, n, crb, cgn, key)
                : BlockColumns32<false>(in, stride, rows, n, crb, cgn, key);
        } else {
          const uint16_t* in = DDRowOf<uint16_t>(locks.Src(), row0) + col;
          const ptrdiff_t stride =
              rows > 1 ? DDRowOf<uint16_t>(locks.Src(), row0 + walk.dy) - DDRowOf<uint16_t>(locks.Src(), row0) : 0;
          const uint16_t key16 = static_cast<uint16_t>(key);
          if (r565)
            keyed ? BlockColumns16<true, 11, 5, 0, 31, 63, 31>(in, stride, rows, n, crb, cgn, key16)
                  : BlockColumns16<false, 11, 5, 0, 31, 63, 31>(in, stride, rows, n, crb, cgn, key16);
          else
            keyed ? BlockColumns16<true, 10, 5, 0, 31, 31, 31>(in, stride, rows, n, crb, cgn, key16)
                  : BlockColumns16<false, 10, 5, 0, 31, 31, 31>(in, stride, rows, n, crb, cgn, key16);
        }
        // Small blocks: a block's sums as the difference of two running sums (whole words modulo
        // 2^32, as each half stays below 2^16).
        if (packedBlocks) PlanePrefixSums({crb, cgn}, n, {runRB, runGN});
        for (size_t k = 0; k < blocks; ++k) {
          const int64_t bx = firstX + static_cast<int64_t>(k) * block;
          const int64_t from = std::clamp(bx, sumX0, sumX1), to = std::clamp<int64_t>(bx + block, from, sumX1);
          const size_t c0 = static_cast<size_t>(from - sumX0), c1 = static_cast<size_t>(to - sumX0);
          if (packedBlocks) {
            const uint32_t rb = runRB[c1] - runRB[c0], gn = runGN[c1] - runGN[c0];
            setColour(k, BlockSums{rb >> 16, gn & 0xFFFF, rb & 0xFFFF, gn >> 16});
            continue;
          }
          BlockSums& bs = t_sums[k];
          for (size_t at = c0; at < c1; ++at)
            bs.r += crb[at] >> 16, bs.b += crb[at] & 0xFFFF, bs.g += cgn[at] & 0xFFFF, bs.n += cgn[at] >> 16;
        }
        coloured = packedBlocks;
      }
      for (int64_t j = r0; j < r1 && sumX0 < sumX1 && !columnSums; ++j) {
        const int row = walk.Y(static_cast<int>(j));
        BlockSums* first = &t_sums[static_cast<size_t>((sumX0 - firstX) / block)];
        const int64_t edge = (sumX0 - firstX) / block * block + firstX + block;
        if (wide) {
          // Large blocks at 32 bits: one block at a time, red and blue apart.
          for (int64_t i = sumX0; i < sumX1; ++i) {
            const uint32_t p = locks.Src().Get(walk.X(static_cast<int>(i)), row);
            if (keyed && p == key) continue;
            BlockSums& bs = t_sums[static_cast<size_t>((i - firstX) / block)];
            bs.r += (p >> 16) & 0xFF, bs.g += (p >> 8) & 0xFF, bs.b += p & 0xFF, ++bs.n;
          }
          continue;
        }
        auto sumRow = [&](auto* rowStart) {
          using T = std::remove_const_t<std::remove_pointer_t<decltype(rowStart)>>;
          const T* in = rowStart + walk.x0;
          if (keyed)
            SumRow<T, true>(in, walk.dx, static_cast<int>(sumX0), static_cast<int>(sumX1), block, edge, first, key,
                            to255, f);
          else
            SumRow<T, false>(in, walk.dx, static_cast<int>(sumX0), static_cast<int>(sumX1), block, edge, first, key,
                             to255, f);
        };
        if (depth == 16) sumRow(static_cast<const uint16_t*>(DDRowOf<uint16_t>(locks.Src(), row)));
        else sumRow(static_cast<const uint32_t*>(DDRowOf<uint32_t>(locks.Src(), row)));
      }
      if (!coloured)
        for (size_t k = 0; k < blocks; ++k) setColour(k, t_sums[k]);
    } else {
      const bool rowInside = by >= inside.j0 && by < inside.j1;
      for (size_t k = 0; k < blocks; ++k) {
        const int64_t bx = firstX + static_cast<int64_t>(k) * block;
        t_draw[k] = 0;
        if (!rowInside || bx < inside.i0 || bx >= inside.i1) continue;
        uint32_t colour = locks.Src().Get(walk.X(static_cast<int>(bx)), walk.Y(static_cast<int>(by)));
        if (Transparent(keyed, colour)) continue;
        if (lpDTCon) colour = BlockPixelDirect3D(colour, op, d);
        t_colours[k] = colour;
        t_draw[k] = 1;
      }
    }
    // The blocks' rows and columns inside the destination: one row of block colours and of masks
    // of the bits kept (all of an undrawn block's, the top byte at DirectDraw 32 bits), laid over
    // each row.
    const int64_t t0 = std::max<int64_t>(by, -int64_t{y}), t1 = std::min<int64_t>(by + bh, endY);
    const int64_t u0 = std::max<int64_t>(firstX, -int64_t{x});
    if (t0 >= t1 || u0 >= endX) continue;
    const size_t span = static_cast<size_t>(endX - u0);
    // Room for sixteen words past the span: blocks of up to 16 pixels are laid as sixteen words,
    // left to right, each block's surplus covered by the next.
    t_pattern.resize(span + 16);
    t_keep.resize(span + 16);
    bool allDrawn = true;
    for (size_t k = 0; k < blocks; ++k) {
      const int64_t bx = firstX + static_cast<int64_t>(k) * block;
      const int64_t c0 = std::max(bx, u0), c1 = std::min<int64_t>(bx + block, endX);
      if (c0 >= c1) continue;
      allDrawn = allDrawn && t_draw[k];
      const uint32_t colour = t_draw[k] ? t_colours[k] : 0;
      const uint32_t keep = !t_draw[k] ? 0xFFFFFFFFu : keepTop ? 0xFF000000u : 0;
      const size_t at = static_cast<size_t>(c0 - u0);
      if (block <= 16) {
        std::fill_n(&t_pattern[at], 16, colour);
        std::fill_n(&t_keep[at], 16, keep);
        continue;
      }
      std::fill(t_pattern.begin() + static_cast<ptrdiff_t>(at), t_pattern.begin() + (c1 - u0), colour);
      std::fill(t_keep.begin() + static_cast<ptrdiff_t>(at), t_keep.begin() + (c1 - u0), keep);
    }
    for (int64_t j = t0; j < t1; ++j) {
      const int ty = static_cast<int>(y + j), tx = static_cast<int>(x + u0);
      // Every block drawn: the bits kept are the same all along the row.
      const uint32_t* keep = allDrawn ? nullptr : t_keep.data();
      const uint32_t keepAll = keepTop ? 0xFF000000u : 0;
      switch (depth) {
        case 8: LayRow(DDRowOf<uint8_t>(locks.Dst(), ty) + tx, t_pattern.data(), keep, keepAll, span); break;
        case 16: LayRow(DDRowOf<uint16_t>(locks.Dst(), ty) + tx, t_pattern.data(), keep, keepAll, span); break;
        default: LayRow(DDRowOf<uint32_t>(locks.Dst(), ty) + tx, t_pattern.data(), keep, keepAll, span); break;
      }
    }
  }
  return true;
}

namespace {

// The stored pixel of a blur average.
uint32_t BlurPixel(const uint32_t* avg, const cDDColorOp& op, const DDSURFACEDATA* dst, uint32_t old) {
  uint32_t r = avg[0], g = avg[1], b = avg[2];
  if (DDScreenBpp == 16) {
    if (lpDTCon) {
      if (op.Active()) {
        uint32_t p = op.Apply(r << DDPixelFormat[0] | g << DDPixelFormat[1] | b << DDPixelFormat[2]);
        DDUnpack16(p, &r, &g, &b);
      }
      if (DDIsFullScreenBackBuffer(dst)) return DDPack16(dst, r, g, b);
      return DDPack16(dst, r & DDPixelFormat[4], g & DDPixelFormat[5], b & DDPixelFormat[6]);
    }
    return (r & DDPixelFormat[4]) << DDPixelFormat[0] | (g & DDPixelFormat[5]) << DDPixelFormat[1] |
           (b & DDPixelFormat[6]) << DDPixelFormat[2];
  }
  uint32_t rgb = r << 16 | g << 8 | b;
  if (lpDTCon) return 0xFF000000u | (op.Apply(rgb) & 0xFFFFFF);
  return (old & 0xFF000000u) | rgb;
}

// Which source pixels a blur counts: all of them, all but the colour-key value (DirectDraw), or all
// but the transparent ones by their alpha (Direct3D).
enum BlurCount { kCountAll, kCountUnlessKey, kCountUnlessClear };

template <class T, int Count>
inline uint32_t Counted(uint32_t p, uint32_t key) {
  if constexpr (Count == kCountAll) return 1;
  else if constexpr (Count == kCountUnlessKey) return p != key;
  else if constexpr (sizeof(T) == 2) return (p & 0xA000) != 0;
  else return (p >> 24) != 0;
}

// Column sums of red, green, blue and the count over the rows of the current window.
struct BlurColumns {
  uint32_t *r, *g, *b, *n;
  int shift[3];
  uint32_t mask[3];
  uint32_t key;
};

// Adds the n pixels in[0], in[Dx], ... to the column sums, or takes them off.
template <class T, int Count, int Dx, bool TakeOff>
VIDEO_WIDE_VECTORS void AddRow(const T* in, size_t n, const BlurColumns& c) {
  uint32_t* __restrict cr = c.r;
  uint32_t* __restrict cg = c.g;
  uint32_t* __restrict cb = c.b;
  uint32_t* __restrict cn = c.n;
  const int s0 = c.shift[0], s1 = c.shift[1], s2 = c.shift[2];
  const uint32_t m0 = c.mask[0], m1 = c.mask[1], m2 = c.mask[2], key = c.key;
  for (size_t k = 0; k < n; ++k) {
    const uint32_t p = in[static_cast<ptrdiff_t>(k) * Dx];
    const uint32_t on = 0u - Counted<T, Count>(p, key);
    const uint32_t r = (p >> s0) & m0 & on, g = (p >> s1) & m1 & on, b = (p >> s2) & m2 & on;
    if constexpr (TakeOff) {
      cr[k] -= r, cg[k] -= g, cb[k] -= b, cn[k] -= on & 1;
    } else {
      cr[k] += r, cg[k] += g, cb[k] += b, cn[k] += on & 1;
    }
  }
}

template <class T, int Count>
inline uint32_t RedGreen(uint32_t p, const BlurColumns& c) {
  return (((p >> c.shift[0]) & c.mask[0]) | ((p >> c.shift[1]) & c.mask[1]) << 16) &
         (0u - Counted<T, Count>(p, c.key));
}
template <class T, int Count>
inline uint32_t BlueCount(uint32_t p, const BlurColumns& c) {
  return (((p >> c.shift[2]) & c.mask[2]) | 1u << 16) & (0u - Counted<T, Count>(p, c.key));
}

// Adds the n pixels in[0], in[Dx], ... to the plane column sums, or takes them off.
template <class T, int Count, int Dx, bool TakeOff>
VIDEO_WIDE_VECTORS void AddRowPlanes(const T* in, size_t n, PlaneColumns col, BlurColumns c) {
  for (size_t k = 0; k < n; ++k) {
    const uint32_t p = in[static_cast<ptrdiff_t>(k) * Dx];
    if constexpr (TakeOff) {
      col.rg[k] -= RedGreen<T, Count>(p, c), col.bk[k] -= BlueCount<T, Count>(p, c);
    } else {
      col.rg[k] += RedGreen<T, Count>(p, c), col.bk[k] += BlueCount<T, Count>(p, c);
    }
  }
}

// Adds the row newIn to the plane column sums and takes the row oldIn off, in one pass.
template <class T, int Count, int Dx>
VIDEO_WIDE_VECTORS void SwapRowPlanes(const T* newIn, const T* oldIn, size_t n, PlaneColumns col, BlurColumns c) {
  for (size_t k = 0; k < n; ++k) {
    const ptrdiff_t at = static_cast<ptrdiff_t>(k) * Dx;
    const uint32_t pn = newIn[at], po = oldIn[at];
    col.rg[k] += RedGreen<T, Count>(pn, c) - RedGreen<T, Count>(po, c);
    col.bk[k] += BlueCount<T, Count>(pn, c) - BlueCount<T, Count>(po, c);
  }
}

// SwapRowPlanes for 32-bit pixels read forwards, eight at a time: red and green come to their
// halves by one byte shuffle.
template <int Count>
VIDEO_WIDE_VECTORS void SwapRowPlanes32(const uint32_t* newIn, const uint32_t* oldIn, size_t n, PlaneColumns col,
                                        uint32_t key) {
  const Bytes32 zero = {};
  const Words8 keys = {key, key, key, key, key, key, key, key};
  auto planes = [&](const uint32_t* from, Words8& rg, Words8& bk) {
    Words8 p;
    std::memcpy(&p, from, sizeof p);
    const Bytes32 bytes = reinterpret_cast<Bytes32>(p);
    const Bytes32 redGreen = __builtin_shufflevector(bytes, zero, 2, 32, 1, 32, 6, 32, 5, 32, 10, 32, 9, 32, 14, 32, 13,
                                                     32, 18, 32, 17, 32, 22, 32, 21, 32, 26, 32, 25, 32, 30, 32, 29, 32);
    rg = reinterpret_cast<Words8>(redGreen);
    bk = (p & 0xFF) | 0x10000;
    if constexpr (Count == kCountUnlessKey) {
      const Words8 on = reinterpret_cast<Words8>(p != keys);
      rg &= on, bk &= on;
    } else if constexpr (Count == kCountUnlessClear) {
      const Words8 on = reinterpret_cast<Words8>((p >> 24) != 0);
      rg &= on, bk &= on;
    }
  };
  size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    Words8 rgNew, bkNew, rgOld, bkOld, rg, bk;
    planes(newIn + k, rgNew, bkNew);
    planes(oldIn + k, rgOld, bkOld);
    std::memcpy(&rg, col.rg + k, sizeof rg);
    std::memcpy(&bk, col.bk + k, sizeof bk);
    rg += rgNew - rgOld, bk += bkNew - bkOld;
    std::memcpy(col.rg + k, &rg, sizeof rg);
    std::memcpy(col.bk + k, &bk, sizeof bk);
  }
  BlurColumns c{};
  c.shift[0] = 16, c.shift[1] = 8, c.shift[2] = 0;
  c.mask[0] = c.mask[1] = c.mask[2] = 0xFF;
  c.key = key;
  SwapRowPlanes<uint32_t, Count, 1>(newIn + k, oldIn + k, n - k, {col.rg + k, col.bk + k}, c);
}

// SwapRowPlanes for 16-bit pixels read forwards, sixteen at a time: the channels are cut out in
// 16-bit lanes, then red with green and blue with the count are interleaved into the planes' words.
template <int Count>
VIDEO_WIDE_VECTORS void SwapRowPlanes16(const uint16_t* newIn, const uint16_t* oldIn, size_t n, PlaneColumns col,
                                        BlurColumns c) {
  const int s0 = c.shift[0], s1 = c.shift[1], s2 = c.shift[2];
  const uint16_t m0 = static_cast<uint16_t>(c.mask[0]), m1 = static_cast<uint16_t>(c.mask[1]),
                 m2 = static_cast<uint16_t>(c.mask[2]), key = static_cast<uint16_t>(c.key);
  // The four words of sixteen pixels' red | green << 16 and blue | count << 16, pixels 0-7 then 8-15.
  auto planes = [&](const uint16_t* from, Words8* rg, Words8* bk) {
    Halves16 p;
    std::memcpy(&p, from, sizeof p);
    Halves16 r = (p >> s0) & m0, g = (p >> s1) & m1, b = (p >> s2) & m2, one = p * 0 + 1;
    if constexpr (Count == kCountUnlessKey) {
      const Halves16 on = reinterpret_cast<Halves16>(p != key);
      r &= on, g &= on, b &= on, one &= on;
    } else if constexpr (Count == kCountUnlessClear) {
      const Halves16 on = reinterpret_cast<Halves16>((p & 0xA000) != 0);
      r &= on, g &= on, b &= on, one &= on;
    }
    const Halves16 rgLow = __builtin_shufflevector(r, g, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const Halves16 rgHigh = __builtin_shufflevector(r, g, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    const Halves16 bkLow = __builtin_shufflevector(b, one, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const Halves16 bkHigh = __builtin_shufflevector(b, one, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    rg[0] = reinterpret_cast<Words8>(rgLow), rg[1] = reinterpret_cast<Words8>(rgHigh);
    bk[0] = reinterpret_cast<Words8>(bkLow), bk[1] = reinterpret_cast<Words8>(bkHigh);
  };
  size_t k = 0;
  for (; k + 16 <= n; k += 16) {
    Words8 rgNew[2], bkNew[2], rgOld[2], bkOld[2];
    planes(newIn + k, rgNew, bkNew);
    planes(oldIn + k, rgOld, bkOld);
    for (size_t half = 0; half < 2; ++half) {
      Words8 rg, bk;
      std::memcpy(&rg, col.rg + k + 8 * half, sizeof rg);
      std::memcpy(&bk, col.bk + k + 8 * half, sizeof bk);
      rg += rgNew[half] - rgOld[half], bk += bkNew[half] - bkOld[half];
      std::memcpy(col.rg + k + 8 * half, &rg, sizeof rg);
      std::memcpy(col.bk + k + 8 * half, &bk, sizeof bk);
    }
  }
  SwapRowPlanes<uint16_t, Count, 1>(newIn + k, oldIn + k, n - k, {col.rg + k, col.bk + k}, c);
}

// The average of a 16-bit half-word sum: trunc(sum x reciprocal), where the reciprocal is
// fl((1 + 2^-20) / count). Exact for counts up to 256: with u = 2^-24, the three roundings leave the
// product between (sum / count)(1 + 2^-21) and (sum / count)(1 + 2^-19), so a whole quotient is not
// pulled below itself, and a remainder of at least 1 / count is not pushed past the next whole
// number (sum / count x 2^-19 <= 2^-11 < 1 / 256).
inline uint32_t HalfAverage(uint32_t sum, float reciprocal) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(sum)) * reciprocal));
}
inline float CountReciprocal(uint32_t blueCount) {
  constexpr float kNudge = 1.0f + 1.0f / (1 << 20);
  return kNudge / static_cast<float>(static_cast<int32_t>(std::max(blueCount >> 16, 1u)));
}

// How averaged pixels are stored without the pair: 32 bits keep `keep` of the destination and add
// `top`; 16 bits are top | red << shift[0] | green << shift[1] | blue << shift[2].
struct PackedStore {
  uint32_t keep, top;
  int shift[3];
};

// Stores a row of averages where the centre counts and the window is not empty. The window sums of
// centre t are run[t + width] - run[t] (running sums of the plane column sums); centre[t x Dx] is
// the source pixel of centre t.
template <class T, int Count, int Dx>
VIDEO_WIDE_VECTORS void StorePlaneRow(T* __restrict out, const T* centre, PlaneColumns run, size_t width, size_t m,
                                      uint32_t key, PackedStore ps) {
  const uint32_t* __restrict rgLo = run.rg;
  const uint32_t* __restrict rgHi = run.rg + width;
  const uint32_t* __restrict bkLo = run.bk;
  const uint32_t* __restrict bkHi = run.bk + width;
  for (size_t t = 0; t < m; ++t) {
    const uint32_t rg = rgHi[t] - rgLo[t], bk = bkHi[t] - bkLo[t];
    const float reciprocal = CountReciprocal(bk);
    const uint32_t r = HalfAverage(rg & 0xFFFF, reciprocal), g = HalfAverage(rg >> 16, reciprocal),
                   b = HalfAverage(bk & 0xFFFF, reciprocal);
    const uint32_t o = out[t];
    uint32_t value;
    if constexpr (sizeof(T) == 4) value = (o & ps.keep) | ps.top | r << 16 | g << 8 | b;
    else value = ps.top | r << ps.shift[0] | g << ps.shift[1] | b << ps.shift[2];
    const uint32_t take = 0u - (Counted<T, Count>(centre[static_cast<ptrdiff_t>(t) * Dx], key) &
                                static_cast<uint32_t>(bk >= 1u << 16));
    out[t] = static_cast<T>((value & take) | (o & ~take));
  }
}

// out[t] = run[hi + t] - run[lo + t]: the sums of the windows [lo + t, hi + t) from running sums.
VIDEO_WIDE_VECTORS void Differences(const uint32_t* __restrict run, size_t lo, size_t hi, uint32_t* __restrict out, size_t count) {
  for (size_t t = 0; t < count; ++t) out[t] = run[hi + t] - run[lo + t];
}

// avg[t] = sum[t] / count[t] (0 for a count of 0). In single precision, exact while counts stay at
// most 32,768 and each sum at most 255 times its count: the sums are exact floats and a quotient
// below k + 1 cannot round up to k + 1.
VIDEO_WIDE_VECTORS void Quotients(const uint32_t* __restrict sum, const uint32_t* __restrict count, uint32_t* __restrict avg, size_t m) {
  for (size_t t = 0; t < m; ++t) {
    const float k = static_cast<float>(static_cast<int32_t>(count[t] | (count[t] == 0)));
    avg[t] = static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(sum[t])) / k));
  }
}

// Stores a row of 32-bit blur averages where the centre counts and the window is not empty: Direct3D
// opaque, DirectDraw keeping the destination's top byte.
template <int Count>
VIDEO_WIDE_VECTORS void StoreBlur32(uint32_t* __restrict out, const uint32_t* __restrict centre, const uint32_t* __restrict count,
                 const uint32_t* __restrict r, const uint32_t* __restrict g, const uint32_t* __restrict b, size_t m,
                 uint32_t key, bool direct3D) {
  const uint32_t keep = direct3D ? 0 : 0xFF000000u, top = direct3D ? 0xFF000000u : 0;
  for (size_t t = 0; t < m; ++t) {
    const uint32_t o = out[t];
    const uint32_t value = (o & keep) | top | r[t] << 16 | g[t] << 8 | b[t];
    const uint32_t take = 0u - (Counted<uint32_t, Count>(centre[t], key) & static_cast<uint32_t>(count[t] != 0));
    out[t] = (value & take) | (o & ~take);
  }
}

// The blur of a source that is not the destination. Column sums over the window's rows are kept
// from row to row (the row entering added, the row leaving taken off), and each row's window sums
// come from running sums across those columns: exact sums whatever the window's size.
// Columns [a0, a1) and rows [b0, b1) are the rectangle's points whose source lies inside.
template <class T, int Count>
void BlurFromOther(const cDDEffectLocks& locks, int x, int y, const DDSourceWalk& walk, int bw, int bh, int i0, int i1,
                   int j0, int j1, int a0, int a1, int b0, int b1, const cDDColorOp& op) {
  const size_t n = static_cast<size_t>(a1 - a0);
  const int c0 = std::max(i0, a0), c1 = std::min(i1, a1);  // the centres whose source lies inside
  const size_t m = static_cast<size_t>(std::max(c1 - c0, 0));
  // Column sums (4 x n), their running sums (4 x (n + 1)), window sums (4 x m) and averages (3 x m).
  static thread_local std::vector<uint32_t> t_work;
  t_work.assign(4 * n + 4 * (n + 1) + 7 * m, 0);
  BlurColumns cols;
  cols.r = t_work.data(), cols.g = cols.r + n, cols.b = cols.g + n, cols.n = cols.b + n;
  uint32_t* pr = cols.n + n;
  uint32_t *pg = pr + n + 1, *pb = pg + n + 1, *pn = pb + n + 1;
  uint32_t* wr = pn + n + 1;
  uint32_t *wg = wr + m, *wb = wg + m, *wn = wb + m, *ar = wn + m, *ag = ar + m, *ab = ag + m;
  for (int c = 0; c < 3; ++c) {
    cols.shift[c] = sizeof(T) == 2 ? DDPixelFormat[c] : 16 - 8 * c;
    cols.mask[c] = sizeof(T) == 2 ? static_cast<uint32_t>(DDPixelFormat[4 + c]) : 0xFF;
  }
  cols.key = DDColorKey;
  // Windows of at most 256 pixels keep plane column sums, padded with bw zero columns on each side so
  // that every centre's window is 2 bw whole columns.
  const bool packed = int64_t{2} * bw * 2 * bh <= 256;
  static thread_local std::vector<uint32_t> t_planes;
  PlaneColumns col{}, windowSums{};
  if (packed) {
    const size_t padded = n + 2 * static_cast<size_t>(bw) + 1;
    t_planes.assign(4 * padded, 0);
    col = {t_planes.data() + bw, t_planes.data() + padded + bw};
    windowSums = {t_planes.data() + 2 * padded, t_planes.data() + 3 * padded};
  }
  auto addRow = [&](int64_t j, bool takeOff) {
    if (j < b0 || j >= b1) return;
    const T* in = DDRowOf<T>(locks.Src(), walk.Y(static_cast<int>(j))) + walk.X(a0);
    if (packed) {
      if (walk.dx == 1)
        takeOff ? AddRowPlanes<T, Count, 1, true>(in, n, col, cols) : AddRowPlanes<T, Count, 1, false>(in, n, col, cols);
      else
        takeOff ? AddRowPlanes<T, Count, -1, true>(in, n, col, cols)
                : AddRowPlanes<T, Count, -1, false>(in, n, col, cols);
      return;
    }
    if (walk.dx == 1)
      takeOff ? AddRow<T, Count, 1, true>(in, n, cols) : AddRow<T, Count, 1, false>(in, n, cols);
    else
      takeOff ? AddRow<T, Count, -1, true>(in, n, cols) : AddRow<T, Count, -1, false>(in, n, cols);
  };
  for (int64_t j = std::max<int64_t>(int64_t{j0} - bh, b0); j < std::min<int64_t>(int64_t{j0} + bh, b1); ++j)
    addRow(j, false);
  // Floating-point division is exact here while no window counts more than 32,768 pixels (sums stay
  // below 2^24 and the quotient's rounding cannot reach the next whole number).
  const bool floatDivide = std::min<int64_t>(2 * int64_t{bw}, a1 - a0) * std::min<int64_t>(2 * int64_t{bh}, b1 - b0) <= 32768;
  // Centres whose window lies inside [a0, a1) on both sides.
  const int mid0 = static_cast<int>(std::clamp<int64_t>(int64_t{a0} + bw, c0, std::max(c0, c1)));
  const int mid1 = static_cast<int>(std::clamp<int64_t>(int64_t{a1} - bw + 1, mid0, std::max(mid0, c1)));
  const DDSURFACEDATA* d = locks.DstSD();
  const bool direct3D = lpDTCon != nullptr, back16 = sizeof(T) == 2 && direct3D && DDIsFullScreenBackBuffer(d);
  const int* f = DDPixelFormat;
  const int* bf = DDBackPixelFormat;
  const uint32_t alpha16 = static_cast<uint32_t>(f[7] & 1) << f[3];
  // Stores the average of a window of k counted pixels where the centre p counts and k is not 0.
  auto store = [&](T& o, uint32_t p, uint32_t k, uint32_t cr, uint32_t cg, uint32_t cb) {
    if (!Counted<T, Count>(p, cols.key) || k == 0) return;
    if constexpr (sizeof(T) == 4) {
      const uint32_t rgb = cr << 16 | cg << 8 | cb;
      o = direct3D ? 0xFF000000u | (op.Apply(rgb) & 0xFFFFFF) : (o & 0xFF000000u) | rgb;
    } else if (!direct3D) {
      o = static_cast<T>(cr << f[0] | cg << f[1] | cb << f[2]);
    } else {
      if (op.Active()) DDUnpack16(op.Apply(alpha16 | cr << f[0] | cg << f[1] | cb << f[2]), &cr, &cg, &cb);
      o = back16 ? static_cast<T>(cr << bf[0] | (cg * 2) << bf[1] | cb << bf[2])
                 : static_cast<T>(alpha16 | cr << f[0] | cg << f[1] | cb << f[2]);
    }
  };
  PackedStore packedStore{};
  if constexpr (sizeof(T) == 4) {
    packedStore = {direct3D ? 0u : 0xFF000000u, direct3D ? 0xFF000000u : 0u, {16, 8, 0}};
  } else if (!direct3D) {
    packedStore = {0, 0, {f[0], f[1], f[2]}};
  } else if (back16) {
    packedStore = {0, 0, {bf[0], bf[1] + 1, bf[2]}};  // green doubled
  } else {
    packedStore = {0, alpha16, {f[0], f[1], f[2]}};
  }
  auto inside = [&](int64_t j) { return j >= b0 && j < b1; };
  for (int r = j0; r < j1; ++r) {
    if (r > j0) {
      const int64_t entering = int64_t{r} - 1 + bh, leaving = int64_t{r} - 1 - bh;
      if (packed && inside(entering) && inside(leaving)) {
        const T* newIn = DDRowOf<T>(locks.Src(), walk.Y(static_cast<int>(entering))) + walk.X(a0);
        const T* oldIn = DDRowOf<T>(locks.Src(), walk.Y(static_cast<int>(leaving))) + walk.X(a0);
        if (sizeof(T) == 4 && walk.dx == 1)
          SwapRowPlanes32<Count>(reinterpret_cast<const uint32_t*>(newIn), reinterpret_cast<const uint32_t*>(oldIn), n,
                                 col, cols.key);
        else if (walk.dx == 1)
          SwapRowPlanes16<Count>(reinterpret_cast<const uint16_t*>(newIn), reinterpret_cast<const uint16_t*>(oldIn), n,
                                 col, cols);
        else SwapRowPlanes<T, Count, -1>(newIn, oldIn, n, col, cols);
      } else {
        addRow(entering, false);
        addRow(leaving, true);
      }
    }
    if (r < b0 || r >= b1 || m == 0) continue;  // the centre's source point lies outside
    const T* centre = DDRowOf<T>(locks.Src(), walk.Y(r));
    T* out = DDRowOf<T>(locks.Dst(), y + r) + x + c0;
    const bool store32 = sizeof(T) == 4 && walk.dx == 1 && !op.Active();
    if (packed) {
      // Running sums over the columns [c0 - bw, c1 + bw): the windows of this row's centres.
      const ptrdiff_t shift = ptrdiff_t{c0} - a0 - bw;
      const size_t width = 2 * static_cast<size_t>(bw);
      PlanePrefixSums({col.rg + shift, col.bk + shift}, m + width, windowSums);
      const T* first = centre + walk.X(c0);
      if (!op.Active()) {
        if (walk.dx == 1) StorePlaneRow<T, Count, 1>(out, first, windowSums, width, m, cols.key, packedStore);
        else StorePlaneRow<T, Count, -1>(out, first, windowSums, width, m, cols.key, packedStore);
        continue;
      }
      for (size_t t = 0; t < m; ++t) {
        const uint32_t rg = windowSums.rg[t + width] - windowSums.rg[t];
        const uint32_t bk = windowSums.bk[t + width] - windowSums.bk[t];
        const float reciprocal = CountReciprocal(bk);
        store(out[t], centre[walk.X(c0 + static_cast<int>(t))], bk >> 16, HalfAverage(rg & 0xFFFF, reciprocal),
              HalfAverage(rg >> 16, reciprocal), HalfAverage(bk & 0xFFFF, reciprocal));
      }
      continue;
    } else {
      uint32_t sr = 0, sg = 0, sb = 0, sn = 0;
      for (size_t k = 0; k < n; ++k) {
        pr[k + 1] = sr += cols.r[k], pg[k + 1] = sg += cols.g[k];
        pb[k + 1] = sb += cols.b[k], pn[k + 1] = sn += cols.n[k];
      }
      // Window sums: columns [i - bw, i + bw) cut at [a0, a1).
      auto edge = [&](int i) {
        const size_t t = static_cast<size_t>(i - c0);
        const size_t lo = static_cast<size_t>(std::max<int64_t>(int64_t{i} - bw, a0) - a0);
        const size_t hi = static_cast<size_t>(std::min<int64_t>(int64_t{i} + bw, a1) - a0);
        wr[t] = pr[hi] - pr[lo], wg[t] = pg[hi] - pg[lo], wb[t] = pb[hi] - pb[lo], wn[t] = pn[hi] - pn[lo];
      };
      for (int i = c0; i < mid0; ++i) edge(i);
      {
        const size_t t0 = static_cast<size_t>(mid0 - c0), count = static_cast<size_t>(mid1 - mid0);
        const size_t lo = static_cast<size_t>(mid0 - bw - a0), hi = static_cast<size_t>(int64_t{mid0} + bw - a0);
        Differences(pr, lo, hi, wr + t0, count);
        Differences(pg, lo, hi, wg + t0, count);
        Differences(pb, lo, hi, wb + t0, count);
        Differences(pn, lo, hi, wn + t0, count);
      }
      for (int i = mid1; i < c1; ++i) edge(i);
      if (floatDivide) {
        Quotients(wr, wn, ar, m);
        Quotients(wg, wn, ag, m);
        Quotients(wb, wn, ab, m);
      } else {
        for (size_t t = 0; t < m; ++t) {
          const uint32_t k = wn[t] | (wn[t] == 0);
          ar[t] = wr[t] / k, ag[t] = wg[t] / k, ab[t] = wb[t] / k;
        }
      }
    }
    if (store32) {
      // 32 bits without the pair: a select for each pixel, several at a time.
      StoreBlur32<Count>(reinterpret_cast<uint32_t*>(out), reinterpret_cast<const uint32_t*>(centre) + walk.X(c0), wn,
                         ar, ag, ab, m, cols.key, direct3D);
      continue;
    }
    for (size_t t = 0; t < m; ++t)
      store(out[t], centre[walk.X(c0 + static_cast<int>(t))], wn[t], ar[t], ag[t], ab[t]);
  }
}

template <class T>
void BlurFromOtherOf(const cDDEffectLocks& locks, int x, int y, const DDSourceWalk& walk, int bw, int bh, int i0,
                     int i1, int j0, int j1, int a0, int a1, int b0, int b1, bool keyed, const cDDColorOp& op) {
  if (!keyed)
    BlurFromOther<T, kCountAll>(locks, x, y, walk, bw, bh, i0, i1, j0, j1, a0, a1, b0, b1, op);
  else if (!lpDTCon)
    BlurFromOther<T, kCountUnlessKey>(locks, x, y, walk, bw, bh, i0, i1, j0, j1, a0, a1, b0, b1, op);
  else
    BlurFromOther<T, kCountUnlessClear>(locks, x, y, walk, bw, bh, i0, i1, j0, j1, a0, a1, b0, b1, op);
}

}  // namespace

bool DDBlurBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int halfWidth, int halfHeight, DDSURFACEDATA* src,
               int sx, int sy, int colorKey, const DWORD* pair) {
  if (halfWidth <= 0 || halfHeight <= 0 || !dst || !src || w <= 0 || h <= 0) return true;
  DDSourceWalk walk = DDWalkSource(src, sx, sy, w, h);
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  const int depth = DDEffectDepth();
  if (depth != 16 && depth != 32) return true;
  const bool keyed = colorKey == 1;
  const cDDColorOp op(pair);
  const DDSURFACEDATA* d = locks.DstSD();
  const DDSURFACEDATA* s = locks.SrcSD();
  const int bw = halfWidth, bh = halfHeight;
  // The rectangle's pixels whose destination lies inside; the windows still reach the rest.
  const int i0 = std::max(0, -x), i1 = static_cast<int>(std::min<int64_t>(w, int64_t{d->nWidth} - x));
  const int j0 = std::max(0, -y), j1 = static_cast<int>(std::min<int64_t>(h, int64_t{d->nHeight} - y));
  if (i0 >= i1 || j0 >= j1) return true;
  auto window = [&](int i, int r, int* c0, int* c1, int* t0, int* t1) {
    *c0 = static_cast<int>(std::max<int64_t>(0, int64_t{i} - bw));
    *c1 = static_cast<int>(std::min<int64_t>(w, int64_t{i} + bw));
    *t0 = static_cast<int>(std::max<int64_t>(0, int64_t{r} - bh));
    *t1 = static_cast<int>(std::min<int64_t>(h, int64_t{r} + bh));
  };
  auto centre = [&](int i, int r, uint32_t* p) {
    int col = walk.X(i), row = walk.Y(r);
    if (col < 0 || row < 0 || col >= s->nWidth || row >= s->nHeight) return false;
    *p = locks.Src().Get(col, row);
    return !Transparent(keyed, *p);
  };
  if (!locks.Same()) {
    // Only the columns and rows that the windows reach and whose source points lie inside.
    DDEffectSpan inside = DDClipEffect(locks, 0, 0, w, h, walk, false);
    const int a0 = static_cast<int>(std::max<int64_t>({int64_t{i0} - bw, 0, inside.i0}));
    const int a1 = static_cast<int>(std::min<int64_t>({int64_t{i1} - 1 + bw, w, inside.i1}));
    const int b0 = static_cast<int>(std::max<int64_t>({int64_t{j0} - bh, 0, inside.j0}));
    const int b1 = static_cast<int>(std::min<int64_t>({int64_t{j1} - 1 + bh, h, inside.j1}));
    if (a1 <= a0 || b1 <= b0) return true;
    if (depth == 16) BlurFromOtherOf<uint16_t>(locks, x, y, walk, bw, bh, i0, i1, j0, j1, a0, a1, b0, b1, keyed, op);
    else BlurFromOtherOf<uint32_t>(locks, x, y, walk, bw, bh, i0, i1, j0, j1, a0, a1, b0, b1, keyed, op);
    return true;
  }
  // A destination that is its own source: later windows see the pixels already blurred, so each
  // window is walked.
  Divisor divisor;
  divisor.Set(1);
  for (int r = j0; r < j1; ++r) {
    for (int i = i0; i < i1; ++i) {
      uint32_t p;
      if (!centre(i, r, &p)) continue;
      int c0, c1, t0, t1;
      window(i, r, &c0, &c1, &t0, &t1);
      uint32_t sums[4] = {0, 0, 0, 0};
      for (int t = t0; t < t1; ++t) {
        int row = walk.Y(t);
        if (row < 0 || row >= s->nHeight) continue;
        for (int c = c0; c < c1; ++c) {
          int col = walk.X(c);
          if (col < 0 || col >= s->nWidth) continue;
          uint32_t q = locks.Src().Get(col, row);
          if (Transparent(keyed, q)) continue;
          uint32_t rgb[3];
          Channels(q, rgb);
          sums[0] += rgb[0], sums[1] += rgb[1], sums[2] += rgb[2], sums[3] += 1;
        }
      }
      if (sums[3] == 0) continue;
      if (sums[3] != divisor.k) divisor.Set(sums[3]);
      uint32_t avg[3] = {divisor.Of(sums[0]), divisor.Of(sums[1]), divisor.Of(sums[2])};
      locks.Dst().Set(x + i, y + r, BlurPixel(avg, op, d, locks.Dst().Get(x + i, y + r)));
    }
  }
  return true;
}
