#include "gamedata/cmd.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "gamedata/systemdata.h"
#include "platform/win/msgbox.h"
#include "support/tempdir.h"

namespace {

cCmdList MakeCmds(std::initializer_list<std::pair<int, const char*>> cmds) {
  cCmdList list;
  for (const auto& [enable, label] : cmds) {
    cCmd c;
    c.m_bEnable = enable;
    c.m_strLabel = label;
    list.push_back(c);
  }
  return list;
}

}  // namespace

TEST(Cmd, NewCommandIsEnabledWithAnEmptyLabel) {
  cCmd c;
  EXPECT_EQ(c.m_bEnable, 1);
  EXPECT_EQ(c.m_strLabel, "");
}

TEST(Cmd, RowsMapToEnabledCommands) {
  const cCmdList list = MakeCmds({{1, "はじめから"}, {0, "つづきからはじめる"}, {1, "オプション"}});
  EXPECT_EQ(cCmd::GetEnableNum(list), 2);
  EXPECT_EQ(cCmd::GetCmdNum(0, list), 0);
  EXPECT_EQ(cCmd::GetCmdNum(1, list), 2);
  EXPECT_EQ(cCmd::GetCmdNum(2, list), 0);  // no third row
  EXPECT_EQ(cCmd::GetCmdNum(-1, list), 0);

  // The disabled, longer label does not widen the window.
  const cCmdWindowLayout layout = LayoutCmdWindow(list);
  EXPECT_TRUE(layout.bDraw);
  EXPECT_EQ(layout.nWidth, 96);
  EXPECT_EQ(layout.nHeight, 32);
  EXPECT_EQ(layout.vRowCmd, (std::vector<int>{0, 2}));
  EXPECT_EQ(GetCmdWindowX(320, list), 320 - 48);
}

class CmdErrorBox : public TempDirTest {};

TEST_F(CmdErrorBox, BadRowShowsABoxOnlyWhileTheDebugLogIsOn) {
  const cCmdList list = MakeCmds({{1, "A"}});
  msgbox::TakeRecords();
  EXPECT_EQ(cCmd::GetCmdNum(1, list), 0);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
  DebugLogInit(1, "debug.txt");
  EXPECT_EQ(cCmd::GetCmdNum(1, list), 0);
  auto boxes = msgbox::TakeRecords();
  ResetLogsForTest();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "cCmd::GetCmdNum 番号が不正です！");
}

TEST(Cmd, WindowWidthCountsCharacters) {
  const struct {
    const char* label;
    int chars;
  } cases[] = {
      {"BGM", 3}, {"オプション", 5}, {"ab\nあ", 3}, {"ｺﾞｰ", 3}, {"", 0},
  };
  for (const auto& c : cases) {
    const cCmdList list = MakeCmds({{1, c.label}});
    const int width = c.chars ? (c.chars + 1) * 16 : 0;
    EXPECT_EQ(LayoutCmdWindow(list).nWidth, width) << c.label;
    EXPECT_EQ(GetCmdWindowX(320, list), 320 - width / 2) << c.label;
  }
}

TEST(Cmd, WindowOfOnlyEmptyLabelsIsNotDrawn) {
  const cCmdList list = MakeCmds({{1, ""}, {1, ""}, {0, "off"}});
  EXPECT_FALSE(LayoutCmdWindow(list).bDraw);
  EXPECT_EQ(GetCmdWindowX(320, list), 320);
}

TEST(TextBox, SizedByTheWidestTextAndTheCursorColumn) {
  // Texts 12 and 13 of new system data: 5 and 7 characters.
  ASSERT_EQ(g_SystemData.m_vText.At(12), "セーブする");
  EXPECT_EQ(GetTextBoxX(320, 12, 2, 1), 256);
  EXPECT_EQ(GetTextBoxX(320, 12, 2, 0), 264);

  cTextBoxLayout box = LayoutTextBox(12, 2, 1);
  EXPECT_TRUE(box.bDraw);
  EXPECT_EQ(box.nWidth, 128);
  EXPECT_EQ(box.nHeight, 32);
  EXPECT_EQ(box.strText, " セーブする\n やっぱりやめる\n");
  box = LayoutTextBox(10, 1, 0);
  EXPECT_EQ(box.nWidth, 112);
  EXPECT_EQ(box.strText, "ステージに挑む\n");
  EXPECT_FALSE(LayoutTextBox(12, 0, 1).bDraw);
}
