#include "stagedata/database.h"
#include "gamedata/systemdata.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <set>

#include "core/datafile.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

int RawCountFor(cSystemData& d, int version) {
  d.RegisterFields(version);
  int n = d.RegisteredFieldCount();
  d.RegisterFields(g_nDataVersion);
  return n;
}

}  // namespace

TEST(SystemDataDefaults, ListsHoldTheNewGameContent) {
  cSystemData d;
  const struct {
    const char* list;
    int size, expected;
  } sizes[] = {
      {"text", d.m_vText.Size(), 29},
      {"title commands", d.m_vTitleCmd.Size(), 7},
      {"map menu commands", d.m_vMapMenuCmd.Size(), 4},
      {"option commands", d.m_vOptionCmd.Size(), 6},
      {"items", d.m_vItem.Size(), 5},
      {"rank settings", d.m_vRankSetting.Size(), 4},
      {"carry over", d.m_vCarryOver.Size(), 25},
      {"carry reset", d.m_vCarryReset.Size(), 25},
      {"start life", d.m_vStartLife.Size(), 4},
      {"life unlimited", d.m_vLifeUnlimited.Size(), 4},
      {"system sounds", d.m_vSysSound.Size(), 17},
      {"menu music", d.m_vMenuBgm.Size(), 4},
      {"music continue", d.m_vMenuBgmContinue.Size(), 4},
      {"registration texts", d.m_vRankRegText.Size(), 4},
      {"ini keys", d.m_vIniKey.Size(), 11},
  };
  for (const auto& s : sizes) EXPECT_EQ(s.size, s.expected) << s.list;

  // Stored as code page 932 bytes.
  EXPECT_EQ(d.m_vText.At(16),
            "\x95\xdb\x91\xb6\x90\xe6\x82\xaa\x95\x73\x96\xbe\x82\xc5\x82\xb7\x81\x49\x88\xea\x93\x78\x82\xcd\x81\x75"
            "\x83\x5a\x81\x5b\x83\x75\x81\x76\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x49");
  EXPECT_EQ(d.m_vText.At(8), "残りHP");
  EXPECT_EQ(d.m_vText.At(22), "マップへ戻る");
  EXPECT_EQ(d.m_vText.At(28), "F3キーでランキングへ登録");
  EXPECT_EQ(d.m_vTitleCmd.At(0).m_strLabel, "はじめから");
  EXPECT_EQ(d.m_vTitleCmd.At(6).m_strLabel, "しゅうりょう");
  EXPECT_EQ(d.m_vMapMenuCmd.At(1).m_strLabel, "オートセーブ");
  EXPECT_EQ(d.m_vOptionCmd.At(5).m_strLabel, "");
  for (const cCmdList* list : {&d.m_vTitleCmd, &d.m_vMapMenuCmd, &d.m_vOptionCmd})
    for (const cCmd& c : *list) EXPECT_EQ(c.m_bEnable, 1) << c.m_strLabel;
  EXPECT_EQ(d.m_vRankRegText.At(3), "自動登録（登録名固定）");

  const std::vector<uint8_t> carry(d.m_vCarryOver.begin(), d.m_vCarryOver.end());
  EXPECT_EQ(carry, (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0}));
  for (int i = 0; i < 25; ++i) EXPECT_EQ(d.m_vCarryReset.At(i), (i == 11 || i == 12) ? 1 : 0) << i;

  const struct {
    int digits;
    const char* name;
  } items[] = {{4, "スコア"}, {3, "スコア"}, {0, "HP"}, {0, "SP"}, {2, "人"}};
  for (int i = 0; i < 5; ++i) {
    const cSysItem& it = d.m_vItem.At(i);
    EXPECT_EQ(it.m_bShow, 1);
    EXPECT_EQ(it.m_bIcon, 1);
    EXPECT_EQ(it.m_nDigits, items[i].digits) << i;
    EXPECT_EQ(it.m_strName, items[i].name) << i;
    EXPECT_EQ(it.m_bShowValue | it.m_nPinch | it.m_bPinchPercent, 0) << i;
  }
  for (int t = 0; t < 4; ++t) EXPECT_EQ(d.GetRankTableNum(t), t < 3 ? 5 : 0) << t;
  EXPECT_EQ(std::vector<int32_t>(d.m_vStartLife.begin(), d.m_vStartLife.end()), (std::vector<int32_t>{5, 5, 5, 99}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(d.m_vLifeUnlimited.At(i), 1);
    EXPECT_EQ(d.m_vMenuBgm.At(i), 0);
    EXPECT_EQ(d.m_vMenuBgmContinue.At(i), 1);
  }
  for (const std::string& s : d.m_vSysSound) EXPECT_EQ(s, "");
  EXPECT_EQ(d.m_strTitle, "");
}

