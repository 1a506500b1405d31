// Waits for something another thread does, without a fixed sleep.
#pragma once
#include "platform/time/clock.h"

// Polls cond until it holds (true) or two seconds of the real clock have passed (false).
template <class Cond>
bool Eventually(Cond cond) {
  const DWORD start = timeGetTime();
  while (!cond()) {
    if (timeGetTime() - start > 2000) return false;
    Sleep(0);
  }
  return true;
}
