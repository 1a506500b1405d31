#include "objects/objlists.h"

#include <algorithm>

#include "gamedata/input.h"

cCheckedVector<cHero> g_vHero;
cCheckedList<cChara> g_lstChara;
cCheckedList<cItem> g_lstItem;

cCharaBase* GetHero() { return g_vHero.empty() ? nullptr : &g_vHero[0]; }

const cInput& HeroInput() {
  if (!g_vHero.empty() && g_vHero[0].m_pInput) return *g_vHero[0].m_pInput;
  return g_vInput.At(0);
}

cCharaBase* FindObjById(int objNo) {
  for (cHero& h : g_vHero)
    if (h.m_nObjNo == objNo) return &h;
  for (cChara& c : g_lstChara)
    if (c.m_nObjNo == objNo) return &c;
  return nullptr;
}

int SetCharaTarget(cCharaBase* chara, int slot, cCharaBase* obj, int clearFirst) {
  if (!chara) return 0;
  cCharaBase*& target = chara->m_pTarget.At(slot);
  if (!clearFirst && !obj) return 0;
  if (cCharaBase* previous = target) {
    cCheckedVector<cObjLink>& links = previous->m_vBackLink;
    const cObjLink mine{chara, slot};
    links.erase(std::remove(links.begin(), links.end(), mine), links.end());
    target = nullptr;
  }
  if (!obj) return 1;
  target = obj;
  const cObjLink mine{chara, slot};
  if (std::find(obj->m_vBackLink.begin(), obj->m_vBackLink.end(), mine) == obj->m_vBackLink.end())
    obj->m_vBackLink.push_back(mine);
  return 1;
}
