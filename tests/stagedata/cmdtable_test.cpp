#include "stagedata/cmdtable.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/edmove.h"
#include "stagedata/edshot.h"

namespace {

TEST(CmdKindTable, CountsAndNames) {
  const int counts[kCmdKindCount] = {0, 0,  0,  0, 0, 0, 0, 0, 0, 1, 5, 0, 0,  0, 0, 0, 4, 9, 1, 19,
                                     0, 16, 22, 5, 3, 2, 3, 1, 2, 9, 3, 3, 16, 8, 2, 1, 2, 0, 5, 2};
  for (int k = 0; k < kCmdKindCount; ++k) EXPECT_EQ(g_CmdKindTable[k].m_nCount, counts[k]) << "kind " << k;
  EXPECT_STREQ(g_CmdKindTable[CMD_NONE].m_pName, "");
  EXPECT_STREQ(g_CmdKindTable[CMD_MOVE_AVOID_OFFSCREEN].m_pName, "画面外回避移動");
  EXPECT_STREQ(g_CmdKindTable[CMD_STATUS2].m_pName, "ステータスの操作2");
  EXPECT_STREQ(g_CmdKindTable[CMD_BGM].m_pName, "BGMの再生");
  EXPECT_STREQ(g_CmdKindTable[CMD_LOOP].m_pName, "ループ");

  EXPECT_STREQ(g_ItemCmdKindTable[0].m_pName, "");
  EXPECT_EQ(g_ItemCmdKindTable[0].m_nCount, 0);
  EXPECT_STREQ(g_ItemCmdKindTable[ICMD_CHANGE_FLOW].m_pName, "フローの変更");
  EXPECT_EQ(g_ItemCmdKindTable[ICMD_CHANGE_FLOW].m_nCount, 2);
  for (int k = 2; k < kItemCmdKindCount; ++k) {
    EXPECT_STREQ(g_ItemCmdKindTable[k].m_pName, g_CmdKindTable[k + 15].m_pName) << "item kind " << k;
    EXPECT_EQ(g_ItemCmdKindTable[k].m_nCount, g_CmdKindTable[k + 15].m_nCount) << "item kind " << k;
  }
}

// A command's arrangeable parts, every value different from every other.
struct ArrangeCmd {
  ArrangeCmd() {
    FillDistinct(move, 0);
    FillDistinct(shot, 40);
    for (int i = 0; i < 22; ++i) param.push_back(1000 + i);
  }
  cCmdArrangeRef Ref() { return {&sound, &param, &move, &shot}; }

