// The title scene: the title picture with the menu of the enabled title commands, the story save-slot
// lists of new game and continue, and the start of each kind of game.
#pragma once
#include <vector>

#include "core/checked.h"
#include "gfx/records.h"
#include "scenes/scene.h"

// Title command kinds.
enum eTitleCmd {
  TITLE_NEWGAME = 0,
  TITLE_CONTINUE = 1,
  TITLE_CHALLENGE = 2,
  TITLE_FREE = 3,
  TITLE_REPLAY = 4,
  TITLE_OPTION = 5,
  TITLE_QUIT = 6,
};

class cSceneTitle : public cScene {
 public:
  cSceneTitle();
  ~cSceneTitle() override;
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;
  int StateMenu();
  int StateNewGame();
  int StateContinue();

  // Asks the main window for a stage file and waits for its answer; true when a stage was loaded.
  static bool OpenStageFile();

  void BuildMenu();
  void DrawMenu();
  void Draw();

  // The command kind of each visible row: at least one.
  std::vector<int> m_vEntry;
  int m_nSlotScroll = 0;
  int m_nSlotRows = 0;
  int m_nMenuX = 192;
  int m_nMenuY = 240;
  cCheckedVector<DDSURFACEDATA> m_vWorkSD;
  cCheckedVector<DDBITMAPDATA> m_vWorkBD;

 private:
  static int (cSceneTitle::*const kHandlers[5])();
  int StateSlots(bool newGame);
};

// A new story game: the progress reset, the map start, lap 0 and the story start lives.
void StartNewGame();
