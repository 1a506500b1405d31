#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "support/test_records.h"

namespace {

class cThreeShorts : public cDataRecord {
 public:
  int32_t m_nBefore = 7;
  int16_t m_sArr[3] = {1, 2, 3};
  int32_t m_nAfter = 9;  // not registered
  cThreeShorts() { RegisterFields(g_nDataVersion); }
  void RegisterFields(int) override {
    ClearFields();
    AddField16(m_sArr, 3);
  }
};

TEST(Record, ClearZeroesExactlyTheRegisteredBytes) {
  cThreeShorts r;
  r.Clear();
  EXPECT_EQ(r.m_sArr[0], 0);
  EXPECT_EQ(r.m_sArr[2], 0);
  EXPECT_EQ(r.m_nBefore, 7);
  EXPECT_EQ(r.m_nAfter, 9);
}

TEST(Record, CopyFieldsCopiesRegisteredMembersOnly) {
  cHolderRec a, b;
  b.m_nCount = 5;
  b.m_strTitle = "t";
  b.m_vLeaf.resize(3);
  a.m_vLeaf.resize(1);
  a.CopyFields(b);
  EXPECT_EQ(a.m_nCount, 5);
  EXPECT_EQ(a.m_strTitle, "t");
  EXPECT_EQ(a.m_vLeaf.size(), 1u);  // sub-record vectors keep their values
}

TEST(Record, AssignmentLeavesTablesInTheDestination) {
  cGoldenRec a(true);
  auto b = std::make_unique<cGoldenRec>(true);
  b->m_nA = 11;
  b->m_strX = "bee";
  b->m_dD = 2.5;
  a = *b;
  EXPECT_EQ(a.m_nA, 11);
  EXPECT_EQ(a.m_strX, "bee");
  // The tables describe a's own members.
  for (int i = 0; i < a.RegisteredFieldCount(); ++i) {
    const char* p = static_cast<const char*>(a.RegisteredField(i).m_pData);
    EXPECT_TRUE(p >= reinterpret_cast<const char*>(&a) && p < reinterpret_cast<const char*>(&a) + sizeof(a));
  }
  b->m_nA = 12;
  EXPECT_EQ(a.m_nA, 11);
  b.reset();
  a.Clear();  // walks a's tables after b is gone
  EXPECT_EQ(a.m_nA, 0);
  EXPECT_EQ(a.m_strX, "");
}

TEST(Record, CopyConstructedRecordWalksItsOwnMembers) {
  auto src = std::make_unique<cGoldenRec>();
  src->m_nA = 3;
  cGoldenRec copy(*src);
  src.reset();
  copy.Clear();  // re-registers before touching anything
  EXPECT_EQ(copy.m_nA, 0);
}

TEST(Record, MovedRecordWalksItsOwnMembers) {
  auto src = std::make_unique<cGoldenRec>(true);
  src->m_nA = 4;
  src->m_strX = "moved";
  cGoldenRec moved(std::move(*src));
  src.reset();
  EXPECT_EQ(moved.m_nA, 4);
  EXPECT_EQ(moved.m_strX, "moved");
  for (int i = 0; i < moved.RegisteredFieldCount(); ++i) {
    const char* p = static_cast<const char*>(moved.RegisteredField(i).m_pData);
    if (p == reinterpret_cast<const char*>(&g_nDiscardField)) continue;
    EXPECT_TRUE(p >= reinterpret_cast<const char*>(&moved) && p < reinterpret_cast<const char*>(&moved) + sizeof(moved));
  }
  moved.Clear();
  EXPECT_EQ(moved.m_nA, 0);
  EXPECT_EQ(moved.m_strX, "");
}

TEST(Record, RecordsOfOneKindShareTheRegistrationOfEachLayout) {
  // Records of one kind describe their members alike; a layout chosen per record is a kind of its own.
  cGoldenRec plainA, plainB, extended(true);
  EXPECT_EQ(plainA.RegisteredFieldCount(), 3);
  EXPECT_EQ(extended.RegisteredFieldCount(), 6);
  plainB.m_nA = 5;
  plainA.CopyFields(plainB);
  EXPECT_EQ(plainA.m_nA, 5);
  EXPECT_EQ(extended.RegisteredField(3).m_pData, &extended.m_dD);
  EXPECT_EQ(plainB.RegisteredField(0).m_pData, &plainB.m_nA);
}

TEST(Record, RegistrationFollowsTheVersion) {
  cGoldenRec r(true);
  int current = r.RegisteredFieldCount();
  r.RegisterFields(899);
  EXPECT_EQ(r.RegisteredFieldCount(), current);  // the discard location stands in for the new member
  EXPECT_EQ(r.RegisteredField(4).m_pData, &g_nDiscardField);
  r.RegisterFields(g_nDataVersion);
  EXPECT_EQ(r.RegisteredField(4).m_pData, &r.m_sNew);
}

}  // namespace
