// One run of the whole program in this process, from its entry (WinMain with its game thread, main
// window, requests, boxes and dialogs), in the current folder:
// - no window: the frames go to a recording presenter;
// - no audio device: the null device, pulled by the frames (the game's frame time of samples each),
//   each frame's pull after the SoundFont's load has ended;
// - a frame clock: the program's time moves by one frame time at each presented frame and by nothing
//   else, so two runs of one script read the same times and seeds, and pacing never waits;
// - keys and joysticks set before each input poll, by the poll's number (from 1);
// - boxes answered from a queue, dialogs from the dialog script (whole answers by resource id, and
//   steps for the dialogs that run, the file choosers among them);
// - after the frame limit a WM_CLOSE whose confirmation is answered Yes, posted again every 60 frames
//   while the program goes on (a close that only ended a pause loop);
// - a wall-clock guard: a run that takes longer than its seconds is asked to close and fails the test
//   with the frame it reached; one that does not end even then ends the process.
// Each presented frame leaves a hash of its pixels, the scene and the play state, so that a difference
// between two runs names its first frame.
// Header only: the support library sits below the shell layer.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/mainwnd.h"
#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "platform/time/clock.h"
#include "platform/video/presenter.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "platform/win/winapp.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "shell/winmain.h"
#include "support/game_reset.h"
#include "support/tempdir.h"

struct HeadlessFrame {
  uint64_t pictureHash = 0;
  int scene = -1;
  int state = -2;  // the play scene's m_nState; -2 without a play scene
  bool operator==(const HeadlessFrame&) const = default;
};

// One joystick's state at a poll: axes 0..65535 (centre 32767) and the button bits.
struct HeadlessJoystick {
  UINT id = 0;
  DWORD x = 32767, y = 32767, buttons = 0;
};

class HeadlessRun {
 public:
  // Frames presented before the run asks the program to close.
  int frameLimit = 10;
  // Keys held at each input poll, by the poll's number (from 1). A poll without an entry holds none.
  std::map<int, std::set<int>> keysAtPoll;
  // Joystick states at each input poll, by the poll's number (from 1). A joystick named at any poll
  // is plugged in for the whole run; at a poll without its entry it is centred with no button held.
  std::map<int, std::vector<HeadlessJoystick>> joysticksAtPoll;
  // Answers of the boxes and confirmations, in order; the close confirmation's Yes follows them.
  std::vector<int> boxAnswers;
  // Dialogs answered whole by resource id (the name entry, the file select, the start-up dialog).
  std::vector<dlg::WholeAnswer> dialogAnswers;
  // Steps taken, in order, by the dialogs that run (a file chooser, a box drawn as a dialog).
  std::vector<dlg::ScriptStep> dialogSteps;
  // Seconds of real time the run may take: below the test runner's own limit of 300 s, so that a
  // run that hangs fails with its frame rather than being killed without it.
  int wallClockSeconds = 240;
  // The frame clock's time at the start.
  DWORD clockStartMs = 1000;
  // Called on the presenting thread after each frame's record, with the frame's number (from 1):
  // a look at the game's state while it runs.
  std::function<void(int frame)> onFrame;
  // Called on the polling thread at each input poll, before that poll's keys are applied: a script
  // that reacts to what the game shows (it may set keysAtPoll[poll] or post a close).
  std::function<void(int poll)> onPoll;

  // The next file chooser gets `name` (code page 932, in the folder the chooser shows) in its name
  // field and OK.
  void ChooseFile(const std::string& name) {
    dlg::ScriptStep enter;
    enter.kind = dlg::ScriptStep::Call;
    enter.call = [name](HWND chooser) { SetDlgItemTextA(chooser, kChooserName, name.c_str()); };
    dlg::ScriptStep ok;
    ok.kind = dlg::ScriptStep::Click;
    ok.id = IDOK;
    dialogSteps.push_back(enter);
    dialogSteps.push_back(ok);
  }

