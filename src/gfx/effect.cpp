#include "gfx/effect.h"

#include <algorithm>
#include <cstdio>

#include "gfx/blit.h"
#include "gfx/globals.h"
#include "platform/fs/path.h"

BYTE DDBlendTable[65536];

bool DDLoadBlendTable(BYTE* table, const char* path) {
  if (lpDTCon) return true;
  if (!table || !path) return false;
  FILE* f = OpenGameFile(path, "rb", PathOrigin::Data);
  if (!f) return false;
  size_t got = std::fread(table, 1, 65536, f);
  (void)got;  // a short file fills only its own length
  std::fclose(f);
  return true;
}

BOOL cDDEffectLocks::Lock(DDSURFACEDATA* dst, DDSURFACEDATA* src) {
  Unlock();
  if (lpDTCon) {
    DDFollowPartner(&dst);
    DDRedirectBackBuffer(&dst);
    DDFollowPartner(&src);
    DDRedirectBackBuffer(&src);
  }
  if (!m_Dst.Lock(dst)) {
    m_Dst.Unlock();
    return FALSE;
  }
  m_bSame = dst == src;
  if (m_bSame) return TRUE;
  if (!m_Src.Lock(src)) {
    m_Src.Unlock();
    m_Dst.Unlock();
    return FALSE;
  }
  return TRUE;
}

void cDDEffectLocks::Unlock() {
  m_Src.Unlock();
  m_Dst.Unlock();
  m_bSame = false;
}

bool cDDEffectLocks::InDst(int x, int y) const {
  const DDSURFACEDATA* sd = m_Dst.m_lpSD;
  return sd && x >= 0 && y >= 0 && x < sd->nWidth && y < sd->nHeight;
}

bool cDDEffectLocks::InSrc(int x, int y) const {
  const DDSURFACEDATA* sd = Src().m_lpSD;
  return sd && x >= 0 && y >= 0 && x < sd->nWidth && y < sd->nHeight;
}

int DDEffectDepth() {
  switch (DDScreenBpp) {
    case 8: return lpDTCon ? 0 : 8;
    case 16: return 16;
    case 32: return 32;
    default: return 0;
  }
}

bool DDIsTransparentPixel(uint32_t pixel) {
  if (!lpDTCon) return pixel == DDColorKey;
  if (DDScreenBpp == 16) return (pixel & 0xA000) == 0;
  return (pixel >> 24) == 0;
}

uint16_t DDPack16(const DDSURFACEDATA* dst, uint32_t r, uint32_t g, uint32_t b) {
  if (DDIsFullScreenBackBuffer(dst))
    return static_cast<uint16_t>(r << DDBackPixelFormat[0] | (g * 2) << DDBackPixelFormat[1] |
                                 b << DDBackPixelFormat[2]);
  return static_cast<uint16_t>((DDPixelFormat[7] & 1) << DDPixelFormat[3] | r << DDPixelFormat[0] |
                               g << DDPixelFormat[1] | b << DDPixelFormat[2]);
}

void DDUnpack16(uint32_t pixel, uint32_t* r, uint32_t* g, uint32_t* b) {
  *r = (pixel >> DDPixelFormat[0]) & DDPixelFormat[4];
  *g = (pixel >> DDPixelFormat[1]) & DDPixelFormat[5];
  *b = (pixel >> DDPixelFormat[2]) & DDPixelFormat[6];
}

cDDColorOp::cDDColorOp(const DWORD* pair) {
  if (!pair || pair[1] != D3DTOP_ADD) return;
  m_bAdd = true;
  m_r = (pair[0] >> 16) & 0xFF;
  m_g = (pair[0] >> 8) & 0xFF;
  m_b = pair[0] & 0xFF;
  if (DDScreenBpp == 16) {
    m_r = m_r * DDPixelFormat[4] / 255;
    m_g = m_g * DDPixelFormat[5] / 255;
    m_b = m_b * DDPixelFormat[6] / 255;
  }
}

uint32_t cDDColorOp::Apply(uint32_t pixel) const {
  if (!m_bAdd) return pixel;
  if (DDScreenBpp == 16) {
    uint32_t r, g, b;
    DDUnpack16(pixel, &r, &g, &b);
    r = std::min<uint32_t>(r + m_r, DDPixelFormat[4]);
    g = std::min<uint32_t>(g + m_g, DDPixelFormat[5]);
    b = std::min<uint32_t>(b + m_b, DDPixelFormat[6]);
    return 1u << DDPixelFormat[3] | r << DDPixelFormat[0] | g << DDPixelFormat[1] | b << DDPixelFormat[2];
  }
  uint32_t r = std::min<uint32_t>(((pixel >> 16) & 0xFF) + m_r, 255);
  uint32_t g = std::min<uint32_t>(((pixel >> 8) & 0xFF) + m_g, 255);
  uint32_t b = std::min<uint32_t>((pixel & 0xFF) + m_b, 255);
  return (pixel & 0xFF000000u) | r << 16 | g << 8 | b;
}
