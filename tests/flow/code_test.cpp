#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "flow/code.h"
#include "flow/executors.h"
#include "gamedata/savedata.h"
#include "support/status_fixture.h"

namespace {

class CodeTest : public StatusTest {
 protected:
  void SetUp() override {
    StatusTest::SetUp();
    me_ = &Body(1, 400, 400, 95, 100);
    tg_ = &Body(2, 500, 400, 30, 100);
  }
  // One line run on the subject against its result, a stored value and the box it shows.
  struct Case {
    const char* line;
    std::function<void()> setUp;
    int ran;
    std::function<int32_t()> read;
    int32_t want;
    std::string box;  // empty: no box
  };
  void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.line);
      Reset();
      if (c.setUp) c.setUp();
      EXPECT_EQ(RunCode(c.line, me_), c.ran);
      EXPECT_EQ(g_bCodeError, c.ran ? 0 : 1);
      if (c.read) {
        EXPECT_EQ(c.read(), c.want);
      }
      const std::vector<std::string> boxes = Boxes();
      if (c.box.empty()) {
        EXPECT_TRUE(boxes.empty()) << boxes.front();
      } else {
        EXPECT_EQ(boxes, std::vector<std::string>{c.box});
      }
    }
  }
  void Reset() {
    g_SaveData.m_vCommonVar.Fill(0);
    scene_.m_vStageVar.Fill(0);
    g_SystemData = cSystemData();
    for (cChara* c : {me_, tg_}) {
      c->m_Chara = cCharaData();
      c->m_Chara.m_nMaxHP = 100;
      c->m_vCharaVar.Fill(0);
      c->m_nInitCleared = 0;
      c->m_nSight = 0;
      c->m_nSP = 0;
      c->m_GaugeHP = cGaugeAnim();
      Place(*c, c == me_ ? 400 : 500, 400);
    }
    me_->m_nHP = 95;
    tg_->m_nHP = 30;
    me_->m_pTarget[0] = nullptr;
    scene_.m_bDeathPending = 0;
  }
  int32_t C(int i) const { return g_SaveData.m_vCommonVar[i]; }

  cChara* me_ = nullptr;
  cChara* tg_ = nullptr;
};

TEST_F(CodeTest, ArithmeticAndTheTextualGroups) {
  const auto c1 = [this] { return C(1); };
  RunCases({
      {"C1 = 7 / 2", nullptr, 1, c1, 3, ""},
      {"C1 = -7 / 2", nullptr, 1, c1, -3, ""},
      {"C1 = -7 % 2", nullptr, 1, c1, -1, ""},
      {"C1 = 2 + 3 * 4", nullptr, 1, c1, 14, ""},
      {"C1 = 10 - 3 - 2", nullptr, 1, c1, 5, ""},
      {"C1 = (2 + 3) * 4", nullptr, 1, c1, 20, ""},
      {"C1 = ((1 + 1) * (2 + 1)) * 2", nullptr, 1, c1, 12, ""},
      {"C1 = abc", [this] { g_SaveData.m_vCommonVar[1] = 9; }, 1, c1, 0, ""},
      {"C1 = 3+(1 + 1)", nullptr, 1, c1, 3, ""},       // the group becomes part of the token 3+2
      {"C1 = 2*rand(1, 6)", nullptr, 1, c1, 2, ""},   // not a call: "2*rand" is no function name
      {"C(my.v1 + 1) = 9", [this] { me_->m_vCharaVar[0] = 4; }, 1, [this] { return C(5); }, 9, ""},
      {"C1 = 1\t+ 2", nullptr, 1, c1, 1, ""},          // a tab belongs to its token: "1\t+" reads 1
      {"C1 = C1 + 1", [this] { g_SaveData.m_vCommonVar[1] = 41; }, 1, c1, 42, ""},
      {"S3 = 5 * 5", nullptr, 1, [this] { return scene_.m_vStageVar[3]; }, 25, ""},
      {"C1 = 2000000", nullptr, 1, c1, 999999, ""},   // variables keep -999999 .. 999999
      {"C1 = 99999999999", nullptr, 1, c1, 999999, ""},
      {"C1 = 5 / 0", [this] { g_SaveData.m_vCommonVar[1] = 8; }, 0, c1, 8, "0除算が行われました！(C1 = 5 / 0)"},
      {"C1 = 5 % 0", nullptr, 0, c1, 0, "0除算が行われました！(C1 = 5 % 0)"},
      {"C1 = 1.5", nullptr, 0, c1, 0, "オブジェクト \"1.\" が認識できません！"},
      {"C1 = foo.hp", nullptr, 0, c1, 0, "オブジェクト \"foo.\" が認識できません！"},
      {"C1 = rand(1)", nullptr, 0, c1, 0, "関数 rand の引数が不正です！"},
      {"C1 = rand(1, 2, 3)", nullptr, 0, c1, 0, "関数 rand の引数が不正です！"},
      {"C1 = (1 + 2", nullptr, 0, c1, 0, "\")\"が見つかりません！"},
      {"C1 = rand(1, 2", nullptr, 0, c1, 0, "関数 rand で\")\"が見つかりません！"},
      {"C1 = 3 = 4", nullptr, 0, c1, 3, "代入先が不正です！"},  // the first assignment stays
      {"5 = 4", nullptr, 0, nullptr, 0, "代入先が不正です！"},
  });
}