TEST(SystemDataDefaults, OnlyTheNewDataMembersAreNonZero) {
  cSystemData d;
  const std::map<const void*, int32_t> expected = {
      {&d.m_nScoreExtendStep, 100},  {&d.m_bPlayDrawLayers, 1},   {&d.m_nFont, 60},
      {&d.m_bReplaySave, 1},         {&d.m_bTitleSwitch, 1},      {&d.m_bNewGameSlot, 1},
      {&d.m_bMapStageLife, 1},       {&d.m_bDeathToMap, 1},       {&d.m_bMapShowLife, 1},
      {&d.m_nChallengeNum, 40},      {&d.m_bChallengeAllOpen, 1}, {&d.m_bMapShow280, 1},
      {&d.m_bMapMenuShow284, 1},     {&d.m_bRestoreVarsStory, 1}, {&d.m_bStoryRetryRule, 1},
      {&d.m_bSelectShow300, 1},      {&d.m_bSelectShow304, 1},    {&d.m_bRestoreVarsChallenge, 1},
      {&d.m_bChallengeRetryRule, 1}, {&d.m_bRestoreVarsFree, 1},  {&d.m_nPaletteCycleParam, 16},
      {&d.m_bStoryMapRule, 1},       {&d.m_nDepthDD, 2},
  };
  d.RegisterFields(g_nDataVersion);
  ASSERT_EQ(d.RegisteredFieldCount(), 88);
  std::set<const void*> seen;
  for (int i = 0; i < d.RegisteredFieldCount(); ++i) {
    const cFieldDesc& f = d.RegisteredField(i);
    int32_t value = f.m_cSize == 4 ? *static_cast<const int32_t*>(f.m_pData) : *static_cast<const uint8_t*>(f.m_pData);
    auto it = expected.find(f.m_pData);
    EXPECT_EQ(value, it == expected.end() ? 0 : it->second) << "raw member " << i;
    if (it != expected.end()) seen.insert(f.m_pData);
  }
  EXPECT_EQ(seen.size(), expected.size());
}

// Stored music numbers are checked against the database's music list: give it room for them.
class WithMusicList : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    saved_ = g_Database.m_vBgm;
    g_Database.m_vBgm.resize(64);
  }
  void TearDown() override {
    g_Database.m_vBgm = saved_;
    TempDirTest::TearDown();
  }
  cCheckedVector<cBgmData> saved_;
};

class SystemDataFile : public WithMusicList {};

TEST_F(SystemDataFile, CurrentLayoutPlacesEveryPart) {
  cSystemData d;
  d.m_bScoreExtend = 5;
  d.m_nColourMode = 1;
  d.m_byKeyRed = 0x11;
  d.m_byKeyGreen = 0x22;
  d.m_byKeyBlue = 0x33;
  d.m_bAimAddScroll = 0x44556677;
  d.m_bStartStagePlain = 9;
  d.m_strTitle = "ab";
  ASSERT_EQ(d.Save("System.dat"), 1);
  auto b = ReadFileBytes("System.dat");
  ASSERT_GT(b.size(), 400u);
  EXPECT_EQ(U32At(b, 0), 914u);
  EXPECT_EQ(U32At(b, 4), 88u);
  EXPECT_EQ(U32At(b, 8), 5u);           // the first raw member
  EXPECT_EQ(U32At(b, 8 + 27 * 4), 1u);  // the colour mode, then the three key bytes
  EXPECT_EQ(b[120], 0x11);
  EXPECT_EQ(b[121], 0x22);
  EXPECT_EQ(b[122], 0x33);
  EXPECT_EQ(U32At(b, 123), 0x44556677u);
  EXPECT_EQ(U32At(b, 8 + 343 - 4), 9u);  // the last raw member
  EXPECT_EQ(U32At(b, 351), 1u);          // one string: the title
  EXPECT_EQ(U32At(b, 355), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[359]), 3), std::string("ab\0", 3));
  // The first list: the 25 carry-over bytes.
  EXPECT_EQ(U32At(b, 362), 25u);
  EXPECT_EQ(b[366 + 12], 0);
  EXPECT_EQ(b[366 + 13], 1);
}

