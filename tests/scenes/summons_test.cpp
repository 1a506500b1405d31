#include <gtest/gtest.h>

#include "gamedata/systemdata.h"
#include "objects/cellhit.h"
#include "objects/objlists.h"
#include "scenes/map_fixture.h"
#include "stagedata/edshot.h"
#include "stagedata/palette.h"

namespace {

class SummonTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    CreateEdShot(summon_.m_pEdShot);
    block_.m_sGraphic = 5;
    block_.m_cHit = 1;
  }
  cEdShot& Record() { return *summon_.m_pEdShot; }
  // The point whose cell is (column, row).
  int Put(int column, int row) { return scene_.PutMapBlock(column * 32 - 16, row * 32 - 16, summon_, block_); }

  cFlowCmd summon_;
  cBlockData block_;
};

TEST_F(SummonTest, PutClearAndToggleWithMemory) {
  Cell(12, 18).m_bCondLatched = 1;
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_EQ(Cell(12, 18).m_sGraphic, 5);
  EXPECT_EQ(Cell(12, 18).m_bCondLatched, 0);  // every change resets the latch

  // Clearing gives the common palette's entry 0, passable for its graphic 0.
  CommonPalette().List<cBlockData>().assign(1, cBlockData());
  Record().m_nBlockMode = 1;
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_EQ(Cell(12, 18).m_sGraphic, 0);
  EXPECT_EQ(Cell(12, 18).GetCellHitCode(0), 0);

  // A cell toggled twice changes once: the second summon finds it remembered.
  Record().m_nBlockMode = 2;
  EXPECT_EQ(Put(13, 18), 1);
  EXPECT_EQ(Cell(13, 18).m_sGraphic, 5);
  EXPECT_EQ(Put(13, 18), 0);
  EXPECT_EQ(Cell(13, 18).m_sGraphic, 5);
  EXPECT_EQ(scene_.m_vChangedCell, (cCheckedVector<int32_t>{CellIndexOf(13, 18)}));
  // A shown block is toggled away.
  Solid(14, 18).m_sGraphic = 9;
  EXPECT_EQ(Put(14, 18), 1);
  EXPECT_EQ(Cell(14, 18).m_sGraphic, 0);
  // Other modes change nothing.
  Record().m_nBlockMode = 3;
  EXPECT_EQ(Put(15, 18), 0);
  EXPECT_EQ(Cell(15, 18).m_sGraphic, 0);
}

// With the compact grid of the play scene's map built, every summon's change reaches it, and objects
// probing the map meet the new block: the grid answers as the cells do after each step.
TEST_F(SummonTest, ChangesReachTheCompactGrid) {
  g_MapHits.Rebuild();
  auto agrees = [] {
    for (int i = 0; i < g_MapCells.Size(); ++i)
      for (int side : {0, 1})
        if (CellHitCode(i, side) != CellHitCode(g_MapCells[i], side)) return false;
    return true;
  };
  cChara& c = g_lstChara.emplace_back();
  Place(c, 12 * 32 + 8, 18 * 32 + 4, 16, 16);
  EXPECT_EQ(c.IsInBlock(), 0);
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_TRUE(agrees());
  EXPECT_EQ(c.IsInBlock(), 1);
  CommonPalette().List<cBlockData>().assign(1, cBlockData());
  Record().m_nBlockMode = 1;
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_TRUE(agrees());
  EXPECT_EQ(c.IsInBlock(), 0);
  Record().m_nBlockMode = 2;
  block_.m_cHitExempt = 1;
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_TRUE(agrees());
  EXPECT_EQ(c.IsInBlock(), 1);
  // A summon refused for the object standing there puts the cell back as it was.
  Record().m_nBlockMode = 0;
  Record().m_nReserved57 = 1;
  c.m_bActive = 1;
  block_.m_cHit = 2;
  block_.m_cHitExempt = -1;
  EXPECT_EQ(Put(12, 18), 0);
  EXPECT_TRUE(agrees());
  EXPECT_EQ(Cell(12, 18).m_cHit, 1);
  g_lstChara.clear();
}

