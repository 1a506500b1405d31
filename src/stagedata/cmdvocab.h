// The labels of the choices that flows, commands, conditions and the command blocks store as small
// integers, and the descriptors of the status items and flags. Each list names the values from 0 on
// and ends with "" (see labellist.h); where several members share one vocabulary they share one list.
// The kind names and parameter descriptors of the commands are in cmdtable.h.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Flows.
extern const char* const g_FlowTriggerLabels[28];  // eFlowTrigger
extern const char* const g_FlowLetterLabels[28];   // m_nKey and m_nFlowId: "-", then A-Z
extern const char* const g_FlowLetterAllLabels[28];  // "全て", then A-Z
extern const char* const g_FlowLetterSmallLabels[28];  // "-", then a-z

// The flow-operation command: operation, flows acted on, whose flows.
extern const char* const g_FlowOpLabels[7];
extern const char* const g_FlowOpTargetLabels[4];
extern const char* const g_FlowOwnerLabels[6];

// Owners and subjects.
extern const char* const g_StatusOwnerLabels[7];  // status owner of the status condition
extern const char* const g_DistanceSubjectLabels[6];
extern const char* const g_SubjectOrSystemLabels[7];

// Conditions and status values.
extern const char* const g_CondLeftLabels[3];
extern const char* const g_CondRightLabels[5];
extern const char* const g_VarScopeLabels[3];
extern const char* const g_VarScopeCharaLabels[4];
extern const char* const g_CalcModeLabels[4];
extern const char* const g_CoordLabels[4];  // also the coordinates of the movement block
extern const char* const g_StateCondLabels[6];

// A status item of a character or of the system: the bounds of its value and of a change to it,
// then three further values as the editor lists them.
struct cCharaVarDesc {
  const char* m_pLabel;
  int32_t m_nMin;
  int32_t m_nMax;
  int32_t m_nChangeMin;
  int32_t m_nChangeMax;
  int32_t m_nMore[3];
};
constexpr int kCharaVarCount = 17;
constexpr int kSystemVarCount = 5;
extern const cCharaVarDesc g_CharaVarDesc[kCharaVarCount];
extern const cCharaVarDesc g_SystemVarDesc[kSystemVarCount];

// A status flag (the selectors of CMD_STATUS2 and of status condition 2): bounds, the labels of its
// values from the minimum on, default.
struct cStatusFlagDesc {
  std::string m_strLabel;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;
  std::vector<std::string> m_vChoice;
  int32_t m_nDefault = 0;
};
constexpr int kStatusFlagCount = 7;
extern const std::vector<cStatusFlagDesc> g_StatusFlagDesc;
// A pair kept empty (no label, no choices).
extern const std::vector<cStatusFlagDesc> g_StatusFlagDescSpare;

// Key conditions.
extern const char* const g_KeyCondModeLabels[4];
extern const char* const g_KeyStateLabels[4];

// Stage clear: how the next stage is chosen, facing at its start.
extern const char* const g_StageClearNextLabels[5];
extern const char* const g_StageClearFacingLabels[4];

// Messages and pictures.
extern const char* const g_MessagePosLabels[12];
extern const char* const g_ShowTimeLabels[4];  // how long a message or a picture stays
extern const char* const g_PicturePosLabels[8];
extern const char* const g_AnimPlayLabels[4];
extern const char* const g_ShowLabels[4];

// Target setting.
extern const char* const g_TargetWhomLabels[12];
extern const char* const g_TargetAreaLabels[4];
extern const char* const g_TargetNoneLabels[3];
extern const char* const g_TargetWhatLabels[7];
extern const char* const g_TargetRangeLabels[3];

// Palettes of the item get command, the summons and the shot block.
extern const char* const g_PaletteLabels[3];
extern const char* const g_CommonPaletteLabels[2];

// Movement block.
extern const char* const g_StraightPosModeLabels[3];
extern const char* const g_WarpPosModeLabels[7];
extern const char* const g_DirLabels[14];  // m_nDir and m_nShotDir
extern const char* const g_TargetCoordModeLabels[5];
extern const char* const g_OffsetUnitLabels[3];
extern const char* const g_DistUnitLabels[3];
extern const char* const g_RefPointLabels[4];    // also of the status condition
extern const char* const g_TargetSlotLabels[5];  // m_nTargetSlot, m_nPartnerTarget, m_nShotTarget
extern const char* const g_CircleDirLabels[5];
extern const char* const g_MoveAnimLabels[4];
extern const char* const g_SpeedModeLabels[4];
extern const char* const g_TimeOrSpeedLabels[3];
extern const char* const g_JumpHeightLabels[4];

// Turning (CMD_TURN parameter 0).
extern const char* const g_TurnLabels[13];

// Shot block.
extern const char* const g_FormationLabels[7];
extern const char* const g_ShotOriginLabels[4];
extern const char* const g_ShotMoveKindLabels[11];
extern const char* const g_BlockSummonLabels[4];
extern const char* const g_SummonFactionLabels[4];
