#include "flow/flowinst.h"

#include <climits>
#include <cmath>

#include "core/log.h"
#include "flow/arrange.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"

bool IsPlainMessageCmd(const cFlowCmd& cmd) {
  return cmd.m_nCategory == CMD_CATEGORY_OBJECT && cmd.m_nKind == CMD_MESSAGE && cmd.m_vParam.At(15) == 0 &&
         cmd.m_vParam.At(6) == 0;
}

// ---- cCmdInstance ----

void cCmdInstance::Reset() {
  m_nRemain = m_nUseTime;
  m_bDone = 0;
  m_bActed = 0;
  m_bMoveInit = 0;
  m_dWork1 = 0;
  m_dWork2 = 0;
  m_bTookOff = 0;
  if (!m_pCmd || m_pCmd->m_nKind == CMD_ARRANGE || !g_pScenePlay) return;
  // The queue of the current flow is spent by this command, whatever its kind; the arrangements
  // write into the owner's own copy of the command.
  cFlowInstance* flow = g_pScenePlay->m_pCurFlow;
  cCharaBase* owner = g_pScenePlay->m_pCurObj;
  if (!flow || flow->m_lstArrange.empty()) return;
  if (cFlowCmd* own = OwnCopy(owner, *flow)) ApplyFlowArranges(*own, owner, flow);
  flow->m_lstArrange.clear();
}

cFlowCmd* cCmdInstance::OwnCopy(cCharaBase* owner, const cFlowInstance& flow) const {
  if (!owner || flow.m_vCmd.empty()) return nullptr;
  const ptrdiff_t j = this - flow.m_vCmd.data();
  if (j < 0 || j >= flow.m_vCmd.Size() || flow.m_nIndex < 0 || flow.m_nIndex >= owner->m_Chara.m_vFlow.Size())
    return nullptr;
  cCheckedVector<cFlowCmd>& cmds = owner->m_Chara.m_vFlow[flow.m_nIndex].m_vCmd;
  if (j >= cmds.Size() || &cmds[j] != m_pCmd) return nullptr;
  return &cmds[j];
}

int cCmdInstance::Step() {
  if (g_pScenePlay && g_pScenePlay->m_pCurObj) {
    cCmdInstance* outer = g_pScenePlay->m_pCurCmd;
    g_pScenePlay->m_pCurCmd = this;
    cCharaBase* subject = g_pScenePlay->m_pCurObj;
    subject->ExecCmd(this);
    if (g_pScenePlay) g_pScenePlay->m_pCurCmd = outer;
  }
  if (--m_nRemain <= 0) {
    m_nRemain = 0;
    return 1;
  }
  return 0;
}

void cCmdInstance::SolveMoveSpeedTime(const cFlowCmd& cmd, int16_t level) {
  const cEdMove* move = cmd.m_pEdMove.get();
  if (!move) return;
  int32_t dist = move->m_sDist;
  if (move->m_sDistStep != 0) dist += move->m_sDistStep * level;
  if (move->m_nDistUnit != 1) dist *= 16;
  if (move->m_nSpeedMode == 1) {
    // Time given: a time of 0 covers the distance in the one pass the command runs.
    m_dSpeed = m_nUseTime != 0 ? static_cast<double>(dist) / m_nUseTime : static_cast<double>(dist);
  } else if (move->m_nSpeedMode == 2) {
    // Speed given: a speed of 0 never arrives, so the command takes no time.
    const double t = m_dSpeed != 0 ? std::trunc(dist / m_dSpeed) : 0.0;
    int64_t time = t >= INT_MAX ? INT_MAX : t <= -INT_MAX ? -INT_MAX : static_cast<int64_t>(t);
    if (!g_SystemData.m_bCompat695 && time < 0) time = -time;
    m_nUseTime = static_cast<int32_t>(time);
  }
}

// ---- cFlowInstance ----

