// Millisecond timing of the frames: a stopwatch for the frame time, a counter that fires every n
// frames, a frames-per-second counter over one-second windows, and the two pacers: the frame timer
// (DirectDraw back end) and the frame limiter (Direct3D back end with vertical sync off). Times are
// the program clock's unsigned 32-bit milliseconds; differences are taken modulo 2^32, so the clock's
// wrap never stalls a pacer. The state is process-wide; only the game thread paces and counts.
#pragma once
#include <cstdint>

struct DDSURFACEDATA;

// Both start the one stopwatch: its start time is now, which they return.
uint32_t StopwatchStart();
// Milliseconds since the stopwatch start; with restart set the stopwatch starts again.
uint32_t StopwatchElapsed(int restart);
// With measure set, stores and returns the milliseconds since the stopwatch start; otherwise returns
// the stored lap (1 before the first measurement) without reading the clock.
uint32_t StopwatchLap(int measure);

// Mode 0 resets the counter (result 0); mode 2 tells whether it is 0; any other mode counts one frame
// and gives 1, resetting the counter, when the count reaches n.
int EveryNFrames(int mode, uint32_t n);
// With count set, counts one frame, or closes the one-second window that has run its time (that call
// is not counted) and opens the next. The frames of the last closed window.
uint32_t FpsCount(int count);

// DirectDraw pacing, polled with 1 ms sleeps: true at once on the first call and with fps 0; then
// true once 1000 / fps ms have passed since the call that last returned true.
bool FrameTimer(uint32_t fps);
// Direct3D pacing with vertical sync off, polled with 1 ms sleeps. Frame k of a second is due at the
// second's start + k * 1000 / fps ms: a late frame does not move the following ones. After fps frames,
// or when fps changes, the second starts again at the present time. Always true outside Direct3D or
// with fps 0. With stats set and a glyph sheet given it draws the averages of frame counts and frame
// times over the last 16 frames, the second's start and the frame number.
bool FpsLimiter(uint32_t fps, int stats, DDSURFACEDATA* sheet);

// The graphics library's side of the frame limiter, set by the library when it starts: whether the
// Direct3D back end runs, and the debug text drawing on the back buffer (x, y, glyph cell size, sheet).
// Without it the limiter acts as in DirectDraw mode.
struct FpsLimiterGraphics {
  bool (*isDirect3D)() = nullptr;
  void (*debugText)(int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet, const char* text) = nullptr;
};
void SetFpsLimiterGraphics(const FpsLimiterGraphics& graphics);

// For tests: all timing state as at program start.
void ResetTimingForTest();
