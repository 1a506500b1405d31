// The shot and summon commands' formations: where every object starts and how it flies.
#include "objects/spawn.h"

#include <cmath>

#include "core/random.h"
#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"

const std::array<int, 14> g_DirAngleTable = {0, 0, 0, 180, 0, 0, 90, 270, 45, 315, 135, 225, 0, 0};

namespace {

constexpr double K = kHalfSqrt2;
constexpr double kDegToRad = 1 / kRadToDeg;

double ScrollPos(bool vertical) {
  if (!g_pScenePlay) return 0;
  return (vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX).m_dPos;
}

// An object's picture in stage pixels: its screen rectangle plus the truncated scroll position.
struct cStageRect {
  int L, T, R, B, W, H, cx, cy;
  explicit cStageRect(const cGameObj& o) {
    const int sx = TruncToInt(ScrollPos(false)), sy = TruncToInt(ScrollPos(true));
    L = o.m_PicRect.m_nLeft + sx;
    T = o.m_PicRect.m_nTop + sy;
    R = o.m_PicRect.m_nRight + sx;
    B = o.m_PicRect.m_nBottom + sy;
    W = o.m_PicRect.m_nW;
    H = o.m_PicRect.m_nH;
    cx = L + (W >> 1);
    cy = T + (H >> 1);
  }
};

int Count(const cEdShot& rec) { return rec.m_nCount; }
int Gap(const cEdShot& rec) { return rec.m_sFormParam[0] * 16; }

// The velocity of the absolute direction at speed s.
void DirVelocity(cShotLaunch& l, int dir) {
  const double s = l.m_dSpeed;
  switch (dir) {
    case 2: l.m_dVX = -s, l.m_dVY = 0; break;
    case 3: l.m_dVX = s, l.m_dVY = 0; break;
    case 6: l.m_dVX = 0, l.m_dVY = -s; break;
    case 7: l.m_dVX = 0, l.m_dVY = s; break;
    case 8: l.m_dVX = -K * s, l.m_dVY = -K * s; break;
    case 9: l.m_dVX = -K * s, l.m_dVY = K * s; break;
    case 10: l.m_dVX = K * s, l.m_dVY = -K * s; break;
    case 11: l.m_dVX = K * s, l.m_dVY = K * s; break;
    default: break;
  }
}

void AngleVelocity(cShotLaunch& l, double angle) {
  l.m_dVX = -std::cos(angle * kDegToRad) * l.m_dSpeed;
  l.m_dVY = -std::sin(angle * kDegToRad) * l.m_dSpeed;
}

int TableAngle(int dir) { return dir >= 0 && dir < static_cast<int>(g_DirAngleTable.size()) ? g_DirAngleTable[dir] : 0; }

void SetFirst(cShotLaunch& l, int x, int y) {
  l.m_nX = l.m_nBaseX = x + l.m_nOfsX;
  l.m_nY = l.m_nBaseY = y + l.m_nOfsY;
}

// The reference object of lightning and surround: the owner's target, the hero or the owner.
cCharaBase* Reference(cCharaBase& owner, const cEdShot& rec) {
  switch (rec.m_nOrigin) {
    case 0: return owner.m_pTarget.At(rec.m_nShotTarget);
    case 1: return GetHero();
    default: return &owner;
  }
}

int FirstCentreX(const cShotLaunch& l) { return l.m_nX + (l.m_nW >> 1); }
int FirstCentreY(const cShotLaunch& l) { return l.m_nY + (l.m_nH >> 1); }

cCheckedList<cShot>* ShotList() { return g_pScenePlay ? &g_pScenePlay->m_lShot : nullptr; }

void Spawn(cShotLaunch& l, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  if (cCheckedList<cShot>* list = ShotList()) SpawnOne(*list, l, owner, cmd, rec);
}

}  // namespace

// ---- Position routines ----

void FormStraightAPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec) {
  const cStageRect o(owner);
  const int n = Count(rec), g = Gap(rec), w = l.m_nW, h = l.m_nH;
  const int hw = w >> 1, hh = h >> 1, hg = g >> 1;
  const int lineX = o.cx - (((n - 1) * g) >> 1) - n * hw;
  const int lineY = o.cy - (((n - 1) * g) >> 1) - n * hh;
  const double spreadX = K * (n - 1) * (hg + hw), spreadY = K * (n - 1) * (hh + hg);
  const int leftX = TruncToInt(o.cx - hw + K * (1 - (o.W >> 1) - hw));
  const int rightX = TruncToInt(o.cx - hw + K * (o.R - o.L - (o.W >> 1) + hw + 1));
  const int upY = TruncToInt(o.cy - hh - K * ((o.H >> 1) + hh));
  const int downY = TruncToInt(o.cy - hh + K * (o.B - o.T - (o.H >> 1) + hh + 1));
  int x = 0, y = 0;
  switch (l.m_nDir) {
    case 2: x = o.L + 1 - w, y = lineY, l.m_nStepX = 0, l.m_nStepY = g + h; break;
    case 3: x = o.R + 1, y = lineY, l.m_nStepX = 0, l.m_nStepY = g + h; break;
    case 6: x = lineX, y = o.T - h, l.m_nStepX = g + w, l.m_nStepY = 0; break;
    case 7: x = lineX, y = o.B + 1, l.m_nStepX = g + w, l.m_nStepY = 0; break;
    case 8:
      x = TruncToInt(leftX - spreadX), y = TruncToInt(upY + spreadY);
      l.m_nStepX = g + w, l.m_nStepY = -g - h;
      break;
    case 9:
      x = TruncToInt(leftX - spreadX), y = TruncToInt(downY - spreadY);
      l.m_nStepX = g + w, l.m_nStepY = g + h;
      break;
    case 10:
      x = TruncToInt(rightX - spreadX), y = TruncToInt(upY - spreadY);
      l.m_nStepX = g + w, l.m_nStepY = g + h;
      break;
    case 11:
      x = TruncToInt(rightX - spreadX), y = TruncToInt(downY + spreadY);
      l.m_nStepX = g + w, l.m_nStepY = -g - h;
      break;
    default: break;
  }
  DirVelocity(l, l.m_nDir);
  SetFirst(l, x, y);
}

void FormStraightBPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec) {
  const cStageRect o(owner);
  const int g = Gap(rec), w = l.m_nW, h = l.m_nH;
  int x = 0;
  switch (l.m_nDir) {
    case 2: case 8: case 9: x = o.L + 1 - w; break;
    case 3: case 10: case 11: x = o.R + 1; break;
    case 6: case 7: x = owner.m_nFacing ? o.R + 1 : o.L + 1 - w; break;
    default: break;
  }
  l.m_nStepX = 0;
  l.m_nStepY = -g - h;
  DirVelocity(l, l.m_nDir);
  SetFirst(l, x, o.B - h + 1);
}

void FormSpreadPos(cShotLaunch& l, const cCharaBase& owner, const cEdShot& rec) {
  const cStageRect o(owner);
  const int w = l.m_nW, h = l.m_nH;
  switch (l.m_nDir) {
    case 2: SetFirst(l, o.L - w + 1, o.cy - (h >> 1)); break;
    case 3: SetFirst(l, o.R + 1, o.cy - (h >> 1)); break;
    case 6: SetFirst(l, o.cx - (w >> 1), o.T - h); break;
    case 7: SetFirst(l, o.cx - (w >> 1), o.B + 1); break;
    case 8: case 9: case 10: case 11: {
      cEdShot one = rec;
      one.m_nCount = 1;
      FormStraightAPos(l, owner, one);
      return;
    }
    default: SetFirst(l, 0, 0); break;
  }
  DirVelocity(l, l.m_nDir);
}

void FormCentrePos(cShotLaunch& l, const cCharaBase& ref) {
  const cStageRect o(ref);
  SetFirst(l, o.cx - (l.m_nW >> 1), o.cy - (l.m_nH >> 1));
}

