// The flow-driven part of cCharaBase: construction, set-up, links, installing and removing flows,
// raising triggers and the dispatch of running commands.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/log.h"
#include "flow/exectable.h"
#include "flow/flowinst.h"
#include "gamedata/input.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "scenes/sceneplay.h"
#include "stagedata/anime.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kFlowIdCount = 27;
constexpr int kTargetSlots = 4;
// Loop expansion stops growing a flow's command list beyond this.
constexpr size_t kMaxExpandedCmds = 65536;

int StepsPerFrame() { return std::max(1, static_cast<int>(g_StageData.m_nStepsPerFrame)); }

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }
int16_t ClampToInt16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

void EraseLink(cCheckedVector<cObjLink>& links, const cObjLink& link) {
  links.erase(std::remove(links.begin(), links.end(), link), links.end());
}

void AddLinkOnce(cCheckedVector<cObjLink>& links, const cObjLink& link) {
  if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
}

bool IsLoopCmd(const cFlowCmd& c) {
  return (c.m_nCategory == CMD_CATEGORY_OBJECT && c.m_nKind == CMD_LOOP) ||
         (c.m_nCategory == CMD_CATEGORY_ITEM && c.m_nKind == 24);
}

bool& LoopCapReported() {
  static bool reported = false;
  return reported;
}

// The frames of an animation before its first held frame.
int FramesToHold(int animNo) {
  int frames = 0;
  for (const cAnimSeqFrame& f : g_AnimeFrameTables.At(animNo)) {
    if (f.m_bHold) break;
    if (f.m_nValue >= 0) frames += f.m_nTicks;
  }
  return frames;
}

}  // namespace

// ---- Construction ----

cCharaBase::cCharaBase()
    : m_vCharaVar(kCharaVarCount, 0),
      m_pTarget(kTargetSlots, nullptr),
      m_vFlowIdBlocked(kFlowIdCount, 0),
      m_vFlowIdEnded(kFlowIdCount, 0),
      m_vFlowIdStartedNow(kFlowIdCount, 0) {}

cCharaBase::cCharaBase(const cCharaBase& other) : cCharaBase() {
  *this = other;
  m_pTarget.assign(kTargetSlots, nullptr);
  m_pOwner = nullptr;
  m_vBackLink.clear();
  m_vShotLink.clear();
  RelinkFlows();
}

cCharaBase::~cCharaBase() {
  if (!m_bNoUnlink) UnlinkAll();
}

void cCharaBase::CopyState(const cCharaBase& other) {
  if (&other == this) return;
  *this = other;
  RelinkFlows();
}

cItem* cCharaBase::GetHeldItem() { return nullptr; }
int cCharaBase::AfterMoveX() { return 0; }
int cCharaBase::AfterMoveY() { return 0; }
int cCharaBase::MoveX() { return 0; }
int cCharaBase::MoveY() { return 0; }
int cCharaBase::RunFlows(int) { return 0; }
void cCharaBase::Jump(cCmdInstance&) {}

// ---- Position ----

void cCharaBase::SetCentre(int x, int y) {
  SetCentreX(x);
  SetCentreY(y);
}

void cCharaBase::SetCentreX(int x) {
  m_dX += x - (m_PicRect.m_nLeft + m_PicRect.m_nW / 2);
  AfterMoveX();
}

void cCharaBase::SetCentreY(int y) {
  m_dY += y - (m_PicRect.m_nTop + m_PicRect.m_nH / 2);
  AfterMoveY();
}

void cCharaBase::SetCentreAndClear(int x, int y, cCmdInstance& cmd) {
  SetCentre(x, y);
  cmd.m_dMoveX = cmd.m_dMoveY = 0;
}

void cCharaBase::SetCentreXAndClear(int x, cCmdInstance& cmd) {
  SetCentreX(x);
  cmd.m_dMoveX = cmd.m_dMoveY = 0;
}

void cCharaBase::SetCentreYAndClear(int y, cCmdInstance& cmd) {
  SetCentreY(y);
  cmd.m_dMoveX = cmd.m_dMoveY = 0;
}

