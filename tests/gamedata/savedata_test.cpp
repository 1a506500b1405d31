#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "core/datafile.h"
#include "gamedata/datapath.h"
#include "gamedata/savedata.h"
#include "progress_fixture.h"
#include "stagedata/charadata.h"
#include "stagedata/database.h"
#include "stagedata/stagedata.h"
#include "support/bytes.h"

namespace {

// First data version that stores each raw member, in file order.
constexpr uint32_t kRawFrom[35] = {0, 0, 0, 0, 0, 758, 758, 758, 0, 0, 0, 0, 0, 0, 0, 0, 0, 182,
                                   182, 0, 0, 166, 194, 190, 191, 191, 0, 0, 169, 0, 0, 678, 678, 678, 679};

// A progress file as the given version stores it. Raw member i holds i + 1; the stage is
// "data\stg4\Forest." with the key "key" (from 724) and the name "name"; no carried characters.
struct Image {
  uint32_t version = 914;
  std::vector<int32_t> switches;  // stored from 501
  std::vector<int32_t> flags;
  std::vector<int32_t> vars;
  int challenges = 0;           // pairs (i, 100 + i)
  bool stageBest = false;       // one best, in the version's form
};

std::vector<uint8_t> SaveImage(const Image& im) {
  const uint32_t v = im.version;
  ByteWriter w;
  w.U32(v);
  uint32_t raws = 0;
  for (uint32_t from : kRawFrom) raws += v >= from;
  w.U32(raws);
  for (int i = 0; i < 35; ++i)
    if (v >= kRawFrom[i]) w.I32(i + 1);
  w.U32(v >= 724 ? 3 : 2).Str("data\\stg4\\Forest.");
  if (v >= 724) w.Str("key");
  w.Str("name");
  for (uint16_t part : {2020, 5, 0, 17, 13, 45, 30, 0}) w.U16(part);
  if (v > 500) {
    w.U32(static_cast<uint32_t>(im.switches.size()));
    for (int32_t s : im.switches) w.I32(s);
  }
  w.U32(0);
  if (im.stageBest) {
    w.U32(1);
    if (v >= 759) w.U32(4).I32(1).I32(5).I32(3).I32(700).U32(2).Str("data\\stg4\\Hill.").Str("data\\stg4\\Hill_c005_3.");
    else w.U32(1).I32(700).U32(1).Str("data\\stg4\\Hill.");
  } else {
    w.U32(0);
  }
  w.U32(static_cast<uint32_t>(im.challenges));
  for (int i = 0; i < im.challenges; ++i) w.U32(2).I32(i).I32(100 + i).U32(0);
  w.U32(static_cast<uint32_t>(im.flags.size()));
  for (int32_t f : im.flags) w.I32(f);
  w.U32(static_cast<uint32_t>(im.vars.size()));
  for (int32_t x : im.vars) w.I32(x);
  return w.bytes;
}

std::vector<int32_t> Counting(int n, int start) {
  std::vector<int32_t> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[i] = start + i;
  return v;
}

template <class V>
std::vector<int32_t> Plain(const V& v) {
  return std::vector<int32_t>(v.begin(), v.end());
}

const char* const kSlot1 = "user_data/story/Story01.dat";

class SaveDataTest : public ProgressTest {};

TEST_F(SaveDataTest, ResetGivesTheNewGameStateAndKeepsTheSnapshotAndTime) {
  cSaveData s;
  s.m_nLife = 3;
  s.m_strStage = "x.";
  s.m_vCommonVar.assign(5, 9);
  s.m_vFlag.assign(3, 1);
  s.m_vStageBest.resize(2);
  s.m_vCarrySwitch.assign(30, 1);
  s.m_vCharaSave.resize(3);
  s.m_SaveTime = MakeTime(2021, 1, 2, 3, 4);
  s.SnapshotVars();
  s.Reset(4);
  EXPECT_EQ(s.m_nLife, 0);
  EXPECT_EQ(s.m_strStage, "");
  EXPECT_EQ(Plain(s.m_vCarrySwitch), std::vector<int32_t>(25, 0));
  EXPECT_EQ(s.m_vCharaSave.size(), 1u);
  ASSERT_EQ(s.m_vFlag.size(), 1000u);
  EXPECT_EQ(s.m_vFlag[0], 1);
  EXPECT_EQ(s.m_vFlag[999], 0);
  EXPECT_EQ(Plain(s.m_vCommonVar), std::vector<int32_t>(1001, 0));
  EXPECT_TRUE(s.m_vStageBest.empty());
  EXPECT_EQ(s.m_vChallenge.size(), 4u);
  EXPECT_EQ(s.m_nChallengeOpen, 1);
  EXPECT_EQ(s.m_nSlot, -1);
  EXPECT_EQ(s.m_strName, "aaa");
  EXPECT_EQ(Plain(s.m_vCommonVarBackup), std::vector<int32_t>(5, 9));
  EXPECT_EQ(s.m_nLifeBackup, 3);
  EXPECT_EQ(s.m_SaveTime.wYear, 2021);
}

TEST_F(SaveDataTest, ACurrentFileReadsIntoItsMembersAndWritesBackTheSameBytes) {
  // Raw member 26, the open challenge stage, holds 27: the system's count must not cut it.
  g_SystemData.m_nChallengeNum = 30;
  Image im;
  im.switches = Counting(25, 50);
  im.flags = Counting(1000, 1);
  im.vars = Counting(1001, -500);
  im.challenges = 30;
  im.stageBest = true;
  const std::vector<uint8_t> image = SaveImage(im);
  ASSERT_TRUE(WriteFileBytes(kSlot1, image));

  cSaveData s;
  ASSERT_EQ(s.Load(GetStoryPath(0).c_str()), 1);
  // Every raw member lands where the file order puts it.
  const int32_t* raw[35] = {&s.m_bCarryOver,    &s.m_nMapX,          &s.m_nMapY,         &s.m_nEnteredNode,
                            &s.m_nLap,          &s.m_bVarSet,        &s.m_nVarIndex,     &s.m_nVarValue,
                            &s.m_nStageNo,      &s.m_nPart,          &s.m_nStartLife,    &s.m_nLife,
                            &s.m_nScore,        &s.m_nTotalScore,    &s.m_nBestTotal,    &s.m_nTotalTimeLeft,
                            &s.m_nTotalPlayTime, &s.m_nTotalHP,      &s.m_nTotalSP,      &s.m_bMultiPart,
                            &s.m_nStageBgm,     &s.m_bStageBgmLoop,  &s.m_nMapDir,       &s.m_bMapReturn,
                            &s.m_nMapPrevX,     &s.m_nMapPrevY,      &s.m_nChallengeOpen, &s.m_nSlot,
                            &s.m_bAutoSave,     &s.m_bRankShow,      &s.m_nRankTable,    &s.m_bNextStart,
                            &s.m_nNextStartX,   &s.m_nNextStartY,    &s.m_nNextStartDir};
  for (int i = 0; i < 35; ++i) EXPECT_EQ(*raw[i], i + 1) << i;
  EXPECT_EQ(s.m_strStage, "data\\stg4\\Forest.");
  EXPECT_EQ(s.m_strStageKey, "key");
  EXPECT_EQ(s.m_strName, "name");
  EXPECT_EQ(s.m_SaveTime.wYear, 2020);
  EXPECT_EQ(s.m_SaveTime.wMinute, 45);
  EXPECT_EQ(Plain(s.m_vCarrySwitch), im.switches);
  EXPECT_TRUE(s.m_vCharaSave.empty());
  ASSERT_EQ(s.m_vStageBest.size(), 1u);
  EXPECT_EQ(s.m_vStageBest[0].m_strKey, "data\\stg4\\Hill_c005_3.");
  EXPECT_EQ(s.m_vStageBest[0].m_nVarIndex, 5);
  EXPECT_EQ(s.m_vStageBest[0].m_nBest, 700);
  ASSERT_EQ(s.m_vChallenge.size(), 30u);
  EXPECT_EQ(s.m_vChallenge[1].m_nSecond, 101);
  EXPECT_EQ(Plain(s.m_vFlag), im.flags);
  EXPECT_EQ(Plain(s.m_vCommonVar), im.vars);

  ASSERT_EQ(s.Save("user_data/story/Story02.dat"), 1);
  EXPECT_EQ(ReadFileBytes("user_data/story/Story02.dat"), image);
}

TEST_F(SaveDataTest, OlderFilesAreBroughtToTheCurrentMeaning) {
  struct Case {
    uint32_t version;
    int vars;  // common variables stored
    int32_t bgmLoop, autoSave, totalHP, nextStartDir;
    const char* key;
    std::vector<int32_t> switches;
    int32_t flag0;
  };
  const std::vector<int32_t> ones(25, 1);
  std::vector<int32_t> grown = {0, 1, 0};
  grown.resize(25, 0);
  const Case cases[] = {
      // Members a version does not store keep what they held (77 and "old"), except the upgraded ones.
      {165, 1000, 1, 0, 0, 77, "old", ones, 1},
      {500, 1000, 22, 29, 18, 77, "old", ones, 1},
      {501, 1000, 22, 29, 18, 77, "old", grown, 1},
      {753, 1001, 22, 29, 18, 35, "key", grown, 1},
      {803, 1001, 22, 29, 18, 35, "key", grown, 1},
      {914, 1001, 22, 29, 18, 35, "key", grown, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    Image im;
    im.version = c.version;
    im.switches = {0, 1, 0};
    im.flags = std::vector<int32_t>(1000, 0);
    im.vars = Counting(c.vars, 1);
    ASSERT_TRUE(WriteFileBytes(kSlot1, SaveImage(im)));
    cSaveData s;
    s.m_nNextStartDir = 77;
    s.m_strStageKey = "old";
    s.m_vCommonVarBackup.assign(1, 7);
    ASSERT_EQ(s.Load(GetStoryPath(0).c_str()), 1);
    EXPECT_EQ(s.m_bStageBgmLoop, c.bgmLoop);
    EXPECT_EQ(s.m_bAutoSave, c.autoSave);
    EXPECT_EQ(s.m_nTotalHP, c.totalHP);
    EXPECT_EQ(s.m_nNextStartDir, c.nextStartDir);
    EXPECT_EQ(s.m_strStageKey, c.key);
    EXPECT_EQ(Plain(s.m_vCarrySwitch), c.switches);
    EXPECT_EQ(s.m_vFlag[0], c.flag0);
    // No stored variable is dropped and the list always reaches variable 1000.
    std::vector<int32_t> vars = Counting(c.vars, 1);
    vars.resize(1001, 0);
    EXPECT_EQ(Plain(s.m_vCommonVar), vars);
    const std::vector<int32_t> backup = c.version < 754 ? std::vector<int32_t>(1001, 0) : std::vector<int32_t>{7};
    EXPECT_EQ(Plain(s.m_vCommonVarBackup), backup);
  }
}

TEST_F(SaveDataTest, AStageBestOfAnOldFileTakesItsStageNameAsKey) {
  Image im;
  im.version = 758;
  im.stageBest = true;
  ASSERT_TRUE(WriteFileBytes(kSlot1, SaveImage(im)));
  cSaveData s;
  ASSERT_EQ(s.Load(GetStoryPath(0).c_str()), 1);
  ASSERT_EQ(s.m_vStageBest.size(), 1u);
  const cStageBestData& b = s.m_vStageBest[0];
  EXPECT_EQ(b.m_strStage, "data\\stg4\\Hill.");
  EXPECT_EQ(b.m_strKey, "data\\stg4\\Hill.");
  EXPECT_EQ(b.m_bVarSet, 0);
  EXPECT_EQ(b.m_nVarIndex, 0);
  EXPECT_EQ(b.m_nBest, 700);
}

TEST_F(SaveDataTest, NormalizeKeepsThePositionOnTheMapAndTheChallengeListAtTheSystemCount) {
  struct Case {
    int x, y, expectX, expectY;
  };
  // The default map is 20 x 15 with its start at (9, 7).
  for (Case c : {Case{19, 14, 19, 14}, Case{20, 3, 9, 3}, Case{4, 15, 4, 7}, Case{-1, -5, 9, 7}}) {
    cSaveData s;
    s.m_nMapX = c.x;
    s.m_nMapY = c.y;
    s.Normalize();
    EXPECT_EQ(s.m_nMapX, c.expectX) << c.x;
    EXPECT_EQ(s.m_nMapY, c.expectY) << c.y;
  }

  cSaveData s;
  s.Reset(2);
  s.m_vChallenge[1].m_nSecond = 55;
  g_SystemData.m_nChallengeNum = 4;
  s.Normalize();
  ASSERT_EQ(s.m_vChallenge.size(), 4u);
  EXPECT_EQ(s.m_vChallenge[1].m_nSecond, 55);
  EXPECT_EQ(s.m_vChallenge[3].m_nSecond, 0);
  s.m_nChallengeOpen = 4;
  g_SystemData.m_nChallengeNum = 1;
  s.Normalize();
  EXPECT_EQ(s.m_vChallenge.size(), 1u);
  EXPECT_EQ(s.m_nChallengeOpen, 1);
}

TEST_F(SaveDataTest, DamagedAndHugeCountsFailTheRead) {
  Image im;
  im.vars = Counting(1001, 1);
  std::vector<uint8_t> image = SaveImage(im);
  std::vector<uint8_t> cut(image.begin(), image.end() - 4);
  std::vector<uint8_t> huge = image;
  // The variable count claims far more than the file holds.
  const size_t countAt = image.size() - 4 * 1001 - 4;
  huge[countAt + 3] = 0x7F;
  for (const auto& bytes : {cut, huge}) {
    ASSERT_TRUE(WriteFileBytes(kSlot1, bytes));
    cSaveData s;
    EXPECT_EQ(s.Load(GetStoryPath(0).c_str()), 0);
  }
}

TEST_F(SaveDataTest, StoryPathsAndStageKeys) {
  EXPECT_EQ(GetStoryPath(0), "user_data\\story\\Story01.dat");
  EXPECT_EQ(GetStoryPath(98), "user_data\\story\\Story99.dat");

  struct Case {
    const char* file;
    int varSet, varIndex, varValue;
    const char* stage;
    const char* key;
    int multiPart;
  };
  const Case cases[] = {
      {"data\\stg4\\c03-1.stg4_914", 0, 0, 0, "data\\stg4\\c03.", "data\\stg4\\c03.", 1},
      {"Forest.stg4_914", 1, 5, 3, "Forest.", "Forest_c005_3.", 0},
      {"data\\stg4\\Forest.stg4_914", 1, 1234, -2, "data\\stg4\\Forest.", "data\\stg4\\Forest_c1234_-2.", 0},
      // The setting is only used when it is switched on.
      {"data\\stg4\\Forest.stg4_914", 0, 5, 3, "data\\stg4\\Forest.", "data\\stg4\\Forest.", 0},
      // The last "-1" counts, even one that is not a part number.
      {"a-1b-12.stg4_914", 0, 0, 0, "a-1b.", "a-1b.", 1},
      {"NoExtension", 1, 2, 0, "NoExtension", "NoExtension_c002_0", 0},
      {nullptr, 0, 0, 0, "", "", 0},
  };
  for (const Case& c : cases) {
    cSaveData s;
    s.m_bMultiPart = 1;
    s.SetStage(c.file, c.varSet, c.varIndex, c.varValue);
    SCOPED_TRACE(c.key);
    EXPECT_EQ(s.m_strStage, c.stage);
    EXPECT_EQ(s.m_strStageKey, c.key);
    EXPECT_EQ(s.m_bMultiPart, c.multiPart);
    EXPECT_EQ(s.m_bVarSet, c.varSet);
    EXPECT_EQ(s.m_nVarIndex, c.varIndex);
  }
}

TEST_F(SaveDataTest, StageBestsKeepTheHighestValuePerKeyAndTheTotalFollows) {
  cSaveData s;
  s.SetStageBest("A.", "A.", 0, 0, 0, 100);
  s.SetStageBest("A.", "A_c001_1.", 1, 1, 1, 40);
  EXPECT_EQ(s.m_nBestTotal, 140);
  s.SetStageBest("A.", "A.", 0, 0, 0, 100);  // a tie changes nothing
  s.SetStageBest("A.", "A.", 0, 0, 0, 90);
  EXPECT_EQ(s.m_nBestTotal, 140);
  EXPECT_EQ(s.GetStageBest("A."), 100);
  s.SetStageBest("A.", "A.", 0, 0, 0, 130);
  EXPECT_EQ(s.m_nBestTotal, 170);
  EXPECT_EQ(s.GetStageBest("A."), 130);
  EXPECT_EQ(s.GetStageBest("A_c001_1."), 40);
  EXPECT_EQ(s.GetStageBest("B."), 0);
  EXPECT_EQ(s.m_vStageBest.size(), 2u);

  // Only the bests of stages still on the world map count in the total.
  cMapPlace place;
  place.m_vNode[0].m_nKind = MAPNODE_STAGE;
  place.m_vNode[0].m_strStage = "A.stg4_914";
  g_WorldMapData.m_vPlace.push_back(place);
  s.UpdateTotal();
  EXPECT_EQ(s.m_nBestTotal, 130);
}

TEST_F(SaveDataTest, RestoreVarsPutsTheSnapshotBackAsTheSwitchesSay) {
  g_SystemData.m_bRestoreVarsStory = 1;
  g_SystemData.m_bRestoreVarsChallenge = 0;
  g_SystemData.m_bRestoreVarsFree = 1;
  g_SystemData.m_bRestoreVarsStartStage = 0;
  struct Case {
    int force, gameType, startStage;
    bool varsBack, lifeBack;
  };
  const Case cases[] = {
      {1, GAMETYPE_CHALLENGE, 1, true, true},  {0, GAMETYPE_STORY, 0, true, false},
      {0, GAMETYPE_CHALLENGE, 0, false, false}, {0, GAMETYPE_FREE, 0, true, false},
      {0, 3, 0, true, false},                   {0, GAMETYPE_FREE, 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.force << c.gameType << c.startStage);
    cSaveData s;
    s.m_vCommonVar.At(7) = 70;
    s.m_nLife = 3;
    s.m_nTotalScore = 500;
    s.SnapshotVars();
    s.m_vCommonVar.At(7) = 71;
    s.m_vCommonVar.push_back(5);
    s.m_nLife = 1;
    s.m_nTotalScore = 900;
    EXPECT_EQ(s.RestoreVars(c.force, c.gameType, c.startStage), 500);
    EXPECT_EQ(s.m_nTotalScore, 500);
    EXPECT_EQ(s.m_vCommonVar.At(7), c.varsBack ? 70 : 71);
    EXPECT_EQ(s.m_vCommonVar.size(), c.varsBack ? 1001u : 1002u);
    EXPECT_EQ(s.m_nLife, c.lifeBack ? 3 : 1);
  }
}

TEST_F(SaveDataTest, TheLivesRuleAfterLoadingFollowsTheGameType) {
  struct Case {
    int unlimited;
    int32_t stored, expectLife, expectStart;
  };
  g_SystemData.m_vStartLife.assign({5, 7, 5, 99});
  for (Case c : {Case{1, 3, kUnlimitedLife, kUnlimitedLife}, Case{0, kUnlimitedLife, 5, 2}, Case{0, 4, 4, 2}}) {
    SCOPED_TRACE(c.stored);
    cSaveData saved;
    saved.m_nLife = c.stored;
    saved.m_nStartLife = 2;
    ASSERT_EQ(saved.Save(GetStoryPath(0).c_str()), 1);
    ASSERT_EQ(saved.Save(g_DataPath[DATAPATH_CHALLENGE]), 1);
    g_SystemData.m_vLifeUnlimited.assign({c.unlimited, c.unlimited, 0, 0});

    cSaveData story;
    ASSERT_EQ(story.LoadStory(0), 1);
    EXPECT_EQ(story.m_nLife, c.expectLife);
    EXPECT_EQ(story.m_nStartLife, c.expectStart);
    cSaveData challenge;
    ASSERT_EQ(challenge.LoadChallenge(), 1);
    EXPECT_EQ(challenge.m_nLife, c.expectLife == 5 ? 7 : c.expectLife);
  }
}

TEST_F(SaveDataTest, SavingAStorySlotStampsTheTimeAndRefreshesItsEntry) {
  FakeLocalTime now(MakeTime(2024, 2, 29, 23, 59));
  g_SaveData.m_nScore = 4;
  g_SaveData.m_vCommonVar.At(1000) = 12;
  ASSERT_EQ(g_SaveData.SaveStory(2), 1);
  EXPECT_EQ(g_SaveSlotList[2].m_bUsed, 1);
  EXPECT_EQ(g_SaveSlotList[2].GetDateText(), "2024/02/29 23:59\n");
  EXPECT_EQ(g_SaveSlotList[1].m_bUsed, 0);

  cSaveData r;
  ASSERT_EQ(r.LoadStory(2), 1);
  EXPECT_EQ(r.m_nScore, 4);
  EXPECT_EQ(r.m_vCommonVar.At(1000), 12);
  EXPECT_EQ(r.m_SaveTime.wDay, 29);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
}

TEST_F(SaveDataTest, AFailedSaveIsReportedAndLeavesTheSlotEntryAndANewerFileAsTheyWere) {
  FakeLocalTime now(MakeTime(2024, 3, 1, 8, 0));
  g_SaveSlotList[0].m_bUsed = 0;
  // A file a newer program wrote is never replaced.
  ByteWriter newer;
  newer.U32(915).U32(0);
  ASSERT_TRUE(WriteFileBytes(kSlot1, newer.bytes));
  EXPECT_EQ(g_SaveData.SaveStory(0), 0);
  EXPECT_EQ(ReadFileBytes(kSlot1), newer.bytes);
  EXPECT_EQ(g_SaveSlotList[0].m_bUsed, 0);
  EXPECT_EQ(msgbox::TakeRecords().size(), 1u);

  // A folder that is missing fails the write; the entry keeps its old date.
  g_SaveSlotList[1].m_bUsed = 1;
  g_SaveSlotList[1].m_Time = MakeTime(2000, 1, 1, 0, 0);
  ASSERT_TRUE(RemoveGameFile("user_data\\story\\Story01.dat"));
  ASSERT_EQ(std::remove("user_data/story"), 0);
  EXPECT_EQ(g_SaveData.SaveStory(1), 0);
  EXPECT_EQ(g_SaveSlotList[1].GetDateText(), "2000/01/01 00:00\n");
  std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("Story02.dat"), std::string::npos);

  ASSERT_TRUE(MakeGameDirectory("user_data\\challenge\\Challenge.dat"));  // a folder in the file's place
  EXPECT_EQ(g_SaveData.SaveChallenge(), 0);
  EXPECT_EQ(msgbox::TakeRecords().size(), 1u);
}

// A limit on the size of written files acts as a full disk: the save fails with its message and the
// old file stays, in place of the limit's signal ending the program in the middle of the save.
TEST_F(SaveDataTest, ASaveOverAFileSizeLimitFailsAndKeepsTheOldFile) {
  g_SaveData.m_nScore = 1;
  ASSERT_EQ(g_SaveData.SaveStory(0), 1);
  const std::vector<uint8_t> before = ReadFileBytes(kSlot1);
  ASSERT_GT(before.size(), 64u);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{64, 64};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
    g_SaveData.m_nScore = 2;
    if (g_SaveData.SaveStory(0) != 0) ::_exit(11);
    const std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
    if (boxes.size() != 1 || boxes[0].text.find("Story01.dat の保存に失敗しました！") == std::string::npos) ::_exit(12);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(kSlot1), before);
  EXPECT_FALSE(GamePathExists(DataFileTempPath("user_data\\story\\Story01.dat")));
}

