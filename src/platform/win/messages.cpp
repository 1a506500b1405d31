#include "platform/win/messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

struct HWND__ {
  DWORD owner;
  std::string className;
  bool alive = true;
};

namespace {

struct ThreadQueue {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<MSG> messages;
};

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
  }
  q->cv.notify_all();
  return TRUE;
}

}  // namespace

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
  if (q) {
    std::lock_guard<std::mutex> lock(q->mutex);
    std::erase_if(q->messages, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
  }
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
  BlockingCallScope blocked;  // left after the queue lock is released
  std::unique_lock<std::mutex> lock(q->mutex);
  if (timeoutMs == ~0u) {
    q->cv.wait(lock, [&] { return !q->messages.empty(); });
    return TRUE;
  }
  return q->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !q->messages.empty(); })
             ? TRUE
             : FALSE;
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
