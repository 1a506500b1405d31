// The flow operation command: starts, ends, pauses, resumes, deletes or stops for good this flow,
// the subject's other flows, or the flows with an operation ID of the subject or of a target.
#include "flow/executors.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"
#include "stagedata/cond.h"
#include "stagedata/flow.h"

namespace {

enum eFlowOp { FLOWOP_START = 0, FLOWOP_END = 1, FLOWOP_PAUSE = 2, FLOWOP_RESUME = 3, FLOWOP_DELETE = 4,
               FLOWOP_STOP = 5 };
enum eFlowOpWhich { WHICH_THIS = 0, WHICH_OTHERS = 1, WHICH_BY_ID = 2 };

// One operation on flow f of object o. A delete here only marks the flow: the owner's flow pass
// removes it after stepping.
void Operate(int op, cCharaBase& o, cFlowInstance& f) {
  switch (op) {
    case FLOWOP_START:
      f.End(&o);
      o.RemoveAnimsOfFlow(f.m_nSerial);
      f.Start(&o);
      f.m_bAbort = 1;
      break;
    case FLOWOP_END:
      f.End(&o);
      o.RemoveAnimsOfFlow(f.m_nSerial);
      f.m_bAbort = 1;
      break;
    case FLOWOP_PAUSE:
      f.Pause();
      o.StopAnimsOfFlow(f.m_nSerial);
      f.m_bAbort = 1;
      break;
    case FLOWOP_RESUME:
      f.Resume();
      o.ResumeAnimsOfFlow(f.m_nSerial);
      break;
    case FLOWOP_DELETE:
      f.m_bDelete = 1;
      f.m_bAbort = 1;
      break;
    case FLOWOP_STOP:
      f.StopForever(&o);
      o.RemoveAnimsOfFlow(f.m_nSerial);
      f.m_bAbort = 1;
      break;
    default: break;
  }
}

}  // namespace

int ExecFlowOp(cCharaBase* subject, cCmdInstance* cmd) {
  cScenePlay* scene = g_pScenePlay;
  const cFlowCmd* rec = cmd->m_pCmd;
  if (!subject || !rec || !scene) return 0;
  const int op = rec->m_vParam.At(0);
  const int which = rec->m_vParam.At(1);
  const int id = rec->m_vParam.At(2);
  const int whose = rec->m_vParam.At(3);
  const cCondList* conds = rec->m_pCondList.get();
  if (conds && conds->m_bEnabled && !scene->CheckCondList(conds->m_vCond, conds->m_nLogic, subject)) return 0;
  if (whose < 0 || whose > 4) return 0;
  cCharaBase* o = whose == 0 ? subject : TargetInSlot(*subject, whose - 1);
  if (!o) return 0;
  if (op < FLOWOP_START || op > FLOWOP_STOP) return 0;

  cFlowInstance* current = scene->m_pCurFlow;
  switch (which) {
    case WHICH_THIS:
      if (current) Operate(op, *subject, *current);
      break;
    case WHICH_OTHERS:
      for (int i = 0; i < subject->m_vFlowInst.Size(); ++i) {
        cFlowInstance& f = subject->m_vFlowInst[i];
        if (&f != current) Operate(op, *subject, f);
      }
      break;
    case WHICH_BY_ID:
      if (id == 0) break;
      for (int i = 0; i < o->m_vFlowInst.Size();) {
        cFlowInstance& f = o->m_vFlowInst[i];
        if (!f.m_pFlow || f.m_pFlow->m_nKey != id) {
          ++i;
          continue;
        }
        if (op == FLOWOP_DELETE && o != subject) {
          // Another object's flows go at once; the flow that slides into this place is examined next.
          o->RemoveFlow(i);
          continue;
        }
        Operate(op, *o, f);
        ++i;
      }
      break;
    default: break;
  }
  return 0;
}
