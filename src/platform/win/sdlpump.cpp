#include "platform/win/sdlpump.h"

#include <SDL.h>

#include <string>

#include "platform/text/cp932.h"
#include "platform/video/presenter.h"
#include "platform/video/sdl_presenter.h"
#include "platform/video/window.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/sdlinput.h"
#include "platform/win/winapp.h"

namespace {

std::shared_ptr<video::SdlPresenter> g_presenter;
HWND g_hwnd = nullptr;
std::string g_title;
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
      RECT client{};
      GetClientRect(g_hwnd, &client);
      video::SetWindowClient(g_hwnd, w.data1, w.data2, client.right, client.bottom);
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
}

void PumpSdlMainWindow() {
  if (!g_presenter || !g_presenter->IsOpen()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
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
  g_presenter->Pump();
}

video::SdlPresenter* SdlMainPresenter() { return g_presenter.get(); }
const std::string& SdlMainWindowError() { return g_openError; }
HWND SdlMainWindowHandle() { return g_presenter ? g_hwnd : nullptr; }
