// A typical play frame at 640 x 480, 32 bits, in each back end of the graphics library: a full-screen
// background, 300 colour-keyed 32 x 32 cells in a grouping sprite layer (scrolled, so the edge cells
// are clipped), and 50 colour-keyed 64 x 64 sprites, every other one mirrored. The same frame drawn
// with SDL2's own colour-keyed surface blits is the baseline. The frame with a screen tint of strength
// 50 over it (standing in Direct3D, with the virtual back buffer on and off; fading at 8 bits) is
// measured beside the same frame without one.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/drawstate.h"
#include "gfx/blit.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/layer.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "platform/video/bmp.h"
#include "platform/win/messages.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;

// A picture with some detail: cells with a transparent border and diagonal stripes.
std::vector<uint32_t> Pattern(int w, int h, int cell, bool keyed) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int cx = x % cell, cy = y % cell, edge = cell / 8;
      bool border = cx < edge || cy < edge || cx >= cell - edge || cy >= cell - edge;
      bool hole = ((cx + cy) / 3) % 5 == 0;
      uint32_t colour = static_cast<uint32_t>((x * 7) & 0xFF) << 16 | static_cast<uint32_t>((y * 5) & 0xFF) << 8 |
                        static_cast<uint32_t>((x + y) & 0xFF);
      if (colour == kKey) colour ^= 1;
      p[static_cast<size_t>(y) * w + x] = keyed && (border || hole) ? kKey : colour;
    }
  }
  return p;
}

// The mirror image of each cell of the picture, as DirectDraw and SDL hold mirrored sheets.
std::vector<uint32_t> MirrorCells(const std::vector<uint32_t>& p, int w, int h, int cell) {
  std::vector<uint32_t> m(p.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) m[static_cast<size_t>(y) * w + cell * (x / cell + 1) - x % cell - 1] = p[static_cast<size_t>(y) * w + x];
  return m;
}

struct Pictures {
  std::vector<uint32_t> background = Pattern(640, 480, 640, false);
  std::vector<uint32_t> cells = Pattern(256, 256, 32, true);
  std::vector<uint32_t> sprites = Pattern(256, 64, 64, true);
  std::vector<uint32_t> mirrored = MirrorCells(sprites, 256, 64, 64);
};

const Pictures& Pics() {
  static Pictures pictures;
  return pictures;
}

// Where the frame puts its cells and sprites.
struct Placement {
  int x, y, sx, sy;
  bool mirrored;
};
std::vector<Placement> CellPlaces() {
  std::vector<Placement> out;
  for (int i = 0; i < 300; ++i)
    out.push_back({(i % 20) * 32 - 11, (i / 20) * 32 - 7, (i * 3 % 8) * 32, (i * 5 / 8 % 8) * 32, false});
  return out;
}
std::vector<Placement> SpritePlaces() {
  std::vector<Placement> out;
  uint32_t seed = 12345;
  for (int i = 0; i < 50; ++i) {
    seed = seed * 1103515245u + 12345u;
    int x = static_cast<int>(seed >> 8) % 680 - 20;
    seed = seed * 1103515245u + 12345u;
    int y = static_cast<int>(seed >> 8) % 520 - 20;
    out.push_back({x, y, (i % 4) * 64, 0, i % 2 == 1});
  }
  return out;
}

