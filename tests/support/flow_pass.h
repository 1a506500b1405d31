// An object's flow pass as the objects' flow pass runs it, for flow tests while the kinds' own pass
// is not available: the context set, the running flows stepped in order (a flow without commands
// ended unstepped, paused and stopped ones skipped, only death flows while dying), the pass ended
// early by a death, the marked flows removed and the released flow numbers freed.
#pragma once
#include "flow/flowinst.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"

// 1 when the object ended its pass through its HP.
inline int RunFlowPass(cCharaBase& obj, int dying) {
  cFlowContextGuard guard;
  int result = 0;
  if (g_pScenePlay) {
    g_pScenePlay->m_pCurObj = &obj;
    g_pScenePlay->m_bDeathPending = 0;
  }
  for (int i = 0; i < obj.m_vFlowInst.Size(); ++i) {
    cFlowInstance& inst = obj.m_vFlowInst[i];
    if (!inst.m_bRunning) continue;
    if (inst.m_vCmd.empty()) {
      inst.End(&obj);
      continue;
    }
    if (inst.m_bPaused || inst.m_bStopped) continue;
    const bool death = inst.m_pFlow->m_nTrigger == FLOW_TRIG_DEATH;
    if (dying && !death) continue;
    if (inst.Step()) obj.m_vFlowInst[i].End(&obj);
    if (!dying && !death && obj.m_nHP <= 0) {
      result = 1;
      break;
    }
  }
  if (g_pScenePlay) g_pScenePlay->m_pCurObj = nullptr, g_pScenePlay->m_pCurFlow = nullptr;
  for (int i = obj.m_vFlowInst.Size() - 1; i >= 0; --i)
    if (obj.m_vFlowInst[i].m_bDelete) obj.RemoveFlow(i);
  if (obj.m_bFlowIdEvent) {
    for (int id = 0; id < obj.m_vFlowIdEnded.Size(); ++id) {
      if (!obj.m_vFlowIdEnded[id]) continue;
      obj.m_vFlowIdEnded[id] = 0;
      obj.m_vFlowIdBlocked.At(id) = 0;
    }
    obj.m_bFlowIdEvent = 0;
  }
  return result;
}