void cCharaBase::AdjustYForScale(int newScale, int oldScale, int flag) {
  if (newScale == oldScale) return;
  const int d = newScale - oldScale;
  const bool keepPicture = g_SystemData.m_bScaleModeSwitch ? !g_SystemData.m_bScaleKeepBox : flag != 0;
  if (keepPicture)
    m_dY -= d * (m_PicRect.m_nBaseH - m_PicRect.m_nBaseOfsY);
  else
    m_dY -= d * m_nBaseHitH;
  AfterMoveY();
}

void cCharaBase::SetBodyRect(int bottomAligned, int w, int h) {
  cHitRect& r = m_BodyRect;
  r.m_nOfsX = r.m_nBaseOfsX = 16 - m_PicRect.m_nBaseOfsX - w / 2;
  r.m_nOfsY = r.m_nBaseOfsY = bottomAligned ? 32 - m_PicRect.m_nBaseOfsY - h : 16 - m_PicRect.m_nBaseOfsY - h / 2;
  r.m_nW = r.m_nBaseW = w;
  r.m_nH = r.m_nBaseH = h;
}

void cCharaBase::SetCellPos(int cellX, int cellY, int flag) {
  SetCellX(cellX);
  SetCellY(cellY, flag);
}

void cCharaBase::SetCellX(int cellX) {
  m_dX = (cellX + 10) * 32 + m_PicRect.m_nBaseOfsX + 0.5;
  ScaleShiftX(m_Chara.m_cScale, 1);
  AfterMoveX();
}

void cCharaBase::SetCellY(int cellY, int flag) {
  m_dY = (cellY + 10) * 32 + m_PicRect.m_nBaseOfsY;
  AdjustYForScale(m_Chara.m_cScale, 1, flag);
  AfterMoveY();
}

// ---- Set-up ----

void cCharaBase::Init(const cCharaData* def, double homeX, double homeY, int16_t level) {
  m_sParamLevel = level;
  m_vBackLink.clear();
  m_vShotLink.clear();
  m_pTarget.assign(kTargetSlots, nullptr);
  m_pOwner = nullptr;
  m_nFlowSerial = 0;
  m_vFlowIdBlocked.assign(kFlowIdCount, 0);
  m_vFlowIdEnded.assign(kFlowIdCount, 0);
  m_vFlowIdStartedNow.assign(kFlowIdCount, 0);
  m_bFlowIdEvent = 0;
  m_nInitCleared = 0;
  m_dHomeX = homeX;
  m_dHomeY = homeY;
  m_dImpactX = m_dImpactY = 0;
  m_bImpacted = 0;
  m_dImpactPrevY = 0;
  m_bGravityOff = 0;
  m_bInAir = 1;
  m_bJumpEnded = 0;
  m_bJumping = 0;
  m_bDead = 0;
  m_nDeadFrames = 0;
  m_pRide = nullptr;
  m_nRideObjNo = 0;
  m_bTurnBack = 0;
  m_nHP = m_nSP = 0;
  m_GaugeHP = cGaugeAnim();
  m_GaugeSP = cGaugeAnim();
  m_vCharaVar.assign(kCharaVarCount, 0);
  m_bHidden = 0;
  if (def) {
    m_Chara = *def;
    m_nHP = def->m_nMaxHP;
    m_nSP = def->m_nMaxSP;
    m_bScrollSync = def->m_bScrollSync;
    m_nSight = def->m_cSight * 16;
    m_dFriction = SpeedParamToDots(def->m_sFriction);
    m_CharaEffect = cCharaEffectState();
    if (def->m_sStartEffect != 0)
      m_CharaEffect.Start(def->m_sStartEffect, def->m_cStartEffectType, def->m_bStartEffectLoop);
    SetAnimSet(def->m_sAnimeSet, 1);
  }
  m_lRunAnim.clear();
  m_bOwnerGetsHits = 0;
  m_nOwnerKey = 0;
}

// ---- Links ----

void cCharaBase::InitLinks(cCharaBase* owner) {
  cCharaBase* hero = GetHero();
  m_pTarget.At(0) = hero;
  if (hero) AddLinkOnce(hero->m_vBackLink, {this, 0});
  m_pOwner = owner;
  if (owner) AddLinkOnce(owner->m_vBackLink, {this, kLinkSlotOwner});
}

