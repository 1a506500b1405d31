#include "core/timing.h"

#include <atomic>

#include "core/text.h"
#include "platform/time/clock.h"

namespace {

// The stopwatch is also used on the window thread, hence atomics.
std::atomic<uint32_t> g_dwStopwatchStart{0};
std::atomic<uint32_t> g_dwLastLap{1};

uint32_t g_dwFrameCounter = 0;

bool g_bFpsCountStarted = false;
uint32_t g_dwFpsWindowStart = 0;
uint32_t g_dwFpsFrames = 0;
uint32_t g_dwFpsLastWindow = 0;

bool g_bFrameTimerStarted = false;
uint32_t g_dwFrameReleased = 0;  // time of the call that last let a frame run
uint32_t g_dwFrameInterval = 0;  // the wait after it

// A ring of the last 16 samples and their average, renewed each time the ring is full.
struct SampleRing {
  uint32_t values[16] = {};
  int pos = 0;
  uint32_t average = 0;
  void Add(uint32_t v) {
    values[pos++] = v;
    if (pos < 16) return;
    pos = 0;
    uint64_t sum = 0;
    for (uint32_t x : values) sum += x;
    average = static_cast<uint32_t>(sum / 16);
  }
};

bool g_bGridStarted = false;
uint32_t g_dwGridStart = 0;
uint32_t g_dwGridFrame = 0;
uint32_t g_dwGridFps = 0;
int g_bStatsReady = 1;
SampleRing g_FrameTimes;
SampleRing g_FrameCounts;

FpsLimiterGraphics g_Graphics;

}  // namespace

uint32_t StopwatchStart() {
  uint32_t now = timeGetTime();
  g_dwStopwatchStart.store(now, std::memory_order_relaxed);
  return now;
}

uint32_t StopwatchElapsed(int restart) {
  uint32_t e = timeGetTime() - g_dwStopwatchStart.load(std::memory_order_relaxed);
  if (restart) StopwatchStart();
  return e;
}

uint32_t StopwatchLap(int measure) {
  if (!measure) return g_dwLastLap.load(std::memory_order_relaxed);
  uint32_t lap = timeGetTime() - g_dwStopwatchStart.load(std::memory_order_relaxed);
  g_dwLastLap.store(lap, std::memory_order_relaxed);
  return lap;
}

int EveryNFrames(int mode, uint32_t n) {
  if (mode == 0) {
    g_dwFrameCounter = 0;
    return 0;
  }
  if (mode == 2) return g_dwFrameCounter == 0 ? 1 : 0;
  if (++g_dwFrameCounter >= n) {
    g_dwFrameCounter = 0;
    return 1;
  }
  return 0;
}

uint32_t FpsCount(int count) {
  if (!g_bFpsCountStarted) {
    g_bFpsCountStarted = true;
    g_dwFpsWindowStart = timeGetTime();
  }
  if (count) {
    uint32_t now = timeGetTime();
    if (now - g_dwFpsWindowStart >= 1000) {
      g_dwFpsWindowStart = now;
      g_dwFpsLastWindow = g_dwFpsFrames;
      g_dwFpsFrames = 0;
      return g_dwFpsLastWindow;
    }
    ++g_dwFpsFrames;
  }
  return g_dwFpsLastWindow;
}

bool FrameTimer(uint32_t fps) {
  uint32_t now = timeGetTime();
  if (!g_bFrameTimerStarted) {
    g_bFrameTimerStarted = true;
    g_dwFrameReleased = now;
    g_dwFrameInterval = 0;
  }
  if (fps == 0) return true;
  if (now - g_dwFrameReleased < g_dwFrameInterval) return false;
  g_dwFrameReleased = now;
  g_dwFrameInterval = 1000 / fps;
  return true;
}

bool FpsLimiter(uint32_t fps, int stats, DDSURFACEDATA* sheet) {
  if (fps == 0 || !g_Graphics.isDirect3D || !g_Graphics.isDirect3D()) return true;
  if (!g_bGridStarted || fps != g_dwGridFps) {
    // A new rate starts a new second: a frame number beyond it would otherwise stall the grid.
    g_bGridStarted = true;
    g_dwGridStart = timeGetTime();
    g_dwGridFrame = 0;
    g_dwGridFps = fps;
  }
  if (stats && sheet && g_bStatsReady) {
    g_bStatsReady = 0;
    g_FrameTimes.Add(StopwatchLap(0));
    g_FrameCounts.Add(FpsCount(0));
  }
  uint32_t now = timeGetTime();
  if (static_cast<double>(now - g_dwGridStart) < g_dwGridFrame * 1000.0 / fps) return false;
  if (++g_dwGridFrame >= fps) {
    g_dwGridFrame = 0;
    g_dwGridStart = now;
  }
  if (stats && sheet) {
    if (g_Graphics.debugText) {
      std::string text = StrPrintf("FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u", g_FrameCounts.average,
                                   g_FrameTimes.average, g_dwGridStart, g_dwGridFrame);
      g_Graphics.debugText(0, 16, 8, 16, sheet, text.c_str());
    }
    g_bStatsReady = 1;
  }
  return true;
}

void SetFpsLimiterGraphics(const FpsLimiterGraphics& graphics) { g_Graphics = graphics; }

void ResetTimingForTest() {
  g_dwStopwatchStart = 0;
  g_dwLastLap = 1;
  g_dwFrameCounter = 0;
  g_bFpsCountStarted = false;
  g_dwFpsWindowStart = g_dwFpsFrames = g_dwFpsLastWindow = 0;
  g_bFrameTimerStarted = false;
  g_dwFrameReleased = g_dwFrameInterval = 0;
  g_bGridStarted = false;
  g_dwGridStart = g_dwGridFrame = g_dwGridFps = 0;
  g_bStatsReady = 1;
  g_FrameTimes = SampleRing();
  g_FrameCounts = SampleRing();
  g_Graphics = FpsLimiterGraphics();
}
