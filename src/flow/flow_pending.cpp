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
