#include "platform/win/sdlpump.h"

#include <SDL.h>

#include <string>

#include "platform/text/cp932.h"
#include "platform/video/display.h"
#include "platform/video/presenter.h"
#include "platform/video/sdl_presenter.h"
#include "platform/video/window.h"
#include "platform/win/keys.h"
#include "platform/win/menu.h"
#include "platform/win/messages.h"
#include "platform/win/sdlinput.h"
#include "platform/win/winapp.h"

namespace {

std::shared_ptr<video::SdlPresenter> g_presenter;
HWND g_hwnd = nullptr;
std::string g_title;
// The window's place as last handed to the display or reported by it.
RECT g_placed{0, 0, 0, 0};
// The machine's desktop before a real display's took its place.
video::DisplayMode g_desktopBefore;
video::Area g_workBefore;

// Where the shell keeps the window: its client area on the desktop.
RECT PlaceOfWindow() {
  RECT client{};
  GetClientRect(g_hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(g_hwnd, &origin);
  return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// A place the shell gave the window goes to the display.
void FollowPlacement() {
  RECT now = PlaceOfWindow();
  if (now.left == g_placed.left && now.top == g_placed.top && now.right == g_placed.right &&
      now.bottom == g_placed.bottom)
    return;
  g_placed = now;
  g_presenter->SetWindowRect(now.left, now.top, now.right - now.left, now.bottom - now.top);
}

// A point of the window in the picture's coordinates.
POINT PictureOfWindowPoint(int x, int y) {
  float lx = 0, ly = 0;
  SDL_RenderWindowToLogical(static_cast<SDL_Renderer*>(g_presenter->NativeRenderer()), x, y, &lx, &ly);
  return POINT{static_cast<LONG>(lx), static_cast<LONG>(ly)};
}
std::string g_openError;  // why the last open failed (UTF-8)

constexpr LPARAM MakeLong(int low, int high) {
  return static_cast<LPARAM>((static_cast<uint32_t>(high & 0xFFFF) << 16) | static_cast<uint32_t>(low & 0xFFFF));
}

void HandleWindowEvent(const SDL_WindowEvent& w) {
  switch (w.event) {
    case SDL_WINDOWEVENT_CLOSE:
      PostMessage(g_hwnd, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PostMessage(g_hwnd, WM_ACTIVATEAPP, 1, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      PostMessage(g_hwnd, WM_ACTIVATEAPP, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED: {
      // Full screen moves the window over the display; its place in a window stays.
      if (g_presenter->IsFullScreen()) break;
      RECT client{};
      GetClientRect(g_hwnd, &client);
      video::SetWindowClient(g_hwnd, w.data1, w.data2, client.right, client.bottom);
      g_placed = PlaceOfWindow();
      PostMessage(g_hwnd, WM_MOVE, 0, MakeLong(w.data1, w.data2));
      break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      PostMessage(g_hwnd, WM_SIZE, 0, MakeLong(w.data1, w.data2));
      break;
    default:
      break;
  }
}

}  // namespace

bool OpenSdlMainWindow(HWND hwnd, int width, int height) {
  auto presenter = std::make_shared<video::SdlPresenter>();
  if (!presenter->Open("", width, height, 100)) {
    g_openError = SDL_GetError();
    return false;
  }
  g_openError.clear();
  g_presenter = presenter;
  g_hwnd = hwnd;
  g_title.clear();
  g_placed = RECT{0, 0, 0, 0};
  // Windows are placed on the display's own desktop.
  g_desktopBefore = video::DesktopMode();
  g_workBefore = video::WorkArea();
  SDL_DisplayMode mode{};
  SDL_Rect usable{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && SDL_GetDisplayUsableBounds(0, &usable) == 0)
    video::SetDesktopArea(mode.w, mode.h, video::Area{usable.x, usable.y, usable.w, usable.h});
  video::SetPresenter(presenter);
  OpenSdlJoysticks();
  return true;
}

void CloseSdlMainWindow() {
  if (!g_presenter) return;
  CloseSdlJoysticks();
  video::SetPresenter(nullptr);
  g_presenter->Close();
  g_presenter.reset();
  g_hwnd = nullptr;
  video::SetDesktopArea(g_desktopBefore.width, g_desktopBefore.height, g_workBefore);
}

void PumpSdlMainWindow() {
  if (!g_presenter || !g_presenter->IsOpen()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    // The window's menu: the right button on the picture, or Alt+Space (which the game does not see).
    if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_RIGHT) {
      POINT at = PictureOfWindowPoint(e.button.x, e.button.y);
      PostMessage(g_hwnd, WM_SYSCOMMAND, SC_MOUSEMENU, MakeLong(at.x, at.y));
    } else if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_SPACE && (e.key.keysym.mod & KMOD_ALT)) {
      if (!e.key.repeat) PostMessage(g_hwnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
      continue;
    }
    int vKey = 0;
    bool down = false;
    if (HandleSdlInputEvent(e, &vKey, &down)) {
      if (vKey) PostMessage(g_hwnd, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vKey), 0);
      continue;
    }
    if (e.type == SDL_QUIT) PostMessage(g_hwnd, WM_CLOSE, 0, 0);
    else if (e.type == SDL_WINDOWEVENT) HandleWindowEvent(e.window);
  }
  char title[512];
  GetWindowTextA(g_hwnd, title, sizeof title);
  if (g_title != title) {
    g_title = title;
    g_presenter->SetTitle(Cp932ToUtf8(g_title));
  }
  FollowPlacement();
  g_presenter->Pump();
}

video::SdlPresenter* SdlMainPresenter() { return g_presenter.get(); }
const std::string& SdlMainWindowError() { return g_openError; }
HWND SdlMainWindowHandle() { return g_presenter ? g_hwnd : nullptr; }
