// Pieces several executors share: the target slots by number, the command sound and the kill rule.
#include "flow/executors.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

constexpr int kTargetSlots = 4;

// The hero counts as active always: the view follows it. Other characters are active while on screen.
bool IsActiveForSound(const cCharaBase& s) { return &s == GetHero() || s.m_bOnScreen != 0; }

}  // namespace

cCharaBase* TargetInSlot(cCharaBase& obj, int slot) {
  if (slot >= 0 && slot < kTargetSlots && slot < obj.m_pTarget.Size()) return obj.m_pTarget[slot];
  obj.m_pTarget.At(slot);  // reported, with a close request
  return nullptr;
}

void PlayCmdSound(const cFlowCmd& cmd) {
  if (cmd.m_sSound != 0) PlayDataSound(cmd.m_sSound);
}

void PlayCmdSoundIfActive(const cFlowCmd& cmd, const cCharaBase& subject) {
  if (cmd.m_bSoundOnScreen == 0 || IsActiveForSound(subject)) PlayCmdSound(cmd);
}

void KillByCommand(cCharaBase* obj, cCharaBase* subject) {
  if (!obj) return;
  if (dynamic_cast<cHero*>(obj))
    obj->m_nHP = 0;
  else
    obj->m_bVanished = 1;
  if (obj != subject && g_pScenePlay) g_pScenePlay->m_bDeathPending = 1;
}
