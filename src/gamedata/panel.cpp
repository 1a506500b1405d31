#include "gamedata/panel.h"

#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"

int DrawPanelLayout(DDSURFACEDATA* target, const cPanelLayout& layout, Font& font, DDSURFACEDATA* cursorSheet) {
  const cPanelBox& w = layout.m_Window;
  font.DrawWindow(target, w.m_nX, w.m_nY, w.m_nW, w.m_nH);
  for (const cPanelFill& f : layout.m_vFill)
    DDFillRect(target, f.m_Box.m_nX, f.m_Box.m_nY, f.m_Box.m_nW, f.m_Box.m_nH, static_cast<DWORD>(f.m_nColor));
  for (const cPanelText& t : layout.m_vText) {
    // Names and the English title are drawn as typed: the icon letters are off around them.
    const int32_t icons = font.m_bIcon;
    if (t.m_bPlain) font.m_bIcon = 0;
    font.Printf(target, t.m_nX, t.m_nY, "%s", t.m_strText.c_str());
    font.m_bIcon = icons;
  }
  if (!layout.m_bCursor) return -1;
  return DDBlt(target, layout.m_nCursorX, layout.m_nCursorY, 16, 16, cursorSheet, 16, 48, 1);
}
