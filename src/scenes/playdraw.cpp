// The play screen, composed on the back buffer in the order that decides what covers what:
// background, pictures and blocks behind, the objects plane by plane, blocks and layers in front,
// pictures in front, effects, message windows, the screen effect, the status bar and time, the help
// line, the colour cycling and the screen colour.
#include <algorithm>

#include "core/text.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/drawstate.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/surface.h"
#include "objects/item.h"
#include "objects/objcond.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "scenes/colorcycle.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kPlanes = 8;

// The sources of the characters' sprite layer in Direct3D.
void RegisterCharaSources() {
  for (int e : {2, 3}) DDLayerRegisterSource(&g_AppSurface[e]);
  for (int i = 0; i + 1 < g_vCharaBmpSD.Size(); i += 2)
    if (g_vCharaBmpSD[i].lpDT) {
      DDLayerRegisterSource(&g_vCharaBmpSD[i]);
      DDLayerRegisterSource(&g_vCharaBmpSD[i + 1]);
    }
  for (int e = 4; e <= 19; ++e) DDLayerRegisterSource(&g_AppSurface[e]);
  for (int e : {kShotSheet, kShotSheet + 1, kBuiltShotSheet, kBuiltShotSheet + 1, 40, kMarkSheet, 42})
    DDLayerRegisterSource(&g_AppSurface[e]);
  for (int x : {0, 64})
    for (int y = 208; y <= 216; y += 2) DDLayerRegisterSourceAt(&g_AppSurface[kAccessorySheet], x, y);
}

template <class List>
void EraseMarked(List& list, const cCheckedVector<const void*>& marked) {
  for (auto it = list.begin(); it != list.end();)
    it = std::find(marked.begin(), marked.end(), &*it) != marked.end() ? list.erase(it) : std::next(it);
}

}  // namespace

void cScenePlay::MarkFinished(const void* obj) {
  if (!IsMarkedFinished(obj)) m_vFinishedDisplay.push_back(obj);
}

bool cScenePlay::IsMarkedFinished(const void* obj) const {
  return std::find(m_vFinishedDisplay.begin(), m_vFinishedDisplay.end(), obj) != m_vFinishedDisplay.end();
}

void cScenePlay::SweepFinished() {
  if (!m_vFinishedDisplay.empty()) {
    auto pic = m_lPicture.begin();
    auto sd = g_lstPictureSD.begin();
    auto bd = g_lstPictureBD.begin();
    while (pic != m_lPicture.end() && sd != g_lstPictureSD.end() && bd != g_lstPictureBD.end()) {
      if (!IsMarkedFinished(&*pic)) {
        ++pic, ++sd, ++bd;
        continue;
      }
      DDReleaseSurface(&*sd);
      pic = m_lPicture.erase(pic);
      sd = g_lstPictureSD.erase(sd);
      bd = g_lstPictureBD.erase(bd);
    }
    EraseMarked(m_lEffect, m_vFinishedDisplay);
    EraseMarked(m_lMesWindow, m_vFinishedDisplay);
    m_vFinishedDisplay.clear();
  }
  for (cCharaBase* c : m_vFinishedChara) {
    auto it = std::find_if(g_lstChara.begin(), g_lstChara.end(), [c](const cChara& x) { return &x == c; });
    if (it == g_lstChara.end()) continue;
    it->UnlinkAll();
    for (auto& side : m_vSideChara) side.remove(c);
    g_lstChara.erase(it);
  }
  m_vFinishedChara.clear();
}

int cScenePlay::DrawChara(cCharaBase* chara, int noAdvance) {
  if (chara->m_bDead) {
    chara->UpdateScreenPos();
    return chara->DrawDead(&BackBuffer, noAdvance) ? 1 : 0;
  }
  if (!chara->IsOnScreen()) {
    // A character asleep until it first comes into view keeps its animation still.
    if (static_cast<cChara*>(chara)->m_bStarted) {
      chara->UpdateScreenPos();
      chara->StepAnims(0);
      chara->RunCharaEffect(0);
    }
    return 0;
  }
  chara->UpdateScreenPos();
  if (chara->m_bHidden) {
    chara->StepAnims(0);
    chara->RunCharaEffect(0);
    chara->DrawHPGauge(&BackBuffer);
    chara->DrawSPGauge(&BackBuffer);
    return 0;
  }
  chara->Draw(&BackBuffer, noAdvance);
  chara->DrawHPGauge(&BackBuffer);
  chara->DrawSPGauge(&BackBuffer);
  static_cast<cChara*>(chara)->DrawBlinkMark(&BackBuffer);
  return 0;
}

