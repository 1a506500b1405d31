// The second status operation: an object's state flags (hidden, facing fixed, flying, invulnerable,
// size, auto-scroll sync), its end, or the stage's automatic scrolling of one axis.
#include <algorithm>
#include <cstdint>

#include "flow/executors.h"
#include "flow/statusops.h"
#include "gamedata/systemswitches.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

enum eStatus2 {
  STATUS2_KILL = 0,
  STATUS2_HIDDEN = 1,
  STATUS2_FACING_LOCK = 2,
  STATUS2_FLY = 3,
  STATUS2_INVINCIBLE = 4,
  STATUS2_SIZE = 5,
  STATUS2_SCROLL_SYNC = 6,
};

constexpr int kMinScale = 1;
constexpr int kMaxScale = 10;

void SetSystemScroll(int axis, int32_t value) {
  cScenePlay* scene = g_pScenePlay;
  if (axis == 0) {
    g_StageData.m_bAutoScrollX = value;
    if (scene) scene->m_ScrollX.SetAutoScroll(value, g_StageData.m_nAutoScrollSpeedX);
  } else if (axis == 1) {
    g_StageData.m_bAutoScrollY = value;
    if (scene) scene->m_ScrollY.SetAutoScroll(value, g_StageData.m_nAutoScrollSpeedY);
  }
}

// A size outside 1-10 is clamped: a scale below 1 would break the object's geometry.
void SetSize(cCharaBase& o, int32_t value) {
  const int v = std::clamp<int32_t>(value, kMinScale, kMaxScale);
  const int old = o.m_Chara.m_cScale;
  if (!NoScaleCountdownOn() && v != old) o.m_nModeChangeWait = 2;
  o.SetScale(v, old, 0);
  o.m_Chara.m_cScale = static_cast<int8_t>(v);
  if (cHero* hero = dynamic_cast<cHero*>(&o)) hero->BuildDrawLayers();
}

}  // namespace

int ExecStatus2(cCharaBase* subject, const cFlowCmd& cmd) {
  const int who = cmd.m_vParam.At(0);
  const int status = cmd.m_vParam.At(1);
  const int32_t value = cmd.m_vParam.At(2);
  if (who == kStatusSubjectSystem) {
    SetSystemScroll(status, value);
    return 0;
  }
  cCharaBase* o = who >= 0 && who < kStatusSubjectSystem ? StatusSubject(subject, who) : subject;
  if (!o) return 0;
  switch (status) {
    case STATUS2_KILL: KillByCommand(o, subject); break;
    case STATUS2_HIDDEN: o->m_Chara.m_bHiddenStatus = static_cast<int8_t>(value); break;
    case STATUS2_FACING_LOCK: o->m_Chara.m_bFacingLock = static_cast<int8_t>(value); break;
    case STATUS2_FLY:
      if (cHero* hero = dynamic_cast<cHero*>(o)) hero->SetViewMode(value, 1, cmd.m_vParam.At(3), cmd.m_vParam.At(4));
      break;
    case STATUS2_INVINCIBLE: o->m_Chara.m_cInvincible = static_cast<int8_t>(value); break;
    case STATUS2_SIZE: SetSize(*o, value); break;
    case STATUS2_SCROLL_SYNC:
      o->m_Chara.m_bScrollSync = static_cast<int8_t>(value);
      o->m_bScrollSync = static_cast<uint8_t>(value);
      break;
    default: break;
  }
  return 0;
}
