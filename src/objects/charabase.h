// The flow-driven part of the hero and of every other character: the object's own copy of its
// definition, impacts and the jump state, the ride and the cell under its feet, the character
// variables, who links to it, its running animations and its character effect.
#pragma once
#include <cstdint>
#include <list>

#include "core/checked.h"
#include "flow/flowinst.h"
#include "objects/effectplayer.h"
#include "objects/gameobj.h"
#include "stagedata/charadata.h"

class cCharaBase;
class cCmdInstance;
class cInput;
class cItem;
struct DDSURFACEDATA;
class cMapCell;
class cShot;
struct cDrawSource;

// A hit rectangle in stage pixels with its current and base offset and size.
struct cHitRect {
  double m_dLeft = 0;
  double m_dTop = 0;
  double m_dRight = 0;
  double m_dBottom = 0;
  int m_nOfsX = 0;
  int m_nOfsY = 0;
  int m_nW = 0;
  int m_nH = 0;
  int m_nBaseOfsX = 0;
  int m_nBaseOfsY = 0;
  int m_nBaseW = 0;
  int m_nBaseH = 0;

  void Assign(const cHitRect& other) { *this = other; }
};

// The animated change of an HP or SP gauge.
struct cGaugeAnim {
  int m_nTimer = 0;       // frames left
  double m_dChange = 0;   // pixels
  double m_dStep = 0;     // pixels per frame
  int m_nLength = 0;      // filled pixels of the 50-pixel bar

  void Assign(const cGaugeAnim& other) { *this = other; }
};

// Who points at an object: slot 0-3 a target slot of m_pObj, 4 its owner pointer.
struct cObjLink {
  cCharaBase* m_pObj = nullptr;
  int m_nSlot = 0;
  bool operator==(const cObjLink&) const = default;
};

constexpr int kLinkSlotOwner = 4;

// A shot that refers to an object: slot 0 as its target, 4 as its owner.
struct cShotLink {
  cShot* m_pShot = nullptr;
  int m_nSlot = 0;
  bool operator==(const cShotLink&) const = default;
};

// A rectangle in stage pixels.
struct cRectD {
  double m_dLeft = 0;
  double m_dTop = 0;
  double m_dRight = 0;
  double m_dBottom = 0;

  void Clear() { *this = cRectD(); }
  // Rectangles that only touch overlap.
  bool Overlaps(const cRectD& b) const {
    return m_dLeft <= b.m_dRight && m_dRight >= b.m_dLeft && m_dTop <= b.m_dBottom && m_dBottom >= b.m_dTop;
  }
};

// One attacker kept out for a while: its object number and the sub-steps left.
struct cImmuneEntry {
  int m_nKey = 0;
  int m_nFrames = 0;
  bool operator==(const cImmuneEntry&) const = default;
};
constexpr int kCharaVarCount = 9;

// An animation that overrides the base animation while it plays: started by the animation command
// or by a flow's animation cue (prioritised).
struct cRunAnim {
  cAnimSeq m_AnimSeq;
  int m_nAnimNo = 0;
  int m_bPriority = 0;
  int m_nCountdown = 0;  // frames until the animation reaches its hold frame
  int m_nHoldExt = 0;
  int m_nFlowKey = 0;    // serial number of the flow instance that started it
  int m_bPaused = 0;
};

using cCharaPtrList = std::list<cCharaBase*>;

class cCharaBase : public cGameObj {
 public:
  // The look: the graphic words, the sequencer and the picture rectangle.
  void CopyLook(const cCharaBase& other);

