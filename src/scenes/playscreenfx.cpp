// The stage screen effects: while one runs the play view is composed on the virtual back buffer, and
// once per drawn frame the routine of its kind draws the view anew from that frame (slides, shakes,
// stripes, waves, a blink, a turn, a disc around the hero, a zoom, a lens, a mosaic). The status bar
// and everything after it are drawn over the result.
#include <algorithm>
#include <cmath>

#include "gamedata/systemini.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "gfx/screenfx.h"
#include "objects/objdraw.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/database.h"

const cScenePlay::ScrEffectStep g_ScrEffectTable[kScrEffectKinds] = {
    &cScenePlay::ScrEffectNone,   &cScenePlay::ScrEffectSlide,  &cScenePlay::ScrEffectShakeX,
    &cScenePlay::ScrEffectShakeY, &cScenePlay::ScrEffectSplitX, &cScenePlay::ScrEffectSplitY,
    &cScenePlay::ScrEffectWaveX,  &cScenePlay::ScrEffectWaveY,  &cScenePlay::ScrEffectBlink,
    &cScenePlay::ScrEffectTurn,   &cScenePlay::ScrEffectDisc,   &cScenePlay::ScrEffectZoom,
    &cScenePlay::ScrEffectLens,   &cScenePlay::ScrEffectMosaic,
};

namespace {

constexpr int kEmptyColour = 16;
constexpr double kSqrt2 = 1.4142135623730951;

DDSURFACEDATA* VideoWork() { return &g_AppSurface[kEffectWork]; }
DDSURFACEDATA* SystemWork() { return &g_AppSurface[kEffectWork + 1]; }

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// A parameter used as a divisor: damaged definitions below 1 count as 1.
int AtLeastOne(int v) { return v < 1 ? 1 : v; }

// The hero's picture centre on screen, as last computed for drawing; the view's centre without one.
void HeroCentre(int* cx, int* cy) {
  const cCharaBase* hero = GetHero();
  if (!hero) {
    *cx = 320;
    *cy = 240;
    return;
  }
  const cPicRect& r = hero->m_PicRect;
  *cx = r.m_nLeft + (r.m_nW >> 1);
  *cy = r.m_nTop + (r.m_nH >> 1);
}

// The common start of a frame: the composed frame copied into the work surface and, unless the kind
// fills otherwise, the view cleared to colour 16.
void CopyFrame(DDSURFACEDATA* work, bool fill) {
  DDBlt(work, 0, 0, 640, 480, &BackBuffer, 0, 0, 0);
  if (fill) DDFillRect(&BackBuffer, 0, 0, 640, 480, kEmptyColour);
}

}  // namespace

void cScenePlay::DrawScrEffect(int noAdvance) {
  if (m_ScrEffect.m_nIndex == 0) return;
  const int kind = g_Database.m_vScrEffect.At(m_ScrEffect.m_nIndex).m_nKind;
  if (kind < 0 || kind >= kScrEffectKinds) return;
  if ((this->*g_ScrEffectTable[kind])(noAdvance)) {
    m_ScrEffect.m_nIndex = 0;
    DDSetVirtualBackBuffer(0);
  }
}

// The parameters in use: P0 .. P4 of the running (possibly reversed) definition.
#define P(n) (m_ScrEffect.m_pDef->m_nParam[n])

int cScenePlay::ScrEffectNone(int) {
  if (lpDTCon) DDSetVirtualBackBuffer(0);
  return 0;
}

