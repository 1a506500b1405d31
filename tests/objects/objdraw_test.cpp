#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/draw_fixture.h"
#include "gfx/effect.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "gamedata/systemdata.h"
#include "objects/chara.h"
#include "objects/effectplayer.h"
#include "objects/objdraw.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"

namespace {

// Entries of the fixed set the tests fill.
enum {
  kBlock = 2,
  kChara = 4,
  kCharaMirror = 5,
  kCharaAlt = 22,
  kShot = 20,
  kShotMirror = 21,
  kItem = 40,
  kSmallItem = 42,
  kMark = 43,
  kMarkScaled = 44,
  kGauge = 50,
  kWork = 68,
  kWorkSystem = 69,
  kWorkLarge = 70,
};

// The selection of a picture's source works on the sheets' sizes alone.
class GraphicSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sheet(kBlock, 128, 480);
    for (int e : {int{kChara}, int{kCharaMirror}, int{kCharaAlt}, kCharaAlt + 1}) Sheet(e, 64, 480);
    Sheet(kChara + 2, 64, 480);
    g_Database.SetDefaults();
  }
  void TearDown() override {
    for (DDSURFACEDATA& s : g_AppSurface) s = DDSURFACEDATA();
    g_vCharaBmpSD.clear();
    g_Database.SetDefaults();
    DDPaletteDisplayMode = 0;
  }
  static void Sheet(int entry, int w, int h) {
    g_AppSurface[entry].nWidth = w;
    g_AppSurface[entry].nHeight = h;
  }
};

TEST_F(GraphicSourceTest, SheetsCellsAndCopies) {
  cGameObj left, right;
  right.m_nFacing = 1;
  const struct {
    int mode, kind, n, frame, anim;
    const cGameObj* obj;
    DDSURFACEDATA* use;
    int x, y;
  } cases[] = {
      {1, 1, 1, 0, 1, &left, &g_AppSurface[kChara], 32, 32},         // facing left: as drawn
      {1, 1, 1, 1, 0, &right, &g_AppSurface[kCharaMirror], 32, 32},  // facing right: mirrored
      {1, 1, 16, 0, 0, &left, &g_AppSurface[kChara + 2], 0, 32},     // sheet 1
      {1, 1, 1, 2, 0, &left, &g_AppSurface[kChara], 0, 0},           // beyond the sheet: the default cell
      {1, 1, 200, 0, 0, &left, &g_AppSurface[kChara], 0, 0},         // beyond the sheets
      {0, 1, 1, 21, 0, nullptr, &g_AppSurface[kCharaMirror], 32, 32},  // mode 0: frames 20 up mirrored
      {0, 1, 1, 1, 0, nullptr, &g_AppSurface[kChara], 32, 32},
      {0, 1, 1, 21, 0, &right, &g_AppSurface[kCharaMirror], 32, 32},   // the facing does not count
      {0, 0, 16, 0, 0, nullptr, &g_AppSurface[kBlock], 32, 32},
      {2, 2, 16, 0, 1, nullptr, &g_AppSurface[kItem], 96, 32},         // the item's second frame
      {1, 2, 16, 0, 1, nullptr, &g_AppSurface[kItem], 64, 32},
      {1, 3, 31, 0, 0, &right, &g_AppSurface[kShotMirror], 64, 32},
      {1, 3, 31, 0, 0, &left, &g_AppSurface[kShot], 64, 32},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << tc.mode << " kind " << tc.kind << " n " << tc.n << " frame "
                                    << tc.frame);
    cDrawSource src;
    SelectGraphicSource(src, tc.mode, tc.kind, tc.n, tc.frame, tc.obj, tc.anim);
    EXPECT_EQ(src.m_pUse, tc.use);
    EXPECT_EQ(src.m_nSrcX, tc.x);
    EXPECT_EQ(src.m_nSrcY, tc.y);
  }
}

