#include "shell/appinit.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/datafile.h"
#include "core/log.h"
#include "core/mainwnd.h"
#include "core/paths.h"
#include "gamedata/datapath.h"
#include "gamedata/input.h"
#include "gamedata/option.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/sysvocab.h"
#include "gamedata/worldmap.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "objects/effectplayer.h"
#include "platform/thread/thread.h"
#include "platform/fs/path.h"
#include "platform/time/clock.h"
#include "platform/video/ddraw.h"
#include "platform/video/display.h"
#include "platform/video/gdi.h"
#include "platform/video/window.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "shell/hook.h"
#include "shell/startupsetting.h"
#include "shell/sysreport.h"
#include "shell/wndplacement.h"
#include "shell/appsound.h"
#include "stagedata/cmdtable.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"
#include "stagedata/palette.h"

int g_bWindowed = 0;

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// The folders of the player's own files.
const char* const kUserFolders[] = {"user_data", "user_data\\story", "user_data\\challenge", "user_data\\free",
                                    "user_data\\rpl4"};
// The folders the game writes into, made when missing, parents first.
const char* const kFolders[] = {
    "user_data", "user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4",
    "data", "data\\database", "data\\stg4", "data\\stg4\\old_ver", "data\\work", "data\\plt4",
    "bmp", "bmp\\back", "bmp\\chara_sp", "bmp\\effect", "bmp\\picture", "bmp\\sword", "bmp\\convert",
    "bmp\\plt", "bmp\\hbt", "wave", "bgm",
};

int DesktopDepth(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  int bpp = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(hwnd, dc);
  return bpp;
}

// Window flag and VSync from the back end and the window mode.
void ChooseWindowAndVSync(cSystemIni& ini) {
  if (ini.Direct3D) {
    g_bWindowed = ini.WindowMode != 0;
    if (ini.VSync >= 2) ini.VSync = 1;
  } else if (ini.WindowMode) {
    g_bWindowed = 1;
    ini.VSync = 0;
  } else {
    g_bWindowed = 0;
    if (ini.VSync >= 2) ini.VSync = IsWindowsVersionAtLeast(6, 0) ? 0 : 1;
  }
}

int ChooseDepth(cSystemIni& ini, int desktopDepth) {
  int depth = ini.Bpp;
  if (!depth) {
    if (g_bWindowed) {
      depth = desktopDepth;
    } else if (ini.Direct3D) {
      depth = g_SystemData.m_nDepthD3D == 1 ? 16 : 32;
    } else if (g_SystemData.m_nDepthDD == 1) {
      depth = 16;
    } else if (g_SystemData.m_nDepthDD == 2) {
      depth = g_SystemData.m_nColourMode ? 32 : 8;
    } else {
      depth = 32;
    }
  }
  ini.Bpp = depth;
  return depth;
}

bool CheckScreenMode(const cSystemIni& ini, int depth, int desktopDepth) {
  bool ok = depth == 16 || depth == 32 || (depth == 8 && !ini.Direct3D && !g_SystemData.m_nColourMode);
  // A window shows the desktop's pixels: its depth must be the desktop's, and never palettised.
  if (ok && g_bWindowed && (depth != desktopDepth || depth == 8)) ok = false;
  if (ok) return true;
  if (g_bWindowed && (depth == 16 || depth == 32))
    ErrorBoxF("画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！");
  else
    ErrorBoxF("画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！");
  return false;
}

BOOL StartGraphics(int backEnd, HWND hwnd, int depth, const cSystemIni& ini) {
  const int vsync = ini.VSync != 0;
  return DDInit(backEnd, hwnd, kScreenWidth, kScreenHeight, depth, vsync, g_bWindowed, 1, 60, vsync, g_AppSurface,
                g_BitmapSet, kAppSurfaceCount, 0);
}

// Moves the window to its saved place and size, kept on the work area. The outer top-left is the
// saved x, y; the stand-in window has no frame, so the client area starts there.
void PlaceWindow(HWND hwnd, const cWndPlacement& place, bool resize) {
  RECT client{};
  GetClientRect(hwnd, &client);
  int width = resize ? place.m_nWidth : client.right;
  int height = resize ? place.m_nHeight : client.bottom;
  const video::Area work = video::WorkArea();
  video::SetWindowClient(hwnd, KeepOnArea(place.m_nX, width, work.x, work.width),
                         KeepOnArea(place.m_nY, height, work.y, work.height), width, height);
}

