#include "core/random.h"

namespace {

thread_local uint32_t t_randState = 1;

}  // namespace

void RandSeed(uint32_t seed) { t_randState = seed; }

int RandNext() {
  t_randState = t_randState * 214013u + 2531011u;
  return static_cast<int>((t_randState >> 16) & 0x7FFF);
}

int RandRange(int a, int b) {
  int lo = a < b ? a : b;
  int hi = a < b ? b : a;
  // The span in 64 bits: the full int range has 2^32 values.
  int64_t span = static_cast<int64_t>(hi) - lo + 1;
  return static_cast<int>(lo + RandNext() % span);
}
