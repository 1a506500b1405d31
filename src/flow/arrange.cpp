// Arrangements: a queued entry changes one arrangeable parameter of the next command by a variable,
// within the parameter's bounds, and writes it into the object's own copy of the command.
#include "flow/arrange.h"

#include "flow/exectable.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "scenes/sceneplay.h"
#include "stagedata/cmdtable.h"
#include "stagedata/database.h"
#include "stagedata/edshot.h"
#include "stagedata/flow.h"
#include "stagedata/palette.h"

namespace {

enum eArrangeEntry { E_KIND = 0, E_PARAM = 1, E_OP = 2, E_SCOPE = 3, E_INDEX = 4 };

// The variable an entry reads; false when its index lies outside its table (common and stage
// variables count from 1, character variables from 0) or the scope is unknown.
bool ReadVariable(const cArrangeEntry& e, const cCharaBase* subject, int32_t& out) {
  const int index = e.m_nParam[E_INDEX];
  const cCheckedVector<int32_t>* table = nullptr;
  int first = 1;
  switch (e.m_nParam[E_SCOPE]) {
    case 0: table = &g_SaveData.m_vCommonVar; break;
    case 1: table = g_pScenePlay ? &g_pScenePlay->m_vStageVar : nullptr; break;
    case 2:
      table = subject ? &subject->m_vCharaVar : nullptr;
      first = 0;
      break;
    default: return false;
  }
  if (!table || index < first || index >= table->Size()) return false;
  out = (*table)[index];
  return true;
}

// Bounds of parameter `index` of kind `kind`: the table's, or for the formation-specific and
// movement-specific parameters those of the command's formation or movement kind.
bool Bounds(int kind, int index, const cFlowCmd& cmd, int32_t& lo, int32_t& hi) {
  const cCheckedVector<cCmdParamDesc>& rows = g_CmdParamTable.At(kind);
  if (index < 0 || index >= rows.Size()) return false;
  lo = rows[index].m_nMin;
  hi = rows[index].m_nMax;
  const cEdShot* shot = cmd.m_pEdShot.get();
  if (!shot) return true;
  int first = -1;
  if ((kind == CMD_SHOT || kind == CMD_SUMMON_ITEM) && index >= 2 && index <= 4) first = 2;
  if (kind == CMD_SUMMON_BLOCK && index >= 1 && index <= 3) first = 1;
  if (kind == CMD_SUMMON_CHARA && index >= 3 && index <= 5) first = 3;
  const cParamDesc* desc = nullptr;
  if (first >= 0)
    desc = GetFormationParamDesc(shot->m_nFormation, index - first);
  else if (kind == CMD_SHOT && index >= 16 && index <= 18)
    desc = GetShotMoveParamDesc(shot->m_nMoveKind, index - 16);
  else
    return true;
  if (!desc) return false;
  lo = desc->m_sMin;
  hi = desc->m_sMax;
  return true;
}

template <class T>
int PaletteSize(int paletteKind) {
  const cCheckedVector<T>* list = PaletteList<T>(paletteKind);
  return list ? list->Size() : -1;
}

// The size of the variable table a status operation's variable index addresses; -1 when the
// parameter selects no variable.
int StatusVarTableSize(const cFlowCmd& cmd, const cCharaBase* subject, bool source) {
  const cCheckedVector<int32_t>& p = cmd.m_vParam;
  const int kindParam = source ? 6 : 0, scopeParam = source ? 10 : 1, whoParam = source ? 12 : 3;
  const int selectorParam = source ? 13 : 4;
  const bool variable = source ? p.At(kindParam) == 3 : p.At(kindParam) == 1;
  const bool status = source ? p.At(kindParam) == 2 : p.At(kindParam) == 0;
  if (variable) {
    if (p.At(scopeParam) == 0) return g_SaveData.m_vCommonVar.Size();
    if (p.At(scopeParam) == 1) return g_pScenePlay ? g_pScenePlay->m_vStageVar.Size() : 0;
    return 0;
  }
  if (status && p.At(selectorParam) == STATUS_CHARA_VAR) {
    const cCharaBase* obj = StatusSubject(const_cast<cCharaBase*>(subject), p.At(whoParam));
    return obj ? obj->m_vCharaVar.Size() : 0;
  }
  return -1;
}

// The size of the list parameter `index` of kind `kind` names an entry of; -1 when it names none.
// A list that cannot be found has size 0, so nothing is written.
int RefListSize(int kind, int index, const cFlowCmd& cmd, const cCharaBase* subject) {
  const cEdShot* shot = cmd.m_pEdShot.get();
  const int sounds = g_Database.m_vSound.Size();
  const int firstParam = cmd.m_vParam.empty() ? 0 : cmd.m_vParam[0];
  switch (kind) {
    case CMD_TURN:
    case CMD_JUMP:
    case CMD_SE: return index == 0 ? sounds : -1;
    case CMD_SHOT:
      if (index == 14) return sounds;
      if (index == 30) return g_Database.m_vEffect.Size();
      if (index == 31) return shot ? std::max(0, PaletteSize<cItemData>(shot->m_nItemPalette)) : 0;
      return -1;
    case CMD_SWORD:
      if (index == 4) return g_Database.m_vEffect.Size();
      if (index == 5) return shot ? std::max(0, PaletteSize<cItemData>(shot->m_nItemPalette)) : 0;
      if (index == 6) return sounds;
      return -1;
    case CMD_SUMMON_BLOCK:
      if (index == 0) return shot ? std::max(0, PaletteSize<cBlockData>(shot->m_nSummonPalette + 1)) : 0;
      return index == 7 ? sounds : -1;
    case CMD_SUMMON_CHARA:
      if (index == 0) return shot ? std::max(0, PaletteSize<cCharaData>(shot->m_nSummonPalette + 1)) : 0;
      return index == 9 ? sounds : -1;
    case CMD_SUMMON_ITEM:
      if (index == 0) return shot ? std::max(0, PaletteSize<cItemData>(shot->m_nSummonPalette + 1)) : 0;
      return index == 8 ? sounds : -1;
    case CMD_STATUS:
      if (index == 0) return StatusVarTableSize(cmd, subject, false);
      if (index == 4) return StatusVarTableSize(cmd, subject, true);
      return -1;
    case CMD_ITEM_GET: return index == 0 ? std::max(0, PaletteSize<cItemData>(firstParam + 1)) : -1;
    case CMD_GRAPHIC:
      if (index != 0) return -1;
      return firstParam == 4 ? g_Database.m_vBmpCharaExc.Size() : 120;
    case CMD_EFFECT: return index == 0 ? g_Database.m_vEffect.Size() : -1;
    case CMD_CHARA_EFFECT: return index == 0 ? g_Database.m_vCharaEffect.Size() : -1;
    case CMD_SCREEN_EFFECT: return index == 0 ? g_Database.m_vScrEffect.Size() : -1;
    case CMD_PICTURE: return index == 0 ? g_Database.m_vPicture.Size() : -1;
    case CMD_BGM: return index == 0 ? g_Database.m_vBgm.Size() : -1;
    default: return -1;
  }
}

void ApplyAll(cFlowCmd& cmd, const std::list<cArrangeEntry>& queue, cCharaBase* subject) {
  for (const cArrangeEntry& e : queue) ApplyArrange(cmd, e, subject);
}

}  // namespace