TEST_F(SaveDataTest, SavingLeavesTheVersionOfTheFileBeingReadAlone) {
  // A reader of a version-172 file is under way when the progress is saved: over no file, over a
  // file of this version, and refused over a newer one.
  ByteWriter newer;
  newer.U32(915).U32(0);
  for (int slot : {0, 0, 1}) {
    if (slot == 1) {
      ASSERT_TRUE(WriteFileBytes("user_data/story/Story02.dat", newer.bytes));
    }
    g_nFileDataVersion = 172;
    g_bDataFileTooNew = 0;
    EXPECT_EQ(g_SaveData.SaveStory(slot), slot == 1 ? 0 : 1);
    EXPECT_EQ(g_nFileDataVersion, 172u);
    EXPECT_EQ(g_bDataFileTooNew, 0);
  }
  EXPECT_EQ(ReadFileBytes("user_data/story/Story02.dat"), newer.bytes);
  msgbox::TakeRecords();
  DataFileInitGlobals();
}

TEST_F(SaveDataTest, AFailedLoadReportsFailureAndLeavesTheProgressUntouched) {
  cSaveData good;
  good.m_nLife = 8;
  ASSERT_EQ(good.Save(kSlot1), 1);
  std::vector<uint8_t> bytes = ReadFileBytes(kSlot1);
  bytes.resize(bytes.size() - 10);
  ByteWriter newer;
  newer.U32(915);
  newer.Raw(bytes.data() + 4, bytes.size() - 4);

  for (const auto& file : {std::vector<uint8_t>{}, bytes, newer.bytes}) {
    std::remove(kSlot1);
    std::remove("user_data/challenge/Challenge.dat");
    if (!file.empty()) {
      ASSERT_TRUE(WriteFileBytes(kSlot1, file));
      ASSERT_TRUE(WriteFileBytes("user_data/challenge/Challenge.dat", file));
    }
    cSaveData s;
    s.m_nLife = 2;
    s.m_vCommonVar.At(3) = 33;
    s.m_strStage = "keep.";
    EXPECT_EQ(s.LoadStory(0), 0);
    EXPECT_EQ(s.LoadChallenge(), 0);
    EXPECT_EQ(s.m_nLife, 2);
    EXPECT_EQ(s.m_vCommonVar.At(3), 33);
    EXPECT_EQ(s.m_strStage, "keep.");
  }
}

