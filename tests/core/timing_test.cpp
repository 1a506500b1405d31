#include "core/timing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/time/clock.h"

namespace {

struct DrawnText {
  int x, y, cellWidth, cellHeight;
  DDSURFACEDATA* sheet;
  std::string text;
};
std::vector<DrawnText> g_drawn;

bool Direct3D() { return true; }
void RecordText(int x, int y, int cw, int ch, DDSURFACEDATA* sheet, const char* text) {
  g_drawn.push_back({x, y, cw, ch, sheet, text});
}

class TimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTimingForTest();
    g_drawn.clear();
  }
  void TearDown() override { ResetTimingForTest(); }
  void UseDirect3D() {
    FpsLimiterGraphics g;
    g.isDirect3D = &Direct3D;
    g.debugText = &RecordText;
    SetFpsLimiterGraphics(g);
  }
  // Polls the limiter as the present step does, with 1 ms sleeps; the time the frame was let through.
  // Gives up after 5000 polls, so that a stalled limiter fails instead of hanging.
  uint32_t NextFrame(uint32_t fps, int stats = 0, DDSURFACEDATA* sheet = nullptr) {
    for (int polls = 0; polls < 5000; ++polls) {
      if (FpsLimiter(fps, stats, sheet)) return clock.Now();
      Sleep(1);
    }
    ADD_FAILURE() << "the limiter stalled at " << clock.Now();
    return clock.Now();
  }
  FakeClock clock{10000};
};

// The due time of frame k of a second at 60 per second, rounded up to the clock's milliseconds.
uint32_t DueAt60(uint32_t k) { return (k * 1000 + 59) / 60; }

}  // namespace

TEST_F(TimingTest, FrameTimerWaitsIntervalFromTheLastRelease) {
  for (uint32_t start : {10000u, 0xFFFFFFF8u}) {  // the second run crosses the clock's wrap
    ResetTimingForTest();
    clock.Set(start);
    EXPECT_TRUE(FrameTimer(60));
    for (int i = 1; i < 16; ++i) {
      clock.Advance(1);
      EXPECT_FALSE(FrameTimer(60)) << start << " +" << i;
    }
    clock.Advance(1);
    EXPECT_TRUE(FrameTimer(60)) << start;
  }
  EXPECT_EQ(clock.Now(), 8u);
  // A late poll counts the next interval from itself, not from the due time.
  clock.Advance(40);
  EXPECT_TRUE(FrameTimer(60));
  clock.Advance(15);
  EXPECT_FALSE(FrameTimer(60));
  EXPECT_TRUE(FrameTimer(0));
  clock.Advance(1);
  EXPECT_TRUE(FrameTimer(60));
}

TEST_F(TimingTest, FpsLimiterRunsFramesOnTheGridOfEachSecond) {
  UseDirect3D();
  const uint32_t start = clock.Now();
  for (uint32_t k = 0; k < 60; ++k) ASSERT_EQ(NextFrame(60) - start, DueAt60(k)) << "frame " << k;
  // The 60th frame restarted the grid at its own time: the 61st is due at once.
  const uint32_t restart = clock.Now();
  EXPECT_EQ(NextFrame(60), restart);
  EXPECT_EQ(NextFrame(60) - restart, DueAt60(1));
}

TEST_F(TimingTest, FpsLimiterCatchesUpLateFramesWithoutMovingTheGrid) {
  UseDirect3D();
  const uint32_t start = NextFrame(60);
  EXPECT_EQ(NextFrame(60) - start, 17u);
  clock.Advance(47);  // frame 2 (due at 34) runs 30 ms late
  EXPECT_EQ(NextFrame(60) - start, 64u);
  EXPECT_EQ(NextFrame(60) - start, 64u);  // frame 3 was due at 50: at once
  EXPECT_EQ(NextFrame(60) - start, 67u);  // frame 4 is back on the grid
}

TEST_F(TimingTest, FpsLimiterPassesAlwaysOutsideDirect3DOrAtZeroRate) {
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(FpsLimiter(60, 0, nullptr));
  UseDirect3D();
  EXPECT_TRUE(FpsLimiter(60, 0, nullptr));
  EXPECT_FALSE(FpsLimiter(60, 0, nullptr));
  EXPECT_TRUE(FpsLimiter(0, 0, nullptr));
}

TEST_F(TimingTest, FpsLimiterKeepsPacingAcrossTheClockWrap) {
  UseDirect3D();
  clock.Set(0xFFFFFF00u);
  uint32_t previous = NextFrame(60);
  for (int k = 1; k < 120; ++k) {
    uint32_t t = NextFrame(60);
    uint32_t gap = t - previous;
    ASSERT_TRUE(gap == 16 || gap == 17 || gap == 0) << "frame " << k << " gap " << gap;
    previous = t;
  }
  EXPECT_LT(clock.Now(), 0x80000000u);  // well past the wrap
}

