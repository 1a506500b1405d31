// Objects and blocks that commands summon while the stage runs: characters placed beside their
// summoner, and blocks put into, cleared from or toggled in the map cells.
#include <algorithm>

#include "gamedata/systemswitches.h"
#include "objects/objlists.h"
#include "scenes/collision.h"
#include "scenes/sceneplay.h"
#include "stagedata/edshot.h"
#include "stagedata/flow.h"
#include "stagedata/mapcell.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"

namespace {

const cEdShot& SummonRecord(const cFlowCmd& summon) {
  static const cEdShot none;
  return summon.m_pEdShot ? *summon.m_pEdShot : none;
}

// The empty block: entry 0 of the common palette, whose graphic 0 always means passable.
cMapCell EmptyCell() {
  cBlockData block;
  const cCheckedVector<cBlockData>& list = CommonPalette().List<cBlockData>();
  if (!list.empty()) block = list[0];
  if (block.m_sGraphic == 0) block.m_cHit = 0;
  return cMapCell(block);
}

// The cell's contents replaced: its conditions start unlatched.
void Replace(cMapCell& cell, const cMapCell& with) {
  cell = with;
  cell.m_bCondLatched = 0;
}

bool OnCell(const cGameObj& obj, double left, double top, double right, double bottom) {
  return BoxesOverlap(obj.m_dX, obj.m_dY, obj.m_dRight, obj.m_dBottom, left, top, right, bottom);
}

// The cell's new block stops the object: it blocks its side and the object meets blocks.
bool Blocks(cMapCell& cell, const cCharaBase& obj) {
  return cell.GetCellHitCode(obj.m_nSide) != 0 &&
         (CellTestAnyMoveModeOn() || !obj.m_bFlying || obj.m_nBlockMode != 0);
}

}  // namespace

bool SummonRefusesHero(const cEdShot& s) { return s.m_nReserved56 != 0; }
bool SummonRefusesChara(const cEdShot& s) { return s.m_nReserved57 != 0; }
bool SummonClearsScore(const cEdShot& s) { return s.m_nReserved61 != 0; }

int cScenePlay::CellHitsObjects(int index, int cellX, int cellY, const cFlowCmd& summon) {
  const cEdShot& s = SummonRecord(summon);
  cMapCell& cell = g_MapCells.At(index);
  const double left = cellX * 32, top = cellY * 32, right = left + 32 - 0.1, bottom = top + 32 - 0.1;
  int result = 0;
  cCharaBase* hero = GetHero();
  if (hero && !hero->m_bDead && Blocks(cell, *hero) && OnCell(*hero, left, top, right, bottom)) {
    hero->m_nModeChangeWait = 2;
    if (SummonRefusesHero(s)) result = 1;
  }
  for (cChara& c : g_lstChara) {
    if (c.m_bDead || !c.m_bActive || !Blocks(cell, c) || !OnCell(c, left, top, right, bottom)) continue;
    c.m_nModeChangeWait = 2;
    if (SummonRefusesChara(s)) result = 1;
  }
  return result;
}

// Each toggling summon remembers the cells it changed afresh, so that a cell two of its blocks fall
// on toggles once.
void cScenePlay::BeginToggleBatch() { m_vChangedCell.clear(); }

