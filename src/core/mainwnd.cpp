#include "core/mainwnd.h"

HWND g_hMainWnd = nullptr;
