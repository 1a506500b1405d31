#include "platform/time/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/win/messages.h"

namespace {

enum class Mode { Real, Fake, Frame };
std::atomic<Mode> g_mode{Mode::Real};
std::atomic<DWORD> g_fakeNow{0};

}  // namespace

DWORD timeGetTime() {
  if (g_mode.load() != Mode::Real) return g_fakeNow.load();
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

UINT timeBeginPeriod(UINT) { return 0; }
UINT timeEndPeriod(UINT) { return 0; }

void Sleep(DWORD ms) {
  ThreadSafePoint();
  BlockingCallScope blocked;
  if (g_mode.load() == Mode::Fake) {
    g_fakeNow.fetch_add(ms);
    std::this_thread::yield();
  } else if (ms == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

FakeClock::FakeClock(DWORD startMs) {
  g_fakeNow.store(startMs);
  g_mode.store(Mode::Fake);
}

FakeClock::~FakeClock() { g_mode.store(Mode::Real); }

void FakeClock::Set(DWORD ms) { g_fakeNow.store(ms); }

void FakeClock::Advance(DWORD ms) { g_fakeNow.fetch_add(ms); }

DWORD FakeClock::Now() const { return g_fakeNow.load(); }

FrameClock::FrameClock(DWORD startMs) {
  g_fakeNow.store(startMs);
  g_mode.store(Mode::Frame);
}

FrameClock::~FrameClock() { g_mode.store(Mode::Real); }

void FrameClock::FrameShown(int fps) {
  if (fps <= 0) fps = 60;
  g_fakeNow.fetch_add(static_cast<DWORD>((1000 + fps - 1) / fps));
}

DWORD FrameClock::Now() const { return g_fakeNow.load(); }

bool FrameClockRunning() { return g_mode.load() == Mode::Frame; }