// Every member and list away from its default, so that a list the reader skipped shows up as a
// difference when the loaded record is written again.
static cSystemData MakeCustomSystemData() {
  cSystemData d;
  d.RegisterFields(g_nDataVersion);
  for (int i = 0; i < d.RegisteredFieldCount(); ++i) {
    const cFieldDesc& f = d.RegisteredField(i);
    if (f.m_cSize == 4)
      *static_cast<int32_t*>(f.m_pData) = 1000 + i;
    else
      *static_cast<uint8_t*>(f.m_pData) = static_cast<uint8_t>(200 + i);
  }
  d.m_strTitle = "テストゲーム";
  d.m_vCarryOver.assign({9, 8, 7});
  d.m_vCarryReset.assign({1, 0});
  d.m_vItem.resize(2);
  d.m_vItem.At(1).m_nPinch = 12;
  d.m_vItem.At(1).m_bPinchPercent = 1;
  d.m_vItem.At(1).m_bShowValue = 1;
  d.m_vItem.At(1).m_strName = "ライフ";
  d.m_vStartLife.assign({3, 4, 5});
  d.m_vLifeUnlimited.assign({0, 1});
  d.m_vRankSetting.resize(2);
  d.m_vRankSetting.At(1).m_bOn = 1;
  d.m_vRankSetting.At(1).m_vShow.assign({0, 1, 1});
  d.m_vText.assign({"一", "", "three"});
  d.m_vSysSound.assign({"wave\\a.wav", ""});
  d.m_vMenuBgm.assign({1, 2, 3, 4, 5});
  d.m_vMenuBgmContinue.assign({0, 1, 0});
  d.m_vTitleCmd.resize(2);
  d.m_vTitleCmd.At(1).m_bEnable = 0;
  d.m_vTitleCmd.At(1).m_strLabel = "隠し";
  d.m_vMapMenuCmd.resize(1);
  d.m_vOptionCmd.resize(3);
  d.m_vOptionCmd.At(2).m_strLabel = "音量";
  d.m_vRankRegText.assign({"x", "y"});
  d.m_vIniKey.resize(12);
  d.m_vIniKey.At(11).SetText("Extra", "text");
  return d;
}

TEST_F(SystemDataFile, RoundTripKeepsEveryMemberAndList) {
  cSystemData d = MakeCustomSystemData();
  ASSERT_EQ(d.Save("a.dat"), 1);
  cSystemData e;
  ASSERT_EQ(e.Load("a.dat"), 1);
  ASSERT_EQ(e.Save("b.dat"), 1);
  EXPECT_EQ(ReadFileBytes("a.dat"), ReadFileBytes("b.dat"));
  // The same through a copy that replaces the live record (assignment of every member and list).
  cSystemData live;
  ASSERT_EQ(LoadRecordKeepingOnFailure(live, "a.dat"), 1);
  ASSERT_EQ(live.Save("c.dat"), 1);
  EXPECT_EQ(ReadFileBytes("a.dat"), ReadFileBytes("c.dat"));
  // Spot checks that the values came from the file and not from the defaults.
  EXPECT_EQ(e.m_strTitle, "テストゲーム");
  EXPECT_EQ(e.m_bStartStagePlain, 1000 + 87);
  EXPECT_EQ(e.m_byKeyBlue, 200 + 30);
  EXPECT_EQ(e.m_vItem.At(1).m_strName, "ライフ");
  EXPECT_EQ(e.m_vItem.At(1).m_nPinch, 12);
  EXPECT_EQ(e.m_vRankSetting.At(1).m_vShow.Size(), 3);
  EXPECT_EQ(e.GetRankTableNum(1), 2);
  EXPECT_EQ(e.m_vTitleCmd.At(1).m_bEnable, 0);
  EXPECT_EQ(e.m_vIniKey.At(11).m_strText, "text");
  EXPECT_EQ(e.m_vMenuBgm.Size(), 5);
}

