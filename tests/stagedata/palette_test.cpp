#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "gamedata/datapath.h"
#include "support/bytes.h"
#include "support/definition_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class CommonPaletteTest : public DefinitionTest {
 protected:
  void SetUp() override {
    DefinitionTest::SetUp();
    std::filesystem::create_directory("data");
  }

  static const char* Path() { return g_DataPath[DATAPATH_COMMON_PALETTE]; }
  static const char* HostPath() { return "data/CommonPalette.cplt4"; }

  // Writes a palette whose references name entries up to `entries` - 1 of both palettes, as the
  // editor would; then puts the palettes back in their start-up state.
  static void SaveWithRoomFor(cCommonPaletteData& palette, size_t entries) {
    for (cPaletteRef p : {CommonPalette(), StagePalette()}) {
      p.m_vBlock.resize(entries);
      p.m_vChara.resize(entries);
      p.m_vItem.resize(entries);
    }
    ASSERT_EQ(palette.Save(Path()), 1);
    ResetPalettes();
  }

  static std::vector<size_t> Sizes() {
    const cPaletteSizes s = CommonPalette().Sizes();
    return {s.m_nBlock, s.m_nChara, s.m_nItem};
  }
};

TEST_F(CommonPaletteTest, FreshAndSmallestFiles) {
  cCommonPaletteData fresh;
  EXPECT_EQ(fresh.Lists().Sizes().m_nBlock, 1u);
  EXPECT_EQ(fresh.Lists().Sizes().m_nChara, 1u);
  EXPECT_EQ(fresh.Lists().Sizes().m_nItem, 1u);
  ASSERT_EQ(fresh.Save(Path()), 1);
  const Bytes written = ReadFileBytes(HostPath());
  EXPECT_EQ(written.size(), 578u) << "three lists of 2 blank entries";
  EXPECT_EQ(Bytes(written.begin(), written.begin() + 16), ByteWriter().U32(914).U32(0).U32(0).U32(2).bytes);

  // Lists holding no entries read as 2 blank entries each, which write as the fresh palette does.
  ASSERT_TRUE(WriteFileBytes(HostPath(), ByteWriter().U32(914).U32(0).U32(0).U32(0).U32(0).U32(0).bytes));
  ASSERT_EQ(g_CommonPalette.Load(Path()), 1);
  EXPECT_EQ(Sizes(), (std::vector<size_t>{2, 2, 2}));
  ASSERT_EQ(g_CommonPalette.Save("again.cplt4"), 1);
  EXPECT_EQ(ReadFileBytes("again.cplt4"), written);
}

TEST_F(CommonPaletteTest, StoredEntriesReadAsTemplatesThatNeverInherit) {
  // A long list is first seen to be in the file before its blank entries are made; its entries read
  // as a short list's do.
  for (size_t count : {size_t{3}, size_t{300}}) {
    SCOPED_TRACE(count);
    const auto last = static_cast<int16_t>(count - 1);
    cCommonPaletteData stored;
    stored.m_vBlock.resize(count);
    stored.m_vBlock[0] = PlacedBlock(0, 0, 5);
    stored.m_vBlock[0].m_strName = "zero";
    // Block 1 takes its name from the last block, which is still blank when block 1 is read; the
    // last block takes its graphic from block 1, read by then.
    cBlockData& first = stored.m_vBlock[1] = PlacedBlock(0, 0, 7);
    first.m_strName = "first";
    SetTemplate(first, PAL_COMMON, last, {0});
    cBlockData& second = stored.m_vBlock[count - 1] = PlacedBlock(0, 0, 9);
    second.m_strName = "second";
    SetTemplate(second, PAL_COMMON, 1, {2});
    stored.m_vChara.resize(3);
    stored.m_vChara[1].m_nMaxHP = 40;
    stored.m_vChara[1].m_vInherit.assign(37, 1);
    stored.m_vItem.resize(1);
    SaveWithRoomFor(stored, count);

    ASSERT_EQ(g_CommonPalette.Load(Path()), 1);
    EXPECT_EQ(Sizes(), (std::vector<size_t>{count, 3, 2}));
    const cCheckedVector<cBlockData>& blocks = g_CommonPalette.m_vBlock;
    EXPECT_EQ(blocks[0].m_strName, "") << "entry 0 is the blank block";
    EXPECT_EQ(blocks[0].m_sGraphic, 0);
    EXPECT_EQ(blocks[1].m_strName, "");
    EXPECT_EQ(blocks[1].m_sGraphic, 7);
    EXPECT_EQ(blocks[last].m_strName, "second");
    EXPECT_EQ(blocks[last].m_sGraphic, 7);
    EXPECT_EQ((std::vector<int>{blocks[last].m_cPalKind, blocks[last].m_sPalIndex}), (std::vector<int>{PAL_COMMON, 1}));
    EXPECT_EQ(g_CommonPalette.m_vChara[1].m_nMaxHP, 40);
    for (const auto& e : g_CommonPalette.m_vBlock) EXPECT_EQ(Flags(e.m_vInherit), std::vector<int>(11, 0));
    for (const auto& e : g_CommonPalette.m_vChara) EXPECT_EQ(Flags(e.m_vInherit), std::vector<int>(37, 0));
    for (const auto& e : g_CommonPalette.m_vItem) EXPECT_EQ(Flags(e.m_vInherit), std::vector<int>(13, 0));
  }
}

