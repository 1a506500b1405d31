#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <type_traits>
#include <vector>

#include "core/random.h"
#include "objects/shot.h"
#include "objects/spawn.h"
#include "support/play_fixture.h"

namespace {

class ShotTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
      a->m_nOuterRange = a->m_nStageMax = a->m_nMax = 32 * 64;
      a->m_nMarginCells = 10;
      a->m_nShift = 6;
    }
    g_StageData.m_dMaxSpeed = 1000;
    scene_.m_vSideShot.assign(4, {});
    scene_.m_vSideChara.assign(4, {});
    rec_.SetDefaults();
    rec_.m_bOwnerFaction = 0;
    owner_ = &AddChara(7);
  }
  void TearDown() override {
    scene_.m_lShot.clear();
    PlayTest::TearDown();
  }
  cShotLaunch Launch(double vx, double vy, int range = 0, int life = 0) {
    cShotLaunch l;
    l.m_dVX = vx;
    l.m_dVY = vy;
    l.m_dSpeed = std::hypot(vx, vy);
    l.m_nRange = range;
    l.m_nLifetime = life;
    l.m_nX = 320;
    l.m_nY = 320;
    return l;
  }
  // Frames of n sub-steps until the shot asks to be removed; x moved meanwhile.
  int FramesToRemoval(cShot& s, int maxFrames, double* moved) {
    const double x0 = s.m_dX;
    for (int f = 1; f <= maxFrames; ++f) {
      for (int i = 0; i < g_StageData.m_nStepsPerFrame; ++i) {
        if (s.Update()) {
          *moved = s.m_dX - x0;
          return f;
        }
        s.MoveY();
        s.MoveX();
      }
    }
    *moved = s.m_dX - x0;
    return 0;
  }

  cEdShot rec_;
  cChara* owner_ = nullptr;
};

TEST_F(ShotTest, RangeAndLifetimeEnds) {
  SetSteps(4);
  struct Case {
    const char* what;
    int rangeOn, range, lifeOn, life;
    double speed;
    int frames;
    double moved;
  };
  // Shot box 16 wide. Range 2 hbl = 32 px, 16 px beyond its width.
  const Case cases[] = {
      {"range shorter than one frame's flight: exactly the rest, then gone", 1, 2, 0, 0, 40, 2, 16},
      {"range not beyond its width, fast: stands one frame", 1, 1, 0, 0, 40, 2, 0},
      {"range not beyond its width, slow: moves at its speed", 1, 1, 0, 0, 8, 2, 8},
      {"speed 0 with range: one frame", 1, 4, 0, 0, 0, 2, 0},
      {"range of 4 frames at 4 px per frame", 1, 2, 0, 0, 4, 5, 16},
      {"lifetime 0: gone in its first update", 0, 0, 1, 0, 4, 1, 0},
      {"lifetime 1 (6 frames)", 0, 0, 1, 1, 4, 7, 24},
  };
  for (const Case& c : cases) {
    rec_.m_bRangeOn = static_cast<int8_t>(c.rangeOn);
    rec_.m_bLifeOn = static_cast<int8_t>(c.lifeOn);
    cShot s;
    s.Init(1, owner_, CMD_SHOT, rec_, Launch(c.speed, 0, c.range, c.life));
    double moved = 0;
    EXPECT_EQ(FramesToRemoval(s, 20, &moved), c.frames) << c.what;
    EXPECT_DOUBLE_EQ(moved, c.moved) << c.what;
  }
}

TEST_F(ShotTest, KeepAtRangeEndStandsAsStraightShot) {
  SetSteps(2);
  g_StageData.m_dMaxSpeed = 1000;
  rec_.m_bRangeOn = 1;
  rec_.m_bKeepAtRangeEnd = 1;
  rec_.m_nMoveKind = 1;  // aims at a hero there is none of
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(20, 0, 2));
  double moved = 0;
  EXPECT_EQ(FramesToRemoval(s, 5, &moved), 0);
  EXPECT_DOUBLE_EQ(moved, 16);
  EXPECT_EQ(s.m_Shot.m_nMoveKind, 0);
  EXPECT_EQ(s.m_dVelX, 0);
}

TEST_F(ShotTest, FacingFromLaunchAndSpeed) {
  owner_->m_nFacing = 1;
  cShot still;
  still.Init(1, owner_, CMD_SHOT, rec_, Launch(0, 3));
  still.Update();
  EXPECT_EQ(still.m_nFacing, 1) << "speed 0 keeps the owner's facing";
  cShot left;
  left.Init(1, owner_, CMD_SHOT, rec_, Launch(-3, 0));
  EXPECT_EQ(left.m_nFacing, 0);
}

