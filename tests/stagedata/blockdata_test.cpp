#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/flow_io.h"
#include "support/definition_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A placed block with every stored member set, and its bytes as written by hand in file order.
cBlockData SampleBlock() {
  cBlockData b = PlacedBlock(7, -2, 33, 2);
  b.m_strName = "岩";
  b.m_cCondLogic = 1;
  b.m_bCondLatch = 1;
  b.m_cGraphicKind = GRAPHIC_SHOT;
  b.m_sGraphicSub = 4;
  b.m_bFront = 1;
  b.m_bHidden = 1;
  b.m_cOverlay = 2;
  b.m_sOverlay = 16;
  b.m_cHitExempt = 3;
  b.m_cEffect = 5;
  b.m_nEffectValue = -70000;
  b.m_cItemKind = PAL_COMMON;
  b.m_sItemIndex = 9;
  b.m_bLocked = 1;
  b.m_vInherit = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // no template: the flag has no effect
  b.m_vCond.resize(1);
  FillDistinct(b.m_vCond[0], 0);
  return b;
}

Bytes SampleBlockBytes(const cCond& cond) {
  ByteWriter w;
  w.U32(18).I8(0).I16(0).I8(1).I8(1).I16(33).I8(3).I16(4).I8(1).I8(1).I8(2).I16(16).I8(2).I8(3).I8(5);
  w.I32(-70000).I8(1).I16(9).I8(1).U32(1).Str("岩");
  w.I16(7).I16(-2).U32(11);
  for (int f : {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}) w.I8(static_cast<int8_t>(f));
  cCond copy = cond;
  const Bytes condBody = WrittenBody(copy);
  w.U32(1).Raw(condBody.data(), condBody.size());
  return w.bytes;
}

// A solid, locked block at cell (1, 1) without conditions or set flags, stored as a file holds it.
Bytes StoredBlock(int8_t palKind, int16_t palIndex, int8_t graphicKind, int16_t graphic) {
  ByteWriter w;
  w.U32(18).I8(palKind).I16(palIndex).I8(0).I8(0).I16(graphic).I8(graphicKind).I16(0);
  w.I8(0).I8(0).I8(0).I16(0).I8(1).I8(-1).I8(0).I32(0).I8(0).I16(0).I8(1).U32(1).Str("");
  w.I16(1).I16(1).U32(11);
  for (int i = 0; i < 11; ++i) w.I8(0);
  w.U32(0);
  return w.bytes;
}

TEST_F(DefinitionTest, BlockFileFormAndRoundTrip) {
  cBlockData blank;
  EXPECT_EQ(blank.m_cHit, 1);
  EXPECT_EQ(blank.m_cHitExempt, -1);
  EXPECT_EQ(Flags(blank.m_vInherit), std::vector<int>(11, 0));
  // Written, the blank block has no graphic and so does not collide: 61 bytes.
  const Bytes blankBody = WrittenBody(blank);
  EXPECT_EQ(blankBody.size(), 61u);
  EXPECT_EQ(blankBody[BodyOffsetOf(blank, &blank.m_cHit)], 0) << "hit code of a block without a graphic";
  EXPECT_EQ(blankBody[BodyOffsetOf(blank, &blank.m_cHitExempt)], 0xFF) << "no exempt side";

  cBlockData sample = SampleBlock();
  const Bytes body = SampleBlockBytes(sample.m_vCond[0]);
  EXPECT_EQ(WrittenBody(sample), body);

  cBlockData back;
  cBodyRead r = ReadBody(back, 914, body);
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(RegisteredBytes(back), RegisteredBytes(sample));
  EXPECT_EQ(back.m_strName, "岩");
  EXPECT_EQ(back.m_sCellX, 7);
  EXPECT_EQ(back.m_sCellY, -2);
  EXPECT_EQ(Flags(back.m_vInherit), Flags(sample.m_vInherit));
  ASSERT_EQ(back.m_vCond.size(), 1u);
  EXPECT_EQ(RegisteredBytes(back.m_vCond[0]), RegisteredBytes(sample.m_vCond[0]));
}

