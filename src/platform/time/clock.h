// The program's millisecond clock and Sleep. Every reader of time in the game goes through these, so
// that tests can put a fake clock in place of the machine's: with it, time moves only when the test
// moves it or a thread sleeps, and a sleep returns at once after moving it.
#pragma once
#include "platform/win/types.h"

// Milliseconds of the clock, wrapping modulo 2^32.
DWORD timeGetTime();
// The resolution of the clock is always 1 ms here; kept for the start-up call. Returns 0 (success).
UINT timeBeginPeriod(UINT periodMs);
UINT timeEndPeriod(UINT periodMs);

// Waits ms milliseconds (0: gives up the rest of the time slice); on a thread with a message queue a
// message posted or sent to it meanwhile ends the wait early, as a loop that peeks between sleeps
// wants. A safe point for cooperative suspension; while it waits the thread counts as parked.
void Sleep(DWORD ms);

// For tests: while an instance lives, timeGetTime reports its time and Sleep(ms) advances it by ms
// (from any thread) instead of waiting. One at a time.
class FakeClock {
 public:
  explicit FakeClock(DWORD startMs = 0);
  ~FakeClock();
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;
  void Set(DWORD ms);
  void Advance(DWORD ms);
  DWORD Now() const;
};
