#include "core/random.h"
#include "display_fixture.h"
#include "objects/effectobj.h"
#include "objects/pictureobj.h"

namespace {

// ---- Pictures ----

class PictureTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    LoadPicture(&picture_, "picture.bmp", {"RRGG", "RRGG", "BBYY", "BBYY"}, 1);
  }
  void TearDown() override {
    DDReleaseSurface(&picture_);
    DisplayTest::TearDown();
  }
  // A fixed picture of the 4 x 4 test picture at the percent, with the mode's position.
  static cPictureObj Make(int mode, int x, int y, int percent, int objNo = 0) {
    cPictureObj p;
    p.Setup(mode, 1, 1, x, y, 0, 0, 4, 4, 1, 1, percent, 1, 0, 0, objNo, 0, 0);
    return p;
  }
  DDSURFACEDATA picture_;
};

TEST_F(PictureTest, SizeIsRoundedHalfAwayFromZeroWithItsSign) {
  struct Case {
    int w, h, percent, drawnW, drawnH, stretched;
  };
  const Case cases[] = {
      {33, 66, 50, 17, 33, 1},   {33, 8, 100, 33, 8, 0}, {33, 66, -50, -17, -33, 1},
      {3, 5, 50, 2, 3, 1},       {5, 5, 0, 0, 0, 1},     {20, 7, 150, 30, 11, 1},
  };
  for (const Case& c : cases) {
    cPictureObj p;
    p.m_nPlane = 1;  // the picture command's plane is kept beside the fields Setup fills
    p.Setup(0, 1, 0, 0, 0, 0, 0, c.w, c.h, 0, 1, c.percent, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(p.m_nWidth, c.drawnW) << c.w << " at " << c.percent;
    EXPECT_EQ(p.m_nHeight, c.drawnH) << c.h << " at " << c.percent;
    EXPECT_EQ(p.m_bStretched, c.stretched);
    EXPECT_EQ(p.m_nPlane, 1);
  }
}

TEST_F(PictureTest, CopiedAtFullSizeStretchedOtherwiseAndNothingWithoutASize) {
  cPictureObj full = Make(3, 10, 10, 100);
  EXPECT_EQ(full.Draw(&BackBuffer, &picture_, 0), 0);
  EXPECT_EQ(Grid(&BackBuffer, 10, 10, 5, 4), (std::vector<std::string>{"RRGGN", "RRGGN", "BBYYN", "BBYYN"}));

  Clear();
  cPictureObj half = Make(3, 10, 10, 50);
  half.Draw(&BackBuffer, &picture_, 0);
  EXPECT_EQ(Grid(&BackBuffer, 10, 10, 3, 3), (std::vector<std::string>{"RGN", "BYN", "NNN"}));

  for (int percent : {0, -50}) {
    Clear();
    cPictureObj none = Make(3, 10, 10, percent);
    EXPECT_EQ(none.Draw(&BackBuffer, &picture_, 0), 0);
    EXPECT_EQ(Find('R'), (POINT{-1, -1})) << percent;
  }
}

TEST_F(PictureTest, PlacedByModeThenKeptByTheFixedRule) {
  struct Case {
    int mode, unit, x, y, fixed;
    POINT first, scrolled;  // the view then moves 10 pixels right
  };
  // A 4 x 4 picture, offsets (3, -2), the view at (400, 352) after truncation.
  const Case cases[] = {
      {0, 0, 0, 0, 0, {321, 236}, {311, 236}},   // on the screen: carried along with the stage
      {0, 0, 0, 0, 1, {321, 236}, {321, 236}},   // fixed: stays on the screen
      {3, 1, 50, 60, 0, {53, 58}, {43, 58}},
      {3, 0, 2, 3, 1, {67, 94}, {67, 94}},
      {4, 0, 2, 3, 1, {81, 108}, {81, 108}},     // 64 + 16 - 2 + 3
      {4, 1, 50, 60, 1, {51, 56}, {51, 56}},
      {5, 0, 15, 3, 0, {403, 62}, {393, 62}},    // on the stage: follows the view
      {5, 1, 100, 100, 1, {23, 66}, {23, 66}},   // fixed: its first place on the screen
      {6, 0, 15, 3, 0, {417, 76}, {407, 76}},
      {6, 1, 100, 100, 0, {21, 64}, {11, 64}},
      {7, 0, 2, 3, 0, {0, 0}, {0, 0}},
      {3, 2, 2, 3, 1, {0, 0}, {0, 0}},
  };
  for (const Case& c : cases) {
    scene_.m_ScrollX.m_dPos = 400.3;
    cPictureObj p;
    p.Setup(c.mode, 1, c.unit, c.x, c.y, 3, -2, 4, 4, c.fixed, 1, 100, 1, 0, 0, 0, 0, 0);
    Clear();
    p.Draw(&BackBuffer, &picture_, 0);
    EXPECT_EQ(Find('R'), c.first) << "mode " << c.mode << " unit " << c.unit;
    scene_.m_ScrollX.m_dPos += 10;
    Clear();
    p.Draw(&BackBuffer, &picture_, 0);
    EXPECT_EQ(Find('R'), c.scrolled) << "mode " << c.mode << " unit " << c.unit;
  }
}

TEST_F(PictureTest, FollowedCharacterThatIsGoneLeavesThePictureAtItsLastCentre) {
  g_SystemData.m_bPictureFollow = 1;
  chara_->m_dX = 600;
  chara_->m_dY = 500;
  chara_->m_nHitW = chara_->m_nHitH = 32;
  cPictureObj p;
  p.Setup(1, 1, 0, 0, 0, 1, 2, 4, 4, 0, 1, 100, 1, 0, 0, kCharaNo, 0, 0);
  int x = -1, y = -1;
  p.GetAnchorPos(x, y);  // centre (616, 516) less half the size, plus the offsets
  EXPECT_EQ(x, 615);
  EXPECT_EQ(y, 516);
  p.m_nX = x;
  p.m_nY = y;
  chara_->m_dX += 20;
  Clear();
  p.Draw(&BackBuffer, &picture_, 0);
  EXPECT_EQ(Find('R'), (POINT{235, 164}));  // followed: 635 - 400, 516 - 352

  g_lstChara.clear();
  Clear();
  p.Draw(&BackBuffer, &picture_, 0);
  EXPECT_EQ(Find('R'), (POINT{235, 164}));

  // Without following, the place taken at creation holds.
  g_SystemData.m_bPictureFollow = 0;
  Clear();
  p.Draw(&BackBuffer, &picture_, 0);
  EXPECT_EQ(Find('R'), (POINT{215, 164}));
}

TEST_F(PictureTest, TimedPictureEndsAfterItsFramesAndWaitsInFrozenFrames) {
  cPictureObj p;
  p.Setup(0, 1, 0, 0, 0, 0, 0, 4, 4, 1, 1, 100, 2, 1, 0, 0, 0, 0);
  EXPECT_EQ(p.Draw(&BackBuffer, &picture_, 1), 0);
  EXPECT_EQ(p.Draw(&BackBuffer, &picture_, 0), 0);
  EXPECT_EQ(p.Draw(&BackBuffer, &picture_, 0), 1);
}

// ---- Effects ----

// Effect 1: two 4 x 4 frames of one tenth of a second (6 frames) each; its normal strip red then
// green, its alternate strip yellow then cyan. Effect 2 has no frames.
class EffectTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    g_Database.m_vEffect.resize(3);
    cEffectData& e = g_Database.m_vEffect[1];
    e.m_nFrameW = e.m_nFrameH = 4;
    e.m_vPart.resize(2);
    e.m_vPart[0].m_nValue = 0;
    e.m_vPart[1].m_nValue = 1;
    g_Database.m_vEffect[2].m_vPart.clear();
    BuildEffectFrameTables(g_EffectFrameTables);
    g_vEffectSD.resize(4);
    LoadPicture(&g_vEffectSD[0], "normal.bmp", std::vector<std::string>(4, "RRRRGGGG"), 1);
    LoadPicture(&g_vEffectSD[1], "alternate.bmp", std::vector<std::string>(4, "YYYYCCCC"), 1);
  }
};