void ApplyArrange(cFlowCmd& cmd, const cArrangeEntry& e, cCharaBase* subject) {
  const int kind = cmd.ObjectKind();
  if (kind < 0 || kind >= kCmdKindCount || kind != e.m_nParam[E_KIND]) return;
  const ArrangeGetFn get = g_ArrangeGetTable[kind];
  const ArrangeSetFn set = g_ArrangeSetTable[kind];
  if (!get || !set) return;
  const int index = e.m_nParam[E_PARAM];
  int32_t lo = 0, hi = 0, var = 0;
  if (!Bounds(kind, index, cmd, lo, hi)) return;
  if (!ReadVariable(e, subject, var)) return;
  const cCmdArrangeRef ref = cmd.ArrangeRef();
  int value = 0;
  get(&value, static_cast<unsigned>(index), ref);
  int32_t v = value;
  ApplyCalcOp(&v, var, e.m_nParam[E_OP], lo, hi);
  const int size = RefListSize(kind, index, cmd, subject);
  if (size >= 0 && (v < 0 || v >= size)) return;
  set(v, static_cast<unsigned>(index), ref);
}

void ApplyFlowArranges(cFlowCmd& cmd, cCharaBase* subject, cFlowInstance* flow) {
  if (flow) ApplyAll(cmd, flow->m_lstArrange, subject);
}

void ApplyCharaArranges(cFlowCmd& cmd, cCharaBase* chara) {
  cHero* hero = dynamic_cast<cHero*>(chara);
  if (hero) ApplyAll(cmd, hero->m_lArranges, chara);
}
