#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"

namespace {
using Rows = std::vector<std::string>;
}  // namespace

TEST_F(DrawTest, TheTransparentColourOfEachBackEndAndDepth) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(lpDTCon->dwTransmitKey_32, 0xFFFF00FFu);
  EXPECT_EQ(lpDTCon->dwTransmit_32, 0u);
  EXPECT_EQ(PalNumToRGB(0), 0u);
  EXPECT_TRUE(Has(DebugLines(), "SetTrans lpDTCon->rgbTransmit.rgbtRed = 255,lpDTCon->rgbTransmit.rgbtGreen = 0,"
                                "lpDTCon->rgbTransmit.rgbtBlue = 255"));
  DDRelease();

  ASSERT_TRUE(Start(kDirect3D, 16, 1));
  DDSetTransmit(31, 0, 31);  // at the texture format's scale
  EXPECT_EQ(lpDTCon->wTransmitKey_16, 0xFC1Fu);
  EXPECT_EQ(lpDTCon->wTransmit_16, 0u);
  DDRelease();

  ASSERT_TRUE(Start(kDirectDraw, 32, 1));
  DDSetTransmit(10, 20, 30);
  EXPECT_EQ(DDColorKey, 0x000A141Eu);
  EXPECT_EQ(lpDDCon->rgbTransmit.rgbtRed, 10);
  WriteTrueColour("first.bmp", 2, 1, {0x0A141E, 0xFFFFFF});
  DDColorKey = 0;
  EXPECT_EQ(DDSetTransmitFromFile("first.bmp"), 1);
  EXPECT_EQ(DDColorKey, 0x000A141Eu);
  EXPECT_EQ(DDSetTransmitFromFile("missing.bmp"), 0);
  EXPECT_TRUE(Has(DebugLines(), "missing.bmp 作成失敗！"));
  DDRelease();

  ASSERT_TRUE(Start(kDirectDraw, 16, 0));
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(DDColorKey, 0xF81Fu);
  EXPECT_TRUE(Has(DebugLines(), "※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！"));
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Tr 63519 RGB32(255,0,255) -> RGB16(255,0,255)");
  DDRelease();

  DDColorKey = 0;
  ASSERT_TRUE(Start(kDirectDraw, 8, 0));
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(DDColorKey, 0u);  // palette index 0
}

TEST_F(DrawTest, SixteenBitDirect3DTakesTheTransparentColourFromThePaletteFile) {
  StartMode(kDrawModes[1]);  // DDSetTransmitFromFile on the palette bitmap
  EXPECT_EQ(DDColorKey, 0xFC1Fu);
  EXPECT_EQ(lpDTCon->wTransmitKey_16, 0xFC1Fu);
  EXPECT_TRUE(Has(DebugLines(), "SetTrans(filename) lpDTCon->wTransmit_16 = (0)"));
  DDRelease();
  // The colour table's first entry becomes the colour key of 16-bit loads.
  ASSERT_TRUE(Start(kDirect3D, 16, 0));
  std::vector<RGBQUAD> table = ColourTable();
  table[0] = {3, 2, 1, 0};
  WritePaletteFile("other.bmp", table);
  ASSERT_EQ(DDSetTransmitFromFile("other.bmp"), 1);
  EXPECT_EQ(lpDTCon->rgbTransmitFile.rgbtRed, 1);
  EXPECT_EQ(lpDTCon->rgbTransmitFile.rgbtBlue, 3);
  EXPECT_EQ(DDPalToRGB16(DDPalette[1]), 0);
  EXPECT_TRUE(Has(DebugLines(), "DDPalToRGB16はDirect3Dでは未対応"));
}

