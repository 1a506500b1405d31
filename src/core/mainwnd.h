// The main window as the rest of the program sees it: failures that end the program post WM_CLOSE to
// it. The shell sets the handle when it makes the window and clears it when the window is destroyed.
#pragma once
#include "platform/win/types.h"

// The main window; null before it exists and after it was destroyed.
extern HWND g_hMainWnd;
