// The Direct3D side shared by blits, sprite layers, fills and the box batch: the 28-byte vertex of
// a screen quad, the quad of a rectangle, texture stage 0, the transparent clear, and runs of quads
// drawn from one vertex buffer and one index buffer.
#pragma once
#include <vector>

#include "gfx/records.h"

constexpr DWORD DDQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT DDQuadBytes = 112;

struct DTVERTEX {
  float x, y, z, rhw;
  DWORD color;
  float u, v;
};

// The four vertices of the rectangle (x, y, w, h), top-left, bottom-left, top-right, bottom-right,
// shifted by half a pixel so that the quad covers exactly its pixels, with the texture coordinates of
// its left, top, right and bottom edges.
void DDMakeQuad(DTVERTEX* v, int x, int y, int w, int h, DWORD color, float u0, float v0, float u1, float v1);
// The quad of a blit: the source rectangle in texture coordinates of the source's texture size.
void DDMakeBlitQuad(DTVERTEX* v, int x, int y, int w, int h, const DDSURFACEDATA* src, int sx, int sy, int sw,
                    int sh, DWORD color);

// Texture stage 0 with its two arguments per channel, and the texture.
void DDSetStage(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2,
                IDirect3DTexture9* texture);
// The stage of blits: the operation over the texture and the diffuse colour.
void DDSetBlitStage(DWORD colorOp, DWORD alphaOp, IDirect3DTexture9* texture);
// Puts the device's render target back on the resting target.
void DDRestoreRenderTarget();

// Clears a rectangle of the current render target, which is `dst`, to its transparent value: the
// transparent colour at full opacity on BackBuffer, the transparent texel on other surfaces.
void DDClearTransparent(const DDSURFACEDATA* dst, int x, int y, int w, int h);

// A run of quads while it is drawn: the vertex memory, its vertex buffer and an index buffer of
// 0, 1, ... 4n - 1.
struct DDRUNBUFFERS {
  std::vector<DTVERTEX> vertices;
  IDirect3DVertexBuffer9* lpVB = nullptr;
  IDirect3DIndexBuffer9* lpIB = nullptr;
  void Release();
};
// The most quads one run holds: its indices are 16 bits.
constexpr int DDRunMaxQuads = 16384;
// Makes and fills the buffers of the run's vertices; FALSE after the report line when they cannot be
// made (the run's blits are lost).
BOOL DDMakeRunBuffers(DDRUNBUFFERS& run);
// Binds the run's buffers and draws each of its quads.
void DDDrawRun(DDRUNBUFFERS& run);
