// The input devices as the game reads them: for each device the direction word and the button word
// of the current frame, and per key the history of its pressed and released runs. The record sits
// below the game objects, which read the histories; the shell polls the devices into it.
#pragma once
#include <cstdint>

#include "core/checked.h"

// One run of a key: pressed (1) or released (0), and how many frames it lasted (so far, for the
// newest run).
struct cKeyRun {
  int32_t m_nState = 0;
  int32_t m_nFrames = 0;
  bool operator==(const cKeyRun&) const = default;
};

// The runs of one key, newest first; always kKeyRunDepth runs deep.
using cKeyRunList = cCheckedVector<cKeyRun>;

constexpr int kKeyRunDepth = 32;
// Direction keys: 0 none, 1 left, 2 right, 3 up, 4 down, 5 up-left, 6 down-left, 7 up-right,
// 8 down-right, 9 any direction.
constexpr int kDirKeyCount = 10;
// Button keys: 0 none, 1-8 button 1-8.
constexpr int kButtonKeyCount = 9;

class cInput {
 public:
  // Both words 0; every run list kKeyRunDepth released runs of 0 frames.
  cInput();

  void ClearDir();
  void ClearButton();

  // Adds this frame's words to the run lists: a key whose state changed begins a new run of one
  // frame (the oldest run drops out), otherwise its newest run lasts one frame longer.
  void RecordEdges();
  // Forgets every run: each list becomes kKeyRunDepth released runs of 0 frames.
  void TrimEdges();

  uint16_t m_wDir = 0;     // 1 left, 2 right, 4 up, 8 down
  uint16_t m_wButton = 0;  // bit i: button i
  cCheckedVector<cKeyRunList> m_vDirRuns;
  cCheckedVector<cKeyRunList> m_vButtonRuns;
};

// Element 0 is the keyboard with the joystick, element 1 the second device.
extern cCheckedVector<cInput> g_vInput;
