#include "scenes/scenemap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"
#include "gamedata/cmd.h"
#include "gamedata/cmdwindow.h"
#include "gamedata/panel.h"
#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/layer.h"
#include "gfx/surface.h"
#include "scenes/app.h"
#include "scenes/menuscene.h"
#include "scenes/requests.h"
#include "sound/effects.h"
#include "stagedata/stageload.h"
#include "stagedata/stagedata.h"
#include "scenes/surfacesets.h"

namespace {

constexpr int kBackPicture = 55;   // its file is the world map's background picture
constexpr int kChipSheet = 53;     // "bmp\WorldMapChip.bmp": 5 tiles a row
constexpr int kNodeSheet = 54;     // "bmp\WorldEvent.bmp": uncleared column 0, cleared column 32
constexpr int kWindowSheet = 46;   // "bmp\Window.bmp"
constexpr int kMapSurface = 68;    // the 640 x 480 map surface
constexpr int kHeroX = 288;
constexpr int kHeroY = 224;
constexpr int kBoxY = 260;
constexpr int kClosing = 4;  // no state: the program is closing

constexpr uint16_t kAccept = 1;
constexpr uint16_t kCancel = 2;
constexpr uint16_t kRankToggle = 4;
constexpr uint16_t kRankTable = 8;

// Hero cells of "bmp\Accessory.bmp" by facing (down, up, left, right).
constexpr int kHeroCell[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};

bool FlagSet(int n) { return n >= 0 && n < g_SaveData.m_vFlag.Size() && g_SaveData.m_vFlag.At(n) != 0; }

// The node's variable test, the variable on the left.
bool CompareVar(int var, int value, int op) {
  const long long magnitude = std::llabs(static_cast<long long>(var));
  switch (op) {
    case 0: return var == value;
    case 1: return var != value;
    case 2: return var >= value;
    case 3: return var <= value;
    case 4: return var > value;
    case 5: return var < value;
    case 6: return value == 0 || magnitude % value == 0;
    case 7: return value != 0 && magnitude % value != 0;
    default: return false;
  }
}

bool CellBlocked(int x, int y) {
  const cWorldMapData& map = g_WorldMapData;
  if (map.m_vCell.empty()) return false;
  const int kind = map.m_vCell.At(MapCellIndex(x, y));
  return kind >= 0 && kind < map.m_vTileKind.Size() && map.m_vTileKind.At(kind).m_bBlocked;
}

int RankGameType() { return cApp::m_nGameType; }

}  // namespace

int MapCellIndex(int x, int y) {
  const cWorldMapData& map = g_WorldMapData;
  x = std::clamp(x, 0, std::max(map.m_nWidth - 1, 0));
  if (y < 0) return x;
  return x + (std::min(y, std::max(map.m_nHeight - 1, 0)) << map.m_nShift);
}

cMapPlace* FindPlaceAt(const cMenuCursor& cursor) {
  return g_WorldMapData.FindPlace(cursor.m_pCur->m_nColumn, cursor.m_pCur->m_nRow);
}

cLifeBoxLayout GetLifeBoxLayout(int lives) {
  cLifeBoxLayout box;
  const bool unlimited = lives == kUnlimitedLife;
  const int n = unlimited ? 1 : CountDigits(lives);
  box.m_nWidth = (n + 1) * 16;
  box.m_nX = 621 - box.m_nWidth;
  box.m_strText = unlimited ? "∞" : StrPrintf("%d", lives);
  return box;
}

int (cSceneWorldMap::*const cSceneWorldMap::kHandlers[4])() = {
    &cSceneWorldMap::FadeIn, &cSceneWorldMap::StateMap, &cSceneWorldMap::StateConfirm, &cSceneWorldMap::FadeOut};

cSceneWorldMap::cSceneWorldMap() { m_nState = -1; }

cSceneWorldMap::~cSceneWorldMap() {
  ReleaseSceneBitmaps({kBackPicture, kChipSheet, kNodeSheet, kAccessorySheet, kWindowSheet, kMapSurface});
  DDReleaseSurfaceVector(m_vWorkSD);
}

void cSceneWorldMap::Run() {
  ReadMenuInput(15);
  RunStates(*this, kHandlers);
}

