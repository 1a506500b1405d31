#include "gfx/blit.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/lock.h"
#include "gfx/quad.h"

void DDFollowPartner(DDSURFACEDATA** lpSD) {
  if (lpDTCon && *lpSD && (*lpSD)->lpPartner) *lpSD = (*lpSD)->lpPartner;
}

int DDRedirectBackBuffer(DDSURFACEDATA** lpSD) {
  if (!lpDTCon || !lpDTCon->bVirtual || *lpSD != &BackBuffer) return 0;
  *lpSD = &VirBackBuffer;
  return 1;
}

namespace {

// One axis of the mirror: the cell area as the partner's area read backwards.
void MirrorAxis(int cell, int* s, int* len) {
  if (cell == 0) return;
  if (*len == cell) {
    *s += *len;
    *len = -*len;
  } else if (*len < cell) {
    *s = *s + cell - 2 * (*s % cell);
    *len = -*len;
  }
}

// One axis of a same-size blit. The destination is clipped on both sides: a blit that starts before
// the destination and also runs past its far edge keeps its visible part.
void ClipSameAxis(int* pos, int* len, int* s, int* slen, int dstSize, int srcSize) {
  int left = std::max(*s, 0), right = std::min(*s + *slen, srcSize);
  if (*pos < 0) {
    left -= *pos;
    *pos = 0;
  }
  if (*pos + (right - left) > dstSize) right = left + dstSize - *pos;
  *s = left;
  *slen = *len = right - left;
}

// One axis of a stretched Direct3D blit: only the source is clipped (the device clips the rest).
bool ClipStretchAxisD3D(int* len, int* s, int* slen, int srcSize) {
  int incoming = *slen;
  int left = *s, right = *s + *slen;
  if (incoming < 0) std::swap(left, right);
  left = std::max(left, 0);
  right = std::min(right, srcSize);
  int kept = right - left;
  if (kept <= 0) return false;
  *s = incoming >= 0 ? left : right;
  *slen = incoming >= 0 ? kept : -kept;
  *len = static_cast<int>(std::trunc(std::fabs(static_cast<double>(kept) / incoming) * *len));
  return true;
}

// One axis of a stretched DirectDraw blit: the source, then the destination.
bool ClipStretchAxisDD(int* pos, int* len, int* s, int* slen, int dstSize, int srcSize) {
  int incoming = *slen;
  int left = std::max(*s, 0), right = std::min(*s + *slen, srcSize);
  *s = left;
  *slen = right - left;
  *len = static_cast<int>(std::trunc(static_cast<double>(*len) * (right - left) / incoming));
  if (*pos < 0) {
    if (*pos + *len < 0 || *len == 0) return false;
    int cut = static_cast<int>(std::trunc(static_cast<double>(-*pos) / *len * *slen));
    *s += cut;
    *slen -= cut;
    *len += *pos;
    *pos = 0;
  }
  if (*pos + *len > dstSize) {
    if (*pos >= dstSize || *len == 0) return false;
    *slen = static_cast<int>(std::trunc(static_cast<double>(dstSize - *pos) / *len * *slen));
    *len = dstSize - *pos;
  }
  return true;
}

bool SameSign(int a, int b) { return (a > 0 && b > 0) || (a < 0 && b < 0); }

// The software copy of Direct3D blits whose destination is not a render target or whose source lives
// in system memory: pixel by pixel through locks, 16 and 32 bits.
template <class T>
void CopyPixels(const cDDLock& d, const cDDLock& s, DDSURFACEDATA* dst, DDSURFACEDATA* src, int x, int y, int w,
                int h, int sx, int sy, int sw, int sh, DWORD flags) {
  const bool keyed = flags == 1;
  const bool toBack16 = sizeof(T) == 2 && DDIsFullScreenBackBuffer(dst);
  auto transparent = [](uint32_t p) { return sizeof(T) == 2 ? (p & 0xA000) == 0 : (p >> 24) == 0; };
  auto convert = [&](uint32_t p) -> T {
    if (!toBack16) return static_cast<T>(p);
    uint32_t r = (p >> DDPixelFormat[0]) & DDPixelFormat[4], g = (p >> DDPixelFormat[1]) & DDPixelFormat[5],
             b = (p >> DDPixelFormat[2]) & DDPixelFormat[6];
    return static_cast<T>(r << DDBackPixelFormat[0] | (g * 2) << DDBackPixelFormat[1] | b << DDBackPixelFormat[2]);
  };
  auto row = [](const cDDLock& l, int yy) {
    return reinterpret_cast<T*>(l.m_pBits) + static_cast<size_t>(yy) * l.m_nPitch;
  };
  if (sw == w && sh == h) {
    // Columns and rows whose destination and source pixels both lie inside.
    int k0 = std::max({0, -x, -sx}), k1 = std::min({w, dst->nWidth - x, src->nWidth - sx});
    int j0 = std::max({0, -y, -sy}), j1 = std::min({h, dst->nHeight - y, src->nHeight - sy});
    for (int j = j0; j < j1; ++j) {
      T* out = row(d, y + j) + x;
      const T* in = row(s, sy + j) + sx;
      for (int k = k0; k < k1; ++k) {
        uint32_t p = in[k];
        if (keyed && transparent(p)) continue;
        out[k] = convert(p);
      }
    }
    return;
  }
  float fx = static_cast<float>(sw) / static_cast<float>(w), fy = static_cast<float>(sh) / static_cast<float>(h);
  for (int j = 0; j < h; ++j) {
    int dy = y + j, syy = sy + static_cast<int>(static_cast<float>(j) * fy);
    if (dy < 0 || dy >= dst->nHeight || syy < 0 || syy >= src->nHeight) continue;
    T* out = row(d, dy);
    const T* in = row(s, syy);
    for (int k = 0; k < w; ++k) {
      int dx = x + k, t = static_cast<int>(static_cast<float>(k) * fx), sxx;
      if (sw > 0) {
        if (t < 0 || t >= sw) continue;
        sxx = sx + t;
      } else {
        if (t <= sw || t > 0) continue;
        sxx = sx + t - 1;
      }
      if (dx < 0 || dx >= dst->nWidth || sxx < 0 || sxx >= src->nWidth) continue;
      uint32_t p = in[sxx];
      if (keyed && transparent(p)) continue;
      out[dx] = convert(p);
    }
  }
}

int SoftwareBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                DWORD flags) {
  if (w <= 0 || h <= 0) return 0;
  cDDLock d, s;
  if (!d.Lock(dst)) return 0;
  if (!s.Lock(src)) {
    d.Unlock();
    return 0;
  }
  if (DDScreenBpp == 16) CopyPixels<uint16_t>(d, s, d.m_lpSD, s.m_lpSD, x, y, w, h, sx, sy, sw, sh, flags);
  else if (DDScreenBpp == 32) CopyPixels<uint32_t>(d, s, d.m_lpSD, s.m_lpSD, x, y, w, h, sx, sy, sw, sh, flags);
  s.Unlock();
  d.Unlock();
  return 1;
}