int cScenePlay::PutMapBlock(double x, double y, const cFlowCmd& summon, const cBlockData& def) {
  const cEdShot& s = SummonRecord(summon);
  const int column = TruncToInt(x + 16.5) >> 5;
  const int row = TruncToInt(y + 16.5) >> 5;
  // A point outside the map changes nothing, also when its index would land in another row.
  if (column < 0 || column >= m_ScrollX.m_nRowStride || row < 0 || row >= m_ScrollY.m_nMapCells) return 0;
  const int index = CellIndexOf(column, row);
  if (index < 0 || index >= g_MapCells.Size()) return 0;
  cMapCell& cell = g_MapCells.At(index);
  auto shows = [&] { return cell.m_sGraphic != 0 && CheckBlockCond(cell); };
  if (cell.m_bLocked && (StrictProtectionOn() || shows())) return 0;
  const bool refuses = SummonRefusesHero(s) || SummonRefusesChara(s);
  switch (s.m_nBlockMode) {
    case 0: {
      const cMapCell before = cell;
      Replace(cell, cMapCell(def));
      g_MapHits.Refresh(index);
      if (CellHitsObjects(index, column, row, summon) == 1 && refuses) {
        cell = before;
        g_MapHits.Refresh(index);
        return 0;
      }
      return 1;
    }
    case 1:
      Replace(cell, EmptyCell());
      g_MapHits.Refresh(index);
      return 1;
    case 2: {
      if (std::find(m_vChangedCell.begin(), m_vChangedCell.end(), index) != m_vChangedCell.end()) return 0;
      m_vChangedCell.push_back(index);
      if (shows()) {
        Replace(cell, EmptyCell());
        g_MapHits.Refresh(index);
        return 1;
      }
      const cMapCell before = cell;
      Replace(cell, cMapCell(def));
      g_MapHits.Refresh(index);
      if (refuses && CellHitsObjects(index, column, row, summon) == 1) {
        cell = before;
        g_MapHits.Refresh(index);
        return 0;
      }
      return 1;
    }
    default:
      return 0;
  }
}

int cScenePlay::SpawnBlockChara(cCheckedList<cChara>& list, double x, double y, int side, int facing,
                                const cFlowCmd& summon, const cCharaData& def, int* nextId, cCharaBase* owner) {
  const cEdShot& s = SummonRecord(summon);
  cCharaData copy = def;
  copy.m_cSide = static_cast<int8_t>(side);
  copy.m_cFacing = static_cast<int8_t>(facing);
  if (SummonClearsScore(s)) copy.m_nScore = 0;
  int made = 0;
  for (int i = 0; i <= copy.m_cCopies; ++i) {
    cChara temp;
    temp.Init(*nextId, copy, nullptr, x + 16, y + 16, static_cast<int16_t>(i), 0, nullptr);
    const double dx = copy.GetSpawnOffsetX(i, facing), dy = copy.GetSpawnOffsetY(i, facing);
    temp.m_dX = x + dx;
    temp.m_dY = y + dy;
    temp.m_dRight = x + temp.m_nHitW - 1 + dx;
    temp.m_dBottom = y + temp.m_nHitH - 1 + dy;
    if (!OldSummonStartOn()) {
      temp.m_dHomeX += dx;
      temp.m_dHomeY += dy;
    }
    if (!temp.IsInStage(1)) continue;
    temp.AfterMoveX();
    temp.AfterMoveY();
    list.push_back(temp);
    m_nBlockCharaStamp = -1;  // the count of block characters is out of date
    cChara& c = list.back();
    // Blocked where it appears: one pixel up, else one left, else up and left, else not made.
    if (IsBoxBlocked(&c)) {
      c.m_dY -= 1;
      c.AfterMoveY();
    }
    if (IsBoxBlocked(&c)) {
      c.m_dY += 1;
      c.AfterMoveY();
      c.m_dX -= 1;
      c.AfterMoveX();
    }
    if (IsBoxBlocked(&c)) {
      c.m_dY -= 1;
      c.AfterMoveY();
    }
    if (IsBoxBlocked(&c)) {
      list.pop_back();
      continue;
    }
    c.InitLinks(owner);
    if (s.m_bLifeOn) c.m_nLifeTime = s.m_sLife * g_StageData.m_nStepsPerFrame * 6;
    c.m_bOwnerGetsHits = s.m_bReportHit;
    c.m_nOwnerKey = s.m_nReportKey;
    if (c.m_nSide >= 0 && c.m_nSide < m_vSideChara.Size()) m_vSideChara[c.m_nSide].push_back(&c);
    ++*nextId;
    ++made;
  }
  return made;
}