  int16_t sound = 120;
  cCheckedVector<int32_t> param;
  cEdMove move;
  cEdShot shot;
};

using Loc = std::function<int(const ArrangeCmd&)>;
template <class T>
Loc Move(T cEdMove::*m) {
  return [m](const ArrangeCmd& c) { return int(c.move.*m); };
}
template <class T>
Loc Shot(T cEdShot::*m) {
  return [m](const ArrangeCmd& c) { return int(c.shot.*m); };
}
Loc Form(int j) {
  return [j](const ArrangeCmd& c) { return int(c.shot.m_sFormParam[j]); };
}
Loc MoveParam(int j) {
  return [j](const ArrangeCmd& c) { return int(c.shot.m_sMoveParam[j]); };
}
Loc Sound() {
  return [](const ArrangeCmd& c) { return int(c.sound); };
}
Loc P(int i) {
  return [i](const ArrangeCmd& c) { return c.param[i]; };
}

struct ArrangeRow {
  int kind;
  unsigned index;
  int min, max;
  Loc loc;
};

constexpr int kMaxInt = 2147483647;

const std::vector<ArrangeRow>& ArrangeRows() {
  using M = cEdMove;
  using S = cEdShot;
  static const std::vector<ArrangeRow> rows = {
      {2, 0, -16383, 16383, Move(&M::m_sTargetX)},
      {2, 1, -640, 640, Move(&M::m_sTargetDotX)},
      {2, 2, -16383, 16383, Move(&M::m_sTargetY)},
      {2, 3, -640, 640, Move(&M::m_sTargetDotY)},
      {2, 4, -7200, 7200, Move(&M::m_sAngle)},
      {2, 5, -7200, 7200, Move(&M::m_sAngleStep)},
      {5, 0, -640, 640, Move(&M::m_sTargetX)},
      {5, 1, -640, 640, Move(&M::m_sTargetDotX)},
      {5, 2, -640, 640, Move(&M::m_sTargetY)},
      {5, 3, -640, 640, Move(&M::m_sTargetDotY)},
      {5, 4, -7200, 7200, Move(&M::m_sAngle)},
      {5, 5, -7200, 7200, Move(&M::m_sAngleStep)},
      {6, 0, 0, 10, Move(&M::m_sHomingLag)},
      {6, 1, 0, 10, Move(&M::m_sHomingLagStep)},
      {6, 2, -640, 640, Move(&M::m_sTargetX)},
      {6, 3, -640, 640, Move(&M::m_sTargetDotX)},
      {6, 4, -640, 640, Move(&M::m_sTargetY)},
      {6, 5, -640, 640, Move(&M::m_sTargetDotY)},
      {9, 0, 1, 9999, Sound()},
      {10, 0, 1, 9999, Sound()},
      {11, 0, 1, 120, Shot(&S::m_sGraphic)},
      {11, 1, 0, 7, Shot(&S::m_nZ)},
      {11, 2, 0, kMaxInt, Form(0)},
      {11, 3, 0, kMaxInt, Form(1)},
      {11, 4, 0, kMaxInt, Form(2)},
      {11, 5, 1, 127, Shot(&S::m_nCount)},
      {11, 6, 0, 20, Shot(&S::m_nCopies)},
      {11, 7, -7200, 7200, Shot(&S::m_sAngleOfs)},
      {11, 8, -7200, 7200, Shot(&S::m_sAngleOfsStep)},
      {11, 9, 0, 180, Shot(&S::m_sSpread)},
      {11, 10, -640, 640, Shot(&S::m_sPosX)},
      {11, 11, -640, 640, Shot(&S::m_sPosXStep)},
      {11, 12, -640, 640, Shot(&S::m_sPosY)},
      {11, 13, -640, 640, Shot(&S::m_sPosYStep)},
      {11, 14, 1, 9999, Sound()},
      {11, 15, 0, 7, Shot(&S::m_nFaction)},
      {11, 16, 0, kMaxInt, MoveParam(0)},
      {11, 17, 0, kMaxInt, MoveParam(1)},
      {11, 18, 0, kMaxInt, MoveParam(2)},
      {11, 19, -200, 200, Shot(&S::m_sSpeed)},
      {11, 20, -200, 200, Shot(&S::m_sSpeedStep)},
      {11, 21, -200, 200, Shot(&S::m_sAccel)},
      {11, 22, -200, 200, Shot(&S::m_sAccelStep)},
      {11, 23, 0, 64, Shot(&S::m_sRange)},
      {11, 24, -40, 40, Shot(&S::m_sRangeStep)},
      {11, 25, 1, 999, Shot(&S::m_sLife)},
      {11, 26, -99, 99, Shot(&S::m_sLifeStep)},
      {11, 27, 1, 9, Shot(&S::m_nVanish)},
      {11, 28, -999999, 999999, Shot(&S::m_nPower)},
      {11, 29, -20, 20, Shot(&S::m_nImpact)},
      {11, 30, 1, 999, Shot(&S::m_sEffect)},
      {11, 31, 1, 9999, Shot(&S::m_sItem)},
      {12, 0, 0, 7, Shot(&S::m_nFaction)},
      {12, 1, 0, 7, Shot(&S::m_nZ)},
      {12, 2, -999999, 999999, Shot(&S::m_nPower)},
      {12, 3, -20, 20, Shot(&S::m_nImpact)},
      {12, 4, 1, 999, Shot(&S::m_sEffect)},
      {12, 5, 1, 9999, Shot(&S::m_sItem)},
      {12, 6, 1, 9999, Sound()},
      {13, 0, 1, 9999, Shot(&S::m_sSummon)},
      {13, 1, 0, kMaxInt, Form(0)},
      {13, 2, 0, kMaxInt, Form(1)},
      {13, 3, 0, kMaxInt, Form(2)},
      {13, 4, 1, 127, Shot(&S::m_nCount)},
      {13, 5, -640, 640, Shot(&S::m_sPosX)},
      {13, 6, -640, 640, Shot(&S::m_sPosY)},
      {13, 7, 1, 9999, Sound()},
      {14, 0, 1, 9999, Shot(&S::m_sSummon)},
      {14, 1, 1, 9999, Shot(&S::m_sRange)},
      {14, 2, 0, 7, Shot(&S::m_nFaction)},
      {14, 3, 0, kMaxInt, Form(0)},
      {14, 4, 0, kMaxInt, Form(1)},
      {14, 5, 0, kMaxInt, Form(2)},
      {14, 6, 1, 127, Shot(&S::m_nCount)},
      {14, 7, -640, 640, Shot(&S::m_sPosX)},
      {14, 8, -640, 640, Shot(&S::m_sPosY)},
      {14, 9, 1, 9999, Sound()},
      {15, 0, 1, 9999, Shot(&S::m_sSummon)},
      {15, 1, 1, 9999, Shot(&S::m_sRange)},
      {15, 2, 0, kMaxInt, Form(0)},
      {15, 3, 0, kMaxInt, Form(1)},
      {15, 4, 0, kMaxInt, Form(2)},
      {15, 5, 1, 127, Shot(&S::m_nCount)},
      {15, 6, -640, 640, Shot(&S::m_sPosX)},
      {15, 7, -640, 640, Shot(&S::m_sPosY)},
      {15, 8, 1, 9999, Sound()},
      {17, 0, 1, 99, P(1)},
      {17, 1, 0, 999, P(6)},
      {17, 2, 0, 999, P(7)},
      {17, 3, 0, 999, P(3)},
      {17, 4, 0, 999, P(4)},
      {19, 0, 0, 999, P(13)},
      {19, 1, 0, 16383, P(1)},
      {19, 2, 0, 16383, P(2)},
      {19, 3, -999, 999, P(3)},
      {19, 4, -999, 999, P(4)},
      {20, 0, 0, 64, Move(&M::m_sDist)},
      {20, 1, -40, 40, Move(&M::m_sDistStep)},
      {20, 2, -16383, 16383, Move(&M::m_sTargetX)},
      {20, 3, -16383, 16383, Move(&M::m_sTargetY)},
      {20, 4, -640, 640, Move(&M::m_sTargetDotX)},
      {20, 5, -640, 640, Move(&M::m_sTargetDotY)},
      {21, 0, 0, 7, P(2)},
      {21, 1, 0, 99, P(10)},
      {21, 2, -999999, 999999, P(13)},
      {22, 0, 1, 999, P(2)},
      {22, 1, -999999, 999999, P(7)},
      {22, 2, -999999, 999999, P(8)},
      {22, 3, -999999, 999999, P(9)},
      {22, 4, 1, 999, P(11)},
      {24, 0, 0, 7, P(1)},
      {25, 0, 1, 9999, P(1)},
      {26, 0, 1, 999, P(1)},
      {26, 1, -999, 999, P(2)},
      {29, 0, 1, 999, P(0)},
      {29, 1, 0, 16383, P(2)},
      {29, 2, 0, 16383, P(3)},
      {29, 3, -999, 999, P(4)},
      {29, 4, -999, 999, P(5)},
      {29, 5, 1, 1000, P(6)},
      {30, 0, 1, 999, P(0)},
      {31, 0, 1, 999, P(0)},
      {32, 0, 1, 9999, P(0)},
      {32, 1, 0, 999, P(13)},
      {32, 2, 0, 16383, P(2)},
      {32, 3, 0, 16383, P(3)},
      {32, 4, -999, 999, P(4)},
      {32, 5, -999, 999, P(5)},
      {32, 6, 1, 1000, P(7)},
      {33, 0, 0, 255, P(0)},
      {33, 1, 0, 255, P(1)},
      {33, 2, 0, 255, P(2)},
      {33, 3, 0, 100, P(3)},
      {34, 0, 1, 8, P(0)},
      {35, 0, 1, 9999, P(0)},
      {36, 0, 1, 999, P(0)},
  };
  return rows;
}

TEST(CmdParamTable, BoundsAndAccessorsOfEveryRow) {
  BuildCmdParamTable();
  ASSERT_EQ(g_CmdParamTable.Size(), kCmdKindCount);
  std::map<int, size_t> rowsPerKind;
  for (const auto& row : ArrangeRows()) ++rowsPerKind[row.kind];
  for (int k = 0; k < kCmdKindCount; ++k) EXPECT_EQ(g_CmdParamTable[k].size(), rowsPerKind[k]) << "kind " << k;

  for (const auto& row : ArrangeRows()) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << " index " << row.index);
    ASSERT_LT(row.index, g_CmdParamTable[row.kind].size());
    const cCmdParamDesc& desc = g_CmdParamTable[row.kind][row.index];
    EXPECT_EQ(desc.m_nMin, row.min);
    EXPECT_EQ(desc.m_nMax, row.max);
    EXPECT_FALSE(desc.m_strLabel.empty());