void cCharaBase::UnlinkAll() {
  for (const cObjLink& link : m_vBackLink) {
    cCharaBase* o = link.m_pObj;
    if (!o) continue;
    if (link.m_nSlot == kLinkSlotOwner) {
      if (o->m_pOwner == this) o->m_pOwner = nullptr;
    } else if (link.m_nSlot >= 0 && link.m_nSlot < o->m_pTarget.Size() && o->m_pTarget[link.m_nSlot] == this) {
      o->m_pTarget[link.m_nSlot] = nullptr;
    }
  }
  m_vBackLink.clear();
  for (int slot = 0; slot < m_pTarget.Size(); ++slot) {
    if (cCharaBase* t = m_pTarget[slot]) EraseLink(t->m_vBackLink, {this, slot});
    m_pTarget[slot] = nullptr;
  }
  if (m_pOwner) EraseLink(m_pOwner->m_vBackLink, {this, kLinkSlotOwner});
  m_pOwner = nullptr;
  // Shots that aim at this object or belong to it forget it.
  for (const cShotLink& link : m_vShotLink) {
    cShot* shot = link.m_pShot;
    if (!shot) continue;
    if (link.m_nSlot == kLinkSlotOwner && shot->m_pShotOwner == this) shot->m_pShotOwner = nullptr;
    if (link.m_nSlot == 0 && shot->m_pShotTarget == this) shot->m_pShotTarget = nullptr;
  }
  m_vShotLink.clear();
}

// ---- Flows ----

namespace {

// Expands the first loop command: 0 when there is none, 2 when the list reached its bound.
int ExpandFirstLoop(cCheckedVector<cFlowCmd>& cmds) {
  auto loop = std::find_if(cmds.begin(), cmds.end(), IsLoopCmd);
  if (loop == cmds.end()) return 0;
  const size_t at = static_cast<size_t>(loop - cmds.begin());
  int64_t count = std::max<int64_t>(1, loop->m_vParam.At(0));
  int64_t length = std::max<int64_t>(0, loop->m_vParam.At(1));
  length = std::min<int64_t>(length, static_cast<int64_t>(cmds.size() - at - 1));
  int result = 1;
  if (length <= 0 || count <= 1) {
    cmds.erase(loop);
    return result;
  }
  const int64_t room = static_cast<int64_t>(kMaxExpandedCmds) - static_cast<int64_t>(cmds.size()) + 1;
  if ((count - 1) * length > room) {
    count = std::max<int64_t>(1, room / length + 1);
    result = 2;
  }
  // The list before the loop, the block count times, the rest: every command copied once.
  const auto block = cmds.begin() + static_cast<ptrdiff_t>(at) + 1;
  cCheckedVector<cFlowCmd> out;
  out.reserve(cmds.size() - 1 + static_cast<size_t>((count - 1) * length));
  out.insert(out.end(), cmds.begin(), loop);
  for (int64_t i = 0; i < count; ++i) out.insert(out.end(), block, block + length);
  out.insert(out.end(), block + length, cmds.end());
  cmds.swap(out);
  return result;
}

}  // namespace

int cCharaBase::ExpandLoopCmdsOnce(cCheckedVector<cFlowCmd>& cmds) { return ExpandFirstLoop(cmds) != 0; }

int cCharaBase::ExpandLoopCmds(cCheckedVector<cFlowCmd>& cmds) {
  // A loop whose block holds only further loops copies them without end; a list grown to the bound
  // has no room left. Either way the remaining loops are dropped.
  size_t expansions = 0;
  for (int r; (r = ExpandFirstLoop(cmds)) != 0;) {
    if (r == 2 || ++expansions >= kMaxExpandedCmds) {
      ++expansions;
      if (!LoopCapReported()) {
        LoopCapReported() = true;
        ReportLog("loop expansion cut at %d commands", static_cast<int>(kMaxExpandedCmds));
      }
      cmds.erase(std::remove_if(cmds.begin(), cmds.end(), IsLoopCmd), cmds.end());
      break;
    }
  }
  return expansions > 0;
}

