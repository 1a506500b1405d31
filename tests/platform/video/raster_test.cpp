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

namespace {

// Draws with the general per-pixel path for as long as it lives.
struct GeneralPath {
  GeneralPath() { video::test::ForceGeneralRaster(true); }
  ~GeneralPath() { video::test::ForceGeneralRaster(false); }
};

// A picture whose colour gives its position and whose alpha runs through 0, 255 and values between.
PixelBuffer Gradient(int w, int h, PixelFormat format, uint32_t seed) {
  static const uint32_t kAlpha[] = {0xFF, 0x00, 0xFF, 0x80, 0xFF, 0x3F, 0xC8, 0xFF};
  PixelBuffer b(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.Set(x, y, video::PackArgb(format, kAlpha[(x + 3 * y + seed) % 8] << 24 | uint32_t(x * 9 + seed) % 256 << 16 |
                                              uint32_t(y * 7) % 256 << 8 | uint32_t(x * y + seed) % 256));
  return b;
}

// A quad of w x h turned by `angle` degrees about its centre (cx, cy), mapping the texture
// rectangle (u0, v0) - (u1, v1), in strip order.
std::array<RasterVertex, 4> Turned(float cx, float cy, float w, float h, int angle, float u0, float v0, float u1,
                                   float v1, uint32_t color) {
  double rad = angle * 3.14159265358979 / 180;
  float co = static_cast<float>(std::cos(rad)), si = static_cast<float>(std::sin(rad));
  const float corner[4][2] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
  std::array<RasterVertex, 4> q;
  for (int k = 0; k < 4; ++k) {
    float dx = corner[k][0] - w / 2, dy = corner[k][1] - h / 2;
    q[k] = {cx - 0.5f + dx * co - dy * si, cy - 0.5f + dx * si + dy * co, 0, 1, color,
            corner[k][0] ? u1 : u0, corner[k][1] ? v1 : v0};
  }
  return q;
}

}  // namespace

TEST(Raster, FastPathsDrawThePixelsOfTheGeneralPath) {
  struct StateCase {
    const char* name;
    uint32_t colorOp, colorArg2, alphaOp, diffuse, factor;
    bool blend;
  };
  // The stage sets of blits, translucent, tinted and coloured blits, the colour change, the copy of
  // the virtual back buffer, and some the library does not draw with.
  const StateCase states[] = {
      {"blit", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, 0xFFFFFFFF, 0, true},
      {"translucent", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0x80FFFFFF, 0, true},
      {"tinted", D3DTOP_BLENDFACTORALPHA, D3DTA_TFACTOR, D3DTOP_SELECTARG1, 0xFFFFFFFF, 0x50204080, true},
      {"added", D3DTOP_ADD, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, 0xFF402010, 0, true},
      {"subtracted", D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, 0xFF402010, 0, true},
      {"colour change", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0x9BFF8000, 0, true},
      {"added, alpha modulated", D3DTOP_ADD, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0xC0402010, 0, true},
      {"subtracted, diffuse alpha", D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0x60F00810, 0, true},
      {"tinted by the diffuse colour", D3DTOP_BLENDFACTORALPHA, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0xA0C08040,
       0x30000000, true},
      {"modulated twice", D3DTOP_MODULATE2X, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, 0xFF806040, 0, true},
      {"replaced", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, 0x80C0FFFF, 0, false},
  };
  struct Shape {
    const char* name;
    int w, h, angle;  // angle -1: axis-aligned
    float x, y, u0, v0, u1, v1;
  };
  const Shape shapes[] = {
      {"unscaled", 20, 13, -1, 3, 2, 0, 0, 20 / 32.0f, 13 / 16.0f},
      {"mirrored", 17, 9, -1, 5, 4, 17 / 32.0f, 0, 0, 9 / 16.0f},
      {"stretched", 29, 21, -1, 1, 1, 0.25f, 0.125f, 0.75f, 0.625f},
      {"shrunk", 9, 5, -1, 2, 6, 0, 0, 1, 1},
      {"clipped and wrapped", 40, 30, -1, -6, -5, 0.5f, 0.25f, 1.75f, 2.0f},
      {"one pixel", 1, 1, -1, 10, 10, 0.5f, 0.5f, 0.53125f, 0.5625f},
      {"turned 30", 26, 14, 30, 24, 18, 0, 0, 26 / 32.0f, 14 / 16.0f},
      {"turned 45", 31, 7, 45, 20, 20, 0.1f, 0.2f, 0.9f, 0.7f},
      {"turned 90", 13, 22, 90, 21, 17, 0, 0, 1, 1},
      {"turned 137", 40, 40, 137, 23, 19, 0, 0, 1.25f, 1.5f},
      {"turned -20 past the edges", 60, 12, -20, 4, 35, 1, 0, 0, 1},
      {"turned 271, small", 3, 5, 271, 12, 12, 0, 0, 3 / 32.0f, 5 / 16.0f},
  };
  const PixelFormat formats[] = {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8, PixelFormat::R5G6B5};
  int changed = 0;
  for (const StateCase& st : states) {
    RasterState s;
    s.colorOp = st.colorOp, s.colorArg2 = st.colorArg2, s.alphaOp = st.alphaOp, s.alphaArg2 = D3DTA_DIFFUSE;
    s.textureFactor = st.factor;
    s.blend = st.blend, s.srcBlend = D3DBLEND_SRCALPHA, s.dstBlend = D3DBLEND_INVSRCALPHA;
    for (const Shape& sh : shapes) {
      for (PixelFormat format : formats) {
        for (bool opaqueTexture : {false, true}) {
          for (bool clamp : {false, true}) {
            SCOPED_TRACE(std::string(st.name) + ", " + sh.name + ", format " + std::to_string(int(format)) +
                         (opaqueTexture ? ", opaque texture" : "") + (clamp ? ", clamped" : ""));
            bool wide = format != PixelFormat::R5G6B5;
            PixelFormat texFormat = wide ? (opaqueTexture ? PixelFormat::X8R8G8B8 : PixelFormat::A8R8G8B8)
                                         : PixelFormat::A1R5G5B5;
            PixelBuffer texture = Gradient(32, 16, texFormat, 1);
            s.clampU = s.clampV = clamp;
            std::array<RasterVertex, 4> q =
                sh.angle < 0 ? Quad(sh.x - 0.5f, sh.y - 0.5f, sh.x + sh.w - 0.5f, sh.y + sh.h - 0.5f, sh.u0, sh.u1,
                                    sh.v0, sh.v1, st.diffuse)
                             : Turned(sh.x, sh.y, float(sh.w), float(sh.h), sh.angle, sh.u0, sh.v0, sh.u1, sh.v1,
                                      st.diffuse);
            PixelBuffer before = Gradient(48, 40, format, 5), fast = before, general = before;
            video::RasterQuad(fast, &texture, s, q.data());
            {
              GeneralPath forced;
              video::RasterQuad(general, &texture, s, q.data());
            }
            for (int y = 0; y < before.Height(); ++y)
              for (int x = 0; x < before.Width(); ++x) {
                ASSERT_EQ(fast.Get(x, y), general.Get(x, y)) << x << "," << y;
                changed += fast.Get(x, y) != before.Get(x, y);
              }
          }
        }
      }
    }
  }
  EXPECT_GT(changed, 10000);
}

namespace {
// Texture (or diffuse alone) modulated by the diffuse colour, alpha included, blended by source alpha.
RasterState ModulatedOverTarget() {
  RasterState s;
  s.colorArg2 = D3DTA_DIFFUSE;
  s.alphaOp = D3DTOP_MODULATE, s.alphaArg2 = D3DTA_DIFFUSE;
  s.blend = true, s.srcBlend = D3DBLEND_SRCALPHA, s.dstBlend = D3DBLEND_INVSRCALPHA;
  return s;
}
}  // namespace

TEST(Raster, FastPathsMatchTheGeneralPathForUntexturedQuadsAndATargetThatIsItsOwnTexture) {
  const RasterState s = ModulatedOverTarget();
  const struct {
    const char* name;
    bool textured;
    std::array<RasterVertex, 4> quad;
  } cases[] = {
      // The colour change: the whole target over itself, modulated.
      {"itself, whole", true, Quad(-0.5f, -0.5f, 47.5f, 39.5f, 0, 1, 0, 1, 0x9BFF8000)},
      // Rows read from further down and further up than they are written.
      {"itself, shifted down", true, Quad(-0.5f, 3.5f, 47.5f, 39.5f, 0, 1, 0, 0.9f, 0x9BFF8000)},
      {"itself, shifted up", true, Quad(-0.5f, -0.5f, 47.5f, 35.5f, 0, 1, 0.1f, 1, 0x9BFF8000)},
      {"itself, mirrored", true, Quad(-0.5f, -0.5f, 47.5f, 39.5f, 1, 0, 1, 0, 0xC0FFFFFF)},
      {"itself, turned", true, Turned(24, 20, 30, 20, 30, 0, 0, 1, 1, 0xC0FFFFFF)},
      {"flat colour", false, Quad(2.5f, 1.5f, 40.5f, 30.5f, 0, 0, 0, 0, 0x64284080)},
      {"flat colour, turned", false, Turned(24, 20, 30, 20, 60, 0, 0, 0, 0, 0x64284080)},
  };
  for (const auto& c : cases) {
    for (PixelFormat format : {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8}) {
      SCOPED_TRACE(std::string(c.name) + ", format " + std::to_string(int(format)));
      PixelBuffer before = Gradient(48, 40, format, 3), fast = before, general = before;
      video::RasterQuad(fast, c.textured ? &fast : nullptr, s, c.quad.data());
      {
        GeneralPath forced;
        video::RasterQuad(general, c.textured ? &general : nullptr, s, c.quad.data());
      }
      int changed = 0;
      for (int y = 0; y < before.Height(); ++y)
        for (int x = 0; x < before.Width(); ++x) {
          ASSERT_EQ(fast.Get(x, y), general.Get(x, y)) << x << "," << y;
          changed += fast.Get(x, y) != before.Get(x, y);
        }
      EXPECT_GT(changed, 100);
    }
  }
}

TEST(Raster, RowsNeverOpaqueBlendFromTheirFirstPixelThatShows) {
  // Stages that scale alpha below 255 make rows that are never opaque. Row y of the texture starts
  // with 2y transparent texels: leads of every length around the eight pixels a row is skipped by,
  // and rows transparent from end to end. X8 targets hold unused bytes that are not set: a pixel that
  // stays transparent keeps them.
  PixelBuffer texture(40, 24, PixelFormat::A8R8G8B8);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t alpha = x < 2 * y ? 0 : 0x40 + uint32_t(x * 37 + y) % 0xC0;
      texture.Set(x, y, alpha << 24 | uint32_t(x * 6) << 16 | uint32_t(y * 10) << 8 | uint32_t(x + y));
    }
  const RasterState s = ModulatedOverTarget();
  const struct {
    const char* name;
    std::array<RasterVertex, 4> quad;
  } cases[] = {
      {"translucent", Quad(1.5f, -0.5f, 38.5f, 23.5f, 0, 37 / 40.0f, 0, 1, 0x80FFFFFF)},
      {"colour change", Quad(1.5f, -0.5f, 38.5f, 23.5f, 0, 37 / 40.0f, 0, 1, 0x9BFF8000)},
      {"translucent, turned", Turned(20, 12, 37, 24, 30, 0, 0, 37 / 40.0f, 1, 0x80FFFFFF)},
  };
  for (const auto& c : cases) {
    for (PixelFormat format : {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8}) {
      SCOPED_TRACE(std::string(c.name) + ", format " + std::to_string(int(format)));
      PixelBuffer before(40, 24, format);
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) before.Set(x, y, uint32_t(x * 5 + y) << 24 | uint32_t(x * y) * 0x010305u);
      PixelBuffer fast = before, general = before;
      video::RasterQuad(fast, &texture, s, c.quad.data());
      {
        GeneralPath forced;
        video::RasterQuad(general, &texture, s, c.quad.data());
      }
      int changed = 0;
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
          ASSERT_EQ(fast.Get(x, y), general.Get(x, y)) << x << "," << y;
          changed += fast.Get(x, y) != before.Get(x, y);
        }
      EXPECT_GT(changed, 200);
    }
  }
}

