// The whole player on the demo game, in the optimised build:
// - start-up: from the start of a fresh headless player process to its first presented frame of the
//   title scene. Goal: 0.5 s or less. The child's CPU time up to that frame (all threads, and the
//   main thread's alone) are counters: on a busy machine they tell waiting for a processor apart.
// - stage load: LoadStageForPlay plus the play scene's SetupStage of the largest demo stage, in a
//   game started in this process. Goal: 20 ms or less.
// - busy frame: one cApp::Frame of the demo's boss stage while at least 30 characters and 50 shots
//   are alive (the stage holds some 30-40 characters at its busiest): logic, drawing into the back
//   buffer and the present to the headless presenter, with no pacing (the clock is faked). A fixed
//   number of frames is measured from the first busy one, so that the scene does not depend on how
//   many iterations the library picks; the characters and shots of those frames are counters. Goal:
//   2 ms or less.
// - resident memory: the peak resident size of a headless player process that boots and plays the
//   boss stage for 600 frames, from the child's resource usage. Goal: 100 MB or less.
// The player processes are started through the player's switches for headless runs; the player
// program is the one built beside this benchmark.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gamefolder/gamefolder.h"
#include "objects/objlists.h"
#include "platform/audio/mixer.h"
#include "platform/fs/path.h"
#include "platform/time/clock.h"
#include "platform/video/presenter.h"
#include "platform/video/wintypes.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "shell/appinit.h"
#include "shell/globals.h"
#include "shell/mainwnd.h"
#include "shell/runlogs.h"
#include "stagedata/stageload.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kBossStage = "data\\stg4\\Keep.stg4_914";
constexpr int kBusyCharas = 30;
constexpr int kBusyShots = 50;
constexpr double kChildTimeoutS = 120;

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Two copies of the demo game: one that starts at the title, one whose "System.ini" names the boss
// stage, so that the player plays it at once.
class DemoFolders {
 public:
  DemoFolders() {
    home_ = fs::current_path();
    root_ = fs::temp_directory_path() / ("wholegame_bench_" + std::to_string(::getpid()));
    // A runtime folder of the benchmark's own, inherited by the players it starts: their lock is
    // shared with no other run.
    const fs::path runtime = root_ / "runtime";
    std::error_code ec;
    fs::create_directories(runtime, ec);
    fs::permissions(runtime, fs::perms::owner_all, ec);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ok_ = Write(Title(), false) && Write(Boss(), true);
    fs::current_path(home_);
  }
  ~DemoFolders() {
    std::error_code ec;
    fs::current_path(home_, ec);
    fs::remove_all(root_, ec);
  }
  bool Ok() const { return ok_; }
  fs::path Title() const { return root_ / "title"; }
  fs::path Boss() const { return root_ / "boss"; }

 private:
  static bool Write(const fs::path& dir, bool bossAtOnce) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    fs::current_path(dir, ec);
    if (ec) return false;
    GameFolder demo = DemoGame();
    if (bossAtOnce) demo.systemIni += std::string("FreeStage=") + kBossStage + "\r\n";
    return WriteGameFolder(demo);
  }
  fs::path home_, root_;
  bool ok_ = false;
};

DemoFolders& Folders() {
  static DemoFolders folders;
  return folders;
}

