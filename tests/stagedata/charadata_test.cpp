#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/flow_io.h"
#include "support/definition_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

cFlow FlowWith(int trigger, int commands) {
  cFlow f;
  f.m_nTrigger = static_cast<int8_t>(trigger);
  f.m_vCmd.resize(static_cast<size_t>(commands));
  for (cFlowCmd& c : f.m_vCmd) c.m_nKind = CMD_WAIT;
  return f;
}

// A placed character with every stored member set to a value of its own that Validate keeps.
cCharaData SampleChara() {
  cCharaData c;
  FillDistinct(c, 0);
  c.m_cPalKind = 0;
  c.m_sPalIndex = 0;
  c.m_cGraphicKind = GRAPHIC_SHOT;
  c.m_sAnimeSet = 0;
  c.m_sStartEffect = 1;
  c.m_sDeathEffect = 1;
  c.m_sHitEffect = 1;
  c.m_cOperation = 1;
  c.m_strName = "スライム";
  c.m_sCellX = 12;
  c.m_sCellY = 3;
  c.m_nHeldItem = -1;
  for (size_t i = 0; i < c.m_vInherit.size(); ++i) c.m_vInherit[i] = static_cast<int8_t>(i % 3);
  c.m_vCond.resize(2);
  FillDistinct(c.m_vCond[1], 20);
  c.m_vFlow = {FlowWith(FLOW_TRIG_DEATH, 1), FlowWith(FLOW_TRIG_ALWAYS, 2)};
  return c;
}

TEST_F(DefinitionTest, CharaBlankDefinitionAndRoundTrip) {
  cCharaData blank;
  EXPECT_EQ((std::vector<int>{blank.m_cGraphicKind, blank.m_cLayer, blank.m_bStartEffectLoop, blank.m_cOperation,
                              blank.m_cSide, blank.m_bFacingLock, blank.m_cScale, blank.m_nMaxHP, blank.m_sFriction,
                              blank.m_cOption49, blank.m_nHeldItem}),
            (std::vector<int>{1, 3, 1, 1, 1, 1, 1, 10, 10, 1, 0}));
  EXPECT_EQ(Flags(blank.m_vInherit), std::vector<int>(37, 0));
  EXPECT_EQ(WrittenBody(blank).size(), 151u);

  cCharaData sample = SampleChara();
  const std::vector<uint8_t> members = RegisteredBytes(sample);
  cCharaData back;
  cBodyRead r = ReadBody(back, 914, WrittenBody(sample));
  ASSERT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(RegisteredBytes(back), members);
  EXPECT_EQ(back.m_strName, "スライム");
  EXPECT_EQ((std::vector<int>{back.m_sCellX, back.m_sCellY, back.m_nHeldItem}), (std::vector<int>{12, 3, -1}));
  EXPECT_EQ(Flags(back.m_vInherit), Flags(sample.m_vInherit));
  ASSERT_EQ(back.m_vCond.size(), 2u);
  EXPECT_EQ(RegisteredBytes(back.m_vCond[1]), RegisteredBytes(sample.m_vCond[1]));
  ASSERT_EQ(back.m_vFlow.size(), 2u);
  EXPECT_EQ(back.m_vFlow[0].m_nTrigger, FLOW_TRIG_DEATH);
  EXPECT_EQ(back.m_vFlow[1].m_vCmd.size(), 2u);
}

// The inherit flags a character stored with `stored` flags by a file of `version` reads with. The
// stored values start at 2, so that an inserted flag (1) stands out.
std::vector<int> FlagsAfterReading(uint32_t version, size_t stored) {
  cCharaData c;
  c.m_vInherit.resize(stored);
  for (size_t i = 0; i < stored; ++i) c.m_vInherit[i] = static_cast<int8_t>(i + 2);
  cCharaData back;
  cBodyRead r = ReadBody(back, version, flowbody::BlockAt(version, c));
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  return Flags(back.m_vInherit);
}

// Stored flags 0..n-1 (values 2..n+1), zeros up to 37 entries.
std::vector<int> StoredFlags(size_t n) {
  std::vector<int> v(37, 0);
  for (size_t i = 0; i < n && i < v.size(); ++i) v[i] = static_cast<int>(i + 2);
  return v;
}

// Inserts a set flag at `at` and drops the last entry.
std::vector<int> Inserted(std::vector<int> v, size_t at) {
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), 1);
  v.pop_back();
  return v;
}

