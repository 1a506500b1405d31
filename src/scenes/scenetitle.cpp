#include "scenes/scenetitle.h"

#include <algorithm>
#include <string>

#include "core/paths.h"
#include "core/text.h"
#include "gamedata/savedata.h"
#include "gamedata/saveslot.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gamedata/worldmap.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "core/mainwnd.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/menucursor.h"
#include "scenes/menuscene.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "sound/effects.h"
#include "stagedata/stageload.h"

namespace {

constexpr int kTitlePicture = 48;   // "bmp\Title.bmp"
constexpr int kGameModeSheet = 49;  // "bmp\GameMode.bmp": one 32-pixel strip per command kind
constexpr int kWindowSheet = 46;    // "bmp\Window.bmp"
constexpr int kSlotListX = 160;
constexpr int kSlotListY = 160;
constexpr int kMaxSlotRows = 10;

// Button bits of the menus.
constexpr uint16_t kAccept = 1;
constexpr uint16_t kCancel = 2;

// The enabled commands of a list in list order; one entry of kind 0 when none is enabled.
std::vector<int> EnabledKinds(const cCmdList& list) {
  std::vector<int> kinds;
  for (int i = 0; i < list.Size(); ++i)
    if (list.At(i).m_bEnable) kinds.push_back(i);
  if (kinds.empty()) kinds.push_back(0);
  return kinds;
}

const std::string& TitleLabel(int kind) {
  static const std::string kEmpty;
  const cCmdList& list = g_SystemData.m_vTitleCmd;
  return kind >= 0 && kind < list.Size() ? list.At(kind).m_strLabel : kEmpty;
}

}  // namespace

int (cSceneTitle::*const cSceneTitle::kHandlers[5])() = {
    &cSceneTitle::FadeIn, &cSceneTitle::StateMenu, &cSceneTitle::StateNewGame, &cSceneTitle::StateContinue,
    &cSceneTitle::FadeOut};

cSceneTitle::cSceneTitle() { m_nState = -1; }

cSceneTitle::~cSceneTitle() {
  ReleaseSceneBitmaps({kTitlePicture, kGameModeSheet, kAccessorySheet, kWindowSheet});
  DDReleaseSurfaceVector(m_vWorkSD);
}

void cSceneTitle::Run() {
  ReadMenuInput(3);
  RunStates(*this, kHandlers);
}

void cSceneTitle::Init() {
  cApp::RequestBGM(g_SystemData.m_vMenuBgm.At(0), g_SystemData.m_vMenuBgmContinue.At(0), 0);
  ReloadSceneBitmaps({kTitlePicture, kGameModeSheet, kAccessorySheet, kWindowSheet});
  g_MenuCursor.Reset();
  m_vEntry = EnabledKinds(g_SystemData.m_vTitleCmd);
  int row;
  if (g_bFreeStageTitle) {
    // A stage named at start-up has been played: the menu starts at the top.
    row = 0;
    g_bFreeStageTitle = 0;
    g_bFreeStagePlay = 0;
  } else {
    auto it = std::find(m_vEntry.begin(), m_vEntry.end(), cApp::m_nPlayMode);
    // Without an entry of that kind the row is the kind itself; the menu's wrap corrects it.
    row = it != m_vEntry.end() ? static_cast<int>(it - m_vEntry.begin()) : cApp::m_nPlayMode;
  }
  g_MenuCursor.m_pCur->m_nRow = row;
  m_nMenuX = 192;
  if (TitlePictureMenuOn()) m_nMenuX = 288 - g_AppSurface[kGameModeSheet].nWidth / 2;
  BuildMenu();
  m_nSubState = 0;
}

void cSceneTitle::BuildMenu() {
  DDReleaseSurfaceVector(m_vWorkSD);
  m_vWorkSD.clear();
  m_vWorkBD.clear();
  int width;
  if (TitlePictureMenuOn()) {
    width = g_AppSurface[kGameModeSheet].nWidth + 32;
  } else {
    int widest = 0;
    for (int kind : m_vEntry) widest = std::max(widest, SjisCharCount(TitleLabel(kind)));
    width = widest * 32 + 34;
  }
  const int height = static_cast<int>(m_vEntry.size()) * 32 + 2;
  if (!DDAddSurface(m_vWorkSD, m_vWorkBD, width, height, 1, 1, 0, nullptr)) {
    PostClose();
    return;
  }
  DrawMenu();
}

