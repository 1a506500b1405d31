// The start-up dialog on a display (SDL's dummy video driver): it comes before the main window is
// shown, shows the window for its own time over a plain background, and leaves it hidden until the
// program shows it.
#include <gtest/gtest.h>

#include "gamedata/systemdata.h"
#include "platform/video/sdl_presenter.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/sdlpump.h"
#include "shell/appdialogs.h"
#include "shell/hook.h"
#include "shell/startupsetting.h"
#include "support/tempdir.h"

namespace {

using StartupDisplayTest = TempDirTest;

TEST_F(StartupDisplayTest, TheDialogShowsTheHiddenWindowForItsTimeOnly) {
  dlg::ResetForTest();
  g_StartupSetting = cStartupSetting();
  g_SystemData.m_strTitle = "Game";
  HWND main = CreateWindowStandIn("StartupMain");
  ASSERT_TRUE(OpenSdlMainWindow(main, 640, 480));
  video::SdlPresenter* presenter = SdlMainPresenter();
  ASSERT_NE(presenter, nullptr);
  PumpSdlMainWindow();
  EXPECT_FALSE(presenter->IsShown());  // a new main window is hidden

  presenter->SetCapture(true);
  dlg::AttachDisplay(true);
  dlg::test::PushDisplayKey(VK_RETURN, true);  // "ゲーム開始", the default button
  dlg::test::PushDisplayKey(VK_RETURN, false);
  EXPECT_EQ(RunAppStartupDialog(), 1);

  // It was drawn in the window over a plain background: no game frame exists yet.
  video::Frame shot = presenter->LastCapture();
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  const uint32_t background = shot.At(2, 2);
  for (auto [x, y] : {std::pair{630, 5}, std::pair{5, 470}, std::pair{630, 470}, std::pair{60, 240}})
    EXPECT_EQ(shot.At(x, y), background) << x << "," << y;
  int dialog = 0;
  for (int y = 110; y < 370; ++y)
    for (int x = 140; x < 460; ++x) dialog += shot.At(x, y) != background;
  EXPECT_GT(dialog, 1000);

  // Hidden again afterwards, until the program shows the window.
  PumpSdlMainWindow();
  EXPECT_FALSE(presenter->IsShown());
  ShowWindow(main, SW_SHOWNORMAL);
  PumpSdlMainWindow();
  EXPECT_TRUE(presenter->IsShown());
  ShowWindow(main, SW_HIDE);
  PumpSdlMainWindow();
  EXPECT_FALSE(presenter->IsShown());

  dlg::DetachDisplay();
  CloseSdlMainWindow();
  DestroyWindowStandIn(main);
  g_SystemData = cSystemData();
  g_StartupSetting = cStartupSetting();
  cHook::ResetForTest();
  dlg::ResetForTest();
}

}  // namespace
