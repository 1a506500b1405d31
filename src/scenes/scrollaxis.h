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

  static constexpr int kMarginCells = 10;
  static constexpr int kCellSize = 32;

  // The view is moving by itself now: an auto-scroll speed, and not held at a limit.
  bool IsScrolling() const { return m_dAutoSpeed != 0 && !m_bAtLimit; }

  // Keeps the position within the limits; when the range is narrower than the view the minimum wins.
  void Clamp();
  // One sub-step of auto-scroll, then the clamp.
  void Advance();
  // Speed in tenths of a pixel per frame, spread over the stage's sub-steps.
  void SetAutoScroll(int enable, int speed);
  // Limits in whole stage cells counted from the stage's first cell, the last cell included; an
  // unused limit is the stage's own.
  void SetLimits(int first, int last, int useFirst, int useLast);
  // The geometry of an axis of `cells` stage cells (axis 0 horizontal, 1 vertical) with the stage's
  // outer-range setting; the position, the limits and the auto-scroll are left as they are.
  void SetGeometry(int axis, int cells, int outerRange);
};
