#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/present.h"

namespace {
using Rows = std::vector<std::string>;
class BitmapModes : public DrawModeTest {};

std::vector<int> Indexes(const BYTE* copy, int n) { return std::vector<int>(copy, copy + n); }
}  // namespace

TEST_P(BitmapModes, MirrorCellsAreFlippedInPlace) {
  StartMode(GetParam());
  DDSURFACEDATA across, down;
  LoadPicture(&across, "sheet.bmp", {"RGBWYCNR", "KRGKBWWC"}, 1, DTMEMORYTYPE_VIDEO_RT, 2, 0);
  EXPECT_EQ(Grid(&across), (Rows{"GRWBCYRN", "RTTGWBCW"}));
  EXPECT_EQ(across.nMirrorWidth, 2);
  EXPECT_STREQ(across.szFileName, "sheet.bmp");
  // Cells of a height: DirectDraw flips them; a Direct3D surface of its own is mirrored across only
  // (an alias mirrors both ways when it is drawn).
  LoadPicture(&down, "tall.bmp", {"RG", "BW", "YC", "NR"}, 1, DTMEMORYTYPE_VIDEO_RT, 0, 2);
  EXPECT_EQ(Grid(&down), lpDTCon ? (Rows{"RG", "BW", "YC", "NR"}) : (Rows{"BW", "RG", "NR", "YC"}));
  DDReleaseSurface(&down);
  DDReleaseSurface(&across);
}

INSTANTIATE_TEST_SUITE_P(Modes, BitmapModes, ::testing::ValuesIn(kDrawModes), DrawModeName);

TEST_F(DrawTest, ATextureIsTransparentWhereTheBitmapHasTheTransparentColourWhateverItsFlag) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[1]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    DDSURFACEDATA plain, keyed, dst;
    LoadPicture(&plain, "p.bmp", {"RKG"}, 0);
    LoadPicture(&keyed, "p.bmp", {"RKG"}, 1);
    EXPECT_EQ(Grid(&plain), (Rows{"RTG"}));
    Blank(&dst, 3, 2, 'Y');
    DDBlt(&dst, 0, 0, 3, 1, &plain, 0, 0, 0);  // the flag decides only how opaque copies are drawn
    DDBlt(&dst, 0, 1, 3, 1, &keyed, 0, 0, 0);
    EXPECT_EQ(Grid(&dst), (Rows{"RYG", "RTG"}));
    for (DDSURFACEDATA* sd : {&plain, &keyed, &dst}) DDReleaseSurface(sd);
    DDRelease();
  }
}