  // Base animation from the database's animation set: one looping, held sequence per motion; the
  // playing motion's number stays. Unforced, nothing happens when the set is the current one.
  void SetAnimSet(int16_t setIndex, int force);
  // Starts the animation cues of the running flows whose time has come.
  void RunAnimCues();
  // One cue's running animation: the database animation's sequence, prioritised, advanced by the
  // skip, its first held frame lengthened by the hold extension when the cue's hold switch is on.
  void StartCueAnim(int animNo, int countdown, int holdExt, int flowKey, int skip, int holdSwitch);
  // The picture value to draw this frame; unless noAdvance every sequencer ticks first.
  int StepAnims(int noAdvance);
  void RemoveAnimsOfFlow(int flowKey);
  void RemoveAnimsById(int animNo);
  void StopAnimsOfFlow(int flowKey);
  void ResumeAnimsOfFlow(int flowKey);

  // Gravity unless flying, riding, suspended by the jump state or rising by an impact.
  void ApplyFallGravity();
  // Applies an impact after the resistance; out receives it. 0 does nothing.
  void ApplyImpact(int8_t impact, double dirX, double dirY, int& out);
  void CalcImpactSpeeds(double& outX, double& outY, int8_t impact, double dirX, double dirY, double* prevImpactY);
  void ApplyCharaImpact(const cCharaBase& attacker, int& out);
  void ApplyShotImpact(const cShot& shot, int& out);
  // The first step of every character's MoveY: the impact's share of the vertical speed.
  void StepImpactY();
  void DecayImpactX();
  void DecayImpactY();
  void ClearImpactY();

  cCharaData m_Chara;
  cCheckedVector<cObjLink> m_vBackLink;
  double m_dImpactX = 0;
  double m_dImpactY = 0;
  int m_bImpacted = 0;
  double m_dImpactPrevY = 0;
  // Jump state.
  int m_bGravityOff = 0;  // gravity suspended
  int m_bInAir = 0;
  int m_bJumpEnded = 0;
  int m_bJumping = 0;
  cMapCell* m_pCellBelow = nullptr;  // written by the play scene's collision code
  int m_bDead = 0;
  cCharaBase* m_pRide = nullptr;  // the block character it stands on
  cCheckedVector<int32_t> m_vCharaVar;
  std::list<cRunAnim> m_lRunAnim;
  cCharaEffectState m_CharaEffect;

  // ---- The flow-driven part: set-up, links, flows, triggers, key sequences, commands ----
  cCharaBase();
  // A copy takes every member but the links: objects are linked where they live (CopyState copies
  // the links as they are).
  cCharaBase(const cCharaBase& other);
  ~cCharaBase() override;

  // Virtual slots appended to the root's, in order.
  virtual void CopyState(const cCharaBase& other);
  virtual cItem* GetHeldItem();
  virtual int AfterMoveX();
  virtual int AfterMoveY();
  virtual int MoveX();
  virtual int MoveY();
  virtual int RunFlows(int dying);
  virtual void Jump(cCmdInstance& cmd);

  // Screen coordinates: the caller refreshes the screen rectangle first.
  void SetCentre(int x, int y) override;
  void SetCentreAndClear(int x, int y, cCmdInstance& cmd) override;
  void SetCentreX(int x) override;
  void SetCentreXAndClear(int x, cCmdInstance& cmd) override;
  void SetCentreY(int y) override;
  void SetCentreYAndClear(int y, cCmdInstance& cmd) override;
  // Keeps the feet where they were: the box bottom or the picture bottom.
  void AdjustYForScale(int newScale, int oldScale, int flag) override;

  // A w x h box centred in the 32 x 32 picture cell, standing on its bottom when bottomAligned.
  void SetBodyRect(int bottomAligned, int w, int h);

  // Set-up before the root's Init: level, links, flow tables, home, state words, the definition's
  // copy with HP, SP, sight, friction, appearance effect and animation set.
  void Init(const cCharaData* def, double homeX, double homeY, int16_t level);
  void SetCellPos(int cellX, int cellY, int flag);
  void SetCellX(int cellX);
  void SetCellY(int cellY, int flag);

