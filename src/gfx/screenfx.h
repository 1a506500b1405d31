// Screen effects composed of blits and fills: framed boxes, numbers from a strip of digit cells,
// raster waves, comb shifts, a turning card, a four-way split, palette blending and rotation, the
// screen fade-out and fade-in, and the software fade of a whole surface.
#pragma once
#include "gfx/records.h"

// Four bars of thickness t inside the rectangle, in one box batch; the batch's result.
int DDDrawFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, int t, DWORD palNum);
// The source's top-left w x h with its transparent colour at (x, y), and a frame of thickness t
// around the outside of the rectangle.
int DDBltWithFrame(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int t, DWORD palNum);
// The decimal digits of value from a strip (digit d at sx + d x cellW, sy), right-aligned in a field
// of n cells or centred in it, overflowing to the right. A negative value draws the digits of its
// absolute value. The last argument is not used.
int DDDrawNumber(DDSURFACEDATA* dst, int x, int y, int cellW, int cellH, DDSURFACEDATA* src, int sx, int sy,
                 DWORD flags, int value, int n, int centre, int reserved);
// Rows (or columns) in bands of `thickness` lines, each shifted by amplitude x sin(waves x (phase +
// accumulated angle)) degrees, the angle raised by 360 / lines per line before each band.
int DDWaveBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int waves, double amplitude, double phase,
              int thickness, DDSURFACEDATA* src, int sx, int sy, DWORD flags, int columns);
// Stripes of width e shifted alternately by +f (even) and -f (odd); e = 0 is a plain blit.
int DDCombBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int e, int f, DDSURFACEDATA* src, int sx, int sy,
              DWORD flags, int columns);
// One frame (step) of a card turning horizontally (direction 0) or vertically (1).
int DDTurnBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* front, int fx, int fy,
              DDSURFACEDATA* back, int bx, int by, int sw, int sh, DWORD flags, int step, int direction);
// The four quarters of the source pushed outward by g.
int DDSplitBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int g,
               DWORD flags);

// Entries first..last of src blended toward the colour into dst (weight 256 keeps the source), flags 1.
void DDBlendPalette(PALETTEENTRY* dst, int first, int last, int weight, BYTE red, BYTE green, BYTE blue,
                    const PALETTEENTRY* src);
// The whole palette copied, then entries first..last rotated by n: direction 0 up, 1 down. Nothing at
// 24 bits.
void DDRotatePalette(PALETTEENTRY* dst, int first, int last, int n, int direction, const PALETTEENTRY* src);

// One step of the screen fade-out (fade-in); 1 when the fade is complete. Each keeps its angle per
// back end between calls; skip (or a step of 0 or less) completes it at once.
int DDFadeOut(PALETTEENTRY* work, int first, int last, BYTE red, BYTE green, BYTE blue, double step,
              const PALETTEENTRY* src, int skip);
int DDFadeIn(PALETTEENTRY* work, int first, int last, BYTE red, BYTE green, BYTE blue, double step,
             const PALETTEENTRY* src, int skip);

// DirectDraw 16 and 32 bits: dst (its own size) := src faded toward the colour, alpha 0 (colour only)
// to 256 (source only). Pixels outside the source are left as they are. 1 when done (and in
// Direct3D), 0 when a lock fails.
int DDFade_UnPal(DDSURFACEDATA* dst, int alpha, BYTE red, BYTE green, BYTE blue, DDSURFACEDATA* src);
