#include <gtest/gtest.h>

#include "gamedata/systemdata.h"
#include "scenes/map_fixture.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"

namespace {

using CollisionTest = MapTest;

// One sub-step's collision on one axis against a single cell. Cells of column c span x 32c..32c+31.
struct Scenario {
  const char* name;
  int column, row, hit;
  bool hero;
  int moveMode;
  double x, y, speedX, speedY;
  char axis;
  int exact, landRising;
  int wantResult;
  double wantX, wantY;
};

TEST_F(CollisionTest, ScenariosAgainstOneCell) {
  const Scenario cases[] = {
      // Falling onto a floor: the bottom rests on the last row above the cell.
      {"hero lands", 12, 20, 1, true, 0, 392, 619, 0, 3, 'Y', 0, 0, 0, 392, 616},
      {"character lands", 12, 20, 1, false, 0, 392, 619, 0, 3, 'Y', 0, 0, 0, 392, 616},
      // Walls: pushed to the boundary, then nudged back by 0.1 while the cells stored before the
      // push still lie in the block; exact push-out stops on the boundary's last pixel.
      {"wall on the right", 15, 18, 1, false, 0, 466, 580, 2, 0, 'X', 0, 0, 0, 464.9, 580},
      {"wall on the right, exact", 15, 18, 1, false, 0, 466, 580, 2, 0, 'X', 1, 0, 0, 464, 580},
      {"wall on the left", 12, 18, 1, false, 0, 414, 580, -2, 0, 'X', 0, 0, 0, 416.1, 580},
      {"wall on the left, exact", 12, 18, 1, false, 0, 414, 580, -2, 0, 'X', 1, 0, 0, 416, 580},
      // A ceiling puts the top on the first row of the next cell.
      {"ceiling", 12, 18, 1, true, 0, 392, 606, 0, -3, 'Y', 0, 0, 0, 392, 608},
      // A walker rising into a floor cell does not land unless land-while-rising.
      {"rising into a floor", 12, 20, 1, false, 0, 392, 630, 0, -2, 'Y', 0, 0, 0, 392, 630},
      {"rising into a floor, land while rising", 12, 20, 1, false, 0, 392, 630, 0, -2, 'Y', 0, 1, 0, 392, 616},
      // A deadly cell kills the hero from every side, also from below.
      {"deadly, hero from the right", 12, 18, 2, true, 0, 414, 580, -2, 0, 'X', 0, 0, 2, 414, 580},
      {"deadly, hero from the left", 15, 18, 2, true, 0, 466, 580, 2, 0, 'X', 0, 0, 2, 466, 580},
      {"deadly, hero from above", 12, 20, 2, true, 0, 392, 619, 0, 3, 'Y', 0, 0, 2, 392, 619},
      {"deadly, hero from below", 12, 18, 2, true, 0, 392, 606, 0, -3, 'Y', 0, 0, 2, 392, 606},
      // ... and is solid for others: no nudge on the left, one pixel more on the right.
      {"deadly, character on the left", 12, 18, 2, false, 0, 414, 580, -2, 0, 'X', 0, 0, 0, 416, 580},
      {"deadly, character on the right", 15, 18, 2, false, 0, 466, 580, 2, 0, 'X', 0, 0, 0, 464, 580},
      {"deadly, character lands", 12, 20, 2, false, 0, 392, 619, 0, 3, 'Y', 0, 0, 0, 392, 616},
      // Move modes: 1 passes, 2 stops, 3 dies on any hitting cell and is not moved.
      {"mode 1 passes", 15, 18, 1, false, 1, 466, 580, 2, 0, 'X', 0, 0, 0, 466, 580},
      {"mode 1 does not land", 12, 20, 1, false, 1, 392, 619, 0, 3, 'Y', 0, 0, 0, 392, 619},
      {"mode 2 stops", 15, 18, 1, false, 2, 466, 580, 2, 0, 'X', 0, 0, 0, 464.9, 580},
      {"mode 2 stops moving away", 15, 18, 1, false, 2, 466, 580, -2, 0, 'X', 0, 0, 0, 464.9, 580},
      {"mode 3 dies at a wall", 15, 18, 1, false, 3, 466, 580, 2, 0, 'X', 0, 0, 2, 466, 580},
      {"mode 3 dies at a ceiling", 12, 18, 1, false, 3, 392, 606, 0, -3, 'Y', 0, 0, 2, 392, 606},
      {"mode 3 dies on a floor", 12, 20, 2, false, 3, 392, 619, 0, 3, 'Y', 0, 0, 2, 392, 619},
  };
  for (const Scenario& c : cases) {
    SCOPED_TRACE(c.name);
    MakeMap(20, 15);
    Solid(c.column, c.row, c.hit);
    g_SystemData.m_bNoPushRecord = c.exact;
    g_SystemData.m_bCompat677 = c.landRising;
    TestHero hero;
    TestChara chara;
    cCharaBase& obj = c.hero ? static_cast<cCharaBase&>(Place(hero, c.x, c.y)) : Place(chara, c.x, c.y);
    obj.SetMoveMode(c.moveMode);
    obj.m_dSpeedX = c.speedX;
    obj.m_dSpeedY = c.speedY;
    const int result = c.axis == 'X' ? scene_.CollideBlocksX(&obj) : scene_.CollideBlocksY(&obj);
    EXPECT_EQ(result, c.wantResult);
    EXPECT_DOUBLE_EQ(obj.m_dX, c.wantX);
    EXPECT_DOUBLE_EQ(obj.m_dY, c.wantY);
  }
}

TEST_F(CollisionTest, ContactsAndFloorCellsOfALanding) {
  cMapCell& floor = Solid(12, 20);
  TestHero hero;
  Place(hero, 392, 619);
  hero.m_dSpeedY = 3;
  hero.m_bInAir = 1;
  hero.m_nNoFloorFrames = 5;
  EXPECT_EQ(scene_.CollideBlocksY(&hero), 0);
  EXPECT_EQ(hero.m_pCellBelow, &floor);
  EXPECT_EQ(hero.m_pLandCell, &floor);
  EXPECT_EQ(hero.m_bContactBottom, 1);
  EXPECT_EQ(hero.m_dSpeedY, 0);
  EXPECT_EQ(hero.m_bInAir, 0);
  EXPECT_EQ(hero.m_nNoFloorFrames, 0);

  TestChara chara;
  Solid(15, 18);
  Place(chara, 466, 580);
  chara.m_dSpeedX = 2;
  chara.m_dInertiaX = 1.5;
  scene_.CollideBlocksX(&chara);
  EXPECT_EQ(chara.m_bContactRight, 1);
  EXPECT_EQ(chara.m_dInertiaX, 0);
  EXPECT_EQ(chara.m_nLastBlockSide, 1);
}

// The no-floor limit is the stage's fall threshold of 8 frames of sub-steps.
TEST_F(CollisionTest, AirborneAfterEightFramesWithoutFloor) {
  SetSteps(2);
  TestChara chara;
  Place(chara, 392, 500);
  chara.m_dSpeedY = 1;
  for (int i = 1; i < 16; ++i) scene_.CollideFloor(&chara);
  EXPECT_EQ(chara.m_nNoFloorFrames, 15);
  EXPECT_EQ(chara.m_bInAir, 0);
  EXPECT_EQ(chara.m_pCellBelow, nullptr);
  scene_.CollideFloor(&chara);
  EXPECT_EQ(chara.m_bInAir, 1);

  // A hero riding a block character does not become airborne; one that does not ride has its rise over.
  TestHero hero;
  TestChara ridden;
  Place(hero, 392, 500);
  hero.m_pRide = &ridden;
  hero.m_nNoFloorFrames = 15;
  scene_.CollideFloor(&hero);
  EXPECT_EQ(hero.m_bInAir, 0);
  hero.m_pRide = nullptr;
  scene_.CollideFloor(&hero);
  EXPECT_EQ(hero.m_bInAir, 1);
  EXPECT_EQ(hero.m_bJumpEnded, 1);
}

TEST_F(CollisionTest, FootCellAcrossTheWidthTiesToTheMiddle) {
  // A 32-pixel hero at x 400 samples 400, 416 and 431 (columns 12, 13, 13); the middle is 415.
  TestHero hero;
  Place(hero, 400, 620, 32, 24);  // bottom 643 in row 20
  Solid(13, 20);
  EXPECT_EQ(scene_.FindFootCell(&hero), CellIndexOf(13, 20));  // half on a solid cell stands on it
  Solid(12, 20);
  EXPECT_EQ(scene_.FindFootCell(&hero), CellIndexOf(13, 20));  // equal cells: the sample nearer the middle
  Solid(12, 20, 2);
  EXPECT_EQ(scene_.FindFootCell(&hero), CellIndexOf(12, 20));  // strictly stronger wins
  // The edge search breaks ties the same way: scale 2 of a 16-pixel base samples 410, 425 and 440
  // around the middle 425. A vertical edge keeps the first strongest.
  Cell(12, 20).m_cHit = 1;
  hero.m_nBaseHitW = 16;
  hero.m_Chara.m_cScale = 2;
  EXPECT_EQ(scene_.FindSegmentCell(&hero, 410, 640, 441, 640), CellIndexOf(13, 20));
  hero.m_Chara.m_cScale = 1;
  Solid(12, 19);
  EXPECT_EQ(scene_.FindSegmentCell(&hero, 400, 620, 400, 643), CellIndexOf(12, 19));
  // A scale of 0 from damaged data counts as 1.
  hero.m_Chara.m_cScale = 0;
  EXPECT_EQ(scene_.FindFootCell(&hero), CellIndexOf(13, 20));
}

TEST_F(CollisionTest, LargeScalesCollideAlongTheWholeEdge) {
  // Scale 3 of a 16 x 16 base: the left edge is sampled at top + 0, 15, 30, 45.
  TestChara chara;
  Place(chara, 414, 576, 48, 48);
  chara.m_nBaseHitW = chara.m_nBaseHitH = 16;
  chara.m_Chara.m_cScale = 3;
  Solid(12, 19);  // beside the lower half only
  chara.m_dSpeedX = -2;
  scene_.CollideBlocksX(&chara);
  EXPECT_DOUBLE_EQ(chara.m_dX, 416.1);
  // Scale 2 samples top + 0, 15, 30.
  TestChara two;
  Place(two, 414, 580, 32, 32);
  two.m_nBaseHitW = two.m_nBaseHitH = 16;
  two.m_Chara.m_cScale = 2;
  two.m_dSpeedX = -2;
  scene_.CollideBlocksX(&two);
  EXPECT_DOUBLE_EQ(two.m_dX, 416.1);
  // The samples follow the scale: counted as scale 1, only top and top + 15 in row 18 are tested.
  Place(chara, 414, 576, 48, 48);
  chara.m_Chara.m_cScale = 1;
  chara.m_nBaseHitH = 16;
  scene_.CollideBlocksX(&chara);
  EXPECT_DOUBLE_EQ(chara.m_dX, 414);
}

TEST_F(CollisionTest, MapEdgesNeverIndexOutsideTheMap) {
  const int w = scene_.m_ScrollX.m_nOuterRange, h = scene_.m_ScrollY.m_nOuterRange;
  Solid(0, 0);
  Solid(39, 34);
  TestChara chara;
  for (double x : {-20.0, 0.0, w - 16.0, w + 10.0}) {
    for (double y : {-30.0, 0.0, h - 24.0, h + 10.0}) {
      Place(chara, x, y);
      chara.m_dSpeedX = 1;
      chara.m_dSpeedY = 1;
      scene_.CollideBlocksX(&chara);
      scene_.CollideBlocksY(&chara);
      const int foot = scene_.FindFootCell(&chara);
      EXPECT_GE(foot, 0);
      EXPECT_LT(foot, g_MapCells.Size());
    }
  }
  TestHero hero;
  Place(hero, -40, -40);
  EXPECT_EQ(scene_.FindSegmentCell(&hero, -40, -40, -40, -17), CellIndexOf(0, 0));
  EXPECT_EQ(scene_.FindFootCell(&hero), CellIndexOf(0, 0));
  EXPECT_EQ(scene_.FindSegmentCell(&hero, w + 50, h + 50, w + 90, h + 50), CellIndexOf(39, 34));
}

TEST_F(CollisionTest, RecheckDiffersFromTheFloorTest) {
  // No floor: the no-floor count and the foot cell stay as they were.
  TestHero hero;
  Place(hero, 392, 500);
  cMapCell* before = &Cell(0, 0);
  hero.m_pCellBelow = before;
  hero.m_nNoFloorFrames = 3;
  EXPECT_EQ(scene_.RecheckBlocksY(&hero), 0);
  EXPECT_EQ(hero.m_pCellBelow, before);
  EXPECT_EQ(hero.m_nNoFloorFrames, 3);
  // A rising walker in a floor cell ends the recheck before the ceiling.
  Solid(12, 20);
  Solid(12, 18);
  Place(hero, 392, 620, 16, 30);  // top in row 19, bottom 649 in row 20
  hero.m_dSpeedY = -1;
  hero.m_bContactTop = 0;
  EXPECT_EQ(scene_.RecheckBlocksY(&hero), 0);
  EXPECT_EQ(hero.m_bContactTop, 0);
  EXPECT_DOUBLE_EQ(hero.m_dY, 620);
  // A deadly floor sets both cells before the hero dies.
  Solid(12, 20, 2);
  hero.m_dSpeedY = 1;
  EXPECT_EQ(scene_.RecheckBlocksY(&hero), 2);
  EXPECT_EQ(hero.m_pLandCell, &Cell(12, 20));
  EXPECT_EQ(hero.m_pCellBelow, &Cell(12, 20));
}

TEST_F(CollisionTest, BoxBlockedByCellsAndBlockCharacters) {
  TestChara chara;
  Place(chara, 392, 580);
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 0);
  Solid(12, 18);
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 1);
  chara.SetMoveMode(1);
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 0);
  chara.SetMoveMode(0);
  Cell(12, 18).m_cHit = 0;
  // A block character whose box only touches counts; a dead one or one not appearing does not.
  cChara& block = g_lstChara.emplace_back();
  Place(block, 392 + 15, 580);
  block.m_Chara.m_bBlockChara = 1;
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 1);
  block.m_bDead = 1;
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 0);
  block.m_bDead = 0;
  block.m_bActive = 0;
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 0);
  block.m_bActive = 1;
  block.m_Chara.m_bBlockChara = 0;
  EXPECT_EQ(scene_.IsBoxBlocked(&chara), 0);
}

