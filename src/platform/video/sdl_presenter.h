// Shows finished frames in an SDL window: frames come from any thread and are shown by the thread
// that opened the window (the main thread), through one streaming texture scaled to the window
// (zoom in a window, or the whole desktop in full screen, keeping the picture's proportions).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/video/presenter.h"

namespace video {

class SdlPresenter : public Presenter {
 public:
  SdlPresenter();
  ~SdlPresenter() override;

  // Opens a `width` x `height` picture at `zoomPercent` in a new window; the calling thread becomes
  // the one that must call Pump and Close. The title is UTF-8. False, with the reason in SDL_GetError,
  // when no window can be shown: also when SDL found no display and fell back to a driver that draws
  // into memory only, unless that driver was asked for by name.
  bool Open(const std::string& titleUtf8, int width, int height, int zoomPercent);
  void Close();
  bool IsOpen() const;

  // Any thread: the newest frame and the latest window changes are kept for the next Pump, and an
  // event of WakeEventType is posted so that a loop waiting for SDL events wakes up.
  void Present(Frame frame) override;
  void SetFullScreen(bool on) override;
  void SetMinimized(bool on) override;
  void SetCursorVisible(bool on) override;
  // The window opens hidden, as a new window does, until the program shows it.
  void SetVisible(bool on) override;
  // The opening thread: whether the window is shown now.
  bool IsShown() const;
  void SetZoom(int percent);
  // Any thread: the window's client area on the desktop (top-left and size), applied by the next
  // Pump while the window is not full screen; the size sets the zoom.
  void SetWindowRect(int x, int y, int width, int height);
  // The opening thread: whether the window shows full screen now.
  bool IsFullScreen() const;
  // Any thread: the window's title (UTF-8), applied by the next Pump.
  void SetTitle(const std::string& titleUtf8);
  uint32_t WakeEventType() const;

  // The opening thread: applies the window changes and shows the waiting frame. True when a frame
  // was shown.
  bool Pump();
  uint64_t FramesShown() const;

  // The opening thread, while a dialog shows: the last frame shown stays, with `draw` drawing over it
  // through the window's renderer (an SDL_Renderer*, in the picture's coordinates); frames that
  // arrive meanwhile wait for the next Pump.
  void PumpOverlay(const std::function<void(void* renderer)>& draw);
  // The SDL_Window* and SDL_Renderer* of the open window, for the dialog layer.
  void* NativeWindow() const;
  void* NativeRenderer() const;

  // For checks: while on, every frame shown is also read back from the window at the window's size.
  void SetCapture(bool on);
  Frame LastCapture() const;

 private:
  void ShowTexture(const std::function<void(void*)>* overlay, bool capture);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace video
