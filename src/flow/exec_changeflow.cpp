// The item command that changes the flows of its subject: adds the command's flows, replaces the flows
// of an operation ID by them, or deletes the flows of an ID.
#include "flow/exectable.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

enum eChangeFlowMode { CHANGE_ADD = 0, CHANGE_REPLACE = 1, CHANGE_DELETE = 2 };

// New flows go in as copies with fresh instances, not running.
void InsertFlows(cCharaBase& subject, const cFlowCmd& cmd, int position) {
  cCheckedVector<cFlow> flows = cmd.m_vFlow;
  subject.AddFlows(flows, 1, static_cast<unsigned>(position));
}

}  // namespace

int ExecChangeFlow(cCharaBase* subject, const cFlowCmd* cmd, int deferred) {
  if (!subject || !cmd) return 0;
  // The flows of an object are never changed while they are being stepped: during the hero's own
  // pass the change waits until the pass has run its flows.
  cHero* hero = g_vHero.empty() ? nullptr : &g_vHero[0];
  if (!deferred && hero && subject == hero && g_pScenePlay && g_pScenePlay->m_pCurObj == hero) {
    hero->m_vPendingFlowCmds.push_back(*cmd);
    return 0;
  }
  const int mode = cmd->m_vParam.At(0);
  const uint8_t id = static_cast<uint8_t>(cmd->m_vParam.At(1));
  switch (mode) {
    case CHANGE_ADD: InsertFlows(*subject, *cmd, -1); break;
    case CHANGE_REPLACE: InsertFlows(*subject, *cmd, subject->RemoveFlowsById(id)); break;
    case CHANGE_DELETE: subject->RemoveFlowsById(id); break;
    default: break;
  }
  return 0;
}
