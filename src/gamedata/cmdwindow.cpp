#include "gamedata/cmdwindow.h"

#include "gfx/font.h"
#include "gfx/globals.h"

void DrawCmdWindow(DDSURFACEDATA* lpSD, int x, int y, const cCmdList& list) {
  cCmdWindowLayout layout = LayoutCmdWindow(list);
  if (!layout.bDraw) return;
  Font& font = g_Font[1];
  font.DrawWindow(lpSD, x, y, layout.nWidth, layout.nHeight);
  for (size_t r = 0; r < layout.vRowCmd.size(); ++r)
    font.DrawText(lpSD, x + 16, y + 16 * static_cast<int>(r), list.At(layout.vRowCmd[r]).m_strLabel.c_str());
}

void DrawTextBox(int x, int y, int first, int count, int cursorColumn) {
  cTextBoxLayout layout = LayoutTextBox(first, count, cursorColumn);
  if (!layout.bDraw) return;
  // The text is data: a '%' in a system text draws as itself.
  g_Font[1].PrintfBox(&BackBuffer, x, y, layout.nWidth, layout.nHeight, "%s", layout.strText.c_str());
}
