#include "scenes/scenemapmenu.h"

#include <algorithm>
#include <string>

#include "core/text.h"
#include "gamedata/cmd.h"
#include "gamedata/cmdwindow.h"
#include "gamedata/savedata.h"
#include "gamedata/saveslot.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/menucursor.h"
#include "scenes/menuscene.h"
#include "scenes/requests.h"
#include "scenes/surfacesets.h"
#include "sound/effects.h"

namespace {

constexpr int kWindowSheet = 46;
constexpr int kMenuX = 264;
constexpr int kMenuY = 192;
constexpr int kSlotListX = 152;
constexpr int kSlotListY = 160;
constexpr int kMaxSlotRows = 10;

constexpr uint16_t kAccept = 1;
constexpr uint16_t kCancel = 2;

const std::string& MapMenuLabel(int kind) {
  static const std::string kEmpty;
  const cCmdList& list = g_SystemData.m_vMapMenuCmd;
  return kind >= 0 && kind < list.Size() ? list.At(kind).m_strLabel : kEmpty;
}

void DrawActiveCursor() { DrawAccessoryCell(64, 0, 16, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY); }

// A confirmation box of two texts at y with its grid cursor; the box's x.
int MoveBoxCursor(int firstText, int y) {
  const int x = GetTextBoxX(320, firstText, 2, 1);
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveGrid(dir, x, y, 0, 16, 1, 2);
  DS_PlayCursorSound(dir, 2, 0);
  return x;
}

}  // namespace

int (cSceneMapMenu::*const cSceneMapMenu::kHandlers[7])() = {
    &cSceneMapMenu::FadeIn,     &cSceneMapMenu::StateMenu,    &cSceneMapMenu::StateSave,   &cSceneMapMenu::StateAutoSave,
    &cSceneMapMenu::StateClose, &cSceneMapMenu::StateToTitle, &cSceneMapMenu::FadeOut};

cSceneMapMenu::cSceneMapMenu() {
  m_nSubState = 0;
  m_nState = -1;
}

cSceneMapMenu::~cSceneMapMenu() { ReleaseSceneBitmaps({kWindowSheet, kAccessorySheet}); }

void cSceneMapMenu::Run() {
  ReadMenuInput(3);
  RunStates(*this, kHandlers);
}

void cSceneMapMenu::Init() {
  cApp::RequestBGM(g_SystemData.m_vMenuBgm.At(1), g_SystemData.m_vMenuBgmContinue.At(1), 1);
  ReloadSceneBitmaps({kWindowSheet, kAccessorySheet});
  m_vEntry.clear();
  const cCmdList& list = g_SystemData.m_vMapMenuCmd;
  for (int i = 0; i < list.Size(); ++i)
    if (list.At(i).m_bEnable) m_vEntry.push_back(i);
  if (m_vEntry.empty()) m_vEntry.push_back(MAPMENU_SAVE);
  g_MenuCursor.Reset();
}

void cSceneMapMenu::DrawMenu() {
  int widest = 0;
  for (int kind : m_vEntry) widest = std::max(widest, SjisCharCount(MapMenuLabel(kind)));
  const int rows = static_cast<int>(m_vEntry.size());
  DDBltWithFrame(&BackBuffer, kMenuX, kMenuY, (widest + 1) * 16, rows * 16, &g_AppSurface[kWindowSheet], 1, 240);
  for (int i = 0; i < rows; ++i) g_Font[1].DrawText(&BackBuffer, 280, kMenuY + 16 * i, MapMenuLabel(m_vEntry[i]).c_str());
}

void cSceneMapMenu::DrawTotal() {
  const int total = g_SaveData.m_nBestTotal;
  if (!MapMenuShowTotalOn() || total <= 0) return;
  const std::string& label = SystemText(4);
  const int width = LabelNumberWidth(label, total);
  const int x = 320 - width / 2;
  g_Font[1].DrawWindow(&BackBuffer, x, 260, width, 16);
  g_Font[1].Printf(&BackBuffer, x, 260, "%s%d", label.c_str(), total);
}

void cSceneMapMenu::Draw() {
  DDFillSurface(&BackBuffer, 16);
  DrawMenu();
  DrawTotal();
  StepColorCycle();
}

int cSceneMapMenu::FadeIn() {
  Draw();
  DrawAccessoryCell(64, 0, 16, kMenuX, kMenuY);
  if (MenuFadeInStep()) m_nState = 1;
  return 0;
}

int cSceneMapMenu::StateMenu() {
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveGrid(dir, kMenuX, kMenuY, 0, 16, 1, static_cast<int>(m_vEntry.size()));
  DS_PlayCursorSound(dir, 2, 0);
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    PlaySystemSound(1);
    const int kind = m_vEntry[g_MenuCursor.m_pCur->m_nRow];
    // A command the menu does not know enters no state.
    if (kind > MAPMENU_TITLE) return 0;
    m_nState = kind + 2;
    g_MenuCursor.Push(0);
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    m_nState = 4;
    return 0;
  }
  Draw();
  DrawActiveCursor();
  return 0;
}

void cSceneMapMenu::BackToMenu() {
  g_MenuCursor.Pop(1);
  m_nSubState = 0;
  m_nState = 1;
}

