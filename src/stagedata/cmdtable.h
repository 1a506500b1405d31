// The command kinds with their names and parameter counts, the item command kinds, and for each
// kind the parameters that the arrange command may bind to variables: labels, bounds and access.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/checked.h"
#include "stagedata/paramdesc.h"

class cEdMove;
class cEdShot;

enum eCmdKind {
  CMD_NONE = 0,
  CMD_WAIT = 1,
  CMD_MOVE_STRAIGHT = 2,
  CMD_MOVE_GROUND_TURN = 3,
  CMD_MOVE_CIRCLE = 4,
  CMD_MOVE_CHARGE = 5,
  CMD_MOVE_HOMING = 6,
  CMD_MOVE_AVOID_OFFSCREEN = 7,
  CMD_MOVE_CANCEL = 8,
  CMD_TURN = 9,
  CMD_JUMP = 10,
  CMD_SHOT = 11,
  CMD_SWORD = 12,
  CMD_SUMMON_BLOCK = 13,
  CMD_SUMMON_CHARA = 14,
  CMD_SUMMON_ITEM = 15,
  CMD_FLOW_OP = 16,
  CMD_STAGE_CLEAR = 17,
  CMD_GAME_WAIT = 18,
  CMD_MESSAGE = 19,
  CMD_WARP = 20,
  CMD_SET_TARGET = 21,
  CMD_STATUS = 22,
  CMD_STATUS2 = 23,
  CMD_VANISH = 24,
  CMD_ITEM_GET = 25,
  CMD_GRAPHIC = 26,
  CMD_BASE_ANIMSET = 27,
  CMD_ANIM = 28,
  CMD_EFFECT = 29,
  CMD_CHARA_EFFECT = 30,
  CMD_SCREEN_EFFECT = 31,
  CMD_PICTURE = 32,
  CMD_SCREEN_COLOR = 33,
  CMD_BACKGROUND = 34,
  CMD_SE = 35,
  CMD_BGM = 36,
  CMD_CODE = 37,
  CMD_ARRANGE = 38,
  CMD_LOOP = 39,
};
constexpr int kCmdKindCount = 40;

// The item command set: kind 1 changes flows; kinds 2-24 are the object kinds 17-39.
enum eItemCmdKind {
  ICMD_NONE = 0,
  ICMD_CHANGE_FLOW = 1,
  ICMD_STAGE_CLEAR = 2,
  ICMD_GAME_WAIT = 3,
  ICMD_MESSAGE = 4,
  ICMD_WARP = 5,
  ICMD_SET_TARGET = 6,
  ICMD_STATUS = 7,
  ICMD_STATUS2 = 8,
  ICMD_VANISH = 9,
  ICMD_ITEM_GET = 10,
  ICMD_GRAPHIC = 11,
  ICMD_BASE_ANIMSET = 12,
  ICMD_ANIM = 13,
  ICMD_EFFECT = 14,
  ICMD_CHARA_EFFECT = 15,
  ICMD_SCREEN_EFFECT = 16,
  ICMD_PICTURE = 17,
  ICMD_SCREEN_COLOR = 18,
  ICMD_BACKGROUND = 19,
  ICMD_SE = 20,
  ICMD_BGM = 21,
  ICMD_CODE = 22,
  ICMD_ARRANGE = 23,
  ICMD_LOOP = 24,
};
constexpr int kItemCmdKindCount = 25;
constexpr int kItemCmdKindOffset = 15;

// A kind's name and the number of int parameters a command of that kind carries.
struct cLabelItem {
  const char* m_pName;
  int32_t m_nCount;
};

extern const std::array<cLabelItem, kCmdKindCount> g_CmdKindTable;
extern const std::array<cLabelItem, kItemCmdKindCount> g_ItemCmdKindTable;

// One arrangeable parameter: its label and the bounds the arrange logic keeps it in.
struct cCmdParamDesc {
  std::string m_strLabel;
  int32_t m_nMin;
  int32_t m_nMax;
};

// Per command kind, its arrangeable parameters (empty for kinds without any).
extern cCheckedVector<cCheckedVector<cCmdParamDesc>> g_CmdParamTable;

// Fills g_CmdParamTable; calling it again gives the same table.
void BuildCmdParamTable();

constexpr int kFormationCount = 6;
constexpr int kShotMoveKindCount = 10;
// Index formation × 3 + j for the j-th formation parameter (`m_sFormParam[j]`).
extern const std::array<cParamDesc, kFormationCount * 3> g_FormationParamTable;
// Index movement kind × 3 + j for the j-th movement parameter (`m_sMoveParam[j]`).
extern const std::array<cParamDesc, kShotMoveKindCount * 3> g_ShotMoveParamTable;

// The descriptor of parameter j of a formation or movement kind as stored in a shot block; null
// when either number lies outside the table.
const cParamDesc* GetFormationParamDesc(int formation, int j);
const cParamDesc* GetShotMoveParamDesc(int moveKind, int j);

// The parts of a command record that its arrangeable parameters stand for. Blocks the command does
// not hold are null.
struct cCmdArrangeRef {
  int16_t* m_pSound = nullptr;
  std::vector<int32_t>* m_pParam = nullptr;
  cEdMove* m_pEdMove = nullptr;
  cEdShot* m_pEdShot = nullptr;
};

// A getter stores the value of arrangeable parameter `index` into *out; a setter stores `value` into
// it. The value is read sign-extended from its member's width and stored truncated to it. An index
// outside the kind's list, or a value whose block or parameter the command lacks, leaves *out and
// the command untouched.
using ArrangeGetFn = void (*)(int* out, unsigned index, const cCmdArrangeRef& cmd);
using ArrangeSetFn = void (*)(int value, unsigned index, const cCmdArrangeRef& cmd);

// Indexed by eCmdKind; null for kinds the arrange command cannot reach. An item command of kind k
// uses the entries of object kind k + kItemCmdKindOffset.
extern const std::array<ArrangeGetFn, kCmdKindCount> g_ArrangeGetTable;
extern const std::array<ArrangeSetFn, kCmdKindCount> g_ArrangeSetTable;
