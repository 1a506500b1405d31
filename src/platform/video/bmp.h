// Windows bitmap files: a reader for the kinds the game's pictures come in and a writer for tests
// and picture dumps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/video/wintypes.h"

namespace video {

// A decoded bitmap in the layout of a DIB section: rows bottom-up, each `stride` bytes (a multiple
// of 4), pixels at the bit count of the file (1, 4, 8, 24 or 32; run-length files come out as 8).
struct BmpImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  int stride = 0;
  std::vector<RGBQUAD> colors;  // the colour table, for 8 bits and fewer
  std::vector<uint8_t> bits;

  static int StrideFor(int width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }
  // Row y counted from the top.
  const uint8_t* RowFromTop(int y) const { return bits.data() + static_cast<size_t>(height - 1 - y) * stride; }
  uint8_t* RowFromTop(int y) { return bits.data() + static_cast<size_t>(height - 1 - y) * stride; }
  // Colour-table index of pixel (x, y from the top), for 8 bits and fewer.
  int IndexAt(int x, int y) const;
  // Pixel (x, y from the top) as 0xFFRRGGBB; an index past the colour table is black.
  uint32_t ArgbAt(int x, int y) const;

  // Builders (rows given top-down): 1-, 4- or 8-bit from indices and a colour table, 24- or 32-bit
  // from 0xAARRGGBB pixels.
  static BmpImage FromIndices(int width, int height, int bitCount, const std::vector<uint8_t>& indices,
                              const std::vector<RGBQUAD>& colors);
  static BmpImage FromArgb(int width, int height, int bitCount, const std::vector<uint32_t>& pixels);
};

// Decodes a whole file image: uncompressed 1, 4, 8, 24 and 32 bits (32 also with the plain bit-field
// masks), run-length 8 bits, bottom-up or top-down rows, and the old 12-byte header. False for a
// damaged or unsupported file; nothing is read outside the given bytes.
bool DecodeBmp(const std::vector<uint8_t>& file, BmpImage* out);
// Reads and decodes a file named by a game path (code page 932, backslashes).
bool LoadBmpFile(const std::string& gamePath, BmpImage* out);

// Encodes an uncompressed bottom-up file of the image's bit count.
std::vector<uint8_t> EncodeBmp(const BmpImage& image);
// Writes a game path; false when the file cannot be written.
bool SaveBmpFile(const std::string& gamePath, const BmpImage& image);

}  // namespace video
