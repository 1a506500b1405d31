#include "platform/thread/thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/time/clock.h"
#include "platform/win/messages.h"

namespace {

// What a thread and the holders of its handle share.
struct ThreadState {
  std::mutex mutex;
  std::condition_variable cv;
  DWORD id = 0;
  bool started = false;
  bool ended = false;
  int suspendCount = 0;
  bool parked = false;  // waiting at a safe point until resumed
  int blocking = 0;     // depth of blocking waits the thread is in
};

thread_local ThreadState* t_self = nullptr;
std::atomic<int> g_abandoned{0};
std::atomic<DWORD> g_parkLimitMs{1000};
constexpr int kWorkingThreadWaitMs = 10000;

// Parks the calling thread while it is suspended. The lock is held on entry and on return.
void ParkWhileSuspended(ThreadState& s, std::unique_lock<std::mutex>& lock) {
  while (s.suspendCount > 0) {
    s.parked = true;
    s.cv.notify_all();
    s.cv.wait(lock);
  }
  s.parked = false;
}

void SafePoint() {
  if (!t_self) return;
  std::unique_lock<std::mutex> lock(t_self->mutex);
  ParkWhileSuspended(*t_self, lock);
}

void Blocking(bool entering) {
  if (!t_self) return;
  std::unique_lock<std::mutex> lock(t_self->mutex);
  if (entering) {
    ++t_self->blocking;
    t_self->cv.notify_all();
  } else {
    --t_self->blocking;
    ParkWhileSuspended(*t_self, lock);
  }
}

}  // namespace

struct ThreadObject {
  std::shared_ptr<ThreadState> state;
  std::thread thread;
};

HTHREAD BeginThread(ThreadProc proc, void* arg, DWORD* threadId) {
  if (!proc) return nullptr;
  SetSafePointHook(&SafePoint);
  SetBlockingHook(&Blocking);
  auto h = std::make_unique<ThreadObject>();
  h->state = std::make_shared<ThreadState>();
  std::shared_ptr<ThreadState> state = h->state;
  try {
    h->thread = std::thread([state, proc, arg] {
      t_self = state.get();
      EnsureThreadQueue();
      {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->id = GetCurrentThreadId();
        state->started = true;
      }
      state->cv.notify_all();
      proc(arg);
      ReleaseThreadQueue();
      {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->ended = true;
      }
      state->cv.notify_all();
      t_self = nullptr;
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(state->mutex);
  state->cv.wait(lock, [&] { return state->started; });
  if (threadId) *threadId = state->id;
  return h.release();
}

DWORD WaitForSingleObject(HTHREAD thread, DWORD timeoutMs) {
  if (!thread) return WAIT_OBJECT_0;
  ThreadState& s = *thread->state;
  std::unique_lock<std::mutex> lock(s.mutex);
  if (timeoutMs == INFINITE) {
    s.cv.wait(lock, [&] { return s.ended; });
  } else if (timeoutMs > 0) {
    s.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return s.ended; });
  }
  return s.ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL CloseHandle(HTHREAD thread) {
  if (!thread) return FALSE;
  bool ended;
  {
    std::lock_guard<std::mutex> lock(thread->state->mutex);
    ended = thread->state->ended;
  }
  if (ended) {
    thread->thread.join();  // it has only its last steps left
  } else {
    thread->thread.detach();
  }
  delete thread;
  return TRUE;
}

DWORD SuspendThread(HTHREAD thread) {
  if (!thread) return static_cast<DWORD>(-1);
  ThreadState& s = *thread->state;
  std::unique_lock<std::mutex> lock(s.mutex);
  DWORD previous = static_cast<DWORD>(s.suspendCount);
  ++s.suspendCount;
  if (t_self == &s) return previous;  // parks at its own next safe point
  auto parked = [&] { return s.parked || s.blocking > 0 || s.ended; };
  if (!s.cv.wait_for(lock, std::chrono::milliseconds(g_parkLimitMs.load()), parked)) {
    --s.suspendCount;
    return static_cast<DWORD>(-1);
  }
  return previous;
}

DWORD ResumeThread(HTHREAD thread) {
  if (!thread) return static_cast<DWORD>(-1);
  ThreadState& s = *thread->state;
  std::lock_guard<std::mutex> lock(s.mutex);
  DWORD previous = static_cast<DWORD>(s.suspendCount);
  if (s.suspendCount > 0 && --s.suspendCount == 0) s.cv.notify_all();
  return previous;
}

void AbandonThread(HTHREAD thread) {
  if (!thread) return;
  // Under the frame clock (headless runs, bounded by their own wall-clock guard) a thread still at
  // work is waited for until it ends: one left drawing would race with all that follows the run.
  // One waiting in a blocking call may wait for the thread that abandons it, and is left as usual.
  if (FrameClockRunning()) {
    ThreadState& s = *thread->state;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.cv.wait_for(lock, std::chrono::milliseconds(kWorkingThreadWaitMs), [&] { return s.ended || s.blocking > 0; });
    if (s.ended) return;
  }
  g_abandoned.fetch_add(1);
}

int AbandonedThreadCount() { return g_abandoned.load(); }

void SetThreadParkLimit(DWORD ms) { g_parkLimitMs.store(ms); }

DWORD ThreadSuspendCount(HTHREAD thread) {
  if (!thread) return 0;
  std::lock_guard<std::mutex> lock(thread->state->mutex);
  return static_cast<DWORD>(thread->state->suspendCount);
}

bool ThreadParked(HTHREAD thread) {
  if (!thread) return false;
  std::lock_guard<std::mutex> lock(thread->state->mutex);
  return thread->state->parked;
}
