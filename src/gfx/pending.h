// Placeholders for services that are not built yet: the frame limiter of the core timing, the
// virtual back buffer copy (a blit), and bitmap files. Each writes a debug-log line and does no work;
// this file goes when those services arrive.
#pragma once
#include "gfx/records.h"

// Frame limiter: whether a frame of `fps` frames a second may run now (one-second grid, no
// statistics text).
bool FpsLimiter(unsigned fps, int statistics, DDSURFACEDATA* glyphSheet);
