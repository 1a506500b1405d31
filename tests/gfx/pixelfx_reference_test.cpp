// The software pixel effects against plain per-pixel walks of their rules, on random pictures with
// transparent pixels and rectangles that run past both surfaces: the effects' row loops, running
// sums and tables must give exactly the pixels of the walk.
#include <functional>
#include <random>

#include "draw_fixture.h"
#include "gfx/pixelfx.h"
#include "platform/video/display.h"

namespace {

using Pixels = std::vector<uint32_t>;

class PixelFxReference : public DrawTest {
 protected:
  std::mt19937 rng{12345};
  void StartReference(const DrawMode& mode) {
    const bool rgb555 = std::string(mode.name) == "DD16-555";
    video::test::Use555(rgb555);
    StartMode(mode);
    if (mode.depth == 16 && mode.backEnd == 0) {
      ASSERT_EQ(DDPixelFormat[5], rgb555 ? 31 : 63);
    }
  }
  void TearDown() override {
    video::test::Use555(false);
    DrawTest::TearDown();
  }
  int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

  // Pictures whose opaque pixels have every channel near its top, for the largest window sums.
  bool bright = false;
  static uint32_t NearTop() {
    if (DDScreenBpp == 32) return 0x00FEFEFE;
    uint32_t bits = 0;
    for (int c = 0; c < 3; ++c) bits |= (static_cast<uint32_t>(DDPixelFormat[4 + c]) & ~1u) << DDPixelFormat[c];
    return bits;
  }
  // A random picture of the running depth, about a third of it transparent.
  Pixels RandomPicture(int n) {
    Pixels out(static_cast<size_t>(n));
    for (uint32_t& p : out) {
      const bool clear = Rand(0, 2) == 0;
      const uint32_t bits = static_cast<uint32_t>(rng());
      if (DDScreenBpp == 8) {
        p = clear ? DDColorKey : bits & 0xFF;
      } else if (DDScreenBpp == 16) {
        p = clear ? (lpDTCon ? bits & 0x5FFF : DDColorKey) : (lpDTCon ? (bits & 0xFFFF) | 0x8000 : bits & 0xFFFF);
        if (bright && !clear) p |= NearTop();
        if (!lpDTCon && !clear && p == DDColorKey) p ^= 1;
      } else {
        p = clear ? (lpDTCon ? bits & 0xFFFFFF : DDColorKey) : (lpDTCon ? bits | 0xFF000000 : bits);
        if (bright && !clear) p |= NearTop();
        if (!lpDTCon && !clear && p == DDColorKey) p ^= 1;
      }
    }
    return out;
  }
  static bool Counts(bool keyed, uint32_t p) {
    if (!keyed) return true;
    if (!lpDTCon) return p != DDColorKey;
    return DDScreenBpp == 16 ? (p & 0xA000) != 0 : (p >> 24) != 0;
  }
  // Red, green and blue: raw fields at 16 bits, bytes at 32.
  static void Channels(uint32_t p, uint32_t* rgb) {
    for (int c = 0; c < 3; ++c)
      rgb[c] = DDScreenBpp == 16 ? (p >> DDPixelFormat[c]) & static_cast<uint32_t>(DDPixelFormat[4 + c])
                                 : (p >> (16 - 8 * c)) & 0xFF;
  }
  static uint32_t Pack(const uint32_t* rgb, uint32_t old) {
    if (DDScreenBpp == 16) {
      uint32_t p = lpDTCon ? static_cast<uint32_t>(DDPixelFormat[7] & 1) << DDPixelFormat[3] : 0;
      for (int c = 0; c < 3; ++c) p |= rgb[c] << DDPixelFormat[c];
      return p;
    }
    return (lpDTCon ? 0xFF000000u : old & 0xFF000000u) | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
  }

