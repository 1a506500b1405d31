#include <cstring>

#include "gfx/drawstate.h"
#include "gfx/present.h"
#include "gfx/surface.h"
#include "platform/video/bmp.h"
#include "support/gfx_fixture.h"

namespace {


bool Listed(DDSURFACEDATA* sd) {
  for (DDSURFACEDATA* e : DDSurfaceList)
    if (e == sd) return true;
  return false;
}

}  // namespace

TEST_F(GfxTest, TextureSizesFollowTheDeviceRules) {
  struct Case {
    bool pow2, square;
    int texWidth, texHeight;
  };
  const Case cases[] = {{false, false, 640, 480}, {true, false, 1024, 512}, {true, true, 1024, 1024}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texWidth * 10000 + c.texHeight);
    video::test::SetTextureLimits({c.pow2, c.square, 4096, 4096});
    ASSERT_TRUE(Start(kDirect3D, 32, 1));
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    EXPECT_EQ(sd.nWidth, 640);
    EXPECT_EQ(sd.nHeight, 480);
    EXPECT_EQ(sd.nTexWidth, c.texWidth);
    EXPECT_EQ(sd.nTexHeight, c.texHeight);
    EXPECT_EQ(VirBackBuffer.nTexWidth, c.texWidth);
    DDReleaseSurface(&sd);
    DDRelease();
  }
  int w = 0, h = 0;
  DDAdjustTextureSize(&w, &h);  // no device: untouched
  EXPECT_EQ(w, 0);
}

TEST_F(GfxTest, BlankSurfacesInBothMemoriesAndTheirStartingPixels) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  lpDTCon->dwTransmitKey_32 = 0xFFFF00FF;
  DDSURFACEDATA rt, sys;
  ASSERT_TRUE(DDCreateSurface(&rt, 16, 8, 1, 0, DTMEMORYTYPE_VIDEO_NORT, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&sys, 16, 8, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  EXPECT_STREQ(rt.szName, "OffScreen");
  EXPECT_STREQ(rt.szFileName, "E");
  EXPECT_EQ(rt.lpDT->MemType, DTMEMORYTYPE_VIDEO_RT);
  EXPECT_EQ(rt.lpDT->bRenderTarget, 1);
  EXPECT_EQ(rt.lpDT->bColorKey, 1);
  EXPECT_NE(rt.lpDT->lpSystemSurface, nullptr);
  EXPECT_NE(rt.lpDT->lpVB, nullptr);
  EXPECT_EQ(sys.lpDT->bRenderTarget, 0);
  EXPECT_EQ(sys.lpDT->lpSystemSurface, nullptr);
  EXPECT_EQ(sys.lpDT->nId, rt.lpDT->nId + 1);
  EXPECT_TRUE(Listed(&rt));
  EXPECT_TRUE(Listed(&sys));
  EXPECT_EQ(D3DPixel(&rt, 15, 7), 0xFFFF00FFu);  // the transparent colour, opaque
  EXPECT_EQ(D3DPixel(&sys, 15, 7), 0u);
  DDReleaseSurface(&rt);
  DDReleaseSurface(&rt);  // a second release does nothing
  EXPECT_FALSE(Listed(&rt));
  EXPECT_EQ(rt.nWidth, 16);  // sizes and names stay
  DDReleaseSurface(&sys);
  DDSURFACEDATA never;
  DDReleaseSurface(&never);
  DDReleaseSurface(nullptr);
}

TEST_F(GfxTest, WithoutVideoMemoryRenderTargetsFallBackToSystemMemory) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  video::test::SetVideoMemory(0);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 32, 32, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  EXPECT_EQ(sd.lpDT->MemType, DTMEMORYTYPE_SYSTEM);
  EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
  EXPECT_NE(sd.lpDT->lpTexture, nullptr);
  EXPECT_TRUE(Has(ReportLines(), "VRAM不足のためシステムメモリにテクスチャを作成します。(空)"));
  DDReleaseSurface(&sd);
}

