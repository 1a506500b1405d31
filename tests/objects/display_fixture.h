// The display objects of the play screen drawn for real, in the 32-bit DirectDraw mode unless a test
// asks for another: a play scene
// whose view stands at (400.3, 352.7) of a stage with 10 cells of margin, the message font made from
// the built-in test face (8 pixels a half-width character, 16 a line), the extra-life mark's picture,
// one character with a known picture rectangle, and a main window that collects close requests.
#pragma once
#include <gtest/gtest.h>

#include "core/mainwnd.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/draw_fixture.h"
#include "gfx/font.h"
#include "gfx/init.h"
#include "objects/objlists.h"
#include "platform/text/fontface.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"
#include "stagedata/effect.h"
#include "support/closerequests.h"

class DisplayTest : public DrawTest {
 public:
  static constexpr int kCharaNo = 40;

 protected:
  virtual DrawMode Mode() const { return {"DD32", 0, 32}; }

  void SetUp() override {
    DrawTest::SetUp();
    StartMode(Mode());
    g_hMainWnd = hwnd_;
    scene_.m_ScrollX.m_nMarginCells = 10;
    scene_.m_ScrollY.m_nMarginCells = 10;
    scene_.m_ScrollX.m_dPos = 400.3;
    scene_.m_ScrollY.m_dPos = 352.7;
    g_pScenePlay = &scene_;
    g_SaveData.m_vCommonVar.assign(1001, 0);
    g_SystemData = cSystemData();
    g_SystemIni = cSystemIni();
    ASSERT_TRUE(g_Font[1].Create(text::kTestFaceName, 0, 16, 0, 16, IndexOf('W'), nullptr, 0, 0, nullptr, 0));
    // The extra-life mark: 16 x 16 at (0, 48), red on a blue sheet.
    std::vector<std::string> rows(64, std::string(16, 'B'));
    for (int y = 48; y < 64; ++y) rows[y] = std::string(16, 'R');
    LoadPicture(&g_AppSurface[50], "accessory.bmp", rows, 1);
    cChara& c = g_lstChara.emplace_back();
    c.m_nObjNo = kCharaNo;
    c.m_PicRect.m_nLeft = 100;
    c.m_PicRect.m_nTop = 200;
    c.m_PicRect.m_nW = 32;
    c.m_PicRect.m_nH = 48;
    c.m_PicRect.m_nRight = 131;
    c.m_PicRect.m_nBottom = 247;
    chara_ = &c;
    Clear();
    TakeCloseRequests();
  }
  void TearDown() override {
    DDReleaseSurfaceList(Off_Msg);
    Off_Msg.clear();
    g_lstMesBD.clear();
    DDReleaseSurfaceVector(g_vEffectSD);
    g_vEffectSD.clear();
    g_vEffectBD.clear();
    DDReleaseSurface(&g_AppSurface[50]);
    ReleaseFontObject(&g_Font[1]);
    g_lstChara.clear();
    g_vHero.clear();
    g_Database.SetDefaults();
    g_EffectFrameTables.clear();
    g_SaveData.m_vCommonVar.clear();
    g_pScenePlay = nullptr;
    g_hMainWnd = nullptr;
    SetVideoMemoryQuery(nullptr);
    DrawTest::TearDown();
  }

  static void Clear() { DDFillSurfaceColour(&BackBuffer, 'N'); }
  // The top-left pixel of the first row that holds the letter in the back buffer, or (-1, -1).
  static POINT Find(char letter) {
    const std::vector<std::string> rows = Grid(&BackBuffer);
    for (size_t y = 0; y < rows.size(); ++y) {
      const size_t x = rows[y].find(letter);
      if (x != std::string::npos) return {static_cast<LONG>(x), static_cast<LONG>(y)};
    }
    return {-1, -1};
  }
  // Pixels of the letter in a rectangle of the back buffer.
  static int Count(char letter, int x, int y, int w, int h) {
    int n = 0;
    for (const std::string& row : Grid(&BackBuffer, x, y, w, h))
      for (char c : row) n += c == letter;
    return n;
  }

  cScenePlay scene_;
  cChara* chara_ = nullptr;
};

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& os, const POINT& p) { return os << "(" << p.x << ", " << p.y << ")"; }
