// Block collision of the hero and the other characters against the map cells: the cell searches
// along an edge and under the feet, the four side tests with their push-out, the view-edge clamps,
// the special floors and the items that cells carry.
#include <cstdlib>
#include <typeinfo>

#include "gamedata/systemswitches.h"
#include "objects/cellhit.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/collision.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/itemdata.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "stagedata/flow.h"

namespace {

constexpr int kViewW = 640;
constexpr int kViewH = 480;
constexpr int kNudges = 15;
constexpr double kNudge = 0.1;

int ScaleOf(const cCharaBase* obj) { return obj->m_Chara.m_cScale < 1 ? 1 : obj->m_Chara.m_cScale; }

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// Pushes the object back by `step` on one axis while a corner of its box lies in a hitting cell, at
// most 15 times. The cells come from the last AfterMoveX/Y, so the first test still sees the object
// where it was before the caller moved it.
void NudgeX(cCharaBase* obj, double step) {
  for (int i = 0; i < kNudges && obj->IsInBlock(); ++i) {
    obj->m_dX += step;
    obj->AfterMoveX();
  }
}

}  // namespace

bool IsHeroObject(const cCharaBase* obj) {
  const std::type_info& type = typeid(*obj);
  if (type == typeid(cChara)) return false;
  if (type == typeid(cHero)) return true;
  return dynamic_cast<const cHero*>(obj) != nullptr;
}

int MoveModeOf(const cGameObj& obj) {
  if (!obj.m_bFlying) return MOVE_WALK;
  switch (obj.m_nBlockMode) {
    case BLOCK_PASS: return MOVE_FLY_THROUGH;
    case BLOCK_DIE: return MOVE_FLY_DEADLY;
    default: return MOVE_FLY_BLOCKED;
  }
}

int CellIndexOf(int column, int row) {
  const int shift = g_pScenePlay ? g_pScenePlay->m_ScrollX.m_nShift : 0;
  return column + static_cast<int>(static_cast<unsigned>(row) << shift);
}

int cScenePlay::FindSegmentCell(cCharaBase* obj, double x1d, double y1d, double x2d, double y2d) {
  bool conditions = false;
  return SegmentCell(obj, x1d, y1d, x2d, y2d, conditions);
}

int cScenePlay::SegmentCell(cCharaBase* obj, double x1d, double y1d, double x2d, double y2d, bool& conditions) {
  const int w = m_ScrollX.m_nOuterRange, h = m_ScrollY.m_nOuterRange;
  const int x1 = Clamp(TruncToInt(x1d), 0, w - 1), x2 = Clamp(TruncToInt(x2d), 0, w - 1);
  const int y1 = Clamp(TruncToInt(y1d), 0, h - 1), y2 = Clamp(TruncToInt(y2d), 0, h - 1);
  const int samples = ScaleOf(obj) + 1;
  int best = -1, bestIndex = 0;
  if (x1 == x2) {
    const int column = x1 >> 5;
    int y = y1;
    for (int i = 0; i < samples; ++i) {
      const int index = CellIndexOf(column, Clamp(y, 0, h - 1) >> 5);
      const int code = CellHitCode(index, obj->m_nSide, conditions);
      if (code > best) {
        best = code;
        bestIndex = index;
      }
      y += obj->m_nBaseHitH - 1;
    }
    return bestIndex;
  }
  if (y1 == y2) {
    const int row = y1 >> 5;
    const int middle = (x1 + x2) >> 1;
    int bestDistance = 0;
    int x = x1;
    for (int i = 0; i < samples; ++i) {
      const int cx = Clamp(x, 0, w - 1);
      const int index = CellIndexOf(cx >> 5, row);
      const int code = CellHitCode(index, obj->m_nSide, conditions);
      const int distance = std::abs(cx - middle);
      if (code > best || (code == best && distance < bestDistance)) {
        best = code;
        bestIndex = index;
        bestDistance = distance;
      }
      x += obj->m_nBaseHitW - 1;
    }
    return bestIndex;
  }
  return 0;
}