void FormLightningPos(cShotLaunch& l, const cCharaBase& ref, const cEdShot& rec) {
  const int w = l.m_nW, h = l.m_nH;
  const int Xc = ref.m_PicRect.m_nLeft + (ref.m_PicRect.m_nW >> 1);
  const int Yc = ref.m_PicRect.m_nTop + (ref.m_PicRect.m_nH >> 1);
  const double SX = ScrollPos(false), SY = ScrollPos(true);
  const int u = g_SystemData.m_bCompat555 ? 0 : Gap(rec);
  const int c = rec.m_sFormParam[1], d = rec.m_sFormParam[2] * 16;
  int x = 0, y = 0;
  bool known = true;
  switch (l.m_nDir) {
    case 2: x = TruncToInt(SX + 640 - w), y = TruncToInt(SY) + Yc - (h >> 1), l.m_nStepX = -(w + u), l.m_nStepY = 0; break;
    case 3: x = TruncToInt(SX), y = TruncToInt(SY) + Yc - (h >> 1), l.m_nStepX = w + u, l.m_nStepY = 0; break;
    case 6: x = TruncToInt(SX) + Xc - (w >> 1), y = TruncToInt(SY + 480 - h), l.m_nStepX = 0, l.m_nStepY = -(h + u); break;
    case 7: x = TruncToInt(SX) + Xc - (w >> 1), y = TruncToInt(SY), l.m_nStepX = 0, l.m_nStepY = h + u; break;
    case 8: {
      const int a = 640 - Xc, b = 480 - Yc;
      if (a < b) x = TruncToInt(SX + 640 - w), y = TruncToInt(SY + Yc + a - h);
      else x = TruncToInt(SX + Xc + b - w), y = TruncToInt(SY + 480 - h);
      l.m_nStepX = TruncToInt(-K * (w + u)), l.m_nStepY = TruncToInt(-K * (h + u));
      break;
    }
    case 9: {
      const int a = 640 - Xc, b = Yc;
      if (a < b) x = TruncToInt(SX + 640 - w), y = TruncToInt(SY + Yc - a);
      else x = TruncToInt(SX + Xc + b - w), y = TruncToInt(SY);
      l.m_nStepX = TruncToInt(-K * (w + u)), l.m_nStepY = TruncToInt(K * (h + u));
      break;
    }
    case 10: {
      const int a = Xc, b = 480 - Yc;
      if (a < b) x = TruncToInt(SX), y = TruncToInt(SY + Yc + a - h);
      else x = TruncToInt(SX + Xc - b), y = TruncToInt(SY + 480 - h);
      l.m_nStepX = TruncToInt(K * (w + u)), l.m_nStepY = TruncToInt(-K * (h + u));
      break;
    }
    case 11: {
      const int a = Xc, b = Yc;
      if (a < b) x = TruncToInt(SX), y = TruncToInt(SY + Yc - a);
      else x = TruncToInt(SX + Xc - b), y = TruncToInt(SY);
      l.m_nStepX = TruncToInt(K * (w + u)), l.m_nStepY = TruncToInt(K * (h + u));
      break;
    }
    default: known = false; break;
  }
  l.m_nInnerX = l.m_nInnerY = 0;
  if (known && c >= 2) {
    // The c lines lie side by side around the line through the reference centre.
    const int f = ((c - 1) / 2) * d + (c % 2 == 0 ? d / 2 : 0);
    const int kd = TruncToInt(K * d), kf = TruncToInt(K * f);
    switch (l.m_nDir) {
      case 2: case 3: l.m_nInnerY = d, y -= f; break;
      case 6: case 7: l.m_nInnerX = d, x -= f; break;
      case 8: case 11: l.m_nInnerX = kd, l.m_nInnerY = -kd, x -= kf, y += kf; break;
      default: l.m_nInnerX = kd, l.m_nInnerY = kd, x -= kf, y -= kf; break;
    }
  }
  DirVelocity(l, l.m_nDir);
  SetFirst(l, x, y);
}

