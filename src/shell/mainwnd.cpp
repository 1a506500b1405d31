#include "shell/mainwnd.h"

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/thread.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/dialog.h"
#include "gfx/globals.h"
#include "gfx/present.h"
#include "platform/time/clock.h"
#include "platform/video/display.h"
#include "platform/video/presenter.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/menu.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "shell/appinit.h"
#include "shell/wndplacement.h"
#include "sound/bgmplayer.h"
#include "sound/effects.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

cMainWnd g_MainWnd;
uint8_t g_bAppRunning = 0;

namespace {

// A box asked for by another thread, shown by the window thread.
constexpr UINT WMU_MESSAGEBOX = WM_USER + 200;
struct BoxCall {
  HWND owner;
  const char* text;
  const char* caption;
  UINT type;
};

RequestDialogRunner g_dialogRunner = nullptr;

// The editor's window, when the editor runs in this process's reach.
void SendToEditor(ULONG_PTR kind, int32_t value) {
  HWND editor = FindWindowStandIn("Tessaly_Editor");
  if (!editor) return;
  COPYDATASTRUCT data{kind, sizeof value, &value};
  TrySendMessage(editor, WM_COPYDATA, reinterpret_cast<WPARAM>(g_MainWnd.m_hWnd),
                 reinterpret_cast<LPARAM>(&data), nullptr);
}

void RecomputeClientRect(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  POINT tl{r.left, r.top}, br{r.right, r.bottom};
  ClientToScreen(hwnd, &tl);
  ClientToScreen(hwnd, &br);
  DDClientRect = RECT{tl.x, tl.y, br.x, br.y};
}

// The system menu's full-screen entry; ids 1-5 are the zoom sizes.
constexpr UINT kFullScreenCommand = 0x10;

// The system menu is filled once per window; full screen from the menu shows the window over the
// whole display, the game still running as in a window.
bool g_systemMenuBuilt = false;
bool g_menuFullScreen = false;

void InsertMenuEntry(HMENU menu, UINT type, UINT id, const char* text) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_TYPE;
  mii.fType = type;
  mii.wID = id;
  mii.dwTypeData = const_cast<char*>(text);
  InsertMenuItemA(menu, 0, TRUE, &mii);
}

// In a window: the zoom sizes that fit the work area (Direct3D back end), a separator, and full
// screen; each insert goes to the top, so the sizes read from 100 % upwards.
void BuildSystemMenu(HWND hwnd) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  InsertMenuEntry(menu, MFT_STRING, kFullScreenCommand, g_SystemIni.English ? "Full screen" : "全画面表示");
  if (!lpDTCon) return;
  static const char* const kSizes[5] = {"100% (640*480)", "200% (1280*960)", "300% (1920*1440)", "400% (2560*1920)",
                                        "500% (3200*2400)"};
  InsertMenuEntry(menu, MFT_SEPARATOR, 0, nullptr);
  const video::Area work = video::WorkArea();
  for (int k = 5; k >= 1; --k)
    if (work.x + work.width >= k * 640 && work.y + work.height >= k * 480)
      InsertMenuEntry(menu, MFT_STRING | MFT_RADIOCHECK, static_cast<UINT>(k), kSizes[k - 1]);
}

void SetMenuFullScreen(bool on) {
  g_menuFullScreen = on;
  video::CurrentPresenter()->SetFullScreen(on);
}

// Zooms the window to k times the picture, keeping its horizontal centre, on the work area.
void Zoom(HWND hwnd, int k) {
  if (g_menuFullScreen) SetMenuFullScreen(false);
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT pos{0, 0};
  ClientToScreen(hwnd, &pos);
  const video::Area work = video::WorkArea();
  const int x = KeepOnArea(pos.x + client.right / 2 - k * 320, k * 640, work.x, work.width);
  const int y = KeepOnArea(pos.y, k * 480, work.y, work.height);
  video::SetWindowClient(hwnd, x, y, k * 640, k * 480);
  PostMessage(hwnd, WM_SIZE, 0, 0);
}

// Modal work on the window thread: the game threads wait, and a full-screen display can show it.
template <typename Work>
auto RunModal(Work work) {
  DDDialogBoxMode(1);
  SuspendGameThreads();
  auto result = work();
  DDDialogBoxMode(0);
  ResumeGameThreads();
  return result;
}

// The system menu at a point of the picture, the current size and full screen checked; the choice
// comes back as the command a system menu sends.
void ShowSystemMenu(HWND hwnd, int x, int y) {
  if (dlg::ActiveDialog()) return;  // a dialog owns the window
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  RECT client{};
  GetClientRect(hwnd, &client);
  for (int k = 1; k <= 5; ++k)
    CheckMenuItem(menu, static_cast<UINT>(k),
                  !g_menuFullScreen && client.right == k * 640 && client.bottom == k * 480 ? MF_CHECKED : MF_UNCHECKED);
  CheckMenuItem(menu, kFullScreenCommand, g_menuFullScreen ? MF_CHECKED : MF_UNCHECKED);
  const UINT chosen = static_cast<UINT>(
      RunModal([&] { return TrackPopupMenu(menu, TPM_RETURNCMD, x, y, 0, hwnd, nullptr); }));
  if (chosen) PostMessage(hwnd, WM_SYSCOMMAND, chosen, 0);
}

