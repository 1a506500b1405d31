// The labels of the choices that block, character and item definitions and the stage settings store
// as small integers. Each list names the values from its first value on (0 unless given) and ends
// with "" (see labellist.h). Where several members share one vocabulary, they share one list.
#pragma once

// Block definitions.
extern const char* const g_PalKindLabels[4];  // m_cPalKind of blocks, characters and items
extern const char* const g_GraphicKindLabels[6];
extern const char* const g_OverlayLabels[4];
extern const char* const g_BlockHitLabels[4];
constexpr int kHitExemptFirstValue = -1;
extern const char* const g_HitExemptLabels[10];  // -1 none, then sides 0-7
extern const char* const g_BlockEffectLabels[7];
extern const char* const g_BlockItemKindLabels[4];  // m_cItemKind
// Shorter forms of the palette choices.
extern const char* const g_InheritCommonLabels[3];
extern const char* const g_InheritStageLabels[3];
extern const char* const g_InheritOnlyLabels[2];
extern const char* const g_NoneCommonLabels[3];
extern const char* const g_StageCommonLabels[3];  // the stage palette first
// On/off switches of blocks, characters and status flags.
extern const char* const g_OffOnLabels[3];

// Character definitions.
extern const char* const g_OperationLabels[3];
extern const char* const g_PlayerLabels[2];
extern const char* const g_MoveModeLabels[5];
extern const char* const g_InvincibleLabels[4];
constexpr int kScaleFirstValue = 1;
extern const char* const g_ScaleLabels[11];  // 1 no scaling, 2-10 the areas ×4 to ×100
// The size choice without "no scaling": ×4 to ×100 for the values from 2 on.
inline const char* const* const g_ScaleUpLabels = g_ScaleLabels + 1;
extern const char* const g_SightModeLabels[6];
extern const char* const g_BoxChoiceLabels[5];
extern const char* const g_ViewAxesLabels[5];
// When a test of a range or a group holds.
extern const char* const g_RangeTestLabels[4];

// Item definitions.
extern const char* const g_TakeModeLabels[4];

// Stage settings.
extern const char* const g_ScrollModeLabels[3];  // m_bAutoScrollX, m_bAutoScrollY
constexpr int kCollisionLevelFirstValue = 1;
extern const char* const g_CollisionLevelLabels[20];
extern const char* const g_ContactLevelLabels[7];
extern const char* const g_AlignLabels[3];  // 0 centre, 1 bottom
extern const char* const g_AlignShortLabels[3];
extern const char* const g_HeroBoxShowLabels[4];
extern const char* const g_HeroBoxColourLabels[9];
// Resizing the map.
extern const char* const g_ResizeXLabels[3];
extern const char* const g_ResizeYLabels[3];
extern const char* const g_AxisLabels[3];
