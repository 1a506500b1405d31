#include "objects/meswindow.h"

#include "display_fixture.h"

namespace {

// The settings of a window, with the defaults most cases share: a text window placed at the screen
// centre, fixed, until the stage ends, without the opening.
struct Win {
  int kind = MESWIN_TEXT;
  std::string text;
  int mode = 0, unit = 0, x = 0, y = 0, dx = 0, dy = 0;
  int keep = 0, fixed = 1, timeMode = MESTIME_UNTIL_END, time = 30, countFrozen = 0, owner = 0, noOpening = 1;
  int expand = 0, refresh = 0, interval = 0, box = 0;
};

cMesWindow Make(const Win& w) {
  return cMesWindow(w.kind, w.text, 0, 0, 0, w.mode, w.unit, w.x, w.y, w.dx, w.dy, w.keep, w.fixed, w.timeMode, w.time,
                    w.countFrozen, w.owner, w.noOpening, w.expand, w.refresh, w.interval, w.box, 0, 0);
}

// The extra-life mark, whose 16 x 16 red square shows where a window lands.
Win Mark(int mode, int unit, int x, int y, int dx = 0, int dy = 0) {
  Win w;
  w.kind = MESWIN_FIXED_ICON;
  w.mode = mode;
  w.unit = unit;
  w.x = x;
  w.y = y;
  w.dx = dx;
  w.dy = dy;
  w.owner = DisplayTest::kCharaNo;
  return w;
}

class MesWindowTest : public DisplayTest {
 protected:
  POINT DrawnAt(cMesWindow& w) {
    Clear();
    EXPECT_EQ(w.Draw(&BackBuffer, 0), 0);
    return Find('R');
  }
};

TEST_F(MesWindowTest, ExpandsVariableReferences) {
  g_SaveData.m_vCommonVar[12] = 345;
  g_SaveData.m_vCommonVar[4] = -5;
  g_SaveData.m_vCommonVar[2] = 77;
  scene_.m_vStageVar[3] = 7;
  scene_.m_vStageVar[2] = 66;
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"#12C", "345"},
      {"#12C_5", "  345"},
      {"#12C_5Z", "00345"},
      {"#3S_P.", "+7"},
      {"#3s_p.!", "+7!"},
      {"#4C_3", "-  5"},
      {"#0C", "#0C"},
      {"#1001C", "#1001C"},
      {"#99999999999999999999C", "#99999999999999999999C"},  // no overflow: past 1000 it stays
      {"#C", "#C"},
      {"#12", "#12"},
      {"#2SC", "77"},  // the common variable wins
      {"x#12c,#12C.", "x345,345"},
      {"#12C_93", "345"},  // the last width digit counts
      {"\x82\xa0#12C", "\x82\xa0" "345"},
      {"#12C\x82", "345\x82"},  // a lead byte at the end is not read past
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    ExpandMessageVariables(text);
    EXPECT_EQ(text, c.out) << c.in;
  }
  EXPECT_EQ(TakeCloseRequests(), 0);
}

TEST_F(MesWindowTest, VariableBeyondTheListIsReportedAndReadsEntryZero) {
  scene_.m_vStageVar[0] = 9;
  std::string text = "#1000S";
  ExpandMessageVariables(text);
  EXPECT_EQ(text, "9");
  EXPECT_EQ(TakeCloseRequests(), 1);
}

