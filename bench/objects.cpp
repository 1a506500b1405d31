// The objects' share of a play frame: characters and shots stepped through every sub-step of a frame
// at collision level 10, without the scene's collision and hits; then 1000 shots of which a quarter
// home on the nearest of 100 characters (a new search every sub-step) and a quarter wave.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "objects/spawn.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {

// Every heap allocation of the program is counted, so that a frame's allocations can be reported.
std::atomic<long> g_allocs{0};

}  // namespace

void* operator new(std::size_t size) {
  g_allocs.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The replacement new above takes from malloc, so free is the matching release; the compiler cannot
// see that the two replacements belong together.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

class Load {
 public:
  Load(int charas, int shots, bool mixed) {
    g_StageData.SetCollisionLevel(10);
    g_StageData.m_dMaxSpeed = 100;
    for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
      a->m_nOuterRange = a->m_nStageMax = a->m_nMax = 32 * 200;
      a->m_nMarginCells = 10;
      a->m_nShift = 8;
    }
    scene_.m_vSideChara.assign(4, {});
    scene_.m_vSideShot.assign(4, {});
    g_pScenePlay = &scene_;
    for (int i = 0; i < charas; ++i) {
      cChara& c = g_lstChara.emplace_back();
      c.m_nObjNo = i;
      c.m_nOperation = 1;
      c.m_bActive = c.m_bOnScreen = 1;
      c.m_bFlying = i % 2;
      c.m_nHitW = c.m_nHitH = 32;
      c.m_PicRect.m_nW = c.m_PicRect.m_nH = 32;
      c.m_dX = 400 + (i * 37) % 4000;
      c.m_dY = 400 + (i * 53) % 4000;
      c.m_dInertiaX = (i % 3) - 1;
      if (i < 100) scene_.m_vSideChara[1].push_back(&c);
    }
    cEdShot rec;
    rec.SetDefaults();
    rec.m_sSpeed = 40;
    rec.m_sMoveParam[1] = 999;
    rec.m_sMoveParam[2] = 1;
    for (int i = 0; i < shots; ++i) {
      rec.m_nMoveKind = !mixed ? 0 : (i % 4 == 0 ? 7 : (i % 4 == 1 ? 8 : 0));
      if (rec.m_nMoveKind == 8) rec.m_sMoveParam[1] = 4;
      cShotLaunch l;
      l.m_dVX = 4;
      l.m_dVY = (i % 5) - 2;
      l.m_dSpeed = 4;
      l.m_nX = 400 + (i * 41) % 4000;
      l.m_nY = 400 + (i * 29) % 4000;
      EmplaceShot(scene_.m_lShot, i, nullptr, CMD_SHOT, rec, l);
    }
  }
  ~Load() {
    scene_.m_lShot.clear();
    g_lstChara.clear();
    g_pScenePlay = nullptr;
  }
  void Frame() {
    for (scene_.m_nSubStep = 1; scene_.m_nSubStep <= g_StageData.m_nStepsPerFrame; ++scene_.m_nSubStep) {
      for (cChara& c : g_lstChara) {
        c.RunFlows(0);
        c.ApplyFallGravity();
        c.MoveY();
        c.MoveX();
      }
      for (cShot& s : scene_.m_lShot) {
        s.Update();
        s.ApplyGravity();
        s.MoveY();
        s.MoveX();
      }
    }
    for (cChara& c : g_lstChara) c.StepAnims(0);
  }

 private:
  cScenePlay scene_;
};

// Runs the frames and reports the heap allocations per frame (none expected without summons and shots fired).
void RunFrames(benchmark::State& state, Load& load) {
  const long before = g_allocs.load();
  for (auto _ : state) load.Frame();
  state.counters["allocs_per_frame"] =
      benchmark::Counter(static_cast<double>(g_allocs.load() - before), benchmark::Counter::kAvgIterations);
}

void BM_CharasAndShots(benchmark::State& state) {
  Load load(200, 100, false);
  RunFrames(state, load);
}
BENCHMARK(BM_CharasAndShots)->Unit(benchmark::kMillisecond);

void BM_ThousandShotsHomingAndWaving(benchmark::State& state) {
  Load load(200, 1000, true);
  RunFrames(state, load);
}
BENCHMARK(BM_ThousandShotsHomingAndWaving)->Unit(benchmark::kMillisecond);

// One summoned character: the definition copy and its 20 flows of 10 commands installed, one of them
// with a loop of 10 over 5 commands to expand.
void BM_SummonOne(benchmark::State& state) {
  cScenePlay scene;
  g_pScenePlay = &scene;
  g_StageData.SetCollisionLevel(10);
  cCharaData def;
  for (int f = 0; f < 20; ++f) {
    cFlow flow;
    for (int c = 0; c < 10; ++c) {
      cFlowCmd cmd;
      cmd.m_nCategory = CMD_CATEGORY_OBJECT;
      cmd.m_nKind = f == 0 && c == 0 ? CMD_LOOP : CMD_WAIT;
      cmd.m_vParam.assign(8, 0);
      if (cmd.m_nKind == CMD_LOOP) cmd.m_vParam[0] = 10, cmd.m_vParam[1] = 5;
      flow.m_vCmd.push_back(cmd);
    }
    def.m_vFlow.push_back(flow);
  }
  for (auto _ : state) {
    cChara& c = g_lstChara.emplace_back();
    c.Init(static_cast<int>(g_lstChara.size()), def, nullptr, 0, 0, 0, 0, nullptr);
    benchmark::DoNotOptimize(c.m_vFlowInst.size());
    g_lstChara.pop_back();
  }
  g_pScenePlay = nullptr;
}
BENCHMARK(BM_SummonOne)->Unit(benchmark::kMicrosecond);

}  // namespace