TEST_F(GfxTest, TexturesPastTheDeviceLimitAreReportedAndStillMade) {
  video::test::SetTextureLimits({false, false, 1024, 512});
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  DDSURFACEDATA sd;
  EXPECT_TRUE(DDCreateSurface(&sd, 2000, 600, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
  std::vector<std::string> report = ReportLines();
  EXPECT_TRUE(Has(report, "このビデオカードでは横幅1024を超える画像はサポートされていません！"));
  EXPECT_TRUE(Has(report, "このビデオカードでは縦幅512を超える画像はサポートされていません！"));
  EXPECT_TRUE(Has(report, "上記の理由でテクスチャの描画が失敗する可能性があります。(空)"));
  EXPECT_EQ(sd.nWidth, 2000);
  DDReleaseSurface(&sd);
}

TEST_F(GfxTest, AnAliasShowsItsPartnerAndNeverReleasesIt) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  DDSURFACEDATA partner, alias;
  ASSERT_TRUE(DDCreateSurface(&partner, 64, 32, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  int nextId = lpDTCon->nNextSurfaceId;
  ASSERT_TRUE(DDCreateSurface(&alias, 64, 32, 1, 0, DTMEMORYTYPE_VIDEO_RT, &partner, 0));
  EXPECT_EQ(alias.lpPartner, &partner);
  EXPECT_EQ(alias.lpDT->lpTexture, nullptr);
  EXPECT_EQ(alias.lpDT->lpVB, nullptr);
  EXPECT_EQ(lpDTCon->nNextSurfaceId, nextId);
  EXPECT_FALSE(Listed(&alias));
  DDReleaseSurface(&alias);
  EXPECT_TRUE(Listed(&partner));
  EXPECT_EQ(D3DPixel(&partner, 0, 0), lpDTCon->dwTransmitKey_32);  // its texture is alive
  DDReleaseSurface(&partner);
}

TEST_F(GfxTest, SurfaceListsStayInStepWithTheirDescriptors) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  cCheckedList<DDSURFACEDATA> surfaces;
  cCheckedList<DDBITMAPDATA> bitmaps;
  ASSERT_TRUE(DDAddSurfaceToList(surfaces, bitmaps, 10, 10, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr));
  ASSERT_TRUE(DDInsertSurface(surfaces, bitmaps, -3, 20, 20, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr));
  ASSERT_TRUE(DDInsertSurface(surfaces, bitmaps, 99, 30, 30, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr));
  ASSERT_TRUE(DDInsertSurface(surfaces, bitmaps, 1, 40, 40, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr));
  std::vector<int> widths, keys;
  for (auto& s : surfaces) widths.push_back(s.nWidth);
  for (auto& b : bitmaps) keys.push_back(b.bColorKey);
  EXPECT_EQ(widths, (std::vector<int>{20, 40, 10, 30}));
  EXPECT_EQ(keys, (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(bitmaps.At(0).nDTMemType, DTMEMORYTYPE_SYSTEM);
  EXPECT_STREQ(bitmaps.At(0).szFileName, "");

  DDSURFACEDATA* third = &surfaces.At(2);
  EXPECT_EQ(DDRemoveSurface(surfaces, bitmaps, third), 1);
  EXPECT_FALSE(Listed(third));
  widths.clear();
  for (auto& s : surfaces) widths.push_back(s.nWidth);
  EXPECT_EQ(widths, (std::vector<int>{20, 40, 30}));
  EXPECT_EQ(bitmaps.Size(), 3);
  EXPECT_EQ(bitmaps.At(2).bColorKey, 0);
  DDSURFACEDATA stranger;
  EXPECT_EQ(DDRemoveSurface(surfaces, bitmaps, &stranger), 0);

  DDReleaseSurfaceList(surfaces);
  EXPECT_EQ(DDSurfaceList.size(), 2u);  // VirBackBuffer and WorkSD
}

TEST_F(GfxTest, SurfacesOfAGrowingVectorStayFoundByTheRecovery) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  cCheckedVector<DDSURFACEDATA> surfaces;
  cCheckedVector<DDBITMAPDATA> bitmaps;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(DDAddSurface(surfaces, bitmaps, 8 + i, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr));
  ASSERT_EQ(bitmaps.size(), 20u);
  for (auto& s : surfaces) EXPECT_TRUE(Listed(&s));
  EXPECT_EQ(DDSurfaceList.size(), 22u);

  DDReleaseSurface(&surfaces[5]);
  surfaces.erase(surfaces.begin() + 5);  // the records after it move down one place
  EXPECT_EQ(DDSurfaceList.size(), 21u);
  for (auto& s : surfaces) EXPECT_TRUE(Listed(&s));

  video::test::LoseDevice();
  video::test::AllowDeviceReset();
  ASSERT_EQ(DDRestoreSurface(), 1);
  for (auto& s : surfaces) EXPECT_EQ(s.bLost, 1);
  DDReleaseSurfaceVector(surfaces);
  EXPECT_EQ(DDSurfaceList.size(), 2u);
}

TEST_F(GfxTest, DirectDrawBlankSurfacesFallBackToSystemMemoryAndStartWithColourZero) {
  video::test::SetVideoMemory(640 * 480 * 4 * 2 + 1000);  // just the flip chain
  ASSERT_TRUE(Start(kDirectDraw, 32, 0));
  DDPalette[0] = {1, 2, 3, 0};
  DDColorKey = 0x00FF00FF;
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 40, 10, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
  EXPECT_EQ(sd.nDDMemType, 1);
  EXPECT_EQ(sd.nTexWidth, 40);
  IDirectDrawSurface7* s = sd.lpDDData->lpDDSurface;
  DDCOLORKEY key{};
  ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(key.dwColorSpaceLowValue, 0x00FF00FFu);
  EXPECT_EQ(s->Pixels().Get(39, 9), 0x00010203u);
  DDReleaseSurface(&sd);
}

TEST_F(GfxTest, CreationCodesAndBitmapSizeChecks) {
  for (int code : {4, 8, 9}) EXPECT_FALSE(DDCheckResult(code)) << code;
  for (int code : {0, 1, 2, -5}) EXPECT_TRUE(DDCheckResult(code)) << code;
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"CREATESURFACE_ERR", "LOADIMAGE_ERR", "SETCOLORKEY_ERR"}));

  std::vector<uint8_t> file = video::EncodeBmp(video::BmpImage::FromArgb(100, 50, 24, std::vector<uint32_t>(5000)));
  ASSERT_TRUE(WriteFileBytes("big.bmp", file));
  ASSERT_TRUE(Start(kDirectDraw, 32, 1));
  int out = -1;
  EXPECT_EQ(DDCheckBitmapSize(&out, "big.bmp", 80, 80), 1);
  EXPECT_EQ(out, 1);
  EXPECT_EQ(DDCheckBitmapSize(&out, "big.bmp", 100, 50), 1);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(DDCheckBitmapSize(&out, "missing.bmp", 100, 50), 0);
  EXPECT_EQ(out, 0);
  DDRelease();
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  out = 7;
  EXPECT_EQ(DDCheckBitmapSize(&out, "big.bmp", 1, 1), 1);
  EXPECT_EQ(out, 7);
}