  // Runs the program with the command line and show command (5: started by the editor for a test
  // play); returns WinMain's result.
  int Run(const char* cmdLine = "", int showCmd = 1) {
    current_ = this;
    ResetKeyStateStandIn();
    held_.clear();
    plugged_.clear();
    for (const auto& [poll, joys] : joysticksAtPoll)
      for (const HeadlessJoystick& j : joys) plugged_.insert(j.id);
    for (UINT id : plugged_) SetJoystickStandIn(id, true, 32767, 32767, 0);
    msgbox::Reset();
    msgbox::SetHeadless(true);
    for (int answer : boxAnswers) msgbox::PushAnswer(answer);
    msgbox::PushAnswer(IDYES);
    dlg::SetHeadless(true);
    dlg::ClearScript();
    for (const dlg::WholeAnswer& a : dialogAnswers) dlg::PushWholeAnswer(a.resId, a.result, a.text);
    dlg::PushSteps(dialogSteps);
    audio::Configure(audio::Backend::Null, 44100);
    FrameClock clock(clockStartMs);
    frames_ = std::make_shared<Recorder>(this, &clock);
    video::SetPresenter(frames_);
    SetInputPollHook(&PollHook);
    SetMainWindowOpener([](HWND, int, int) { return true; }, [] {}, [] {});
    UnregisterClassesStandIn();  // the window class of an earlier run in this process

    timedOut_ = false;
    frameReached_ = 0;
    mainWnd_.store(nullptr);
    guardClose_.store(false);
    finished_ = false;
    std::thread guard([this] { Guard(); });
    const int result = WinMain(nullptr, nullptr, cmdLine, showCmd);
    {
      std::lock_guard<std::mutex> lock(guardMutex_);
      finished_ = true;
    }
    guardWake_.notify_all();
    guard.join();

    SetMainWindowOpener(nullptr, nullptr, nullptr);
    SetInputPollHook(nullptr);
    ResetKeyStateStandIn();
    video::SetPresenter(nullptr);
    dlg::ClearScript();
    boxes_ = msgbox::TakeRecords();
    current_ = nullptr;
    if (timedOut_)
      ADD_FAILURE() << "the run took longer than " << wallClockSeconds << " s; it reached frame " << frameReached_
                    << " of " << frameLimit;
    return result;
  }

  std::vector<HeadlessFrame> Frames() const { return frames_ ? frames_->Frames() : std::vector<HeadlessFrame>{}; }
  // The frames up to the limit: those after it depend on when the program took the close.
  std::vector<HeadlessFrame> FramesToLimit() const {
    std::vector<HeadlessFrame> frames = Frames();
    if (static_cast<int>(frames.size()) > frameLimit) frames.resize(static_cast<size_t>(frameLimit));
    return frames;
  }
  // The loudest sample of the sound pulled at each frame (0: silence).
  std::vector<float> SoundPeaks() const { return frames_ ? frames_->Peaks() : std::vector<float>{}; }
  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  // Whether the wall-clock guard fired (also while the run goes on), and the frames presented by then.
  bool TimedOut() const { return timedOut_; }
  int FrameReached() const { return frameReached_; }

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
  // Keeps a record of every presented frame, pulls the frame's sound and moves the clock; the frame
  // that reaches the limit posts the close.
  class Recorder : public video::Presenter {
   public:
    Recorder(HeadlessRun* run, FrameClock* clock) : run_(run), clock_(clock) {}
    void Present(video::Frame frame) override {
      HeadlessFrame r;
      r.pictureHash = HashPixels(frame.pixels);
      // Frames are presented by the thread that runs the scenes.
      r.scene = cApp::m_nScene;
      if (cApp::SceneOf(SCENE_PLAY) && g_pScenePlay) r.state = g_pScenePlay->m_nState;
      const int fps = cApp::m_nFps > 0 ? cApp::m_nFps : 60;
      // The SoundFont loads on a thread of its own in real time: the frame waits for it, so that
      // music asked for sounds from the same frame however fast the machine reads it.
      gmsynth::FinishLoading();
      const float peak = PullSound(audio::Rate() / fps);
      clock_->FrameShown(fps);
      int count;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.push_back(r);
        peaks_.push_back(peak);
        count = static_cast<int>(frames_.size());
      }
      run_->mainWnd_.store(g_hMainWnd);
      if (run_->onFrame) run_->onFrame(count);
      const int past = count - run_->frameLimit;
      if ((past >= 0 && past % 60 == 0) || run_->guardClose_.exchange(false)) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    }
    void SetFullScreen(bool) override {}
    void SetMinimized(bool) override {}
    void SetCursorVisible(bool) override {}
    std::vector<HeadlessFrame> Frames() const {
      std::lock_guard<std::mutex> lock(mutex_);
      return frames_;
    }
    std::vector<float> Peaks() const {
      std::lock_guard<std::mutex> lock(mutex_);
      return peaks_;
    }
    int Count() const {
      std::lock_guard<std::mutex> lock(mutex_);
      return static_cast<int>(frames_.size());
    }

