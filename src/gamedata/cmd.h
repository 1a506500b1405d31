// Menu commands: a label and an enabled flag. A menu shows only its enabled commands, one per
// 16-pixel row, so a cursor row is turned into a command index. Command windows and text boxes are
// sized in characters, each in one 16-pixel cell.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/checked.h"
#include "core/record.h"

class cCmd;
using cCmdList = cCheckedVector<cCmd>;

class cCmd : public cDataRecord {
 public:
  cCmd();
  void RegisterFields(int version) override;

  // Number of enabled commands.
  static int GetEnableNum(const cCmdList& list);
  // Index of the row-th enabled command (rows count from 0); 0 after a debug error box when there
  // is no such command.
  static int GetCmdNum(int row, const cCmdList& list);

  int32_t m_bEnable = 1;
  std::string m_strLabel;
};

// The window of a command list: the window box, and per row the index of the command it shows. The
// first 16-pixel column is left free for the cursor; a label is drawn at (x + 16, y + 16 * row).
struct cCmdWindowLayout {
  bool bDraw = false;  // false when no enabled command has a label
  int nWidth = 0;
  int nHeight = 0;
  std::vector<int> vRowCmd;
};
cCmdWindowLayout LayoutCmdWindow(const cCmdList& list);
// The x at which the command window is centred on centreX.
int GetCmdWindowX(int centreX, const cCmdList& list);

// A box of count system texts from the first one, one line each, preceded by a blank when the box
// keeps a cursor column.
struct cTextBoxLayout {
  bool bDraw = false;  // false when count is 0 or less
  int nWidth = 0;
  int nHeight = 0;
  std::string strText;
};
cTextBoxLayout LayoutTextBox(int first, int count, int cursorColumn);
// The x at which the text box is centred on centreX.
int GetTextBoxX(int centreX, int first, int count, int cursorColumn);