TEST_F(SystemDataFile, MenuMusicIndicesAreClampedToTheMusicList) {
  cSystemData d;
  d.m_vMenuBgm.assign({3, 70, -1, 0});
  d.ClampListIndices(10);
  EXPECT_EQ(std::vector<int32_t>(d.m_vMenuBgm.begin(), d.m_vMenuBgm.end()), (std::vector<int32_t>{3, 0, 0, 0}));

  // Before a write: the record itself is clamped too.
  d.m_vMenuBgm.assign({3, 70, -1, 0});
  cDataFile* f = DataFileOpenWrite("w.dat");
  ASSERT_NE(f, nullptr);
  d.Write(*f, 10);
  ASSERT_EQ(DataFileClose(f), 1);
  EXPECT_EQ(d.m_vMenuBgm.At(1), 0);

  // After a read.
  d.m_vMenuBgm.assign({3, 70, 9, 10});
  ASSERT_EQ(d.Save("r.dat"), 1);
  cSystemData e;
  f = DataFileOpenRead("r.dat");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(e.Read(*f, 10), 1);
  DataFileClose(f);
  EXPECT_EQ(std::vector<int32_t>(e.m_vMenuBgm.begin(), e.m_vMenuBgm.end()), (std::vector<int32_t>{3, 0, 9, 0}));
}

TEST(SystemDataRegistration, OlderVersionsStoreFewerMembers) {
  cSystemData d;
  const struct { int version, raw; } cases[] = {{100, 6}, {185, 15}, {230, 30}, {260, 29}, {900, 85}, {914, 88}};
  for (const auto& c : cases) EXPECT_EQ(RawCountFor(d, c.version), c.raw) << c.version;
}

namespace {

// A body of an older version, written the way that version's editor wrote it. The raw members take
// the record's own registration for that version; the lists follow the version's list set.
std::vector<uint8_t> BuildOldSystemFile(int v) {
  cSystemData layout;
  layout.RegisterFields(v);
  ByteWriter w;
  w.U32(static_cast<uint32_t>(v)).U32(static_cast<uint32_t>(layout.RegisteredFieldCount()));
  for (int i = 0; i < layout.RegisteredFieldCount(); ++i) {
    const cFieldDesc& f = layout.RegisteredField(i);
    if (f.m_pData == &g_nDiscardField)
      w.I32(-555);
    else if (f.m_cSize == 1)
      w.U8(static_cast<uint8_t>(50 + i));
    else
      w.I32(500 + i);
  }
  w.U32(1).Str("Old");
  w.U32(2).U8(7).U8(8);                           // carry over
  if (v >= 501) w.U32(1).U8(1);                   // carry reset
  w.U32(1).U32(3 + (v >= 204) + 2 * (v >= 587));  // one item
  w.I32(1).I32(0).I32(6);
  if (v >= 204) w.I32(0);
  if (v >= 587) w.I32(25).I32(1);
  w.U32(1).Str("残機");
  w.U32(1).I32(3);                                                                     // start life
  if (v >= 191) w.U32(1).I32(0);                                                       // life unlimited
  if (v >= 186) w.U32(1).U32(1).I32(1).U32(0).U32(2).U8(1).U8(0);                      // one rank setting
  w.U32(2).Str("t0").Str("t1");                                                        // texts
  w.U32(1).Str("s.wav");                                                               // system sounds
  w.U32(4).I32(1).I32(2).I32(3).I32(4);                                                // menu music
  if (v >= 202) w.U32(1).U8(0);                                                        // music continue
  for (const char* label : {"A", "B", "C"}) w.U32(1).U32(1).I32(1).U32(1).Str(label);  // three menus
  if (v >= 674) w.U32(1).Str("reg");
  w.U32(1).U32(2).I32(0).I32(3).U32(2).Str("VSync").Str("");  // one ini key
  return w.bytes;
}

}  // namespace

class SystemDataOldFile : public WithMusicList {};

