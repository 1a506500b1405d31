// State of the graphics library: the running back end's objects and context, the mode, the fixed
// screen surfaces, the palettes, the pixel-format tables and the list of Direct3D surfaces.
#pragma once
#include "core/checked.h"
#include "gfx/records.h"
#include "platform/win/types.h"

extern DTCONTEXT* lpDTCon;  // non-null exactly while the Direct3D back end runs
extern DDCONTEXT* lpDDCon;  // non-null exactly while the DirectDraw back end runs
extern IDirect3DDevice9* lpDevice;
extern IDirect3D9* lpD3D;
extern IDirectDraw7* lpDD;
extern IDirectDrawPalette* lpDDPal;       // the screen's palette
extern IDirectDrawClipper* lpDDClipper;   // the windowed primary's clipper

extern int DDBackEnd;  // 0 DirectDraw, otherwise Direct3D
extern HWND DDHwnd;    // the window the library draws into and owns its boxes
extern int DDScreenWidth;
extern int DDScreenHeight;
extern int DDScreenBpp;    // 8, 16, 24 or 32
extern int DDScreenBytes;  // DDScreenBpp / 8
extern int DDWindowMode;   // 0 full screen, 1 in a window
extern int DDVSync;
extern int DDBackBufferCount;
extern int DDRefreshRate;
extern int DDRefreshSwitch;
extern int DDInitDone;   // 1 after the library started successfully
// The palette display mode: drawing shows palette pictures as they are (the alternate picture sets,
// no colour cycling of the range display at 8 bits). Off unless start-up turns it on.
extern int DDPaletteDisplayMode;
extern DWORD DDColorKey;  // the DirectDraw colour-key value of new surfaces
extern RECT DDClientRect;  // the window's client area in desktop coordinates (DirectDraw in a window)

// The application's surface table given to DDInit, walked by restore, reload and release.
extern DDSURFACEDATA* DDAppSurfaces;
extern DDBITMAPDATA* DDAppBitmaps;
extern int DDAppCount;

extern DDSURFACEDATA BackBuffer;
extern DDSURFACEDATA VirBackBuffer;
extern DDSURFACEDATA WorkSD;
extern DDSURFACEDATA ScreenCopySD;
extern DDSURFACEDATA PrimarySD;

extern PALETTEENTRY DDPalette[256];      // the loaded palette that palette numbers index
extern PALETTEENTRY DDWorkPalette[256];  // the palette shown at 8 bits

// Red, green, blue and alpha shifts, then red, green, blue and alpha maxima.
extern int DDPixelFormat[8];
extern int DDBackPixelFormat[8];

// Every Direct3D surface with a texture of its own, for the recovery after a lost device.
extern cCheckedList<DDSURFACEDATA*> DDSurfaceList;
