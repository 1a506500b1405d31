#include "gfx/fill.h"

#include <algorithm>
#include <vector>

#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "gfx/lock.h"
#include "gfx/palette.h"
#include "gfx/quad.h"

namespace {

struct BoxBatch {
  bool open = false;
  std::vector<DDBOXDATA> boxes;
  DDRUNBUFFERS run;
} g_Boxes;

// A DirectDraw colour fill of the rectangle clipped to the surface on every side; an empty rectangle
// fills nothing.
int FillDirectDraw(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color) {
  if (!lpSD || !lpSD->lpDDData || !lpSD->lpDDData->lpDDSurface) return 0;
  RECT r{std::max(x, 0), std::max(y, 0), std::min(x + width, lpSD->nWidth), std::min(y + height, lpSD->nHeight)};
  if (r.left >= r.right || r.top >= r.bottom) return 0;
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  return SUCCEEDED(lpSD->lpDDData->lpDDSurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

// A render target: a quad in the texture-factor colour, blended over the target.
void FillQuad(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color) {
  IDirect3DVertexBuffer9* vb = lpSD->lpDT->lpVB;
  void* p = nullptr;
  if (!vb || FAILED(vb->Lock(0, DDQuadBytes, &p, 0))) return;
  DDMakeQuad(static_cast<DTVERTEX*>(p), x, y, width, height, color, 0.0f, 0.0f, 0.0f, 0.0f);
  vb->Unlock();
  if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
  lpDevice->SetRenderState(D3DRS_TEXTUREFACTOR, color);
  lpDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  lpDevice->SetStreamSource(0, vb, 0, sizeof(DTVERTEX));
  lpDevice->SetFVF(DDQuadFvf);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  DDRestoreRenderTarget();
}

// A surface that is not a render target: the pixels are written through a lock, without blending.
int FillPixels(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color) {
  cDDLock lock;
  if (!lock.Lock(lpSD)) return 0;
  DDSURFACEDATA* sd = lock.m_lpSD;
  uint32_t pixel = color;
  if (DDScreenBpp == 16) {
    uint32_t a = (color >> 24) * DDPixelFormat[7] / 255, r = ((color >> 16) & 0xFF) * DDPixelFormat[4] / 255,
             g = ((color >> 8) & 0xFF) * DDPixelFormat[5] / 255, b = (color & 0xFF) * DDPixelFormat[6] / 255;
    if (DDIsFullScreenBackBuffer(sd))
      pixel = r << DDBackPixelFormat[0] | (g * 2) << DDBackPixelFormat[1] | b << DDBackPixelFormat[2];
    else
      pixel = a << DDPixelFormat[3] | r << DDPixelFormat[0] | g << DDPixelFormat[1] | b << DDPixelFormat[2];
  } else if (DDScreenBpp != 32) {
    return 0;
  }
  int x0 = std::max(x, 0), x1 = std::min(x + width, sd->nWidth);
  int y0 = std::max(y, 0), y1 = std::min(y + height, sd->nHeight);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) lock.Set(xx, yy, pixel);
  return 1;
}

int FillDirect3D(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color) {
  if (!lpSD) return 0;
  DDFollowPartner(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  DTSURFACEDATA* dt = lpSD->lpDT;
  if (!dt || !lpDevice) return 0;
  if (!dt->bRenderTarget) return FillPixels(lpSD, x, y, width, height, color);
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (x > lpSD->nWidth) x = lpSD->nWidth;
  if (x + width > lpSD->nWidth) width = lpSD->nWidth - x;
  if (y < 0) {
    height += y;
    y = 0;
  }
  if (y > lpSD->nHeight) y = lpSD->nHeight;
  if (y + height > lpSD->nHeight) height = lpSD->nHeight - y;
  if (width <= 0 || height <= 0) return 0;
  DWORD transparent = lpSD == &BackBuffer ? lpDTCon->dwTransmitKey_32 : lpDTCon->dwTransmit_32;
  if (dt->bColorKey && (DDScreenBpp == 16 || DDScreenBpp == 32) && color == transparent) {
    // The transparent value, alpha included, is written exactly.
    if (DDBeginScene() && DDSetRenderTarget(0, lpSD)) {
      D3DRECT r{x, y, x + width, y + height};
      lpDevice->Clear(1, &r, D3DCLEAR_TARGET, transparent, 1.0f, 0);
      DDRestoreRenderTarget();
    }
    return 1;
  }
  if (g_Boxes.open) {
    g_Boxes.boxes.push_back({lpSD, x, y, width, height, color});
    return 1;
  }
  FillQuad(lpSD, x, y, width, height, color);
  return 1;
}

void DrawBoxRun(const DDBOXDATA* first, const DDBOXDATA* last) {
  DDRUNBUFFERS& run = g_Boxes.run;
  run.vertices.resize(static_cast<size_t>(last - first) * 4);
  DTVERTEX* v = run.vertices.data();
  for (const DDBOXDATA* b = first; b != last; ++b, v += 4)
    DDMakeQuad(v, b->x, b->y, b->w, b->h, b->dwColor, 0.0f, 0.0f, static_cast<float>(b->w),
               static_cast<float>(b->h));
  if (DDMakeRunBuffers(run) && DDBeginScene() && DDSetRenderTarget(0, first->lpSD)) {
    DDSetStage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
               WorkSD.lpDT ? WorkSD.lpDT->lpTexture : nullptr);
    DDDrawRun(run);
  }
  run.Release();
  DDRestoreRenderTarget();
}

}  // namespace

int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD dwPalNum) {
  if (lpDTCon) return FillDirect3D(lpSD, x, y, width, height, PalNumToRGB(dwPalNum));
  DWORD color = 0;
  if (DDScreenBpp == 8) color = dwPalNum;
  else if (DDScreenBpp == 16 || DDScreenBpp == 24 || DDScreenBpp == 32) color = PalNumToRGB(dwPalNum);
  return FillDirectDraw(lpSD, x, y, width, height, color);
}

void DDFillSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum) {
  if (lpSD) DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

int DDFillRectRGB(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color) {
  if (lpDTCon) return FillDirect3D(lpSD, x, y, width, height, color);
  return FillDirectDraw(lpSD, x, y, width, height, color);
}

void DDFillSurfaceRGB(DDSURFACEDATA* lpSD, DWORD color) {
  if (lpSD) DDFillRectRGB(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, color);
}

void DDBeginBoxBatch() {
  if (!lpDTCon) return;
  g_Boxes.open = true;
  g_Boxes.run.Release();
  g_Boxes.boxes.clear();
}

int DDEndBoxBatch() {
  if (!lpDTCon) return 0;
  std::vector<DDBOXDATA>& boxes = g_Boxes.boxes;
  size_t i = 0;
  while (lpDevice && i < boxes.size()) {
    size_t end = i + 1;
    while (end < boxes.size() && end - i < DDRunMaxQuads && boxes[end].lpSD == boxes[i].lpSD) ++end;
    DrawBoxRun(boxes.data() + i, boxes.data() + end);
    i = end;
  }
  g_Boxes.open = false;
  boxes.clear();
  return 1;
}

void DDSetPixel(DDSURFACEDATA* lpSD, int x, int y, DWORD dwPalNum) {
  if (!lpSD || x < 0 || y < 0 || x >= lpSD->nWidth || y >= lpSD->nHeight) return;
  if (lpDTCon) DDFillRect(lpSD, x, y, 1, 1, dwPalNum);
  else FillDirectDraw(lpSD, x, y, 1, 1, PalNumToRGB(dwPalNum));
}

void DDCircle(DDSURFACEDATA* lpSD, int cx, int cy, int radius, DWORD dwPalNum) {
  if (radius < 1) return;
  int x = 0, y = radius, d = 3 - 2 * radius;
  while (x <= y) {
    const int points[8][2] = {{cx + x, cy + y}, {cx - x, cy + y}, {cx + x, cy - y}, {cx - x, cy - y},
                              {cx + y, cy + x}, {cx - y, cy + x}, {cx + y, cy - x}, {cx - y, cy - x}};
    for (const auto& p : points) DDSetPixel(lpSD, p[0], p[1], dwPalNum);
    if (d < 0) {
      d += 4 * x + 6;
    } else {
      d += 4 * (x - y) + 10;
      --y;
    }
    ++x;
  }
}
