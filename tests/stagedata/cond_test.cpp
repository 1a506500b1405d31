#include "stagedata/cond.h"

#include <gtest/gtest.h>

#include <ostream>

#include "stagedata/cmdparts_io.h"
#include "support/tempdir.h"

namespace {

// Every stored member of a condition, for building file images and comparing results.
struct CondVals {
  int kind = 0, value = 0, randMin = 0, randMax = 0, owner = 0, item = 0, leftSource = 0, leftScope = 0;
  int index = 0, rightSource = 0, rightOwner = 0, rightItem = 0, rightScope = 0, rightIndex = 0, op = 0;
  int percent = 0, leftCoord = 0, rightCoord = 0, leftRef = 0, rightRef = 0, area = 0;
  bool operator==(const CondVals&) const = default;
};

void PrintTo(const CondVals& v, std::ostream* os) {
  *os << "{kind " << v.kind << " value " << v.value << " rand " << v.randMin << ".." << v.randMax << " owner "
      << v.owner << " item " << v.item << " left " << v.leftSource << "/" << v.leftScope << " index " << v.index
      << " right " << v.rightSource << "/" << v.rightOwner << "/" << v.rightItem << "/" << v.rightScope << " rindex "
      << v.rightIndex << " op " << v.op << " pct " << v.percent << " coord " << v.leftCoord << "/" << v.rightCoord
      << " ref " << v.leftRef << "/" << v.rightRef << " area " << v.area << "}";
}

CondVals Extract(const cCond& c) {
  return {c.m_nKind,         c.m_nValue,         c.m_nRandMin, c.m_nRandMax,     c.m_nOwner,      c.m_nItem,
          c.m_nLeftSource,   c.m_nLeftScope,     c.m_sIndex,   c.m_nRightSource, c.m_nRightOwner, c.m_nRightItem,
          c.m_nRightScope,   c.m_sRightIndex,    c.m_nOp,      c.m_bPercent,     c.m_nLeftCoord,  c.m_nRightCoord,
          c.m_nLeftRefPoint, c.m_nRightRefPoint, c.m_nArea};
}

// A condition body as a file of `version` stores it.
ByteWriter& AppendCond(ByteWriter& w, uint32_t version, const CondVals& v) {
  uint32_t n = 4 + (version >= 110 ? 12 : 2) + (version >= 43) + (version >= 883 ? 2 : 0) + (version >= 893 ? 2 : 0);
  w.U32(n).I8(v.kind).I32(v.value);
  if (version >= 110) {
    w.I32(v.randMin).I32(v.randMax).I8(v.owner).I8(v.item).I8(v.leftSource).I8(v.leftScope).I16(v.index);
    w.I8(v.rightSource).I8(v.rightOwner).I8(v.rightItem).I8(v.rightScope).I16(v.rightIndex);
  } else {
    w.I16(0x1111).I16(0x2222);
  }
  w.I8(v.op);
  if (version >= 43) w.I8(v.percent);
  if (version >= 883) w.I8(v.leftCoord).I8(v.rightCoord);
  if (version >= 893) w.I8(v.leftRef).I8(v.rightRef);
  w.I8(v.area);
  return w.U32(0);
}

std::vector<uint8_t> CondBody(uint32_t version, const CondVals& v) {
  ByteWriter w;
  return AppendCond(w, version, v).bytes;
}

using CondRecord = TempDirTest;

TEST_F(CondRecord, CurrentLayoutRoundTrips) {
  cCond c;
  EXPECT_EQ(Extract(c), CondVals{});
  FillDistinct(c, 0);
  const CondVals stored = Extract(c);

  std::vector<uint8_t> body = WrittenBody(c);
  EXPECT_EQ(body, CondBody(914, stored));
  EXPECT_EQ(body.size(), 4u + 32u + 4u);

  cCond back;
  cBodyRead r = ReadBody(back, 914, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Extract(back), stored);
}

TEST_F(CondRecord, OldLayoutsConsumeTheirFieldsOnly) {
  // Below 110 two discarded 16-bit values stand where members 3-14 are; below 43 there is no
  // percent flag. Members the file lacks keep what the record held.
  cCond c;
  c.m_nRandMax = 77;
  c.m_sIndex = 12;
  c.m_bPercent = 1;
  const CondVals in{.kind = 2, .value = 40, .op = 3, .percent = 0, .area = 1};
  std::vector<uint8_t> body = CondBody(100, in);
  EXPECT_EQ(body.size(), 4u + 1 + 4 + 2 + 2 + 1 + 1 + 1 + 4);
  cBodyRead r = ReadBody(c, 100, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Extract(c), (CondVals{.kind = 2, .value = 40, .randMax = 77, .index = 12, .op = 3, .area = 1}));

  cCond d;
  r = ReadBody(d, 42, CondBody(42, {.kind = 1, .value = -5, .op = 2, .area = 3}));
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(Extract(d), (CondVals{.kind = 1, .value = -5, .op = 2, .area = 3}));
}

struct CondUpgradeCase {
  const char* what;
  uint32_t version;
  CondVals in;
  CondVals out;
};

TEST_F(CondRecord, UpgradesOlderVersions) {
  const CondUpgradeCase cases[] = {
      {"v159 kind 5 becomes the range condition, owner and sides reset",
       159,
       {.kind = 5, .owner = 3, .leftSource = 1, .rightSource = 0, .rightOwner = 4},
       {.kind = 7, .owner = 0, .leftSource = 0, .rightSource = 1, .rightOwner = 1}},
      {"v159 kind 6 moves to 8", 159, {.kind = 6, .item = 2, .op = 2}, {.kind = 8, .item = 2, .op = 2}},
      {"v100 kind 5 through the whole chain",
       100,
       {.kind = 5, .value = 9, .op = 1, .percent = 1, .area = 2},
       {.kind = 7, .value = 9, .rightSource = 1, .rightOwner = 1, .op = 1, .percent = 1, .area = 2}},
      {"v159 negative kind stays", 159, {.kind = -1, .item = -3}, {.kind = -1, .item = -3}},
      {"v160 state 2 operator flips", 160, {.kind = 6, .item = 2, .op = 2}, {.kind = 6, .item = 2, .op = 3}},
      {"v160 state 2 operator flips back", 160, {.kind = 6, .item = 2, .op = 7}, {.kind = 6, .item = 2, .op = 6}},
      {"v160 other state keeps operator", 160, {.kind = 6, .item = 1, .op = 2}, {.kind = 6, .item = 1, .op = 2}},
      {"v161 keeps operator", 161, {.kind = 6, .item = 2, .op = 2}, {.kind = 6, .item = 2, .op = 2}},
      {"v167 status items: +1, +1, owner 2 exempt until 767, +2",
       167,
       {.kind = 4, .owner = 1, .item = 10, .leftSource = 0, .rightSource = 2, .rightOwner = 2, .rightItem = 10},
       {.kind = 4, .owner = 1, .item = 14, .leftSource = 0, .rightSource = 2, .rightOwner = 5, .rightItem = 10}},
      {"v167 variable sides are not items",
       167,
       {.kind = 4, .owner = 1, .item = 12, .leftSource = 1, .rightSource = 3, .rightOwner = 1, .rightItem = 12},
       {.kind = 4, .owner = 1, .item = 12, .leftSource = 1, .rightSource = 3, .rightOwner = 1, .rightItem = 12}},
      {"v202 item 5 from the 203 rule on",
       202,
       {.kind = 4, .item = 5, .rightSource = 2, .rightItem = 4},
       {.kind = 4, .item = 8, .rightSource = 2, .rightItem = 4}},
      {"v209 status flag 6 moves up", 209, {.kind = 5, .owner = 1, .item = 6}, {.kind = 5, .owner = 1, .item = 7}},
      {"v209 owner 2 keeps flag, owner moves",
       209,
       {.kind = 5, .owner = 2, .item = 6},
       {.kind = 5, .owner = 5, .item = 6}},
      {"v656 range owner reset",
       656,
       {.kind = 7, .owner = 3, .leftSource = 1},
       {.kind = 7, .owner = 0, .leftSource = 0, .rightSource = 1, .rightOwner = 1}},
      {"v745 range keeps owner and left side",
       745,
       {.kind = 7, .owner = 3, .leftSource = 1, .rightOwner = 4},
       {.kind = 7, .owner = 3, .leftSource = 1, .rightSource = 1, .rightOwner = 1}},
      {"v766 system owner", 766, {.kind = 4, .owner = 2, .item = 1}, {.kind = 4, .owner = 5, .item = 1}},
      {"v766 owner 1 stays", 766, {.kind = 4, .owner = 1, .item = 1}, {.kind = 4, .owner = 1, .item = 1}},
      {"v766 status 2 owners", 766, {.kind = 5, .owner = 4, .rightOwner = 2}, {.kind = 5, .owner = 7, .rightOwner = 5}},
      {"v766 range owner untouched",
       766,
       {.kind = 7, .owner = 2, .rightOwner = 3},
       {.kind = 7, .owner = 2, .rightOwner = 3}},
      {"v882 items from 6, system owner exempt",
       882,
       {.kind = 4, .owner = 1, .item = 6, .rightSource = 2, .rightOwner = 5, .rightItem = 6},
       {.kind = 4, .owner = 1, .item = 8, .rightSource = 2, .rightOwner = 5, .rightItem = 6}},
      {"v882 item 5 stays", 882, {.kind = 4, .owner = 0, .item = 5}, {.kind = 4, .owner = 0, .item = 5}},
      {"v913 unchanged",
       913,
       {.kind = 4, .owner = 2, .item = 6, .leftCoord = 1, .leftRef = 2},
       {.kind = 4, .owner = 2, .item = 6, .leftCoord = 1, .leftRef = 2}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    cCond c;
    cBodyRead r = ReadBody(c, tc.version, CondBody(tc.version, tc.in));
    EXPECT_EQ(r.m_nResult, 1);
    EXPECT_EQ(r.m_nLeft, 0u);
    EXPECT_EQ(Extract(c), tc.out);
  }
}

TEST_F(CondRecord, CoordinateAndReferenceModesResetForOlderStatusConditions) {
  // Files before 883 and 893 lack these members; the status condition must not keep leftovers.
  for (uint32_t version : {882u, 891u}) {
    SCOPED_TRACE(version);
    cCond c;
    c.m_nLeftCoord = c.m_nRightCoord = c.m_nLeftRefPoint = c.m_nRightRefPoint = 2;
    ASSERT_EQ(ReadBody(c, version, CondBody(version, {.kind = 4, .owner = 5, .leftCoord = 1})).m_nResult, 1);
    EXPECT_EQ(c.m_nLeftCoord, version < 883 ? 0 : 1);
    EXPECT_EQ(c.m_nRightCoord, 0);
    EXPECT_EQ(c.m_nLeftRefPoint, 0);
    EXPECT_EQ(c.m_nRightRefPoint, 0);
  }
}

TEST_F(CondRecord, DamagedBodiesFail) {
  std::vector<uint8_t> good = CondBody(914, {.kind = 1, .value = 3});
  ExpectReadsFail<cCond>({
      {"cut inside the raw members", 914, std::vector<uint8_t>(good.begin(), good.begin() + 20)},
      {"string count missing", 914, std::vector<uint8_t>(good.begin(), good.end() - 4)},
      {"more raw members than the version stores", 914,
       ByteWriter().U32(22).Raw(good.data() + 4, 32).I8(0).U32(0).bytes},
      {"a v100 body claiming the current layout", 100, good},
      {"a string where none is stored", 914,
       [&] {
         std::vector<uint8_t> b(good.begin(), good.end() - 4);
         ByteWriter w;
         w.Raw(b.data(), b.size()).U32(1).Str("x");
         return w.bytes;
       }()},
      {"empty", 914, {}},
  });
}

// ---- condition lists

std::vector<uint8_t> ListBody(uint32_t version, int enabled, int logic, const std::vector<CondVals>& conds) {
  ByteWriter w;
  w.U32(2).I8(enabled).I8(logic).U32(0);
  if (version >= 766) {
    w.U32(static_cast<uint32_t>(conds.size()));
    for (const auto& c : conds) AppendCond(w, version, c);
  }
  return w.bytes;
}

using CondListRecord = TempDirTest;

TEST_F(CondListRecord, NewListAndCurrentLayout) {
  cCondListHolder h;
  CreateCondList(h);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->m_bEnabled, 0);
  EXPECT_EQ(h->m_nLogic, 0);
  EXPECT_TRUE(h->m_vCond.empty());
  EXPECT_EQ(WrittenBody(*h), ListBody(914, 0, 0, {}));
  EXPECT_EQ(WrittenBody(*h).size(), 14u);

  const CondVals a{.kind = 1, .value = 5, .index = 3, .op = 2};
  const CondVals b{.kind = 7, .value = 4, .owner = 2, .rightIndex = 8, .area = 6};
  h->m_bEnabled = 1;
  h->m_nLogic = 1;
  h->m_vCond.resize(2);
  h->m_vCond[0].m_nKind = 1, h->m_vCond[0].m_nValue = 5, h->m_vCond[0].m_sIndex = 3, h->m_vCond[0].m_nOp = 2;
  h->m_vCond[1].m_nKind = 7, h->m_vCond[1].m_nValue = 4, h->m_vCond[1].m_nOwner = 2;
  h->m_vCond[1].m_sRightIndex = 8, h->m_vCond[1].m_nArea = 6;
  std::vector<uint8_t> body = WrittenBody(*h);
  EXPECT_EQ(body, ListBody(914, 1, 1, {a, b}));

  cCondList back;
  back.m_vCond.resize(5);
  cBodyRead r = ReadBody(back, 914, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  EXPECT_EQ(back.m_bEnabled, 1);
  EXPECT_EQ(back.m_nLogic, 1);
  ASSERT_EQ(back.m_vCond.size(), 2u);
  EXPECT_EQ(Extract(back.m_vCond[0]), a);
  EXPECT_EQ(Extract(back.m_vCond[1]), b);
}

TEST_F(CondListRecord, OlderVersions) {
  // 764 and 765 store the two bytes alone: what follows belongs to the next record.
  cCondList c;
  std::vector<uint8_t> body = ListBody(765, 1, 1, {});
  ByteWriter next;
  next.U32(1);
  body.insert(body.end(), next.bytes.begin(), next.bytes.end());
  cBodyRead r = ReadBody(c, 765, body);
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 4u);
  EXPECT_EQ(c.m_bEnabled, 1);
  EXPECT_TRUE(c.m_vCond.empty());

  // From 766 the conditions follow, each upgraded by the file's version.
  cCondList d;
  r = ReadBody(d, 766, ListBody(766, 1, 0, {{.kind = 4, .owner = 2}, {.kind = 5, .owner = 1}}));
  EXPECT_EQ(r.m_nResult, 1);
  EXPECT_EQ(r.m_nLeft, 0u);
  ASSERT_EQ(d.m_vCond.size(), 2u);
  EXPECT_EQ(d.m_vCond[0].m_nOwner, 5);
  EXPECT_EQ(d.m_vCond[1].m_nOwner, 1);
}

TEST_F(CondListRecord, DamagedBodiesFail) {
  std::vector<uint8_t> one = ListBody(914, 1, 0, {{.kind = 1}});
  ExpectReadsFail<cCondList>({
      {"huge count", 914, ByteWriter().U32(2).I8(1).I8(0).U32(0).U32(0xFFFFFFF0u).bytes},
      {"negative count", 914, ByteWriter().U32(2).I8(1).I8(0).U32(0).I32(-1).bytes},
      {"count above the bodies present", 914,
       ByteWriter().U32(2).I8(1).I8(0).U32(0).U32(3).Raw(one.data() + 14, one.size() - 14).bytes},
      {"cut inside a condition", 914, std::vector<uint8_t>(one.begin(), one.end() - 6)},
      {"three raw members", 914, ByteWriter().U32(3).I8(1).I8(0).I8(0).U32(0).U32(0).bytes},
      {"count missing", 914, ByteWriter().U32(2).I8(1).I8(0).U32(0).bytes},
  });
}

TEST(CondListHolder, AssignCopiesIntoAFreshList) {
  cCondListHolder src;
  CreateCondList(src);
  src->m_bEnabled = 1;
  src->m_nLogic = 1;
  src->m_vCond.resize(1);
  src->m_vCond[0].m_nKind = 3;
  src->m_vCond[0].m_sIndex = 9;

  cCondListHolder dst;
  CreateCondList(dst);
  cCondListHolder shared = dst;  // another command's view of the old list
  AssignCondListHolder(dst, src);
  ASSERT_TRUE(dst);
  EXPECT_NE(dst.get(), src.get());
  EXPECT_NE(dst.get(), shared.get());
  EXPECT_EQ(shared->m_bEnabled, 0);
  EXPECT_EQ(dst->m_bEnabled, 1);
  EXPECT_EQ(dst->m_nLogic, 1);
  ASSERT_EQ(dst->m_vCond.size(), 1u);
  src->m_vCond[0].m_sIndex = 10;
  src->m_vCond.clear();
  EXPECT_EQ(dst->m_vCond[0].m_sIndex, 9);

  AssignCondListHolder(dst, dst);
  ASSERT_TRUE(dst);
  EXPECT_EQ(dst->m_vCond.size(), 1u);

  AssignCondListHolder(dst, cCondListHolder());
  EXPECT_FALSE(dst);
}

}  // namespace