TEST_F(MesWindowTest, TextWindowIsMeasuredAndGetsItsOwnSurface) {
  Win w;
  w.text = "AB\nCDEF\n";
  cMesWindow a = Make(w);
  EXPECT_EQ(a.m_nWidth, 4 * 8 + 2);
  EXPECT_EQ(a.m_nHeight, 3 * 16 + 2);
  ASSERT_EQ(Off_Msg.Size(), 1);
  EXPECT_EQ(a.m_pSurface, &Off_Msg.front());
  EXPECT_EQ(a.m_pBitmap, &g_lstMesBD.front());
  EXPECT_EQ(a.m_pSurface->nWidth, a.m_nWidth);
  // The text is drawn at (1, 1) of a surface cleared to the transparent colour.
  EXPECT_EQ(Grid(a.m_pSurface, 0, 0, 1, 1)[0], "T");

  // Reset keeps the surface; an icon has none and is 16 x 16.
  w.text = "Z";
  a.Reset(w.kind, w.text, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(a.m_pSurface, &Off_Msg.front());
  EXPECT_EQ(Off_Msg.Size(), 1);
  cMesWindow icon = Make(Mark(0, 0, 0, 0));
  EXPECT_EQ(icon.m_pSurface, nullptr);
  EXPECT_EQ(icon.m_nWidth, 16);
  EXPECT_EQ(icon.m_nHeight, 16);
  EXPECT_EQ(Off_Msg.Size(), 1);
}

TEST_F(MesWindowTest, PlacedByModeAndUnit) {
  g_vHero.resize(1);
  g_vHero[0].m_nObjNo = 1;
  g_vHero[0].m_PicRect = chara_->m_PicRect;
  g_vHero[0].m_PicRect.m_nLeft = 300;
  struct Case {
    int mode, unit, x, y;
    POINT at;
  };
  // Offsets (3, -2), a 16 x 16 window, the view at (400, 352) after truncation.
  const Case cases[] = {
      {0, 0, 0, 0, {315, 230}},
      {1, 0, 0, 0, {111, 182}},   // above the character's picture
      {2, 0, 0, 0, {111, 246}},   // below it
      {3, 0, 0, 0, {111, 214}},   // on its centre
      {7, 0, 2, 3, {67, 94}},
      {7, 1, 50, 60, {53, 58}},
      {8, 0, 2, 3, {75, 102}},
      {8, 1, 50, 60, {45, 50}},
      {9, 0, 15, 3, {403, 62}},   // (15 + 10) x 32 + 3 - 400
      {9, 1, 100, 100, {23, 66}},
      {10, 0, 15, 3, {411, 70}},
      {10, 1, 100, 100, {15, 58}},
      {11, 0, 2, 3, {0, 0}},
      {7, 2, 2, 3, {0, 0}},
  };
  for (const Case& c : cases) {
    cMesWindow w = Make(Mark(c.mode, c.unit, c.x, c.y, 3, -2));
    EXPECT_EQ(DrawnAt(w), c.at) << "mode " << c.mode << " unit " << c.unit;
  }
  // Modes 4 to 6 follow the object of the owner number as 1 to 3 do: here the hero.
  for (int mode = 4; mode <= 6; ++mode) {
    Win m = Mark(mode, 0, 0, 0, 3, -2);
    m.owner = 1;
    cMesWindow w = Make(m);
    EXPECT_EQ(DrawnAt(w).x, 311) << mode;
  }
}

TEST_F(MesWindowTest, KeptOnScreen) {
  struct Case {
    int x, y;
    POINT at;
  };
  const Case cases[] = {
      {-5, 100, {0, 100}},  {622, 100, {622, 100}}, {623, 100, {624, 100}},
      {100, 10, {100, 20}}, {100, 462, {100, 462}}, {100, 463, {100, 464}},
  };
  for (const Case& c : cases) {
    Win m = Mark(7, 1, c.x, c.y);
    m.keep = 1;
    cMesWindow w = Make(m);
    EXPECT_EQ(DrawnAt(w), c.at) << c.x << ", " << c.y;
  }
}

TEST_F(MesWindowTest, ScreenPlacedWindowScrollsWithTheStageUnlessFixed) {
  Win loose = Mark(0, 0, 0, 0);
  loose.fixed = 0;
  cMesWindow a = Make(loose);
  cMesWindow b = Make(Mark(0, 0, 0, 0));  // fixed
  Win follow = Mark(1, 0, 0, 0);
  follow.fixed = 0;
  cMesWindow c = Make(follow);
  cMesWindow d = Make(Mark(1, 0, 0, 0));  // fixed
  EXPECT_EQ(DrawnAt(a), (POINT{312, 232}));
  EXPECT_EQ(DrawnAt(b), (POINT{312, 232}));
  EXPECT_EQ(DrawnAt(c), (POINT{108, 184}));
  EXPECT_EQ(DrawnAt(d), (POINT{108, 184}));

  scene_.m_ScrollX.m_dPos += 10.4;  // 410.7
  scene_.m_ScrollY.m_dPos -= 3.0;   // 349.7
  chara_->m_PicRect.m_nLeft += 20;
  // The stage point trunc(312 + 400.3 + 0.5) = 712 is drawn at trunc(712 - 410.7 + 0.5) = 301.
  EXPECT_EQ(DrawnAt(a), (POINT{301, 235}));
  EXPECT_EQ(DrawnAt(b), (POINT{312, 232}));
  EXPECT_EQ(DrawnAt(c), (POINT{128, 184}));
  EXPECT_EQ(DrawnAt(d), (POINT{108, 184}));
}

TEST_F(MesWindowTest, OwnerGoneEndsATextWindowAndPutsAnIconAtTheOrigin) {
  Win t;
  t.text = "HI";
  t.mode = 1;
  t.owner = kCharaNo;
  cMesWindow text = Make(t);
  cMesWindow icon = Make(Mark(1, 0, 0, 0));
  g_lstChara.clear();
  EXPECT_EQ(text.Draw(&BackBuffer, 0), 1);
  EXPECT_EQ(text.m_pSurface, nullptr);
  EXPECT_TRUE(Off_Msg.empty());
  EXPECT_EQ(DrawnAt(icon), (POINT{0, 0}));
}

TEST_F(MesWindowTest, BoxStyleWindowShowsItsTextFromTheTenthFrame) {
  // The message font's window box: a yellow frame.
  DDSURFACEDATA frame;
  LoadPicture(&frame, "frame.bmp", std::vector<std::string>(6, "YYYYYY"), 1);
  ReleaseFontObject(&g_Font[1]);
  ASSERT_TRUE(g_Font[1].Create(text::kTestFaceName, 0, 16, 0, 16, IndexOf('W'), &frame, 2, IndexOf('Y'), nullptr, 0));
  Win m;
  m.text = "HI";
  m.timeMode = MESTIME_UNTIL_KEY;
  m.noOpening = 0;
  m.box = 1;
  cMesWindow w = Make(m);
  ASSERT_TRUE(w.m_bOpening);
  const int x = 320 - w.m_nWidth / 2, y = 240 - w.m_nHeight / 2;
  for (int frame = 1; frame <= 9; ++frame) {
    Clear();
    EXPECT_EQ(w.Draw(&BackBuffer, frame % 2), 0);
    EXPECT_EQ(Count('W', x, y, w.m_nWidth, w.m_nHeight), 0) << frame;
    if (frame == 9) {
      EXPECT_GT(Count('Y', x, y, w.m_nWidth, w.m_nHeight), 0);
    }
  }
  Clear();
  EXPECT_EQ(w.Draw(&BackBuffer, 0), 0);
  EXPECT_GT(Count('W', x, y, w.m_nWidth, w.m_nHeight), 0);

  // Without the opening the text shows at once, and on the screen whatever the target; an empty
  // text draws nothing.
  m.noOpening = 1;
  cMesWindow plain = Make(m);
  Clear();
  DDSURFACEDATA other;
  Blank(&other, 8, 8, 'N');
  plain.Draw(&other, 0);
  EXPECT_GT(Count('W', x, y, w.m_nWidth, w.m_nHeight), 0);
  DDReleaseSurface(&other);
  m.text = "";
  cMesWindow empty = Make(m);
  Clear();
  EXPECT_EQ(empty.Draw(&BackBuffer, 0), 0);
  EXPECT_EQ(Find('W'), (POINT{-1, -1}));
  ReleaseFontObject(&g_Font[1]);
  DDReleaseSurface(&frame);
}

TEST_F(MesWindowTest, TimedWindowAgesInFrozenFramesOnlyWhenItCountsWhileFrozen) {
  for (int counts : {0, 1}) {
    Win m;
    m.text = "HI";
    m.timeMode = MESTIME_BY_TIME;
    m.time = 2;
    m.countFrozen = counts;
    cMesWindow w = Make(m);
    int frozenFrames = 0;
    while (frozenFrames < 10 && w.Draw(&BackBuffer, 1) == 0) ++frozenFrames;
    if (counts) {
      EXPECT_EQ(frozenFrames, 2);
      EXPECT_TRUE(Off_Msg.empty());
      continue;
    }
    EXPECT_EQ(frozenFrames, 10);
    EXPECT_EQ(w.Draw(&BackBuffer, 0), 0);
    EXPECT_EQ(w.Draw(&BackBuffer, 0), 0);
    EXPECT_EQ(w.Draw(&BackBuffer, 0), 1);
    EXPECT_TRUE(Off_Msg.empty());
  }
}

TEST_F(MesWindowTest, RisingMarkClimbsOnePixelEveryFourFrames) {
  Win m = Mark(7, 1, 100, 100);
  m.timeMode = MESTIME_BY_TIME;
  cMesWindow w = Make(m);
  POINT at{};
  for (int frame = 1; frame <= 5; ++frame) at = DrawnAt(w);
  EXPECT_EQ(at, (POINT{100, 99}));  // 30 - 25 frames left, over 4
}

TEST_F(MesWindowTest, RefreshRecreatesTheSurfaceAtItsOwnIndex) {
  Win m;
  m.text = "A";
  cMesWindow first = Make(m);
  m.text = "#1C";
  m.expand = m.refresh = 1;
  m.interval = 4;
  g_SaveData.m_vCommonVar[1] = 5;
  cMesWindow counter = Make(m);
  m = Win();
  m.text = "B";
  cMesWindow last = Make(m);
  ASSERT_EQ(Off_Msg.Size(), 3);
  EXPECT_EQ(counter.m_nWidth, 8 + 2);

  g_SaveData.m_vCommonVar[1] = 12345;
  scene_.m_nPlayFrames = 3;  // not a refresh frame
  counter.Draw(&BackBuffer, 0);
  EXPECT_EQ(counter.m_strText, "5");
  scene_.m_nPlayFrames = 8;
  counter.Draw(&BackBuffer, 0);
  EXPECT_EQ(counter.m_strText, "12345");
  EXPECT_EQ(counter.m_strSource, "#1C");
  EXPECT_EQ(counter.m_nWidth, 5 * 8 + 2);
  ASSERT_EQ(Off_Msg.Size(), 3);
  EXPECT_EQ(&Off_Msg.front(), first.m_pSurface);
  EXPECT_EQ(&Off_Msg.At(1), counter.m_pSurface);
  EXPECT_EQ(&Off_Msg.back(), last.m_pSurface);
  EXPECT_EQ(counter.m_pSurface->nWidth, 5 * 8 + 2);
  EXPECT_EQ(&g_lstMesBD.At(1), counter.m_pBitmap);
}

TEST_F(MesWindowTest, LostSurfaceIsRenderedAgain) {
  Win m;
  m.text = "HI";
  cMesWindow w = Make(m);
  DDFillSurfaceColour(w.m_pSurface, 'G');
  w.m_pSurface->bLost = 1;
  w.Draw(&BackBuffer, 0);
  EXPECT_EQ(w.m_pSurface->bLost, 0);
  EXPECT_EQ(Grid(w.m_pSurface, 0, 0, 1, 1)[0], "T");
}

class MesWindowD3DTest : public MesWindowTest {
 protected:
  DrawMode Mode() const override { return {"D3D32", 1, 32}; }
};

// Direct3D asks the free video memory: below 20 percent free the surface goes to system memory; a
// total of 0 (unknown) counts as enough.
TEST_F(MesWindowD3DTest, SystemMemoryOnlyWhenLittleVideoMemoryIsFree) {
  struct Case {
    void (*query)(int*, int*);
    int memType;
  };
  const Case cases[] = {
      {[](int* f, int* t) { *f = *t = 0; }, DTMEMORYTYPE_VIDEO_RT},
      {[](int* f, int* t) { *f = 19, *t = 100; }, DTMEMORYTYPE_SYSTEM},
      {[](int* f, int* t) { *f = 20, *t = 100; }, DTMEMORYTYPE_VIDEO_RT},
  };
  for (const Case& c : cases) {
    SetVideoMemoryQuery(c.query);
    Win m;
    m.text = "HI";
    cMesWindow w = Make(m);
    EXPECT_EQ(w.m_pBitmap->nDTMemType, c.memType);
  }
  EXPECT_EQ(TakeCloseRequests(), 0);
}

TEST_F(MesWindowD3DTest, SurfaceThatCannotBeMadeClosesTheProgramAndTheWindowDrawsWithoutIt) {
  // Without a device no surface can be made.
  IDirect3DDevice9* device = lpDevice;
  lpDevice = nullptr;
  Win m;
  m.text = "HI";
  m.timeMode = MESTIME_BY_TIME;
  m.time = 1;
  cMesWindow w = Make(m);
  lpDevice = device;
  EXPECT_GE(TakeCloseRequests(), 1);
  EXPECT_EQ(w.m_pSurface, nullptr);
  EXPECT_TRUE(Off_Msg.empty());
  EXPECT_EQ(w.Draw(&BackBuffer, 0), 0);
  EXPECT_EQ(w.Draw(&BackBuffer, 0), 1);
}

}  // namespace
