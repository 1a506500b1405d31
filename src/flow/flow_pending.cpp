// Executors whose commands are built elsewhere: each does nothing until its owner replaces it with
// the real one in that command's own file.
#include "flow/exectable.h"
#include "flow/executors.h"

int ExecStageClear(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecGameWait(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecMessage(cCharaBase*, const cFlowCmd&, int) { return 0; }  // pending
int ExecItemGet(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecGraphic(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecBaseAnimSet(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecAnim(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecEffect(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecCharaEffect(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecScreenEffect(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecPicture(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecScreenColor(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecBackground(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecPlaySE(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecPlayBGM(cCharaBase*, const cFlowCmd&) { return 0; }  // pending
int ExecChangeFlow(cCharaBase*, const cFlowCmd*, int) { return 0; }  // pending
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
