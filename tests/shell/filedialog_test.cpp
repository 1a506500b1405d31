// The file chooser wrappers over an 8-bit DirectDraw screen, and the message-box router.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/mainwnd.h"
#include "gfx/globals.h"
#include "platform/time/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/msgbox.h"
#include "shell/filedialog.h"
#include "shell/mainwnd.h"
#include "dialog_script.h"
#include "support/gfx_fixture.h"

using namespace script;

namespace {

class FileDialogPaletteTest : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    dlg::ResetForTest();
  }
  void TearDown() override {
    dlg::ResetForTest();
    GfxTest::TearDown();
  }
};

TEST_F(FileDialogPaletteTest, PaletteEntryZeroIsBlackWhileTheChooserShows) {
  ASSERT_TRUE(Start(kDirectDraw, 8, 1));
  for (int i = 0; i < 256; ++i) DDWorkPalette[i] = {static_cast<BYTE>(i), 40, 60, 0};
  PALETTEENTRY work0{10, 20, 30, 0};
  DDWorkPalette[0] = work0;
  lpDDPal->SetEntries(0, 0, 1, &work0);
  for (bool choose : {false, true}) {
    SCOPED_TRACE(choose);
    PALETTEENTRY during{1, 1, 1, 1};
    auto look = Look([&](HWND) { lpDDPal->GetEntries(0, 0, 1, &during); });
    char buf[260];
    int result;
    if (choose) {
      dlg::PushSteps({look, Type("new"), Click(IDOK)});
      buf[0] = 0;
      result = SaveFileDialog(nullptr, buf, "", "t", "f\0*.x\0", "x", 1);
    } else {
      dlg::PushSteps({look, Click(IDCANCEL)});
      result = OpenFileDialog(nullptr, buf, sizeof buf, "", "t", "f\0*.x\0", "x", 0, nullptr);
    }
    EXPECT_EQ(result, choose ? 1 : 0);
    EXPECT_EQ(during.peRed + during.peGreen + during.peBlue, 0);
    PALETTEENTRY after{};
    lpDDPal->GetEntries(0, 0, 1, &after);
    EXPECT_EQ(after.peRed, 10);
    EXPECT_EQ(after.peGreen, 20);
    EXPECT_EQ(after.peBlue, 30);
  }
}

// The window thread's procedure, with a look at the box records and the asker's answer around each
// message it serves.
struct RoutedBox {
  static inline std::atomic<int>* answer = nullptr;
  static inline int served = 0;
  static inline size_t recordsBefore = 0;
  static inline int answerBefore = -1;
  static inline DWORD thread = 0;
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const size_t before = msgbox::TakeRecords().size();
    const int answered = answer->load();
    const LRESULT r = cMainWnd::StaticProc(hwnd, msg, wParam, lParam);
    const std::vector<MessageBoxRecord> records = msgbox::TakeRecords();
    if (records.size() == 1 && records[0].text == "質問" && records[0].caption == "題") {
      ++served;
      recordsBefore = before;
      answerBefore = answered;
      thread = GetCurrentThreadId();
    }
    return r;
  }
};

TEST(MessageBoxRouter, ABoxFromAnotherThreadIsShownByTheWindowThread) {
  // Headless, whatever display the machine has: the routed box is answered from the script.
  msgbox::Reset();
  msgbox::PushAnswer(IDNO);
  HWND main = CreateWindowStandIn("RouterMain");
  SetWindowProcStandIn(main, &RoutedBox::Proc);
  g_hMainWnd = main;
  RouteMessageBoxesToMainWindow();
  std::atomic<int> answer{0};
  RoutedBox::answer = &answer;
  std::thread other([&] { answer = MessageBoxA(nullptr, "質問", "題", MB_YESNO); });
  while (answer.load() == 0) {
    MSG m;
    if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  other.join();
  // Nothing was shown or answered until the window thread served the box, which it showed itself.
  EXPECT_EQ(RoutedBox::served, 1);
  EXPECT_EQ(RoutedBox::recordsBefore, 0u);
  EXPECT_EQ(RoutedBox::answerBefore, 0);
  EXPECT_EQ(RoutedBox::thread, GetCurrentThreadId());
  EXPECT_EQ(answer.load(), IDNO);
  msgbox::SetRouter(nullptr);
  g_hMainWnd = nullptr;
  g_MainWnd.m_hWnd = nullptr;
  DestroyWindowStandIn(main);
  msgbox::Reset();
}

}  // namespace
