// The turned blit: one turned quad, or the destination pixels of the turned rectangle's box mapped
// back into the source with 10-bit fixed-point sine and cosine.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/drawstate.h"
#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979 / 180;

int Fixed(double v) { return static_cast<int>(v * 1024.0); }

void QuadCorners(DTVERTEX* v, int x, int y, int w, int h, int px, int py, int angle) {
  double rad = angle * kRadiansPerDegree;
  float c = static_cast<float>(std::cos(rad)), s = static_cast<float>(std::sin(rad));
  float ox = static_cast<float>(x) - 0.5f + static_cast<float>(px - (w >> 1));
  float oy = static_cast<float>(y) - 0.5f + static_cast<float>(py - (h >> 1));
  const int corners[4][2] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
  for (int k = 0; k < 4; ++k) {
    float dx = static_cast<float>(corners[k][0] - px), dy = static_cast<float>(corners[k][1] - py);
    v[k].x = ox + dx * c - dy * s;
    v[k].y = oy + dx * s + dy * c;
    v[k].z = 0.0f;
    v[k].rhw = 1.0f;
  }
}

// Keeps [u0, u1) to the columns u for which lo <= (a0 + (u - base) * step) >> 10 < hi: one
// interval, as the shifted term moves one way along the row.
void KeepTurned(int64_t base, int64_t a0, int64_t step, int64_t lo, int64_t hi, int64_t* u0, int64_t* u1) {
  if (*u0 >= *u1) return;
  auto at = [&](int64_t u) { return (a0 + (u - base) * step) >> 10; };
  // First u in [from, to) where pred holds, pred false then true along the range (to when none).
  auto first = [](int64_t from, int64_t to, auto pred) {
    while (from < to) {
      const int64_t mid = from + (to - from) / 2;
      if (pred(mid)) to = mid;
      else from = mid + 1;
    }
    return from;
  };
  if (step >= 0) {
    *u0 = first(*u0, *u1, [&](int64_t u) { return at(u) >= lo; });
    *u1 = first(*u0, *u1, [&](int64_t u) { return at(u) >= hi; });
  } else {
    *u0 = first(*u0, *u1, [&](int64_t u) { return at(u) < hi; });
    *u1 = first(*u0, *u1, [&](int64_t u) { return at(u) < lo; });
  }
}

