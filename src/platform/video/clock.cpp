#include "platform/video/clock.h"

#include "platform/time/clock.h"

namespace video {

uint32_t VBlankAtOrAfter(int hz, uint32_t ms) {
  if (hz <= 0) return ms;
  uint64_t k = (uint64_t(ms) * hz + 999) / 1000;
  return static_cast<uint32_t>(k * 1000 / hz);
}

uint32_t WaitVBlank(int hz, const uint32_t* last) {
  uint32_t now = timeGetTime();
  uint32_t from = now;
  if (last && static_cast<int32_t>(*last + 1 - now) > 0) from = *last + 1;
  // Under the frame clock the shown frames are the display's time: the blank is there at once.
  if (FrameClockRunning()) return from;
  uint32_t blank = VBlankAtOrAfter(hz, from);
  if (static_cast<int32_t>(blank - now) > 0) Sleep(blank - now);
  return blank;
}

}  // namespace video
