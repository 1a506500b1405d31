// Placeholders for services that are not built yet; see pending.h.
#include "gfx/pending.h"

#include "core/log.h"
#include "gfx/bitmap.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "platform/video/clock.h"

bool FpsLimiter(unsigned fps, int, DDSURFACEDATA*) {
  static bool started = false;
  static uint32_t gridStart = 0;
  static unsigned frame = 0;
  if (!lpDTCon || fps == 0) return true;
  uint32_t now = video::ClockMs();
  if (!started || frame >= fps) {
    started = true;
    gridStart = now;
    frame = 0;
  }
  if (now - gridStart < frame * 1000 / fps) return false;
  ++frame;
  return true;
}

void DDCopyVirtualBackBuffer(DDSURFACEDATA*, DDSURFACEDATA*) { DebugLog("DDCopyVirtualBackBuffer: no blits yet"); }

int DDCreateSurfaceFromFile(DDSURFACEDATA*, const char* file, int, int, int, int, DDSURFACEDATA*, int, int, int, int) {
  DebugLogF("DDCreateSurfaceFromFile: no bitmap files yet (%s)", file ? file : "");
  return 8;
}

BOOL DDReloadBitmap(DDSURFACEDATA*, int) {
  DebugLog("DDReloadBitmap: no bitmap files yet");
  return FALSE;
}
