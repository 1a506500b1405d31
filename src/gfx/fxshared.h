// What the pixel effects share beyond the effect locks: the choice between the quad form and the
// software form in Direct3D, the quad form's vertex buffer, scene and render target, and the walk of
// a source rectangle in software (a mirrored alias reads its partner backwards, as its quad does).
#pragma once
#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "gfx/blit.h"
#include "gfx/effect.h"
#include "gfx/quad.h"
#include "gfx/records.h"

// The two surfaces of a Direct3D effect after partner and virtual back buffer, and whether they take
// the quad form: a render-target destination and a source outside system memory.
struct DDEffectSurfaces {
  DDSURFACEDATA* dst = nullptr;
  DDSURFACEDATA* src = nullptr;
  bool quad = false;
};
DDEffectSurfaces DDResolveEffect(DDSURFACEDATA* dst, DDSURFACEDATA* src);
// The same for an effect on the rectangle (sx, sy, w, h) drawn at (x, y); when it takes the quad form,
// `quad` receives the blit quad of the rectangle (a mirrored alias read backwards) in the colour.
DDEffectSurfaces DDResolveBlitEffect(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx,
                                     int sy, DWORD colour, DTVERTEX* quad);

// Fills the source's vertex buffer with the quad, opens the scene and makes `dst` the render target;
// false when any of them fails (the effect then draws nothing).
bool DDBeginEffectQuad(DDSURFACEDATA* dst, DDSURFACEDATA* src, const DTVERTEX* quad);
// Draws the strip of the source's vertex buffer with the stage as set; the render target goes back
// to the resting one. 1 when that succeeded.
int DDDrawEffectQuad(DDSURFACEDATA* src);

// Column i of a source rectangle is source column X(i), row j source row Y(j).
struct DDSourceWalk {
  int x0 = 0, dx = 1, y0 = 0, dy = 1;
  int X(int i) const { return x0 + i * dx; }
  int Y(int j) const { return y0 + j * dy; }
};
// The walk of the rectangle (sx, sy, w, h) of `src` as given by the caller (a mirrored alias in
// Direct3D reads the cells of its partner backwards).
DDSourceWalk DDWalkSource(DDSURFACEDATA* src, int sx, int sy, int w, int h);

// The rows [j0, j1) and columns [i0, i1) of a w x h rectangle at (x, y) whose destination point and
// source point both lie inside the locked surfaces (only the source point without `withDst`).
struct DDEffectSpan {
  int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
  bool Empty() const { return i0 >= i1 || j0 >= j1; }
};
DDEffectSpan DDClipEffect(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk,
                          bool withDst = true);

template <class T>
inline T* DDRowOf(const cDDLock& lock, int y) {
  return reinterpret_cast<T*>(lock.m_pBits) + static_cast<size_t>(y) * lock.m_nPitch;
}

// Calls f(destination pixel&, source pixel) for every pixel of the rectangle inside both surfaces.
template <class T, class F>
void DDEachEffectPixel(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, F&& f) {
  DDEffectSpan span = DDClipEffect(locks, x, y, w, h, walk);
  if (span.Empty()) return;
  for (int j = span.j0; j < span.j1; ++j) {
    T* out = DDRowOf<T>(locks.Dst(), y + j) + (x + span.i0);
    const T* in = DDRowOf<T>(locks.Src(), walk.Y(j));
    const int n = span.i1 - span.i0;
    if (walk.dx == 1) {
      const T* from = in + walk.X(span.i0);
      for (int k = 0; k < n; ++k) f(out[k], from[k]);
    } else {
      for (int k = 0; k < n; ++k) f(out[k], in[walk.X(span.i0 + k)]);
    }
  }
}

// Calls f(out, in, n, step) for every row of the rectangle inside both surfaces: out[0..n) are the
// destination pixels, in[k * step] their source pixels; step is std::integral_constant<int, 1> or
// <int, -1> (a mirrored alias), so that the row loop is compiled for each.
template <class T, class F>
void DDEachEffectRow(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk, F&& f) {
  DDEffectSpan span = DDClipEffect(locks, x, y, w, h, walk);
  if (span.Empty()) return;
  const int n = span.i1 - span.i0;
  for (int j = span.j0; j < span.j1; ++j) {
    T* out = DDRowOf<T>(locks.Dst(), y + j) + (x + span.i0);
    const T* in = DDRowOf<T>(locks.Src(), walk.Y(j)) + walk.X(span.i0);
    if (walk.dx == 1) f(out, in, n, std::integral_constant<int, 1>{});
    else f(out, in, n, std::integral_constant<int, -1>{});
  }
}

// Channels of a 16-bit pixel in the format of a table of shifts and maxima (DDPixelFormat or
// DDBackPixelFormat).
inline uint32_t DDChannel16(uint32_t pixel, const int* format, int c) {
  return (pixel >> format[c]) & static_cast<uint32_t>(format[4 + c]);
}
