// Replay state for tests: recordings built frame by frame, and the live stage, progress and
// recording of a session that has played something else, which a replay load may replace.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "authoring/stageauthor.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "stagedata/stagedata.h"
#include "support/bytes.h"

// Records the (direction, button) words of each frame.
inline void RecordFrames(cReplayData& rec, const std::vector<std::pair<int, int>>& frames) {
  for (auto [dir, button] : frames) {
    const int16_t words[2] = {static_cast<int16_t>(dir), static_cast<int16_t>(button)};
    rec.Record(words);
  }
}

// Other live state, as a session that has played something else holds it.
inline void SetOtherLiveState() {
  BuildSampleStage(g_StageData, 30, 15);
  g_StageData.m_strName = "Live";
  g_StageData.m_strPath = "data\\stg4\\Live.stg4_914";
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  g_SaveData.Reset(0);
  g_SaveData.m_nTotalScore = 5;
  g_ReplayData.ClearRecording();
  RecordFrames(g_ReplayData, {{1, 0}, {1, 0}, {2, 4}});
  g_ReplayData.m_nSeed = 99;
}

// Everything a replay load may change, as the file a save of it writes.
inline std::vector<uint8_t> LiveState() {
  EXPECT_EQ(g_ReplayData.SaveFile("live.bin", g_StageData, g_PlayStageData, g_SaveData), 1);
  return ReadFileBytes("live.bin");
}
