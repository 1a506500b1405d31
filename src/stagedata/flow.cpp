#include "stagedata/flow.h"

#include <utility>
#include <vector>

#include "gamedata/systemdata.h"
#include "stagedata/bytelist.h"

cKeyCond::cKeyCond() { Reset(); }

void cKeyCond::Reset() {
  Clear();
  m_vKeyState.assign(kKeyCount, 0);
}

void cKeyCond::RegisterFields(int /*version*/) {
  ClearFields();
  AddField8(&m_bMirror);
  AddField16(&m_sHoldMin);
  AddField16(&m_sHoldMax);
  AddField8(&m_bAnyHold);
  AddField8(&m_nMode);
}

int cKeyCond::Read(cDataFile& file) {
  // No stored keys: the keys keep their defaults.
  return cDataRecord::Read(file) && ReadByteList(m_vKeyState, file) ? 1 : 0;
}

int cKeyCond::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteByteList(m_vKeyState, file);
  return file.Failed() ? 0 : 1;
}

cFlow::cFlow() {
  Clear();
  m_nKeyGap = 3;
}

cFlow& cFlow::operator=(const cFlow& src) {
  if (this == &src) return *this;
  cDataRecord::operator=(src);
  // src may lie inside one of this flow's own commands: copy it whole before anything is replaced.
  cFlow copy(src);
  Take(copy);
  return *this;
}

cFlow& cFlow::operator=(cFlow&& src) noexcept {
  if (this == &src) return *this;
  cDataRecord::operator=(src);
  // src may lie inside one of this flow's own commands: take it out whole before anything is
  // replaced.
  cFlow taken(std::move(src));
  Take(taken);
  return *this;
}

void cFlow::Take(cFlow& whole) {
  m_strName.swap(whole.m_strName);
  m_nKey = whole.m_nKey;
  m_nFlowId = whole.m_nFlowId;
  m_bTestOnly = whole.m_bTestOnly;
  m_nCondLogic = whole.m_nCondLogic;
  m_bCondLatch = whole.m_bCondLatch;
  m_nTrigger = whole.m_nTrigger;
  m_bBindPartner = whole.m_bBindPartner;
  m_nPartnerTarget = whole.m_nPartnerTarget;
  m_nKeyGap = whole.m_nKeyGap;
  m_bKeyLatch = whole.m_bKeyLatch;
  m_vCond.swap(whole.m_vCond);
  m_vKeyCond.swap(whole.m_vKeyCond);
  m_vCmd.swap(whole.m_vCmd);
}

void cFlow::RegisterFields(int version) {
  ClearFields();
  if (version >= 676) AddString(&m_strName);
  AddField8(&m_nKey);
  AddField8(&m_nFlowId);
  AddField8(&m_bTestOnly);
  AddField8(&m_nCondLogic);
  AddField8(&m_bCondLatch);
  AddField8(&m_nTrigger);
  if (version >= 762) AddField8(&m_bBindPartner);
  if (version >= 767) AddField8(&m_nPartnerTarget);
  AddField8(&m_nKeyGap);
  AddField8(&m_bKeyLatch);
}

namespace {

int8_t Plus(int8_t v, int add) { return static_cast<int8_t>(v + add); }

// Triggers were inserted into the list over the versions; each step sees the number the steps
// before it left.
void RenumberTrigger(cFlow& f, uint32_t v) {
  int8_t& t = f.m_nTrigger;
  if (v <= 131 && t >= 11) t = Plus(t, 1);
  if (v < 163 && t != FLOW_TRIG_ALWAYS) f.m_nFlowId = 0;
  if (v < 164 && t >= 5) t = Plus(t, 2);
  if (v < 762 && t >= 18) t = Plus(t, 3);
  if (v < 900) {
    for (int from : {2, 4, 21, 23})
      if (t >= from) t = Plus(t, 1);
  }
}

}  // namespace

int cFlow::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (!ReadRecordVector(m_vCond, file) || !ReadKeyCondVector(m_vKeyCond, file) || !ReadCmdVector(m_vCmd, file))
    return 0;
  if (g_nFileDataVersion < static_cast<uint32_t>(g_nDataVersion)) RenumberTrigger(*this, g_nFileDataVersion);
  // The player keeps no flow names.
  m_strName.clear();
  Normalize();
  return 1;
}

int cFlow::Write(cDataFile& file) {
  Normalize();
  cDataRecord::Write(file);
  WriteRecordVector(m_vCond, file);
  WriteRecordVector(m_vKeyCond, file);
  WriteRecordVector(m_vCmd, file);
  return file.Failed() ? 0 : 1;
}

void cFlow::Normalize() {
  for (auto& cmd : m_vCmd) cmd.Normalize();
}

void cFlow::NormalizeRefs(const cPaletteSizes& common, const cPaletteSizes& stage) {
  for (auto& cmd : m_vCmd) cmd.NormalizeRefs(common, stage);
}

int ReadKeyCondVector(cCheckedVector<cKeyCond>& list, cDataFile& file) { return ReadRecordVector(list, file); }

int ReadCmdVector(cCheckedVector<cFlowCmd>& list, cDataFile& file) { return ReadRecordVector(list, file); }

int g_bEditorLaunched = 0;

void RemoveTestOnlyFlows(cCheckedVector<cFlow>& flows) {
  std::erase_if(flows, [](const cFlow& f) { return f.m_bTestOnly != 0; });
}

bool KeepTestOnlyFlows() { return g_bEditorLaunched != 0 || g_SystemData.m_bKeepTestFlows != 0; }

int ObjectKindOf(int category, int kind) {
  if (category != CMD_CATEGORY_ITEM) return kind;
  return kind >= 2 ? kind + kItemCmdKindOffset : -1;
}

int InputDirToDirCode(int index, int flag, int facing, uint32_t replayVersion) {
  // Direction keys 1-9: left, right, up, down, up-left, down-left, up-right, down-right, front.
  static constexpr int kCode[10] = {-1, 2, 3, 6, 7, 8, 9, 10, 11, 0};
  if (replayVersion != 0) {
    if (replayVersion <= 777) flag = 1;
    else if (replayVersion <= 779) flag = 0;
  }
  const int byFacing = facing ? 3 : 2;
  // No key, and keys that do not exist, follow the facing.
  if (index <= 0 || index > 9) return byFacing;
  if (index == 9 && !flag) return byFacing;
  return kCode[index];
}
