// The GDI calls of the graphics code: the window's device context for its colour depth, and bitmap
// files loaded as DIB sections.
#pragma once
#include "platform/video/bmp.h"
#include "platform/video/wintypes.h"

HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
// BITSPIXEL, HORZRES and VERTRES of the desktop, VREFRESH of the display; 0 for other indexes.
int GetDeviceCaps(HDC hdc, int index);

// IMAGE_BITMAP with LR_LOADFROMFILE: the file (a game path) as a DIB section, rows bottom-up at the
// file's bit count. Null when the file is missing or not a bitmap this layer reads.
HANDLE LoadImageA(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags);
// Fills a BITMAP (size sizeof(BITMAP)) or a DIBSECTION (size sizeof(DIBSECTION)); returns the bytes
// written, 0 for an unknown object or size.
int GetObjectA(HGDIOBJ object, int size, void* out);
BOOL DeleteObject(HGDIOBJ object);
// The colour table of a DIB section of 8 bits or fewer: entries [start, start + count) that exist.
UINT GetDIBColorTable(HGDIOBJ bitmap, UINT start, UINT count, RGBQUAD* colors);

namespace video {
// The decoded image behind a bitmap handle, or null.
const BmpImage* BitmapImage(HGDIOBJ bitmap);
}  // namespace video
