// The game thread's request to the window thread: PlaySystemSound sent from another thread and
// served by the window thread's message loop (the main window's procedure plays the sound on the
// null device). The loop sleeps 1 ms a turn; a message that arrives ends the sleep, so a request
// does not wait for the turn to end. Goal: a median round trip of 0.1 ms or less.
// Beside it, polling the input devices (keyboard and a joystick, through the fixed mapping and
// through a key configuration): goal, no allocation at all once running.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "alloccount.h"
#include "core/mainwnd.h"
#include "gamedata/input.h"
#include "gamedata/systemdata.h"
#include "gamefolder/gamefolder.h"
#include "platform/audio/mixer.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "shell/appsound.h"
#include "shell/mainwnd.h"
#include "shell/winmain.h"
#include "sound/effects.h"

namespace {

namespace fs = std::filesystem;

// The window thread: the main window, the 17 system sounds loaded on the null device, and the loop,
// until the benchmark ends it.
class WindowThread {
 public:
  WindowThread() {
    dir_ = fs::temp_directory_path() / ("requests_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    audio::Configure(audio::Backend::Null, 22050);
    g_SystemData.m_vSysSound.clear();
    for (int i = 0; i < 17; ++i) {
      SynthWave wave;
      wave.path = "wave\\sys" + std::to_string(i) + ".wav";
      wave.startHz = 300 + 40 * i;
      wave.ms = 60;
      wave.bits = i % 2 ? 8 : 16;
      fs::create_directories("wave");
      written_ = WriteSynthWave(wave) && written_;
      g_SystemData.m_vSysSound.push_back(wave.path);
    }
    thread_ = std::thread([this] {
      HWND hwnd = CreateWindowStandIn("Tessaly");
      SetWindowProcStandIn(hwnd, &cMainWnd::StaticProc);
      g_MainWnd.m_hWnd = hwnd;
      StartSoundEffects(hwnd, 0);
      loaded_ = g_vSound.size() >= 17;
      g_hMainWnd = hwnd;
      MessageLoop();
      DestroyWindowStandIn(hwnd);
      ReleaseThreadQueue();
    });
    while (!g_hMainWnd) std::this_thread::yield();
  }
  ~WindowThread() {
    PostMessage(g_hMainWnd, WM_QUIT, 0, 0);
    thread_.join();
    g_hMainWnd = nullptr;
    StopSound();
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(dir_, ec);
  }
  bool Ready() const { return written_ && loaded_; }

 private:
  fs::path dir_;
  bool written_ = true;
  std::atomic<bool> loaded_{false};
  std::thread thread_;
};

void BM_PlaySystemSoundRoundTrip(benchmark::State& state) {
  WindowThread window;
  if (!window.Ready()) {
    state.SkipWithError("the system sounds did not load");
    return;
  }
  int sound = 0;
  for (auto _ : state) {
    PlaySystemSound(sound);
    sound = (sound + 1) % 17;
  }
  state.counters["goal_ms"] = 0.1;
}
BENCHMARK(BM_PlaySystemSoundRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Arrows and two buttons held, a joystick leaning right with a button down.
void HoldSomething() {
  DefaultKeyConfig(&g_KeyConfig);
  g_vInput.assign(1, cInput());
  SetKeyStateStandIn(VK_RIGHT, true);
  SetKeyStateStandIn(VK_UP, true);
  SetKeyStateStandIn('Z', true);
  SetKeyStateStandIn('X', true);
  SetJoystickStandIn(0, true, 65535, 32767, 1);
}

void BM_ReadInput(benchmark::State& state) {
  HoldSomething();
  g_KeyConfig.bUse = static_cast<int32_t>(state.range(0));
  for (int i = 0; i < 10; ++i) cApp::ReadInput(g_vInput);  // first polls find the devices
  g_allocations = 0;
  t_counting = true;
  for (auto _ : state) {
    cApp::ReadInput(g_vInput);
    benchmark::DoNotOptimize(g_vInput[0].m_wDir);
  }
  t_counting = false;
  state.counters["allocations"] = static_cast<double>(g_allocations.load());
  state.counters["goal_allocations"] = 0;
  ResetKeyStateStandIn();
}
BENCHMARK(BM_ReadInput)->ArgName("key_config")->Arg(0)->Arg(1);

}  // namespace