template <class T, bool Keyed, bool ToBack16>
void TurnPixels(const cDDEffectLocks& locks, int x, int y, int w, int h, int px, int py, int angle,
                const DDSourceWalk& walk) {
  const double rad = angle * kRadiansPerDegree;
  const int S1 = Fixed(std::sin(rad)), C1 = Fixed(std::cos(rad));
  int minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
  const int corners[4][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
  for (const auto& corner : corners) {
    int dx = corner[0] - px, dy = corner[1] - py;
    int tx = px + ((dx * C1 - dy * S1) >> 10), ty = py + ((dx * S1 + dy * C1) >> 10);
    minX = std::min(minX, tx), maxX = std::max(maxX, tx);
    minY = std::min(minY, ty), maxY = std::max(maxY, ty);
  }
  const int S2 = Fixed(std::cos(-rad)), T2 = Fixed(std::sin(-rad));
  const DDSURFACEDATA* dst = locks.DstSD();
  // Only the box columns and rows whose destination point lies inside the destination.
  const int u0 = std::max(minX - 2, px - x), u1 = std::min(maxX + 2, dst->nWidth + px - x);
  const int v0 = std::max(minY - 2, py - y), v1 = std::min(maxY + 2, dst->nHeight + py - y);
  if (u0 >= u1 || v0 >= v1) return;
  // The rectangle's columns and rows whose source point lies inside the source.
  const DDEffectSpan inside = DDClipEffect(locks, 0, 0, w, h, walk, false);
  if (inside.Empty()) return;
  // Source point (sc, sr) of the rectangle is pixel origin + sc * colStep + sr * rowStep.
  const T* bits = reinterpret_cast<const T*>(locks.Src().m_pBits);
  const int64_t pitch = locks.Src().m_nPitch;
  const int64_t origin = walk.y0 * pitch + walk.x0, colStep = walk.dx, rowStep = walk.dy * pitch;
  // Direct3D compares with the transparent texel, 0 (its DDColorKey may hold the palette picture's
  // first pixel at 16 bits).
  const uint32_t key = lpDTCon ? 0 : DDColorKey;
  const int* tf = DDPixelFormat;
  const int* bf = DDBackPixelFormat;
  for (int v = v0; v < v1; ++v) {
    T* out = DDRowOf<T>(locks.Dst(), y - py + v) + (x - px);
    const int64_t du = u0 - px, dv = v - py;
    const int64_t a = du * S2 - dv * T2, b = du * T2 + dv * S2;
    // The columns whose source point lies inside both the rectangle and the source.
    int64_t first = u0, last = u1;
    KeepTurned(u0, a, S2, int64_t{inside.i0} - px, int64_t{inside.i1} - px, &first, &last);
    KeepTurned(u0, b, T2, int64_t{inside.j0} - py, int64_t{inside.j1} - py, &first, &last);
    int64_t ca = a + (first - u0) * S2, cb = b + (first - u0) * T2;
    for (int64_t u = first; u < last; ++u, ca += S2, cb += T2) {
      const int64_t sc = px + (ca >> 10), sr = py + (cb >> 10);
      uint32_t p = bits[origin + sc * colStep + sr * rowStep];
      if (Keyed && p == key) continue;
      if constexpr (ToBack16)
        p = DDChannel16(p, tf, 0) << bf[0] | DDChannel16(p, tf, 1) * 2 << bf[1] | DDChannel16(p, tf, 2) << bf[2];
      out[u] = static_cast<T>(p);
    }
  }
}

template <class T>
void TurnPixelsOf(const cDDEffectLocks& locks, int x, int y, int w, int h, int px, int py, int angle,
                  const DDSourceWalk& walk, bool keyed, bool toBack16) {
  if (toBack16) {
    if (keyed) TurnPixels<T, true, true>(locks, x, y, w, h, px, py, angle, walk);
    else TurnPixels<T, false, true>(locks, x, y, w, h, px, py, angle, walk);
  } else if (keyed) {
    TurnPixels<T, true, false>(locks, x, y, w, h, px, py, angle, walk);
  } else {
    TurnPixels<T, false, false>(locks, x, y, w, h, px, py, angle, walk);
  }
}

}  // namespace

bool DDRotateBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int pivotX, int pivotY, int angle,
                 DDSURFACEDATA* src, int sx, int sy, int colorKey) {
  if (!dst || !src) return true;
  if (w <= 0 || h <= 0) return true;
  DDSourceWalk walk = DDWalkSource(src, sx, sy, w, h);
  if (lpDTCon) {
    DTVERTEX quad[4];
    DDEffectSurfaces fx = DDResolveBlitEffect(dst, x, y, w, h, src, sx, sy, lpDTCon->dwDrawColor, quad);
    if (fx.quad) {
      QuadCorners(quad, x, y, w, h, pivotX, pivotY, angle);
      if (!DDBeginEffectQuad(fx.dst, fx.src, quad)) return true;
      DDSetBlitStage(lpDTCon->dwColorOp, lpDTCon->dwAlphaOp, fx.src->lpDT->lpTexture);
      DDDrawEffectQuad(fx.src);
      return true;
    }
  }
  cDDEffectLocks locks;
  if (!locks.Lock(dst, src)) return false;
  const bool keyed = colorKey == 1;
  switch (DDEffectDepth()) {
    case 8: TurnPixelsOf<uint8_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed, false); break;
    case 16:
      TurnPixelsOf<uint16_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed,
                             lpDTCon && DDIsFullScreenBackBuffer(locks.DstSD()));
      break;
    case 32: TurnPixelsOf<uint32_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed, false); break;
    default: break;
  }
  return true;
}
