// Fonts: code page 932 text drawn on a fixed pitch (or proportionally for pitch 0) through GDI in
// DirectDraw and through a D3DX font and sprite in Direct3D, with an optional glyph cache of two
// sheets (every single byte, and full-width characters from a fixed list, grown on demand), icon
// letters drawn from a strip, framed window boxes, digit strips, and the recovery after a loss.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"
#include "gfx/records.h"
#include "platform/video/d3dx9.h"
#include "platform/video/gdi.h"

// The descriptor of one font.
struct DDFONTDATA {
  char szFaceName[256];  // the font keeps a pointer to it
  int32_t nCharWidth;     // GDI's character width (the D3DX font uses 0)
  int32_t nCharHeight;
  int32_t nCharPitch;     // advance of every character; 0 = proportional
  int32_t nLineHeight;
  int32_t nColorNo;       // palette number of the text
  int32_t nFrameSD;       // window frame, an entry of the application's surface array
  int32_t nFrameWidth;
  int32_t nFrameColorNo;
  int32_t nIconSD;        // icon strip, an entry of the application's surface array
  int32_t bFastFont;      // glyph cache switch
};

// One glyph of a full-width sheet: the character and its cell.
struct FASTFONTGLYPH {
  char szChar[4];  // lead byte, trail byte, 0
  int32_t nIndex;
  int32_t nX;
  int32_t nY;
};

// A glyph sheet: 0 single bytes (byte n in cell n), 1 full-width characters in the order added.
class FastFont {
 public:
  int32_t m_nSheetKind = 0;
  int32_t m_nCellWidth = 0;
  int32_t m_nCellHeight = 0;
  int32_t m_nColumns = 0;
  int32_t m_nRows = 0;
  int32_t m_nCapacity = 0;
  DDSURFACEDATA m_Sheet;
  std::vector<FASTFONTGLYPH> m_GlyphList;
  int32_t m_nCount = 0;

  // The blank colour-keyed sheet; FALSE when its surface cannot be made.
  BOOL Create(int kind, int cellWidth, int cellHeight, int columns, int rows);
  // Appends a glyph for the two bytes at the next cell; 0 when the sheet is full.
  int AddChar(const char* character);
  int DrawCell(DDSURFACEDATA* dst, int x, int y, unsigned char b, DWORD flags);
  // Blits the character's cell; 0 when it is not in the sheet.
  int DrawChar(DDSURFACEDATA* dst, int x, int y, const char* character, DWORD flags);
  // The glyph of the character (the first added for it), or null.
  const FASTFONTGLYPH* Find(const char* character) const;

 private:
  // The list position of each two-byte code's glyph, -1 for none: the list's first match at once.
  std::vector<int16_t> m_Lookup;
};

class Font {
 public:
  int32_t m_nId = 0;
  HFONT m_hFont = nullptr;  // DirectDraw draws with it; Direct3D measures with it
  video::RefCounted* m_lpReserved[2] = {};
  ID3DXFont* m_lpD3DXFont = nullptr;
  ID3DXSprite* m_lpSprite = nullptr;
  const char* m_lpszFace = nullptr;
  int32_t m_nCharWidth = 0;
  int32_t m_nCharHeight = 0;
  int32_t m_nCharPitch = 0;
  int32_t m_nLineHeight = 0;
  int32_t m_nColorNo = 0;
  DWORD m_dwColor = 0;
  int32_t m_bCenter = 0;
  DDSURFACEDATA Work;
  DDSURFACEDATA* m_lpFrameSD = nullptr;
  int32_t m_nFrameWidth = 0;
  int32_t m_nFrameColorNo = 0;
  DDSURFACEDATA* m_lpIconSD = nullptr;
  int32_t m_bIcon = 0;
  int32_t m_bFastFont = 0;
  FastFont* m_lpFastFont_Half = nullptr;
  FastFont* m_lpFastFont_FullAdd = nullptr;

  Font() = default;
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  // A destroyed font leaves the font list; what it still holds is released.
  ~Font();

