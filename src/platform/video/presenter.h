// Where finished frames go: the picture of the primary surface or of the Direct3D back buffer,
// handed over from whichever thread drew it.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace video {

// A finished frame: 0xFFRRGGBB pixels, row after row.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Any thread.
  virtual void Present(Frame frame) = 0;
  virtual void SetFullScreen(bool on) = 0;
  virtual void SetMinimized(bool on) = 0;
  virtual void SetCursorVisible(bool on) = 0;
  // Shown or hidden with the main window; a presenter without a window has nothing to do.
  virtual void SetVisible(bool) {}
};

// The presenter frames go to; a headless one until another is set. Setting null restores a fresh
// headless presenter.
void SetPresenter(std::shared_ptr<Presenter> presenter);
std::shared_ptr<Presenter> CurrentPresenter();

// Keeps the last frames in memory and counts them: for tests and for running without a display.
class HeadlessPresenter : public Presenter {
 public:
  explicit HeadlessPresenter(size_t keep = 4) : keep_(keep ? keep : 1) {}
  void Present(Frame frame) override;
  void SetFullScreen(bool on) override;
  void SetMinimized(bool on) override;
  void SetCursorVisible(bool on) override;

  uint64_t PresentCount() const;
  // The newest frame; an empty frame before the first.
  Frame LastFrame() const;
  // The kept frames, oldest first.
  std::vector<Frame> Frames() const;
  bool FullScreen() const;
  bool Minimized() const;
  bool CursorVisible() const;

 private:
  mutable std::mutex mutex_;
  size_t keep_;
  std::deque<Frame> frames_;
  uint64_t count_ = 0;
  bool fullScreen_ = false;
  bool minimized_ = false;
  bool cursorVisible_ = true;
};

}  // namespace video
