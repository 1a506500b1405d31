// The pixel effects over a 640 x 480 frame, each beside its baseline: a colour-keyed DDBlt of the same
// area between surfaces of the same kind, in the same back end and depth. The source is a full-frame
// picture with transparent pixels. Direct3D quad forms draw from a video-memory texture onto the back
// buffer; software forms in Direct3D draw onto the back buffer in virtual mode (so that the render
// target's lock counts), the translucent, tinted and turned blits from a system-memory source.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/effect.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/lock.h"
#include "gfx/palette.h"
#include "gfx/pixelfx.h"
#include "gfx/surface.h"
#include "platform/win/messages.h"

namespace {

enum class Fx { Baseline, Blend, Half, Tint1, Tint2, Tint3, ChangeColor, Add, Subtract, Rotate, Mosaic, Lens, Blur2, Blur8, Disc };

struct Setup {
  int backEnd, depth;
  bool virtualMode;   // Direct3D: the back buffer in virtual mode
  bool systemSource;  // Direct3D: the source in system memory
};

// A picture whose every seventh pixel and a band of rows are transparent, the rest a gradient.
void Paint(DDSURFACEDATA* sd) {
  cDDLock lock;
  if (!lock.Lock(sd)) return;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      bool clear = (x + y) % 7 == 0 || (y / 16) % 6 == 0;
      uint32_t p;
      if (DDScreenBpp == 8) p = clear ? DDColorKey : 1 + (x + y) % 200;
      else if (DDScreenBpp == 16) p = clear ? (lpDTCon ? 0u : DDColorKey) : (0x8000u | ((x * 3 + y) & 0x7FFF));
      else p = clear ? (lpDTCon ? 0u : DDColorKey) : (0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40);
      if (!lpDTCon && p == DDColorKey && !clear) p ^= 1;
      lock.Set(x, y, p);
    }
  }
}

void Run(benchmark::State& state, Setup setup, Fx fx) {
  HWND hwnd = CreateWindowStandIn("PixelFxBench");
  // DirectDraw full screen, so that the display takes the depth (a window keeps the desktop's).
  const int windowMode = setup.backEnd == 0 ? 0 : 1;
  if (!DDInit(setup.backEnd, hwnd, 640, 480, setup.depth, 0, windowMode, 1, 60, 0, nullptr, nullptr, 0, 0)) {
    state.SkipWithError("DDInit failed");
    DestroyWindowStandIn(hwnd);
    return;
  }
  DDSetTransmit(0xFF, 0x00, 0xFF);
  static BYTE palette[1024];
  for (int i = 0; i < 1024; ++i) palette[i] = static_cast<BYTE>(i * 37);
  for (int i = 0; i < 65536; ++i) DDBlendTable[i] = static_cast<BYTE>((i >> 8) + i);
  DDSURFACEDATA src;
  int memType = setup.systemSource ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
  DDCreateSurface(&src, 640, 480, 1, 0, memType, nullptr, 0);
  Paint(&src);
  if (setup.virtualMode) DDSetVirtualBackBuffer(1);
  DDSURFACEDATA* dst = &BackBuffer;
  const DWORD add[2] = {0xFF402010, D3DTOP_ADD}, subtract[2] = {0xFF402010, D3DTOP_SUBTRACT};
  // The colour change works on the destination itself: give it the picture first, so that it has
  // opaque pixels to change (a virtual back buffer starts transparent everywhere).
  if (fx == Fx::ChangeColor) DDBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1);
  for (auto _ : state) {
    switch (fx) {
      case Fx::Baseline: DDBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1); break;
      case Fx::Blend: DDBlendBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1, DDBlendTable, 128); break;
      case Fx::Half: DDHalfBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1, DDBlendTable); break;
      case Fx::Tint1: DDTintBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1, palette, DDBlendTable, 31, 1, nullptr); break;
      case Fx::Tint2: DDTintBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1, palette, DDBlendTable, 31, 2, nullptr); break;
      case Fx::Tint3: DDTintBlt(dst, 0, 0, 640, 480, &src, 0, 0, 1, palette, DDBlendTable, 31, 3, nullptr); break;
      case Fx::ChangeColor: DDChangeColor(dst, 0, 0, 640, 480, 100, 255, 128, 0); break;
      case Fx::Add: DDBltBlend(dst, 0, 0, 640, 480, &src, 0, 0, 1, add); break;
      case Fx::Subtract: DDBltBlend(dst, 0, 0, 640, 480, &src, 0, 0, 1, subtract); break;
      case Fx::Rotate: DDRotateBlt(dst, 320, 240, 640, 480, 320, 240, 30, &src, 0, 0, 1); break;
      case Fx::Mosaic: DDMosaic(dst, 0, 0, 640, 480, 8, &src, 0, 0, 1, nullptr); break;
      case Fx::Lens: DDLensBlt(dst, 320, 240, 452, 300, &src, 320, 240, 1, 0, nullptr); break;
      case Fx::Blur2: DDBlurBlt(dst, 0, 0, 640, 480, 2, 2, &src, 0, 0, 1, nullptr); break;
      case Fx::Blur8: DDBlurBlt(dst, 0, 0, 640, 480, 8, 8, &src, 0, 0, 1, nullptr); break;
      case Fx::Disc: DDDiscBlt(dst, 320, 240, 320, 240, 300, 1, &src, 320, 240, 1); break;
    }
  }
  if (setup.virtualMode) DDSetVirtualBackBuffer(0);
  DDReleaseSurface(&src);
  DDRelease();
  DestroyWindowStandIn(hwnd);
  state.SetItemsProcessed(state.iterations());
}

