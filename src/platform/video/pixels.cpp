#include "platform/video/pixels.h"

#include <algorithm>
#include <cstring>

namespace video {

int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::P8: return 1;
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: return 2;
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A8R8G8B8: return 4;
  }
  return 4;
}

ChannelMasks MasksOf(PixelFormat format) {
  switch (format) {
    case PixelFormat::P8: return {0, 0, 0, 0};
    case PixelFormat::R5G6B5: return {0xF800, 0x07E0, 0x001F, 0};
    case PixelFormat::X1R5G5B5: return {0x7C00, 0x03E0, 0x001F, 0};
    case PixelFormat::A1R5G5B5: return {0x7C00, 0x03E0, 0x001F, 0x8000};
    case PixelFormat::X8R8G8B8: return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    case PixelFormat::A8R8G8B8: return {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  }
  return {0, 0, 0, 0};
}

uint32_t PackArgb(PixelFormat format, uint32_t argb) {
  uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  switch (format) {
    case PixelFormat::P8: return 0;
    case PixelFormat::R5G6B5: return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case PixelFormat::X1R5G5B5: return 0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case PixelFormat::A1R5G5B5: return (a >= 128 ? 0x8000 : 0) | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case PixelFormat::X8R8G8B8: return 0xFF000000 | (argb & 0x00FFFFFF);
    case PixelFormat::A8R8G8B8: return argb;
  }
  return 0;
}

namespace {
inline uint32_t Widen5(uint32_t c) { return c << 3 | c >> 2; }
inline uint32_t Widen6(uint32_t c) { return c << 2 | c >> 4; }
}  // namespace

uint32_t UnpackArgb(PixelFormat format, uint32_t pixel, const PALETTEENTRY* palette) {
  switch (format) {
    case PixelFormat::P8: {
      if (!palette) return 0xFF000000;
      const PALETTEENTRY& e = palette[pixel & 0xFF];
      return 0xFF000000 | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
    }
    case PixelFormat::R5G6B5:
      return 0xFF000000 | Widen5((pixel >> 11) & 31) << 16 | Widen6((pixel >> 5) & 63) << 8 | Widen5(pixel & 31);
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: {
      uint32_t a = (format == PixelFormat::X1R5G5B5 || (pixel & 0x8000)) ? 0xFF : 0;
      return a << 24 | Widen5((pixel >> 10) & 31) << 16 | Widen5((pixel >> 5) & 31) << 8 | Widen5(pixel & 31);
    }
    case PixelFormat::X8R8G8B8: return 0xFF000000 | (pixel & 0x00FFFFFF);
    case PixelFormat::A8R8G8B8: return pixel;
  }
  return 0;
}

PixelBuffer::PixelBuffer(int width, int height, PixelFormat format, int padBytes)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  int row = width_ * BytesPerPixel(format);
  pitch_ = ((row + 3) & ~3) + ((std::max(padBytes, 0) + 3) & ~3);
  bytes_.assign(static_cast<size_t>(pitch_) * height_, 0);
}

uint32_t PixelBuffer::Get(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * BytesPerPixel(format_);
  switch (BytesPerPixel(format_)) {
    case 1: return *p;
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

void PixelBuffer::Set(int x, int y, uint32_t pixel) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * BytesPerPixel(format_);
  switch (BytesPerPixel(format_)) {
    case 1: *p = static_cast<uint8_t>(pixel); break;
    case 2: {
      uint16_t v = static_cast<uint16_t>(pixel);
      std::memcpy(p, &v, 2);
      break;
    }
    default: std::memcpy(p, &pixel, 4); break;
  }
}

void PixelBuffer::Fill(int x, int y, int w, int h, uint32_t pixel) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
  for (int yy = y0; yy < y1; ++yy)
    for (int xx = x0; xx < x1; ++xx) Set(xx, yy, pixel);
}

void PixelBuffer::Scramble() {
  uint32_t state = 0x9E3779B9u;
  for (auto& b : bytes_) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(state >> 24);
  }
}

void CopyRect(PixelBuffer& dst, const RECT& d, const PixelBuffer& srcIn, const RECT& s, bool useKey,
              uint32_t keyLow, uint32_t keyHigh) {
  PixelBuffer copy;
  const PixelBuffer* src = &srcIn;
  if (src == &dst) {
    copy = srcIn;
    src = &copy;
  }
  int w = d.right - d.left, h = d.bottom - d.top;
  int sw = s.right - s.left, sh = s.bottom - s.top;
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  for (int j = 0; j < h; ++j) {
    int sy = s.top + static_cast<int>(static_cast<int64_t>(j) * sh / h);
    for (int k = 0; k < w; ++k) {
      int sx = s.left + static_cast<int>(static_cast<int64_t>(k) * sw / w);
      if (!src->Contains(sx, sy) || !dst.Contains(d.left + k, d.top + j)) continue;
      uint32_t p = src->Get(sx, sy);
      if (useKey && p >= keyLow && p <= keyHigh) continue;
      dst.Set(d.left + k, d.top + j, p);
    }
  }
}

std::vector<uint32_t> ToXrgb(const PixelBuffer& buffer, const PALETTEENTRY* palette) {
  std::vector<uint32_t> out(static_cast<size_t>(buffer.Width()) * buffer.Height());
  size_t i = 0;
  for (int y = 0; y < buffer.Height(); ++y)
    for (int x = 0; x < buffer.Width(); ++x)
      out[i++] = 0xFF000000 | UnpackArgb(buffer.Format(), buffer.Get(x, y), palette);
  return out;
}

}  // namespace video