TEST_F(ShotTest, HitBoxEdgesFollowTruncatedPosition) {
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(0, 0));
  s.m_HitBox.m_nOfsX = 4;
  s.m_HitBox.m_nW = 8;
  s.m_dX = 10.75;
  s.ClampX();
  EXPECT_EQ(s.m_HitBox.m_dLeft, 14);
  EXPECT_EQ(s.m_HitBox.m_dRight, 21);
  s.m_HitBox.m_nW = 1;
  s.ClampX();
  EXPECT_EQ(s.m_HitBox.m_dLeft, s.m_HitBox.m_dRight);
}

TEST_F(ShotTest, HitBoxFromOwnerKind) {
  g_StageData.Layout(LAYOUT_PLAYER_SHOT_W) = 10;
  g_StageData.Layout(LAYOUT_PLAYER_SHOT_H) = 6;
  g_StageData.Layout(LAYOUT_COM_SHOT_W) = 4;
  g_StageData.Layout(LAYOUT_COM_SHOT_H) = 12;
  cShot com;
  com.Init(1, owner_, CMD_SHOT, rec_, Launch(1, 0));
  EXPECT_EQ(com.m_HitBox.m_nOfsX, 6);
  EXPECT_EQ(com.m_HitBox.m_nOfsY, 2);
  owner_->m_nOperation = 0;
  cShot player;
  player.Init(1, owner_, CMD_SHOT, rec_, Launch(1, 0));
  EXPECT_EQ(player.m_HitBox.m_nOfsX, 3);
  EXPECT_EQ(player.m_HitBox.m_nW, 10);
}

TEST_F(ShotTest, WideShotTestsEveryCoveredCell) {
  g_MapCells.assign(64 * 64, cMapCell());
  for (cMapCell& c : g_MapCells) c.m_cHit = 0;
  rec_.m_nScale = 3;  // 48 x 48
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(0, 0));
  s.m_dX = 320;
  s.ClampX();
  s.m_dY = 320;
  s.CheckBoundsY(2);
  ASSERT_EQ(s.m_nHitW, 48);
  EXPECT_EQ(s.IsInBlock(), 0);
  // Cells under x 320..367, y 320..367: columns 10 and 11, rows 10 and 11; only the middle column
  // (the pixel 352) of a 3-cell row would escape a corner test: make the shot 80 wide.
  s.m_nHitW = 80;
  s.ClampX();
  g_MapCells[11 + (10 << 6)].m_cHit = 1;  // x 352..383 covers the middle of 320..399
  EXPECT_EQ(s.IsInBlock(), 1) << "a middle cell counts";
  g_MapCells[11 + (10 << 6)].m_cHit = 0;
  g_MapCells[12 + (11 << 6)].m_cHit = 1;  // the last column and row
  EXPECT_EQ(s.IsInBlock(), 1);
  s.m_Shot.m_nBlockPass = 1;
  EXPECT_EQ(s.IsInBlock(), 0);
}

TEST_F(ShotTest, HitListKeepsNumbersNotAddresses) {
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(1, 0));
  cChara& victim = AddChara(20);
  s.AddHit(victim.m_nObjNo);
  g_lstChara.pop_back();
  cChara& next = AddChara(21);  // may reuse the address
  EXPECT_FALSE(s.HasHit(next.m_nObjNo));
  EXPECT_TRUE(s.HasHit(20));
  EXPECT_EQ(CopyRefList(s), (std::list<int>{20}));
}

TEST_F(ShotTest, LinksClearedWhenOwnerOrTargetGoes) {
  cChara& target = AddChara(9);
  owner_->m_pTarget.At(1) = &target;
  rec_.m_nOwnerTarget = 1;
  rec_.m_nMoveKind = 6;
  cShot& s = EmplaceShot(scene_.m_lShot, 3, owner_, CMD_SHOT, rec_, Launch(1, 0));
  s.RegisterLinks();
  EXPECT_EQ(s.m_pShotTarget, &target);
  EXPECT_EQ(target.m_vShotLink.size(), 1u);
  EXPECT_EQ(owner_->m_vShotLink.size(), 1u);
  target.UnlinkAll();
  EXPECT_EQ(s.m_pShotTarget, nullptr);
  RemoveShot(scene_.m_lShot, scene_.m_lShot.begin());
  EXPECT_TRUE(owner_->m_vShotLink.empty()) << "removal unlinks from the owner";
  EXPECT_TRUE(scene_.m_vSideShot[0].empty());
}

