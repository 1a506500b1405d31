// The world-map menu of a story game: save into a story slot, switch auto-save, back to the map, or
// quit to the title after a confirmation; drawn on a black screen with window boxes.
#pragma once
#include <vector>

#include "scenes/scene.h"

// World-map menu command kinds.
enum eMapMenuCmd { MAPMENU_SAVE = 0, MAPMENU_AUTOSAVE = 1, MAPMENU_CLOSE = 2, MAPMENU_TITLE = 3 };

class cSceneMapMenu : public cScene {
 public:
  cSceneMapMenu();
  ~cSceneMapMenu() override;
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;
  int StateMenu();
  int StateSave();
  int StateAutoSave();
  int StateClose();
  int StateToTitle();

  void Draw();
  void DrawMenu();
  void DrawTotal();

  std::vector<int> m_vEntry;  // command kind of each visible row: at least one
  int m_nSlotScroll = 0;
  int m_nSlotRows = 0;

 private:
  static int (cSceneMapMenu::*const kHandlers[7])();
  void BackToMenu();
};