// The hero's definition with a distinct value in every carried member and one flow.
cCharaData CarriedChara() {
  cCharaData c;
  c.m_cGraphicKind = 2;
  c.m_sGraphic = 0;
  c.m_sGraphicSub = 3;
  c.m_sAnimeSet = 4;
  c.m_cLayer = 5;
  c.m_bHiddenStatus = 1;
  c.m_bFacingLock = 0;
  c.m_cMoveMode = 2;
  c.m_cInvincible = 1;
  c.m_cScale = 3;
  c.m_bScrollSync = 1;
  c.m_cSightMode = 1;
  c.m_cSight = 6;
  c.m_nMaxHP = 70;
  c.m_nMaxSP = 80;
  c.m_cBoxChoice = 2;
  c.m_nPower = 9;
  c.m_cImpact = 4;
  c.m_nDefence = 11;
  c.m_cImpactResist = 2;
  c.m_sFriction = 33;
  c.m_vFlow.resize(1);
  c.m_vFlow[0].m_nKey = 3;
  return c;
}

TEST_F(SaveDataTest, CarriedParametersAreStoredWhereAllowedAndPutBackWhereStored) {
  // The definition read back from the slot file keeps only database references that exist.
  g_Database.m_vAnimeSet.resize(5);
  g_Database.m_vCharaEffect.resize(7);
  g_SystemData.m_vCarryOver.assign(25, 1);
  g_SystemData.m_vCarryOver.At(8) = 0;   // scale not carried
  g_SystemData.m_vCarryOver.At(12) = 0;  // SP not carried
  cSaveData s;
  s.StoreCharaParams(0, CarriedChara(), 40, 50, 6, 1, 0, 120, 3, 17);
  EXPECT_EQ(s.m_bCarryOver, 1);
  EXPECT_EQ(s.m_vCarrySwitch.At(8), 0);
  EXPECT_EQ(s.m_vCarrySwitch.At(12), 0);
  EXPECT_EQ(s.m_vCarrySwitch.At(24), 1);

  // The store survives the slot file.
  ASSERT_EQ(s.SaveStory(0), 1);
  cSaveData r;
  ASSERT_EQ(r.LoadStory(0), 1);

  cCharaData hero;
  cStageData stage;
  r.m_nLife = 9;
  r.ApplyCharaParams(0, hero, stage);
  EXPECT_EQ(hero.m_cGraphicKind, 2);
  EXPECT_EQ(hero.m_sGraphic, 1);  // a stored graphic 0 becomes 1
  EXPECT_EQ(hero.m_sGraphicSub, 3);
  EXPECT_EQ(hero.m_sAnimeSet, 4);
  EXPECT_EQ(hero.m_cLayer, 5);
  EXPECT_EQ(hero.m_sStartEffect, 6);
  EXPECT_EQ(hero.m_cStartEffectType, 1);
  EXPECT_EQ(hero.m_bStartEffectLoop, 0);
  EXPECT_EQ(hero.m_cScale, 1);  // not stored: the definition's own
  EXPECT_EQ(hero.m_cSight, 6);
  EXPECT_EQ(hero.m_nMaxSP, 80);
  EXPECT_EQ(hero.m_sFriction, 33);
  ASSERT_EQ(hero.m_vFlow.size(), 1u);
  EXPECT_EQ(hero.m_vFlow[0].m_nKey, 3);
  EXPECT_EQ(stage.m_nTimeLimit, 120);
  EXPECT_EQ(stage.m_nBgm, 17);
  EXPECT_EQ(r.m_nLife, 3);

  int hp = 1, sp = 2;
  r.GetCarriedHpSp(0, &hp, &sp);
  EXPECT_EQ(hp, 40);
  EXPECT_EQ(sp, 2);

  // The groups the system resets are dropped when the hero is lost; without a store nothing applies.
  g_SystemData.m_vCarryReset.assign(25, 0);
  g_SystemData.m_vCarryReset.At(11) = 1;
  g_SystemData.m_vCarryReset.At(24) = 1;
  r.ClearCarryOver();
  EXPECT_EQ(r.m_vCarrySwitch.At(11), 0);
  EXPECT_EQ(r.m_vCarrySwitch.At(24), 0);
  EXPECT_EQ(r.m_vCarrySwitch.At(23), 1);
  hp = 1;
  r.GetCarriedHpSp(0, &hp, &sp);
  EXPECT_EQ(hp, 1);
  r.m_bCarryOver = 0;
  cCharaData plain;
  r.ApplyCharaParams(0, plain, stage);
  EXPECT_EQ(plain.m_nMaxHP, 10);
}

