#include "scenes/sceneoption.h"

#include "core/text.h"
#include "gamedata/cmd.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/systemswitches.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/surface.h"
#include "platform/win/types.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/menucursor.h"
#include "scenes/menuscene.h"
#include "scenes/requests.h"
#include "scenes/surfacesets.h"
#include "sound/bgmplayer.h"
#include "sound/bgmslots.h"
#include "sound/effects.h"

namespace {

constexpr int kWindowSheet = 46;
constexpr int kRowX = 48;
constexpr int kRowY = 96;

constexpr uint16_t kAccept = 1;
constexpr uint16_t kCancel = 2;

// The value an editable kind changes and its range.
struct cOptionRange {
  int32_t cOptionData::*member;
  int min, max;
};

// Null for the kinds that edit no number (the name, leaving) and for unknown kinds.
const cOptionRange* EditRange(int kind) {
  static constexpr cOptionRange kBgm{&cOptionData::m_bBgm, 0, 1}, kVolume{&cOptionData::m_nVolume, 0, 10},
      kRankMode{&cOptionData::m_nRankMode, 0, 3}, kPalette{&cOptionData::m_nPalette, 0, 23};
  switch (kind) {
    case OPTION_BGM: return &kBgm;
    case OPTION_VOLUME: return &kVolume;
    case OPTION_RANKMODE: return &kRankMode;
    case OPTION_PALETTE: return &kPalette;
    default: return nullptr;
  }
}

}  // namespace

void ApplySoundVolume(int step) {
  const int volume = OptionSoundVolume(step);
  // Every buffer of a sound, its duplicates too: overlapping plays sound at the chosen volume at once.
  for (DSSOUNDDATA& sound : g_vSound)
    for (int i = 0; i < static_cast<int>(sound.vBuffer.size()); ++i) DS_SetVolume(&sound, i, volume, 0);
}

int (cSceneOption::*const cSceneOption::kHandlers[3])() = {&cSceneOption::FadeIn, &cSceneOption::StateOptions,
                                                            &cSceneOption::FadeOut};

cSceneOption::cSceneOption() { m_nState = -1; }

cSceneOption::~cSceneOption() {
  ReleaseSceneBitmaps({kAccessorySheet, kWindowSheet});
  DDReleaseSurfaceVector(m_vWorkSD);
}

void cSceneOption::Run() {
  ReadMenuInput(3);
  RunStates(*this, kHandlers);
}

void cSceneOption::Init() {
  cApp::RequestBGM(g_SystemData.m_vMenuBgm.At(3), g_SystemData.m_vMenuBgmContinue.At(3), 3);
  ReloadSceneBitmaps({kAccessorySheet, kWindowSheet});
  g_MenuCursor.Reset();
  m_vEntry = EnabledKinds(g_SystemData.m_vOptionCmd);
  BuildPage();
  m_nSubState = 0;
}

void cSceneOption::BuildPage() {
  if (MakeWorkSurface(m_vWorkSD, m_vWorkBD, 640, 480, 0)) DrawPage(&m_vWorkSD.At(0));
}

void cSceneOption::RedrawPage() {
  if (!m_vWorkSD.empty()) DrawPage(&m_vWorkSD.At(0));
}

void cSceneOption::DrawPage(DDSURFACEDATA* surface) {
  const cOptionData& option = g_OptionData;
  Font& font = g_Font[1];
  font.DrawWindow(surface, 1, 1, 638, 478);
  const std::string& heading = CmdLabel(g_SystemData.m_vTitleCmd, 5);
  g_Font[2].Printf(surface, 320 - SjisCharCount(heading) * 16, 32, "%s", heading.c_str());
  for (size_t i = 0; i < m_vEntry.size(); ++i) {
    const int kind = m_vEntry[i];
    const int y = kRowY + 16 * static_cast<int>(i);
    font.Printf(surface, 64, y, "%s", CmdLabel(g_SystemData.m_vOptionCmd, kind).c_str());
    switch (kind) {
      case OPTION_PALETTE: font.Printf(surface, 208, y, "%d", option.m_nPalette); break;
      case OPTION_BGM: font.Printf(surface, 208, y, "%s", option.m_bBgm ? "ON" : "OFF"); break;
      case OPTION_VOLUME: font.Printf(surface, 208, y, "%d", option.m_nVolume); break;
      case OPTION_RANKMODE: {
        const auto& names = g_SystemData.m_vRankRegText;
        const int mode = option.m_nRankMode;
        if (mode >= 0 && mode < names.Size()) font.Printf(surface, 208, y, "%s", names.At(mode).c_str());
        break;
      }
      case OPTION_RANKNAME: {
        // The name's lower-case letters are letters here, not icons.
        const int32_t icons = font.m_bIcon;
        if (IconLettersOn()) font.m_bIcon = 0;
        font.Printf(surface, 208, y, "%s", option.m_strRankName.c_str());
        font.m_bIcon = icons;
        break;
      }
      default: break;
    }
  }
}