TEST_F(EffectTest, EndsOnTheEndCodeAndWaitsInFrozenFrames) {
  cEffectObj e;
  e.SetupFromCommand(1, 500.8, 452.9, 4, 4, 0);
  EXPECT_EQ(e.m_bStretched, 0);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(e.Draw(&BackBuffer, 1), 0);
  EXPECT_EQ(Grid(&BackBuffer, 100, 100, 4, 1)[0], "RRRR");  // truncated position less the view
  std::string shown;
  int draws = 0;
  for (int result = 0; result == 0 && draws < 20; ++draws) {
    Clear();
    result = e.Draw(&BackBuffer, 0);
    shown += Grid(&BackBuffer, 100, 100, 1, 1)[0];
  }
  EXPECT_EQ(draws, 12);
  EXPECT_EQ(shown, "RRRRRGGGGGGN");

  cEffectObj none;
  none.SetupFromCommand(2, 0, 0, 4, 4, 0);
  EXPECT_EQ(none.Draw(&BackBuffer, 0), 1);
  EXPECT_EQ(TakeCloseRequests(), 0);
}

TEST_F(EffectTest, CountingWhileFrozenAdvancesInFrozenFrames) {
  cEffectObj e;
  e.SetupFromCommand(1, 0, 0, 4, 4, 1);
  int draws = 1;
  while (e.Draw(&BackBuffer, 1) == 0 && draws < 20) ++draws;
  EXPECT_EQ(draws, 12);
}