constexpr Setup kQuad32{1, 32, false, false};
constexpr Setup kQuadVirtual32{1, 32, true, false};
constexpr Setup kSoft3D32{1, 32, true, true};     // system-memory source
constexpr Setup kSoft3D32Rt{1, 32, true, false};  // mosaic, lens, blur: any source
constexpr Setup kDD8{0, 8, false, false}, kDD16{0, 16, false, false}, kDD32{0, 32, false, false};

}  // namespace

#define FX(name, setup, fx) BENCHMARK_CAPTURE(Run, name, setup, Fx::fx)->Unit(benchmark::kMicrosecond)

// Direct3D quad forms at 32 bits: at most 3 times the baseline, the turn at most 15.
FX(Quad32_Baseline, kQuad32, Baseline);
FX(Quad32_Blend128, kQuad32, Blend);
FX(Quad32_Tint2, kQuad32, Tint2);
FX(Quad32_ChangeColor, kQuad32, ChangeColor);
FX(Quad32_Add, kQuad32, Add);
FX(Quad32_Subtract, kQuad32, Subtract);
FX(Quad32_Rotate30, kQuad32, Rotate);
FX(Quad32_Disc, kQuad32, Disc);
FX(QuadVirtual32_Baseline, kQuadVirtual32, Baseline);
FX(QuadVirtual32_ChangeColor, kQuadVirtual32, ChangeColor);

// Software forms: half, tint and mosaic at most 4 times at DirectDraw 32 bits and 6 elsewhere; the
// turn 15; the lens 20; the blur 10.
#define SOFTWARE(tag, setup, fxSetup)              \
  FX(tag##_Baseline, setup, Baseline);             \
  FX(tag##_Half, fxSetup, Half);                   \
  FX(tag##_Tint1, fxSetup, Tint1);                 \
  FX(tag##_Tint3, fxSetup, Tint3);                 \
  FX(tag##_Rotate30, fxSetup, Rotate);             \
  FX(tag##_Mosaic8, setup, Mosaic);                \
  FX(tag##_Lens, setup, Lens);                     \
  FX(tag##_Blur2, setup, Blur2);                   \
  FX(tag##_Blur8, setup, Blur8)

SOFTWARE(Soft3D32, kSoft3D32Rt, kSoft3D32);
FX(Soft3D32_SystemBaseline, kSoft3D32, Baseline);
SOFTWARE(DD32, kDD32, kDD32);
FX(DD32_Disc, kDD32, Disc);
SOFTWARE(DD16, kDD16, kDD16);
SOFTWARE(DD8, kDD8, kDD8);
