#include "platform/video/pixels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

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

ZeroedBytes::ZeroedBytes(size_t size) : size_(size) {
  if (size_ == 0) return;
  data_ = static_cast<uint8_t*>(std::calloc(size_, 1));
  if (!data_) throw std::bad_alloc();
}

ZeroedBytes::ZeroedBytes(const ZeroedBytes& other) : size_(other.size_) {
  if (size_ == 0) return;
  data_ = static_cast<uint8_t*>(std::malloc(size_));
  if (!data_) throw std::bad_alloc();
  std::memcpy(data_, other.data_, size_);
}

ZeroedBytes& ZeroedBytes::operator=(const ZeroedBytes& other) {
  if (this != &other) *this = ZeroedBytes(other);
  return *this;
}

ZeroedBytes::ZeroedBytes(ZeroedBytes&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
  other.size_ = 0;
}

ZeroedBytes& ZeroedBytes::operator=(ZeroedBytes&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = other.data_;
    size_ = other.size_;
    other.data_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

ZeroedBytes::~ZeroedBytes() { std::free(data_); }

PixelBuffer::PixelBuffer(int width, int height, PixelFormat format, int padBytes)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  int row = width_ * BytesPerPixel(format);
  pitch_ = ((row + 3) & ~3) + ((std::max(padBytes, 0) + 3) & ~3);
  bytes_ = ZeroedBytes(static_cast<size_t>(pitch_) * height_);
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

namespace {
template <class T>
void FillRows(PixelBuffer& b, int x0, int y0, int x1, int y1, uint32_t pixel) {
  T v = static_cast<T>(pixel);
  for (int y = y0; y < y1; ++y) {
    T* row = reinterpret_cast<T*>(b.Row(y)) + x0;
    std::fill(row, row + (x1 - x0), v);
  }
}
}  // namespace

void PixelBuffer::Fill(int x, int y, int w, int h, uint32_t pixel) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = static_cast<int>(std::min<int64_t>(int64_t(x) + w, width_));
  int y1 = static_cast<int>(std::min<int64_t>(int64_t(y) + h, height_));
  if (x0 >= x1 || y0 >= y1) return;
  switch (BytesPerPixel(format_)) {
    case 1: FillRows<uint8_t>(*this, x0, y0, x1, y1, pixel); break;
    case 2: FillRows<uint16_t>(*this, x0, y0, x1, y1, pixel); break;
    default: FillRows<uint32_t>(*this, x0, y0, x1, y1, pixel); break;
  }
}

void PixelBuffer::Scramble() {
  uint32_t state = 0x9E3779B9u;
  uint8_t* bytes = bytes_.data();
  for (size_t i = 0; i < bytes_.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(state >> 24);
  }
}

namespace {

// One row of a keyed copy: source pixels outside [keyLow, keyHigh] are written. Kept apart and free
// of branches so that the compiler can vectorise it, with wider vectors where the machine has them.
template <class T>
VIDEO_WIDE_VECTORS void KeyedRow(T* __restrict out, const T* __restrict in, int n, uint32_t keyLow,
                                        uint32_t keyHigh) {
  const uint32_t range = keyHigh - keyLow;
  for (int k = 0; k < n; ++k) {
    uint32_t p = in[k];
    T keep = static_cast<T>(0) - static_cast<T>(p - keyLow > range);
    out[k] = static_cast<T>((static_cast<T>(p) & keep) | (out[k] & static_cast<T>(~keep)));
  }
}

// Rows of the copy: source row of each destination row that lies inside both buffers.
template <class T>
void CopyPixels(PixelBuffer& dst, const RECT& d, const PixelBuffer& src, const RECT& s, bool useKey, uint32_t keyLow,
                uint32_t keyHigh) {
  int w = d.right - d.left, h = d.bottom - d.top;
  int sw = s.right - s.left, sh = s.bottom - s.top;
  // Destination columns that land inside the destination and read a column inside the source.
  std::vector<int> columns;
  int k0 = std::max(0, -d.left), k1 = std::min(w, dst.Width() - d.left);
  if (k0 >= k1) return;
  bool sameWidth = sw == w;
  if (sameWidth) {
    k0 = std::max(k0, -s.left);
    k1 = std::min(k1, src.Width() - s.left);
    if (k0 >= k1) return;
  } else {
    columns.resize(static_cast<size_t>(k1 - k0));
    for (int k = k0; k < k1; ++k) columns[k - k0] = s.left + static_cast<int>(static_cast<int64_t>(k) * sw / w);
  }
  for (int j = 0; j < h; ++j) {
    int dy = d.top + j;
    int sy = s.top + static_cast<int>(static_cast<int64_t>(j) * sh / h);
    if (dy < 0 || dy >= dst.Height() || sy < 0 || sy >= src.Height()) continue;
    T* out = reinterpret_cast<T*>(dst.Row(dy)) + d.left;
    const T* in = reinterpret_cast<const T*>(src.Row(sy));
    if (sameWidth) {
      const T* from = in + s.left;
      if (!useKey) {
        std::memcpy(out + k0, from + k0, sizeof(T) * static_cast<size_t>(k1 - k0));
        continue;
      }
      KeyedRow<T>(out + k0, from + k0, k1 - k0, keyLow, keyHigh);
      continue;
    }
    for (int k = k0; k < k1; ++k) {
      int sx = columns[k - k0];
      if (sx < 0 || sx >= src.Width()) continue;
      uint32_t p = in[sx];
      if (useKey && p >= keyLow && p <= keyHigh) continue;
      out[k] = static_cast<T>(p);
    }
  }
}

}  // namespace

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
  switch (BytesPerPixel(dst.Format())) {
    case 1: CopyPixels<uint8_t>(dst, d, *src, s, useKey, keyLow, keyHigh); break;
    case 2: CopyPixels<uint16_t>(dst, d, *src, s, useKey, keyLow, keyHigh); break;
    default: CopyPixels<uint32_t>(dst, d, *src, s, useKey, keyLow, keyHigh); break;
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
