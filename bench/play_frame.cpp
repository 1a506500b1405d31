// The logic of one play frame (input, timers and every sub-step: flows, moves, block collision, block
// characters, shots, hits), without its drawing, at collision level 10 on a 400 x 60 stage with
// floors every 6 rows and scattered blocks on them. The characters of three sides walk along their
// floors, turning at the blocks, and fire shots that fly for a second in the empty row above their
// heads, on a schedule that keeps a set number of shots in flight. Each run starts the same scene
// anew, plays a warm-up and then a fixed number of frames, so that its figures do not depend on how
// many iterations the library picks; the characters and shots of the measured frames are counters.
// - BM_PlayFrame: 200 characters and 100 shots in flight. Goal: a median of 1 ms a frame or less,
//   with no heap allocation once running apart from the shots fired.
// - BM_PlayFrameCrowd: characters from 50 to 6,400 and shots in flight from 0 to 4,000. Goal: the
//   time linear in each, at most 4 ms a frame for 200 characters and 4,000 shots.
#include <benchmark/benchmark.h>

#include <climits>
#include <cstdint>

#include "alloccount.h"
#include "flow/exectable.h"
#include "flow/executors.h"
#include "flow/flowinst.h"
#include "gamedata/input.h"
#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "stagedata/cmdtable.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kStageW = 400;
constexpr int kStageH = 60;
constexpr int kFloorEvery = 6;      // a floor every 6 rows
constexpr int kShotLifeTenths = 10;  // a shot flies for a second
constexpr int kWarmUpFrames = 90;    // the shots in flight reach their number within the first second
constexpr int kFrames = 60;          // frames measured in each run

// The firing schedule: over each second, shot j (counted from the start) leaves at sub-step
// j * steps-per-second / shotsInFlight, fired by character j modulo the crowd.
struct Schedule {
  int charas = 0;
  int shotsInFlight = 0;  // 0: nobody fires
  long fired = 0;
} g_schedule;

cEdShot ShotRecord() {
  cEdShot rec;
  rec.SetDefaults();
  rec.m_sSpeed = 40;
  rec.m_bLifeOn = 1;
  rec.m_nPower = 0;  // overlaps are tested, nobody is hurt
  rec.m_nImpact = 0;
  return rec;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// How many shots of the schedule the character fires in the sub-step.
int ShotsDue(int index, int64_t step) {
  const Schedule& s = g_schedule;
  if (s.shotsInFlight <= 0 || s.charas <= 0) return 0;
  const int64_t perSecond = int64_t{60} * g_StageData.m_nStepsPerFrame * 10 / kShotLifeTenths;
  const int64_t from = step * s.shotsInFlight / perSecond, to = (step + 1) * s.shotsInFlight / perSecond;
  // The j in [from, to) with j = index (mod charas).
  return static_cast<int>(FloorDiv(to - 1 - index, s.charas) - FloorDiv(from - 1 - index, s.charas));
}

// The characters' one command: walk along the facing, turning at a block, and fire when due.
int WalkAndFire(cCharaBase* obj, cCmdInstance*) {
  if (obj->m_bContactLeft) obj->m_nFacing = 1;
  if (obj->m_bContactRight) obj->m_nFacing = 0;
  obj->m_dSpeedX = obj->m_nFacing ? 0.25 : -0.25;
  for (int n = ShotsDue(obj->m_nObjNo, g_pScenePlay->m_nStepCount); n > 0; --n) {
    static const cEdShot rec = ShotRecord();
    cShotLaunch l;
    l.m_dSpeed = 4;
    l.m_dVX = obj->m_nFacing ? 4 : -4;
    l.m_nLifetime = kShotLifeTenths;
    l.m_nX = static_cast<int>(obj->m_dX);
    l.m_nY = static_cast<int>(obj->m_dY) - 24;  // the row above the heads: no block, no character
    EmplaceShot(g_pScenePlay->m_lShot, 100000 + static_cast<int>(g_schedule.fired), obj, CMD_SHOT, rec, l);
    ++g_schedule.fired;
  }
  return 0;
}

class Stage {
 public:
  Stage(int charas, int shotsInFlight) {
    g_schedule = Schedule{charas, shotsInFlight, 0};
    g_SystemData = cSystemData();
    g_StageData = cStageData();
    g_StageData.SetCollisionLevel(10);
    g_StageData.m_dMaxSpeed = 100;
    cApp::m_nPlayMode = 3;
    g_vInput.assign(1, cInput());
    g_pScenePlay = &scene_;
    scene_.m_nState = PLAY_MAIN;
    scene_.m_bTimeStopped = 1;
    scene_.m_nStageTime = 999;
    // The shots fly their lifetime wherever they are.
    g_StageData.m_Area[AREA_COM_SHOT].Set(0, 0, 0, 0, 0, 0, 0, 0);
    // The map: whole floors (nobody falls to another band), and blocks scattered over them.
    scene_.m_ScrollX.SetGeometry(0, kStageW, kStageW * 32);
    scene_.m_ScrollY.SetGeometry(1, kStageH, kStageH * 32);
    for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
      a->m_nMin = a->m_nStageMin;
      a->m_nMax = a->m_nStageMax;
      a->m_dPos = a->m_nStageMin;
    }
    cBlockData empty;
    empty.m_cHit = 0;
    cBlockData solid;
    solid.m_cHit = 1;
    const int stride = scene_.m_ScrollX.m_nRowStride;
    g_MapCells.assign((kStageH + 20) * stride, cMapCell(empty));
    for (int row = 0; row < kStageH + 20; ++row)
      for (int col = 0; col < kStageW + 20; ++col) {
        const bool margin = row < 10 || row >= kStageH + 10 || col < 10 || col >= kStageW + 10;
        const bool floor = (row - 10) % kFloorEvery == kFloorEvery - 1;
        const bool block = (row - 10) % kFloorEvery == kFloorEvery - 2 && (col * 7 + row * 3) % 23 == 0;
        if (margin || floor || block) g_MapCells[col + row * stride] = cMapCell(solid);
      }
    g_MapHits.Rebuild();
    // The hero stands still on the first floor, far from the characters; they walk on the floors.
    cFlowCmd walk;
    walk.m_nKind = CMD_MOVE_STRAIGHT;
    walk.m_sTime = 30000;
    walk.m_vParam.assign(32, 0);
    cFlow flow;
    flow.m_nTrigger = 0;
    flow.m_vCmd.push_back(walk);
    g_vHero.reserve(1);
    Place(g_vHero.emplace_back(), kHeroObjNo, 0, 12, 0);
    for (int i = 0; i < charas; ++i) {
      cChara& c = g_lstChara.emplace_back();
      c.m_Chara.m_vFlow.assign(1, flow);
      c.AddFlows(c.m_Chara.m_vFlow, 0, 0);
      // Active wherever the view is, so that every character runs its flow each sub-step.
      c.m_bIgnoreViewX = c.m_bIgnoreViewY = 1;
      c.m_bStarted = 1;
      c.m_nFacing = i % 2;
      Place(c, i, 1 + i % 3, 30 + (i * 173) % (kStageW - 40), (i % (kStageH / kFloorEvery)) * kFloorEvery);
    }
    g_CmdExecTable[CMD_MOVE_STRAIGHT] = &WalkAndFire;
  }
  ~Stage() {
    g_CmdExecTable = g_CmdExecDefaults;
    scene_.m_lShot.clear();
    g_lstChara.clear();
    g_vHero.clear();
    g_MapCells.clear();
    g_pScenePlay = nullptr;
  }
  int Frame() { return scene_.RunPlayLogic(); }
  cScenePlay& scene() { return scene_; }

 private:
  // A 16 x 24 walker of the side standing on the floor of the band (its top row), at the column.
  template <class T>
  void Place(T& c, int objNo, int side, int column, int bandTop) {
    c.m_nObjNo = objNo;
    c.m_nSide = side;
    c.m_Chara.m_cSide = static_cast<int8_t>(side);
    c.m_nOperation = objNo == kHeroObjNo ? 0 : 1;
    c.m_nHP = 1000;
    c.m_nLifeTime = INT_MAX;
    c.m_nHitW = c.m_nBaseHitW = 16;
    c.m_nHitH = c.m_nBaseHitH = 24;
    c.m_PicRect.m_nW = c.m_PicRect.m_nBaseW = 16;
    c.m_PicRect.m_nH = c.m_PicRect.m_nBaseH = 24;
    c.m_Chara.m_cScale = 1;
    c.m_bActive = 1;
    c.SetMoveMode(0);
    c.m_dX = (column + 10) * 32 + 8;
    c.m_dY = (bandTop + 10 + kFloorEvery - 1) * 32 - 24;
    c.CheckBoundsX(2);
    c.CheckBoundsY(2);
    scene_.m_vSideChara[side].push_back(&c);
  }

  cScenePlay scene_;
};

