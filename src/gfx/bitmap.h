// Surfaces made from bitmap files, mirrored cell by cell, and their palette-index copies.
#pragma once
#include "gfx/records.h"
#include "platform/video/wintypes.h"

// A bitmap file loaded as a DIB section (LoadImageA from the file); null when it cannot be loaded.
HGDIOBJ DDLoadDib(const char* file);

// Returns 0 on success, 1 when the mirror could not be made, 4 when the surface could not be made,
// 8 when the file could not be loaded, or a negative Direct3D result when the texture could not be
// made. Mirror cells flip each cell of that width (height) in place; in Direct3D a partner makes the
// record an alias that shows the partner's texture, mirrored when it is drawn.
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* file, int colorKey, int depth, int ddMemType,
                            int dtMemType, DDSURFACEDATA* partner, int palIndex, int mirrorWidth, int mirrorHeight,
                            int restore);
// DirectDraw: copies the bitmap file into the surface, each cell mirrored as asked, and makes the
// palette-index copy when asked. Direct3D: TRUE at once.
BOOL CopyBitmap(DDSURFACEDATA* lpSD, const char* file, int depth, int palIndex, int mirrorWidth, int mirrorHeight);
// Direct3D: each cell of the cell width of the source, flipped left to right, into the destination.
BOOL CreateMirror(DDSURFACEDATA* dst, DDSURFACEDATA* src, int cellWidth, int cellHeight);
// DirectDraw: copies the surface's bitmap into it again (after a loss). Direct3D: TRUE.
BOOL DDReloadBitmap(DDSURFACEDATA* lpSD, int depth);
// The palette-index copy of the surface's pixels: for each pixel the first palette entry of its
// colour (0 when none has it).
int DDMakePalIndex(BYTE** palIndex, DDSURFACEDATA* lpSD);
