// The executors of the forty command kinds. Kinds 0-16 take the running command; the bodies of kinds
// 17-39 take the bare command record, so that the item command set, which has no running command,
// can call them too. g_CmdExecTable reaches the bodies through adapters (exectable.cpp).
#pragma once
#include <array>

#include "flow/exectable.h"

// Kinds 0 and 1: nothing (a wait's run time is the wait itself).
int ExecNop(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveStraight(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveGroundTurn(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveCircle(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveCharge(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveHoming(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveAvoidOffscreen(cCharaBase* subject, cCmdInstance* cmd);
int ExecMoveCancel(cCharaBase* subject, cCmdInstance* cmd);
int ExecTurn(cCharaBase* subject, cCmdInstance* cmd);
int ExecJump(cCharaBase* subject, cCmdInstance* cmd);
int ExecShot(cCharaBase* subject, cCmdInstance* cmd);
int ExecSword(cCharaBase* subject, cCmdInstance* cmd);
int ExecSummonBlock(cCharaBase* subject, cCmdInstance* cmd);
int ExecSummonChara(cCharaBase* subject, cCmdInstance* cmd);
int ExecSummonItem(cCharaBase* subject, cCmdInstance* cmd);
int ExecFlowOp(cCharaBase* subject, cCmdInstance* cmd);

// Kind 17: the stage-end request (0 none, 1 cleared).
int ExecStageClear(cCharaBase* subject, const cFlowCmd& cmd);
int ExecGameWait(cCharaBase* subject, const cFlowCmd& cmd);
// afterMessage: a plain message has just finished in the same list.
int ExecMessage(cCharaBase* subject, const cFlowCmd& cmd, int afterMessage);
// statusCall: 1 when a status operation's coordinate setter calls the warp.
int ExecWarp(cCharaBase* subject, const cFlowCmd& cmd, int statusCall);
int ExecSetTarget(cCharaBase* subject, const cFlowCmd& cmd);
int ExecStatus(cCharaBase* subject, const cFlowCmd& cmd);
int ExecStatus2(cCharaBase* subject, const cFlowCmd& cmd);
int ExecVanish(cCharaBase* subject, const cFlowCmd& cmd);
int ExecItemGet(cCharaBase* subject, const cFlowCmd& cmd);
int ExecGraphic(cCharaBase* subject, const cFlowCmd& cmd);
int ExecBaseAnimSet(cCharaBase* subject, const cFlowCmd& cmd);
int ExecAnim(cCharaBase* subject, const cFlowCmd& cmd);
int ExecEffect(cCharaBase* subject, const cFlowCmd& cmd);
int ExecCharaEffect(cCharaBase* subject, const cFlowCmd& cmd);
int ExecScreenEffect(cCharaBase* subject, const cFlowCmd& cmd);
int ExecPicture(cCharaBase* subject, const cFlowCmd& cmd);
int ExecScreenColor(cCharaBase* subject, const cFlowCmd& cmd);
int ExecBackground(cCharaBase* subject, const cFlowCmd& cmd);
int ExecPlaySE(cCharaBase* subject, const cFlowCmd& cmd);
int ExecPlayBGM(cCharaBase* subject, const cFlowCmd& cmd);
// Runs the command's code line on the subject; the line's result.
int ExecCode(cCharaBase* subject, const cFlowCmd& cmd);
int ExecArrange(cCharaBase* subject, const cFlowCmd& cmd);
// Kind 39: nothing (loops are unrolled when flows are installed).
int ExecLoop(cCharaBase* subject, const cFlowCmd& cmd);

// The executor table as the program builds it; g_CmdExecTable starts as a copy, which tests may
// replace entry by entry and put back from this one.
extern const std::array<CmdExecFn, kCmdKindCount> g_CmdExecDefaults;

// The item command set as the program builds it; g_ItemCmdExecTable starts as a copy.
extern const std::array<ItemCmdExecFn, kItemCmdKindCount> g_ItemCmdExecDefaults;

// The stage position (map pixels) of the top-left corner of a width x height display placed by the
// effect and picture commands: mode 0 the screen centre, 1 the subject's centre, 2 the hero's, 3 and
// 4 a screen point as top-left or centre, 5 and 6 a stage point likewise; unit 0 cells, 1 dots.
// Other modes and units give (0, 0).
void CalcDisplayPos(double& x, double& y, int width, int height, cCharaBase* subject, int mode, int unit, int X,
                    int Y, int shiftX, int shiftY);

// The repeat counter of the repeating commands (shot, summons, turn): 1 when the command acts in this
// pass. It acts when the counter is 0; the counter then counts the passes and wraps after six
// displayed frames' worth of sub-steps.
int RepeatCounterActs(cCmdInstance* cmd);

// The kill rule of the status and vanish commands: the hero's HP becomes 0 (it dies by the normal
// path), any other character vanishes keeping its HP; a death of another object than the subject is
// left for the play step's death check.
void KillByCommand(cCharaBase* obj, cCharaBase* subject);
// Removes the shots the object owns (marked only while the play scene resolves hits).
void RemoveOwnShots(cCharaBase* obj);
// Kills the object's descendants below the given depth (cut at depth 1000), with their shots when
// withShots is set.
void VanishDescendants(cCharaBase* obj, int depth, int withShots, cCharaBase* subject);
// The object in target slot 0-3 of obj; any other slot goes through the checked access (a report and
// a close request) and gives none.
cCharaBase* TargetInSlot(cCharaBase& obj, int slot);
// The command's sound, when it has one (0 is none).
void PlayCmdSound(const cFlowCmd& cmd);
// The command's sound unless it plays only while the subject is active and the subject is not.
void PlayCmdSoundIfActive(const cFlowCmd& cmd, const cCharaBase& subject);
