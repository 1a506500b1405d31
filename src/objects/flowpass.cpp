// The parts of a flow pass that the hero and the other characters share.
#include "flow/flowinst.h"
#include "objects/charabase.h"
#include "stagedata/flow.h"

int cCharaBase::StepFlows(int dying, int vanishStops) {
  // Indexes, not iterators: a command may add flows to the object while the pass runs.
  for (int i = 0; i < m_vFlowInst.Size(); ++i) {
    cFlowInstance& inst = m_vFlowInst[i];
    if (!inst.m_bRunning) continue;
    if (inst.m_vCmd.empty()) {
      inst.End(this);
      continue;
    }
    if (inst.m_bPaused || inst.m_bStopped) continue;
    const bool deathFlow = inst.m_pFlow && inst.m_pFlow->m_nTrigger == FLOW_TRIG_DEATH;
    if (dying && !deathFlow) continue;
    if (inst.Step()) m_vFlowInst[i].End(this);
    if (vanishStops && m_bVanished) return 1;
    if (!dying && !deathFlow && m_nHP <= 0) return 1;
  }
  return 0;
}

void cCharaBase::FinishFlowPass() {
  for (int i = m_vFlowInst.Size() - 1; i >= 0; --i)
    if (m_vFlowInst[i].m_bDelete) RemoveFlow(i);
  if (m_bFlowIdEvent) {
    for (int id = 0; id < m_vFlowIdEnded.Size(); ++id) {
      if (!m_vFlowIdEnded[id]) continue;
      m_vFlowIdEnded[id] = 0;
      m_vFlowIdBlocked.At(id) = 0;
    }
    m_bFlowIdEvent = 0;
  }
}

void cCharaBase::SettleBaseAnim() {
  if (m_nBaseAnimReqLevel)
    m_AnimSeq.Change(m_nBaseAnimReq, 1);
  else if (m_dInertiaX == 0 && m_dInertiaY == 0)
    m_AnimSeq.Change(m_bFlying ? 2 : 0, 1);
}
