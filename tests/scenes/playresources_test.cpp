#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/draw_fixture.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"

namespace {

class PlayResourcesTest : public DrawModeTest {
 protected:
  void SetUp() override {
    DrawModeTest::SetUp();
    g_Database.SetDefaults();
    g_vHero.clear();
    StartMode(GetParam());
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_AppSurface) DDReleaseSurface(&sd);
    for (auto* v : {&g_vCharaBmpSD, &g_vSwordSD, &g_vEffectSD}) {
      DDReleaseSurfaceVector(*v);
      v->clear();
    }
    g_vHero.clear();
    g_Database.SetDefaults();
    DrawModeTest::TearDown();
  }
  static int DebugLinesWith(const std::string& text) {
    int n = 0;
    for (const std::string& line : DebugLines()) n += line.find(text) != std::string::npos;
    return n;
  }
};

TEST_P(PlayResourcesTest, ShotCellsAreCentredInTheirSheetCells) {
  // The shot picture: 8 columns x 30 rows of 16 x 16 cells, cell (c, r) one colour, its top-left pixel
  // another, so that a misplaced cell shows.
  const std::string letters = "RGBWYC";
  std::vector<std::string> rows(480, std::string(128, 'K'));
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 8; ++c)
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          rows[16 * r + y][16 * c + x] = x == 0 && y == 0 ? 'N' : letters[(c + 2 * r) % letters.size()];
  LoadPicture(&g_AppSurface[kShotSheet], "shot.bmp", rows, 1);
  LoadPicture(&g_AppSurface[kShotSheet + 1], "shot.bmp", rows, 1, DTMEMORYTYPE_VIDEO_RT, 16);
  Blank(&g_AppSurface[kBuiltShotSheet], 256, 960, 'W', 1);
  Blank(&g_AppSurface[kBuiltShotSheet + 1], 256, 960, 'W', 1);
  cScenePlay scene;
  scene.BuildShotSheets();
  for (auto [c, r] : {std::pair{0, 0}, {3, 7}, {7, 29}}) {
    SCOPED_TRACE(testing::Message() << "cell " << c << ", " << r);
    const char fill = letters[(c + 2 * r) % letters.size()];
    // Colour 0 around the shot, the shot's first pixel at (8 + 32c, 8 + 32r).
    EXPECT_EQ(Grid(&g_AppSurface[kBuiltShotSheet], 32 * c + 7, 32 * r + 7, 3, 3),
              (std::vector<std::string>{"TTT", std::string("T") + 'N' + fill, std::string("T") + fill + fill}));
    // The mirrored sheet takes the mirrored picture: the marked pixel sits at the cell's right edge.
    EXPECT_EQ(Grid(&g_AppSurface[kBuiltShotSheet + 1], 32 * c + 22, 32 * r + 8, 3, 1),
              (std::vector<std::string>{std::string() + fill + 'N' + 'T'}));
  }
}

TEST_P(PlayResourcesTest, LoadersMakeTheirSurfacesAndGoOnPastMissingFiles) {
  // Only the reserved entries: no surfaces.
  g_Database.m_vBmpCharaExc.resize(1);
  g_Database.m_vEffect.resize(1);
  g_Database.m_vSwordType.clear();
  cScenePlay scene;
  scene.LoadCharaBitmaps();
  scene.LoadEffectBitmaps();
  scene.LoadSwordBitmaps();
  EXPECT_TRUE(g_vCharaBmpSD.empty());
  EXPECT_TRUE(g_vEffectSD.empty());
  EXPECT_TRUE(g_vSwordSD.empty());

  WritePicture("own.bmp", {"RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRG", "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR"});
  g_Database.m_vBmpCharaExc.resize(3);
  g_Database.m_vBmpCharaExc[1].m_strFile = "missing.bmp";
  g_Database.m_vBmpCharaExc[2].m_strFile = "own.bmp";
  g_Database.m_vEffect.resize(2);
  g_Database.m_vEffect[1].m_strFile = "own.bmp";
  g_Database.m_vSwordType.resize(1);
  g_Database.m_vSwordType[0].m_strFileLeft = "own.bmp";
  g_Database.m_vSwordType[0].m_strFileRight = "gone.bmp";
  scene.LoadCharaBitmaps();
  scene.LoadEffectBitmaps();
  scene.LoadSwordBitmaps();
  EXPECT_EQ(g_vCharaBmpSD.size(), 8u);
  EXPECT_EQ(g_vCharaBmpBD.size(), 8u);
  EXPECT_EQ(g_vEffectSD.size(), 2u);
  EXPECT_EQ(g_vSwordSD.size(), 4u);
  EXPECT_EQ(DebugLinesWith("専用bmp missing.bmp 読み込み失敗！"), 4);
  EXPECT_EQ(DebugLinesWith("ソード gone.bmp 読み込み失敗！"), 2);
  EXPECT_EQ(DebugLinesWith("own.bmp"), 0);
  // The second of an entry's surfaces is mirrored in 32-pixel cells; the twins show their partners.
  EXPECT_EQ(Grid(&g_vCharaBmpSD[4], 0, 0, 2, 1), (std::vector<std::string>{"RR"}));
  EXPECT_EQ(Grid(&g_vCharaBmpSD[5], 0, 0, 2, 1), (std::vector<std::string>{"GR"}));
  EXPECT_EQ(g_vCharaBmpBD[6].nDDMemType, 1);
  EXPECT_EQ(g_vCharaBmpBD[7].nMirrorWidth, 32);
  EXPECT_EQ(g_vCharaBmpBD[7].lpPartner, lpDTCon ? &g_vCharaBmpSD[5] : nullptr);
  EXPECT_EQ(g_vSwordBD[1].lpPartner, lpDTCon ? &g_vSwordSD[0] : nullptr);
}

