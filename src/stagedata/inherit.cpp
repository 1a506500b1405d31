// Inheritance from palette templates: a definition's properties fall into numbered groups, and each
// set inherit flag takes its group from the template instead of the definition's own values.
#include <algorithm>
#include <cstddef>
#include <iterator>

#include "core/membercopy.h"
#include "stagedata/palette.h"

namespace {

// The template a definition names, as the palettes stand now. A reference outside its palette turns
// the kind to none (the index stays) and names nothing; a kind other than the two palettes makes the
// definition its own template.
template <class T>
const T* FindTemplate(T& def) {
  if (def.m_sPalIndex == 0 || def.m_cPalKind == PAL_NONE) return nullptr;
  if (def.m_cPalKind != PAL_COMMON && def.m_cPalKind != PAL_STAGE) return &def;
  if (const T* tmpl = PaletteEntry<T>(def.m_cPalKind, def.m_sPalIndex)) return tmpl;
  def.m_cPalKind = PAL_NONE;
  return nullptr;
}

// Flags beyond the last group have no group and are ignored.
template <class T, size_t N>
void ApplyGroups(T& def, const cGroupCopy<T> (&groups)[N]) {
  const T* tmpl = FindTemplate(def);
  if (!tmpl) return;
  const size_t n = std::min(def.m_vInherit.size(), N);
  for (size_t i = 0; i < n; ++i)
    if (def.m_vInherit[i]) groups[i](def, *tmpl);
}

using B = cBlockData;
constexpr cGroupCopy<B> kBlockGroups[] = {
    CopyMembers<B, &B::m_strName>,
    CopyMembers<B, &B::m_vCond, &B::m_cCondLogic, &B::m_bCondLatch>,
    CopyMembers<B, &B::m_cGraphicKind, &B::m_sGraphic, &B::m_sGraphicSub>,
    CopyMembers<B, &B::m_bFront>,
    CopyMembers<B, &B::m_bHidden>,
    CopyMembers<B, &B::m_cOverlay, &B::m_sOverlay>,
    CopyMembers<B, &B::m_cHit>,
    CopyMembers<B, &B::m_cHitExempt>,
    CopyMembers<B, &B::m_cEffect, &B::m_nEffectValue>,
    CopyMembers<B, &B::m_cItemKind, &B::m_sItemIndex>,
    CopyMembers<B, &B::m_bLocked>,
};
static_assert(std::size(kBlockGroups) == cBlockData::kInheritGroups);

using C = cCharaData;

// The flows become copies of the template's; a template without flows leaves one new flow, which
// the character's Validate removes as empty.
void CopyFlows(C& def, const C& tmpl) {
  def.m_vFlow = tmpl.m_vFlow;
  if (def.m_vFlow.empty()) def.m_vFlow.emplace_back();
}

constexpr cGroupCopy<C> kCharaGroups[] = {
    CopyMembers<C, &C::m_strName>,
    CopyMembers<C, &C::m_cOperation, &C::m_cPlayer>,
    CopyMembers<C, &C::m_cSide>,
    CopyMembers<C, &C::m_cCharaId>,
    CopyMembers<C, &C::m_vCond, &C::m_cCondLogic, &C::m_bCondLatch>,
    CopyMembers<C, &C::m_cFacing>,
    CopyMembers<C, &C::m_cCopies>,
    CopyMembers<C, &C::m_sCopyX, &C::m_sCopyStepX, &C::m_bCopyMirrorX>,
    CopyMembers<C, &C::m_sCopyY, &C::m_sCopyStepY, &C::m_bCopyMirrorY>,
    CopyMembers<C, &C::m_cGraphicKind, &C::m_sGraphic, &C::m_sGraphicSub>,
    CopyMembers<C, &C::m_sAnimeSet>,
    CopyMembers<C, &C::m_cLayer>,
    CopyMembers<C, &C::m_bHiddenStatus>,
    CopyMembers<C, &C::m_sStartEffect, &C::m_cStartEffectType, &C::m_bStartEffectLoop>,
    CopyMembers<C, &C::m_sDeathEffect, &C::m_cDeathEffectType>,
    CopyMembers<C, &C::m_cMarkShow, &C::m_sMark>,
    CopyMembers<C, &C::m_bFacingLock>,
    CopyMembers<C, &C::m_cMoveMode>,
    CopyMembers<C, &C::m_cInvincible, &C::m_cInvincibleTint>,
    CopyMembers<C, &C::m_bBlockChara>,
    CopyMembers<C, &C::m_cScale>,
    CopyMembers<C, &C::m_bScrollSync>,
    CopyMembers<C, &C::m_cSightMode, &C::m_cSight>,
    CopyMembers<C, &C::m_nMaxHP>,
    CopyMembers<C, &C::m_nMaxSP>,
    CopyMembers<C, &C::m_cBoxChoice>,
    CopyMembers<C, &C::m_nPower>,
    CopyMembers<C, &C::m_cImpact>,
    CopyMembers<C, &C::m_sHitEffect>,
    CopyMembers<C, &C::m_nDefence>,
    CopyMembers<C, &C::m_cImpactResist>,
    CopyMembers<C, &C::m_sFriction>,
    CopyMembers<C, &C::m_cViewAxes, &C::m_cKeepActive>,
    CopyMembers<C, &C::m_sAppearSwitch, &C::m_bAppearSwitch>,
    CopyMembers<C, &C::m_nScore>,
    CopyMembers<C, &C::m_cOption49>,
    CopyFlows,
};
static_assert(std::size(kCharaGroups) == cCharaData::kInheritGroups);

using I = cItemData;
constexpr cGroupCopy<I> kItemGroups[] = {
    CopyMembers<I, &I::m_strName>,
    CopyMembers<I, &I::m_vCond, &I::m_cCondLogic, &I::m_bCondLatch>,
    CopyMembers<I, &I::m_sValueA>,
    CopyMembers<I, &I::m_sValueB>,
    CopyMembers<I, &I::m_cGraphicKind, &I::m_sGraphic, &I::m_sGraphicSub>,
    CopyMembers<I, &I::m_cLayer>,
    CopyMembers<I, &I::m_bHidden>,
    CopyMembers<I, &I::m_cOverlay, &I::m_sOverlay>,
    CopyMembers<I, &I::m_cScale>,
    CopyMembers<I, &I::m_cTakeMode>,
    CopyMembers<I, &I::m_bPopup>,
    CopyMembers<I, &I::m_sSound>,
    CopyMembers<I, &I::m_vCmd>,
};
static_assert(std::size(kItemGroups) == cItemData::kInheritGroups);

}  // namespace

void cBlockData::ApplyInherited() { ApplyGroups(*this, kBlockGroups); }
void cCharaData::ApplyInherited() { ApplyGroups(*this, kCharaGroups); }
void cItemData::ApplyInherited() { ApplyGroups(*this, kItemGroups); }
