// The cursor stack of every menu: a sub-menu pushes a state, closing it pops back to the parent's.
// Scenes read the current and parent states fresh every frame through the two pointers.
#pragma once
#include <cstdint>

#include "core/checked.h"

struct cMenuCursorState {
  int32_t m_nColumn = 0;  // grid column (the map x on the world map)
  int32_t m_nRow = 0;     // row (the map y on the world map)
  int32_t m_nX = 0;       // where the scene draws the cursor picture
  int32_t m_nY = 0;
};

class cMenuCursor {
 public:
  cMenuCursor() { Reset(); }
  // The vector may move when it grows: copies of the stack refresh their own pointers.
  cMenuCursor(const cMenuCursor& other) : m_vState(other.m_vState) { Refresh(); }
  cMenuCursor& operator=(const cMenuCursor& other);

  // One zeroed state.
  void Reset();
  // A new zeroed state on top; mode 1 starts it where the parent is.
  void Push(int mode);
  // Back to the state below (never below the bottom one); mode 0 zeroes it, mode 1 leaves it, mode 2
  // takes the removed state's fields.
  void Pop(int mode);
  // Wrapping grid movement; negative column or row counts change nothing.
  void MoveGrid(const uint16_t* dir, int x0, int y0, int cellW, int cellH, int columns, int rows);
  // Clamped list movement along rows (useRow) or columns, with the caller's first-visible counter.
  void MoveList(const uint16_t* dir, int useRow, int* scroll, int origin, int pitch, int fixed, int visible,
                int count, int pageJumps);

  cMenuCursorState* m_pCur = nullptr;
  cMenuCursorState* m_pPrev = nullptr;
  cCheckedVector<cMenuCursorState> m_vState;

 private:
  void Refresh();
};

extern cMenuCursor g_MenuCursor;
