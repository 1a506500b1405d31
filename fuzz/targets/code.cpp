// The code line language: any text, any nesting, any number runs or fails on a character of a play
// scene without a fault, and its value reading (the one that conditions and statuses share) too.
#include <cstdint>
#include <string>

#include "flow/code.h"
#include "gamedata/input.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/database.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "support.h"

namespace {

// Two characters on a stage of 40 x 30 passable cells, the view at its top-left.
cChara& Body(int objNo, double x, double y, int hp) {
  cChara& c = g_lstChara.emplace_back();
  c.m_nObjNo = objNo;
  c.m_nOperation = 1;
  c.m_nFacing = 1;
  c.m_PicRect.m_nW = c.m_PicRect.m_nH = 32;
  c.m_PicRect.m_nBaseW = c.m_PicRect.m_nBaseH = 32;
  c.m_nHitW = c.m_nHitH = 32;
  c.m_Chara.m_nMaxHP = 100;
  c.m_nHP = hp;
  c.m_dX = x;
  c.m_dY = y;
  c.m_dRight = x + c.m_nHitW - 1;
  c.m_dBottom = y + c.m_nHitH - 1;
  c.UpdateScreenPos();
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static cScenePlay* scene = [] {
    auto* s = new cScenePlay;
    g_pScenePlay = s;
    s->m_ScrollX.m_nOuterRange = s->m_ScrollY.m_nOuterRange = 4096;
    s->m_ScrollX.SetGeometry(0, 40, 40 * 32);
    s->m_ScrollY.SetGeometry(1, 30, 30 * 32);
    for (cScrollAxis* a : {&s->m_ScrollX, &s->m_ScrollY}) {
      a->m_nMin = a->m_nStageMin;
      a->m_nMax = a->m_nStageMax;
      a->m_dPos = a->m_nStageMin;
    }
    cBlockData empty;
    empty.m_cHit = 0;
    g_MapCells.assign((30 + 20) * s->m_ScrollX.m_nRowStride, cMapCell(empty));
    return s;
  }();
  (void)scene;
  if (size > 4096) return 0;
  g_SystemData = cSystemData();
  g_StageData = cStageData();
  g_StageData.SetCollisionLevel(1);
  g_Database.SetDefaults();
  g_SaveData.Reset(0);
  g_vInput.assign(2, cInput());
  g_lstChara.clear();
  cChara& me = Body(1, 400, 400, 95);
  cChara& target = Body(2, 500, 400, 30);
  me.m_pTarget.At(0) = &target;
  const std::string line(reinterpret_cast<const char*>(data), size);
  const int ran = RunCode(line, &me);
  FUZZ_CHECK(ran == 0 || ran == 1);
  ParseCode(line, &target);
  FuzzTakeMessages();
  g_lstChara.clear();
  return 0;
}
