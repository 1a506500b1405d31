// The main window's menu of zoom sizes and its saved placement, through whole runs of the program: the
// menu opens as a right click on the picture opens it, a script picks its entries, and the window's
// place is read back from the program and from "user_data\Window.dat".
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gamefolder/gamefolder.h"
#include "platform/video/display.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/menu.h"
#include "shell/wndplacement.h"
#include "wholegame/wholegame_fixture.h"

namespace {

struct MenuEntry {
  std::string text;
  bool checked;
  bool operator==(const MenuEntry&) const = default;
};
void PrintTo(const MenuEntry& e, std::ostream* os) { *os << e.text << (e.checked ? " (checked)" : ""); }

class WindowTest : public WholeGameTest {
 protected:
  void SetUp() override {
    WholeGameTest::SetUp();
    GameFolder demo = DemoGame();
    // A resizable window of the Direct3D back end: its size is kept with its place.
    demo.systemIni = "WindowMode=2\r\nDirect3D=1\r\n";
    ASSERT_TRUE(WriteGameFolder(demo));
  }
  void TearDown() override {
    video::test::ResetMachine();
    WholeGameTest::TearDown();
  }
  static void SavePlacement(int x, int y, int width, int height) {
    cWndPlacement place;
    place.m_nX = x;
    place.m_nY = y;
    place.m_nWidth = width;
    place.m_nHeight = height;
    ASSERT_TRUE(place.Save("user_data\\Window.dat"));
  }
  static cWndPlacement SavedPlacement() {
    cWndPlacement place;
    EXPECT_TRUE(place.Load("user_data\\Window.dat"));
    return place;
  }
  // A run that opens the window's menu at frame 5, reads its entries and then takes `step` in it
  // (a click on an entry, or Esc); the window's client area on the desktop is read at frame 20.
  struct MenuRun {
    std::vector<MenuEntry> entries;
    RECT window{};
  };
  MenuRun RunWithMenu(const dlg::ScriptStep& step) {
    MenuRun out;
    HeadlessRun run;
    run.frameLimit = 30;
    run.onFrame = [&out](int frame) {
      if (frame == 5) PostMessage(g_hMainWnd, WM_SYSCOMMAND, SC_MOUSEMENU, (40 << 16) | 30);
      if (frame == 20) {
        RECT client{};
        GetClientRect(g_hMainWnd, &client);
        POINT origin{0, 0};
        ClientToScreen(g_hMainWnd, &origin);
        out.window = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
      }
    };
    dlg::ScriptStep look;
    look.kind = dlg::ScriptStep::Call;
    look.call = [&out](HWND menu) {
      for (const dlg::ControlView& c : dlg::ViewControls(menu)) out.entries.push_back({c.text, c.checked != 0});
    };
    run.dialogSteps = {look, step};
    EXPECT_EQ(run.Run(), 0);
    return out;
  }
  static dlg::ScriptStep Click(int position) {
    dlg::ScriptStep click;
    click.kind = dlg::ScriptStep::Click;
    click.id = kPopupMenuFirstItem + position;
    return click;
  }
  static dlg::ScriptStep Escape() {
    dlg::ScriptStep esc;
    esc.kind = dlg::ScriptStep::Key;
    esc.vk = VK_ESCAPE;
    return esc;
  }
};

TEST_F(WindowTest, TheMenuListsTheSizesThatFitTheWorkArea) {
  struct Case {
    int width, height;
    std::vector<std::string> sizes;
  };
  const Case cases[] = {
      {1920, 1080, {"100% (640*480)", "200% (1280*960)"}},
      {1024, 768, {"100% (640*480)"}},
      {2600, 1940, {"100% (640*480)", "200% (1280*960)", "300% (1920*1440)", "400% (2560*1920)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    video::test::SetDesktop(c.width, c.height, 32);
    std::vector<MenuEntry> want;
    for (const std::string& size : c.sizes) want.push_back({size, size == "100% (640*480)"});
    want.push_back({"全画面表示", false});
    EXPECT_EQ(RunWithMenu(Escape()).entries, want);
  }
}

TEST_F(WindowTest, TwoHundredPercentNearTheRightEdgeMovesLeftAndTheSizeSurvivesARestart) {
  // Saved beyond the right edge: the window opens on the work area, against its right edge.
  SavePlacement(1800, 100, 640, 480);
  MenuRun first = RunWithMenu(Click(1));
  ASSERT_EQ(first.entries.size(), 3u);
  EXPECT_EQ(first.entries[1].text, "200% (1280*960)");
  EXPECT_EQ(first.window.left, 640) << "1280 + 320 - 640 would end past 1920";
  EXPECT_EQ(first.window.top, 100);
  EXPECT_EQ(first.window.right - first.window.left, 1280);
  EXPECT_EQ(first.window.bottom - first.window.top, 960);
  cWndPlacement saved = SavedPlacement();
  EXPECT_EQ(saved.m_nX, 640);
  EXPECT_EQ(saved.m_nY, 100);
  EXPECT_EQ(saved.m_nWidth, 1280);
  EXPECT_EQ(saved.m_nHeight, 960);

  // The next start opens where it was, at that size, with 200 % checked.
  MenuRun second = RunWithMenu(Escape());
  EXPECT_EQ(second.window.left, 640);
  EXPECT_EQ(second.window.top, 100);
  EXPECT_EQ(second.window.right - second.window.left, 1280);
  EXPECT_EQ((std::vector<MenuEntry>{second.entries.begin(), second.entries.end()}),
            (std::vector<MenuEntry>{{"100% (640*480)", false}, {"200% (1280*960)", true}, {"全画面表示", false}}));
}

TEST_F(WindowTest, TheSavedPlaceIsUsedWithinTheWorkArea) {
  struct Case {
    int x, y;
    int wantX, wantY;
  };
  for (const Case& c : {Case{100, 50, 100, 50}, Case{1700, 900, 1280, 600}}) {
    SCOPED_TRACE(c.x);
    SavePlacement(c.x, c.y, 640, 480);
    MenuRun run = RunWithMenu(Escape());
    EXPECT_EQ(run.window.left, c.wantX);
    EXPECT_EQ(run.window.top, c.wantY);
    cWndPlacement saved = SavedPlacement();
    EXPECT_EQ(saved.m_nX, c.wantX);
    EXPECT_EQ(saved.m_nY, c.wantY);
  }
}

}  // namespace
