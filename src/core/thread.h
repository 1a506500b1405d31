// The game's worker threads: the game thread, the two modal frame loops of the play scene and the
// stage reader. A thread procedure either ends by itself after a bounded piece of work, or pumps its
// own message queue at least once per loop and returns when it takes WM_QUIT.
#pragma once
#include <cstdint>

#include "platform/thread/thread.h"

class cThread {
 public:
  cThread() = default;
  ~cThread();  // ends a thread still held with Exit
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Starts proc(arg) on a new thread. 1 when it runs; 0 when no thread could be made, or when the
  // object still holds a thread that has not ended.
  int Start(ThreadProc proc, void* arg);
  // Returns when the thread has ended, then releases it. At once without a thread.
  void Wait();
  // Suspension: the thread parks at its next safe point. True without a thread or on success.
  bool Suspend();
  bool Resume();
  // Stops the thread: clears its suspension, posts WM_QUIT to it every millisecond until it has
  // ended, and releases it. A thread still running after 200 polls is abandoned, never killed.
  void Exit();

  uint32_t m_dwThreadId = 0;   // target of the quit message; 0 before the first start
  HTHREAD m_hThread = nullptr;  // the running thread; null when none is held
};

extern cThread thGame;    // the game thread's frame loop
extern cThread thPause;   // the play scene's modal loop for messages, waits, pictures and the result
extern cThread thResult;  // the play scene's ranking loop
extern cThread thLoad;    // the background reader of a stage file
