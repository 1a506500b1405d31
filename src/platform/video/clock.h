// The millisecond clock and sleep of the video layer: frame pacing and vertical-blank waits read it.
// Tests switch it to a virtual clock that a sleep advances at once, so pacing never waits for real.
#pragma once
#include <cstdint>

namespace video {

// Milliseconds of a steady clock; wraps like a 32-bit millisecond counter.
uint32_t ClockMs();
void SleepMs(uint32_t ms);
// The first vertical blank at or after `ms` of a display refreshing `hz` times a second; blanks fall
// on the grid k * 1000 / hz (integer milliseconds) of the clock.
uint32_t VBlankAtOrAfter(int hz, uint32_t ms);
// Waits for the first vertical blank after `*last` (the blank a previous wait returned; null for
// none) and returns it.
uint32_t WaitVBlank(int hz, const uint32_t* last);

namespace test {
// Virtual clock on: ClockMs stands still until SleepMs or AdvanceClock moves it.
void UseVirtualClock(bool on);
void AdvanceClock(uint32_t ms);
}  // namespace test

}  // namespace video
