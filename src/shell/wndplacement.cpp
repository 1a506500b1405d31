#include "shell/wndplacement.h"

#include <algorithm>

#include "platform/video/display.h"

cWndPlacement g_WndPlacement;

namespace {
// The area a window may take on the desktop (the full-screen area: the virtual display has no task
// bar, so the whole desktop).
void FullScreenArea(int* width, int* height) {
  video::DisplayMode desktop = video::DesktopMode();
  *width = desktop.width;
  *height = desktop.height;
}
}  // namespace

cWndPlacement::cWndPlacement() {
  Clear();
  m_nX = 0;
  m_nY = 0;
  m_nWidth = 640;
  m_nHeight = 480;
  m_bMaximized = 0;
}

void cWndPlacement::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nX);
  AddField32(&m_nY);
  AddField32(&m_nWidth);
  AddField32(&m_nHeight);
  AddField32(&m_bMaximized);
}

int cWndPlacement::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  int areaWidth, areaHeight;
  FullScreenArea(&areaWidth, &areaHeight);
  m_nX = std::clamp(m_nX, 0, std::max(areaWidth, 0));
  m_nY = std::clamp(m_nY, 0, std::max(areaHeight, 0));
  // The file is the player's: a size the window cannot take is brought to the nearest one it can.
  m_nWidth = std::clamp(m_nWidth, kMinClientWidth, std::max(areaWidth, kMinClientWidth));
  m_nHeight = std::clamp(m_nHeight, kMinClientHeight, std::max(areaHeight, kMinClientHeight));
  return 1;
}

int KeepOnArea(int position, int size, int areaStart, int areaLength) {
  if (position < areaStart) return areaStart;
  if (position + size >= areaStart + areaLength) return areaStart + areaLength - size;
  return position;
}
