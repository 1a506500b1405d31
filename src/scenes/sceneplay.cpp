#include "scenes/sceneplay.h"

void RegisterScenePlayChecks() {
  SetBlockCondCheck([](cMapCell& cell) { return g_pScenePlay ? g_pScenePlay->CheckBlockCond(cell) : 0; });
}
