#include "objects/pictureobj.h"

#include <cmath>

#include "gamedata/systemdata.h"
#include "gfx/blit.h"
#include "objects/charabase.h"
#include "objects/displaypos.h"
#include "objects/gameobj.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"

namespace {

// size x percent / 100, rounded half away from zero; the sign of the percent is kept.
int ScaledSize(int size, int percent) { return TruncToInt(std::round(static_cast<double>(size) * percent * 0.01)); }

}  // namespace

void cPictureObj::Setup(int mode, int picId, int unit, int x, int y, int dx, int dy, int picWidth, int picHeight,
                        int fixed, int picNo, int percent, int timeMode, int time, int countFrozen, int objNo,
                        int hasId, int id) {
  m_nPicMode = mode;
  m_nPicId = picId;
  m_nUnit = unit;
  m_nX = x;
  m_nY = y;
  m_nOfsX = dx;
  m_nOfsY = dy;
  m_nWidth = ScaledSize(picWidth, percent);
  m_nHeight = ScaledSize(picHeight, percent);
  m_bStretched = percent != 100;
  m_nPicNo = picNo;
  m_nTimeMode = timeMode;
  m_nTimeLeft = time;
  m_bCountFrozen = countFrozen;
  m_bFixed = fixed;
  m_nObjNo = objNo;
  m_bHasId = hasId;
  m_nId = id;
  m_bAnchored = 0;
  m_nAnchorX = 0;
  m_nAnchorY = 0;
}

void cPictureObj::GetAnchorPos(int& x, int& y) {
  if (m_nPicMode != 1 && m_nPicMode != 2) return;
  if (const cCharaBase* obj = FindObjById(m_nObjNo)) {
    m_dCentreX = obj->m_dX + obj->m_nHitW / 2;
    m_dCentreY = obj->m_dY + obj->m_nHitH / 2;
  }
  x = TruncToInt(m_dCentreX - m_nWidth / 2) + m_nOfsX;
  y = TruncToInt(m_dCentreY - m_nHeight / 2) + m_nOfsY;
}

int cPictureObj::Draw(DDSURFACEDATA* target, DDSURFACEDATA* picture, int frozen) {
  if (m_nTimeMode == 2 && (m_bCountFrozen || !frozen)) {
    if (--m_nTimeLeft < 0) return 1;
  }

  const int w = m_nWidth, h = m_nHeight;
  int x = 0, y = 0;
  switch (m_nPicMode) {
    case 0:
      x = 320 - w / 2 + m_nOfsX;
      y = 240 - h / 2 + m_nOfsY;
      break;
    case 1:
    case 2: {
      // The stage position: followed anew every frame, or the one taken at creation.
      int sx = m_nX, sy = m_nY;
      if (g_SystemData.m_bPictureFollow) GetAnchorPos(sx, sy);
      x = sx - (g_pScenePlay ? TruncToInt(g_pScenePlay->m_ScrollX.m_dPos) : 0);
      y = sy - (g_pScenePlay ? TruncToInt(g_pScenePlay->m_ScrollY.m_dPos) : 0);
      break;
    }
    case 3:
    case 4:
    case 5:
    case 6:
      PlaceDisplayAtPoint(x, y, m_nUnit, m_nX, m_nY, m_nOfsX, m_nOfsY, w, h, m_nPicMode == 4 || m_nPicMode == 6,
                          m_nPicMode >= 5);
      break;
    default: break;
  }
  KeepDisplayPlace(x, y, m_nPicMode == 0 || m_nPicMode == 3 || m_nPicMode == 4, m_bFixed, m_bAnchored, m_nAnchorX,
                   m_nAnchorY);

  // A percent of 0 or below leaves no size to draw.
  if (!picture || w <= 0 || h <= 0) return 0;
  if (m_bStretched)
    DDStretchBlt(target, x, y, w, h, picture, 0, 0, picture->nWidth, picture->nHeight, 1);
  else
    DDBlt(target, x, y, w, h, picture, 0, 0, 1);
  return 0;
}