TEST_F(DrawTest, PalettesFromTheColourTableAndTheSwatchBlock) {
  // Direct3D: the colour table, then every swatch pixel that is not transparent.
  StartMode(kDrawModes[0]);
  EXPECT_EQ(DDPalette[1].peRed, 255);
  EXPECT_EQ(DDPalette[1].peFlags, 255);
  EXPECT_EQ(DDPalette[0].peBlue, 255);  // the transparent swatch pixel left the table's magenta
  EXPECT_EQ(DDPalette[200].peBlue, 200);
  EXPECT_EQ(PalNumToRGB(3), 0xFF0000FFu);
  PALETTEENTRY before[256];
  std::copy(DDPalette, DDPalette + 256, before);
  EXPECT_FALSE(DDLoadPaletteFromFile(DDPalette, "missing.bmp"));
  EXPECT_TRUE(std::equal(DDPalette, DDPalette + 256, before, [](const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
  }));
  // A picture too small for the whole block leaves the entries of the missing pixels.
  WriteTrueColour("small.bmp", 3, 10, std::vector<uint32_t>(30, 0x123456));
  PALETTEENTRY table[256] = {};
  EXPECT_TRUE(DDLoadPaletteFromFile(table, "small.bmp"));
  EXPECT_EQ(table[2].peRed, 0x12);
  EXPECT_EQ(table[2].peFlags, 255);
  EXPECT_EQ(table[18].peBlue, 0x56);
  EXPECT_EQ(table[3].peRed, 0);
  EXPECT_EQ(table[32].peRed, 0);
  DDRelease();

  // DirectDraw 16 bits: the swatch at the screen format's own channel values.
  ASSERT_TRUE(Start(kDirectDraw, 16, 0));
  std::vector<uint32_t> pixels(16 * 24, 0);
  pixels[8 * 16] = 0xFFA200;  // red 31, green 40, blue 0 in R5G6B5
  WriteTrueColour("swatch.bmp", 16, 24, pixels);
  ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, "swatch.bmp"));
  EXPECT_EQ(DDPalette[0].peRed, 31);
  EXPECT_EQ(DDPalette[0].peGreen, 40);
  EXPECT_EQ(DDPalette[0].peBlue, 0);
  EXPECT_EQ(PalNumToRGB(0), 0xFD00u);
  EXPECT_EQ(DDPalToRGB16(DDPalette[0]), 0xFD00u);
}

TEST_F(DrawTest, APaletteChangeAtEightBitsRecoloursTheScreen) {
  StartMode(kDrawModes[4]);
  EXPECT_EQ(DDPalette[9].peFlags, PC_EXPLICIT);
  EXPECT_EQ(DDPalette[10].peFlags, PC_RESERVED);
  EXPECT_EQ(DDPalette[246].peFlags, PC_EXPLICIT);
  IDirectDrawSurface7* primary = PrimarySD.lpDDData->lpDDSurface;
  DDFillSurface(&BackBuffer, 20);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(presenter_->LastFrame().At(5, 5), 0xFF4DEB14u);  // entry 20 of the test table

  std::vector<RGBQUAD> table = ColourTable();
  table[20] = {3, 2, 1, 0};
  WritePaletteFile("night.bmp", table);
  ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, "night.bmp"));
  PALETTEENTRY shown[256];
  lpDDPal->GetEntries(0, 0, 256, shown);
  EXPECT_EQ(shown[20].peRed, 1);
  DDFillSurface(&BackBuffer, 20);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(presenter_->LastFrame().At(5, 5), 0xFF010203u);  // the same index, the new colour
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&BackBuffer));
  EXPECT_EQ(lock.Get(5, 5), 20u);
}

TEST_F(DrawTest, LocksFindTheSurfaceThatHoldsThePixels) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA sheet, alias, rt, dst;
  LoadPicture(&sheet, "sheet.bmp", {"RG"}, 1);
  ASSERT_EQ(DDCreateSurfaceFromFile(&alias, "sheet.bmp", 1, 32, 0, 0, &sheet, 0, 2, 0, 0), 0);
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&alias));
  EXPECT_EQ(lock.m_lpSD, &sheet);
  lock.Unlock();
  EXPECT_EQ(lock.m_lpSD, nullptr);
  EXPECT_EQ(lock.m_pBits, nullptr);

  // A render target is read back at the lock and uploaded at the unlock.
  Blank(&rt, 2, 1, 'N');
  ASSERT_TRUE(lock.Lock(&rt));
  EXPECT_EQ(lock.Get(0, 0), 0xFF000000u);
  lock.Set(1, 0, 0xFFFF0000);
  lock.Unlock();
  Blank(&dst, 2, 1, 'Y');
  DDBlt(&dst, 0, 0, 2, 1, &rt, 0, 0, 1);
  EXPECT_EQ(Grid(&dst), (Rows{"NR"}));

  // With virtual mode on, the back buffer's pixels are those of the virtual back buffer.
  DDSetVirtualBackBuffer(1);
  ASSERT_TRUE(lock.Lock(&BackBuffer));
  EXPECT_EQ(lock.m_lpSD, &VirBackBuffer);
  lock.Set(7, 7, 0xFF00FF00);
  lock.Unlock();
  DDSetVirtualBackBuffer(0);
  EXPECT_EQ(BackBuffer.lpDT->lpSurface->Pixels().Get(7, 7), 0xFF00FF00u);

  DDSURFACEDESC2 desc{};
  void* bits = nullptr;
  EXPECT_TRUE(DDLock(&rt, &desc, &bits, 32));
  EXPECT_EQ(bits, nullptr);
  EXPECT_TRUE(Has(DebugLines(), "D3DではDDLockは未対応"));
  DDSURFACEDATA empty;
  EXPECT_FALSE(lock.Lock(&empty));
  for (DDSURFACEDATA* sd : {&dst, &rt, &alias, &sheet}) DDReleaseSurface(sd);
}