cMapNode* cSceneWorldMap::FindActiveNode(cMapPlace* place) {
  if (!place) return nullptr;
  const cSaveData& save = g_SaveData;
  for (int i = 0; i < place->m_vNode.Size(); ++i) {
    cMapNode& node = place->m_vNode.At(i);
    if (node.m_nNeedFlag > 0 && !FlagSet(node.m_nNeedFlag)) continue;
    if (node.m_nCondVar != 0) {
      const int var = node.m_nCondVar;
      if (var < 0 || var >= save.m_vCommonVar.Size()) continue;
      if (!CompareVar(save.m_vCommonVar.At(var), node.m_nCondValue, node.m_nCondOp)) continue;
    }
    if (save.m_nBestTotal < node.m_nNeedBest) continue;
    return &node;
  }
  return nullptr;
}

bool cSceneWorldMap::IsCleared(const cMapNode* node) { return node && FlagSet(node->m_nStageNo); }

int cSceneWorldMap::IsSettled(const cMapNode* node) {
  return node && (node->m_bPassable || IsCleared(node)) ? 1 : 0;
}

void cSceneWorldMap::LookUpNode() {
  m_pPlace = FindPlaceAt(g_MenuCursor);
  m_pNode = FindActiveNode(m_pPlace);
}

void cSceneWorldMap::SetViewOrigin() {
  m_nViewX = g_MenuCursor.m_pCur->m_nColumn - 9;
  m_nViewY = g_MenuCursor.m_pCur->m_nRow - 7;
}

void cSceneWorldMap::MoveOnMap() {
  cMenuCursorState* cur = g_MenuCursor.m_pCur;
  const uint16_t dir = *MenuDir();
  if (dir) {
    g_SaveData.m_nMapPrevX = cur->m_nColumn;
    g_SaveData.m_nMapPrevY = cur->m_nRow;
    m_SavedState = *cur;
  }
  const int width = g_WorldMapData.m_nWidth;
  const int height = g_WorldMapData.m_nHeight;
  if (dir & 1) {
    m_nFacing = 2;
    cur->m_nColumn = std::max(cur->m_nColumn - 1, 0);
  } else if (dir & 2) {
    m_nFacing = 3;
    cur->m_nColumn = std::min(cur->m_nColumn + 1, width - 1);
  } else if (dir & 4) {
    m_nFacing = 1;
    cur->m_nRow = std::max(cur->m_nRow - 1, 0);
  } else if (dir & 8) {
    m_nFacing = 0;
    cur->m_nRow = std::min(cur->m_nRow + 1, height - 1);
  }
  LookUpNode();
  const bool blocked =
      m_pNode ? m_pNode->m_nKind == MAPNODE_WALL : CellBlocked(cur->m_nColumn, cur->m_nRow);
  if (blocked) {
    *cur = m_SavedState;  // the hero turns but stays
    LookUpNode();
  } else if (dir) {
    // Only a step keeps the facing: a turn against a wall is not saved by the frames that follow.
    SetViewOrigin();
    g_SaveData.m_nMapDir = m_nFacing;
    if (!m_bDrawnOrigin || m_nDrawnX != m_nViewX || m_nDrawnY != m_nViewY) DrawMapSurface();
  }
  cur->m_nX = kHeroX;
  cur->m_nY = kHeroY;
}

void cSceneWorldMap::SelectNode() {
  cSaveData& save = g_SaveData;
  save.SetStage(m_pNode->m_strStage.c_str(), m_pNode->m_bVarSet, m_pNode->m_nVarIndex, m_pNode->m_nVarValue);
  m_nBest = save.GetStageBest(save.m_strStageKey);
  if (!cApp::m_bRanking) return;
  g_RankingData.LoadFile(RankGameType(), save.m_strStage.c_str(), save.m_bVarSet, save.m_nVarIndex,
                         save.m_nVarValue);
  save.MoveRankTableCursor(RankGameType(), 0);
  DrawRanking();
}

void cSceneWorldMap::EnterStage() {
  cSaveData& save = g_SaveData;
  save.m_nEnteredNode = 0;
  if (m_pPlace)
    for (int i = 0; i < m_pPlace->m_vNode.Size(); ++i)
      if (&m_pPlace->m_vNode.At(i) == m_pNode) save.m_nEnteredNode = i;
  save.SetStage(g_StageData.m_strPath.c_str(), m_pNode->m_bVarSet, m_pNode->m_nVarIndex, m_pNode->m_nVarValue);
  save.m_nPart = 1;
  save.m_nStageNo = m_pNode->m_nStageNo;
  const cCheckedVector<int32_t>& unlimited = g_SystemData.m_vLifeUnlimited;
  if (!unlimited.empty() && unlimited.At(0)) save.m_nStartLife = kUnlimitedLife;
  else if (MapCarryLivesOn()) save.m_nStartLife = save.m_nLife + 1;
  else save.m_nStartLife = g_SystemData.m_vStartLife.empty() ? 0 : g_SystemData.m_vStartLife.At(0);
}

