#include <gtest/gtest.h>

#include <climits>
#include <deque>

#include "objects/objects_fixture.h"

namespace {

// Characters whose picture centres on screen lie at (cx, cy).
class SearchTest : public ObjectsTest {
 protected:
  cCharaBase* Add(int objNo, int cx, int cy, int active = 1, int onScreen = 1) {
    cCharaBase& c = store_.emplace_back();
    c.m_nObjNo = objNo;
    c.m_PicRect.m_nW = c.m_PicRect.m_nH = 32;
    c.m_PicRect.m_nLeft = cx - 16;
    c.m_PicRect.m_nTop = cy - 16;
    c.m_bActive = active;
    c.m_bOnScreen = onScreen;
    c.m_vCharaVar.assign(kCharaVarCount, 0);
    list_.push_back(&c);
    return &c;
  }
  std::deque<cCharaBase> store_;
  cCharaPtrList list_;
};

TEST_F(SearchTest, NearestPrefersOnScreenCharactersInModeZero) {
  cCharaBase* offNear = Add(1, 110, 100, 1, 0);
  cCharaBase* onFar = Add(2, 400, 300);
  Add(3, 100, 100, 0, 1);  // inactive, though nearest
  const cCharaFilter none;
  EXPECT_EQ(FindNearestChara(100, 100, list_, 0, none), onFar);
  EXPECT_EQ(FindNearestChara(100, 100, list_, 1, none), offNear);
  EXPECT_EQ(FindNearestChara(100, 100, list_, 2, none), onFar);
  onFar->m_bDead = 1;
  EXPECT_EQ(FindNearestChara(100, 100, list_, 0, none), offNear);  // no on-screen one passes
  EXPECT_EQ(FindNearestChara(100, 100, list_, 2, none), nullptr);
}

TEST_F(SearchTest, NearestBySumOfDifferencesAndTheEarlierWinsATie) {
  Add(1, 100, 165);                   // 0 + 65
  cCharaBase* first = Add(2, 130, 130);  // 30 + 30
  Add(3, 70, 70);                     // 30 + 30
  Add(4, 170, 100);                   // 70 + 0
  EXPECT_EQ(FindNearestChara(100, 100, list_, 0, cCharaFilter{}), first);
  // The stage option chooses on-screen characters only.
  cCharaBase* offScreen = Add(5, 100, 101, 1, 0);
  g_StageData.m_bNearestOnScreen = 1;
  EXPECT_EQ(FindNearestCharaToPoint(100, 100, list_), first);
  g_StageData.m_bNearestOnScreen = 0;
  EXPECT_EQ(FindNearestCharaToPoint(100, 100, list_), first);
  offScreen->m_bOnScreen = 1;
  EXPECT_EQ(FindNearestCharaToPoint(100, 100, list_), offScreen);
  cGameObj self;
  self.m_PicRect.m_nLeft = 60;
  self.m_PicRect.m_nTop = 60;
  self.m_PicRect.m_nW = self.m_PicRect.m_nH = 20;
  EXPECT_EQ(FindNearestCharaToCentre(self, list_)->m_nObjNo, 3);
}

struct FilterCase {
  const char* name;
  cCharaFilter filter;
  int expectedObjNo;  // 0: none
};

TEST_F(SearchTest, FiltersEachSkipTheirCharacters) {
  cCharaBase* a = Add(1, 0, 0);
  a->m_bDead = 1;
  a->m_Chara.m_cCharaId = 5;
  cCharaBase* b = Add(2, 0, 0);
  b->m_Chara.m_cCharaId = 5;
  b->m_Chara.m_cInvincible = 1;
  cCharaBase* c = Add(3, 0, 0);
  c->m_Chara.m_cCharaId = 5;
  c->m_Chara.m_cInvincible = 2;
  c->m_vCharaVar[4] = -12;
  cCharaBase* d = Add(4, 0, 0);
  d->m_Chara.m_bHiddenStatus = 1;
  d->m_vCharaVar[4] = 7;
  Add(5, 0, 0, 0, 0);  // inactive: the condition search does not look at activity
  const FilterCase cases[] = {
      {"dead skipped", {}, 2},
      {"group", {.m_bGroupOn = 1, .m_nGroup = 0}, 4},
      {"excluded number", {.m_bExcludeObjNoOn = 1, .m_nObjNo = 2}, 3},
      {"invincible 1", {.m_bExcludeInvincible1 = 1}, 3},
      {"invincible 1 and 2", {.m_bExcludeInvincible1 = 1, .m_bExcludeInvincible2 = 1}, 4},
      {"no-hit", {.m_bGroupOn = 1, .m_nGroup = 0, .m_bExcludeUntouchable = 1}, 5},
      {"variable not divisible", {.m_bVarOn = 1, .m_nVarIndex = 4, .m_nValue = 5, .m_nCompareOp = 7}, 3},
      {"variable above", {.m_bVarOn = 1, .m_nVarIndex = 4, .m_nValue = 0, .m_nCompareOp = 4}, 4},
      {"bad operator", {.m_bVarOn = 1, .m_nVarIndex = 4, .m_nCompareOp = 8}, 0},
  };
  for (const FilterCase& fc : cases) {
    cCharaBase* found = FindCharaByCondition(list_, fc.filter);
    EXPECT_EQ(found ? found->m_nObjNo : 0, fc.expectedObjNo) << fc.name;
  }
}

TEST_F(SearchTest, VariableCompareOperators) {
  const struct {
    int32_t var, value;
    int op;
    bool holds;
  } rows[] = {
      {3, 3, 0, true},       {3, 4, 1, true},        {4, 4, 2, true},        {4, 4, 3, true},
      {5, 4, 4, true},       {4, 4, 4, false},       {3, 4, 5, true},        {-9, 3, 6, true},
      {-9, 3, 7, false},     {5, 0, 6, true},        {5, 0, 7, false},       {INT_MIN, -1, 6, true},
      {INT_MIN, 3, 7, true}, {INT_MIN, INT_MIN, 6, true}, {1, 1, -1, false}, {1, 1, 8, false},
  };
  for (const auto& r : rows)
    EXPECT_EQ(CompareCharaVar(r.var, r.value, r.op), r.holds) << r.var << " op " << r.op << " " << r.value;
}

TEST_F(SearchTest, LinkedSearchWalksTheNewestPairFirstBySlotAndSide) {
  cCharaBase* old = Add(1, 0, 0);
  cCharaBase* other = Add(2, 0, 0);
  cCharaBase* newest = Add(3, 0, 0);
  old->m_nSide = other->m_nSide = 2;
  newest->m_nSide = 3;
  cCheckedVector<cObjLink> links = {{old, 4}, {other, 1}, {newest, 4}};
  const cCharaFilter none;
  EXPECT_EQ(FindLinkedChara(links, 4, 2, 0, none), old);
  EXPECT_EQ(FindLinkedChara(links, 4, 2, 1, none), newest);
  EXPECT_EQ(FindLinkedChara(links, 1, 3, 0, none), nullptr);
  newest->m_bDead = 1;
  EXPECT_EQ(FindLinkedChara(links, 4, 2, 1, none), old);
}

}  // namespace
