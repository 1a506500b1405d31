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

template <class T>
void TurnPixels(const cDDEffectLocks& locks, int x, int y, int w, int h, int px, int py, int angle,
                const DDSourceWalk& walk, bool keyed, bool toBack16) {
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
  const DDSURFACEDATA* src = locks.SrcSD();
  // Only the box columns and rows whose destination point lies inside the destination.
  int u0 = std::max(minX - 2, px - x), u1 = std::min(maxX + 2, dst->nWidth + px - x);
  int v0 = std::max(minY - 2, py - y), v1 = std::min(maxY + 2, dst->nHeight + py - y);
  // Direct3D compares with the transparent texel, 0 (its DDColorKey may hold the palette picture's
  // first pixel at 16 bits).
  const uint32_t key = lpDTCon ? 0 : DDColorKey;
  const int* tf = DDPixelFormat;
  const int* bf = DDBackPixelFormat;
  for (int v = v0; v < v1; ++v) {
    T* out = DDRowOf<T>(locks.Dst(), y - py + v);
    const int shift = x - px;
    int du = u0 - px, dv = v - py;
    int a = du * S2 - dv * T2, b = du * T2 + dv * S2;
    for (int u = u0; u < u1; ++u, a += S2, b += T2) {
      int sc = px + (a >> 10), sr = py + (b >> 10);
      if (sc < 0 || sc >= w || sr < 0 || sr >= h) continue;
      int scol = walk.X(sc), srow = walk.Y(sr);
      if (scol < 0 || srow < 0 || scol >= src->nWidth || srow >= src->nHeight) continue;
      uint32_t p = DDRowOf<T>(locks.Src(), srow)[scol];
      if (keyed && p == key) continue;
      if (toBack16)
        p = DDChannel16(p, tf, 0) << bf[0] | DDChannel16(p, tf, 1) * 2 << bf[1] | DDChannel16(p, tf, 2) << bf[2];
      out[shift + u] = static_cast<T>(p);
    }
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
    case 8: TurnPixels<uint8_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed, false); break;
    case 16:
      TurnPixels<uint16_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed,
                           lpDTCon && DDIsFullScreenBackBuffer(locks.DstSD()));
      break;
    case 32: TurnPixels<uint32_t>(locks, x, y, w, h, pivotX, pivotY, angle, walk, keyed, false); break;
    default: break;
  }
  return true;
}
