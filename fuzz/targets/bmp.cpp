// The bitmap reader of the video stand-in, reading a picture named by the game's data: a picture
// that decodes has every pixel inside its rows and colour table, encodes, and decodes to itself.
#include <cstdint>

#include "platform/video/bmp.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  FuzzWriteFile("bmp\\fuzz.bmp", data, size);
  video::BmpImage image;
  const int loaded =
      FuzzWatchedLoad(size, [&] { return video::LoadBmpFile("bmp\\fuzz.bmp", &image) ? 1 : 0; }, 260);
  if (!loaded) return 0;
  FUZZ_CHECK(image.width > 0 && image.height > 0);
  FUZZ_CHECK(image.stride == video::BmpImage::StrideFor(image.width, image.bitCount));
  FUZZ_CHECK(image.bits.size() == static_cast<size_t>(image.stride) * image.height);
  FUZZ_CHECK(image.bitCount > 8 || image.colors.size() <= 256);
  // The corners and the diagonal, as drawing reads them.
  uint32_t sum = 0;
  for (int i = 0; i < 64; ++i) {
    const int x = static_cast<int>(static_cast<int64_t>(image.width - 1) * i / 63);
    const int y = static_cast<int>(static_cast<int64_t>(image.height - 1) * i / 63);
    sum += image.ArgbAt(x, y) + image.ArgbAt(image.width - 1 - x, y);
  }
  (void)sum;
  video::BmpImage again;
  FUZZ_CHECK(video::DecodeBmp(video::EncodeBmp(image), &again));
  FUZZ_CHECK(again.width == image.width && again.height == image.height && again.bitCount == image.bitCount);
  FUZZ_CHECK(again.bits == image.bits);
  return 0;
}
