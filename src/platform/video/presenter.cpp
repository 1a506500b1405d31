#include "platform/video/presenter.h"

namespace video {

namespace {
std::mutex g_mutex;
std::shared_ptr<Presenter> g_presenter;
}  // namespace

void SetPresenter(std::shared_ptr<Presenter> presenter) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_presenter = presenter ? std::move(presenter) : std::make_shared<HeadlessPresenter>();
}

std::shared_ptr<Presenter> CurrentPresenter() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_presenter) g_presenter = std::make_shared<HeadlessPresenter>();
  return g_presenter;
}

void HeadlessPresenter::Present(Frame frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  frames_.push_back(std::move(frame));
  while (frames_.size() > keep_) frames_.pop_front();
  ++count_;
}

void HeadlessPresenter::SetFullScreen(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  fullScreen_ = on;
}

void HeadlessPresenter::SetMinimized(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  minimized_ = on;
}

void HeadlessPresenter::SetCursorVisible(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  cursorVisible_ = on;
}

uint64_t HeadlessPresenter::PresentCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

Frame HeadlessPresenter::LastFrame() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_.empty() ? Frame{} : frames_.back();
}

std::vector<Frame> HeadlessPresenter::Frames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {frames_.begin(), frames_.end()};
}

bool HeadlessPresenter::FullScreen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fullScreen_;
}

bool HeadlessPresenter::Minimized() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return minimized_;
}

bool HeadlessPresenter::CursorVisible() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cursorVisible_;
}

}  // namespace video