TEST_F(SummonTest, PointsOutsideTheMapChangeNothing) {
  // x = -17: -0.5 truncates to 0, column 0.
  EXPECT_EQ(scene_.PutMapBlock(-17, 18 * 32 - 16, summon_, block_), 1);
  EXPECT_EQ(Cell(0, 18).m_sGraphic, 5);
  // x = -49: column -1; in row 0 the index is negative, in row 5 it would be the last cell of row 4.
  EXPECT_EQ(scene_.PutMapBlock(-49, -17, summon_, block_), 0);
  EXPECT_EQ(scene_.PutMapBlock(-49, 5 * 32 - 16, summon_, block_), 0);
  EXPECT_EQ(Cell(scene_.m_ScrollX.m_nRowStride - 1, 4).m_sGraphic, 0);
  // A column beyond the row stride would be the first cell of the next row.
  EXPECT_EQ(Put(scene_.m_ScrollX.m_nRowStride, 5), 0);
  EXPECT_EQ(Cell(0, 6).m_sGraphic, 0);
  EXPECT_EQ(Put(3, scene_.m_ScrollY.m_nMapCells), 0);
}

TEST_F(SummonTest, Protection) {
  struct Case {
    int strict, graphic, wantChanged;
  };
  // Strict protection never changes a protected cell; loose protection only while it shows a block.
  const Case cases[] = {{1, 7, 0}, {1, 0, 0}, {0, 7, 0}, {0, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.strict << " " << c.graphic);
    MakeMap(20, 15);
    g_SystemData.m_bCompat637 = c.strict;
    cMapCell& cell = Cell(12, 18);
    cell.m_bLocked = 1;
    cell.m_sGraphic = static_cast<int16_t>(c.graphic);
    EXPECT_EQ(Put(12, 18), c.wantChanged);
    EXPECT_EQ(Cell(12, 18).m_sGraphic, c.wantChanged ? 5 : c.graphic);
  }
}

TEST_F(SummonTest, BlocksOverObjectsMarkThemAndMayBeRefused) {
  cHero& hero = Place(g_vHero.emplace_back(), 12 * 32 + 4, 18 * 32 + 4);
  cChara& chara = Place(g_lstChara.emplace_back(), 14 * 32 + 31.85, 18 * 32);
  struct Case {
    int mode, refuseHero, refuseChara, column, wantChanged;
  };
  const Case cases[] = {
      {0, 0, 0, 12, 1},  // no refusal: the block is put and the hero still marked
      {0, 1, 0, 12, 0},  // refused over the hero
      {0, 0, 1, 12, 1},  // refusing characters does not protect the hero
      {0, 0, 1, 14, 0},  // ... but the character: its box starts 31.85 into the cell, inside 32 - 0.1
      {2, 1, 0, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << c.refuseHero << c.refuseChara << c.column);
    MakeMap(20, 15);
    scene_.m_vChangedCell.clear();
    hero.m_nModeChangeWait = chara.m_nModeChangeWait = 0;
    Record().m_nBlockMode = static_cast<int8_t>(c.mode);
    Record().m_nReserved56 = static_cast<int8_t>(c.refuseHero);
    Record().m_nReserved57 = static_cast<int8_t>(c.refuseChara);
    EXPECT_EQ(Put(c.column, 18), c.wantChanged);
    EXPECT_EQ(Cell(c.column, 18).m_sGraphic, c.wantChanged ? 5 : 0);
    cCharaBase& marked = c.column == 12 ? static_cast<cCharaBase&>(hero) : chara;
    EXPECT_EQ(marked.m_nModeChangeWait, 2);
  }
  // A flying object passing through blocks is not in the way, unless the cell test ignores move modes;
  // a dead hero never is.
  MakeMap(20, 15);
  hero.m_nModeChangeWait = 0;
  hero.SetMoveMode(1);
  Record().m_nBlockMode = 0;
  Record().m_nReserved56 = 1;
  EXPECT_EQ(Put(12, 18), 1);
  EXPECT_EQ(hero.m_nModeChangeWait, 0);
  MakeMap(20, 15);
  g_SystemData.m_bCompat837 = 1;
  EXPECT_EQ(Put(12, 18), 0);
  EXPECT_EQ(hero.m_nModeChangeWait, 2);
  hero.m_bDead = 1;
  EXPECT_EQ(Put(12, 18), 1);
}

}  // namespace

