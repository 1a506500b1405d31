// The containers of the stage's flow-driven objects, rebuilt by stage set-up. Objects are linked to
// each other by address: the hero vector is sized before play and never grows during it, and
// characters live in a list.
#pragma once
#include "core/checked.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/item.h"

class cInput;

// Element 0 is the hero.
extern cCheckedVector<cHero> g_vHero;
extern cCheckedList<cChara> g_lstChara;
// The items lying in the stage.
extern cCheckedList<cItem> g_lstItem;

// Element 0 of the hero vector, or null.
cCharaBase* GetHero();
// The input record key sequences are matched against: the hero's, or device 0 without one.
const cInput& HeroInput();
// The object with the number, looked up in the hero vector and then in the character list; null
// for a number no object has (a removed object's).
cCharaBase* FindObjById(int objNo);
// Makes obj the character's target in the slot, keeping the back-links of both sides in step. With
// clearFirst the slot is emptied first, so a null obj leaves it empty; without it a null obj leaves
// the slot as it was.
int SetCharaTarget(cCharaBase* chara, int slot, cCharaBase* obj, int clearFirst);
