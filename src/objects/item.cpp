// Items: set-up from their definition, placement in the map and the scale rule.
#include "objects/item.h"

#include <algorithm>

#include "gamedata/systemini.h"
#include "gfx/blit.h"
#include "gfx/globals.h"
#include "objects/charabase.h"
#include "objects/objdraw.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/stagedata.h"

const cAnimFrameTable g_ItemFrameTable = {{{0, 15, 1}, {1, 15, 1}, {-2, 0, 0}}};

namespace {

int Margin(bool vertical) {
  if (!g_pScenePlay) return cScrollAxis::kMarginCells;
  return (vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX).m_nMarginCells;
}

}  // namespace

cItem::cItem() = default;
cItem::cItem(const cItem& other) : cGameObj(other), m_Item(other.m_Item), m_bCarried(other.m_bCarried) {}

cItem& cItem::operator=(const cItem& other) {
  if (this == &other) return *this;
  cGameObj::operator=(other);
  m_Item = other.m_Item;
  m_bCarried = other.m_bCarried;
  return *this;
}

void cItem::ScaleRects(int) {}
void cItem::UpdateRectsX() {}
void cItem::UpdateRectsY() {}

void cItem::AdjustYForScale(int newScale, int oldScale, int) {
  if (newScale == oldScale) return;
  m_dY -= (newScale - oldScale) * (m_nBaseHitH + m_PicRect.m_nBaseOfsY);
  CheckBoundsY(2);
}

void cItem::Init(int objNo, const cItemData& def, int carried) {
  m_Item = def;
  if (m_Item.m_cScale < 1) m_Item.m_cScale = 1;
  const int w = g_StageData.Layout(LAYOUT_ITEM_BOX_W), h = g_StageData.Layout(LAYOUT_ITEM_BOX_H);
  cGameObj::Init(objNo, 0, 0, 0, m_Item.m_sGraphic, &g_ItemFrameTable, 0, 16 - w / 2, 16 - h / 2, w, h, 32, 32, 0,
                 MOVE_FLY_THROUGH, 0);
  m_bScrollSync = 0;
  m_bCarried = carried;
  if (carried)
    m_bAppearLatched = 1;
  else
    SetScale(m_Item.m_cScale, 1, 0);
  cCharaBase::ExpandLoopCmds(m_Item.m_vCmd);
}

void cItem::SetCellPos(int column, int row, int flag) {
  m_dX = (column + Margin(false)) * 32 + m_PicRect.m_nBaseOfsX + 0.5;
  m_dY = (row + Margin(true)) * 32 + m_PicRect.m_nBaseOfsY;
  ScaleKeepX(m_Item.m_cScale, 1, flag);
  CheckBoundsX(2);
  CheckBoundsY(2);
}

void cItem::Draw(DDSURFACEDATA* target, int advance) {
  if (m_Item.m_bHidden) return;
  const int value = advance ? m_AnimSeq.Tick() : m_AnimSeq.GetValue();
  UpdateScreenPos();
  const cPicRect& p = m_PicRect;
  const int scale = std::max<int>(1, m_Item.m_cScale);
  cDrawSource src;
  SelectGraphicSource(src, 2, m_Item.m_cGraphicKind, m_nGraphicNo, m_Item.m_sGraphicSub, this, value);
  // A source with a size of its own is stretched when that size is not the item's.
  const bool stretched = src.m_nSize != 0 ? src.m_nSize != scale : scale > 1;
  if (stretched)
    DDStretchBlt(target, p.m_nLeft, p.m_nTop, p.m_nW, p.m_nH, src.m_pUse, src.m_nSrcX, src.m_nSrcY, p.m_nBaseW,
                 p.m_nBaseH, 1);
  else
    DDBlt(target, p.m_nLeft, p.m_nTop, p.m_nBaseW, p.m_nBaseH, src.m_pUse, src.m_nSrcX, src.m_nSrcY, 1);
  if (m_Item.m_cOverlay != 1) return;
  const int c = m_Item.m_sOverlay;
  const int sx = (c / 15) * 32, sy = (c % 15) * 32;
  if (scale == 1) {
    DDBlt(target, p.m_nLeft, p.m_nTop, 32, 32, &g_AppSurface[kMarkSheet], sx, sy, 1);
    return;
  }
  // Scaled marks come from the sheet's second surface, except where DirectDraw stretches itself.
  const bool ddStretch = !lpDTCon && g_SystemIni.DD_VideoStretch;
  DDSURFACEDATA* sheet = &g_AppSurface[ddStretch ? kMarkSheet : kMarkSheet + 1];
  DDStretchBlt(target, p.m_nLeft, p.m_nTop, p.m_nW, p.m_nH, sheet, sx, sy, p.m_nBaseW, p.m_nBaseH, 1);
}