// A folder of its own with the frame's bitmaps, the current folder while a benchmark runs.
class Folder {
 public:
  Folder() {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() / ("frame_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    const Pictures& p = Pics();
    video::SaveBmpFile("back.bmp", video::BmpImage::FromArgb(640, 480, 24, p.background));
    video::SaveBmpFile("cells.bmp", video::BmpImage::FromArgb(256, 256, 24, p.cells));
    video::SaveBmpFile("sprites.bmp", video::BmpImage::FromArgb(256, 64, 24, p.sprites));
  }
  ~Folder() {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

 private:
  std::filesystem::path old_, dir_;
};

// The tint of the screen-colour command: none, standing (time 0) or a long fade-in started anew
// whenever it has run its time.
enum eBenchTint { NO_TINT = 0, STANDING_TINT = 1, FADING_TINT = 2 };

void LibraryFrame(benchmark::State& state, int backEnd, int depth = 32, int virtualBuffer = 0, int tint = NO_TINT) {
  Folder folder;
  HWND hwnd = CreateWindowStandIn("FrameBench");
  if (!DDInit(backEnd, hwnd, 640, 480, depth, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0)) {
    state.SkipWithError("DDInit failed");
    return;
  }
  DDSetTransmit(0xFF, 0x00, 0xFF);
  if (virtualBuffer) DDSetVirtualBackBuffer(1);
  cScenePlay scene;
  cFlowCmd tintCmd;
  tintCmd.m_vParam = {40, 80, 200, 50, 0, tint == FADING_TINT ? 1000 : 0, 0, 0};
  if (tint != NO_TINT) scene.StartScreenColor(&tintCmd);
  DDSURFACEDATA back, cells, sprites, mirrored;
  DDCreateSurfaceFromFile(&back, "back.bmp", 0, depth, 0, 0, nullptr, 0, 0, 0, 0);
  DDCreateSurfaceFromFile(&cells, "cells.bmp", 1, depth, 0, 0, nullptr, 0, 0, 0, 0);
  DDCreateSurfaceFromFile(&sprites, "sprites.bmp", 1, depth, 0, 0, nullptr, 0, 0, 0, 0);
  // Direct3D draws the mirrored sprites from an alias of the sheet; DirectDraw holds mirrored cells.
  DDCreateSurfaceFromFile(&mirrored, "sprites.bmp", 1, depth, 0, 0, backEnd ? &sprites : nullptr, 0, 64, 0, 0);
  const std::vector<Placement> cellPlaces = CellPlaces(), spritePlaces = SpritePlaces();
  for (auto _ : state) {
    DDBlt(&BackBuffer, 0, 0, 640, 480, &back, 0, 0, 0);
    DDBeginLayer(1);
    for (const Placement& c : cellPlaces) DDBlt(&BackBuffer, c.x, c.y, 32, 32, &cells, c.sx, c.sy, 1);
    DDEndLayer();
    for (const Placement& s : spritePlaces)
      DDBlt(&BackBuffer, s.x, s.y, 64, 64, s.mirrored ? &mirrored : &sprites, s.sx, s.sy, 1);
    if (tint != NO_TINT) {
      if (!scene.m_ScreenColor.m_bRunning) scene.StartScreenColor(&tintCmd);
      scene.DrawScreenColor(0);
    }
  }
  for (DDSURFACEDATA* sd : {&mirrored, &sprites, &cells, &back}) DDReleaseSurface(sd);
  DDRelease();
  DestroyWindowStandIn(hwnd);
  state.SetItemsProcessed(state.iterations());
}

void BM_FrameDirect3D(benchmark::State& state) { LibraryFrame(state, 1); }
void BM_FrameDirectDraw(benchmark::State& state) { LibraryFrame(state, 0); }
void BM_FrameDirect3DTinted(benchmark::State& state) { LibraryFrame(state, 1, 32, 0, STANDING_TINT); }
void BM_FrameDirect3DVirtual(benchmark::State& state) { LibraryFrame(state, 1, 32, 1); }
void BM_FrameDirect3DVirtualTinted(benchmark::State& state) { LibraryFrame(state, 1, 32, 1, STANDING_TINT); }
void BM_FrameDirectDraw8(benchmark::State& state) { LibraryFrame(state, 0, 8); }
void BM_FrameDirectDraw8Fading(benchmark::State& state) { LibraryFrame(state, 0, 8, 0, FADING_TINT); }

SDL_Surface* SurfaceOf(const std::vector<uint32_t>& pixels, int w, int h, bool keyed) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_LockSurface(s);
  for (int y = 0; y < h; ++y)
    std::memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch, pixels.data() + static_cast<size_t>(y) * w, 4 * static_cast<size_t>(w));
  SDL_UnlockSurface(s);
  if (keyed) SDL_SetColorKey(s, SDL_TRUE, kKey);
  return s;
}

void BM_FrameSdlBaseline(benchmark::State& state) {
  const Pictures& p = Pics();
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Surface* back = SurfaceOf(p.background, 640, 480, false);
  SDL_Surface* cells = SurfaceOf(p.cells, 256, 256, true);
  SDL_Surface* sprites = SurfaceOf(p.sprites, 256, 64, true);
  SDL_Surface* mirrored = SurfaceOf(p.mirrored, 256, 64, true);
  const std::vector<Placement> cellPlaces = CellPlaces(), spritePlaces = SpritePlaces();
  for (auto _ : state) {
    SDL_BlitSurface(back, nullptr, target, nullptr);
    for (const Placement& c : cellPlaces) {
      SDL_Rect s{c.sx, c.sy, 32, 32}, d{c.x, c.y, 32, 32};
      SDL_BlitSurface(cells, &s, target, &d);
    }
    for (const Placement& sp : spritePlaces) {
      SDL_Rect s{sp.sx, sp.sy, 64, 64}, d{sp.x, sp.y, 64, 64};
      SDL_BlitSurface(sp.mirrored ? mirrored : sprites, &s, target, &d);
    }
    benchmark::DoNotOptimize(target->pixels);
  }
  for (SDL_Surface* s : {mirrored, sprites, cells, back, target}) SDL_FreeSurface(s);
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_FrameDirect3D)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirectDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirect3DTinted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirect3DVirtual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirect3DVirtualTinted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirectDraw8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDirectDraw8Fading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameSdlBaseline)->Unit(benchmark::kMicrosecond);
