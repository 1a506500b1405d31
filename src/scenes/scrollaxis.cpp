#include "scenes/scrollaxis.h"

#include "stagedata/stagedata.h"

void cScrollAxis::Clamp() {
  if (m_dPos <= m_nMin) {
    m_dPos = m_nMin;
    m_bAtLimit = 1;
  } else if (m_dPos + m_nViewSize < m_nMax) {
    m_bAtLimit = 0;
  } else {
    m_dPos = m_nMax - m_nViewSize;
    if (m_dPos < m_nMin) m_dPos = m_nMin;
    m_bAtLimit = 1;
  }
}

void cScrollAxis::Advance() {
  m_dPos += m_dAutoSpeed;
  Clamp();
}

void cScrollAxis::SetAutoScroll(int enable, int speed) {
  if (!enable) {
    m_dAutoSpeed = 0.0;
    m_bAutoScroll = 0;
    return;
  }
  // A stage always has at least one sub-step; a record never set up must not give an endless speed.
  const double divisor = g_StageData.m_dStepsPerFrame > 0 ? g_StageData.m_dStepsPerFrame : 1.0;
  m_dAutoSpeed = speed * 0.1 / divisor;
  m_bAutoScroll = 1;
}

void cScrollAxis::SetLimits(int first, int last, int useFirst, int useLast) {
  m_nMin = useFirst ? m_nStageMin + first * kCellSize : m_nStageMin;
  if (useLast) {
    m_nMax = m_nStageMin + (last + 1) * kCellSize;
    if (m_nMax < m_nMin) m_nMax = m_nMin;
  } else {
    m_nMax = m_nStageMax;
  }
}

void cScrollAxis::SetGeometry(int axis, int cells, int outerRange) {
  m_nAxis = axis;
  m_nViewSize = axis == 0 ? 640 : 480;
  m_nMarginCells = kMarginCells;
  m_nMapCells = cells + 2 * kMarginCells;
  m_nOuterRange = 640 + outerRange;  // both axes
  if (axis == 0) {
    m_nShift = 0;
    for (unsigned v = static_cast<unsigned>(cells + 2 * kMarginCells - 1); v; v >>= 1) ++m_nShift;
    m_nRowStride = 1 << m_nShift;
  } else {
    m_nShift = 0;
    m_nRowStride = cells + 2 * kMarginCells;
  }
  m_nStageMin = kMarginCells * kCellSize;
  m_nStageMax = (cells + kMarginCells) * kCellSize;
  if (m_nStageMax < 0) m_nStageMax = 0;
}
