#include "stagedata/cmdupgrade.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "stagedata/flow.h"

namespace {

// The command as one upgrade rule sees it, with its kind in object numbering.
class cUpgradeCtx {
 public:
  explicit cUpgradeCtx(cFlowCmd& cmd) : m_Cmd(cmd) {}

  int Kind() const { return m_Cmd.ObjectKind(); }
  void SetKind(int objectKind) {
    const int stored = m_Cmd.m_nCategory == CMD_CATEGORY_ITEM ? objectKind - kItemCmdKindOffset : objectKind;
    m_Cmd.m_nKind = static_cast<int8_t>(stored);
  }

  // Parameter i, appended as 0 (with any before it) when the command has fewer.
  int32_t& P(int i) {
    auto& p = m_Cmd.m_vParam;
    if (p.size() <= static_cast<size_t>(i)) p.resize(static_cast<size_t>(i) + 1, 0);
    return p[static_cast<size_t>(i)];
  }
  // Appends zeros or drops the tail until there are n parameters.
  void Resize(int n) { m_Cmd.m_vParam.resize(static_cast<size_t>(n), 0); }
  // Moves parameters i .. n-2 one place up, dropping the last, and sets parameter i to v.
  void Insert(int i, int32_t v) {
    auto& p = m_Cmd.m_vParam;
    if (static_cast<size_t>(i) >= p.size()) {
      P(i) = v;
      return;
    }
    p.insert(p.begin() + i, v);
    p.pop_back();
  }
  // p(i) + add when `when` holds, held within the range of a parameter (a damaged file may hold any
  // value).
  void Bump(int i, bool when, int add = 1) {
    if (!when) return;
    int32_t& p = P(i);
    p = static_cast<int32_t>(std::clamp<int64_t>(int64_t{p} + add, INT32_MIN, INT32_MAX));
  }

  cEdMove* Move() { return m_Cmd.m_pEdMove.get(); }
  cEdShot* Shot() { return m_Cmd.m_pEdShot.get(); }
  cFlowCmd& Cmd() { return m_Cmd; }