TEST_F(SaveDataTest, NextLapClearsTheFlagsAndReturnsToTheMapStart) {
  cSaveData s;
  s.m_vFlag.At(5) = 1;
  s.m_nMapX = 3;
  s.m_nMapY = 4;
  s.NextLap();
  EXPECT_EQ(s.m_nLap, 1);
  EXPECT_EQ(s.m_vFlag.At(5), 0);
  EXPECT_EQ(s.m_vFlag.At(0), 1);
  EXPECT_EQ(s.m_nMapX, 9);
  EXPECT_EQ(s.m_nMapY, 7);
}

TEST_F(SaveDataTest, TheRankTableCursorMovesAmongTheOfferedTables) {
  struct Case {
    std::vector<uint8_t> show;
    int from, steps, to;
  };
  const Case cases[] = {
      {{1, 0, 0, 1, 0}, 3, 1, 0},  {{1, 0, 0, 1, 0}, 3, -1, 0}, {{1, 0, 0, 1, 0}, 3, 0, 3},
      {{1, 0, 0, 1, 0}, 1, 0, 3},  {{1, 0, 0, 1, 0}, 0, 2, 0},  {{1, 1, 1, 1, 1}, 0, -2, 3},
      {{0, 0, 0, 0, 0}, 2, 1, 2},  {{0, 0, 1}, 7, 0, 2},
      // Numbers from damaged files at the ends of the int range wrap like any other.
      {{1, 0, 0, 1, 0}, INT_MAX, 0, 0}, {{1, 0, 0, 1, 0}, INT_MAX, 1, 0}, {{1, 0, 0, 1, 0}, INT_MIN, -1, 3},
  };
  for (const Case& c : cases) {
    g_SystemData.m_vRankSetting.At(1).m_vShow.assign(c.show.begin(), c.show.end());
    cSaveData s;
    s.m_nRankTable = c.from;
    s.MoveRankTableCursor(1, c.steps);
    EXPECT_EQ(s.m_nRankTable, c.to) << c.from << " " << c.steps;
  }
}

}  // namespace