void cSceneWorldMap::Init() {
  cApp::RequestBGM(g_SystemData.m_vMenuBgm.At(1), g_SystemData.m_vMenuBgmContinue.At(1), 1);
  std::snprintf(g_BitmapSet[kBackPicture].szFileName, sizeof g_BitmapSet[kBackPicture].szFileName, "%s",
                g_WorldMapData.m_strBackPicture.c_str());
  ReloadSceneBitmaps({kBackPicture, kChipSheet, kNodeSheet, kAccessorySheet, kWindowSheet, kMapSurface});
  g_MenuCursor.Reset();
  cSaveData& save = g_SaveData;
  save.UpdateTotal();
  // A position off the map (a damaged or older save, a stage clear that stored a negative one) falls
  // back to the map's start, axis by axis.
  save.Normalize();
  cMenuCursorState* cur = g_MenuCursor.m_pCur;
  cur->m_nColumn = save.m_nMapX;
  cur->m_nRow = save.m_nMapY;
  cur->m_nX = kHeroX;
  cur->m_nY = kHeroY;
  SetViewOrigin();
  m_nFacing = save.m_nMapDir >= 0 && save.m_nMapDir < 4 ? save.m_nMapDir : 0;
  LookUpNode();
  m_SavedState = *cur;
  BuildRankSurface();
  if (m_pNode && m_pNode->m_nKind == MAPNODE_STAGE) {
    SelectNode();
    m_SelectedState = *cur;
  }
  if (save.m_bAutoSave && cApp::m_nPrevScene == SCENE_PLAY && save.m_nSlot >= 0) save.SaveStory(save.m_nSlot);
  DrawMapSurface();
  m_nSubState = 0;
}

void cSceneWorldMap::DrawMapSurface() {
  m_bDrawnOrigin = true;
  m_nDrawnX = m_nViewX;
  m_nDrawnY = m_nViewY;
  DrawBackground();
  DrawTiles();
  DrawPlaces();
}

void cSceneWorldMap::DrawBackground() {
  DDSURFACEDATA* map = &g_AppSurface[kMapSurface];
  DDFillSurface(map, static_cast<DWORD>(g_WorldMapData.m_nBackColor));
  if (!g_WorldMapData.m_bBackPicture) return;
  const int ox = m_nViewX, oy = m_nViewY;
  DDBlt(map, ox < 0 ? -32 * ox : 0, oy < 0 ? -32 * oy : 0, 640, 480, &g_AppSurface[kBackPicture],
        ox < 0 ? 0 : 32 * ox, oy < 0 ? 0 : 32 * oy, 0);
}

void cSceneWorldMap::DrawTiles() {
  const cWorldMapData& map = g_WorldMapData;
  DDSURFACEDATA* target = &g_AppSurface[kMapSurface];
  DDBeginLayer(0);
  for (int row = 0; row < 15; ++row) {
    for (int column = 0; column < 20; ++column) {
      const int x = m_nViewX + column, y = m_nViewY + row;
      if (x < 0 || y < 0 || x >= map.m_nWidth || y >= map.m_nHeight || map.m_vCell.empty()) continue;
      const int kind = map.m_vCell.At(MapCellIndex(x, y));
      if (kind < 0 || kind >= map.m_vTileKind.Size()) continue;
      const int chip = map.m_vTileKind.At(kind).m_nPicture;
      DDBlt(target, 32 * column, 32 * row, 32, 32, &g_AppSurface[kChipSheet], (chip % 5) * 32, (chip / 5) * 32, 1);
    }
  }
  DDEndLayer();
}

void cSceneWorldMap::DrawPlaces() {
  DDSURFACEDATA* target = &g_AppSurface[kMapSurface];
  DDBeginLayer(0);
  for (cMapPlace& place : g_WorldMapData.m_vPlace) {
    const cMapNode* node = FindActiveNode(&place);
    if (!node) continue;
    DDBlt(target, 32 * (place.m_nX - m_nViewX), 32 * (place.m_nY - m_nViewY), 32, 32, &g_AppSurface[kNodeSheet],
          IsCleared(node) ? 32 : 0, 32 * node->m_nIcon, 1);
  }
  DDEndLayer();
}

void cSceneWorldMap::DrawHero() {
  if (++m_nHeroFrame >= 80) m_nHeroFrame = 0;
  const int second = m_nHeroFrame > 40 ? 32 : 0;
  DrawAccessoryCell(kHeroCell[m_nFacing][0] + second, kHeroCell[m_nFacing][1], 32, kHeroX, kHeroY);
}