TEST_F(GraphicSourceTest, DedicatedCellsAndTheAlternatePair) {
  g_vCharaBmpSD.resize(8);
  g_Database.m_vBmpCharaExc.resize(3);
  g_Database.m_vBmpCharaExc[2].m_bLargeCells = 1;
  g_Database.m_vBmpCharaExc[2].m_nCellSize = 2;
  cGameObj right;
  right.m_nFacing = 1;
  cDrawSource src;
  SelectGraphicSource(src, 1, 4, 2, 9, &right, 0);
  EXPECT_EQ(src.m_pUse, &g_vCharaBmpSD[5]);  // entry 2's mirrored copy
  EXPECT_EQ(src.m_nSrcX, 64);                // 8 cells of 64 pixels a row
  EXPECT_EQ(src.m_nSrcY, 64);
  SelectGraphicSource(src, 1, 4, 1, 17, &right, 0);
  EXPECT_EQ(src.m_nSrcX, 32);
  EXPECT_EQ(src.m_nSrcY, 32);
  SelectGraphicSource(src, 1, 4, 3, 0, &right, 0);
  EXPECT_EQ(src.m_pUse, nullptr) << "an entry without surfaces";

  // The alternate pair only in DirectDraw with the palette display mode on.
  DDPaletteDisplayMode = 1;
  SelectGraphicSource(src, 1, 1, 0, 0, &right, 0);
  EXPECT_EQ(src.m_pUse, &g_AppSurface[kCharaMirror]) << "no DirectDraw context";
}

