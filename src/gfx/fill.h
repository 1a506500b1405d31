// Filled rectangles with a palette number or a device colour, single pixels and circle outlines, and
// the Direct3D box batch that draws the fills of a frame together.
#pragma once
#include "gfx/records.h"

// One queued box of the batch: its target and rectangle (clipped) and its ARGB colour.
struct DDBOXDATA {
  DDSURFACEDATA* lpSD = nullptr;
  int32_t x = 0, y = 0, w = 0, h = 0;
  DWORD dwColor = 0;
};

int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD dwPalNum);
void DDFillSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum);
// The colour is a device value: ARGB in Direct3D, the screen's pixel value in DirectDraw.
int DDFillRectRGB(DDSURFACEDATA* lpSD, int x, int y, int width, int height, DWORD color);
void DDFillSurfaceRGB(DDSURFACEDATA* lpSD, DWORD color);

// Direct3D: fills of render targets between the two are queued and drawn at the end, run by run of
// the same target. DirectDraw fills draw at once.
void DDBeginBoxBatch();
int DDEndBoxBatch();

void DDSetPixel(DDSURFACEDATA* lpSD, int x, int y, DWORD dwPalNum);
// The outline of a circle.
void DDCircle(DDSURFACEDATA* lpSD, int cx, int cy, int radius, DWORD dwPalNum);
