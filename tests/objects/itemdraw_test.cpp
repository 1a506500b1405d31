#include "gamedata/systemini.h"
#include "gfx/draw_fixture.h"
#include "objects/item.h"
#include "scenes/surfacesets.h"

namespace {

using Rows = std::vector<std::string>;

constexpr int kItemSheet = 40;

class ItemDrawing : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    StartMode({"DD32", 0, 32});
    // Item 0: frame 0 red, frame 1 green, side by side.
    Blank(&g_AppSurface[kItemSheet], 64, 32, 'R', 1);
    DDFillRect(&g_AppSurface[kItemSheet], 32, 0, 32, 32, static_cast<DWORD>(IndexOf('G')));
    // Mark cell 0: an 8 x 8 square at its top left, white on the first surface, cyan on the second.
    const char marks[] = {'W', 'C'};
    for (int i = 0; i < 2; ++i) {
      Blank(&g_AppSurface[kMarkSheet + i], 32, 32, 'K', 1);
      DDFillRect(&g_AppSurface[kMarkSheet + i], 0, 0, 8, 8, static_cast<DWORD>(IndexOf(marks[i])));
    }
    Blank(&dst_, 96, 96, 'Y');
  }
  void TearDown() override {
    DDReleaseSurface(&dst_);
    for (int e : {kItemSheet, kMarkSheet, kMarkSheet + 1}) DDReleaseSurface(&g_AppSurface[e]);
    g_SystemIni.DD_VideoStretch = 0;
    DrawTest::TearDown();
  }
  void Make(int scale, int overlay) {
    cItemData def;
    def.m_cScale = static_cast<int8_t>(scale);
    def.m_cOverlay = static_cast<int8_t>(overlay);
    item_.Init(1, def, 0);
    item_.m_dX = 20;
    item_.m_dY = 20;
  }
  char At(int dx, int dy) { return Grid(&dst_, item_.m_PicRect.m_nLeft + dx, item_.m_PicRect.m_nTop + dy, 1, 1)[0][0]; }

  DDSURFACEDATA dst_;
  cItem item_;
};

TEST_F(ItemDrawing, FramesFromTheSequencerAndTheHiddenSwitch) {
  Make(1, 0);
  item_.Draw(&dst_, 0);
  EXPECT_EQ(std::string() + At(-1, -1) + At(0, 0) + At(31, 31) + At(32, 32), "YRRY");
  for (int i = 0; i < 15; ++i) item_.Draw(&dst_, 1);
  EXPECT_EQ(At(0, 0), 'G') << "frame 1 after 15 ticks";
  item_.Draw(&dst_, 0);
  EXPECT_EQ(At(0, 0), 'G') << "without advancing the frame stays";
  DDFillSurfaceColour(&dst_, 'Y');
  item_.m_Item.m_bHidden = 1;
  item_.Draw(&dst_, 1);
  EXPECT_EQ(At(0, 0), 'Y');
}

TEST_F(ItemDrawing, ScaledPictureAndOverlayMark) {
  const struct {
    int scale, ddStretch;
    char mark;
    int markEdge, picEdge;
  } cases[] = {
      {1, 0, 'W', 8, 32},   // copied from the first mark surface
      {2, 0, 'C', 16, 64},  // stretched from the second
      {2, 1, 'W', 16, 64},  // DirectDraw stretching itself: the first again
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << " stretch setting " << c.ddStretch);
    g_SystemIni.DD_VideoStretch = c.ddStretch;
    DDFillSurfaceColour(&dst_, 'Y');
    Make(c.scale, 1);
    item_.Draw(&dst_, 0);
    EXPECT_EQ(At(c.markEdge - 1, c.markEdge - 1), c.mark);
    EXPECT_EQ(At(c.markEdge, c.markEdge), 'R');
    EXPECT_EQ(At(c.picEdge - 1, c.picEdge - 1), 'R');
    EXPECT_EQ(At(c.picEdge, c.picEdge), 'Y');
  }
  DDFillSurfaceColour(&dst_, 'Y');
  Make(1, 0);
  item_.Draw(&dst_, 0);
  EXPECT_EQ(At(0, 0), 'R') << "overlay switch off: no mark";
}

}  // namespace
