// The root of every game object of a stage: identity, facing, the base animation sequencer, the
// picture rectangle, the box with its position, edges and cells, speeds, inertia and friction, the
// move mode and the flags the play update sets. Positions are pixels of the whole map grid, whose
// every side carries a margin of 10 cells; the view is 640 x 480.
#pragma once
#include <climits>
#include <cmath>
#include <cstdint>

#include "objects/animseq.h"

class cCmdInstance;
class cStageSubRec;

// The picture: its screen edges, written by UpdateScreenPos; the current offset and size (base x
// the scale); the base offset and size. The picture's top-left on screen lies at box corner -
// offset - scroll.
struct cPicRect {
  int m_nLeft = 0;
  int m_nTop = 0;
  int m_nRight = 0;
  int m_nBottom = 0;
  int m_nOfsX = 0;
  int m_nOfsY = 0;
  int m_nW = 0;
  int m_nH = 0;
  int m_nBaseOfsX = 0;
  int m_nBaseOfsY = 0;
  int m_nBaseW = 0;
  int m_nBaseH = 0;

  void Assign(const cPicRect& other) { *this = other; }
  // The picture's centre on screen.
  int CentreX() const { return m_nLeft + m_nW / 2; }
  int CentreY() const { return m_nTop + m_nH / 2; }
};

// Move modes: the character definition's flying setting.
enum eMoveMode : int {
  MOVE_WALK = 0,
  MOVE_FLY_THROUGH = 1,  // "ON (ブロックをすり抜ける)"
  MOVE_FLY_BLOCKED = 2,  // "ON (ブロックに当たる)"
  MOVE_FLY_DEADLY = 3,   // "ON (ブロックに当たると即死)"
};

// How an object meets blocks.
enum eBlockMode : int {
  BLOCK_PASS = 0,
  BLOCK_STOP = 1,
  BLOCK_DIE = 2,
};

constexpr int kLifeUnlimited = INT_MAX;

// Value toward zero as an int; values beyond the int range stop at its ends and NaN gives 0, so that
// no conversion of a double from data is undefined.
inline int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

class cGameObj {
 public:
  cGameObj() = default;
  cGameObj(const cGameObj&) = default;
  cGameObj& operator=(const cGameObj&) = default;
  virtual ~cGameObj() = default;

  // Virtual slots, in the order every kind keeps.
  // Copies every root member, the sequencer with its state.
  virtual void CopyFrom(const cGameObj& other);
  virtual void SetScale(int newScale, int oldScale, int flag);
  virtual void ScaleRects(int scale);
  virtual void AdjustYForScale(int newScale, int oldScale, int flag);
  virtual void UpdateRectsX();
  virtual void UpdateRectsY();
  virtual void SetCentre(int x, int y);
  virtual void SetCentreAndClear(int x, int y, cCmdInstance& cmd);
  virtual void SetCentreX(int x);
  virtual void SetCentreXAndClear(int x, cCmdInstance& cmd);
  virtual void SetCentreY(int y);
  virtual void SetCentreYAndClear(int y, cCmdInstance& cmd);

  // Identity, lifetime, sequencer (started forced when a frame table is given), picture and box,
  // speeds and inertias zero, the play update's flags cleared, then the move mode.
  void Init(int objNo, int operation, int controller, int side, int graphicNo, const cAnimFrameTable* table,
            int startSeq, int picOfsX, int picOfsY, int boxW, int boxH, int picW, int picH, int facing, int moveMode,
            int16_t level);
  // Modes 0-3 set the flying flag and the block mode; any other changes nothing.
  void SetMoveMode(int mode);
  // Moves x left by (newScale - oldScale) x the integer half of the base box width and checks the
  // bounds with mode 2; then AdjustYForScale.
  void ScaleKeepX(int newScale, int oldScale, int flag);
  void ScaleShiftX(int newScale, int oldScale);

  void UpdateScreenPos();
  int IsOnScreen() const;
  int IsOnScreenEx(int ignoreX, int ignoreY) const;
  int IsInStage(int wholeGrid) const;
  // The object has left the active area of the play update's deletion settings.
  int IsOutOfArea(const cStageSubRec& settings) const;
  int GetFacingSign() const { return m_nFacing ? 1 : -1; }
  // A corner cell of the box blocks the object's side.
  int IsInBlock() const;
  int IsInBlockForSide() const { return IsInBlock(); }

  // Movement (speeds in pixels per sub-step). ApplySpeedX/Y clamp the speed to the stage's limit,
  // move and return the bounds code of the mode.
  int ApplySpeedX(int boundsMode);
  int ApplySpeedY(int boundsMode);
  int CheckBoundsX(int mode);
  int CheckBoundsY(int mode);
  void ApplyGravity();
  // Moves value toward 0 by the friction; a value that would cross 0 becomes exactly 0.
  void ApplyFriction(double& value, int enabled) const;