// Every way a shot leaves the scene takes it out of the shot list and its side's list, the others
// keeping their order; the next shots made take the nodes freed, as new shots at the ends.
TEST_F(ShotTest, RemovalKeepsOrderAndNewShotsComeLast) {
  auto objNos = [](const auto& list) {
    std::vector<int> v;
    for (const auto& s : list) {
      if constexpr (std::is_pointer_v<std::decay_t<decltype(s)>>) v.push_back(s->m_nObjNo);
      else v.push_back(s.m_nObjNo);
    }
    return v;
  };
  std::vector<cShot*> shots;
  for (int i = 0; i < 6; ++i) {
    rec_.m_nFaction = i % 2;
    shots.push_back(&EmplaceShot(scene_.m_lShot, 10 + i, owner_, CMD_SHOT, rec_, Launch(1, 0)));
  }
  shots[1]->AddHit(99);
  shots[1]->m_bFinished = 1;
  EXPECT_TRUE(RemoveShot(scene_.m_lShot, shots[1]));
  scene_.EraseShot(shots[4]);
  RemoveShot(scene_.m_lShot, std::next(scene_.m_lShot.begin(), 2));  // objNo 13
  EXPECT_EQ(objNos(scene_.m_lShot), (std::vector<int>{10, 12, 15}));
  EXPECT_EQ(objNos(scene_.m_vSideShot[0]), (std::vector<int>{10, 12}));
  EXPECT_EQ(objNos(scene_.m_vSideShot[1]), (std::vector<int>{15}));
  for (int i = 0; i < 4; ++i) {
    rec_.m_nFaction = 1;
    cShot& s = EmplaceShot(scene_.m_lShot, 20 + i, owner_, CMD_SHOT, rec_, Launch(1, 0));
    EXPECT_FALSE(s.HasHit(99)) << "a shot made again starts with nothing of the last";
    EXPECT_EQ(s.m_bFinished, 0);
  }
  EXPECT_EQ(objNos(scene_.m_lShot), (std::vector<int>{10, 12, 15, 20, 21, 22, 23}));
  EXPECT_EQ(objNos(scene_.m_vSideShot[1]), (std::vector<int>{15, 20, 21, 22, 23}));
  // A shot put in the list by other means, and a side list emptied under its shots.
  cShot& plain = scene_.m_lShot.emplace_back();
  plain.m_nObjNo = 30;
  scene_.EraseShot(&plain);
  EXPECT_EQ(objNos(scene_.m_lShot), (std::vector<int>{10, 12, 15, 20, 21, 22, 23}));
  ClearSideShots(scene_.m_vSideShot, scene_.m_lShot);
  for (auto it = scene_.m_lShot.begin(); it != scene_.m_lShot.end();) it = RemoveShot(scene_.m_lShot, it);
  EXPECT_TRUE(scene_.m_lShot.empty());
  EXPECT_TRUE(scene_.m_vSideShot[1].empty());
}

TEST_F(ShotTest, BadSideIsFiledInFirstList) {
  rec_.m_nFaction = 9;
  EmplaceShot(scene_.m_lShot, 3, owner_, CMD_SHOT, rec_, Launch(1, 0));
  EXPECT_EQ(scene_.m_vSideShot[0].size(), 1u);
}

TEST_F(ShotTest, SwordFollowsOwnerPartByPart) {
  SetSteps(1);
  cSwordTypeData type;
  type.m_vPart.resize(2);
  type.m_vPart[0].m_nWidth = 20, type.m_vPart[0].m_nHeight = 10, type.m_vPart[0].m_nPlace = 0;
  type.m_vPart[0].m_nDuration = 1, type.m_vPart[0].m_bMirrorX = 0;
  type.m_vPart[1].m_nWidth = 8, type.m_vPart[1].m_nHeight = 30, type.m_vPart[1].m_nPlace = 2;
  type.m_vPart[1].m_nDuration = 1, type.m_vPart[1].m_nOfsX = 3, type.m_vPart[1].m_bMirrorX = 1;
  g_Database.m_vSwordType.assign(1, type);
  owner_->m_dX = 100;
  owner_->m_dY = 200;
  owner_->m_PicRect.m_nW = owner_->m_PicRect.m_nH = 32;
  owner_->m_nFacing = 1;
  cShot s;
  s.Init(1, owner_, CMD_SWORD, rec_, Launch(0, 0));
  s.RegisterLinks();
  EXPECT_EQ(s.m_bIsShot, 0);
  EXPECT_EQ(s.m_nHitW, 20);
  EXPECT_EQ(s.Update(), 0);
  EXPECT_EQ(s.m_dX, 132) << "in front of a right-facing owner";
  EXPECT_EQ(s.m_dY, 211) << "centred: 200 + 16 - 5";
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Update(), 0);
  EXPECT_EQ(s.m_nSwordPart, 1) << "6 sub-steps of part 0, then part 1";
  EXPECT_EQ(s.Update(), 0);
  EXPECT_EQ(s.m_nHitH, 30);
  EXPECT_EQ(s.m_dX, 100 + 16 - 4 - 3) << "above, the mirrored offset subtracted";
  EXPECT_EQ(s.m_dY, 170);
  g_lstChara.clear();
  EXPECT_EQ(s.Update(), 1) << "gone in the sub-step its owner goes";
}

