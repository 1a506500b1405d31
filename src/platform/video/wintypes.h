// Windows GDI and user32 types and constants that the graphics code uses, with their Windows names
// and values.
#pragma once
#include "platform/win/types.h"

struct HDC__;
typedef HDC__* HDC;
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HBITMAP;
typedef void* HINSTANCE;

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// LoadImageA
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x00000010;
constexpr UINT LR_CREATEDIBSECTION = 0x00002000;

// GetDeviceCaps
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int VREFRESH = 116;

// Window styles (SetWindowLongA)
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr LONG WS_POPUP = static_cast<LONG>(0x80000000u);
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr LONG WS_THICKFRAME = 0x00040000;
constexpr LONG WS_EX_TOPMOST = 0x00000008;

// ShowWindow
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_RESTORE = 9;

// ChangeDisplaySettingsA
struct DEVMODEA {
  WORD dmSize;
  DWORD dmFields;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFrequency;
};

constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

constexpr DWORD CDS_UPDATEREGISTRY = 0x00000001;
constexpr DWORD CDS_TEST = 0x00000002;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;

constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_RESTART = 1;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;
