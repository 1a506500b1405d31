#include "stagedata/edshot.h"

#include <gtest/gtest.h>

#include <vector>

#include "stagedata/cmdparts_io.h"
#include "stagedata/database.h"
#include "support/tempdir.h"

namespace {

std::vector<int> Fields(const cEdShot& s) {
  return {s.m_nCount,
          s.m_nFormation,
          s.m_sFormParam[0],
          s.m_sFormParam[1],
          s.m_sFormParam[2],
          s.m_nOrigin,
          s.m_nShotDir,
          s.m_bAim,
          s.m_nShotTarget,
          s.m_sAngleOfs,
          s.m_sAngleOfsStep,
          s.m_bAngleMirrorShot,
          s.m_sSpread,
          s.m_bRotate,
          s.m_nCopies,
          s.m_sPosX,
          s.m_sPosXStep,
          s.m_sPosY,
          s.m_sPosYStep,
          s.m_bMirrorPosX,
          s.m_bMirrorPosY,
          s.m_sGraphic,
          s.m_nZ,
          s.m_bInvisible,
          s.m_bOwnerFaction,
          s.m_nFaction,
          s.m_nReserved25,
          s.m_nScale,
          s.m_nReserved27,
          s.m_nMoveKind,
          s.m_sMoveParam[0],
          s.m_sMoveParam[1],
          s.m_sMoveParam[2],
          s.m_nOwnerTarget,
          s.m_bScrollSync,
          s.m_sSpeed,
          s.m_sSpeedStep,
          s.m_bAccelShot,
          s.m_sAccel,
          s.m_sAccelStep,
          s.m_sRange,
          s.m_bRangeOn,
          s.m_sRangeStep,
          s.m_bKeepAtRangeEnd,
          s.m_bLifeOn,
          s.m_sLife,
          s.m_sLifeStep,
          s.m_nBlockPass,
          s.m_bPierceChara,
          s.m_bPierceBlockChara,
          s.m_bShotVsShot,
          s.m_nVanish,
          s.m_nPower,
          s.m_sReserved50,
          s.m_nImpact,
          s.m_sEffect,
          s.m_nItemPalette,
          s.m_sItem,
          s.m_nBlockMode,
          s.m_nReserved56,
          s.m_nReserved57,
          s.m_nSummonPalette,
          s.m_sSummon,
          s.m_nSummonFaction,
          s.m_nReserved61,
          s.m_bSummonReverse,
          s.m_bReportHit,
          s.m_nReportKey};
}

// A block whose every stored value differs from the others and from the defaults.
cEdShot Sample() {
  cEdShot s;
  FillDistinct(s, 0);
  s.m_sEffect = 7;
  return s;
}

// A shot block as a file of `version` stores it.
std::vector<uint8_t> ShotBody(uint32_t version, const cEdShot& s) {
  ByteWriter w;
  uint32_t n = 52 + (version >= 158) + (version >= 197) + (version >= 211) + (version >= 213 ? 3 : 0) +
               (version >= 636) + (version >= 671) + (version >= 762 ? 2 : 0) + (version >= 767 ? 2 : 0);
  w.U32(n).I8(s.m_nCount).I8(s.m_nFormation).I16(s.m_sFormParam[0]).I16(s.m_sFormParam[1]).I16(s.m_sFormParam[2]);
  if (version >= 671) w.I8(s.m_nOrigin);
  w.I8(s.m_nShotDir).I8(s.m_bAim);
  if (version >= 767) w.I8(s.m_nShotTarget);
  w.I16(s.m_sAngleOfs).I16(s.m_sAngleOfsStep);
  if (version >= 158) w.I8(s.m_bAngleMirrorShot);
  w.I16(s.m_sSpread).I8(s.m_bRotate).I8(s.m_nCopies).I16(s.m_sPosX).I16(s.m_sPosXStep).I16(s.m_sPosY);
  w.I16(s.m_sPosYStep).I8(s.m_bMirrorPosX).I8(s.m_bMirrorPosY).I16(s.m_sGraphic).I8(s.m_nZ).I8(s.m_bInvisible);
  w.I8(s.m_bOwnerFaction).I8(s.m_nFaction).I8(s.m_nReserved25).I8(s.m_nScale).I8(s.m_nReserved27);
  w.I8(s.m_nMoveKind).I16(s.m_sMoveParam[0]).I16(s.m_sMoveParam[1]).I16(s.m_sMoveParam[2]);
  if (version >= 767) w.I8(s.m_nOwnerTarget);
  if (version >= 211) w.I8(s.m_bScrollSync);
  w.I16(s.m_sSpeed).I16(s.m_sSpeedStep);
  if (version >= 213) w.I8(s.m_bAccelShot).I16(s.m_sAccel).I16(s.m_sAccelStep);
  w.I16(s.m_sRange).I8(s.m_bRangeOn).I16(s.m_sRangeStep).I8(s.m_bKeepAtRangeEnd).I8(s.m_bLifeOn).I16(s.m_sLife);
  w.I16(s.m_sLifeStep).I8(s.m_nBlockPass).I8(s.m_bPierceChara);
  if (version >= 636) w.I8(s.m_bPierceBlockChara);
  w.I8(s.m_bShotVsShot).I8(s.m_nVanish).I32(s.m_nPower).I16(s.m_sReserved50).I8(s.m_nImpact).I16(s.m_sEffect);
  w.I8(s.m_nItemPalette).I16(s.m_sItem).I8(s.m_nBlockMode).I8(s.m_nReserved56);
  if (version >= 197) w.I8(s.m_nReserved57);
  w.I8(s.m_nSummonPalette).I16(s.m_sSummon).I8(s.m_nSummonFaction).I8(s.m_nReserved61).I8(s.m_bSummonReverse);
  if (version >= 762) w.I8(s.m_bReportHit).I8(s.m_nReportKey);
  return w.U32(0).bytes;
}

// The plain Read and Write check effect numbers against the database's effect list: give it room
// for the sample's numbers, and take it back afterwards.
class EdShotRecord : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    saved_ = g_Database.m_vEffect;
    g_Database.m_vEffect.resize(kEffects);
  }
  void TearDown() override {
    g_Database.m_vEffect = saved_;
    TempDirTest::TearDown();
  }
  static constexpr size_t kEffects = 64;
  cCheckedVector<cEffectData> saved_;
};

