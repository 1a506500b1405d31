// Operations of the flow engine that other parts call before the flow engine builds them.
#include "flow/exectable.h"

int ExecChangeFlow(cCharaBase*, const cFlowCmd*, int) { return 0; }  // pending
void ApplyCharaArranges(cFlowCmd&, cCharaBase*) {}  // pending