TEST_F(CollisionTest, JumpPadLaunchesAndItsItemWaits) {
  SetSteps(2);
  g_StageData.m_dGravitySetting = 1.0;
  SetSteps(2);
  CommonPalette().List<cItemData>().assign(2, cItemData());
  cMapCell& pad = Solid(12, 20);
  pad.m_cEffect = 1;
  pad.m_nEffectValue = 0x104;  // height 4 in the low byte
  pad.m_cItemKind = PAL_COMMON;
  pad.m_sItemIndex = 1;
  TestHero hero;
  Place(hero, 392, 616);
  hero.m_pCellBelow = hero.m_pLandCell = hero.m_pPrevLandCell = &pad;
  EXPECT_EQ(scene_.ApplySpecialBlock(&hero), 0);
  EXPECT_EQ(Sounds(), std::vector<int>{10});
  EXPECT_DOUBLE_EQ(hero.m_dSpeedY, hero.JumpHeightToSpeed(4));
  EXPECT_LT(hero.m_dSpeedY, 0);
  EXPECT_EQ(hero.m_bInAir, 1);
  EXPECT_EQ(hero.m_bJumping, 1);
  EXPECT_EQ(hero.m_nJumpFrames, SpeedToFrames(hero.m_dSpeedY));
  EXPECT_EQ(hero.m_nBlockItemWait, 0);  // taken, and the launch made the hero airborne
  // A plain cell's item: taken, then not again while the wait runs standing on it.
  pad.m_cEffect = 0;
  hero.m_bInAir = 0;
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 60 * 2 - 1);  // the wait counts in the call that took
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 60 * 2 - 2);
  // Landing on another cell ends the wait at once; being airborne too.
  cMapCell& other = Solid(13, 20);
  hero.m_pLandCell = &other;
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 0);
  hero.m_pLandCell = &pad;
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 60 * 2 - 1);
  hero.m_bInAir = 1;
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 0);
  // A missing palette item is never taken.
  hero.m_bInAir = 0;
  pad.m_sItemIndex = 7;
  scene_.TakeBlockItem(&hero);
  EXPECT_EQ(hero.m_nBlockItemWait, 0);
}