TEST_F(ShotTest, SwordTypeWithoutPartsEndsAtOnce) {
  g_Database.m_vSwordType.assign(1, cSwordTypeData());
  g_Database.m_vSwordType[0].m_vPart.clear();
  cShot s;
  s.Init(1, owner_, CMD_SWORD, rec_, Launch(0, 0));
  EXPECT_EQ(s.m_nHitW, 0);
  EXPECT_EQ(s.Update(), 1);
}

TEST_F(ShotTest, HitsDamageAndTriggerOwner) {
  cChara& victim = AddChara(30);
  victim.m_Chara.m_nMaxHP = 100;
  victim.m_nHP = 50;
  victim.m_Chara.m_nDefence = 3;
  owner_->m_bOwnerGetsHits = 1;
  rec_.m_nPower = 10;
  rec_.m_nImpact = 0;
  rec_.m_nReportKey = 5;
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(2, 0));
  int damage = -1, impact = -1;
  EXPECT_EQ(victim.TakeShotHit(s, damage, impact), 0);
  EXPECT_EQ(damage, 7);
  EXPECT_EQ(victim.m_nHP, 43);
  EXPECT_EQ(impact, 0);
  EXPECT_TRUE(scene_.m_lEffect.empty()) << "no hit effect named";
  victim.m_Chara.m_cInvincible = 1;
  victim.TakeShotHit(s, damage, impact);
  EXPECT_EQ(damage, 0) << "an invincible object reports no damage";
  g_Database.m_vEffect.resize(3);
  s.m_Shot.m_sEffect = 2;
  victim.TakeShotHit(s, damage, impact);
  ASSERT_EQ(scene_.m_lEffect.size(), 1u);
  EXPECT_EQ(scene_.m_lEffect.back().m_nEffectNo, 2);
  scene_.m_lEffect.clear();
}

TEST_F(ShotTest, HitTriggersReachTheOwnerThatGetsHits) {
  cChara& victim = AddChara(30);
  Install(victim, {Flow(FLOW_TRIG_DAMAGE_SET, {Cmd(CMD_WAIT, 10)}), Flow(FLOW_TRIG_DAMAGE_TAKEN, {Cmd(CMD_WAIT, 10)}),
                   Flow(FLOW_TRIG_IMPACT_SET, {Cmd(CMD_WAIT, 10)})});
  Install(*owner_, {Flow(FLOW_TRIG_ATTACK_DAMAGE_SET, {Cmd(CMD_WAIT, 10)}),
                    Flow(FLOW_TRIG_ATTACK_DAMAGE_GIVEN, {Cmd(CMD_WAIT, 10)})});
  rec_.m_nPower = 5;
  auto running = [](cCharaBase& c) {
    std::vector<int> r;
    for (const cFlowInstance& f : c.m_vFlowInst) r.push_back(f.m_bRunning);
    return r;
  };
  for (int kind : {CMD_SHOT, CMD_SWORD}) {
    for (cCharaBase* c : {static_cast<cCharaBase*>(&victim), static_cast<cCharaBase*>(owner_)})
      for (cFlowInstance& f : c->m_vFlowInst) f.End(c);
    g_Database.m_vSwordType.assign(1, cSwordTypeData());
    cShot s;
    s.Init(1, owner_, kind, rec_, Launch(2, 0));
    owner_->m_bOwnerGetsHits = 0;
    victim.ResetTriggerFlags();
    victim.RaiseShotHitTriggers(s, 0, 0);
    EXPECT_EQ(running(victim), (std::vector<int>{1, 0, 0})) << "no damage, no impact: " << kind;
    EXPECT_EQ(running(*owner_), (std::vector<int>{0, 0})) << kind;
    owner_->m_bOwnerGetsHits = 1;
    victim.ResetTriggerFlags();
    owner_->ResetTriggerFlags();
    victim.RaiseShotHitTriggers(s, 3, 0);
    EXPECT_EQ(running(victim), (std::vector<int>{1, 1, 0})) << kind;
    EXPECT_EQ(running(*owner_), (std::vector<int>{1, 1})) << kind;
  }
}

