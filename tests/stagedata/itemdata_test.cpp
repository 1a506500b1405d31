#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/flow_io.h"
#include "support/definition_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST_F(DefinitionTest, ItemFileFormAndRoundTrip) {
  cItemData blank;
  EXPECT_EQ((std::vector<int>{blank.m_cGraphicKind, blank.m_cLayer, blank.m_bPopup, blank.m_cScale, blank.m_cTakeMode}),
            (std::vector<int>{2, 6, 1, 1, 0}));
  EXPECT_EQ(Flags(blank.m_vInherit), std::vector<int>(13, 0));
  EXPECT_EQ(WrittenBody(blank).size(), 65u);

  cItemData item = PlacedItem(4, 9, 21);
  item.m_strName = "コイン";
  item.m_cCondLogic = 1;
  item.m_bCondLatch = 1;
  item.m_sValueA = -5;
  item.m_sValueB = 300;
  item.m_cGraphicKind = GRAPHIC_SHOT;
  item.m_sGraphicSub = 2;
  item.m_cLayer = 8;
  item.m_bHidden = 1;
  item.m_cOverlay = 1;
  item.m_sOverlay = 17;
  item.m_cTakeMode = ITEM_TAKE_NEVER;
  item.m_bPopup = 0;
  item.m_cScale = 4;
  item.m_sSound = 1;
  item.m_vInherit.assign(13, 0);
  item.m_vInherit[12] = 1;
  item.m_vCond.resize(1);
  item.m_vCmd.resize(1);
  item.m_vCmd[0].m_nCategory = CMD_CATEGORY_ITEM;
  item.m_vCmd[0].m_nKind = CMD_STAGE_CLEAR - kItemCmdKindOffset;

  // The popup switch is stored before the take mode.
  ByteWriter w;
  w.U32(17).I8(0).I16(0).I8(1).I8(1).I16(-5).I16(300).I16(21).I8(3).I16(2).I8(8).I8(1).I8(1).I16(17);
  w.I8(0).I8(ITEM_TAKE_NEVER).I8(4).I16(1).U32(1).Str("コイン").I16(4).I16(9).U32(13);
  for (int i = 0; i < 13; ++i) w.I8(i == 12 ? 1 : 0);
  const Bytes body = WrittenBody(item);
  ASSERT_GE(body.size(), w.bytes.size());
  EXPECT_EQ(Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(w.bytes.size())), w.bytes);

  cItemData back;
  cBodyRead r = ReadBody(back, 914, body);
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(RegisteredBytes(back), RegisteredBytes(item));
  EXPECT_EQ(back.m_strName, "コイン");
  EXPECT_EQ(Flags(back.m_vInherit), Flags(item.m_vInherit));
  EXPECT_EQ(back.m_vCond.size(), 1u);
  ASSERT_EQ(back.m_vCmd.size(), 1u);
  EXPECT_EQ(back.m_vCmd[0].ObjectKind(), CMD_STAGE_CLEAR);
  EXPECT_EQ(back.m_vCmd[0].m_vParam.size(), 9u) << "commands are normalised";
}

TEST_F(DefinitionTest, ItemReadsRepairAndUpgrade) {
  const int sounds = static_cast<int>(g_Database.m_vSound.size());
  const struct {
    const char* what;
    uint32_t version;
    int8_t graphicKind;
    int16_t graphic;
    int8_t scale;
    int16_t sound;
    std::vector<int> expected;  // graphic, scale, sound
  } cases[] = {
      {"current file", 914, GRAPHIC_SHOT, 40, 3, 1, {40, 3, 1}},
      {"shot graphic of an old file", 218, GRAPHIC_SHOT, 40, 3, 1, {41, 3, 1}},
      {"last shot graphic of an old file", 218, GRAPHIC_SHOT, 119, 3, 1, {119, 3, 1}},
      {"scale 0", 914, GRAPHIC_ITEM, 5, 0, 1, {5, 1, 1}},
      {"negative scale", 914, GRAPHIC_ITEM, 5, -7, 1, {5, 1, 1}},
      {"sound equal to the count", 914, GRAPHIC_ITEM, 5, 1, static_cast<int16_t>(sounds), {5, 1, 0}},
      {"negative sound", 914, GRAPHIC_ITEM, 5, 1, -1, {5, 1, 0}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cItemData stored = PlacedItem(0, 0, tc.graphic);
    stored.m_cGraphicKind = tc.graphicKind;
    Bytes body = WrittenBody(stored);
    body[BodyOffsetOf(stored, &stored.m_cScale)] = static_cast<uint8_t>(tc.scale);
    const size_t sound = BodyOffsetOf(stored, &stored.m_sSound);
    body[sound] = static_cast<uint8_t>(tc.sound & 0xFF);
    body[sound + 1] = static_cast<uint8_t>((tc.sound >> 8) & 0xFF);
    cItemData back;
    cBodyRead r = ReadBody(back, tc.version, body);
    ASSERT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ((std::vector<int>{back.m_sGraphic, back.m_cScale, back.m_sSound}), tc.expected);
  }
}

TEST_F(DefinitionTest, PaletteItemLookup) {
  g_CommonPalette.m_vItem.resize(3);
  g_CommonPalette.m_vItem[2].m_strName = "common 2";
  StagePalette().m_vItem.resize(2);
  StagePalette().m_vItem[1].m_strName = "stage 1";
  const int stageCount = static_cast<int>(StagePalette().m_vItem.size());
  const struct {
    int8_t kind;
    int16_t index;
    const cItemData* expected;
  } cases[] = {
      {PAL_NONE, 0, nullptr},
      {PAL_COMMON, -1, nullptr},
      {3, 0, nullptr},
      {PAL_STAGE, static_cast<int16_t>(stageCount), nullptr},
      {PAL_COMMON, 0, &g_CommonPalette.m_vItem[0]},
      {PAL_COMMON, 2, &g_CommonPalette.m_vItem[2]},
      {PAL_STAGE, 1, &StagePalette().m_vItem[1]},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int{tc.kind} << " index " << tc.index);
    EXPECT_EQ(GetPaletteItemData(tc.kind, tc.index), tc.expected);
  }
}

}  // namespace
