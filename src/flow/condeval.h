// Comparison operators of the conditions and the status operations.
#pragma once
#include <cstdint>

enum eCompareOp {
  CMP_EQ = 0,
  CMP_NE = 1,
  CMP_GE = 2,
  CMP_LE = 3,
  CMP_GT = 4,
  CMP_LT = 5,
  CMP_MULTIPLE = 6,      // b is 0, or |a| is a multiple of |b|
  CMP_NOT_MULTIPLE = 7,  // b is not 0 and |a| is not a multiple of |b|
};

// 1 when a op b holds; an operator outside the table never holds. The multiple tests work in 64
// bits, so the smallest int32 divides by -1 like any other value.
int CompareByOp(int32_t a, int32_t b, int32_t op);