TEST_F(ShotTest, SwordPushesByFacingShotAlongSpeed) {
  cChara& victim = AddChara(30);
  rec_.m_nImpact = 10;
  cShot sword;
  g_Database.m_vSwordType.assign(1, cSwordTypeData());
  sword.Init(1, owner_, CMD_SWORD, rec_, Launch(0, 0));
  sword.m_nFacing = 0;
  sword.m_dSpeedX = 5;
  int out = 0;
  victim.ApplyShotImpact(sword, out);
  EXPECT_EQ(out, 10);
  EXPECT_LT(victim.m_dImpactX, 0) << "left by the facing, not by its speed";
  EXPECT_EQ(victim.m_dImpactY, 0);
}

// ---- Formations ----

struct Placed {
  int x, y;
  int vx, vy;  // velocity x 100, rounded
  bool operator==(const Placed&) const = default;
};

class FormationTest : public ShotTest {
 protected:
  void SetUp() override {
    ShotTest::SetUp();
    cmdRec_ = Cmd(CMD_SHOT);
    cmd_.m_pCmd = &cmdRec_;
    // The owner's picture: screen 100..131 x 200..231, scroll 0.
    cPicRect& p = owner_->m_PicRect;
    p.m_nLeft = 100, p.m_nTop = 200, p.m_nW = p.m_nH = 32, p.m_nRight = 131, p.m_nBottom = 231;
    owner_->m_nOperation = 0;  // its screen rectangle stays as set
  }
  std::vector<Placed> Fire() {
    scene_.m_lShot.clear();
    SpawnShots(owner_, owner_, &cmd_, rec_);
    std::vector<Placed> out;
    const double n = g_StageData.m_dStepsPerFrame;
    for (const cShot& s : scene_.m_lShot)
      out.push_back({TruncToInt(s.m_dX), TruncToInt(s.m_dY), static_cast<int>(std::lround(s.m_dVelX * n * 100)),
                     static_cast<int>(std::lround(s.m_dVelY * n * 100))});
    return out;
  }
  cFlowCmd cmdRec_;
  cCmdInstance cmd_;
};

TEST_F(FormationTest, StraightAPerDirection) {
  rec_.m_nFormation = 0;
  rec_.m_nCount = 2;
  rec_.m_sFormParam[0] = 1;  // gap 16
  rec_.m_sSpeed = 20;        // 2 px per frame
  rec_.m_bAngleMirrorShot = 0;
  struct Case {
    int dir;
    std::vector<Placed> placed;
  };
  // cx 116, cy 216, w = h = 16, n = 2, g = 16.
  const Case cases[] = {
      {2, {{85, 192, -200, 0}, {85, 224, -200, 0}}},
      {3, {{132, 192, 200, 0}, {132, 224, 200, 0}}},
      {6, {{92, 184, 0, -200}, {124, 184, 0, -200}}},
      {7, {{92, 232, 0, 200}, {124, 232, 0, 200}}},
      // up-left: x = trunc(trunc(116 - 8 + K(1 - 16 - 8)) - K(16)) = trunc(91 - 11.31) = 79;
      // y = trunc(trunc(216 - 8 - K(24)) + K(16)) = trunc(191 + 11.31) = 202
      {8, {{79, 202, -141, -141}, {111, 170, -141, -141}}},
      // down-left: y = trunc(trunc(208 + K(231 - 200 - 16 + 8 + 1)) - 11.31) = trunc(224 - 11.31) = 212
      {9, {{79, 212, -141, 141}, {111, 244, -141, 141}}},
      // up-right: x = trunc(trunc(108 + K(31 - 16 + 8 + 1)) - 11.31) = trunc(124 - 11.31) = 112
      {10, {{112, 179, 141, -141}, {144, 211, 141, -141}}},
      {11, {{112, 235, 141, 141}, {144, 203, 141, 141}}},
  };
  for (const Case& c : cases) {
    rec_.m_nShotDir = static_cast<int8_t>(c.dir);
    EXPECT_EQ(Fire(), c.placed) << "direction " << c.dir;
  }
}

