#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/flow_io.h"
#include "support/definition_fixture.h"

namespace {

using Offsets = std::set<std::ptrdiff_t>;

// The places of members within their record.
template <class T, class... M>
Offsets Members(M T::*... members) {
  static const T probe;
  return {(reinterpret_cast<const char*>(&(probe.*members)) - reinterpret_cast<const char*>(&probe))...};
}

template <class T>
std::ptrdiff_t PlaceIn(const T& record, const void* member) {
  return static_cast<const char*>(member) - reinterpret_cast<const char*>(&record);
}

// The name and the sizes of the lists, by place.
template <class T>
std::map<std::ptrdiff_t, std::string> TextAndLists(const T& d) {
  std::map<std::ptrdiff_t, std::string> m;
  m[PlaceIn(d, &d.m_strName)] = d.m_strName;
  m[PlaceIn(d, &d.m_vCond)] = std::to_string(d.m_vCond.size());
  if constexpr (requires { d.m_vFlow; }) m[PlaceIn(d, &d.m_vFlow)] = std::to_string(d.m_vFlow.size());
  if constexpr (requires { d.m_vCmd; }) m[PlaceIn(d, &d.m_vCmd)] = std::to_string(d.m_vCmd.size());
  return m;
}

// The members of `def` that differ from `before`; `fromTemplate` is cleared when one of them does
// not now equal the template's.
template <class T>
Offsets Changed(T& def, T& before, T& tmpl, bool& fromTemplate) {
  Offsets changed;
  def.RegisterFields(g_nDataVersion);
  before.RegisterFields(g_nDataVersion);
  tmpl.RegisterFields(g_nDataVersion);
  for (int i = 0; i < def.RegisteredFieldCount(); ++i) {
    const cFieldDesc& d = def.RegisteredField(i);
    const size_t size = static_cast<size_t>(d.m_cSize) * d.m_nElemCount;
    if (std::memcmp(d.m_pData, before.RegisteredField(i).m_pData, size) == 0) continue;
    changed.insert(PlaceIn(def, d.m_pData));
    if (std::memcmp(d.m_pData, tmpl.RegisteredField(i).m_pData, size) != 0) fromTemplate = false;
  }
  const auto now = TextAndLists(def), was = TextAndLists(before), source = TextAndLists(tmpl);
  for (const auto& [place, value] : now) {
    if (value == was.at(place)) continue;
    changed.insert(place);
    if (value != source.at(place)) fromTemplate = false;
  }
  return changed;
}

// Gives a definition values of its own everywhere: registered members counted from `base`, a name,
// and lists of `lists` entries.
template <class T>
void FillAll(T& d, int base, const char* name, size_t lists) {
  FillDistinct(d, base);
  d.m_strName = name;
  d.m_vCond.resize(lists);
  if constexpr (requires { d.m_vFlow; }) {
    d.m_vFlow.resize(lists);
    for (cFlow& f : d.m_vFlow) f.m_nTrigger = FLOW_TRIG_DEATH;
  }
  if constexpr (requires { d.m_vCmd; }) d.m_vCmd.resize(lists);
}

// For each group, with a template in either palette: exactly the group's members change, to the
// template's values.
template <class T>
void ExpectEachGroupInherited(const std::vector<Offsets>& groups) {
  ASSERT_EQ(groups.size(), T::kInheritGroups);
  for (int kind : {PAL_COMMON, PAL_STAGE}) {
    for (size_t group = 0; group < groups.size(); ++group) {
      SCOPED_TRACE(testing::Message() << "palette " << kind << " group " << group);
      ResetPalettes();
      cCheckedVector<T>& list = *PaletteList<T>(kind);
      list.resize(3);
      T& tmpl = list[2];
      FillAll(tmpl, 0, "template", 2);
      T def;
      FillAll(def, 100, "own", 1);
      SetTemplate(def, static_cast<int8_t>(kind), 2, {static_cast<int>(group)});
      T before = def;
      def.ApplyInherited();
      bool fromTemplate = true;
      EXPECT_EQ(Changed(def, before, tmpl, fromTemplate), groups[group]);
      EXPECT_TRUE(fromTemplate);
      EXPECT_EQ(def.m_cPalKind, kind);
      EXPECT_EQ(def.m_sPalIndex, 2);
      EXPECT_EQ(Flags(def.m_vInherit), Flags(before.m_vInherit));
    }
  }
}

TEST_F(DefinitionTest, EachBlockGroupIsInherited) {
  using B = cBlockData;
  ExpectEachGroupInherited<B>({
      Members(&B::m_strName),
      Members(&B::m_vCond, &B::m_cCondLogic, &B::m_bCondLatch),
      Members(&B::m_cGraphicKind, &B::m_sGraphic, &B::m_sGraphicSub),
      Members(&B::m_bFront),
      Members(&B::m_bHidden),
      Members(&B::m_cOverlay, &B::m_sOverlay),
      Members(&B::m_cHit),
      Members(&B::m_cHitExempt),
      Members(&B::m_cEffect, &B::m_nEffectValue),
      Members(&B::m_cItemKind, &B::m_sItemIndex),
      Members(&B::m_bLocked),
  });
}

TEST_F(DefinitionTest, EachCharaGroupIsInherited) {
  using C = cCharaData;
  ExpectEachGroupInherited<C>({
      Members(&C::m_strName),
      Members(&C::m_cOperation, &C::m_cPlayer),
      Members(&C::m_cSide),
      Members(&C::m_cCharaId),
      Members(&C::m_vCond, &C::m_cCondLogic, &C::m_bCondLatch),
      Members(&C::m_cFacing),
      Members(&C::m_cCopies),
      Members(&C::m_sCopyX, &C::m_sCopyStepX, &C::m_bCopyMirrorX),
      Members(&C::m_sCopyY, &C::m_sCopyStepY, &C::m_bCopyMirrorY),
      Members(&C::m_cGraphicKind, &C::m_sGraphic, &C::m_sGraphicSub),
      Members(&C::m_sAnimeSet),
      Members(&C::m_cLayer),
      Members(&C::m_bHiddenStatus),
      Members(&C::m_sStartEffect, &C::m_cStartEffectType, &C::m_bStartEffectLoop),
      Members(&C::m_sDeathEffect, &C::m_cDeathEffectType),
      Members(&C::m_cMarkShow, &C::m_sMark),
      Members(&C::m_bFacingLock),
      Members(&C::m_cMoveMode),
      Members(&C::m_cInvincible, &C::m_cInvincibleTint),
      Members(&C::m_bBlockChara),
      Members(&C::m_cScale),
      Members(&C::m_bScrollSync),
      Members(&C::m_cSightMode, &C::m_cSight),
      Members(&C::m_nMaxHP),
      Members(&C::m_nMaxSP),
      Members(&C::m_cBoxChoice),
      Members(&C::m_nPower),
      Members(&C::m_cImpact),
      Members(&C::m_sHitEffect),
      Members(&C::m_nDefence),
      Members(&C::m_cImpactResist),
      Members(&C::m_sFriction),
      Members(&C::m_cViewAxes, &C::m_cKeepActive),
      Members(&C::m_sAppearSwitch, &C::m_bAppearSwitch),
      Members(&C::m_nScore),
      Members(&C::m_cOption49),
      Members(&C::m_vFlow),
  });
}

TEST_F(DefinitionTest, EachItemGroupIsInherited) {
  using I = cItemData;
  ExpectEachGroupInherited<I>({
      Members(&I::m_strName),
      Members(&I::m_vCond, &I::m_cCondLogic, &I::m_bCondLatch),
      Members(&I::m_sValueA),
      Members(&I::m_sValueB),
      Members(&I::m_cGraphicKind, &I::m_sGraphic, &I::m_sGraphicSub),
      Members(&I::m_cLayer),
      Members(&I::m_bHidden),
      Members(&I::m_cOverlay, &I::m_sOverlay),
      Members(&I::m_cScale),
      Members(&I::m_cTakeMode),
      Members(&I::m_bPopup),
      Members(&I::m_sSound),
      Members(&I::m_vCmd),
  });
}

TEST_F(DefinitionTest, ReadingTakesTheTemplatedGroups) {
  StagePalette().m_vBlock.resize(4);
  cBlockData& tmpl = StagePalette().m_vBlock[3];
  tmpl = PlacedBlock(0, 0, 9, 2);
  tmpl.m_cGraphicKind = GRAPHIC_ITEM;
  tmpl.m_sGraphicSub = 6;
  tmpl.m_strName = "template";

  cBlockData placed = PlacedBlock(5, 6, 1, 1);
  placed.m_strName = "own";
  SetTemplate(placed, PAL_STAGE, 3, {2});
  cBlockData back;
  ASSERT_EQ(ReadBody(back, 914, WrittenBody(placed)).m_nResult, 1);
  EXPECT_EQ((std::vector<int>{back.m_cGraphicKind, back.m_sGraphic, back.m_sGraphicSub}),
            (std::vector<int>{GRAPHIC_ITEM, 9, 6}));
  EXPECT_EQ(back.m_strName, "own");
  EXPECT_EQ(back.m_cHit, 1);
  EXPECT_EQ((std::vector<int>{back.m_cPalKind, back.m_sPalIndex}), (std::vector<int>{PAL_STAGE, 3}));
}

TEST_F(DefinitionTest, TemplateReferences) {
  StagePalette().m_vBlock.resize(3);
  g_CommonPalette.m_vBlock.resize(2);
  StagePalette().m_vBlock[2].m_strName = g_CommonPalette.m_vBlock[1].m_strName = "template";
  const struct {
    const char* what;
    int8_t kind;
    int16_t index;
    bool copied;
    int kindAfter;
  } cases[] = {
      {"stage entry beyond the palette", PAL_STAGE, 3, false, PAL_NONE},
      {"negative stage entry", PAL_STAGE, -1, false, PAL_NONE},
      {"stage entry", PAL_STAGE, 2, true, PAL_STAGE},
      {"common entry", PAL_COMMON, 1, true, PAL_COMMON},
      {"common entry beyond the palette", PAL_COMMON, 2, false, PAL_NONE},
      {"no palette", PAL_NONE, 1, false, PAL_NONE},
      {"index 0", PAL_STAGE, 0, false, PAL_STAGE},
      {"another kind: its own template", 3, 1, false, 3},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cBlockData b;
    b.m_strName = "own";
    SetTemplate(b, tc.kind, tc.index, {0});
    b.ApplyInherited();
    EXPECT_EQ(b.m_strName, tc.copied ? "template" : "own");
    EXPECT_EQ(b.m_cPalKind, tc.kindAfter);
    EXPECT_EQ(b.m_sPalIndex, tc.index) << "the index keeps its value";
  }
}

TEST_F(DefinitionTest, FlowsFromATemplateWithoutFlows) {
  StagePalette().m_vChara.resize(2);
  cCharaData c;
  c.m_vFlow.resize(2);
  for (cFlow& f : c.m_vFlow) f.m_nTrigger = FLOW_TRIG_DEATH;
  SetTemplate(c, PAL_STAGE, 1, {36});
  cCharaData applied = c;
  applied.ApplyInherited();
  ASSERT_EQ(applied.m_vFlow.size(), 1u) << "one new flow in place of the template's none";
  EXPECT_EQ(applied.m_vFlow[0].m_nKeyGap, cFlow().m_nKeyGap);

  cCharaData back;
  ASSERT_EQ(ReadBody(back, 914, WrittenBody(c)).m_nResult, 1);
  EXPECT_TRUE(back.m_vFlow.empty());
}

TEST_F(DefinitionTest, FlagsBeyondTheLastGroupAreIgnored) {
  StagePalette().m_vChara.resize(2);
  FillAll(StagePalette().m_vChara[1], 0, "template", 2);
  cCharaData own;
  FillAll(own, 100, "own", 1);
  SetTemplate(own, PAL_STAGE, 1, {});
  own.m_vInherit.assign(37, 1);
  cCharaData forty = own;
  forty.m_vInherit.assign(40, 1);
  own.ApplyInherited();
  forty.ApplyInherited();
  EXPECT_EQ(RegisteredBytes(forty), RegisteredBytes(own));
  EXPECT_EQ(forty.m_strName, "template");
  EXPECT_EQ(forty.m_vFlow.size(), 2u);
}

TEST_F(DefinitionTest, OldCharactersTakeTheirNewMembersFromTheTemplate) {
  StagePalette().m_vChara.resize(2);
  cCharaData& tmpl = StagePalette().m_vChara[1];
  tmpl.m_nDefence = 99;
  tmpl.m_cBoxChoice = 2;
  tmpl.m_bScrollSync = 1;
  for (int withTemplate : {0, 1}) {
    SCOPED_TRACE(withTemplate);
    cCharaData stored;
    stored.m_cPalKind = static_cast<int8_t>(withTemplate ? PAL_STAGE : PAL_NONE);
    stored.m_sPalIndex = 1;
    stored.m_vInherit.assign(30, 0);
    cCharaData back;
    ASSERT_EQ(ReadBody(back, 167, flowbody::BlockAt(167, stored)).m_nResult, 1);
    EXPECT_EQ((std::vector<int>{back.m_nDefence, back.m_cBoxChoice, back.m_bScrollSync}),
              withTemplate ? (std::vector<int>{99, 2, 1}) : (std::vector<int>{0, 0, 0}));
  }
}

}  // namespace
