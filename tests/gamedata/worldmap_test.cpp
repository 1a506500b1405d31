#include <gtest/gtest.h>

#include <cstring>

#include "gamedata/datapath.h"
#include "gamedata/worldmap.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

int32_t& Cell(cWorldMapData& m, int x, int y) { return m.m_vCell.At(x + (y << m.m_nShift)); }

// The image of a map file as the given version stored it: a 20 x 15 grid with `kinds` tile kinds,
// start (30, 7), `cells` cells with kind 12 at (3, 2) and kind 2 at (4, 2), and two places: one at
// column 25 and one at row -2 (both off the grid) and one at (5, 6) with a node of each kind.
std::vector<uint8_t> MapImage(uint32_t version, int kinds, uint32_t cells) {
  ByteWriter w;
  w.U32(version);
  w.U32(8).I32(20).I32(15).I32(32).I32(5).I32(30).I32(7).I32(16).I32(1);
  w.U32(2).Str("ワールド").Str("bg.bmp");
  w.U32(kinds);
  for (int i = 0; i < kinds; ++i) w.U32(3).I32(100 + i).I32(i % 2).I32(40 + i).U32(2).Str("kind").Str("text");
  w.U32(cells);
  for (uint32_t i = 0; i < cells; ++i) w.I32(i == 3 + 2 * 32 ? 12 : i == 4 + 2 * 32 ? 2 : 0);
  const int ints = version < 209 ? 10 : version < 758 ? 11 : 14;
  auto node = [&](int kind, const char* stage) {
    w.U32(ints);
    for (int i = 0; i < ints; ++i) w.I32(i == 0 ? kind : 70 + i);
    w.U32(2).Str("caption").Str(stage);
  };
  w.U32(3);
  w.U32(2).I32(25).I32(3).U32(1).Str("far").U32(1);
  node(0, "data\\stg4\\Far.stg4_914");
  w.U32(2).I32(4).I32(-2).U32(1).Str("above").U32(1);
  node(0, "data\\stg4\\Above.stg4_914");
  w.U32(2).I32(5).I32(6).U32(1).Str("town").U32(3);
  node(0, "data\\stg4\\Town-1.stg4_914");
  node(1, "");
  node(2, "");
  w.U32(0);  // no template places
  return w.bytes;
}

class WorldMapTest : public TempDirTest {};

TEST(WorldMap, DefaultsAndSizes) {
  cWorldMapData m;
  EXPECT_EQ(m.m_strName, "ワールド");
  EXPECT_EQ(m.m_nStartX, 9);
  EXPECT_EQ(m.m_nStartY, 7);
  EXPECT_EQ(m.m_nBackColor, 16);
  EXPECT_TRUE(m.m_vPlace.empty());
  ASSERT_EQ(m.m_vTemplatePlace.size(), 1u);
  EXPECT_EQ(m.m_vTemplatePlace[0].m_strName, "デフォルト");
  ASSERT_EQ(m.m_vTemplatePlace[0].m_vNode.size(), 1u);
  EXPECT_EQ(m.m_vTemplatePlace[0].m_vNode[0].m_nVarIndex, 1);

  struct Case {
    int w, h, pitch, shift;
  };
  for (Case c : {Case{20, 15, 32, 5}, Case{1, 1, 1, 0}, Case{2, 3, 2, 1}, Case{32, 2, 32, 5}, Case{33, 2, 64, 6}}) {
    cWorldMapData s;
    ASSERT_EQ(s.SetSize(c.w, c.h), 1);
    EXPECT_EQ(s.m_nPitch, c.pitch) << c.w;
    EXPECT_EQ(s.m_nShift, c.shift) << c.w;
    EXPECT_EQ(s.m_vCell.size(), static_cast<size_t>(c.h * c.pitch)) << c.w;
  }
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 5}}) {
    EXPECT_EQ(m.SetSize(w, h), 0);
    EXPECT_EQ(m.m_nWidth, 20);
    EXPECT_EQ(m.m_vCell.size(), 480u);
  }
}