  // Target slot 0 the hero, owner the given object, both with their back-links.
  void InitLinks(cCharaBase* owner);
  // After it no object points at this one and this one points at none.
  void UnlinkAll();
  static bool IsSameLink(const cObjLink& a, const cObjLink& b) { return a == b; }

  // Installs flows: with insert, copies of flows go in at position (appended for -1 or beyond);
  // without, flows is the object's own list and every instance is made anew. Returns the number of
  // flows given.
  int AddFlows(cCheckedVector<cFlow>& flows, int insert, unsigned position);
  static int ExpandLoopCmds(cCheckedVector<cFlowCmd>& cmds);
  static int ExpandLoopCmdsOnce(cCheckedVector<cFlowCmd>& cmds);
  void RemoveFlow(int index);
  int RemoveFlowsById(uint8_t key);
  void AssignFlowStates(const cCheckedVector<cFlowInstance>& states);
  void RelinkFlows();

  void ResetTriggerFlags();
  void RaiseTrigger(int kind) { RaiseTriggerEx(kind, nullptr, 0); }
  void RaiseTriggerEx(int kind, cCharaBase* other, uint8_t key);
  int TestFlowKeys(cFlowInstance& inst);
  int TestKeyList(const cInput& input, const cKeyCond& cond);
  static int GetFirstHeldDirKey(const cInput& input);
  int ExecCmd(cCmdInstance* cmd);

  // Move-command geometry.
  int ResolveDirection(int dirKind, int inputNow, int tableArg, int keepDiagonal);
  void CalcCmdAngle(cCmdInstance& cmd);
  void GetCmdOffset(cCmdInstance& cmd);
  void CalcDirectionMove(double& dx, double& dy, int& face, double speed, int dirKind);
  void CalcAngleMove(double& dx, double& dy, int& face, double speed, int dirKind, int16_t angleOffset);
  void CalcTargetPointMove(double& dx, double& dy, int& face, double speed, int tx, int ty, const cEdMove& move,
                           int& frames);
  void CalcTurnBackMove(cCmdInstance& cmd, const cEdMove& move);
  int CalcAimMove(cCmdInstance& cmd, const cEdMove& move, cGameObj* target, double tx, double ty);
  void CalcScreenAvoidMove(cCmdInstance& cmd, const cEdMove& move);
  int ApplyCmdSpeed(double dx, double dy, int face, cCmdInstance& cmd, const cEdMove& move, int force);

  // Object conditions.
  int TestStatusCond(const cCond& c);
  int TestStateCond(const cCond& c);
  int TestRangeCond(const cCond& c);

  // HP and SP changes with their gauge animations; the status operations and expressions call them.
  // AddHP: 1 when HP is 0 afterwards.
  int AddHP(int delta, int force, int showGauge);
  void AddSP(int delta, int showGauge);
  void StartHPGauge(int delta);
  void StartSPGauge(int delta);
  // The screen overrides: a warp to screen coordinates pins the picture's left and top there.
  int m_bFixedX = 0;
  int m_bFixedY = 0;
  int m_nFixedX = 0;
  int m_nFixedY = 0;

  int m_bNoUnlink = 0;
  cCheckedVector<cCharaBase*> m_pTarget;  // target slots 1-4 (index 0-3)
  cCharaBase* m_pOwner = nullptr;
  cCheckedVector<cShotLink> m_vShotLink;
  int m_bOwnerGetsHits = 0;
  int m_nOwnerKey = 0;
  int m_nFlowSerial = 0;
  cCheckedVector<cFlowInstance> m_vFlowInst;
  cCheckedVector<uint8_t> m_vFlowIdBlocked;
  cCheckedVector<uint8_t> m_vFlowIdEnded;
  cCheckedVector<uint8_t> m_vFlowIdStartedNow;
  int m_bFlowIdEvent = 0;
  int m_nInitCleared = 0;  // cleared by Init
  double m_dHomeX = 0;
  double m_dHomeY = 0;
  int m_bMoveReq = 0;
  int m_nBaseAnimReq = 0;       // 0 stand, 1 move, 2 flying stand, 3 flying move
  int m_nBaseAnimReqLevel = 0;  // 2 (move) beats 1 (stand)
  int m_nDeadFrames = 0;
  int m_bTurnBack = 0;
  int m_nRideObjNo = 0;
  cRectD m_RideRect;
  cRectD m_PrevPos;
  int m_nHP = 0;
  cGaugeAnim m_GaugeHP;
  int m_nSP = 0;
  cGaugeAnim m_GaugeSP;
  int m_nSight = 0;  // pixels
  int m_bHidden = 0;
  cHitRect m_BodyRect;
  cHitRect m_ShotRect;