// Drawing in 32-bit DirectDraw on the back buffer, with small sheets of cells of one colour.
class ObjDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    StartMode(Mode());
    g_Database.SetDefaults();
    g_SystemData = cSystemData();
    g_pScenePlay = &scene_;
    cApp::m_nFps = 60;
    DDFillSurfaceColour(&BackBuffer, 'K');
    // Character sheet: cell 0 R, cell 1 G; its mirrored copy: B, Y.
    Cells(kChara, "RG");
    Cells(kCharaMirror, "BY");
    Cells(kBlock, "KKYK");
    Cells(kShot, "W");
    Sheet(kSmallItem, 16, 16, 'C');
    // Mark cell 0: an 8 x 8 white square at its top left, in both mark sheets.
    for (int e : {int{kMark}, int{kMarkScaled}}) {
      Sheet(e, 32, 32, 'K');
      DDFillRect(&g_AppSurface[e], 0, 0, 8, 8, IndexOf('W'));
    }
    for (int e : {int{kWork}, int{kWorkSystem}, int{kWorkLarge}}) Sheet(e, 256, 256, 'K');
    SelectObjSurfaces();
    chara_.m_bFixedX = chara_.m_bFixedY = 1;
    chara_.m_nFixedX = 100;
    chara_.m_nFixedY = 100;
    SetSize(1);
    chara_.m_Chara.m_cGraphicKind = 1;
  }
  void TearDown() override {
    g_pScenePlay = nullptr;
    for (DDSURFACEDATA& s : g_AppSurface) DDReleaseSurface(&s);
    DrawTest::TearDown();
    for (DDSURFACEDATA& s : g_AppSurface) s = DDSURFACEDATA();
    g_Database.SetDefaults();
    g_CharaEffectFwd.clear();
    g_CharaEffectRev.clear();
    g_SystemData = cSystemData();
  }
  virtual DrawMode Mode() const { return {"DD32", 0, 32}; }
  void Sheet(int entry, int w, int h, char fill) { Blank(&g_AppSurface[entry], w, h, fill, 1); }
  // One row of 32 x 32 cells, a letter each.
  void Cells(int entry, const std::string& letters) {
    Sheet(entry, 32 * static_cast<int>(letters.size()), 32, 'K');
    for (size_t i = 0; i < letters.size(); ++i)
      DDFillRect(&g_AppSurface[entry], 32 * static_cast<int>(i), 0, 32, 32, IndexOf(letters[i]));
  }
  void SetSize(int size) {
    chara_.m_Chara.m_cScale = static_cast<int8_t>(size);
    cPicRect& p = chara_.m_PicRect;
    p.m_nBaseW = p.m_nBaseH = 32;
    p.m_nW = p.m_nH = 32 * size;
  }
  // Effect definitions: 1 blink (time 1 tenth, interval 2), 2 zoom 40 -> 40 (10 tenths), 3 wave.
  static void Effects() {
    g_Database.m_vCharaEffect.assign(4, cCharaEffectData());
    g_Database.m_vCharaEffect[0].m_nKind = 0;
    auto set = [](int i, int kind, std::vector<int> p) {
      g_Database.m_vCharaEffect[i].m_nKind = kind;
      for (size_t k = 0; k < p.size(); ++k) g_Database.m_vCharaEffect[i].m_nParam[k] = p[k];
    };
    set(1, 6, {1, 2});
    set(2, 11, {10, 40, 40});
    set(3, 4, {10, 0, 32, 2, 2});
    PrepareLoadedDatabase();
  }
  static char At(int x, int y) { return Grid(&BackBuffer, x, y, 1, 1)[0][0]; }

  // A pixel of the picture drawn at (100, 100) and what it should show.
  struct Probe {
    int x, y;
    char want;
  };
  struct HandlerCase {
    const char* name;
    int kind;
    std::vector<int> params;
    double value;
    std::vector<Probe> probes;
  };
  // Draws a frozen frame of each effect at its value over a background and checks the probes. Cell
  // 0 of the character sheet is red on its left half and green on its right; the mirrored copy blue.
  void CheckHandlers(const std::vector<HandlerCase>& cases, char background = 'K') {
    DDFillRect(&g_AppSurface[kChara], 16, 0, 16, 32, IndexOf('G'));
    for (const HandlerCase& tc : cases) {
      g_Database.m_vCharaEffect.assign(2, cCharaEffectData());
      g_Database.m_vCharaEffect[1].m_nKind = tc.kind;
      for (size_t k = 0; k < tc.params.size(); ++k) g_Database.m_vCharaEffect[1].m_nParam[k] = tc.params[k];
      PrepareLoadedDatabase();
      chara_.m_CharaEffect.Start(1, 0, 0);
      chara_.m_CharaEffect.m_dValue = tc.value;
      DDFillSurfaceColour(&BackBuffer, background);
      chara_.Draw(&BackBuffer, 1);
      for (const Probe& p : tc.probes)
        EXPECT_EQ(At(p.x, p.y), p.want) << tc.name << " at (" << p.x << ", " << p.y << ")";
    }
  }

  cScenePlay scene_;
  cChara chara_;
};

TEST_F(ObjDrawTest, FacingPicksThePlainOrTheMirroredCopy) {
  chara_.m_nFacing = 0;
  EXPECT_EQ(chara_.Draw(&BackBuffer, 0), 0);
  EXPECT_EQ(At(100, 100), 'R');
  EXPECT_EQ(At(131, 131), 'R');
  EXPECT_EQ(At(132, 131), 'T');
  chara_.m_nFacing = 1;
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(At(110, 110), 'B');
  chara_.m_Chara.m_sGraphicSub = 1;  // base frame 1
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(At(110, 110), 'Y');
}

TEST_F(ObjDrawTest, OverlayMarkAtSizesOneAndTwo) {
  chara_.m_Chara.m_cMarkShow = 1;
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(At(107, 107), 'W');
  EXPECT_EQ(At(108, 108), 'R');
  DDFillSurfaceColour(&BackBuffer, 'K');
  SetSize(2);
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(At(115, 115), 'W') << "stretched with the picture";
  EXPECT_EQ(At(116, 116), 'R');
  EXPECT_EQ(At(163, 163), 'R') << "the frame drawn at 64 x 64";
  EXPECT_EQ(At(164, 164), 'T');
}