// A headless player process in a game folder, its standard output read through a pipe.
class PlayerProcess {
 public:
  PlayerProcess(const fs::path& dir, const std::vector<std::string>& switches) {
    const std::string player = (fs::read_symlink("/proc/self/exe").parent_path() / "player").string();
    std::vector<std::string> args{player};
    args.insert(args.end(), switches.begin(), switches.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string folder = dir.string();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only calls that are safe after a fork of a threaded process.
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      ::dup2(fds[1], 1);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
    if (pid_ < 0) Close();
  }
  ~PlayerProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait(nullptr);
    }
    Close();
  }
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // The next line of output (without its end); false at the end of the output or after the timeout.
  bool ReadLine(std::string& line, double deadline) {
    line.clear();
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return true;
      }
      const int waitMs = static_cast<int>((deadline - Now()) * 1000);
      if (out_ < 0 || waitMs <= 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, waitMs) <= 0) return false;
      char chunk[4096];
      const ssize_t n = ::read(out_, chunk, sizeof chunk);
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }

  // Reads the output to its end and waits for the process; its exit code, or -1. `usage` takes the
  // process's resource usage.
  int Finish(double deadline, rusage* usage) {
    std::string line;
    while (ReadLine(line, deadline)) {
    }
    if (Now() >= deadline) ::kill(pid_, SIGKILL);
    return Wait(usage);
  }

  // CPU time (user and system) the process has used so far, in seconds: every thread's, or with
  // mainThread only that of the thread that runs the start-up.
  double CpuSeconds(bool mainThread = false) const {
    const std::string proc = "/proc/" + std::to_string(pid_);
    std::ifstream stat(mainThread ? proc + "/task/" + std::to_string(pid_) + "/stat" : proc + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    // After the name: state (field 3) ... utime (14), stime (15).
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < text.size() && fields.size() < 13) {
      const size_t next = text.find(' ', pos);
      fields.push_back(text.substr(pos, next - pos));
      if (next == std::string::npos) break;
      pos = next + 1;
    }
    if (fields.size() < 13) return 0;
    const double ticks = std::stod(fields[11]) + std::stod(fields[12]);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }

 private:
  int Wait(rusage* usage) {
    int status = 0;
    rusage ru{};
    const pid_t pid = pid_;
    pid_ = -1;
    if (::wait4(pid, &status, 0, &ru) != pid) return -1;
    if (usage) *usage = ru;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Close() {
    if (out_ >= 0) ::close(out_);
    out_ = -1;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

void BM_StartUp(benchmark::State& state) {
  if (!Folders().Ok()) {
    state.SkipWithError("the demo game could not be written");
    return;
  }
  double cpu = 0, mainCpu = 0;
  for (auto _ : state) {
    const double start = Now();
    PlayerProcess player(Folders().Title(), {"--headless", "--frames=10", "--print-frames"});
    // Start-up shows the loading picture before the title scene exists: its lines say scene -1.
    std::string line;
    bool title = false;
    while (!title && player.ReadLine(line, start + kChildTimeoutS)) title = line.ends_with(" scene 0");
    if (!title) {
      state.SkipWithError(("the player showed no title frame: " + line).c_str());
      return;
    }
    const double shown = Now();
    cpu += player.CpuSeconds();
    mainCpu += player.CpuSeconds(true);
    state.SetIterationTime(shown - start);
    if (player.Finish(shown + kChildTimeoutS, nullptr) != 0) {
      state.SkipWithError("the player did not end cleanly");
      return;
    }
  }
  state.counters["child_cpu_s"] = cpu / static_cast<double>(state.iterations());
  state.counters["child_main_cpu_s"] = mainCpu / static_cast<double>(state.iterations());
  state.counters["goal_s"] = 0.5;
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ResidentMemory(benchmark::State& state) {
  if (!Folders().Ok()) {
    state.SkipWithError("the demo game could not be written");
    return;
  }
  double peakMb = 0;
  int frames = 0;
  for (auto _ : state) {
    PlayerProcess player(Folders().Boss(), {"--headless", "--frames=600", "--print-frames"});
    std::string line, last;
    const double deadline = Now() + kChildTimeoutS;
    while (player.ReadLine(line, deadline)) last = line;
    rusage usage{};
    if (player.Finish(deadline, &usage) != 0) {
      state.SkipWithError("the player did not end cleanly");
      return;
    }
    if (std::sscanf(last.c_str(), "frame %d", &frames) != 1 || frames < 600 || last.find("scene 4") == std::string::npos) {
      state.SkipWithError(("the boss stage was not played for 600 frames: " + last).c_str());
      return;
    }
    peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
  }
  state.counters["peak_rss_mb"] = peakMb;
  state.counters["frames"] = frames;
  state.counters["goal_mb"] = 100;
}
BENCHMARK(BM_ResidentMemory)->Unit(benchmark::kSecond)->Iterations(1);

// The game started in this process as the player starts it, without its window thread and game
// thread: the benchmark's thread owns the main window (requests are served at once) and runs the
// frames. Sound goes to the null device; the clock is faked, so pacing never waits.
class InProcessGame {
 public:
  explicit InProcessGame(const fs::path& dir) {
    home_ = fs::current_path();
    fs::current_path(dir);
    clock_ = std::make_unique<FakeClock>(0);
    msgbox::SetHeadless(true);
    audio::Configure(audio::Backend::Null, 22050);
    presenter_ = std::make_shared<video::HeadlessPresenter>(1);
    video::SetPresenter(presenter_);
    BuildGlobalTables();
    StartRunLogs();
    hwnd_ = CreateWindowStandIn("Tessaly");
    SetWindowProcStandIn(hwnd_, &cMainWnd::StaticProc);
    g_MainWnd.m_hWnd = hwnd_;
    g_hMainWnd = hwnd_;
    started_ = AppInit("", SW_SHOWNORMAL);
  }
  ~InProcessGame() {
    if (started_) AppExit();
    DestroyWindowStandIn(hwnd_);
    g_hMainWnd = nullptr;
    video::SetPresenter(nullptr);
    clock_.reset();
    std::error_code ec;
    fs::current_path(home_, ec);
  }
  bool Started() const { return started_; }
  bool Playing() const { return cApp::m_nScene == SCENE_PLAY && g_pScenePlay; }
  static int Charas() { return static_cast<int>(g_lstChara.size()); }
  static int Shots() { return g_pScenePlay ? static_cast<int>(g_pScenePlay->m_lShot.size()) : 0; }
  static bool Busy() { return Charas() >= kBusyCharas && Shots() >= kBusyShots; }

 private:
  fs::path home_;
  std::unique_ptr<FakeClock> clock_;
  std::shared_ptr<video::HeadlessPresenter> presenter_;
  HWND hwnd_ = nullptr;
  bool started_ = false;
};

InProcessGame& BossGame() {
  static InProcessGame game(Folders().Boss());
  return game;
}

// Plays the boss stage from its start again: set up anew while the play scene runs, otherwise by the
// free-stage route as start-up takes it.
bool RestartBossStage() {
  if (cApp::m_nScene == SCENE_PLAY && cApp::SceneOf(SCENE_PLAY) && g_pScenePlay) {
    if (!LoadStageForPlay(kBossStage, 0, &g_PlayStageData, &g_HeroCharaData)) return false;
    g_pScenePlay->SetupStage(0, 1);
    return true;
  }
  g_bFreeStagePlay = 1;
  if (!LoadStageAndPlay(kBossStage, 0)) return false;
  cApp::m_nGameType = 2;
  cApp::m_nPlayMode = 3;
  cApp::m_nScene = SCENE_PLAY;
  cApp::m_nPrevScene = 0;
  return true;
}

// Steps frames until the boss stage is busy, playing it from its start again when a while passes
// without that (the hero fell, the stage ended); false when that does not help either.
bool StepUntilBusy() {
  constexpr int kPatience = 1500;
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (int i = 0; i < kPatience; ++i) {
      if (InProcessGame::Busy()) return true;
      if (!cApp::Frame()) return false;
    }
    if (InProcessGame::Busy()) return true;
    if (!RestartBossStage()) return false;
  }
  return false;
}

void BM_BusyFrame(benchmark::State& state) {
  if (!Folders().Ok() || !BossGame().Started()) {
    state.SkipWithError("the demo game did not start");
    return;
  }
  if (!StepUntilBusy() || !BossGame().Playing()) {
    state.SkipWithError("the boss stage never became busy");
    return;
  }
  double charas = 0, shots = 0;
  for (auto _ : state) {
    charas += InProcessGame::Charas();
    shots += InProcessGame::Shots();
    if (!cApp::Frame()) {
      state.SkipWithError("the frame ended the program");
      return;
    }
    if (!InProcessGame::Busy()) {
      state.PauseTiming();
      const bool busy = StepUntilBusy();
      state.ResumeTiming();
      if (!busy) {
        state.SkipWithError("the boss stage stopped being busy");
        return;
      }
    }
  }
  state.counters["charas"] = charas / static_cast<double>(state.iterations());
  state.counters["shots"] = shots / static_cast<double>(state.iterations());
  state.counters["goal_ms"] = 2;
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMillisecond)->Iterations(240);

// The demo stage with the largest file.
std::string LargestStage(double* kb) {
  std::string best;
  uintmax_t bestSize = 0;
  for (const char* stage : kDemoStagePaths) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(ResolveHostPath(stage), ec);
    if (!ec && size > bestSize) {
      bestSize = size;
      best = stage;
    }
  }
  *kb = static_cast<double>(bestSize) / 1024.0;
  return best;
}

void BM_StageLoad(benchmark::State& state) {
  if (!Folders().Ok() || !BossGame().Started()) {
    state.SkipWithError("the demo game did not start");
    return;
  }
  if (!BossGame().Playing() && !cApp::Frame()) {
    state.SkipWithError("the play scene did not start");
    return;
  }
  double kb = 0;
  const std::string stage = LargestStage(&kb);
  for (auto _ : state) {
    if (!LoadStageForPlay(stage.c_str(), 0, &g_PlayStageData, &g_HeroCharaData)) {
      state.SkipWithError("the stage did not load");
      return;
    }
    g_pScenePlay->SetupStage(0, 1);
  }
  state.SetLabel(stage);
  state.counters["file_kb"] = kb;
  state.counters["charas"] = InProcessGame::Charas();
  state.counters["goal_ms"] = 20;
}
BENCHMARK(BM_StageLoad)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
