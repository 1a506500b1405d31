#include "platform/thread/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/time/clock.h"
#include "platform/video/clock.h"
#include "platform/win/messages.h"
#include "support/eventually.h"

namespace {

struct Probe {
  std::atomic<bool> inWait{false};
  std::atomic<bool> release{false};
  std::atomic<bool> pastWait{false};
  std::atomic<bool> stop{false};
  std::atomic<int> spins{0};
};

// A park limit that a thread held back by a busy machine still meets.
constexpr DWORD kPatientParkLimit = 60000;

// Waits for a message of its queue, then notes that it got past the wait.
unsigned MessageWaitProc(void* arg) {
  auto* p = static_cast<Probe*>(arg);
  p->inWait = true;
  WaitMessageTimeout(INFINITE);
  p->pastWait = true;
  return 0;
}

// Blocks in a call to another thread (as a call served by the window thread does) until released.
unsigned BlockedCallProc(void* arg) {
  auto* p = static_cast<Probe*>(arg);
  {
    BlockingCallScope blocked;
    p->inWait = true;
    while (!p->release) std::this_thread::yield();
  }
  p->pastWait = true;
  return 0;
}

// Works without ever reaching a safe point.
unsigned BusyProc(void* arg) {
  auto* p = static_cast<Probe*>(arg);
  while (!p->stop) ++p->spins;
  return 0;
}

// The thread, suspended once and woken, parks at its next safe point and stays there until resumed,
// then gets past its wait and ends.
void ExpectHeldUntilResumed(HTHREAD h, const std::atomic<bool>& pastWait) {
  ASSERT_TRUE(Eventually([&] { return ThreadParked(h); }));
  EXPECT_FALSE(pastWait) << "a suspended thread stays parked";
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
  EXPECT_TRUE(pastWait);
  CloseHandle(h);
}

void ExpectParkedInsideWait(unsigned (*proc)(void*), void (*wake)(Probe&, DWORD id)) {
  Probe p;
  DWORD id = 0;
  HTHREAD h = BeginThread(proc, &p, &id);
  ASSERT_NE(h, nullptr);
  ASSERT_TRUE(Eventually([&] { return p.inWait.load(); }));
  SetThreadParkLimit(kPatientParkLimit);
  EXPECT_EQ(SuspendThread(h), 0u);  // the thread in the wait counts as parked
  wake(p, id);
  ExpectHeldUntilResumed(h, p.pastWait);
  SetThreadParkLimit(1000);
}

}  // namespace

TEST(ThreadStandIn, ThreadWaitingForAMessageCountsAsParked) {
  ExpectParkedInsideWait(&MessageWaitProc, [](Probe&, DWORD id) { PostThreadMessage(id, WM_APP, 0, 0); });
}

TEST(ThreadStandIn, ThreadBlockedInACallCountsAsParked) {
  ExpectParkedInsideWait(&BlockedCallProc, [](Probe& p, DWORD) { p.release = true; });
}

TEST(ThreadStandIn, QueueExistsBeforeTheThreadRuns) {
  Probe p;
  DWORD id = 0;
  HTHREAD h = BeginThread(&MessageWaitProc, &p, &id);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(PostThreadMessage(id, WM_APP, 0, 0));
  EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(PostThreadMessage(id, WM_APP, 0, 0)) << "the queue goes with the thread";
}

TEST(ThreadStandIn, SuspendReturnsOnlyOnceTheThreadIsParked) {
  Probe p;
  HTHREAD h = BeginThread(
      [](void* arg) -> unsigned {
        auto* p = static_cast<Probe*>(arg);
        while (!p->release) {  // work without a safe point
          ++p->spins;
          std::this_thread::yield();
        }
        Sleep(0);
        p->pastWait = true;
        return 0;
      },
      &p, nullptr);
  ASSERT_NE(h, nullptr);
  std::atomic<bool> returned{false};
  std::atomic<DWORD> result{12345};
  SetThreadParkLimit(kPatientParkLimit);
  std::thread suspender([&] {
    result = SuspendThread(h);
    returned = true;
  });
  // The suspension must be waiting before the thread is let go, or it could finish first.
  ASSERT_TRUE(Eventually([&] { return ThreadSuspendCount(h) == 1; }));
  // The thread goes on working with the suspension waiting for it.
  const int spins = p.spins;
  ASSERT_TRUE(Eventually([&] { return p.spins > spins + 100; }));
  EXPECT_FALSE(returned) << "the thread is still working";
  p.release = true;
  EXPECT_TRUE(Eventually([&] { return returned.load(); }));
  suspender.join();
  SetThreadParkLimit(1000);
  EXPECT_EQ(result, 0u);
  ExpectHeldUntilResumed(h, p.pastWait);
}

