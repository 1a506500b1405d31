#include "gamedata/cmd.h"

#include <algorithm>

#include "core/log.h"
#include "core/text.h"
#include "gamedata/systemdata.h"

namespace {
constexpr int kCell = 16;

}  // namespace

cCmd::cCmd() {
  RegisterFields(g_nDataVersion);
  Clear();
  m_bEnable = 1;
}

void cCmd::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_bEnable);
  AddString(&m_strLabel);
}

int cCmd::GetEnableNum(const cCmdList& list) {
  return static_cast<int>(std::count_if(list.begin(), list.end(), [](const cCmd& c) { return c.m_bEnable != 0; }));
}

int cCmd::GetCmdNum(int row, const cCmdList& list) {
  int enabled = 0;
  for (int i = 0; i < list.Size(); ++i) {
    if (list.At(i).m_bEnable && ++enabled == row + 1) return i;
  }
  DebugErrorBoxF("cCmd::GetCmdNum 番号が不正です！");
  return 0;
}

namespace {
// The widest label among the enabled commands, in characters.
int WidestEnabledLabel(const cCmdList& list) {
  int w = 0;
  for (const cCmd& c : list)
    if (c.m_bEnable) w = std::max(w, SjisCharCount(c.m_strLabel));
  return w;
}

int WidestText(int first, int count) {
  int w = 0;
  for (int i = first; i < first + count; ++i) w = std::max(w, SjisCharCount(g_SystemData.m_vText.At(i)));
  return w;
}
}  // namespace

cCmdWindowLayout LayoutCmdWindow(const cCmdList& list) {
  cCmdWindowLayout layout;
  int w = WidestEnabledLabel(list);
  if (w == 0) return layout;
  int n = cCmd::GetEnableNum(list);
  layout.bDraw = true;
  layout.nWidth = (w + 1) * kCell;
  layout.nHeight = n * kCell;
  for (int r = 0; r < n; ++r) layout.vRowCmd.push_back(cCmd::GetCmdNum(r, list));
  return layout;
}

int GetCmdWindowX(int centreX, const cCmdList& list) {
  int w = WidestEnabledLabel(list);
  if (w == 0) return centreX;
  return centreX - ((w + 1) * kCell) / 2;
}

cTextBoxLayout LayoutTextBox(int first, int count, int cursorColumn) {
  cTextBoxLayout layout;
  if (count <= 0) return layout;
  int c = cursorColumn ? 1 : 0;
  layout.bDraw = true;
  layout.nWidth = (WidestText(first, count) + c) * kCell;
  layout.nHeight = count * kCell;
  for (int i = first; i < first + count; ++i) {
    if (c) layout.strText += ' ';
    layout.strText += g_SystemData.m_vText.At(i);
    layout.strText += '\n';
  }
  return layout;
}

int GetTextBoxX(int centreX, int first, int count, int cursorColumn) {
  int c = cursorColumn ? 1 : 0;
  return centreX - ((WidestText(first, count) + c) * kCell) / 2;
}