    ArrangeGetFn get = g_ArrangeGetTable[row.kind];
    ArrangeSetFn set = g_ArrangeSetTable[row.kind];
    ASSERT_NE(get, nullptr);
    ASSERT_NE(set, nullptr);
    ArrangeCmd cmd;
    int out = 0x5A5A5A5A;
    get(&out, row.index, cmd.Ref());
    EXPECT_EQ(out, row.loc(cmd));
    set(-5, row.index, cmd.Ref());
    EXPECT_EQ(row.loc(cmd), -5);
  }
}

TEST(CmdParamTable, LabelsKeepTheirExactText) {
  BuildCmdParamTable();
  EXPECT_EQ(g_CmdParamTable[CMD_MOVE_CHARGE][0].m_strLabel, "目標のズレX(bl)");
  EXPECT_EQ(g_CmdParamTable[CMD_MOVE_CHARGE][1].m_strLabel, "目標Xのズレ(dot)");
  EXPECT_EQ(g_CmdParamTable[CMD_SHOT][26].m_strLabel, "分身値よる増加存在時間");
  EXPECT_EQ(g_CmdParamTable[CMD_STATUS][4].m_strLabel, "変数（右辺）");
  EXPECT_EQ(g_CmdParamTable[CMD_SCREEN_COLOR][3].m_strLabel, "%");
  EXPECT_EQ(g_CmdParamTable[CMD_PICTURE][6].m_strLabel, "表示倍率(%)");
}