TEST_F(CodeTest, DamagedLinesFailWithoutClosing) {
  const auto c1 = [this] { return C(1); };
  const std::string deep65 = "C1 = " + std::string(65, '(') + "1" + std::string(65, ')');
  const std::string deep64 = "C1 = " + std::string(64, '(') + "1" + std::string(64, ')');
  std::string longLine = "C1 = 1";
  while (longLine.size() <= 5200) longLine += " + 1";
  RunCases({
      {"C1 =", nullptr, 0, c1, 0, "演算子のエラー（未定義？）(C1 =)"},
      {"= 5", nullptr, 0, c1, 0, "演算子のエラー（未定義？）(= 5)"},
      {"+", nullptr, 0, c1, 0, "演算子のエラー（未定義？）(+)"},
      {"C1 = - 5", nullptr, 0, c1, 0, "演算子のエラー（未定義？）(C1 = - 5)"},
      {"C1 = -5", nullptr, 1, c1, -5, ""},
      {"", nullptr, 0, nullptr, 0, "式がありません！()"},
      {"   ", nullptr, 0, nullptr, 0, "式がありません！(   )"},
      {"C1 = ()", nullptr, 0, c1, 0, "式がありません！()"},
      {"C1 = rand(1, )", nullptr, 0, c1, 0, "式がありません！( )"},
      {"C1 = rand()", nullptr, 0, c1, 0, "関数 rand の引数が不正です！"},
      {"C-1 = 1", nullptr, 0, nullptr, 0, "変数の識別エラー（未定義？）(C-1)"},
      {"C1001 = 1", nullptr, 0, nullptr, 0, "変数の識別エラー（未定義？）(C1001)"},
      {"C1000 = 1", nullptr, 1, [this] { return C(1000); }, 1, ""},
      {"S1000 = 1", nullptr, 0, nullptr, 0, "変数の識別エラー（未定義？）(S1000)"},
      {"C(0 - 1) = 1", nullptr, 0, nullptr, 0, "変数の識別エラー（未定義？）(C-1)"},
      {"sys.hp = 1", nullptr, 0, [this] { return me_->m_nHP; }, 95, "オブジェクト \"sys.\" が認識できません！"},
      {deep64.c_str(), nullptr, 1, c1, 1, ""},
      {deep65.c_str(), nullptr, 0, c1, 0, "括弧の入れ子が深すぎます！(1)"},
      {longLine.c_str(), nullptr, 0, c1, 0, "コードが長すぎます！(" + longLine.substr(0, 64) + "...)"},
      {"C1 = rand(-2147483648, 2147483647)", nullptr, 1, nullptr, 0, ""},
  });
  // Arithmetic wraps and saturates without undefined behaviour.
  EXPECT_EQ(ParseCode("-2147483648 / -1", me_), INT_MIN);
  EXPECT_EQ(ParseCode("-2147483648 % -1", me_), 0);
  EXPECT_EQ(ParseCode("2147483647 + 1", me_), INT_MIN);
  EXPECT_EQ(ParseCode("65536 * 65536", me_), 0);
  EXPECT_EQ(ParseCode("99999999999", me_), INT_MAX);
  EXPECT_EQ(ParseCode("-99999999999", me_), INT_MIN);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CodeTest, LegacyReduction) {
  // The older reduction keeps the right term: a chain comes to its last two terms, and an
  // assignment stores the value its chain came to.
  g_SystemData.m_bCompat752 = 1;
  EXPECT_EQ(EvalCode("1 + 2 + 3", me_), 5);
  EXPECT_EQ(EvalCode("1 + 2 + 3 + 4", me_), 7);
  g_SystemData.m_bCompat752 = 0;
  EXPECT_EQ(EvalCode("1 + 2 + 3", me_), 6);
  RunCases({
      {"C1 = 1 + 2 + 3", [] { g_SystemData.m_bCompat752 = 1; }, 1, [this] { return C(1); }, 5, ""},
      {"C1 = 4", [] { g_SystemData.m_bCompat752 = 1; }, 1, [this] { return C(1); }, 4, ""},
      {"C1 = 2 * 3", [] { g_SystemData.m_bCompat752 = 1; }, 1, [this] { return C(1); }, 6, ""},
      {"C1 = 1 + 2 + 3", nullptr, 1, [this] { return C(1); }, 6, ""},
  });
}

