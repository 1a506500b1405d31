#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/layer.h"

namespace {
using Rows = std::vector<std::string>;
}  // namespace

TEST_F(DrawTest, GroupingDrawsTheBlitsOfOneSourceTogether) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA a, b, dst;
  LoadPicture(&a, "a.bmp", {"RR"}, 1);
  LoadPicture(&b, "b.bmp", {"GG"}, 1);
  Blank(&dst, 4, 1, 'N');
  for (int group : {1, 0}) {
    SCOPED_TRACE(group);
    DDFillSurfaceColour(&dst, 'N');
    DDBeginLayer(group);
    DDBlt(&dst, 0, 0, 2, 1, &a, 0, 0, 1);
    DDBlt(&dst, 1, 0, 2, 1, &b, 0, 0, 1);
    DDBlt(&dst, 2, 0, 2, 1, &a, 0, 0, 1);
    EXPECT_EQ(Grid(&dst), (Rows{"NNNN"}));  // queued
    EXPECT_EQ(DDEndLayer(), 1);
    // Grouped: both blits of a, then b on top; in call order the second blit of a covers b.
    EXPECT_EQ(Grid(&dst), (Rows{group ? "RGGR" : "RGRR"}));
  }
  for (DDSURFACEDATA* sd : {&a, &b, &dst}) DDReleaseSurface(sd);
}

TEST_F(DrawTest, ARegisteredCellSortsIntoItsBandAndOtherCellsDoNot) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA sheet, other, dst;
  LoadPicture(&sheet, "sheet.bmp", {"RG"}, 1);
  LoadPicture(&other, "other.bmp", {"C"}, 1);
  Blank(&dst, 2, 1, 'N');
  for (bool registered : {true, false}) {
    SCOPED_TRACE(registered);
    DDBeginLayer(1);
    if (registered) DDLayerRegisterSourceAt(&sheet, 1, 0);
    DDBlt(&dst, 0, 0, 1, 1, &sheet, 1, 0, 1);  // the registered cell
    DDBlt(&dst, 0, 0, 1, 1, &other, 0, 0, 1);
    DDBlt(&dst, 1, 0, 1, 1, &sheet, 0, 0, 1);  // another cell of the same sheet
    DDBlt(&dst, 1, 0, 1, 1, &other, 0, 0, 1);
    DDEndLayer();
    // Registered: the cell's band puts it after the rest, while the other cell keeps its place
    // after the first blit of `other`. Unregistered: both cells of the sheet come first.
    EXPECT_EQ(Grid(&dst), (Rows{registered ? "GR" : "CC"}));
  }
  for (DDSURFACEDATA* sd : {&sheet, &other, &dst}) DDReleaseSurface(sd);
}

TEST_F(DrawTest, PausedBlitsAndInnerLayersDrawBeforeTheLayer) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA a, b, keyed, dst;
  LoadPicture(&a, "a.bmp", {"RR"}, 1);
  LoadPicture(&b, "b.bmp", {"GG"}, 1);
  LoadPicture(&keyed, "keyed.bmp", {"WK"}, 1);
  Blank(&dst, 6, 1, 'N');
  DDBeginLayer(0);
  DDBlt(&dst, 0, 0, 2, 1, &a, 0, 0, 1);
  DDPauseLayer();
  DDBlt(&dst, 0, 0, 2, 1, &b, 0, 0, 1);  // drawn at once
  DDResumeLayer();
  EXPECT_EQ(Grid(&dst), (Rows{"GGNNNN"}));
  DDBeginLayer(0);
  DDBlt(&dst, 2, 0, 2, 1, &b, 0, 0, 1);
  DDBlt(&dst, 4, 0, 2, 1, &keyed, 0, 0, 0);  // an opaque run of a keyed picture clears first
  DDEndLayer();
  EXPECT_EQ(Grid(&dst), (Rows{"GGGGWT"}));
  DDBlt(&dst, 3, 0, 2, 1, &a, 0, 0, 1);
  DDEndLayer();
  EXPECT_EQ(Grid(&dst), (Rows{"RRGRRT"}));
  for (DDSURFACEDATA* sd : {&a, &b, &keyed, &dst}) DDReleaseSurface(sd);
}

TEST_F(DrawTest, TheStackHoldsAHundredLayers) {
  StartMode(kDrawModes[0]);
  for (int i = 0; i < 101; ++i) DDBeginLayer(0);
  EXPECT_EQ(DDLayerCount(), 100);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(DDEndLayer(), 1);
  EXPECT_EQ(DDEndLayer(), 0);
  EXPECT_EQ(DDLayerCount(), 0);
  DDRelease();

  // DirectDraw has no layers: blits draw at once.
  StartMode(kDrawModes[2]);
  DDSURFACEDATA a, dst;
  LoadPicture(&a, "a.bmp", {"RR"}, 1);
  Blank(&dst, 2, 1, 'N');
  DDBeginLayer(1);
  EXPECT_EQ(DDLayerCount(), 0);
  DDBlt(&dst, 0, 0, 2, 1, &a, 0, 0, 1);
  EXPECT_EQ(Grid(&dst), (Rows{"RR"}));
  EXPECT_EQ(DDEndLayer(), 0);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&a);
}
