// The pixel core under the DirectDraw and Direct3D stand-ins: pixel formats, pixel buffers with a
// row pitch, and conversions between a format and 8-bit ARGB.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/video/wintypes.h"

// Pixel loops that the compiler vectorises get a second copy for machines with wider vectors, chosen
// when the program loads. The build turns the copies off for sanitizer builds (PLAYER_CLONES unset):
// the choice runs before a sanitizer's run time has started.
#if defined(PLAYER_CLONES) && defined(__x86_64__) && defined(__GNUC__)
#define VIDEO_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VIDEO_WIDE_VECTORS
#endif

namespace video {

enum class PixelFormat { P8, R5G6B5, X1R5G5B5, A1R5G5B5, X8R8G8B8, A8R8G8B8 };

struct ChannelMasks {
  uint32_t red;
  uint32_t green;
  uint32_t blue;
  uint32_t alpha;
};

int BytesPerPixel(PixelFormat format);
inline int BitsPerPixel(PixelFormat format) { return BytesPerPixel(format) * 8; }
// Colour masks of a format; all zero for P8.
ChannelMasks MasksOf(PixelFormat format);

// 8-bit ARGB (0xAARRGGBB) to a pixel of the format. Channels are cut to the format's width by a
// right shift (no rounding, no dithering); a one-bit alpha is set from 128 on; the unused bits of
// the X formats are set. Not for P8.
uint32_t PackArgb(PixelFormat format, uint32_t argb);
// A pixel of the format to 8-bit ARGB: narrow channels are widened by repeating their high bits; the
// alpha of a format without alpha is 255. A P8 pixel is looked up in the palette (black without one).
uint32_t UnpackArgb(PixelFormat format, uint32_t pixel, const PALETTEENTRY* palette = nullptr);

// A rectangle of pixels. Rows are `Pitch()` bytes apart; the pitch is the row length rounded up to
// 4 bytes plus an optional padding (itself rounded up to 4 bytes), so that code which confuses width and pitch shows up.
// Zero-filled bytes from calloc: a large block comes as fresh pages of the system, so a surface costs
// neither time nor memory until it is drawn into (start-up makes many that are mostly never touched).
class ZeroedBytes {
 public:
  ZeroedBytes() = default;
  explicit ZeroedBytes(size_t size);
  ZeroedBytes(const ZeroedBytes& other);
  ZeroedBytes& operator=(const ZeroedBytes& other);
  ZeroedBytes(ZeroedBytes&& other) noexcept;
  ZeroedBytes& operator=(ZeroedBytes&& other) noexcept;
  ~ZeroedBytes();
  size_t size() const { return size_; }
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(int width, int height, PixelFormat format, int padBytes = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  PixelFormat Format() const { return format_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  size_t SizeBytes() const { return bytes_.size(); }

  uint8_t* Bits() { return bytes_.data(); }
  const uint8_t* Bits() const { return bytes_.data(); }
  uint8_t* Row(int y) { return bytes_.data() + static_cast<size_t>(y) * pitch_; }
  const uint8_t* Row(int y) const { return bytes_.data() + static_cast<size_t>(y) * pitch_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Raw pixel values in the buffer's format; coordinates must lie inside.
  uint32_t Get(int x, int y) const;
  void Set(int x, int y, uint32_t pixel);

  // Fills the rectangle (clipped to the buffer) with a raw pixel value.
  void Fill(int x, int y, int w, int h, uint32_t pixel);
  void FillAll(uint32_t pixel) { Fill(0, 0, width_, height_, pixel); }
  // Overwrites every byte with a pattern that no drawing produces, as memory that lost its contents.
  void Scramble();

 private:
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
  PixelFormat format_ = PixelFormat::X8R8G8B8;
  ZeroedBytes bytes_;
};

// Copies the source rectangle onto the destination rectangle, stretching by nearest neighbour:
// destination column k reads source column sx + k * sw / w (integer division), rows alike. Pixels
// outside either buffer are skipped; both buffers must have the same format. With a key,
// source pixels in [keyLow, keyHigh] are skipped. A source that is the destination is read from a
// copy first.
void CopyRect(PixelBuffer& dst, const RECT& dstRect, const PixelBuffer& src, const RECT& srcRect,
              bool useKey = false, uint32_t keyLow = 0, uint32_t keyHigh = 0);

// The whole buffer as 0xFFRRGGBB pixels, row after row without padding.
std::vector<uint32_t> ToXrgb(const PixelBuffer& buffer, const PALETTEENTRY* palette = nullptr);

}  // namespace video