void PlaceRotatedLine(cShotLaunch& l, const cCharaBase& owner, int angle) {
  const cStageRect o(owner);
  const int w = l.m_nW, h = l.m_nH;
  const double t = K * ((w >> 1) + o.R - o.L - (o.W >> 1) + 1);
  const double r = K * (o.B + (h >> 1) - o.T - (o.H >> 1) + 1);
  const double b = (angle + 225) * kDegToRad;
  const double cx = owner.m_PicRect.m_nLeft + ScrollPos(false) + (o.W >> 1);
  const double cy = owner.m_PicRect.m_nTop + ScrollPos(true) + (o.H >> 1);
  SetFirst(l, TruncToInt(cx + (r * std::sin(b) + t * std::cos(b)) - (w >> 1)),
           TruncToInt(cy + (t * std::sin(b) - r * std::cos(b)) - (h >> 1)));
}

int CalcAimAngle(int x, int y, cCharaBase& owner, const cEdShot& rec, cShotLaunch& launch) {
  cCharaBase* target = owner.m_pTarget.At(rec.m_nShotTarget);
  if (!target) return owner.m_nFacing ? 180 : 0;
  const cScrollAxis none;
  const cScrollAxis& ax = g_pScenePlay ? g_pScenePlay->m_ScrollX : none;
  const cScrollAxis& ay = g_pScenePlay ? g_pScenePlay->m_ScrollY : none;
  const cStageRect t(*target);
  if ((!ax.IsScrolling() && !ay.IsScrolling()) || rec.m_bScrollSync || !target->m_bScrollSync)
    return TruncToInt(std::atan2(t.cy - y, t.cx - x) * kRadToDeg + 180 + 0.5);
  // The target moves with the view: aim in view coordinates, as a trial shot would fly.
  cShot trial;
  trial.Init(0, &owner, 11, rec, launch);
  const double n = g_StageData.m_dStepsPerFrame > 0 ? g_StageData.m_dStepsPerFrame : 1;
  const double e = (rec.m_sSpeed + rec.m_sSpeedStep * launch.m_nLevel) * 0.1 / n;
  double vx = 0, vy = 0;
  int face = trial.m_nFacing;
  const int sx = TruncToInt(ax.m_dPos), sy = TruncToInt(ay.m_dPos);
  cGameObj::CalcAimStep(vx, vy, face, nullptr, x - sx, y - sy, target->m_PicRect.CentreX(),
                        target->m_PicRect.CentreY(), e, 0, 0, 0);
  launch.m_dSpeed = std::sqrt(vx * vx + vy * vy) * n;
  return TruncToInt(std::atan2(vy, vx) * kRadToDeg + 180);
}

// ---- Direction variants ----

void FormStraightADir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec) {
  const int n = Count(rec), g = Gap(rec), w = l.m_nW, h = l.m_nH;
  if (!rec.m_bRotate) {
    FormStraightAPos(l, owner, rec);
    const int base = rec.m_bAim ? CalcAimAngle(FirstCentreX(l), FirstCentreY(l), owner, rec, l) : TableAngle(l.m_nDir);
    AngleVelocity(l, base + l.m_nAngle);
    return;
  }
  const cStageRect o(owner);
  int a = (rec.m_bAim ? CalcAimAngle(o.cx, o.cy, owner, rec, l) : TableAngle(l.m_nDir)) + l.m_nAngle;
  PlaceRotatedLine(l, owner, a);
  if (rec.m_bAim) a = CalcAimAngle(FirstCentreX(l), FirstCentreY(l), owner, rec, l) + l.m_nAngle;
  const double S = std::sin(a * kDegToRad), C = std::cos(a * kDegToRad);
  const double sign = (S >= 0) == (C >= 0) ? 1 : -1;
  l.m_nX = l.m_nBaseX = TruncToInt(l.m_nX - sign * S * ((g >> 1) + (w >> 1)) * (n - 1));
  l.m_nStepX = TruncToInt(sign * S * (g + w));
  l.m_nY = l.m_nBaseY = TruncToInt(l.m_nY + sign * C * ((g >> 1) + (h >> 1)) * (n - 1));
  l.m_nStepY = TruncToInt(-sign * C * (g + h));
  l.m_dVX = -C * l.m_dSpeed;
  l.m_dVY = -S * l.m_dSpeed;
}

