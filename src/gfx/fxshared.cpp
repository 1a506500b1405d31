#include "gfx/fxshared.h"

#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"

DDEffectSurfaces DDResolveEffect(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
  DDEffectSurfaces out;
  DDFollowPartner(&dst);
  DDRedirectBackBuffer(&dst);
  DDFollowPartner(&src);
  DDRedirectBackBuffer(&src);
  out.dst = dst;
  out.src = src;
  out.quad = dst && src && dst->lpDT && src->lpDT && dst->lpDT->bRenderTarget &&
             src->lpDT->MemType != DTMEMORYTYPE_SYSTEM;
  return out;
}

DDEffectSurfaces DDResolveBlitEffect(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx,
                                     int sy, DWORD colour, DTVERTEX* quad) {
  int sw = w, sh = h;
  DDMirrorSourceRect(src, &sx, &sy, &sw, &sh);
  DDEffectSurfaces fx = DDResolveEffect(dst, src);
  if (fx.quad) DDMakeBlitQuad(quad, x, y, w, h, fx.src, sx, sy, sw, sh, colour);
  return fx;
}

bool DDBeginEffectQuad(DDSURFACEDATA* dst, DDSURFACEDATA* src, const DTVERTEX* quad) {
  IDirect3DVertexBuffer9* vb = src->lpDT ? src->lpDT->lpVB : nullptr;
  void* p = nullptr;
  if (!vb || !lpDevice || FAILED(vb->Lock(0, DDQuadBytes, &p, 0))) return false;
  std::copy(quad, quad + 4, static_cast<DTVERTEX*>(p));
  vb->Unlock();
  return DDBeginScene() && DDSetRenderTarget(0, dst);
}

int DDDrawEffectQuad(DDSURFACEDATA* src) {
  lpDevice->SetStreamSource(0, src->lpDT->lpVB, 0, sizeof(DTVERTEX));
  lpDevice->SetFVF(DDQuadFvf);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  return lpDTCon->lpRestTarget ? DDSetRenderTarget(0, lpDTCon->lpRestTarget) : 0;
}

DDSourceWalk DDWalkSource(DDSURFACEDATA* src, int sx, int sy, int w, int h) {
  int sw = w, sh = h;
  DDMirrorSourceRect(src, &sx, &sy, &sw, &sh);
  DDSourceWalk walk;
  walk.x0 = sw < 0 ? sx - 1 : sx;
  walk.dx = sw < 0 ? -1 : 1;
  walk.y0 = sh < 0 ? sy - 1 : sy;
  walk.dy = sh < 0 ? -1 : 1;
  return walk;
}

namespace {
// Keeps [lo, hi) to the offsets k for which start + step * k lies in [0, size).
void KeepInside(int start, int step, int size, int* lo, int* hi) {
  int64_t a = *lo, b = *hi;
  if (step > 0) {
    a = std::max<int64_t>(a, -int64_t{start});
    b = std::min<int64_t>(b, int64_t{size} - start);
  } else {
    a = std::max<int64_t>(a, int64_t{start} - size + 1);
    b = std::min<int64_t>(b, int64_t{start} + 1);
  }
  *lo = static_cast<int>(a);
  *hi = static_cast<int>(std::max(a, b));
}
}  // namespace

DDEffectSpan DDClipEffect(const cDDEffectLocks& locks, int x, int y, int w, int h, const DDSourceWalk& walk,
                          bool withDst) {
  DDEffectSpan span{0, w, 0, h};
  const DDSURFACEDATA* d = locks.DstSD();
  const DDSURFACEDATA* s = locks.SrcSD();
  if (!d || !s || w <= 0 || h <= 0) return {};
  if (withDst) {
    KeepInside(x, 1, d->nWidth, &span.i0, &span.i1);
    KeepInside(y, 1, d->nHeight, &span.j0, &span.j1);
  }
  KeepInside(walk.x0, walk.dx, s->nWidth, &span.i0, &span.i1);
  KeepInside(walk.y0, walk.dy, s->nHeight, &span.j0, &span.j1);
  return span;
}