void cCharaBase::InitCmdInstance(cCmdInstance& inst, cFlowCmd& cmd) {
  const int n = StepsPerFrame();
  const int level = m_sParamLevel;
  inst.m_pCmd = &cmd;
  inst.m_nUseTime = ClampToInt((static_cast<int64_t>(cmd.m_sTimeStep) * level + cmd.m_sTime) * n * 6);
  const cEdMove* move = cmd.m_pEdMove.get();
  if (move) {
    inst.m_dSpeed = (move->m_sMoveSpeedStep * level + move->m_sMoveSpeed) * 0.1 / n;
    if (move->m_bAccel) inst.m_dMaxSpeed = move->m_sMaxSpeed * 0.1 / n;
    inst.m_cMoveDir = move->m_nDir;
  }
  if (cmd.m_nCategory != CMD_CATEGORY_OBJECT) return;
  switch (cmd.m_nKind) {
    case CMD_MOVE_HOMING:
      if (move) inst.m_nMoveSetup[MOVESETUP_HOMING] = (move->m_sHomingLagStep * level + move->m_sHomingLag) * n;
      [[fallthrough]];
    case CMD_MOVE_STRAIGHT:
    case CMD_MOVE_GROUND_TURN:
    case CMD_MOVE_CHARGE:
    case CMD_MOVE_AVOID_OFFSCREEN:
      if (move && move->m_nSpeedMode) inst.SolveMoveSpeedTime(cmd, m_sParamLevel);
      break;
    case CMD_MOVE_CIRCLE:
      if (move) InitCircleMoveCmd(inst, *move);
      break;
    case CMD_JUMP: {
      const int8_t height = static_cast<int8_t>(cmd.m_vParam.At(2));
      inst.m_dSpeed = JumpHeightToSpeed(height);
      // The object's own copy of the command keeps the jump's time.
      cmd.m_sTime = ClampToInt16(JumpHeightToFrames(height));
      inst.m_nUseTime = ClampToInt(static_cast<int64_t>(cmd.m_sTime) * n * 6);
      break;
    }
    default: break;
  }
}

void cCharaBase::InitCircleMoveCmd(cCmdInstance& inst, const cEdMove& move) {
  const int n = StepsPerFrame();
  const int level = m_sParamLevel;
  int halfTurn = 0;
  if (m_Chara.m_cFacing == 1) {
    if (move.m_bMirrorX) {
      halfTurn = 180;
      inst.m_cMoveDir ^= 1;
    }
    if (move.m_bMirrorY) inst.m_cMoveDir ^= 1;
  }
  const int radius = std::clamp(move.m_sDistStep * level + move.m_sDist, 0, 20);
  inst.m_nMoveSetup[MOVESETUP_RADIUS] = radius * 16 * n;
  const int start = (halfTurn + move.m_sAngleStep * level + move.m_sAngle) * n;
  const int end = (halfTurn + move.m_sHomingLagStep * level + move.m_sHomingLag) * n;
  inst.m_nMoveSetup[MOVESETUP_START_ANGLE] = start;
  inst.m_nMoveSetup[MOVESETUP_END_ANGLE] = end;
  const double span = move.m_sAngle < move.m_sHomingLag ? end - start : start - end;
  if (move.m_nSpeedMode == 0) {
    // A time of 0 runs the whole span in the one pass the command lasts.
    inst.m_dSpeed = inst.m_nUseTime != 0 ? span / inst.m_nUseTime / n : span / n;
  } else if (move.m_nSpeedMode == 1) {
    inst.m_nUseTime = inst.m_dSpeed != 0 ? TruncToInt(std::fabs(span / inst.m_dSpeed / n)) : 0;
  }
}

void cCharaBase::InitFlowInstance(cFlowInstance& inst, int index, cFlow& flow) {
  inst.m_nIndex = index;
  inst.m_pFlow = &flow;
  inst.m_nSerial = m_nFlowSerial++;
  inst.m_vKeyCond.clear();
  for (const cKeyCond& k : flow.m_vKeyCond) inst.m_vKeyCond.push_back(&k);
  inst.m_vCmd.assign(flow.m_vCmd.size(), cCmdInstance());
  for (size_t j = 0; j < flow.m_vCmd.size(); ++j) InitCmdInstance(inst.m_vCmd[j], flow.m_vCmd[j]);
}

