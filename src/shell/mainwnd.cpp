#include "shell/mainwnd.h"

HWND g_hMainWnd = nullptr;
