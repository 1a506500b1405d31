#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "stagedata/flow.h"
#include "stagedata/flow_io.h"
#include "support/flow_fixture.h"

namespace {

using flowbody::Bytes;
using flowbody::FlowBody;

std::vector<int> Members(const cFlow& f) {
  return {f.m_nKey,    f.m_nFlowId,      f.m_bTestOnly,      f.m_nCondLogic, f.m_bCondLatch, f.m_nTrigger,
          f.m_bBindPartner, f.m_nPartnerTarget, f.m_nKeyGap, f.m_bKeyLatch};
}

flowbody::Flow Stored() {
  return {.name = "ジャンプ", .key = 26, .flowId = 3, .condLogic = 1, .condLatch = 1, .trigger = FLOW_TRIG_NONE,
          .bindPartner = 1, .partnerTarget = 2, .keyGap = 9, .keyLatch = 1};
}

TEST_F(FlowRecordTest, FlowFileFormAndOlderLayouts) {
  cFlow f;
  EXPECT_EQ(Members(f), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 3, 0}));
  flowbody::SetMembers(f, Stored());
  EXPECT_EQ(WrittenBody(f), FlowBody(914, Stored()));

  const struct {
    uint32_t version;
    std::vector<int> members;
  } cases[] = {
      {914, {26, 3, 0, 1, 1, 26, 1, 2, 9, 1}},
      // Before 767 no partner target, before 762 no partner binding, before 676 no name.
      {766, {26, 3, 0, 1, 1, 26, 1, 0, 9, 1}},
      {761, {26, 3, 0, 1, 1, 26, 0, 0, 9, 1}},
      {675, {26, 3, 0, 1, 1, 26, 0, 0, 9, 1}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.version);
    flowbody::Flow stored = Stored();
    // A trigger that no renumbering moves.
    stored.trigger = tc.version < 900 ? 1 : FLOW_TRIG_NONE;
    std::vector<int> expected = tc.members;
    expected[5] = stored.trigger;
    cFlow back;
    back.m_strName = "old";
    cBodyRead r = ReadBody(back, tc.version, FlowBody(tc.version, stored));
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ(Members(back), expected);
    EXPECT_EQ(back.m_strName, "");
  }
}

TEST_F(FlowRecordTest, TriggersOfOlderFilesAreRenumbered) {
  const struct {
    uint32_t version;
    int trigger;
    int flowId;
    int expectedTrigger;
    int expectedFlowId;
  } cases[] = {
      {899, 0, 5, 0, 5},   {899, 1, 5, 1, 5},   {899, 2, 5, 3, 5},    {899, 3, 5, 5, 5},
      {899, 19, 5, 22, 5}, {899, 20, 5, 24, 5}, {899, 22, 5, 26, 5},  {900, 2, 5, 2, 5},
      {914, 40, 5, 40, 5}, {899, -1, 5, -1, 5}, {762, 18, 5, 20, 5},  {761, 18, 5, 25, 5},
      {164, 5, 5, 7, 5},   {163, 5, 5, 9, 5},   {163, 1, 4, 1, 4},    {162, 1, 4, 1, 0},
      {162, 0, 4, 0, 4},   {132, 11, 2, 15, 0}, {131, 11, 2, 16, 0},  {130, 11, 3, 16, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "version " << tc.version << " trigger " << tc.trigger);
    flowbody::Flow stored;
    stored.trigger = static_cast<int8_t>(tc.trigger);
    stored.flowId = static_cast<int8_t>(tc.flowId);
    cFlow f;
    ASSERT_EQ(ReadBody(f, tc.version, FlowBody(tc.version, stored)).m_nResult, 1);
    EXPECT_EQ(f.m_nTrigger, tc.expectedTrigger);
    EXPECT_EQ(f.m_nFlowId, tc.expectedFlowId);
  }
}

