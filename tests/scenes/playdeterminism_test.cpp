// A busy stage played headless for a few hundred frames gives the same game, frame for frame, as the
// code it was recorded from: the replays of players depend on it. Characters of four sides walk the
// floors, jump at random, fire shots and touch each other; block characters carry and push them; the
// hits hurt and kill; trigger flows draw random numbers, so that any change in the order of the
// hits, the triggers or the steps changes the rest of the game.
//
// The expected checksums were recorded from the play step before its hit and collision passes were
// restructured. A change that is meant to change the game (reviewed as such) records them anew: run
//   build/test/scenes_tests --gtest_filter='PlayDeterminismTest.*'
// and copy the actual values the failure prints into kExpected below.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>

#include "core/random.h"
#include "objects/shot.h"
#include "scenes/app.h"
#include "scenes/map_fixture.h"
#include "stagedata/cmdtable.h"
#include "stagedata/flow.h"

namespace {

constexpr int kStageW = 56;
constexpr int kStageH = 30;
constexpr int kFloorEvery = 6;
constexpr int kBands = kStageH / kFloorEvery;
constexpr int kWalkers = 90;
constexpr int kFrames = 300;

// FNV-1a over the bytes of the values fed to it.
struct Hash {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  }
  void Int(int64_t v) { Bytes(&v, sizeof v); }
  void Double(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Int(static_cast<int64_t>(bits));
  }
};

// What the run did, so that the test can tell that the stage really was busy.
struct Stats {
  long shotsFired = 0, triggerRuns = 0, deaths = 0, rides = 0, touches = 0, shotHits = 0;
};
Stats g_stats;
Hash g_trace;  // the trigger flows that ran, in the order they ran

cEdShot ShotRecord(int kind) {
  cEdShot rec;
  rec.SetDefaults();
  rec.m_sSpeed = 40;
  rec.m_bRangeOn = 1;
  rec.m_sRange = 24;
  rec.m_nPower = 1 + kind % 2;
  rec.m_nImpact = kind == 1 ? 2 : 0;
  rec.m_bPierceChara = kind == 2 ? 1 : 0;
  rec.m_bShotVsShot = kind == 3 ? 1 : 0;
  rec.m_nVanish = static_cast<int8_t>(kind);
  return rec;
}

// Walkers: along the facing, turning at walls, now and then a jump, and a shot every so often.
int Walk(cCharaBase* obj, cCmdInstance*) {
  if (obj->m_bContactLeft) obj->m_nFacing = 1;
  if (obj->m_bContactRight) obj->m_nFacing = 0;
  obj->m_dSpeedX = obj->m_nFacing ? 0.3 : -0.3;
  if (!obj->m_bInAir && RandNext() % 400 == 0) {
    obj->m_dSpeedY = -0.9;
    obj->m_bInAir = obj->m_bJumping = 1;
  }
  if ((g_pScenePlay->m_nStepCount + obj->m_nObjNo * 13) % 170 == 0) {
    static const cEdShot recs[4] = {ShotRecord(0), ShotRecord(1), ShotRecord(2), ShotRecord(3)};
    cShotLaunch l;
    l.m_dSpeed = 3;
    l.m_dVX = obj->m_nFacing ? 3 : -3;
    l.m_dVY = (obj->m_nObjNo % 3 - 1) * 0.5;
    l.m_nRange = 24;
    l.m_nX = static_cast<int>(obj->m_dX) + 8;
    l.m_nY = static_cast<int>(obj->m_dY) + 6;
    EmplaceShot(g_pScenePlay->m_lShot, 50000 + static_cast<int>(g_stats.shotsFired), obj, CMD_SHOT,
                recs[(obj->m_nObjNo % 4 + 4) % 4], l);
    ++g_stats.shotsFired;
  }
  return 0;
}

