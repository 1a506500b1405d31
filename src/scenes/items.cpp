// Items at play time: summoned into the list, taken by the hero on touch, from a block or from a
// shot, each running its command list at once.
#include <iterator>
#include <vector>

#include "objects/hero.h"
#include "objects/item.h"
#include "objects/objlists.h"
#include "scenes/collision.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/edshot.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"
#include "stagedata/stagedata.h"

namespace {

// The item's appearance conditions, the hero their subject; without a play scene only an item with
// no conditions, or one already latched, appears.
int ItemAppears(cItem& item) {
  if (g_pScenePlay) return g_pScenePlay->CheckItemCond(&item);
  return item.m_Item.m_vCond.empty() || (item.m_Item.m_bCondLatch && item.m_bAppearLatched);
}

bool Takeable(const cItem& item) { return item.m_Item.m_sGraphic != 0 && item.m_Item.m_cTakeMode != ITEM_TAKE_NEVER; }

}  // namespace

int SpawnItem(cCheckedList<cItem>& list, double x, double y, const cFlowCmd& summon, const cItemData& def,
              int* nextId) {
  cItem temp;
  temp.Init(*nextId, def, 0);
  temp.m_dX = x + temp.m_PicRect.m_nOfsX;
  temp.m_dY = y + temp.m_PicRect.m_nOfsY;
  temp.m_dRight = temp.m_dX + temp.m_nHitW - 1;
  temp.m_dBottom = temp.m_dY + temp.m_nHitH - 1;
  if (!temp.IsInStage(1)) return 0;
  temp.CheckBoundsX(2);
  temp.CheckBoundsY(2);
  if (summon.m_pEdShot && summon.m_pEdShot->m_bLifeOn)
    temp.m_nLifeTime = summon.m_pEdShot->m_sLife * g_StageData.m_nStepsPerFrame * 6;
  list.push_back(temp);
  ++*nextId;
  return 1;
}

int ApplyItem(cItem* item, cHero* hero) {
  if (!item || !hero || !Takeable(*item) || !ItemAppears(*item)) return 0;
  const cItemData& d = item->m_Item;
  if (d.m_bPopup) hero->ShowPopup(d.m_cGraphicKind, d.m_sGraphic, d.m_sGraphicSub);
  PlayDataSound(d.m_sSound);
  // The item may be erased by its own commands: they run from a copy.
  const cCheckedVector<cFlowCmd> cmds = d.m_vCmd;
  return hero->RunItemCommands(cmds);
}

int ApplyPaletteItem(const cItemData& def, cHero* hero) {
  cItem temp;
  temp.Init(0, def, 1);
  return ApplyItem(&temp, hero);
}

int cScenePlay::TakeItems(cHero* hero) {
  if (!hero) return 0;
  // The items are visited by number: a command list may add or erase items, this one included.
  std::vector<int> order;
  order.reserve(g_lstItem.size());
  for (const cItem& item : g_lstItem) order.push_back(item.m_nObjNo);
  auto cursor = g_lstItem.begin();
  for (const int no : order) {
    auto it = cursor;
    while (it != g_lstItem.end() && it->m_nObjNo != no) ++it;
    if (it == g_lstItem.end()) {
      for (it = g_lstItem.begin(); it != g_lstItem.end() && it->m_nObjNo != no;) ++it;
      if (it == g_lstItem.end()) continue;
    }
    cursor = std::next(it);
    cItem& item = *it;
    if (item.m_bCarried || !Takeable(item) || !CheckItemCond(&item)) continue;
    const cHitRect& r = hero->m_ItemRect;
    if (!BoxesOverlap(r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom, item.m_dX, item.m_dY, item.m_dRight,
                      item.m_dBottom)) {
      if (item.m_Item.m_cTakeMode == ITEM_TAKE_ALWAYS) hero->RemoveFromContactList(no);
      continue;
    }
    hero->RaiseTriggerEx(FLOW_TRIG_TOUCH_ITEM, nullptr, 0);
    if (item.m_Item.m_cTakeMode == ITEM_TAKE_ALWAYS) {
      if (!hero->IsNotInContactList(no)) continue;
      hero->m_lTouchedItems.push_back(no);
    }
    const int takeMode = item.m_Item.m_cTakeMode;
    const int result = ApplyItem(&item, hero);
    // Found again by number: the commands may have moved or erased it, or others.
    cursor = g_lstItem.begin();
    while (cursor != g_lstItem.end() && cursor->m_nObjNo != no) ++cursor;
    if (cursor != g_lstItem.end()) {
      if (takeMode == ITEM_TAKE_ONCE)
        cursor = g_lstItem.erase(cursor);
      else
        ++cursor;
    }
    if (result) return result;
  }
  return 0;
}