// Start-up reads the common palette while the stage palette holds only its blank entries, so the
// common templates' references into a stage palette are all out of range then, and are repaired.
TEST_F(CommonPaletteTest, StagePaletteReferencesAreRepairedAgainstTheEmptyStartUpStage) {
  cCommonPaletteData stored;
  stored.m_vBlock.resize(2);
  cBlockData& block = stored.m_vBlock[1] = PlacedBlock(0, 0, 3);
  SetTemplate(block, PAL_STAGE, 2, {0});
  block.m_cItemKind = PAL_STAGE;
  block.m_sItemIndex = 1;
  cFlowCmd summon;
  summon.m_nKind = CMD_SUMMON_CHARA;
  CreateEdShot(summon.m_pEdShot);
  summon.m_pEdShot->m_nSummonPalette = 1;  // the stage palette
  summon.m_pEdShot->m_sSummon = 3;
  stored.m_vChara.resize(2);
  stored.m_vChara[1].m_vFlow.resize(1);
  stored.m_vChara[1].m_vFlow[0].m_vCmd = {summon};
  stored.m_vItem.resize(2);
  SetTemplate(stored.m_vItem[1], PAL_STAGE, 1, {});
  SaveWithRoomFor(stored, 4);

  ASSERT_EQ(g_CommonPalette.Load(Path()), 1);
  const cBlockData& b = g_CommonPalette.m_vBlock[1];
  EXPECT_EQ(b.m_cPalKind, PAL_NONE);
  EXPECT_EQ((std::vector<int>{b.m_cItemKind, b.m_sItemIndex}), (std::vector<int>{0, 0}));
  const cEdShot& shot = *g_CommonPalette.m_vChara[1].m_vFlow.At(0).m_vCmd.At(0).m_pEdShot;
  EXPECT_EQ(shot.m_nSummonPalette, 1);
  EXPECT_EQ(shot.m_sSummon, 1) << "a summon out of range names entry 1";
  EXPECT_EQ(g_CommonPalette.m_vItem[1].m_cPalKind, PAL_NONE);
}

TEST_F(CommonPaletteTest, DamagedFilesFailToLoad) {
  cCommonPaletteData stored;
  stored.m_vChara.resize(3);
  SaveWithRoomFor(stored, 3);
  const Bytes good = ReadFileBytes(HostPath());
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"a raw member in the body", ByteWriter().U32(914).U32(1).U32(0).U32(0).U32(0).U32(0).U32(0).bytes},
      {"no item list", Bytes(good.begin(), good.end() - 4 - 2 * 65)},
      {"cut inside a character", Bytes(good.begin(), good.begin() + 200)},
      {"a block count beyond the file", ByteWriter().U32(914).U32(0).U32(0).U32(1000).U32(0).U32(0).bytes},
  };
  // Start-up loads the palette in place: a failed load leaves it as it was, here unlike the file.
  g_CommonPalette.m_vBlock.resize(4);
  g_CommonPalette.m_vChara.resize(4);
  g_CommonPalette.m_vChara[2].m_nMaxHP = 99;
  ASSERT_EQ(g_CommonPalette.Save("before.cplt4"), 1);
  const Bytes before = ReadFileBytes("before.cplt4");
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    ASSERT_TRUE(WriteFileBytes(HostPath(), tc.bytes));
    cCommonPaletteData palette;
    EXPECT_EQ(palette.Load(Path()), 0);
    EXPECT_EQ(g_CommonPalette.Load(Path()), 0);
    ASSERT_EQ(g_CommonPalette.Save("after.cplt4"), 1);
    EXPECT_EQ(ReadFileBytes("after.cplt4"), before);
  }
}

}  // namespace
