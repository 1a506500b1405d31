// The demo game: three short stages on a world map, with the project's own pictures, sounds and tune.
#include "authoring/stageauthor.h"
#include "gamefolder/gamefolder.h"

const char* const kDemoStagePaths[3] = {"data\\stg4\\Meadow.stg4_914", "data\\stg4\\Caves.stg4_914",
                                        "data\\stg4\\Keep.stg4_914"};

GameFolder DemoGame() {
  GameFolder f = BasicGameFolder(kDemoStagePaths[0]);
  f.titleText = "DEMO";
  f.system.m_strTitle = "Demo";
  f.system.m_bReplaySave = 1;
  f.tune = "bgm\\Demo.mid";
  cBgmData& tune = f.database.m_vBgm.emplace_back();
  tune.m_strName = "Demo";
  tune.m_strFile = f.tune;
  for (int& music : f.system.m_vMenuBgm) music = f.database.m_vBgm.Size() - 1;
  // The other two stages, each opened by clearing the one before.
  AddStageNode(f.worldMap, 9, 5, kDemoStagePaths[1], 2, 1);
  AddStageNode(f.worldMap, 14, 5, kDemoStagePaths[2], 3, 2);
  for (int s = 1; s < 3; ++s) {
    cStageData stage;
    BuildSampleStage(stage, 20 + 10 * s, 15);
    f.stages.emplace_back(kDemoStagePaths[s], stage);
  }
  return f;
}
