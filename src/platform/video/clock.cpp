#include "platform/video/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace video {

namespace {
std::atomic<bool> g_virtual{false};
std::atomic<uint32_t> g_virtualMs{0};

uint32_t RealMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

uint32_t ClockMs() { return g_virtual ? g_virtualMs.load() : RealMs(); }

void SleepMs(uint32_t ms) {
  if (g_virtual) {
    g_virtualMs += ms;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t VBlankAtOrAfter(int hz, uint32_t ms) {
  if (hz <= 0) return ms;
  uint64_t k = (uint64_t(ms) * hz + 999) / 1000;
  return static_cast<uint32_t>(k * 1000 / hz);
}

uint32_t WaitVBlank(int hz, const uint32_t* last) {
  uint32_t now = ClockMs();
  uint32_t from = now;
  if (last && static_cast<int32_t>(*last + 1 - now) > 0) from = *last + 1;
  uint32_t blank = VBlankAtOrAfter(hz, from);
  if (static_cast<int32_t>(blank - now) > 0) SleepMs(blank - now);
  return blank;
}

namespace test {
void UseVirtualClock(bool on) {
  if (on && !g_virtual) g_virtualMs = 0;
  g_virtual = on;
}
void AdvanceClock(uint32_t ms) { g_virtualMs += ms; }
}  // namespace test

}  // namespace video