  // Starting vertical speed (negative: upward) that rises h pixels; damped for player-operated
  // objects while the system data asks for it. A negative height gives 0.
  double JumpSpeedFromDots(double h) const;
  double JumpHeightToSpeed(int8_t hbl) const;
  // A jump's duration in command time units of 6 frames.
  int JumpHeightToFrames(int8_t hbl) const;

  // The range display and the range condition: the picture on screen overlaps the band low..high
  // on the x axis, or on the y axis when vertical.
  int IsInRangeBand(int vertical, int low, int high) const;

  // Moves toward a point on screen (the charge and homing moves). The arrival tests count only when
  // testArrive (snap) is set; on arrival with snap the mover is put on the point and its step cleared.
  void GetCommandPoint(double& x, double& y, const cCmdInstance& cmd) const;
  int SnapToCommandPoint(cCmdInstance& cmd, cGameObj* target, double tx, double ty, int sync, int snap);
  int SnapToCommandPointX(cCmdInstance& cmd, cGameObj* target, double t, int sync, int snap);
  int SnapToCommandPointY(cCmdInstance& cmd, cGameObj* target, double t, int sync, int snap);
  static int StepTowardX(double& step, double& other, int& face, const cGameObj* target, double pos, double goal,
                         double speed, int sync, int testArrive);
  static int StepTowardY(double& step, double& other, int& face, const cGameObj* target, double pos, double goal,
                         double speed, int sync, int testArrive);
  // The step from (cx, cy) toward (tx, ty) at the speed, corrected for the auto-scroll; a negative
  // speed flees (unless plain). 1 when testArrive and the point is within one step.
  static int CalcAimStep(double& dx, double& dy, int& face, const cGameObj* target, double cx, double cy, double tx,
                         double ty, double speed, int sync, int plain, int testArrive);
  // The per-sub-step velocity (Cos) and acceleration (Sin) of a wave a x sin(w (t + start)),
  // w = rate degrees per frame; the phase advances by phaseStep and wraps at 360 x n.
  static double WaveSpeedCos(int amplitude, int rate, double& phase, double phaseStep, double start);
  static double WaveSpeedSin(int amplitude, int rate, double& phase, double phaseStep, double start);

  int m_nObjNo = 0;
  int m_nLifeTime = 0;
  int m_nFacing = 0;  // 1 right, 0 left
  int16_t m_sParamLevel = 0;
  int m_nGraphicNo = 0;
  int m_nSpare = 0;  // copied with the object, read by nothing here
  cAnimSeq m_AnimSeq;
  cPicRect m_PicRect;
  int m_nOperation = 0;  // 0 the player, 1 the computer
  int m_nController = 0;
  int m_nSide = 0;
  double m_dX = 0;
  double m_dY = 0;
  double m_dRight = 0;
  double m_dBottom = 0;
  int m_nCellLeft = 0;
  int m_nCellTop = 0;
  int m_nCellRight = 0;
  int m_nCellBottom = 0;
  double m_dSpeedX = 0;
  double m_dSpeedY = 0;
  double m_dInertiaX = 0;
  double m_dInertiaY = 0;
  double m_dFriction = 0;
  int m_bFrictionX = 0;
  int m_bFrictionY = 0;
  int m_bScrollSync = 0;
  int m_nHitW = 0;
  int m_nHitH = 0;
  int m_nBaseHitW = 0;
  int m_nBaseHitH = 0;
  int m_bFlying = 0;
  int m_nBlockMode = 0;
  int m_bActive = 0;
  int m_bOnScreen = 0;
  int m_bAppearLatched = 0;

 private:
  void RefreshX();
  void RefreshY();
};

// Unit conversions of the sub-step model; n is the loaded stage's sub-steps per frame.
int HblToDot(int8_t hbl);
// A per-frame^2 setting in hundredths of a pixel as a per-sub-step^2 value.
double SpeedParamToDots(int16_t v);
// The sub-steps until gravity has cancelled the vertical speed v, plus n.
int SpeedToFrames(double v);
double CellSpeedToStep(double v);

// In DirectDraw mode the entry's copy in the other half of the picture set (index + 18) when the
// plain entry is missing (flag clear) or the copy is present (flag set); else index.
int AltPictureIndex(int index, int flag);

struct DDSURFACEDATA;
// One cell picture of a graphic kind reduced to 16 x 16 at (x, y): the blink mark of characters and
// the item popups.
void DrawGraphicCell(DDSURFACEDATA* surface, int x, int y, int graphicKind, int number, int frame);
