// The screen tint of the screen-colour command: a colour laid over the whole play picture at a
// strength, faded in over a time, flashed a number of times, or faded out again. Direct3D draws it
// over the composed frame every frame; 8-bit DirectDraw blends the shown palette; other DirectDraw
// depths show nothing of it.
#include <algorithm>
#include <cstdint>

#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/pixelfx.h"
#include "gfx/screenfx.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

enum eScreenColorParam {
  P_RED = 0,
  P_GREEN = 1,
  P_BLUE = 2,
  P_STRENGTH = 3,
  P_FADE_BACK = 4,
  P_TIME = 5,
  P_FLASH = 6,
  P_FLASH_COUNT = 7,
};

constexpr int kClear = 255;  // transparency that shows nothing of the colour

// Transparencies are truncated toward zero and kept in the drawable range.
int Transparency(double t) { return std::clamp(static_cast<int>(t), 0, 255); }

// The whole back buffer toward the colour at transparency t.
void DrawTint(const cScreenColorState& c, int t) {
  if (t >= kClear) return;
  if (lpDTCon->bVirtual) {
    DDFillSurfaceRGB(&WorkSD, 0xFF000000u | DWORD{c.m_cRed} << 16 | DWORD{c.m_cGreen} << 8 | c.m_cBlue);
    DDBlendBlt(&BackBuffer, 0, 0, 640, 480, &WorkSD, 0, 0, 0, nullptr, t);
  } else {
    DDChangeColor(&BackBuffer, 0, 0, 640, 480, t, c.m_cRed, c.m_cGreen, c.m_cBlue);
  }
}

// The shown palette: the loaded one with weight t, the colour with the rest.
void BlendShownPalette(const cScreenColorState& c, int t) {
  if (t >= kClear)
    std::copy(DDPalette, DDPalette + 256, DDWorkPalette);
  else
    DDBlendPalette(DDWorkPalette, 0, 255, t, c.m_cRed, c.m_cGreen, c.m_cBlue, DDPalette);
  if (lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDWorkPalette);
}

}  // namespace

void cScenePlay::StartScreenColor(const cFlowCmd* cmd) {
  if (!cmd) return;
  cScreenColorState& c = m_ScreenColor;
  const auto& p = cmd->m_vParam;
  const int fadeBack = p.At(P_FADE_BACK) != 0;
  // Nothing tinted, nothing to fade back.
  if (fadeBack && (lpDTCon ? !c.m_bRunning : DDScreenBpp == 8 && !c.m_bPaletteTinted)) return;
  c.m_cPrevRed = c.m_cRed;
  c.m_cPrevGreen = c.m_cGreen;
  c.m_cPrevBlue = c.m_cBlue;
  c.m_nPrevStrength = c.m_nStrength;
  c.m_nPrevTransparency = c.m_nTransparency;
  c.m_cRed = static_cast<uint8_t>(p.At(P_RED));
  c.m_cGreen = static_cast<uint8_t>(p.At(P_GREEN));
  c.m_cBlue = static_cast<uint8_t>(p.At(P_BLUE));
  // A strength outside 0-100 would give transparencies outside 0-255.
  c.m_nStrength = std::clamp(p.At(P_STRENGTH), 0, 100);
  c.m_bFadeBack = fadeBack;
  c.m_nTime = p.At(P_TIME) * 6;
  c.m_bFlash = p.At(P_FLASH) != 0;
  c.m_nFlashCount = p.At(P_FLASH_COUNT);
  c.m_bRunning = 1;
  c.m_nFrame = 0;
  c.m_nCycle = 0;
  if (!fadeBack) {
    c.m_nTransparency = 0;
    c.m_bPaletteTinted = 1;
  } else {
    // The fade starts from the tint on screen.
    c.m_cRed = c.m_cPrevRed;
    c.m_cGreen = c.m_cPrevGreen;
    c.m_cBlue = c.m_cPrevBlue;
    c.m_nStrength = c.m_nPrevStrength;
    c.m_nTransparency = c.m_nPrevTransparency;
  }
}

void cScenePlay::DrawScreenColor(int noAdvance) {
  cScreenColorState& c = m_ScreenColor;
  if (!c.m_bRunning) return;
  const bool advance = !noAdvance;
  const bool ended = c.m_nFrame >= c.m_nTime;
  // A tint that has run its time stays at its final strength.
  const double p = c.m_nTime <= 0 ? 1.0 : std::min(1.0, static_cast<double>(c.m_nFrame) / c.m_nTime);
  const double s = c.m_nStrength * 2.55;
  int t;
  if (c.m_bFlash) {
    t = Transparency(255 - p * s);
  } else if (c.m_bFadeBack) {
    t = c.m_nTime <= 0 ? kClear : Transparency(c.m_nPrevTransparency + p * (255 - c.m_nPrevTransparency));
  } else {
    t = Transparency(255 - p * s);
  }

  if (lpDTCon) {
    if (c.m_bFlash && ended) {
      // The frame that ends a cycle shows nothing.
      c.m_nTransparency = kClear;
      if (!advance) return;
      c.m_nFrame = 0;
      // A count of 0 or less flashes until another command replaces it.
      if (++c.m_nCycle == c.m_nFlashCount) c.m_bRunning = 0;
      return;
    }
    DrawTint(c, t);
    c.m_nTransparency = t;
    if (advance && ended && (c.m_bFadeBack || (!c.m_bFlash && c.m_nStrength == 0))) c.m_bRunning = 0;
  } else if (DDScreenBpp == 8) {
    if (!advance) return;
    if (c.m_bFlash && ended) {
      BlendShownPalette(c, kClear);
      c.m_nTransparency = kClear;
      c.m_nFrame = 0;
      if (++c.m_nCycle == c.m_nFlashCount) c.m_bRunning = 0;
      return;
    }
    BlendShownPalette(c, t);
    c.m_nTransparency = t;
    if (ended) c.m_bRunning = 0;
  } else {
    c.m_bRunning = 0;
    return;
  }
  if (advance && !ended) ++c.m_nFrame;  // past its time the frame count has nothing more to tell
}