TEST_F(CollisionTest, SpecialFloors) {
  SetSteps(2);
  cMapCell& floor = Solid(12, 20);
  TestHero hero;
  Place(hero, 392, 616);
  struct Case {
    int effect, value;
    double speedX, inertiaX, wantSpeedX, wantInertiaX;
  };
  const Case cases[] = {
      {3, 50, 2.0, 1.0, 1.0, 1.0},     // rate 50 %
      {4, 10, 2.0, 1.0, 1.5, 0.0},     // pushed left by 10 x 0.1 / 2, a rightward inertia stops
      {5, 10, 2.0, -1.0, 2.5, 0.0},    // pushed right, a leftward inertia stops
      {5, 10, 2.0, 1.0, 2.5, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effect);
    floor.m_cEffect = static_cast<int8_t>(c.effect);
    floor.m_nEffectValue = c.value;
    hero.m_nFloorEffectTime = 0;
    hero.m_pCellBelow = &floor;
    hero.m_dSpeedX = c.speedX;
    hero.m_dInertiaX = c.inertiaX;
    scene_.ApplySpecialBlock(&hero);
    EXPECT_DOUBLE_EQ(hero.m_dSpeedX, c.wantSpeedX);
    EXPECT_DOUBLE_EQ(hero.m_dInertiaX, c.wantInertiaX);
    // Off the floor it still acts for the rest of its sub-steps, then stops.
    hero.m_pCellBelow = nullptr;
    hero.m_dSpeedX = c.speedX;
    hero.m_dInertiaX = c.inertiaX;
    scene_.ApplySpecialBlock(&hero);
    EXPECT_DOUBLE_EQ(hero.m_dSpeedX, c.wantSpeedX);
    hero.m_dSpeedX = c.speedX;
    scene_.ApplySpecialBlock(&hero);
    EXPECT_DOUBLE_EQ(hero.m_dSpeedX, c.speedX);
  }
  // The no-jump floor, cleared by the next other floor; a flying hero is not affected.
  floor.m_cEffect = 2;
  hero.m_pCellBelow = &floor;
  scene_.ApplySpecialBlock(&hero);
  EXPECT_EQ(hero.m_bNoJump, 1);
  floor.m_cEffect = 0;
  scene_.ApplySpecialBlock(&hero);
  EXPECT_EQ(hero.m_bNoJump, 0);
  floor.m_cEffect = 2;
  hero.SetMoveMode(2);
  scene_.ApplySpecialBlock(&hero);
  EXPECT_EQ(hero.m_bNoJump, 0);
}