namespace {

TEST_F(SummonTest, SummonedCharactersAreNudgedFreeOrNotMade) {
  SetSteps(2);
  Record().m_bLifeOn = 1;
  Record().m_sLife = 5;
  Record().m_bReportHit = 1;
  Record().m_nReportKey = 4;
  cCharaData def;
  def.m_cSide = 0;
  def.m_bBlockChara = 1;  // a whole 32 x 32 cell
  TestHero owner;
  int nextId = 20;
  struct Case {
    int solidColumn, solidRow;
    double x, y;
    int wantMade;
    double wantX, wantY;
  };
  const Case cases[] = {
      {13, 19, 400, 577, 1, 400, 576},  // free one pixel up
      {14, 18, 417, 576, 1, 416, 576},  // free one pixel left
      {12, 17, 400, 575, 0, 0, 0},      // blocked after all three nudges
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    MakeMap(20, 15);
    g_lstChara.clear();
    for (auto& l : scene_.m_vSideChara) l.clear();
    Solid(c.solidColumn, c.solidRow);
    const int before = nextId;
    EXPECT_EQ(scene_.SpawnBlockChara(g_lstChara, c.x, c.y, 3, 1, summon_, def, &nextId, &owner), c.wantMade);
    ASSERT_EQ(g_lstChara.size(), static_cast<size_t>(c.wantMade));
    EXPECT_EQ(nextId, before + c.wantMade);
    if (!c.wantMade) continue;
    const cChara& made = g_lstChara.front();
    EXPECT_DOUBLE_EQ(made.m_dX, c.wantX);
    EXPECT_DOUBLE_EQ(made.m_dY, c.wantY);
    EXPECT_EQ(made.m_nObjNo, before);
    EXPECT_EQ(made.m_nSide, 3);  // the side passed in
    EXPECT_EQ(made.m_nFacing, 1);
    EXPECT_EQ(made.m_pOwner, &owner);
    EXPECT_EQ(made.m_nLifeTime, 5 * 2 * 6);  // in sub-steps
    EXPECT_EQ(made.m_bOwnerGetsHits, 1);
    EXPECT_EQ(made.m_nOwnerKey, 4);
    EXPECT_EQ(scene_.m_vSideChara[3].front(), &made);
  }
  // Outside the stage nothing is made; extra copies each get a number.
  MakeMap(20, 15);
  g_lstChara.clear();
  EXPECT_EQ(scene_.SpawnBlockChara(g_lstChara, -40, 100, 1, 0, summon_, def, &nextId, nullptr), 0);
  def.m_cCopies = 2;
  def.m_sCopyX = 40;
  const int before = nextId;
  EXPECT_EQ(scene_.SpawnBlockChara(g_lstChara, 400, 400, 1, 1, summon_, def, &nextId, nullptr), 3);
  EXPECT_EQ(nextId, before + 3);
  // The score switch of the summon clears what the character gives.
  Record().m_nReserved61 = 1;
  def.m_cCopies = 0;
  def.m_nScore = 50;
  scene_.SpawnBlockChara(g_lstChara, 400, 300, 1, 1, summon_, def, &nextId, nullptr);
  EXPECT_EQ(g_lstChara.back().m_Chara.m_nScore, 0);
}

}  // namespace