TEST_P(PlayResourcesTest, SightMasks) {
  constexpr int kMask = 66, kHole = 67;
  cScenePlay scene;
  g_AppSurface[kHole] = DDSURFACEDATA();
  // No hero, or a sight of 0: the whole mask in colour 16 and no hole mask.
  scene.CreateSightSurfaces(kMask, kHole);
  EXPECT_EQ(g_AppSurface[kMask].nWidth, 1280);
  EXPECT_EQ(g_AppSurface[kMask].nHeight, 960);
  EXPECT_EQ(std::string(g_AppSurface[kHole].szFileName), "");

  struct Case {
    int mode;
    std::vector<std::string> centre;  // the 10 x 1 row through the mask's centre, then one near a corner
  };
  // Sight 4: the square's 8 pixels on the centre row and its corner row; the disc's row of centre
  // cells narrower, its corner closed.
  const Case cases[] = {{0, {"NTTTTTTTTN", "NTT"}}, {1, {"NNTTTTTTNN", "NNN"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    cHero& hero = g_vHero.emplace_back();
    hero.m_nSight = 4;
    hero.m_Chara.m_cSightMode = static_cast<int8_t>(c.mode);
    // Colour 16 of the test palette is not a letter: check it through the probes as '?'.
    scene.CreateSightSurfaces(kMask, kHole);
    ASSERT_EQ(g_AppSurface[kMask].nWidth, 1288);
    const int cx = 644, cy = 484;
    std::vector<std::string> row = Grid(&g_AppSurface[kMask], cx - 5, cy, 10, 1);
    for (char& ch : row[0]) ch = ch == '?' ? 'N' : ch;
    EXPECT_EQ(row[0], c.centre[0]);
    std::vector<std::string> corner = Grid(&g_AppSurface[kMask], cx - 5, cy - 4, 3, 1);
    for (char& ch : corner[0]) ch = ch == '?' ? 'N' : ch;
    EXPECT_EQ(corner[0], c.centre[1]);
    g_vHero.clear();
  }
  // A changed sight range remakes the stage's sight surfaces at the new size; a stage that made
  // none has none to remake.
  cHero& hero = g_vHero.emplace_back();
  hero.m_nSight = 6;
  hero.m_Chara.m_cSightMode = 1;
  cScenePlay none;
  none.RebuildSightSurfaces();
  EXPECT_EQ(none.m_pSightMask, nullptr);
  EXPECT_EQ(g_AppSurface[kSightMask].nWidth, 1288);
  cScenePlay other;
  other.CreateSightSurfaces(kSightMask, kSightMask + 1);
  hero.m_nSight = 10;
  other.RebuildSightSurfaces();
  EXPECT_EQ(other.m_pSightMask, &g_AppSurface[kSightMask]);
  EXPECT_EQ(g_AppSurface[kSightMask].nWidth, 1300);
  EXPECT_EQ(g_AppSurface[kSightMask + 1].nWidth, 20);
  g_vHero.clear();
}

INSTANTIATE_TEST_SUITE_P(Modes, PlayResourcesTest, testing::ValuesIn(kDrawModes), DrawModeName);

}  // namespace
