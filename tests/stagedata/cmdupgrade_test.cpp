// Commands of older files: each row is a command as a file of that version stores it and the command
// the player makes of it, after every upgrade from that version on and the repair that follows.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "stagedata/flow.h"
#include "stagedata/flow_io.h"
#include "support/flow_fixture.h"

namespace {

using flowbody::Cmd;
using flowbody::CmdBody;

std::vector<int32_t> WithoutTrailingZeros(std::vector<int32_t> v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
  return v;
}

std::vector<int32_t> Filled(int n, int32_t value, std::vector<std::pair<int, int32_t>> set = {}) {
  std::vector<int32_t> v(static_cast<size_t>(n), value);
  for (auto [i, x] : set) v[static_cast<size_t>(i)] = x;
  return v;
}

struct cUpgradeCase {
  const char* rule;
  uint32_t version;
  int category;
  int kind;
  std::vector<int32_t> params;
  int expectedKind;
  std::vector<int32_t> expected;  // without its trailing zeros
};

TEST_F(FlowRecordTest, OlderCommandsAreUpgraded) {
  // Below 734 the kinds from 24 on are one lower: 25 graphic, 29/30 the two effects, 31 picture,
  // 35 music, 37 arrange.
  const std::vector<cUpgradeCase> cases = {
      {"145 stage clear resized to 9, then 722 (p0 >= 2: + 1)", 144, 0, 17, {3}, 17, {4}},
      {"722 stage clear", 721, 0, 17, {2, 5}, 17, {3, 5}},
      {"722 stage clear below 2", 721, 0, 17, {1, 5}, 17, {1, 5}},
      {"166 music gets its loop flag", 165, 0, 35, {1}, 36, {1, 1}},
      {"after 166 music keeps its count", 166, 0, 35, {1}, 36, {1}},
      {"168 status items, then 203, 767, 882, 892", 167, 0, 22, {0, 0, 0, 1, 10, 0, 2, 0, 0, 0, 0, 0, 2, 12}, 22,
       {0, 0, 0, 1, 14, 0, 2, 0, 0, 0, 0, 0, 5, 12, 0, 0, 0, 0, 0, 0, 2}},
      {"203 status items from 5", 202, 0, 22, {0, 0, 0, 0, 7}, 22, Filled(21, 0, {{4, 10}, {20, 2}})},
      {"from 203 status items from 6 only", 203, 0, 22, {0, 0, 0, 0, 7}, 22, Filled(21, 0, {{4, 9}, {20, 2}})},
      {"767 status owners", 766, 0, 22, {0, 0, 0, 3, 1}, 22, Filled(21, 0, {{3, 6}, {4, 1}, {20, 2}})},
      {"882 status items and two new parameters", 881, 0, 22,
       {0, 0, 0, 1, 6, 0, 2, 0, 0, 0, 0, 0, 1, 7, 0, 0, 0, 0, 5, 5, 9, 9}, 22,
       {0, 0, 0, 1, 8, 0, 2, 0, 0, 0, 0, 0, 1, 9, 0, 0, 0, 0, 0, 0, 2}},
      {"892 status reference points", 891, 0, 22, Filled(22, 1, {{20, 9}, {21, 9}}), 22,
       Filled(21, 1, {{20, 2}})},
      {"189 target: 0 inserted at 2, then 747, 767", 188, 0, 21, {1, 2, 3, 4}, 21,
       {0, 1, 2, 0, 3, 4, 0, 0, 0, 0, 0, 0, 1}},
      {"747 target", 746, 0, 21, Filled(16, 7), 21, Filled(15, 7, {{0, 0}, {11, 0}, {12, 1}})},
      {"767 target: 0 inserted at 0", 766, 0, 21, {5, 6}, 21, {0, 5, 6}},
      {"194 picture: 1 inserted at 6, then 545, 547, 723", 193, 0, 31, {1, 2, 3, 4, 5, 6, 7}, 32,
       {1, 2, 3, 4, 5, 6, 1, 7}},
      {"545 picture", 544, 0, 31, Filled(16, 9, {{0, 1}}), 32,
       Filled(16, 9, {{0, 1}, {11, 0}, {12, 0}, {13, 0}, {14, 0}})},
      {"547 picture", 546, 0, 31, Filled(16, 9, {{0, 1}}), 32, Filled(16, 9, {{0, 1}, {12, 0}, {13, 0}, {14, 0}})},
      {"723 picture", 722, 0, 31, Filled(16, 9, {{0, 1}}), 32, Filled(16, 9, {{0, 1}, {14, 0}})},
      {"891 picture position", 890, 0, 32, {1, 4}, 32, {1, 5}},
      {"195 character effect: 0 inserted at 1", 194, 0, 29, {1, 2, 3}, 30, {1, 0, 2}},
      {"195 screen effect", 194, 0, 30, {1, 2}, 31, {1, 0, 2}},
      {"203 summoned characters lose their parameters", 202, 0, 14, {1, 2, 3}, 14, {}},
      {"203 summoned items", 202, 0, 15, {1, 2, 3}, 15, {}},
      {"203 flow operation resized to 4, then 760", 202, 0, 16, {1, 2, 3, 4, 5}, 16, {1, 2, 3}},
      {"760 flow operation", 759, 0, 16, {1, 2, 3, 4}, 16, {1, 2, 3}},
      {"after 760 flow operation", 760, 0, 16, {1, 2, 3, 4}, 16, {1, 2, 3, 4}},
      {"210 status 2 items", 209, 0, 23, {0, 6}, 23, {0, 7}},
      {"210 status 2 of owner 2, then 767", 209, 0, 23, {2, 6}, 23, {5, 6}},
      {"767 status 2 owners", 766, 0, 23, {3, 1}, 23, {6, 1}},
      {"820 status 2 resized to 5", 819, 0, 23, {1, 2, 3, 4, 5, 6, 7}, 23, {1, 2, 3, 4, 5}},
      {"219 graphic number", 218, 0, 25, {3, 5, 5}, 26, {3, 6, 5}},
      {"219 graphic number at most 119", 218, 0, 25, {3, 118, 5}, 26, {3, 119, 5}},
      {"219 graphic number already 119", 218, 0, 25, {3, 119, 5}, 26, {3, 119, 5}},
      {"219 other graphic sources", 218, 0, 25, {2, 5}, 26, {2, 5}},
      {"545 message, then 546, 547, 556, 723", 544, 0, 19, {0}, 19, Filled(17, 0, {{10, 1}, {14, 1}, {16, 1}})},
      {"546 message other positions", 544, 0, 19, {3}, 19, Filled(17, 0, {{0, 3}, {14, 1}, {16, 1}})},
      {"546 message position 7", 545, 0, 19, {7}, 19, Filled(17, 0, {{0, 7}, {10, 1}, {14, 1}, {16, 1}})},
      {"547 message", 546, 0, 19, Filled(19, 5), 19,
       Filled(19, 5, {{11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 0}, {16, 1}, {17, 0}})},
      {"556 message", 555, 0, 19, Filled(19, 5), 19, Filled(19, 5, {{16, 1}, {17, 0}})},
      {"723 message", 722, 0, 19, Filled(19, 5), 19, Filled(19, 5, {{17, 0}})},
      {"891 message position", 890, 0, 19, {8}, 19, {9}},
      {"891 effect position", 890, 0, 29, {1, 4}, 29, {1, 5}},
      {"726 arrange of shots, then 727", 725, 0, 37, {3, 2}, 38, {11, 5}},
      {"727 arrange index 13, then 899", 726, 0, 37, {11, 13}, 38, {11, 21}},
      {"727 arrange index 1", 726, 0, 37, {11, 1}, 38, {11, 1}},
      {"727 arrange of another kind", 726, 0, 37, {5, 3}, 38, {5, 3}},
      {"734 arrange of kind 24", 733, 0, 37, {24, 0}, 38, {25}},
      {"734 arrange of kind 13, then 899", 733, 0, 37, {13, 0}, 38, {13, 1}},
      {"734 item get", 733, 0, 24, {0, 1}, 25, {0, 1}},
      {"734 loop", 733, 0, 38, {1, 2}, 39, {1, 2}},
      {"734 kinds below 24 stay", 733, 0, 23, {1}, 23, {1}},
      {"767 turn to target 2", 766, 0, 9, {4}, 9, {10}},
      {"767 turn to target 1", 766, 0, 9, {3}, 9, {3}},
      {"879 animation", 878, 0, 28, {1, 9}, 28, {1}},
      {"898 arrange of pictures", 897, 0, 38, {32, 0}, 38, {32, 1}},
      {"898 arrange of pictures, index -1", 897, 0, 38, {32, -1}, 38, {32, -1}},
      {"899 arrange of status", 898, 0, 38, {22, 0}, 38, {22, 2}},
      {"899 arrange of status, index -1", 898, 0, 38, {22, -1}, 38, {22, -1}},
      {"899 arrange of shots from 14", 898, 0, 38, {11, 14}, 38, {11, 15}},
      {"899 arrange of shots below 14", 898, 0, 38, {11, 13}, 38, {11, 13}},
      {"899 arrange of effects", 898, 0, 38, {29, 0}, 38, {29, 1}},
      {"899 arrange of summons", 898, 0, 38, {14, 3}, 38, {14, 4}},
      {"current files are not upgraded", 914, 0, 38, {22, 0}, 38, {22}},
      // Rules that read parameters the file does not hold see zeros.
      {"status without parameters", 167, 0, 22, {}, 22, Filled(21, 0, {{20, 2}})},
      {"arrange without parameters", 725, 0, 37, {}, 38, {11}},
      {"arrange after 726 without parameters", 733, 0, 37, {}, 38, {}},
      {"turn without parameters", 766, 0, 9, {}, 9, {}},
      {"status 2 without parameters", 209, 0, 23, {}, 23, {}},
      {"stage clear without parameters", 721, 0, 17, {}, 17, {}},
      // The item command set: item kind k is object kind k + 15.
      {"item set: 145 and 722 stage clear", 144, 1, 2, {3}, 2, {4}},
      {"item set: 166 music", 165, 1, 20, {1}, 21, {1, 1}},
      {"item set: 545 message", 544, 1, 4, {0}, 4, Filled(17, 0, {{10, 1}, {14, 1}, {16, 1}})},
      {"item set: 734 arrange", 733, 1, 22, {24, 0}, 23, {25}},
      {"item set: 734 item get", 733, 1, 9, {0, 1}, 10, {0, 1}},
      {"item set: 734 status 2 stays", 733, 1, 8, {1}, 8, {1}},
      {"item set: 899 arrange", 898, 1, 23, {22, 0}, 23, {22, 2}},
      {"item set: change flow untouched", 100, 1, ICMD_CHANGE_FLOW, {5, 6}, ICMD_CHANGE_FLOW, {5, 6}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.rule << " (version " << tc.version << ")");
    Cmd stored;
    stored.category = static_cast<int8_t>(tc.category);
    stored.kind = static_cast<int8_t>(tc.kind);
    stored.params = tc.params;
    cFlowCmd c;
    cBodyRead r = ReadBody(c, tc.version, CmdBody(tc.version, stored));
    ASSERT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ(c.m_nCategory, tc.category);
    EXPECT_EQ(c.m_nKind, tc.expectedKind);
    EXPECT_EQ(static_cast<int>(c.m_vParam.size()), c.ParamCount());
    std::vector<int32_t> params(c.m_vParam.begin(), c.m_vParam.end());
    EXPECT_EQ(WithoutTrailingZeros(params), tc.expected);
  }
}

// Parameters at the ends of their range, as a damaged file may hold them, go through every rule of
// every kind: a parameter a rule moves up stays at the largest value.
TEST_F(FlowRecordTest, UpgradesHoldParametersAtTheEndsOfTheirRange) {
  for (int32_t value : {INT32_MAX, INT32_MIN}) {
    for (int category : {CMD_CATEGORY_OBJECT, CMD_CATEGORY_ITEM}) {
      for (int kind = 0; kind < kCmdKindCount; ++kind) {
        SCOPED_TRACE(testing::Message() << "value " << value << " category " << category << " kind " << kind);
        Cmd stored;
        stored.category = static_cast<int8_t>(category);
        stored.kind = static_cast<int8_t>(kind);
        stored.params.assign(22, value);
        cFlowCmd c;
        ASSERT_EQ(ReadBody(c, 100, CmdBody(100, stored)).m_nResult, 1);
        if (value == INT32_MAX && category == CMD_CATEGORY_OBJECT && kind == CMD_STAGE_CLEAR) {
          EXPECT_EQ(c.m_vParam.At(0), INT32_MAX);
        }
      }
    }
  }
}

TEST_F(FlowRecordTest, OlderCommandBlocksAreUpgraded) {
  auto shot = [](int16_t graphic) {
    cEdShot s;
    s.m_sGraphic = graphic;
    return s;
  };
  for (auto [version, stored, expected] : {std::tuple{219u, 7, 8}, {219u, 118, 119}, {219u, 200, 119}, {220u, 7, 7}}) {
    SCOPED_TRACE(testing::Message() << "shot graphic " << stored << " (version " << version << ")");
    cEdShot block = shot(static_cast<int16_t>(stored));
    Cmd c;
    c.kind = CMD_SHOT;
    c.shot = flowbody::BlockAt(version, block);
    cFlowCmd cmd;
    ASSERT_EQ(ReadBody(cmd, version, CmdBody(version, c)).m_nResult, 1);
    ASSERT_TRUE(cmd.m_pEdShot);
    EXPECT_EQ(cmd.m_pEdShot->m_sGraphic, expected);
  }

  const struct {
    uint32_t version;
    int kind;
    int posMode;
    int expectedAngle;
    int expectedPosMode;
    int expectedAxes;
    int expectedRefPoint;
  } moves[] = {
      // 514: a charge move loses its angle and mirrors it.
      {513, CMD_MOVE_CHARGE, 0, 0, 0, 0, 0},
      {514, CMD_MOVE_CHARGE, 0, 30, 0, 0, 0},
      // 767 warp position modes from 2 on move up by 3; 882 both axes on; 892 reference point 2.
      {766, CMD_WARP, 2, 30, 5, 1, 2},
      {766, CMD_WARP, 1, 30, 1, 1, 2},
      {881, CMD_WARP, 2, 30, 2, 1, 2},
      {891, CMD_WARP, 2, 30, 2, 0, 2},
      {892, CMD_WARP, 2, 30, 2, 0, 1},
  };
  for (const auto& tc : moves) {
    SCOPED_TRACE(testing::Message() << "kind " << tc.kind << " version " << tc.version);
    cEdMove block;
    block.m_nPosMode = static_cast<int8_t>(tc.posMode);
    block.m_sAngle = 30;
    block.m_sAngleStep = 5;
    block.m_bAngleMirror = 0;
    block.m_bAxisX = 0;
    block.m_bAxisY = 0;
    block.m_nRefPoint = 1;
    Cmd c;
    c.kind = static_cast<int8_t>(tc.kind);
    c.move = flowbody::BlockAt(tc.version, block);
    cFlowCmd cmd;
    ASSERT_EQ(ReadBody(cmd, tc.version, CmdBody(tc.version, c)).m_nResult, 1);
    ASSERT_TRUE(cmd.m_pEdMove);
    const cEdMove& m = *cmd.m_pEdMove;
    EXPECT_EQ(m.m_sAngle, tc.expectedAngle);
    EXPECT_EQ(m.m_sAngleStep, tc.expectedAngle ? 5 : 0);
    EXPECT_EQ(m.m_bAngleMirror, tc.expectedAngle ? 0 : 1);
    EXPECT_EQ(m.m_nPosMode, tc.expectedPosMode);
    EXPECT_EQ(m.m_bAxisX, tc.expectedAxes);
    EXPECT_EQ(m.m_bAxisY, tc.expectedAxes);
    // Files before 892 do not store the reference point: it reads as the default 0 before its rule.
    EXPECT_EQ(m.m_nRefPoint, tc.expectedRefPoint);
  }

  // A file before 764 has no condition block: a flow operation gets one, switched off.
  Cmd flowOp;
  flowOp.kind = CMD_FLOW_OP;
  flowOp.cond = WrittenBody(*std::make_shared<cCondList>());  // not stored at this version
  cFlowCmd cmd;
  cBodyRead r = ReadBody(cmd, 763, CmdBody(763, flowOp));
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  ASSERT_TRUE(cmd.m_pCondList);
  EXPECT_EQ(cmd.m_pCondList->m_bEnabled, 0);
  EXPECT_TRUE(cmd.m_pCondList->m_vCond.empty());

  // Rules for blocks the command lacks are skipped; the command then gets a default block.
  for (auto [version, kind] : {std::pair{219u, CMD_SHOT}, {513u, CMD_MOVE_CHARGE}, {766u, CMD_WARP}}) {
    SCOPED_TRACE(testing::Message() << "kind " << kind << " without its block (version " << version << ")");
    Cmd bare;
    bare.kind = static_cast<int8_t>(kind);
    cFlowCmd c;
    ASSERT_EQ(ReadBody(c, version, CmdBody(version, bare)).m_nResult, 1);
    if (kind == CMD_SHOT) {
      ASSERT_TRUE(c.m_pEdShot);
      EXPECT_EQ(RegisteredBytes(*c.m_pEdShot), RegisteredBytes(*std::make_shared<cEdShot>()));
    } else {
      ASSERT_TRUE(c.m_pEdMove);
      EXPECT_EQ(RegisteredBytes(*c.m_pEdMove), RegisteredBytes(*std::make_shared<cEdMove>()));
    }
  }
}

}  // namespace