  // Runs `effect` on a random source and destination and compares with `walk`, which gets the
  // source and the destination's pixels before the effect and returns them after.
  struct Case {
    int sw, sh, dw, dh, x, y, w, h, sx, sy;
    bool keyed;
  };
  Case RandomCase() {
    Case c;
    c.sw = Rand(1, 24), c.sh = Rand(1, 24), c.dw = Rand(1, 24), c.dh = Rand(1, 24);
    c.x = Rand(-6, 10), c.y = Rand(-6, 10), c.w = Rand(1, 28), c.h = Rand(1, 28);
    c.sx = Rand(-6, 10), c.sy = Rand(-6, 10);
    c.keyed = Rand(0, 3) != 0;
    return c;
  }
  void Compare(const Case& c, const std::function<void(DDSURFACEDATA*, DDSURFACEDATA*)>& effect,
               const std::function<void(const Pixels&, Pixels&)>& walk) {
    DDSURFACEDATA src, dst;
    ASSERT_TRUE(DDCreateSurface(&src, c.sw, c.sh, 1, 0, lpDTCon ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT,
                                nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&dst, c.dw, c.dh, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    const Pixels source = RandomPicture(c.sw * c.sh);
    Pixels expected = RandomPicture(c.dw * c.dh);
    Put(&src, source);
    Put(&dst, expected);
    effect(&dst, &src);
    walk(source, expected);
    const Pixels got = Read(&dst);
    size_t first = 0;
    while (first < got.size() && first < expected.size() && got[first] == expected[first]) ++first;
    EXPECT_EQ(got, expected) << "first difference at (" << first % c.dw << ", " << first / c.dw << "): "
                             << (first < got.size() ? got[first] : 0) << " for "
                             << (first < expected.size() ? expected[first] : 0) << "; source " << c.sw << "x" << c.sh << " destination " << c.dw << "x" << c.dh
                                    << " rectangle " << c.x << "," << c.y << " " << c.w << "x" << c.h << " from "
                                    << c.sx << "," << c.sy << (c.keyed ? " keyed" : "");
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
  }
  // The blur of case c with half sizes bw and bh against the plain walk of its windows.
  void CompareBlur(const Case& c, int bw, int bh) {
    Compare(
        c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
          EXPECT_TRUE(DDBlurBlt(dst, c.x, c.y, c.w, c.h, bw, bh, src, c.sx, c.sy, c.keyed, nullptr));
        },
        [&](const Pixels& source, Pixels& out) {
          auto inSource = [&](int i, int j) {
            return c.sx + i >= 0 && c.sx + i < c.sw && c.sy + j >= 0 && c.sy + j < c.sh;
          };
          auto at = [&](int i, int j) { return source[static_cast<size_t>((c.sy + j) * c.sw + c.sx + i)]; };
          const Pixels before = out;
          for (int r = 0; r < c.h; ++r) {
            for (int i = 0; i < c.w; ++i) {
              const int dx = c.x + i, dy = c.y + r;
              if (dx < 0 || dy < 0 || dx >= c.dw || dy >= c.dh) continue;
              if (!inSource(i, r) || !Counts(c.keyed, at(i, r))) continue;
              uint32_t sum[3] = {0, 0, 0}, count = 0;
              for (int t = std::max(0, r - bh); t < std::min(c.h, r + bh); ++t) {
                for (int k = std::max(0, i - bw); k < std::min(c.w, i + bw); ++k) {
                  if (!inSource(k, t) || !Counts(c.keyed, at(k, t))) continue;
                  uint32_t rgb[3];
                  Channels(at(k, t), rgb);
                  for (int ch = 0; ch < 3; ++ch) sum[ch] += rgb[ch];
                  ++count;
                }
              }
              if (count == 0) continue;
              const uint32_t avg[3] = {sum[0] / count, sum[1] / count, sum[2] / count};
              const size_t o = static_cast<size_t>(dy * c.dw + dx);
              out[o] = Pack(avg, before[o]);
            }
          }
        });
  }
};

// Every mode, and DirectDraw 16 bits with a display set to X1R5G5B5.
const DrawMode kReferenceModes[] = {{"D3D32", 1, 32}, {"D3D16", 1, 16}, {"DD32", 0, 32},
                                    {"DD16", 0, 16},  {"DD16-555", 0, 16}, {"DD8", 0, 8}};
const DrawMode kBlurModes[] = {{"D3D32", 1, 32}, {"D3D16", 1, 16}, {"DD32", 0, 32}, {"DD16", 0, 16}, {"DD16-555", 0, 16}};

}  // namespace

TEST_F(PixelFxReference, BlurMatchesThePlainWindowWalk) {
  for (const DrawMode& mode : kBlurModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (int round = 0; round < 60; ++round) {
      const Case c = RandomCase();
      // Mostly small windows, some wider than the rectangle.
      const int bw = round % 5 == 4 ? Rand(10, 40) : Rand(1, 4), bh = round % 7 == 6 ? Rand(10, 40) : Rand(1, 4);
      CompareBlur(c, bw, bh);
    }
    DDRelease();
  }
}

// Windows of up to 256 pixels and just over, over bright pictures: the largest sums a window of
// each size can hold, over rows long enough for the loops that take several pixels at a time.
TEST_F(PixelFxReference, BlurOfWideWindowsOverBrightPictures) {
  const int halves[][2] = {{8, 8}, {2, 32}, {32, 2}, {1, 64}, {64, 1}, {8, 9}};
  bright = true;
  for (const DrawMode& mode : kBlurModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (const auto& half : halves) {
      for (bool keyed : {false, true}) {
        SCOPED_TRACE(testing::Message() << half[0] << " x " << half[1] << (keyed ? " keyed" : ""));
        CompareBlur({70, 40, 70, 40, 0, 0, 70, 40, 0, 0, keyed}, half[0], half[1]);
      }
    }
    DDRelease();
  }
}

TEST_F(PixelFxReference, MosaicMatchesThePlainBlockWalk) {
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    const bool average = !lpDTCon && DDScreenBpp != 8;
    for (int round = 0; round < 60; ++round) {
      const Case c = RandomCase();
      // Mostly small blocks; every fourth round one past 16 pixels, whose sums no longer pack two to a word.
      const int block = round % 4 == 3 ? Rand(14, 40) : Rand(1, 9);
      Compare(
          c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
            EXPECT_TRUE(DDMosaic(dst, c.x, c.y, c.w, c.h, block, src, c.sx, c.sy, c.keyed, nullptr));
          },
          [&](const Pixels& source, Pixels& out) {
            auto inSource = [&](int i, int j) {
              return c.sx + i >= 0 && c.sx + i < c.sw && c.sy + j >= 0 && c.sy + j < c.sh;
            };
            auto at = [&](int i, int j) { return source[static_cast<size_t>((c.sy + j) * c.sw + c.sx + i)]; };
            for (int by = 0; by < c.h; by += block) {
              for (int bx = 0; bx < c.w; bx += block) {
                uint32_t colour = 0;
                if (average) {
                  uint32_t sum[3] = {0, 0, 0}, count = 0;
                  for (int j = by; j < std::min(c.h, by + block); ++j) {
                    for (int i = bx; i < std::min(c.w, bx + block); ++i) {
                      if (!inSource(i, j) || !Counts(c.keyed, at(i, j))) continue;
                      uint32_t rgb[3];
                      Channels(at(i, j), rgb);
                      for (int ch = 0; ch < 3; ++ch)
                        sum[ch] += DDScreenBpp == 16 ? rgb[ch] * 255 / static_cast<uint32_t>(DDPixelFormat[4 + ch])
                                                     : rgb[ch];
                      ++count;
                    }
                  }
                  if (count == 0) continue;
                  uint32_t avg[3];
                  for (int ch = 0; ch < 3; ++ch)
                    avg[ch] = DDScreenBpp == 16 ? sum[ch] / count * static_cast<uint32_t>(DDPixelFormat[4 + ch]) / 255
                                                : sum[ch] / count;
                  colour = Pack(avg, 0);
                  if (c.keyed && colour == DDColorKey) continue;
                } else {
                  if (!inSource(bx, by) || !Counts(c.keyed, at(bx, by))) continue;
                  colour = at(bx, by);
                  if (lpDTCon && DDScreenBpp == 32) colour |= 0xFF000000u;
                }
                for (int j = by; j < std::min(c.h, by + block); ++j) {
                  for (int i = bx; i < std::min(c.w, bx + block); ++i) {
                    const int dx = c.x + i, dy = c.y + j;
                    if (dx < 0 || dy < 0 || dx >= c.dw || dy >= c.dh) continue;
                    uint32_t& o = out[static_cast<size_t>(dy * c.dw + dx)];
                    o = !lpDTCon && DDScreenBpp == 32 ? (o & 0xFF000000u) | colour : colour;
                  }
                }
              }
            }
          });
    }
    DDRelease();
  }
}