TEST_F(EdShotRecord, NewBlockDefaults) {
  cEdShotHolder h;
  CreateEdShot(h);
  ASSERT_TRUE(h);
  std::vector<int> expected(68, 0);
  for (int i : {11, 19, 24, 27}) expected[i] = 1;  // angle mirror, X mirror, owner's faction, scale
  EXPECT_EQ(Fields(*h), expected);

  std::vector<uint8_t> body = WrittenBody(*h);
  EXPECT_EQ(body.size(), 4u + 97u + 4u);
  EXPECT_EQ(body, ShotBody(914, cEdShot()));
}

TEST_F(EdShotRecord, CurrentLayoutRoundTrips) {
  cEdShot s = Sample();
  std::vector<uint8_t> body = WrittenBody(s);
  EXPECT_EQ(body, ShotBody(914, Sample()));

  cEdShot back;
  cBodyRead r = ReadBody(back, 914, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Fields(back), Fields(Sample()));
}

TEST_F(EdShotRecord, ScaleAndEffectRepairs) {
  // Writing repairs the record itself as well as the bytes.
  for (int scale : {0, -3}) {
    SCOPED_TRACE(scale);
    cEdShot s = Sample();
    s.m_nScale = static_cast<int8_t>(scale);
    cEdShot repaired = Sample();
    repaired.m_nScale = 1;
    EXPECT_EQ(WrittenBody(s), ShotBody(914, repaired));
    EXPECT_EQ(s.m_nScale, 1);

    cEdShot back;
    cEdShot stored = Sample();
    stored.m_nScale = static_cast<int8_t>(scale);
    ASSERT_EQ(ReadBody(back, 914, ShotBody(914, stored)).m_nResult, 1);
    EXPECT_EQ(back.m_nScale, 1);
  }

  const size_t unchecked = cEdShot::kEffectCountUnchecked;
  const struct {
    int effect;
    size_t count;
    int expected;
  } cases[] = {{4, 5, 4}, {5, 5, 0}, {-1, 5, 0}, {-32768, 5, 0}, {0, 0, 0}, {500, unchecked, 500}, {-1, unchecked, 0}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "effect " << tc.effect << " of " << tc.count);
    cEdShot stored;
    stored.m_sEffect = static_cast<int16_t>(tc.effect);
    cEdShot back;
    cBodyRead r = ReadImage(914, ShotBody(914, stored), [&](cDataFile& f) { return back.Read(f, tc.count); });
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(back.m_sEffect, tc.expected);

    cEdShot written;
    written.m_sEffect = static_cast<int16_t>(tc.effect);
    std::vector<uint8_t> body = WrittenBodyBy([&](cDataFile& f) { return written.Write(f, tc.count); });
    EXPECT_EQ(written.m_sEffect, tc.expected);
    cEdShot expected;
    expected.m_sEffect = static_cast<int16_t>(tc.expected);
    EXPECT_EQ(body, ShotBody(914, expected));
  }
}