void FormStraightBDir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec) {
  FormStraightBPos(l, owner, rec);
  const int base = rec.m_bAim ? CalcAimAngle(FirstCentreX(l), FirstCentreY(l), owner, rec, l) : TableAngle(l.m_nDir);
  AngleVelocity(l, base + l.m_nAngle);
}

void FormSpreadDir(cShotLaunch& l, cCharaBase& owner, const cEdShot& rec) {
  if (!rec.m_bRotate) {
    FormSpreadPos(l, owner, rec);
    return;
  }
  const cStageRect o(owner);
  PlaceRotatedLine(l, owner,
                   (rec.m_bAim ? CalcAimAngle(o.cx, o.cy, owner, rec, l) : TableAngle(l.m_nDir)) + l.m_nAngle);
}

void FormLightningDir(cShotLaunch& l, const cCharaBase& ref, const cEdShot& rec) {
  FormLightningPos(l, ref, rec);
  AngleVelocity(l, TableAngle(l.m_nDir) + l.m_nAngle);
}

// ---- Formations ----

void FormStraightA(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  if (l.m_nAngle == 0 && !rec.m_bAim)
    FormStraightAPos(l, *owner, rec);
  else
    FormStraightADir(l, *owner, rec);
  for (int i = 0; i < Count(rec); ++i, l.m_nX += l.m_nStepX, l.m_nY += l.m_nStepY) Spawn(l, owner, cmd, rec);
}

void FormStraightB(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  if (l.m_nAngle == 0 && !rec.m_bAim)
    FormStraightBPos(l, *owner, rec);
  else
    FormStraightBDir(l, *owner, rec);
  for (int i = 0; i < Count(rec); ++i, l.m_nX += l.m_nStepX, l.m_nY += l.m_nStepY) Spawn(l, owner, cmd, rec);
}

void FormSpread(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  if (l.m_nAngle == 0 && !rec.m_bAim)
    FormSpreadPos(l, *owner, rec);
  else
    FormSpreadDir(l, *owner, rec);
  const int n = Count(rec);
  if (n <= 0) return;
  const double base =
      rec.m_bAim ? CalcAimAngle(FirstCentreX(l), FirstCentreY(l), *owner, rec, l) : TableAngle(l.m_nDir);
  const double a = rec.m_sFormParam[0];
  const double first = base + l.m_nAngle - a * (n % 2 ? n / 2 : n / 2 - 0.5);
  for (int i = 0; i < n; ++i) {
    AngleVelocity(l, first + a * i);
    Spawn(l, owner, cmd, rec);
  }
}

void FormLightning(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  const cCharaBase* ref = Reference(*owner, rec);
  if (!ref) return;
  if (l.m_nAngle != 0)
    FormLightningDir(l, *ref, rec);
  else
    FormLightningPos(l, *ref, rec);
  const int rows = Count(rec), lines = rec.m_sFormParam[1];
  for (int r = 0; r < rows; ++r) {
    const int rowX = l.m_nBaseX + r * l.m_nStepX, rowY = l.m_nBaseY + r * l.m_nStepY;
    for (int k = 0; k < lines; ++k) {
      l.m_nX = rowX + k * l.m_nInnerX;
      l.m_nY = rowY + k * l.m_nInnerY;
      Spawn(l, owner, cmd, rec);
    }
  }
}

void FormExplosion(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  FormCentrePos(l, *owner);
  const int n = Count(rec);
  for (int k = 0; k < n; ++k) {
    AngleVelocity(l, TableAngle(l.m_nDir) + l.m_nAngle + k * 360.0 / n);
    Spawn(l, owner, cmd, rec);
  }
}