TEST(WorldMap, ResizingKeepsTheCellsInBothSizes) {
  cWorldMapData m;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) Cell(m, x, y) = 1 + x + 100 * y;
  ASSERT_EQ(m.SetSize(10, 20), 1);
  EXPECT_EQ(m.m_nPitch, 16);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(Cell(m, x, y), y < 15 ? 1 + x + 100 * y : 0) << x << "," << y;
  ASSERT_EQ(m.SetSize(40, 3), 1);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(Cell(m, x, 2), x < 10 ? 1 + x + 200 : 0) << x;
}

TEST_F(WorldMapTest, WritesAndReadsTheWholeMap) {
  cWorldMapData m;
  m.SetSize(33, 4);
  m.m_nStartX = 32;
  m.m_strBackPicture = "bmp\\背景.bmp";
  m.m_bBackPicture = 1;
  m.m_vTileKind.resize(3);
  for (int i = 0; i < 3; ++i) {
    m.m_vTileKind[i].m_nId = 7 + i;
    m.m_vTileKind[i].m_bBlocked = i == 1;
    m.m_vTileKind[i].m_nPicture = 12 - i;
    m.m_vTileKind[i].m_strName = "名";
    m.m_vTileKind[i].m_strText = "t";
  }
  Cell(m, 32, 3) = 2;
  Cell(m, 0, 1) = 1;
  m.m_vPlace.resize(2);
  m.m_vPlace[1].m_nX = 32;
  m.m_vPlace[1].m_nY = 3;
  m.m_vPlace[1].m_vNode.resize(2);
  cMapNode& n = m.m_vPlace[1].m_vNode[1];
  n.m_nKind = MAPNODE_STAGE;
  n.m_nNeedBest = 5000;
  n.m_bVarSet = 1;
  n.m_nVarIndex = 3;
  n.m_nVarValue = -4;
  n.m_nCondOp = 7;
  n.m_strCaption = "森";
  n.m_strStage = "data\\stg4\\Forest.stg4_914";
  m.m_vTemplatePlace[0].m_nX = 2;

  ASSERT_EQ(m.Save(g_DataPath[DATAPATH_WORLD_MAP]), 0) << "no data folder yet";
  ASSERT_TRUE(MakeGameDirectory("data"));
  ASSERT_EQ(m.Save(g_DataPath[DATAPATH_WORLD_MAP]), 1);
  auto first = ReadFileBytes("data/WorldMap.dat");

  cWorldMapData r;
  r.m_vTileKind.resize(8);  // replaced by the file's list
  ASSERT_EQ(r.Load(g_DataPath[DATAPATH_WORLD_MAP]), 1);
  EXPECT_EQ(r.m_nWidth, 33);
  EXPECT_EQ(r.m_nPitch, 64);
  EXPECT_EQ(r.m_nStartX, 32);
  EXPECT_EQ(r.m_strBackPicture, "bmp\\背景.bmp");
  ASSERT_EQ(r.m_vTileKind.size(), 3u);
  EXPECT_EQ(r.m_vTileKind[2].m_nId, 9);
  EXPECT_EQ(r.m_vTileKind[1].m_bBlocked, 1);
  EXPECT_EQ(r.m_vTileKind[2].m_nPicture, 10);
  EXPECT_EQ(r.m_vTileKind[0].m_strText, "t");
  EXPECT_EQ(r.m_vCell, m.m_vCell);
  ASSERT_EQ(r.m_vPlace.size(), 2u);
  ASSERT_EQ(r.m_vPlace[1].m_vNode.size(), 2u);
  const cMapNode& rn = r.m_vPlace[1].m_vNode[1];
  EXPECT_EQ(rn.m_nNeedBest, 5000);
  EXPECT_EQ(rn.m_nVarValue, -4);
  EXPECT_EQ(rn.m_nCondOp, 7);
  EXPECT_EQ(rn.m_strCaption, "森");
  EXPECT_EQ(rn.m_strStage, n.m_strStage);
  EXPECT_EQ(r.m_vTemplatePlace.at(0).m_nX, 2);
  EXPECT_EQ(r.FindPlace(32, 3), &r.m_vPlace[1]);
  EXPECT_EQ(r.FindPlace(0, 0), &r.m_vPlace[0]);
  EXPECT_EQ(r.FindPlace(1, 0), nullptr);

  ASSERT_EQ(r.Save(g_DataPath[DATAPATH_WORLD_MAP]), 1);
  EXPECT_EQ(ReadFileBytes("data/WorldMap.dat"), first);
}

