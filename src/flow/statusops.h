// The shared vocabulary of status conditions and status operations: the calculation operators with
// their clamps, the percentages, the value sources and the reading and writing of coordinates.
#pragma once
#include <cstdint>

class cCharaBase;
class cCond;
class cFlowCmd;

enum eCalcOp {
  CALC_SET = 0,
  CALC_ADD = 1,
  CALC_SUB = 2,
  CALC_MUL = 3,
  CALC_DIV = 4,
  CALC_MOD = 5,
  CALC_PERCENT = 6,
};

// Subjects of a status: the subject itself, target slots 1-4, the system values.
constexpr int kStatusSubjectSystem = 5;

enum eObjStatus {
  STATUS_CHARA_VAR = 0,
  STATUS_HP = 1,
  STATUS_SP = 2,
  STATUS_MAX_HP = 3,
  STATUS_MAX_SP = 4,
  STATUS_CHARA_ID = 5,
  STATUS_X = 6,
  STATUS_Y = 7,
  STATUS_Z = 8,
  STATUS_MARK = 9,
  STATUS_SIGHT = 10,
  STATUS_POWER = 11,
  STATUS_IMPACT = 12,
  STATUS_DEFENCE = 13,
  STATUS_IMPACT_RESIST = 14,
  STATUS_FRICTION = 15,
  STATUS_SCORE = 16,
};
constexpr int kObjStatusCount = 17;

enum eSysValue {
  SYSVAL_TIME = 0,
  SYSVAL_SCROLL_X = 1,
  SYSVAL_SCROLL_Y = 2,
  SYSVAL_SCORE = 3,
  SYSVAL_LIFE = 4,
};
constexpr int kSysValueCount = 5;
// Remaining lives of this value are unlimited.
constexpr int32_t kLivesUnlimited = 999999;

// Applies the operator to *v and clamps the result to lo .. hi. Division and remainder by 0 leave
// the value, and an operator outside the table does nothing; the clamp applies in every case. The
// narrow forms compute every step in their own width, so a result beyond it wraps before the clamp.
void ApplyCalcOp(int32_t* v, int32_t x, int32_t op, int32_t lo, int32_t hi);
void ApplyCalcOp8(int8_t* v, int8_t x, int32_t op, int8_t lo, int8_t hi);
void ApplyCalcOp16(int16_t* v, int16_t x, int32_t op, int16_t lo, int16_t hi);
int CompareByOp8(int8_t a, int8_t b, int32_t op);
int CompareByOp16(int16_t a, int16_t b, int32_t op);
// base x percent / 100, rounded half away from zero; computed in 64 bits, then kept in the width.
int32_t PercentOf(int32_t base, int32_t percent);
int8_t PercentOf8(int8_t base, int32_t percent);
int16_t PercentOf16(int16_t base, int32_t percent);

// An object's status of the table: where it is stored, its width and the clamp of an operation.
// X and Y have no storage (they are read and written through the coordinate functions).
struct cStatusRef {
  void* m_p = nullptr;
  int m_nWidth = 32;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;
  int32_t Get() const;
  // Stores the value in the status's width (truncated).
  void Set(int32_t v) const;
};
// The status `selector` of obj (index: the character variable); an unknown selector has no storage.
cStatusRef ObjStatusRef(cCharaBase& obj, int selector, int index);
// A system value of the table, with its clamp; `lives` reads the stored value (unlimited included).
cStatusRef SysValueRef(int selector);

// The object of a status subject 0-4 (itself or a target slot); null for an empty slot or another
// subject value.
cCharaBase* StatusSubject(cCharaBase* subject, int who);

// The value of a value source; 0 when it gives up (an empty slot, a failed coordinate read, a sight
// range under the creation flag). Random sources draw their number here.
struct cValueSource {
  int m_nSource = 0;  // 0 constant, 1 random, 2 status, 3 variable
  int32_t m_nConst = 0;
  int32_t m_nRandA = 0;
  int32_t m_nRandB = 0;
  int m_nScope = 0;
  int m_nIndex = 0;
  int m_nWho = 0;
  int m_nSelector = 0;
  int m_nCoord = 0;
  int m_nRefPoint = 0;
};
int ReadValueSource(const cValueSource& src, cCharaBase* subject, int32_t* out);

// Coordinates: mode 0 relative to the subject, 1 stage, 2 screen. 0 when the object is missing, or
// in mode 0 the subject; another mode leaves *out and succeeds.
int GetObjPosX(int32_t* out, cCharaBase* obj, int mode, cCharaBase* subject);
int GetObjPosY(int32_t* out, cCharaBase* obj, int mode, int refPoint, cCharaBase* subject);
// Move the object to the coordinate at once through the warp.
void SetObjPosX(int32_t value, cCharaBase* obj, int mode);
void SetObjPosY(int32_t value, cCharaBase* obj, int mode, int refPoint);

// The foot, not the centre, is the point of an object: point byte 1, or 2 for an object with gravity.
bool UseFootPoint(int point, int noGravity);

// The status condition (condition kind 4).
int EvalStatusCond(const cCond& cond, cCharaBase* subject);
// Screen-centre reading of an object, the current value of the X and Y statuses.
int32_t ScreenCentreX(const cCharaBase& obj);
int32_t ScreenCentreY(const cCharaBase& obj);
// After a change of the sight range or the stopping ease: the derived values follow.
void AfterSightChange(cCharaBase& obj);
void AfterFrictionChange(cCharaBase& obj);
