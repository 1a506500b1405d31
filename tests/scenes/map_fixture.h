// A play scene over a small block map of passable cells, with objects whose moves keep their edges
// and cells up to date, and a main window that records the sounds the scene asks for.
#pragma once
#include <gtest/gtest.h>

#include <list>
#include <vector>

#include "core/mainwnd.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "platform/win/messages.h"
#include "scenes/collision.h"
#include "support/play_fixture.h"

// The objects' own moves only refresh the box here: the view does not follow and nothing clamps.
template <class Base>
struct MapObj : Base {
  int AfterMoveX() override { return this->CheckBoundsX(2); }
  int AfterMoveY() override { return this->CheckBoundsY(2); }
};
using TestHero = MapObj<cHero>;
using TestChara = MapObj<cChara>;

class MapTest : public PlayTest {
 protected:
  static std::vector<int>& Sounds() {
    static std::vector<int> sounds;
    return sounds;
  }
  static LRESULT SoundProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WMU_PLAYSOUND) Sounds().push_back(static_cast<int>(wParam));
    return 0;
  }

  void SetUp() override {
    PlayTest::SetUp();
    Sounds().clear();
    g_hMainWnd = CreateWindowStandIn("MapTestWindow");
    SetWindowProcStandIn(g_hMainWnd, &SoundProc);
    MakeMap(20, 15);
  }
  void TearDown() override {
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    g_MapCells.clear();
    PlayTest::TearDown();
  }

  // A stage of w x h cells (the map adds 10 cells on every side), every cell passable; the view at
  // the stage's top-left corner.
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
  // Map cell (column, row), counted over the whole map with its margins.
  static cMapCell& Cell(int column, int row) { return g_MapCells.At(CellIndexOf(column, row)); }
  static cMapCell& Solid(int column, int row, int hit = 1) {
    cMapCell& c = Cell(column, row);
    c.m_cHit = static_cast<int8_t>(hit);
    return c;
  }

  // Puts the object's w x h box at (x, y), walking, scale 1, taking part.
  template <class T>
  static T& Place(T& obj, double x, double y, int w = 16, int h = 24) {
    obj.m_nHitW = obj.m_nBaseHitW = w;
    obj.m_nHitH = obj.m_nBaseHitH = h;
    obj.m_PicRect.m_nW = obj.m_PicRect.m_nBaseW = w;
    obj.m_PicRect.m_nH = obj.m_PicRect.m_nBaseH = h;
    obj.m_Chara.m_cScale = 1;
    obj.m_bActive = 1;
    obj.SetMoveMode(0);
    obj.m_dX = x;
    obj.m_dY = y;
    obj.CheckBoundsX(2);
    obj.CheckBoundsY(2);
    return obj;
  }
  TestChara& NewChara(int objNo, double x, double y, int w = 16, int h = 24) {
    charas_.emplace_back();
    charas_.back().m_nObjNo = objNo;
    return Place(charas_.back(), x, y, w, h);
  }

  std::list<TestChara> charas_;
};