TEST_F(WorldMapTest, OlderFilesAndNormalizing) {
  ASSERT_TRUE(MakeGameDirectory("data"));
  struct Case {
    uint32_t version;
    int kinds;
    size_t kindsAfter;
    int needBest;   // of the loaded nodes
    int varIndex;
  };
  for (Case c : {Case{208, 3, 10, 0, 1}, Case{500, 3, 10, 80, 1}, Case{811, 3, 10, 80, 82},
                 Case{812, 3, 3, 80, 82}, Case{914, 13, 13, 80, 82}}) {
    SCOPED_TRACE(c.version);
    ASSERT_TRUE(WriteFileBytes("data/WorldMap.dat", MapImage(c.version, c.kinds, 15 * 32)));
    cWorldMapData m;
    ASSERT_EQ(m.Load("data\\WorldMap.dat"), 1);
    ASSERT_EQ(m.m_vTileKind.size(), c.kindsAfter);
    if (c.version < 812) {
      for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(m.m_vTileKind[i].m_nPicture, i);
        EXPECT_EQ(m.m_vTileKind[i].m_bBlocked, i < 5 ? 1 : 0);
        EXPECT_EQ(m.m_vTileKind[i].m_strName, i < 5 ? "移動不可" : "移動可");
        EXPECT_EQ(m.m_vTileKind[i].m_strText, "");
      }
      EXPECT_EQ(m.m_vTileKind[1].m_nId, 101);  // kept kinds keep their number
      EXPECT_EQ(m.m_vTileKind[9].m_nId, 0);
    }
    // Kind 12 exists only in the 13-kind map; kind 2 in all of them.
    EXPECT_EQ(Cell(m, 3, 2), c.kindsAfter > 12 ? 12 : 0);
    EXPECT_EQ(Cell(m, 4, 2), 2);
    EXPECT_EQ(m.m_nStartX, 19);
    EXPECT_EQ(m.m_nStartY, 7);
    ASSERT_EQ(m.m_vPlace.size(), 1u);  // the places off the grid are gone
    EXPECT_EQ(m.m_vPlace[0].m_strName, "town");
    ASSERT_EQ(m.m_vPlace[0].m_vNode.size(), 3u);
    EXPECT_EQ(m.m_vPlace[0].m_vNode[2].m_nKind, MAPNODE_WALL);
    EXPECT_EQ(m.m_vPlace[0].m_vNode[0].m_nNeedBest, c.needBest);
    EXPECT_EQ(m.m_vPlace[0].m_vNode[0].m_nVarIndex, c.varIndex);
    EXPECT_EQ(m.m_vPlace[0].m_vNode[0].m_strStage, "data\\stg4\\Town-1.stg4_914");
  }
}