TEST_F(FormationTest, SurroundRingTruncatesTowardZero) {
  rec_.m_nFormation = 5;
  rec_.m_nOrigin = 2;  // the owner
  rec_.m_nCount = 4;
  rec_.m_sFormParam[0] = 6;
  rec_.m_sSpeed = 10;
  rec_.m_nShotDir = 2;  // table angle 0
  // Centred point: 116 - 8, 216 - 8.
  const std::vector<Placed> placed = Fire();
  ASSERT_EQ(placed.size(), 4u);
  EXPECT_EQ(placed[0], (Placed{108 + 96, 208, -100, 0}));
  EXPECT_EQ(placed[1], (Placed{108, 208 + 96, 0, -100}));
  EXPECT_EQ(placed[2], (Placed{108 - 95, 208, 100, 0}));
  EXPECT_EQ(placed[3], (Placed{108, 208 - 95, 0, 100}));
}

TEST_F(FormationTest, SpreadAnglesAndRandomDrawsPerLevel) {
  rec_.m_nFormation = 2;
  rec_.m_nCount = 2;
  rec_.m_sFormParam[0] = 30;
  rec_.m_sSpeed = 10;
  rec_.m_nShotDir = 3;  // right, 180
  rec_.m_bAngleMirrorShot = 0;
  std::vector<Placed> placed = Fire();
  ASSERT_EQ(placed.size(), 2u);
  const double k = 100;
  EXPECT_EQ(placed[0].vx, std::lround(-std::cos((180 - 15) / kRadToDeg) * k));
  EXPECT_EQ(placed[0].vy, std::lround(-std::sin((180 - 15) / kRadToDeg) * k));
  EXPECT_EQ(placed[1].vy, std::lround(-std::sin((180 + 15) / kRadToDeg) * k));
  EXPECT_EQ(placed[0].x, placed[1].x) << "all from one point";
  // With a spread, one draw per level: three rows draw three numbers (plus the last level's step).
  rec_.m_sSpread = 10;
  rec_.m_nCopies = 2;
  RandSeed(5);
  placed = Fire();
  EXPECT_EQ(placed.size(), 6u) << "copies 2 fire three rows";
  RandSeed(5);
  for (int i = 0; i < 4; ++i) RandRange(-10, 10);
  const int after = RandRange(-1000, 1000);
  RandSeed(5);
  Fire();
  EXPECT_EQ(RandRange(-1000, 1000), after) << "one draw before the rows and one after each";
}

TEST_F(FormationTest, LightningLinesAndExplosion) {
  rec_.m_nFormation = 3;
  rec_.m_nOrigin = 2;  // the owner: centre on screen (116, 216)
  rec_.m_nCount = 2;
  rec_.m_sFormParam[0] = 1;  // gap 16
  rec_.m_sFormParam[1] = 2;  // two lines
  rec_.m_sFormParam[2] = 2;  // 32 apart
  rec_.m_sSpeed = 10;
  rec_.m_nShotDir = 3;
  rec_.m_bAngleMirrorShot = 0;
  EXPECT_EQ(Fire(), (std::vector<Placed>{{0, 192, 100, 0}, {0, 224, 100, 0}, {32, 192, 100, 0}, {32, 224, 100, 0}}));
  g_SystemData.m_bCompat555 = 1;
  EXPECT_EQ(Fire()[2], (Placed{16, 192, 100, 0})) << "rows touch without the gap";
  g_SystemData.m_bCompat555 = 0;
  rec_.m_sFormParam[1] = 1;
  rec_.m_nShotDir = 8;  // enters at the bottom edge: 480 - 216 < 640 - 116
  EXPECT_EQ(Fire(), (std::vector<Placed>{{364, 464, -71, -71}, {342, 442, -71, -71}}));
  rec_.m_nOrigin = 0;  // a target the owner does not have
  EXPECT_TRUE(Fire().empty());

  rec_.m_nFormation = 4;
  rec_.m_nCount = 4;
  rec_.m_nShotDir = 3;
  EXPECT_EQ(Fire(), (std::vector<Placed>{{108, 208, 100, 0}, {108, 208, 0, 100}, {108, 208, -100, 0}, {108, 208, 0, -100}}));
}

TEST_F(FormationTest, RotatedLineStartsBesideTheOwner) {
  const struct {
    int angle, x, y;
  } cases[] = {{0, 84, 208}, {180, 132, 208}, {90, 108, 184}, {270, 108, 232}};
  for (auto c : cases) {
    cShotLaunch l;
    l.m_nW = l.m_nH = 16;
    PlaceRotatedLine(l, *owner_, c.angle);
    // Up and down land on a whole pixel where rounding may take one off x.
    EXPECT_NEAR(l.m_nX, c.x, c.angle % 180 ? 1 : 0) << c.angle;
    EXPECT_EQ(l.m_nY, c.y) << c.angle;
  }
}

