#include "platform/video/bmp.h"

#include <cstdio>
#include <cstring>

#include "platform/fs/path.h"

namespace video {

namespace {

constexpr int kMaxSide = 32768;
constexpr size_t kMaxPixelBytes = size_t(1) << 28;
// Run-length data fills at most 255 pixels per code of two bytes, but delta and end codes may leave
// the rest of a picture blank: a picture of more than 1 MiB of pixels needs at least one byte of codes
// per 256 pixels, so that a few bytes of a damaged file never claim a huge picture.
constexpr size_t kRleFreeBytes = size_t(1) << 20;
constexpr size_t kRlePixelsPerByte = 256;

class Reader {
 public:
  Reader(const std::vector<uint8_t>& d, size_t pos = 0) : d_(d), pos_(pos) {}
  bool Has(size_t n) const { return pos_ <= d_.size() && d_.size() - pos_ >= n; }
  uint32_t U32() {
    uint32_t v = 0;
    if (Has(4)) std::memcpy(&v, d_.data() + pos_, 4);
    else ok_ = false;
    pos_ += 4;
    return v;
  }
  uint16_t U16() {
    uint16_t v = 0;
    if (Has(2)) std::memcpy(&v, d_.data() + pos_, 2);
    else ok_ = false;
    pos_ += 2;
    return v;
  }
  uint8_t U8() {
    uint8_t v = 0;
    if (Has(1)) v = d_[pos_];
    else ok_ = false;
    pos_ += 1;
    return v;
  }
  bool Ok() const { return ok_; }
  size_t Pos() const { return pos_; }

 private:
  const std::vector<uint8_t>& d_;
  size_t pos_;
  bool ok_ = true;
};

// Run-length 8-bit data into bottom-up rows; pixels the codes never reach stay 0.
bool DecodeRle8(const std::vector<uint8_t>& file, size_t pos, BmpImage* img) {
  Reader r(file, pos);
  int x = 0, y = 0;  // y counts rows from the bottom, as the codes do
  auto put = [&](uint8_t v) {
    if (x < img->width && y < img->height) img->bits[static_cast<size_t>(y) * img->stride + x] = v;
    ++x;
  };
  while (y < img->height) {
    if (!r.Has(2)) return false;
    uint8_t count = r.U8(), value = r.U8();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (!r.Has(2)) return false;
      x += r.U8();
      y += r.U8();
    } else {
      if (!r.Has(value)) return false;
      for (int i = 0; i < value; ++i) put(r.U8());
      if (value & 1) r.U8();
    }
  }
  return true;
}

}  // namespace

int BmpImage::IndexAt(int x, int y) const {
  const uint8_t* row = RowFromTop(y);
  switch (bitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case 8: return row[x];
    default: return 0;
  }
}

