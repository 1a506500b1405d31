// Items: set-up from their definition, placement in the map and the scale rule.
#include "objects/item.h"

#include "objects/charabase.h"
#include "scenes/sceneplay.h"
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
