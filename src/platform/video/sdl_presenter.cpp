#include "platform/video/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace video {

struct SdlPresenter::Impl {
  mutable std::mutex mutex;
  // Handed over by any thread, taken by Pump.
  Frame pending;
  bool hasPending = false;
  bool wantFullScreen = false;
  bool wantMinimized = false;
  bool wantCursor = true;
  bool wantVisible = false;
  bool visibilityChanged = false;
  int wantZoom = 100;
  bool wantRect = false;
  SDL_Rect pendingRect{0, 0, 0, 0};
  std::string wantTitle;
  bool titleChanged = false;
  bool changed = false;
  bool wakePosted = false;
  bool capture = false;
  Frame captured;
  uint32_t wakeType = static_cast<uint32_t>(-1);
  std::atomic<bool> open{false};
  std::atomic<uint64_t> shown{0};

  // Owned by the opening thread.
  std::thread::id owner;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  int pictureWidth = 0;
  int pictureHeight = 0;
  bool fullScreen = false;
  bool minimized = false;
  int zoom = 100;
  bool hasRect = false;  // placed holds the window's place in a window
  SDL_Rect placed{0, 0, 0, 0};

  // Called with the mutex held.
  void Wake() {
    if (!open || wakePosted || wakeType == static_cast<uint32_t>(-1)) return;
    SDL_Event e{};
    e.type = wakeType;
    if (SDL_PushEvent(&e) == 1) wakePosted = true;
  }
};

SdlPresenter::SdlPresenter() : impl_(std::make_unique<Impl>()) {}

SdlPresenter::~SdlPresenter() { Close(); }

namespace {

// Drivers that draw into memory only. SDL falls back to them when no display answers; unless one is
// asked for by name (SDL_VIDEODRIVER), a window there would run unseen.
bool ShowsNoWindow(const char* driver) {
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                    std::strcmp(driver, "evdev") == 0);
}

}  // namespace

bool SdlPresenter::Open(const std::string& titleUtf8, int width, int height, int zoomPercent) {
  if (impl_->open || width <= 0 || height <= 0) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (ShowsNoWindow(SDL_GetCurrentVideoDriver()) && !(asked && *asked)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const char* x = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    SDL_SetError("no display answers (DISPLAY=%s, WAYLAND_DISPLAY=%s)", x ? x : "", wayland ? wayland : "");
    return false;
  }
  Impl& m = *impl_;
  m.zoom = zoomPercent > 0 ? zoomPercent : 100;
  m.pictureWidth = width;
  m.pictureHeight = height;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  m.window = SDL_CreateWindow(titleUtf8.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              width * m.zoom / 100, height * m.zoom / 100, SDL_WINDOW_HIDDEN);
  if (!m.window) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  m.renderer = SDL_CreateRenderer(m.window, -1, SDL_RENDERER_ACCELERATED);
  if (!m.renderer) m.renderer = SDL_CreateRenderer(m.window, -1, SDL_RENDERER_SOFTWARE);
  if (!m.renderer) {
    SDL_DestroyWindow(m.window);
    m.window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  SDL_RenderSetLogicalSize(m.renderer, width, height);
  m.owner = std::this_thread::get_id();
  std::lock_guard<std::mutex> lock(m.mutex);
  m.wantZoom = m.zoom;
  m.wakeType = SDL_RegisterEvents(1);
  m.wakePosted = false;
  m.open = true;
  return true;
}

void SdlPresenter::Close() {
  Impl& m = *impl_;
  if (!m.open) return;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    m.open = false;
  }
  if (m.texture) SDL_DestroyTexture(m.texture);
  SDL_DestroyRenderer(m.renderer);
  SDL_DestroyWindow(m.window);
  m.texture = nullptr;
  m.renderer = nullptr;
  m.window = nullptr;
  m.textureWidth = m.textureHeight = 0;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlPresenter::IsOpen() const { return impl_->open; }

void SdlPresenter::Present(Frame frame) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->pending = std::move(frame);
  impl_->hasPending = true;
  impl_->Wake();
}

