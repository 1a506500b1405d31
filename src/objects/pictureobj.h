// A picture of the database's picture list shown over the play screen by the picture command: at
// the screen centre, on a character, or at screen or stage coordinates, at a size in percent, for a
// time or until removed. The play scene keeps them in its list with their surfaces beside them.
#pragma once

struct DDSURFACEDATA;

class cPictureObj {
 public:
  // Stores the fields; the drawn size is the picture's size x percent / 100, rounded half away from
  // zero with its sign kept.
  void Setup(int mode, int picId, int unit, int x, int y, int dx, int dy, int picWidth, int picHeight, int fixed,
             int picNo, int percent, int timeMode, int time, int countFrozen, int objNo, int hasId, int id);
  // Modes 1 and 2: the stage position of the picture's top-left, centred on the followed character
  // (on its last known centre once it is gone). Other modes leave x and y unchanged.
  void GetAnchorPos(int& x, int& y);
  // One drawn frame from the picture's surface; 1 when the picture's time is over.
  int Draw(DDSURFACEDATA* target, DDSURFACEDATA* picture, int frozen);

  int m_nPicMode = 0;
  int m_nPicId = 0;
  int m_nUnit = 0;  // modes 3-6: 0 cells, 1 pixels
  int m_nX = 0;     // modes 3-6: the given position; modes 1 and 2: the stage position at creation
  int m_nY = 0;
  int m_nOfsX = 0;
  int m_nOfsY = 0;
  int m_nWidth = 0;  // drawn size
  int m_nHeight = 0;
  int m_bStretched = 0;
  int m_nPicNo = 0;
  int m_nTimeMode = 0;  // 2 for a time, else until removed
  int m_nObjNo = 0;     // the character modes 1 and 2 centre on
  int m_nTimeLeft = 0;
  int m_bCountFrozen = 0;
  int m_bFixed = 0;
  int m_bAnchored = 0;
  int m_nAnchorX = 0;
  int m_nAnchorY = 0;
  // The two values kept for the picture command: its ID switch and ID.
  int m_bHasId = 0;
  int m_nId = 0;
  double m_dCentreX = 0;  // last known centre of the followed character
  double m_dCentreY = 0;
  // The drawing plane (behind or in front of the blocks and objects); the picture command sets it
  // right after Setup.
  int m_nPlane = 0;
};
