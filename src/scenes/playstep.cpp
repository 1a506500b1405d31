// The play scene's main state: once per displayed frame the input (live or from the recording), the
// timers, then the sub-steps that move every object once in a fixed order, and the drawing. The order
// of the calls decides the game; every early end of the frame skips the drawing.
#include <algorithm>
#include <climits>
#include <iterator>

#include "core/mainwnd.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemswitches.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {

// What a step of the movement asks for the object once it has moved.
enum { kKeep = 0, kRemoveQuietly = 1, kDie = 2 };

bool AreaCheckOn(const cStageSubRec& area) { return area.m_bLeft || area.m_bRight || area.m_bTop || area.m_bBottom; }

bool Appears(const cChara& c) { return c.m_bActive && !c.m_bDead; }

// Pressed from two opposite sides: by the recorded pushes, or with the exact push-out by the contacts
// alone.
bool IsCrushed(const cCharaBase& c) {
  if (ExactPushOutOn()) return (c.m_bContactLeft && c.m_bContactRight) || (c.m_bContactTop && c.m_bContactBottom);
  return c.IsCrushedX() || c.IsCrushedY();
}

}  // namespace

int cScenePlay::HasBlockCharas() {
  if (m_nBlockCharaStamp != m_nStepCount || m_nBlockCharaListSize != g_lstChara.size()) {
    m_bAnyBlockChara = std::any_of(g_lstChara.begin(), g_lstChara.end(),
                                   [](const cChara& c) { return c.m_Chara.m_bBlockChara != 0; });
    m_nBlockCharaStamp = m_nStepCount;
    m_nBlockCharaListSize = g_lstChara.size();
  }
  return m_bAnyBlockChara;
}

int cScenePlay::StatePlay() {
  if (RunPlayLogic()) Draw(1, 0, 1, 1);
  return 0;
}

