// The program entry on the window thread and the game thread's loop.
#pragma once
#include <string>

#include "platform/win/winapp.h"

extern HINSTANCE g_hInstance;

// The whole run: logs and report, the single-instance rule, the main window, start-up, the game
// thread and the message loop, shut-down. Returns WM_QUIT's code after a normal run and kStartFailed
// after a start that failed (the user was told why: in a box, on standard error when no box can
// show); 0 when a second start was declined.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* cmdLine, int showCmd);
constexpr int kStartFailed = 1;
// The window thread's message loop: serves the main window's messages and the requests sent to it,
// sleeping 1 ms a turn and waiting for messages while the program is inactive, until WM_QUIT, whose
// code it returns.
int MessageLoop();
// The game thread: frames while the program is active, until WM_QUIT or the end of the game.
unsigned GameLoop(void* unused);

// The name of the single-instance mutex: one per game folder (its absolute path), so that games in
// different folders run side by side.
std::string SingleInstanceName();

// The main window's client size.
constexpr int kMainClientWidth = 640;
constexpr int kMainClientHeight = 480;

// How the main window is shown: by default in an SDL window; tests make it without one.
typedef bool (*MainWindowOpener)(HWND hwnd, int width, int height);
void SetMainWindowOpener(MainWindowOpener opener, void (*closer)(), void (*pump)());
