// Threads in the manner of the Windows thread calls, on std::thread.
//
// Linux cannot stop a thread safely at an arbitrary point, so suspension is cooperative: a suspended
// thread parks at the next safe point of the layer (message peek or wait, Sleep, the poll of a thread
// wait), and a thread inside a blocking wait of the layer (a message wait, a sleep, a call served by
// the window thread) counts as parked. A thread is never killed: one that does not end when asked is
// abandoned, and the program ends its process after shut-down when any was.
#pragma once
#include "platform/win/types.h"

struct ThreadObject;
typedef ThreadObject* HTHREAD;

constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD INFINITE = 0xFFFFFFFF;

typedef unsigned (*ThreadProc)(void* arg);

// Runs proc(arg) on a new thread and returns its handle, null when no thread could be made. The
// thread's message queue exists before this returns, so posts to *threadId never fail while it runs.
// Each new thread has its own thread-local state (among it the random generator, at its start).
HTHREAD BeginThread(ThreadProc proc, void* arg, DWORD* threadId);

// WAIT_OBJECT_0 when the thread's procedure has returned, WAIT_TIMEOUT when it has not within the time.
DWORD WaitForSingleObject(HTHREAD thread, DWORD timeoutMs);

// Releases the handle. A thread that has ended is joined; one still running goes on without it.
BOOL CloseHandle(HTHREAD thread);

// Raises the thread's suspend count and waits until it is parked (or has ended). The previous count;
// (DWORD)-1 with the count unchanged when it did not park within the park limit.
DWORD SuspendThread(HTHREAD thread);
// Lowers the suspend count; the thread runs on when it reaches 0. The previous count (0: was running).
DWORD ResumeThread(HTHREAD thread);

// Stands in for forced termination: the thread is left to run on its own and counted, so that the
// program can end its process after shut-down instead of waiting for it. Under a FrameClock a thread
// still at work (in no blocking call) is first waited for, up to 10 s, and not abandoned once ended.
void AbandonThread(HTHREAD thread);
int AbandonedThreadCount();

// How long SuspendThread waits for a thread to park (1000 ms unless set; for tests).
void SetThreadParkLimit(DWORD ms);

// The thread's suspension count as it stands, counting a suspension still waiting for the thread to park
// (for tests that must order their steps against one).
DWORD ThreadSuspendCount(HTHREAD thread);
// Whether the thread is held at a safe point until it is resumed (for tests that must see it held).
bool ThreadParked(HTHREAD thread);
