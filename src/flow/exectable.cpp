#include "flow/exectable.h"

#include "core/log.h"
#include "flow/executors.h"
#include "flow/flowinst.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

// Kinds 17-39 run their body on the running command's record.
template <int (*Body)(cCharaBase*, const cFlowCmd&)>
int Adapt(cCharaBase* subject, cCmdInstance* cmd) {
  return Body(subject, *cmd->m_pCmd);
}

// The stage clear's result is the play scene's stage-end request.
int AdaptStageClear(cCharaBase* subject, cCmdInstance* cmd) {
  const int result = ExecStageClear(subject, *cmd->m_pCmd);
  if (g_pScenePlay) g_pScenePlay->m_nStageEnd = result;
  return result;
}

// The message learns whether a plain message has just finished in its flow.
int AdaptMessage(cCharaBase* subject, cCmdInstance* cmd) {
  const cFlowInstance* flow = g_pScenePlay ? g_pScenePlay->m_pCurFlow : nullptr;
  return ExecMessage(subject, *cmd->m_pCmd, flow ? flow->m_bAfterMessage : 0);
}

// A warp command is never a status operation's coordinate write.
int AdaptWarp(cCharaBase* subject, cCmdInstance* cmd) { return ExecWarp(subject, *cmd->m_pCmd, 0); }

}  // namespace

int ExecNop(cCharaBase*, cCmdInstance*) { return 0; }
int ExecLoop(cCharaBase*, const cFlowCmd&) { return 0; }

int RepeatCounterActs(cCmdInstance* cmd) {
  const int acts = cmd->m_bActed == 0;
  if (++cmd->m_bActed >= g_StageData.m_nStepsPer6Frames) cmd->m_bActed = 0;
  return acts;
}

const std::array<CmdExecFn, kCmdKindCount> g_CmdExecDefaults = {
    &ExecNop,                   // CMD_NONE
    &ExecNop,                   // CMD_WAIT
    &ExecMoveStraight,          // CMD_MOVE_STRAIGHT
    &ExecMoveGroundTurn,        // CMD_MOVE_GROUND_TURN
    &ExecMoveCircle,            // CMD_MOVE_CIRCLE
    &ExecMoveCharge,            // CMD_MOVE_CHARGE
    &ExecMoveHoming,            // CMD_MOVE_HOMING
    &ExecMoveAvoidOffscreen,    // CMD_MOVE_AVOID_OFFSCREEN
    &ExecMoveCancel,            // CMD_MOVE_CANCEL
    &ExecTurn,                  // CMD_TURN
    &ExecJump,                  // CMD_JUMP
    &ExecShot,                  // CMD_SHOT
    &ExecSword,                 // CMD_SWORD
    &ExecSummonBlock,           // CMD_SUMMON_BLOCK
    &ExecSummonChara,           // CMD_SUMMON_CHARA
    &ExecSummonItem,            // CMD_SUMMON_ITEM
    &ExecFlowOp,                // CMD_FLOW_OP
    &AdaptStageClear,           // CMD_STAGE_CLEAR
    &Adapt<ExecGameWait>,       // CMD_GAME_WAIT
    &AdaptMessage,              // CMD_MESSAGE
    &AdaptWarp,                 // CMD_WARP
    &Adapt<ExecSetTarget>,      // CMD_SET_TARGET
    &Adapt<ExecStatus>,         // CMD_STATUS
    &Adapt<ExecStatus2>,        // CMD_STATUS2
    &Adapt<ExecVanish>,         // CMD_VANISH
    &Adapt<ExecItemGet>,        // CMD_ITEM_GET
    &Adapt<ExecGraphic>,        // CMD_GRAPHIC
    &Adapt<ExecBaseAnimSet>,    // CMD_BASE_ANIMSET
    &Adapt<ExecAnim>,           // CMD_ANIM
    &Adapt<ExecEffect>,         // CMD_EFFECT
    &Adapt<ExecCharaEffect>,    // CMD_CHARA_EFFECT
    &Adapt<ExecScreenEffect>,   // CMD_SCREEN_EFFECT
    &Adapt<ExecPicture>,        // CMD_PICTURE
    &Adapt<ExecScreenColor>,    // CMD_SCREEN_COLOR
    &Adapt<ExecBackground>,     // CMD_BACKGROUND
    &Adapt<ExecPlaySE>,         // CMD_SE
    &Adapt<ExecPlayBGM>,        // CMD_BGM
    &Adapt<ExecCode>,           // CMD_CODE
    &Adapt<ExecArrange>,        // CMD_ARRANGE
    &Adapt<ExecLoop>,           // CMD_LOOP
};

