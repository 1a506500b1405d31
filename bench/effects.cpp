// Text, fades and raster effects at 640 x 480 in each back end, each against the baseline of the
// same run: a full-frame colour-keyed blit (and, for text, 1,200 keyed 16 x 16 blits in one grouping
// layer).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/layer.h"
#include "gfx/palette.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "platform/win/messages.h"

namespace {

// A started library with a full-screen keyed picture to blit.
class Library {
 public:
  Library(int backEnd, int depth) {
    hwnd_ = CreateWindowStandIn("EffectsBench");
    ok_ = DDInit(backEnd, hwnd_, 640, 480, depth, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
    if (!ok_) return;
    for (int i = 0; i < 256; ++i)
      DDPalette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0};
    DDSetTransmit(0, 0, 0);
    DDCreateSurface(&picture_, 640, 480, 1, 0, 0, nullptr, 0);
    for (int y = 0; y < 480; y += 8) DDFillRect(&picture_, (y * 7) % 64, y, 600, 4, static_cast<DWORD>(1 + y % 200));
  }
  ~Library() {
    DDReleaseSurface(&picture_);
    DDRelease();
    DestroyWindowStandIn(hwnd_);
  }
  bool Ok() const { return ok_; }
  DDSURFACEDATA picture_;

 private:
  HWND hwnd_;
  bool ok_ = false;
};

void BM_KeyedBlit(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  for (auto _ : state) DDBlt(&BackBuffer, 0, 0, 640, 480, &lib.picture_, 0, 0, 1);
}

void BM_KeyedCells1200(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), 32);
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  for (auto _ : state) {
    DDBeginLayer(1);
    for (int i = 0; i < 1200; ++i) DDBlt(&BackBuffer, (i % 40) * 16, (i / 40) * 16, 16, 16, &lib.picture_, (i % 32) * 16, (i % 28) * 16, 1);
    DDEndLayer();
  }
}

// 30 lines of 40 characters: ASCII, kana of the fixed list, and kanji outside it.
std::string Page() {
  std::string page;
  int kanji = 0;
  for (int line = 0; line < 30; ++line) {
    for (int i = 0; i < 40; ++i) {
      if (line % 3 == 0) {
        page += static_cast<char>('A' + (line + i) % 26);
      } else if (line % 3 == 1) {
        page.append(DDFixedFullWidthChars + 2 * (70 + (line * 40 + i) % 150), 2);
      } else {
        int n = kanji++;
        page += static_cast<char>(0x8B + n / 188);
        int trail = 0x40 + n % 188;
        page += static_cast<char>(trail >= 0x7F ? trail + 1 : trail);
      }
    }
    page += '\n';
  }
  return page;
}

void BM_TextPage(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), 32);
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  Font font;
  if (!font.Create("ＭＳ ゴシック", 0, 16, 16, 16, 200, nullptr, 0, 0, nullptr, static_cast<int>(state.range(1))))
    return state.SkipWithError("no font");
  const std::string page = Page();
  font.DrawText(&BackBuffer, 0, 0, page.c_str());  // glyphs added to the sheet and cached once
  for (auto _ : state) font.DrawText(&BackBuffer, 0, 0, page.c_str());
  ReleaseFontObject(&font);
}

void BM_FadeOutStep(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  DDFadeOut(nullptr, 0, 255, 0, 0, 0, 1e-9, nullptr, 0);  // the first step takes the screen copy
  for (auto _ : state) DDFadeOut(nullptr, 0, 255, 0, 0, 0, 1e-9, nullptr, 0);
  DDFadeOut(nullptr, 0, 255, 0, 0, 0, 1.0, nullptr, 1);
}

void BM_WaveRows(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), 32);
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  for (auto _ : state) DDWaveBlt(&BackBuffer, 0, 0, 640, 480, 3, 8.0, 0.0, 1, &lib.picture_, 0, 0, 1, 0);
}

void BM_CombRows(benchmark::State& state) {
  Library lib(static_cast<int>(state.range(0)), 32);
  if (!lib.Ok()) return state.SkipWithError("DDInit failed");
  for (auto _ : state) DDCombBlt(&BackBuffer, 0, 0, 640, 480, 1, 4, &lib.picture_, 0, 0, 1, 0);
}

}  // namespace

// Arguments: back end (1 Direct3D, 0 DirectDraw), then depth or cache switch.
BENCHMARK(BM_KeyedBlit)->Args({1, 32})->Args({0, 32})->Args({0, 16})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyedCells1200)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextPage)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FadeOutStep)->Args({1, 32})->Args({0, 32})->Args({0, 16})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaveRows)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CombRows)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
