// The commands that hand their parameters on: the screen colour to the play scene, a sound effect
// and the stage music to the main window.
#include <cstdint>

#include "flow/executors.h"
#include "objects/charabase.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

int ExecScreenColor(cCharaBase*, const cFlowCmd& cmd) {
  if (g_pScenePlay) g_pScenePlay->StartScreenColor(&cmd);
  return 0;
}

int ExecPlaySE(cCharaBase* subject, const cFlowCmd& cmd) {
  const int16_t sound = static_cast<int16_t>(cmd.m_vParam.At(0));
  // A sound meant for the screen stays silent while its subject is off screen.
  if (cmd.m_bSoundOnScreen && subject && !subject->m_bOnScreen) return 0;
  PlayDataSound(sound);
  return 0;
}

int ExecPlayBGM(cCharaBase*, const cFlowCmd& cmd) {
  RequestStageBgm(cmd.m_vParam.At(0), cmd.m_vParam.At(1));
  return 0;
}