void FormSurround(cCharaBase*, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  const cCharaBase* ref = Reference(*owner, rec);
  if (!ref) return;
  FormCentrePos(l, *ref);
  const int n = Count(rec), r = rec.m_sFormParam[0] * 16;
  const int px = l.m_nBaseX, py = l.m_nBaseY;
  for (int k = 0; k < n; ++k) {
    const double u = (TableAngle(l.m_nDir) + l.m_nAngle + k * 360.0 / n) * kDegToRad;
    l.m_nX = px + TruncToInt(r * std::cos(u) + 0.5);
    l.m_nY = py + TruncToInt(r * std::sin(u) + 0.5);
    l.m_dVX = -std::cos(u) * l.m_dSpeed;
    l.m_dVY = -std::sin(u) * l.m_dSpeed;
    Spawn(l, owner, cmd, rec);
  }
}

const std::array<FormationFn, 6> g_FormationTable = {FormStraightA, FormStraightB, FormSpread,
                                                      FormLightning, FormExplosion, FormSurround};

// ---- Spawners ----

int ResolveShotDir(const cCharaBase& owner, const cEdShot& rec, cCmdInstance* cmd) {
  const int right = owner.m_nFacing != 0;
  switch (rec.m_nShotDir) {
    case 0: return right ? 3 : 2;
    case 1: return right ? 2 : 3;
    case 4: return right ? 7 : 6;
    case 5: return right ? 6 : 7;
    case 12: {
      const cFlowInstance* flow = g_pScenePlay ? g_pScenePlay->m_pCurFlow : nullptr;
      (void)cmd;
      return InputDirToDirCode(flow ? flow->m_nStartDir : 0, 0, right);
    }
    default: return rec.m_nShotDir;
  }
}

namespace {

// The launch angle of a level: the offset, mirrored for an owner facing right, then spread.
int LevelAngle(const cCharaBase& owner, const cEdShot& rec, int base) {
  int angle = base;
  if (rec.m_bAngleMirrorShot && owner.m_nFacing) angle = 360 - angle;
  if (rec.m_sSpread != 0) angle += RandRange(-rec.m_sSpread, rec.m_sSpread);
  return angle;
}

void RunFormation(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec, cShotLaunch& l) {
  if (rec.m_nFormation >= 0 && rec.m_nFormation < static_cast<int>(g_FormationTable.size()))
    g_FormationTable[rec.m_nFormation](subject, owner, cmd, rec, l);
}

cShotLaunch SummonLaunch(cCharaBase& owner, const cEdShot& rec, cCmdInstance* cmd, int size) {
  cShotLaunch l;
  l.m_dSpeed = 1.0;
  l.m_nW = l.m_nH = size;
  l.m_nDir = ResolveShotDir(owner, rec, cmd);
  l.m_nOfsX = TruncToInt(rec.GetLevelOffsetX(0, owner.m_nFacing));
  l.m_nOfsY = TruncToInt(rec.GetLevelOffsetY(0, owner.m_nFacing));
  return l;
}

template <class T>
T* SummonDef(const cEdShot& rec) {
  return PaletteEntry<T>(rec.m_nSummonPalette == 0 ? PAL_COMMON : PAL_STAGE, rec.m_sSummon);
}

template <class T>
T& SummonDefChecked(const cEdShot& rec) {
  cCheckedVector<T>* list = PaletteList<T>(rec.m_nSummonPalette == 0 ? PAL_COMMON : PAL_STAGE);
  return list->At(rec.m_sSummon);
}

}  // namespace