TEST(Raster, ATurnedQuadTakesTheTexelUnderEachPixelCentre) {
  // A picture whose texels hold their own position, turned about its centre (20, 20) and scaled by
  // 1.5: each pixel drawn holds the texel that the pixel centre turned back lands on, on both paths.
  PixelBuffer texture(16, 8, PixelFormat::A8R8G8B8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) texture.Set(x, y, 0xFF000000u | static_cast<uint32_t>(y << 8 | x));
  RasterState s;
  s.colorArg2 = D3DTA_DIFFUSE;
  for (int angle : {90, 30, 137, -20}) {
    for (bool forced : {false, true}) {
      SCOPED_TRACE(std::to_string(angle) + (forced ? ", general path" : ""));
      const float w = 24, h = 12;
      PixelBuffer target(40, 40, PixelFormat::X8R8G8B8);
      target.FillAll(0x00FFFFFF);
      if (forced) video::test::ForceGeneralRaster(true);
      video::RasterQuad(target, &texture, s, Turned(20, 20, w, h, angle, 0, 0, 1, 1, 0xFFFFFFFF).data());
      video::test::ForceGeneralRaster(false);
      double rad = angle * 3.14159265358979 / 180;
      int drawn = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          uint32_t p = target.Get(x, y) & 0xFFFFFF;
          // The pixel centre relative to the centre of the quad, turned back.
          double px = x + 0.5 - 20, py = y + 0.5 - 20;
          double dx = px * std::cos(rad) + py * std::sin(rad), dy = -px * std::sin(rad) + py * std::cos(rad);
          double tu = (dx + w / 2) / w * 16, tv = (dy + h / 2) / h * 8;
          bool inside = tu > 0 && tu < 16 && tv > 0 && tv < 8;
          bool near = std::fabs(tu - std::round(tu)) < 1e-3 || std::fabs(tv - std::round(tv)) < 1e-3;
          if (p == 0xFFFFFF) {
            EXPECT_TRUE(!inside || near) << x << "," << y;
            continue;
          }
          ++drawn;
          ASSERT_TRUE(inside || near) << x << "," << y;
          if (!near) {
            EXPECT_EQ(p & 0xFF, static_cast<uint32_t>(tu)) << x << "," << y;
            EXPECT_EQ(p >> 8, static_cast<uint32_t>(tv)) << x << "," << y;
          }
        }
      EXPECT_NEAR(drawn, w * h, w + h);
    }
  }
}