void cSceneTitle::DrawMenu() {
  if (m_vWorkSD.empty()) return;
  DDSURFACEDATA* menu = &m_vWorkSD.At(0);
  if (TitlePictureMenuOn()) {
    DDFillSurface(menu, 0);
    const int stripWidth = g_AppSurface[kGameModeSheet].nWidth;
    for (size_t i = 0; i < m_vEntry.size(); ++i)
      DDBlt(menu, 32, static_cast<int>(i) * 32, stripWidth, 32, &g_AppSurface[kGameModeSheet], 0, m_vEntry[i] * 32, 1);
    return;
  }
  DDBltWithFrame(menu, 1, 1, menu->nWidth - 2, menu->nHeight - 2, &g_AppSurface[kWindowSheet], 1, 240);
  for (size_t i = 0; i < m_vEntry.size(); ++i)
    g_Font[2].DrawText(menu, 32, static_cast<int>(i) * 32, TitleLabel(m_vEntry[i]).c_str());
}

void cSceneTitle::Draw() {
  DDBlt(&BackBuffer, 0, 0, 640, 480, &g_AppSurface[kTitlePicture], 0, 0, 0);
  if (!m_vWorkSD.empty()) {
    DDSURFACEDATA* menu = &m_vWorkSD.At(0);
    if (menu->bLost) {
      DrawMenu();
      menu->bLost = 0;
    }
    DDBlt(&BackBuffer, m_nMenuX, m_nMenuY, menu->nWidth, menu->nHeight, menu, 0, 0, 1);
  }
  StepColorCycle();
}

int cSceneTitle::FadeIn() {
  if (DDScreenBpp == 8) DrawMenu();  // the palette may have changed
  Draw();
  if (MenuFadeInStep()) m_nState = 1;
  return 0;
}

