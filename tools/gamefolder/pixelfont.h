// The project's own 5 x 7 letter shapes, for the words, digits and glyphs drawn on the game's pictures.
#pragma once
#include <cstdint>
#include <string>

// Row r (0..6, top first) of the shape of character c: bit 4 is the leftmost column. Lower-case
// letters take the upper-case shapes; characters without a shape are blank.
uint8_t PixelGlyphRow(char c, int r);

// Something that can take a pixel: the sheets being drawn.
class cPixelCanvas {
 public:
  virtual ~cPixelCanvas() = default;
  virtual void Put(int x, int y, int colour) = 0;
  // A filled rectangle, clipped by Put.
  void Fill(int x, int y, int w, int h, int colour);
  // Text at (x, y), each font pixel drawn as a scale x scale square, letters 6 pixels apart.
  void Text(int x, int y, const std::string& text, int scale, int colour);
};
// Width in pixels of text drawn at the scale.
int PixelTextWidth(const std::string& text, int scale);
