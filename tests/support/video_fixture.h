// A clean virtual machine for each test: default display and video memory, no windows' geometry,
// a virtual clock, a fresh headless presenter and one window, in a fresh current folder.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/time/clock.h"
#include "platform/video/clock.h"
#include "platform/video/display.h"
#include "platform/video/presenter.h"
#include "platform/video/window.h"
#include "platform/win/messages.h"
#include "support/tempdir.h"

class VideoTest : public TempDirTest {
 protected:
  std::unique_ptr<FakeClock> clock_;  // the program clock stands still unless a sleep moves it
  void SetUp() override {
    TempDirTest::SetUp();
    video::test::ResetMachine();
    video::test::ResetWindows();
    clock_ = std::make_unique<FakeClock>(0);
    presenter_ = std::make_shared<video::HeadlessPresenter>();
    video::SetPresenter(presenter_);
    hwnd_ = CreateWindowStandIn("VideoTest");
  }
  void TearDown() override {
    DestroyWindowStandIn(hwnd_);
    clock_.reset();
    video::SetPresenter(nullptr);
    video::test::ResetMachine();
    video::test::ResetWindows();
    TempDirTest::TearDown();
  }

  std::shared_ptr<video::HeadlessPresenter> presenter_;
  HWND hwnd_ = nullptr;
};
