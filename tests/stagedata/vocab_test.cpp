#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "stagedata/cmdvocab.h"
#include "stagedata/labellist.h"
#include "stagedata/objvocab.h"

namespace {

struct cListCase {
  const char* name;
  const char* const* labels;
  size_t size;  // entries of the array, the closing "" included
  int count;    // values the list names
};

#define LIST(array, count) cListCase{#array, array, std::size(array), count}

TEST(Vocabularies, EveryListNamesItsValuesAndEndsEmpty) {
  const cListCase cases[] = {
      LIST(g_PalKindLabels, 3),          LIST(g_GraphicKindLabels, 5),      LIST(g_OverlayLabels, 3),
      LIST(g_BlockHitLabels, 3),         LIST(g_HitExemptLabels, 9),        LIST(g_BlockEffectLabels, 6),
      LIST(g_BlockItemKindLabels, 3),    LIST(g_InheritCommonLabels, 2),    LIST(g_InheritStageLabels, 2),
      LIST(g_InheritOnlyLabels, 1),      LIST(g_NoneCommonLabels, 2),       LIST(g_StageCommonLabels, 2),
      LIST(g_OffOnLabels, 2),            LIST(g_OperationLabels, 2),        LIST(g_PlayerLabels, 1),
      LIST(g_MoveModeLabels, 4),         LIST(g_InvincibleLabels, 3),       LIST(g_ScaleLabels, 10),
      LIST(g_SightModeLabels, 5),        LIST(g_BoxChoiceLabels, 4),        LIST(g_ViewAxesLabels, 4),
      LIST(g_RangeTestLabels, 3),        LIST(g_TakeModeLabels, 3),         LIST(g_ScrollModeLabels, 2),
      LIST(g_CollisionLevelLabels, 19),  LIST(g_ContactLevelLabels, 6),     LIST(g_AlignLabels, 2),
      LIST(g_AlignShortLabels, 2),       LIST(g_HeroBoxShowLabels, 3),      LIST(g_HeroBoxColourLabels, 8),
      LIST(g_ResizeXLabels, 2),          LIST(g_ResizeYLabels, 2),          LIST(g_AxisLabels, 2),
      LIST(g_FlowTriggerLabels, 27),     LIST(g_FlowLetterLabels, 27),      LIST(g_FlowLetterAllLabels, 27),
      LIST(g_FlowLetterSmallLabels, 27), LIST(g_FlowOpLabels, 6),           LIST(g_FlowOpTargetLabels, 3),
      LIST(g_FlowOwnerLabels, 5),        LIST(g_StatusOwnerLabels, 6),      LIST(g_DistanceSubjectLabels, 5),
      LIST(g_SubjectOrSystemLabels, 6),  LIST(g_CondLeftLabels, 2),         LIST(g_CondRightLabels, 4),
      LIST(g_VarScopeLabels, 2),         LIST(g_VarScopeCharaLabels, 3),    LIST(g_CalcModeLabels, 3),
      LIST(g_CoordLabels, 3),            LIST(g_StateCondLabels, 5),        LIST(g_KeyCondModeLabels, 3),
      LIST(g_KeyStateLabels, 3),         LIST(g_StageClearNextLabels, 4),   LIST(g_StageClearFacingLabels, 3),
      LIST(g_MessagePosLabels, 11),      LIST(g_ShowTimeLabels, 3),         LIST(g_PicturePosLabels, 7),
      LIST(g_AnimPlayLabels, 3),         LIST(g_ShowLabels, 3),             LIST(g_TargetWhomLabels, 11),
      LIST(g_TargetAreaLabels, 3),       LIST(g_TargetNoneLabels, 2),       LIST(g_TargetWhatLabels, 6),
      LIST(g_TargetRangeLabels, 2),      LIST(g_PaletteLabels, 2),          LIST(g_CommonPaletteLabels, 1),
      LIST(g_StraightPosModeLabels, 2),  LIST(g_WarpPosModeLabels, 6),      LIST(g_DirLabels, 13),
      LIST(g_TargetCoordModeLabels, 4),  LIST(g_OffsetUnitLabels, 2),       LIST(g_DistUnitLabels, 2),
      LIST(g_RefPointLabels, 3),         LIST(g_TargetSlotLabels, 4),       LIST(g_CircleDirLabels, 4),
      LIST(g_MoveAnimLabels, 3),         LIST(g_SpeedModeLabels, 3),        LIST(g_TimeOrSpeedLabels, 2),
      LIST(g_JumpHeightLabels, 3),       LIST(g_TurnLabels, 12),            LIST(g_FormationLabels, 6),
      LIST(g_ShotOriginLabels, 3),       LIST(g_ShotMoveKindLabels, 10),    LIST(g_BlockSummonLabels, 3),
      LIST(g_SummonFactionLabels, 3),
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    // Every entry but the last is a label; the last closes the list.
    for (size_t i = 0; i + 1 < tc.size; ++i) {
      ASSERT_NE(tc.labels[i], nullptr) << i;
      EXPECT_GT(std::strlen(tc.labels[i]), 0u) << i;
    }
    EXPECT_STREQ(tc.labels[tc.size - 1], "");
    EXPECT_EQ(LabelCount(tc.labels), tc.count);
  }
  EXPECT_EQ(LabelCount(g_ScaleUpLabels), 9);
}

TEST(Vocabularies, LookupByValue) {
  EXPECT_STREQ(LabelOf(g_HitExemptLabels, -1, kHitExemptFirstValue), "なし");
  EXPECT_STREQ(LabelOf(g_HitExemptLabels, 7, kHitExemptFirstValue), "7");
  EXPECT_STREQ(LabelOf(g_CollisionLevelLabels, 1, kCollisionLevelFirstValue), "レベル1 (速度制限=60)");
  EXPECT_STREQ(LabelOf(g_CollisionLevelLabels, 11, kCollisionLevelFirstValue), "レベル1 (速度制限=600)");
  EXPECT_STREQ(LabelOf(g_ScaleLabels, 10, kScaleFirstValue), "×100");
  EXPECT_STREQ(LabelOf(g_ScaleUpLabels, 2, 2), "×4");
  EXPECT_STREQ(LabelOf(g_FlowTriggerLabels, 26), "なし（フローの操作コマンドで実行）");
  EXPECT_STREQ(LabelOf(g_FlowLetterLabels, 26), "Z");
  EXPECT_STREQ(LabelOf(g_DirLabels, 12), "入力方向");
  // Values outside a list have no label.
  EXPECT_EQ(LabelOf(g_HitExemptLabels, 8, kHitExemptFirstValue), nullptr);
  EXPECT_EQ(LabelOf(g_HitExemptLabels, -2, kHitExemptFirstValue), nullptr);
  EXPECT_EQ(LabelOf(g_CollisionLevelLabels, 0, kCollisionLevelFirstValue), nullptr);
  EXPECT_EQ(LabelOf(g_CollisionLevelLabels, 20, kCollisionLevelFirstValue), nullptr);
  EXPECT_EQ(LabelOf(g_FlowTriggerLabels, 27), nullptr);
  EXPECT_EQ(LabelOf(g_FlowTriggerLabels, -2147483647 - 1), nullptr);
  EXPECT_EQ(LabelOf(g_FlowTriggerLabels, 2147483647, -5), nullptr);
}

TEST(Vocabularies, StatusItemsAndFlags) {
  EXPECT_STREQ(g_CharaVarDesc[1].m_pLabel, "HP");
  EXPECT_STREQ(g_CharaVarDesc[kCharaVarCount - 1].m_pLabel, "倒したら獲得するスコア");
  EXPECT_STREQ(g_SystemVarDesc[kSystemVarCount - 1].m_pLabel, "残り人数");
  using Descs = std::span<const cCharaVarDesc>;
  for (Descs list : {Descs(g_CharaVarDesc), Descs(g_SystemVarDesc)}) {
    for (const cCharaVarDesc& d : list) {
      SCOPED_TRACE(d.m_pLabel);
      EXPECT_LE(d.m_nMin, d.m_nMax);
      EXPECT_LE(d.m_nChangeMin, d.m_nChangeMax);
    }
  }

  // Each flag names every value from its minimum to its maximum, with the labels of the
  // definitions' own lists.
  ASSERT_EQ(g_StatusFlagDesc.size(), static_cast<size_t>(kStatusFlagCount));
  for (const cStatusFlagDesc& d : g_StatusFlagDesc) {
    SCOPED_TRACE(d.m_strLabel);
    EXPECT_EQ(static_cast<int>(d.m_vChoice.size()), d.m_nMax - d.m_nMin + 1);
    EXPECT_GE(d.m_nDefault, d.m_nMin);
    EXPECT_LE(d.m_nDefault, d.m_nMax);
  }
  const cStatusFlagDesc& giant = g_StatusFlagDesc[5];
  EXPECT_EQ(giant.m_strLabel, "巨大化");
  EXPECT_EQ(giant.m_vChoice, CopyLabelList(g_ScaleLabels));
  EXPECT_EQ(g_StatusFlagDesc[3].m_vChoice, CopyLabelList(g_MoveModeLabels));
  EXPECT_EQ(g_StatusFlagDesc[0].m_vChoice, std::vector<std::string>{"ON"});

  ASSERT_EQ(g_StatusFlagDescSpare.size(), 2u);
  for (const cStatusFlagDesc& d : g_StatusFlagDescSpare) {
    EXPECT_TRUE(d.m_strLabel.empty());
    EXPECT_TRUE(d.m_vChoice.empty());
  }
}

}  // namespace
