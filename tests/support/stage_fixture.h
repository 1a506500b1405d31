// The state the stage tests start from, and stage files of older data versions built by hand.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "stagedata/stageload.h"
#include "support/bytes.h"
#include "support/definition_fixture.h"
#include "support/closerequests.h"
#include "support/stage_builder.h"
#include "support/test_logs.h"

// The definitions' state (database, palettes), new stages in g_StageData and g_PlayStageData, a
// blank hero, a main window that collects close requests, both logs on, message boxes recorded.
class StageTest : public DefinitionTest {
 protected:
  void SetUp() override {
    DefinitionTest::SetUp();
    ResetStages();
    StartTestLogs();
  }
  void TearDown() override {
    StopTestLogs();
    ResetStages();
    DefinitionTest::TearDown();
  }
  static void ResetStages() {
    for (cStageData* stage : {&g_StageData, &g_PlayStageData}) {
      stage->Reset();
      stage->m_vVarName.clear();
      stage->m_strPath.clear();
      stage->m_bFindNumbered = 0;
      stage->m_bLoadDone = 0;
    }
    g_HeroCharaData = cCharaData();
  }
};

// A stage file as a program of an older data version wrote it. The settings are those the version
// stores, setting n holding n (the doubles n + 0.5); then the result lines, five area records whose
// switches are set, empty palette and placed lists, one layer moving by itself horizontally with rate
// 2.5, `varNames` blank variable names and, from version 173 on, the trailer unless left out.
struct OldStageFile {
  uint32_t version;
  std::vector<int32_t> resultLines{1, 1, 1, 1};
  uint32_t varNames = 0;
  bool trailer = true;

  // The first version that stores setting n (1-98).
  static uint32_t SettingFrom(int n) {
    switch (n) {
      case 25: return 166;
      case 26: return 199;
      case 30: return 183;
      case 31: return 184;
      case 33: return 225;
      case 42: case 43: case 50: case 51: case 66: case 67: case 72: case 73: return 155;
      case 36: case 37: case 38: case 39: case 48: case 49: case 52: case 56:
      case 60: case 61: case 62: case 63: case 70: case 71: return 200;
      default: return 0;
    }
  }
  static bool IsDouble(int n) { return n == 21 || (n >= 88 && n <= 92); }

  std::vector<uint8_t> Bytes() const {
    ByteWriter w;
    w.U32(version);
    uint32_t stored = 0;
    for (int n = 1; n <= 98; ++n) stored += SettingFrom(n) <= version;
    w.U32(stored);
    for (int n = 1; n <= 98; ++n) {
      if (SettingFrom(n) > version) continue;
      if (IsDouble(n)) w.F64(n + 0.5);
      else w.I32(n);
    }
    w.U32(1).Str("Old");
    w.I32(static_cast<int32_t>(resultLines.size()));
    for (int32_t line : resultLines) w.I32(line);
    for (int area = 0; area < 5; ++area) {
      w.U32(8);
      for (int i = 0; i < 8; ++i) w.I32(i < 4 ? 1 : 2);
      w.U32(0);
    }
    for (int list = 0; list < 6; ++list) w.U32(0);
    // The layer: show, fill, colour, pass, rates, auto switches, [speeds,] offsets; its picture.
    w.U32(1).U32(version >= 876 ? 12 : 10).I32(1).I32(0).I32(16).I32(0).F64(2.5).F64(0.5).I32(1).I32(0);
    if (version >= 876) w.F64(0).F64(0);
    w.F64(0).F64(0).U32(1).Str("");
    w.U32(varNames);
    for (uint32_t i = 0; i < varNames; ++i) w.U32(0).U32(1).Str("");
    if (version > 172 && trailer) w.I32(kStageTrailer);
    return w.bytes;
  }
};
