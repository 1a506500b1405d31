#include "shell/winmain.h"

#include <cstdio>
#include <string>

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/thread.h"
#include <cstdio>
#include <string>

#include "platform/fs/path.h"
#include "platform/text/cp932.h"
#include "platform/time/clock.h"
#include "platform/video/display.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "platform/win/sdlpump.h"
#include "scenes/app.h"
#include "shell/appdialogs.h"
#include "shell/appinit.h"
#include "shell/globals.h"
#include "shell/mainwnd.h"
#include "shell/runlogs.h"
#include "shell/sysreport.h"
#include "stagedata/flow.h"

HINSTANCE g_hInstance = nullptr;

namespace {

constexpr const char* kClassName = "Tessaly";
constexpr const char* kMutexName = "ゲーム";

MainWindowOpener g_opener = &OpenSdlMainWindow;
void (*g_closer)() = &CloseSdlMainWindow;
void (*g_pump)() = &PumpSdlMainWindow;

void CloseMutex(HANDLE mutex) {
  ReleaseMutex(mutex);
  CloseMutexHandle(mutex);
}

// How long a second start waits for the running copy to close.
constexpr DWORD kCloseWaitMs = 10000;

// A second start: true to go on, false to end this copy. A run without a display has nobody to ask:
// it ends no other program and does not start.
bool SecondStart(HANDLE mutex) {
  DWORD pid = MutexOwnerProcessId(mutex);
  if (msgbox::IsHeadless()) {
    if (pid)
      std::fprintf(stderr, "player: this game folder is being played (process %u); a run without a display ends no other program: not started\n",
                   static_cast<unsigned>(pid));
    else
      std::fprintf(stderr, "player: this game folder's lock is held by another program; not started\n");
    CloseMutex(mutex);
    return false;
  }
  if (MessageBoxA(nullptr,
                  "既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\nWould you like to restart the game?",
                  "二重起動", MB_YESNO) != IDYES) {
    CloseMutex(mutex);
    return false;
  }
  pid = MutexOwnerProcessId(mutex);
  if (pid == 0) return true;  // no copy of this program plays here: start beside whatever holds it
  // The running copy is asked to close as its close button would, and this start waits for it.
  if (!CloseMutexOwner(mutex, pid, kCloseWaitMs)) {
    MessageBoxA(nullptr, "プログラムの終了に失敗しました。", "二重起動", MB_OK);
    CloseMutex(mutex);
    return false;
  }
  return true;
}

// A start that cannot go on: the reason on standard error (UTF-8) and in a box.
void TellStartFailure(const std::string& text) {
  std::fprintf(stderr, "player: %s\n", Cp932ToUtf8(text).c_str());
  std::fflush(stderr);
  ErrorBox(text.c_str());
}

void CenterOnScreen(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  video::DisplayMode desk = video::DesktopMode();
  video::SetWindowClient(hwnd, (desk.width - client.right) / 2, (desk.height - client.bottom) / 2, client.right,
                         client.bottom);
}

}  // namespace

std::string SingleInstanceName() { return std::string(kMutexName) + "|" + GetCurrentGameDirectory(); }

void SetMainWindowOpener(MainWindowOpener opener, void (*closer)(), void (*pump)()) {
  g_opener = opener;
  g_closer = closer;
  g_pump = pump;
}

unsigned GameLoop(void*) {
  MSG msg;
  for (;;) {
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        DebugLog("GameLoop WM_QUIT!");
        return 1;
      }
      continue;  // the start-up's WM_APP
    }
    if (!g_bAppActive) {
      Sleep(1);
    } else if (!cApp::Frame()) {
      break;
    }
  }
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  return 1;
}

int MessageLoop() {
  MSG msg{};
  for (;;) {
    RunWindowPumpHook();
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (!g_bAppActive) {
      WaitMessage();
    }
    Sleep(1);  // a message that arrives meanwhile ends the sleep
  }
  return static_cast<int>(msg.wParam);
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* cmdLine, int showCmd) {
  BuildGlobalTables();
  std::string failure;
  if (!StartRunLogs(&failure)) {
    TellStartFailure(failure);
    return kStartFailed;
  }
  SystemReport();
  g_bEditorLaunched = showCmd == 5 ? 1 : 0;

  // Listening comes first, so that a later start always finds a copy it can ask to close.
  ListenForCloseRequests(nullptr);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, SingleInstanceName().c_str());
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS && !SecondStart(mutex)) {
    StopCloseRequests();
    return 0;
  }

  g_hInstance = instance;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &cMainWnd::StaticProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!RegisterClassExA(&wc)) {
    CloseMutex(mutex);
    StopCloseRequests();
    return kStartFailed;
  }
  HWND hwnd = CreateWindowExA(0, kClassName, "", static_cast<DWORD>(WS_POPUP), 100, 100, kMainClientWidth,
                              kMainClientHeight, nullptr, nullptr, instance, nullptr);
  if (hwnd && g_opener && !g_opener(hwnd, kMainClientWidth, kMainClientHeight)) {
    DestroyWindowStandIn(hwnd);
    hwnd = nullptr;
  }
  if (!hwnd) {
    // Without a display the box cannot show either: it then goes to standard error.
    const std::string reason = g_opener == &OpenSdlMainWindow ? SdlMainWindowError() : std::string();
    ErrorBox(reason.empty() ? "ウインドウが生成出来ません！" : ("ウインドウが生成出来ません！\n" + Utf8ToCp932(reason)).c_str());
    CloseMutex(mutex);
    StopCloseRequests();
    return kStartFailed;
  }
  g_MainWnd.m_hWnd = hwnd;
  g_hMainWnd = hwnd;
  SetWindowPumpHook(g_pump);
  // Only a shown box must come from the window thread; a headless one is answered where it is asked.
  if (!msgbox::IsHeadless()) RouteMessageBoxesToMainWindow();
  InstallAppDialogs();
  CenterOnScreen(hwnd);
  ListenForCloseRequests(hwnd);
  if (g_bEditorLaunched) NotifyEditorStart();

  int code = 0;
  if (!AppInit(cmdLine, showCmd)) {
    // A start that failed has told why in its box or its logs; the exit status says so too.
    AppExit();
    if (g_bEditorLaunched) NotifyEditor(0);
    code = kStartFailed;
  } else {
    g_bAppRunning = 1;
    thGame.Start(&GameLoop, nullptr);
    while (!PostThreadMessage(thGame.m_dwThreadId, WM_APP, 0, 0)) Sleep(1);

    code = MessageLoop();
    AppExit();
  }
  msgbox::SetRouter(nullptr);
  SetWindowPumpHook(nullptr);
  if (IsWindow(hwnd)) DestroyWindowStandIn(hwnd);
  dlg::DetachDisplay();
  if (g_closer) g_closer();
  StopCloseRequests();
  CloseMutex(mutex);
  return code;
}
