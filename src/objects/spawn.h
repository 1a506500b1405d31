// Formations: the shot command and the three summon commands fill a launch record and hand it to
// one of six formation routines, which place every object and give it its velocity. Once flying, a
// shot moves by one of ten movement kinds, run every sub-step before it moves.
#pragma once
#include <array>

#include "objects/shot.h"

class cCmdInstance;

constexpr double kHalfSqrt2 = 0.7071067811865476;
constexpr double kRadToDeg = 57.29577951308232;

// The angle of every absolute direction code 0..13 (0 left, 90 up, 180 right, 270 down).
extern const std::array<int, 14> g_DirAngleTable;

using FormationFn = void (*)(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec,
                             cShotLaunch& launch);
extern const std::array<FormationFn, 6> g_FormationTable;
using ShotMoveFn = void (*)(cShot& shot);
// Kind 0 has no routine.
extern const std::array<ShotMoveFn, 10> g_ShotMoveTable;

void SpawnShots(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec);
void SpawnCharas(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec);
void SpawnItems(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec);
void SpawnBlocks(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec);
void SpawnOne(cCheckedList<cShot>& list, cShotLaunch& launch, cCharaBase* owner, cCmdInstance* cmd,
              const cEdShot& rec);
// The record's direction turned absolute by the owner's facing (12: the keys that started the flow).
int ResolveShotDir(const cCharaBase& owner, const cEdShot& rec, cCmdInstance* cmd);

void FormStraightAPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec);
void FormStraightBPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec);
void FormSpreadPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec);
void FormCentrePos(cShotLaunch& l, const cCharaBase& ref);
void FormLightningPos(cShotLaunch& l, const cCharaBase& ref, const cEdShot& rec);
void FormStraightADir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec);
void FormStraightBDir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec);
void FormSpreadDir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec);
void FormLightningDir(cShotLaunch& l, const cCharaBase& ref, const cEdShot& rec);
void PlaceRotatedLine(cShotLaunch& l, const cCharaBase& owner, int angle);
int CalcAimAngle(int x, int y, cCharaBase& owner, const cEdShot& rec, cShotLaunch& launch);

void FormStraightA(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);
void FormStraightB(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);
void FormSpread(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);
void FormLightning(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);
void FormExplosion(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);
void FormSurround(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l);

// A distance of d half-blocks as sub-steps at the shot's move speed, kept in int range.
int ShotDistToSteps(int hbl, double speed);
