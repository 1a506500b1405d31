#include "platform/win/messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

struct HWND__ {
  DWORD owner;
  std::string className;
  bool alive = true;
  WNDPROC proc = nullptr;
};

namespace {

// A message sent from another thread, waiting for the owner to serve it.
struct SentCall {
  MSG msg;
  LRESULT result = 0;
  bool done = false;
  bool served = false;
};

struct ThreadQueue {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<MSG> messages;
  std::deque<std::shared_ptr<SentCall>> sent;
  // Messages posted or sent so far, and their number when the owner last peeked or slept: a sleep
  // ends early for arrivals it has not seen.
  uint64_t arrivals = 0;
  uint64_t seen = 0;
};

// Every sender waits on this one variable: sends are rare and short.
std::mutex g_sendMutex;
std::condition_variable g_sendCv;
std::atomic<bool> g_shutdown{false};

struct Registry {
  std::mutex mutex;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
  std::map<HWND, std::unique_ptr<HWND__>> windows;
  HWND active = nullptr;
};

Registry& Reg() {
  static Registry* reg = new Registry;  // lives to the very end: threads may outlive static destruction
  return *reg;
}

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;
std::atomic<void (*)()> g_safePointHook{nullptr};
std::atomic<void (*)(bool)> g_blockingHook{nullptr};

std::shared_ptr<ThreadQueue> QueueOf(DWORD id, bool create) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.queues.find(id);
  if (it != r.queues.end()) return it->second;
  if (!create) return nullptr;
  auto q = std::make_shared<ThreadQueue>();
  r.queues[id] = q;
  return q;
}

bool Matches(const MSG& m, HWND hwnd, UINT lo, UINT hi) {
  if (hwnd && m.hwnd != hwnd) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

BOOL PostTo(DWORD threadId, const MSG& m) {
  auto q = QueueOf(threadId, false);
  if (!q) return FALSE;
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->messages.push_back(m);
    ++q->arrivals;
  }
  q->cv.notify_all();
  return TRUE;
}

WNDPROC ProcOf(HWND hwnd, DWORD* owner) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.windows.find(hwnd);
  if (it == r.windows.end()) return nullptr;
  if (owner) *owner = it->second->owner;
  return it->second->proc;
}

void FinishCall(SentCall& call, bool served, LRESULT result) {
  {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    call.result = result;
    call.served = served;
    call.done = true;
  }
  g_sendCv.notify_all();
}

// Serves the sends waiting in the calling thread's queue, oldest first, outside every lock.
void ServeSends(ThreadQueue& q) {
  for (;;) {
    std::shared_ptr<SentCall> call;
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (q.sent.empty()) return;
      call = q.sent.front();
      q.sent.pop_front();
    }
    WNDPROC proc = ProcOf(call->msg.hwnd, nullptr);
    if (proc) FinishCall(*call, true, proc(call->msg.hwnd, call->msg.message, call->msg.wParam, call->msg.lParam));
    else FinishCall(*call, false, 0);
  }
}

}  // namespace

void SetWindowProcStandIn(HWND hwnd, WNDPROC proc) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.windows.find(hwnd);
  if (it != r.windows.end()) it->second->proc = proc;
}

WNDPROC GetWindowProcStandIn(HWND hwnd) { return ProcOf(hwnd, nullptr); }

DWORD GetWindowThreadStandIn(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.windows.find(hwnd);
  return it == r.windows.end() ? 0 : it->second->owner;
}

BOOL TrySendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (result) *result = 0;
  if (!hwnd || g_shutdown.load()) return FALSE;
  DWORD owner = 0;
  WNDPROC proc = ProcOf(hwnd, &owner);
  if (!proc) return FALSE;
  if (owner == GetCurrentThreadId()) {
    const LRESULT r = proc(hwnd, msg, wParam, lParam);
    if (result) *result = r;
    return TRUE;
  }
  auto q = QueueOf(owner, false);
  if (!q) return FALSE;
  auto call = std::make_shared<SentCall>();
  call->msg = MSG{hwnd, msg, wParam, lParam};
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->sent.push_back(call);
    ++q->arrivals;
  }
  q->cv.notify_all();
  ThreadSafePoint();
  BlockingCallScope blocked;  // left after the send lock is released
  std::unique_lock<std::mutex> lock(g_sendMutex);
  g_sendCv.wait(lock, [&] { return call->done || g_shutdown.load(); });
  if (!call->done || !call->served) return FALSE;
  if (result) *result = call->result;
  return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT r = 0;
  TrySendMessage(hwnd, msg, wParam, lParam, &r);
  return r;
}

void BeginShutdownStandIn() {
  {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    g_shutdown.store(true);
  }
  g_sendCv.notify_all();
}

