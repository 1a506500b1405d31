#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "gamedata/ranking.h"
#include "gamedata/systemini.h"
#include "progress_fixture.h"
#include "stagedata/stagedata.h"
#include "support/bytes.h"

namespace {

// A table with the given used values in order, the other places empty.
cRankTable TableOf(int higherBetter, const std::vector<int>& values) {
  cRankTable t;
  t.m_bHigherBetter = higherBetter;
  for (size_t i = 0; i < values.size(); ++i) {
    t.m_vEntry[i].m_bUsed = 1;
    t.m_vEntry[i].m_nScore = values[i];
    t.m_vEntry[i].m_strName = "old";
  }
  return t;
}

std::vector<int> UsedValues(const cRankTable& t) {
  std::vector<int> v;
  for (const cRankEntry& e : t.m_vEntry)
    if (e.m_bUsed) v.push_back(e.m_nScore);
  return v;
}

std::vector<int> Steps(int from, int to, int step) {
  std::vector<int> v;
  for (int x = from; step > 0 ? x <= to : x >= to; x += step) v.push_back(x);
  return v;
}

TEST(RankTable, ResultsGoToTheirPlacesBelowEqualOnesAndTheLastFallsOff) {
  const std::vector<int> full = Steps(100, 5, -5);  // 20 places
  std::vector<int> with50 = full;
  with50.insert(with50.begin() + 11, 50);
  with50.pop_back();
  struct Case {
    int higherBetter;
    std::vector<int> before;
    int value, pos;
    std::vector<int> after;
  };
  const Case cases[] = {
      {1, full, 5, -1, full},
      {1, full, 4, -1, full},
      {1, full, 50, 11, with50},
      {1, full, 101, 0, [&] { auto v = full; v.insert(v.begin(), 101); v.pop_back(); return v; }()},
      {1, {30, 10}, 20, 1, {30, 20, 10}},
      {1, {30, 10}, 5, 2, {30, 10, 5}},
      {1, {}, -7, 0, {-7}},
      // Play time: smaller first, an equal time below, 0 first.
      {0, {500, 900}, 900, 2, {500, 900, 900}},
      {0, {500, 900}, 0, 0, {0, 500, 900}},
      {0, Steps(1, 20, 1), 21, -1, Steps(1, 20, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.higherBetter << " " << c.value);
    cRankTable t = TableOf(c.higherBetter, c.before);
    EXPECT_EQ(t.GetInsertPos(c.value), c.pos);
    t.Insert("new", c.value);
    EXPECT_EQ(t.m_vEntry.size(), 20u);
    EXPECT_EQ(UsedValues(t), c.after);
    if (c.pos >= 0) {
      EXPECT_EQ(t.m_vEntry[c.pos].m_strName, "new");
    }
  }
}

TEST(RankTable, TimesShowMinutesSecondsAndHundredths) {
  struct Case {
    int t;
    const char* text;
  };
  for (Case c : {Case{0, "00:00.00"}, Case{6000, "01:00.00"}, Case{12345, "02:03.45"}, Case{599999, "99:59.99"},
                 Case{600000, "100:00.00"}, Case{6000000, "1000:00.00"}, Case{-150, "00:-01.-50"}}) {
    std::string out = "junk";
    FormatRankTime(out, c.t);
    EXPECT_EQ(out, c.text) << c.t;
  }
}

TEST(RankTable, PathsFollowTheGameTypeAndTheStageKey) {
  struct Case {
    int gameType;
    const char* stage;
    int varSet;
    int result;
    const char* path;
  };
  const Case cases[] = {
      {0, "data\\stg4\\Forest.", 1, 1, "user_data\\story\\Forest_c005_3.rkg"},
      {0, "data\\stg4\\Forest.", 0, 1, "user_data\\story\\Forest.rkg"},
      {1, "data\\stg4\\c03.", 1, 1, "user_data\\challenge\\c03.rkg"},
      {2, "Free.", 1, 1, "user_data\\free\\Free.rkg"},
      {3, "data\\stg4\\Forest.", 0, 0, "unchanged"},
      {-1, "data\\stg4\\Forest.", 0, 0, "unchanged"},
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    EXPECT_EQ(MakeRankingPath(out, c.gameType, c.stage, c.varSet, 5, 3), c.result);
    EXPECT_EQ(out, c.path);
  }
}

class RankingTest : public ProgressTest {
 protected:
  void TearDown() override {
    g_SystemIni = cSystemIni();
    ProgressTest::TearDown();
  }
};

// The file of a set: per table its flag and places (used, value, name).
struct TableImage {
  int32_t flag;
  std::vector<int32_t> values;  // used places; the rest up to `places` empty
  uint32_t places = 20;
};

std::vector<uint8_t> RankingImage(uint32_t version, const std::vector<TableImage>& tables) {
  ByteWriter w;
  w.U32(version).U32(0).U32(0).U32(static_cast<uint32_t>(tables.size()));
  for (const TableImage& t : tables) {
    w.U32(1).I32(t.flag).U32(0).U32(t.places);
    for (uint32_t i = 0; i < t.places; ++i) {
      const bool used = i < t.values.size();
      w.U32(2).I32(used).I32(used ? t.values[i] : 0).U32(1).Str(used ? "名前" : "");
    }
  }
  return w.bytes;
}

TEST_F(RankingTest, ASetRoundTripsThroughItsFile) {
  cRankingData r;
  r.m_vTable[0].Insert("名前", 300);
  r.m_vTable[0].Insert("名前", 200);
  r.m_vTable[2].Insert("名前", 4500);
  ASSERT_EQ(r.SaveFile(1, "data\\stg4\\c03.", 0, 0, 0), 1);
  EXPECT_EQ(ReadFileBytes("user_data/challenge/c03.rkg"),
            RankingImage(914, {{1, {300, 200}}, {1, {}}, {0, {4500}}, {1, {}}, {1, {}}}));

  cRankingData back;
  back.m_vTable.resize(1);
  ASSERT_EQ(back.LoadFile(1, "data\\stg4\\c03.", 0, 0, 0), 1);
  ASSERT_EQ(back.m_vTable.size(), 5u);
  EXPECT_EQ(UsedValues(back.m_vTable[0]), (std::vector<int>{300, 200}));
  EXPECT_EQ(back.m_vTable[2].m_bHigherBetter, 0);
  EXPECT_EQ(back.m_vTable[2].m_vEntry[0].m_strName, "名前");
}

TEST_F(RankingTest, OldFilesReachFiveTablesAndEveryTableTwentyPlaces) {
  ASSERT_TRUE(WriteFileBytes("user_data/free/Old.rkg", RankingImage(180, {{1, {9}}, {0, {8}}, {0, {7}, 3}})));
  cRankingData r;
  ASSERT_EQ(r.LoadFile(2, "Old.", 0, 0, 0), 1);
  ASSERT_EQ(r.m_vTable.size(), 5u);
  const int flags[5] = {1, 0, 0, 1, 1};
  for (int t = 0; t < 5; ++t) {
    EXPECT_EQ(r.m_vTable[t].m_bHigherBetter, flags[t]) << t;
    EXPECT_EQ(r.m_vTable[t].m_vEntry.size(), 20u) << t;
  }
  EXPECT_EQ(UsedValues(r.m_vTable[2]), std::vector<int>{7});
  EXPECT_TRUE(UsedValues(r.m_vTable[4]).empty());

  // A later file keeps the tables it holds.
  ASSERT_TRUE(WriteFileBytes("user_data/free/New.rkg", RankingImage(181, {{0, {1}}, {1, {2}, 25}})));
  ASSERT_EQ(r.LoadFile(2, "New.", 0, 0, 0), 1);
  ASSERT_EQ(r.m_vTable.size(), 2u);
  EXPECT_EQ(r.m_vTable[1].m_vEntry.size(), 20u);
}

TEST_F(RankingTest, UnreadableFilesLeaveAResetSetAndANewerFileIsNeverReplaced) {
  const std::vector<uint8_t> newer = RankingImage(915, {{1, {5}}});
  ASSERT_TRUE(WriteFileBytes("user_data/story/New.rkg", newer));
  std::vector<uint8_t> cut = RankingImage(914, {{1, {5}}});
  cut.resize(cut.size() - 3);
  ASSERT_TRUE(WriteFileBytes("user_data/story/Cut.rkg", cut));

  struct Case {
    int gameType;
    const char* stage;
  };
  for (Case c : {Case{0, "New."}, Case{0, "Cut."}, Case{0, "Missing."}, Case{3, "New."}}) {
    cRankingData r;
    r.m_vTable.resize(2);
    r.m_vTable[0].Insert("x", 1);
    EXPECT_EQ(r.LoadFile(c.gameType, c.stage, 0, 0, 0), 0) << c.stage;
    ASSERT_EQ(r.m_vTable.size(), 5u);
    EXPECT_TRUE(UsedValues(r.m_vTable[0]).empty());
    EXPECT_EQ(r.m_vTable[2].m_bHigherBetter, 0);
  }
  cRankingData r;
  EXPECT_EQ(r.SaveFile(0, "New.", 0, 0, 0), 0);
  EXPECT_EQ(ReadFileBytes("user_data/story/New.rkg"), newer);
  EXPECT_EQ(r.SaveFile(3, "New.", 0, 0, 0), 0);
  ASSERT_EQ(std::remove("user_data/free"), 0);
  EXPECT_EQ(r.SaveFile(2, "New.", 0, 0, 0), 0);
}

TEST_F(RankingTest, TheTablePanelAlignsNumbersAndShowsTimesHintAndCursor) {
  g_SystemData.m_vText.At(5) = "スコア";
  g_SystemData.m_vText.At(7) = "タイム";
  g_SystemData.m_vText.At(25) = "←→";
  cRankTable t = TableOf(1, {12345, 678, 9});
  t.m_vEntry[1].m_bUsed = 0;  // an empty place leaves its row blank
  t.m_vEntry[2].m_strName = "ab";

  cPanelLayout l = t.GetDrawLayout(10, 20, 0, 2, GAMETYPE_STORY);
  EXPECT_EQ(l.m_Window, (cPanelBox{11, 21, 270, 350}));
  const std::vector<cPanelText> texts = {
      {10, 20, "ランキング    スコア"},
      {26, 36, "1"},
      {74, 36, "old", true},
      {10 + 9 * 16, 36, "12345"},
      {26, 68, "3"},
      {74, 68, "ab", true},
      {10 + 13 * 16, 68, "9"},
      {10 + 136 - 16, 20 + 336, "←→"},
  };
  EXPECT_EQ(l.m_vText, texts);
  EXPECT_TRUE(l.m_bCursor);
  EXPECT_EQ(l.m_nCursorX, 10);
  EXPECT_EQ(l.m_nCursorY, 20 + 48);

  // The play-time table shows times; English titles; one table offered shows no hint; no cursor.
  g_SystemIni.English = 1;
  g_SystemData.m_vRankSetting.At(1).m_vShow.assign({0, 0, 1, 0, 0});
  l = TableOf(0, {6000}).GetDrawLayout(0, 0, 2, -1, GAMETYPE_CHALLENGE);
  const std::vector<cPanelText> timeTexts = {
      {0, 0, "Ranking     タイム", true}, {16, 16, "1"}, {64, 16, "old", true}, {144, 16, "01:00.00"}};
  EXPECT_EQ(l.m_vText, timeTexts);
  EXPECT_FALSE(l.m_bCursor);
}

TEST_F(RankingTest, AResultEntersTheOfferedShownTablesUnderTheModesName) {
  cStageData stage;
  stage.m_vResultLine.assign({1, 1, 1, 1, 0});  // the SP line hidden
  g_SystemData.m_vRankSetting.At(GAMETYPE_STORY).m_vShow.assign({1, 1, 0, 1, 1});  // play time not offered
  cSaveData save;
  save.SetStage("data\\stg4\\Forest.stg4_914", 1, 5, 3);
  save.m_nTotalScore = 700;
  save.m_nTotalTimeLeft = 50;
  save.m_nTotalPlayTime = 3000;
  save.m_nTotalHP = 5;
  save.m_nTotalSP = 9;

  cRankingData r;
  r.m_vTable[3] = TableOf(1, Steps(100, 81, -1));  // full of better HP results
  int places[5];
  ASSERT_EQ(r.FindResultPlaces(save, GAMETYPE_STORY, stage, places), 1);
  EXPECT_EQ(std::vector<int>(places, places + 5), (std::vector<int>{0, 0, -1, -1, -1}));

  // Mode 2 asks for the name: it is used and kept for the next prefill.
  g_OptionData.m_nRankMode = 2;
  std::fill(places, places + 5, 9);
  ASSERT_EQ(r.RegisterResult(save, GAMETYPE_STORY, stage, "ぼく", places), 1);
  EXPECT_EQ(std::vector<int>(places, places + 5), (std::vector<int>{0, 0, -1, -1, -1}));
  EXPECT_EQ(save.m_strName, "ぼく");
  cRankingData back;
  ASSERT_EQ(back.LoadFile(GAMETYPE_STORY, save.m_strStage.c_str(), 1, 5, 3), 1);
  EXPECT_EQ(UsedValues(back.m_vTable[0]), std::vector<int>{700});
  EXPECT_EQ(back.m_vTable[1].m_vEntry[0].m_strName, "ぼく");
  EXPECT_TRUE(UsedValues(back.m_vTable[2]).empty());
  EXPECT_TRUE(UsedValues(back.m_vTable[4]).empty());

  // Mode 3 uses the options' fixed name; the progress keeps its own.
  g_OptionData.m_nRankMode = 3;
  g_OptionData.m_strRankName = "固定";
  save.m_nTotalScore = 800;
  ASSERT_EQ(r.RegisterResult(save, GAMETYPE_STORY, stage, "ignored", places), 1);
  EXPECT_EQ(r.m_vTable[0].m_vEntry[0].m_strName, "固定");
  EXPECT_EQ(save.m_strName, "ぼく");

  // Rankings off for the game type: nothing is entered.
  g_SystemData.m_vRankSetting.At(GAMETYPE_STORY).m_bOn = 0;
  EXPECT_EQ(r.RegisterResult(save, GAMETYPE_STORY, stage, "x", places), 0);
  EXPECT_EQ(UsedValues(r.m_vTable[0]), (std::vector<int>{800, 700}));
}

}  // namespace
