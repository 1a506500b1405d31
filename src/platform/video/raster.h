// The rasteriser behind the Direct3D stand-in: pre-transformed triangles with a diffuse colour and
// one texture coordinate set, drawn with the rules of Direct3D 9. Pixel centres lie at integer
// coordinates and the top-left fill rule decides pixels on an edge, so a quad from x - 0.5 to
// x + w - 0.5 covers exactly the columns x .. x + w - 1. Textures are point sampled (texel
// floor(u * width)) with wrapping or clamping. Texture stage 0 combines TEXTURE, DIFFUSE and TFACTOR
// with its colour and alpha operations; a stage without a texture samples opaque white, and an
// alpha operation DISABLE passes the diffuse alpha. The result is blended into the target with the
// blend factors (SRCALPHA / INVSRCALPHA and the simple ones) on all four channels; formats without
// alpha store it opaque, 16-bit targets take channels cut by a shift and the alpha bit from 128 on.
// Quads and triangles with a uniform colour, the shape of every blit, fill and turned blit, take fast
// paths that draw exactly the pixels of the general per-pixel path. Turned triangles with one rhw map
// pixel centres to texels through 32.32 fixed-point texel coordinates, stepped exactly along a row.
#pragma once
#include <cstdint>

#include "platform/video/pixels.h"

namespace video {

// One vertex of the XYZRHW | DIFFUSE | TEX1 format, 28 bytes.
struct RasterVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(RasterVertex) == 28, "a vertex of the quad format is 28 bytes");

struct RasterState {
  uint32_t colorOp = 4, colorArg1 = 2, colorArg2 = 1;  // D3DTOP_* and D3DTA_* values
  uint32_t alphaOp = 2, alphaArg1 = 2, alphaArg2 = 1;
  uint32_t textureFactor = 0xFFFFFFFF;
  bool blend = false;
  uint32_t srcBlend = 2, dstBlend = 1;  // D3DBLEND_*
  bool clampU = false, clampV = false;  // otherwise the coordinates wrap
};

// Draws one triangle. `texture` may be null (opaque white). The texture may be the target itself.
void RasterTriangle(PixelBuffer& target, const PixelBuffer* texture, const RasterState& state,
                    const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
// Draws the two triangles (v0, v1, v2) and (v1, v2, v3) of a strip of four vertices.
void RasterQuad(PixelBuffer& target, const PixelBuffer* texture, const RasterState& state, const RasterVertex* v);

// The stage-0 result for one texel (ARGB, 8 bits a channel) and diffuse colour.
uint32_t ShadeTexel(const RasterState& state, uint32_t texel, uint32_t diffuse);

}  // namespace video

namespace video::test {
// Sends every draw through the general per-pixel path, for tests that compare it with the fast paths.
void ForceGeneralRaster(bool on);
}  // namespace video::test
