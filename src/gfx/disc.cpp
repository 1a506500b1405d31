// The disc blit: a circle of the source cut with one blit per row or band of rows.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/blit.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/pixelfx.h"

namespace {

// Half the width of the circle's row at offset k: truncated sqrt(r^2 - k^2), radius - 1 where that
// reaches the radius.
int64_t HalfWidth(int64_t radius, int64_t k) {
  int64_t n = radius * radius - k * k;
  if (n < 0) return 0;
  int64_t s = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
  while (s > 0 && s * s > n) --s;
  while ((s + 1) * (s + 1) <= n) ++s;
  return s >= radius ? radius - 1 : s;
}

inline int ToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void DDDiscBlt(DDSURFACEDATA* dst, int cx, int cy, int halfWidth, int halfHeight, int radius, int band,
               DDSURFACEDATA* src, int scx, int scy, DWORD flags) {
  if (radius <= 0 || band <= 0) return;
  DDFollowPartner(&dst);
  DDFollowPartner(&src);
  const int64_t lo = std::max<int64_t>(int64_t{scx} - halfWidth, 0);
  const int64_t hi = std::min<int64_t>(int64_t{scx} + halfWidth, src ? src->nWidth : 0);
  const int64_t r = radius, b = band, hh = halfHeight;
  DDBeginLayer(0);
  // One row (band) from source row scy + k, s pixels either side of the centre, clipped to [lo, hi).
  auto draw = [&](int64_t k, int64_t s, int64_t rows) {
    int64_t sx = int64_t{scx} - s, dx = int64_t{cx} - s, w = 2 * s;
    if (sx < lo) {
      w -= lo - sx;
      dx += lo - sx;
      sx = lo;
    }
    if (sx + w >= hi) w = hi - sx;
    const int y = ToInt(cy + k), sy = ToInt(scy + k);
    if (lpDTCon)
      DDStretchBlt(dst, ToInt(dx), y, ToInt(w), ToInt(rows), src, ToInt(sx), sy, ToInt(w), ToInt(rows), flags);
    else
      DDBlt(dst, ToInt(dx), y, ToInt(w), ToInt(rows), src, ToInt(sx), sy, flags);
  };
  if (b == 1) {
    // Rows from the bottom; those at or below the half height are skipped without walking them.
    for (int64_t k = std::min(r - 1, hh - 1); k >= -r && k >= -hh; --k) draw(k, HalfWidth(r, k), 1);
  } else {
    int64_t k = r - b;
    if (k >= hh) k -= (k - hh) / b * b + b;  // the first band below the half height
    for (; k >= -r; k -= b) {
      if (k >= hh) continue;
      if (k + b <= -hh) break;
      if (k + b > hh) k = hh - b;
      else if (k < -hh) k = -hh;
      draw(k, HalfWidth(r, k + (b >> 1)), b);
    }
  }
  DDEndLayer();
}
