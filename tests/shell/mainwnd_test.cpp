// The program entry's early paths, the main window's procedure and the game loop, headless.
#include <gtest/gtest.h>

#include <string>

#include "core/mainwnd.h"
#include "core/thread.h"
#include "gamedata/systemini.h"
#include "platform/time/clock.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "shell/appinit.h"
#include "shell/mainwnd.h"
#include "shell/winmain.h"
#include "sound/effects.h"
#include "stagedata/flow.h"
#include "support/tempdir.h"

namespace {

class MainWndTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    SetMutexFolderStandIn(dir_.c_str());
    msgbox::Reset();
    UnregisterClassesStandIn();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &cMainWnd::StaticProc;
    wc.lpszClassName = "TestMain";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    hwnd_ = CreateWindowExA(0, "TestMain", "", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    g_hMainWnd = hwnd_;
    g_bWindowed = 0;
    g_bEditorLaunched = 0;
    g_bFreeStagePlay = 0;
    g_bAppActive = 1;
    g_SystemIni.WindowMode = 0;
    SetRequestDialogRunner(nullptr);
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindowStandIn(hwnd_);
    g_hMainWnd = nullptr;
    g_MainWnd.m_hWnd = nullptr;
    g_bAppActive = 1;
    cApp::m_nScene = 0;
    SetRequestDialogRunner(nullptr);
    UnregisterClassesStandIn();
    SetMutexFolderStandIn("");
    msgbox::Reset();
    Drain();
    TempDirTest::TearDown();
  }
  // The messages waiting for this thread, oldest first.
  static std::vector<UINT> Drain() {
    std::vector<UINT> got;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) got.push_back(m.message);
    return got;
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return cMainWnd::StaticProc(hwnd_, msg, wParam, lParam);
  }
  HWND hwnd_ = nullptr;
};

TEST_F(MainWndTest, ActivationEscapeAndABadSoundIndex) {
  Send(WM_ACTIVATEAPP, 0);
  EXPECT_EQ(g_bAppActive.load(), 0);
  Send(WM_ACTIVATEAPP, 1);
  EXPECT_EQ(g_bAppActive.load(), 1);
  Drain();
  Send(WM_KEYDOWN, 'A');
  EXPECT_TRUE(Drain().empty());
  Send(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_CLOSE}));
  g_vSound.clear();
  Send(WMU_PLAYSOUND, 3);  // no such sound: the index failure closes the program
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_CLOSE}));
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
}

TEST_F(MainWndTest, FileRequestsSetTheirFlagsAndAFailedLoadCloses) {
  struct Case {
    int answer;
    int wantResult;
    std::vector<UINT> wantPosted;
  };
  for (const Case& c : {Case{0, 0, {}}, Case{1, 1, {WM_CLOSE}}}) {
    static int answer;
    answer = c.answer;
    SetRequestDialogRunner([](UINT request, WPARAM, std::string& path) {
      EXPECT_EQ(request, WMU_OPENREPLAY);
      path = "user_data\\rpl4\\missing.rpl4";
      return answer;
    });
    g_bRequestDone = 0;
    g_bRequestResult = 5;
    Send(WMU_OPENREPLAY);
    EXPECT_EQ(g_bRequestDone.load(), 1);
    EXPECT_EQ(g_bRequestResult.load(), c.wantResult);
    EXPECT_EQ(Drain(), c.wantPosted);
  }
  SetRequestDialogRunner(nullptr);
  g_bNameEntryDone = 0;
  Send(WMU_NAMEENTRY);
  EXPECT_EQ(g_bNameEntryDone.load(), 1);
}

TEST_F(MainWndTest, CloseAsksInAWindowOutsideTheTitleAndEndsOnlyThePauseLoopWhileItRuns) {
  g_bWindowed = 1;
  cApp::m_nScene = 5;
  msgbox::PushAnswer(IDNO);
  Send(WM_CLOSE);
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "終了しますか？\n");
  EXPECT_EQ(boxes[0].caption, "終了確認");
  EXPECT_TRUE(IsWindow(hwnd_)) << "No keeps the program";

  // The pause loop's thread gets the quit; the window stays.
  cScenePlay scene;
  g_pScenePlay = &scene;
  ASSERT_TRUE(thPause.Start(
      [](void*) -> unsigned {
        MSG m;
        for (;;) {
          if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE) && m.message == WM_QUIT) return 0;
          Sleep(1);
        }
      },
      nullptr));
  while (!PostThreadMessage(thPause.m_dwThreadId, WM_APP, 0, 0)) Sleep(1);
  msgbox::PushAnswer(IDYES);
  Send(WM_CLOSE);
  thPause.Wait();
  EXPECT_EQ(scene.m_bQuit, 1);
  EXPECT_TRUE(IsWindow(hwnd_));
  g_pScenePlay = nullptr;

  // Full screen: no question; the threads end and the window goes, which ends the message loop.
  g_bWindowed = 0;
  msgbox::TakeRecords();
  Send(WM_CLOSE);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
  EXPECT_FALSE(IsWindow(hwnd_));
  EXPECT_EQ(g_hMainWnd, nullptr);
  EXPECT_EQ(Drain(), (std::vector<UINT>{WM_QUIT}));
}

TEST_F(MainWndTest, TheGameLoopEndsOnItsQuitMessageWhileInactive) {
  g_bAppActive = 0;
  ASSERT_TRUE(thGame.Start(&GameLoop, nullptr));
  while (!PostThreadMessage(thGame.m_dwThreadId, WM_APP, 0, 0)) Sleep(1);
  thGame.Exit();
  EXPECT_EQ(thGame.m_hThread, nullptr);
  EXPECT_TRUE(Drain().empty()) << "a quit message ends it without a close";
}

// A window that cannot be shown.
bool NoWindow(HWND, int, int) { return false; }
void Nothing() {}

TEST_F(MainWndTest, ASecondStartAsksOnlyWithADisplayAndAWindowThatCannotBeShownEndsTheStart) {
  HANDLE first = CreateMutexA(nullptr, FALSE, SingleInstanceName().c_str());
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(GetLastError(), 0u);
  SetMainWindowOpener(&NoWindow, &Nothing, &Nothing);

  // Without a display nobody is asked: the start says why on standard error and ends.
  testing::internal::CaptureStderr();
  EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("not started"), std::string::npos);
  EXPECT_TRUE(msgbox::TakeRecords().empty());

  // With a display the user is asked; No ends the start.
  std::vector<std::string> asked;
  int answer = IDNO;
  msgbox::SetHeadless(false);
  msgbox::SetRouter([&](HWND, const char* text, const char* caption, UINT) {
    asked.push_back(std::string(caption) + ":" + text);
    return answer;
  });
  UnregisterClassesStandIn();
  EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].rfind("二重起動:", 0), 0u);

  // Yes, and the holder is no other copy of the program (it is this process): a start beside it,
  // which here fails at the window.
  answer = IDYES;
  UnregisterClassesStandIn();
  EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), kStartFailed);
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_NE(asked[2].find("ウインドウが生成出来ません！"), std::string::npos);
  msgbox::SetRouter(nullptr);
  msgbox::SetHeadless(true);
  ReleaseMutex(first);
  CloseMutexHandle(first);
  SetMainWindowOpener(nullptr, nullptr, nullptr);
}

}  // namespace
