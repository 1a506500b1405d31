// Waits for something another thread does, without a fixed sleep.
#pragma once
#include "platform/time/clock.h"

// Polls cond until it holds (true). The bound of a minute of the real clock (false) only turns a
// hang into a failure: a busy machine may hold a thread back for whole seconds.
template <class Cond>
bool Eventually(Cond cond) {
  const DWORD start = timeGetTime();
  while (!cond()) {
    if (timeGetTime() - start > 60000) return false;
    Sleep(0);
  }
  return true;
}