TEST_F(FormationTest, NothingForBadFormationOrCounts) {
  rec_.m_nShotDir = 3;
  rec_.m_nCount = 3;
  rec_.m_nFormation = 6;
  EXPECT_TRUE(Fire().empty());
  rec_.m_nFormation = 0;
  rec_.m_nCount = 0;
  EXPECT_TRUE(Fire().empty());
  rec_.m_nCount = 3;
  rec_.m_nCopies = -1;
  EXPECT_TRUE(Fire().empty());
}

TEST_F(FormationTest, AimWithoutTargetUsesFacing) {
  cShotLaunch l;
  owner_->m_nFacing = 1;
  EXPECT_EQ(CalcAimAngle(0, 0, *owner_, rec_, l), 180);
  owner_->m_nFacing = 0;
  EXPECT_EQ(CalcAimAngle(0, 0, *owner_, rec_, l), 0);
  cChara& t = AddChara(40);
  t.m_PicRect.m_nLeft = 200, t.m_PicRect.m_nTop = 100, t.m_PicRect.m_nW = t.m_PicRect.m_nH = 32;
  owner_->m_pTarget.At(0) = &t;
  // From (100, 116) to the target's centre (216, 116): straight right.
  EXPECT_EQ(CalcAimAngle(100, 116, *owner_, rec_, l), 180) << "straight right";
  EXPECT_EQ(CalcAimAngle(216, 200, *owner_, rec_, l), 90) << "straight up";
  owner_->m_pTarget.At(0) = nullptr;
}

TEST_F(FormationTest, AimWhileTheViewScrollsGoesThroughATrialShot) {
  cChara& t = AddChara(40);
  t.m_PicRect.m_nLeft = 200, t.m_PicRect.m_nTop = 100, t.m_PicRect.m_nW = t.m_PicRect.m_nH = 32;
  t.m_bScrollSync = 1;
  owner_->m_pTarget.At(0) = &t;
  scene_.m_ScrollX.m_dAutoSpeed = 1;
  scene_.m_ScrollX.m_dPos = 50;
  rec_.m_sSpeed = 30;
  cShotLaunch l;
  l.m_dSpeed = 99;
  const size_t before = scene_.m_lShot.size();
  // From stage (100, 216), on screen (50, 216), to the centre (216, 116) on screen.
  const int a = CalcAimAngle(100, 216, *owner_, rec_, l);
  EXPECT_EQ(a, TruncToInt(std::atan2(116 - 216, 216 - 50) * kRadToDeg + 180));
  EXPECT_NEAR(l.m_dSpeed, 3, 1e-9) << "the launch speed becomes the aimed step's";
  EXPECT_EQ(scene_.m_lShot.size(), before) << "the trial shot goes nowhere";
  EXPECT_TRUE(owner_->m_vShotLink.empty());
  owner_->m_pTarget.At(0) = nullptr;
}

// ---- Movement kinds ----

TEST_F(ShotTest, HomingKindsFollowAndStop) {
  SetSteps(1);
  cHero& hero = AddHero(kHeroObjNo);
  hero.m_PicRect.m_nLeft = 400, hero.m_PicRect.m_nTop = 300, hero.m_PicRect.m_nW = hero.m_PicRect.m_nH = 32;
  rec_.m_nMoveKind = 4;
  rec_.m_sSpeed = 20;         // 2 px per sub-step
  rec_.m_sMoveParam[0] = 0;   // from the start
  rec_.m_sMoveParam[1] = 0;   // end 0: never homes
  cShot never;
  never.Init(1, owner_, CMD_SHOT, rec_, Launch(-2, 0));
  never.Update();
  EXPECT_EQ(never.m_dVelX, -2);
  EXPECT_EQ(never.m_bMoveDone, 1);
  rec_.m_sMoveParam[1] = 999;
  cShot homing;
  homing.Init(1, owner_, CMD_SHOT, rec_, Launch(-2, 0));
  homing.Update();
  EXPECT_GT(homing.m_dVelX, 0) << "turned toward the hero on the right";
  EXPECT_NEAR(std::hypot(homing.m_dVelX, homing.m_dVelY), 2, 1e-9);
}