TEST_F(DefinitionTest, BlockReadsRepairAndUpgrade) {
  StagePalette().m_vBlock.resize(3);
  const struct {
    const char* what;
    uint32_t version;
    int8_t graphicKind;
    int16_t graphic;
    int8_t palKind;
    int16_t palIndex;
    int16_t expectedGraphic;
    int expectedHit;  // the block is stored solid and locked
    int expectedPalKind;
    int expectedPalIndex;
  } cases[] = {
      {"no graphic: passable and unlocked", 914, GRAPHIC_BLOCK, 0, 0, 0, 0, 0, 0, 0},
      {"shot graphic 119 of an old file", 218, GRAPHIC_SHOT, 119, 0, 0, 119, 1, 0, 0},
      {"shot graphic 40 of an old file", 218, GRAPHIC_SHOT, 40, 0, 0, 41, 1, 0, 0},
      {"block graphic of an old file", 218, GRAPHIC_BLOCK, 40, 0, 0, 40, 1, 0, 0},
      {"shot graphic of a 219 file", 219, GRAPHIC_SHOT, 40, 0, 0, 40, 1, 0, 0},
      // The inheritance step finds no template and turns the kind to none; the index stays.
      {"stage template beyond the palette", 914, GRAPHIC_BLOCK, 5, PAL_STAGE, 5, 5, 1, 0, 5},
      {"stage template inside the palette", 914, GRAPHIC_BLOCK, 5, PAL_STAGE, 2, 5, 1, PAL_STAGE, 2},
      {"negative common template", 914, GRAPHIC_BLOCK, 5, PAL_COMMON, -1, 5, 1, 0, -1},
      {"common template beyond the palette", 914, GRAPHIC_BLOCK, 5, PAL_COMMON, 1, 5, 1, 0, 1},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cBlockData back;
    cBodyRead r = ReadBody(back, tc.version, StoredBlock(tc.palKind, tc.palIndex, tc.graphicKind, tc.graphic));
    ASSERT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ(back.m_sGraphic, tc.expectedGraphic);
    EXPECT_EQ(back.m_cHit, tc.expectedHit);
    EXPECT_EQ(back.m_bLocked, tc.expectedHit);
    EXPECT_EQ(back.m_cPalKind, tc.expectedPalKind);
    EXPECT_EQ(back.m_sPalIndex, tc.expectedPalIndex);
  }
}

TEST_F(DefinitionTest, BlockItemReferenceRepair) {
  StagePalette().m_vItem.resize(3);
  const struct {
    int8_t kind;
    int16_t index;
    int expectedKind;
    int expectedIndex;
  } cases[] = {
      {PAL_STAGE, 2, PAL_STAGE, 2}, {PAL_STAGE, 3, 0, 0},  {PAL_STAGE, -2, 0, 0},
      {PAL_COMMON, 0, PAL_COMMON, 0}, {PAL_COMMON, 1, 0, 0}, {3, 40, 3, 40},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int{tc.kind} << " index " << tc.index);
    cBlockData b;
    b.m_cItemKind = tc.kind;
    b.m_sItemIndex = tc.index;
    b.CheckItemRef();
    EXPECT_EQ(b.m_cItemKind, tc.expectedKind);
    EXPECT_EQ(b.m_sItemIndex, tc.expectedIndex);
  }
}

TEST_F(DefinitionTest, DamagedBlocksFailToRead) {
  cBlockData sample = SampleBlock();
  const Bytes good = WrittenBody(sample);
  // The inherit-flag count sits after the body (4 + 26 + 4 + 4 + 3 bytes of name) and the cell.
  const size_t flagCount = 4 + 26 + 4 + 4 + 3 + 4;
  Bytes hugeFlags = good;
  hugeFlags[flagCount + 3] = 0x7F;
  Bytes hugeConds = good;
  const size_t condCount = flagCount + 4 + 11;
  hugeConds[condCount + 2] = 0x10;
  ExpectReadsFail<cBlockData>({
      {"cut inside the cell", 914, Bytes(good.begin(), good.begin() + flagCount - 2)},
      {"cut inside the flags", 914, Bytes(good.begin(), good.begin() + flagCount + 8)},
      {"flag count beyond the file", 914, hugeFlags},
      {"condition count beyond the file", 914, hugeConds},
  });
}

}  // namespace
