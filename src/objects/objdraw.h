// The choice of an object's picture (graphic kind, number and frame) on the surfaces of the fixed
// bitmap set and of the stage's dedicated bitmaps, and the character-effect handlers that draw it.
#pragma once
#include "gfx/records.h"
#include "stagedata/blockdata.h"
#include "stagedata/effectdef.h"

class cCharaBase;
class cGameObj;

// Where one picture is read from: the sheet as drawn and mirrored, each with its alternate copy; the
// pair used this frame and, of it, the copy drawn from and the other one; the blend of the
// invincible tint; the dedicated bitmap's cell size and the record's own draw size.
struct cDrawSource {
  DDSURFACEDATA* m_pSurface = nullptr;
  DDSURFACEDATA* m_pSurfaceAlt = nullptr;
  DDSURFACEDATA* m_pMirror = nullptr;
  DDSURFACEDATA* m_pMirrorAlt = nullptr;
  DDSURFACEDATA* m_pUse = nullptr;    // the copy drawn from
  DDSURFACEDATA* m_pOther = nullptr;  // the other copy of the pair used (the back of a turning card)
  int m_bBlend = 0;
  DWORD m_dwColor = 0;
  DWORD m_dwColorOp = 0;
  int m_nCellSize = 0;  // dedicated bitmaps: the cell edge in 32-pixel units, 0 for 32 pixels
  int m_nSize = 0;      // the record's own draw size; 0 draws at the object's size
  int m_nSrcX = 0;
  int m_nSrcY = 0;
};

// Once per play-scene start: the block sheet of the overlay marks and the effects' work surfaces.
void SelectObjSurfaces();
// The 640 x 480 work surface the zoom screen effect stretches from, chosen by SelectObjSurfaces.
extern DDSURFACEDATA* g_pStretchWork;
// Fills the record for picture (kind, n, frame). Mode 1 draws an object (the copy by its facing,
// the frame moved by animValue); mode 0 the map cells; mode 2 the items (animValue the item frame).
void SelectGraphicSource(cDrawSource& src, int mode, int graphicKind, int graphicNo, int frame, const cGameObj* obj,
                         int animValue);

// A character-effect handler: draws when draw is set and, unless noAdvance, steps the effect;
// 1 when the effect has ended.
using CharaEffectHandler = int (*)(cCharaBase& obj, DDSURFACEDATA* surface, cDrawSource& src, int noAdvance,
                                   int draw);
extern const CharaEffectHandler CharaEffectTable[kCharaEffectKinds];
