// The input devices as the game reads them: for each device the direction word and the button word
// of the current frame.
#pragma once
#include <cstdint>

#include "core/checked.h"

class cInput {
 public:
  void ClearDir();
  void ClearButton();

  uint16_t m_wDir = 0;     // 1 left, 2 right, 4 up, 8 down
  uint16_t m_wButton = 0;  // bit i: button i
};

// Element 0 is the keyboard with the joystick, element 1 the second device.
extern cCheckedVector<cInput> g_vInput;