std::array<CmdExecFn, kCmdKindCount> g_CmdExecTable = g_CmdExecDefaults;

namespace {

// Item commands run the object commands' bodies on the bare record; their results are dropped, as
// only a stage clear stops an item's list.
template <int (*Body)(cCharaBase*, const cFlowCmd&)>
int ItemAdapt(cCharaBase* subject, const cFlowCmd* cmd) {
  Body(subject, *cmd);
  return 0;
}

int ItemNop(cCharaBase*, const cFlowCmd*) { return 0; }

int ItemChangeFlow(cCharaBase* subject, const cFlowCmd* cmd) {
  ExecChangeFlow(subject, cmd, 0);
  return 0;
}

int ItemStageClear(cCharaBase* subject, const cFlowCmd* cmd) { return ExecStageClear(subject, *cmd); }

// The first message of a list runs without the continuation flag, every later one with it.
int ItemMessage(cCharaBase* subject, const cFlowCmd* cmd) {
  ExecMessage(subject, *cmd, g_pScenePlay ? g_pScenePlay->m_bItemSetMessage : 0);
  if (g_pScenePlay) g_pScenePlay->m_bItemSetMessage = 1;
  return 0;
}

int ItemWarp(cCharaBase* subject, const cFlowCmd* cmd) {
  ExecWarp(subject, *cmd, 0);
  return 0;
}

}  // namespace

const std::array<ItemCmdExecFn, kItemCmdKindCount> g_ItemCmdExecDefaults = {
    &ItemNop,                       // ICMD_NONE
    &ItemChangeFlow,                // ICMD_CHANGE_FLOW
    &ItemStageClear,                // ICMD_STAGE_CLEAR
    &ItemAdapt<ExecGameWait>,       // ICMD_GAME_WAIT
    &ItemMessage,                   // ICMD_MESSAGE
    &ItemWarp,                      // ICMD_WARP
    &ItemAdapt<ExecSetTarget>,      // ICMD_SET_TARGET
    &ItemAdapt<ExecStatus>,         // ICMD_STATUS
    &ItemAdapt<ExecStatus2>,        // ICMD_STATUS2
    &ItemAdapt<ExecVanish>,         // ICMD_VANISH
    &ItemAdapt<ExecItemGet>,        // ICMD_ITEM_GET
    &ItemAdapt<ExecGraphic>,        // ICMD_GRAPHIC
    &ItemAdapt<ExecBaseAnimSet>,    // ICMD_BASE_ANIMSET
    &ItemAdapt<ExecAnim>,           // ICMD_ANIM
    &ItemAdapt<ExecEffect>,         // ICMD_EFFECT
    &ItemAdapt<ExecCharaEffect>,    // ICMD_CHARA_EFFECT
    &ItemAdapt<ExecScreenEffect>,   // ICMD_SCREEN_EFFECT
    &ItemAdapt<ExecPicture>,        // ICMD_PICTURE
    &ItemAdapt<ExecScreenColor>,    // ICMD_SCREEN_COLOR
    &ItemAdapt<ExecBackground>,     // ICMD_BACKGROUND
    &ItemAdapt<ExecPlaySE>,         // ICMD_SE
    &ItemAdapt<ExecPlayBGM>,        // ICMD_BGM
    &ItemAdapt<ExecCode>,           // ICMD_CODE
    &ItemAdapt<ExecArrange>,        // ICMD_ARRANGE
    &ItemNop,                       // ICMD_LOOP
};
std::array<ItemCmdExecFn, kItemCmdKindCount> g_ItemCmdExecTable = g_ItemCmdExecDefaults;

namespace {

// Reports a kind that no table holds, once per run and table.
template <class Table>
typename Table::value_type EntryOf(const Table& table, int kind, bool& reported, const char* what) {
  if (kind >= 0 && kind < static_cast<int>(table.size())) return table[kind];
  if (!reported) {
    reported = true;
    ReportLog("%s: unknown command kind %d ignored", what, kind);
  }
  return nullptr;
}

}  // namespace

int DispatchCmd(cCharaBase* subject, cCmdInstance* cmd) {
  static bool reported = false;
  if (!cmd || !cmd->m_pCmd) return 0;
  CmdExecFn fn = EntryOf(g_CmdExecTable, cmd->m_pCmd->m_nKind, reported, "ExecCmd");
  return fn ? fn(subject, cmd) : 0;
}

int DispatchItemCmd(cCharaBase* subject, const cFlowCmd* cmd) {
  static bool reported = false;
  if (!cmd) return 0;
  ItemCmdExecFn fn = EntryOf(g_ItemCmdExecTable, cmd->m_nKind, reported, "ItemCmd");
  return fn ? fn(subject, cmd) : 0;
}
