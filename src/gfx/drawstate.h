// Draw state of the Direct3D back end: draw colour, texture-stage operations, scenes, render
// targets and the virtual back buffer. In DirectDraw these do nothing.
#pragma once
#include "gfx/records.h"

void DDSetDrawColor(DWORD argb);
void DDResetDrawColor();
void DDSetColorOp(DWORD op);
void DDResetColorOp();
void DDSetAlphaOp(DWORD op);
void DDResetAlphaOp();

// 0 without a device; 1 when a scene is open (already or now).
int DDBeginScene();
void DDEndScene();
// Makes the surface the device's render target; 0 when it is not a render target or the device
// refuses it.
int DDSetRenderTarget(int reserved, DDSURFACEDATA* lpSD);

// Virtual mode on: everything aimed at BackBuffer lands in VirBackBuffer until it is turned off,
// which copies VirBackBuffer onto BackBuffer.
void DDSetVirtualBackBuffer(int on);
void DDCopyVirtualBackBuffer(DDSURFACEDATA* dst, DDSURFACEDATA* src);
