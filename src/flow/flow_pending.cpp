// Executors whose commands are built elsewhere: each does nothing until its owner replaces it with
// the real one in that command's own file.
#include "flow/exectable.h"
#include "flow/executors.h"

int ExecMoveStraight(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveGroundTurn(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveCircle(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveCharge(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveHoming(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveAvoidOffscreen(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecMoveCancel(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecTurn(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecJump(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecShot(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecSword(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecSummonBlock(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecSummonChara(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecSummonItem(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecFlowOp(cCharaBase*, cCmdInstance*) { return 0; }  // pending
int ExecSetTarget(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecStatus2(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecVanish(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecArrange(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
void ApplyCharaArranges(cFlowCmd&, cCharaBase*) {}  // pending
