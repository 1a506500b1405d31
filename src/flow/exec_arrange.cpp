// The arrange command queues its five parameters for the next command started in its flow, or for
// the hero's next item command.
#include "flow/executors.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

cArrangeEntry EntryOf(const cFlowCmd& cmd) {
  cArrangeEntry e;
  for (int i = 0; i < 5; ++i) e.m_nParam[i] = i < cmd.m_vParam.Size() ? cmd.m_vParam[i] : 0;
  return e;
}

}  // namespace

int ExecArrange(cCharaBase*, const cFlowCmd& cmd) {
  if (cmd.m_nCategory == CMD_CATEGORY_OBJECT) {
    cFlowInstance* flow = g_pScenePlay ? g_pScenePlay->m_pCurFlow : nullptr;
    if (flow) flow->m_lstArrange.push_back(EntryOf(cmd));
  } else if (cmd.m_nCategory == CMD_CATEGORY_ITEM) {
    if (cHero* hero = dynamic_cast<cHero*>(GetHero())) hero->m_lArranges.push_back(EntryOf(cmd));
  }
  return 0;
}
