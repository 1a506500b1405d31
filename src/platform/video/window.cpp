#include "platform/video/window.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <mutex>

#include "platform/video/display.h"
#include "platform/video/presenter.h"
#include "platform/win/messages.h"

namespace {

struct WindowState {
  int x = 0;
  int y = 0;
  int width = 640;
  int height = 480;
  LONG style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  LONG exStyle = 0;
  bool minimized = false;
  std::string title;
};

std::mutex g_mutex;
std::map<HWND, WindowState> g_windows;
int g_cursorCount = 0;

// The state of a live window, made on first use; null for a window that does not exist.
WindowState* StateOf(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  return &g_windows[hwnd];
}

}  // namespace

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w || !rect) return FALSE;
  *rect = {0, 0, w->width, w->height};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w || !point) return FALSE;
  point->x += w->x;
  point->y += w->y;
  return TRUE;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w) return 0;
  LONG old = 0;
  if (index == GWL_STYLE) {
    old = w->style;
    w->style = value;
  } else if (index == GWL_EXSTYLE) {
    old = w->exStyle;
    w->exStyle = value;
  }
  return old;
}

LONG GetWindowLongA(HWND hwnd, int index) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w) return 0;
  if (index == GWL_STYLE) return w->style;
  if (index == GWL_EXSTYLE) return w->exStyle;
  return 0;
}

BOOL ShowWindow(HWND hwnd, int command) {
  bool wasVisible, minimize;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowState* w = StateOf(hwnd);
    if (!w) return FALSE;
    wasVisible = (w->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
      w->style &= ~WS_VISIBLE;
    } else {
      w->style |= WS_VISIBLE;
      if (command == SW_SHOWMINNOACTIVE || command == SW_MINIMIZE || command == SW_SHOWMINIMIZED)
        w->minimized = true;
      else if (command == SW_SHOWNORMAL || command == SW_RESTORE)
        w->minimized = false;
    }
    minimize = w->minimized;
  }
  std::shared_ptr<video::Presenter> presenter = video::CurrentPresenter();
  if (command == SW_HIDE) {
    presenter->SetVisible(false);
    return wasVisible;
  }
  presenter->SetMinimized(minimize);
  presenter->SetVisible(true);
  return wasVisible;
}

BOOL IsIconic(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  return w && w->minimized;
}

int ShowCursor(BOOL show) {
  int count;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    count = show ? ++g_cursorCount : --g_cursorCount;
  }
  video::CurrentPresenter()->SetCursorVisible(count >= 0);
  return count;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (!mode) return DISP_CHANGE_SUCCESSFUL;
  if (mode->dmFields & (DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT)) return DISP_CHANGE_BADMODE;
  if (!(mode->dmFields & DM_DISPLAYFREQUENCY)) return DISP_CHANGE_SUCCESSFUL;
  int hz = static_cast<int>(mode->dmDisplayFrequency);
  if (!video::RefreshSupported(hz)) return DISP_CHANGE_BADMODE;
  if (flags & CDS_TEST) return DISP_CHANGE_SUCCESSFUL;
  return video::SetDesktopRefresh(hz) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

BOOL SetWindowTextA(HWND hwnd, const char* text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w) return FALSE;
  w->title = text ? text : "";
  return TRUE;
}

int GetWindowTextA(HWND hwnd, char* text, int size) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w || !text || size <= 0) return 0;
  const size_t n = std::min(w->title.size(), static_cast<size_t>(size - 1));
  std::memcpy(text, w->title.data(), n);
  text[n] = 0;
  return static_cast<int>(n);
}

namespace video {

void SetWindowClient(HWND hwnd, int x, int y, int width, int height) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowState* w = StateOf(hwnd);
  if (!w) return;
  w->x = x;
  w->y = y;
  w->width = width;
  w->height = height;
}

namespace test {
void ResetWindows() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_windows.clear();
    g_cursorCount = 0;
  }
  video::CurrentPresenter()->SetCursorVisible(true);
}
}  // namespace test

}  // namespace video
