#include "objects/effectobj.h"

#include <algorithm>

#include "core/checked.h"
#include "core/random.h"
#include "gamedata/systemini.h"
#include "gfx/blit.h"
#include "gfx/globals.h"
#include "objects/charabase.h"
#include "objects/gameobj.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"
#include "stagedata/effect.h"

namespace {

// The list index of an effect number. A number marked invalid (bit 0x8000) or beyond the list is
// reported through the checked containers' path, and entry 0 is used.
int EffectIndex(int effectNo, int size, int elemSize) {
  const int index = effectNo & 0xFFFF;
  if ((effectNo & 0x8000) || index >= size) {
    CheckedAccessFailed('V', index, size, elemSize);
    return 0;
  }
  return index;
}

const cEffectData& EffectDef(int effectNo) {
  cCheckedVector<cEffectData>& list = g_Database.m_vEffect;
  return list.At(EffectIndex(effectNo, list.Size(), sizeof(cEffectData)));
}

}  // namespace

void cEffectObj::SetupFromCommand(int effectNo, double x, double y, int width, int height, int countFrozen) {
  m_nEffectNo = effectNo;
  m_dX = x;
  m_dY = y;
  m_nWidth = width;
  m_nHeight = height;
  m_bCountFrozen = countFrozen;
  m_bStretched = EffectDef(effectNo).m_nFrameW != width;
  BuildAnim(effectNo);
}

void cEffectObj::SetupAtHit(int effectNo, const cRectD& a, const cRectD& b, int scale) {
  const cEffectData& def = EffectDef(effectNo);
  m_nEffectNo = effectNo;
  if (def.m_bScaleWithObject && scale > 1) {
    m_bStretched = 1;
    m_nWidth = scale * def.m_nFrameW;
    m_nHeight = scale * def.m_nFrameH;
  } else {
    m_bStretched = 0;
    m_nWidth = def.m_nFrameW;
    m_nHeight = def.m_nFrameH;
    scale = 1;
  }
  // The overlap of the two rectangles (touching edges count), or all zeros.
  cRectD o;
  if (a.m_dLeft <= b.m_dRight && a.m_dRight >= b.m_dLeft && a.m_dTop <= b.m_dBottom && a.m_dBottom >= b.m_dTop) {
    o.m_dLeft = std::max(a.m_dLeft, b.m_dLeft);
    o.m_dTop = std::max(a.m_dTop, b.m_dTop);
    o.m_dRight = std::min(a.m_dRight, b.m_dRight);
    o.m_dBottom = std::min(a.m_dBottom, b.m_dBottom);
  }
  m_dX = o.m_dLeft + TruncToInt(o.m_dRight - o.m_dLeft + 1) / 2 - m_nWidth / 2;
  m_dY = o.m_dTop + TruncToInt(o.m_dBottom - o.m_dTop + 1) / 2 - m_nHeight / 2;
  // Only the display uses the offsets, but both draws advance the generator: x first, then y.
  m_dX += RandRange(-4 * scale, 4 * scale);
  m_dY += RandRange(-4 * scale, 4 * scale);
  BuildAnim(effectNo);
  m_bCountFrozen = 0;
}

void cEffectObj::BuildAnim(int effectNo) {
  m_AnimSeq.Clear();
  m_AnimSeq.BuildOne(g_EffectFrameTables.At(EffectIndex(effectNo, g_EffectFrameTables.Size(), sizeof(cAnimSeqFrames))));
  m_AnimSeq.Set(0, 1);
}

int cEffectObj::Draw(DDSURFACEDATA* target, int frozen) {
  const int index = EffectIndex(m_nEffectNo, g_Database.m_vEffect.Size(), sizeof(cEffectData));
  const cEffectData& def = g_Database.m_vEffect.At(index);
  if (def.m_vPart.empty()) return 1;
  int frame;
  if (m_bCountFrozen || !frozen) {
    frame = m_AnimSeq.Tick();
    if (frame == ANIMSEQ_END) return 1;
  } else {
    frame = m_AnimSeq.GetValue();
  }

  // Two surfaces per effect from number 1 on: the normal one, then the alternate.
  DDSURFACEDATA* normal = &g_vEffectSD.At(2 * index - 2);
  DDSURFACEDATA* alternate = &g_vEffectSD.At(2 * index - 1);
  const double sx = g_pScenePlay ? g_pScenePlay->m_ScrollX.m_dPos : 0;
  const double sy = g_pScenePlay ? g_pScenePlay->m_ScrollY.m_dPos : 0;
  const int x = TruncToInt(m_dX - sx), y = TruncToInt(m_dY - sy);
  if (m_bStretched) {
    DDSURFACEDATA* source = !lpDTCon && g_SystemIni.DD_VideoStretch ? normal : alternate;
    DDStretchBlt(target, x, y, m_nWidth, m_nHeight, source, frame * def.m_nFrameW, 0, def.m_nFrameW, def.m_nFrameH, 1);
  } else {
    DDBlt(target, x, y, m_nWidth, m_nHeight, normal, frame * m_nWidth, 0, 1);
  }
  return 0;
}
