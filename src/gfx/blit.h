// Blits: same-size and stretched copies between surfaces, with the source's transparent colour or
// opaque, in both back ends; the clipping they share, mirrored aliases, the virtual back buffer and
// the debug text drawn from a glyph sheet.
#pragma once
#include "core/text.h"
#include "gfx/records.h"

// Direct3D: a record with a partner stands for the partner.
void DDFollowPartner(DDSURFACEDATA** lpSD);
// Direct3D with virtual mode on: BackBuffer stands for VirBackBuffer (1 when it was replaced).
int DDRedirectBackBuffer(DDSURFACEDATA** lpSD);
// Direct3D, a source with a partner: the requested cell area of the mirrored alias as the area of the
// partner's unmirrored picture, read backwards.
void DDMirrorSourceRect(DDSURFACEDATA* src, int* sx, int* sy, int* sw, int* sh);
// Clips a blit to both surfaces in place; 1 when something remains to draw.
int DDClipBlt(DDSURFACEDATA* dst, int* x, int* y, int* w, int* h, DDSURFACEDATA* src, int* sx, int* sy, int* sw,
              int* sh);
// 1 for BackBuffer in full screen, whose 16-bit pixels have the back buffer's own format.
int DDIsFullScreenBackBuffer(const DDSURFACEDATA* lpSD);

// Flags 1: with the source's transparent colour; 0: an opaque copy. A negative source width or height
// reads the source backwards (Direct3D). DirectDraw returns the device's result (0 is success).
int DDStretchBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                 DWORD flags);
int DDBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, DWORD flags);
// The same with a draw colour and colour operation (a pair of DWORDs) for the one blit (Direct3D).
int DDStretchBltBlend(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw,
                      int sh, DWORD flags, const DWORD* blend);
int DDBltBlend(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, DWORD flags,
               const DWORD* blend);

// Single-byte text from a glyph sheet of 16 columns, one cell per character; "\n" and the screen's
// right edge start a new line.
int DDDebugText(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                const char* text);
int DDDebugPrintf(DDSURFACEDATA* dst, int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* sheet,
                  const char* format, ...) PRINTF_LIKE(7, 8);