TEST_F(EdShotRecord, UpgradesOlderVersions) {
  // The stored block sets every optional member; the target starts with 9 in them, so a member the
  // file lacks shows 9 unless an upgrade sets it.
  const struct {
    uint32_t version;
    int moveKind;
    // expected: origin, shot target, angle mirror, owner target, scroll sync, accel on, accel,
    // accel step, pierce block characters, reserved 57, report hit, report key
    int origin, shotTarget, mirror, ownerTarget, scroll, accelOn, accel, accelStep, pierceBC, res57, hit, key;
  } cases[] = {
      {157, 5, 0, 9, 0, 9, 1, 0, 0, 0, 1, 6, 9, 9},   {157, 8, 0, 9, 0, 9, 0, 0, 0, 0, 1, 6, 9, 9},
      {196, 4, 0, 9, 1, 9, 1, 0, 0, 0, 1, 6, 9, 9},   {197, 7, 0, 9, 1, 9, 1, 0, 0, 0, 1, 7, 9, 9},
      {211, 5, 0, 9, 1, 9, 1, 0, 0, 0, 1, 7, 9, 9},   {211, 8, 0, 9, 1, 9, 0, 0, 0, 0, 1, 7, 9, 9},
      {211, 3, 0, 9, 1, 9, 0, 0, 0, 0, 1, 7, 9, 9},   {212, 8, 0, 9, 1, 9, 1, 0, 0, 0, 1, 7, 9, 9},
      {213, 8, 0, 9, 1, 9, 1, 1, 50, -5, 1, 7, 9, 9}, {635, 0, 0, 9, 1, 9, 1, 1, 50, -5, 1, 7, 9, 9},
      {636, 0, 0, 9, 1, 9, 1, 1, 50, -5, 0, 7, 9, 9}, {670, 0, 0, 9, 1, 9, 1, 1, 50, -5, 0, 7, 9, 9},
      {671, 0, 2, 9, 1, 9, 1, 1, 50, -5, 0, 7, 9, 9}, {762, 0, 2, 9, 1, 9, 1, 1, 50, -5, 0, 7, 1, 4},
      {767, 0, 2, 3, 1, 2, 1, 1, 50, -5, 0, 7, 1, 4}, {914, 6, 2, 3, 1, 2, 1, 1, 50, -5, 0, 7, 1, 4},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "version " << tc.version << " movement " << tc.moveKind);
    cEdShot stored = Sample();
    stored.m_nMoveKind = static_cast<int8_t>(tc.moveKind);
    stored.m_nOrigin = 2, stored.m_nShotTarget = 3, stored.m_bAngleMirrorShot = 1, stored.m_nOwnerTarget = 2;
    stored.m_bScrollSync = 1, stored.m_bAccelShot = 1, stored.m_sAccel = 50, stored.m_sAccelStep = -5;
    stored.m_bPierceChara = 1, stored.m_bPierceBlockChara = 0, stored.m_nReserved56 = 6, stored.m_nReserved57 = 7;
    stored.m_bReportHit = 1, stored.m_nReportKey = 4;

    cEdShot s;
    s.m_nOrigin = s.m_nShotTarget = s.m_bAngleMirrorShot = s.m_nOwnerTarget = s.m_bScrollSync = 9;
    s.m_bAccelShot = s.m_bPierceBlockChara = s.m_nReserved57 = s.m_bReportHit = s.m_nReportKey = 9;
    s.m_sAccel = s.m_sAccelStep = 9;
    cBodyRead r = ReadBody(s, tc.version, ShotBody(tc.version, stored));
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);

    cEdShot expected = stored;
    expected.m_nOrigin = tc.origin, expected.m_nShotTarget = tc.shotTarget, expected.m_bAngleMirrorShot = tc.mirror;
    expected.m_nOwnerTarget = tc.ownerTarget, expected.m_bScrollSync = tc.scroll, expected.m_bAccelShot = tc.accelOn;
    expected.m_sAccel = tc.accel, expected.m_sAccelStep = tc.accelStep, expected.m_bPierceBlockChara = tc.pierceBC;
    expected.m_nReserved57 = tc.res57, expected.m_bReportHit = tc.hit, expected.m_nReportKey = tc.key;
    EXPECT_EQ(Fields(s), Fields(expected));
  }
}