// One textured quad of the source's texture into a render target.
int DeviceBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
              DWORD flags) {
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  if (DDLayerQueueBlt(dst, x, y, w, h, src, sx, sy, sw, sh, flags)) return 1;
  DTSURFACEDATA* dt = src->lpDT;
  void* p = nullptr;
  if (!dt->lpVB || FAILED(dt->lpVB->Lock(0, DDQuadBytes, &p, 0))) return 0;
  DDMakeBlitQuad(static_cast<DTVERTEX*>(p), x, y, w, h, src, sx, sy, sw, sh, lpDTCon->dwDrawColor);
  dt->lpVB->Unlock();
  if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return 0;
  // An opaque copy of a colour-keyed picture carries its transparency along: what its transparent
  // texels do not cover keeps the destination's transparent value.
  if (flags == 0 && dt->bColorKey) DDClearTransparent(dst, x, y, w, h);
  DDSetBlitStage(lpDTCon->dwColorOp, lpDTCon->dwAlphaOp, dt->lpTexture);
  lpDevice->SetStreamSource(0, dt->lpVB, 0, sizeof(DTVERTEX));
  lpDevice->SetFVF(DDQuadFvf);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  DDRestoreRenderTarget();
  return 1;
}

int StretchBltDirect3D(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                       int sh, DWORD flags) {
  if (!dst || !src) return 0;
  DDMirrorSourceRect(src, &sx, &sy, &sw, &sh);
  DDFollowPartner(&dst);
  DDFollowPartner(&src);
  if (lpDTCon->bCopying) {
    dst = &BackBuffer;
    src = &VirBackBuffer;
  } else {
    DDRedirectBackBuffer(&dst);
    DDRedirectBackBuffer(&src);
  }
  if (!dst->lpDT || !src->lpDT || !lpDevice) return 0;
  if (dst->lpDT->bRenderTarget && src->lpDT->MemType != DTMEMORYTYPE_SYSTEM)
    return DeviceBlt(dst, x, y, w, h, src, sx, sy, sw, sh, flags);
  return SoftwareBlt(dst, x, y, w, h, src, sx, sy, sw, sh, flags);
}

IDirectDrawSurface7* SurfaceOf(DDSURFACEDATA* lpSD) {
  return lpSD && lpSD->lpDDData ? lpSD->lpDDData->lpDDSurface : nullptr;
}

}  // namespace