// The largest sums that the 32-bit mosaic (blocks of 256 rows) and the blur (windows of 256 pixels)
// keep two or four to a word: a white source must average to white, not carry into its neighbour.
TEST_F(PixelFxReference, WhiteAtTheLargestPackedSumsStaysWhite) {
  StartReference({"DD32", 0, 32});
  struct Run {
    const char* name;
    int size;
    std::function<bool(DDSURFACEDATA*, DDSURFACEDATA*)> effect;
  };
  const Run runs[] = {
      {"mosaic 256", 256, [](DDSURFACEDATA* d, DDSURFACEDATA* s) { return DDMosaic(d, 0, 0, 256, 256, 256, s, 0, 0, 0, nullptr); }},
      {"blur 8x8", 40, [](DDSURFACEDATA* d, DDSURFACEDATA* s) { return DDBlurBlt(d, 0, 0, 40, 40, 8, 8, s, 0, 0, 0, nullptr); }},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    DDSURFACEDATA src, dst;
    ASSERT_TRUE(DDCreateSurface(&src, run.size, run.size, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&dst, run.size, run.size, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    const size_t count = static_cast<size_t>(run.size) * static_cast<size_t>(run.size);
    Put(&src, Pixels(count, 0x00FFFFFFu));
    Put(&dst, Pixels(count, 0xAB000000u));
    EXPECT_TRUE(run.effect(&dst, &src));
    EXPECT_EQ(Read(&dst), Pixels(count, 0xABFFFFFFu));
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
  }
}

namespace {

// The lens rules walked point by point over the (2R + 1) square about (cx, cy) of a dw x dh
// destination; `at` gives the source pixel at a point of the source (null outside it).
struct LensCall {
  int cx, cy, radius, depth, scx, scy, keyed, clear;
};
void LensWalk(const LensCall& l, int dw, int dh, const std::function<const uint32_t*(int64_t, int64_t)>& at,
              Pixels& out) {
  const int64_t k = static_cast<int64_t>(std::sqrt(static_cast<double>(l.depth * l.depth + l.radius * l.radius)));
  if (l.depth >= k) return;
  const bool clears = lpDTCon && DDScreenBpp == 32 && l.clear;
  for (int i = -l.radius; i <= l.radius; ++i) {
    for (int j = -l.radius; j <= l.radius; ++j) {
      const int dx = l.cx + j, dy = l.cy + i;
      if (dx < 0 || dy < 0 || dx >= dw || dy >= dh) continue;
      uint32_t& o = out[static_cast<size_t>(dy * dw + dx)];
      const int64_t d2 = i * i + j * j;
      if (d2 > l.radius * l.radius) {
        if (clears) o = 0;
        continue;
      }
      int64_t oi = i, oj = j;
      const double root = std::sqrt(static_cast<double>(k * k - d2));
      if (root != 0) {
        oi = static_cast<int64_t>(static_cast<double>(i) * l.depth / root + 0.5);
        oj = static_cast<int64_t>(static_cast<double>(j) * l.depth / root + 0.5);
      }
      const uint32_t* from = at(l.scx + oj, l.scy + oi);
      if (!from) {
        if (clears) o = 0;
        continue;
      }
      const uint32_t p = *from;
      if (!lpDTCon) {
        if (p != DDColorKey) o = p;
      } else if (DDScreenBpp == 16) {
        if (!l.keyed || (p & 0xA000) != 0) o = p;
      } else if ((p >> 24) != 0) {
        o = p;
      } else if (clears) {
        o = 0;
      }
    }
  }
}

}  // namespace

// Small pictures with discs of every size against them, and larger ones where whole runs of points
// go eight at a time, their edges cut by both surfaces.
TEST_F(PixelFxReference, LensMatchesThePlainDiscWalk) {
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (int round = 0; round < 100; ++round) {
      Case c = RandomCase();
      const bool large = round >= 60;
      if (large) c.sw = Rand(1, 64), c.sh = Rand(1, 64), c.dw = Rand(1, 64), c.dh = Rand(1, 64);
      const int reach = large ? 48 : 14;
      LensCall l{Rand(-4, c.dw + 3), Rand(-4, c.dh + 3), Rand(0, reach), Rand(0, reach + 2),
                 Rand(-4, c.sw + 3), Rand(-4, c.sh + 3), c.keyed, Rand(0, 1)};
      // Some discs centred on the source's last pixel, which every point of depth 0 reads.
      if (round % 10 == 9) l.scx = c.sw - 1, l.scy = c.sh - 1, l.depth = Rand(0, 2);
      const int64_t k = static_cast<int64_t>(std::sqrt(static_cast<double>(l.depth * l.depth + l.radius * l.radius)));
      Compare(
          c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
            EXPECT_EQ(DDLensBlt(dst, l.cx, l.cy, l.radius, l.depth, src, l.scx, l.scy, l.keyed, l.clear, nullptr),
                      l.depth < k);
          },
          [&](const Pixels& source, Pixels& out) {
            LensWalk(l, c.dw, c.dh, [&](int64_t x, int64_t y) -> const uint32_t* {
              if (x < 0 || y < 0 || x >= c.sw || y >= c.sh) return nullptr;
              return &source[static_cast<size_t>(y * c.sw + x)];
            }, out);
          });
    }
    DDRelease();
  }
}