// Plays the warm-up, then the measured frames (with no more shots fired unless `fire`); the counters
// are those of the measured frames.
void RunFrames(benchmark::State& state, Stage& stage, bool fire) {
  for (int i = 0; i < kWarmUpFrames; ++i) stage.Frame();
  if (!fire) g_schedule.shotsInFlight = 0;
  const long firedBefore = g_schedule.fired;
  g_allocations = 0;
  long frames = 0, shots = 0;
  for (auto _ : state) {
    t_counting = true;
    if (!stage.Frame()) state.SkipWithError("the frame ended early");
    t_counting = false;
    ++frames;
    shots += static_cast<long>(stage.scene().m_lShot.size());
  }
  const double n = frames ? static_cast<double>(frames) : 1;
  state.counters["allocs_per_frame"] = static_cast<double>(g_allocations.exchange(0)) / n;
  state.counters["shots_fired_per_frame"] = static_cast<double>(g_schedule.fired - firedBefore) / n;
  state.counters["shots_in_flight"] = static_cast<double>(shots) / n;
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
}

// Argument 1: the characters fire (the allocations are those of the shots fired); 0: the shots in
// flight at the end of the warm-up finish their lifetime within the measured frames and no more are
// fired (no allocation expected).
void BM_PlayFrame(benchmark::State& state) {
  Stage stage(200, 100);
  RunFrames(state, stage, state.range(0) != 0);
}
BENCHMARK(BM_PlayFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(kFrames)->Repetitions(5)->ReportAggregatesOnly(true);

// Arguments: the characters and the shots kept in flight.
void BM_PlayFrameCrowd(benchmark::State& state) {
  Stage stage(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  RunFrames(state, stage, true);
}
BENCHMARK(BM_PlayFrameCrowd)
    ->ArgNames({"charas", "shots"})
    ->ArgsProduct({{50, 200, 800, 3200, 6400}, {0, 100, 400, 1000, 2000, 4000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kFrames);

}  // namespace
