#include "stagedata/cond.h"

#include "stagedata/cmdholder.h"

cCond::cCond() { Clear(); }

void cCond::RegisterFields(int version) {
  ClearFields();
  AddField8(&m_nKind);
  AddField32(&m_nValue);
  if (version >= 110) {
    AddField32(&m_nRandMin);
    AddField32(&m_nRandMax);
    AddField8(&m_nOwner);
    AddField8(&m_nItem);
    AddField8(&m_nLeftSource);
    AddField8(&m_nLeftScope);
    AddField16(&m_sIndex);
    AddField8(&m_nRightSource);
    AddField8(&m_nRightOwner);
    AddField8(&m_nRightItem);
    AddField8(&m_nRightScope);
    AddField16(&m_sRightIndex);
  } else {
    // Older files hold two 16-bit values here that nothing uses any more.
    AddField16(&g_sDiscardField);
    AddField16(&g_sDiscardField);
  }
  AddField8(&m_nOp);
  if (version >= 43) AddField8(&m_bPercent);
  if (version >= 883) {
    AddField8(&m_nLeftCoord);
    AddField8(&m_nRightCoord);
  }
  if (version >= 893) {
    AddField8(&m_nLeftRefPoint);
    AddField8(&m_nRightRefPoint);
  }
  AddField8(&m_nArea);
}

int cCond::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (g_nFileDataVersion < static_cast<uint32_t>(g_nDataVersion)) Upgrade(g_nFileDataVersion);
  return 1;
}

namespace {

int8_t Plus(int8_t v, int add) { return static_cast<int8_t>(v + add); }

// The status condition's item numbers moved up when items were inserted into the lists: a left
// status item (not of the given owner) and a right status item from `from` on gain `add`.
void ShiftStatusItems(cCond& c, int exemptOwner, int from, int add) {
  if (c.m_nLeftSource == 0 && c.m_nOwner != exemptOwner && c.m_nItem >= from) c.m_nItem = Plus(c.m_nItem, add);
  if (c.m_nRightSource == 2 && c.m_nRightOwner != exemptOwner && c.m_nRightItem >= from)
    c.m_nRightItem = Plus(c.m_nRightItem, add);
}

}  // namespace

// Each rule sees the kind as the rules before it left it.
void cCond::Upgrade(uint32_t v) {
  if (v < 160 && m_nKind >= 5) m_nKind = Plus(m_nKind, 2);
  // The operators come in pairs (== !=, >= <=, > <, multiple / not multiple): this state's sense flipped.
  if (v < 161 && m_nKind == COND_STATUS3 && m_nItem == 2) m_nOp = static_cast<int8_t>(m_nOp ^ 1);
  if (v < 168 && m_nKind == COND_STATUS) ShiftStatusItems(*this, 2, 10, 1);
  if (v < 203 && m_nKind == COND_STATUS) ShiftStatusItems(*this, 2, 5, 1);
  if (v < 210 && m_nKind == COND_STATUS2 && m_nOwner != 2 && m_nItem >= 6) m_nItem = Plus(m_nItem, 1);
  if (v < 657 && m_nKind == COND_RANGE) m_nOwner = 0;
  if (v < 745 && m_nKind == COND_RANGE) m_nLeftSource = 0;
  if (v < 746 && m_nKind == COND_RANGE) {
    m_nRightSource = 1;
    m_nRightOwner = 1;
  }
  // Targets 2-4 were added after owner 1: owners from 2 on moved up by 3.
  if (v < 767 && (m_nKind == COND_STATUS || m_nKind == COND_STATUS2)) {
    if (m_nOwner >= 2) m_nOwner = Plus(m_nOwner, 3);
    if (m_nRightOwner >= 2) m_nRightOwner = Plus(m_nRightOwner, 3);
  }
  if (v < 883 && m_nKind == COND_STATUS) {
    m_nLeftCoord = 0;
    m_nRightCoord = 0;
    ShiftStatusItems(*this, 5, 6, 2);
  }
  if (v < 892 && m_nKind == COND_STATUS) {
    m_nLeftRefPoint = 0;
    m_nRightRefPoint = 0;
  }
}

cCondList::cCondList() { Clear(); }

void cCondList::RegisterFields(int /*version*/) {
  ClearFields();
  AddField8(&m_bEnabled);
  AddField8(&m_nLogic);
}

int cCondList::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  // Lists of versions 764 and 765 hold the two bytes alone.
  if (g_nFileDataVersion >= 766 && !ReadRecordVector(m_vCond, file)) return 0;
  return 1;
}

int cCondList::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteRecordVector(m_vCond, file);
  return file.Failed() ? 0 : 1;
}

void CreateCondList(cCondListHolder& holder) { holder = std::make_shared<cCondList>(); }

void AssignCondListHolder(cCondListHolder& target, const cCondListHolder& source) {
  AssignRecordHolder(target, source);
}
