// Stage files, loaded for play as the game does (trailer check, the loading thread, the hero). A
// failed load leaves the stage in play, its settings and its hero as they were; a stage that loads
// writes, and what it wrote loads to the same stage.
#include <cstdint>

#include "authoring/stageauthor.h"
#include "stagedata/stageload.h"
#include "support.h"

namespace {

// The stage in play, its settings and its hero, as written.
FuzzBytes NotePlay() { return FuzzWrittenBodies(g_StageData, g_PlayStageData, g_HeroCharaData); }

int LoadForPlay(const char* path) {
  const int result = LoadStageForPlay(path, 0, &g_PlayStageData, &g_HeroCharaData);
  FuzzTakeMessages();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  // The stage in play before every input, so that each input runs alone.
  static const cStageData kLiveStage = [] {
    cStageData stage;
    BuildSampleStage(stage, 22, 15);
    stage.m_strName = "Live";
    return stage;
  }();
  g_StageData = kLiveStage;
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  g_HeroCharaData = g_StageData.m_vChara.At(g_StageData.FindHero());
  static const FuzzBytes kBefore = NotePlay();

  FuzzWriteFile("data\\stg4\\fuzz.stg4", data, size);
  const int loaded = FuzzWatchedLoad(size, [] { return LoadForPlay("data\\stg4\\fuzz.stg4"); });
  if (!loaded) {
    FUZZ_CHECK(NotePlay() == kBefore);
    return 0;
  }
  FUZZ_CHECK(g_StageData.HasHero() && g_StageData.HasUsableMapSize());
  const FuzzBytes written = FuzzWrittenBytes(g_StageData);
  FUZZ_CHECK(!written.empty());
  FuzzWriteFile("data\\stg4\\again.stg4", written);
  FUZZ_CHECK(LoadForPlay("data\\stg4\\again.stg4") == 1);
  FUZZ_CHECK(FuzzWrittenBytes(g_StageData) == written);
  return 0;
}