  // Sets the font up for the running back end; FALSE when it cannot draw (its objects, its work
  // surface or its sheets could not be made; the reason is in the logs).
  BOOL Create(const char* face, int charWidth, int charHeight, int pitch, int lineHeight, int colorNo,
              DDSURFACEDATA* frame, int frameWidth, int frameColorNo, DDSURFACEDATA* icon, int fastFont);

  // Draws the text in the font's colour; 0 when a Direct3D scene cannot be begun or the font cannot
  // draw.
  int DrawText(DDSURFACEDATA* dst, int x, int y, const char* text);
  int Printf(DDSURFACEDATA* dst, int x, int y, const char* format, ...) PRINTF_LIKE(5, 6);
  // The framed box; x or y 10000 centres it on the frame surface.
  int DrawWindow(DDSURFACEDATA* dst, int x, int y, int w, int h);
  // The box (w or h 0: sized to the text, w with the margin) and the text at x + margin.
  int DrawTextBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* text, int margin);
  int PrintfBox(DDSURFACEDATA* dst, int x, int y, int w, int h, const char* format, ...) PRINTF_LIKE(7, 8);

  // Fixed pitch: out[0] the widest line in characters x pitch, out[1] lines x line height.
  void MeasureText(int out[2], const char* text) const;
  // Proportional: the widest line's extent with the font selected into the device context.
  void GetTextExtent(int out[2], HDC dc, const char* text) const;
  // The size the text takes as drawn: fixed pitch or proportional (on a memory device context).
  void Measure(int out[2], const char* text) const;

  // After a loss: restores the font's lost surfaces and draws its sheets again.
  void Restore();

  // The steps of drawing.
  int DrawString(DDSURFACEDATA* target, HDC dc, int x0, int y0, DDSURFACEDATA* finalDst, int fx, int fy,
                 const char* text, int skipIconLetters);
  void DrawChar(DDSURFACEDATA* target, HDC dc, int x, int y, const char* text, int n);
  int DrawIcons(DDSURFACEDATA* target, int x, int y, const char* text);
  void RenderHalf();
  void RenderFullAdd(int rebuild);
  // Draws a glyph just added to the full-width sheet into its cell.
  void RenderNewGlyph(const FASTFONTGLYPH& glyph);
  // Whether the glyph sheets are in use.
  bool Cached() const { return m_bFastFont && m_lpFastFont_Half && m_lpFastFont_FullAdd; }
  bool IconStripPresent() const;

 private:
  // Whether anything was drawn through the font or as an icon since DrawText cleared Work: a cached
  // text that drew nothing there needs no blit of the cleared work surface.
  bool m_bWorkDrawn = false;
  void DeleteSheets();
  int BracketShift(const char* p, int n) const;
  int DrawD3DXText(const char* text, int n, int x, int y);
};

// The fonts made so far, for the recoveries after a loss.
extern std::vector<Font*> DDFontList;

// The 258 full-width characters rendered into every full-width sheet, in cell order.
extern const char DDFixedFullWidthChars[];

// Creates each font from its descriptor, the frame and icon strip taken from the application's
// surface array. 1, or 0 with a report line when a font cannot draw.
int DDCreateFonts(Font* fonts, DDFONTDATA* data, int count);
// For each font, a digit strip surface (10 x pitch by line height, colour-keyed) drawn with it. 1.
int DDCreateDigitSurfaces(DDSURFACEDATA* surfaces, DDBITMAPDATA* bitmaps, int count, Font* fonts,
                          DDFONTDATA* data);
// Clears the strip and draws "0123456789" on it: digit d at d x pitch.
void DDRenderDigits(DDSURFACEDATA* lpSD, Font* font);
// Releases the font's back-end objects, sheets and work surface.
void ReleaseFontObject(Font* font);

// Bytes before the first line feed or the end.
int LineLength(const char* text);

// The game's three fonts and their default descriptors.
extern Font g_Font[3];
extern DDFONTDATA g_FontData[3];
void BuildFontRecords();