// A destination that is its own source goes row by row from the top, each row from the left, every
// point reading the picture as the points before it left it.
TEST_F(PixelFxReference, LensOntoItsOwnSourceReadsWhatEarlierPointsWrote) {
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (int round = 0; round < 30; ++round) {
      const int w = Rand(1, 40), h = Rand(1, 40);
      const LensCall l{Rand(-2, w + 1), Rand(-2, h + 1), Rand(1, 30), Rand(0, 30), Rand(-2, w + 1), Rand(-2, h + 1),
                       Rand(0, 1), Rand(0, 1)};
      DDSURFACEDATA sd;
      ASSERT_TRUE(DDCreateSurface(&sd, w, h, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
      Pixels expected = RandomPicture(w * h);
      Put(&sd, expected);
      DDLensBlt(&sd, l.cx, l.cy, l.radius, l.depth, &sd, l.scx, l.scy, l.keyed, l.clear, nullptr);
      LensWalk(l, w, h, [&](int64_t x, int64_t y) -> const uint32_t* {
        if (x < 0 || y < 0 || x >= w || y >= h) return nullptr;
        return &expected[static_cast<size_t>(y * w + x)];
      }, expected);
      EXPECT_EQ(Read(&sd), expected) << w << "x" << h << " disc " << l.cx << "," << l.cy << " R " << l.radius
                                     << " D " << l.depth << " from " << l.scx << "," << l.scy;
      DDReleaseSurface(&sd);
    }
    DDRelease();
  }
}

// The translucent blit onto its own source, shifted, reads what the pixels before it wrote: the same
// as one-pixel blits taken row by row from the top, each row from the left.
TEST_F(PixelFxReference, HalfOntoItsOwnSourceReadsWhatEarlierPixelsWrote) {
  std::vector<BYTE> table(65536);
  for (BYTE& b : table) b = static_cast<BYTE>(rng());
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    // Direct3D: a system-memory surface, so that the software form draws.
    const int memType = lpDTCon ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
    for (int round = 0; round < 20; ++round) {
      const int w = Rand(8, 40), h = Rand(1, 5), sx = Rand(-3, 3), sy = Rand(-1, 1), keyed = Rand(0, 1);
      DDSURFACEDATA whole, single;
      ASSERT_TRUE(DDCreateSurface(&whole, w, h, 1, 0, memType, nullptr, 0));
      ASSERT_TRUE(DDCreateSurface(&single, w, h, 1, 0, memType, nullptr, 0));
      const Pixels picture = RandomPicture(w * h);
      Put(&whole, picture);
      Put(&single, picture);
      EXPECT_TRUE(DDHalfBlt(&whole, 0, 0, w, h, &whole, sx, sy, keyed, table.data()));
      for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) DDHalfBlt(&single, i, j, 1, 1, &single, sx + i, sy + j, keyed, table.data());
      EXPECT_EQ(Read(&whole), Read(&single)) << w << "x" << h << " from " << sx << "," << sy;
      DDReleaseSurface(&whole);
      DDReleaseSurface(&single);
    }
    DDRelease();
  }
}

