// The GDI calls of the graphics code: the window's device context for its colour depth, bitmap
// files loaded as DIB sections, memory device contexts that hold one, blits from them onto the
// device context of a DirectDraw surface, and fonts that draw and measure code page 932 text.
#pragma once
#include "platform/video/bmp.h"
#include "platform/video/pixels.h"
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

constexpr DWORD SRCCOPY = 0x00CC0020;

// A memory device context; a bitmap selected into it is the source of BitBlt and StretchBlt.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// Selects a bitmap into a memory device context; returns the one it held before (null at first), or
// null for a bad handle.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// Copies from the bitmap of a memory device context onto a surface's device context (SRCCOPY only).
// A negative destination width or height mirrors: the rectangle then runs from x (or y) back
// |w| - 1 pixels, so x + w - 1 with -w covers the columns x .. x + w - 1 in reverse. Stretching
// takes the nearest source pixel (sx + k * sw / |w|); pixels outside either side are skipped. Colours
// are written as GDI writes them: channels cut by a shift, the unused bits 0, and at 8 bits the first
// palette entry of that colour, else the nearest one.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);

// Fonts. A font is drawn through the text service in one colour (monochrome glyphs).
typedef HGDIOBJ HFONT;
typedef DWORD COLORREF;  // 0x00BBGGRR
struct SIZE {
  LONG cx;
  LONG cy;
};
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SHIFTJIS_CHARSET = 128;

// A font of the cell height and average character width (0: the face's own) for a face name of the
// game; the other arguments are accepted and not used.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* face);
// Selecting a font works on every device context (a surface's, a window's, a memory one) and returns
// the font selected before (null at first).
int SetBkMode(HDC hdc, int mode);
COLORREF SetTextColor(HDC hdc, COLORREF color);
// n bytes of text with the cell's top-left at (x, y), in the text colour written by the GDI pixel
// rule, on a surface's device context; the background is never drawn.
BOOL TextOutA(HDC hdc, int x, int y, const char* text, int n);
// cx the sum of the advances of n bytes, cy the cell height of the selected font.
BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int n, SIZE* size);

namespace video {
// The decoded image behind a bitmap handle, or null.
const BmpImage* BitmapImage(HGDIOBJ bitmap);
// A device context that draws into the pixels (a DirectDraw surface's); at 8 bits through the palette
// given (256 entries; null: black). Freed with DeleteDC.
HDC CreatePixelsDC(PixelBuffer* pixels, const PALETTEENTRY* palette);
// The colour (0xAARRGGBB, alpha ignored) as GDI writes it into a pixel of the format.
uint32_t GdiPixel(PixelFormat format, uint32_t argb, const PALETTEENTRY* palette);
}  // namespace video