void CloseProgram() { PostMessage(g_hMainWnd, WM_CLOSE, 0, 0); }

// The modal frame around a request's dialog.
int RunModalRequest(UINT request, WPARAM wParam, std::string& path) {
  return RunModal([&] { return RunRequestDialog(request, wParam, path); });
}

void ServeFileRequest(UINT msg, WPARAM wParam) {
  std::string path;
  if (msg == WMU_SAVEREPLAY) MakeReplayPath(path, g_SaveData.m_strStage.c_str());
  int result = RunModalRequest(msg, wParam, path);
  if (result) {
    bool ok = true;
    if (msg == WMU_OPENSTAGE) {
      ok = LoadStageAndPlay(path.c_str(), 0) != 0;
    } else if (msg == WMU_OPENREPLAY) {
      ok = g_ReplayData.LoadFile(path.c_str(), g_StageData, g_PlayStageData, g_SaveData) != 0;
      g_StageData.m_strPath = path;
    } else if (wParam == 0) {
      ok = g_ReplayData.SaveFile(path.c_str(), g_StageData, g_PlayStageData, g_ReplaySaveData) != 0;
    } else {
      ok = g_PrevReplayData.SaveFile(path.c_str(), g_StageData, g_PlayStageData, g_PrevReplaySaveData) != 0;
    }
    if (!ok) CloseProgram();
  }
  g_bRequestResult = result ? 1 : 0;
  g_bRequestDone = 1;
}

void PlaySoundRequest(WPARAM index) {
  int i = static_cast<int>(index);
  if (i < 0 || i >= static_cast<int>(g_vSound.size())) {
    CheckedAccessFailed('V', i, static_cast<int>(g_vSound.size()), 284);
    i = 0;
  }
  if (!g_vSound.empty()) DS_Play(&g_vSound[i], 0);
}

void ChangeBgmRequest(WPARAM situation, LPARAM music) {
  if (situation <= 3) {
    int s = static_cast<int>(situation);
    int m = g_SystemData.m_vMenuBgm.At(s);
    if (m == 0) {
      g_Bgm.Stop();
      return;
    }
    const cBgmData& bgm = g_Database.m_vBgm.At(m);
    g_Bgm.SetSlot(s, bgm.m_strFile.c_str(), bgm.m_nVolume);
    g_Bgm.Play(0, s, g_SystemData.m_vMenuBgmContinue.At(s), 0, 1);
  } else if (situation == 4) {
    int n = static_cast<int>(music);
    g_nStageBgm = n;
    const cBgmData& bgm = g_Database.m_vBgm.At(n);
    g_Bgm.SetSlot(4, bgm.m_strFile.c_str(), bgm.m_nVolume);
    if (n == 0) g_Bgm.Stop();
    else g_Bgm.Play(0, 4, g_bStageBgmLoop, 0, 1);
  }
}

// WM_CLOSE: confirmation, placement, then either only the pause loop ends or every thread and the
// window do. A close asked for by a later start of the program was confirmed there.
void QuitSequence(HWND hwnd) {
  if (!CloseWasRequested() && !g_bFreeStagePlay && !g_bEditorLaunched && g_bWindowed && cApp::m_nScene != 0) {
    SuspendGameThreads();
    bool quit = QuitConfirm(hwnd, g_SystemIni.English);
    ResumeGameThreads();
    if (!quit) return;
  }
  if (g_SystemIni.WindowMode && g_bAppRunning && !IsIconic(hwnd)) {
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT pos{0, 0};
    ClientToScreen(hwnd, &pos);
    g_WndPlacement.m_nX = pos.x;
    g_WndPlacement.m_nY = pos.y;
    g_WndPlacement.m_nWidth = client.right;
    g_WndPlacement.m_nHeight = client.bottom;
    g_WndPlacement.m_bMaximized = 0;  // the window is never maximised here
    g_WndPlacement.Save("user_data\\Window.dat");
  }
  if (thPause.m_hThread) {
    DebugLog("WM_CLOSE thPause.m_hThread");
    if (g_pScenePlay) g_pScenePlay->m_bQuit = 1;
    PostThreadMessage(thPause.m_dwThreadId, WM_QUIT, 0, 0);
    return;
  }
  DebugLog("WM_CLOSE 成功！");
  g_Bgm.Stop();
  thLoad.Exit();
  thPause.Exit();
  thResult.Exit();
  DebugLog("thPause.Exit()");
  thGame.Exit();
  DebugLog("thGame.Exit()");
  DestroyWindow(hwnd);
}

}  // namespace

LRESULT cMainWnd::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_MainWnd.WndProc(hwnd, msg, wParam, lParam);
}