void SpawnShots(cCharaBase* subject, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  if (!owner) return;
  cShotLaunch l;
  l.m_nW = l.m_nH = 16 * rec.m_nScale;
  l.m_nDir = ResolveShotDir(*owner, rec, cmd);
  if (owner->m_nOperation == 1) owner->UpdateScreenPos();
  owner->m_pTarget.At(rec.m_nShotTarget);
  owner->m_pTarget.At(rec.m_nOwnerTarget);
  l.m_nAngle = LevelAngle(*owner, rec, rec.m_sAngleOfs);
  l.m_dSpeed = rec.m_sSpeed * 0.1;
  l.m_nRange = rec.m_sRange;
  l.m_nLifetime = rec.m_sLife;
  for (int i = 0; i <= rec.m_nCopies; ++i) {
    l.m_nLevel = i;
    l.m_nOfsX = TruncToInt(rec.GetLevelOffsetX(i, owner->m_nFacing));
    l.m_nOfsY = TruncToInt(rec.GetLevelOffsetY(i, owner->m_nFacing));
    RunFormation(subject, owner, cmd, rec, l);
    l.m_dSpeed += rec.m_sSpeedStep * 0.1;
    l.m_nAngle = LevelAngle(*owner, rec, rec.m_sAngleOfs + rec.m_sAngleOfsStep * (i + 1));
    l.m_nRange += rec.m_sRangeStep;
    l.m_nLifetime += rec.m_sLifeStep;
  }
}

void SpawnCharas(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  const cCharaData* def = owner ? SummonDef<cCharaData>(rec) : nullptr;
  if (!def || def->m_cOperation != 1) return;
  cShotLaunch l = SummonLaunch(*owner, rec, cmd, 32 * def->m_cScale);
  owner->UpdateScreenPos();
  RunFormation(owner, owner, cmd, rec, l);
}

void SpawnItems(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  const cItemData* def = owner ? SummonDef<cItemData>(rec) : nullptr;
  if (!def) return;
  cShotLaunch l = SummonLaunch(*owner, rec, cmd, 32 * def->m_cScale);
  owner->UpdateScreenPos();
  RunFormation(owner, owner, cmd, rec, l);
}

void SpawnBlocks(cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  if (!owner || !SummonDef<cBlockData>(rec)) return;
  cShotLaunch l = SummonLaunch(*owner, rec, cmd, 32);
  owner->UpdateScreenPos();
  if (rec.m_nBlockMode == 2 && g_pScenePlay) g_pScenePlay->BeginToggleBatch();
  RunFormation(owner, owner, cmd, rec, l);
}

void SpawnOne(cCheckedList<cShot>& list, cShotLaunch& l, cCharaBase* owner, cCmdInstance* cmd, const cEdShot& rec) {
  cScenePlay* scene = g_pScenePlay;
  const cFlowCmd* fc = cmd ? cmd->m_pCmd : nullptr;
  if (!scene || !fc || !owner) return;
  switch (fc->m_nKind) {
    case CMD_SHOT: {
      cShot& shot = EmplaceShot(list, scene->m_nNextShotId, owner, CMD_SHOT, rec, l);
      ++scene->m_nNextShotId;
      shot.RegisterLinks();
      break;
    }
    case CMD_SUMMON_BLOCK: scene->PutMapBlock(l.m_nX, l.m_nY, *fc, SummonDefChecked<cBlockData>(rec)); break;
    case CMD_SUMMON_CHARA: {
      const int facing = rec.m_bSummonReverse ? !owner->m_nFacing : owner->m_nFacing;
      const cCharaData& def = SummonDefChecked<cCharaData>(rec);
      int side = def.m_cSide;
      if (rec.m_nSummonFaction == 1) side = owner->m_Chara.m_cSide;
      if (rec.m_nSummonFaction == 2) side = rec.m_nFaction;
      scene->SpawnBlockChara(g_lstChara, l.m_nX, l.m_nY, side, facing, *fc, def, &scene->m_nNextCharaId, owner);
      break;
    }
    case CMD_SUMMON_ITEM:
      SpawnItem(g_lstItem, l.m_nX, l.m_nY, *fc, SummonDefChecked<cItemData>(rec),
                &scene->m_nNextItemId);
      break;
    default: break;
  }
}