TEST_F(ShotTest, NearestHomingPicksNextAfterDeath) {
  SetSteps(1);
  rec_.m_nMoveKind = 5;
  rec_.m_sSpeed = 10;
  rec_.m_sMoveParam[1] = 999;
  rec_.m_sMoveParam[2] = 1;
  cChara& a = AddChara(50);
  cChara& b = AddChara(51);
  a.m_bActive = b.m_bActive = a.m_bOnScreen = b.m_bOnScreen = 1;
  a.m_PicRect.m_nLeft = 400, a.m_PicRect.m_nTop = 312, a.m_PicRect.m_nW = a.m_PicRect.m_nH = 16;
  b.m_PicRect.m_nLeft = 312, b.m_PicRect.m_nTop = 100, b.m_PicRect.m_nW = b.m_PicRect.m_nH = 16;
  scene_.m_vSideChara[1] = {&a, &b};
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(-1, 0));
  s.Update();
  EXPECT_GT(s.m_dVelX, 0.99) << "toward a, to the right";
  a.m_bDead = 1;
  s.Update();
  EXPECT_LT(s.m_dVelY, -0.99) << "toward b, above, once a is dead";
}

TEST_F(ShotTest, AimingTurnsOnceAtItsStep) {
  SetSteps(1);
  cHero& hero = AddHero(kHeroObjNo);
  hero.m_PicRect.m_nLeft = 320, hero.m_PicRect.m_nTop = 100, hero.m_PicRect.m_nW = hero.m_PicRect.m_nH = 16;
  rec_.m_nMoveKind = 1;
  rec_.m_sSpeed = 20;
  rec_.m_sMoveParam[0] = 1;  // 16 px at 2 px per sub-step: the 8th sub-step
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(2, 0));
  for (int i = 0; i < 8; ++i) {
    s.Update();
    EXPECT_EQ(s.m_dVelY, 0) << i;
  }
  s.Update();
  EXPECT_LT(s.m_dVelY, -1.9) << "turned up toward the hero";
  const double vy = s.m_dVelY;
  hero.m_PicRect.m_nTop = 900;
  s.Update();
  EXPECT_EQ(s.m_dVelY, vy) << "aimed once only";
}

TEST_F(ShotTest, WaveSwingsAcrossTheFlightWithoutReversing) {
  SetSteps(1);
  rec_.m_nMoveKind = 8;
  rec_.m_sMoveParam[0] = 4;
  rec_.m_sMoveParam[1] = 4;
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(2, 0));
  s.Update();
  EXPECT_NEAR(s.m_dWaveNormX, 0, 1e-12) << "across a rightward flight";
  EXPECT_NEAR(s.m_dWaveNormY, -1, 1e-12);
  EXPECT_NEAR(s.m_dVelX, 2, 1e-12);
  bool swungDown = false, swungUp = false;
  for (int i = 0; i < 200; ++i) {
    s.Update();
    EXPECT_NEAR(s.m_dVelX, 2, 1e-9) << "the flight's own axis is untouched";
    swungDown |= s.m_dVelY > 0;
    swungUp |= s.m_dVelY < 0;
  }
  EXPECT_TRUE(swungDown && swungUp);
}

TEST_F(ShotTest, FallKindDropsAfterTurnStep) {
  SetSteps(1);
  rec_.m_nMoveKind = 9;
  rec_.m_sSpeed = 20;
  rec_.m_sMoveParam[0] = 1;  // 16 px at 2 px: 8 sub-steps
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, Launch(2, -1));
  for (int i = 0; i < 8; ++i) s.Update();
  EXPECT_EQ(s.m_bFlying, 1);
  s.Update();
  EXPECT_EQ(s.m_bFlying, 0);
  EXPECT_EQ(s.m_dSpeedY, -1) << "the vertical velocity becomes the falling speed";
}

TEST_F(ShotTest, StepCountsStayInRange) {
  EXPECT_EQ(ShotDistToSteps(100, 0), 0);
  EXPECT_EQ(ShotDistToSteps(32000, 1e-12), INT_MAX);
  EXPECT_EQ(ShotDistToSteps(6, 2), 48);
  SetSteps(1);
  rec_.m_bRangeOn = 1;
  rec_.m_bLifeOn = 1;
  cShotLaunch l = Launch(1e-9, 0, 32000, 32000);
  cShot s;
  s.Init(1, owner_, CMD_SHOT, rec_, l);
  EXPECT_EQ(s.m_nRangeSteps, INT_MAX);
  EXPECT_GT(s.m_nLifeSteps, 0);
}

}  // namespace
