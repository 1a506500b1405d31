#include "objects/gameobj.h"

#include <cmath>

#include "gfx/globals.h"
#include "objects/cellhit.h"
#include "scenes/sceneplay.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagesub.h"

namespace {

constexpr int kViewW = 640;
constexpr int kViewH = 480;

const cScrollAxis& AxisX() {
  static const cScrollAxis none;
  return g_pScenePlay ? g_pScenePlay->m_ScrollX : none;
}
const cScrollAxis& AxisY() {
  static const cScrollAxis none;
  return g_pScenePlay ? g_pScenePlay->m_ScrollY : none;
}

// The screen coordinate of a picture edge on one axis.
int ScreenEdge(double pos, int ofs, const cScrollAxis& axis, bool flying, bool scrollSync, int scrollingExtra) {
  if (flying && !axis.IsScrolling()) return TruncToInt(pos) - TruncToInt(axis.m_dPos) - ofs;
  if (flying && scrollSync) return TruncToInt(pos - axis.m_dPos) - ofs + scrollingExtra;
  return TruncToInt(pos - ofs - TruncToInt(axis.m_dPos));
}

}  // namespace

void cGameObj::CopyFrom(const cGameObj& other) { cGameObj::operator=(other); }
void cGameObj::ScaleRects(int) {}
void cGameObj::AdjustYForScale(int, int, int) {}
void cGameObj::UpdateRectsX() {}
void cGameObj::UpdateRectsY() {}
void cGameObj::SetCentre(int, int) {}
void cGameObj::SetCentreAndClear(int, int, cCmdInstance&) {}
void cGameObj::SetCentreX(int) {}
void cGameObj::SetCentreXAndClear(int, cCmdInstance&) {}
void cGameObj::SetCentreY(int) {}
void cGameObj::SetCentreYAndClear(int, cCmdInstance&) {}

void cGameObj::Init(int objNo, int operation, int controller, int side, int graphicNo, const cAnimFrameTable* table,
                    int startSeq, int picOfsX, int picOfsY, int boxW, int boxH, int picW, int picH, int facing,
                    int moveMode, int16_t level) {
  m_nObjNo = objNo;
  m_nOperation = operation;
  m_nController = controller;
  m_nSide = side;
  m_nGraphicNo = graphicNo;
  m_sParamLevel = level;
  m_nLifeTime = kLifeUnlimited;
  if (table) {
    m_AnimSeq.Build(table);
    m_AnimSeq.Set(startSeq, 1);
  }
  m_PicRect.m_nBaseOfsX = m_PicRect.m_nOfsX = picOfsX;
  m_PicRect.m_nBaseOfsY = m_PicRect.m_nOfsY = picOfsY;
  m_PicRect.m_nBaseW = m_PicRect.m_nW = picW;
  m_PicRect.m_nBaseH = m_PicRect.m_nH = picH;
  m_nBaseHitW = m_nHitW = boxW;
  m_nBaseHitH = m_nHitH = boxH;
  m_dSpeedX = m_dSpeedY = 0;
  m_dInertiaX = m_dInertiaY = 0;
  m_nFacing = facing;
  m_bActive = m_bOnScreen = m_bAppearLatched = 0;
  SetMoveMode(moveMode);
}

void cGameObj::SetMoveMode(int mode) {
  static constexpr struct {
    int m_bFlying, m_nBlockMode;
  } kModes[] = {{0, BLOCK_STOP}, {1, BLOCK_PASS}, {1, BLOCK_STOP}, {1, BLOCK_DIE}};
  if (mode < 0 || mode >= static_cast<int>(std::size(kModes))) return;
  m_bFlying = kModes[mode].m_bFlying;
  m_nBlockMode = kModes[mode].m_nBlockMode;
}

void cGameObj::SetScale(int newScale, int oldScale, int flag) {
  if (newScale == oldScale) return;
  m_nHitW = m_nBaseHitW * newScale;
  m_nHitH = m_nBaseHitH * newScale;
  m_PicRect.m_nOfsX = m_PicRect.m_nBaseOfsX * newScale;
  m_PicRect.m_nOfsY = m_PicRect.m_nBaseOfsY * newScale;
  m_PicRect.m_nW = m_PicRect.m_nBaseW * newScale;
  m_PicRect.m_nH = m_PicRect.m_nBaseH * newScale;
  ScaleKeepX(newScale, oldScale, flag);
  ScaleRects(newScale);
}

