#include <gtest/gtest.h>

#include <filesystem>

#include "platform/video/bmp.h"
#include "platform/video/gdi.h"
#include "support/bytes.h"
#include "support/tempdir.h"

using video::BmpImage;

namespace {

std::vector<RGBQUAD> Colours(int n) {
  std::vector<RGBQUAD> c(n);
  for (int i = 0; i < n; ++i) c[i] = {static_cast<BYTE>(i * 3), static_cast<BYTE>(i * 5), static_cast<BYTE>(255 - i), 0};
  return c;
}

// The file header and a 40-byte info header.
ByteWriter Headers(int width, int height, int bitCount, uint32_t compression, uint32_t colours, uint32_t offBits) {
  ByteWriter w;
  w.U8('B').U8('M').U32(0).U32(0).U32(offBits);
  w.U32(40).I32(width).I32(height).U16(1).U16(static_cast<uint16_t>(bitCount)).U32(compression);
  w.U32(0).U32(0).U32(0).U32(colours).U32(0);
  return w;
}

}  // namespace

TEST(Bmp, EveryBitCountSurvivesEncodeAndDecode) {
  const int w = 5, h = 3;  // an odd width pads every row
  for (int bits : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(bits);
    BmpImage img;
    if (bits <= 8) {
      std::vector<uint8_t> idx(w * h);
      for (int i = 0; i < w * h; ++i) idx[i] = static_cast<uint8_t>((i * 7) % (1 << bits));
      img = BmpImage::FromIndices(w, h, bits, idx, Colours(1 << bits));
    } else {
      std::vector<uint32_t> px(w * h);
      for (int i = 0; i < w * h; ++i) px[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x0A1B2C);
      img = BmpImage::FromArgb(w, h, bits, px);
    }
    BmpImage back;
    ASSERT_TRUE(video::DecodeBmp(video::EncodeBmp(img), &back));
    EXPECT_EQ(back.width, w);
    EXPECT_EQ(back.height, h);
    EXPECT_EQ(back.bitCount, bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(back.ArgbAt(x, y), img.ArgbAt(x, y)) << x << "," << y;
  }
}

TEST(Bmp, TopDownRowsComeOutInPictureOrder) {
  // 2x2 at 24 bits, rows stored top first: red, green / blue, white.
  ByteWriter w = Headers(2, -2, 24, BI_RGB, 0, 54);
  w.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U16(0);
  w.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).U16(0);
  BmpImage img;
  ASSERT_TRUE(video::DecodeBmp(w.bytes, &img));
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(img.ArgbAt(0, 0), 0xFFFF0000u);
  EXPECT_EQ(img.ArgbAt(1, 0), 0xFF00FF00u);
  EXPECT_EQ(img.ArgbAt(0, 1), 0xFF0000FFu);
  EXPECT_EQ(img.ArgbAt(1, 1), 0xFFFFFFFFu);
}

TEST(Bmp, RunLengthCodesFillRowsFromTheBottom) {
  // 4x3: bottom row "5 5 5 7" (two runs), middle row absolute "1 2 3" then end of line, top row
  // reached by a delta of two columns, then "9 9" and the end of the bitmap.
  ByteWriter w = Headers(4, 3, 8, BI_RLE8, 16, 54 + 64);
  for (int i = 0; i < 16; ++i) w.U32(0);
  w.U8(3).U8(5).U8(1).U8(7).U8(0).U8(0);
  w.U8(0).U8(3).U8(1).U8(2).U8(3).U8(0).U8(0).U8(0);
  w.U8(0).U8(2).U8(2).U8(0).U8(2).U8(9).U8(0).U8(1);
  BmpImage img;
  ASSERT_TRUE(video::DecodeBmp(w.bytes, &img));
  EXPECT_EQ(img.bitCount, 8);
  const int expected[3][4] = {{0, 0, 9, 9}, {1, 2, 3, 0}, {5, 5, 5, 7}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.IndexAt(x, y), expected[y][x]) << x << "," << y;
}

TEST(Bmp, DamagedOrUnsupportedFilesAreRefused) {
  BmpImage good = BmpImage::FromArgb(4, 4, 24, std::vector<uint32_t>(16, 0xFF00FF00));
  std::vector<uint8_t> file = video::EncodeBmp(good);

  std::vector<uint8_t> truncated(file.begin(), file.end() - 1);
  std::vector<uint8_t> badOffset = file;
  badOffset[10] = 0xFF;
  badOffset[11] = 0xFF;
  std::vector<uint8_t> sixteenBits = video::EncodeBmp(good);
  sixteenBits[28] = 16;
  // A run that reaches past the data, with no end code.
  ByteWriter rle = Headers(4, 4, 8, BI_RLE8, 2, 54 + 8);
  rle.U32(0).U32(0).U8(0).U8(5).U8(1);
  // Runs and deltas that point outside the picture write nothing there.
  ByteWriter wild = Headers(2, 2, 8, BI_RLE8, 2, 54 + 8);
  wild.U32(0).U32(0).U8(200).U8(1).U8(0).U8(2).U8(250).U8(250).U8(0).U8(1);

  BmpImage img;
  EXPECT_FALSE(video::DecodeBmp(truncated, &img));
  EXPECT_FALSE(video::DecodeBmp(badOffset, &img));
  EXPECT_FALSE(video::DecodeBmp(sixteenBits, &img));
  EXPECT_FALSE(video::DecodeBmp(rle.bytes, &img));
  EXPECT_FALSE(video::DecodeBmp({'B', 'M', 0, 0}, &img));
  ASSERT_TRUE(video::DecodeBmp(wild.bytes, &img));
  EXPECT_EQ(img.IndexAt(0, 1), 1);
  EXPECT_EQ(img.IndexAt(1, 1), 1);
}

class BmpFileTest : public TempDirTest {};

TEST_F(BmpFileTest, BitmapsLoadThroughGamePathsAsDibSections) {
  std::filesystem::create_directories("bmp/Sub");
  BmpImage img = BmpImage::FromIndices(3, 2, 8, {0, 1, 2, 3, 4, 5}, Colours(6));
  ASSERT_TRUE(video::SaveBmpFile("bmp\\Sub\\pic.bmp", img));

  HGDIOBJ bitmap = static_cast<HGDIOBJ>(LoadImageA(nullptr, "BMP\\sub\\PIC.bmp", IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmWidth, 3);
  EXPECT_EQ(ds.dsBm.bmHeight, 2);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 8);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 4);
  // Bottom-up: the first stored row is the picture's last.
  EXPECT_EQ(static_cast<const uint8_t*>(ds.dsBm.bmBits)[0], 3);
  RGBQUAD table[8];
  EXPECT_EQ(GetDIBColorTable(bitmap, 4, 8, table), 2u);
  EXPECT_EQ(table[1].rgbRed, 255 - 5);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap));

  EXPECT_EQ(LoadImageA(nullptr, "bmp\\missing.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, "..\\pic.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}