void cSceneWorldMap::BuildRankSurface() {
  DDReleaseSurfaceVector(m_vWorkSD);
  m_vWorkSD.clear();
  m_vWorkBD.clear();
  if (!DDAddSurface(m_vWorkSD, m_vWorkBD, 272, 352, 1, 1, 0, nullptr)) {
    PostClose();
    return;
  }
  DrawRanking();
}

void cSceneWorldMap::DrawRanking() {
  if (m_vWorkSD.empty()) return;
  DDSURFACEDATA* surface = &m_vWorkSD.At(0);
  DDFillSurface(surface, 0);
  DrawPanelLayout(surface, g_RankingData.GetTableLayout(0, 0, g_SaveData.m_nRankTable, -1, RankGameType()),
                  g_Font[1], &g_AppSurface[kAccessorySheet]);
}

void cSceneWorldMap::Draw(int info) {
  DDSURFACEDATA* map = &g_AppSurface[kMapSurface];
  if (map->bLost) {
    DrawMapSurface();
    map->bLost = 0;
  }
  DDBlt(&BackBuffer, 0, 0, 640, 480, map, 0, 0, 0);
  DrawHero();
  const cSaveData& save = g_SaveData;
  if (MapShowLivesOn()) {
    const cLifeBoxLayout box = GetLifeBoxLayout(save.m_nLife);
    g_Font[1].DrawWindow(&BackBuffer, box.m_nX, 17, box.m_nWidth, 20);
    DrawAccessoryCell(0, 48, 16, box.m_nX, 19);
    g_Font[1].Printf(&BackBuffer, box.m_nX + 16, 19, "%s", box.m_strText.c_str());
  }
  if (!info || !m_pNode || m_pNode->m_nKind != MAPNODE_STAGE) return;
  if (RankingOn(GAMETYPE_STORY) && save.m_bRankShow && !m_vWorkSD.empty()) {
    DDSURFACEDATA* rank = &m_vWorkSD.At(0);
    if (rank->bLost) {
      DrawRanking();
      rank->bLost = 0;
    }
    DDBlt(&BackBuffer, 367, 64, 272, 352, rank, 0, 0, 0);
  }
  const bool showBest = MapShowBestOn() && m_nBest > 0;
  const int y = showBest ? 184 : 204;
  const int chars = SjisCharCount(m_pNode->m_strCaption);
  if (chars > 0)
    g_Font[1].PrintfBox(&BackBuffer, 304 - 8 * chars, y, 16 * chars, 16, "%s", m_pNode->m_strCaption.c_str());
  if (showBest) {
    const std::string& label = SystemText(2);
    const int width = LabelNumberWidth(label, m_nBest);
    g_Font[1].PrintfBox(&BackBuffer, 304 - width / 2, y + 20, width, 16, "%s%d", label.c_str(), m_nBest);
  }
}

int cSceneWorldMap::FadeIn() {
  cSaveData& save = g_SaveData;
  if (DDScreenBpp == 8) DrawRanking();
  Draw(!save.m_bMapReturn);
  if (!MenuFadeInStep()) return 0;
  m_nState = 1;
  if (!m_pNode || m_pNode->m_nKind != MAPNODE_STAGE) return 0;
  if (save.m_bMapReturn) {
    // The last stage was left unfinished: the hero stands where he came from.
    save.m_bMapReturn = 0;
    if (!IsCleared(m_pNode) && save.m_nMapPrevX >= 0 && save.m_nMapPrevX < g_WorldMapData.m_nWidth &&
        save.m_nMapPrevY >= 0 && save.m_nMapPrevY < g_WorldMapData.m_nHeight) {
      g_MenuCursor.m_pCur->m_nColumn = save.m_nMapPrevX;
      g_MenuCursor.m_pCur->m_nRow = save.m_nMapPrevY;
      SetViewOrigin();
      LookUpNode();
      DrawMapSurface();
    }
    return 0;
  }
  if (cApp::m_nPrevScene == SCENE_MAPMENU || IsSettled(m_pNode)) return 0;
  // Arrival on an uncleared entrance that does not ask: its stage starts at once.
  if (!LoadStageForPlay(m_pNode->m_strStage.c_str(), 1, &g_PlayStageData, &g_HeroCharaData)) {
    ReportStageLoadFailure(m_pNode->m_strStage.c_str());
    PostClose();
    m_nState = kClosing;
    return 0;
  }
  EnterStage();
  save.m_nMapPrevX = g_MenuCursor.m_pCur->m_nColumn;
  save.m_nMapPrevY = g_MenuCursor.m_pCur->m_nRow;
  m_nSubState = 0;
  m_nState = 3;
  cApp::m_nNextScene = SCENE_PLAY;
  return 0;
}