void cGameObj::ScaleKeepX(int newScale, int oldScale, int flag) {
  ScaleShiftX(newScale, oldScale);
  AdjustYForScale(newScale, oldScale, flag);
}

void cGameObj::ScaleShiftX(int newScale, int oldScale) {
  m_dX -= static_cast<double>((newScale - oldScale) * (m_nBaseHitW / 2));
  CheckBoundsX(2);
}

void cGameObj::UpdateScreenPos() {
  const bool flying = m_bFlying != 0;
  m_PicRect.m_nLeft = ScreenEdge(m_dX, m_PicRect.m_nOfsX, AxisX(), flying, m_bScrollSync != 0, 0);
  m_PicRect.m_nRight = m_PicRect.m_nLeft + m_PicRect.m_nW - 1;
  // Vertically a flying object is drawn one pixel lower while the view scrolls by itself.
  m_PicRect.m_nTop = ScreenEdge(m_dY, m_PicRect.m_nOfsY, AxisY(), flying, true, 1);
  m_PicRect.m_nBottom = m_PicRect.m_nTop + m_PicRect.m_nH - 1;
}

int cGameObj::IsOnScreen() const { return IsOnScreenEx(0, 0); }

int cGameObj::IsOnScreenEx(int ignoreX, int ignoreY) const {
  const double sx = AxisX().m_dPos, sy = AxisY().m_dPos;
  const bool inX = ignoreX || (m_dRight >= sx && sx + kViewW > m_dX);
  const bool inY = ignoreY || (m_dBottom >= sy && sy + kViewH > m_dY);
  return inX && inY;
}

int cGameObj::IsInStage(int wholeGrid) const {
  const cScrollAxis& ax = AxisX();
  const cScrollAxis& ay = AxisY();
  if (wholeGrid) return m_dX >= 0 && m_dRight < ax.m_nOuterRange && m_dY >= 0 && m_dBottom < ay.m_nOuterRange;
  return ax.m_nStageMin <= m_dX && m_dRight < ax.m_nStageMax && ay.m_nStageMin <= m_dY &&
         m_dBottom < ay.m_nStageMax;
}

int cGameObj::IsOutOfArea(const cStageSubRec& settings) const {
  if (m_bOnScreen) return 0;
  const double sx = AxisX().m_dPos, sy = AxisY().m_dPos;
  if (settings.m_bLeft && TruncToInt(sx - settings.m_nLeft * 32.0) >= m_dRight) return 1;
  if (settings.m_bRight && TruncToInt(sx + settings.m_nRight * 32.0 + kViewW) <= m_dX) return 1;
  if (settings.m_bBottom && TruncToInt(settings.m_nBottom * 32.0 + sy + kViewH) <= m_dY) return 1;
  if (settings.m_bTop && TruncToInt(sy - settings.m_nTop * 32.0) >= m_dBottom) return 1;
  return m_dX <= 0 || m_dRight >= AxisX().m_nOuterRange - 1 || m_dY <= 0 ||
         m_dBottom >= AxisY().m_nOuterRange - 1;
}

int cGameObj::IsInBlock() const {
  const int shift = AxisX().m_nShift;
  for (int row : {m_nCellTop, m_nCellBottom}) {
    for (int col : {m_nCellLeft, m_nCellRight}) {
      const int64_t index = col + (int64_t{row} << shift);
      const int i = index < INT_MIN || index > INT_MAX ? -1 : static_cast<int>(index);
      if (CellHitCode(i, m_nSide) != 0) return 1;
    }
  }
  return 0;
}

int AltPictureIndex(int index, int flag) {
  if (lpDTCon) return index;
  auto present = [](int i) {
    return DDAppSurfaces && i >= 0 && i < DDAppCount && DDAppSurfaces[i].szFileName[0] != '\0';
  };
  if (flag ? present(index + 18) : !present(index)) return index + 18;
  return index;
}
