// The main window of the program as seen by the rest of the game.
#pragma once
#include "platform/win/types.h"

// The main window; null before it exists and after it was destroyed.
extern HWND g_hMainWnd;
