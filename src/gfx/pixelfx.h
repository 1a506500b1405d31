// Pixel effects of character drawing, the screen colour and the stage screen effects: translucent,
// tinted, turned, lens, mosaic, blur and disc blits and the colour change. In Direct3D the
// translucent, tinted and turned blits draw one textured quad when the destination is a render target
// and the source lives in video memory; every other case works on locked surfaces in software.
#pragma once
#include <cstdint>

#include "gfx/records.h"

// The source over the destination, both showing through. Direct3D quad: vertex alpha 255 -
// transparency (0 opaque, 255 invisible), drawn at once even inside a sprite layer. Software: always
// one half each; at 8 bits through the blend table. False only when a DirectDraw lock fails.
bool DDBlendBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
                BYTE* table, int transparency);
// DDBlendBlt at transparency 128.
bool DDHalfBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
               BYTE* table);

// The source pulled toward palette entry (colour & 0xFF) (4 bytes an entry: red, green, blue, flag).
// Direct3D: levels 1 to 4 keep a fixed share of the source, other positive levels give the colour,
// level 0 or less draws nothing. DirectDraw: the colour is mixed in half and half `level` times
// (8 bits through the blend table); level 0 draws nothing, a negative level copies. The pair
// (colour, operation) counts only in the Direct3D software form. False only when a DirectDraw lock
// fails.
bool DDTintBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int colorKey,
               const BYTE* palette, const BYTE* table, int colour, int level, const DWORD* pair);

// The source rectangle turned by `angle` degrees about the pivot (relative to its top-left corner).
// Direct3D quad: the unturned rectangle centred at (x, y), drawn with the current draw colour and
// operations. Software: the pivot at (x, y), pixels copied with the colour key. The two agree for
// the centre pivot. False when a lock fails.
bool DDRotateBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int pivotX, int pivotY, int angle,
                 DDSURFACEDATA* src, int sx, int sy, int colorKey);

// A disc of radius R around the centre drawn through a lens of depth D: the source is read at the
// offset scaled by D / sqrt(K*K - d*d), K = sqrt(D*D + R*R). False for D < 0, R < 0 or D >= K, and when
// a lock fails. The key flag counts at Direct3D 16 bits only, the clear-outside flag at Direct3D 32
// bits only; DirectDraw never copies the colour-key value.
bool DDLensBlt(DDSURFACEDATA* dst, int cx, int cy, int radius, int depth, DDSURFACEDATA* src, int scx, int scy,
               int colorKey, int clearOutside, const DWORD* pair);

// Blocks of `block` pixels from the rectangle's top left, each of one colour: the top-left pixel in
// Direct3D and at 8 bits, the average at DirectDraw 16 and 32 bits. A block of 0 or less draws
// nothing. False when a lock fails.
bool DDMosaic(DDSURFACEDATA* dst, int x, int y, int w, int h, int block, DDSURFACEDATA* src, int sx, int sy,
              int colorKey, const DWORD* pair);
// A box blur over 2 * halfHeight rows and 2 * halfWidth columns around each pixel (one more above and
// to the left than below and to the right), cut at the rectangle. Half sizes of 0 or less draw
// nothing. No 8-bit form. False when a lock fails.
bool DDBlurBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, int halfWidth, int halfHeight, DDSURFACEDATA* src,
               int sx, int sy, int colorKey, const DWORD* pair);

// A disc of the source cut row by row (or in bands of rows) with ordinary blits, in one sprite
// layer. Columns are limited to [scx - halfWidth, scx + halfWidth) and the source, rows to offsets
// [-halfHeight, halfHeight).
void DDDiscBlt(DDSURFACEDATA* dst, int cx, int cy, int halfWidth, int halfHeight, int radius, int band,
               DDSURFACEDATA* src, int scx, int scy, DWORD flags);

// Direct3D: the whole destination covered by the source's texture modulated by the colour at opacity
// 255 - alpha (a surface without a texture gives the flat colour). The rectangle is not used. Always 1.
int DDChangeColorFrom(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int alpha, BYTE red,
                      BYTE green, BYTE blue);
int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, BYTE bRed, BYTE bGreen,
                  BYTE bBlue);
