// The text service under the GDI and D3DX font stand-ins: code page 932 characters decoded to code
// points, face names of the game mapped to installed faces (FreeType through fontconfig, IPA fonts)
// or to the built-in test face, Windows cell sizing, monochrome or 8-bit coverage glyphs with a
// cache per face, size, rendering and code point, and measuring with the same glyphs.
// Faces are shared by every caller and may be used from any thread; nothing is kept per thread.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace text {

// The face name that selects the built-in test face: glyphs made from the code point (a box and a
// bit pattern), half-width advance half the cell height, full-width the cell height, coverage only 0
// or 255.
inline constexpr const char* kTestFaceName = "TestFont";

// The code point of one character at p (left bytes remain): a lead byte followed by a trail byte is
// one two-byte character (*used = 2), anything else one byte. 0 for a byte or pair that draws
// nothing (control bytes, unmapped pairs, a lone lead byte).
uint32_t DecodeCp932(const unsigned char* p, size_t left, int* used);

enum class Rendering { Mono, Coverage };

// Receives the covered pixels of a drawn text, one row span at a time (coverage 1..255 or 0 between).
class SpanSink {
 public:
  virtual ~SpanSink() = default;
  virtual void Span(int x, int y, const uint8_t* coverage, int count) = 0;
};

class Face {
 public:
  virtual ~Face() = default;
  // The cell height: the height asked for (a default for 0).
  virtual int CellHeight() const = 0;
  // The distance from the cell top to the baseline.
  virtual int Baseline() const = 0;
  virtual int Advance(uint32_t codePoint) const = 0;
  // Draws n bytes of code page 932 text with the cell's top-left at (x, y); returns the advance.
  int Draw(const char* text, size_t n, int x, int y, Rendering rendering, SpanSink& sink) const;
  // The sum of the advances of n bytes.
  int Measure(const char* text, size_t n) const;
  // The family actually used.
  virtual std::string Family() const = 0;
  virtual bool BuiltIn() const = 0;

 protected:
  // Draws the glyph with the cell's top-left at (x, y); returns its advance.
  virtual int DrawGlyph(uint32_t codePoint, int x, int y, Rendering rendering, SpanSink& sink) const = 0;
};

// A face for a game face name (code page 932) at a cell height and an average character width
// (0: the face's own). Never null: without any installed face the test face stands in.
std::shared_ptr<const Face> OpenFace(const std::string& faceName, int height, int width);

// The family name a game face name maps to ("IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho", or
// the test face's name).
std::string MapFaceName(const std::string& faceName);

// One line about a missing font package, once per missing family; "" when there is nothing to say.
std::string TakeMissingFaceNotice();

namespace test {
// Forgets every opened face and re-reads the fontconfig configuration (FONTCONFIG_FILE).
void ReloadFonts();
}  // namespace test

}  // namespace text