TEST(CmdParamTable, RebuildingGivesTheSameTable) {
  BuildCmdParamTable();
  std::vector<std::vector<std::string>> first;
  for (const auto& list : g_CmdParamTable) {
    first.emplace_back();
    for (const auto& d : list)
      first.back().push_back(d.m_strLabel + "/" + std::to_string(d.m_nMin) + "/" + std::to_string(d.m_nMax));
  }
  g_CmdParamTable.resize(45);
  g_CmdParamTable[CMD_FLOW_OP].push_back({"x", 1, 2});
  g_CmdParamTable[CMD_SHOT].resize(3);
  BuildCmdParamTable();
  ASSERT_EQ(g_CmdParamTable.Size(), kCmdKindCount);
  for (int k = 0; k < kCmdKindCount; ++k) {
    ASSERT_EQ(g_CmdParamTable[k].size(), first[k].size()) << "kind " << k;
    for (size_t i = 0; i < first[k].size(); ++i) {
      const auto& d = g_CmdParamTable[k][i];
      EXPECT_EQ(d.m_strLabel + "/" + std::to_string(d.m_nMin) + "/" + std::to_string(d.m_nMax), first[k][i]);
    }
  }
}

TEST(ArrangeAccess, EntriesPerKind) {
  for (int k : {0, 1, 8, 16, 18, 23, 27, 28, 37, 38, 39}) {
    EXPECT_EQ(g_ArrangeGetTable[k], nullptr) << "kind " << k;
    EXPECT_EQ(g_ArrangeSetTable[k], nullptr) << "kind " << k;
  }
  // The moves without arrangeable values have entries that change nothing.
  for (int k : {3, 4, 7}) {
    SCOPED_TRACE(k);
    ASSERT_NE(g_ArrangeGetTable[k], nullptr);
    ASSERT_NE(g_ArrangeSetTable[k], nullptr);
    ArrangeCmd cmd;
    ArrangeCmd before;
    int out = 17;
    g_ArrangeGetTable[k](&out, 0, cmd.Ref());
    g_ArrangeSetTable[k](-5, 0, cmd.Ref());
    EXPECT_EQ(out, 17);
    EXPECT_EQ(RegisteredBytes(cmd.move), RegisteredBytes(before.move));
  }
  const std::pair<int, int> shared[] = {{9, 10}, {24, 25}, {30, 31}, {30, 34}, {30, 35}, {30, 36}};
  for (auto [a, b] : shared) {
    EXPECT_EQ(g_ArrangeGetTable[a], g_ArrangeGetTable[b]) << a << " and " << b;
    EXPECT_EQ(g_ArrangeSetTable[a], g_ArrangeSetTable[b]) << a << " and " << b;
  }
  EXPECT_NE(g_ArrangeGetTable[CMD_MOVE_STRAIGHT], g_ArrangeGetTable[CMD_MOVE_CHARGE]);
}