// Block characters: back and forth on one axis, turning every few hundred sub-steps.
int Shuttle(cCharaBase* obj, cCmdInstance*) {
  const int phase = (g_pScenePlay->m_nStepCount + obj->m_nObjNo * 50) / 240 % 2;
  const double speed = phase ? 0.4 : -0.4;
  if (obj->m_nObjNo % 2) obj->m_dSpeedY = speed;
  else obj->m_dSpeedX = speed;
  return 0;
}

// A trigger flow ran: noted in the trace with a random draw that later steps depend on.
int NoteTrigger(cCharaBase* obj, cCmdInstance*) {
  const int trigger = g_pScenePlay->m_pCurFlow ? g_pScenePlay->m_pCurFlow->m_pFlow->m_nTrigger : -1;
  g_trace.Int(obj->m_nObjNo);
  g_trace.Int(trigger);
  g_trace.Int(g_pScenePlay->m_nStepCount);
  g_trace.Int(RandNext());
  ++g_stats.triggerRuns;
  if (trigger == FLOW_TRIG_DEATH) ++g_stats.deaths;
  if (trigger == FLOW_TRIG_ON_BLOCKCHARA) ++g_stats.rides;
  if (trigger == FLOW_TRIG_TOUCH_CHARA) ++g_stats.touches;
  if (trigger == FLOW_TRIG_TOUCH_SHOT) ++g_stats.shotHits;
  return 0;
}

constexpr int kNoteKind = CMD_TURN;
constexpr int kShuttleKind = CMD_WAIT;

class PlayDeterminismTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    SetSteps(10);
    g_StageData.m_dMaxSpeed = 100;
    g_StageData.m_nImmuneTime = g_StageData.m_nComImmuneTime = 1;
    g_StageData.m_nImmuneAttacker = g_StageData.m_nComImmuneAttacker = 3;
    g_StageData.m_Area[AREA_COM_SHOT].Set(0, 0, 0, 0, 0, 0, 0, 0);
    cApp::m_nPlayMode = 3;
    scene_.m_nState = PLAY_MAIN;
    scene_.m_bTimeStopped = 1;
    scene_.m_nStageTime = 999;
    scene_.m_vSideChara.assign(4, {});
    scene_.m_vSideShot.assign(4, {});
    g_CmdExecTable[CMD_MOVE_STRAIGHT] = &Walk;
    g_CmdExecTable[kShuttleKind] = &Shuttle;
    g_CmdExecTable[kNoteKind] = &NoteTrigger;
    g_stats = Stats();
    g_trace = Hash();
    RandSeed(12345);
    BuildMap();
    BuildObjects();
  }
  void TearDown() override {
    scene_.m_lShot.clear();
    scene_.m_vSideShot.clear();
    g_lstChara.clear();
    g_vHero.clear();
    scene_.m_vSideChara.clear();
    cApp::m_nPlayMode = 0;
    MapTest::TearDown();
  }

  // Floors with gaps every few rows, blocks scattered over them, and solid margins.
  void BuildMap() {
    MakeMap(kStageW, kStageH);
    for (int row = 0; row < kStageH + 20; ++row)
      for (int col = 0; col < kStageW + 20; ++col) {
        const bool margin = row < 10 || row >= kStageH + 10 || col < 10 || col >= kStageW + 10;
        const bool floor = (row - 10) % kFloorEvery == kFloorEvery - 1 && col % 17 != 0;
        const bool block = (row - 10) % kFloorEvery == kFloorEvery - 2 && (col * 7 + row * 3) % 19 == 0;
        if (margin || floor || block) Solid(col, row);
      }
  }

  static cFlow OneCmdFlow(int trigger, int kind, int time) {
    cFlowCmd cmd;
    cmd.m_nKind = static_cast<int8_t>(kind);
    cmd.m_sTime = static_cast<int16_t>(time);
    cmd.m_vParam.assign(32, 0);
    cFlow flow;
    flow.m_nTrigger = static_cast<int8_t>(trigger);
    flow.m_vCmd.push_back(cmd);
    return flow;
  }

  // A 16 x 24 object of the side at pixel (x, y), its flows installed and filed by side.
  template <class T>
  void Ready(T& c, int objNo, int side, double x, double y, std::vector<cFlow> flows) {
    c.m_nObjNo = objNo;
    c.m_nSide = side;
    c.m_Chara.m_cSide = static_cast<int8_t>(side);
    c.m_nOperation = objNo == kHeroObjNo ? 0 : 1;
    c.m_nLifeTime = kLifeUnlimited;
    Place(c, x, y);
    c.m_BodyRect.m_nW = c.m_BodyRect.m_nBaseW = 14;
    c.m_BodyRect.m_nH = c.m_BodyRect.m_nBaseH = 22;
    c.m_BodyRect.m_nOfsX = c.m_BodyRect.m_nBaseOfsX = 1;
    c.m_BodyRect.m_nOfsY = c.m_BodyRect.m_nBaseOfsY = 2;
    c.m_ShotRect = c.m_BodyRect;
    c.m_ShotRect.m_nW = c.m_ShotRect.m_nBaseW = 12;
    c.AfterMoveX();
    c.AfterMoveY();
    c.m_Chara.m_vFlow.assign(flows.begin(), flows.end());
    c.AddFlows(c.m_Chara.m_vFlow, 0, 0);
    scene_.m_vSideChara[side].push_back(&c);
  }

  static std::vector<cFlow> WalkerFlows() {
    std::vector<cFlow> flows{OneCmdFlow(FLOW_TRIG_ALWAYS, CMD_MOVE_STRAIGHT, 30000)};
    for (int trigger : {FLOW_TRIG_TOUCH_SHOT, FLOW_TRIG_DAMAGE_TAKEN, FLOW_TRIG_IMPACT_TAKEN, FLOW_TRIG_TOUCH_CHARA,
                        FLOW_TRIG_ATTACK_HIT, FLOW_TRIG_ATTACK_DAMAGE_GIVEN, FLOW_TRIG_TOUCH_BLOCKCHARA,
                        FLOW_TRIG_ON_BLOCKCHARA, FLOW_TRIG_BLOCK_LEFT, FLOW_TRIG_DEATH})
      flows.push_back(OneCmdFlow(trigger, kNoteKind, 1));
    return flows;
  }

  void BuildObjects() {
    const auto cellX = [](int column) { return (column + 10) * 32.0 + 8; };
    const auto standY = [](int band) { return (band * kFloorEvery + 10 + kFloorEvery - 1) * 32.0 - 24; };
    cHero& hero = g_vHero.emplace_back();
    Ready(hero, kHeroObjNo, 0, cellX(5), standY(0), {OneCmdFlow(FLOW_TRIG_ALWAYS, CMD_MOVE_STRAIGHT, 30000)});
    hero.m_nHP = 1000000;
    // Block characters first in the list: two that shuttle sideways on floors, two up and down.
    for (int i = 0; i < 4; ++i) {
      cChara& b = g_lstChara.emplace_back();
      b.m_Chara.m_bBlockChara = 1;
      b.m_bIgnoreViewX = b.m_bIgnoreViewY = 1;
      Ready(b, 1000 + i, 3, cellX(12 + i * 14), standY(i % kBands) - 40,
            {OneCmdFlow(FLOW_TRIG_ALWAYS, kShuttleKind, 30000)});
      b.m_nHitW = b.m_nBaseHitW = 48;
      b.m_nHitH = b.m_nBaseHitH = 16;
      b.SetMoveMode(MOVE_FLY_BLOCKED);
      b.AfterMoveX();
      b.AfterMoveY();
      b.m_nHP = 1000000;
    }
    for (int i = 0; i < kWalkers; ++i) {
      cChara& c = g_lstChara.emplace_back();
      c.m_bIgnoreViewX = c.m_bIgnoreViewY = 1;
      c.m_nFacing = i % 2;
      const int side = i % 4;  // side 0 fights with the hero
      Ready(c, i, side, cellX(3 + (i * 29) % (kStageW - 6)), standY(i % kBands), WalkerFlows());
      c.m_nHP = 60 + i % 40;
      c.m_Chara.m_nPower = 1 + i % 2;
      c.m_Chara.m_cImpact = i % 5 == 0 ? 2 : 0;
    }
  }

  // Every object's position, speed, HP and state, in list order; the shots with their hit lists.
  uint64_t FrameChecksum(int frameResult) {
    Hash h;
    h.Int(frameResult);
    auto chara = [&](const cCharaBase& c) {
      h.Int(c.m_nObjNo);
      for (double v : {c.m_dX, c.m_dY, c.m_dSpeedX, c.m_dSpeedY, c.m_dImpactX, c.m_dImpactY}) h.Double(v);
      for (int v : {c.m_nHP, c.m_bDead, c.m_bActive, c.m_bInAir, c.m_bJumping, c.m_nFacing, c.m_bContactLeft,
                    c.m_bContactRight, c.m_bContactTop, c.m_bContactBottom, c.m_nImmuneFrames, c.m_nNoFloorFrames})
        h.Int(v);
      h.Int(c.m_pRide ? c.m_pRide->m_nObjNo : -1);
      for (const cImmuneEntry& e : c.m_lImmuneFrom) h.Int(e.m_nKey * 100000LL + e.m_nFrames);
      for (const cFlowInstance& f : c.m_vFlowInst) h.Int(f.m_bRunning * 2 + f.m_bStarted);
    };
    for (const cHero& hero : g_vHero) chara(hero);
    for (const cChara& c : g_lstChara) chara(c);
    for (const cShot& s : scene_.m_lShot) {
      h.Int(s.m_nObjNo);
      h.Double(s.m_dX);
      h.Double(s.m_dY);
      h.Int(s.m_bFinished);
      for (int n : s.m_lHitObjects) h.Int(n);
    }
    for (const auto& side : scene_.m_vSideChara)
      for (const cCharaBase* c : side) h.Int(c->m_nObjNo);
    for (int s : Sounds()) h.Int(s);
    Sounds().clear();
    h.Int(static_cast<int64_t>(g_trace.h));
    return h.h;
  }
};

