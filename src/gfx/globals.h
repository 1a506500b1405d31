// State of the graphics library that the rest of the game reads.
#pragma once
#include "platform/win/types.h"

extern int DDInitDone;    // 1 after the library started successfully
extern int DDWindowMode;  // 0 full screen, 1 in a window
extern HWND DDHwnd;       // the window the library draws into and owns its boxes
