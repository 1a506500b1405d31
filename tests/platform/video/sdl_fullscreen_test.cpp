// Full screen on a real X display: the window must cover the display, so that the whole picture shows
// scaled to fit with bars, also on a desktop without a window manager (the virtual display of a test
// run). Runs when PLAYER_TEST_DISPLAY names such a display (for example ":44" of an Xvfb); skipped
// otherwise, since the test programs use SDL's dummy driver.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/video/sdl_presenter.h"

namespace {

// The X window's real place and size on the root window, as the X server holds them.
SDL_Rect XGeometry(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return SDL_Rect{-1, -1, -1, -1};
  XWindowAttributes attributes{};
  XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes);
  int x = 0, y = 0;
  ::Window child;
  XTranslateCoordinates(info.info.x11.display, info.info.x11.window, attributes.root, 0, 0, &x, &y, &child);
  return SDL_Rect{x, y, attributes.width, attributes.height};
}

TEST(SdlFullScreen, TheWindowCoversTheDisplayWithoutAWindowManager) {
  const char* display = std::getenv("PLAYER_TEST_DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "PLAYER_TEST_DISPLAY names no X display";
  const std::string savedDriver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
  setenv("DISPLAY", display, 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  {
    video::SdlPresenter presenter;
    ASSERT_TRUE(presenter.Open("full screen", 640, 480, 100));
    SDL_Rect bounds{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0);
    presenter.SetWindowRect(100, 50, 640, 480);
    presenter.SetVisible(true);
    presenter.Pump();
    presenter.SetFullScreen(true);
    video::Frame frame;
    frame.width = 640;
    frame.height = 480;
    frame.pixels.assign(640 * 480, 0xFF2060A0);
    presenter.Present(std::move(frame));
    presenter.Pump();
    SDL_Window* window = static_cast<SDL_Window*>(presenter.NativeWindow());
    SDL_Rect real{};
    for (int i = 0; i < 100; ++i) {  // the X server applies the change a little later
      SDL_PumpEvents();
      real = XGeometry(window);
      if (real.w == bounds.w && real.h == bounds.h) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(real.x, bounds.x);
    EXPECT_EQ(real.y, bounds.y);
    EXPECT_EQ(real.w, bounds.w);
    EXPECT_EQ(real.h, bounds.h);

    // Back in a window: its place and size come back.
    presenter.SetFullScreen(false);
    presenter.Pump();
    for (int i = 0; i < 100; ++i) {
      SDL_PumpEvents();
      real = XGeometry(window);
      if (real.w == 640) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(real.w, 640);
    EXPECT_EQ(real.h, 480);
    EXPECT_EQ(real.x, 100);
    EXPECT_EQ(real.y, 50);
    presenter.Close();
  }
  setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);
}

}  // namespace