int cScenePlay::FindFootCell(cCharaBase* obj) {
  const int w = m_ScrollX.m_nOuterRange, h = m_ScrollY.m_nOuterRange;
  const int scale = ScaleOf(obj);
  const int count = scale % 2 ? scale + 2 : scale + 1;
  const int step = obj->m_nHitW / (count - 1);
  const int left = TruncToInt(obj->m_dX), right = TruncToInt(obj->m_dRight);
  const int row = Clamp(TruncToInt(obj->m_dBottom), 0, h - 1) >> 5;
  const int middle = (left + right) >> 1;
  int best = -1, bestIndex = 0, bestDistance = 0;
  for (int i = 0; i < count; ++i) {
    const int x = Clamp(i == count - 1 ? right : left + i * step, 0, w - 1);
    const int index = CellIndexOf(x >> 5, row);
    const int code = CellHitCode(index, obj->m_nSide);
    const int distance = std::abs(x - middle);
    if (code > best || (code == best && distance < bestDistance)) {
      best = code;
      bestIndex = index;
      bestDistance = distance;
    }
  }
  return bestIndex;
}

int cScenePlay::FindCornerCell(int left, int top, int right, int bottom, int kind) {
  const int corners[4] = {CellIndexOf(left, top), CellIndexOf(right, top), CellIndexOf(left, bottom),
                          CellIndexOf(right, bottom)};
  int best = -1, bestIndex = corners[0];
  for (int index : corners) {
    const int code = CellHitCode(index, kind);
    if (code > best) {
      best = code;
      bestIndex = index;
    }
  }
  return bestIndex;
}

cScenePlay::cSideMemo cScenePlay::SideMemoKey(const cCharaBase* obj, int edge) {
  return {obj, edge, TruncToInt(obj->m_dY), TruncToInt(obj->m_dBottom), obj->m_nSide, ScaleOf(obj), obj->m_nBaseHitH};
}

void cScenePlay::SetSideMemo(int on) {
  m_bSideMemoOn = on;
  m_SideMemo[0] = m_SideMemo[1] = cSideMemo();
}

int cScenePlay::CollideLeft(cCharaBase* obj) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const int left = TruncToInt(obj->m_dX);
  const cSideMemo key = SideMemoKey(obj, left);
  if (m_bSideMemoOn && m_SideMemo[0] == key) return 0;
  bool conditions = false;
  const int index = SegmentCell(obj, left, key.m_nTop, left, key.m_nBottom, conditions);
  const int code = CellHitCode(index, obj->m_nSide);
  if (code != 1 && code != 2) {
    if (m_bSideMemoOn && !conditions) m_SideMemo[0] = key;
    return 0;
  }
  if (code == 2 && IsHeroObject(obj)) return 2;
  if (mode == MOVE_FLY_DEADLY) return 2;
  obj->m_bContactLeft = 1;
  obj->m_dPushLeft = 0;
  obj->m_dX += 32 - (left & 31);
  if (code == 1 && !ExactPushOutOn()) NudgeX(obj, kNudge);
  obj->m_dInertiaX = 0;
  obj->AfterMoveX();
  obj->m_nLastBlockSide = 0;
  obj->RaiseTrigger(FLOW_TRIG_TOUCH_BLOCK);
  obj->RaiseTrigger(FLOW_TRIG_BLOCK_LEFTRIGHT);
  obj->RaiseTrigger(FLOW_TRIG_BLOCK_LEFT);
  return 0;
}

