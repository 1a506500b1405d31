// Colours as a whole: the numbered colour variants of the 8-bit screen (a blend table and the base
// palette shifted or repeated), and the colour cycling stepped once per drawn frame: palette rotation
// at 8 bits in DirectDraw, animated colour presets in Direct3D that object drawing reads.
#pragma once
#include <cstdint>

// A colour preset: ARGB colour and the blend mode of the blend blit (7 or 10).
struct cColorPreset {
  uint32_t m_dwColor = 0;
  int32_t m_nBlendMode = 0;
};
constexpr int kColorPresetCount = 10;
// Presets 1..9 are animated by StepColorCycle; entry 0 is never written.
extern cColorPreset g_ColorPreset[kColorPresetCount];

// Loads colour variant 0..23 (blend table "bmp\hbt\hbtNN.dat" and the base palette rearranged) when
// the screen is 8-bit DirectDraw. 1 on success or when there is nothing to do; 0 on failure.
int LoadHbtPalette(int variant);
// One step of the colour cycling (once per drawn frame).
void StepColorCycle();
// One step of a value bouncing between low and high (direction 0 rising, 1 falling): a step that
// reaches or passes a bound is undone and turns the direction. 1 when a falling value turned at low.
int StepPingPong(int* value, int* direction, int step, int low, int high);
// Every cycle value, direction, phase, counter and preset back at its start.
void ResetColorCycle();
