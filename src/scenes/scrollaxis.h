// One axis of the play view: its position in map pixels, the limits it moves within, its
// auto-scroll, and the block map's geometry along it. The play scene keeps one per direction.
#pragma once

struct cScrollAxis {
  double m_dPos = 0;        // map pixel of the view's left (top) edge
  int m_bAtLimit = 0;       // the last clamp found the position on a limit
  int m_nAxis = 0;          // 0 horizontal, 1 vertical
  int m_nViewSize = 0;      // 640 or 480
  int m_nMin = 0;           // scroll range: smallest position
  int m_nMax = 0;           // position + view size stays within it
  int m_nStageMin = 0;      // the stage without its margins
  int m_nStageMax = 0;
  int m_nMarginCells = 0;
  int m_nOuterRange = 0;    // the whole grid in pixels, from 0
  int m_nMapCells = 0;
  int m_nRowStride = 0;
  int m_nShift = 0;         // horizontal axis: a cell's index is column + (row << shift)
  double m_dAutoSpeed = 0;  // pixels per sub-step
  int m_bAutoScroll = 0;

  // The view is moving by itself now: an auto-scroll speed, and not held at a limit.
  bool IsScrolling() const { return m_dAutoSpeed != 0 && !m_bAtLimit; }
};