   private:
    static float PullSound(int frames) {
      float buffer[2 * audio::kMaxSlice];
      float peak = 0;
      while (frames > 0) {
        const int n = std::min(frames, audio::kMaxSlice);
        audio::Pull(buffer, n);
        for (int i = 0; i < 2 * n; ++i) peak = std::max(peak, std::fabs(buffer[i]));
        frames -= n;
      }
      return peak;
    }

    HeadlessRun* run_;
    FrameClock* clock_;
    mutable std::mutex mutex_;
    std::vector<HeadlessFrame> frames_;
    std::vector<float> peaks_;
  };

  // The keys and joysticks of the poll replace those of the one before.
  static void PollHook(int poll) {
    HeadlessRun* run = current_;
    if (!run) return;
    const int number = poll + 1;
    if (run->onPoll) run->onPoll(number);
    for (int vk : run->held_) SetKeyStateStandIn(vk, false);
    run->held_.clear();
    if (auto it = run->keysAtPoll.find(number); it != run->keysAtPoll.end()) {
      for (int vk : it->second) SetKeyStateStandIn(vk, true);
      run->held_ = it->second;
    }
    if (run->plugged_.empty()) return;
    for (UINT id : run->plugged_) SetJoystickStandIn(id, true, 32767, 32767, 0);
    if (auto it = run->joysticksAtPoll.find(number); it != run->joysticksAtPoll.end())
      for (const HeadlessJoystick& j : it->second) SetJoystickStandIn(j.id, true, j.x, j.y, j.buttons);
  }

  // The wall-clock guard: past the run's seconds it asks the program to close, answering every
  // confirmation Yes and leaving running dialogs no steps. The close is posted by the next presented
  // frame, as the frame limit's is, so that it never lands in a frame that is still drawing (which
  // shut-down would abandon); the guard posts it itself only when no frame came for a few seconds. It asks again
  // each second; a program that has not ended after a further grace ends the process, since its
  // threads cannot be stopped.
  void Guard() {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(wallClockSeconds);
    std::unique_lock<std::mutex> lock(guardMutex_);
    if (guardWake_.wait_until(lock, deadline, [this] { return finished_; })) return;
    frameReached_ = frames_->Count();
    timedOut_ = true;
    const auto giveUp = steady_clock::now() + seconds(kGraceSeconds);
    int framesBefore = frames_->Count();
    auto lastFrame = steady_clock::now();
    while (!finished_) {
      if (steady_clock::now() >= giveUp) {
        std::fprintf(stderr, "headless run: no end %d s after its %d s; it reached frame %d of %d\n", kGraceSeconds,
                     wallClockSeconds, frameReached_, frameLimit);
        std::fflush(stderr);
        std::_Exit(1);
      }
      dlg::ClearScript();
      for (int i = 0; i < 4; ++i) msgbox::PushAnswer(IDYES);
      const int frames = frames_->Count();
      if (frames != framesBefore) lastFrame = steady_clock::now();
      framesBefore = frames;
      HWND wnd = mainWnd_.load();
      if (wnd && steady_clock::now() - lastFrame >= seconds(kNoFrameSeconds)) PostMessage(wnd, WM_CLOSE, 0, 0);
      else guardClose_.store(true);
      guardWake_.wait_for(lock, seconds(1), [this] { return finished_; });
    }
  }

  static constexpr int kGraceSeconds = 20;
  static constexpr int kNoFrameSeconds = 5;
  static inline HeadlessRun* current_ = nullptr;
  std::shared_ptr<Recorder> frames_;
  std::vector<MessageBoxRecord> boxes_;
  std::set<int> held_;
  std::set<UINT> plugged_;
  std::mutex guardMutex_;
  std::condition_variable guardWake_;
  std::atomic<HWND> mainWnd_{nullptr};  // as the presenting thread last saw it, for the guard
  std::atomic<bool> guardClose_{false};  // the guard's close, for the next presented frame to post
  bool finished_ = false;
  std::atomic<bool> timedOut_{false};  // read by a look at a running frame
  int frameReached_ = 0;
};

// A fresh game folder as the current folder, the single-instance mutex kept in it, and the game-wide
// state as at program start before and after each test.
class HeadlessRunTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    SetMutexFolderStandIn(dir_.c_str());
    ResetGameGlobals();
  }
  void TearDown() override {
    ResetGameGlobals();
    SetMutexFolderStandIn("");
    TempDirTest::TearDown();
  }
};