TEST_F(EffectTest, BadNumberIsReportedAndEntryZeroUsed) {
  for (int number : {0x8001, 3}) {
    cEffectObj e;
    e.SetupFromCommand(number, 0, 0, 32, 32, 0);
    EXPECT_GE(TakeCloseRequests(), 1) << number;
    EXPECT_EQ(e.m_bStretched, 0) << number;  // entry 0's frames are 32 wide
  }
}

TEST_F(EffectTest, HitEffectIsCentredOnTheOverlapWithTwoRandomDraws) {
  struct Case {
    cRectD a, b;
    int scaleAllowed, scale;
    double x, y;  // before the random offsets
    int width, spread;
  };
  const Case cases[] = {
      // Apart: centred on (0, 0).
      {{0, 0, 10, 10}, {20, 20, 30, 30}, 0, 1, -2, -2, 4, 4},
      // Overlap (120, 110)-(131, 131): 120 + 12 / 2 - 2, 110 + 22 / 2 - 2.
      {{100, 100, 131, 131}, {120, 110, 150, 140}, 0, 3, 124, 119, 4, 4},
      {{100, 100, 131, 131}, {120, 110, 150, 140}, 1, 3, 120, 115, 12, 12},
      {{100, 100, 131, 131}, {131, 131, 150, 140}, 1, 1, 129, 129, 4, 4},  // corners touch: (131, 131) less 2
  };
  for (const Case& c : cases) {
    g_Database.m_vEffect[1].m_bScaleWithObject = c.scaleAllowed;
    RandSeed(7);
    const int dx = RandRange(-c.spread, c.spread), dy = RandRange(-c.spread, c.spread), next = RandNext();
    RandSeed(7);
    cEffectObj e;
    e.SetupAtHit(1, c.a, c.b, c.scale);
    EXPECT_EQ(e.m_dX, c.x + dx);
    EXPECT_EQ(e.m_dY, c.y + dy);
    EXPECT_EQ(RandNext(), next);  // exactly two draws
    EXPECT_EQ(e.m_nWidth, c.width);
    EXPECT_EQ(e.m_bStretched, c.width != 4);
    EXPECT_EQ(e.m_bCountFrozen, 0);
    EXPECT_EQ(e.m_AnimSeq.GetValue(), 0);
  }
}

// A stretched effect is drawn from the alternate strip, or from the normal one in DirectDraw with
// the stretch setting on.
struct SourceCase {
  const char* name;
  DrawMode mode;
  int stretchSetting;
  char letter;
};
void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.name; }

class EffectSourceTest : public EffectTest, public ::testing::WithParamInterface<SourceCase> {
 protected:
  DrawMode Mode() const override { return GetParam().mode; }
};

TEST_P(EffectSourceTest, StretchedFromTheStripTheModeChooses) {
  g_SystemIni.DD_VideoStretch = GetParam().stretchSetting;
  cEffectObj e;
  e.SetupFromCommand(1, 500.8, 452.9, 8, 8, 0);
  ASSERT_EQ(e.m_bStretched, 1);
  e.Draw(&BackBuffer, 0);
  EXPECT_EQ(Grid(&BackBuffer, 100, 100, 9, 1)[0], std::string(8, GetParam().letter) + "N");
}

INSTANTIATE_TEST_SUITE_P(Modes, EffectSourceTest,
                         ::testing::Values(SourceCase{"DD_Plain", {"DD32", 0, 32}, 0, 'Y'},
                                           SourceCase{"DD_VideoStretch", {"DD32", 0, 32}, 1, 'R'},
                                           SourceCase{"D3D_VideoStretch", {"D3D32", 1, 32}, 1, 'Y'}),
                         [](const ::testing::TestParamInfo<SourceCase>& info) { return info.param.name; });

}  // namespace
