#include "gfx/draw_fixture.h"
#include "objects/shot.h"
#include "scenes/surfacesets.h"

namespace {

using Rows = std::vector<std::string>;

class ShotDrawing : public DrawTest {
 protected:
  // The right-facing shot sheet: picture 0 frame 0 marks its top-left 2 x 2 pixels R G / B W, frame
  // 1 (16 pixels on) is all G; the rest of the sheet is transparent.
  void LoadSheet() {
    Rows rows(16, std::string(32, 'K'));
    rows[0][0] = 'R', rows[0][1] = 'G', rows[1][0] = 'B', rows[1][1] = 'W';
    for (int y = 0; y < 16; ++y)
      for (int x = 16; x < 32; ++x) rows[y][x] = 'G';
    LoadPicture(&g_AppSurface[21], "shot.bmp", rows, 1);
  }
};

TEST_F(ShotDrawing, PictureCellByFrameAndInvisibility) {
  StartMode({"D3D32", 1, 32});
  LoadSheet();
  DDSURFACEDATA dst;
  Blank(&dst, 6, 4, 'Y');
  cEdShot rec;
  rec.SetDefaults();
  cShotLaunch l;
  l.m_dVX = 1;
  cShot s;
  s.Init(1, nullptr, 11, rec, l);
  s.m_dX = 2;
  s.m_dY = 1;
  s.Draw(&dst, 0);
  EXPECT_EQ(Grid(&dst, 0, 0, 6, 4), (Rows{"YYYYYY", "YYRGYY", "YYBWYY", "YYYYYY"}));
  for (int i = 0; i < 8; ++i) s.Draw(&dst, 1);  // eight ticks: frame 1
  EXPECT_EQ(Grid(&dst, 2, 1, 1, 1), (Rows{"G"}));
  DDFillSurfaceColour(&dst, 'Y');
  s.m_Shot.m_bInvisible = 1;
  s.Draw(&dst, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYY", "YYYYYY", "YYYYYY", "YYYYYY"}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&g_AppSurface[21]);
}

}  // namespace
