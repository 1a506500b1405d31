// What the menu scenes (title, world map, world-map menu, stage select, options) share: their frame
// input, their fades, the bitmaps they reload, their cursor pictures and the rules that start a game.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/win/types.h"

// The player's input of this frame with menu key repeat and one-shot presses of the mask's buttons.
void ReadMenuInput(int mask);
// The direction and button words of the player's input.
const uint16_t* MenuDir();
uint16_t MenuButtons();

// One step of the screen fade-in or fade-out at the application's fade speed; 1 when complete.
int MenuFadeInStep();
int MenuFadeOutStep();
// The end of a menu scene's fade-out: a black back buffer, the cursor stack reset (unless kept), and
// the switch to the next scene.
void FinishMenuFadeOut(int prevScene, bool resetCursor = true);

// Reloads the entries of the fixed bitmap set; a failure (already reported) closes the program.
void ReloadSceneBitmaps(std::initializer_list<int> entries);
void ReleaseSceneBitmaps(std::initializer_list<int> entries);
// Posts the close request to the main window.
void PostClose();

// A cell of "bmp\Accessory.bmp" (size x size from (sx, sy)) at (x, y) on the back buffer, keyed.
void DrawAccessoryCell(int sx, int sy, int size, int x, int y);

// The start lives of a game type: unlimited in both counters, or the start life and one fewer.
void SetStartLives(int gameType, bool unlimited);
// The report of a stage file that cannot be loaded.
void ReportStageLoadFailure(const char* path);
// The ranking switch of a game type (0 for one without a setting).
int RankingOn(int gameType);
// "<label><number>" boxes of the menus: the width in pixels of a text followed by a number.
int LabelNumberWidth(const std::string& label, int number);
// A system text by index ("" outside the list).
const std::string& SystemText(int index);