int cScenePlay::ScrEffectSlide(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDBlt(&BackBuffer, e.m_nAuxA, e.m_nAuxB, 640, 480, VideoWork(), 0, 0, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  const double p0 = AtLeastOne(P(0));
  e.m_nAuxA = Trunc((P(3) - P(1)) / p0 * e.m_dValue + P(1));
  e.m_nAuxB = Trunc((P(4) - P(2)) / p0 * e.m_dValue + P(2));
  return e.Step(0, P(0), e.m_dStep);
}

// The swing of both shakes, between -P1 and +P1, P2 times over the run.
static void AdvanceShake(cScreenEffectState& e) {
  const int* p = e.m_pDef->m_nParam;
  const double v = static_cast<double>(int64_t{p[2]} * p[1] * 4) / (AtLeastOne(p[0]) * 6.0);
  if (e.m_nAuxA == 0) {
    e.m_dValue2 += v;
    if (e.m_dValue2 >= p[1]) {
      e.m_dValue2 = p[1];
      e.m_nAuxA = 1;
    }
  } else {
    e.m_dValue2 -= v;
    if (e.m_dValue2 <= -p[1]) {
      e.m_dValue2 = -p[1];
      e.m_nAuxA = 0;
    }
  }
}

int cScenePlay::ScrEffectShakeX(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  const double offset = e.m_dValue2;
  CopyFrame(VideoWork(), false);
  if (offset > 0) DDFillRect(&BackBuffer, 0, 0, Trunc(offset + 1), 480, kEmptyColour);
  else if (offset < 0) DDFillRect(&BackBuffer, Trunc(offset + 640), 0, Trunc(1 - offset), 480, kEmptyColour);
  DDSetAlphaOp(1);
  DDBlt(&BackBuffer, Trunc(offset), 0, 640, 480, VideoWork(), 0, 0, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  AdvanceShake(e);
  return e.Step(0, P(0), e.m_dStep);
}

int cScenePlay::ScrEffectShakeY(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDBlt(&BackBuffer, 0, Trunc(e.m_dValue2), 640, 480, VideoWork(), 0, 0, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  AdvanceShake(e);
  return e.Step(0, P(0), e.m_dStep);
}

static int SplitBand(int size, int stripes) {
  const int n = AtLeastOne(stripes);
  return (size + n - 1) / n;
}

int cScenePlay::ScrEffectSplitX(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDCombBlt(&BackBuffer, 0, 0, 640, 480, SplitBand(480, P(3)), Trunc(e.m_dValue), VideoWork(), 0, 0, 0, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

int cScenePlay::ScrEffectSplitY(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDCombBlt(&BackBuffer, 0, 0, 640, 480, SplitBand(640, P(3)), Trunc(e.m_dValue), VideoWork(), 0, 0, 0, 1);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

static int WaveFrame(cScenePlay& scene, int noAdvance, int columns) {
  cScreenEffectState& e = scene.m_ScrEffect;
  const int* p = e.m_pDef->m_nParam;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDWaveBlt(&BackBuffer, 0, 0, 640, 480, p[3], e.m_dValue, e.m_nAuxA, p[4], VideoWork(), 0, 0, 0, columns);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  if (++e.m_nAuxA == 360) e.m_nAuxA = 0;
  return e.Step(p[1], p[2], e.m_dStep);
}

int cScenePlay::ScrEffectWaveX(int noAdvance) { return WaveFrame(*this, noAdvance, 0); }
int cScenePlay::ScrEffectWaveY(int noAdvance) { return WaveFrame(*this, noAdvance, 1); }

int cScenePlay::ScrEffectBlink(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  if (e.m_nAuxB == 0) {
    DrawLayers(&BackBuffer, 0);
    DrawLayers(&BackBuffer, 1);
  }
  // The phase test runs in frozen frames too.
  if (e.m_nAuxA >= P(1)) {
    e.m_nAuxA = 0;
    e.m_nAuxB = !e.m_nAuxB;
  }
  if (noAdvance) return 0;
  ++e.m_nAuxA;
  return e.Step(0, P(0), e.m_dStep);
}

int cScenePlay::ScrEffectTurn(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(SystemWork(), true);
  DDSetAlphaOp(1);
  DDRotateBlt(&BackBuffer, 320, 240, 640, 480, 320, 240, Trunc(e.m_dValue), SystemWork(), 0, 0, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

int cScenePlay::ScrEffectDisc(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  int cx, cy;
  HeroCentre(&cx, &cy);
  const int halfW = cx >= 320 ? cx : 640 - cx;
  const int halfH = cy >= 240 ? cy : 480 - cy;
  CopyFrame(VideoWork(), true);
  DDSetAlphaOp(1);
  DDDiscBlt(&BackBuffer, cx, cy, halfW, halfH, Trunc(e.m_dValue), P(3), VideoWork(), cx, cy, 0);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

int cScenePlay::ScrEffectZoom(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  DDSURFACEDATA* work = g_pStretchWork;
  const double f = e.m_dValue * 0.0015625;
  CopyFrame(work, false);
  DDSetAlphaOp(1);
  if (f >= 1) {
    const double w = 640 / f, h = 480 / f;
    int cx, cy;
    HeroCentre(&cx, &cy);
    int left = Trunc(cx - w * 0.5);
    if (left + Trunc(w) >= 640) left = Trunc(640 - w);
    else if (left < 0) left = 0;
    int top = Trunc(cy - h * 0.5);
    if (top + Trunc(h) >= 480) top = Trunc(480 - h);
    else if (top < 0) top = 0;
    DDStretchBlt(&BackBuffer, 0, 0, 640, 480, work, left, top, Trunc(w), Trunc(h), 1);
  } else {
    DDFillRect(&BackBuffer, 0, 0, 640, 480, kEmptyColour);
    const double w = f * 640, h = f * 480;
    DDStretchBlt(&BackBuffer, Trunc((640 - w) * 0.5), Trunc((480 - h) * 0.5), Trunc(w), Trunc(h), work, 0, 0, 640, 480,
                 1);
  }
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

int cScenePlay::ScrEffectLens(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  int cx, cy;
  HeroCentre(&cx, &cy);
  cx += P(3);
  cy += P(4);
  const int rx = cx >= 320 ? cx : 640 - cx;
  const int ry = cy >= 240 ? cy : 480 - cy;
  const int radius = Trunc(std::max(rx, ry) * kSqrt2);
  CopyFrame(SystemWork(), true);
  DDSetAlphaOp(1);
  DDLensBlt(&BackBuffer, cx, cy, radius, Trunc(e.m_dValue), SystemWork(), cx, cy, 0, 0, nullptr);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

int cScenePlay::ScrEffectMosaic(int noAdvance) {
  cScreenEffectState& e = m_ScrEffect;
  CopyFrame(SystemWork(), true);
  DDSetAlphaOp(1);
  DDMosaic(&BackBuffer, 0, 0, 640, 480, Trunc(e.m_dValue), SystemWork(), 0, 0, 0, nullptr);
  DDResetAlphaOp();
  if (noAdvance) return 0;
  return e.Step(P(1), P(2), e.m_dStep);
}

#undef P
