// Character definitions. A character in a palette is a template; a placed character is one
// character of a stage with its cell, its held item and its copies. The hero is a placed character
// too. Every character object owns a copy of its definition, whose flows are its behaviour.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/cond.h"
#include "stagedata/flow.h"

class cCharaData : public cDataRecord {
 public:
  static constexpr size_t kInheritGroups = 37;

  cCharaData();

  void RegisterFields(int version) override;
  // Body and tail; test-only flows dropped unless kept; upgrades of an older file; inheritance from
  // the template; Validate.
  int Read(cDataFile& file) override;
  // Validate, then body and tail.
  int Write(cDataFile& file) override;

  // The blank definition.
  void SetDefault();
  // Repairs references to the palettes and the database, keeps a player-operated character from
  // being a block character or having copies, and removes the flows that do nothing.
  void Validate();
  // Repairs the palette references of the flows' commands.
  void FixFlows();
  void ApplyInherited();

  // Offsets of copy i from the character's own place; mirrored for a character facing right
  // (facing 1) when the definition says so.
  double GetSpawnOffsetX(int i, int facing) const;
  double GetSpawnOffsetY(int i, int facing) const;

  int8_t m_cPalKind = 0;
  int16_t m_sPalIndex = 0;
  std::string m_strName;
  int8_t m_cCondLogic = 0;
  int8_t m_bCondLatch = 0;
  int8_t m_cFacing = 0;  // at start: 0 left, 1 right
  int8_t m_cCopies = 0;  // further copies placed with this character
  int16_t m_sCopyX = 0;
  int16_t m_sCopyStepX = 0;
  int16_t m_sCopyY = 0;
  int16_t m_sCopyStepY = 0;
  int8_t m_bCopyMirrorX = 0;
  int8_t m_bCopyMirrorY = 0;
  int16_t m_sGraphic = 0;
  int8_t m_cGraphicKind = 1;
  int16_t m_sGraphicSub = 0;
  int16_t m_sAnimeSet = 0;  // database animation set
  int8_t m_cLayer = 3;      // draw layer 0-8
  int8_t m_bHiddenStatus = 0;
  int16_t m_sStartEffect = 0;  // database character effect when set up, 0 none
  int8_t m_cStartEffectType = 0;
  int8_t m_bStartEffectLoop = 1;
  int16_t m_sDeathEffect = 0;
  int8_t m_cDeathEffectType = 0;
  int8_t m_cMarkShow = 0;  // 1: overlay cell m_sMark drawn over the character
  int16_t m_sMark = 0;
  int8_t m_cOperation = 1;  // 0 the player, 1 the computer
  int8_t m_cPlayer = 0;     // input device of a player-operated character
  int8_t m_cSide = 1;
  int8_t m_cCharaId = 0;
  int8_t m_cMoveMode = 0;  // flying: 0 off, 1 through blocks, 2 stopped by blocks, 3 dying at blocks
  int8_t m_bFacingLock = 1;
  int8_t m_cInvincible = 0;  // 0 off, 1 shots hit, 2 shots pass
  int8_t m_cInvincibleTint = 0;
  int8_t m_bBlockChara = 0;  // others can stand on it
  int8_t m_cScale = 1;       // 1-10
  int8_t m_bScrollSync = 0;
  int8_t m_cSightMode = 0;
  int8_t m_cSight = 0;
  int32_t m_nMaxHP = 10;
  int32_t m_nMaxSP = 0;
  int16_t m_sFriction = 10;
  int8_t m_cBoxChoice = 0;  // box against blocks: 0 character contact, 1 shot contact, 2 shot, 3 one cell
  int32_t m_nPower = 0;
  int8_t m_cImpact = 0;
  int16_t m_sHitEffect = 0;  // database effect
  int32_t m_nDefence = 0;
  int8_t m_cImpactResist = 0;
  int32_t m_nScore = 0;
  int8_t m_cOption49 = 1;
  int8_t m_bAppearSwitch = 0;
  int16_t m_sAppearSwitch = 0;
  int8_t m_cViewAxes = 0;  // active area: 0 on screen, 1 x only, 2 y only, 3 everywhere
  int8_t m_cKeepActive = 0;

  int16_t m_sCellX = 0;
  int16_t m_sCellY = 0;
  int32_t m_nHeldItem = 0;  // placed item the character holds, -1 none
  cCheckedVector<int8_t> m_vInherit;
  cCheckedVector<cCond> m_vCond;
  cCheckedVector<cFlow> m_vFlow;

 private:
  void Upgrade(uint32_t fileVersion);
};
