// Message queues in the manner of the Windows message system: every thread has a queue; a window
// belongs to the thread that created it and its messages go to that thread's queue.
#pragma once
#include "platform/win/types.h"

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Identifier of the calling thread; never 0 and never reused within a run.
DWORD GetCurrentThreadId();

// A window stand-in owned by the calling thread. The class name is kept for lookups.
HWND CreateWindowStandIn(const char* className);
// Destroys the window; messages still queued for it are dropped. Later posts to it fail.
void DestroyWindowStandIn(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// The window of the given class, or null.
HWND FindWindowStandIn(const char* className);

// The procedure that serves the messages sent to a window; the owner sets it after making the window.
typedef LRESULT (*WNDPROC)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SetWindowProcStandIn(HWND hwnd, WNDPROC proc);
// The procedure of a window; null for none or an unknown window.
WNDPROC GetWindowProcStandIn(HWND hwnd);
// The thread that owns a window; 0 for an unknown window.
DWORD GetWindowThreadStandIn(HWND hwnd);

// Sends a message and waits until the owner thread has served it (a send on the owner thread runs the
// procedure directly). The owner serves sends whenever it peeks or waits for messages. The waiting
// sender counts as parked. TRUE with the procedure's result when served; FALSE, without waiting, for
// a null or destroyed window, a window without a procedure, or once shut-down has begun (a send still
// waiting then gives up).
BOOL TrySendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The same, with the procedure's result, or 0 when the message could not be served.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// From now on every send fails at once and every waiting sender returns. For tests: ResetShutdown.
void BeginShutdownStandIn();
bool ShutdownBegun();
void ResetShutdownStandIn();

// Thread-safe from any thread. FALSE for a null or destroyed window, or a thread without a queue.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);

// Takes (PM_REMOVE) or looks at (PM_NOREMOVE) the oldest message of the calling thread's queue.
// With a window given, only that window's messages; with msgMin/msgMax both 0, any message.
// The peek is a safe point at which a suspended thread parks.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax, UINT removeMsg);
// Blocks until a message arrives for the calling thread (or the timeout in ms passes; ~0u waits forever).
BOOL WaitMessageTimeout(DWORD timeoutMs);

// Waits up to ms milliseconds, ending early (or not starting) once a message has been posted or sent
// to the calling thread since it last peeked or slept, so that a loop that sleeps between its peeks
// serves a request at once; each arrival ends one sleep at most, so a thread that sleeps without
// peeking does not spin. False, without waiting, for a thread without a queue. Neither a safe point
// nor a blocking scope: Sleep, its caller, is both.
bool SleepUntilMessage(DWORD ms);

// The calling thread's queue is made on first use; a thread may make it ahead of time so that posts
// to it never fail, and release it when it ends.
void EnsureThreadQueue();
void ReleaseThreadQueue();

// Hook for cooperative suspension: called at every safe point of the layer (peek, wait, sleep).
void SetSafePointHook(void (*hook)());
void ThreadSafePoint();

// Hook for the waits of the layer during which a thread does nothing but wait (for a message, for the
// end of a sleep, for the window thread to serve a call): it runs with true before such a wait and with
// false after it. A thread inside such a wait counts as parked for suspension, and parks on leaving it
// while it is suspended. No lock of the layer may be held across the scope.
void SetBlockingHook(void (*hook)(bool entering));
class BlockingCallScope {
 public:
  BlockingCallScope();
  ~BlockingCallScope();
  BlockingCallScope(const BlockingCallScope&) = delete;
  BlockingCallScope& operator=(const BlockingCallScope&) = delete;
};

// The window that is active for the calling thread: the main window on its own thread, otherwise null.
HWND GetActiveWindow();
void SetActiveWindowStandIn(HWND hwnd);