void DDMirrorSourceRect(DDSURFACEDATA* src, int* sx, int* sy, int* sw, int* sh) {
  if (!lpDTCon || !src || !src->lpPartner) return;
  MirrorAxis(src->nMirrorWidth, sx, sw);
  MirrorAxis(src->nMirrorHeight, sy, sh);
}

int DDClipBlt(DDSURFACEDATA* dst, int* x, int* y, int* w, int* h, DDSURFACEDATA* src, int* sx, int* sy, int* sw,
              int* sh) {
  if (*w <= 0 || *h <= 0 || *sw == 0 || *sh == 0) return 0;
  int inW = *sw, inH = *sh;
  if (*sw == *w && *sh == *h) {
    ClipSameAxis(x, w, sx, sw, dst->nWidth, src->nWidth);
    ClipSameAxis(y, h, sy, sh, dst->nHeight, src->nHeight);
  } else if (lpDTCon) {
    if (!ClipStretchAxisD3D(w, sx, sw, src->nWidth) || !ClipStretchAxisD3D(h, sy, sh, src->nHeight)) return 0;
  } else {
    if (!ClipStretchAxisDD(x, w, sx, sw, dst->nWidth, src->nWidth) ||
        !ClipStretchAxisDD(y, h, sy, sh, dst->nHeight, src->nHeight))
      return 0;
  }
  return SameSign(*sw, inW) && SameSign(*sh, inH) && *w > 0 && *h > 0;
}

int DDIsFullScreenBackBuffer(const DDSURFACEDATA* lpSD) { return lpSD == &BackBuffer && DDWindowMode == 0; }

int DDStretchBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                 DWORD flags) {
  if (lpDTCon) return StretchBltDirect3D(dst, x, y, w, h, src, sx, sy, sw, sh, flags);
  IDirectDrawSurface7 *to = SurfaceOf(dst), *from = SurfaceOf(src);
  if (!to || !from) return 0;
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  RECT d{x, y, x + w, y + h}, s{sx, sy, sx + sw, sy + sh};
  return to->Blt(&d, from, &s, DDBLT_WAIT | (flags == 1 ? DDBLT_KEYSRC : 0), nullptr);
}

int DDBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, DWORD flags) {
  if (lpDTCon) return DDStretchBlt(dst, x, y, w, h, src, sx, sy, w, h, flags);
  IDirectDrawSurface7 *to = SurfaceOf(dst), *from = SurfaceOf(src);
  if (!to || !from) return 0;
  int sw = w, sh = h;
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  RECT s{sx, sy, sx + w, sy + h};
  return to->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), from, &s, flags | DDBLTFAST_WAIT);
}

int DDStretchBltBlend(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                      int sh, DWORD flags, const DWORD* blend) {
  if (!lpDTCon || !blend) return DDStretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh, flags);
  DDSetDrawColor(blend[0]);
  DDSetColorOp(blend[1]);
  int result = DDStretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh, flags);
  DDResetDrawColor();
  DDResetColorOp();
  return result;
}

int DDBltBlend(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, DWORD flags,
               const DWORD* blend) {
  if (!lpDTCon) return DDBlt(dst, x, y, w, h, src, sx, sy, flags);
  return DDStretchBltBlend(dst, x, y, w, h, src, sx, sy, w, h, flags, blend);
}

void DDCopyVirtualBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
  if (!lpDTCon || !dst || !src) return;
  lpDTCon->bCopying = 1;
  DDSetAlphaOp(D3DTOP_DISABLE);
  DDBlt(dst, 0, 0, src->nWidth, src->nHeight, src, 0, 0, 0);
  DDResetAlphaOp();
  lpDTCon->bCopying = 0;
}

int DDDebugText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                const char* text) {
  if (!text) return 0;
  DDBeginLayer(0);
  int offset = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    unsigned c = *p;
    if (c == '\n') {
      offset = 0;
      y += cellHeight;
      continue;
    }
    int row = static_cast<int>(c >> 4), column = static_cast<int>(c & 15);
    if (c >= 0xA6 && c <= 0xBF) row -= 10;
    else if (c >= 0xC0 && c <= 0xDD) row -= 4;
    DDBlt(dst, x + offset, y, cellWidth, cellHeight, sheet, column * cellWidth, row * cellHeight, 1);
    offset += cellWidth;
    if (offset >= DDScreenWidth) {
      offset = 0;
      y += cellHeight;
    }
  }
  return DDEndLayer();
}

int DDDebugPrintf(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                  const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);  // a longer text is cut
  va_end(args);
  return DDDebugText(dst, x, y, cellWidth, cellHeight, sheet, text);
}
