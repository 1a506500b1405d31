// Close requests that game code posted to the main window, taken from its queue.
#pragma once
#include "core/mainwnd.h"
#include "platform/win/messages.h"

inline int TakeCloseRequests() {
  int n = 0;
  MSG m;
  while (PeekMessage(&m, g_hMainWnd, 0, 0, PM_REMOVE))
    if (m.message == WM_CLOSE) ++n;
  return n;
}