TEST_F(TimingTest, FpsLimiterStartsANewSecondWhenTheRateChanges) {
  UseDirect3D();
  uint32_t start = clock.Now();
  for (int k = 0; k < 40; ++k) NextFrame(60);
  EXPECT_EQ(clock.Now() - start, DueAt60(39));
  // At 30 per second frame 40 of the old grid would be due 1333 ms after its start.
  const uint32_t change = clock.Now();
  EXPECT_EQ(NextFrame(30), change);
  EXPECT_EQ(NextFrame(30) - change, 34u);
}

TEST_F(TimingTest, FpsLimiterStatisticsRenewEverySixteenFrames) {
  UseDirect3D();
  auto* sheet = reinterpret_cast<DDSURFACEDATA*>(0x1000);
  std::vector<uint32_t> work;
  for (int f = 0; f < 40; ++f) {
    // The frame step: stopwatch at the start, the work, the lap at the end, then the present.
    StopwatchStart();
    uint32_t w = 1 + f / 4;
    clock.Advance(w);
    work.push_back(w);
    StopwatchLap(1);
    FpsCount(1);
    NextFrame(60, 1, sheet);
  }
  ASSERT_EQ(g_drawn.size(), 40u);
  auto average = [&](int first) {
    uint32_t sum = 0;
    for (int i = first; i < first + 16; ++i) sum += work[i];
    return sum / 16;
  };
  for (int f = 0; f < 40; ++f) {
    unsigned frames = 99, times = 99, gridStart = 0, frameNo = 99;
    ASSERT_EQ(std::sscanf(g_drawn[f].text.c_str(), "FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u", &frames,
                          &times, &gridStart, &frameNo),
              4)
        << g_drawn[f].text;
    uint32_t expected = f < 15 ? 0 : f < 31 ? average(0) : average(16);
    EXPECT_EQ(times, expected) << "frame " << f;
    EXPECT_EQ(frames, 0u) << "no one-second window closed yet";
    EXPECT_EQ(frameNo, static_cast<unsigned>(f + 1)) << "frame " << f;
  }
  EXPECT_EQ(g_drawn[0].x, 0);
  EXPECT_EQ(g_drawn[0].y, 16);
  EXPECT_EQ(g_drawn[0].cellWidth, 8);
  EXPECT_EQ(g_drawn[0].cellHeight, 16);
  EXPECT_EQ(g_drawn[0].sheet, sheet);

  // Without a sheet nothing is drawn and nothing sampled.
  NextFrame(60, 1, nullptr);
  EXPECT_EQ(g_drawn.size(), 40u);
}

TEST_F(TimingTest, FpsCountReportsTheLastClosedSecond) {
  EXPECT_EQ(FpsCount(0), 0u);  // the first call opens the window
  const uint32_t start = clock.Now();
  std::vector<uint32_t> reports;
  for (uint32_t k = 1; k <= 300; ++k) {
    clock.Set(start + DueAt60(k));
    uint32_t r = FpsCount(1);
    if (reports.empty() || r != reports.back()) reports.push_back(r);
  }
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports[0], 0u);
  for (size_t i = 1; i < reports.size(); ++i) EXPECT_TRUE(reports[i] == 59 || reports[i] == 60) << reports[i];
  EXPECT_EQ(FpsCount(0), reports.back());
}

TEST_F(TimingTest, StopwatchAndFrameCounter) {
  EXPECT_EQ(StopwatchLap(0), 1u);  // before any measurement
  EXPECT_EQ(StopwatchStart(), 10000u);
  clock.Advance(25);
  EXPECT_EQ(StopwatchElapsed(0), 25u);
  EXPECT_EQ(StopwatchElapsed(1), 25u);  // and starts again
  clock.Advance(4);
  EXPECT_EQ(StopwatchLap(1), 4u);
  clock.Advance(100);
  EXPECT_EQ(StopwatchLap(0), 4u);
  clock.Set(3);  // across the wrap
  EXPECT_EQ(StopwatchElapsed(0), 3u + (0xFFFFFFFFu - 10025u) + 1u);

  for (int i = 0; i < 3; ++i) EXPECT_EQ(EveryNFrames(1, 1), 1);
  EXPECT_EQ(EveryNFrames(0, 60), 0);
  EXPECT_EQ(EveryNFrames(2, 60), 1);
  int fired = 0;
  for (int i = 1; i <= 120; ++i) {
    if (EveryNFrames(1, 60)) {
      EXPECT_TRUE(i == 60 || i == 120) << i;
      ++fired;
      EXPECT_EQ(EveryNFrames(2, 60), 1);
    } else {
      EXPECT_EQ(EveryNFrames(2, 60), 0);
    }
  }
  EXPECT_EQ(fired, 2);
}
