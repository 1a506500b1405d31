#include "scenes/menucursor.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t L = 1, R = 2, U = 4, D = 8;

struct ListCase {
  const char* name;
  int index, scroll;
  uint16_t dir;
  int visible, count, pageJumps;
  int wantIndex, wantScroll;
};

TEST(MenuCursorTest, ListMovementClampsAndPages) {
  const ListCase cases[] = {
      {"down at the last visible row scrolls", 9, 0, D, 10, 25, 0, 10, 1},
      {"down inside the page does not scroll", 4, 0, D, 10, 25, 0, 5, 0},
      {"up at the top of the list stays", 0, 0, U, 10, 25, 0, 0, 0},
      {"up at the first visible row scrolls back", 5, 5, U, 10, 25, 0, 4, 4},
      {"down on the last entry stays", 24, 15, D, 10, 25, 0, 24, 15},
      {"page right moves by visible - 1", 3, 0, R, 10, 25, 1, 12, 9},
      {"page right past the end clamps the scroll", 12, 9, R, 10, 25, 1, 21, 15},
      {"page right at the end goes to the last entry", 17, 15, R, 10, 25, 1, 24, 15},
      {"page left at the top goes to the first entry", 6, 0, L, 10, 25, 1, 0, 0},
      {"page left moves back by visible - 1", 20, 15, L, 10, 25, 1, 11, 6},
      {"sideways without page jumps does nothing", 3, 0, R, 10, 25, 0, 3, 0},
      {"four entries: down on the last stays", 3, 0, D, 10, 4, 0, 3, 0},
      {"four entries: a page right keeps scroll 0", 1, 0, R, 10, 4, 1, 3, 0},
      {"four entries: up from the first stays", 0, 0, U, 10, 4, 1, 0, 0},
      {"twelve slots of five paged right once", 0, 0, R, 5, 12, 1, 4, 4},
      {"twelve slots paged right twice", 4, 4, R, 5, 12, 1, 8, 7},
      {"twelve slots paged right at the end", 8, 7, R, 5, 12, 1, 11, 7},
      {"an empty list gives index 0", 0, 0, D, 10, 0, 1, 0, 0},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    cMenuCursor m;
    m.m_pCur->m_nRow = c.index;
    int scroll = c.scroll;
    m.MoveList(&c.dir, 1, &scroll, 100, 16, 40, c.visible, c.count, c.pageJumps);
    EXPECT_EQ(m.m_pCur->m_nRow, c.wantIndex);
    EXPECT_EQ(scroll, c.wantScroll);
    EXPECT_EQ(m.m_pCur->m_nX, 40);
    EXPECT_EQ(m.m_pCur->m_nY, 100 + 16 * (c.wantIndex - c.wantScroll));
  }
}

TEST(MenuCursorTest, ListAlongColumnsMovesTheColumnAndX) {
  cMenuCursor m;
  m.m_pCur->m_nColumn = 2;
  m.m_pCur->m_nRow = 7;
  int scroll = 0;
  const uint16_t down = D;
  m.MoveList(&down, 0, &scroll, 50, 20, 300, 4, 10, 0);
  EXPECT_EQ(m.m_pCur->m_nColumn, 3);
  EXPECT_EQ(m.m_pCur->m_nRow, 7);
  EXPECT_EQ(m.m_pCur->m_nX, 50 + 20 * 3);
  EXPECT_EQ(m.m_pCur->m_nY, 300);
}

struct GridCase {
  const char* name;
  int column, row;
  uint16_t dir;
  int columns, rows;
  int wantColumn, wantRow;
};

