#include "core/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/log.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"
#include "support/eventually.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

// A frame loop: pumps its queue once per turn and returns when it takes WM_QUIT.
struct Loop {
  std::atomic<int> turns{0};
  std::atomic<bool> tookQuit{false};
};

unsigned LoopProc(void* arg) {
  auto* loop = static_cast<Loop*>(arg);
  for (;;) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        loop->tookQuit = true;
        return 1;
      }
    }
    ++loop->turns;
    Sleep(1);
  }
}

// A bounded piece of work: ends by itself once released.
struct Work {
  std::atomic<bool> release{false};
  std::atomic<bool> done{false};
};

unsigned WorkProc(void* arg) {
  auto* work = static_cast<Work*>(arg);
  while (!work->release) std::this_thread::yield();
  work->done = true;
  return 0;
}

}  // namespace

TEST(Thread, SuspendedLoopStandsStillThenResumesAndExitsCleanly) {
  Loop loop;
  cThread t;
  ASSERT_EQ(t.Start(&LoopProc, &loop), 1);
  EXPECT_NE(t.m_dwThreadId, 0u);
  ASSERT_TRUE(Eventually([&] { return loop.turns > 2; }));

  ASSERT_TRUE(t.Suspend());
  int parkedAt = loop.turns;
  ASSERT_TRUE(Eventually([&] { return ThreadParked(t.m_hThread); }));
  EXPECT_EQ(loop.turns, parkedAt);

  ASSERT_TRUE(t.Resume());
  EXPECT_TRUE(Eventually([&] { return loop.turns > parkedAt + 2; }));

  // Suspended twice: Exit clears both suspensions, so the loop takes its quit message.
  ASSERT_TRUE(t.Suspend());
  ASSERT_TRUE(t.Suspend());
  const int abandoned = AbandonedThreadCount();
  t.Exit();
  EXPECT_TRUE(loop.tookQuit);
  EXPECT_EQ(AbandonedThreadCount(), abandoned);
  EXPECT_EQ(t.m_hThread, nullptr);
}

TEST(Thread, WaitReleasesAndTheObjectStartsAgain) {
  Work first;
  ASSERT_EQ(thLoad.Start(&WorkProc, &first), 1);
  const uint32_t firstId = thLoad.m_dwThreadId;

  // While it runs the object will not take another thread.
  Work other;
  EXPECT_EQ(thLoad.Start(&WorkProc, &other), 0);
  EXPECT_EQ(thLoad.m_dwThreadId, firstId);

  first.release = true;
  thLoad.Wait();
  EXPECT_TRUE(first.done);
  EXPECT_EQ(thLoad.m_hThread, nullptr);

  Work second;
  second.release = true;
  ASSERT_EQ(thLoad.Start(&WorkProc, &second), 1);
  EXPECT_NE(thLoad.m_dwThreadId, firstId);
  // A thread that has ended but was not waited for is released by the next start.
  ASSERT_TRUE(Eventually([&] { return second.done.load(); }));
  // done is set just before the procedure returns: wait for the thread itself.
  ASSERT_TRUE(Eventually([&] { return WaitForSingleObject(thLoad.m_hThread, 0) == WAIT_OBJECT_0; }));
  Work third;
  third.release = true;
  ASSERT_EQ(thLoad.Start(&WorkProc, &third), 1);
  thLoad.Wait();
  EXPECT_TRUE(third.done);
}

TEST(Thread, CallsWithoutThreadDoNothing) {
  cThread t;
  EXPECT_TRUE(t.Suspend());
  EXPECT_TRUE(t.Resume());
  t.Wait();
  t.Exit();
  EXPECT_EQ(t.m_hThread, nullptr);
  EXPECT_EQ(t.m_dwThreadId, 0u);
  EXPECT_EQ(t.Start(nullptr, nullptr), 0);
}

using ThreadLogTest = TempDirTest;

TEST_F(ThreadLogTest, ExitOnEndedThreadLogsEachStepAndReleasesAtOnce) {
  DebugLogInit(1, "DI_Zaze.txt");
  Work work;
  work.release = true;
  cThread t;
  ASSERT_EQ(t.Start(&WorkProc, &work), 1);
  ASSERT_TRUE(Eventually([&] { return work.done.load(); }));
  ASSERT_TRUE(Eventually([&] { return WaitForSingleObject(t.m_hThread, 0) == WAIT_OBJECT_0; }));
  FakeClock clock(0);
  t.Exit();
  EXPECT_EQ(clock.Now(), 0u) << "no poll was needed";
  EXPECT_EQ(t.m_hThread, nullptr);
  std::vector<uint8_t> bytes = ReadFileBytes("DI_Zaze.txt");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Exit A\r\nExit B\r\nExit C\r\nExit D\r\nExit E\r\n");
  ResetLogsForTest();
}

TEST(Thread, ExitAbandonsAThreadThatIgnoresTheQuitMessage) {
  Work stubborn;  // never reads its queue
  cThread t;
  ASSERT_EQ(t.Start(&WorkProc, &stubborn), 1);
  const int abandoned = AbandonedThreadCount();
  {
    FakeClock clock(0);
    t.Exit();
    EXPECT_EQ(clock.Now(), 200u) << "200 polls of 1 ms";
  }
  EXPECT_EQ(AbandonedThreadCount(), abandoned + 1);
  EXPECT_EQ(t.m_hThread, nullptr);
  EXPECT_FALSE(stubborn.done);
  // It was left running, not killed: it still ends by itself.
  stubborn.release = true;
  EXPECT_TRUE(Eventually([&] { return stubborn.done.load(); }));
}
