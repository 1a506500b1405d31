// The layout of a menu panel drawn with the text font: its window box, filled lines, texts and the
// cursor image, with their positions on the screen. The panels of the save slots and the rankings
// are built as layouts; drawing one walks it in order: Font::DrawWindow for the box, DDFillRect for
// the lines, Font::Printf for the texts and DDBlt of the cursor sheet for the cursor.
#pragma once
#include <string>
#include <vector>

class Font;
struct DDSURFACEDATA;

struct cPanelBox {
  int m_nX = 0, m_nY = 0, m_nW = 0, m_nH = 0;
  bool operator==(const cPanelBox&) const = default;
};

struct cPanelFill {
  cPanelBox m_Box;
  int m_nColor = 0;  // palette number
  bool operator==(const cPanelFill&) const = default;
};

struct cPanelText {
  int m_nX = 0, m_nY = 0;
  std::string m_strText;
  // Drawn with the menu font's drawing switch cleared (names and the English title).
  bool m_bPlain = false;
  bool operator==(const cPanelText&) const = default;
};

struct cPanelLayout {
  cPanelBox m_Window;  // the text font's window box
  std::vector<cPanelFill> m_vFill;
  std::vector<cPanelText> m_vText;
  bool m_bCursor = false;  // the 16 x 16 cursor of the cursor sheet at (16, 48)
  int m_nCursorX = 0, m_nCursorY = 0;
};

// Draws the panel in its order: the font's window box, the fills, the texts in the font, then the
// cursor (16 x 16 from (16, 48) of the cursor sheet, colour-keyed). The cursor's blit result, or -1
// without a cursor.
int DrawPanelLayout(DDSURFACEDATA* target, const cPanelLayout& layout, Font& font, DDSURFACEDATA* cursorSheet);
