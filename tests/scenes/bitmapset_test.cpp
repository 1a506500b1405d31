// The fixed bitmap set: its descriptors, the Direct3D partner links and loading through them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "gfx/blit.h"
#include "gfx/lock.h"
#include "gfx/surface.h"
#include "platform/video/bmp.h"
#include "scenes/surfacesets.h"
#include "support/gfx_fixture.h"

namespace {

uint32_t Rgb(DDSURFACEDATA* sd, int x, int y) {
  cDDLock lock;
  EXPECT_TRUE(lock.Lock(sd));
  return lock.m_pBits ? lock.Get(x, y) & 0xFFFFFF : 0xDEAD;
}

std::set<int> Aliases() {
  std::set<int> entries;
  for (int i = 0; i < kAppSurfaceCount; ++i)
    if (g_BitmapSet[i].lpPartner) entries.insert(i);
  return entries;
}

TEST(BitmapSet, DescriptorsOfTheFixedSet) {
  BuildBitmapSet();
  struct Row {
    int entry;
    const char* file;
    int colorKey, ddMem, dtMem, optional, mirror, width, height;
  };
  const Row rows[] = {
      {0, "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0, 0}, {5, "bmp\\Character1.bmp", 1, 0, 0, 0, 32, 0, 0},
      {7, "bmp\\Character2.bmp", 1, 0, 0, 1, 32, 0, 0},  {21, "bmp\\Shot.bmp", 1, 0, 0, 0, 16, 0, 0},
      {39, "bmp\\Shot.bmp", 1, 1, 0, 0, 16, 0, 0},       {45, "bmp\\Loading.bmp", 1, 0, 0, 1, 0, 0, 0},
      {48, "bmp\\Title.bmp", 0, 0, 0, 0, 0, 0, 0},       {55, "bmp\\WorldBack.bmp", 0, 1, 0, 1, 0, 0, 0},
      {56, "背景その1.bmp", 1, 0, 0, 1, 0, 0, 0},         {63, "背景その8.bmp", 1, 0, 0, 1, 0, 0, 0},
      {64, "E", 1, 1, 0, 0, 0, 256, 960},                {67, "E", 0, 1, 0, 0, 0, 640, 480},
      {70, "E", 1, 0, 2, 0, 0, 1024, 1024},              {71, "E", 1, 1, 1, 0, 0, 1024, 1024},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.entry);
    const DDBITMAPDATA& bd = g_BitmapSet[r.entry];
    EXPECT_STREQ(bd.szFileName, r.file);
    EXPECT_EQ(bd.bColorKey, r.colorKey);
    EXPECT_EQ(bd.nDDMemType, r.ddMem);
    EXPECT_EQ(bd.nDTMemType, r.dtMem);
    EXPECT_EQ(bd.bOptional, r.optional);
    EXPECT_EQ(bd.nMirrorWidth, r.mirror);
    EXPECT_EQ(bd.nMirrorHeight, 0);
    EXPECT_EQ(bd.bPalIndex, 0);
    EXPECT_EQ(bd.nWidth, r.width);
    EXPECT_EQ(bd.nHeight, r.height);
  }
  // The placeholder names are Shift-JIS, as the data's own names are.
  EXPECT_EQ(std::strlen(g_BitmapSet[56].szFileName), std::strlen("背景その1.bmp"));
  EXPECT_EQ(static_cast<unsigned char>(g_BitmapSet[56].szFileName[0]), 0x94u);

  // Every mirrored or system-memory twin is marked as an alias, and nothing else is.
  std::set<int> expected = {3, 41, 44, 69};
  for (int i = 5; i <= 39; i += 2) expected.insert(i);
  for (int i = 22; i <= 38; i += 2) expected.insert(i);
  EXPECT_EQ(Aliases(), expected);
}

TEST(BitmapSet, PartnersAndDigitRecords) {
  struct Link {
    int alias, partner;
  };
  for (Link l : {Link{3, 2}, Link{5, 4}, Link{21, 20}, Link{22, 4}, Link{23, 4}, Link{36, 18}, Link{39, 20},
                 Link{41, 40}, Link{44, 43}, Link{69, 68}, Link{4, -1}, Link{2, -1}, Link{70, -1}, Link{72, -1},
                 Link{-1, -1}})
    EXPECT_EQ(BitmapPartnerOf(l.alias), l.partner) << l.alias;

  for (DDSURFACEDATA& sd : g_AppSurface) sd.lpPartner = nullptr;
  LinkBitmapPartners();
  for (int i = 0; i < kAppSurfaceCount; ++i) {
    int partner = BitmapPartnerOf(i);
    EXPECT_EQ(g_AppSurface[i].lpPartner, partner < 0 ? nullptr : &g_AppSurface[partner]) << i;
  }
  for (DDSURFACEDATA& sd : g_AppSurface) sd.lpPartner = nullptr;

  g_DigitBD[1].nWidth = 9;
  BuildDigitRecords();
  for (const DDBITMAPDATA& bd : g_DigitBD) {
    EXPECT_STREQ(bd.szFileName, "");
    EXPECT_EQ(bd.bColorKey, 1);
    EXPECT_EQ(bd.nWidth, 0);
    EXPECT_EQ(bd.lpPartner, nullptr);
  }
}

class BitmapSetLoad : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    BuildBitmapSet();
    for (DDSURFACEDATA& sd : g_AppSurface) sd = DDSURFACEDATA();
    // A sheet of two 32-pixel cells: red at the left edge of the first cell, green at its right edge.
    std::vector<uint32_t> pixels(64, 0x0000FF);
    pixels[0] = 0xFF0000;
    pixels[31] = 0x00FF00;
    std::filesystem::create_directories("bmp");
    ASSERT_TRUE(WriteFileBytes("bmp/Character1.bmp", video::EncodeBmp(video::BmpImage::FromArgb(64, 1, 24, pixels))));
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_AppSurface) DDReleaseSurface(&sd);
    for (DDSURFACEDATA& sd : g_AppSurface) sd = DDSURFACEDATA();
    GfxTest::TearDown();
  }
};