void cSceneWorldMap::RankingButtons() {
  const uint16_t buttons = MenuButtons();
  cSaveData& save = g_SaveData;
  const bool on = RankingOn(GAMETYPE_STORY) != 0;
  if (buttons & kRankToggle) {
    if (on) {
      PlaySystemSound(6);
      save.m_bRankShow = !save.m_bRankShow;
      DrawRanking();
    } else if (save.m_bRankShow) {
      save.m_bRankShow = 0;
      DrawRanking();
    }
  } else if ((buttons & kRankTable) && on) {
    if (g_SystemData.GetRankTableNum(RankGameType()) >= 2) {
      PlaySystemSound(6);
      save.MoveRankTableCursor(RankGameType(), 1);
    }
    DrawRanking();
  }
}

void cSceneWorldMap::EnterConfirm() {
  g_SaveData.m_nMapX = g_MenuCursor.m_pCur->m_nColumn;
  g_SaveData.m_nMapY = g_MenuCursor.m_pCur->m_nRow;
  g_MenuCursor.Push(0);
  m_nSubState = 0;
  m_nState = 2;
}

int cSceneWorldMap::StateMap() {
  MoveOnMap();
  DS_PlayCursorSound(MenuDir(), 3, 0);
  LookUpNode();
  const uint16_t buttons = MenuButtons();
  if (m_pNode && m_pNode->m_nKind == MAPNODE_STAGE) {
    const cMenuCursorState* cur = g_MenuCursor.m_pCur;
    if (cur->m_nColumn != m_SelectedState.m_nColumn || cur->m_nRow != m_SelectedState.m_nRow) {
      SelectNode();
      m_SelectedState = *cur;
    }
    if (!IsSettled(m_pNode)) {
      EnterConfirm();
      return 0;
    }
    if (buttons & kAccept) {
      if (!IsCleared(m_pNode) || m_pNode->m_bReplay) EnterConfirm();
      return 0;  // a cleared entrance without replay ignores accept
    }
    RankingButtons();
  }
  if (buttons & kCancel) {
    PlaySystemSound(4);
    g_SaveData.m_nMapX = g_MenuCursor.m_pCur->m_nColumn;
    g_SaveData.m_nMapY = g_MenuCursor.m_pCur->m_nRow;
    m_nSubState = 0;
    m_nState = 3;
    cApp::m_nNextScene = SCENE_MAPMENU;
    return 0;
  }
  Draw(1);
  return 0;
}

void cSceneWorldMap::LeaveConfirm() {
  const bool stepped = !IsSettled(m_pNode);
  g_MenuCursor.Pop(1);
  // A box opened by stepping onto the entrance puts the hero back on the cell he came from.
  if (stepped) *g_MenuCursor.m_pCur = m_SavedState;
  LookUpNode();
  m_nSubState = 0;
  m_nState = 1;
}

int cSceneWorldMap::StateConfirm() {
  if (m_nSubState == 0) {
    PlaySystemSound(1);
    m_bStageLoaded = LoadStageForPlay(m_pNode->m_strStage.c_str(), 1, &g_PlayStageData, &g_HeroCharaData) != 0;
    if (!m_bStageLoaded) ReportStageLoadFailure(m_pNode->m_strStage.c_str());
    g_MenuCursor.m_pCur->m_nRow = 1;  // on "no"
    m_nSubState = 1;
  }
  const int x = GetTextBoxX(304, 10, 2, 1);
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveGrid(dir, x, kBoxY, 0, 16, 1, 2);
  DS_PlayCursorSound(dir, 2, 0);
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    PlaySystemSound(1);
    if (g_MenuCursor.m_pCur->m_nRow == 0 && m_bStageLoaded) {
      g_SaveData.m_nMapDir = m_nFacing;
      EnterStage();
      m_nSubState = 0;
      m_nState = 3;
      cApp::m_nNextScene = SCENE_PLAY;
    } else {
      LeaveConfirm();
    }
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    LeaveConfirm();
    return 0;
  }
  RankingButtons();
  Draw(1);
  DrawTextBox(x, kBoxY, 10, 2, 1);
  DrawAccessoryCell(64, 0, 16, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
  return 0;
}

int cSceneWorldMap::FadeOut() {
  Draw(1);
  if (MenuFadeOutStep()) FinishMenuFadeOut(SCENE_WORLDMAP);
  return 0;
}
