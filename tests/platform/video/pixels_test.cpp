#include <gtest/gtest.h>

#include "platform/video/pixels.h"

using video::PixelBuffer;
using video::PixelFormat;

TEST(PixelFormats, PackAndUnpackFollowTheFormatRules) {
  struct Case {
    PixelFormat format;
    uint32_t argb;
    uint32_t packed;
    uint32_t unpacked;
  };
  const Case cases[] = {
      {PixelFormat::R5G6B5, 0xFF123456, 0x11AA, 0xFF103452},
      {PixelFormat::R5G6B5, 0x00FFFFFF, 0xFFFF, 0xFFFFFFFF},  // no alpha: always opaque
      {PixelFormat::A1R5G5B5, 0x80FF0000, 0xFC00, 0xFFFF0000},
      {PixelFormat::A1R5G5B5, 0x7FFF0000, 0x7C00, 0x00FF0000},  // alpha below 128 drops the bit
      {PixelFormat::X1R5G5B5, 0x0000FF00, 0x83E0, 0xFF00FF00},  // the unused bit is set
      {PixelFormat::X8R8G8B8, 0x00123456, 0xFF123456, 0xFF123456},
      {PixelFormat::A8R8G8B8, 0x40123456, 0x40123456, 0x40123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    EXPECT_EQ(video::PackArgb(c.format, c.argb), c.packed);
    EXPECT_EQ(video::UnpackArgb(c.format, c.packed), c.unpacked);
  }
}

TEST(PixelFormats, SixteenBitPixelsSurviveTheRoundTripThroughArgb) {
  for (PixelFormat f : {PixelFormat::R5G6B5, PixelFormat::A1R5G5B5}) {
    for (uint32_t p = 0; p < 0x10000; ++p) ASSERT_EQ(video::PackArgb(f, video::UnpackArgb(f, p)), p) << p;
  }
}

TEST(PixelFormats, PalettisedPixelsAreLookedUp) {
  PALETTEENTRY palette[256] = {};
  palette[7] = {10, 20, 30, 0};
  EXPECT_EQ(video::UnpackArgb(PixelFormat::P8, 7, palette), 0xFF0A141Eu);
  EXPECT_EQ(video::UnpackArgb(PixelFormat::P8, 7, nullptr), 0xFF000000u);
}

TEST(PixelBuffers, RowsArePaddedToFourBytesPlusTheExtraPadding) {
  EXPECT_EQ(PixelBuffer(3, 2, PixelFormat::R5G6B5).Pitch(), 8);
  EXPECT_EQ(PixelBuffer(3, 2, PixelFormat::P8, 5).Pitch(), 12);
  PixelBuffer b(3, 2, PixelFormat::X8R8G8B8, 4);
  b.Set(2, 1, 0x12345678);
  EXPECT_EQ(b.Get(2, 1), 0x12345678u);
  EXPECT_EQ(b.SizeBytes(), 2u * 16u);
}

namespace {
PixelBuffer Row(std::initializer_list<uint32_t> values) {
  PixelBuffer b(static_cast<int>(values.size()), 1, PixelFormat::X8R8G8B8);
  int x = 0;
  for (uint32_t v : values) b.Set(x++, 0, v);
  return b;
}
std::vector<uint32_t> Values(const PixelBuffer& b) {
  std::vector<uint32_t> out;
  for (int x = 0; x < b.Width(); ++x) out.push_back(b.Get(x, 0));
  return out;
}
}  // namespace

TEST(PixelBuffers, CopyRectStretchesByNearestNeighbourAndSkipsKeyedPixels) {
  PixelBuffer src = Row({1, 2, 3, 4});
  PixelBuffer dst = Row({9, 9, 9, 9, 9, 9, 9, 9});
  video::CopyRect(dst, {0, 0, 8, 1}, src, {0, 0, 4, 1});
  EXPECT_EQ(Values(dst), (std::vector<uint32_t>{1, 1, 2, 2, 3, 3, 4, 4}));

  PixelBuffer small = Row({9, 9});
  video::CopyRect(small, {0, 0, 2, 1}, src, {0, 0, 4, 1});
  EXPECT_EQ(Values(small), (std::vector<uint32_t>{1, 3}));

  PixelBuffer keyed = Row({9, 9, 9, 9});
  video::CopyRect(keyed, {0, 0, 4, 1}, src, {0, 0, 4, 1}, true, 2, 3);
  EXPECT_EQ(Values(keyed), (std::vector<uint32_t>{1, 9, 9, 4}));
}

TEST(PixelBuffers, CopyRectWithinOneBufferReadsTheOriginalPixels) {
  PixelBuffer b = Row({1, 2, 3, 4, 5});
  video::CopyRect(b, {1, 0, 5, 1}, b, {0, 0, 4, 1});
  EXPECT_EQ(Values(b), (std::vector<uint32_t>{1, 1, 2, 3, 4}));
}

TEST(PixelBuffers, CopyRectSkipsPixelsOutsideEitherBuffer) {
  PixelBuffer src = Row({1, 2});
  PixelBuffer dst = Row({9, 9, 9});
  video::CopyRect(dst, {-1, 0, 3, 1}, src, {0, 0, 4, 1});  // source columns 2 and 3 do not exist
  EXPECT_EQ(Values(dst), (std::vector<uint32_t>{2, 9, 9}));
}
