#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "platform/video/d3d9.h"
#include "platform/video/raster.h"

using video::PixelBuffer;
using video::PixelFormat;
using video::RasterState;
using video::RasterVertex;

namespace {

// A strip of four vertices over the rectangle (x0, y0) - (x1, y1): top-left, bottom-left, top-right,
// bottom-right.
std::array<RasterVertex, 4> Quad(float x0, float y0, float x1, float y1, float u0 = 0, float u1 = 1, float v0 = 0,
                                 float v1 = 1, uint32_t color = 0xFFFFFFFF) {
  return {RasterVertex{x0, y0, 0, 1, color, u0, v0}, RasterVertex{x0, y1, 0, 1, color, u0, v1},
          RasterVertex{x1, y0, 0, 1, color, u1, v0}, RasterVertex{x1, y1, 0, 1, color, u1, v1}};
}

// The quad drawn by the fast path, and by the two triangles of the general one.
void DrawBoth(PixelBuffer* fast, PixelBuffer* general, const PixelBuffer* texture, const RasterState& s,
              const std::array<RasterVertex, 4>& q) {
  video::RasterQuad(*fast, texture, s, q.data());
  video::RasterTriangle(*general, texture, s, q[0], q[1], q[2]);
  video::RasterTriangle(*general, texture, s, q[1], q[2], q[3]);
}

std::vector<std::string> Rows(const PixelBuffer& b) {
  std::vector<std::string> rows;
  for (int y = 0; y < b.Height(); ++y) {
    std::string row;
    for (int x = 0; x < b.Width(); ++x) {
      uint32_t p = b.Get(x, y) & 0xFFFFFF;
      row += p == 0 ? '.' : (p < 10 ? static_cast<char>('0' + p) : '#');
    }
    rows.push_back(row);
  }
  return rows;
}

// Texels 1, 2, 3, 4 (opaque), for reading off which texel a pixel took.
PixelBuffer Numbers() {
  PixelBuffer t(4, 1, PixelFormat::A8R8G8B8);
  for (int x = 0; x < 4; ++x) t.Set(x, 0, 0xFF000000u | static_cast<uint32_t>(x + 1));
  return t;
}

}  // namespace

TEST(Raster, QuadsCoverThePixelsWhoseCentresTheyHoldByTheTopLeftRule) {
  struct Case {
    float x0, y0, x1, y1;
    std::vector<std::string> covered;
  };
  const Case cases[] = {
      {-0.5f, -0.5f, 2.5f, 1.5f, {"###..", "###..", ".....", "....."}},
      {0.5f, 0.5f, 2.5f, 2.5f, {".....", ".##..", ".##..", "....."}},
      {0.2f, 0.0f, 1.2f, 1.0f, {".#...", ".....", ".....", "....."}},  // a centre on the top edge is inside
      {3.5f, 2.5f, 9.0f, 9.0f, {".....", ".....", ".....", "....#"}},  // clipped at the target
      {2.5f, 2.5f, -0.5f, 0.5f, {".....", "###..", "###..", "....."}},  // given right to left, bottom to top
  };
  RasterState s;
  s.colorOp = D3DTOP_SELECTARG2;  // the diffuse colour, no texture
  s.colorArg2 = D3DTA_DIFFUSE;
  s.alphaOp = D3DTOP_DISABLE;
  s.blend = true;
  s.srcBlend = s.dstBlend = D3DBLEND_ONE;  // adds up: a pixel drawn twice would show 2
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x0);
    PixelBuffer fast(5, 4, PixelFormat::X8R8G8B8), general(5, 4, PixelFormat::X8R8G8B8);
    fast.FillAll(0xFF000000);
    general.FillAll(0xFF000000);
    DrawBoth(&fast, &general, nullptr, s, Quad(c.x0, c.y0, c.x1, c.y1, 0, 0, 0, 0, 0xFF000001));
    std::vector<std::string> expected = c.covered;
    for (auto& row : expected)
      for (char& ch : row) ch = ch == '#' ? '1' : ch;
    EXPECT_EQ(Rows(fast), expected);
    EXPECT_EQ(Rows(general), expected);
  }
  // A turned square: the centres on its upper-left and lower-left edges are inside, those on the
  // right ones outside, and the pixels of the diagonal between its two triangles are drawn once.
  PixelBuffer turned(6, 6, PixelFormat::X8R8G8B8);
  turned.FillAll(0xFF000000);
  RasterVertex top{2.5f, -0.5f, 0, 1, 0xFF000001, 0, 0}, left{-0.5f, 2.5f, 0, 1, 0xFF000001, 0, 0},
      right{5.5f, 2.5f, 0, 1, 0xFF000001, 0, 0}, bottom{2.5f, 5.5f, 0, 1, 0xFF000001, 0, 0};
  const RasterVertex strip[4] = {top, left, right, bottom};
  video::RasterQuad(turned, nullptr, s, strip);
  EXPECT_EQ(Rows(turned), (std::vector<std::string>{"..1...", ".111..", "11111.", "11111.", ".111..", "..1..."}));
}