uint32_t BmpImage::ArgbAt(int x, int y) const {
  if (bitCount <= 8) {
    size_t i = static_cast<size_t>(IndexAt(x, y));
    if (i >= colors.size()) return 0xFF000000;
    const RGBQUAD& c = colors[i];
    return 0xFF000000 | uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue;
  }
  const uint8_t* p = RowFromTop(y) + static_cast<size_t>(x) * (bitCount / 8);
  return 0xFF000000 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

BmpImage BmpImage::FromIndices(int width, int height, int bitCount, const std::vector<uint8_t>& indices,
                               const std::vector<RGBQUAD>& colors) {
  BmpImage img;
  img.width = width;
  img.height = height;
  img.bitCount = bitCount;
  img.stride = StrideFor(width, bitCount);
  img.colors = colors;
  img.bits.assign(static_cast<size_t>(img.stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = img.RowFromTop(y);
    for (int x = 0; x < width; ++x) {
      uint8_t v = indices[static_cast<size_t>(y) * width + x];
      switch (bitCount) {
        case 1: row[x >> 3] |= static_cast<uint8_t>((v & 1) << (7 - (x & 7))); break;
        case 4: row[x >> 1] |= static_cast<uint8_t>((v & 15) << ((x & 1) ? 0 : 4)); break;
        default: row[x] = v; break;
      }
    }
  }
  return img;
}

BmpImage BmpImage::FromArgb(int width, int height, int bitCount, const std::vector<uint32_t>& pixels) {
  BmpImage img;
  img.width = width;
  img.height = height;
  img.bitCount = bitCount;
  img.stride = StrideFor(width, bitCount);
  img.bits.assign(static_cast<size_t>(img.stride) * height, 0);
  int bpp = bitCount / 8;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = img.RowFromTop(y);
    for (int x = 0; x < width; ++x) {
      uint32_t c = pixels[static_cast<size_t>(y) * width + x];
      uint8_t* p = row + static_cast<size_t>(x) * bpp;
      p[0] = c & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = (c >> 16) & 0xFF;
      if (bpp == 4) p[3] = 0;
    }
  }
  return img;
}

bool DecodeBmp(const std::vector<uint8_t>& file, BmpImage* out) {
  Reader r(file);
  if (r.U8() != 'B' || r.U8() != 'M') return false;
  r.U32();
  r.U32();
  uint32_t offBits = r.U32();
  size_t infoPos = r.Pos();
  uint32_t infoSize = r.U32();
  if (!r.Ok()) return false;
  int64_t width, height;
  int bitCount;
  uint32_t compression = BI_RGB, clrUsed = 0;
  bool core = infoSize == 12;
  if (core) {
    width = r.U16();
    height = static_cast<int16_t>(r.U16());
    r.U16();
    bitCount = r.U16();
  } else if (infoSize >= 40) {
    width = static_cast<int32_t>(r.U32());
    height = static_cast<int32_t>(r.U32());
    r.U16();
    bitCount = r.U16();
    compression = r.U32();
    r.U32();
    r.U32();
    r.U32();
    clrUsed = r.U32();
  } else {
    return false;
  }
  if (!r.Ok()) return false;
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;

  size_t afterInfo = infoPos + infoSize;
  if (compression == BI_BITFIELDS) {
    if (bitCount != 32) return false;
    Reader m(file, infoSize == 40 ? afterInfo : infoPos + 40);
    uint32_t rm = m.U32(), gm = m.U32(), bm = m.U32();
    if (!m.Ok() || rm != 0x00FF0000 || gm != 0x0000FF00 || bm != 0x000000FF) return false;
    if (infoSize == 40) afterInfo += 12;
  } else if (compression == BI_RLE8) {
    if (bitCount != 8 || topDown) return false;
  } else if (compression != BI_RGB) {
    return false;
  }

  BmpImage img;
  img.width = static_cast<int>(width);
  img.height = static_cast<int>(height);
  img.bitCount = bitCount;
  img.stride = BmpImage::StrideFor(img.width, bitCount);
  size_t need = static_cast<size_t>(img.stride) * img.height;
  if (need > kMaxPixelBytes) return false;

  if (bitCount <= 8) {
    size_t count = clrUsed ? clrUsed : (size_t(1) << bitCount);
    if (count > 256) count = 256;
    Reader t(file, afterInfo);
    img.colors.resize(count);
    for (size_t i = 0; i < count; ++i) {
      img.colors[i].rgbBlue = t.U8();
      img.colors[i].rgbGreen = t.U8();
      img.colors[i].rgbRed = t.U8();
      img.colors[i].rgbReserved = core ? 0 : t.U8();
    }
    if (!t.Ok()) return false;
  }

  // The pixels are allocated only when the file can hold them.
  if (offBits > file.size()) return false;
  const size_t pixelData = file.size() - offBits;
  if (compression == BI_RLE8 ? need > kRleFreeBytes && need / kRlePixelsPerByte > pixelData : pixelData < need)
    return false;
  img.bits.assign(need, 0);
  if (compression == BI_RLE8) {
    if (!DecodeRle8(file, offBits, &img)) return false;
  } else {
    for (int y = 0; y < img.height; ++y) {
      int dstRow = topDown ? img.height - 1 - y : y;
      std::memcpy(img.bits.data() + static_cast<size_t>(dstRow) * img.stride,
                  file.data() + offBits + static_cast<size_t>(y) * img.stride, img.stride);
    }
  }
  *out = std::move(img);
  return true;
}

bool LoadBmpFile(const std::string& gamePath, BmpImage* out) {
  FILE* f = OpenGameFile(gamePath, "rb", PathOrigin::Data);
  if (!f) return false;
  std::vector<uint8_t> data;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    data.insert(data.end(), buf, buf + n);
    if (data.size() > kMaxPixelBytes + (1 << 20)) break;
  }
  std::fclose(f);
  return DecodeBmp(data, out);
}

std::vector<uint8_t> EncodeBmp(const BmpImage& image) {
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  uint32_t colors = image.bitCount <= 8 ? static_cast<uint32_t>(image.colors.size()) : 0;
  uint32_t offBits = 14 + 40 + colors * 4;
  uint32_t sizeImage = static_cast<uint32_t>(image.stride) * image.height;
  out.push_back('B');
  out.push_back('M');
  u32(offBits + sizeImage);
  u32(0);
  u32(offBits);
  u32(40);
  u32(static_cast<uint32_t>(image.width));
  u32(static_cast<uint32_t>(image.height));
  u16(1);
  u16(static_cast<uint16_t>(image.bitCount));
  u32(BI_RGB);
  u32(sizeImage);
  u32(2835);
  u32(2835);
  u32(colors);
  u32(0);
  for (uint32_t i = 0; i < colors; ++i) {
    const RGBQUAD& c = image.colors[i];
    out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  }
  out.insert(out.end(), image.bits.begin(), image.bits.end());
  return out;
}

bool SaveBmpFile(const std::string& gamePath, const BmpImage& image) {
  std::vector<uint8_t> data = EncodeBmp(image);
  FILE* f = OpenGameFile(gamePath, "wb", PathOrigin::Program);
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace video
