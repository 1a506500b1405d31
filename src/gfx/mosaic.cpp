// Mosaic and box blur: each destination pixel from a neighbourhood of source pixels.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"

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

// The average of a block at DirectDraw 16 or 32 bits; false when no pixel counts.
bool BlockAverage(const cDDEffectLocks& locks, const DDSourceWalk& walk, int bx, int by, int bw, int bh, bool keyed,
                  uint32_t* out) {
  const DDSURFACEDATA* s = locks.SrcSD();
  uint32_t sum[3] = {0, 0, 0}, count = 0;
  for (int j = by; j < by + bh; ++j) {
    int row = walk.Y(j);
    if (row < 0 || row >= s->nHeight) continue;
    for (int i = bx; i < bx + bw; ++i) {
      int col = walk.X(i);
      if (col < 0 || col >= s->nWidth) continue;
      uint32_t p = locks.Src().Get(col, row);
      if (keyed && p == DDColorKey) continue;
      uint32_t rgb[3];
      Channels(p, rgb);
      if (DDScreenBpp == 16)
        for (int c = 0; c < 3; ++c) rgb[c] = rgb[c] * 255 / static_cast<uint32_t>(DDPixelFormat[4 + c]);
      for (int c = 0; c < 3; ++c) sum[c] += rgb[c];
      ++count;
    }
  }
  if (count == 0) return false;
  if (DDScreenBpp == 16) {
    uint32_t p = 0;
    for (int c = 0; c < 3; ++c) {
      uint32_t m = static_cast<uint32_t>(DDPixelFormat[4 + c]);
      p |= (sum[c] / count) * m / 255 << DDPixelFormat[c];
    }
    *out = p & 0xFFFF;
  } else {
    *out = (sum[0] / count) << 16 | (sum[1] / count) << 8 | (sum[2] / count);
  }
  return true;
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
  const DDSURFACEDATA* s = locks.SrcSD();
  // Blocks that can reach the destination: the rest draw nothing.
  const int64_t firstX = std::max<int64_t>(0, -int64_t{x}) / block * block;
  const int64_t firstY = std::max<int64_t>(0, -int64_t{y}) / block * block;
  const int64_t endX = std::min<int64_t>(w, int64_t{d->nWidth} - x), endY = std::min<int64_t>(h, int64_t{d->nHeight} - y);
  for (int64_t by = firstY; by < endY; by += block) {
    const int bh = static_cast<int>(std::min<int64_t>(block, h - by));
    for (int64_t bx = firstX; bx < endX; bx += block) {
      const int bw = static_cast<int>(std::min<int64_t>(block, w - bx));
      uint32_t colour;
      if (!lpDTCon && depth != 8) {
        if (!BlockAverage(locks, walk, static_cast<int>(bx), static_cast<int>(by), bw, bh, keyed, &colour)) continue;
        if (keyed && colour == DDColorKey) continue;
      } else {
        int col = walk.X(static_cast<int>(bx)), row = walk.Y(static_cast<int>(by));
        if (col < 0 || row < 0 || col >= s->nWidth || row >= s->nHeight) continue;
        colour = locks.Src().Get(col, row);
        if (Transparent(keyed, colour)) continue;
        if (lpDTCon) colour = BlockPixelDirect3D(colour, op, d);
      }
      const bool keepTop = !lpDTCon && depth == 32;
      for (int j = 0; j < bh; ++j) {
        const int64_t ty = y + by + j;
        if (ty < 0 || ty >= d->nHeight) continue;
        for (int i = 0; i < bw; ++i) {
          const int64_t tx = x + bx + i;
          if (tx < 0 || tx >= d->nWidth) continue;
          uint32_t value = colour;
          if (keepTop) value = (locks.Dst().Get(static_cast<int>(tx), static_cast<int>(ty)) & 0xFF000000u) | colour;
          locks.Dst().Set(static_cast<int>(tx), static_cast<int>(ty), value);
        }
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

// Sums of red, green, blue and the count of the counted pixels over the columns [a0, a1) and rows
// [b0, b1) of the rectangle, as a table of sums from their top left (one extra row and column of
// zeros), so that any window's sums take four look-ups; the rectangle's other pixels count nothing.
// The sums wrap in 32 bits, which keeps window sums exact.
struct SummedArea {
  int a0 = 0, a1 = 0, b0 = 0, b1 = 0;
  std::vector<uint32_t> cells;  // (a1 - a0 + 1) x (b1 - b0 + 1) cells of 4 values
  uint32_t* At(int i, int j) {
    return &cells[(static_cast<size_t>(j - b0) * static_cast<size_t>(a1 - a0 + 1) + static_cast<size_t>(i - a0)) * 4];
  }
  void Window(int c0, int t0, int c1, int t1, uint32_t* out) {
    c0 = std::clamp(c0, a0, a1), c1 = std::clamp(c1, a0, a1);
    t0 = std::clamp(t0, b0, b1), t1 = std::clamp(t1, b0, b1);
    const uint32_t *a = At(c1, t1), *b = At(c0, t1), *c = At(c1, t0), *d = At(c0, t0);
    for (int k = 0; k < 4; ++k) out[k] = a[k] - b[k] - c[k] + d[k];
  }
};

thread_local SummedArea t_area;

template <class T>
void BuildAreaOf(SummedArea& area, const cDDEffectLocks& locks, const DDSourceWalk& walk, bool keyed) {
  const size_t columns = static_cast<size_t>(area.a1 - area.a0) + 1;
  area.cells.assign(columns * (static_cast<size_t>(area.b1 - area.b0) + 1) * 4, 0);
  const bool direct3D = lpDTCon != nullptr, sixteen = sizeof(T) == 2;
  const uint32_t key = DDColorKey;
  const int* f = DDPixelFormat;
  for (int j = area.b0; j < area.b1; ++j) {
    const T* in = DDRowOf<T>(locks.Src(), walk.Y(j));
    uint32_t* cell = area.At(area.a0 + 1, j + 1);
    const uint32_t* above = area.At(area.a0 + 1, j);
    uint32_t r = 0, g = 0, b = 0, n = 0;
    for (int i = area.a0; i < area.a1; ++i, cell += 4, above += 4) {
      uint32_t p = in[walk.X(i)];
      bool skip = keyed && (direct3D ? (sixteen ? (p & 0xA000) == 0 : (p >> 24) == 0) : p == key);
      if (!skip) {
        if (sixteen) {
          r += (p >> f[0]) & static_cast<uint32_t>(f[4]);
          g += (p >> f[1]) & static_cast<uint32_t>(f[5]);
          b += (p >> f[2]) & static_cast<uint32_t>(f[6]);
        } else {
          r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF;
        }
        ++n;
      }
      cell[0] = above[0] + r, cell[1] = above[1] + g, cell[2] = above[2] + b, cell[3] = above[3] + n;
    }
  }
}

void BuildArea(SummedArea& area, const cDDEffectLocks& locks, const DDSourceWalk& walk, bool keyed) {
  if (DDScreenBpp == 16) BuildAreaOf<uint16_t>(area, locks, walk, keyed);
  else BuildAreaOf<uint32_t>(area, locks, walk, keyed);
}

// Integer division by a count that repeats from pixel to pixel: a reciprocal and one correction step
// instead of a division for each channel.
struct Divisor {
  uint32_t k;
  double inverse;
  explicit Divisor(uint32_t count) : k(count), inverse(1.0 / count) {}
  uint32_t Of(uint32_t sum) const {
    uint64_t q = static_cast<uint64_t>(static_cast<int64_t>(sum * inverse));
    while (q * k > sum) --q;
    while ((q + 1) * k <= sum) ++q;
    return static_cast<uint32_t>(q);
  }
};

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
    t_area.a0 = static_cast<int>(std::max<int64_t>({int64_t{i0} - bw, 0, inside.i0}));
    t_area.a1 = static_cast<int>(std::min<int64_t>({int64_t{i1} - 1 + bw, w, inside.i1}));
    t_area.b0 = static_cast<int>(std::max<int64_t>({int64_t{j0} - bh, 0, inside.j0}));
    t_area.b1 = static_cast<int>(std::min<int64_t>({int64_t{j1} - 1 + bh, h, inside.j1}));
    if (t_area.a1 <= t_area.a0 || t_area.b1 <= t_area.b0) return true;
    BuildArea(t_area, locks, walk, keyed);
  }
  Divisor divisor(1);
  for (int r = j0; r < j1; ++r) {
    for (int i = i0; i < i1; ++i) {
      uint32_t p;
      if (!centre(i, r, &p)) continue;
      int c0, c1, t0, t1;
      window(i, r, &c0, &c1, &t0, &t1);
      uint32_t sums[4] = {0, 0, 0, 0};
      if (!locks.Same()) {
        t_area.Window(c0, t0, c1, t1, sums);
      } else {
        // A destination that is its own source: later windows see the pixels already blurred.
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
      }
      if (sums[3] == 0) continue;
      if (sums[3] != divisor.k) divisor = Divisor(sums[3]);
      uint32_t avg[3] = {divisor.Of(sums[0]), divisor.Of(sums[1]), divisor.Of(sums[2])};
      locks.Dst().Set(x + i, y + r, BlurPixel(avg, op, d, locks.Dst().Get(x + i, y + r)));
    }
  }
  return true;
}
