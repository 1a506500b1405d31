// The logic of one play frame (input, timers and every sub-step: flows, moves, block collision, block
// characters, shots, hits), without its drawing, at collision level 10 on a 400 x 60 stage with
// floors and scattered blocks: about 200 characters of three sides walk along the floors and fire
// shots by their flows, and about 100 shots are in flight. Goal: a median of 1 ms a frame or less,
// with no heap allocation once running apart from the shots fired.
#include <benchmark/benchmark.h>

#include <climits>

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
constexpr int kCharas = 200;
constexpr int kFloorEvery = 6;       // a floor every 6 rows
constexpr int kFirePeriod = 10 * 60;  // sub-steps between two shots of a character (one a second)
long g_shotsFired = 0;
bool g_fire = true;  // the characters fire their shots

cEdShot ShotRecord() {
  cEdShot rec;
  rec.SetDefaults();
  rec.m_sSpeed = 40;
  rec.m_bRangeOn = 1;
  rec.m_sRange = 32;  // half-blocks: about two seconds of flight
  rec.m_nPower = 0;   // overlaps are tested, nobody is hurt
  rec.m_nImpact = 0;
  return rec;
}

// The characters' one command: walk along the facing, turning at a wall, and fire now and then.
int WalkAndFire(cCharaBase* obj, cCmdInstance*) {
  if (obj->m_bContactLeft) obj->m_nFacing = 1;
  if (obj->m_bContactRight) obj->m_nFacing = 0;
  obj->m_dSpeedX = obj->m_nFacing ? 0.25 : -0.25;
  if (g_fire && (g_pScenePlay->m_nStepCount + obj->m_nObjNo * 37) % kFirePeriod == 0) {
    static const cEdShot rec = ShotRecord();
    cShotLaunch l;
    l.m_dSpeed = 4;
    l.m_dVX = obj->m_nFacing ? 4 : -4;
    l.m_nRange = 32;
    l.m_nX = static_cast<int>(obj->m_dX) + 8;
    l.m_nY = static_cast<int>(obj->m_dY) + 8;
    EmplaceShot(g_pScenePlay->m_lShot, 100000 + static_cast<int>(g_shotsFired), obj, CMD_SHOT, rec, l);
    ++g_shotsFired;
  }
  return 0;
}

class Stage {
 public:
  Stage() {
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
    // The shots fly their range wherever they are.
    g_StageData.m_Area[AREA_COM_SHOT].Set(0, 0, 0, 0, 0, 0, 0, 0);
    // The map: floors with gaps, and blocks scattered over them.
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
        const bool floor = (row - 10) % kFloorEvery == kFloorEvery - 1 && col % 40 != 0;
        const bool block = (row - 10) % kFloorEvery == kFloorEvery - 2 && (col * 7 + row * 3) % 23 == 0;
        if (margin || floor || block) g_MapCells[col + row * stride] = cMapCell(solid);
      }
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
    for (int i = 0; i < kCharas; ++i) {
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

// Argument 1: the characters fire (the allocations are those of the shots fired); 0: the shots in
// flight after a second of play finish their range and no more are fired (no allocation expected).
void BM_PlayFrame(benchmark::State& state) {
  Stage stage;
  // A second of play first, so that shots are in flight.
  g_fire = true;
  for (int i = 0; i < 60; ++i) stage.Frame();
  g_fire = state.range(0) != 0;
  g_shotsFired = 0;
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
  state.counters["substep"] =
      benchmark::Counter(static_cast<double>(frames) * g_StageData.m_nStepsPerFrame,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocs_per_frame"] = static_cast<double>(g_allocations.exchange(0)) / n;
  state.counters["shots_fired_per_frame"] = static_cast<double>(g_shotsFired) / n;
  state.counters["shots_in_flight"] = static_cast<double>(shots) / n;
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
}
BENCHMARK(BM_PlayFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
