// The lens blit: a disc of the source magnified toward its centre.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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

thread_local std::vector<double> t_scales;

// A point of a mirrored alias as the point of its partner's picture (each cell read backwards).
int MirrorCoord(int p, int cell) {
  if (cell <= 0 || p < 0) return p;
  int o = p % cell;
  return p - o + cell - 1 - o;
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
  const DDSURFACEDATA* s = locks.SrcSD();
  const cDDColorOp op(pair);
  const bool keyed = colorKey == 1;
  const bool clear = lpDTCon && depthBits == 32 && clearOutside != 0;
  const bool toBack16 = lpDTCon && depthBits == 16 && DDIsFullScreenBackBuffer(d);
  const uint32_t key = DDColorKey;
  const double depthD = static_cast<double>(depth);
  // Only rows and columns inside the destination can change.
  const int64_t i0 = std::max<int64_t>(-R, -int64_t{cy}), i1 = std::min<int64_t>(R, int64_t{d->nHeight} - 1 - cy);
  const int64_t j0 = std::max<int64_t>(-R, -int64_t{cx}), j1 = std::min<int64_t>(R, int64_t{d->nWidth} - 1 - cx);
  const int64_t reach = std::max(j0 < 0 ? -j0 : j0, j1 < 0 ? -j1 : j1);
  std::vector<double>& scales = t_scales;
  for (int64_t i = i0; i <= i1; ++i) {
    const int dy = static_cast<int>(cy + i);
    // The scale of each column distance inside the disc, shared by the columns left and right of the
    // centre (-1 where the root is 0: the offsets stay).
    const int64_t inside = std::min(reach, ISqrt(R * R - i * i));
    scales.resize(static_cast<size_t>(inside) + 1);
    for (int64_t j = 0; j <= inside; ++j) {
      const double root = std::sqrt(static_cast<double>(KK - (i * i + j * j)));
      scales[static_cast<size_t>(j)] = root != 0 ? depthD / root : -1.0;
    }
    for (int64_t j = j0; j <= j1; ++j) {
      const int dx = static_cast<int>(cx + j);
      const int64_t d2 = i * i + j * j;
      if (d2 > R * R) {
        if (clear) locks.Dst().Set(dx, dy, 0);
        continue;
      }
      int64_t oi = i, oj = j;
      const double scale = scales[static_cast<size_t>(j < 0 ? -j : j)];
      if (scale >= 0) {
        oi = static_cast<int64_t>(static_cast<double>(i) * scale + 0.5);
        oj = static_cast<int64_t>(static_cast<double>(j) * scale + 0.5);
      }
      const int64_t px = scx + oj, py = scy + oi;
      const bool inside = px >= 0 && py >= 0 && px < s->nWidth && py < s->nHeight;
      if (!inside) {
        if (clear) locks.Dst().Set(dx, dy, 0);
        continue;
      }
      const uint32_t p = locks.Src().Get(MirrorCoord(static_cast<int>(px), mirrorW),
                                         MirrorCoord(static_cast<int>(py), mirrorH));
      if (!lpDTCon) {
        if (p != key) locks.Dst().Set(dx, dy, p);
      } else if (depthBits == 16) {
        if (keyed && (p & 0xA000) == 0) continue;
        uint32_t q = op.Apply(p);
        if (toBack16) {
          uint32_t r, g, b;
          DDUnpack16(q, &r, &g, &b);
          q = DDPack16(d, r, g, b);
        }
        locks.Dst().Set(dx, dy, q);
      } else if ((p >> 24) == 0) {
        if (clear) locks.Dst().Set(dx, dy, 0);
      } else if (op.Active()) {
        uint32_t q = op.Apply(p), old = locks.Dst().Get(dx, dy);
        locks.Dst().Set(dx, dy, (old & 0xFF000000u) | (q & 0xFFFFFF));
      } else {
        locks.Dst().Set(dx, dy, p);
      }
    }
  }
  return true;
}
