// The game's random numbers: the C runtime's linear congruential generator, with one state per
// thread that starts at 1 in every new thread. A replay repeats an attempt from its stored seed, so
// the formula and the per-thread start are fixed.
#pragma once
#include <cstdint>

// Sets the calling thread's state.
void RandSeed(uint32_t seed);
// The next value of the calling thread's generator, 0 to 32767.
int RandNext();
// A value from min(a, b) to max(a, b): the low end plus a draw modulo the span. Spans wider than
// 32768 values reach only their lower part.
int RandRange(int a, int b);