TEST(ArrangeAccess, WidthsAndBounds) {
  ArrangeCmd cmd;
  int out = 0;
  // Values are read sign-extended from their member's width and stored truncated to it.
  cmd.shot.m_nFaction = -3;
  g_ArrangeGetTable[CMD_SWORD](&out, 0, cmd.Ref());
  EXPECT_EQ(out, -3);
  g_ArrangeSetTable[CMD_SWORD](300, 0, cmd.Ref());
  EXPECT_EQ(cmd.shot.m_nFaction, 44);
  g_ArrangeSetTable[CMD_SHOT](70000, 0, cmd.Ref());
  EXPECT_EQ(cmd.shot.m_sGraphic, 4464);
  g_ArrangeSetTable[CMD_SHOT](-999999, 28, cmd.Ref());
  EXPECT_EQ(cmd.shot.m_nPower, -999999);
  g_ArrangeSetTable[CMD_SHOT](40000, 14, cmd.Ref());
  EXPECT_EQ(cmd.sound, -25536);

  // An index outside the kind's list touches nothing.
  for (unsigned index : {32u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(index);
    ArrangeCmd c;
    ArrangeCmd before;
    out = 123;
    g_ArrangeGetTable[CMD_SHOT](&out, index, c.Ref());
    EXPECT_EQ(out, 123);
    g_ArrangeSetTable[CMD_SHOT](-5, index, c.Ref());
    EXPECT_EQ(RegisteredBytes(c.shot), RegisteredBytes(before.shot));
    EXPECT_EQ(c.sound, before.sound);
  }
}

TEST(ArrangeAccess, MissingPartsAreLeftAlone) {
  // A command whose kind needs a block it does not hold, or with fewer parameters than the index
  // names: nothing is read or written.
  ArrangeCmd cmd;
  cCmdArrangeRef noBlocks = cmd.Ref();
  noBlocks.m_pEdMove = nullptr;
  noBlocks.m_pEdShot = nullptr;
  for (int kind : {CMD_MOVE_STRAIGHT, CMD_MOVE_CHARGE, CMD_MOVE_HOMING, CMD_SHOT, CMD_SWORD, CMD_SUMMON_BLOCK,
                   CMD_SUMMON_CHARA, CMD_SUMMON_ITEM, CMD_WARP}) {
    SCOPED_TRACE(kind);
    int out = 77;
    g_ArrangeGetTable[kind](&out, 0, noBlocks);
    g_ArrangeSetTable[kind](-5, 0, noBlocks);
    EXPECT_EQ(out, 77);
  }
  // Values outside the blocks still work without them.
  int out = 0;
  g_ArrangeGetTable[CMD_SHOT](&out, 14, noBlocks);
  EXPECT_EQ(out, 120);

  cmd.param.resize(3);
  out = 77;
  g_ArrangeGetTable[CMD_STAGE_CLEAR](&out, 1, cmd.Ref());  // parameter 6
  EXPECT_EQ(out, 77);
  g_ArrangeSetTable[CMD_STAGE_CLEAR](-5, 1, cmd.Ref());
  EXPECT_EQ(cmd.param.size(), 3u);
  g_ArrangeGetTable[CMD_STAGE_CLEAR](&out, 0, cmd.Ref());  // parameter 1
  EXPECT_EQ(out, 1001);
  cCmdArrangeRef nothing;
  g_ArrangeGetTable[CMD_STAGE_CLEAR](&out, 0, nothing);
  g_ArrangeGetTable[CMD_TURN](&out, 0, nothing);
  EXPECT_EQ(out, 1001);
}

TEST(ShotParamDescTables, FormationAndMovementParameters) {
  const struct {
    bool formation;
    int row, j;
    const char* label;
    int min, max, def;
  } cases[] = {
      {true, 0, 0, "間隔(hbl)", 0, 40, 0},
      {true, 2, 0, "角度", 0, 180, 30},
      {true, 3, 1, "列の数", 1, 50, 1},
      {true, 3, 2, "列の間隔(hbl)", 0, 40, 0},
      {true, 4, 0, "", 0, 0, 0},
      {true, 5, 0, "距離(hbl)", 0, 40, 6},
      {true, 5, 1, "", 0, 0, 0},
      {false, 0, 0, "", 0, 0, 0},
      {false, 2, 1, "対象勢力", 0, 7, 0},
      {false, 4, 1, "誘導終了(hbl)", 0, 999, 999},
      {false, 7, 2, "対象勢力", 0, 7, 0},
      {false, 8, 0, "波の最大(hbl)", 0, 100, 4},
      {false, 8, 2, "開始角度", 0, 359, 0},
      {false, 9, 0, "軌道変更(hbl)", 0, 40, 0},
      {false, 9, 2, "", 0, 0, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << (tc.formation ? "formation " : "movement ") << tc.row << " j " << tc.j);
    const cParamDesc* d = tc.formation ? GetFormationParamDesc(tc.row, tc.j) : GetShotMoveParamDesc(tc.row, tc.j);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d, tc.formation ? &g_FormationParamTable[tc.row * 3 + tc.j] : &g_ShotMoveParamTable[tc.row * 3 + tc.j]);
    EXPECT_STREQ(d->m_pLabel, tc.label);
    EXPECT_EQ(d->m_sMin, tc.min);
    EXPECT_EQ(d->m_sMax, tc.max);
    EXPECT_EQ(d->m_sDefault, tc.def);
  }
  // Formation and movement numbers come from files: outside the tables there is no descriptor.
  for (auto [row, j] : {std::pair{-1, 0}, {6, 0}, {0, 3}, {0, -1}, {127, 2}}) {
    EXPECT_EQ(GetFormationParamDesc(row, j), nullptr) << row << "/" << j;
  }
  for (auto [row, j] : {std::pair{-1, 0}, {10, 0}, {9, 3}, {-128, -1}}) {
    EXPECT_EQ(GetShotMoveParamDesc(row, j), nullptr) << row << "/" << j;
  }
}

}  // namespace