int cScenePlay::RunPlayLogic() {
  // 1-3.
  if (m_bQuit) {
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  if (CheckPauseKey()) {
    m_nSubState = 0;
    m_nState = PLAY_PAUSE;
    return 0;
  }
  if (CheckReplaySaveKey()) return 0;
  // 4.
  ++m_nPlayFrames;
  // 5. Input.
  cInput& in = g_vInput.At(0);
  if (cApp::m_nPlayMode != 4) {
    if (!g_vHero.empty()) {
      if (g_vHero[0].m_bDirLock) in.ClearDir();
      if (g_vHero[0].m_bButtonLock) in.ClearButton();
    }
    // The press that closed the pause menu or a window reaches the game only once every button was
    // released.
    if (in.m_wButton == 0) m_bPauseRelease = 0;
    else if (m_bPauseRelease) in.ClearButton();
    in.PushHistory();
    in.RecordEdges();
    if (ReplayRecordingOn()) {
      const int16_t words[2] = {static_cast<int16_t>(in.m_wDir), static_cast<int16_t>(in.m_wButton)};
      g_ReplayData.Record(words);
    }
  } else {
    in.ClearDir();
    in.ClearButton();
    int16_t words[2] = {0, 0};
    if (g_ReplayData.Play(words)) {
      // The recording is over: the replay starts again from its first frame with its seed.
      g_SaveData.RestoreVars(1, cApp::m_nGameType, g_bFreeStagePlay);
      SetupStage(1, 1);
      m_nState = PLAY_BANNER;
      return 0;
    }
    in.m_wDir = static_cast<uint16_t>(words[0]);
    in.m_wButton = static_cast<uint16_t>(words[1]);
    in.m_nDirNum = cInput::GetDirNum(&in.m_wDir);
    in.PushHistory();
    in.RecordEdges();
  }
  // 6-7. Timers; a time-out kills the hero unless it is already dying.
  TickPlayTimer();
  cHero* hero = g_vHero.empty() ? nullptr : &g_vHero[0];
  if (TickStageTime(-1) && hero && !hero->m_bDead) {
    HeroDies();
    return 0;
  }
  // 8.
  if (hero) hero->ResetTriggerFlags();
  for (cChara& c : g_lstChara)
    if (!c.m_bDead) c.ResetTriggerFlags();
  for (cChara& c : g_lstChara) c.m_bFixedX = c.m_bFixedY = 0;
  if (hero) hero->m_bFixedX = hero->m_bFixedY = 0;
  // 9.
  for (int k = 1; k <= g_StageData.m_nStepsPerFrame; ++k)
    if (!RunSubStep(k)) return 0;
  return 1;
}

namespace {

// The character step of the block characters' pass or of the others' pass.
struct cCharaStepper {
  cScenePlay& scene;
  bool blockPass;

  // Steps the character at it and moves it to where the loop goes on: the next node, looked up after
  // the step so that characters summoned during it are stepped too. 1 when the frame goes on.
  int Step(cCheckedList<cChara>::iterator& it) {
    scene.m_pStepChara = &*it;
    scene.m_bStepCharaGone = 0;
    const int goesOn = Run(it);
    it = scene.m_bStepCharaGone ? scene.m_itStepNext : std::next(it);
    scene.m_pStepChara = nullptr;
    return goesOn;
  }

  int Run(cCheckedList<cChara>::iterator it) {
    cChara& c = *it;
    // 1. Flows.
    c.RaiseTrigger(0);
    if (c.RunFlows(0)) {
      if (c.m_bVanished && !blockPass) {
        scene.RemoveChara(it);
        return 1;
      }
      const int result = scene.KillChara(&c, g_lstChara);
      if (!DeathAnimationOn() || result == 1) scene.RemoveChara(it);
      else PlaySystemSound(9);
      return result == 0;
    }
    // 2. A death check may erase this character too.
    if (scene.m_bDeathPending && scene.CheckDeaths()) return 0;
    if (scene.m_bStepCharaGone) return 1;
    // 3.
    if (!blockPass && c.m_pRide) scene.CarryRider(&c, g_lstChara);
    // 4-5. Moves and the map blocks.
    int mark = kKeep;
    if (c.MoveX() == 4) mark = kRemoveQuietly;
    scene.SetSideMemo(1);
    if (scene.CollideBlocksX(&c) == 2) mark = kDie;
    c.ApplyFallGravity();
    const int moveY = c.MoveY();
    if (moveY == 7) mark = kDie;
    else if (moveY == 8 && mark != kDie) mark = kRemoveQuietly;
    if (scene.CollideBlocksY(&c) == 2) mark = kDie;
    // 6-7. The block characters, and crushed between two sides (block characters are never crushed).
    bool crushed = false;
    if (!blockPass) {
      if (scene.CollideBlockCharas(&c, g_lstChara) == 2) mark = kDie;
      scene.RecheckBlocksX(&c);
      scene.RecheckBlocksY(&c);
      crushed = IsCrushed(c);
    }
    scene.SetSideMemo(0);
    if (crushed || mark == kDie) {
      PlaySystemSound(9);
      const int result = scene.KillChara(&c, g_lstChara);
      if (result == 1) scene.RemoveChara(it);
      return result == 0;
    }
    // 8-9.
    if (mark == kRemoveQuietly) {
      scene.RemoveChara(it);
      return 1;
    }
    c.DecayImpactX();
    c.DecayImpactY();
    return 1;
  }
};

}  // namespace

int cScenePlay::TakeOutcome(int code) {
  if (code == 1) StartResult();
  else if (code == 2) HeroDies();
  return code == 0;
}

int cScenePlay::StepHero(cHero& h) {
  // 1-3.
  h.RaiseTrigger(0);
  if (h.RunFlows(0)) return TakeOutcome(2);
  if (m_nStageEnd == 1 || m_nStageEnd == 2) return TakeOutcome(m_nStageEnd);
  if (m_bDeathPending && CheckDeaths()) return 0;
  // 4-5.
  if (!TakeOutcome(ApplySpecialBlock(&h))) return 0;
  if (h.m_pRide) CarryRider(&h, g_lstChara);
  // 6-7. Moves, the view's edges and the map blocks.
  h.MoveX();
  ClampToViewX(&h);
  if (CollideBlocksX(&h) == 2) return TakeOutcome(2);
  ClampToViewX(&h);
  h.ApplyFallGravity();
  if (h.MoveY() == 7 || ClampToViewY(&h) == 2 || CollideBlocksY(&h) == 2 || ClampToViewY(&h) == 2)
    return TakeOutcome(2);
  // 8. Squeezed between blocks: the position before a move-mode change, or death.
  if ((h.m_bContactLeft && h.m_bContactRight) || (h.m_bContactTop && h.m_bContactBottom)) {
    if (!h.RestorePosAfterModeChange()) {
      h.RestorePrevPos();
      return TakeOutcome(2);
    }
  }
  // 9-11. The block characters and the second look at the map blocks.
  if (CollideBlockCharas(&h, g_lstChara) == 2 && !h.m_bDead && !h.RestorePosAfterModeChange()) return TakeOutcome(2);
  if ((h.m_bContactLeft || h.m_bContactRight) && RecheckBlocksX(&h) == 2 && !h.m_bDead)
    return h.RestorePosAfterModeChange() ? 0 : TakeOutcome(2);
  if ((h.m_bContactTop || h.m_bContactBottom) && RecheckBlocksY(&h) == 2 && !h.m_bDead &&
      !h.RestorePosAfterModeChange())
    return TakeOutcome(2);
  // 12-13.
  if (IsCrushed(h) && !h.RestorePosAfterModeChange()) {
    h.RestorePrevPos();
    return TakeOutcome(2);
  }
  h.DecayImpactX();
  h.DecayImpactY();
  return 1;
}

int cScenePlay::RunSubStep(int k) {
  cHero* hero = g_vHero.empty() ? nullptr : &g_vHero[0];
  // While the hero dies no character moves and no lifetime runs; shots and the view go on.
  const bool heroDying = hero && hero->m_bDead;
  // 1.
  m_nSubStep = k;
  ++m_nStepCount;
  RefreshAppearance();
  // 2. Lifetimes.
  if (!heroDying) {
    for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
      if (!it->m_bDead && it->m_nLifeTime != kLifeUnlimited && --it->m_nLifeTime < 0) it = RemoveChara(it);
      else ++it;
    }
    for (auto it = g_lstItem.begin(); it != g_lstItem.end();) {
      if (it->m_nLifeTime != kLifeUnlimited && --it->m_nLifeTime < 0) it = g_lstItem.erase(it);
      else ++it;
    }
  }
  // 3. Contacts and previous positions.
  const bool updateScreenPos = !NoScreenPositionUpdateOn();
  for (cChara& c : g_lstChara) {
    c.TickHitImmunity();
    c.ClearContacts();
    c.SavePrevPos();
    if (updateScreenPos) c.UpdateScreenPos();
  }
  if (hero) {
    hero->TickHitImmunity();
    hero->ClearContacts();
    hero->SavePrevPos();
    hero->StorePrevFacing();
    hero->StorePrevFootCell();
  }
  // 4.
  m_ScrollX.Advance();
  m_ScrollY.Advance();
  // 5-7. The characters: block characters first, then the hero, then the others. A character summoned
  // in the loop is appended behind the one running and takes its step in the same loop.
  auto stepCharas = [&](bool blockPass) {
    cCharaStepper stepper{*this, blockPass};
    for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
      cChara& c = *it;
      if ((c.m_Chara.m_bBlockChara != 0) != blockPass || c.m_bDead || !c.m_bActive || !c.m_bStarted) {
        ++it;
        continue;
      }
      if (!stepper.Step(it)) return 0;
    }
    return 1;
  };
  if (!heroDying) {
    if (!stepCharas(true)) return 0;
    if (hero && !StepHero(*hero)) return 0;
    if (!stepCharas(false)) return 0;
  }
  // 8. Shots.
  const cStageSubRec& heroShotArea = g_StageData.m_Area[AREA_PLAYER_SHOT];
  const cStageSubRec& otherShotArea = g_StageData.m_Area[AREA_COM_SHOT];
  for (auto it = m_lShot.begin(); it != m_lShot.end();) {
    cShot& s = *it;
    if (s.Update()) {
      it = RemoveShot(m_lShot, it);
      continue;
    }
    s.ApplyGravity();
    s.MoveY();
    s.MoveX();
    const cStageSubRec& area = s.m_nOperation == 0 ? heroShotArea : otherShotArea;
    if ((k == 1 && AreaCheckOn(area) && s.IsOutOfArea(area)) || s.IsInBlock()) it = RemoveShot(m_lShot, it);
    else ++it;
  }
  // 9. Out-of-area removal.
  if (k == 1 && !heroDying) {
    const cStageSubRec& charaArea = g_StageData.m_Area[AREA_CHARA];
    const cStageSubRec& blockArea = g_StageData.m_Area[AREA_BLOCK_CHARA];
    for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
      const bool block = it->m_Chara.m_bBlockChara != 0;
      const bool checked = block ? m_bBlockCharaAreaCheck : m_bCharaAreaCheck;
      if (checked && Appears(*it) && it->IsOutOfArea(block ? blockArea : charaArea)) it = RemoveChara(it);
      else ++it;
    }
    if (m_bItemAreaCheck) {
      const cStageSubRec& itemArea = g_StageData.m_Area[AREA_ITEM];
      for (auto it = g_lstItem.begin(); it != g_lstItem.end();)
        it = it->IsOutOfArea(itemArea) ? g_lstItem.erase(it) : std::next(it);
    }
  }
  // 10. Items under the hero and the hits.
  if (hero && !hero->m_bDead) {
    if (!TakeOutcome(TakeBlockItem(hero)) || !TakeOutcome(ResolveHits(g_lstChara))) return 0;
    if (!hero->m_bDead && !TakeOutcome(TakeItems(hero))) return 0;
  }
  return 1;
}