TEST_F(CollisionTest, GlueToALowerFloor) {
  SetSteps(2);
  TestChara chara;
  Place(chara, 392, 610);  // bottom 633; 4 below is row 19
  chara.m_dSpeedY = 0;
  scene_.GlueToFloor(&chara);
  EXPECT_EQ(chara.m_dSpeedY, 0);  // nothing below
  Solid(12, 19);
  scene_.GlueToFloor(&chara);
  EXPECT_DOUBLE_EQ(chara.m_dSpeedY, 3.5);
  chara.m_dSpeedY = 0.6;  // above 1 / n
  scene_.GlueToFloor(&chara);
  EXPECT_DOUBLE_EQ(chara.m_dSpeedY, 0.6);
  chara.m_dSpeedY = 0;
  chara.m_bInAir = 1;
  scene_.GlueToFloor(&chara);
  EXPECT_EQ(chara.m_dSpeedY, 0);
  // The simple form only adds 1 to a speed that is not rising.
  g_SystemData.m_bCompat793 = 1;
  scene_.GlueToFloor(&chara);
  EXPECT_EQ(chara.m_dSpeedY, 1.0);
  chara.m_dSpeedY = -0.5;
  scene_.GlueToFloor(&chara);
  EXPECT_EQ(chara.m_dSpeedY, -0.5);
}

