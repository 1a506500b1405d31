// Commands run through the program's own executors on characters of a small play scene, with the
// sounds the commands ask the main window for recorded.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "flow/executors.h"
#include "flow/flowinst.h"
#include "objects/shot.h"
#include "platform/win/messages.h"
#include "stagedata/edmove.h"
#include "stagedata/edshot.h"
#include "support/status_fixture.h"

class ExecTest : public StatusTest {
 protected:
  void SetUp() override {
    StatusTest::SetUp();
    g_CmdExecTable = g_CmdExecDefaults;
    Sounds().clear();
    SetWindowProcStandIn(g_hMainWnd, &SoundProc);
    scene_.m_vSideChara.resize(8);
    scene_.m_vSideShot.resize(8);
  }
  void TearDown() override {
    scene_.m_lShot.clear();
    StatusTest::TearDown();
  }

  static std::vector<int>& Sounds() {
    static std::vector<int> sounds;
    return sounds;
  }
  static LRESULT SoundProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WMU_PLAYSOUND) Sounds().push_back(static_cast<int>(wParam) - 16);
    return 0;
  }

  // A command of the kind with a movement block adjusted by `edit`.
  static cFlowCmd MoveCmd(int kind, const std::function<void(cEdMove&)>& edit = nullptr) {
    cFlowCmd c = Cmd(kind);
    CreateEdMove(c.m_pEdMove);
    c.m_pEdMove->m_bAngleMirror = 0;
    c.m_pEdMove->m_bMirrorX = 0;
    if (edit) edit(*c.m_pEdMove);
    return c;
  }
  // A command of the kind with a shot block adjusted by `edit`.
  static cFlowCmd ShotCmd(int kind, const std::function<void(cEdShot&)>& edit = nullptr) {
    cFlowCmd c = Cmd(kind);
    CreateEdShot(c.m_pEdShot);
    if (edit) edit(*c.m_pEdShot);
    return c;
  }
  // A running command at the start of a run.
  static cCmdInstance Running(const cFlowCmd& cmd, double speed = 0) {
    cCmdInstance inst;
    inst.m_pCmd = &cmd;
    inst.m_dSpeed = speed;
    inst.m_cMoveDir = cmd.m_pEdMove ? cmd.m_pEdMove->m_nDir : 0;
    inst.Reset();
    return inst;
  }
  // Runs the executor of the command's kind once, as a flow pass does, with the subject's speeds
  // cleared first; the step it applied.
  struct Step {
    double x, y;
  };
  static Step RunPass(cCharaBase& s, cCmdInstance& inst) {
    s.m_dSpeedX = s.m_dSpeedY = 0;
    s.UpdateScreenPos();
    g_CmdExecTable[inst.m_pCmd->m_nKind](&s, &inst);
    return {s.m_dSpeedX, s.m_dSpeedY};
  }
};