TEST_F(SystemDataOldFile, MembersAndListsAVersionLacksKeepTheirValues) {
  for (int v : {185, 230}) {
    SCOPED_TRACE(v);
    ASSERT_TRUE(WriteFileBytes("old.dat", BuildOldSystemFile(v)));
    g_nDiscardField = 0;
    cSystemData d;
    d.m_bStartStagePlain = 3;
    ASSERT_EQ(d.Load("old.dat"), 1);
    EXPECT_EQ(d.m_strTitle, "Old");
    // Not stored before 880, and no upgrade gives it a value: the value before the read stays.
    EXPECT_EQ(d.m_bStartStagePlain, 3);
    // Not stored before 261/515/670: the upgrade's values.
    EXPECT_EQ(d.m_nPaletteCycleParam, 16);
    EXPECT_EQ(d.m_nDepthDD, 2);
    EXPECT_EQ(d.m_bScaleKeepBox, 1);  // never takes the discarded value
    EXPECT_EQ(d.m_vCarryReset.Size(), 25);
    EXPECT_EQ(d.m_vRankRegText.Size(), 4);
    // The file's lists, lengthened by the upgrade where the version needs it.
    EXPECT_EQ(d.m_vCarryOver.Size(), v < 210 ? 25 : 2);
    EXPECT_EQ(d.m_vCarryOver.At(1), 8);
    EXPECT_EQ(d.m_vItem.Size(), 5);
    EXPECT_EQ(d.m_vItem.At(0).m_nDigits, 6);
    EXPECT_EQ(d.m_vItem.At(0).m_bShowValue, v < 204 ? 1 : 0);  // files before 204 show the gauge numbers
    EXPECT_EQ(d.m_vItem.At(0).m_strName, "残機");
    EXPECT_EQ(d.m_vText.Size(), 29);
    EXPECT_EQ(d.m_vText.At(1), "t1");
    EXPECT_EQ(d.m_vMenuBgm.At(3), 4);
    EXPECT_EQ(d.m_vOptionCmd.At(0).m_strLabel, "C");
    EXPECT_EQ(d.m_vIniKey.Size(), 11);
    EXPECT_EQ(d.m_vIniKey.At(1).m_nValue, 3);  // behind the key inserted at 0
    if (v == 185) {
      EXPECT_EQ(d.m_bScoreExtend, 500);    // the first member, stored from 185
      EXPECT_EQ(d.GetRankTableNum(0), 5);  // no rank settings in the file
      EXPECT_EQ(d.m_vLifeUnlimited.Size(), 4);
      EXPECT_EQ(d.m_vMenuBgmContinue.Size(), 4);
      EXPECT_EQ(d.m_nColourMode, 0);
    } else {
      EXPECT_EQ(d.m_bAimAddScroll, 500 + 28);  // followed by the discarded int32
      EXPECT_EQ(d.m_byKeyBlue, 50 + 27);
      EXPECT_EQ(d.m_vRankSetting.Size(), 1);
      EXPECT_EQ(d.GetRankTableNum(0), 1);
      EXPECT_EQ(d.m_vLifeUnlimited.Size(), 1);
      EXPECT_EQ(d.m_vMenuBgmContinue.Size(), 1);
    }
  }
}

TEST_F(SystemDataOldFile, ListsStartAtTheirVersions) {
  // Either side of the version at which each list or item member enters the file: a list read when
  // the file lacks it, or skipped when the file holds it, breaks the reading of everything after it.
  for (int v : {0, 185, 186, 190, 191, 201, 202, 203, 204, 500, 501, 586, 587, 673, 674, 914}) {
    ASSERT_TRUE(WriteFileBytes("old.dat", BuildOldSystemFile(v)));
    cSystemData d;
    ASSERT_EQ(d.Load("old.dat"), 1) << v;
    // Older files gain the keys of the current list; before 286 one in front of the file's.
    EXPECT_EQ(d.m_vIniKey.Size(), v < 914 ? 11 : 1) << v;
    EXPECT_EQ(d.m_vIniKey.At(v < 286 ? 1 : 0).m_strName, "VSync") << v;
    EXPECT_EQ(d.m_vRankRegText.At(0), v >= 674 ? "reg" : "手動登録（登録名入力）") << v;
  }
}

TEST_F(SystemDataOldFile, ItemsFromThePinchVersionOnReadTheirThresholds) {
  ASSERT_TRUE(WriteFileBytes("old.dat", BuildOldSystemFile(700)));
  cSystemData d;
  ASSERT_EQ(d.Load("old.dat"), 1);
  EXPECT_EQ(d.m_vItem.At(0).m_nPinch, 25);
  EXPECT_EQ(d.m_vItem.At(0).m_bShowValue, 0);
  EXPECT_EQ(d.m_vRankRegText.At(0), "reg");
  EXPECT_EQ(d.m_vCarryReset.Size(), 1);
}

