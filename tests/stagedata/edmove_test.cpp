#include "stagedata/edmove.h"

#include <gtest/gtest.h>

#include <vector>

#include "stagedata/cmdparts_io.h"
#include "support/tempdir.h"

namespace {

// Every member in file order, for comparing whole blocks.
std::vector<double> Fields(const cEdMove& m) {
  return {double(m.m_nPosMode),       double(m.m_nDir),          double(m.m_sAngle),
          double(m.m_sAngleStep),     double(m.m_bAngleMirror),  double(m.m_bAxisX),
          double(m.m_bAxisY),         double(m.m_sTargetX),      double(m.m_sTargetY),
          double(m.m_sTargetDotX),    double(m.m_sTargetDotY),   double(m.m_nCoordMode),
          double(m.m_nUnit),          double(m.m_nRefPoint),     double(m.m_bEndAtTarget),
          double(m.m_bLockX),         double(m.m_bLockY),        double(m.m_bMirrorX),
          double(m.m_bMirrorY),       double(m.m_bFollowFacing), double(m.m_bSnap),
          double(m.m_bKeepFacing),    double(m.m_nSpeedMode),    double(m.m_sMoveSpeed),
          double(m.m_sMoveSpeedStep), double(m.m_sDist),         double(m.m_sDistStep),
          double(m.m_nDistUnit),      double(m.m_sHomingLag),    double(m.m_sHomingLagStep),
          double(m.m_bAccel),         double(m.m_sMaxSpeed),     m.m_dTurnFactor,
          double(m.m_nAnimMode),      double(m.m_nTargetSlot)};
}

// A block whose members all differ from their defaults and from each other.
cEdMove Sample() {
  cEdMove m;
  m.m_nPosMode = 5, m.m_nDir = 12, m.m_sAngle = -270, m.m_sAngleStep = 15, m.m_bAngleMirror = 0;
  m.m_bAxisX = 0, m.m_bAxisY = 2, m.m_sTargetX = -16383, m.m_sTargetY = 300, m.m_sTargetDotX = -640;
  m.m_sTargetDotY = 17, m.m_nCoordMode = 3, m.m_nUnit = 1, m.m_nRefPoint = 2, m.m_bEndAtTarget = 0;
  m.m_bLockX = 1, m.m_bLockY = 3, m.m_bMirrorX = 0, m.m_bMirrorY = 1, m.m_bFollowFacing = 0, m.m_bSnap = 4;
  m.m_bKeepFacing = 1, m.m_nSpeedMode = 2, m.m_sMoveSpeed = 250, m.m_sMoveSpeedStep = -7, m.m_sDist = 64;
  m.m_sDistStep = -40, m.m_nDistUnit = 1, m.m_sHomingLag = 10, m.m_sHomingLagStep = 6, m.m_bAccel = 1;
  m.m_sMaxSpeed = 1234, m.m_dTurnFactor = -2.5, m.m_nAnimMode = 2, m.m_nTargetSlot = 3;
  return m;
}

// A movement block as a file of `version` stores it.
std::vector<uint8_t> MoveBody(uint32_t version, const cEdMove& m) {
  ByteWriter w;
  uint32_t n = 28 + (version >= 158) + (version >= 159) + (version >= 162 ? 2 : 0) + (version >= 767) +
               (version >= 891) + (version >= 892);
  w.U32(n).I8(m.m_nPosMode).I8(m.m_nDir).I16(m.m_sAngle).I16(m.m_sAngleStep);
  if (version >= 158) w.I8(m.m_bAngleMirror);
  w.I8(m.m_bAxisX).I8(m.m_bAxisY).I16(m.m_sTargetX).I16(m.m_sTargetY).I16(m.m_sTargetDotX).I16(m.m_sTargetDotY);
  w.I8(m.m_nCoordMode);
  if (version >= 891) w.I8(m.m_nUnit);
  if (version >= 892) w.I8(m.m_nRefPoint);
  w.I8(m.m_bEndAtTarget).I8(m.m_bLockX).I8(m.m_bLockY).I8(m.m_bMirrorX).I8(m.m_bMirrorY).I8(m.m_bFollowFacing);
  w.I8(m.m_bSnap);
  if (version >= 162) w.I8(m.m_bKeepFacing);
  w.I8(m.m_nSpeedMode).I16(m.m_sMoveSpeed).I16(m.m_sMoveSpeedStep).I16(m.m_sDist).I16(m.m_sDistStep);
  if (version >= 159) w.I8(m.m_nDistUnit);
  w.I16(m.m_sHomingLag).I16(m.m_sHomingLagStep).I8(m.m_bAccel).I16(m.m_sMaxSpeed).F64(m.m_dTurnFactor);
  if (version >= 162) w.I8(m.m_nAnimMode);
  if (version >= 767) w.I8(m.m_nTargetSlot);
  return w.U32(0).bytes;
}

using EdMoveRecord = TempDirTest;

TEST_F(EdMoveRecord, NewBlockDefaults) {
  cEdMove m;
  std::vector<double> expected(35, 0.0);
  for (int i : {4, 5, 6, 14, 17, 19}) expected[i] = 1;  // mirror angle, both axes, end at target, mirror X, follow
  expected[23] = 10;                                    // speed
  expected[32] = 1.0;                                   // turn factor
  EXPECT_EQ(Fields(m), expected);

  cEdMove changed = Sample();
  changed.SetDefaults();
  EXPECT_EQ(Fields(changed), expected);

  cEdMoveHolder h;
  CreateEdMove(h);
  ASSERT_TRUE(h);
  EXPECT_EQ(Fields(*h), expected);
}

TEST_F(EdMoveRecord, CurrentLayoutRoundTrips) {
  cEdMove m = Sample();
  std::vector<uint8_t> body = WrittenBody(m);
  EXPECT_EQ(body.size(), 4u + 55u + 4u);
  EXPECT_EQ(body, MoveBody(914, Sample()));

  cEdMove back;
  cBodyRead r = ReadBody(back, 914, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Fields(back), Fields(Sample()));
}

TEST_F(EdMoveRecord, UpgradesOlderVersions) {
  // The stored block sets every optional member; the target starts with 9 in them, so a member the
  // file lacks shows 9 unless an upgrade resets it.
  const struct {
    uint32_t version;
    int storedAnim;
    // expected: angle mirror, distance unit, keep facing, animation, target slot, unit, reference point
    int mirror, distUnit, keepFacing, anim, slot, unit, ref;
  } cases[] = {
      {157, 1, 0, 0, 0, 0, 9, 9, 9}, {158, 1, 1, 0, 0, 0, 9, 9, 9}, {159, 1, 1, 1, 0, 0, 9, 9, 9},
      {161, 1, 1, 1, 0, 0, 9, 9, 9}, {162, 1, 1, 1, 1, 2, 9, 9, 9}, {766, 0, 1, 1, 1, 0, 9, 9, 9},
      {829, 1, 1, 1, 1, 2, 3, 9, 9}, {829, 2, 1, 1, 1, 2, 3, 9, 9}, {830, 1, 1, 1, 1, 1, 3, 9, 9},
      {891, 1, 1, 1, 1, 1, 3, 1, 9}, {892, 1, 1, 1, 1, 1, 3, 1, 2}, {914, 1, 1, 1, 1, 1, 3, 1, 2},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "version " << tc.version << " animation " << tc.storedAnim);
    cEdMove stored = Sample();
    stored.m_bAngleMirror = 1, stored.m_nDistUnit = 1, stored.m_bKeepFacing = 1, stored.m_nAnimMode = tc.storedAnim;
    stored.m_nTargetSlot = 3, stored.m_nUnit = 1, stored.m_nRefPoint = 2;

    cEdMove m;
    m.m_bAngleMirror = m.m_nDistUnit = m.m_bKeepFacing = m.m_nAnimMode = 9;
    m.m_nTargetSlot = m.m_nUnit = m.m_nRefPoint = 9;
    cBodyRead r = ReadBody(m, tc.version, MoveBody(tc.version, stored));
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);

