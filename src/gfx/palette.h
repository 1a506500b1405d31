// Palette numbers as device colours.
#pragma once
#include "platform/win/types.h"

// The device colour of a palette number: Direct3D ARGB (number 0 is the transparent texel), or the
// screen's pixel value in DirectDraw.
DWORD PalNumToRGB(DWORD dwPalNum);
