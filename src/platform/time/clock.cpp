#include "platform/time/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/win/messages.h"

namespace {

std::atomic<bool> g_fake{false};
std::atomic<DWORD> g_fakeNow{0};

}  // namespace

DWORD timeGetTime() {
  if (g_fake.load()) return g_fakeNow.load();
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

UINT timeBeginPeriod(UINT) { return 0; }
UINT timeEndPeriod(UINT) { return 0; }

void Sleep(DWORD ms) {
  ThreadSafePoint();
  BlockingCallScope blocked;
  if (g_fake.load()) {
    g_fakeNow.fetch_add(ms);
    std::this_thread::yield();
  } else if (ms == 0) {
    std::this_thread::yield();
  } else if (!SleepUntilMessage(ms)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

FakeClock::FakeClock(DWORD startMs) {
  g_fakeNow.store(startMs);
  g_fake.store(true);
}

FakeClock::~FakeClock() { g_fake.store(false); }

void FakeClock::Set(DWORD ms) { g_fakeNow.store(ms); }

void FakeClock::Advance(DWORD ms) { g_fakeNow.fetch_add(ms); }

DWORD FakeClock::Now() const { return g_fakeNow.load(); }