TEST_F(DefinitionTest, CharaInheritFlagsOfOlderFiles) {
  std::vector<int> fortyFlags(40);
  for (size_t i = 0; i < fortyFlags.size(); ++i) fortyFlags[i] = static_cast<int>(i + 2);
  const struct {
    const char* what;
    uint32_t version;
    size_t stored;
    std::vector<int> expected;
  } cases[] = {
      {"current file with 40 flags", 914, 40, fortyFlags},
      {"current file without flags keeps the blank ones", 914, 0, std::vector<int>(37, 0)},
      {"209 file with 37 flags", 209, 37, Inserted(StoredFlags(37), 21)},
      {"200 file with 35 flags", 200, 35, Inserted(Inserted(StoredFlags(35), 24), 21)},
      {"167 file with 30 flags", 167, 30, Inserted(Inserted(Inserted(StoredFlags(30), 27), 24), 21)},
      // Damaged files with too few flags for the insertions: padded first.
      {"205 file with 3 flags", 205, 3, Inserted(StoredFlags(3), 21)},
      {"190 file with 3 flags", 190, 3, Inserted(Inserted(StoredFlags(3), 24), 21)},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    EXPECT_EQ(FlagsAfterReading(tc.version, tc.stored), tc.expected);
  }
  // Spelled out: the 167 file's former flags 21..23, 24..26 and 27..29 moved up by one, two and three.
  const std::vector<int> old = FlagsAfterReading(167, 30);
  EXPECT_EQ(std::vector<int>(old.begin() + 21, old.begin() + 33),
            (std::vector<int>{1, 23, 24, 25, 1, 26, 27, 28, 1, 29, 30, 31}));
  EXPECT_EQ(std::vector<int>(old.begin() + 33, old.end()), std::vector<int>(4, 0));
}

TEST_F(DefinitionTest, CharaMembersOfOlderFiles) {
  const struct {
    uint32_t version;
    int8_t graphicKind;
    int16_t graphic;
    int8_t box;
    // Expected: defence, start and death effect types, box choice, scroll sync, graphic, tint.
    std::vector<int> expected;
  } cases[] = {
      {914, GRAPHIC_SHOT, 40, 2, {77, 2, 2, 2, 1, 40, 3}},
      {284, GRAPHIC_SHOT, 40, 2, {77, 2, 2, 2, 1, 40, 1}},
      {218, GRAPHIC_SHOT, 40, 2, {77, 2, 2, 2, 1, 41, 1}},
      {218, GRAPHIC_SHOT, 119, 2, {77, 2, 2, 2, 1, 119, 1}},
      {218, GRAPHIC_CHARA, 40, 2, {77, 2, 2, 2, 1, 40, 1}},
      {209, GRAPHIC_CHARA, 40, 2, {77, 2, 2, 2, 0, 40, 1}},
      {205, GRAPHIC_CHARA, 40, 2, {77, 2, 2, 3, 0, 40, 1}},
      {205, GRAPHIC_CHARA, 40, 1, {77, 2, 2, 1, 0, 40, 1}},
      {200, GRAPHIC_CHARA, 40, 2, {77, 2, 2, 0, 0, 40, 1}},
      {195, GRAPHIC_CHARA, 40, 2, {77, 0, 0, 0, 0, 40, 1}},
      {167, GRAPHIC_CHARA, 40, 2, {0, 0, 0, 0, 0, 40, 1}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "version " << tc.version << " box " << int{tc.box});
    cCharaData stored;
    stored.m_nDefence = 77;
    stored.m_cStartEffectType = 2;
    stored.m_cDeathEffectType = 2;
    stored.m_cBoxChoice = tc.box;
    stored.m_bScrollSync = 1;
    stored.m_cGraphicKind = tc.graphicKind;
    stored.m_sGraphic = tc.graphic;
    stored.m_cInvincibleTint = 3;
    // Members the file does not store are set by the upgrade, not kept.
    cCharaData back;
    back.m_nDefence = 55;
    back.m_cStartEffectType = back.m_cDeathEffectType = 4;
    back.m_cBoxChoice = 3;
    back.m_bScrollSync = 1;
    back.m_cInvincibleTint = 5;
    cBodyRead r = ReadBody(back, tc.version, flowbody::BlockAt(tc.version, stored));
    ASSERT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ((std::vector<int>{back.m_nDefence, back.m_cStartEffectType, back.m_cDeathEffectType, back.m_cBoxChoice,
                                back.m_bScrollSync, back.m_sGraphic, back.m_cInvincibleTint}),
              tc.expected);
  }
}

