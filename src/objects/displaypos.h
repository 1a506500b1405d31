// Placement shared by the display objects of the play screen (message windows and pictures): a point
// given in screen or stage coordinates, and the rule that keeps a display at one place.
#pragma once

// Where a given point puts a display of w x h: the point in cells (unit 0, 32 pixels) or pixels
// (unit 1), as its top-left or its centre, on the screen or on the stage (counted from the stage's
// top-left corner, inside the grid margins, and scrolled with the view); dx, dy added. 0 and (0, 0)
// for another unit.
int PlaceDisplayAtPoint(int& x, int& y, int unit, int px, int py, int dx, int dy, int w, int h, bool centre,
                        bool stage);

// The fixed-place rule. A display placed on the screen (screenMode) without fixed is turned into a
// stage position at its first frame and from then on scrolls with the stage; with fixed it stays.
// Any other display with fixed keeps its first screen position; without it, it is placed anew.
void KeepDisplayPlace(int& x, int& y, bool screenMode, int fixed, int& anchored, int& anchorX, int& anchorY);
