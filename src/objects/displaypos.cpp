#include "objects/displaypos.h"

#include "objects/gameobj.h"
#include "scenes/sceneplay.h"

int PlaceDisplayAtPoint(int& x, int& y, int unit, int px, int py, int dx, int dy, int w, int h, bool centre,
                        bool stage) {
  x = 0;
  y = 0;
  if (unit != 0 && unit != 1) return 0;
  if (unit == 0) {
    px *= 32;
    py *= 32;
  }
  if (centre) {
    const int cell = unit == 0 ? 16 : 0;
    px += cell - w / 2;
    py += cell - h / 2;
  }
  if (stage && g_pScenePlay) {
    const cScrollAxis& ax = g_pScenePlay->m_ScrollX;
    const cScrollAxis& ay = g_pScenePlay->m_ScrollY;
    px += ax.m_nMarginCells * 32 - TruncToInt(ax.m_dPos);
    py += ay.m_nMarginCells * 32 - TruncToInt(ay.m_dPos);
  }
  x = px + dx;
  y = py + dy;
  return 1;
}

void KeepDisplayPlace(int& x, int& y, bool screenMode, int fixed, int& anchored, int& anchorX, int& anchorY) {
  if (screenMode && !fixed) {
    const double sx = g_pScenePlay ? g_pScenePlay->m_ScrollX.m_dPos : 0;
    const double sy = g_pScenePlay ? g_pScenePlay->m_ScrollY.m_dPos : 0;
    if (!anchored) {
      // The first frame draws at the computed place.
      anchorX = TruncToInt(x + sx + 0.5);
      anchorY = TruncToInt(y + sy + 0.5);
      anchored = 1;
    } else {
      x = TruncToInt(anchorX - sx + 0.5);
      y = TruncToInt(anchorY - sy + 0.5);
    }
  } else if (!screenMode && fixed) {
    if (!anchored) {
      anchorX = x;
      anchorY = y;
      anchored = 1;
    } else {
      x = anchorX;
      y = anchorY;
    }
  }
}