TEST_F(EdShotRecord, DamagedBodiesFail) {
  std::vector<uint8_t> good = ShotBody(914, Sample());
  std::vector<uint8_t> more = good;
  more[0] = 65;
  ExpectReadsFail<cEdShot>({
      {"cut in the middle", 914, std::vector<uint8_t>(good.begin(), good.begin() + 60)},
      {"more raw members than stored", 914, more},
      {"a v157 file with the current count", 157, good},
      {"only the raw count", 914, std::vector<uint8_t>(good.begin(), good.begin() + 4)},
  });
}

TEST(EdShotOffsets, LevelOffsets) {
  const struct {
    int pos, step, mirror, level, facing;
    double expected;
  } cases[] = {
      {8, 4, 1, 2, 0, 16}, {8, 4, 1, 2, 1, -16}, {8, 4, 0, 2, 1, 16}, {8, 4, 1, 0, 1, -8}, {-5, 3, 1, 3, 2, 4},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.pos << " + " << tc.level << " x " << tc.step << " facing " << tc.facing);
    cEdShot s;
    s.m_sPosX = static_cast<int16_t>(tc.pos), s.m_sPosXStep = static_cast<int16_t>(tc.step);
    s.m_bMirrorPosX = static_cast<int8_t>(tc.mirror), s.m_bMirrorPosY = 0;
    EXPECT_EQ(s.GetLevelOffsetX(tc.level, tc.facing), tc.expected);
    EXPECT_EQ(s.GetLevelOffsetY(tc.level, tc.facing), 0);
    s.m_sPosY = s.m_sPosX, s.m_sPosYStep = s.m_sPosXStep, s.m_bMirrorPosY = s.m_bMirrorPosX, s.m_bMirrorPosX = 0;
    EXPECT_EQ(s.GetLevelOffsetY(tc.level, tc.facing), tc.expected);
  }
}

TEST(EdShotHolder, AssignmentCopiesEveryMember) {
  cEdShotHolder src = std::make_shared<cEdShot>(Sample());
  cEdShotHolder dst;
  CreateEdShot(dst);
  AssignEdShotHolder(dst, src);
  ASSERT_TRUE(dst);
  EXPECT_NE(dst.get(), src.get());
  src->m_nPower = 1;
  EXPECT_EQ(Fields(*dst), Fields(Sample()));
}

}  // namespace