TEST_F(DefinitionTest, CharaValidateRepairs) {
  StagePalette().m_vChara.resize(2);
  const size_t bitmaps = g_Database.m_vBmpCharaExc.size();
  const size_t animeSets = g_Database.m_vAnimeSet.size();
  const size_t charaEffects = g_Database.m_vCharaEffect.size();
  ASSERT_GE(bitmaps, 2u);
  using Edit = std::function<void(cCharaData&)>;
  using Check = std::function<std::vector<int>(const cCharaData&)>;
  const Check blockAndCopies = [](const cCharaData& c) { return std::vector<int>{c.m_bBlockChara, c.m_cCopies}; };
  const Check scale = [](const cCharaData& c) { return std::vector<int>{c.m_cScale}; };
  const Check graphic = [](const cCharaData& c) { return std::vector<int>{c.m_sGraphic}; };
  const Check effects = [](const cCharaData& c) {
    return std::vector<int>{c.m_sAnimeSet, c.m_sStartEffect, c.m_sDeathEffect, c.m_sHitEffect};
  };
  const Check palette = [](const cCharaData& c) { return std::vector<int>{c.m_cPalKind, c.m_sPalIndex}; };
  const auto ownBitmap = [](int16_t g) {
    return [g](cCharaData& c) {
      c.m_cGraphicKind = GRAPHIC_OWN_BITMAP;
      c.m_sGraphic = g;
    };
  };
  const auto refs = [](int a, int start, int death, int hit) {
    return [=](cCharaData& c) {
      c.m_sAnimeSet = static_cast<int16_t>(a);
      c.m_sStartEffect = static_cast<int16_t>(start);
      c.m_sDeathEffect = static_cast<int16_t>(death);
      c.m_sHitEffect = static_cast<int16_t>(hit);
    };
  };
  const int last = static_cast<int>(animeSets) - 1;
  const int effectCount = static_cast<int>(charaEffects);
  const struct {
    const char* what;
    Edit edit;
    Check check;
    std::vector<int> expected;
  } cases[] = {
      {"player-operated block character with copies",
       [](cCharaData& c) {
         c.m_cOperation = 0;
         c.m_bBlockChara = 1;
         c.m_cCopies = 3;
       },
       blockAndCopies, {0, 0}},
      {"computer-operated block character with copies",
       [](cCharaData& c) {
         c.m_bBlockChara = 1;
         c.m_cCopies = 3;
       },
       blockAndCopies, {1, 3}},
      {"scale 0", [](cCharaData& c) { c.m_cScale = 0; }, scale, {1}},
      {"scale -3", [](cCharaData& c) { c.m_cScale = -3; }, scale, {1}},
      {"scale 10", [](cCharaData& c) { c.m_cScale = 10; }, scale, {10}},
      {"own bitmap beyond the list", ownBitmap(static_cast<int16_t>(bitmaps)), graphic, {1}},
      {"negative own bitmap", ownBitmap(-1), graphic, {1}},
      {"own bitmap inside the list", ownBitmap(static_cast<int16_t>(bitmaps - 1)), graphic,
       {static_cast<int>(bitmaps) - 1}},
      {"character-sheet graphic is not checked", [](cCharaData& c) { c.m_sGraphic = 500; }, graphic, {500}},
      {"database references inside", refs(last, effectCount - 1, 0, 1), effects, {last, effectCount - 1, 0, 1}},
      {"database references beyond", refs(last + 1, effectCount, effectCount, 1000), effects, {0, 0, 0, 0}},
      {"negative database references", refs(-1, -2, -3, -4), effects, {0, 0, 0, 0}},
      {"stage template beyond the palette",
       [](cCharaData& c) {
         c.m_cPalKind = PAL_STAGE;
         c.m_sPalIndex = 2;
       },
       palette, {0, 0}},
      {"stage template inside the palette",
       [](cCharaData& c) {
         c.m_cPalKind = PAL_STAGE;
         c.m_sPalIndex = 1;
       },
       palette, {PAL_STAGE, 1}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cCharaData c;
    tc.edit(c);
    c.Validate();
    EXPECT_EQ(tc.check(c), tc.expected);
  }

  // A dedicated bitmap list holding only its blank entry has no entry 1 to fall back to.
  g_Database.m_vBmpCharaExc.resize(1);
  cCharaData c;
  ownBitmap(5)(c);
  c.Validate();
  EXPECT_EQ(c.m_sGraphic, 0);
}

TEST_F(DefinitionTest, CharaReadValidates) {
  // Bytes the writer never produces: a player-operated block character of scale 0.
  cCharaData c;
  c.m_cOperation = 0;
  Bytes body = WrittenBody(c);
  body[BodyOffsetOf(c, &c.m_bBlockChara)] = 1;
  body[BodyOffsetOf(c, &c.m_cScale)] = 0;
  cCharaData back;
  ASSERT_EQ(ReadBody(back, 914, body).m_nResult, 1);
  EXPECT_EQ(back.m_bBlockChara, 0);
  EXPECT_EQ(back.m_cScale, 1);
}

TEST_F(DefinitionTest, CharaFlowsThatDoNothingVanish) {
  cFlow keyed = FlowWith(FLOW_TRIG_ALWAYS, 0);
  keyed.m_nKey = 1;
  cFlow identified = FlowWith(FLOW_TRIG_ALWAYS, 0);
  identified.m_nFlowId = 2;
  cFlow conditioned = FlowWith(FLOW_TRIG_ALWAYS, 0);
  conditioned.m_vCond.resize(1);
  cFlow keys = FlowWith(FLOW_TRIG_ALWAYS, 0);
  keys.m_vKeyCond.resize(1);
  cFlow testOnly = FlowWith(FLOW_TRIG_DEATH, 1);
  testOnly.m_bTestOnly = 1;
  const std::vector<cFlow> flows = {FlowWith(FLOW_TRIG_ALWAYS, 0), FlowWith(FLOW_TRIG_ALWAYS, 1), keyed,
                                    identified, conditioned, keys, FlowWith(FLOW_TRIG_DEATH, 0), testOnly};

  // Written directly as a file holds them (the writer would already drop the empty flow).
  std::vector<Bytes> stored;
  for (cFlow f : flows) stored.push_back(WrittenBody(f));
  cCharaData c;
  Bytes body = WrittenBody(c);
  body.resize(body.size() - 4);
  ByteWriter w;
  w.Raw(body.data(), body.size());
  flowbody::List(w, stored);

  const auto triggersAndKeys = [&](int keepTestFlows) {
    g_SystemData.m_bKeepTestFlows = keepTestFlows;
    cCharaData back;
    EXPECT_EQ(ReadBody(back, 914, w.bytes).m_nResult, 1);
    std::vector<int> out;
    for (const cFlow& f : back.m_vFlow) out.push_back(f.m_nTrigger * 100 + f.m_nKey * 10 + f.m_nFlowId);
    return out;
  };
  // Gone: the empty flow (and the test-only one in plain play); kept: every flow with anything in it.
  EXPECT_EQ(triggersAndKeys(0), (std::vector<int>{0, 10, 2, 0, 0, 500}));
  EXPECT_EQ(triggersAndKeys(1), (std::vector<int>{0, 10, 2, 0, 0, 500, 500}));
}

TEST_F(DefinitionTest, CharaCopyOffsets) {
  cCharaData c;
  c.m_sCopyX = 10;
  c.m_sCopyStepX = 32;
  c.m_sCopyY = -4;
  c.m_sCopyStepY = 8;
  c.m_bCopyMirrorX = 1;
  EXPECT_EQ(c.GetSpawnOffsetX(2, 1), -74.0);
  EXPECT_EQ(c.GetSpawnOffsetX(2, 0), 74.0);
  EXPECT_EQ(c.GetSpawnOffsetX(0, 1), -10.0);
  EXPECT_EQ(c.GetSpawnOffsetY(2, 1), 12.0) << "y is mirrored only by its own switch";
  c.m_bCopyMirrorY = 1;
  EXPECT_EQ(c.GetSpawnOffsetY(2, 1), -12.0);
}

TEST_F(DefinitionTest, DamagedCharactersFailToRead) {
  cCharaData sample = SampleChara();
  const Bytes good = WrittenBody(sample);
  ExpectReadsFail<cCharaData>({
      {"cut inside the held item", 914, Bytes(good.begin(), good.begin() + 4 + 82 + 4 + 4 + 9 + 6)},
      {"cut inside the flows", 914, Bytes(good.begin(), good.end() - 3)},
      {"more members than the version stores", 167, good},
  });
}

}  // namespace