int cScenePlay::CollideRight(cCharaBase* obj) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const int right = TruncToInt(obj->m_dRight);
  const cSideMemo key = SideMemoKey(obj, right);
  if (m_bSideMemoOn && m_SideMemo[1] == key) return 0;
  bool conditions = false;
  const int index = SegmentCell(obj, right, key.m_nTop, right, key.m_nBottom, conditions);
  const int code = CellHitCode(index, obj->m_nSide);
  if (code != 1 && code != 2) {
    if (m_bSideMemoOn && !conditions) m_SideMemo[1] = key;
    return 0;
  }
  if (code == 2 && IsHeroObject(obj)) return 2;
  if (mode == MOVE_FLY_DEADLY) return 2;
  obj->m_bContactRight = 1;
  obj->m_dPushRight = 0;
  if (code == 1 && !ExactPushOutOn()) {
    obj->m_dX -= right & 31;
    NudgeX(obj, -kNudge);
  } else {
    obj->m_dX -= (right & 31) + 1;
  }
  obj->m_dInertiaX = 0;
  obj->AfterMoveX();
  obj->m_nLastBlockSide = 1;
  obj->RaiseTrigger(FLOW_TRIG_TOUCH_BLOCK);
  obj->RaiseTrigger(FLOW_TRIG_BLOCK_LEFTRIGHT);
  obj->RaiseTrigger(FLOW_TRIG_BLOCK_RIGHT);
  return 0;
}

int cScenePlay::CollideCeiling(cCharaBase* obj) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const int top = TruncToInt(obj->m_dY);
  const int index = FindSegmentCell(obj, TruncToInt(obj->m_dX), top, TruncToInt(obj->m_dRight), top);
  const int code = CellHitCode(index, obj->m_nSide);
  if (code != 1 && code != 2) return 0;
  if (code == 2 && IsHeroObject(obj)) return 2;
  if (mode == MOVE_FLY_DEADLY) return 2;
  obj->HitCeiling();
  return 0;
}

// The cell a landing object stands on: the hero's is chosen across its width, another character keeps
// the cell of the edge search.
static cMapCell* LandingCell(cScenePlay& scene, cCharaBase* obj, int segmentIndex) {
  return &g_MapCells.At(IsHeroObject(obj) ? scene.FindFootCell(obj) : segmentIndex);
}

int cScenePlay::CollideFloor(cCharaBase* obj) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const int bottom = TruncToInt(obj->m_dBottom);
  const int index = FindSegmentCell(obj, TruncToInt(obj->m_dX), bottom, TruncToInt(obj->m_dRight), bottom);
  cMapCell& cell = g_MapCells.At(index);
  obj->m_pCellBelow = &cell;
  const int code = CellHitCode(cell, obj->m_nSide);
  const bool hero = IsHeroObject(obj);
  const bool risingWalker = mode == MOVE_WALK && obj->m_dSpeedY < 0 && !LandRisingOn();
  if (code == 0) {
    ++obj->m_nNoFloorFrames;
    obj->m_pCellBelow = nullptr;
    if (obj->m_nNoFloorFrames >= NoFloorLimit()) {
      if (hero && obj->m_pRide) return 0;
      if (hero) obj->m_bJumpEnded = 1;
      obj->m_bInAir = 1;
    }
    return 0;
  }
  if (code == 1) {
    if (mode == MOVE_FLY_DEADLY) return 2;
    if (risingWalker) return 0;
    if (hero) obj->m_pCellBelow = LandingCell(*this, obj, index);
    obj->m_pLandCell = obj->m_pCellBelow;
    obj->LandOnBlock();
    return 0;
  }
  if (code == 2) {
    obj->m_pLandCell = &cell;
    if (hero || mode == MOVE_FLY_DEADLY) return 2;
    if (risingWalker) return 0;
    obj->LandOnBlock();
  }
  return 0;
}

int cScenePlay::CollideBlocksX(cCharaBase* obj) {
  if (MoveModeOf(*obj) == MOVE_FLY_BLOCKED) {
    if (CollideRight(obj) == 2) return 2;
    if (CollideLeft(obj) == 2) return 2;
    return 0;
  }
  if (obj->m_dSpeedX > 0) {
    if (CollideRight(obj) == 2) return 2;
    return CollideLeft(obj);
  }
  if (CollideLeft(obj) == 2) return 2;
  return CollideRight(obj);
}

