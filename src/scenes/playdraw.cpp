// The play screen, composed on the back buffer in the order that decides what covers what.
#include "scenes/colorcycle.h"
#include "scenes/sceneplay.h"

void cScenePlay::Draw(int noPauseShortcut, int noAdvance, int timeSound, int helpLine) {
  (void)noPauseShortcut;
  (void)timeSound;
  (void)helpLine;
  StepColorCycle();
  DrawScreenColor(noAdvance);
}