TEST_F(CodeTest, PropertiesAndSystemValues) {
  RunCases({
      {"my.hp = my.hp + 10", nullptr, 1, [this] { return me_->m_nHP; }, 100, ""},
      {"hp = -4", nullptr, 1, [this] { return me_->m_nHP; }, 0, ""},
      {"tg.hp = 0", nullptr, 0, [this] { return me_->m_nHP; }, 95, ""},  // empty slot: no box
      {"tg.hp = 0", [this] { me_->m_pTarget[0] = tg_; }, 1, [this] { return scene_.m_bDeathPending; }, 1, ""},
      {"tg1.hp = tg.hp - 1", [this] { me_->m_pTarget[0] = tg_; }, 1, [this] { return tg_->m_nHP; }, 29, ""},
      {"hp = 0", nullptr, 1, [this] { return scene_.m_bDeathPending; }, 0, ""},  // the subject itself
      {"mhp = 0", nullptr, 1, [this] { return me_->m_nHP * 1000 + me_->m_Chara.m_nMaxHP; }, 1001, ""},
      {"msp = 5", [this] { me_->m_Chara.m_nMaxSP = 20; me_->m_nSP = 9; }, 1, [this] { return me_->m_nSP; }, 5, ""},
      {"sp = 50", [this] { me_->m_Chara.m_nMaxSP = 20; }, 1, [this] { return me_->m_nSP; }, 20, ""},
      {"v8 = v1 + 3", [this] { me_->m_vCharaVar[0] = 4; }, 1, [this] { return me_->m_vCharaVar[7]; }, 7, ""},
      {"cid = 300", nullptr, 1, [this] { return int32_t{me_->m_Chara.m_cCharaId}; }, 99, ""},
      {"z = 9", nullptr, 1, [this] { return int32_t{me_->m_Chara.m_cLayer}; }, 7, ""},
      {"mark = -5", nullptr, 1, [this] { return int32_t{me_->m_Chara.m_sMark}; }, 0, ""},
      {"sight = 3", nullptr, 1, [this] { return me_->m_nSight; }, 48, ""},
      {"sight = 3", [this] { me_->m_nInitCleared = 1; }, 1, [this] { return me_->m_nSight; }, 0, ""},
      {"power = -2000000", nullptr, 1, [this] { return me_->m_Chara.m_nPower; }, -999999, ""},
      {"imp = -30", nullptr, 1, [this] { return int32_t{me_->m_Chara.m_cImpact}; }, -20, ""},
      {"def = -1", nullptr, 1, [this] { return me_->m_Chara.m_nDefence; }, 0, ""},
      {"impd = 21", nullptr, 1, [this] { return int32_t{me_->m_Chara.m_cImpactResist}; }, 20, ""},
      {"stop = 250", [this] { me_->m_dFriction = 7; }, 1, [this] { return me_->m_Chara.m_sFriction * 10 + int(me_->m_dFriction); },
       2007, ""},  // the friction is not recomputed
      {"getsc = 1000000", nullptr, 1, [this] { return me_->m_Chara.m_nScore; }, 999999, ""},
      {"pl.hp = 3", [] { g_vHero.clear(); }, 0, nullptr, 0, ""},  // no hero
      {"time = 5000", nullptr, 1, [this] { return scene_.m_nStageTime; }, 999, ""},
      {"score = -5", nullptr, 1, [] { return g_SaveData.m_nScore; }, 0, ""},
      {"life = 150", [] { g_SaveData.m_nLife = 3; }, 1, [] { return g_SaveData.m_nLife; }, 99, ""},
      {"life = 5", [] { g_SaveData.m_nLife = kLivesUnlimited; }, 1, [] { return g_SaveData.m_nLife; }, kLivesUnlimited,
       ""},
      {"C1 = life", [] { g_SaveData.m_nLife = kLivesUnlimited; }, 1, [this] { return C(1); }, 100, ""},
      {"C1 = life", [] { g_SaveData.m_nLife = kLivesUnlimited; g_SystemData.m_bCompat896 = 1; }, 1,
       [this] { return C(1); }, 0, ""},
      {"scrlx = 100", [] { g_StageData.m_bAutoScrollX = 1; }, 1, [this] { return int(scene_.m_ScrollX.m_dAutoSpeed * 100); },
       1000, ""},
      {"C1 = x_scr", nullptr, 1, [this] { return C(1); }, 400 - 320 + 16, ""},
      {"C1 = tg.x_rel", [this] { me_->m_pTarget[0] = tg_; }, 1, [this] { return C(1); }, 100, ""},
      {"x_abs = 100", nullptr, 1, [this] { return int(me_->m_dX * 10); }, 4045, ""},    // 320 + 100 - 16 + 0.5
      {"y_scr = 100", nullptr, 1, [this] { return int(me_->m_dY * 10); }, 4045, ""},    // the foot: 320 + 100 - 32 + 16
      {"y_scr = 100", [] { g_SystemData.m_bCompat819 = 1; }, 1, [this] { return int(me_->m_dY * 10); }, 3885, ""},
      {"x_rel = x_rel + 8", nullptr, 1, [this] { return int(me_->m_dX); }, 408, ""},
  });
  // The gauge of the subject follows its HP change.
  Reset();
  EXPECT_EQ(RunCode("my.hp = my.hp + 10", me_), 1);
  EXPECT_DOUBLE_EQ(me_->m_GaugeHP.m_dChange, 5 * 50 / 100.0);
  me_->m_pTarget[0] = tg_;
  tg_->m_GaugeHP = cGaugeAnim();
  EXPECT_EQ(RunCode("tg.hp = 20", me_), 1);
  EXPECT_EQ(tg_->m_GaugeHP.m_nTimer, 0) << "only the subject's gauge animates";
}

TEST_F(CodeTest, RandomCallsStayInTheirBoundsAndFollowTheSeed) {
  std::vector<int> first;
  RandSeed(7);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(RunCode("C1 = rand(6, 1) + C1 * 0", me_), 1);
    EXPECT_TRUE(C(1) >= 1 && C(1) <= 6) << C(1);
    first.push_back(C(1));
  }
  RandSeed(7);
  for (int i = 0; i < 100; ++i) {
    RunCode("C1 = rand(6, 1) + C1 * 0", me_);
    EXPECT_EQ(C(1), first[i]);
  }
}

TEST_F(CodeTest, TheCodeCommandReturnsTheLinesResult) {
  cFlowCmd cmd = Cmd(CMD_CODE);
  cmd.m_strText = "C2 = 40 + 2";
  EXPECT_EQ(ExecCode(me_, cmd), 1);
  EXPECT_EQ(C(2), 42);
  cmd.m_strText = "C2 = 1 / 0";
  EXPECT_EQ(ExecCode(me_, cmd), 0);
  Boxes();
}

}  // namespace
