// The user32 calls the graphics code makes on its window: client area, styles, show state, cursor
// and display settings. The window itself is the shell's; it keeps the geometry here in step.
#pragma once
#include "platform/video/wintypes.h"

BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
LONG SetWindowLongA(HWND hwnd, int index, LONG value);
LONG GetWindowLongA(HWND hwnd, int index);
// Minimising (SW_SHOWMINNOACTIVE, SW_MINIMIZE, SW_SHOWMINIMIZED) and showing again reach the
// presenter. Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int command);
BOOL IsIconic(HWND hwnd);
// The display counter of the mouse cursor: shown while it is 0 or more. Returns the new count.
int ShowCursor(BOOL show);
// Only the refresh rate can change; CDS_TEST only checks.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
// The window's title (code page 932); GetWindowTextA copies at most size - 1 bytes and a zero.
BOOL SetWindowTextA(HWND hwnd, const char* text);
int GetWindowTextA(HWND hwnd, char* text, int size);

namespace video {
// Where the window's client area lies on the desktop and how big it is. A window the shell never
// described has a 640x480 client area at the desktop's origin.
void SetWindowClient(HWND hwnd, int x, int y, int width, int height);
namespace test {
// Forgets every window's geometry and style and shows the cursor (count 0) again.
void ResetWindows();
}  // namespace test
}  // namespace video
