// Shots and swords: small flying objects fired by the shot command, and weapon pictures that the
// sword command attaches to their owner for the parts of a sword type. Both live in the play
// scene's shot list and hit characters through the scene's hit processing.
#pragma once
#include <list>

#include "core/checked.h"
#include "objects/charabase.h"
#include "stagedata/edshot.h"

struct DDSURFACEDATA;

// The launch record of one row of a formation.
struct cShotLaunch {
  int m_nLevel = 0;
  double m_dSpeed = 0;  // pixels per frame
  int m_nAngle = 0;
  int m_nRange = 0;     // half-blocks
  int m_nLifetime = 0;  // tenths of a second
  double m_dVX = 0;     // per frame
  double m_dVY = 0;
  int m_nX = 0;
  int m_nY = 0;
  int m_nBaseX = 0;
  int m_nBaseY = 0;
  int m_nStepX = 0;
  int m_nStepY = 0;
  int m_nInnerX = 0;
  int m_nInnerY = 0;
  int m_nW = 0;
  int m_nH = 0;
  int m_nOfsX = 0;
  int m_nOfsY = 0;
  int m_nDir = 0;
};

// Sequence 0: frames 0-2 for 7 ticks each, then ended; sequence 1: frames 0 and 1 for 8 ticks, repeated.
extern const cAnimFrameTable g_ShotFrameTable;

class cShot : public cGameObj {
 public:
  cShot();
  cShot(const cShot& other);
  cShot& operator=(const cShot& other);
  // Unlinks first.
  ~cShot() override;

  void ScaleRects(int scale) override;
  void AdjustYForScale(int newScale, int oldScale, int flag) override;
  void UpdateRectsX() override;
  void UpdateRectsY() override;

  // A trial shot (CalcAimAngle's) is initialised with a null owner list registration: Init itself
  // registers nothing.
  void Init(int objNo, cCharaBase* owner, int cmdKind, const cEdShot& rec, const cShotLaunch& launch);
  // One sub-step before the shot moves; 1 = remove it now.
  int Update();
  int UpdateSword();
  int MoveX();
  int MoveY();
  int ClampX();
  int IsInBlock() const;
  void Unlink();
  // Splits the acceleration along (dx, dy).
  void SetSpeedByDirection(double& outX, double& outY, double dx, double dy) const;
  void Draw(DDSURFACEDATA* target, int advance);
  // Adds the back-links of a shot that is in its list: its target's (slot 0, kinds 3 and 6) and its
  // owner's (slot 4).
  void RegisterLinks();
  // Hit list: object numbers, so that a later object at a reused address is still hit.
  int HasHit(int objNo) const;
  void AddHit(int objNo);

  int m_nOwnerNo = 0;
  int m_bIsShot = 0;
  int m_nRangeSteps = 0;
  int m_nLifeSteps = 0;
  int m_nMoveStep = 0;
  int m_nSwordPart = 0;
  double m_dAccel = 0;
  double m_dMoveSpeed = 0;
  double m_dVelX = 0;
  double m_dVelY = 0;
  int m_bAccelerating = 0;
  int m_nTurnStep = 0;
  int m_nHomeEndStep = 0;
  int m_bMoveDone = 0;
  double m_dWavePhase = 0;
  double m_dWaveNormY = 0;
  double m_dWaveNormX = 0;
  cHitRect m_HitBox;
  std::list<int> m_lHitObjects;
  cEdShot m_Shot;
  cCharaBase* m_pShotTarget = nullptr;
  cCharaBase* m_pShotOwner = nullptr;
  int m_bReportHit = 0;
  uint8_t m_nReportKey = 0;
  int m_bFinished = 0;  // its move or life has ended: the hit pass removes it
  // Where AddShotToList or EmplaceShot filed the shot (a copy is filed nowhere): its node in the shot
  // list and in its side's list, so that taking it out needs no search.
  cCheckedList<cShot>* m_pFiledIn = nullptr;
  cCheckedList<cShot>::iterator m_itFiled;
  cCheckedList<cShot*>* m_pSideList = nullptr;
  cCheckedList<cShot*>::iterator m_itSide;
};

// Appends a copy of the shot to the list and files it in the scene's per-side list; returns the
// element in the list.
cShot& AddShotToList(cCheckedList<cShot>& list, const cShot& shot);
// Builds a shot in place at the end of the list (Init on the element that stays) and files it.
cShot& EmplaceShot(cCheckedList<cShot>& list, int objNo, cCharaBase* owner, int cmdKind, const cEdShot& rec,
                   const cShotLaunch& launch);
// Removes the shot from its per-side list and from the list; returns the following position.
cCheckedList<cShot>::iterator RemoveShot(cCheckedList<cShot>& list, cCheckedList<cShot>::iterator pos);
// Removes the shot from its per-side list and from the list when it is in the list; false when not.
bool RemoveShot(cCheckedList<cShot>& list, cShot* shot);
// Empties the per-side lists while the shots stay in the list.
void ClearSideShots(cCheckedVector<cCheckedList<cShot*>>& sides, cCheckedList<cShot>& list);
std::list<int> CopyRefList(const cShot& shot);
