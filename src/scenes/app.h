// The application object of the game thread: the six scenes, the current and next scene, the frame
// rate, and one frame of the game per call of Frame.
#pragma once
#include <cstdint>

#include "core/checked.h"

class cScene;
class cInput;
struct DDSURFACEDATA;

class cApp {
 public:
  // One frame: pacing, the lost-surface check, input, the scene switch, the scene's frame, the frame
  // rate and the picture. 0 when lost surfaces could not be restored (the program ends).
  static int Frame();
  // Makes sure the scene of the id exists and deletes every other scene.
  static void SwitchScene(int id);
  static void DeleteScenes();
  // DirectDraw pacing of the frames.
  static void WaitFrame();
  static void Present();
  // DirectDraw: restores every surface set after a loss of the screen; 0 when that failed.
  static int CheckSurfaceLost();
  static bool RestoreSurface(cCheckedVector<DDSURFACEDATA>& surfaces);
  static bool RestoreSurface(cCheckedList<DDSURFACEDATA>& surfaces);
  static bool RestoreOneSurface(DDSURFACEDATA* surface);
  static bool RestoreFontSurfaces(DDSURFACEDATA* sheets, int count);
  // A menu scene's music: the same kept music goes on playing.
  static void RequestBGM(int music, uint8_t keep, int situation);
  static void ReadInput(cCheckedVector<cInput>& inputs);

  // The scene object of an id (null for none or an id outside 0..5).
  static cScene* SceneOf(int id);
  // Frame statistics: the average frame time over the last full ring of 16.
  static uint32_t FrameTimeAverage();
  // For tests: every scene deleted and every member as at program start.
  static void ResetForTest();

  // Slots: title, world map, world-map menu, stage select, options, play.
  static inline cScene* m_pScene[6] = {};
  static inline int m_nScene = 0;
  static inline int m_nNextScene = 0;
  static inline int m_nPrevScene = 0;
  static inline int m_nPlayMode = 0;  // 0 new game, 1 continue, 2 challenge, 3 free stage, 4 replay
  static inline int m_nGameType = 0;  // 0 story, 1 challenge, 2 free stage, 3 replay
  static inline int m_nSelectCursor = 0;
  static inline int m_nSelectTop = 0;
  static inline int m_bRanking = 0;
  static inline int m_nFps = 0;
  static inline int m_nFadeSpeed = 0;
  static inline int m_nCurBgm = 0;
  static inline int m_bCurBgmKeep = 0;
};

// Shows the loading picture at once when the fixed set has it.
void PresentBackdrop();

// Starts a stage file for direct play (after the stage file dialog, the play scene's reload and a
// start-up that names a stage): resets the progress, loads the stage and sets the free-stage lives
// and the progress's stage. 1 when loaded; the caller switches to the play scene.
int LoadStageAndPlay(const char* path, int mode);

// Start-up decided against flipping the full screen (windowed start, no vertical sync, slow monitor).
extern int g_bNoFlip;

// The frame-rate display "FPS%2d(%2d)" on the back buffer: setting 2 in the small font at (549, 469),
// any other in the menu font boxed at (495, 463). Nothing is drawn until the fonts exist.
void DrawFpsText(int showFps, uint32_t fps, uint32_t average);