TEST_F(PlayDeterminismTest, BusyStageRepeatsTheRecordedGame) {
  // The rolling checksum after these frames.
  struct Checkpoint {
    int frame;
    uint64_t expected;
  };
  static constexpr Checkpoint kExpected[] = {
      {1, 0xb5b0c2907af4781dull},
      {50, 0x5ecbe03631efe1ffull},
      {100, 0xc7b0e38df415e684ull},
      {200, 0x8f55e694bc2b4c3full},
      {300, 0x4f9924fc25c09b97ull},
  };
  Hash rolling;
  size_t next = 0;
  long shotsSeen = 0;
  for (int frame = 1; frame <= kFrames; ++frame) {
    rolling.Int(static_cast<int64_t>(FrameChecksum(scene_.RunPlayLogic())));
    shotsSeen += static_cast<long>(scene_.m_lShot.size());
    if (next < std::size(kExpected) && kExpected[next].frame == frame) {
      EXPECT_EQ(rolling.h, kExpected[next].expected) << "first difference by frame " << frame;
      ++next;
    }
  }
  // The stage was busy: shots in flight, hits, touches, rides and deaths all took part.
  EXPECT_GT(g_stats.shotsFired, 100);
  EXPECT_GT(shotsSeen / kFrames, 10);
  EXPECT_GT(g_stats.shotHits, 50);
  EXPECT_GT(g_stats.touches, 20);
  EXPECT_GT(g_stats.rides, 10);
  EXPECT_GT(g_stats.deaths, 5);
  EXPECT_FALSE(g_vHero[0].m_bDead);
}

}  // namespace
