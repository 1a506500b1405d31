// Start-up and shut-down of the game on the main window.
#pragma once

// 1 when the game runs in a window, 0 in full screen; decided once by AppInit.
extern int g_bWindowed;

// Loads the game-wide files, chooses the drawing back end and the screen mode, starts graphics,
// sound and music, and starts a stage named for direct play. Runs on the window thread before the game
// thread exists, with the main window made but hidden. False when the program must end; the reason has
// been shown or logged.
bool AppInit(const char* cmdLine, int showCmd);
// Undoes what AppInit set up outside the global objects, whatever state it left; after the message
// loop has ended (or after a failed AppInit).
void AppExit();
// The scenes, fonts, digit pictures and the graphics library, released as AppExit does when no
// thread was left running.
void ReleaseAppGraphics();
