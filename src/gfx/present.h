// Ending and presenting a frame, and getting the screen back after a loss.
#pragma once
#include "gfx/records.h"

// Direct3D: presents the frame (the frame limiter paces it when VSync is off). 1 presented (or
// DirectDraw), 0 the device is lost.
int DDPresent(unsigned fps, int statistics, DDSURFACEDATA* glyphSheet);
// Direct3D, on the window thread: resets a lost device and re-creates every registered surface.
// 1 done (DirectDraw: 1 after a debug line), 0 not possible now.
int DDRestoreSurface();
// DirectDraw, every frame: restores lost surfaces and reloads the application's bitmaps.
BOOL DDRestore();
