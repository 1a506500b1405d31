#include "gamedata/worldmap.h"

#include <algorithm>

#include "core/log.h"
#include "core/paths.h"

cWorldMapData g_WorldMapData;

const char* const g_MapNodeKindName[4] = {"ワールド", "道", "壁", ""};
const char* const g_MapAfterClearName[4] = {"しない", "2周目へ突入", "タイトルへ戻る", ""};


// ---- tile kinds ----

cMapTileKind::cMapTileKind() { Clear(); }

void cMapTileKind::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nId);
  AddField32(&m_bBlocked);
  AddField32(&m_nPicture);
  AddString(&m_strName);
  AddString(&m_strText);
}

// ---- nodes ----

cMapNode::cMapNode() { Reset(); }

void cMapNode::Reset() {
  Clear();
  m_nVarIndex = 1;
}

void cMapNode::RegisterFields(int version) {
  ClearFields();
  AddField32(&m_nKind);
  AddField32(&m_nIcon);
  AddField32(&m_nStageNo);
  AddField32(&m_bPassable);
  AddField32(&m_bReplay);
  AddField32(&m_nAfterClear);
  AddField32(&m_nNeedFlag);
  AddField32(&m_nCondVar);
  AddField32(&m_nCondValue);
  AddField32(&m_nCondOp);
  if (version >= 209) AddField32(&m_nNeedBest);
  if (version >= 758) {
    AddField32(&m_bVarSet);
    AddField32(&m_nVarIndex);
    AddField32(&m_nVarValue);
  }
  AddString(&m_strCaption);
  AddString(&m_strStage);
}

int cMapNode::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (g_nFileDataVersion <= 208) m_nNeedBest = 0;
  return 1;
}

// ---- places ----

cMapPlace::cMapPlace() : m_vNode(1) { Clear(); }

void cMapPlace::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nX);
  AddField32(&m_nY);
  AddString(&m_strName);
}

int cMapPlace::Read(cDataFile& file) {
  return cDataRecord::Read(file) && ReadRecordVector(m_vNode, file);
}

int cMapPlace::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteRecordVector(m_vNode, file);
  return file.Failed() ? 0 : 1;
}

// ---- the map ----

cWorldMapData::cWorldMapData() { SetDefault(); }

void cWorldMapData::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nWidth);
  AddField32(&m_nHeight);
  AddField32(&m_nPitch);
  AddField32(&m_nShift);
  AddField32(&m_nStartX);
  AddField32(&m_nStartY);
  AddField32(&m_nBackColor);
  AddField32(&m_bBackPicture);
  AddString(&m_strName);
  AddString(&m_strBackPicture);
}

void cWorldMapData::SetDefault() {
  Clear();
  m_strName = "ワールド";
  m_nStartX = 9;
  m_nStartY = 7;
  m_nBackColor = 16;
  m_bBackPicture = 0;
  SetSize(20, 15);
  m_vPlace.clear();
  m_vTemplatePlace.assign(1, cMapPlace());
  m_vTemplatePlace[0].m_strName = "デフォルト";
}

int cWorldMapData::SetSize(int width, int height) {
  if (width < 1 || height < 1) {
    DebugErrorBoxF("SetSize()で 0 を指定しました！");
    return 0;
  }
  const int oldWidth = m_nWidth, oldHeight = m_nHeight, oldShift = m_nShift;
  cCheckedVector<int32_t> old;
  if (!m_vCell.empty()) {
    DebugLogF("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", m_nWidth, m_nPitch, m_nShift);
    old.swap(m_vCell);
  }
  m_nWidth = width;
  m_nHeight = height;
  m_nShift = 0;
  for (int w = width - 1; w > 0; w /= 2) ++m_nShift;
  m_nPitch = 1 << m_nShift;
  m_vCell.assign(static_cast<size_t>(m_nHeight) * static_cast<size_t>(m_nPitch), 0);
  if (!old.empty() && oldShift >= 0 && oldShift <= 30) {
    const int rows = std::min(oldHeight, height), cols = std::min(oldWidth, width);
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < cols; ++x) {
        size_t from = static_cast<size_t>(x) + (static_cast<size_t>(y) << oldShift);
        if (from < old.size()) m_vCell[x + (y << m_nShift)] = old[from];
      }
    }
  }
  return 1;
}

