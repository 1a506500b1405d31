#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "stagedata/flow.h"
#include "stagedata/flow_io.h"
#include "support/flow_fixture.h"

namespace {

using flowbody::Bytes;
using flowbody::Cmd;
using flowbody::CmdBody;

cFlowCmd Command(int category, int kind, std::vector<int32_t> params = {}) {
  cFlowCmd c;
  c.m_nCategory = static_cast<int8_t>(category);
  c.m_nKind = static_cast<int8_t>(kind);
  c.m_vParam.assign(params.begin(), params.end());
  return c;
}

std::vector<int32_t> Params(const cFlowCmd& c) { return std::vector<int32_t>(c.m_vParam.begin(), c.m_vParam.end()); }

// A flow holding a command of each block kind, a message with a text, and an item command that
// carries two flows of its own, one of them with a shot command.
cFlow SampleFlow() {
  cFlowCmd move = Command(0, CMD_MOVE_STRAIGHT);
  CreateEdMove(move.m_pEdMove);
  FillDistinct(*move.m_pEdMove, 0);
  move.m_sTime = 12;
  move.m_sTimeStep = -3;
  move.m_bGoOn = 1;
  move.m_sSound = 1;
  move.m_bSoundOnScreen = 0;
  move.m_sAnime = 1;

  cFlowCmd shot = Command(0, CMD_SHOT);
  CreateEdShot(shot.m_pEdShot);
  FillDistinct(*shot.m_pEdShot, 100);
  shot.m_pEdShot->m_sEffect = 1;

  cFlowCmd flowOp = Command(0, CMD_FLOW_OP, {1, 2, 3, 4});
  CreateCondList(flowOp.m_pCondList);
  flowOp.m_pCondList->m_bEnabled = 1;
  flowOp.m_pCondList->m_nLogic = 1;
  flowOp.m_pCondList->m_vCond.resize(2);
  FillDistinct(flowOp.m_pCondList->m_vCond[0], 10);
  FillDistinct(flowOp.m_pCondList->m_vCond[1], 40);

  cFlowCmd message = Command(0, CMD_MESSAGE);
  for (int i = 1; i <= 19; ++i) message.m_vParam.push_back(i * 11);
  message.m_strText = "こんにちは\n\\v[1]";

  cFlow inner;
  inner.m_nTrigger = FLOW_TRIG_DEATH;
  inner.m_vCmd = {shot};
  cFlow inner2;
  inner2.m_nKey = 2;
  inner2.m_vCmd = {move, message};
  cFlowCmd change = Command(CMD_CATEGORY_ITEM, ICMD_CHANGE_FLOW, {2, 7});
  change.m_vFlow = {inner, inner2};

  const flowbody::Flow members{.name = "名前", .key = 1, .flowId = 2, .condLogic = 1, .condLatch = 1,
                                .trigger = FLOW_TRIG_TOUCH_SHOT, .bindPartner = 1, .partnerTarget = 3, .keyGap = 7,
                                .keyLatch = 1};
  cFlow f;
  flowbody::SetMembers(f, members);
  f.m_vCond.resize(1);
  FillDistinct(f.m_vCond[0], 70);
  f.m_vKeyCond.resize(2);
  f.m_vKeyCond[1].m_nMode = 2;
  f.m_vKeyCond[1].m_sHoldMax = 300;
  f.m_vKeyCond[1].m_vKeyState.assign(25, 2);
  f.m_vCmd = {move, shot, flowOp, message, change};
  return f;
}

TEST_F(FlowRecordTest, NewCommandFileForm) {
  cFlowCmd c;
  EXPECT_EQ(c.m_nCategory, 0);
  EXPECT_EQ(c.m_nKind, 0);
  EXPECT_EQ(c.m_bSoundOnScreen, 1);
  EXPECT_FALSE(c.m_pEdMove || c.m_pEdShot || c.m_pCondList);
  Bytes body = WrittenBody(c);
  EXPECT_EQ(body.size(), 44u);
  EXPECT_EQ(body, CmdBody(914, Cmd{}));
}

TEST_F(FlowRecordTest, FlowsWithEveryBlockKindRoundTrip) {
  cFlow f = SampleFlow();
  Bytes body = WrittenBody(f);

  cFlow back;
  cBodyRead r = ReadBody(back, 914, body);
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(back.m_strName, "");  // the player keeps no flow names

  cFlow expected = SampleFlow();
  expected.m_strName.clear();
  EXPECT_EQ(WrittenBody(back), WrittenBody(expected));

  ASSERT_EQ(back.m_vCmd.size(), 5u);
  ASSERT_TRUE(back.m_vCmd[0].m_pEdMove);
  EXPECT_EQ(RegisteredBytes(*back.m_vCmd[0].m_pEdMove), RegisteredBytes(*expected.m_vCmd[0].m_pEdMove));
  EXPECT_EQ(back.m_vCmd[0].m_bSoundOnScreen, 0);
  ASSERT_TRUE(back.m_vCmd[1].m_pEdShot);
  EXPECT_EQ(RegisteredBytes(*back.m_vCmd[1].m_pEdShot), RegisteredBytes(*expected.m_vCmd[1].m_pEdShot));
  ASSERT_TRUE(back.m_vCmd[2].m_pCondList);
  EXPECT_EQ(back.m_vCmd[2].m_pCondList->m_bEnabled, 1);
  EXPECT_EQ(back.m_vCmd[2].m_pCondList->m_vCond.size(), 2u);
  EXPECT_EQ(back.m_vCmd[3].m_strText, "こんにちは\n\\v[1]");
  EXPECT_EQ(Params(back.m_vCmd[3]), Params(expected.m_vCmd[3]));
  const cFlowCmd& change = back.m_vCmd[4];
  ASSERT_EQ(change.m_vFlow.size(), 2u);
  ASSERT_EQ(change.m_vFlow[1].m_vCmd.size(), 2u);
  EXPECT_EQ(change.m_vFlow[1].m_vCmd[1].m_strText, "こんにちは\n\\v[1]");
  ASSERT_TRUE(change.m_vFlow[0].m_vCmd[0].m_pEdShot);
  EXPECT_EQ(back.m_vKeyCond[1].m_vKeyState.size(), 25u);
}

struct cDbRepairCase {
  const char* what;
  int category;
  int kind;
  std::vector<int32_t> params;
  int16_t sound;
  int16_t anime;
  std::vector<int32_t> expectedParams;  // the whole vector after the repair
  int16_t expectedSound;
  int16_t expectedAnime;
  std::function<void()> database = [] {};
};

TEST_F(FlowRecordTest, ReadingRepairsCountsAndDatabaseReferences) {
  // The default database: 1 animation set, 2 entries in the other lists.
  const std::vector<cDbRepairCase> cases = {
      {"sound and animation in range", 0, CMD_WAIT, {}, 1, 1, {}, 1, 1},
      {"sound and animation past the end", 0, CMD_WAIT, {}, 2, 2, {}, 0, 0},
      {"negative sound and animation", 0, CMD_WAIT, {}, -1, -32768, {}, 0, 0},
      {"message stored with 3 parameters", 0, CMD_MESSAGE, {5, 6, 7}, 0, 0,
       {5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
      {"surplus parameters dropped", 0, CMD_TURN, {3, 4, 5, 6}, 0, 0, {3}, 0, 0},
      {"sound effect -1", 0, CMD_SE, {-1}, 0, 0, {1}, 0, 0},
      {"sound effect past the end", 0, CMD_SE, {2}, 0, 0, {1}, 0, 0},
      {"sound effect in range", 0, CMD_SE, {1}, 0, 0, {1}, 0, 0},
      {"music", 0, CMD_BGM, {9, 1}, 0, 0, {1, 1}, 0, 0},
      {"animation", 0, CMD_ANIM, {5, 3}, 0, 0, {1, 3}, 0, 0},
      {"effect", 0, CMD_EFFECT, {2, 4}, 0, 0, {1, 4, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
      {"character effect", 0, CMD_CHARA_EFFECT, {-7}, 0, 0, {1, 0, 0}, 0, 0},
      {"screen effect", 0, CMD_SCREEN_EFFECT, {2}, 0, 0, {1, 0, 0}, 0, 0},
      {"picture", 0, CMD_PICTURE, {100}, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
      {"animation set repairs to none", 0, CMD_BASE_ANIMSET, {1}, 0, 0, {0}, 0, 0},
      {"dedicated bitmap", 0, CMD_GRAPHIC, {4, 2, 9}, 0, 0, {4, 1, 9}, 0, 0},
      {"other graphic sources unchecked", 0, CMD_GRAPHIC, {3, 50, 0}, 0, 0, {3, 50, 0}, 0, 0},
      {"repair to 1 of a one-entry list gives 0", 0, CMD_PICTURE, {3}, 0, 0, std::vector<int32_t>(16, 0), 0, 0,
       [] { g_Database.m_vPicture.resize(1); }},
      {"repair to 1 of an empty list gives 0", 0, CMD_SE, {3}, 0, 0, {0}, 0, 0,
       [] { g_Database.m_vSound.clear(); }},
      {"item set: sound effect", 1, 20, {-1}, 0, 0, {1}, 0, 0},
      {"item set: dedicated bitmap", 1, 11, {4, 9, 0}, 0, 0, {4, 1, 0}, 0, 0},
      {"item set: change flow keeps 2", 1, ICMD_CHANGE_FLOW, {}, 0, 0, {0, 0}, 0, 0},
      {"item set: code keeps none", 1, 22, {1, 2, 3}, 0, 0, {}, 0, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    Restore();
    tc.database();
    Cmd stored;
    stored.category = static_cast<int8_t>(tc.category);
    stored.kind = static_cast<int8_t>(tc.kind);
    stored.params = tc.params;
    stored.sound = tc.sound;
    stored.anime = tc.anime;
    cFlowCmd c;
    ASSERT_EQ(ReadBody(c, 914, CmdBody(914, stored)).m_nResult, 1);
    EXPECT_EQ(c.m_nKind, tc.kind);
    EXPECT_EQ(Params(c), tc.expectedParams);
    EXPECT_EQ(c.m_sSound, tc.expectedSound);
    EXPECT_EQ(c.m_sAnime, tc.expectedAnime);
  }
}

TEST_F(FlowRecordTest, WritingRepairsTheCommandItself) {
  cFlowCmd c = Command(0, CMD_SE, {-1, 5});
  c.m_sSound = -1;
  Cmd expected;
  expected.kind = CMD_SE;
  expected.params = {1};
  EXPECT_EQ(WrittenBody(c), CmdBody(914, expected));
  EXPECT_EQ(Params(c), std::vector<int32_t>{1});
  EXPECT_EQ(c.m_sSound, 0);
}

TEST_F(FlowRecordTest, SwordTakesItsTypesTime) {
  auto sword = [](std::vector<int32_t> durations) {
    cSwordTypeData s;
    s.m_vPart.resize(durations.size());
    for (size_t i = 0; i < durations.size(); ++i) s.m_vPart[i].m_nDuration = durations[i];
    return s;
  };
  const struct {
    const char* what;
    int type;
    int expectedType;
    int expectedTime;
  } cases[] = {
      {"parts summed", 1, 1, 7},
      {"sum held at 9999", 2, 2, 9999},
      {"type past the list", 3, 0, 0},
      {"negative type", -1, 0, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    g_Database.m_vSwordType = {sword({}), sword({3, 4}), sword({5000, 6000})};
    cFlowCmd c = Command(0, CMD_SWORD);
    CreateEdShot(c.m_pEdShot);
    c.m_pEdShot->m_nMoveKind = static_cast<int8_t>(tc.type);
    c.m_sTime = 55;
    c.Normalize();
    EXPECT_EQ(c.m_pEdShot->m_nMoveKind, tc.expectedType);
    EXPECT_EQ(c.m_sTime, tc.expectedTime);
  }
}

TEST_F(FlowRecordTest, PaletteReferenceRepairs) {
  const cPaletteSizes common{3, 4, 5};
  const cPaletteSizes stage{6, 7, 8};
  // selector and index live in the shot block (item palette and item, or summon palette and
  // summon) except for the item get command, whose parameters 0 and 1 hold them.
  const struct {
    int category;
    int kind;
    int selector;
    int index;
    int expectedSelector;
    int expectedIndex;
  } cases[] = {
      {0, CMD_SHOT, 1, 4, 1, 4},        {0, CMD_SHOT, 1, 5, 0, 0},     {0, CMD_SHOT, 2, 7, 2, 7},
      {0, CMD_SHOT, 2, 8, 0, 0},        {0, CMD_SHOT, 2, -1, 0, 0},    {0, CMD_SHOT, 0, 99, 0, 99},
      {0, CMD_SHOT, 3, 99, 3, 99},      {0, CMD_SWORD, 1, 5, 0, 0},    {0, CMD_SUMMON_BLOCK, 0, 2, 0, 2},
      {0, CMD_SUMMON_BLOCK, 0, 3, 0, 1}, {0, CMD_SUMMON_BLOCK, 1, 6, 1, 1}, {0, CMD_SUMMON_BLOCK, 2, 99, 2, 99},
      {0, CMD_SUMMON_CHARA, 0, 4, 0, 1}, {0, CMD_SUMMON_CHARA, 1, 6, 1, 6}, {0, CMD_SUMMON_ITEM, 1, 8, 1, 1},
      {0, CMD_SUMMON_ITEM, 0, -2, 0, 1}, {0, CMD_ITEM_GET, 0, 5, 0, 1},   {0, CMD_ITEM_GET, 1, 7, 1, 7},
      {0, CMD_ITEM_GET, 2, 99, 2, 99},   {1, 10, 1, 8, 1, 1},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << tc.kind << " selector " << tc.selector << " index " << tc.index);
    cFlowCmd c = Command(tc.category, tc.kind);
    c.Normalize();
    const bool inParams = c.ObjectKind() == CMD_ITEM_GET;
    auto selector = [&]() -> int {
      if (inParams) return c.m_vParam.At(0);
      return tc.kind == CMD_SHOT || tc.kind == CMD_SWORD ? c.m_pEdShot->m_nItemPalette : c.m_pEdShot->m_nSummonPalette;
    };
    auto index = [&]() -> int {
      if (inParams) return c.m_vParam.At(1);
      return tc.kind == CMD_SHOT || tc.kind == CMD_SWORD ? c.m_pEdShot->m_sItem : c.m_pEdShot->m_sSummon;
    };
    if (inParams) {
      c.m_vParam.At(0) = tc.selector;
      c.m_vParam.At(1) = tc.index;
    } else if (tc.kind == CMD_SHOT || tc.kind == CMD_SWORD) {
      c.m_pEdShot->m_nItemPalette = static_cast<int8_t>(tc.selector);
      c.m_pEdShot->m_sItem = static_cast<int16_t>(tc.index);
    } else {
      c.m_pEdShot->m_nSummonPalette = static_cast<int8_t>(tc.selector);
      c.m_pEdShot->m_sSummon = static_cast<int16_t>(tc.index);
    }

    // Reached directly, and through a flow carried by an item command.
    cFlow carrier;
    carrier.m_vCmd = {c};
    cFlowCmd change = Command(CMD_CATEGORY_ITEM, ICMD_CHANGE_FLOW);
    change.m_vFlow = {carrier};
    c.NormalizeRefs(common, stage);
    change.NormalizeRefs(common, stage);
    EXPECT_EQ(selector(), tc.expectedSelector);
    EXPECT_EQ(index(), tc.expectedIndex);
    EXPECT_EQ(WrittenBody(change.m_vFlow[0].m_vCmd[0]), WrittenBody(c));
  }
}

TEST_F(FlowRecordTest, UnknownKindsDoNothing) {
  const struct {
    int category;
    int kind;
    int expectedCategory;
  } cases[] = {{0, 40, 0}, {0, 127, 0}, {0, -1, 0}, {1, 25, 1}, {1, -3, 1}, {7, 3, 0}, {-1, 0, 0}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "category " << tc.category << " kind " << tc.kind);
    Cmd stored;
    stored.category = static_cast<int8_t>(tc.category);
    stored.kind = static_cast<int8_t>(tc.kind);
    stored.params = {1, 2, 3};
    for (uint32_t version : {914u, 500u}) {
      cFlowCmd c;
      cBodyRead r = ReadBody(c, version, CmdBody(version, stored));
      EXPECT_EQ(r.m_nResult, 1);
      EXPECT_EQ(r.m_nLeft, 0u);
      EXPECT_EQ(c.m_nCategory, tc.expectedCategory);
      EXPECT_EQ(c.m_nKind, 0);
      EXPECT_TRUE(c.m_vParam.empty());
    }
  }
}

TEST_F(FlowRecordTest, KindsGetTheBlocksTheyWorkOn) {
  const struct {
    int category;
    int kind;
    bool move, shot, cond;
  } cases[] = {
      {0, CMD_MOVE_STRAIGHT, true, false, false}, {0, CMD_JUMP, true, false, false},
      {0, CMD_WARP, true, false, false},          {0, CMD_SHOT, false, true, false},
      {0, CMD_SUMMON_ITEM, false, true, false},   {0, CMD_FLOW_OP, false, false, true},
      {1, 5, true, false, false},                 {0, CMD_WAIT, false, false, false},
      {0, CMD_MESSAGE, false, false, false},      {1, ICMD_CHANGE_FLOW, false, false, false},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "category " << tc.category << " kind " << tc.kind);
    Cmd stored;
    stored.category = static_cast<int8_t>(tc.category);
    stored.kind = static_cast<int8_t>(tc.kind);
    cFlowCmd c;
    ASSERT_EQ(ReadBody(c, 914, CmdBody(914, stored)).m_nResult, 1);
    EXPECT_EQ(bool(c.m_pEdMove), tc.move);
    EXPECT_EQ(bool(c.m_pEdShot), tc.shot);
    EXPECT_EQ(bool(c.m_pCondList), tc.cond);
    if (tc.move) {
      EXPECT_EQ(RegisteredBytes(*c.m_pEdMove), RegisteredBytes(*std::make_shared<cEdMove>()));
    }
    if (tc.cond) {
      EXPECT_EQ(c.m_pCondList->m_bEnabled, 0);
    }
    cCmdArrangeRef ref = c.ArrangeRef();
    EXPECT_EQ(ref.m_pEdMove, c.m_pEdMove.get());
    EXPECT_EQ(ref.m_pEdShot, c.m_pEdShot.get());
    EXPECT_EQ(ref.m_pSound, &c.m_sSound);
  }

  // A sword without its block reads with a default one and the time of sword type 0.
  Cmd sword;
  sword.kind = CMD_SWORD;
  sword.time = 300;
  cFlowCmd c;
  ASSERT_EQ(ReadBody(c, 914, CmdBody(914, sword)).m_nResult, 1);
  ASSERT_TRUE(c.m_pEdShot);
  EXPECT_EQ(c.m_pEdShot->m_nMoveKind, 0);
  EXPECT_EQ(c.m_sTime, 1);  // the default sword type has one part of time 1
  int out = -5;
  g_ArrangeGetTable[CMD_SWORD](&out, 2, c.ArrangeRef());
  EXPECT_EQ(out, 0);
}

TEST_F(FlowRecordTest, DamagedBodiesFailTheRead) {
  Cmd withShot;
  withShot.kind = CMD_SHOT;
  withShot.shot = WrittenBody(*std::make_shared<cEdShot>());
  withShot.params = {};
  const Bytes good = CmdBody(914, withShot);

  auto cut = [](Bytes b, size_t n) {
    b.resize(n);
    return b;
  };
  auto patchU32 = [](Bytes b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  Cmd hugeParams;
  hugeParams.paramCount = 0x7fffffff;
  Cmd shortParams;
  shortParams.params = {1, 2};
  shortParams.paramCount = 3;
  Bytes hugeFlows = CmdBody(914, Cmd{});
  Bytes negativeFlows = patchU32(hugeFlows, 36, 0xfffffff0u);
  hugeFlows = patchU32(hugeFlows, 36, 1000);

  // Carried flows nested deeper than any editor writes: each level a command carrying one flow.
  Bytes nested = CmdBody(914, Cmd{});
  for (int level = 0; level < 40; ++level) {
    flowbody::Flow f;
    f.cmds = {nested};
    Cmd carrier;
    carrier.category = 1;
    carrier.kind = ICMD_CHANGE_FLOW;
    carrier.flows = {flowbody::FlowBody(914, f)};
    nested = CmdBody(914, carrier);
  }

  ExpectReadsFail<cFlowCmd>({
      {"empty", 914, {}},
      {"cut in the raw fields", 914, cut(good, 10)},
      {"cut before the block flags", 914, cut(good, 24)},
      {"shot flag without its block", 914, cut(good, 32)},
      {"cut in the shot block", 914, cut(good, 60)},
      {"cut before the parameter count", 914, cut(good, good.size() - 2)},
      {"more raw fields than stored", 914, patchU32(good, 0, 9)},
      {"more texts than stored", 914, patchU32(good, 16, 2)},
      {"text longer than the file", 914, patchU32(good, 20, 100000)},
      {"flow count beyond the file", 914, hugeFlows},
      {"negative flow count", 914, negativeFlows},
      {"parameter count beyond the file", 914, CmdBody(914, hugeParams)},
      {"parameters cut short", 914, CmdBody(914, shortParams)},
      {"flows nested 40 deep", 914, nested},
  });

  // A negative parameter count stores no parameters: the command keeps its own, fitted to its kind.
  Cmd negative;
  negative.kind = CMD_TURN;
  negative.paramCount = -5;
  cFlowCmd c;
  cBodyRead r = ReadBody(c, 914, CmdBody(914, negative));
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Params(c), std::vector<int32_t>{0});
}

// Every block of the command and of the commands of its carried flows, in a fixed order.
void CollectBlocks(cFlowCmd& c, std::vector<const void*>& out) {
  out.push_back(c.m_pEdMove.get());
  out.push_back(c.m_pEdShot.get());
  out.push_back(c.m_pCondList.get());
  for (cFlow& f : c.m_vFlow)
    for (cFlowCmd& sub : f.m_vCmd) CollectBlocks(sub, out);
}

TEST_F(FlowRecordTest, CopiesShareNoBlockWithTheirSource) {
  cFlowCmd src = SampleFlow().m_vCmd[4];  // the item command with its carried flows
  CreateEdMove(src.m_pEdMove);
  CreateEdShot(src.m_pEdShot);
  CreateCondList(src.m_pCondList);
  src.m_pCondList->m_vCond.resize(3);
  const Bytes srcBytes = WrittenBody(src);

  cFlowCmd constructed(src);
  cFlowCmd assigned = Command(0, CMD_WAIT);
  CreateEdMove(assigned.m_pEdMove);
  assigned = src;
  for (cFlowCmd* copy : {&constructed, &assigned}) {
    std::vector<const void*> a, b;
    CollectBlocks(src, a);
    CollectBlocks(*copy, b);
    ASSERT_EQ(a.size(), b.size());
    int blocks = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i] == nullptr, b[i] == nullptr) << i;
      if (a[i]) {
        EXPECT_NE(a[i], b[i]) << i;
      }
      blocks += a[i] != nullptr;
    }
    EXPECT_EQ(blocks, 5);
    EXPECT_EQ(src.m_pEdMove.use_count(), 1);
    EXPECT_EQ(WrittenBody(*copy), srcBytes);

    // Changing the copy leaves the source as it was.
    copy->m_pCondList->m_vCond[0].m_nValue = 99;
    copy->m_vFlow[1].m_vCmd[0].m_pEdMove->m_sTargetX = 1;
    copy->m_vFlow[0].m_vCmd[0].m_pEdShot->m_nCount = 9;
    copy->m_vParam[0] = 0;
    EXPECT_EQ(WrittenBody(src), srcBytes);
  }

  // A source without blocks empties the target's.
  cFlowCmd plain = Command(0, CMD_WAIT);
  assigned = plain;
  EXPECT_FALSE(assigned.m_pEdMove || assigned.m_pEdShot || assigned.m_pCondList);
  EXPECT_TRUE(assigned.m_vFlow.empty());

  // A command can take one of the commands it carries.
  cFlowCmd outer = src;
  const Bytes innerBytes = WrittenBody(src.m_vFlow[1].m_vCmd[0]);
  outer = outer.m_vFlow[1].m_vCmd[0];
  EXPECT_EQ(WrittenBody(outer), innerBytes);
  cFlow flow = SampleFlow();
  flow = flow.m_vCmd[4].m_vFlow[1];
  EXPECT_EQ(flow.m_vCmd.size(), 2u);
}

TEST_F(FlowRecordTest, CarriedTestOnlyFlowsAreDroppedOutsideTestPlays) {
  Cmd change;
  change.category = 1;
  change.kind = ICMD_CHANGE_FLOW;
  for (int8_t testOnly : {1, 0, 1}) {
    flowbody::Flow f;
    f.testOnly = testOnly;
    f.key = static_cast<int8_t>(change.flows.size() + 1);
    change.flows.push_back(flowbody::FlowBody(914, f));
  }
  const struct {
    const char* what;
    int editor;
    int keep;
    std::vector<int> keys;
  } cases[] = {
      {"plain play", 0, 0, {2}},
      {"test play", 1, 0, {1, 2, 3}},
      {"system data keeps them", 0, 1, {1, 2, 3}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    g_bEditorLaunched = tc.editor;
    g_SystemData.m_bKeepTestFlows = tc.keep;
    cFlowCmd c;
    ASSERT_EQ(ReadBody(c, 914, CmdBody(914, change)).m_nResult, 1);
    std::vector<int> keys;
    for (const cFlow& f : c.m_vFlow) keys.push_back(f.m_nKey);
    EXPECT_EQ(keys, tc.keys);
  }
}

}  // namespace
