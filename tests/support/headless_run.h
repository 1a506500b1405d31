// One run of the whole program in this process, from its entry (WinMain with its game thread, main
// window, requests and boxes), in the current folder: no window (the frames go to a recording
// presenter), sound on the null device, keys set before each input poll by
// the poll's number, every box answered from a queue, and after the frame limit a WM_CLOSE whose
// confirmation is answered Yes. Each presented frame leaves a hash of its pixels, the scene and the
// play state, so that a difference between two runs names its first frame.
// Header only: the support library sits below the shell layer.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "platform/audio/mixer.h"
#include "platform/video/presenter.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "platform/win/winapp.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "shell/winmain.h"

struct HeadlessFrame {
  uint64_t pictureHash = 0;
  int scene = -1;
  int state = -2;  // the play scene's m_nState; -2 without a play scene
  bool operator==(const HeadlessFrame&) const = default;
};

class HeadlessRun {
 public:
  // Frames presented before the run asks the program to close.
  int frameLimit = 10;
  // Keys held at each input poll, by the poll's number (from 1).
  std::map<int, std::set<int>> keysAtPoll;
  // Answers of the boxes and confirmations, in order; the close confirmation's Yes follows them.
  std::vector<int> boxAnswers;
  // Called on the polling thread at each input poll, before that poll's keys are applied: a script
  // that reacts to what the game shows (it may set keysAtPoll[poll] or post a close).
  std::function<void(int poll)> onPoll;

  // Runs the program with the command line; returns WinMain's result.
  int Run(const char* cmdLine = "") {
    frames_ = std::make_shared<Recorder>(frameLimit);
    current_ = this;
    msgbox::Reset();
    msgbox::SetHeadless(true);
    for (int answer : boxAnswers) msgbox::PushAnswer(answer);
    msgbox::PushAnswer(IDYES);
    audio::Configure(audio::Backend::Null, 22050);
    video::SetPresenter(frames_);
    SetInputPollHook(&PollHook);
    SetMainWindowOpener([](HWND, int, int) { return true; }, [] {}, [] {});
    UnregisterClassesStandIn();  // the window class of an earlier run in this process
    // The program's own clock: under the test clock a sleep returns at once, so the shut-down's
    // bounded wait for the game thread would give up on a thread that is still drawing a frame.
    const int result = WinMain(nullptr, nullptr, cmdLine, 1);
    SetMainWindowOpener(nullptr, nullptr, nullptr);
    SetInputPollHook(nullptr);
    ResetKeyStateStandIn();
    video::SetPresenter(nullptr);
    boxes_ = msgbox::TakeRecords();
    current_ = nullptr;
    return result;
  }

  std::vector<HeadlessFrame> Frames() const { return frames_ ? frames_->Frames() : std::vector<HeadlessFrame>{}; }
  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }

  static uint64_t HashPixels(const std::vector<uint32_t>& pixels) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (uint32_t p : pixels)
      for (int b = 0; b < 4; ++b) {
        h ^= (p >> (8 * b)) & 0xFF;
        h *= 1099511628211ull;
      }
    return h;
  }

 private:
  // Keeps a record of every presented frame; the frame that reaches the limit posts the close.
  class Recorder : public video::Presenter {
   public:
    explicit Recorder(int limit) : limit_(limit) {}
    void Present(video::Frame frame) override {
      HeadlessFrame r;
      r.pictureHash = HashPixels(frame.pixels);
      // Frames are presented by the thread that runs the scenes.
      r.scene = cApp::m_nScene;
      if (cApp::SceneOf(SCENE_PLAY) && g_pScenePlay) r.state = g_pScenePlay->m_nState;
      std::lock_guard<std::mutex> lock(mutex_);
      frames_.push_back(r);
      if (static_cast<int>(frames_.size()) == limit_) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    }
    void SetFullScreen(bool) override {}
    void SetMinimized(bool) override {}
    void SetCursorVisible(bool) override {}
    std::vector<HeadlessFrame> Frames() const {
      std::lock_guard<std::mutex> lock(mutex_);
      return frames_;
    }

   private:
    int limit_;
    mutable std::mutex mutex_;
    std::vector<HeadlessFrame> frames_;
  };

  // The keys of the poll replace those of the one before.
  static void PollHook(int poll) {
    if (!current_) return;
    if (current_->onPoll) current_->onPoll(poll);
    for (int vk : current_->held_) SetKeyStateStandIn(vk, false);
    current_->held_.clear();
    auto it = current_->keysAtPoll.find(poll);
    if (it == current_->keysAtPoll.end()) return;
    for (int vk : it->second) SetKeyStateStandIn(vk, true);
    current_->held_ = it->second;
  }

  static inline HeadlessRun* current_ = nullptr;
  std::shared_ptr<Recorder> frames_;
  std::vector<MessageBoxRecord> boxes_;
  std::set<int> held_;
};