TEST_F(BitmapSetLoad, Direct3DAliasesKeepTheirLinkThroughReloadsAndShowThePartnerMirrored) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 0, g_AppSurface, g_BitmapSet, kAppSurfaceCount));
  LinkBitmapPartners();
  int entries[] = {4, 5, 22};
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(DDReloadBitmaps(g_AppSurface, entries, 3));
    EXPECT_EQ(g_AppSurface[5].lpPartner, &g_AppSurface[4]);
    EXPECT_EQ(g_AppSurface[22].lpPartner, &g_AppSurface[4]);
    EXPECT_EQ(g_AppSurface[4].lpPartner, nullptr);
    EXPECT_EQ(g_AppSurface[5].lpDT->lpTexture, nullptr) << "an alias has no texture of its own";
  }
  DDBlt(&BackBuffer, 0, 0, 32, 1, &g_AppSurface[5], 0, 0, 0);
  EXPECT_EQ(Rgb(&BackBuffer, 0, 0), 0x00FF00u) << "the alias shows its cell mirrored";
  EXPECT_EQ(Rgb(&BackBuffer, 31, 0), 0xFF0000u);
}

TEST_F(BitmapSetLoad, DirectDrawTwinsAreSurfacesOfTheirOwn) {
  ASSERT_TRUE(Start(kDirectDraw, 32, 1, 0, g_AppSurface, g_BitmapSet, kAppSurfaceCount));
  int entries[] = {4, 5, 22};
  ASSERT_TRUE(DDReloadBitmaps(g_AppSurface, entries, 3));
  for (int e : entries) {
    EXPECT_EQ(g_AppSurface[e].lpPartner, nullptr) << e;
    EXPECT_NE(g_AppSurface[e].lpDDData, nullptr) << e;
    EXPECT_EQ(g_AppSurface[e].nWidth, 64) << e;
  }
  EXPECT_EQ(g_AppSurface[22].nDDMemType, 1);
  EXPECT_EQ(Rgb(&g_AppSurface[5], 0, 0), 0x00FF00u) << "the twin holds the mirrored cells itself";
  EXPECT_EQ(Rgb(&g_AppSurface[4], 0, 0), 0xFF0000u);
}

}  // namespace
