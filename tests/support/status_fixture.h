// Play-scene objects for status operations, code lines and warps: a stage of 40 x 30 cells with its
// margins, the view at the stage's top-left, a main window that collects close requests and message
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
    SetAxis(scene_.m_ScrollX, 40, 640);
    SetAxis(scene_.m_ScrollY, 30, 480);
    RandSeed(1);
  }
  void TearDown() override {
    EXPECT_EQ(TakeCloseRequests(), 0) << "no checked access failed";
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    msgbox::Reset();
    PlayTest::TearDown();
  }

  static void SetAxis(cScrollAxis& a, int cells, int view) {
    a.m_nMarginCells = cScrollAxis::kMarginCells;
    a.m_nViewSize = view;
    a.m_nStageMin = cScrollAxis::kMarginCells * 32;
    a.m_nStageMax = (cScrollAxis::kMarginCells + cells) * 32;
    a.m_nMin = a.m_nStageMin;
    a.m_nMax = a.m_nStageMax;
    a.m_nOuterRange = (cells + 2 * cScrollAxis::kMarginCells) * 32;
    a.m_dPos = a.m_nStageMin;
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