// In Direct3D an alias mirrored in cells reads each cell of its partner backwards; a point whose
// mirrored place lies beyond the partner (a last cell cut short) has no source pixel.
TEST_F(PixelFxReference, LensReadsAMirroredAliasCellByCell) {
  for (const DrawMode& mode : {DrawMode{"D3D32", 1, 32}, DrawMode{"D3D16", 1, 16}}) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (int round = 0; round < 30; ++round) {
      const int sw = Rand(1, 40), sh = Rand(1, 40), dw = Rand(1, 40), dh = Rand(1, 40), cell = Rand(1, 12);
      const LensCall l{Rand(-2, dw + 1), Rand(-2, dh + 1), Rand(1, 30), Rand(0, 30), Rand(-2, sw + 1),
                       Rand(-2, sh + 1), Rand(0, 1), Rand(0, 1)};
      DDSURFACEDATA sheet, alias, dst;
      ASSERT_TRUE(DDCreateSurface(&sheet, sw, sh, 1, 0, DTMEMORYTYPE_SYSTEM, nullptr, 0));
      WritePicture("alias.bmp", std::vector<std::string>(static_cast<size_t>(sh), std::string(static_cast<size_t>(sw), 'R')));
      ASSERT_EQ(DDCreateSurfaceFromFile(&alias, "alias.bmp", 1, DDScreenBpp, 0, 0, &sheet, 0, cell, 0, 0), 0);
      ASSERT_TRUE(DDCreateSurface(&dst, dw, dh, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
      const Pixels source = RandomPicture(sw * sh);
      Pixels expected = RandomPicture(dw * dh);
      Put(&sheet, source);
      Put(&dst, expected);
      DDLensBlt(&dst, l.cx, l.cy, l.radius, l.depth, &alias, l.scx, l.scy, l.keyed, l.clear, nullptr);
      LensWalk(l, dw, dh, [&](int64_t x, int64_t y) -> const uint32_t* {
        if (x < 0 || y < 0 || x >= sw || y >= sh) return nullptr;
        const int64_t mirrored = x - x % cell + cell - 1 - x % cell;
        if (mirrored >= sw) return nullptr;
        return &source[static_cast<size_t>(y * sw + mirrored)];
      }, expected);
      EXPECT_EQ(Read(&dst), expected) << sw << "x" << sh << " cell " << cell << " disc " << l.cx << "," << l.cy
                                      << " R " << l.radius << " D " << l.depth << " from " << l.scx << "," << l.scy;
      for (DDSURFACEDATA* sd : {&dst, &alias, &sheet}) DDReleaseSurface(sd);
    }
    DDRelease();
  }
}

TEST_F(PixelFxReference, HalfAndTintMatchThePlainPixelWalk) {
  std::vector<BYTE> table(65536);
  for (BYTE& b : table) b = static_cast<BYTE>(rng());
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    const int* f = DDPixelFormat;
    for (int round = 0; round < 40; ++round) {
      Case c = RandomCase();
      // Half and half.
      Compare(
          c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
            EXPECT_TRUE(DDHalfBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.keyed, table.data()));
          },
          [&](const Pixels& source, Pixels& out) {
            for (int j = 0; j < c.h; ++j) {
              for (int i = 0; i < c.w; ++i) {
                const int dx = c.x + i, dy = c.y + j, px = c.sx + i, py = c.sy + j;
                if (dx < 0 || dy < 0 || dx >= c.dw || dy >= c.dh || px < 0 || py < 0 || px >= c.sw || py >= c.sh)
                  continue;
                const uint32_t s = source[static_cast<size_t>(py * c.sw + px)];
                uint32_t& d = out[static_cast<size_t>(dy * c.dw + dx)];
                if (DDScreenBpp == 8) {
                  if (!(c.keyed && s == 0)) d = d == 0 ? s : table[d * 256 + s];
                  continue;
                }
                if (c.keyed && !Counts(true, s)) continue;
                if (!lpDTCon && d == DDColorKey) {
                  d = DDScreenBpp == 32 ? (d & 0xFF000000u) | (s & 0xFFFFFF) : s;
                  continue;
                }
                uint32_t ds[3], ss[3], mix[3];
                Channels(d, ds);
                Channels(s, ss);
                for (int ch = 0; ch < 3; ++ch) {
                  const uint32_t m = DDScreenBpp == 16 ? static_cast<uint32_t>(f[4 + ch]) : 255;
                  mix[ch] = !lpDTCon && DDScreenBpp == 16 ? ((ds[ch] * 255 / m + ss[ch] * 255 / m) >> 1) * m / 255
                                                          : (ds[ch] + ss[ch]) >> 1;
                }
                d = Pack(mix, d);
              }
            }
          });
      if (lpDTCon && DDScreenBpp == 16) continue;
      // Tinted toward a random colour at a level of 1 to 11.
      std::vector<BYTE> palette(1024);
      for (BYTE& b : palette) b = static_cast<BYTE>(rng());
      const int colour = Rand(0, 255), level = Rand(1, 11);
      const BYTE* entry = &palette[static_cast<size_t>(4 * colour)];
      Compare(
          c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
            EXPECT_TRUE(DDTintBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.keyed, palette.data(), table.data(),
                                  colour, level, nullptr));
          },
          [&](const Pixels& source, Pixels& out) {
            for (int j = 0; j < c.h; ++j) {
              for (int i = 0; i < c.w; ++i) {
                const int dx = c.x + i, dy = c.y + j, px = c.sx + i, py = c.sy + j;
                if (dx < 0 || dy < 0 || dx >= c.dw || dy >= c.dh || px < 0 || py < 0 || px >= c.sw || py >= c.sh)
                  continue;
                const uint32_t s = source[static_cast<size_t>(py * c.sw + px)];
                uint32_t& d = out[static_cast<size_t>(dy * c.dw + dx)];
                if (c.keyed && !Counts(true, s)) continue;
                if (DDScreenBpp == 8) {
                  uint32_t p = s;
                  for (int k = 0; k < level; ++k) p = table[p * 256 + static_cast<uint32_t>(colour)];
                  d = p;
                  continue;
                }
                uint32_t ss[3], v[3];
                Channels(s, ss);
                for (int ch = 0; ch < 3; ++ch) {
                  if (lpDTCon) {
                    // Direct3D: half and half at level 1, else a share of the source in single precision.
                    const float share = static_cast<float>(level == 2 ? 64 : level == 3 ? 32 : level == 4 ? 16 : 0) / 255.0f;
                    v[ch] = level == 1 ? (ss[ch] + entry[ch]) >> 1
                                       : static_cast<uint32_t>(static_cast<float>(ss[ch]) * share +
                                                               (1.0f - share) * static_cast<float>(entry[ch]));
                    v[ch] &= 0xFF;
                  } else if (DDScreenBpp == 16) {
                    const uint32_t m = static_cast<uint32_t>(f[4 + ch]), t = entry[ch] * 255 / m;
                    uint32_t a = ss[ch] * 255 / m;
                    for (int k = 0; k < level; ++k) a = (a + t) >> 1;
                    v[ch] = (a & 0xFF) * m / 255;
                  } else {
                    uint32_t a = ss[ch];
                    for (int k = 0; k < level; ++k) a = (a + entry[ch]) >> 1;
                    v[ch] = a;
                  }
                }
                d = Pack(v, d);
              }
            }
          });
    }
    DDRelease();
  }
}

