// The shot, sword and summon commands: shots and summons fire in the first pass of a run and again
// every six displayed frames; a sword is made once per run.
#include <algorithm>

#include "flow/executors.h"
#include "objects/charabase.h"
#include "objects/shot.h"
#include "objects/spawn.h"
#include "scenes/sceneplay.h"
#include "stagedata/database.h"
#include "stagedata/edshot.h"
#include "stagedata/flow.h"

namespace {

using SpawnFn = void (*)(cCharaBase* subject, cCmdInstance* cmd, const cEdShot& rec);

template <SpawnFn Spawn>
int Repeating(cCharaBase* subject, cCmdInstance* cmd) {
  const cFlowCmd* rec = cmd->m_pCmd;
  if (!subject || !rec || !rec->m_pEdShot) return 0;
  if (cmd->m_bActed == 0) {
    PlayCmdSoundIfActive(*rec, *subject);
    Spawn(subject, cmd, *rec->m_pEdShot);
  }
  RepeatCounterActs(cmd);
  return 0;
}

void Shots(cCharaBase* subject, cCmdInstance* cmd, const cEdShot& rec) { SpawnShots(subject, subject, cmd, rec); }

// The first frame of the sword type, or null when the type or its frames are missing (reported
// through the checked access, which asks the program to close).
const cSwordTypePart* FirstFrame(int type) {
  cCheckedVector<cSwordTypeData>& types = g_Database.m_vSwordType;
  if (type < 0 || type >= types.Size()) {
    types.At(type);
    return nullptr;
  }
  cCheckedVector<cSwordTypePart>& parts = types[type].m_vPart;
  if (parts.empty()) {
    parts.At(0);
    return nullptr;
  }
  return &parts[0];
}

}  // namespace

int ExecShot(cCharaBase* subject, cCmdInstance* cmd) { return Repeating<&Shots>(subject, cmd); }
int ExecSummonBlock(cCharaBase* subject, cCmdInstance* cmd) { return Repeating<&SpawnBlocks>(subject, cmd); }
int ExecSummonChara(cCharaBase* subject, cCmdInstance* cmd) { return Repeating<&SpawnCharas>(subject, cmd); }
int ExecSummonItem(cCharaBase* subject, cCmdInstance* cmd) { return Repeating<&SpawnItems>(subject, cmd); }

int ExecSword(cCharaBase* subject, cCmdInstance* cmd) {
  const cFlowCmd* rec = cmd->m_pCmd;
  cScenePlay* scene = g_pScenePlay;
  if (!subject || !rec || !rec->m_pEdShot || !scene) return 0;
  if (cmd->m_bActed == 0) {
    PlayCmdSoundIfActive(*rec, *subject);
    const cEdShot& shotRec = *rec->m_pEdShot;
    if (const cSwordTypePart* frame = FirstFrame(shotRec.m_nMoveKind)) {
      cShotLaunch launch;
      launch.m_nW = frame->m_nWidth;
      launch.m_nH = frame->m_nHeight;
      // Built in place in the scene's list, so that the links below point at the object that stays.
      cShot& sword = EmplaceShot(scene->m_lShot, scene->m_nNextShotId, subject, rec->m_nKind, shotRec, launch);
      ++scene->m_nNextShotId;
      sword.m_pShotTarget = nullptr;
      const cShotLink link{&sword, kLinkSlotOwner};
      cCheckedVector<cShotLink>& links = subject->m_vShotLink;
      if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
    }
  }
  ++cmd->m_bActed;
  return 0;
}