TEST_F(ObjDrawTest, ZoomOfALargeObjectDrawsFromTheScaledWorkSurface) {
  Effects();
  SetSize(2);
  chara_.m_CharaEffect.Start(2, 0, 0);
  chara_.Draw(&BackBuffer, 1);
  // e = trunc(40 - 32) x 2 / 2 = 8: a 72 x 72 picture at (96, 96), all of it the one cell.
  EXPECT_EQ(At(96, 96), 'R');
  EXPECT_EQ(At(95, 95), 'T');
  EXPECT_EQ(At(167, 110), 'R') << "not the sheet's next cell";
  EXPECT_EQ(At(168, 110), 'T');
}

TEST_F(ObjDrawTest, EffectHandlersDrawTheirPictures) {
  CheckHandlers({
      // Quarters 16 x 16 moved 4 out: the top-left at (96, 96), the top-right from x 120.
      {"burst", 1, {10, 0, 32}, 4, {{96, 96, 'R'}, {111, 111, 'R'}, {112, 100, 'T'}, {120, 96, 'G'}, {135, 96, 'G'}}},
      // Stripes of ceil(32 / 4) = 8 lines, the even ones shifted +4, the odd ones -4.
      {"split rows", 2, {10, 0, 32, 4}, 4, {{103, 100, 'T'}, {104, 100, 'R'}, {135, 100, 'G'}, {96, 108, 'R'},
                                             {128, 108, 'T'}}},
      {"split columns", 3, {10, 0, 32, 4}, 4, {{100, 103, 'T'}, {100, 104, 'R'}, {100, 135, 'R'}, {108, 96, 'R'},
                                                {108, 128, 'T'}}},
      // One wave over the 32 lines, amplitude 8: line 7 is 8 to the right, line 23 8 to the left.
      {"wave rows", 4, {10, 0, 32, 1, 1}, 8, {{107, 107, 'T'}, {108, 107, 'R'}, {139, 107, 'G'}, {92, 123, 'R'},
                                              {124, 123, 'T'}}},
      {"wave columns", 5, {10, 0, 32, 1, 1}, 8, {{107, 107, 'T'}, {107, 108, 'R'}, {123, 92, 'G'}, {123, 124, 'T'}}},
      // A quarter turn about the centre: the red half goes to the bottom (or top), the corners stay.
      {"rotate B", 8, {10, 0, 1440}, 45, {{116, 96, 'R'}, {100, 100, 'T'}, {131, 131, 'T'}}},
      {"rotate A", 7, {10, 0, 1440}, 45, {{116, 96, 'R'}, {100, 100, 'T'}, {131, 131, 'T'}}},
      // Step 4: the front squeezed 4 from each side; step 20: the back (mirrored copy) 11 in.
      {"turn front", 9, {10, 0, 256}, 4, {{103, 110, 'T'}, {104, 110, 'R'}, {127, 110, 'G'}, {128, 110, 'T'}}},
      {"turn back", 9, {10, 0, 256}, 20, {{110, 110, 'T'}, {111, 110, 'B'}, {120, 110, 'B'}, {121, 110, 'T'}}},
      // A disc of radius 8 about the centre.
      {"circle", 10, {10, 32, 0, 1}, 8, {{112, 116, 'R'}, {120, 116, 'G'}, {106, 116, 'T'}, {100, 100, 'T'}}},
      // The lens disc of radius trunc(sqrt2 x 16) = 22 about the centre leaves the corners out.
      {"lens", 12, {10, 100, 5, 0, 0}, 100, {{110, 116, 'R'}, {122, 116, 'G'}, {100, 100, 'T'}}},
      {"colour level 0", 13, {10, 1, 1, 3}, 0, {{110, 110, 'T'}}},
      {"colour", 13, {10, 1, 1, 3}, 1, {{110, 110, '?'}, {132, 110, 'T'}}},
      // Blocks of 5 from the left: the block over columns 15..19 mixes red and green.
      {"mosaic", 15, {10, 1, 8}, 5, {{100, 100, 'R'}, {115, 100, '?'}, {119, 100, '?'}, {120, 100, 'G'}}},
      // A 4-wide window mixes the halves near the seam; the left edge stays red.
      {"blur", 16, {10, 1, 4}, 2, {{100, 110, 'R'}, {115, 110, '?'}, {116, 110, '?'}, {131, 110, 'G'}}},
  });
}