TEST_F(DrawTest, SixteenBitDirectDrawPicturesShowTheKeyOnlyForTheTransparentColour) {
  StartMode(kDrawModes[3]);
  ASSERT_EQ(DDColorKey, 0xF81Fu);
  // Magenta, a colour that would pack to the key, red and blue; cells of 4 mirror the row.
  WriteTrueColour("true.bmp", 4, 1, {0xFF00FF, 0xFF03FF, 0xFF0000, 0x0000FF});
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, "true.bmp", 1, 16, 0, 0, nullptr, 0, 4, 0, 0), 0);
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&sd));
  EXPECT_EQ((std::vector<uint32_t>{lock.Get(0, 0), lock.Get(1, 0), lock.Get(2, 0), lock.Get(3, 0)}),
            (std::vector<uint32_t>{0x001F, 0xF800, 0xF81E, 0xF81F}));
  lock.Unlock();
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, EightBitDirectDrawCopiesIndexesAndFindsOtherBitmapsInThePalette) {
  StartMode(kDrawModes[4]);
  DDSURFACEDATA small, coloured;
  // A surface of another size than the bitmap keeps colour 0, and the copy still succeeds.
  ASSERT_TRUE(DDCreateSurface(&small, 3, 2, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  WritePicture("sheet.bmp", {"RGBW"});
  EXPECT_TRUE(CopyBitmap(&small, "sheet.bmp", 8, 0, 0, 0));
  EXPECT_TRUE(Has(DebugLines(), "CopyBitmap Err sheet.bmp Surface(3,2) Bmp(4,1)"));
  EXPECT_EQ(Grid(&small), (Rows{"TTT", "TTT"}));
  EXPECT_EQ(small.nWidth, 3);
  // A 24-bit bitmap at 8 bits: each colour becomes its palette entry.
  WriteTrueColour("true.bmp", 3, 1, {0xFF0000, 0xFFFF00, 0xFF00FF});
  ASSERT_EQ(DDCreateSurfaceFromFile(&coloured, "true.bmp", 1, 8, 0, 0, nullptr, 0, 3, 0, 0), 0);
  EXPECT_EQ(Grid(&coloured), (Rows{"TYR"}));
  DDReleaseSurface(&coloured);
  DDReleaseSurface(&small);
}

TEST_F(DrawTest, PaletteIndexCopies) {
  struct Case {
    DrawMode mode;
    std::vector<int> indexes;
  };
  // The keyed texel of Direct3D 32 bits is black (entry 7); at 16 bits its value 0 is entry 0.
  const Case cases[] = {{kDrawModes[0], {1, 7, 2, 3}},
                        {kDrawModes[1], {1, 0, 2, 3}},
                        {kDrawModes[2], {1, 0, 2, 3}},
                        {kDrawModes[3], {1, 0, 2, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode.name);
    StartMode(c.mode);
    DDSURFACEDATA with, without;
    LoadPicture(&with, "p.bmp", {"RKGB"}, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0, 1);
    LoadPicture(&without, "p.bmp", {"RKGB"}, 1);
    BYTE* copy = lpDTCon ? with.lpDT->lpPalIndex : with.lpDDData->lpPalIndex;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Indexes(copy, 4), c.indexes);
    EXPECT_EQ(lpDTCon ? without.lpDT->lpPalIndex : without.lpDDData->lpPalIndex, nullptr);
    DDReleaseSurface(&with);
    DDReleaseSurface(&without);
    DDRelease();
  }
}

TEST_F(DrawTest, Direct3DRestoreReloadsFileSurfacesWithTheirMirroredCells) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[1]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    DDSURFACEDATA plain, mirrored, sys, alias, dst;
    LoadPicture(&plain, "sheet.bmp", {"RGBW"}, 1);
    LoadPicture(&mirrored, "sheet.bmp", {"RGBW"}, 1, DTMEMORYTYPE_VIDEO_RT, 2, 0);
    LoadPicture(&sys, "sheet.bmp", {"RGBW"}, 1, DTMEMORYTYPE_SYSTEM);
    ASSERT_EQ(DDCreateSurfaceFromFile(&alias, "sheet.bmp", 1, DDScreenBpp, 0, 0, &plain, 0, 2, 0, 0), 0);
    for (DDSURFACEDATA* sd : {&plain, &mirrored, &sys}) DDFillSurfaceColour(sd, 'N');
    IDirect3DTexture9* kept = sys.lpDT->lpTexture;
    size_t listed = DDSurfaceList.size();

    video::test::LoseDevice();
    video::test::AllowDeviceReset();
    ASSERT_EQ(DDRestoreSurface(), 1);
    EXPECT_EQ(DDSurfaceList.size(), listed);
    EXPECT_EQ(Grid(&plain), (Rows{"RGBW"}));
    EXPECT_EQ(Grid(&mirrored), (Rows{"GRWB"}));
    EXPECT_EQ(plain.bLost, 0);
    EXPECT_EQ(sys.lpDT->lpTexture, kept);  // system memory keeps its texture and what was drawn on it
    EXPECT_EQ(Grid(&sys), (Rows{"NNNN"}));
    Blank(&dst, 2, 1, 'Y');
    DDBlt(&dst, 0, 0, 2, 1, &alias, 2, 0, 1);
    EXPECT_EQ(Grid(&dst), (Rows{"WB"}));
    for (DDSURFACEDATA* sd : {&dst, &alias, &sys, &mirrored, &plain}) DDReleaseSurface(sd);
    DDRelease();
  }
}

TEST_F(DrawTest, DirectDrawRestoreReloadsTheApplicationsBitmaps) {
  for (const DrawMode& mode : {kDrawModes[2], kDrawModes[3], kDrawModes[4]}) {
    SCOPED_TRACE(mode.name);
    DDSURFACEDATA app[3];
    DDBITMAPDATA bd[3];
    StartMode(mode, app, bd, 3);
    LoadPicture(&app[0], "sheet.bmp", {"RGBW", "CYNK"}, 1);
    LoadPicture(&app[1], "sheet.bmp", {"RGBW", "CYNK"}, 1, DTMEMORYTYPE_VIDEO_RT, 2, 0);
    Blank(&app[2], 2, 1, 'G');
    video::test::LoseSurfaces();
    EXPECT_TRUE(DDRestore());
    EXPECT_EQ(Grid(&app[0]), (Rows{"RGBW", "CYNT"}));
    EXPECT_EQ(Grid(&app[1]), (Rows{"GRWB", "YCTN"}));
    EXPECT_EQ(app[0].bLost, 0);
    EXPECT_EQ(app[2].bLost, 1);  // a blank surface has nothing to reload
    DDRelease();  // the table lives on this stack
  }
}

TEST_F(DrawTest, AMissingBitmapFileIsReported) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA sd;
  EXPECT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\missing.bmp", 1, 32, 0, 0, nullptr, 0, 0, 0, 0), 8);
  EXPECT_TRUE(Has(ReportLines(), "LoadImage Err bmp\\missing.bmp"));
  DDReleaseSurface(&sd);
  DDRelease();
  StartMode(kDrawModes[2]);
  EXPECT_EQ(DDCreateSurfaceFromFile(&sd, "bmp\\missing.bmp", 1, 32, 0, 0, nullptr, 0, 0, 0, 0), 8);
  EXPECT_TRUE(Has(DebugLines(), "bmp\\missing.bmp"));
  EXPECT_FALSE(CopyBitmap(&sd, "bmp\\missing.bmp", 32, 0, 0, 0));
}