TEST_F(FlowRecordTest, KeyConditions) {
  cKeyCond fresh;
  EXPECT_EQ(fresh.m_vKeyState, std::vector<uint8_t>(19, 0));
  EXPECT_EQ(WrittenBody(fresh), flowbody::KeyCondBody({}));
  EXPECT_EQ(WrittenBody(fresh).size(), 38u);

  std::vector<uint8_t> pattern(25);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i % 3);
  const struct {
    const char* what;
    std::vector<uint8_t> keys;
    std::optional<int32_t> count;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"no keys stored", {}, std::nullopt, std::vector<uint8_t>(19, 0)},
      {"negative count", {}, -4, std::vector<uint8_t>(19, 0)},
      {"25 keys", pattern, std::nullopt, pattern},
      {"3 keys", {1, 2, 1}, std::nullopt, {1, 2, 1}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    flowbody::KeyCond stored;
    stored.mirror = 1;
    stored.holdMin = -2;
    stored.holdMax = 600;
    stored.anyHold = 1;
    stored.mode = 2;
    stored.keys = tc.keys;
    stored.keyCount = tc.count;
    cKeyCond k;
    cBodyRead r = ReadBody(k, 914, flowbody::KeyCondBody(stored));
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ(k.m_vKeyState, tc.expected);
    EXPECT_EQ((std::vector<int>{k.m_bMirror, k.m_sHoldMin, k.m_sHoldMax, k.m_bAnyHold, k.m_nMode}),
              (std::vector<int>{1, -2, 600, 1, 2}));
    EXPECT_EQ(WrittenBody(k), flowbody::KeyCondBody({1, -2, 600, 1, 2, tc.expected, std::nullopt}));
  }
}

TEST_F(FlowRecordTest, DamagedFlowsFailTheRead) {
  flowbody::KeyCond longKeys;
  longKeys.keyCount = 100;
  flowbody::Flow withKeys;
  withKeys.keyConds = {flowbody::KeyCondBody(longKeys)};
  flowbody::Flow withCmd;
  withCmd.cmds = {flowbody::CmdBody(914, {})};
  const Bytes good = FlowBody(914, withCmd);
  auto cut = [](Bytes b, size_t n) {
    b.resize(n);
    return b;
  };
  auto patchU32 = [](Bytes b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  // 4 + 10 raw bytes, 4 + 4 for the empty name: the condition count is at 22, the key conditions' at
  // 26 and the commands' at 30.
  ExpectReadsFail<cFlow>({
      {"key condition with more keys than the file", 914, FlowBody(914, withKeys)},
      {"negative condition count", 914, patchU32(good, 22, 0xffffffffu)},
      {"key condition count beyond the file", 914, patchU32(good, 26, 50)},
      {"command count beyond the file", 914, patchU32(good, 30, 3)},
      {"cut in the command", 914, cut(good, good.size() - 10)},
  });
}

TEST(FlowLists, TestOnlyFlowsAreRemovedInOrder) {
  cCheckedVector<cFlow> flows(4);
  for (int i = 0; i < 4; ++i) flows[i].m_nKey = static_cast<int8_t>(i + 1);
  flows[0].m_bTestOnly = 1;
  flows[2].m_bTestOnly = 1;
  RemoveTestOnlyFlows(flows);
  ASSERT_EQ(flows.size(), 2u);
  EXPECT_EQ(flows[0].m_nKey, 2);
  EXPECT_EQ(flows[1].m_nKey, 4);
}

TEST(FlowLists, InputDirectionCodes) {
  // Keys 1-8 give left, right, up, down and the four diagonals whatever the flag and facing.
  const int table[8] = {2, 3, 6, 7, 8, 9, 10, 11};
  for (int index = 1; index <= 8; ++index)
    for (int flag : {0, 1})
      for (int facing : {0, 1}) EXPECT_EQ(InputDirToDirCode(index, flag, facing), table[index - 1]) << index;

  const struct {
    int index, flag, facing;
    uint32_t replay;
    int expected;
  } cases[] = {
      {0, 1, 0, 0, 2},   {0, 1, 1, 0, 3},   {0, 0, 1, 0, 3},   {9, 1, 1, 0, 0},   {9, 0, 0, 0, 2},
      {9, 0, 1, 0, 3},   {-1, 1, 1, 0, 3},  {10, 1, 0, 0, 2},
      // Replays of older versions: up to 777 as if the flag were set, 778 and 779 as if clear.
      {9, 0, 1, 777, 0}, {9, 1, 1, 778, 3}, {9, 1, 1, 779, 3}, {9, 1, 1, 780, 0}, {9, 0, 1, 780, 3},
      {3, 1, 1, 778, 6},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "index " << tc.index << " flag " << tc.flag << " facing " << tc.facing
                                    << " replay " << tc.replay);
    EXPECT_EQ(InputDirToDirCode(tc.index, tc.flag, tc.facing, tc.replay), tc.expected);
  }
}

}  // namespace
