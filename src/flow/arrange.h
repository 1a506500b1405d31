// Arrangements: queued entries that change a parameter of the next command by a variable before it
// runs. The write goes into the object's own copy of the command and stays there.
#pragma once
#include "flow/flowinst.h"

class cCharaBase;
class cFlowCmd;

// Applies every entry of the flow's queue to the command, in order; nothing without a flow.
void ApplyFlowArranges(cFlowCmd& cmd, cCharaBase* subject, cFlowInstance* flow);
// Applies one entry: nothing when the command's kind is not the entry's, the kind cannot be arranged,
// the variable lies outside its table or the new value names no entry of the list it refers to.
void ApplyArrange(cFlowCmd& cmd, const cArrangeEntry& entry, cCharaBase* subject);