bool ShutdownBegun() { return g_shutdown.load(); }

void ResetShutdownStandIn() { g_shutdown.store(false); }

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
  return t_threadId;
}

void EnsureThreadQueue() { QueueOf(GetCurrentThreadId(), true); }

void ReleaseThreadQueue() {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.queues.erase(GetCurrentThreadId());
}

HWND CreateWindowStandIn(const char* className) {
  EnsureThreadQueue();
  auto w = std::make_unique<HWND__>();
  w->owner = GetCurrentThreadId();
  w->className = className ? className : "";
  HWND h = w.get();
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.windows[h] = std::move(w);
  return h;
}

void DestroyWindowStandIn(HWND hwnd) {
  if (!hwnd) return;
  std::shared_ptr<ThreadQueue> q;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.windows.find(hwnd);
    if (it == r.windows.end()) return;
    auto qi = r.queues.find(it->second->owner);
    if (qi != r.queues.end()) q = qi->second;
    if (r.active == hwnd) r.active = nullptr;
    r.windows.erase(it);
  }
  if (!q) return;
  std::deque<std::shared_ptr<SentCall>> dropped;
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    std::erase_if(q->messages, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    std::erase_if(q->sent, [&](const std::shared_ptr<SentCall>& c) {
      if (c->msg.hwnd != hwnd) return false;
      dropped.push_back(c);
      return true;
    });
  }
  for (auto& c : dropped) FinishCall(*c, false, 0);  // their senders stop waiting
}

BOOL IsWindow(HWND hwnd) {
  if (!hwnd) return FALSE;
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.windows.count(hwnd) ? TRUE : FALSE;
}

HWND FindWindowStandIn(const char* className) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (auto& [h, w] : r.windows)
    if (className && w->className == className) return h;
  return nullptr;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return FALSE;
  DWORD owner;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.windows.find(hwnd);
    if (it == r.windows.end()) return FALSE;
    owner = it->second->owner;
  }
  return PostTo(owner, MSG{hwnd, msg, wParam, lParam});
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PostTo(threadId, MSG{nullptr, msg, wParam, lParam});
}

void SetSafePointHook(void (*hook)()) { g_safePointHook.store(hook); }

void ThreadSafePoint() {
  if (auto hook = g_safePointHook.load()) hook();
}

void SetBlockingHook(void (*hook)(bool entering)) { g_blockingHook.store(hook); }

BlockingCallScope::BlockingCallScope() {
  if (auto hook = g_blockingHook.load()) hook(true);
}

BlockingCallScope::~BlockingCallScope() {
  if (auto hook = g_blockingHook.load()) hook(false);
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax, UINT removeMsg) {
  ThreadSafePoint();
  auto q = QueueOf(GetCurrentThreadId(), true);
  {
    // What arrives from here on is looked at by a later peek: a sleep before it ends early.
    std::lock_guard<std::mutex> lock(q->mutex);
    q->seen = q->arrivals;
  }
  ServeSends(*q);
  std::lock_guard<std::mutex> lock(q->mutex);
  for (auto it = q->messages.begin(); it != q->messages.end(); ++it) {
    if (!Matches(*it, hwnd, msgMin, msgMax)) continue;
    if (msg) *msg = *it;
    if (removeMsg & PM_REMOVE) q->messages.erase(it);
    return TRUE;
  }
  return FALSE;
}

BOOL WaitMessageTimeout(DWORD timeoutMs) {
  ThreadSafePoint();
  auto q = QueueOf(GetCurrentThreadId(), true);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    ServeSends(*q);
    BlockingCallScope blocked;  // left after the queue lock is released
    std::unique_lock<std::mutex> lock(q->mutex);
    const auto ready = [&] { return !q->messages.empty() || !q->sent.empty(); };
    if (timeoutMs == ~0u) q->cv.wait(lock, ready);
    else if (!q->cv.wait_until(lock, deadline, ready)) return FALSE;
    if (!q->messages.empty()) return TRUE;
    // Only sends arrived: serve them and go on waiting for a posted message.
  }
}

bool SleepUntilMessage(DWORD ms) {
  auto q = QueueOf(GetCurrentThreadId(), false);
  if (!q) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lock(q->mutex);
  q->cv.wait_until(lock, deadline, [&] { return q->arrivals != q->seen; });
  q->seen = q->arrivals;
  return true;
}

HWND GetActiveWindow() {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (!r.active) return nullptr;
  auto it = r.windows.find(r.active);
  if (it == r.windows.end() || it->second->owner != GetCurrentThreadId()) return nullptr;
  return r.active;
}

void SetActiveWindowStandIn(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.active = hwnd;
}
