#include "gfx/globals.h"

int DDInitDone = 0;
int DDWindowMode = 1;
HWND DDHwnd = nullptr;
