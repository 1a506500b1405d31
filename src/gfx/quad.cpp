#include "gfx/quad.h"

#include <cstring>

#include "core/log.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"

void DDMakeQuad(DTVERTEX* v, int x, int y, int w, int h, DWORD color, float u0, float v0, float u1, float v1) {
  float left = static_cast<float>(x) - 0.5f, top = static_cast<float>(y) - 0.5f;
  float right = static_cast<float>(x + w) - 0.5f, bottom = static_cast<float>(y + h) - 0.5f;
  v[0] = {left, top, 0.0f, 1.0f, color, u0, v0};
  v[1] = {left, bottom, 0.0f, 1.0f, color, u0, v1};
  v[2] = {right, top, 0.0f, 1.0f, color, u1, v0};
  v[3] = {right, bottom, 0.0f, 1.0f, color, u1, v1};
}

void DDMakeBlitQuad(DTVERTEX* v, int x, int y, int w, int h, const DDSURFACEDATA* src, int sx, int sy, int sw,
                    int sh, DWORD color) {
  float tw = static_cast<float>(src->nTexWidth), th = static_cast<float>(src->nTexHeight);
  DDMakeQuad(v, x, y, w, h, color, static_cast<float>(sx) / tw, static_cast<float>(sy) / th,
             static_cast<float>(sx + sw) / tw, static_cast<float>(sy + sh) / th);
}

void DDSetStage(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2,
                IDirect3DTexture9* texture) {
  lpDevice->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
  lpDevice->SetTexture(0, texture);
}

void DDSetBlitStage(DWORD colorOp, DWORD alphaOp, IDirect3DTexture9* texture) {
  DDSetStage(colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, alphaOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, texture);
}

void DDRestoreRenderTarget() {
  if (lpDTCon && lpDTCon->lpRestTarget) DDSetRenderTarget(0, lpDTCon->lpRestTarget);
}

namespace {
// A 16-bit texel as the ARGB colour that Clear turns back into it: each channel's bits at the top of
// its byte (green lands doubled in a 6-bit back buffer, as the software copy makes it).
DWORD ArgbOfTexel16(WORD texel) {
  DWORD argb = 0xFF000000;
  for (int c = 0; c < 3; ++c) {
    int max = DDPixelFormat[4 + c], bits = 0;
    while ((max >> bits) & 1) ++bits;
    DWORD value = (texel >> DDPixelFormat[c]) & static_cast<DWORD>(max);
    argb |= (value << (8 - bits)) << (16 - 8 * c);
  }
  return argb;
}
}  // namespace

void DDClearTransparent(const DDSURFACEDATA* dst, int x, int y, int w, int h) {
  DWORD color = lpDTCon->dwTransmit_32;
  if (dst == &BackBuffer)
    color = DDScreenBpp == 16 ? ArgbOfTexel16(lpDTCon->wTransmitKey_16) : lpDTCon->dwTransmitKey_32;
  D3DRECT r{x, y, x + w, y + h};
  lpDevice->Clear(1, &r, D3DCLEAR_TARGET, color, 1.0f, 0);
}

void DDRUNBUFFERS::Release() {
  video::ReleaseAndClear(lpIB);
  video::ReleaseAndClear(lpVB);
  vertices.clear();
}

BOOL DDMakeRunBuffers(DDRUNBUFFERS& run) {
  UINT quads = static_cast<UINT>(run.vertices.size() / 4);
  UINT bytes = quads * DDQuadBytes;
  if (FAILED(lpDevice->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, DDQuadFvf, D3DPOOL_MANAGED, &run.lpVB,
                                          nullptr)) ||
      FAILED(lpDevice->CreateIndexBuffer(quads * 8, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &run.lpIB,
                                         nullptr))) {
    ReportLogEcho("CreateVertexBuffer Err");
    return FALSE;
  }
  void* p = nullptr;
  if (FAILED(run.lpVB->Lock(0, bytes, &p, 0))) return FALSE;
  std::memcpy(p, run.vertices.data(), bytes);
  run.lpVB->Unlock();
  if (FAILED(run.lpIB->Lock(0, quads * 8, &p, 0))) return FALSE;
  WORD* index = static_cast<WORD*>(p);
  for (UINT i = 0; i < quads * 4; ++i) index[i] = static_cast<WORD>(i);
  run.lpIB->Unlock();
  return TRUE;
}

void DDDrawRun(DDRUNBUFFERS& run) {
  UINT quads = static_cast<UINT>(run.vertices.size() / 4);
  lpDevice->SetStreamSource(0, run.lpVB, 0, sizeof(DTVERTEX));
  lpDevice->SetIndices(run.lpIB);
  lpDevice->SetFVF(DDQuadFvf);
  for (UINT k = 0; k < quads; ++k) lpDevice->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4 * k, 4, 4 * k, 2);
}