int cSceneMapMenu::StateSave() {
  if (m_nSubState == 0) {
    *g_MenuCursor.m_pCur = cMenuCursorState();
    g_MenuCursor.m_pCur->m_nRow = std::max(g_SaveData.m_nSlot, 0);
    LoadSaveSlotList(g_SaveSlotList);
    m_nSlotRows = std::min(g_SaveSlotList.Size(), kMaxSlotRows);
    m_nSlotScroll = g_MenuCursor.m_pCur->m_nRow;  // clamped by the list's first move
    m_nSubState = 1;
  }
  const uint16_t buttons = MenuButtons();
  if (m_nSubState == 1) {
    const uint16_t* dir = MenuDir();
    g_MenuCursor.MoveList(dir, 1, &m_nSlotScroll, kSlotListY, 16, kSlotListX, m_nSlotRows, g_SaveSlotList.Size(), 1);
    DS_PlayCursorSound(dir, 3, 0);
    if (buttons & kAccept) {
      PlaySystemSound(1);
      g_MenuCursor.Push(0);
      g_MenuCursor.m_pCur->m_nRow = 1;  // on "no"
      m_nSubState = 2;
      return 0;
    }
    if (buttons & kCancel) {
      PlaySystemSound(2);
      BackToMenu();
      return 0;
    }
    DDFillSurface(&BackBuffer, 16);
    DrawSaveSlotList(&BackBuffer, kSlotListX, kSlotListY, g_SaveSlotList, m_nSlotScroll, m_nSlotRows);
    DrawActiveCursor();
    return 0;
  }
  const int x = MoveBoxCursor(12, 400);
  if (buttons & (kAccept | kCancel)) {
    if (!(buttons & kAccept)) {
      PlaySystemSound(2);
    } else if (g_MenuCursor.m_pCur->m_nRow == 0) {
      PlaySystemSound(5);
      g_SaveData.m_nSlot = g_MenuCursor.m_pPrev->m_nRow;
      g_SaveData.SaveStory(g_SaveData.m_nSlot);
    } else {
      PlaySystemSound(1);
    }
    g_MenuCursor.Pop(1);
    m_nSubState = 1;
    return 0;
  }
  DDFillSurface(&BackBuffer, 16);
  DrawSaveSlotList(&BackBuffer, kSlotListX, kSlotListY, g_SaveSlotList, m_nSlotScroll, m_nSlotRows);
  DrawTextBox(x, 400, 12, 2, 1);
  DrawAccessoryCell(80, 0, 16, g_MenuCursor.m_pPrev->m_nX, g_MenuCursor.m_pPrev->m_nY);
  DrawActiveCursor();
  return 0;
}

int cSceneMapMenu::StateAutoSave() {
  cSaveData& save = g_SaveData;
  if (m_nSubState == 0) {
    *g_MenuCursor.m_pCur = cMenuCursorState();
    g_MenuCursor.m_pCur->m_nRow = save.m_bAutoSave ? 0 : 1;
    m_nSubState = save.m_nSlot == -1 ? 2 : 1;
  }
  const uint16_t buttons = MenuButtons();
  if (m_nSubState == 2) {
    // No slot known yet: only the message, and nothing changes.
    const int x = GetTextBoxX(320, 16, 1, 0);
    if (buttons & (kAccept | kCancel)) {
      PlaySystemSound(buttons & kAccept ? 1 : 2);
      BackToMenu();
      return 0;
    }
    DDFillSurface(&BackBuffer, 16);
    DrawTextBox(x, 232, 16, 1, 0);
    return 0;
  }
  const int x = MoveBoxCursor(14, 224);
  if (buttons & kAccept) {
    PlaySystemSound(1);
    if (g_MenuCursor.m_pCur->m_nRow == 0) {
      // The slot is written before the switch is set: the file keeps the switch it had.
      save.SaveStory(save.m_nSlot);
      save.m_bAutoSave = 1;
    } else {
      save.m_bAutoSave = 0;
    }
    BackToMenu();
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    BackToMenu();
    return 0;
  }
  DDFillSurface(&BackBuffer, 16);
  DrawTextBox(x, 224, 14, 2, 1);
  DrawActiveCursor();
  return 0;
}

int cSceneMapMenu::StateClose() {
  m_nSubState = 0;
  cApp::m_nNextScene = SCENE_WORLDMAP;
  m_nState = 6;
  return 0;
}

int cSceneMapMenu::StateToTitle() {
  if (m_nSubState == 0) {
    *g_MenuCursor.m_pCur = cMenuCursorState();
    g_MenuCursor.m_pCur->m_nRow = 1;  // on "no"
    m_nSubState = 1;
  }
  const int x = MoveBoxCursor(17, 224);
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    PlaySystemSound(1);
    if (g_MenuCursor.m_pCur->m_nRow == 0) {
      cApp::m_nNextScene = SCENE_TITLE;
      m_nState = 6;
    } else {
      BackToMenu();
    }
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    BackToMenu();
    return 0;
  }
  DDFillSurface(&BackBuffer, 16);
  DrawTextBox(x, 224, 17, 2, 1);
  DrawActiveCursor();
  return 0;
}

int cSceneMapMenu::FadeOut() {
  if (!MenuFadeOutStep()) return 0;
  FinishMenuFadeOut(SCENE_MAPMENU, false);
  m_nState = -1;
  return 0;
}
