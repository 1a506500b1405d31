// The range display: for authors, the areas of the range conditions of every visible object, as
// lines of the band or a circle, in colours that cycle slowly.
#include <algorithm>

#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/surface.h"
#include "objects/charabase.h"
#include "objects/objcond.h"
#include "objects/objlists.h"
#include "stagedata/flow.h"

int g_nRangeColourCounter = 0;

namespace {

constexpr int kRangeColours[8] = {208, 212, 216, 220, 224, 228, 232, 236};
// Large circles are drawn on this surface at radius 64 and stretched.
constexpr int kWorkSize = 129;
constexpr int kWorkRadius = 64;

// At 8 bits with the palette display mode the colours stand still.
bool ColoursStandStill() { return DDScreenBpp == 8 && DDPaletteDisplayMode; }

// A circle of the radius drawn at radius 64 on a 129 x 129 surface stretched over the circle's
// square; false when the surface cannot be made.
bool DrawStretchedCircle(DDSURFACEDATA* surface, int cx, int cy, int radius, DWORD colour) {
  DDSURFACEDATA work{};
  if (!DDCreateSurface(&work, kWorkSize, kWorkSize, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0)) return false;
  DDFillSurface(&work, 0);
  DDCircle(&work, kWorkRadius, kWorkRadius, kWorkRadius, colour);
  DDStretchBlt(surface, cx - radius, cy - radius, 2 * radius, 2 * radius, &work, 0, 0, kWorkSize, kWorkSize, 1);
  DDReleaseSurface(&work);
  return true;
}

void DrawRangeLists(DDSURFACEDATA* surface, bool flows) {
  auto each = [&](cCharaBase& obj) {
    if (obj.m_bDead || !obj.IsOnScreen()) return;
    if (!flows) {
      if (obj.m_bAppearLatched) return;
      for (const cCond& c : obj.m_Chara.m_vCond)
        if (c.m_nKind == COND_RANGE) DrawRangeCond(obj, surface, c, g_nRangeColourCounter);
      return;
    }
    for (const cFlow& f : obj.m_Chara.m_vFlow) {
      if (f.m_bCondLatch && obj.m_bAppearLatched) continue;
      for (const cCond& c : f.m_vCond)
        if (c.m_nKind == COND_RANGE) DrawRangeCond(obj, surface, c, g_nRangeColourCounter);
    }
  };
  for (cHero& h : g_vHero) each(h);
  for (cChara& c : g_lstChara) each(c);
}

}  // namespace

void DrawRangeConds(DDSURFACEDATA* surface) {
  if (!ColoursStandStill()) g_nRangeColourCounter = (g_nRangeColourCounter + 1) % 32;
  DDBeginBoxBatch();
  DrawRangeLists(surface, false);
  DDEndBoxBatch();
  DDBeginBoxBatch();
  DrawRangeLists(surface, true);
  DDEndBoxBatch();
}

int DrawRangeCond(cCharaBase& obj, DDSURFACEDATA* surface, const cCond& c, int counter) {
  const int mode = RangeDisplayMode(c);
  if (mode != 1 && !(mode == 2 && g_bEditorLaunched)) return 0;
  if (!obj.m_bActive) {
    if (!RangeDrawInactive(c)) return 0;
    obj.UpdateScreenPos();
  }
  if ((obj.m_bHidden || obj.m_Chara.m_bHiddenStatus) && !RangeDrawHidden(c)) return 0;
  const DWORD colour = kRangeColours[std::clamp(RangeColour(c), 0, 7)] + (ColoursStandStill() ? 0 : counter / 8);
  const int distance = RangeDistance(c);
  int low = 0, high = 0;
  if (c.m_nArea >= 0 && c.m_nArea <= 2) {
    GetRangeBand(obj, c.m_nArea, distance, low, high);
    DDFillRect(surface, low, 0, 1, 480, colour);
    DDFillRect(surface, high, 0, 1, 480, colour);
  } else if (c.m_nArea >= 3 && c.m_nArea <= 5) {
    GetRangeBand(obj, c.m_nArea, distance, low, high);
    DDFillRect(surface, 0, low, 640, 1, colour);
    DDFillRect(surface, 0, high, 640, 1, colour);
  } else if (c.m_nArea == 6) {
    const int cx = obj.m_PicRect.CentreX(), cy = obj.m_PicRect.CentreY();
    const bool large = distance > kWorkRadius && !DDPaletteDisplayMode;
    if (!large || !DrawStretchedCircle(surface, cx, cy, distance, colour)) DDCircle(surface, cx, cy, distance, colour);
  } else {
    return 0;
  }
  return 1;
}