TEST_F(ObjDrawTest, TranslucentFrameMixesHalfInDirectDraw) {
  CheckHandlers({{"translucent", 14, {10, 9999}, 0, {{110, 110, '?'}, {132, 110, 'W'}}}}, 'W');
}

// Direct3D draws a translucent frame by the effect's value.
class ObjDrawD3DTest : public ObjDrawTest {
 protected:
  DrawMode Mode() const override { return {"D3D32", 1, 32}; }
};

TEST_F(ObjDrawD3DTest, TranslucentFrameByTheEffectsValue) {
  CheckHandlers({{"opaque", 14, {10, 9999}, 0, {{110, 110, 'R'}, {120, 110, 'G'}}},
                 {"half", 14, {10, 9999}, 128, {{110, 110, '?'}, {132, 110, 'W'}}},
                 {"invisible", 14, {10, 9999}, 255, {{110, 110, 'W'}}},
                 {"past invisible", 14, {10, 9999}, 400, {{110, 110, 'W'}}}},
                'W');
}

// An 8-bit screen has no blur: the blur effect draws the frame tinted instead.
class ObjDraw8Test : public ObjDrawTest {
 protected:
  DrawMode Mode() const override { return {"DD8", 0, 8}; }
};

TEST_F(ObjDraw8Test, BlurTintsTheFrame) {
  // A blend table toward colour 31 that walks red -> white -> yellow and green -> cyan -> blue.
  auto toward31 = [](char from, char to) { DDBlendTable[IndexOf(from) * 256 + 31] = static_cast<BYTE>(IndexOf(to)); };
  toward31('R', 'W');
  toward31('W', 'Y');
  toward31('G', 'C');
  toward31('C', 'B');
  CheckHandlers({{"blur", 16, {10, 1, 4}, 2, {{100, 110, 'Y'}, {115, 131, 'Y'}, {116, 110, 'B'}, {132, 110, 'T'}}}});
  std::fill(std::begin(DDBlendTable), std::end(DDBlendTable), BYTE{0});
}

TEST_F(ObjDrawTest, GraphicCellsOfEachKind) {
  const struct {
    int kind, n, frame;
    char want;
  } cases[] = {
      {0, 15, 0, 'Y'},  // block n / 15 at x 64
      {1, 0, 1, 'G'},
      {2, 0, 0, 'C'},   // the small item sheet, unscaled
      {3, 0, 0, 'W'},
      {1, 0, 5, 'T'},   // a frame off the sheet draws nothing
      {5, 0, 0, 'T'},   // an unknown kind draws nothing
  };
  for (const auto& tc : cases) {
    DDFillSurfaceColour(&BackBuffer, 'K');
    DrawGraphicCell(&BackBuffer, 200, 200, tc.kind, tc.n, tc.frame);
    EXPECT_EQ(At(200, 200), tc.want) << "kind " << tc.kind;
    EXPECT_EQ(At(215, 215), tc.want) << "kind " << tc.kind;
    EXPECT_EQ(At(216, 216), 'T') << "reduced to 16 x 16";
  }
}

