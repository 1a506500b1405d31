#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "support/stage_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

ByteWriter& Append(ByteWriter& w, const Bytes& b) { return w.Raw(b.data(), b.size()); }

template <class T>
ByteWriter& BlankList(ByteWriter& w, uint32_t count) {
  T blank;
  const Bytes body = WrittenBody(blank);
  w.U32(count);
  for (uint32_t i = 0; i < count; ++i) Append(w, body);
  return w;
}

// Something in every part of the file, built in g_StageData so that the placed block's reference
// into the stage palette stays valid while the stage is written.
void BuildFullStage(cStageData& stage) {
  BuildSampleStage(stage, 24, 16);
  stage.m_strName = "森の奥";
  stage.m_nResizeX = 3;  // kept though play does not read them
  stage.m_nResizeY = 4;
  stage.Layout(LAYOUT_UNUSED_78) = 78;
  stage.Layout(LAYOUT_LAST) = 5;
  stage.m_bScrollMinX = 1;
  stage.m_nScrollMinX = 2;
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 300;
  stage.m_nBgm = 1;
  stage.m_bBgmLoop = 1;
  stage.m_nImmuneTime = 7;
  stage.m_dGravitySetting = 0.5;
  stage.SetCollisionLevel(13);
  stage.m_vResultLine = {1, 0, 1, 0, 1};
  stage.m_Area[AREA_ITEM].Set(1, 0, 1, 0, 3, 4, 5, 6);
  stage.ResizePalBlock(3);
  stage.m_vPalBlock[2].m_sGraphic = 7;
  stage.m_vPalBlock[2].m_strName = "岩";
  stage.ResizePalChara(2);
  stage.m_vPalChara[1] = stage.m_vChara[1];
  stage.ResizePalItem(2);
  stage.m_vBlock[0].m_cPalKind = PAL_STAGE;
  stage.m_vBlock[0].m_sPalIndex = 2;
  stage.ResizeBackLayer(2);
  stage.m_vBackLayer[1].m_strPicture = "bmp\\back.bmp";
  stage.m_vBackLayer[1].m_bAutoX = 1;
  stage.m_vBackLayer[1].m_dAutoSpeedX = 1.5;
  stage.m_vVarName.resize(2);
  stage.m_vVarName[1].m_strText = "鍵";
}

// The settings a stage under test reads or writes, by name.
struct SettingCheck {
  const char* name;
  std::function<int64_t(const cStageData&)> get;
};

}  // namespace

TEST_F(StageTest, NewStageWritesTheDefaultsAndAnEmptyTailEndingInTheTrailer) {
  cStageData stage;
  const Bytes file = StageFileBytes(stage);

  ByteWriter w;
  w.U32(914).U32(98);
  // Settings 1-20: the scroll limits are clamped to a map of 0 x 0 cells, with no lower clamp.
  for (int32_t v : {0, 0, 0, 0, 0, 0, 0, 0, -20, -1, -15, -1, 60, 0, 200, 20, 0, 0, 0, 0}) w.I32(v);
  w.F64(0.4);
  for (int32_t v : {10, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 1}) w.I32(v);  // 22-35
  for (int32_t v : {16, 24, 16, 16, 16, 24, 16, 16, 12, 8, 16, 16,            // 36-47
                    1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,                       // 48-59
                    16, 24, 16, 16, 12, 24, 12, 16, 30, 30, 1, 0, 1, 0,       // 60-73
                    28, 28, 16, 16, 16, 16, 16, 16, 16, 16, 1, 0, 0})         // 74-86
    w.I32(v);
  w.I32(10).F64(10).F64(100).F64(60).F64(0.4 / 100).F64(6).I32(80);  // derived from level 10
  for (int32_t v : {1, 30, 0, 30, 0}) w.I32(v);
  w.U32(1).Str("");
  w.U32(5);
  for (int i = 0; i < 5; ++i) w.I32(1);
  for (const std::vector<int32_t>& area : std::vector<std::vector<int32_t>>{
           {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0},
           {1, 1, 1, 1, 0, 0, 0, 0}, {1, 1, 1, 1, 10, 10, 10, 10}}) {
    w.U32(8);
    for (int32_t v : area) w.I32(v);
    w.U32(0);
  }
  BlankList<cBlockData>(w, 2);
  BlankList<cCharaData>(w, 2);
  BlankList<cItemData>(w, 2);
  w.U32(0).U32(0).U32(0);
  // One layer filling the screen with colour 16.
  w.U32(1).U32(12).I32(1).I32(1).I32(16).I32(0).F64(0.1).F64(0.1).I32(0).I32(0).F64(0).F64(0).F64(0).F64(0);
  w.U32(1).Str("");
  w.U32(0).I32(kStageTrailer);

  EXPECT_EQ(file, w.bytes);
  ASSERT_EQ(file.size(), 1330u);
  EXPECT_EQ(Bytes(file.end() - 4, file.end()), (Bytes{0x15, 0xCD, 0x5B, 0x07}));
}