TEST_F(SystemDataFile, DamagedFilesFailWithoutTouchingTheLiveRecord) {
  ASSERT_EQ(MakeCustomSystemData().Save("good.dat"), 1);
  const auto good = ReadFileBytes("good.dat");

  // Cut anywhere after the version: the load fails.
  for (size_t len = 4; len < good.size(); ++len) {
    ASSERT_TRUE(WriteFileBytes("cut.dat", std::vector<uint8_t>(good.begin(), good.begin() + len)));
    cSystemData d;
    ASSERT_EQ(d.Load("cut.dat"), 0) << "cut at " << len;
  }

  // A list count far beyond the bytes left is refused, not allocated.
  auto huge = good;
  const size_t carryCount = 362 + (std::string("テストゲーム").size() + 1 - 3);
  ASSERT_EQ(U32At(huge, carryCount), 3u);
  const uint32_t claim = 0x7ffffff0;
  std::memcpy(&huge[carryCount], &claim, 4);
  ASSERT_TRUE(WriteFileBytes("huge.dat", huge));
  cSystemData live;
  live.m_strTitle = "live";
  EXPECT_EQ(LoadRecordKeepingOnFailure(live, "huge.dat"), 0);
  EXPECT_EQ(live.m_strTitle, "live");
  EXPECT_EQ(live.m_vText.Size(), 29);

  // A challenge count no game has would size a list in every progress: the file is damaged.
  for (int32_t count : {kMaxChallengeStages, kMaxChallengeStages + 1, INT_MAX}) {
    cSystemData claims = MakeCustomSystemData();
    claims.m_nChallengeNum = count;
    ASSERT_EQ(claims.Save("count.dat"), 1);
    EXPECT_EQ(LoadRecordKeepingOnFailure(live, "count.dat"), count <= kMaxChallengeStages ? 1 : 0) << count;
  }
  EXPECT_EQ(live.m_nChallengeNum, kMaxChallengeStages);

  // A newer version is refused.
  auto newer = good;
  const uint32_t v915 = 915;
  std::memcpy(&newer[0], &v915, 4);
  ASSERT_TRUE(WriteFileBytes("new.dat", newer));
  EXPECT_EQ(live.Load("new.dat"), 0);
  EXPECT_EQ(g_bDataFileTooNew, 1);
  g_bDataFileTooNew = 0;
}

TEST(SystemDataQueries, RankTablesAndPinchThresholds) {
  cSystemData d;
  d.m_vRankSetting.At(0).m_bOn = 0;
  d.m_vRankSetting.At(1).m_vShow.assign({1, 0, 2, 0, 0});
  EXPECT_EQ(d.GetRankTableNum(0), 0);  // off, whatever the bytes
  EXPECT_EQ(d.GetRankTableNum(1), 2);

  cSysItem& hp = d.m_vItem.At(2);
  const struct {
    int pinch, percent, value, max, under;
  } cases[] = {
      {33, 1, 33, 100, 1}, {33, 1, 34, 100, 0},  {33, 1, 66, 200, 1},
      {33, 1, 67, 200, 0}, {33, 1, 0, 0, 0},  // no maximum: never low
      {10, 0, 10, 0, 1},   {10, 0, 11, 1000, 0}, {0, 0, -1, 5, 1},
  };
  for (const auto& c : cases) {
    hp.m_nPinch = c.pinch;
    hp.m_bPinchPercent = c.percent;
    EXPECT_EQ(d.IsUnderThreshold(2, c.value, c.max), c.under)
        << c.pinch << (c.percent ? "%" : "") << " value " << c.value << "/" << c.max;
  }
}

TEST(SystemDataLists, ShiftUpMovesEntriesAndDropsTheLast) {
  cCheckedVector<uint8_t> bytes{1, 2, 3, 4};
  ShiftByteListUp(bytes, 1);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), (std::vector<uint8_t>{1, 2, 2, 3}));
  ShiftByteListUp(bytes, 3);  // the last entry: nothing moves
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), (std::vector<uint8_t>{1, 2, 2, 3}));

  cCheckedVector<std::string> texts{"a", "b", "c"};
  ShiftTextListUp(texts, 0);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.end()), (std::vector<std::string>{"a", "a", "b"}));

  cSysIniKeyList keys(3);
  keys.At(0).SetValue("A", 1);
  keys.At(1).SetText("B", "bee");
  keys.At(2).SetValue("C", 3);
  ShiftIniKeyListUp(keys, 1);
  keys.At(1).SetValue("New", 9);
  EXPECT_EQ(keys.At(2).m_strName, "B");
  EXPECT_EQ(keys.At(2).m_nKind, 1);
  EXPECT_EQ(keys.At(2).m_strText, "bee");
  EXPECT_EQ(keys.At(1).m_strName, "New");
}
