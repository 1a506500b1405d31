// A replay file, loaded as the replay menu loads it into the stage, the recording and the progress:
// a failed load changes none of them; a replay that loads plays to the end of its shorter channel,
// saves, and reads back.
#include <algorithm>
#include <cstdint>

#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "authoring/stageauthor.h"
#include "stagedata/stagedata.h"
#include "support.h"

namespace {

// Everything a replay load may change, as the file a save of it writes.
FuzzBytes LiveState() {
  FUZZ_CHECK(g_ReplayData.SaveFile("live.bin", g_StageData, g_PlayStageData, g_SaveData) == 1);
  return FuzzReadFile("live.bin");
}

int64_t FramesOf(const cReplayData& rec, int64_t most) {
  int64_t dir = 0, button = 0;
  for (int32_t run : rec.m_vDirRun) dir += run;
  for (int32_t run : rec.m_vButtonRun) button += run;
  return std::min({dir, button, most});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static const cStageData kLiveStage = [] {
    cStageData stage;
    BuildSampleStage(stage, 30, 15);
    stage.m_strName = "Live";
    return stage;
  }();
  g_StageData = kLiveStage;
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  g_SaveData.Reset(0);
  g_SaveData.m_nTotalScore = 5;
  g_ReplayData.ClearRecording();
  for (int f = 0; f < 3; ++f) {
    const int16_t words[2] = {1, static_cast<int16_t>(f)};
    g_ReplayData.Record(words);
  }
  g_ReplayData.m_nSeed = 99;
  const FuzzBytes live = LiveState();

  FuzzWriteFile("user_data\\rpl4\\fuzz.rpl4_914", data, size);
  const auto load = [](const char* path) {
    const int result = g_ReplayData.LoadFile(path, g_StageData, g_PlayStageData, g_SaveData);
    FuzzTakeMessages();
    return result;
  };
  const int loaded = FuzzWatchedLoad(size, [&] { return load("user_data\\rpl4\\fuzz.rpl4_914"); });
  if (!loaded) {
    FUZZ_CHECK(LiveState() == live);
    FUZZ_CHECK(g_ReplayData.m_nFileVersion == static_cast<uint32_t>(kDataVersion));
    return 0;
  }
  // Recordings are short in these inputs; a long one is played up to a bound.
  constexpr int64_t kMostFrames = 100000;
  int64_t frames = 0;
  int16_t words[2];
  while (frames < kMostFrames && g_ReplayData.Play(words) == 0) ++frames;
  FUZZ_CHECK(frames == FramesOf(g_ReplayData, kMostFrames));
  FUZZ_CHECK(g_ReplayData.SaveFile("again.rpl4_914", g_StageData, g_PlayStageData, g_SaveData) == 1);
  FUZZ_CHECK(load("again.rpl4_914") == 1);
  return 0;
}