int cSceneTitle::StateMenu() {
  const uint16_t* dir = MenuDir();
  const int rows = static_cast<int>(m_vEntry.size());
  g_MenuCursor.MoveGrid(dir, m_nMenuX, m_nMenuY, 0, 32, 1, rows);
  DS_PlayCursorSound(dir, 2, 0);
  if (!(MenuButtons() & kAccept)) {
    Draw();
    DrawAccessoryCell(0, 0, 32, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
    return 0;
  }
  PlaySystemSound(1);
  const int kind = m_vEntry[g_MenuCursor.m_pCur->m_nRow];
  cApp::m_nPlayMode = kind;
  switch (kind) {
    case TITLE_NEWGAME:
    case TITLE_CONTINUE:
      cApp::m_nGameType = GAMETYPE_STORY;
      cApp::m_bRanking = RankingOn(GAMETYPE_STORY);
      g_MenuCursor.Push(0);
      m_nSubState = 0;
      m_nState = kind == TITLE_NEWGAME ? 2 : 3;
      break;
    case TITLE_CHALLENGE:
      cApp::m_nGameType = GAMETYPE_CHALLENGE;
      cApp::m_bRanking = RankingOn(GAMETYPE_CHALLENGE);
      if (!g_SaveData.LoadChallenge()) g_SaveData.Reset(g_SystemData.m_nChallengeNum);
      cApp::m_nNextScene = SCENE_STAGESELECT;
      m_nState = 4;
      break;
    case TITLE_FREE:
      cApp::m_nGameType = GAMETYPE_FREE;
      cApp::m_bRanking = RankingOn(GAMETYPE_FREE);
      if (OpenStageFile()) {
        cApp::m_nNextScene = SCENE_PLAY;
        m_nState = 4;
      }
      break;
    case TITLE_REPLAY:
      cApp::m_nGameType = 3;
      cApp::m_bRanking = RankingOn(3);
      if (RequestReplayLoad()) {
        cApp::m_nNextScene = SCENE_PLAY;
        m_nState = 4;
      }
      break;
    case TITLE_OPTION:
      cApp::m_nNextScene = SCENE_OPTION;
      m_nState = 4;
      break;
    case TITLE_QUIT:
      PostClose();
      break;
    default:  // a command the title does not know
      break;
  }
  return 0;
}

int cSceneTitle::StateNewGame() { return StateSlots(true); }
int cSceneTitle::StateContinue() { return StateSlots(false); }

int cSceneTitle::StateSlots(bool newGame) {
  if (m_nSubState == 0) {
    if (newGame && !SaveSlotsOn()) {
      StartNewGame();
      cApp::m_nNextScene = SCENE_WORLDMAP;
      m_nState = 4;
      return 0;
    }
    LoadSaveSlotList(g_SaveSlotList);
    *g_MenuCursor.m_pCur = cMenuCursorState();
    m_nSlotScroll = 0;
    m_nSubState = 1;
  }
  const int slots = g_SaveSlotList.Size();
  m_nSlotRows = std::min(slots, kMaxSlotRows);
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveList(dir, 1, &m_nSlotScroll, kSlotListY, 16, kSlotListX, m_nSlotRows, slots, 1);
  DS_PlayCursorSound(dir, 3, 0);
  const uint16_t buttons = MenuButtons();
  const int slot = g_MenuCursor.m_pCur->m_nRow;
  if (buttons & kAccept) {
    const bool used = slot < slots && g_SaveSlotList.At(slot).m_bUsed;
    // A new game takes an empty slot and a continue a used one; a continue whose file cannot be
    // read is refused too, so that the game never goes on with a stale progress.
    if (used == newGame || (!newGame && !g_SaveData.LoadStory(slot))) {
      PlaySystemSound(3);
      return 0;
    }
    PlaySystemSound(1);
    if (newGame) {
      StartNewGame();
      g_SaveData.m_bAutoSave = 1;
    }
    g_SaveData.m_nSlot = slot;
    cApp::m_nNextScene = SCENE_WORLDMAP;
    m_nState = 4;
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    g_MenuCursor.Pop(1);
    m_nState = 1;
    m_nSubState = 0;
    return 0;
  }
  DDBlt(&BackBuffer, 0, 0, 640, 480, &g_AppSurface[kTitlePicture], 0, 0, 0);
  StepColorCycle();
  DrawSaveSlotList(&BackBuffer, kSlotListX, kSlotListY, g_SaveSlotList, m_nSlotScroll, m_nSlotRows);
  DrawAccessoryCell(64, 0, 16, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
  return 0;
}

int cSceneTitle::FadeOut() {
  if (MenuFadeOutStep()) FinishMenuFadeOut(SCENE_TITLE);
  return 0;
}

bool cSceneTitle::OpenStageFile() {
  g_bRequestResult = 0;
  return SendRequestAndWait(WMU_OPENSTAGE, g_bRequestDone) && g_bRequestResult != 0;
}

void StartNewGame() {
  cSaveData& save = g_SaveData;
  save.Reset(g_SystemData.m_nChallengeNum);
  save.m_nMapX = g_WorldMapData.m_nStartX;
  save.m_nMapY = g_WorldMapData.m_nStartY;
  save.m_nLap = 0;
  SetStartLives(GAMETYPE_STORY, false);
}

int LoadStageAndPlay(const char* path, int mode) {
  std::string file = path ? path : "";
  g_SaveData.Reset(g_SystemData.m_nChallengeNum);
  if (!LoadStageForPlay(file.c_str(), mode, &g_PlayStageData, &g_HeroCharaData)) return 0;
  g_SaveData.m_nStageNo = 1;
  g_SaveData.m_nPart = 1;
  SetStartLives(GAMETYPE_FREE, g_bFreeStagePlay != 0);
  PathToRelative(file);
  g_SaveData.SetStage(file.c_str(), 0, 0, 0);
  return 1;
}
