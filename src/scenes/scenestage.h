// The stage select of a challenge game: the open challenge stages with their cleared marks, bests and
// rankings; the chosen one is loaded and played.
#pragma once
#include <string>

#include "core/checked.h"
#include "gfx/records.h"
#include "scenes/scene.h"

class cSceneStageSelect : public cScene {
 public:
  cSceneStageSelect();
  ~cSceneStageSelect() override;
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;
  int StateList();

  // Records challenge stage n (from 1) as the current stage and loads its ranking when rankings are on.
  void SelectStage(int n);
  void UpdateCounts();
  void BuildPage();
  void DrawPage(DDSURFACEDATA* surface);
  void Show();

  int m_nScroll = 0;
  int m_nStageCount = 0;
  int m_nRows = 0;
  cCheckedVector<DDSURFACEDATA> m_vWorkSD;
  cCheckedVector<DDBITMAPDATA> m_vWorkBD;

 private:
  static int (cSceneStageSelect::*const kHandlers[3])();
  void RedrawPage();
};

// "data\stg4\cNN-1.stg4" for challenge stage n (from 1).
std::string ChallengeStagePath(int n);