TEST_F(ObjDrawTest, FrameOffsetsOfTheStatuses) {
  g_Database.m_vAnimeSet[0].m_nFrameOfsFlying = 16;
  const struct {
    int moveMode, noHit, invincible, want;
  } cases[] = {{0, 0, 0, 3}, {2, 0, 0, 19}, {0, 1, 0, 11}, {0, 0, 1, 7}, {1, 1, 2, 31}};
  for (const auto& tc : cases) {
    cChara c;
    c.m_Chara.m_sGraphicSub = 3;
    c.m_Chara.m_cMoveMode = static_cast<int8_t>(tc.moveMode);
    c.m_Chara.m_bHiddenStatus = static_cast<int8_t>(tc.noHit);
    c.m_Chara.m_cInvincible = static_cast<int8_t>(tc.invincible);
    c.m_Chara.m_cInvincibleTint = 3;
    g_SystemData.m_bInvincibleTint = 1;
    cDrawSource src;
    src.m_bBlend = 1;
    EXPECT_EQ(c.GetDrawFrame(src), tc.want);
    EXPECT_EQ(src.m_bBlend, 0) << "no tint in DirectDraw";
  }
}

// The invincible tint: Direct3D only, with the system option and a preset other than 0.
class InvincibleTintTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    StartMode({"D3D32", 1, 32});
    g_Database.SetDefaults();
    g_ColorPreset[3] = {0x80FF0000u, 7};
  }
  void TearDown() override {
    g_ColorPreset[3] = cColorPreset();
    g_SystemData = cSystemData();
    DrawTest::TearDown();
  }
};

TEST_F(InvincibleTintTest, BlendOnlyWithOptionPresetAndInvincibility) {
  const struct {
    int option, preset, invincible, blend;
  } cases[] = {{1, 3, 1, 1}, {0, 3, 1, 0}, {1, 0, 1, 0}, {1, 3, 0, 0}};
  for (const auto& tc : cases) {
    g_SystemData.m_bInvincibleTint = tc.option;
    cChara c;
    c.m_Chara.m_cInvincibleTint = static_cast<int8_t>(tc.preset);
    c.m_Chara.m_cInvincible = static_cast<int8_t>(tc.invincible);
    cDrawSource src;
    c.GetDrawFrame(src);
    EXPECT_EQ(src.m_bBlend, tc.blend) << tc.option << tc.preset << tc.invincible;
    if (tc.blend) {
      EXPECT_EQ(src.m_dwColor, 0x80FF0000u);
      EXPECT_EQ(src.m_dwColorOp, 7u);
    }
  }
}

