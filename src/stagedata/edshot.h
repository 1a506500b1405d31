// The shot block of a command: how the shot, sword and summon commands fire shots, attach a sword or
// place objects in a formation. Commands hold it through a shared holder; every shot and sword
// object keeps a copy of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/record.h"

class cEdShot : public cDataRecord {
 public:
  // For callers that repair without an effect list: only negative effect numbers are repaired.
  static constexpr size_t kEffectCountUnchecked = SIZE_MAX;

  cEdShot();

  void RegisterFields(int version) override;
  // Reads a body, upgrades it and repairs it against an effect list of effectCount entries.
  int Read(cDataFile& file, size_t effectCount);
  // Repairs the block against an effect list of effectCount entries, then writes its body.
  int Write(cDataFile& file, size_t effectCount);
  // The same against the database's effect list.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  void SetDefaults();
  // A scale of 0 or less becomes 1; an effect outside the list (negative ones too) becomes 0.
  void Normalize(size_t effectCount);

  // The offset of the row at `level`, negated for an owner facing right (facing 1) when mirrored.
  double GetLevelOffsetX(int level, int facing) const;
  double GetLevelOffsetY(int level, int facing) const;

  int8_t m_nCount = 0;
  int8_t m_nFormation = 0;
  int16_t m_sFormParam[3] = {0, 0, 0};
  int8_t m_nOrigin = 0;
  int8_t m_nShotDir = 0;
  int8_t m_bAim = 0;
  int8_t m_nShotTarget = 0;
  int16_t m_sAngleOfs = 0;
  int16_t m_sAngleOfsStep = 0;
  int8_t m_bAngleMirrorShot = 1;
  int16_t m_sSpread = 0;
  int8_t m_bRotate = 0;
  int8_t m_nCopies = 0;
  int16_t m_sPosX = 0;
  int16_t m_sPosXStep = 0;
  int16_t m_sPosY = 0;
  int16_t m_sPosYStep = 0;
  int8_t m_bMirrorPosX = 1;
  int8_t m_bMirrorPosY = 0;
  int16_t m_sGraphic = 0;
  int8_t m_nZ = 0;
  int8_t m_bInvisible = 0;
  int8_t m_bOwnerFaction = 1;
  int8_t m_nFaction = 0;
  int8_t m_nReserved25 = 0;
  int8_t m_nScale = 1;
  int8_t m_nReserved27 = 0;
  int8_t m_nMoveKind = 0;
  int16_t m_sMoveParam[3] = {0, 0, 0};
  int8_t m_nOwnerTarget = 0;
  int8_t m_bScrollSync = 0;
  int16_t m_sSpeed = 0;
  int16_t m_sSpeedStep = 0;
  int8_t m_bAccelShot = 0;
  int16_t m_sAccel = 0;
  int16_t m_sAccelStep = 0;
  int16_t m_sRange = 0;
  int8_t m_bRangeOn = 0;
  int16_t m_sRangeStep = 0;
  int8_t m_bKeepAtRangeEnd = 0;
  int8_t m_bLifeOn = 0;
  int16_t m_sLife = 0;
  int16_t m_sLifeStep = 0;
  int8_t m_nBlockPass = 0;
  int8_t m_bPierceChara = 0;
  int8_t m_bPierceBlockChara = 0;
  int8_t m_bShotVsShot = 0;
  int8_t m_nVanish = 0;
  int32_t m_nPower = 0;
  int16_t m_sReserved50 = 0;
  int8_t m_nImpact = 0;
  int16_t m_sEffect = 0;
  int8_t m_nItemPalette = 0;
  int16_t m_sItem = 0;
  int8_t m_nBlockMode = 0;
  int8_t m_nReserved56 = 0;
  int8_t m_nReserved57 = 0;
  int8_t m_nSummonPalette = 0;
  int16_t m_sSummon = 0;
  int8_t m_nSummonFaction = 0;
  int8_t m_nReserved61 = 0;
  int8_t m_bSummonReverse = 0;
  int8_t m_bReportHit = 0;
  int8_t m_nReportKey = 0;

 private:
  void Upgrade(uint32_t fileVersion);
};

// A command's shot block: empty when the command has none.
using cEdShotHolder = std::shared_ptr<cEdShot>;

// Puts a new default block into the holder, releasing the old one.
void CreateEdShot(cEdShotHolder& holder);
// Empties the target when the source is empty; otherwise gives it a fresh copy of the source's block.
void AssignEdShotHolder(cEdShotHolder& target, const cEdShotHolder& source);