void cCharaBase::BuildAnimCues(cFlowInstance& inst) {
  const int n = StepsPerFrame();
  inst.m_vAnimCue.clear();
  int64_t s = 0;
  for (const cCmdInstance& c : inst.m_vCmd) {
    const cFlowCmd& rec = *c.m_pCmd;
    const cEdMove* move = rec.m_pEdMove.get();
    if (rec.m_sAnime != 0 && (!move || move->m_nAnimMode == 2)) {
      const int e = FramesToHold(rec.m_sAnime);
      const int64_t l = static_cast<int64_t>(e) * n;
      cAnimCue cue;
      cue.m_sAnimNo = rec.m_sAnime;
      int skip = 0;
      if (s >= l) {
        cue.m_nStartFrame = ClampToInt(s - l);
      } else {
        skip = static_cast<int>(std::min<int64_t>((l - s) / n, e));
      }
      cue.m_sSkip = ClampToInt16(skip);
      cue.m_sToHold = ClampToInt16(e - skip);
      cue.m_sHoldExt = ClampToInt16(rec.m_sTime * 6);
      const bool noHold = rec.m_nCategory == CMD_CATEGORY_OBJECT && (rec.m_nKind == CMD_JUMP || rec.m_nKind == CMD_SWORD);
      cue.m_bHoldSwitch = noHold ? 0 : 1;
      inst.m_vAnimCue.push_back(cue);
    }
    if (!rec.m_bGoOn) s += c.m_nUseTime;
  }
}

int cCharaBase::AddFlows(cCheckedVector<cFlow>& flows, int insert, unsigned position) {
  cCheckedVector<cFlow>& own = m_Chara.m_vFlow;
  for (cFlow& f : flows) ExpandLoopCmds(f.m_vCmd);
  const size_t count = flows.size();
  size_t first = 0;
  if (insert) {
    const cCheckedVector<cFlow> added(flows);
    if (position < own.size()) {
      first = position;
      own.insert(own.begin() + first, added.begin(), added.end());
      m_vFlowInst.insert(m_vFlowInst.begin() + first, count, cFlowInstance());
    } else {
      first = m_vFlowInst.size();
      own.insert(own.end(), added.begin(), added.end());
      m_vFlowInst.resize(first + count);
    }
  } else {
    if (&flows != &own) own = flows;
    m_vFlowInst.assign(own.size(), cFlowInstance());
  }
  for (size_t j = 0; j < count; ++j) {
    cFlowInstance& inst = m_vFlowInst.At(static_cast<int>(first + j));
    InitFlowInstance(inst, static_cast<int>(first + j), own.At(static_cast<int>(first + j)));
    // A newly inserted edge flow waits until its keys have been released once.
    if (insert) inst.m_bKeyHeld = inst.m_pFlow->m_bKeyLatch ? 0 : 1;
  }
  if (insert) RelinkFlows();
  if (count == 0) return 0;
  for (size_t j = 0; j < count; ++j) BuildAnimCues(m_vFlowInst.At(static_cast<int>(first + j)));
  return static_cast<int>(count);
}

void cCharaBase::RelinkFlows() {
  cCheckedVector<cFlow>& own = m_Chara.m_vFlow;
  for (int i = 0; i < m_vFlowInst.Size(); ++i) {
    cFlowInstance& inst = m_vFlowInst[i];
    cFlow& flow = own.At(i);
    inst.m_nIndex = i;
    inst.m_pFlow = &flow;
    inst.m_vKeyCond.clear();
    for (const cKeyCond& k : flow.m_vKeyCond) inst.m_vKeyCond.push_back(&k);
    for (int j = 0; j < inst.m_vCmd.Size(); ++j) inst.m_vCmd[j].m_pCmd = &flow.m_vCmd.At(j);
  }
}

void cCharaBase::RemoveFlow(int index) {
  cFlowInstance& inst = m_vFlowInst.At(index);
  inst.End(this);
  RemoveAnimsOfFlow(inst.m_nSerial);
  if (index >= 0 && index < m_vFlowInst.Size() && index < m_Chara.m_vFlow.Size()) {
    m_vFlowInst.erase(m_vFlowInst.begin() + index);
    m_Chara.m_vFlow.erase(m_Chara.m_vFlow.begin() + index);
  }
  RelinkFlows();
}

