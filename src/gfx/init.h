// Starting and stopping the graphics library.
#pragma once
#include "gfx/records.h"

// Starts the library on a window: back end 0 DirectDraw 7, anything else Direct3D 9; window mode 0
// full screen, 1 a window; back-buffer count 1 one back buffer, anything else two (DirectDraw full
// screen); the refresh rate and its switch are for DirectDraw full screen. The application's surface
// table is kept for restore, reload and release. The last argument is not used.
BOOL DDInit(int backEnd, HWND hwnd, int width, int height, int depth, int vsync, int windowMode, int backBufferCount,
            int refreshRate, int refreshSwitch, DDSURFACEDATA* appSurfaces, DDBITMAPDATA* appBitmaps, int count,
            int reserved);
// Releases whatever the running back end holds, including what a failed start left.
void DDRelease();
// The shut-down entry: the same as DDRelease.
void DDEnd();
// The fixed Direct3D render and sampler states.
void DDSetRenderStates();
// Turns a DirectDraw start code into a debug-log line; FALSE for the listed failure codes.
BOOL DDInitResult(int code);
// Fills the shifts and maxima of red, green and blue in the table from the primary surface's format
// (DirectDraw only).
void DDMaskToShift(int* table);

// The system's answer for the display driver's DDI version, asked before Direct3D starts: the shell
// registers its query at start-up. Without it the answer is 9, that of every system this program
// runs on.
void SetDisplayDdiVersionQuery(int (*query)());
// Free and total video memory in megabytes, as the shell's system query answers; the shell registers
// it at start-up. Without it both are 0: the total is unknown.
void SetVideoMemoryQuery(void (*query)(int* freeMB, int* totalMB));
void QueryVideoMemory(int* freeMB, int* totalMB);
