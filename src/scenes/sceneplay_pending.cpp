// The play scene's set-up and state handlers that the scene's table and contract need before they
// are built: each holds no behaviour until the part of the scene that owns it replaces it here.
// The other declared operations have no definition at all, so a call to one fails to link.
#include "scenes/collision.h"
#include "scenes/sceneplay.h"

void cScenePlay::Init() {}
int cScenePlay::FadeIn() { return 0; }
int cScenePlay::FadeOut() { return 0; }
int cScenePlay::StateBanner() { return 0; }
int cScenePlay::StatePause() { return 0; }
int cScenePlay::StateResult() { return 0; }
int cScenePlay::StateRetry() { return 0; }
int cScenePlay::StateGameOver() { return 0; }
int cScenePlay::OnHeroDown(int) { return 0; }  // pending
void cScenePlay::RefreshAppearance() {}  // pending
void cScenePlay::SetupStage(int, int) {}  // pending