void cSceneOption::Show() {
  ShowPage(m_vWorkSD, [this](DDSURFACEDATA* page) { DrawPage(page); });
}

int cSceneOption::FadeIn() {
  if (DDScreenBpp == 8) RedrawPage();
  Show();
  if (MenuFadeInStep()) m_nState = 1;
  return 0;
}

int cSceneOption::StateOptions() {
  if (m_nSubState == 0) {
    *g_MenuCursor.m_pCur = cMenuCursorState();
    m_nSubState = 1;
  }
  if (m_nSubState == 1) Choose();
  else Edit();
  return 0;
}

void cSceneOption::Choose() {
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveGrid(dir, kRowX, kRowY, 0, 16, 1, static_cast<int>(m_vEntry.size()));
  DS_PlayCursorSound(dir, 2, 0);
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    PlaySystemSound(1);
    m_nEditKind = m_vEntry[g_MenuCursor.m_pCur->m_nRow];
    if (m_nEditKind == OPTION_RANKNAME) {
      SendRequestAndWait(WMU_NAMEENTRY, g_bNameEntryDone);
      RedrawPage();
      Show();
      DrawAccessoryCell(64, 0, 16, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
    } else if (m_nEditKind == OPTION_LEAVE) {
      cApp::m_nNextScene = SCENE_TITLE;
      m_nSubState = 0;
      m_nState = 2;
    } else if (const cOptionRange* range = EditRange(m_nEditKind)) {
      m_pValue = &(g_OptionData.*range->member);
      m_nMin = range->min;
      m_nMax = range->max;
      m_nSavedValue = *m_pValue;
      g_MenuCursor.Push(0);
      m_nSubState = 2;
    }
    // A kind the page does not know does nothing.
    return;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    cApp::m_nNextScene = SCENE_TITLE;
    m_nSubState = 0;
    m_nState = 2;
    return;
  }
  Show();
  DrawAccessoryCell(64, 0, 16, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
}

void cSceneOption::ApplyEffect() {
  if (m_nEditKind == OPTION_PALETTE) LoadHbtPalette(*m_pValue);
  else if (m_nEditKind == OPTION_VOLUME) ApplySoundVolume(*m_pValue);
}

void cSceneOption::Edit() {
  const uint16_t* dir = MenuDir();
  for (uint16_t bit : {uint16_t{4}, uint16_t{8}}) {
    if (!(*dir & bit)) continue;
    *m_pValue += bit == 4 ? 1 : -1;
    if (*m_pValue > m_nMax) *m_pValue = m_nMin;
    if (*m_pValue < m_nMin) *m_pValue = m_nMax;
    ApplyEffect();
    RedrawPage();
  }
  DS_PlayCursorSound(dir, 2, 0);
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    PlaySystemSound(1);
    g_MenuCursor.Pop(1);
    m_nSubState = 1;
    return;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    *m_pValue = m_nSavedValue;
    ApplyEffect();
    g_MenuCursor.Pop(1);
    m_nSubState = 1;
    RedrawPage();
    return;
  }
  Show();
  const cMenuCursorState* parent = g_MenuCursor.m_pPrev;
  DrawAccessoryCell(80, 0, 16, parent->m_nX, parent->m_nY);
  DrawAccessoryCell(64, 0, 16, 192, parent->m_nY);
}

void cSceneOption::ApplyBgmSwitch() {
  const bool init = g_Bgm.IsInit();
  if (init && !g_OptionData.m_bBgm) {
    g_Bgm.Release();
  } else if (!init && g_OptionData.m_bBgm) {
    g_Bgm.Release();
    g_Bgm.Init(1, g_BgmOggSlots, g_BgmMidiSlots, kBgmSlots, g_SystemIni.Midi_DirectMusic);
  } else {
    return;
  }
  // The next music request plays even when it names the music last requested.
  cApp::m_nCurBgm = 0;
}

int cSceneOption::FadeOut() {
  if (!MenuFadeOutStep()) return 0;
  ApplyBgmSwitch();
  g_OptionData.Save(g_DataPath[DATAPATH_OPTION]);
  FinishMenuFadeOut(SCENE_OPTION);
  return 0;
}
