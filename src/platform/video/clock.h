// Vertical-blank timing of the video layer, on the program clock (timeGetTime/Sleep): tests put a
// fake clock in place, which a sleep advances at once, so pacing never waits for real.
#pragma once
#include <cstdint>

namespace video {

// The first vertical blank at or after `ms` of a display refreshing `hz` times a second; blanks fall
// on the grid k * 1000 / hz (integer milliseconds) of the clock.
uint32_t VBlankAtOrAfter(int hz, uint32_t ms);
// Waits for the first vertical blank after `*last` (the blank a previous wait returned; null for
// none) and returns it. Under a FrameClock it waits for nothing: the blank is the present time, or
// the millisecond after `*last` when no frame was shown since.
uint32_t WaitVBlank(int hz, const uint32_t* last);


}  // namespace video
