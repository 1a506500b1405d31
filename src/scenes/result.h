// The result panel of a cleared stage as a layout: its window, the label and value of each shown row,
// and a mark for every ranking table where the result takes a place.
#pragma once
#include <cstdint>
#include <vector>

#include "core/checked.h"
#include "gamedata/panel.h"

constexpr int kAccessoryPicture = 50;  // "bmp\Accessory.bmp" of the fixed set

struct cResultPanel {
  bool m_bShown = false;  // some row is shown
  cPanelBox m_Window;
  std::vector<cPanelText> m_vText;  // label then value per row
  std::vector<int> m_vMarkY;        // the marks, all at the panel's x
};

// Rows shown: the stage's result line is on, and the game type offers the table or only this stage
// is played. Widths in characters: labels at least 1; values their digits, 8 for the play time.
cResultPanel LayoutResultPanel(int x, int y, const cCheckedVector<int32_t>& places);