TEST_F(WorldMapTest, DamagedFilesFailAndLeaveTheMapAsItWas) {
  ASSERT_TRUE(MakeGameDirectory("data"));
  auto good = MapImage(914, 3, 15 * 32);
  auto withCount = [&](size_t offset, uint32_t count) {
    auto b = good;
    std::memcpy(b.data() + offset, &count, 4);
    return b;
  };
  const size_t kindsAt = 4 + 4 + 32 + 4 + 13 + 11;
  const size_t cellsAt = kindsAt + 4 + 3 * (4 + 12 + 4 + 9 + 9);
  const size_t widthAt = 8, shiftAt = 20;
  std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"cut short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"huge kind count", withCount(kindsAt, 0x7FFFFFFF)},
      {"huge cell count", withCount(cellsAt, 0x40000000)},
      {"rows beyond the cells", MapImage(914, 3, 14 * 32)},
      {"width beyond the pitch", withCount(widthAt, 40)},
      {"no power of two", withCount(shiftAt, 31)},
  };
  for (auto& [what, bytes] : cases) {
    ASSERT_TRUE(WriteFileBytes("data/WorldMap.dat", bytes));
    cWorldMapData m;
    m.m_strName = "mine";
    EXPECT_EQ(LoadRecordKeepingOnFailure(m, "data\\WorldMap.dat"), 0) << what;
    EXPECT_EQ(m.m_strName, "mine") << what;
    EXPECT_EQ(m.m_vCell.size(), 480u) << what;
  }
  ASSERT_TRUE(WriteFileBytes("data/WorldMap.dat", good));
  cWorldMapData m;
  EXPECT_EQ(LoadRecordKeepingOnFailure(m, "data\\WorldMap.dat"), 1);
}

TEST(WorldMap, FindsStageEntrancesByStageKeyAndVariableSetting) {
  cWorldMapData m;
  m.m_vPlace.resize(2);
  auto add = [&](int place, int kind, const char* stage, int varSet, int index = 1, int value = 0) {
    cMapNode n;
    n.m_nKind = kind;
    n.m_strStage = stage;
    n.m_bVarSet = varSet;
    n.m_nVarIndex = index;
    n.m_nVarValue = value;
    m.m_vPlace[place].m_vNode.push_back(n);
  };
  add(0, MAPNODE_STAGE, "data\\stg4\\Forest-1.stg4_914", 0);
  add(0, MAPNODE_STAGE, "data\\stg4\\Lake.stg4_914", 1, 4, 9);
  add(1, MAPNODE_ROAD, "data\\stg4\\Road.stg4_914", 0);
  add(1, MAPNODE_STAGE, "data\\stg4\\Cave.stg4_914", 0);
  add(1, MAPNODE_STAGE, "data\\stg4\\Cave.stg4_914", 1, 2, 3);
  add(1, MAPNODE_STAGE, "data\\stg4\\Hill-2.stg4_914", 0);
  struct Case {
    const char* stage;
    int varSet, index, value;
    bool found;
  };
  for (Case c : {Case{"data\\stg4\\Forest.", 0, 0, 0, true},
                 Case{"data\\stg4\\Forest-1.", 0, 0, 0, false},
                 Case{"data\\stg4\\Forest.", 1, 1, 0, false},  // the entrance sets no variable
                 Case{"data\\stg4\\Lake.", 0, 0, 0, false},    // the entrance sets one
                 Case{"data\\stg4\\Lake.", 1, 4, 9, true},
                 Case{"data\\stg4\\Lake.", 1, 4, 8, false},
                 Case{"data\\stg4\\Road.", 0, 0, 0, false},  // not an entrance
                 Case{"data\\stg4\\Cave.", 0, 0, 0, true},
                 Case{"data\\stg4\\Cave.", 1, 2, 3, true},
                 Case{"data\\stg4\\Hill-2.", 0, 0, 0, true},
                 Case{"data\\stg4\\Hill.", 0, 0, 0, false}}) {
    EXPECT_EQ(m.IsStageOnMap(c.stage, c.varSet, c.index, c.value), c.found)
        << c.stage << " " << c.varSet << " " << c.index << " " << c.value;
  }
  // A single stage without the part suffix keys the same way.
  m.m_vPlace[0].m_vNode[1].m_strStage = "data\\stg4\\Forest.stg4_914";
  m.m_vPlace[0].m_vNode[1].m_bVarSet = 0;
  m.m_vPlace[0].m_vNode[0].m_bVarSet = 1;
  EXPECT_TRUE(m.IsStageOnMap("data\\stg4\\Forest.", 0, 0, 0));
}

}  // namespace