TEST(Raster, PointSamplingOfUnscaledStretchedMirroredAndWrappedCoordinates) {
  struct Case {
    const char* name;
    float x1, u0, u1;
    bool clamp;
    std::string texels;
  };
  const Case cases[] = {
      {"unscaled", 3.5f, 0, 1, false, "1234...."},
      {"mirrored", 3.5f, 1, 0, false, "4321...."},
      {"stretched", 7.5f, 0, 1, false, "11223344"},
      {"shrunk: the texel under each pixel centre", 1.5f, 0, 1, false, "24......"},
      {"wrapped", 3.5f, 0.5f, 1.5f, false, "3412...."},
      {"clamped", 3.5f, 0.5f, 1.5f, true, "3444...."},
      {"a mirrored half", 1.5f, 0.5f, 0, false, "21......"},
  };
  PixelBuffer texture = Numbers();
  RasterState s;  // MODULATE texture by a white diffuse, texture alpha, no blending
  s.colorArg2 = D3DTA_DIFFUSE;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    s.clampU = c.clamp;
    PixelBuffer fast(8, 1, PixelFormat::X8R8G8B8), general(8, 1, PixelFormat::X8R8G8B8);
    DrawBoth(&fast, &general, &texture, s, Quad(-0.5f, -0.5f, c.x1, 0.5f, c.u0, c.u1));
    EXPECT_EQ(Rows(fast)[0], c.texels);
    EXPECT_EQ(Rows(general)[0], c.texels);
  }
}

TEST(Raster, StageOperations) {
  struct Case {
    const char* name;
    uint32_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    uint32_t texel, diffuse, factor, result;
  };
  const Case cases[] = {
      {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       0xFF8040FF, 0x80FF8000, 0, 0xFF802000},
      {"texture factor", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
       D3DTA_TFACTOR, 0xFFFFFFFF, 0xFFFFFFFF, 0x40123456, 0x40123456},
      {"add", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFC00010,
       0xFF800020, 0, 0xFFFF0030},
      {"subtract", D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       0xFFC00010, 0xFF800020, 0, 0xFF400000},
      {"blend by the factor's alpha", D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFF0000, 0xFF0000FF, 0x40000000, 0xFF4000BF},
      {"alpha disabled passes the diffuse alpha", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x00FFFFFF, 0x80000000, 0, 0x80FFFFFF},
      {"a disabled stage passes the diffuse colour", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFFFFF, 0x11223344, 0, 0x11223344},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RasterState s;
    s.colorOp = c.colorOp, s.colorArg1 = c.colorArg1, s.colorArg2 = c.colorArg2;
    s.alphaOp = c.alphaOp, s.alphaArg1 = c.alphaArg1, s.alphaArg2 = c.alphaArg2;
    s.textureFactor = c.factor;
    EXPECT_EQ(video::ShadeTexel(s, c.texel, c.diffuse), c.result);
    // A quad with this state on a texture of that one texel draws the same.
    PixelBuffer texture(1, 1, PixelFormat::A8R8G8B8), target(2, 1, PixelFormat::A8R8G8B8);
    texture.Set(0, 0, c.texel);
    video::RasterQuad(target, &texture, s, Quad(-0.5f, -0.5f, 1.5f, 0.5f, 0, 1, 0, 1, c.diffuse).data());
    EXPECT_EQ(target.Get(1, 0), c.result);
  }
}

