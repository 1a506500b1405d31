// The state game objects read: a play scene without surfaces whose view shows a 40 x 30 cell stage,
// the stage's sub-step values, the system data's switches, the database and its frame tables and
// players, and a main window that collects close requests. Restored after each test.
#pragma once
#include <gtest/gtest.h>

#include "core/mainwnd.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/effectplayer.h"
#include "platform/win/messages.h"
#include "scenes/sceneplay.h"
#include "stagedata/database.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "support/closerequests.h"

// One axis of a stage of `cells` cells with 10 cells of margin each side; the scroll range is the
// stage's.
inline cScrollAxis StageAxis(int axis, int cells) {
  cScrollAxis a;
  a.m_nAxis = axis;
  a.m_nViewSize = axis == 0 ? 640 : 480;
  a.m_nStageMin = 320;
  a.m_nStageMax = (cells + 10) * 32;
  a.m_nMin = a.m_nStageMin;
  a.m_nMax = a.m_nStageMax;
  a.m_nMarginCells = 10;
  a.m_nOuterRange = cells * 32 + 640;
  a.m_nMapCells = cells + 20;
  if (axis == 0) {
    while ((1 << a.m_nShift) < cells + 20) ++a.m_nShift;
    a.m_nRowStride = 1 << a.m_nShift;
  } else {
    a.m_nRowStride = cells + 20;
  }
  return a;
}

class ObjectsTest : public ::testing::Test {
 protected:
  static constexpr int kStageW = 40;
  static constexpr int kStageH = 30;

  void SetUp() override {
    Restore();
    scene_.m_ScrollX = StageAxis(0, kStageW);
    scene_.m_ScrollY = StageAxis(1, kStageH);
    scene_.m_ScrollX.m_dPos = 320;
    scene_.m_ScrollY.m_dPos = 320;
    g_pScenePlay = &scene_;
    RegisterScenePlayChecks();
    g_StageData.m_dGravitySetting = 0.4;
    g_StageData.SetCollisionLevel(10);
    g_hMainWnd = CreateWindowStandIn("Tessaly");
  }
  void TearDown() override {
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    g_pScenePlay = nullptr;
    SetBlockCondCheck(nullptr);
    Restore();
  }
  static void Restore() {
    g_StageData = cStageData();
    g_SystemData = cSystemData();
    g_Database.SetDefaults();
    g_Database.m_vCharaEffectRev.clear();
    g_Database.m_vScrEffectRev.clear();
    g_AnimeFrameTables.clear();
    g_EffectFrameTables.clear();
    for (auto* v : {&g_CharaEffectFwd, &g_CharaEffectRev}) v->clear();
    for (auto* v : {&g_ScrEffectFwd, &g_ScrEffectRev}) v->clear();
    g_MapCells.clear();
  }

  cScenePlay scene_;
};