  // ---- Block contacts, floor tracking and the ride, as the play scene's collision code uses them ----
  // Sides touched this sub-step, with the pusher's speed recorded with each.
  int m_bContactLeft = 0;
  int m_bContactRight = 0;
  int m_bContactTop = 0;
  int m_bContactBottom = 0;
  double m_dPushLeft = 0;
  double m_dPushRight = 0;
  double m_dPushTop = 0;
  double m_dPushBottom = 0;
  cMapCell* m_pLandCell = nullptr;      // the cell last landed on
  cMapCell* m_pPrevLandCell = nullptr;  // m_pLandCell one frame earlier
  int m_nNoFloorFrames = 0;             // frames in a row without a floor
  int m_nLastBlockSide = 0;             // a block was last touched on the left (0) or the right (1)
  int m_bCeilingHit = 0;                // the ceiling word of the jump state
  int m_bPushed = 0;                    // moved sideways by a block character this sub-step
  int m_nModeChangeWait = 0;            // frames the position may still be put back (2: a block was put on it)
  int m_bRemove = 0;                    // taken out of the stage at the next death check
  void ClearContacts();
  void SetContactLeft(const cCharaBase& pusher);
  void SetContactRight(const cCharaBase& pusher);
  void SetContactTop(const cCharaBase& pusher);
  void SetContactBottom(const cCharaBase& pusher);
  // The bottom edge entered a block below / the top edge entered a block above.
  void LandOnBlock();
  void HitCeiling();
  void LeaveRide(int turnBack);
  // Death: 1 when the death ends the stage.
  int Die();
  // ---- end of the block contacts ----

  // ---- Jump words, contacts and hits that the hero, characters and shots use ----
  int m_nJumpCount = 0;   // the jump counter word: sub-steps left of a locked air state
  // The flow loop of a pass: 1 when it must stop (HP ran out after a flow that is not a death flow,
  // or, with vanishStops, the object vanished). The context is the caller's to clear.
  int StepFlows(int dying, int vanishStops);
  // After the flow loop: removes the flows marked for removal and clears the ended flow IDs.
  void FinishFlowPass();
  // Base animation at the end of a pass: the one a move asked for, else standing when still.
  void SettleBaseAnim();
  int m_bVanished = 0;  // set by the vanish and status commands
  // 1 when the cell under the feet blocks the object's side or it rides a block character.
  int IsOnSolidCell() const;
  // A shot's or sword's hit: damage and impact as for a character's; 1 when HP reached 0.
  int TakeShotHit(const cShot& shot, int& damageOut, int& impactOut);
  void RaiseShotHitTriggers(const cShot& shot, int damage, int impacted);

  // ---- Previous position, crushes, combat and drawing ----
  int m_nJumpHoldFrames = 0;  // the jump counter word: jump calls of the current jump with the key held
  void SavePrevPos();
  void RestorePrevPos();
  // Both opposite sides touched and squeezed by the recorded pushes.
  int IsCrushedX() const;
  int IsCrushedY() const;

