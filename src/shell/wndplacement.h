// The main window's saved placement, "user_data\Window.dat": the outer window's top-left corner on
// the desktop, the client area's size and whether the window was maximised.
#pragma once
#include <cstdint>

#include "core/record.h"

class cWndPlacement : public cDataRecord {
 public:
  cWndPlacement();
  void RegisterFields(int version) override;
  // Reads the record and brings it onto the screen: x and y into the full-screen area, the client
  // size between the smallest client the window takes and the full-screen area.
  int Read(cDataFile& file) override;

  int32_t m_nX;
  int32_t m_nY;
  int32_t m_nWidth;
  int32_t m_nHeight;
  int32_t m_bMaximized;
};

extern cWndPlacement g_WndPlacement;

constexpr int kMinClientWidth = 100;
constexpr int kMinClientHeight = 100;

// Where a window's edge goes so that the window lies on an area (one axis): before the area's start it
// moves to the start, reaching its end it moves back so its far edge lies on the end.
int KeepOnArea(int position, int size, int areaStart, int areaLength);