TEST_F(StageTest, FullStageReadsBackAndWritesTheSameBytes) {
  BuildFullStage(g_StageData);
  const Bytes written = StageFileBytes(g_StageData);
  ASSERT_TRUE(WriteFileBytes("full.stg4", written));

  ResetStages();
  ASSERT_EQ(g_StageData.Load("full.stg4"), 1);
  // The placed block's template survived the read: the stage palette it names is the one being read.
  EXPECT_EQ(g_StageData.m_vBlock[0].m_cPalKind, PAL_STAGE);
  EXPECT_EQ(g_StageData.m_vBlock[0].m_sPalIndex, 2);
  EXPECT_EQ(StagePalette().m_vBlock.Size(), 3);
  EXPECT_EQ(g_StageData.m_vChara.Size(), 2);
  ASSERT_EQ(g_StageData.m_vChara[1].m_vFlow.Size(), 1);
  EXPECT_EQ(g_StageData.m_vChara[1].m_vFlow[0].m_vCmd[0].m_nKind, CMD_MOVE_STRAIGHT);
  EXPECT_EQ(g_StageData.m_vVarName[1].m_strText, "鍵");
  EXPECT_EQ(StageFileBytes(g_StageData), written);
}

TEST_F(StageTest, OlderFilesReadTheirSettingsAndUpgradeEachAtItsVersion) {
  // Each rule: the setting it changes, read from a file just below its version and one at it.
  struct Case {
    SettingCheck setting;
    uint32_t below;
    int64_t expectBelow;
    int64_t expectAt;
  };
  const auto layout = [](int field) { return [field](const cStageData& s) -> int64_t { return s.Layout(field); }; };
  const std::vector<Case> cases = {
      {{"hero body fly width", layout(LAYOUT_HERO_BODY_W_FLY)}, 154, 40, 42},
      {{"chara body fly height", layout(LAYOUT_CHARA_BODY_H_FLY)}, 154, 65, 67},
      {{"hero body alignment", layout(LAYOUT_HERO_BODY_ALIGN)}, 154, 0, 50},
      {{"chara body fly alignment", layout(LAYOUT_CHARA_BODY_ALIGN_FLY)}, 154, 0, 73},
      {{"music loop", [](const cStageData& s) { return s.m_bBgmLoop; }}, 165, 1, 25},
      {{"result lines", [](const cStageData& s) { return s.m_vResultLine.Size() * 10 + s.m_vResultLine[3]; }},
       180, 50, 41},
      {{"status", [](const cStageData& s) { return s.m_bShowStatus; }}, 182, 1, 30},
      {{"result auto", [](const cStageData& s) { return s.m_bResultAuto; }}, 183, 0, 31},
      {{"music keep", [](const cStageData& s) { return s.m_bBgmKeep; }}, 198, 0, 26},
      {{"hero picture height", layout(LAYOUT_HERO_PIC_H)}, 199, 24, 37},
      {{"hero box colour", layout(LAYOUT_HERO_BOX_COLOR)}, 199, 5, 56},
      {{"chara picture fly height", layout(LAYOUT_CHARA_PIC_H_FLY)}, 199, 30, 63},
      {{"chara picture fly alignment", layout(LAYOUT_CHARA_PIC_ALIGN_FLY)}, 199, 1, 71},
      {{"start banner", [](const cStageData& s) { return s.m_bStartBanner; }}, 224, 0, 33},
      {{"variable names", [](const cStageData& s) { return s.m_vVarName.Size(); }}, 753, 1000, 0},
      {{"layer speed x 10", [](const cStageData& s) { return int64_t(s.m_vBackLayer[0].m_dAutoSpeedX * 10); }},
       875, 25, 0},
      {{"layer rate x 10", [](const cStageData& s) { return int64_t(s.m_vBackLayer[0].m_dRateX * 10); }}, 875, 10,
       25},
  };
  for (const Case& c : cases) {
    for (uint32_t version : {c.below, c.below + 1}) {
      SCOPED_TRACE(std::string(c.setting.name) + " at " + std::to_string(version));
      ASSERT_TRUE(WriteFileBytes("old.stg4", OldStageFile{version}.Bytes()));
      cStageData stage;
      ASSERT_EQ(stage.Load("old.stg4"), 1);
      EXPECT_EQ(c.setting.get(stage), version == c.below ? c.expectBelow : c.expectAt);
      // The settings after the optional ones are where the version put them.
      EXPECT_EQ(stage.m_nWidthPx, 85);
      EXPECT_EQ(stage.m_nComImmuneTime, 98);
      EXPECT_EQ(stage.m_strName, "Old");
    }
  }
}

