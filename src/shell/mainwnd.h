// The main window: its procedure serves the window's messages and the game thread's requests (sounds,
// music, file and name dialogs, device recovery) on the window thread, and runs the quit sequence.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/win/winapp.h"

class cMainWnd {
 public:
  LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The class's procedure: forwards every message to g_MainWnd.
  static LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Records the window's procedure; start-up calls it once.
  void SetProc(int, int, void*);

  HWND m_hWnd = nullptr;
  int m_bInited = 0;
  WNDPROC m_pfnProc = nullptr;
};

extern cMainWnd g_MainWnd;
// Start-up has finished: the window presents and saves its placement only from then on.
extern uint8_t g_bAppRunning;

// The editor's window is told the player has started, and later how it ended (0 failed start, 1 end).
void NotifyEditorStart();
void NotifyEditor(int code);

// The dialog of a file or name request, made and run modally on the window thread: the request's
// message, its wParam and the path it proposes and fills in; the dialog's result (0 cancelled).
typedef int (*RequestDialogRunner)(UINT request, WPARAM wParam, std::string& path);
void SetRequestDialogRunner(RequestDialogRunner runner);
int RunRequestDialog(UINT request, WPARAM wParam, std::string& path);

// The quit question in window mode; true only for Yes.
bool QuitConfirm(HWND owner, int english);

// Freezes and thaws the four game threads around modal work on the window thread.
void SuspendGameThreads();
void ResumeGameThreads();

// Boxes asked for on other threads are shown by the window thread while the main window exists.
void RouteMessageBoxesToMainWindow();