void SdlPresenter::SetFullScreen(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->wantFullScreen = on;
  impl_->changed = true;
  impl_->Wake();
}

void SdlPresenter::SetMinimized(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->wantMinimized = on;
  impl_->changed = true;
  impl_->Wake();
}

void SdlPresenter::SetCursorVisible(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->wantCursor = on;
  impl_->changed = true;
  impl_->Wake();
}

void SdlPresenter::SetVisible(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->wantVisible = on;
  impl_->visibilityChanged = true;
  impl_->changed = true;
  impl_->Wake();
}

bool SdlPresenter::IsShown() const {
  return impl_->window && (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_SHOWN) != 0;
}

void SdlPresenter::SetZoom(int percent) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (percent > 0) impl_->wantZoom = percent;
  impl_->changed = true;
  impl_->Wake();
}

void SdlPresenter::SetWindowRect(int x, int y, int width, int height) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (width <= 0 || height <= 0) return;
  impl_->pendingRect = SDL_Rect{x, y, width, height};
  impl_->wantRect = true;
  impl_->changed = true;
  impl_->Wake();
}

bool SdlPresenter::IsFullScreen() const { return impl_->fullScreen; }

void SdlPresenter::SetTitle(const std::string& titleUtf8) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->wantTitle = titleUtf8;
  impl_->titleChanged = true;
  impl_->changed = true;
  impl_->Wake();
}

uint32_t SdlPresenter::WakeEventType() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->wakeType;
}

bool SdlPresenter::Pump() {
  Impl& m = *impl_;
  if (!m.open || std::this_thread::get_id() != m.owner) return false;
  Frame frame;
  bool hasFrame, changed, wantFull, wantMin, wantCursor, wantVisible, visibilityChanged, capture;
  int wantZoom;
  bool wantRect;
  SDL_Rect rect;
  std::string title;
  bool titleChanged;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    hasFrame = m.hasPending;
    if (hasFrame) frame = std::move(m.pending);
    m.hasPending = false;
    changed = m.changed;
    m.changed = false;
    m.wakePosted = false;
    wantFull = m.wantFullScreen;
    wantMin = m.wantMinimized;
    wantCursor = m.wantCursor;
    wantVisible = m.wantVisible;
    visibilityChanged = m.visibilityChanged;
    m.visibilityChanged = false;
    wantZoom = m.wantZoom;
    wantRect = m.wantRect;
    m.wantRect = false;
    rect = m.pendingRect;
    capture = m.capture;
    titleChanged = m.titleChanged;
    m.titleChanged = false;
    if (titleChanged) title = m.wantTitle;
  }
  if (changed) {
    // Only a request changes the visibility: a dialog may show the hidden window for its own time.
    if (visibilityChanged) {
      if (wantVisible) SDL_ShowWindow(m.window);
      else SDL_HideWindow(m.window);
    }
    if (wantFull != m.fullScreen) {
      if (wantFull) {
        // The window first covers the display itself: a desktop without a window manager takes no
        // full-screen request, and the picture must fill what is really shown.
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(m.window), 0), &bounds) == 0) {
          SDL_SetWindowBordered(m.window, SDL_FALSE);
          SDL_SetWindowPosition(m.window, bounds.x, bounds.y);
          SDL_SetWindowSize(m.window, bounds.w, bounds.h);
        }
        SDL_SetWindowFullscreen(m.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
      } else {
        SDL_SetWindowFullscreen(m.window, 0);
        SDL_SetWindowBordered(m.window, SDL_TRUE);
        SDL_SetWindowSize(m.window, m.pictureWidth * m.zoom / 100, m.pictureHeight * m.zoom / 100);
        if (m.hasRect) SDL_SetWindowPosition(m.window, m.placed.x, m.placed.y);
      }
      m.fullScreen = wantFull;
    }
    if (wantRect) {
      m.hasRect = true;
      m.placed = rect;
      if (m.pictureWidth > 0) wantZoom = rect.w * 100 / m.pictureWidth;
      {
        std::lock_guard<std::mutex> lock(m.mutex);
        m.wantZoom = wantZoom;
      }
      if (!m.fullScreen) {
        SDL_SetWindowPosition(m.window, rect.x, rect.y);
        SDL_SetWindowSize(m.window, rect.w, rect.h);
        m.zoom = wantZoom;
      }
    }
    if (!m.fullScreen && wantZoom != m.zoom) {
      m.zoom = wantZoom;
      SDL_SetWindowSize(m.window, m.pictureWidth * m.zoom / 100, m.pictureHeight * m.zoom / 100);
    }
    if (wantMin != m.minimized) {
      if (wantMin) SDL_MinimizeWindow(m.window);
      else SDL_RestoreWindow(m.window);
      m.minimized = wantMin;
    }
    SDL_ShowCursor(wantCursor ? SDL_ENABLE : SDL_DISABLE);
    if (titleChanged) SDL_SetWindowTitle(m.window, title.c_str());
  }
  if (!hasFrame || frame.width <= 0 || frame.height <= 0) return false;

  if (!m.texture || m.textureWidth != frame.width || m.textureHeight != frame.height) {
    if (m.texture) SDL_DestroyTexture(m.texture);
    m.texture = SDL_CreateTexture(m.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                  frame.height);
    if (!m.texture) return false;
    m.textureWidth = frame.width;
    m.textureHeight = frame.height;
    m.pictureWidth = frame.width;
    m.pictureHeight = frame.height;
    SDL_RenderSetLogicalSize(m.renderer, frame.width, frame.height);
  }
  SDL_UpdateTexture(m.texture, nullptr, frame.pixels.data(), frame.width * 4);
  ShowTexture(nullptr, capture);
  return true;
}

