// Whole-game tests: the headless runner's fixture (a fresh game folder, the game-wide state as at
// program start) and key scripts written as presses and holds.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "support/headless_run.h"

class WholeGameTest : public HeadlessRunTest {
 protected:
  // Keys pressed at one input poll each.
  static void Press(HeadlessRun& run, std::initializer_list<std::pair<int, int>> presses) {
    for (auto [poll, vk] : presses) run.keysAtPoll[poll].insert(vk);
  }
  // A key held from one poll to another (inclusive).
  static void Hold(HeadlessRun& run, int first, int last, int vk) {
    for (int poll = first; poll <= last; ++poll) run.keysAtPoll[poll].insert(vk);
  }
};