TEST_F(ObjDrawTest, DeadObjectsAndTheirRemoval) {
  Effects();
  // Computer-operated: at once without an effect; with one, when it ends.
  chara_.m_nOperation = 1;
  EXPECT_EQ(chara_.DrawDead(&BackBuffer, 0), 1);
  chara_.m_CharaEffect.Start(1, 0, 0);
  int frames = 1;
  while (chara_.DrawDead(&BackBuffer, 0) == 0 && frames < 100) ++frames;
  EXPECT_EQ(frames, 7) << "one tenth of a second: six steps, the seventh ends it";
  EXPECT_EQ(chara_.m_CharaEffect.m_nIndex, 0);

  // Player-operated: after the effect, one second of drawn frames at the frame rate.
  cChara hero;
  hero.m_nOperation = 0;
  hero.m_bFixedX = hero.m_bFixedY = 1;
  hero.m_PicRect = chara_.m_PicRect;
  hero.m_CharaEffect.Start(1, 0, 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(hero.DrawDead(&BackBuffer, 0), 0);
  EXPECT_EQ(hero.m_CharaEffect.m_nIndex, 0);
  EXPECT_EQ(hero.m_nDeadFrames, 0) << "the effect's frames do not count";
  EXPECT_EQ(hero.DrawDead(&BackBuffer, 1), 0);
  EXPECT_EQ(hero.m_nDeadFrames, 0) << "a frozen frame does not count";
  for (int i = 1; i <= 60; ++i) EXPECT_EQ(hero.DrawDead(&BackBuffer, 0), 0) << i;
  EXPECT_EQ(hero.DrawDead(&BackBuffer, 0), 1) << "the 61st frame";
}

TEST_F(ObjDrawTest, AHiddenBlinkingObjectKeepsCounting) {
  Effects();
  chara_.m_CharaEffect.Start(1, 0, 1);
  chara_.m_bHidden = 1;
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(chara_.m_CharaEffect.m_nPhase, 1);
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(chara_.m_CharaEffect.m_nPhase, 0);
  EXPECT_EQ(chara_.m_CharaEffect.m_nToggle, 1);
  EXPECT_EQ(At(110, 110), 'T') << "nothing drawn";
  chara_.m_bHidden = 0;
  chara_.Draw(&BackBuffer, 1);
  EXPECT_EQ(At(110, 110), 'R') << "visible while toggled on";
  EXPECT_EQ(chara_.m_CharaEffect.m_nPhase, 0) << "a frozen frame does not count";
}

TEST_F(ObjDrawTest, WavePhaseWrapsAt360) {
  Effects();
  chara_.m_CharaEffect.Start(3, 0, 1);
  chara_.m_CharaEffect.m_nPhase = 358;
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(chara_.m_CharaEffect.m_nPhase, 359);
  chara_.Draw(&BackBuffer, 0);
  EXPECT_EQ(chara_.m_CharaEffect.m_nPhase, 0);
}

TEST_F(ObjDrawTest, GaugeGainLossAndFade) {
  // The tall gauge layout: rows 208 background W, 210 normal G, 212 low R, 214 loss B, 216 gain Y.
  Sheet(kGauge, 128, 218, 'K');
  const char rows[] = "WGRBY";
  for (int i = 0; i < 5; ++i) DDFillRect(&g_AppSurface[kGauge], 0, 208 + 2 * i, 128, 2, IndexOf(rows[i]));
  chara_.m_PicRect.m_nLeft = 100;
  chara_.m_PicRect.m_nTop = 100;
  chara_.m_Chara.m_nMaxHP = 100;
  chara_.m_nHP = 90;
  g_SystemData.m_vItem[2].m_bPinchPercent = 0;
  g_SystemData.m_vItem[2].m_nPinch = 20;
  chara_.AddHP(50, 0, 1);  // a gain of 5 on a full bar
  // The bar: x = 100 + 16 - 25 = 91, y = 97.
  chara_.DrawHPGauge(&BackBuffer);
  EXPECT_EQ(At(91, 97), 'G');
  EXPECT_EQ(At(135, 97), 'G');
  EXPECT_EQ(At(136, 97), 'Y') << "the gain over the last 5 pixels";
  EXPECT_EQ(At(140, 98), 'Y');
  EXPECT_EQ(At(141, 97), 'T');
  for (int i = 0; i < 60; ++i) chara_.DrawHPGauge(&BackBuffer);
  EXPECT_EQ(chara_.m_GaugeHP.m_nTimer, 59);
  EXPECT_EQ(chara_.m_GaugeHP.m_dChange, 0);
  DDFillSurfaceColour(&BackBuffer, 'K');
  chara_.DrawHPGauge(&BackBuffer);
  EXPECT_EQ(At(136, 97), 'G') << "no change in the last second";

  chara_.m_nHP = 30;
  chara_.AddHP(-20, 0, 1);  // 10 left: low; a loss of 10 pixels after the 5 filled
  DDFillSurfaceColour(&BackBuffer, 'K');
  chara_.DrawHPGauge(&BackBuffer);
  EXPECT_EQ(At(95, 97), 'R');
  EXPECT_EQ(At(96, 97), 'B');
  EXPECT_EQ(At(105, 97), 'B');
  EXPECT_EQ(At(106, 97), 'W');

  chara_.m_bDead = 1;
  DDFillSurfaceColour(&BackBuffer, 'K');
  chara_.DrawHPGauge(&BackBuffer);
  EXPECT_EQ(At(91, 97), 'T') << "a dead object shows no gauge";
}

}  // namespace