void SdlPresenter::PumpOverlay(const std::function<void(void*)>& draw) {
  Impl& m = *impl_;
  if (!m.open || std::this_thread::get_id() != m.owner) return;
  bool capture;
  {
    std::lock_guard<std::mutex> lock(m.mutex);
    capture = m.capture;
  }
  if (m.pictureWidth <= 0) {
    // Nothing shown yet (start-up): a plain background in the picture's size.
    int w = 0, h = 0;
    SDL_GetWindowSize(m.window, &w, &h);
    m.pictureWidth = w * 100 / m.zoom;
    m.pictureHeight = h * 100 / m.zoom;
    SDL_RenderSetLogicalSize(m.renderer, m.pictureWidth, m.pictureHeight);
  }
  ShowTexture(&draw, capture);
}

void* SdlPresenter::NativeWindow() const { return impl_->window; }
void* SdlPresenter::NativeRenderer() const { return impl_->renderer; }

void SdlPresenter::ShowTexture(const std::function<void(void*)>* overlay, bool capture) {
  Impl& m = *impl_;
  SDL_SetRenderDrawColor(m.renderer, 0, 0, 0, 255);
  SDL_RenderClear(m.renderer);
  if (m.texture) SDL_RenderCopy(m.renderer, m.texture, nullptr, nullptr);
  if (overlay && *overlay) {
    (*overlay)(m.renderer);
    SDL_RenderSetClipRect(m.renderer, nullptr);
  }
  if (capture) {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(m.renderer, &w, &h);
    Frame shot;
    shot.width = w;
    shot.height = h;
    shot.pixels.resize(static_cast<size_t>(w) * h);
    SDL_RenderSetLogicalSize(m.renderer, 0, 0);  // read the whole output, not the picture's viewport
    bool ok = SDL_RenderReadPixels(m.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot.pixels.data(), w * 4) == 0;
    SDL_RenderSetLogicalSize(m.renderer, m.pictureWidth, m.pictureHeight);
    if (ok) {
      std::lock_guard<std::mutex> lock(m.mutex);
      m.captured = std::move(shot);
    }
  }
  SDL_RenderPresent(m.renderer);
  ++m.shown;
}

uint64_t SdlPresenter::FramesShown() const { return impl_->shown; }

void SdlPresenter::SetCapture(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->capture = on;
}

Frame SdlPresenter::LastCapture() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->captured;
}

}  // namespace video