void cScenePlay::DrawObjectPlane(int plane, int layered, int noAdvance) {
  cCharaBase* hero = GetHero();
  if (hero && (!layered || hero->m_Chara.m_cLayer == plane)) OnHeroDown(noAdvance);
  // Items.
  DDBeginLayer(1);
  DDLayerRegisterSource(&g_AppSurface[kMarkSheet]);
  for (cItem& item : g_lstItem) {
    if ((layered && item.m_Item.m_cLayer != plane) || item.m_Item.m_bHidden || !item.IsOnScreen()) continue;
    item.UpdateScreenPos();
    item.Draw(&BackBuffer, noAdvance);
  }
  DDEndLayer();
  // Characters.
  const bool batch = lpDTCon && !NoSpriteBatchingOn();
  if (batch) {
    DDBeginLayer(0);
    RegisterCharaSources();
  }
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    cChara& c = *it;
    const bool marked = std::find(m_vFinishedChara.begin(), m_vFinishedChara.end(), &c) != m_vFinishedChara.end();
    if ((layered && c.m_Chara.m_cLayer != plane) || marked || !DrawChara(&c, noAdvance)) {
      ++it;
      continue;
    }
    if (m_nModalDepth > 0) {
      // The blocked game thread may be walking this list: the next top-level frame removes it.
      m_vFinishedChara.push_back(&c);
      ++it;
      continue;
    }
    c.UnlinkAll();
    for (auto& side : m_vSideChara) side.remove(&c);
    it = g_lstChara.erase(it);
  }
  if (batch) DDEndLayer();
  // Shots.
  DDBeginLayer(0);
  for (cShot& shot : m_lShot) {
    if ((layered && shot.m_Shot.m_nZ != plane) || !shot.IsOnScreen()) continue;
    shot.UpdateScreenPos();
    shot.Draw(&BackBuffer, noAdvance);
  }
  DDEndLayer();
}

int cScenePlay::HelpLineText() {
  if (g_bFreeStagePlay) return 27;
  if (g_bEditorLaunched) return 26;
  return -1;
}

void cScenePlay::DrawHelpLine() {
  const int text = HelpLineText();
  if (text < 0 || text >= g_SystemData.m_vText.Size()) return;
  const std::string& line = g_SystemData.m_vText[text];
  g_Font[1].Printf(&BackBuffer, 320 - SjisCharCount(line) * 16 / 2, 456, "%s", line.c_str());
}

void cScenePlay::Draw(int noPauseShortcut, int noAdvance, int timeSound, int helpLine) {
  if (m_nModalDepth == 0) SweepFinished();
  // 1. Shot sheets that lost their contents.
  DDSURFACEDATA* sheets = &g_AppSurface[kBuiltShotSheet];
  if (sheets[0].bLost || sheets[1].bLost) {
    BuildShotSheets();
    sheets[0].bLost = sheets[1].bLost = 0;
  }
  // 2. A running screen effect draws from the composed frame.
  if (m_ScrEffect.m_nIndex != 0) DDSetVirtualBackBuffer(1);
  // 3. The background.
  ScrollLayers();
  DrawLayers(&BackBuffer, 0);
  // 4. The pause menu over the front layers only.
  if (!noPauseShortcut && m_nState == PLAY_PAUSE && PauseHidesStageOn()) {
    DrawLayers(&BackBuffer, 1);
    DrawScreenColor(noAdvance);
    return;
  }
  // 5. Behind the objects.
  DrawPictures(&BackBuffer, 0, noAdvance);
  DrawBlocks(&BackBuffer, 0);
  // 6. The objects, plane by plane.
  const int layered = g_StageData.m_bDrawByLayer ? 1 : 0;
  for (int plane = 0; plane < (layered ? kPlanes : 1); ++plane) DrawObjectPlane(plane, layered, noAdvance);
  // 7. In front of the objects.
  DrawBlocks(&BackBuffer, 1);
  DrawLayers(&BackBuffer, 1);
  // 8. The range aid and the hero's sight.
  DrawRangeConds(&BackBuffer);
  if (!g_vHero.empty()) g_vHero[0].DrawSightMask(&BackBuffer, m_pSightMask);
  // 9.
  DrawPictures(&BackBuffer, 1, noAdvance);
  // 10. Effects.
  DDBeginLayer(0);
  for (auto it = m_lEffect.begin(); it != m_lEffect.end();) {
    if (IsMarkedFinished(&*it) || !it->Draw(&BackBuffer, noAdvance)) ++it;
    else if (m_nModalDepth > 0) MarkFinished(&*it++);
    else it = m_lEffect.erase(it);
  }
  DDEndLayer();
  // 11. Message windows.
  for (auto it = m_lMesWindow.begin(); it != m_lMesWindow.end();) {
    if (IsMarkedFinished(&*it) || !it->Draw(&BackBuffer, noAdvance)) ++it;
    else if (m_nModalDepth > 0) MarkFinished(&*it++);
    else it = m_lMesWindow.erase(it);
  }
  // 12. The screen effect, then what it never moves.
  DrawScrEffect(noAdvance);
  DrawStatusBar(&BackBuffer);
  DrawStageTime(&BackBuffer, timeSound);
  // 13.
  if (helpLine) DrawHelpLine();
  // 14.
  StepColorCycle();
  DrawScreenColor(noAdvance);
}
