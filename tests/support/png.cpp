#include "support/png.h"

#include <map>
#include <string>

namespace {

uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

// A zlib stream of stored blocks.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, b << 16 | a);
  return z;
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& xrgb) {
  std::map<uint32_t, uint8_t> palette;
  for (uint32_t p : xrgb) {
    if (palette.size() > 256) break;
    palette.emplace(p & 0xFFFFFF, 0);
  }
  const bool indexed = palette.size() <= 256;
  std::vector<uint8_t> plte;
  if (indexed) {
    int i = 0;
    for (auto& [colour, index] : palette) {
      index = static_cast<uint8_t>(i++);
      plte.push_back(static_cast<uint8_t>(colour >> 16));
      plte.push_back(static_cast<uint8_t>(colour >> 8));
      plte.push_back(static_cast<uint8_t>(colour));
    }
  }
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      uint32_t p = xrgb[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
      if (indexed) {
        raw.push_back(palette[p]);
      } else {
        raw.push_back(static_cast<uint8_t>(p >> 16));
        raw.push_back(static_cast<uint8_t>(p >> 8));
        raw.push_back(static_cast<uint8_t>(p));
      }
    }
  }
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32(ihdr, static_cast<uint32_t>(width));
  Put32(ihdr, static_cast<uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(indexed ? 3 : 2), 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  if (indexed) Chunk(out, "PLTE", plte);
  Chunk(out, "IDAT", Stored(raw));
  Chunk(out, "IEND", {});
  return out;
}
