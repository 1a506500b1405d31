// A fresh folder that is the current folder for the life of the fixture, so that the game's
// relative paths land in it; removed afterwards.
#pragma once
#include <gtest/gtest.h>

#include <string>

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string dir_;
  std::string oldCwd_;
};
