// Play-scene objects for status operations, code lines and warps: a stage of 40 x 30 passable cells
// with its margins, the view at the stage's top-left, a main window that collects close requests and message
// boxes recorded from a clean slate. Characters are 32 x 32 pictures with a 32 x 32 box.
#pragma once
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "core/random.h"
#include "flow/code.h"
#include "flow/statusops.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "support/closerequests.h"
#include "support/play_fixture.h"
#include "support/test_logs.h"

class StatusTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    msgbox::Reset();
    g_hMainWnd = CreateWindowStandIn("status");
    MakeMap(40, 30);
    RandSeed(1);
  }
  void TearDown() override {
    EXPECT_EQ(TakeCloseRequests(), 0) << "no checked access failed";
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    msgbox::Reset();
    g_MapCells.clear();
    PlayTest::TearDown();
  }

  // A stage of w x h passable cells (the map adds 10 cells on every side); the view at the stage's
  // top-left corner.
  void MakeMap(int w, int h) {
    scene_.m_ScrollX.SetGeometry(0, w, w * 32);
    scene_.m_ScrollY.SetGeometry(1, h, h * 32);
    for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
      a->m_nMin = a->m_nStageMin;
      a->m_nMax = a->m_nStageMax;
      a->m_dPos = a->m_nStageMin;
    }
    cBlockData empty;
    empty.m_cHit = 0;
    g_MapCells.assign((h + 20) * scene_.m_ScrollX.m_nRowStride, cMapCell(empty));
  }

  // A character with its box's top-left at map pixel (x, y), HP hp of maxHP.
  static cChara& Body(int objNo, double x, double y, int hp = 50, int maxHP = 100) {
    cChara& c = AddChara(objNo);
    c.m_PicRect.m_nW = c.m_PicRect.m_nH = 32;
    c.m_PicRect.m_nBaseW = c.m_PicRect.m_nBaseH = 32;
    c.m_nHitW = c.m_nHitH = 32;
    c.m_Chara.m_nMaxHP = maxHP;
    c.m_nHP = hp;
    Place(c, x, y);
    return c;
  }
  static void Place(cCharaBase& c, double x, double y) {
    c.m_dX = x;
    c.m_dY = y;
    c.m_dRight = x + c.m_nHitW - 1;
    c.m_dBottom = y + c.m_nHitH - 1;
    c.UpdateScreenPos();
  }

  static std::vector<std::string> Boxes() { return TakeBoxTexts(); }
};
