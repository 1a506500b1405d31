// Placeholders for services that are not built yet; see pending.h.
#include "gfx/pending.h"

#include "core/log.h"
#include "gfx/bitmap.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "platform/video/clock.h"

void DDCopyVirtualBackBuffer(DDSURFACEDATA*, DDSURFACEDATA*) { DebugLog("DDCopyVirtualBackBuffer: no blits yet"); }

int DDCreateSurfaceFromFile(DDSURFACEDATA*, const char* file, int, int, int, int, DDSURFACEDATA*, int, int, int, int) {
  DebugLogF("DDCreateSurfaceFromFile: no bitmap files yet (%s)", file ? file : "");
  return 8;
}

BOOL DDReloadBitmap(DDSURFACEDATA*, int) {
  DebugLog("DDReloadBitmap: no bitmap files yet");
  return FALSE;
}
