#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "flow/executors.h"
#include "flow/flowinst.h"
#include "scenes/collision.h"
#include "stagedata/mapcell.h"
#include "stagedata/edmove.h"
#include "support/status_fixture.h"

namespace {

class WarpTest : public StatusTest {
 protected:
  // A warp command of the position mode, its movement block adjusted by `edit`.
  static cFlowCmd Warp(int posMode, const std::function<void(cEdMove&)>& edit) {
    cFlowCmd c = Cmd(CMD_WARP);
    CreateEdMove(c.m_pEdMove);
    cEdMove& m = *c.m_pEdMove;
    m.m_nPosMode = static_cast<int8_t>(posMode);
    m.m_bMirrorX = m.m_bMirrorY = 0;
    m.m_nRefPoint = 0;
    edit(m);
    return c;
  }
  // Direction and distance in half cells.
  static cFlowCmd Dir(int posMode, int dirKind, int dist, int distStep = 0) {
    return Warp(posMode, [=](cEdMove& m) {
      m.m_nDir = static_cast<int8_t>(dirKind);
      m.m_sDist = static_cast<int16_t>(dist);
      m.m_sDistStep = static_cast<int16_t>(distStep);
    });
  }
  // Target coordinates: reference 0 relative, 1 stage, 2 screen; unit 0 cells, 1 dots.
  static cFlowCmd Coord(int reference, int unit, int x, int dotX, int y, int dotY, int axes = 3) {
    return Warp(5, [=](cEdMove& m) {
      m.m_nCoordMode = static_cast<int8_t>(reference);
      m.m_nUnit = static_cast<int8_t>(unit);
      m.m_sTargetX = static_cast<int16_t>(x);
      m.m_sTargetDotX = static_cast<int16_t>(dotX);
      m.m_sTargetY = static_cast<int16_t>(y);
      m.m_sTargetDotY = static_cast<int16_t>(dotY);
      m.m_bAxisX = static_cast<int8_t>(axes & 1);
      m.m_bAxisY = static_cast<int8_t>(axes >> 1);
    });
  }
  static cFlowCmd With(cFlowCmd c, const std::function<void(cEdMove&)>& edit) {
    edit(*c.m_pEdMove);
    return c;
  }
};

TEST_F(WarpTest, WhereTheSubjectArrives) {
  cChara& me = Body(1, 400, 400);
  cChara& target = Body(2, 600, 500);
  target.m_nFacing = 0;
  cFlowInstance flow;  // the flow whose start direction an input-direction warp reads
  scene_.m_pCurFlow = &flow;
  const double d3 = 48 / std::sqrt(2.0);
  const struct {
    const char* what;
    std::function<void()> setUp;
    cFlowCmd cmd;
    int statusCall;
    double x, y;
  } cases[] = {
      {"right 3 half cells", [] {}, Dir(0, 3, 3), 0, 448, 400},
      {"up-right 3 half cells", [] {}, Dir(0, 10, 3), 0, 400 + d3, 400 - d3},
      {"down-left", [] {}, Dir(0, 9, 3), 0, 400 - d3, 400 + d3},
      {"front while facing left", [&] { me.m_nFacing = 0; }, Dir(0, 0, 2), 0, 368, 400},
      {"the clone value adds the step", [&] { me.m_sParamLevel = 2; }, Dir(0, 7, 1, 1), 0, 400, 448},
      {"no direction", [] {}, Dir(0, 1 + 30, 3), 0, 400, 400},
      {"input up-right kept", [&] { flow.m_nStartDir = 7; }, Dir(0, 12, 3), 0, 400 + d3, 400 - d3},
      {"input up-right collapsed for a walker under the old rule",
       [&] {
         flow.m_nStartDir = 7;
         g_SystemData.m_bCompat721 = 1;
       },
       Dir(0, 12, 3), 0, 448, 400},
      {"...but kept for a flyer",
       [&] {
         flow.m_nStartDir = 7;
         g_SystemData.m_bCompat721 = 1;
         me.m_bFlying = 1;
       },
       Dir(0, 12, 3), 0, 400 + d3, 400 - d3},
      {"from target 1, by its facing", [&] { me.m_pTarget[0] = &target; }, Dir(1, 0, 3), 0, 600 - 48, 500},
      {"centred on target 1", [&] { me.m_pTarget[0] = &target; }, Dir(1, 1 + 30, 3), 0, 600, 500},
      {"from an empty target 2", [&] { me.m_pTarget[0] = &target; }, Dir(2, 3, 3), 0, 400, 400},
      {"relative, mirrored while facing right", [] {}, With(Coord(0, 1, 64, 0, 0, 0), [](cEdMove& m) { m.m_bMirrorX = 1; }), 0,
       336, 400},
      {"relative, mirrored, facing left", [&] { me.m_nFacing = 0; },
       With(Coord(0, 1, 64, 0, 0, 0), [](cEdMove& m) { m.m_bMirrorX = 1; }), 0, 464, 400},
      {"relative in cells, one axis", [] {}, Coord(0, 0, 1, 4, 5, 0, 1), 0, 436, 400},
      {"stage cell 5: the box's left at 496.5 less half its width", [] {}, Coord(1, 0, 5, 0, 3, 0), 0, 480.5,
       320 + 96 - 16 + 16 + 0.5},
      {"stage, the foot point", [] {}, With(Coord(1, 1, 100, 0, 100, 0), [](cEdMove& m) { m.m_nRefPoint = 1; }), 0, 404.5,
       404.5},
      {"stage by cell under the old placement", [] { g_SystemData.m_bCompat822 = 1; }, Coord(1, 0, 5, 3, 3, 2), 0,
       480.5 + 3, 416 + 2},
      {"stage by cell for a status call under its switch", [] { g_SystemData.m_bCompat895 = 1; },
       Coord(1, 0, 5, 3, 3, 2), 1, 483.5, 418},
      {"...but not for the command", [] { g_SystemData.m_bCompat895 = 1; }, Coord(1, 0, 5, 3, 3, 2), 0, 483.5,
       320 + 98 - 16 + 16 + 0.5},
      {"screen, centre", [] {}, Coord(2, 1, 100, 0, 100, 0), 0, 100 + 320 - 16 + 0.5, 100 + 320 - 16 + 0.5},
      {"screen, foot", [] {}, With(Coord(2, 1, 100, 0, 100, 0), [](cEdMove& m) { m.m_nRefPoint = 2; }), 0, 404.5,
       100 + 320 - 32 + 16 + 0.5},
      {"screen, foot one half cell lower for 822-893 data", [] { g_SystemData.m_bCompat894 = 1; },
       With(Coord(2, 1, 100, 0, 100, 0), [](cEdMove& m) { m.m_nRefPoint = 2; }), 0, 404.5, 100 + 320 - 0 + 0.5},
      {"screen by the picture under the old placement", [] { g_SystemData.m_bCompat822 = 1; },
       Coord(2, 1, 100, 0, 100, 0), 0, 420, 420},
      {"mode 6 moves nothing", [] {}, Dir(6, 3, 3), 0, 400, 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_SystemData = cSystemData();
    me.m_nFacing = 1;
    me.m_sParamLevel = 0;
    me.m_bFlying = 0;
    me.m_pTarget.Fill(nullptr);
    flow.m_nStartDir = 0;
    Place(me, 400, 400);
    c.setUp();
    ExecWarp(&me, c.cmd, c.statusCall);
    EXPECT_NEAR(me.m_dX, c.x, 1e-9);
    EXPECT_NEAR(me.m_dY, c.y, 1e-9);
  }
}

TEST_F(WarpTest, UndoSpeedAndThePin) {
  cChara& me = Body(1, 400, 400);
  // A walker arrives without falling speed; a flyer keeps it.
  me.m_dSpeedY = 3;
  ExecWarp(&me, Dir(0, 3, 1), 0);
  EXPECT_EQ(me.m_dSpeedY, 0);
  me.m_bFlying = 1;
  me.m_dSpeedY = 3;
  ExecWarp(&me, Dir(0, 3, 1), 0);
  EXPECT_EQ(me.m_dSpeedY, 3);
  me.m_bFlying = 0;

  // Out of the stage's limits: undone, with position and speed as they were.
  Place(me, 400, 400);
  me.m_dSpeedY = 2;
  ExecWarp(&me, Dir(0, 2, 10), 0);
  EXPECT_EQ(me.m_dX, 400);
  EXPECT_EQ(me.m_dRight, 431);
  EXPECT_EQ(me.m_dSpeedY, 2);
  EXPECT_EQ(me.m_PicRect.m_nLeft, 80);

  // A warp to screen coordinates pins the picture where it is, also when it was undone.
  ExecWarp(&me, Coord(2, 1, 100, 0, 50, 0), 0);
  EXPECT_EQ(me.m_bFixedX, 1);
  EXPECT_EQ(me.m_bFixedY, 1);
  EXPECT_EQ(me.m_nFixedX, me.m_PicRect.m_nLeft);
  EXPECT_EQ(me.m_nFixedX, 100 - 16);
  Place(me, 400, 400);
  ExecWarp(&me, Coord(2, 1, -500, 0, 50, 0), 0);
  EXPECT_EQ(me.m_dX, 400) << "undone";
  EXPECT_EQ(me.m_bFixedX, 1);
  EXPECT_EQ(me.m_nFixedX, 80);
  // Any other warp lifts the pin.
  ExecWarp(&me, Dir(0, 3, 1), 0);
  EXPECT_EQ(me.m_bFixedX, 0);
}

TEST_F(WarpTest, AWarpIntoAWallIsUndone) {
  // An object whose moves keep its edges and cells up to date, as the kinds' own moves do.
  struct Walker : cChara {
    int AfterMoveX() override { return CheckBoundsX(2); }
    int AfterMoveY() override { return CheckBoundsY(2); }
  } me;
  me.m_PicRect.m_nW = me.m_PicRect.m_nH = 32;
  me.m_nHitW = me.m_nHitH = 32;
  me.m_Chara.m_cScale = 1;
  me.SetMoveMode(0);
  me.m_nFacing = 1;
  me.m_dX = 400;
  me.m_dY = 400;
  me.AfterMoveX();
  me.AfterMoveY();
  me.m_dSpeedY = 2;
  g_MapCells.At(CellIndexOf(16, 12)).m_cHit = 1;  // the wall: map pixels 512-543, 384-415
  ExecWarp(&me, Dir(0, 3, 8), 0);               // 128 to the right: into the wall
  EXPECT_EQ(me.m_dX, 400);
  EXPECT_EQ(me.m_dRight, 431);
  EXPECT_EQ(me.m_nCellRight, 13);
  EXPECT_EQ(me.m_dSpeedY, 2) << "speed as it was";
  ExecWarp(&me, Dir(0, 3, 12), 0);  // 192 to the right: past the wall
  EXPECT_EQ(me.m_dX, 592);
  EXPECT_EQ(me.m_dSpeedY, 0);
  // A flyer through blocks is never blocked.
  me.SetMoveMode(1);
  ExecWarp(&me, Dir(0, 2, 4), 0);
  EXPECT_EQ(me.m_dX, 528);
}

TEST_F(WarpTest, TheTableAdapterIsNoStatusCall) {
  cChara& me = Body(1, 400, 400);
  g_SystemData.m_bCompat895 = 1;
  cFlowCmd cmd = Coord(1, 0, 5, 3, 3, 2);
  cCmdInstance inst;
  inst.m_pCmd = &cmd;
  g_CmdExecDefaults[CMD_WARP](&me, &inst);
  EXPECT_DOUBLE_EQ(me.m_dY, 418.5) << "placed by coordinates, not by cell (which gives 418)";
}

}  // namespace
