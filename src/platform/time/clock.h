// The program's millisecond clock and Sleep. Every reader of time in the game goes through these, so
// that tests can put a fake clock in place of the machine's: with a FakeClock, time moves only when
// the test moves it or a thread sleeps, and a sleep returns at once after moving it; with a
// FrameClock, time moves only when a frame is shown.
#pragma once
#include "platform/win/types.h"

// Milliseconds of the clock, wrapping modulo 2^32.
DWORD timeGetTime();
// The resolution of the clock is always 1 ms here; kept for the start-up call. Returns 0 (success).
UINT timeBeginPeriod(UINT periodMs);
UINT timeEndPeriod(UINT periodMs);

// Waits ms milliseconds (0: gives up the rest of the time slice). A safe point for cooperative
// suspension; while it waits the thread counts as parked.
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

// For headless runs of the whole program: while an instance lives, timeGetTime reports a time that
// moves only by FrameShown, and Sleep waits for real without moving it. The number of sleeps a wait
// takes depends on thread timing; with this clock it never shows in the time, so two runs of one
// script read the same times. The wait for a vertical blank returns at once (FrameClockRunning).
// One clock at a time, FakeClock included.
class FrameClock {
 public:
  explicit FrameClock(DWORD startMs = 0);
  ~FrameClock();
  FrameClock(const FrameClock&) = delete;
  FrameClock& operator=(const FrameClock&) = delete;
  // A frame of a game running at `fps` frames a second was shown: the time moves by the frame time,
  // rounded up to whole milliseconds, so that a pacer waiting 1000/fps ms finds the next frame due
  // at once. fps 0 or below counts as 60.
  void FrameShown(int fps);
  DWORD Now() const;
};
bool FrameClockRunning();