TEST(Raster, BlendingIntoEveryTargetFormat) {
  struct Case {
    PixelFormat format;
    uint32_t before, source, after;
  };
  const Case cases[] = {
      {PixelFormat::A8R8G8B8, 0xFF0000FF, 0x80FF0000, 0xBF80007F},  // alpha is blended as well
      {PixelFormat::X8R8G8B8, 0xFF0000FF, 0x80FF0000, 0xFF80007F},  // and stored opaque without alpha
      {PixelFormat::X8R8G8B8, 0xFF0000FF, 0x00FF0000, 0xFF0000FF},
      {PixelFormat::X8R8G8B8, 0xFF0000FF, 0xFFFF0000, 0xFFFF0000},
      {PixelFormat::R5G6B5, 0x0000, 0x80FF8040, 0x8204},  // channels cut by a shift
      {PixelFormat::R5G6B5, 0x0000, 0xFFFF8040, 0xFC08},
      {PixelFormat::A1R5G5B5, 0x0000, 0xC0FF0000, 0xE000},  // the alpha bit from 128 on
      {PixelFormat::A1R5G5B5, 0x8000, 0x00FF0000, 0x8000},
  };
  RasterState s;
  s.colorOp = s.alphaOp = D3DTOP_SELECTARG2;
  s.colorArg2 = s.alphaArg2 = D3DTA_DIFFUSE;
  s.blend = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.dstBlend = D3DBLEND_INVSRCALPHA;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    PixelBuffer target(3, 1, c.format);
    target.FillAll(c.before);
    video::RasterQuad(target, nullptr, s, Quad(0.5f, -0.5f, 1.5f, 0.5f, 0, 0, 0, 0, c.source).data());
    EXPECT_EQ(target.Get(1, 0), c.after);
    EXPECT_EQ(target.Get(0, 0), c.before);
  }
  // Without blending the colour replaces the pixel, alpha 0 included.
  s.blend = false;
  PixelBuffer target(1, 1, PixelFormat::A8R8G8B8);
  target.FillAll(0xFFFFFFFF);
  video::RasterQuad(target, nullptr, s, Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0x00123456).data());
  EXPECT_EQ(target.Get(0, 0), 0x00123456u);
}

TEST(Raster, ATargetThatIsItsOwnTextureReadsThePixelsAsTheyWere) {
  PixelBuffer b = Numbers();
  RasterState s;
  s.colorArg2 = D3DTA_DIFFUSE;
  video::RasterQuad(b, &b, s, Quad(0.5f, -0.5f, 3.5f, 0.5f, 0, 0.75f).data());
  EXPECT_EQ(Rows(b)[0], "1123");
}