int cCharaBase::RemoveFlowsById(uint8_t key) {
  if (key == 0) {
    for (cFlowInstance& inst : m_vFlowInst) inst.End(this);
    m_vFlowInst.clear();
    m_Chara.m_vFlow.clear();
    m_lRunAnim.clear();
    RelinkFlows();
    return 0;
  }
  int first = -1;
  for (int i = 0; i < m_vFlowInst.Size();) {
    cFlowInstance& inst = m_vFlowInst[i];
    if (static_cast<uint8_t>(inst.m_pFlow->m_nKey) != key) {
      ++i;
      continue;
    }
    inst.End(this);
    RemoveAnimsOfFlow(inst.m_nSerial);
    m_vFlowInst.erase(m_vFlowInst.begin() + i);
    m_Chara.m_vFlow.erase(m_Chara.m_vFlow.begin() + i);
    RelinkFlows();
    if (first < 0) first = i;
  }
  return first;
}

void cCharaBase::AssignFlowStates(const cCheckedVector<cFlowInstance>& states) {
  m_vFlowInst = states;
  RelinkFlows();
}

void cCharaBase::RunAnimCues() {
  for (const cFlowInstance& inst : m_vFlowInst) {
    if (!inst.m_bRunning || inst.m_bPaused) continue;
    for (const cAnimCue& cue : inst.m_vAnimCue)
      if (cue.m_nStartFrame == inst.m_nFrame)
        StartCueAnim(cue.m_sAnimNo, cue.m_sToHold, cue.m_sHoldExt, inst.m_nSerial, cue.m_sSkip, cue.m_bHoldSwitch);
  }
}

// ---- Triggers ----

void cCharaBase::ResetTriggerFlags() {
  for (cFlowInstance& inst : m_vFlowInst) inst.m_bTried = inst.m_bStarted = 0;
  m_vFlowIdStartedNow.Fill(0);
}

void cCharaBase::RaiseTriggerEx(int kind, cCharaBase* other, uint8_t key) {
  // A trigger raised inside another object's flow pass leaves that pass's context as it was.
  cFlowContextGuard guard;
  if (g_pScenePlay) g_pScenePlay->m_pCurObj = this;
  const cSystemData& sys = g_SystemData;
  const bool triedOnce = sys.m_bTriggerOnce && !sys.m_bTriggerFree;
  const bool bothOff = !sys.m_bTriggerOnce && !sys.m_bTriggerFree;
  for (int i = 0; i < m_vFlowInst.Size(); ++i) {
    cFlowInstance& inst = m_vFlowInst[i];
    const cFlow& flow = *inst.m_pFlow;
    if (flow.m_nTrigger != kind) continue;
    if (triedOnce) {
      if (inst.m_bTried) continue;
      inst.m_bTried = 1;
    }
    if (inst.m_bRunning || inst.m_bPaused || inst.m_bStopped || inst.m_bStarted) continue;
    if (kind == FLOW_TRIG_ALWAYS && flow.m_nFlowId != 0 &&
        (m_vFlowIdBlocked.At(flow.m_nFlowId) || m_vFlowIdStartedNow.At(flow.m_nFlowId)))
      continue;
    if (key > 0 && static_cast<uint8_t>(flow.m_nKey) != key) continue;
    if (bothOff) {
      if (inst.m_bTried) continue;
      if (sys.m_bTriggerMarkFirst) inst.m_bTried = 1;
    }
    if (flow.m_bBindPartner && other) {
      const int slot = flow.m_nPartnerTarget;
      cCharaBase* previous = m_pTarget.At(slot);
      SetCharaTarget(this, slot, other, 1);
      if (!(g_pScenePlay && g_pScenePlay->CheckFlowCond(&inst, this)) || !TestFlowKeys(inst)) {
        SetCharaTarget(this, slot, previous, 1);
        continue;
      }
    } else if (!(g_pScenePlay && g_pScenePlay->CheckFlowCond(&inst, this)) || !TestFlowKeys(inst)) {
      continue;
    }
    if (!sys.m_bTriggerMarkFirst) inst.m_bTried = 1;
    const cInput& input = g_vInput.At(m_nOperation == 1 ? 0 : m_nController);
    inst.m_nStartDir = GetFirstHeldDirKey(input);
    inst.Start(this);
  }
}

int cCharaBase::ExecCmd(cCmdInstance* cmd) { return DispatchCmd(this, cmd); }