TEST_F(PixelFxReference, TurnMatchesThePlainBoxWalk) {
  for (const DrawMode& mode : kReferenceModes) {
    SCOPED_TRACE(mode.name);
    StartReference(mode);
    for (int round = 0; round < 60; ++round) {
      const Case c = RandomCase();
      const int angle = Rand(-400, 400), pivotX = Rand(-3, c.w + 2), pivotY = Rand(-3, c.h + 2);
      Compare(
          c, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src) {
            EXPECT_TRUE(DDRotateBlt(dst, c.x, c.y, c.w, c.h, pivotX, pivotY, angle, src, c.sx, c.sy, c.keyed));
          },
          [&](const Pixels& source, Pixels& out) {
            const double rad = angle * 3.14159265358979 / 180;
            const int s1 = static_cast<int>(std::sin(rad) * 1024.0), c1 = static_cast<int>(std::cos(rad) * 1024.0);
            const int s2 = static_cast<int>(std::cos(-rad) * 1024.0), t2 = static_cast<int>(std::sin(-rad) * 1024.0);
            int minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
            for (int cx : {0, c.w - 1}) {
              for (int cy : {0, c.h - 1}) {
                const int dx = cx - pivotX, dy = cy - pivotY;
                const int tx = pivotX + ((dx * c1 - dy * s1) >> 10), ty = pivotY + ((dx * s1 + dy * c1) >> 10);
                minX = std::min(minX, tx), maxX = std::max(maxX, tx), minY = std::min(minY, ty), maxY = std::max(maxY, ty);
              }
            }
            const uint32_t key = lpDTCon ? 0 : DDColorKey;
            for (int v = minY - 2; v < maxY + 2; ++v) {
              for (int u = minX - 2; u < maxX + 2; ++u) {
                const int dx = c.x - pivotX + u, dy = c.y - pivotY + v;
                if (dx < 0 || dy < 0 || dx >= c.dw || dy >= c.dh) continue;
                const int sc = pivotX + (((u - pivotX) * s2 - (v - pivotY) * t2) >> 10);
                const int sr = pivotY + (((u - pivotX) * t2 + (v - pivotY) * s2) >> 10);
                if (sc < 0 || sr < 0 || sc >= c.w || sr >= c.h) continue;
                const int px = c.sx + sc, py = c.sy + sr;
                if (px < 0 || py < 0 || px >= c.sw || py >= c.sh) continue;
                const uint32_t p = source[static_cast<size_t>(py * c.sw + px)];
                if (c.keyed && p == key) continue;
                out[static_cast<size_t>(dy * c.dw + dx)] = p;
              }
            }
          });
    }
    DDRelease();
  }
}

