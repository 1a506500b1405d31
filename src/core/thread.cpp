#include "core/thread.h"

#include "core/log.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"

cThread thGame;
cThread thPause;
cThread thResult;
cThread thLoad;

namespace {

constexpr int kExitPolls = 200;
constexpr DWORD kFailed = static_cast<DWORD>(-1);

}  // namespace

cThread::~cThread() { Exit(); }

int cThread::Start(ThreadProc proc, void* arg) {
  if (m_hThread) {
    // Never lose hold of a running thread: it could no longer be stopped.
    if (WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT) return 0;
    CloseHandle(m_hThread);
    m_hThread = nullptr;
  }
  DWORD id = 0;
  HTHREAD h = BeginThread(proc, arg, &id);
  if (!h) return 0;
  m_dwThreadId = id;
  m_hThread = h;
  return 1;
}

void cThread::Wait() {
  if (!m_hThread) return;
  while (WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT) Sleep(1);
  CloseHandle(m_hThread);
  m_hThread = nullptr;
}

bool cThread::Suspend() { return !m_hThread || SuspendThread(m_hThread) != kFailed; }

bool cThread::Resume() { return !m_hThread || ResumeThread(m_hThread) != kFailed; }

void cThread::Exit() {
  if (!m_hThread) return;
  // Clear every suspension, not only one, so that the thread can take the quit message.
  for (DWORD previous = ResumeThread(m_hThread); previous != kFailed && previous > 1;)
    previous = ResumeThread(m_hThread);
  DebugLog("Exit A");
  PostThreadMessage(m_dwThreadId, WM_QUIT, 0, 0);
  DebugLog("Exit B");
  DebugLog("Exit C");
  for (int polls = 0; WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT;) {
    Sleep(1);
    PostThreadMessage(m_dwThreadId, WM_QUIT, 0, 0);
    if (++polls >= kExitPolls) {
      AbandonThread(m_hThread);
      DebugLog("Exit abandoned");
      break;
    }
  }
  DebugLog("Exit D");
  CloseHandle(m_hThread);
  m_hThread = nullptr;
  DebugLog("Exit E");
}