int cScenePlay::CollideBlocksY(cCharaBase* obj) {
  obj->m_pCellBelow = nullptr;
  if (MoveModeOf(*obj) == MOVE_FLY_BLOCKED) {
    if (CollideFloor(obj) == 2) return 2;
    if (CollideCeiling(obj) == 2) return 2;
    return 0;
  }
  if (obj->m_dSpeedY > 0) {
    if (CollideFloor(obj) == 2) return 2;
    return CollideCeiling(obj);
  }
  if (CollideCeiling(obj) == 2) return 2;
  return CollideFloor(obj);
}

int cScenePlay::RecheckBlocksX(cCharaBase* obj) {
  const int right = CollideRight(obj);
  const int left = CollideLeft(obj);
  return right == 2 || left == 2 ? 2 : 0;
}

int cScenePlay::RecheckBlocksY(cCharaBase* obj) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const int bottom = TruncToInt(obj->m_dBottom);
  const int index = FindSegmentCell(obj, TruncToInt(obj->m_dX), bottom, TruncToInt(obj->m_dRight), bottom);
  const int code = CellHitCode(index, obj->m_nSide);
  const bool risingWalker = mode == MOVE_WALK && obj->m_dSpeedY < 0 && !LandRisingOn();
  if (code == 1) {
    if (mode == MOVE_FLY_DEADLY) return 2;
    if (risingWalker) return 0;
    obj->m_pCellBelow = obj->m_pLandCell = LandingCell(*this, obj, index);
    obj->LandOnBlock();
  } else if (code == 2) {
    obj->m_pCellBelow = obj->m_pLandCell = LandingCell(*this, obj, index);
    if (IsHeroObject(obj) || mode == MOVE_FLY_DEADLY) return 2;
    if (risingWalker) return 0;
    obj->LandOnBlock();
  }
  return CollideCeiling(obj);
}

void cScenePlay::ClampToViewX(cCharaBase* obj) {
  if (!IsHeroObject(obj) || !(m_ScrollX.IsScrolling() || obj->m_bFlying)) return;
  obj->UpdateScreenPos();
  const cPicRect& pic = obj->m_PicRect;
  if (pic.m_nLeft + pic.m_nOfsX < 0) {
    obj->m_bContactLeft = 1;
    obj->m_dPushLeft = 0;
    obj->m_dX = m_ScrollX.m_dPos;
    obj->AfterMoveX();
  } else if (pic.m_nRight - pic.m_nOfsX + 1 >= kViewW) {
    obj->m_bContactRight = 1;
    obj->m_dPushRight = 0;
    obj->m_dX = m_ScrollX.m_dPos + kViewW - obj->m_nHitW - 1.0;
    obj->AfterMoveX();
  }
}

int cScenePlay::ClampToViewY(cCharaBase* obj) {
  if (!IsHeroObject(obj) || !(m_ScrollY.IsScrolling() || obj->m_bFlying)) return 0;
  obj->UpdateScreenPos();
  const cPicRect& pic = obj->m_PicRect;
  if (pic.m_nTop + pic.m_nOfsY < 0) {
    obj->m_bContactTop = 1;
    obj->m_dPushTop = 0;
    obj->m_dY = m_ScrollY.m_dPos;
    obj->AfterMoveY();
  } else if (pic.m_nBottom - pic.m_nOfsY + 1 >= kViewH) {
    obj->m_bContactBottom = 1;
    obj->m_dPushBottom = 0;
    obj->m_dY = m_ScrollY.m_dPos + kViewH - obj->m_nHitH - 1.0;
    obj->AfterMoveY();
    if (!obj->m_bFlying) return 2;
  }
  return 0;
}

int cScenePlay::IsBoxBlocked(cCharaBase* obj) {
  if (MoveModeOf(*obj) == MOVE_FLY_THROUGH) return 0;
  const int corner = FindCornerCell(obj->m_nCellLeft, obj->m_nCellTop, obj->m_nCellRight, obj->m_nCellBottom,
                                    obj->m_nSide);
  if (CellHitCode(corner, obj->m_nSide) != 0) return 1;
  return OverlapsAnyBlockChara(obj, g_lstChara);
}

