// Whole-game tests: a fresh game folder as the current folder, the single-instance mutex kept in it,
// and the game-wide state as at program start before and after each test.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/win/winapp.h"
#include "support/game_reset.h"
#include "support/headless_run.h"
#include "support/tempdir.h"

class WholeGameTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    SetMutexFolderStandIn(dir_.c_str());
    ResetGameGlobals();
  }
  void TearDown() override {
    ResetGameGlobals();
    SetMutexFolderStandIn("");
    TempDirTest::TearDown();
  }

  // Keys pressed at one input poll each.
  static void Press(HeadlessRun& run, std::initializer_list<std::pair<int, int>> presses) {
    for (auto [poll, vk] : presses) run.keysAtPoll[poll].insert(vk);
  }
  // A key held from one poll to another (inclusive).
  static void Hold(HeadlessRun& run, int first, int last, int vk) {
    for (int poll = first; poll <= last; ++poll) run.keysAtPoll[poll].insert(vk);
  }
};