bool SetPaletteAndTransmit(int depth) {
  if (!lpDTCon && !(lpDDCon && lpDDPal)) return true;
  const char* paletteFile = g_BitmapSet[0].szFileName;
  // The start cannot go on without the palette: the player is told which file failed, as for the
  // other files the start reads.
  const auto failed = [paletteFile](const char* what) {
    DebugLog(what);
    ReportLogBox("%s の読み込みに失敗！", paletteFile);
    return false;
  };
  if (!DDLoadPaletteFromFile(DDPalette, paletteFile)) return failed("DDLoadPaletteFromFile失敗");
  std::memcpy(DDWorkPalette, DDPalette, sizeof(DDPalette));
  const BYTE red = g_SystemData.m_byKeyRed, green = g_SystemData.m_byKeyGreen, blue = g_SystemData.m_byKeyBlue;
  if (!g_SystemData.m_nColourMode || depth == 16) {
    if (!DDSetTransmitFromFile(paletteFile)) return failed("DDSetTransmit失敗");
    if (g_SystemData.m_nColourMode) {
      RGBTRIPLE& stored = lpDTCon ? lpDTCon->rgbTransmit : lpDDCon->rgbTransmit;
      stored.rgbtRed = red;
      stored.rgbtGreen = green;
      stored.rgbtBlue = blue;
    }
  } else {
    DDSetTransmit(red, green, blue);
  }
  return true;
}

void ChooseNoFlip(const cSystemIni& ini) {
  if (DDBackEnd) return;
  if (g_bWindowed) {
    g_bNoFlip = 1;
    return;
  }
  DWORD hz = 0;
  if (!lpDD || FAILED(lpDD->GetMonitorFrequency(&hz))) hz = 0;
  g_bNoFlip = (ini.VSync == 0 || static_cast<int>(hz) < cApp::m_nFps) ? 1 : 0;
}

bool CreateFonts(const cSystemIni& ini) {
  const int fontIndex = g_SystemData.m_nFont;
  const char* face = fontIndex >= 0 && fontIndex <= kFontNameCount ? g_FontName[fontIndex] : g_FontName[0];
  const int cache = DDBackEnd ? ini.D3D_FontCache : ini.DD_FontCache;
  for (DDFONTDATA& data : g_FontData) {
    std::strncpy(data.szFaceName, face, sizeof(data.szFaceName) - 1);
    data.szFaceName[sizeof(data.szFaceName) - 1] = 0;
    if (data.bFastFont == 2) data.bFastFont = cache;
  }
  if (!DDCreateFonts(g_Font, g_FontData, 3)) return false;
  g_Font[0].m_bIcon = 0;
  g_Font[1].m_bIcon = g_SystemData.m_bMenuFontSwitch;
  g_Font[2].m_bIcon = 0;
  g_Font[1].m_bCenter = g_SystemData.m_bPlainBrackets;
  return DDCreateDigitSurfaces(g_DigitSD, g_DigitBD, 3, g_Font, g_FontData) != 0;
}

// The glyph cache a font fills as it draws, or null when it has none.
const FastFont* FastTextCache(const Font& font) { return font.m_bFastFont ? font.m_lpFastFont_FullAdd : nullptr; }

