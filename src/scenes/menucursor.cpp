#include "scenes/menucursor.h"

cMenuCursor g_MenuCursor;

namespace {
constexpr uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8;
}

cMenuCursor& cMenuCursor::operator=(const cMenuCursor& other) {
  m_vState = other.m_vState;
  Refresh();
  return *this;
}

void cMenuCursor::Refresh() {
  const int n = m_vState.Size();
  m_pCur = n > 0 ? &m_vState.At(n - 1) : nullptr;
  m_pPrev = n > 1 ? &m_vState.At(n - 2) : nullptr;
}

void cMenuCursor::Reset() {
  m_vState.assign(1, cMenuCursorState());
  Refresh();
}

void cMenuCursor::Push(int mode) {
  m_vState.emplace_back();
  Refresh();
  if (mode == 1) *m_pCur = *m_pPrev;
}

void cMenuCursor::Pop(int mode) {
  const int n = m_vState.Size();
  if (n < 2) return;
  const cMenuCursorState removed = m_vState.At(n - 1);
  m_vState.pop_back();
  Refresh();
  if (mode == 0) *m_pCur = cMenuCursorState();
  else if (mode == 2) *m_pCur = removed;
}

void cMenuCursor::MoveGrid(const uint16_t* dir, int x0, int y0, int cellW, int cellH, int columns, int rows) {
  if (columns < 0 || rows < 0) return;
  cMenuCursorState& c = *m_pCur;
  const uint16_t d = *dir;
  if (d & kLeft) --c.m_nColumn;
  else if (d & kRight) ++c.m_nColumn;
  if (d & kUp) --c.m_nRow;
  else if (d & kDown) ++c.m_nRow;
  if (c.m_nRow < 0) c.m_nRow = rows - 1;
  else if (c.m_nRow >= rows) c.m_nRow = 0;
  if (c.m_nColumn < 0) c.m_nColumn = columns - 1;
  else if (c.m_nColumn >= columns) c.m_nColumn = 0;
  c.m_nX = x0 + cellW * c.m_nColumn;
  c.m_nY = y0 + cellH * c.m_nRow;
}

void cMenuCursor::MoveList(const uint16_t* dir, int useRow, int* scroll, int origin, int pitch, int fixed,
                           int visible, int count, int pageJumps) {
  cMenuCursorState& c = *m_pCur;
  int& index = useRow ? c.m_nRow : c.m_nColumn;
  const uint16_t d = *dir;
  if (d & kUp) {
    if (index - *scroll <= 0) --*scroll;
    --index;
  } else if (d & kDown) {
    if (index - *scroll >= visible - 1) ++*scroll;
    ++index;
  }
  const int maxScroll = count - visible;
  if (pageJumps) {
    if (d & kRight) {
      if (*scroll == maxScroll) {
        index = count - 1;
      } else {
        *scroll += visible - 1;
        index += visible - 1;
      }
    } else if (d & kLeft) {
      if (*scroll == 0) {
        index = 0;
      } else {
        *scroll -= visible - 1;
        index -= visible - 1;
      }
    }
  }
  if (index > count - 1) index = count - 1;
  if (index < 0) index = 0;
  if (*scroll > (maxScroll < 0 ? 0 : maxScroll)) *scroll = maxScroll < 0 ? 0 : maxScroll;
  if (*scroll < 0) *scroll = 0;
  const int along = origin + pitch * (index - *scroll);
  c.m_nX = useRow ? fixed : along;
  c.m_nY = useRow ? along : fixed;
}