  int m_nImmuneFrames = 0;  // sub-steps of general immunity left
  std::list<cImmuneEntry> m_lImmuneFrom;
  void StartHitImmunity();
  // The general immunity and an entry for the attacker (its object number).
  void AddHitImmunity(int attackerKey);
  void TickHitImmunity();
  int IsImmune() const { return m_nImmuneFrames > 0; }
  int IsImmuneTo(int attackerKey) const;
  // 1 when this object's HP reached 0.
  int TakeHit(const cCharaBase& attacker, int& damageOut, int& impactOut);
  void RaiseHitTriggers(const cCharaBase& attacker, int damage, int impacted);

  // The frame offset of the status values; sets or clears the record's blend.
  int GetDrawFrame(cDrawSource& src) const;
  // One displayed frame; 1 when the object can be removed (DrawDead).
  int Draw(DDSURFACEDATA* surface, int noAdvance);
  int DrawDead(DDSURFACEDATA* surface, int noAdvance);
  // Steps the character effect without drawing.
  void RunCharaEffect(int noAdvance);
  // The frame to (0, 0) of a work surface, plain or stretched to the draw size.
  void BlitFrame(DDSURFACEDATA* work, const cDrawSource& src) const;
  void BlitFrameScaled(DDSURFACEDATA* work, const cDrawSource& src) const;
  void DrawHPGauge(DDSURFACEDATA* surface);
  void DrawSPGauge(DDSURFACEDATA* surface);
  void DrawGauge(DDSURFACEDATA* surface, cGaugeAnim& gauge, int isSP);
  // ---- end of the previous position, crushes, combat and drawing ----

 private:
  cCharaBase& operator=(const cCharaBase&) = default;
  void InitFlowInstance(cFlowInstance& inst, int index, cFlow& flow);
  void InitCmdInstance(cCmdInstance& inst, cFlowCmd& cmd);
  void BuildAnimCues(cFlowInstance& inst);
  void InitCircleMoveCmd(cCmdInstance& inst, const cEdMove& move);
  int MatchKeySequence(cFlowInstance& inst, const cInput& input);
};

// The filters of the target searches. The variable compare: 0 ==, 1 !=, 2 >=, 3 <=, 4 >, 5 <,
// 6 |variable| divisible by value, 7 not divisible (a value of 0 divides everything).
struct cCharaFilter {
  int m_bGroupOn = 0;
  int m_nGroup = 0;
  int m_bVarOn = 0;
  int m_nVarIndex = 0;
  int m_nValue = 0;
  int m_nCompareOp = 0;
  int m_bExcludeObjNoOn = 0;
  int m_bExcludeInvincible1 = 0;
  int m_bExcludeInvincible2 = 0;
  int m_bExcludeUntouchable = 0;
  int m_nObjNo = 0;

  // Dead characters never pass.
  bool Passes(const cCharaBase& c) const;
};

// The variable compare of the searches; any operator outside 0-7 fails.
bool CompareCharaVar(int32_t var, int32_t value, int op);

// The first living character of the list that passes the filters.
cCharaBase* FindCharaByCondition(const cCharaPtrList& list, const cCharaFilter& filter);
// The newest link with the slot whose object is of the side (unless skipSideTest) and passes.
cCharaBase* FindLinkedChara(const cCheckedVector<cObjLink>& links, int slot, int side, int skipSideTest,
                            const cCharaFilter& filter);
// The nearest character to (x, y) by the sum of the absolute differences to its picture centre on
// screen; the earlier wins a tie. Mode 0: active on-screen characters, and only when none passes the
// active off-screen ones; 1: every active one; 2: active on-screen ones.
cCharaBase* FindNearestChara(int x, int y, const cCharaPtrList& list, int mode, const cCharaFilter& filter);
// Every filter off; mode 2 when the stage asks for on-screen characters, else 0.
cCharaBase* FindNearestCharaToPoint(int x, int y, const cCharaPtrList& list);
// From the object's own picture centre on screen.
cCharaBase* FindNearestCharaToCentre(const cGameObj& self, const cCharaPtrList& list);
