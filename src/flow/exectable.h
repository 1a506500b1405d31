// The executors of the command kinds and of the item command set, by kind. ExecCmd and the item
// lists dispatch through these tables; a kind outside a table, or one whose entry is empty, does
// nothing.
#pragma once
#include <array>

#include "stagedata/cmdtable.h"

class cCharaBase;
class cCmdInstance;
class cFlowCmd;

// Executor of a running command on the subject. The result goes back to the caller unchanged.
using CmdExecFn = int (*)(cCharaBase* subject, cCmdInstance* cmd);
// Executor of an item command on the subject; only the stage-clear kind returns 1 (the stage ends).
using ItemCmdExecFn = int (*)(cCharaBase* subject, const cFlowCmd* cmd);

extern std::array<CmdExecFn, kCmdKindCount> g_CmdExecTable;
extern std::array<ItemCmdExecFn, kItemCmdKindCount> g_ItemCmdExecTable;

// Calls the executor of the command record's kind; 0 without one. A kind outside the table is
// written to the report log the first time it is met.
int DispatchCmd(cCharaBase* subject, cCmdInstance* cmd);
int DispatchItemCmd(cCharaBase* subject, const cFlowCmd* cmd);

// The item command that changes a flow; with deferred 0 on the hero during its own pass the change
// waits in the hero's pending list. Always 0.
int ExecChangeFlow(cCharaBase* subject, const cFlowCmd* cmd, int deferred);
// Applies the arrange entries the hero keeps to an item command's parameters.
void ApplyCharaArranges(cFlowCmd& cmd, cCharaBase* chara);
