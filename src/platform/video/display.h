// The virtual display behind the DirectDraw and Direct3D stand-ins: the desktop, the mode of a
// program that holds the screen exclusively, the refresh rate, the video memory, the texture limits
// of the graphics device, and the switches that tests use to make the machine behave otherwise.
#pragma once
#include <cstddef>

#include "platform/video/pixels.h"

namespace video {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bpp = 0;
  int refresh = 0;
};

DisplayMode DesktopMode();

// A rectangle of the desktop: its top-left and size.
struct Area {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
// The part of the desktop that windows may use (the desktop without the panels of the desktop
// environment); the whole desktop until a display says otherwise.
Area WorkArea();
// A real display's desktop size and work area (the depth and refresh stay the machine's).
void SetDesktopArea(int width, int height, const Area& work);
// The exclusive mode while a program holds the screen, otherwise the desktop.
DisplayMode CurrentMode();
// A program takes the whole screen in a mode of its own (the presenter goes full screen), or gives
// it back. The owner is the object that holds it; only it can give it back.
void EnterExclusive(const void* owner, const DisplayMode& mode);
void LeaveExclusive(const void* owner);
bool HasExclusive(const void* owner);

// The pixel format of a screen of that depth: 8 palettised, 16 as R5G6B5 (or X1R5G5B5 when the
// machine is set so), 32 as X8R8G8B8. False for any other depth.
bool FormatForDepth(int bpp, PixelFormat* format);
// Extra bytes at the end of every surface row.
int PitchPad();

// Whether the display can refresh `hz` times a second; 0 always can (the display's own rate).
bool RefreshSupported(int hz);
// Switches the desktop's refresh rate; false when the display cannot run at it.
bool SetDesktopRefresh(int hz);

// Video memory shared by DirectDraw surfaces and Direct3D resources in the device's own memory.
bool ChargeVideoMemory(size_t bytes);
void RefundVideoMemory(size_t bytes);
size_t VideoMemoryTotal();
size_t VideoMemoryFree();

struct TextureLimits {
  bool pow2 = false;
  bool squareOnly = false;
  int maxWidth = 4096;
  int maxHeight = 4096;
};
TextureLimits GetTextureLimits();

bool Direct3DCreateFails();
// 0: device creation works; 1: it fails with hardware vertex processing; 2: it always fails.
int DeviceCreationFailures();

namespace test {
// Every switch of the machine back to its default: a 1920x1080 desktop at 32 bits and 60 Hz that can
// switch to 60 Hz, R5G6B5 at 16 bits, no row padding, 256 MB of video memory, textures of any size up
// to 4096, Direct3D available. Objects still alive are not touched.
void ResetMachine();
// The desktop's size and depth; its work area becomes the whole desktop.
void SetDesktop(int width, int height, int bpp);
// The desktop's refresh rate and whether it can be switched to 60 Hz.
void SetRefresh(int hz, bool canRunAt60);
void Use555(bool on);
void SetPitchPad(int bytes);
void SetVideoMemory(size_t bytes);
void SetTextureLimits(const TextureLimits& limits);
void FailDirect3DCreate(bool on);
void FailCreateDevice(int failures);
// The Direct3D device is lost (its own memory's contents are gone); it can be reset only after
// AllowDeviceReset, as when the program gets the screen back.
void LoseDevice();
void AllowDeviceReset();
// Every DirectDraw surface in video memory is lost and its contents are gone.
void LoseSurfaces();
}  // namespace test

}  // namespace video
