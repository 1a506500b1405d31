// The colour change: a whole surface covered by its texture modulated by a colour (Direct3D).
#include "gfx/fxshared.h"
#include "gfx/globals.h"
#include "core/log.h"
#include "gfx/pixelfx.h"

int DDChangeColorFrom(DDSURFACEDATA* dst, int, int, int, int, DDSURFACEDATA* src, int alpha, BYTE red, BYTE green,
                      BYTE blue) {
  if (!lpDTCon) {
    DebugLogF("DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int nAlpha,"
              "BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応");
    return 1;
  }
  if (!dst || !src) return 1;
  DDEffectSurfaces fx = DDResolveEffect(dst, src);
  if (!fx.dst->lpDT || !fx.src->lpDT) return 1;
  const int W = fx.dst->nWidth, H = fx.dst->nHeight;
  // A surface without a texture size (the back buffer) has its picture size as texture size.
  const float tw = static_cast<float>(fx.src->nTexWidth > 0 ? fx.src->nTexWidth : W);
  const float th = static_cast<float>(fx.src->nTexHeight > 0 ? fx.src->nTexHeight : H);
  DTVERTEX quad[4];
  DDMakeQuad(quad, 0, 0, W, H,
             ~static_cast<DWORD>(alpha) << 24 | DWORD{red} << 16 | DWORD{green} << 8 | blue, 0.0f, 0.0f,
             static_cast<float>(W) / tw, static_cast<float>(H) / th);
  if (!DDBeginEffectQuad(fx.dst, fx.src, quad)) return 1;
  DDSetBlitStage(D3DTOP_MODULATE, D3DTOP_MODULATE, fx.src->lpDT->lpTexture);
  DDDrawEffectQuad(fx.src);
  return 1;
}

int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, BYTE bRed, BYTE bGreen,
                  BYTE bBlue) {
  return DDChangeColorFrom(lpDstSD, x, y, nWidth, nHeight, lpDstSD, nAlpha, bRed, bGreen, bBlue);
}