TEST(ThreadStandIn, SuspendFailsOnAThreadThatReachesNoSafePoint) {
  Probe p;
  DWORD id = 0;
  HTHREAD h = BeginThread(&BusyProc, &p, &id);
  ASSERT_NE(h, nullptr);
  SetThreadParkLimit(20);
  EXPECT_EQ(SuspendThread(h), static_cast<DWORD>(-1));
  SetThreadParkLimit(1000);
  int spins = p.spins;
  EXPECT_TRUE(Eventually([&] { return p.spins > spins; })) << "it was not left suspended";
  EXPECT_EQ(ResumeThread(h), 0u) << "the failed suspension left no count";
  p.stop = true;
  EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
  CloseHandle(h);
}

TEST(ThreadStandIn, SuspensionsNestAndSleepIsASafePoint) {
  struct Sleeper {
    std::atomic<int> turns{0};
    std::atomic<bool> stop{false};
  } s;
  HTHREAD h = BeginThread(
      [](void* arg) -> unsigned {
        auto* s = static_cast<Sleeper*>(arg);
        while (!s->stop) {
          ++s->turns;
          Sleep(0);
        }
        return 0;
      },
      &s, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(SuspendThread(h), 0u);
  EXPECT_EQ(SuspendThread(h), 1u);
  EXPECT_EQ(ResumeThread(h), 2u);
  int turns = s.turns;
  ASSERT_TRUE(Eventually([&] { return ThreadParked(h); }));
  EXPECT_EQ(s.turns, turns) << "still suspended once";
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_TRUE(Eventually([&] { return s.turns > turns; }));
  s.stop = true;
  EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(SuspendThread(h), 0u) << "an ended thread counts as parked";
  CloseHandle(h);
}

TEST(FakeClockTest, SleepMovesTheFakeTimeWithoutWaiting) {
  const DWORD before = timeGetTime();
  {
    FakeClock clock(0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    Sleep(10000);
    EXPECT_EQ(timeGetTime(), 10000u - 16u);
  }
  EXPECT_GE(timeGetTime() - before, 0u);
  EXPECT_LT(timeGetTime() - before, 60000u) << "the real clock is back";
}

TEST(FrameClockTest, OnlyShownFramesMoveTheTimeWhileSleepsWaitForReal) {
  {
    FrameClock clock(500);
    EXPECT_TRUE(FrameClockRunning());
    const auto before = std::chrono::steady_clock::now();
    Sleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30)) << "a real wait";
    EXPECT_EQ(timeGetTime(), 500u) << "that leaves the time alone";
    // The frame time rounded up: a pacer waiting 1000/fps ms finds the next frame due.
    const struct {
      int fps;
      DWORD step;
    } steps[] = {{60, 17}, {50, 20}, {30, 34}, {120, 9}, {0, 17}};
    for (const auto& s : steps) {
      const DWORD start = timeGetTime();
      clock.FrameShown(s.fps);
      EXPECT_EQ(timeGetTime() - start, s.step) << s.fps;
    }
    // The vertical blank is there at once (597 ms, off the 60 Hz grid of 583 and 600 ms): the shown
    // frames are the display's time.
    ASSERT_EQ(timeGetTime(), 597u);
    EXPECT_EQ(video::WaitVBlank(60, nullptr), 597u);
    const uint32_t last = 637;
    EXPECT_EQ(video::WaitVBlank(60, &last), 638u) << "after the blank of a wait before";
  }
  EXPECT_FALSE(FrameClockRunning());
  const DWORD start = timeGetTime();
  Sleep(20);
  EXPECT_GE(timeGetTime() - start, 19u) << "the real clock is back";
}

// Under the frame clock a thread still at work is waited for rather than abandoned; one waiting in a
// blocking call (it may wait for the thread that gives up on it) is abandoned as before.
TEST(FrameClockTest, AThreadStillAtWorkIsNotAbandoned) {
  FrameClock clock(0);
  struct Work {
    std::atomic<bool> stop{false};
    bool busy;
  };
  for (bool busy : {true, false}) {
    SCOPED_TRACE(busy ? "at work" : "in a blocking wait");
    Work work;
    work.busy = busy;
    DWORD id = 0;
    HTHREAD h = BeginThread(
        [](void* arg) -> unsigned {
          Work& w = *static_cast<Work*>(arg);
          if (w.busy) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
            while (std::chrono::steady_clock::now() < until) {
            }
            return 0;
          }
          while (!w.stop.load()) Sleep(1);
          return 0;
        },
        &work, &id);
    ASSERT_NE(h, nullptr);
    const int before = AbandonedThreadCount();
    AbandonThread(h);
    EXPECT_EQ(AbandonedThreadCount() - before, busy ? 0 : 1);
    EXPECT_EQ(WaitForSingleObject(h, 0) == WAIT_OBJECT_0, busy);
    work.stop = true;
    EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
    CloseHandle(h);
  }
}