void cMainWnd::SetProc(int, int, void*) { m_pfnProc = &cMainWnd::StaticProc; }

LRESULT cMainWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hwnd;
  if (!g_systemMenuBuilt && g_bWindowed && (lpDTCon || lpDDCon)) {
    g_systemMenuBuilt = true;
    BuildSystemMenu(hwnd);
  }
  switch (msg) {
    case WM_CREATE:
      m_bInited = 1;
      g_systemMenuBuilt = false;
      g_menuFullScreen = false;
      GetSystemMenu(hwnd, TRUE);
      return 0;
    case WM_DESTROY:
      DebugLog("WM_DESTROY");
      GetSystemMenu(hwnd, TRUE);
      m_hWnd = nullptr;
      g_hMainWnd = nullptr;
      if (g_bEditorLaunched) NotifyEditor(1);
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      RecomputeClientRect(hwnd);
      return 0;
    case WM_SIZE:
      RecomputeClientRect(hwnd);
      return 0;
    case WM_PAINT:
      // The display keeps the last frame shown and redraws it by itself.
      return 0;
    case WM_CLOSE:
      QuitSequence(hwnd);
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam && !g_bAppActive && lpDTCon && DDWindowMode == 0) TrySendMessage(g_hMainWnd, WMU_RESTOREDEVICE, 0, 0, nullptr);
      g_bAppActive = wParam ? 1 : 0;
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessage(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSCOMMAND: {
      WPARAM command = wParam & 0xFFF0;
      if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) return 0;
      if (command == SC_KEYMENU || command == SC_MOUSEMENU) {
        // From the keyboard the menu opens at the picture's top-left, from the mouse where it was.
        const int x = command == SC_MOUSEMENU ? static_cast<int16_t>(lParam & 0xFFFF) : 0;
        const int y = command == SC_MOUSEMENU ? static_cast<int16_t>((lParam >> 16) & 0xFFFF) : 0;
        ShowSystemMenu(hwnd, x, y);
        return 0;
      }
      int k = static_cast<int>(wParam & 0xFFFF);
      if (k >= 1 && k <= 5) {
        Zoom(hwnd, k);
        return 0;
      }
      if (wParam == kFullScreenCommand) {
        SetMenuFullScreen(!g_menuFullScreen);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      return 0;
    case WMU_NAMEENTRY: {
      std::string unused;
      RunModalRequest(msg, wParam, unused);
      g_bNameEntryDone = 1;
      return 0;
    }
    case WMU_OPENSTAGE:
    case WMU_OPENREPLAY:
    case WMU_SAVEREPLAY:
      ServeFileRequest(msg, wParam);
      return 0;
    case WMU_PLAYSOUND:
      PlaySoundRequest(wParam);
      return 0;
    case WMU_CHANGEBGM:
      ChangeBgmRequest(wParam, lParam);
      return 0;
    case WMU_RESTOREDEVICE:
      DDRestoreSurface();
      return 0;
    case WMU_MESSAGEBOX: {
      const BoxCall* box = reinterpret_cast<const BoxCall*>(lParam);
      return msgbox::ShowDirect(box->owner, box->text, box->caption, box->type);
    }
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void NotifyEditorStart() { SendToEditor(1, 1); }
void NotifyEditor(int code) { SendToEditor(0, code); }

void SetRequestDialogRunner(RequestDialogRunner runner) { g_dialogRunner = runner; }

int RunRequestDialog(UINT request, WPARAM wParam, std::string& path) {
  // Without a dialog to show, the request is answered as cancelled.
  return g_dialogRunner ? g_dialogRunner(request, wParam, path) : 0;
}

bool QuitConfirm(HWND owner, int english) {
  // Shown in the game's window, as the other dialogs.
  int answer = english ? DialogMessageBox(owner, "Would you like to quit?\n", "End confirmation", MB_YESNO)
                       : DialogMessageBox(owner, "終了しますか？\n", "終了確認", MB_YESNO);
  return answer == IDYES;
}

void SuspendGameThreads() {
  thGame.Suspend();
  thPause.Suspend();
  thResult.Suspend();
  thLoad.Suspend();
}

void ResumeGameThreads() {
  thGame.Resume();
  thPause.Resume();
  thResult.Resume();
  thLoad.Resume();
}

void RouteMessageBoxesToMainWindow() {
  msgbox::SetRouter([](HWND owner, const char* text, const char* caption, UINT type) -> int {
    HWND main = g_hMainWnd;
    DWORD windowThread = GetWindowThreadStandIn(main);
    if (main && windowThread && windowThread != GetCurrentThreadId()) {
      BoxCall call{owner, text, caption, type};
      LRESULT result = 0;
      if (TrySendMessage(main, WMU_MESSAGEBOX, 0, reinterpret_cast<LPARAM>(&call), &result))
        return static_cast<int>(result);
    }
    return msgbox::ShowDirect(owner, text, caption, type);
  });
}