// Starts the stage named in FreeStage; false when the start must end.
bool StartNamedStage() {
  cSystemIni& ini = g_SystemIni;
  // The name comes from a game file (or the editor's command line): it is looked up, like every path
  // from data, inside the game folder only. An absolute path into the folder is taken as relative.
  std::string named = ini.FreeStage, found;
  PathToRelative(named);
  if (FindLastNumberedFile(found, named, g_FileExt[1], PathOrigin::Data) && found.size() < sizeof(ini.FreeStage)) {
    std::memcpy(ini.FreeStage, found.c_str(), found.size() + 1);
    named = found;
  }
  if (!GamePathIsFile(named, PathOrigin::Data)) {
    ReportLogEcho("「%s」の読み込みに失敗しました！", ini.FreeStage);
    ini.FreeStage[0] = 0;
    return true;
  }
  g_bFreeStagePlay = 1;
  if (g_SystemData.m_bStartStagePlain && !g_bEditorLaunched) {
    g_bFreeStageTitle = 1;
    cApp::m_bRanking = 0;
  } else {
    cApp::m_bRanking = 1;
  }
  if (!LoadStageAndPlay(ini.FreeStage, 1)) return false;
  g_SaveData.m_bMultiPart = 0;
  cApp::m_nGameType = 2;
  cApp::m_nPlayMode = 3;
  cApp::m_nScene = 4;
  cApp::m_nPrevScene = 0;
  return true;
}

}  // namespace

namespace {
// Threads abandoned before this start (by earlier runs in the same process).
int g_nAbandonedAtInit = 0;
}  // namespace

