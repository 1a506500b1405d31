// The dialogs on a display: Dear ImGui over SDL's dummy video driver, fed by pushed SDL events.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gamedata/option.h"
#include "platform/video/sdl_presenter.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/menu.h"
#include "platform/win/msgbox.h"
#include "platform/win/sdlpump.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "shell/appdialogs.h"
#include "shell/appinit.h"
#include "shell/hook.h"
#include "shell/mainwnd.h"

namespace {

TEST(DialogDisplay, NameEntryDrawsOverTheFrozenFrameAndTakesTypedText) {
  dlg::ResetForTest();
  HWND main = CreateWindowStandIn("DisplayMain");
  ASSERT_TRUE(OpenSdlMainWindow(main, 640, 480));
  video::SdlPresenter* presenter = SdlMainPresenter();
  ASSERT_NE(presenter, nullptr);
  const uint32_t kBackground = 0xFF204060;
  video::Frame frame;
  frame.width = 640;
  frame.height = 480;
  frame.pixels.assign(640 * 480, kBackground);
  presenter->Present(frame);
  ASSERT_TRUE(presenter->Pump());
  presenter->SetCapture(true);
  dlg::AttachDisplay(true);

  cApp::m_nPlayMode = 5;
  g_OptionData.m_strRankName = "aaa";
  g_bWindowed = 1;
  // A frame that arrives while the dialog shows waits: the dialog stays over the frozen one.
  video::Frame later = frame;
  later.pixels.assign(640 * 480, 0xFFFF0000);
  presenter->Present(later);
  dlg::test::PushDisplayText("q");
  dlg::test::PushDisplayKey(VK_RETURN, true);
  dlg::test::PushDisplayKey(VK_RETURN, false);
  std::string unused;
  EXPECT_EQ(RunAppRequestDialog(WMU_NAMEENTRY, 0, unused), 1);
  EXPECT_EQ(g_OptionData.m_strRankName, "q");

  video::Frame shot = presenter->LastCapture();
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  // Away from the dialog (placed at (240, 220), 165 x 114) the frozen frame shows; inside, the dialog.
  for (auto [x, y] : {std::pair{5, 5}, std::pair{630, 470}, std::pair{200, 300}, std::pair{500, 250}})
    EXPECT_EQ(shot.At(x, y), kBackground) << x << "," << y;
  int differing = 0;
  for (int y = 222; y < 330; ++y)
    for (int x = 242; x < 400; ++x) differing += shot.At(x, y) != kBackground;
  EXPECT_GT(differing, 1000);

  // The quit question is a box in the same window: Enter takes Yes; Tab to No, then Enter, takes No.
  msgbox::Reset();
  dlg::test::PushDisplayKey(VK_TAB, true);
  dlg::test::PushDisplayKey(VK_RETURN, true);
  EXPECT_FALSE(QuitConfirm(main, 1));
  dlg::test::PushDisplayKey(VK_RETURN, true);
  EXPECT_TRUE(QuitConfirm(main, 0));
  // Esc answers No, also with the keyboard hook of the game's dialogs in place; an Esc still held
  // from the key that asked repeats into the box without answering it.
  cHook gameDialogHook;
  ASSERT_TRUE(gameDialogHook.Install(main, 0));
  dlg::test::PushDisplayKey(VK_ESCAPE, true);
  dlg::test::PushDisplayKey(VK_ESCAPE, false);
  EXPECT_FALSE(QuitConfirm(main, 0));
  dlg::test::PushDisplayKey(VK_ESCAPE, true, true);
  dlg::test::PushDisplayKey(VK_RETURN, true);
  EXPECT_TRUE(QuitConfirm(main, 0));
  EXPECT_TRUE(msgbox::TakeRecords().empty());  // no system box

  dlg::DetachDisplay();
  CloseSdlMainWindow();
  DestroyWindowStandIn(main);
  cApp::m_nPlayMode = 0;
  cHook::ResetForTest();
  dlg::ResetForTest();
}

TEST(DialogDisplay, APopupMenuClosesOnEscOrAClickBesideIt) {
  dlg::ResetForTest();
  HWND main = CreateWindowStandIn("DisplayMain");
  ASSERT_TRUE(OpenSdlMainWindow(main, 640, 480));
  dlg::AttachDisplay(true);
  HMENU menu = GetSystemMenu(main, FALSE);
  for (UINT id : {2u, 1u}) {
    char text[16];
    std::snprintf(text, sizeof text, "%u00%%", id);
    MENUITEMINFOA mii{};
    mii.fMask = MIIM_ID | MIIM_TYPE;
    mii.fType = MFT_STRING | MFT_RADIOCHECK;
    mii.wID = id;
    mii.dwTypeData = text;
    InsertMenuItemA(menu, 0, TRUE, &mii);
  }
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  dlg::test::PushDisplayKey(VK_ESCAPE, true);
  dlg::test::PushDisplayKey(VK_ESCAPE, false);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, main, nullptr), 0);
  dlg::test::PushDisplayClick(600, 450);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, main, nullptr), 0);
  GetSystemMenu(main, TRUE);
  dlg::DetachDisplay();
  CloseSdlMainWindow();
  DestroyWindowStandIn(main);
}

}  // namespace