TEST(Raster, TexelAlphaSkipsCopiesOrBlendsOnTheFastPathAsOnTheGeneralOne) {
  PixelBuffer texture(3, 1, PixelFormat::A8R8G8B8);
  texture.Set(0, 0, 0x00FF0000);
  texture.Set(1, 0, 0x80FF0000);
  texture.Set(2, 0, 0xFFFF0000);
  RasterState s;
  s.colorArg2 = D3DTA_DIFFUSE;
  s.blend = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.dstBlend = D3DBLEND_INVSRCALPHA;
  struct Case {
    PixelFormat format;
    uint32_t alphaOp;  // SELECTARG1: the texel's alpha; SELECTARG2: the diffuse alpha for all
    uint32_t diffuse;
    std::vector<uint32_t> after;
  };
  const Case cases[] = {
      {PixelFormat::X8R8G8B8, D3DTOP_SELECTARG1, 0xFFFFFFFF, {0xFF0000FF, 0xFF80007F, 0xFFFF0000}},
      {PixelFormat::A8R8G8B8, D3DTOP_SELECTARG1, 0xFFFFFFFF, {0xFF0000FF, 0xBF80007F, 0xFFFF0000}},
      {PixelFormat::X8R8G8B8, D3DTOP_SELECTARG2, 0x80FFFFFF, {0xFF80007F, 0xFF80007F, 0xFF80007F}},
      {PixelFormat::X8R8G8B8, D3DTOP_SELECTARG2, 0xFFFFFFFF, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000}},
  };
  // A row of opaque texels replaces the target's row.
  PixelBuffer opaque(3, 1, PixelFormat::A8R8G8B8), fast(3, 1, PixelFormat::A8R8G8B8),
      general(3, 1, PixelFormat::A8R8G8B8);
  for (int x = 0; x < 3; ++x) opaque.Set(x, 0, 0xFF102030u + static_cast<uint32_t>(x));
  DrawBoth(&fast, &general, &opaque, s, Quad(-0.5f, -0.5f, 2.5f, 0.5f));
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(fast.Get(x, 0), opaque.Get(x, 0));
    EXPECT_EQ(general.Get(x, 0), opaque.Get(x, 0));
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format) * 10 + static_cast<int>(c.alphaOp));
    s.alphaOp = c.alphaOp;
    s.alphaArg2 = D3DTA_DIFFUSE;
    for (bool mirrored : {false, true}) {
      PixelBuffer fast(3, 1, c.format), general(3, 1, c.format);
      fast.FillAll(0xFF0000FF);
      general.FillAll(0xFF0000FF);
      DrawBoth(&fast, &general, &texture, s,
               Quad(-0.5f, -0.5f, 2.5f, 0.5f, mirrored ? 1.0f : 0.0f, mirrored ? 0.0f : 1.0f, 0, 1, c.diffuse));
      for (int x = 0; x < 3; ++x) {
        uint32_t expected = c.after[mirrored ? 2 - x : x];
        EXPECT_EQ(fast.Get(x, 0), expected) << x;
        EXPECT_EQ(general.Get(x, 0), expected) << x;
      }
    }
  }
}

