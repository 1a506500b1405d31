#include "scenes/colorcycle.h"

#include <string>

#include "core/log.h"
#include "core/text.h"
#include "gamedata/systemswitches.h"
#include "gfx/effect.h"
#include "gfx/globals.h"
#include "gfx/palette.h"
#include "gfx/screenfx.h"

cColorPreset g_ColorPreset[kColorPresetCount];

namespace {

// The first picture of the fixed bitmap set: the base palette.
constexpr const char* kPaletteFile = "bmp\\plt\\Palette.bmp";
// The 8-bit colour groups that rearrange and rotate: twelve groups of 16 from entry 16, and the
// eight groups of 4 from entry 208 that cycle.
constexpr int kVariantFirst = 16;
constexpr int kVariantLast = 207;
constexpr int kCycleFirst = 208;
constexpr int kCycleGroups = 8;
constexpr int kCycleGroupSize = 4;
constexpr int kCycleEvery = 6;

constexpr int kCycleValues = 9;
int g_nCycleValue[kCycleValues] = {};
int g_nCycleDir[kCycleValues] = {};
int g_nPhase9 = 0;
int g_nRotateCounter = 0;

struct PresetColour {
  int red, green, blue;  // 0 none, 1 the value, 4 the value / 4
  int blendMode;
};
// Presets 1..8; preset 9 takes its colour from its phase.
constexpr PresetColour kPresets[8] = {
    {1, 1, 1, 7}, {1, 1, 1, 10}, {1, 0, 0, 7}, {0, 1, 0, 7}, {0, 0, 1, 7}, {1, 1, 0, 7}, {1, 0, 4, 7}, {4, 0, 1, 7},
};
constexpr PresetColour kPhaseColours[4] = {{1, 0, 0, 7}, {0, 1, 0, 7}, {0, 0, 1, 7}, {1, 1, 0, 7}};

uint32_t Channel(int kind, int v) { return kind == 0 ? 0u : static_cast<uint32_t>(kind == 4 ? v >> 2 : v) & 0xFF; }

cColorPreset MakePreset(const PresetColour& c, int v) {
  return {0xFF000000u | Channel(c.red, v) << 16 | Channel(c.green, v) << 8 | Channel(c.blue, v), c.blendMode};
}

void SetScreenEntries(int start, int count) {
  if (lpDDPal) lpDDPal->SetEntries(0, static_cast<DWORD>(start), static_cast<DWORD>(count), &DDWorkPalette[start]);
}

}  // namespace

int StepPingPong(int* value, int* direction, int step, int low, int high) {
  if (*direction == 0) {
    *value += step;
    if (*value >= high) {
      *value -= step;
      *direction = 1;
    }
    return 0;
  }
  *value -= step;
  if (*value > low) return 0;
  *value += step;
  *direction = 0;
  return 1;
}

int LoadHbtPalette(int variant) {
  if (lpDTCon || !lpDDCon || DDScreenBpp != 8) return 1;
  std::string number;
  FormatNumber(number, variant, 2, 1, 0);
  const std::string path = "bmp\\hbt\\hbt" + number + ".dat";
  if (!DDLoadBlendTable(DDBlendTable, path.c_str())) {
    ErrorBoxF("%s の読み込みに失敗！", path.c_str());
    return 0;
  }
  if (!DDLoadPaletteFromFile(DDPalette, kPaletteFile)) {
    DebugLog("DDLoadPaletteFromFile失敗");
    return 0;
  }
  if (variant <= 11) {
    DDRotatePalette(DDPalette, kVariantFirst, kVariantLast, variant * 16, 1, DDPalette);
  } else {
    const int group = (variant - 11) * 16;
    for (int i = kVariantFirst; i <= kVariantLast; ++i) DDPalette[i] = DDPalette[group + (i - kVariantFirst) % 16];
  }
  for (int i = 0; i < 256; ++i) DDWorkPalette[i] = DDPalette[i];
  SetScreenEntries(0, 256);
  return 1;
}

void StepColorCycle() {
  if (lpDTCon) {
    const int step = ColourCycleStep();
    for (int i = 0; i < kCycleValues; ++i) {
      const int before = g_nCycleValue[i];
      const int turned = StepPingPong(&g_nCycleValue[i], &g_nCycleDir[i], step, 0, 255);
      g_ColorPreset[i + 1] = MakePreset(i < 8 ? kPresets[i] : kPhaseColours[g_nPhase9], before);
      if (i == 8 && turned) g_nPhase9 = (g_nPhase9 + 1) % 4;
    }
    return;
  }
  if (!lpDDCon || !ColourCycleOn() || DDScreenBpp != 8) return;
  if (++g_nRotateCounter < kCycleEvery) return;
  for (int g = 0; g < kCycleGroups; ++g) {
    const int first = kCycleFirst + g * kCycleGroupSize;
    DDRotatePalette(DDWorkPalette, first, first + kCycleGroupSize - 1, 1, 1, DDWorkPalette);
  }
  SetScreenEntries(kCycleFirst, kCycleGroups * kCycleGroupSize);
  g_nRotateCounter = 0;
}

void ResetColorCycle() {
  for (int i = 0; i < kCycleValues; ++i) g_nCycleValue[i] = g_nCycleDir[i] = 0;
  g_nPhase9 = 0;
  g_nRotateCounter = 0;
  for (cColorPreset& p : g_ColorPreset) p = cColorPreset();
}
