// The code command: the command's text run as a code line on the subject.
#include "flow/code.h"
#include "flow/executors.h"
#include "stagedata/flow.h"

int ExecCode(cCharaBase* subject, const cFlowCmd& cmd) { return RunCode(cmd.m_strText, subject); }