    cEdMove expected = stored;
    expected.m_bAngleMirror = tc.mirror, expected.m_nDistUnit = tc.distUnit, expected.m_bKeepFacing = tc.keepFacing;
    expected.m_nAnimMode = tc.anim, expected.m_nTargetSlot = tc.slot, expected.m_nUnit = tc.unit;
    expected.m_nRefPoint = tc.ref;
    EXPECT_EQ(Fields(m), Fields(expected));
  }
}

TEST_F(EdMoveRecord, DamagedBodiesFail) {
  std::vector<uint8_t> good = MoveBody(914, Sample());
  std::vector<uint8_t> more = good;
  more[0] = 36;
  ExpectReadsFail<cEdMove>({
      {"cut in the double", 914, std::vector<uint8_t>(good.begin(), good.begin() + 50)},
      {"more raw members than stored", 914, more},
      {"a v157 file with the current count", 157, good},
      {"string count missing", 914, std::vector<uint8_t>(good.begin(), good.end() - 4)},
  });
}

TEST_F(EdMoveRecord, HolderAssignmentCopiesEveryMember) {
  cEdMoveHolder src = std::make_shared<cEdMove>(Sample());
  cEdMoveHolder dst;
  AssignEdMoveHolder(dst, src);
  ASSERT_TRUE(dst);
  EXPECT_NE(dst.get(), src.get());
  src.reset();  // the copy must not lean on the source's registration
  EXPECT_EQ(Fields(*dst), Fields(Sample()));
  EXPECT_EQ(WrittenBody(*dst), MoveBody(914, Sample()));

  AssignEdMoveHolder(dst, src);
  EXPECT_FALSE(dst);
}

}  // namespace