// A render target's lock reads it back into its system-memory twin and uploads the twin again at
// the unlock; the twin shares the render target's storage while nothing else writes either.
TEST_F(PixelFxReference, RenderTargetLockKeepsPixelsAndSeesDrawsAroundIt) {
  StartMode(kDrawModes[0]);  // Direct3D 32 bits
  DDSURFACEDATA rt;
  ASSERT_TRUE(DDCreateSurface(&rt, 8, 4, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  DDFillSurfaceRGB(&rt, 0xFF102030);
  const Pixels filled = Read(&rt);
  ASSERT_EQ(filled.size(), 32u);
  ASSERT_EQ(filled[0] & 0xFFFFFF, 0x102030u);
  // Round trips with nothing in between keep every pixel; what the lock wrote stays.
  for (int round = 0; round < 3; ++round) {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&rt));
  }
  EXPECT_EQ(Read(&rt), filled);
  {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&rt));
    lock.Set(1, 1, 0xFFABCDEF);
  }
  Pixels expected = filled;
  expected[9] = 0xFFABCDEF;
  EXPECT_EQ(Read(&rt), expected);
  EXPECT_EQ(rt.lpDT->lpSurface->Pixels().Get(1, 1), 0xFFABCDEFu);  // the render target itself holds it
  // A draw after the unlock shows up at the next lock.
  DDFillRectRGB(&rt, 4, 0, 4, 4, 0xFF405060);
  const Pixels drawn = Read(&rt);
  EXPECT_EQ(drawn[9], 0xFFABCDEFu);
  EXPECT_EQ(drawn[4] & 0xFFFFFF, 0x405060u);
  EXPECT_EQ(drawn[31] & 0xFFFFFF, 0x405060u);
  // A draw between lock and unlock lands on the render target, and the unlock's upload of the twin
  // then covers it, as a read-back-and-upload does.
  {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&rt));
    lock.Set(0, 0, 0xFF010203);
    DDFillRectRGB(&rt, 0, 0, 8, 4, 0xFF708090);
    EXPECT_EQ(rt.lpDT->lpSurface->Pixels().Get(7, 3) & 0xFFFFFF, 0x708090u);
    lock.Set(2, 0, 0xFF040506);
  }
  expected = drawn;
  expected[0] = 0xFF010203;
  expected[2] = 0xFF040506;
  EXPECT_EQ(Read(&rt), expected);
  DDReleaseSurface(&rt);
  DDRelease();
}