TEST_F(StageTest, TrailerIsReadFromVersion173) {
  struct Case {
    uint32_t version;
    bool trailer;
    int loads;
  };
  for (const Case& c : {Case{172, false, 1}, Case{173, true, 1}, Case{173, false, 0}, Case{914, false, 0}}) {
    SCOPED_TRACE(c.version);
    OldStageFile old{c.version};
    old.trailer = c.trailer;
    ASSERT_TRUE(WriteFileBytes("old.stg4", old.Bytes()));
    cStageData stage;
    EXPECT_EQ(stage.Load("old.stg4"), c.loads);
  }
}

TEST_F(StageTest, DamagedFileFailsToRead) {
  BuildFullStage(g_StageData);
  const Bytes whole = StageFileBytes(g_StageData);
  for (size_t keep : {size_t{6}, size_t{200}, size_t{600}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(keep);
    ASSERT_TRUE(WriteFileBytes("cut.stg4", Bytes(whole.begin(), whole.begin() + static_cast<long>(keep))));
    cStageData stage;
    EXPECT_EQ(stage.Load("cut.stg4"), 0);
  }
  // A list count the file cannot hold: the first placed list of an otherwise empty file.
  Bytes huge = OldStageFile{914}.Bytes();
  const size_t placedBlocks = huge.size() - 4 /*trailer*/ - 4 /*names*/ - 88 /*layer*/ - 3 * 4;
  ASSERT_EQ(huge[placedBlocks], 0);
  huge[placedBlocks + 3] = 0x7F;
  ASSERT_TRUE(WriteFileBytes("huge.stg4", huge));
  cStageData stage;
  EXPECT_EQ(stage.Load("huge.stg4"), 0);
}

TEST_F(StageTest, CollisionLevelGivesTheSubSteps) {
  struct Case {
    int level;
    int n;
    double limit;
  };
  // Levels outside 1..19 count as 10 (at least one sub-step); the level itself is kept.
  for (const Case& c : {Case{10, 10, 60}, Case{1, 1, 6}, Case{5, 5, 30}, Case{11, 1, 60}, Case{19, 9, 60},
                        Case{0, 10, 60}, Case{-3, 10, 60}, Case{20, 10, 60}}) {
    SCOPED_TRACE(c.level);
    cStageData stage;
    stage.m_dGravitySetting = 0.9;
    stage.SetCollisionLevel(c.level);
    EXPECT_EQ(stage.m_nCollisionLevel, c.level);
    EXPECT_EQ(stage.m_nStepsPerFrame, c.n);
    EXPECT_EQ(stage.m_nStepsPer6Frames, 6 * c.n);
    EXPECT_EQ(stage.m_nSteps8, 8 * c.n);
    EXPECT_DOUBLE_EQ(stage.m_dStepsPerFrame, c.n);
    EXPECT_DOUBLE_EQ(stage.m_dStepsPerFrameSq, c.n * c.n);
    EXPECT_DOUBLE_EQ(stage.m_dSpeedLimit, c.limit);
    EXPECT_DOUBLE_EQ(stage.m_dMaxSpeed, c.limit / c.n);
    EXPECT_DOUBLE_EQ(stage.m_dGravity, 0.9 / (c.n * c.n));
  }
}

TEST_F(StageTest, NormalizeClampsScrollLimitsRepairsMusicAndSetsThePlayedStagesSubSteps) {
  g_StageData.SetCollisionLevel(19);
  g_StageData.m_nStepsPerFrame = 0;  // stale until a stage record is normalised
  for (int32_t bgm : {2, -1}) {
    SCOPED_TRACE(bgm);
    cStageData stage;
    stage.m_nWidth = 30;
    stage.m_nHeight = 20;
    stage.m_nScrollMinX = 25;
    stage.m_nScrollMaxX = 40;
    stage.m_nScrollMinY = -7;  // no lower clamp
    stage.m_nScrollMaxY = 19;
    stage.m_nBgm = bgm;  // the default music list has 2 entries
    stage.Normalize();
    EXPECT_EQ(stage.m_nScrollMinX, 10);
    EXPECT_EQ(stage.m_nScrollMaxX, 29);
    EXPECT_EQ(stage.m_nScrollMinY, -7);
    EXPECT_EQ(stage.m_nScrollMaxY, 19);
    EXPECT_EQ(stage.m_nBgm, 0);
    EXPECT_EQ(stage.m_nStepsPerFrame, 10);  // its own values are not touched
    EXPECT_EQ(g_StageData.m_nStepsPerFrame, 9);
  }
  cStageData extreme;
  extreme.m_nWidth = INT32_MIN;
  extreme.m_nScrollMinX = 5;
  extreme.Normalize();
  EXPECT_EQ(extreme.m_nScrollMinX, INT32_MIN);
}

TEST_F(StageTest, ReadMakesPaletteEntryZeroBlankAndFillsPalettesToTwo) {
  cStageData stage;
  stage.m_vPalBlock[0].m_sGraphic = 5;
  stage.m_vPalItem[0].m_strName = "real";
  stage.ResizePalItem(3);
  ASSERT_EQ(stage.Save("pal.stg4"), 1);
  cStageData read;
  ASSERT_EQ(read.Load("pal.stg4"), 1);
  EXPECT_EQ(read.m_vPalBlock[0].m_sGraphic, 0);
  EXPECT_EQ(read.m_vPalItem.Size(), 3);
  EXPECT_EQ(read.m_vPalItem[0].m_strName, "");

  // A file whose palette lists are empty.
  ASSERT_TRUE(WriteFileBytes("old.stg4", OldStageFile{914}.Bytes()));
  ASSERT_EQ(read.Load("old.stg4"), 1);
  EXPECT_EQ(read.m_vPalBlock.Size(), 2);
  EXPECT_EQ(read.m_vPalChara.Size(), 2);
  EXPECT_EQ(read.m_vPalItem.Size(), 2);
}

TEST_F(StageTest, FindHeroTakesTheFirstPlayerCharacterWithAGraphic) {
  struct Case {
    const char* what;
    std::vector<std::pair<int8_t, int16_t>> charas;  // operation, graphic
    int hero;
  };
  for (const Case& c : std::vector<Case>{{"first", {{0, 4}, {0, 5}}, 0},
                                         {"after one without graphic", {{1, 3}, {0, 0}, {0, 2}}, 2},
                                         {"only one without graphic", {{0, 0}}, -1},
                                         {"all computer", {{1, 1}, {1, 2}}, -1},
                                         {"none", {}, -1}}) {
    SCOPED_TRACE(c.what);
    cStageData stage;
    for (auto [operation, graphic] : c.charas)
      (operation == 0 ? PlaceHero : PlaceComChara)(stage, 1, 1, graphic);
    EXPECT_EQ(stage.FindHero(), c.hero);
    EXPECT_EQ(stage.HasHero(), c.hero != -1);
  }
}

TEST_F(StageTest, ReplayStageTakesTheKeptSettingsAndThePlayedStagesObjects) {
  BuildFullStage(g_StageData);
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  // Play changes the stage: settings, layers and an object.
  g_StageData.m_nTimeLimit = 5;
  g_StageData.m_strName = "changed";
  g_StageData.m_vResultLine = {0};
  g_StageData.m_vBackLayer.clear();
  g_StageData.m_vBlock.pop_back();

  cDataFile* f = DataFileOpenWrite("replay.stg4");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(g_StageData.WriteForReplay(*f, g_PlayStageData), 1);
  ASSERT_EQ(DataFileClose(f), 1);

  const int blocks = g_StageData.m_vBlock.Size();
  cStageData read;
  ASSERT_EQ(read.Load("replay.stg4"), 1);
  EXPECT_EQ(read.m_nTimeLimit, 300);
  EXPECT_EQ(read.m_strName, "森の奥");
  EXPECT_EQ(read.m_vResultLine, (cCheckedVector<int32_t>{1, 0, 1, 0, 1}));
  EXPECT_EQ(read.m_Area[AREA_ITEM].m_nBottom, 6);
  EXPECT_EQ(read.m_vBackLayer.Size(), 2);
  EXPECT_EQ(read.m_vVarName.Size(), 2);
  EXPECT_EQ(read.m_vBlock.Size(), blocks);
  EXPECT_EQ(read.m_vPalBlock.Size(), 3);
}

TEST_F(StageTest, ResetGivesANewStageButKeepsTheVariableNames) {
  BuildFullStage(g_StageData);
  g_StageData.m_strPath = "data\\stg4\\a.stg4_001";
  g_StageData.Reset();
  const cStageData fresh;
  EXPECT_EQ(g_StageData.m_strName, "");
  EXPECT_EQ(g_StageData.m_nCollisionLevel, 10);
  EXPECT_EQ(g_StageData.m_nStepsPer6Frames, 60);
  EXPECT_EQ(g_StageData.Layout(LAYOUT_UNUSED_78), 16);
  EXPECT_EQ(g_StageData.m_vResultLine, fresh.m_vResultLine);
  EXPECT_EQ(g_StageData.m_Area[AREA_ITEM].m_bLeft, 0);
  EXPECT_EQ(g_StageData.m_vBlock.Size() + g_StageData.m_vChara.Size() + g_StageData.m_vItem.Size(), 0);
  EXPECT_EQ(g_StageData.m_vPalBlock.Size(), 1);
  ASSERT_EQ(g_StageData.m_vBackLayer.Size(), 1);
  EXPECT_EQ(g_StageData.m_vBackLayer[0].m_bFill, 1);
  EXPECT_EQ(g_StageData.m_vVarName.Size(), 2);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\a.stg4_001");
}

TEST_F(StageTest, MapSizeMustFitAGrid) {
  struct Case {
    int32_t width, height;
    bool usable;
  };
  // The grid adds 10 cells of margin on each side and rounds its rows up to a power of two.
  for (const Case& c : {Case{0, 0, true}, Case{20, 15, true}, Case{2000, 2000, true}, Case{3000, 3000, false}, Case{32767, 44, true},
                        Case{32767, 45, false}, Case{32768, 0, false}, Case{-1, 15, false}, Case{20, -1, false},
                        Case{20, 32767, true}, Case{INT32_MAX, 15, false}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    cStageData stage;
    stage.m_nWidth = c.width;
    stage.m_nHeight = c.height;
    EXPECT_EQ(stage.HasUsableMapSize(), c.usable);
  }
}