void cFlowInstance::Start(cCharaBase* owner) {
  if (m_bInBeforeStart || !m_pFlow) return;
  m_bRunning = 1;
  m_nCmdIndex = 0;
  m_nFrame = 0;
  m_bAfterMessage = 0;
  for (cCmdInstance& c : m_vCmd) c.m_bDone = 0;
  m_bStarted = 1;
  if (owner && m_pFlow->m_nTrigger == FLOW_TRIG_ALWAYS && m_pFlow->m_nFlowId != 0) {
    owner->m_vFlowIdBlocked.At(m_pFlow->m_nFlowId) = 1;
    owner->m_vFlowIdStartedNow.At(m_pFlow->m_nFlowId) = 1;
  }
  if (m_vCmd.empty() || m_pFlow->m_nTrigger != FLOW_TRIG_BEFORE_START) return;

  // The whole before-start flow runs now, on its owner.
  cFlowContextGuard guard;
  if (g_pScenePlay) {
    g_pScenePlay->m_pCurObj = owner;
    g_pScenePlay->m_pCurFlow = this;
  }
  m_bInBeforeStart = 1;
  m_bAbort = 0;
  for (m_nCmdIndex = 0; m_nCmdIndex < m_vCmd.Size(); ++m_nCmdIndex) {
    cCmdInstance& c = m_vCmd[m_nCmdIndex];
    if (!c.m_pCmd || c.m_pCmd->m_nKind < CMD_FLOW_OP || !c.m_pCmd->m_bGoOn) continue;
    c.Reset();
    if (!c.Step()) DebugErrorBoxF("使用時間0なので、ここにくることはあり得ないはず！");
    if (m_bAbort) break;
    c.m_bDone = 1;
  }
  m_bInBeforeStart = 0;
  End(owner);
}

int cFlowInstance::Step() {
  if (g_pScenePlay) g_pScenePlay->m_pCurFlow = this;
  m_bAbort = 0;
  const int last = m_vCmd.Size() - 1;
  for (int i = 0; i <= m_nCmdIndex; ++i) {
    if (i > last || m_vCmd[i].m_bDone) continue;
    cCmdInstance& c = m_vCmd[i];
    const cFlowCmd& rec = *c.m_pCmd;
    const bool goOn = rec.m_bGoOn == 1;
    if (c.m_nRemain == 0) {
      c.Reset();
      if (!goOn && !IsPlainMessageCmd(rec)) m_bAfterMessage = 0;
    }
    const int finished = c.Step();
    if (m_bAbort) {
      // A flow that paused itself goes on after the pause command when it is resumed; any other
      // change of this flow by its own command leaves the new state alone.
      if (m_bPaused && m_bRunning && !m_bStopped && !m_bDelete && finished && !c.m_bDone) {
        c.m_bDone = 1;
        if (i == m_nCmdIndex) m_nCmdIndex = i + 1;
      }
      return 0;
    }
    if (goOn) {
      if (finished) {
        c.m_bDone = 1;
        if (i == last) return 1;
      }
      if (i == m_nCmdIndex) m_nCmdIndex = i + 1;
      continue;
    }
    if (finished) {
      c.m_bDone = 1;
      if (IsPlainMessageCmd(rec)) m_bAfterMessage = 1;
      if (i == last) return 1;
      ++m_nCmdIndex;
      break;
    }
  }
  if (last >= 0 && m_vCmd[last].m_bDone) return 1;
  ++m_nFrame;
  return 0;
}

void cFlowInstance::ReleaseFlowId(cCharaBase* owner) {
  if (!owner || !m_pFlow || m_pFlow->m_nFlowId == 0) return;
  owner->m_vFlowIdEnded.At(m_pFlow->m_nFlowId) = 1;
  owner->m_bFlowIdEvent = 1;
}

void cFlowInstance::StopForever(cCharaBase* owner) {
  m_bStopped = 1;
  if (!m_bRunning) return;
  for (cCmdInstance& c : m_vCmd) c.m_nRemain = 0;
  ReleaseFlowId(owner);
}

int cFlowInstance::End(cCharaBase* owner) {
  if (!m_bRunning) return 0;
  m_bRunning = 0;
  m_lstArrange.clear();
  for (cCmdInstance& c : m_vCmd) c.m_nRemain = 0;
  if (!m_pFlow) return 1;
  ReleaseFlowId(owner);
  if (!g_SystemData.m_bCompat875 && m_pFlow->m_nTrigger != FLOW_TRIG_ALWAYS) m_bKeyHeld = 0;
  return 1;
}
