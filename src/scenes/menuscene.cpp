#include "scenes/menuscene.h"

#include <string>

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/text.h"
#include "gamedata/input.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/menucursor.h"
#include "scenes/surfacesets.h"

namespace {
uint16_t g_NoInput = 0;
}

void ReadMenuInput(int mask) {
  if (g_vInput.empty()) return;
  cInput& in = g_vInput.At(0);
  in.ApplyRepeat();
  in.LatchButtons(mask);
}

const uint16_t* MenuDir() { return g_vInput.empty() ? &g_NoInput : &g_vInput.At(0).m_wDir; }
uint16_t MenuButtons() { return g_vInput.empty() ? 0 : g_vInput.At(0).m_wButton; }

int MenuFadeInStep() { return DDFadeIn(DDWorkPalette, 0, 255, 0, 0, 0, cApp::m_nFadeSpeed, DDPalette, 0); }
int MenuFadeOutStep() { return DDFadeOut(DDWorkPalette, 0, 255, 0, 0, 0, cApp::m_nFadeSpeed, DDPalette, 0); }

void FinishMenuFadeOut(int prevScene, bool resetCursor) {
  DDFillSurface(&BackBuffer, 16);
  if (resetCursor) g_MenuCursor.Reset();
  cApp::m_nPrevScene = prevScene;
  cApp::m_nScene = cApp::m_nNextScene;
}

void PostClose() { PostMessage(g_hMainWnd, WM_CLOSE, 0, 0); }

void ReloadSceneBitmaps(std::initializer_list<int> entries) {
  int indexes[8];
  int n = 0;
  for (int e : entries)
    if (n < 8) indexes[n++] = e;
  if (!DDReloadBitmaps(g_AppSurface, indexes, n)) PostClose();
}

void ReleaseSceneBitmaps(std::initializer_list<int> entries) {
  for (int e : entries) DDReleaseSurface(&g_AppSurface[e]);
}

void DrawAccessoryCell(int sx, int sy, int size, int x, int y) {
  DDBlt(&BackBuffer, x, y, size, size, &g_AppSurface[kAccessorySheet], sx, sy, 1);
}

void SetStartLives(int gameType, bool unlimited) {
  cSaveData& save = g_SaveData;
  const cCheckedVector<int32_t>& unlimitedList = g_SystemData.m_vLifeUnlimited;
  if (unlimited || (gameType < unlimitedList.Size() && unlimitedList.At(gameType))) {
    save.m_nStartLife = save.m_nLife = kUnlimitedLife;
    return;
  }
  const cCheckedVector<int32_t>& start = g_SystemData.m_vStartLife;
  save.m_nStartLife = gameType < start.Size() ? start.At(gameType) : 0;
  save.m_nLife = save.m_nStartLife - 1;
}

void ReportStageLoadFailure(const char* path) { ErrorBoxF("ステージファイル %s が読み込めません！", path); }

int RankingOn(int gameType) {
  const auto& settings = g_SystemData.m_vRankSetting;
  return gameType >= 0 && gameType < settings.Size() ? settings.At(gameType).m_bOn : 0;
}

int LabelNumberWidth(const std::string& label, int number) {
  return (SjisCharCount(label) + CountDigits(number)) * 16;
}

const std::string& SystemText(int index) {
  static const std::string kEmpty;
  const auto& texts = g_SystemData.m_vText;
  return index >= 0 && index < texts.Size() ? texts.At(index) : kEmpty;
}