TEST(Raster, TurnedQuadsCoverThePixelsOfTheTopLeftRuleRowByRow) {
  // Every pixel centre tested against the two triangles with the top-left rule, as a reference for
  // the row spans of the rasteriser.
  auto edge = [](const RasterVertex& p, const RasterVertex& q, double x, double y) {
    return (double(q.x) - p.x) * (y - p.y) - (double(q.y) - p.y) * (x - p.x);
  };
  auto covered = [&](const RasterVertex& a, const RasterVertex& b, const RasterVertex& c, int x, int y) {
    const RasterVertex *v0 = &a, *v1 = &b, *v2 = &c;
    double area = edge(*v0, *v1, v2->x, v2->y);
    if (area == 0) return false;
    if (area < 0) std::swap(v1, v2);
    auto topLeft = [](const RasterVertex& p, const RasterVertex& q) { return (p.y == q.y && q.x > p.x) || q.y < p.y; };
    auto in = [](double w, bool tl) { return w > 0 || (w == 0 && tl); };
    return in(edge(*v1, *v2, x, y), topLeft(*v1, *v2)) && in(edge(*v2, *v0, x, y), topLeft(*v2, *v0)) &&
           in(edge(*v0, *v1, x, y), topLeft(*v0, *v1));
  };
  PixelBuffer texture(4, 4, PixelFormat::A8R8G8B8);
  texture.FillAll(0xFFFFFFFF);
  RasterState s;
  const struct {
    float w, h;
    int angle;
    uint32_t diffuse;
  } cases[] = {{30, 20, 30, 0xFFFFFFFF}, {31, 7, 45, 0xFF00FF00}, {12.5f, 40, 90, 0xFFFFFFFF}, {40, 40, 137, 0xFFFFFFFF},
               {3, 30, -20, 0xFF808080}, {25, 25, 180, 0xFFFFFFFF}, {17, 9, 271, 0xFFFFFFFF}, {2, 2, 10, 0xFFFFFFFF}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    double rad = c.angle * 3.14159265358979 / 180;
    float co = static_cast<float>(std::cos(rad)), si = static_cast<float>(std::sin(rad));
    std::array<RasterVertex, 4> q;
    const float corner[4][2] = {{0, 0}, {0, c.h}, {c.w, 0}, {c.w, c.h}};
    for (int k = 0; k < 4; ++k) {
      float dx = corner[k][0] - c.w / 2, dy = corner[k][1] - c.h / 2;
      q[k] = {31.5f + dx * co - dy * si, 30.25f + dx * si + dy * co, 0, 1, c.diffuse, corner[k][0] / c.w, corner[k][1] / c.h};
    }
    PixelBuffer target(64, 64, PixelFormat::X8R8G8B8);
    video::RasterQuad(target, &texture, s, q.data());
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        bool expect = covered(q[0], q[1], q[2], x, y) || covered(q[1], q[2], q[3], x, y);
        ASSERT_EQ((target.Get(x, y) & 0xFFFFFF) != 0, expect) << x << "," << y;
        if (expect) {
          ASSERT_EQ(target.Get(x, y) & 0xFFFFFF, c.diffuse & 0xFFFFFF) << x << "," << y;
        }
      }
  }
}

TEST(Raster, LargeQuadsShadeThroughTablesAsSmallOnesDoTexelByTexel) {
  // A 16 x 16 quad takes the stage's tables; the same texels as sixteen 16 x 1 quads take the stage
  // texel by texel. Both must give the same pixels for every operation the library draws with.
  PixelBuffer texture(16, 16, PixelFormat::A8R8G8B8);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) texture.Set(x, y, (uint32_t(x * 17) << 24) | uint32_t(x * 16 + y) * 0x010307u);
  const struct {
    uint32_t colorOp, colorArg2, alphaOp, diffuse, factor;
  } cases[] = {
      {D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0x7FFFFFFF, 0},
      {D3DTOP_BLENDFACTORALPHA, D3DTA_TFACTOR, D3DTOP_SELECTARG1, 0xFFFFFFFF, 0x50204080},
      {D3DTOP_ADD, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0xC0402010, 0},
      {D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0xFF402010, 0},
      {D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0x9BFF8000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.colorOp);
    RasterState s;
    s.colorOp = c.colorOp, s.colorArg2 = c.colorArg2, s.alphaOp = c.alphaOp, s.alphaArg2 = D3DTA_DIFFUSE;
    s.textureFactor = c.factor;
    s.blend = true, s.srcBlend = D3DBLEND_SRCALPHA, s.dstBlend = D3DBLEND_INVSRCALPHA;
    for (PixelFormat format : {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8, PixelFormat::R5G6B5}) {
      PixelBuffer whole(16, 16, format), rows(16, 16, format);
      whole.FillAll(0xFF336699);
      rows.FillAll(0xFF336699);
      video::RasterQuad(whole, &texture, s, Quad(-0.5f, -0.5f, 15.5f, 15.5f, 0, 1, 0, 1, c.diffuse).data());
      for (int y = 0; y < 16; ++y)
        video::RasterQuad(rows, &texture, s,
                          Quad(-0.5f, y - 0.5f, 15.5f, y + 0.5f, 0, 1, y / 16.0f, (y + 1) / 16.0f, c.diffuse).data());
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(whole.Get(x, y), rows.Get(x, y)) << x << "," << y;
    }
  }
}