bool AppInit(const char* cmdLine, int showCmd) {
  g_nAbandonedAtInit = AbandonedThreadCount();
  HWND hwnd = g_hMainWnd;
  cSystemIni& ini = g_SystemIni;

  timeBeginPeriod(1);
  std::srand(timeGetTime());
  g_nDataVersion = 914;
  g_bStripCR = 1;
  g_bDataFileTooNew = 0;

  BuildCmdParamTable();

  if (!CreateDefaultData(hwnd)) {
    ReportLogBox("「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
    return false;
  }

  for (const char* folder : kFolders) MakeGameDirectory(folder);
  // Saves that a crash ended left their temporaries in the player's folders.
  for (const char* folder : kUserFolders) DataFileRemoveStaleTemps(folder);

  if (!g_Database.Load()) {
    ReportLogBox("データベースの読み込みに失敗…");
    return false;
  }
  PrepareLoadedDatabase();

  const char* systemPath = g_DataPath[DATAPATH_SYSTEM];
  if (!g_SystemData.Load(systemPath)) {
    ReportLogBox("%s の読み込みに失敗…", systemPath);
    return false;
  }

  SetSystemIniDefault(ini, g_SystemData.m_vIniKey);
  if (!ReadSystemIni("System.ini", ini, g_SystemData.m_vIniKey)) {
    ReportLogBox("System.ini の読み込みに失敗しました！");
    SetSystemIniDefault(ini, g_SystemData.m_vIniKey);
  }

  if (ini.Direct3D >= 2) {
    LoadStartupSetting();
    if (!g_StartupSetting.m_bNoAsk && !RunStartupDialog()) return false;
    ini.Direct3D = g_StartupSetting.m_nDrawMode == 1 ? 1 : 0;
  }

  if (g_bEditorLaunched) {
    if (cmdLine && *cmdLine) {
      // A stage path too long for the field is no stage: the start goes to the title.
      const size_t n = std::strlen(cmdLine);
      if (n < sizeof(ini.FreeStage)) {
        std::memcpy(ini.FreeStage, cmdLine, n + 1);
      } else {
        ReportLogEcho("「%s」の読み込みに失敗しました！", cmdLine);
        ini.FreeStage[0] = 0;
      }
    } else if (g_SystemData.m_bStartStagePlain) {
      ini.FreeStage[0] = 0;
    }
  }

  cApp::m_nFps = 60;
  cApp::m_nFadeSpeed = 10;
  for (cInput& input : g_vInput) input.SetRepeat(18, 6);

  ChooseWindowAndVSync(ini);
  const int desktopDepth = DesktopDepth(hwnd);
  const int depth = ChooseDepth(ini, desktopDepth);
  if (!CheckScreenMode(ini, depth, desktopDepth)) return false;
  if (g_bWindowed && ini.Direct3D && ini.WindowMode == 2)
    SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) | WS_THICKFRAME);

  g_hMainWnd = hwnd;
  SetWindowTextA(hwnd, g_SystemData.m_strTitle.c_str());

  if (depth == 8) ini.DD_VideoStretch = 0;

  BOOL started = StartGraphics(ini.Direct3D, hwnd, depth, ini);
  if (!started && ini.Direct3D) {
    // The Direct3D failure showed its own box; DirectDraw takes over with the same mode.
    DDRelease();
    ini.Direct3D = 0;
    ShowWindow(hwnd, g_bWindowed ? showCmd : SW_SHOWMAXIMIZED);
    started = StartGraphics(0, hwnd, depth, ini);
  }
  if (!started) {
    DebugLog("DDInit失敗");
    return false;
  }

  if (ini.Direct3D) {
    lpDTCon->strTextureError =
        "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
        "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があります。";
    LinkBitmapPartners();
  }

  if (ini.WindowMode && g_WndPlacement.Load(g_DataPath[DATAPATH_WINDOW])) {
    PlaceWindow(hwnd, g_WndPlacement, ini.Direct3D && ini.WindowMode == 2);
    if (g_WndPlacement.m_bMaximized) showCmd = SW_SHOWMAXIMIZED;
  }

  ShowWindow(hwnd, (ini.Direct3D || ini.WindowMode) ? showCmd : SW_SHOWMAXIMIZED);

  SystemReportMode(1);
  DebugLog("DDInit成功");

  if (!SetPaletteAndTransmit(depth)) return false;
  ChooseNoFlip(ini);

  const DDBITMAPDATA& loading = g_BitmapSet[kLoadingPicture];
  DDCheckResult(DDCreateSurfaceFromFile(&g_AppSurface[kLoadingPicture], loading.szFileName, loading.bColorKey, depth,
                                        loading.nDDMemType, loading.nDTMemType, loading.lpPartner, loading.bPalIndex,
                                        loading.nMirrorWidth, loading.nMirrorHeight, 0));
  PresentBackdrop();

  int fixedEntries[] = {1, 51, kLoadingPicture};
  if (!DDReloadBitmaps(g_AppSurface, fixedEntries, 3)) return false;

  if (!CreateFonts(ini)) return false;

  for (cInput& input : g_vInput) input.SetJoyButtonMasks();
  LoadKeyConfigOrDefault(g_DataPath[DATAPATH_KEY_CONFIG], &g_KeyConfig);
  g_OptionData.Load(g_DataPath[DATAPATH_OPTION]);

  if (depth == 8 && !LoadHbtPalette(g_OptionData.m_nPalette)) return false;
  if (!DDWindowMode) ini.Midi_DirectMusic = 0;
  if (g_OptionData.m_bBgm) StartMusic(ini.Midi_DirectMusic);
  StartSoundEffects(hwnd, OptionSoundVolume(g_OptionData.m_nVolume));

  for (auto [record, path] : {std::pair<cDataRecord*, const char*>{&g_WorldMapData, g_DataPath[DATAPATH_WORLD_MAP]},
                              {&g_CommonPalette, g_DataPath[DATAPATH_COMMON_PALETTE]}}) {
    if (!record->Load(path)) {
      ReportLogBox("%s のロードに失敗！", path);
      return false;
    }
  }

  g_SaveData.Reset(g_SystemData.m_nChallengeNum);

  if (ini.FreeStage[0] && !StartNamedStage()) return false;
  return true;
}

void AppExit() {
  if (lpDTCon || lpDDCon) {
    if (const FastFont* cache = FastTextCache(g_Font[0])) ReportLog("Font10 : %d", cache->m_nCount);
    if (const FastFont* cache = FastTextCache(g_Font[1])) ReportLog("Font16 : %d", cache->m_nCount);
  }
  timeEndPeriod(1);
  StopSound();
  // A thread that did not end when asked may still be drawing a frame: the process ends right after
  // shut-down, so the scenes and the graphics are left to it rather than freed under it.
  if (AbandonedThreadCount() > g_nAbandonedAtInit) {
    ReportLog("AppExit : a thread is still running, graphics kept");
    cHook::UnhookAll();
    return;
  }
  ReleaseAppGraphics();
  cHook::UnhookAll();
}

void ReleaseAppGraphics() {
  cApp::DeleteScenes();
  for (int i = 0; i < 3; ++i) {
    ReleaseFontObject(&g_Font[i]);
    DDReleaseSurface(&g_DigitSD[i]);
  }
  if (g_bWindowed)
    DDEnd();
  else
    DDRelease();
}
