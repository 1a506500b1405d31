// The state the flow and command records consult while they read and repair: a default database
// (one entry in some lists), no test play, no kept test flows. Restored after each test.
#pragma once
#include "gamedata/systemdata.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"
#include "support/tempdir.h"

// The database as built in, no test play, no kept test flows.
inline void ResetFlowRecordState() {
  g_Database.SetDefaults();
  g_bEditorLaunched = 0;
  g_SystemData.m_bKeepTestFlows = 0;
}

class FlowRecordTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Restore();
  }
  void TearDown() override {
    Restore();
    TempDirTest::TearDown();
  }
  static void Restore() { ResetFlowRecordState(); }
};
