// Surfaces made from bitmap files.
#pragma once
#include "gfx/records.h"

// Returns 0 on success, 1 when the mirror could not be made, 4 when the surface could not be made,
// 8 when the file could not be loaded, or a negative Direct3D result.
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* file, int colorKey, int depth, int ddMemType,
                            int dtMemType, DDSURFACEDATA* partner, int palIndex, int mirrorWidth, int mirrorHeight,
                            int restore);
// DirectDraw: copies the surface's bitmap into it again.
BOOL DDReloadBitmap(DDSURFACEDATA* lpSD, int depth);