 private:
  cFlowCmd& m_Cmd;
};

// Status operation (kind 22): the left status item of operation 0 (p3, p4) and the right one of
// source 2 (p12, p13) moved up when items were inserted into the lists: add `add` to an item from
// `from` on unless its owner is `exemptOwner`.
void ShiftStatusItems(cUpgradeCtx& c, int exemptOwner, int from, int add) {
  c.Bump(4, c.P(0) == 0 && c.P(3) != exemptOwner && c.P(4) >= from, add);
  c.Bump(13, c.P(6) == 2 && c.P(12) != exemptOwner && c.P(13) >= from, add);
}

using UpgradeAction = void (*)(cUpgradeCtx&);

constexpr int kAnyKind = -100;
constexpr int kNoKind = -200;

struct cCmdUpgradeRule {
  uint32_t m_nBelow;  // applies to files of older versions
  int m_nKind;        // object kind as numbered at this point of the chain, or kAnyKind
  int m_nKind2;       // a second kind the rule applies to, or kNoKind
  UpgradeAction m_pAction;
};

// Before version 734 the kinds from 24 on were one lower; the rules above that line use the old
// numbers. Rules on the arrange command keep its parameter index p1 pointing at the same value
// after the kind's arrange list gained entries.
constexpr cCmdUpgradeRule kRules[] = {
    {145, CMD_STAGE_CLEAR, kNoKind, [](cUpgradeCtx& c) { c.Resize(9); }},
    {166, 35, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(2);
       c.P(1) = 1;
     }},
    {168, CMD_STATUS, kNoKind, [](cUpgradeCtx& c) { ShiftStatusItems(c, 2, 10, 1); }},
    {189, CMD_SET_TARGET, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.Insert(2, 0);
     }},
    {194, 31, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.Insert(6, 1);
     }},
    {195, 29, 30,
     [](cUpgradeCtx& c) {
       c.Resize(3);
       c.Insert(1, 0);
     }},
    {203, CMD_SUMMON_CHARA, CMD_SUMMON_ITEM, [](cUpgradeCtx& c) { c.Resize(0); }},
    {203, CMD_FLOW_OP, kNoKind, [](cUpgradeCtx& c) { c.Resize(4); }},
    {203, CMD_STATUS, kNoKind, [](cUpgradeCtx& c) { ShiftStatusItems(c, 2, 5, 1); }},
    {210, CMD_STATUS2, kNoKind, [](cUpgradeCtx& c) { c.Bump(1, c.P(0) != 2 && c.P(1) >= 6); }},
    {219, 25, kNoKind,
     [](cUpgradeCtx& c) {
       if (c.P(0) == 3) c.P(1) = std::min(c.P(1), 118) + 1;
     }},
    {220, CMD_SHOT, kNoKind,
     [](cUpgradeCtx& c) {
       if (cEdShot* s = c.Shot()) s->m_sGraphic = static_cast<int16_t>(std::min(s->m_sGraphic + 1, 119));
     }},
    {514, CMD_MOVE_CHARGE, kNoKind,
     [](cUpgradeCtx& c) {
       if (cEdMove* m = c.Move()) {
         m->m_sAngle = 0;
         m->m_sAngleStep = 0;
         m->m_bAngleMirror = 1;
       }
     }},
    {545, CMD_MESSAGE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(19);
       c.P(10) = 1;
     }},
    {545, 31, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.P(11) = 0;
     }},
    {546, CMD_MESSAGE, kNoKind, [](cUpgradeCtx& c) { c.P(10) = (c.P(0) == 0 || c.P(0) == 7) ? 1 : 0; }},
    {547, CMD_MESSAGE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(19);
       c.P(11) = 0;
       c.P(12) = 0;
       c.P(13) = 0;
       c.P(14) = 1;
       c.P(15) = 0;
     }},
    {547, 31, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.P(12) = 0;
       c.P(13) = 0;
     }},
    {556, CMD_MESSAGE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(19);
       c.P(16) = 1;
     }},
    {722, CMD_STAGE_CLEAR, kNoKind, [](cUpgradeCtx& c) { c.Bump(0, c.P(0) >= 2); }},
    {723, CMD_MESSAGE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(19);
       c.P(17) = 0;
     }},
    {723, 31, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.P(14) = 0;
     }},
    {726, 37, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(5);
       c.P(0) = CMD_SHOT;
     }},
    {727, 37, kNoKind,
     [](cUpgradeCtx& c) {
       if (c.P(0) != CMD_SHOT) return;
       for (int from : {2, 3, 4, 14, 15, 16, 17}) c.Bump(1, c.P(1) >= from);
     }},
    {734, kAnyKind, kNoKind,
     [](cUpgradeCtx& c) {
       if (c.Kind() >= 24) c.SetKind(c.Kind() + 1);
       // The arrange command names its target kind in object numbering too.
       if (c.Kind() == CMD_ARRANGE) c.Bump(0, c.P(0) >= 24);
     }},
    {747, CMD_SET_TARGET, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.P(10) = 0;
       c.P(11) = 1;
       c.P(14) = 0;
     }},
    {760, CMD_FLOW_OP, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(4);
       c.P(3) = 0;
     }},
    {764, CMD_FLOW_OP, kNoKind,
     [](cUpgradeCtx& c) {
       CreateCondList(c.Cmd().m_pCondList);
       c.Cmd().m_pCondList->m_bEnabled = 0;
     }},
    // Targets 2-4 were added after target 1.
    {767, CMD_TURN, kNoKind, [](cUpgradeCtx& c) { c.Bump(0, c.P(0) >= 4, 6); }},
    {767, CMD_WARP, kNoKind,
     [](cUpgradeCtx& c) {
       if (cEdMove* m = c.Move(); m && m->m_nPosMode >= 2) m->m_nPosMode = static_cast<int8_t>(m->m_nPosMode + 3);
     }},
    {767, CMD_SET_TARGET, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.Insert(0, 0);
     }},
    {767, CMD_STATUS, kNoKind,
     [](cUpgradeCtx& c) {
       c.Bump(3, c.P(0) == 0 && c.P(3) >= 2, 3);
       c.Bump(12, c.P(6) == 2 && c.P(12) >= 2, 3);
     }},
    {767, CMD_STATUS2, kNoKind, [](cUpgradeCtx& c) { c.Bump(0, c.P(0) >= 2, 3); }},
    {820, CMD_STATUS2, kNoKind, [](cUpgradeCtx& c) { c.Resize(5); }},
    {879, CMD_ANIM, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(2);
       c.P(1) = 0;
     }},
    {882, CMD_WARP, kNoKind,
     [](cUpgradeCtx& c) {
       if (cEdMove* m = c.Move()) {
         m->m_bAxisX = 1;
         m->m_bAxisY = 1;
       }
     }},
    {882, CMD_STATUS, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(22);
       c.P(18) = 0;
       c.P(19) = 0;
       ShiftStatusItems(c, 5, 6, 2);
     }},
    {891, CMD_MESSAGE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(19);
       c.Bump(0, c.P(0) == 8);
     }},
    {891, CMD_EFFECT, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(9);
       c.Bump(1, c.P(1) == 4);
     }},
    {891, CMD_PICTURE, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(16);
       c.Bump(1, c.P(1) == 4);
     }},
    {892, CMD_WARP, kNoKind,
     [](cUpgradeCtx& c) {
       if (cEdMove* m = c.Move()) m->m_nRefPoint = 2;
     }},
    {892, CMD_STATUS, kNoKind,
     [](cUpgradeCtx& c) {
       c.Resize(22);
       c.P(20) = 2;
       c.P(21) = 0;
     }},
    {898, CMD_ARRANGE, kNoKind, [](cUpgradeCtx& c) { c.Bump(1, c.P(0) == CMD_PICTURE && c.P(1) >= 0); }},
    {899, CMD_ARRANGE, kNoKind,
     [](cUpgradeCtx& c) {
       switch (c.P(0)) {
         case CMD_SHOT:
           c.Bump(1, c.P(1) >= 14);
           break;
         case CMD_SUMMON_BLOCK:
         case CMD_SUMMON_CHARA:
         case CMD_SUMMON_ITEM:
         case CMD_EFFECT:
           c.Bump(1, c.P(1) >= 0);
           break;
         case CMD_STATUS:
           c.Bump(1, c.P(1) >= 0);
           c.Bump(1, c.P(1) >= 1);
           break;
         default:
           break;
       }
     }},
};

}  // namespace

void UpgradeFlowCmd(cFlowCmd& cmd, uint32_t fileVersion) {
  cUpgradeCtx ctx(cmd);
  for (const cCmdUpgradeRule& rule : kRules) {
    if (fileVersion >= rule.m_nBelow) continue;
    const int kind = ctx.Kind();
    if (rule.m_nKind != kAnyKind && kind != rule.m_nKind && kind != rule.m_nKind2) continue;
    rule.m_pAction(ctx);
  }
}
