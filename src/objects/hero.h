// The hero: the player's character, element 0 of the hero vector. The scroll follows it, its jump
// height follows the jump key, it switches between walking and flying with their own sizes, it takes
// items with a third rectangle and runs their command lists.
//
// Jump words: the base's m_nJumpCount is the jump counter word a move-mode change sets; the play
// scene's "two jump-state flags" are m_bJumping and m_bJumpEnded; its jump-released flag is the
// closed hold (SetJumpReleased).
#pragma once
#include <list>
#include <vector>

#include "objects/charabase.h"
#include "stagedata/flow.h"

class cInput;
struct DDSURFACEDATA;

// A hit-area display box. Type: 0 the object's box, 1 m_BodyRect, 2 m_ItemRect, 3 m_ShotRect;
// kind: 0 not drawn, 1 filled, 2 frame; colour base: a palette number; counter 0..31.
struct cDrawLayer {
  int m_nType = 0;
  int m_nKind = 0;
  int m_nColor = 0;
  int m_nX = 0;
  int m_nY = 0;
  int m_nW = 0;
  int m_nH = 0;
  int m_nCounter = 0;
};

// The hero is numbered apart from the characters, which are numbered from 0: hit lists and
// FindObjById must never take a character for the hero. 0 stays "no owner" for windows.
constexpr int kHeroObjNo = -1;
// How deep item commands that take items may nest.
constexpr int kItemCmdNestMax = 16;

class cHero : public cCharaBase {
 public:
  cHero() = default;
  cHero(const cHero& other);
  cHero& operator=(const cHero& other);
  ~cHero() override = default;

  void ScaleRects(int scale) override;
  void UpdateRectsX() override;
  void UpdateRectsY() override;
  int AfterMoveX() override;
  int AfterMoveY() override;
  int MoveX() override;
  int MoveY() override;
  int RunFlows(int dying) override;
  void Jump(cCmdInstance& cmd) override;

  using cCharaBase::Init;
  // Set-up from the placed character's definition; the flows are installed last.
  void Init(const cCharaData& def, double homeX, double homeY, int16_t level);
  void GetPictureLayout(int& ofsX, int& ofsY, int& w, int& h) const;
  void SetViewMode(int mode, int applyScale, int savePos, int allowRestore);
  // 1 while the mode-change countdown runs (the saved position put back once when allowed).
  int RestorePosAfterModeChange();
  void StorePrevFacing() { m_nPrevFacing = m_nFacing; }
  void StorePrevFootCell();
  int IsNotInContactList(int objNo) const;
  void RemoveFromContactList(int objNo);
  void UpdateScreenRect();
  // Runs an item's command list on the hero: 2 when HP ran out, 1 when the stage ends, else 0.
  int RunItemCommands(const cCheckedVector<cFlowCmd>& cmds);
  void ShowPopup(int graphicKind, int index, int frame);
  void BuildDrawLayers();
  // The body picture, then the hit-area boxes shown filled or framed over it.
  void DrawLayers(DDSURFACEDATA* target, int noAdvance);
  // The play scene's sight mask (a picture larger than the view) laid over the view, centred on the hero.
  void DrawSightMask(DDSURFACEDATA* target, DDSURFACEDATA* mask);
  void SetJumpReleased(int released) { m_bJumpHoldOpen = released ? 0 : 1; }

  cInput* m_pInput = nullptr;  // the input device of the definition's player; key sequences read it
  int m_bJumpHoldOpen = 0;
  double m_dFloorUnitSpeed = 0;
  int m_bJumpRan = 0;
  int m_nPrevFacing = 0;
  int m_bRestorePending = 0;
  double m_dSavedPos[4] = {0, 0, 0, 0};
  int m_bRestoreAllowed = 0;
  std::list<int> m_lTouchedItems;
  int m_bOnSpecialFloor = 0;
  cHitRect m_ItemRect;
  std::vector<cDrawLayer> m_vDrawLayers;
  std::vector<cFlowCmd> m_vPendingFlowCmds;
  std::list<cArrangeEntry> m_lArranges;
  int m_nItemCmdDepth = 0;  // nesting of RunItemCommands
  // ---- Input locks: live play clears the direction word / the button word before the game sees it ----
  int m_bDirLock = 0;
  int m_bButtonLock = 0;
  // ---- end of the input locks ----

  // ---- The special floors and cell items under the hero's feet (the play scene writes them) ----
  int m_nFloorKind = 0;        // speed floor in force: 3 rate, 4 pushed left, 5 pushed right
  double m_dFloorRate = 0;     // its value
  int m_nFloorEffectTime = 0;  // frames the speed floor still acts
  int m_bNoJump = 0;           // stands on a no-jump floor
  int m_nBlockItemWait = 0;    // frames before a cell's item can be taken again
  int m_nJumpFrames = 0;       // rise time of a jump-pad launch
  int m_bJumpCancel = 0;       // stops a held jump
  // ---- end of the floor members ----

 private:
  void CopyOwn(const cHero& other);
};
