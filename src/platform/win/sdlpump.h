// The window thread's event source for a window shown through SDL: each pump takes SDL's events and
// turns them into the window's messages (close, activation, keys, moves and sizes) and the input state,
// applies a changed title and shows the newest frame.
#pragma once
#include <memory>
#include <string>

#include "platform/win/types.h"

namespace video {
class SdlPresenter;
}

// Opens the SDL window for `hwnd` at the given client size and makes it the presenter of the frames;
// false when SDL cannot show a window (no display answers, say), with the reason in
// SdlMainWindowError (UTF-8; empty after an open that worked).
bool OpenSdlMainWindow(HWND hwnd, int width, int height);
const std::string& SdlMainWindowError();
// Closes it again; frames go to a headless presenter afterwards.
void CloseSdlMainWindow();
// One pump on the window thread; nothing while no SDL window is open.
void PumpSdlMainWindow();
// The presenter of the open SDL main window and its window handle; null while none is open.
video::SdlPresenter* SdlMainPresenter();
HWND SdlMainWindowHandle();
