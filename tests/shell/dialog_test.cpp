// The window base's geometry, the edit limits, the control bindings and the key routing of dialogs,
// driven through the headless dialog script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "shell/dialog.h"
#include "shell/hook.h"
#include "shell/wnd.h"
#include "dialog_script.h"
#include "platform/video/window.h"

using namespace script;

namespace {

// ---- window geometry ----

class WndGeometryTest : public ::testing::Test {
 protected:
  void TearDown() override { dlg::ResetForTest(); }
};

// A window of the given outer size in the dialogs' screen.
void MakeWindow(cWnd& w, int width, int height) {
  w.m_hWnd = CreateWindowStandIn("TestWnd");
  SetWindowPos(w.m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER);
  w.RecalcMetrics();
}

TEST_F(WndGeometryTest, PlaceCentreAndClamp) {
  struct Case {
    const char* name;
    int screenW, screenH, w, h;
    int placeX, placeY;
    bool centerOnScreen;
    int wantX, wantY;
  };
  const Case cases[] = {
      {"explicit position clamped to the work area", 1024, 768, 300, 200, -5, 900, false, 0, 568},
      {"explicit position inside", 1024, 768, 300, 200, 10, 20, false, 10, 20},
      {"centred on the desktop", 1280, 1024, 641, 480, -1000, -1000, true, 319, 272},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg::SetScreenAreaForTest(c.screenW, c.screenH);
    cWnd w;
    MakeWindow(w, c.w, c.h);
    w.m_nPlaceX = c.placeX;
    w.m_nPlaceY = c.placeY;
    if (c.centerOnScreen) w.CenterOnScreen();
    else w.Place();
    RECT r{};
    GetWindowRect(w.m_hWnd, &r);
    EXPECT_EQ(r.left, c.wantX);
    EXPECT_EQ(r.top, c.wantY);
    EXPECT_EQ(w.m_nX, c.wantX);
    EXPECT_EQ(r.right - r.left, c.w);
    DestroyWindowStandIn(w.m_hWnd);
  }
}

TEST_F(WndGeometryTest, PlaceCentresOverTheOwnerAndDoesNothingWithoutAPosition) {
  cWnd owner, child;
  MakeWindow(owner, 400, 300);
  SetWindowPos(owner.m_hWnd, nullptr, 100, 50, 0, 0, SWP_NOSIZE);
  video::SetWindowClient(owner.m_hWnd, 100, 50, 400, 300);
  MakeWindow(child, 200, 100);
  child.Place();  // no owner, no parent, no position: stays
  RECT r{};
  GetWindowRect(child.m_hWnd, &r);
  EXPECT_EQ(r.left, 0);
  child.m_pOwnerWnd = &owner;
  child.m_bCenter = 1;
  child.Place();
  GetWindowRect(child.m_hWnd, &r);
  EXPECT_EQ(r.left, 100 + (400 - 200) / 2);
  EXPECT_EQ(r.top, 50 + (300 - 100) / 2);
  DestroyWindowStandIn(owner.m_hWnd);
  DestroyWindowStandIn(child.m_hWnd);
}

class NestedCommandWnd : public cWnd {
 public:
  void OnCommand(WPARAM wParam, LPARAM) override {
    commands.push_back(static_cast<int>(wParam));
    if (wParam == 1) inner = DefProc(m_hWnd, WM_COMMAND, 2, 0);
  }
  std::vector<int> commands;
  int inner = -1;
};

TEST_F(WndGeometryTest, ACommandInsideACommandIsNotHandled) {
  NestedCommandWnd w;
  w.m_hWnd = CreateWindowStandIn("TestWnd");
  EXPECT_EQ(w.DefProc(w.m_hWnd, WM_COMMAND, 1, 0), 1);
  EXPECT_EQ(w.inner, 0);
  EXPECT_EQ(w.commands, (std::vector<int>{1}));
  EXPECT_EQ(w.DefProc(w.m_hWnd, WM_COMMAND, 3, 0), 1);  // the guard was cleared
  EXPECT_EQ(w.commands, (std::vector<int>{1, 3}));
  DestroyWindowStandIn(w.m_hWnd);
}

TEST_F(WndGeometryTest, MousePressAndReleaseFollowTheSharedPreviousState) {
  ResetMouseTrackingForTest();
  cWnd a, b;
  MakeWindow(a, 100, 100);
  MakeWindow(b, 100, 100);
  SetCursorPos(10, 10);
  SetKeyStateStandIn(VK_LBUTTON, true);
  a.TrackMouse(0, 7);
  EXPECT_EQ(a.m_Mouse.bLeftPressed, 1);
  b.TrackMouse(0, 7);  // the other window sees the button already down
  EXPECT_EQ(b.m_Mouse.bLeftPressed, 0);
  EXPECT_EQ(b.m_Mouse.bLeft, 1);
  SetKeyStateStandIn(VK_LBUTTON, false);
  a.TrackMouse(0, 7);
  EXPECT_EQ(a.m_Mouse.bLeftReleased, 1);
  ResetKeyStateStandIn();
  DestroyWindowStandIn(a.m_hWnd);
  DestroyWindowStandIn(b.m_hWnd);
}

// ---- edit limits ----

TEST(EditLimits, Table) {
  struct Case {
    const char* name;
    std::string text;
    int selStart, selEnd;
    std::string prev;
    int lineLen, maxLines, dbcs;
    bool initial, backspace;
    std::string want;
    int wantStart, wantEnd;
  };
  const Case cases[] = {
      {"a fourth full-width character is refused, the caret at the end", "あいうえ", 8, 8, "あいう", 3, 1, 1, false,
       false, "あいう", 6, 6},
      {"three full-width characters fit", "あいう", 6, 6, "あい", 3, 1, 1, false, false, "あいう", 6, 6},
      {"an initial fill of five keeps three", "abcde", 0, 0, "abcde", 3, 1, 1, true, false, "abc", 0, 0},
      {"wrapping runs the overflow into a new line", "abcdef", 6, 6, "abcde", 5, 3, 1, false, false, "abcde\r\nf", 8,
       8},
      {"wrapping joins the overflow with the next line", "abcdef\r\ngh", 6, 6, "abcde\r\ngh", 5, 3, 1, false, false,
       "abcde\r\nfgh", 8, 8},
      {"the backspace join is refused when the previous line is full", "abcdefg", 5, 5, "abcde\r\nfg", 5, 3, 1, false,
       true, "abcde\r\nfg", 5, 5},
      {"the backspace join of a short line is taken", "abcfg", 3, 3, "abc\r\nfg", 5, 3, 1, false, true, "abcfg", 3,
       3},
      {"a selection on a line feed moves on", "ab\r\ncd", 3, 3, "ab\r\ncd", 5, 3, 1, false, false, "ab\r\ncd", 4, 4},
      {"both limits zero or less: unchanged", "abcdefgh", 8, 8, "", -1, 0, 1, false, false, "abcdefgh", 8, 8},
      {"byte counting without double-byte", "あい", 4, 4, "あ", 3, 1, 0, false, false, "あ", 2, 2},
      {"a trail byte 0x5C stays with its lead byte", "ソソソソ", 8, 8, "ソソソ", 3, 1, 1, false, false, "ソソソ", 6, 6},
      {"half-width katakana counts one byte", "ｱｲｳ", 3, 3, "ｱｲ", 3, 1, 1, false, false, "ｱｲｳ", 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditLimitResult r =
        ApplyEditLimits(c.text, c.selStart, c.selEnd, c.prev, c.lineLen, c.maxLines, c.dbcs, c.initial, c.backspace);
    EXPECT_EQ(r.text, c.want);
    EXPECT_EQ(r.selStart, c.wantStart);
    EXPECT_EQ(r.selEnd, c.wantEnd);
  }
}

// ---- the framework over a dialog of its own ----

constexpr int kTestDlg = 901;

// A control that records the keys the dialog hands to its controls.
class cKeyLog : public cCtrl {
 public:
  void OnKeyDown(int key, LPARAM, int ctrl) override { keys.push_back({key, ctrl}); }
  std::vector<std::pair<int, int>> keys;
};

// A control whose DataToControl reads every control back, as a binding loop would.
class cReadBack : public cCtrl {
 public:
  void DataToControl() override { m_pDlg->ControlsToData(); }
};

class cTestDlg : public cDialog {
 public:
  cTestDlg() {
    Create(kTestDlg, nullptr, 1, &g_WndGroup);
    s_pOpen = this;
    m_pfnProc = &DlgProc;
    SetLayout(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  }
  ~cTestDlg() override { s_pOpen = nullptr; }
  static INT_PTR DlgProc(HWND h, UINT m, WPARAM w, LPARAM l) { return Dispatch(s_pOpen, h, m, w, l); }
  void OnInitDialog() override {
    cDialog::OnInitDialog();
    edit.Bind(this, cEditBind{10, &name, 4, 3, 1, 1});
    check.Bind(this, 11, &flag);
    on.Bind(this, 12, &mode, 1);
    off.Bind(this, 13, &mode, 0);
    log.Attach(this, 14);
    if (readBack) {
      back.Attach(this, 14);
      m_vCtrl.push_back(&back);  // first: it reads the controls before they show the data
    }
    for (cCtrl* c : std::vector<cCtrl*>{&edit, &check, &on, &off, &log}) m_vCtrl.push_back(c);
    DataToControls();
    m_bInited = 1;
  }
  void OnCommand(WPARAM wParam, LPARAM lParam) override {
    cDialog::OnCommand(wParam, lParam);
    if (LOWORD(wParam) == 1000) {
      ControlsToData();
      End(1);
    }
  }
  cEditCtrl edit;
  cCheckBox check;
  cRadioButton on, off;
  cKeyLog log;
  cReadBack back;
  bool readBack = false;
  std::string name = "ab";
  int flag = 0;
  int mode = 1;
  static cTestDlg* s_pOpen;
};
cTestDlg* cTestDlg::s_pOpen = nullptr;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dlg::ResetForTest();
    cHook::ResetForTest();
    msgbox::Reset();
    msgbox::SetHeadless(true);
    RegisterDialogTemplate(DlgTemplate{kTestDlg, true, false, nullptr, 120, 80,
                                       {{10, DlgCtl::Edit, "", 5, 5, 40, 12},
                                        {11, DlgCtl::Check, "flag", 5, 20, 40, 10},
                                        {12, DlgCtl::Radio, "on", 5, 32, 30, 10},
                                        {13, DlgCtl::Radio, "off", 40, 32, 30, 10},
                                        {14, DlgCtl::Static, "", 5, 45, 40, 10},
                                        {1000, DlgCtl::DefButton, "OK", 5, 60, 40, 14}}});
  }
  void TearDown() override {
    dlg::ResetForTest();
    cHook::ResetForTest();
    ResetKeyStateStandIn();
    msgbox::Reset();
  }
};

TEST_F(DialogTest, BindingsShowTheDataAndWriteTheInputBack) {
  for (int mode : {1, 0}) {
    SCOPED_TRACE(mode);
    cTestDlg d;
    d.mode = mode;
    d.flag = 1;
    int shownOn = -1, shownOff = -1, shownFlag = -1;
    dlg::PushSteps({Look([&](HWND h) {
                      shownOn = View(h, 12).checked;
                      shownOff = View(h, 13).checked;
                      shownFlag = View(h, 11).checked;
                    }),
                    Click(mode == 1 ? 13 : 12), Click(11), Click(1000)});
    EXPECT_EQ(d.DoModal(0), 1);
    EXPECT_EQ(shownOn, mode == 1 ? 1 : 0);
    EXPECT_EQ(shownOff, mode == 1 ? 0 : 1);
    EXPECT_EQ(shownFlag, 1);
    EXPECT_EQ(d.mode, mode == 1 ? 0 : 1);  // the other radio's index
    EXPECT_EQ(d.flag, 0);
  }
}

TEST_F(DialogTest, TheLoadingGuardKeepsControlToDataSilent) {
  cTestDlg d;
  d.readBack = true;
  d.name = "xy";
  d.flag = 1;
  d.mode = 0;
  dlg::PushSteps({Click(1000)});
  EXPECT_EQ(d.DoModal(0), 1);
  // Had the read-back during DataToControls written, the controls' defaults would have replaced these.
  EXPECT_EQ(d.name, "xy");
  EXPECT_EQ(d.flag, 1);
  EXPECT_EQ(d.mode, 0);
}

TEST_F(DialogTest, DoModalWhileOpenGivesZeroAndCloseGivesZero) {
  cTestDlg d;
  int nested = -1;
  dlg::PushSteps({Look([&](HWND) { nested = d.DoModal(0); }), Close()});
  EXPECT_EQ(d.DoModal(0), 0);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(d.m_hWnd, nullptr);
  EXPECT_FALSE(cHook::IsInstalled());  // removed by the dialog that installed it
}

TEST_F(DialogTest, TypingGoesThroughTheEditLimits) {
  cTestDlg d;
  d.name = "";
  std::string shown;
  int caret = -1;
  dlg::PushSteps({Type("a"), Type("b"), Type("c"), Type("d"), Look([&](HWND h) {
                    shown = View(h, 10).text;
                    caret = View(h, 10).selStart;
                  }),
                  Key(VK_RETURN)});
  EXPECT_EQ(d.DoModal(0), 1);
  EXPECT_EQ(shown, "abc");
  EXPECT_EQ(caret, 3);
  EXPECT_EQ(d.name, "abc");
}

TEST_F(DialogTest, PassKeysReachTheFocusedEditAndEveryControlWithTheCtrlFlag) {
  cTestDlg d;
  d.name = "abc";
  int caret = -1;
  dlg::PushSteps({Key(VK_END), Key(VK_LEFT), KeyDown(VK_CONTROL), Key('X'), KeyUp(VK_CONTROL),
                  Look([&](HWND h) { caret = View(h, 10).selStart; }), Click(1000)});
  EXPECT_EQ(d.DoModal(0), 1);
  EXPECT_EQ(caret, 2);  // the edit took the Left key
  // End is copied as WM_KEYDOWN, Left comes through WMU_HOOKKEY; Ctrl is held for X.
  std::vector<std::pair<int, int>> want{{VK_END, 0}, {VK_LEFT, 0}, {VK_CONTROL, 1}, {'X', 1}};
  EXPECT_EQ(d.log.keys, want);
  EXPECT_EQ(cHook::CtrlHeld(), 0);
}

TEST_F(DialogTest, EnterDuringACompositionGoesToTheInputMethodOnly) {
  cTestDlg d;
  d.name = "";
  bool open = false;
  std::string shown;
  dlg::PushSteps({Preedit(U8(u8"あ")), Key(VK_RETURN), Look([&](HWND h) {
                    open = h != nullptr;
                    shown = View(h, 10).text;
                  }),
                  Click(1000)});
  EXPECT_EQ(d.DoModal(0), 1);
  EXPECT_TRUE(open);          // Enter did not press OK
  EXPECT_EQ(shown, "あ");      // it committed the composition
  EXPECT_TRUE(d.log.keys.empty());  // and no copy reached the dialog
  EXPECT_EQ(d.name, "あ");
}

TEST_F(DialogTest, TextWithoutACodePageFormIsRefused) {
  cTestDlg d;
  d.name = "";
  dlg::PushSteps({Type(U8(u8"a😀b")), Click(1000)});
  EXPECT_EQ(d.DoModal(0), 1);
  EXPECT_EQ(d.name, "ab");
}

TEST_F(DialogTest, DlgItemStringKeepsMaximumLessOneBytes) {
  cTestDlg d;
  std::string got;
  dlg::PushSteps({Look([&](HWND h) {
                    SetDlgItemString(h, 14, "abcdef");
                    GetDlgItemString(h, 14, got, 4);
                  }),
                  Close()});
  d.DoModal(0);
  EXPECT_EQ(got, "abc");
}

}  // namespace
