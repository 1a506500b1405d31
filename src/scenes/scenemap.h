// The world-map scene of a story game: the hero walks the map cell by cell, stands on stage
// entrances (their caption, best and ranking shown), enters a stage after a confirmation, and
// opens the world-map menu on cancel. The hero's cell is the current state of the menu cursor stack.
#pragma once
#include <string>

#include "core/checked.h"
#include "gamedata/worldmap.h"
#include "gfx/records.h"
#include "scenes/menucursor.h"
#include "scenes/scene.h"

class cSceneWorldMap : public cScene {
 public:
  cSceneWorldMap();
  ~cSceneWorldMap() override;
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;
  int StateMap();
  int StateConfirm();

  // The first node of the place whose conditions hold, or null.
  static cMapNode* FindActiveNode(cMapPlace* place);
  static bool IsCleared(const cMapNode* node);
  // 1 when the node exists and asks first or is cleared.
  static int IsSettled(const cMapNode* node);
  void MoveOnMap();
  void SelectNode();
  void EnterStage();
  void SetViewOrigin();

  void Draw(int info);
  void DrawMapSurface();
  void DrawBackground();
  void DrawTiles();
  void DrawPlaces();
  void DrawHero();
  void BuildRankSurface();
  void DrawRanking();

  int m_nViewX = 0;
  int m_nViewY = 0;
  cMapPlace* m_pPlace = nullptr;
  cMapNode* m_pNode = nullptr;
  int m_nFacing = 0;  // 0 down, 1 up, 2 left, 3 right
  cMenuCursorState m_SavedState;
  cMenuCursorState m_SelectedState;
  int m_nBest = 0;
  // The origin the map surface was last drawn with (none before the first drawing).
  bool m_bDrawnOrigin = false;
  int m_nDrawnX = 0;
  int m_nDrawnY = 0;
  // The hero's walking frame counter, shared by every drawing of the hero.
  int m_nHeroFrame = 0;
  // The confirmation box loaded the stage of its node.
  bool m_bStageLoaded = false;
  cCheckedVector<DDSURFACEDATA> m_vWorkSD;
  cCheckedVector<DDBITMAPDATA> m_vWorkBD;

 private:
  static int (cSceneWorldMap::*const kHandlers[4])();
  void LookUpNode();
  void EnterConfirm();
  void LeaveConfirm();
  void RankingButtons();
};

// Index of cell (x, y) in the world map's cell list, both coordinates clamped into the grid.
int MapCellIndex(int x, int y);
// The first place at the current cursor state's column and row, or null.
cMapPlace* FindPlaceAt(const cMenuCursor& cursor);

// The lives box of the world map: its x and width for the current lives, and the text after the icon.
struct cLifeBoxLayout {
  int m_nX = 0;
  int m_nWidth = 0;
  std::string m_strText;
};
cLifeBoxLayout GetLifeBoxLayout(int lives);
