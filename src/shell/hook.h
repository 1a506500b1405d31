// The keyboard hook of the program's dialogs: every key event of the active dialog is handed to the
// dialog window as well, so that the dialog can scroll and pass keys to its controls; the pass keys
// (space, arrows, Delete, F1-F8) come as WMU_HOOKKEY. Keys are left to the input method while it
// composes, and Esc is swallowed in other windows of the thread (the file chooser).
#pragma once
#include "platform/win/dialogs.h"

constexpr UINT WMU_HOOKKEY = WM_USER + 1000;

class cHook {
 public:
  cHook() = default;
  ~cHook();
  cHook(const cHook&) = delete;
  cHook& operator=(const cHook&) = delete;

  bool Install(HWND wnd, int modeless);
  static void UnhookAll();
  static bool IsInstalled();
  static bool IsPassKey(int vk);
  static LRESULT HookProc(int code, WPARAM vk, LPARAM flags);
  // The Ctrl-held flag, shared by every dialog.
  static int CtrlHeld();
  static void ResetForTest();

  HWND m_hWnd = nullptr;
  int m_bModeless = 0;
};