TEST_F(CollisionTest, ViewClampsWhileTheViewScrollsByItself) {
  TestHero hero;
  const double left = scene_.m_ScrollX.m_dPos, top = scene_.m_ScrollY.m_dPos;
  Place(hero, left - 3, top + 100);
  scene_.ClampToViewX(&hero);
  EXPECT_DOUBLE_EQ(hero.m_dX, left - 3);  // a walking hero without auto-scroll is left alone
  scene_.m_ScrollX.m_dAutoSpeed = 1;
  scene_.ClampToViewX(&hero);
  EXPECT_DOUBLE_EQ(hero.m_dX, left);
  EXPECT_EQ(hero.m_bContactLeft, 1);
  Place(hero, left + 630, top + 100);
  scene_.ClampToViewX(&hero);
  EXPECT_DOUBLE_EQ(hero.m_dX, left + 640 - 16 - 1.0);
  EXPECT_EQ(hero.m_bContactRight, 1);
  // Pressed against the bottom by the view: a walking hero dies, a flying one is held.
  Place(hero, left + 100, top + 470);
  EXPECT_EQ(scene_.ClampToViewY(&hero), 0);  // no vertical auto-scroll
  scene_.m_ScrollY.m_dAutoSpeed = -1;
  EXPECT_EQ(scene_.ClampToViewY(&hero), 2);
  hero.SetMoveMode(2);
  Place(hero, left + 100, top + 470);
  hero.SetMoveMode(2);
  EXPECT_EQ(scene_.ClampToViewY(&hero), 0);
  EXPECT_DOUBLE_EQ(hero.m_dY, top + 480 - 24 - 1.0);
  // Other characters are never clamped.
  TestChara chara;
  Place(chara, left - 3, top + 100);
  scene_.ClampToViewX(&chara);
  EXPECT_DOUBLE_EQ(chara.m_dX, left - 3);
}

}  // namespace