TEST(MenuCursorTest, GridMovementWraps) {
  const GridCase cases[] = {
      {"up from the first row wraps to the last", 0, 0, U, 1, 3, 0, 2},
      {"down from the last row wraps to the first", 0, 2, D, 1, 3, 0, 0},
      {"up beats down", 0, 1, U | D, 1, 3, 0, 0},
      {"left beats right", 1, 0, L | R, 3, 1, 0, 0},
      {"left from the first column wraps", 0, 0, L, 3, 2, 2, 0},
      {"a diagonal moves both ways", 0, 0, R | D, 3, 3, 1, 1},
      {"negative rows change nothing", 1, 1, D, 3, -1, 1, 1},
      {"negative columns change nothing", 1, 1, D, -1, 3, 1, 1},
      {"zero columns are allowed", 0, 0, D, 0, 3, 0, 1},
  };
  for (const GridCase& c : cases) {
    SCOPED_TRACE(c.name);
    cMenuCursor m;
    m.m_pCur->m_nColumn = c.column;
    m.m_pCur->m_nRow = c.row;
    m.MoveGrid(&c.dir, 10, 20, 30, 16, c.columns, c.rows);
    EXPECT_EQ(m.m_pCur->m_nColumn, c.wantColumn);
    EXPECT_EQ(m.m_pCur->m_nRow, c.wantRow);
    if (c.columns >= 0 && c.rows >= 0) {
      EXPECT_EQ(m.m_pCur->m_nX, 10 + 30 * c.wantColumn);
      EXPECT_EQ(m.m_pCur->m_nY, 20 + 16 * c.wantRow);
    }
  }
}

TEST(MenuCursorTest, PushAndPopKeepThePointersOnTheTopTwoStates) {
  cMenuCursor m;
  m.m_pCur->m_nRow = 3;
  m.m_pCur->m_nX = 77;
  m.Push(0);
  EXPECT_EQ(m.m_vState.Size(), 2);
  EXPECT_EQ(m.m_pCur, &m.m_vState.At(1));
  EXPECT_EQ(m.m_pPrev, &m.m_vState.At(0));
  EXPECT_EQ(m.m_pCur->m_nRow, 0);
  m.m_pCur->m_nRow = 5;
  for (int i = 0; i < 20; ++i) m.Push(1);  // the vector grows and moves
  EXPECT_EQ(m.m_pCur, &m.m_vState.At(21));
  EXPECT_EQ(m.m_pPrev, &m.m_vState.At(20));
  EXPECT_EQ(m.m_pCur->m_nRow, 5);  // mode 1 starts where the parent is
  for (int i = 0; i < 20; ++i) m.Pop(1);
  m.m_pCur->m_nColumn = 9;
  m.Pop(1);  // the parent reappears where it was
  EXPECT_EQ(m.m_pCur, &m.m_vState.At(0));
  EXPECT_EQ(m.m_pPrev, nullptr);
  EXPECT_EQ(m.m_pCur->m_nRow, 3);
  EXPECT_EQ(m.m_pCur->m_nX, 77);
  m.Pop(0);  // the bottom state stays
  EXPECT_EQ(m.m_vState.Size(), 1);
  EXPECT_EQ(m.m_pCur->m_nRow, 3);
}

TEST(MenuCursorTest, PopModesZeroOrTakeTheRemovedState) {
  cMenuCursor m;
  m.m_pCur->m_nRow = 3;
  m.Push(0);
  m.m_pCur->m_nRow = 6;
  m.m_pCur->m_nY = 40;
  m.Pop(2);
  EXPECT_EQ(m.m_pCur->m_nRow, 6);
  EXPECT_EQ(m.m_pCur->m_nY, 40);
  m.Push(0);
  m.Pop(0);
  EXPECT_EQ(m.m_pCur->m_nRow, 0);
  EXPECT_EQ(m.m_pCur->m_nY, 0);
  m.Push(0);
  m.Push(0);
  m.Reset();
  EXPECT_EQ(m.m_vState.Size(), 1);
  EXPECT_EQ(m.m_pCur, &m.m_vState.At(0));
  EXPECT_EQ(m.m_pPrev, nullptr);
}

}  // namespace
