// The movement block of a command: where a move, warp or similar command goes, how fast, along
// which axes, with which facing and animation. Commands hold it through a shared holder.
#pragma once
#include <cstdint>
#include <memory>

#include "core/record.h"

class cEdMove : public cDataRecord {
 public:
  // A stand-alone default block.
  cEdMove();

  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  // Clears every member, then sets the defaults that are not 0.
  void SetDefaults();

  int8_t m_nPosMode = 0;
  int8_t m_nDir = 0;
  int16_t m_sAngle = 0;
  int16_t m_sAngleStep = 0;
  int8_t m_bAngleMirror = 1;
  int8_t m_bAxisX = 1;
  int8_t m_bAxisY = 1;
  int16_t m_sTargetX = 0;
  int16_t m_sTargetY = 0;
  int16_t m_sTargetDotX = 0;
  int16_t m_sTargetDotY = 0;
  int8_t m_nCoordMode = 0;
  int8_t m_nUnit = 0;
  int8_t m_nRefPoint = 0;
  int8_t m_bEndAtTarget = 1;
  int8_t m_bLockX = 0;
  int8_t m_bLockY = 0;
  int8_t m_bMirrorX = 1;
  int8_t m_bMirrorY = 0;
  int8_t m_bFollowFacing = 1;
  int8_t m_bSnap = 0;
  int8_t m_bKeepFacing = 0;
  int8_t m_nSpeedMode = 0;
  int16_t m_sMoveSpeed = 10;
  int16_t m_sMoveSpeedStep = 0;
  int16_t m_sDist = 0;
  int16_t m_sDistStep = 0;
  int8_t m_nDistUnit = 0;
  int16_t m_sHomingLag = 0;
  int16_t m_sHomingLagStep = 0;
  int8_t m_bAccel = 0;
  int16_t m_sMaxSpeed = 0;
  double m_dTurnFactor = 1.0;
  int8_t m_nAnimMode = 0;
  int8_t m_nTargetSlot = 0;
};

// A command's movement block: empty when the command has none.
using cEdMoveHolder = std::shared_ptr<cEdMove>;

// Puts a new default block into the holder, releasing the old one.
void CreateEdMove(cEdMoveHolder& holder);
// Empties the target when the source is empty; otherwise gives it a fresh copy of the source's block.
void AssignEdMoveHolder(cEdMoveHolder& target, const cEdMoveHolder& source);