TEST_F(GfxTest, ReloadingTheApplicationTableRemakesOnlyTheNamedSurfaces) {
  DDSURFACEDATA app[4];
  DDBITMAPDATA bd[4];
  for (int i = 0; i < 4; ++i) {
    std::snprintf(bd[i].szFileName, sizeof bd[i].szFileName, "E");
    bd[i].nWidth = 10 * (i + 1);
    bd[i].nHeight = 5;
    bd[i].nDDMemType = 1;
    bd[i].nDTMemType = DTMEMORYTYPE_SYSTEM;
  }
  std::snprintf(bd[3].szFileName, sizeof bd[3].szFileName, "bmp\\missing.bmp");
  bd[3].bOptional = 1;
  ASSERT_TRUE(Start(kDirect3D, 32, 1, 0, app, bd, 4));
  int some[] = {0, 2, 3, 17};
  EXPECT_TRUE(DDReloadBitmaps(app, some, 4));
  EXPECT_EQ(app[0].nWidth, 10);
  EXPECT_EQ(app[2].nWidth, 30);
  EXPECT_EQ(app[1].lpDT, nullptr);  // not named
  EXPECT_TRUE(msgbox::TakeRecords().empty());  // the optional file failed quietly

  bd[3].bOptional = 0;
  int file[] = {3};
  EXPECT_FALSE(DDReloadBitmaps(app, file, 1));
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "bmp\\missing.bmp の読み込みに失敗！");
  DDRelease();  // the table lives on this stack
}
