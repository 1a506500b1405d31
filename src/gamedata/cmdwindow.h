// Drawing of the menu command windows and the boxes of system texts, in font 1 of g_Font.
#pragma once
#include "gamedata/cmd.h"
#include "gfx/records.h"

// The window of the enabled commands with its top-left at (x, y): each label at (x + 16, y + 16 x row),
// the first column left free for the cursor. Nothing when no enabled command has a label.
void DrawCmdWindow(DDSURFACEDATA* lpSD, int x, int y, const cCmdList& list);
// count system texts from first in one box on BackBuffer, one per line, each after a blank when the
// box keeps a cursor column. Nothing when count is 0 or less.
void DrawTextBox(int x, int y, int first, int count, int cursorColumn);