bool cWorldMapData::GridFitsCells() const {
  if (m_nWidth < 1 || m_nHeight < 1 || m_nShift < 0 || m_nShift > 30) return false;
  const int64_t pitch = int64_t{1} << m_nShift;
  return pitch >= m_nWidth && pitch * m_nHeight <= static_cast<int64_t>(m_vCell.size());
}

int cWorldMapData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (!ReadRecordVector(m_vTileKind, file)) return 0;
  uint32_t cells;
  if (!file.ReadCount(cells, sizeof(int32_t))) return 0;
  if (cells > 0) {  // an empty list in the file keeps the cells there are
    m_vCell.assign(cells, 0);
    if (!file.ReadBytes(m_vCell.data(), cells * sizeof(int32_t))) return 0;
  }
  if (!ReadRecordVector(m_vPlace, file) || !ReadRecordVector(m_vTemplatePlace, file)) return 0;

  if (g_nFileDataVersion < 812) {
    // Older maps had ten fixed tile kinds: five blocked, five free.
    m_vTileKind.resize(10);
    for (int i = 0; i < 10; ++i) {
      cMapTileKind& k = m_vTileKind[i];
      k.m_nPicture = i;
      k.m_bBlocked = i < 5 ? 1 : 0;
      k.m_strName = i < 5 ? "移動不可" : "移動可";
      k.m_strText.clear();
    }
  }
  // Every cell of the grid must lie in the cell list; a map that says otherwise is damaged.
  if (!GridFitsCells()) {
    file.Fail();
    return 0;
  }
  Normalize();
  return 1;
}

int cWorldMapData::Write(cDataFile& file) {
  Normalize();
  cDataRecord::Write(file);
  WriteRecordVector(m_vTileKind, file);
  WriteValueVector(m_vCell, file);
  WriteRecordVector(m_vPlace, file);
  WriteRecordVector(m_vTemplatePlace, file);
  return file.Failed() ? 0 : 1;
}

void cWorldMapData::Normalize() {
  if (m_nStartX >= m_nWidth) m_nStartX = m_nWidth - 1;
  if (m_nStartY >= m_nHeight) m_nStartY = m_nHeight - 1;
  // A start before the grid would put the player off the map.
  m_nStartX = std::max(m_nStartX, 0);
  m_nStartY = std::max(m_nStartY, 0);
  if (GridFitsCells()) {
    const uint32_t kinds = static_cast<uint32_t>(m_vTileKind.size());
    for (int y = 0; y < m_nHeight; ++y) {
      for (int x = 0; x < m_nWidth; ++x) {
        int32_t& cell = m_vCell[x + (y << m_nShift)];
        if (static_cast<uint32_t>(cell) >= kinds) cell = 0;
      }
    }
  }
  // A place off the grid on either side could never be reached, and its cell is not in the list.
  std::erase_if(m_vPlace, [this](const cMapPlace& p) {
    return p.m_nX < 0 || p.m_nY < 0 || p.m_nX >= m_nWidth || p.m_nY >= m_nHeight;
  });
}

cMapPlace* cWorldMapData::FindPlace(int x, int y) {
  for (cMapPlace& p : m_vPlace)
    if (p.m_nX == x && p.m_nY == y) return &p;
  return nullptr;
}

bool cWorldMapData::IsStageOnMap(const std::string& stage, int varSet, int varIndex, int varValue) const {
  for (const cMapPlace& place : m_vPlace) {
    for (const cMapNode& node : place.m_vNode) {
      if (node.m_nKind != MAPNODE_STAGE) continue;
      // The entrance's file in the form of the save data's stage key: the first part of a stage
      // made of parts ("Forest-1") and a single stage ("Forest") both become "Forest.".
      std::string key = node.m_strStage;
      PathStripExt(key);
      size_t part = key.rfind("-1");
      if (part != std::string::npos) key.erase(part);
      key += '.';
      if (key != stage) continue;
      if (varSet == 0) {
        if (node.m_bVarSet == 0) return true;
      } else if (node.m_bVarSet && node.m_nVarIndex == varIndex && node.m_nVarValue == varValue) {
        return true;
      }
    }
  }
  return false;
}
