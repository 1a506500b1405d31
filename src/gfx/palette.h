// The transparent colour and the palette: palette numbers as device colours, the transparent colour
// of each back end and depth, and palettes read from bitmap files.
#pragma once
#include "gfx/records.h"

// The device colour of a palette number: Direct3D ARGB (number 0 is the transparent texel), or the
// screen's pixel value in DirectDraw.
DWORD PalNumToRGB(DWORD dwPalNum);
// DirectDraw 16 bits: the entry (channels at the screen format's scale) as a pixel.
WORD DDPalToRGB16(const PALETTEENTRY& entry);

// Sets the transparent colour. At 16 bits in Direct3D the channels are at the texture format's scale.
void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue);
// Sets the transparent colour from the top-left pixel of a bitmap file; 0 when it cannot be read.
int DDSetTransmitFromFile(const char* file);
// Fills the 256-entry table from a bitmap file: its colour table, and at 16 bits and more the block of
// 16 x 16 pixels at rows 8 to 23. At 8 bits (DirectDraw) the screen palette takes the table. FALSE
// only when the file cannot be loaded.
BOOL DDLoadPaletteFromFile(PALETTEENTRY* table, const char* file);
// Reads 256 entries (red, green, blue, flag) from the 16 x 16 pixels at columns 0 to 15 of rows 8 to
// 23 of a 16- or 32-bit surface, row by row; pixels outside the surface leave their entries. Always 1.
int DDSetPalette_UnPal(BYTE* palette, DDSURFACEDATA* lpSD);
