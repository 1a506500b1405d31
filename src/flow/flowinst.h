// Running flows and running commands. Every flow-driven object owns, index for index with its own
// copies of its flows, one cFlowInstance per flow; each instance owns one cCmdInstance per command.
// The instances point into the owner's flow copies, so the owner relinks them after every change of
// either vector (cCharaBase::RelinkFlows).
#pragma once
#include <cstdint>
#include <list>
#include <vector>

#include "core/checked.h"
#include "stagedata/flow.h"

class cCharaBase;
class cFlowInstance;

// When a flow's command plays its animation: the running animation starts at flow frame
// m_nStartFrame, skips m_sSkip frames, reaches its first held frame after m_sToHold frames and holds
// there m_sHoldExt ticks longer while m_bHoldSwitch is on.
struct cAnimCue {
  int32_t m_nStartFrame = 0;
  int16_t m_sAnimNo = 0;
  int16_t m_sSkip = 0;
  int16_t m_sToHold = 0;
  int16_t m_sHoldExt = 0;
  int8_t m_bHoldSwitch = 0;
  bool operator==(const cAnimCue&) const = default;
};

// An arrangement queued by the arrange command for the next command started in its flow: the
// command's five parameters (target kind, parameter index, operator, variable scope, variable index).
struct cArrangeEntry {
  int32_t m_nParam[5] = {};
};

// A point remembered by the homing move.
struct cHomingPoint {
  double m_dX = 0;
  double m_dY = 0;
};

// The move set-up values of a running command.
enum eMoveSetup {
  MOVESETUP_RADIUS = 0,       // circle radius in pixels x n
  MOVESETUP_HOMING = 0,       // homing duration in sub-steps
  MOVESETUP_START_ANGLE = 1,  // circle start angle x n
  MOVESETUP_END_ANGLE = 2,    // circle end angle x n
};

class cCmdInstance {
 public:
  // Prepares the command for a new run: the remaining time becomes the usage time and the run values
  // are cleared.
  void Reset();
  // Runs the command once on the current subject through its kind's executor; 1 when the run has
  // finished.
  int Step();
  // For a move block that gives time and distance, the speed; for one that gives speed and distance,
  // the usage time. A time of 0 moves the whole distance in one pass; a speed of 0 takes no time.
  void SolveMoveSpeedTime(const cFlowCmd& cmd, int16_t level);
  // The owner's own copy of this command, which arrangements write into: the command of this
  // instance's position in the owner's copy of the flow; null when it is not found there.
  cFlowCmd* OwnCopy(cCharaBase* owner, const cFlowInstance& flow) const;

  const cFlowCmd* m_pCmd = nullptr;
  int32_t m_bDone = 0;
  int32_t m_nUseTime = 0;  // sub-steps
  int32_t m_nRemain = 0;
  int8_t m_cMoveDir = 0;  // direction of the move block; the turning sense of a circle
  int32_t m_nOffsetX = 0;
  int32_t m_nOffsetY = 0;
  double m_dSpeed = 0;  // pixels per sub-step; a jump's starting speed
  int32_t m_nAngle = 0;
  int32_t m_nMoveSetup[3] = {};  // eMoveSetup
  std::list<cHomingPoint> m_lstWork;
  double m_dMoveX = 0;  // this pass's step, written by the move geometry
  double m_dMoveY = 0;
  int32_t m_nFaceKind = 0;  // facing request: 0 keep, 1 left, 2 right
  int32_t m_bActed = 0;  // the executor's own mark or counter; the jump counts its sub-steps in it
  int32_t m_bMoveInit = 0;
  double m_dWork1 = 0;
  double m_dWork2 = 0;
  double m_dMaxSpeed = 0;
  int32_t m_nPrevFacing = 0;
  int32_t m_bTookOff = 0;  // the jump command took off (or gave up) in this run
};

class cFlowInstance {
 public:
  // Starts (or restarts) the flow on its owner. An always-triggered flow with an ID marks the ID in
  // the owner's blocked and started-now tables. A before-start flow runs its go-on-at-once commands
  // of the flow-operation kind and later at once, on its owner, and ends; the flow context is put
  // back afterwards, and a flow that its own before-start run starts again is not restarted.
  void Start(cCharaBase* owner);
  // One pass over the running commands: 1 when the flow has run its last command. A pass that a
  // command aborted (it started, ended, stopped or removed this flow) returns 0 at once.
  int Step();
  // Ends a running flow: every command's remaining time 0; a flow with an ID marks it ended in the
  // owner's tables. 1 when the flow was running.
  int End(cCharaBase* owner);
  // A paused flow is not stepped; resumed, it goes on with the command and time it had.
  void Pause() { m_bPaused = 1; }
  void Resume() { m_bPaused = 0; }
  // Stops the flow for good: never stepped or started by a trigger again. A running flow keeps
  // m_bRunning, loses its commands' remaining times and releases its flow number.
  void StopForever(cCharaBase* owner);

  int32_t m_nIndex = 0;
  int32_t m_nSerial = 0;
  const cFlow* m_pFlow = nullptr;
  int32_t m_bCondLatch = 0;
  std::vector<const cKeyCond*> m_vKeyCond;
  int32_t m_bKeyLatch = 0;  // the key sequence matched at the last test
  int32_t m_bKeyHeld = 0;   // the keys were found held: an edge flow waits for their release
  cCheckedVector<cCmdInstance> m_vCmd;
  cCheckedVector<cAnimCue> m_vAnimCue;
  int32_t m_bRunning = 0;
  int32_t m_bPaused = 0;
  int32_t m_bStopped = 0;
  int32_t m_bDelete = 0;
  int32_t m_nCmdIndex = 0;
  int32_t m_nFrame = 0;
  int32_t m_nStartDir = 0;  // direction key 0-9 held when the flow started
  int32_t m_bTried = 0;
  int32_t m_bStarted = 0;
  int32_t m_bAfterMessage = 0;
  int32_t m_bAbort = 0;
  std::list<cArrangeEntry> m_lstArrange;
  int32_t m_bInBeforeStart = 0;  // inside its own before-start run

 private:
  // Marks the flow number released in the owner's tables.
  void ReleaseFlowId(cCharaBase* owner);
};

// A plain message: a message command whose parameters 15 and 6 are both 0.
bool IsPlainMessageCmd(const cFlowCmd& cmd);