int cScenePlay::ApplySpecialBlock(cHero* hero) {
  if (hero->m_bFlying) return 0;
  const int steps = g_StageData.m_nStepsPerFrame;
  int result = 0;
  cMapCell* cell = hero->m_pCellBelow;
  if (cell && hero->m_nFloorEffectTime == 0 && CellHitCode(*cell, hero->m_nSide) != 0) {
    const int value = cell->m_nEffectValue;
    switch (cell->m_cEffect) {
      case 1:
        PlaySystemSound(10);
        hero->m_dSpeedY = hero->JumpHeightToSpeed(static_cast<int8_t>(value & 0xff));
        hero->m_bInAir = hero->m_bJumping = 1;
        hero->m_bJumpEnded = 0;
        hero->m_nJumpFrames = SpeedToFrames(hero->m_dSpeedY);
        if (cell->m_cItemKind != 0) result = TakeBlockItem(hero);
        break;
      case 2:
        hero->m_bNoJump = 1;
        break;
      case 3:
        hero->m_nFloorKind = 3;
        hero->m_dFloorRate = value * 0.01;
        hero->m_nFloorEffectTime = steps;
        break;
      case 4:
      case 5:
        hero->m_nFloorKind = cell->m_cEffect;
        hero->m_dFloorRate = value * 0.1 / g_StageData.m_dStepsPerFrame;
        hero->m_nFloorEffectTime = steps;
        break;
      default:
        break;
    }
    if (cell->m_cEffect != 2) hero->m_bNoJump = 0;
  }
  if (hero->m_nFloorEffectTime > 0) {
    switch (hero->m_nFloorKind) {
      case 3:
        hero->m_dSpeedX *= hero->m_dFloorRate;
        break;
      case 4:
        hero->m_dSpeedX -= hero->m_dFloorRate;
        if (hero->m_dInertiaX > 0) hero->m_dInertiaX = 0;
        break;
      case 5:
        hero->m_dSpeedX += hero->m_dFloorRate;
        if (hero->m_dInertiaX < 0) hero->m_dInertiaX = 0;
        break;
      default:
        break;
    }
    if (--hero->m_nFloorEffectTime == 0) GlueToFloor(hero);
  }
  return result;
}

int cScenePlay::TakeBlockItem(cHero* hero) {
  if (hero->m_bFlying) return 0;
  bool taken = false;
  cMapCell* cell = hero->m_pCellBelow;
  if (cell && hero->m_nBlockItemWait == 0 && CellHitCode(*cell, hero->m_nSide) != 0 && cell->m_cItemKind != 0) {
    if (const cItemData* def = GetPaletteItemData(cell->m_cItemKind, cell->m_sItemIndex)) {
      if (const int result = ApplyPaletteItem(*def, hero)) return result;
      hero->m_nBlockItemWait = 60 * g_StageData.m_nStepsPerFrame;
      taken = true;
    }
  }
  if (hero->m_nBlockItemWait > 0) {
    if (hero->m_bInAir) {
      hero->m_nBlockItemWait = 0;
    } else {
      --hero->m_nBlockItemWait;
      if (hero->m_pCellBelow && hero->m_pLandCell != hero->m_pPrevLandCell && !taken) {
        hero->m_nBlockItemWait = 0;
        GlueToFloor(hero);
      }
    }
  }
  return 0;
}

void cScenePlay::GlueToFloor(cCharaBase* obj) {
  if (SimpleGlueOn()) {
    if (obj->m_dSpeedY >= 0) obj->m_dSpeedY += 1.0;
    return;
  }
  const double steps = g_StageData.m_nStepsPerFrame;
  if (obj->m_dSpeedY < 0 || obj->m_dSpeedY > 1.0 / steps || obj->m_pRide || obj->m_bInAir) return;
  const double below = obj->m_dBottom + 4;
  const int index = FindSegmentCell(obj, obj->m_dX + obj->m_dSpeedX, below, obj->m_dRight + obj->m_dSpeedX, below);
  if (CellHitCode(index, obj->m_nSide) != 0) obj->m_dSpeedY = 7.0 / steps;
}

int NoFloorLimit() { return g_StageData.m_nSteps8; }
