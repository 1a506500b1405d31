#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/thread.h"
#include "platform/win/messages.h"
#include "support/stage_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kReadFailed = "ステージファイル %s の読み込みに失敗しました！";
const char* const kDamaged = "ステージファイル %s が破損しています！";
const char* const kTooNew = "%s の読み込みに失敗しました！\n実行ファイル(.exe)より上位のバージョンのファイルは使用できません。";
const char* const kNoHero = "主人公が配置されていないのでプレイできません！";

// The sample stage, changed by `change`, as its file holds it.
Bytes SampleStageBytes(const std::function<void(cStageData&)>& change = {}) {
  cStageData stage;
  BuildSampleStage(stage);
  if (change) change(stage);
  return StageFileBytes(stage);
}

class StageLoadTest : public StageTest {
 protected:
  // A stage loaded for play as a scene loads it, which a failed load must leave in place.
  void LoadPrevious() {
    ASSERT_TRUE(SaveSampleStage("prev.stg4_001", "Previous"));
    ASSERT_EQ(LoadStageForPlay("prev.stg4", 1, &g_PlayStageData, &g_HeroCharaData), 1);
    ASSERT_EQ(g_StageData.m_strName, "Previous");
  }
  void ExpectPreviousInPlace() {
    EXPECT_EQ(g_StageData.m_strName, "Previous");
    EXPECT_EQ(g_StageData.m_vBlock.Size(), 20);
    EXPECT_EQ(g_StageData.m_vChara.Size(), 2);
    EXPECT_EQ(g_PlayStageData.m_strName, "Previous");
    EXPECT_EQ(g_HeroCharaData.m_sCellX, 2);
  }
};

}  // namespace

TEST_F(StageLoadTest, NumberedNameLoadsTheHighestFileAndFillsSettingsAndHero) {
  ASSERT_TRUE(SaveSampleStage("Forest.stg4_100", "old"));
  ASSERT_TRUE(SaveSampleStage("Forest.stg4_914", "new"));
  ASSERT_TRUE(SaveSampleStage("Forest.stg4_95", "not three digits"));

  ASSERT_EQ(LoadStageForPlay("Forest.stg4", 1, &g_PlayStageData, &g_HeroCharaData), 1);
  EXPECT_EQ(g_StageData.m_strPath, "Forest.stg4_914");
  EXPECT_EQ(g_StageData.m_bFindNumbered, 1);
  EXPECT_EQ(g_StageData.m_bLoadDone, 1);
  EXPECT_EQ(g_StageData.m_strName, "new");
  EXPECT_EQ(g_StageData.m_vBlock.Size(), 20);
  EXPECT_EQ(g_StageData.m_vPalBlock.Size(), 2);

  // The settings copy keeps the settings without any object or palette entry.
  EXPECT_EQ(g_PlayStageData.m_strName, "new");
  EXPECT_EQ(g_PlayStageData.m_nWidth, 20);
  EXPECT_EQ(g_PlayStageData.m_vBackLayer.Size(), 1);
  EXPECT_EQ(g_PlayStageData.m_vResultLine.Size(), 5);
  for (cPaletteRef lists : {g_PlayStageData.Palette(), g_PlayStageData.Placed()}) {
    EXPECT_TRUE(lists.m_vBlock.empty());
    EXPECT_TRUE(lists.m_vChara.empty());
    EXPECT_TRUE(lists.m_vItem.empty());
  }
  // The hero is the placed player character, not the computer one.
  EXPECT_EQ(g_HeroCharaData.m_cOperation, 0);
  EXPECT_EQ(g_HeroCharaData.m_sCellX, 2);
  EXPECT_EQ(g_HeroCharaData.m_sCellY, 13);
  EXPECT_TRUE(TakeBoxTexts().empty());
  EXPECT_EQ(TakeCloseRequests(), 0);

  // Without the search the name is the file; the destinations are optional.
  ASSERT_EQ(LoadStageForPlay("Forest.stg4_100", 0, nullptr, nullptr), 1);
  EXPECT_EQ(g_StageData.m_strName, "old");
  EXPECT_EQ(g_StageData.m_bFindNumbered, 0);
  EXPECT_EQ(g_PlayStageData.m_strName, "new");
}

TEST_F(StageLoadTest, StageReadForPlayTakesItsOwnPaletteAndSubSteps) {
  // A stage whose placed block names entry 2 of its own palette, and whose stored sub-step values
  // are not yet those of its collision level. The live stage's palette is as large while it is
  // written, so that the writer keeps the reference.
  g_StageData.ResizePalBlock(3);
  cStageData own;
  BuildSampleStage(own);
  own.m_strName = "Own palette";
  own.ResizePalBlock(3);
  own.m_vPalBlock[2].m_sGraphic = 7;
  own.m_vBlock[0].m_cPalKind = PAL_STAGE;
  own.m_vBlock[0].m_sPalIndex = 2;
  own.m_nCollisionLevel = 13;
  ASSERT_EQ(own.Save("own.stg4"), 1);
  ASSERT_EQ(own.m_nStepsPerFrame, 10);

  // The stage in play has a palette of 2 blocks and the sub-steps of level 10 while the file reads.
  ResetStages();
  LoadPrevious();
  ASSERT_EQ(LoadStageForPlay("own.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 1);
  EXPECT_EQ(g_StageData.m_strName, "Own palette");
  EXPECT_EQ(g_StageData.m_vPalBlock.Size(), 3);
  EXPECT_EQ(g_StageData.m_vBlock[0].m_cPalKind, PAL_STAGE);
  EXPECT_EQ(g_StageData.m_vBlock[0].m_sPalIndex, 2);
  EXPECT_EQ(g_StageData.m_nStepsPerFrame, 3);
  EXPECT_EQ(g_StageData.m_nStepsPer6Frames, 18);
  EXPECT_EQ(StagePalette().m_vBlock.Size(), 3);
}

TEST_F(StageLoadTest, NameWithoutNumberedFileFailsSilently) {
  LoadPrevious();
  ASSERT_TRUE(SaveSampleStage("Lake.stg4", "unnumbered"));
  EXPECT_EQ(LoadStageForPlay("Lake.stg4", 1, &g_PlayStageData, &g_HeroCharaData), 0);
  EXPECT_TRUE(TakeBoxTexts().empty());
  EXPECT_EQ(TakeCloseRequests(), 0);
  ExpectPreviousInPlace();
}

TEST_F(StageLoadTest, RefusedStageReportsItselfAndLeavesThePreviousStage) {
  struct Case {
    const char* what;
    std::function<Bytes()> file;  // null: no file
    const char* message;
    int closes;
  };
  const std::vector<Case> cases = {
      {"trailer changed", [] { Bytes b = SampleStageBytes(); b.back() ^= 1; return b; }, kDamaged, 1},
      {"shorter than version and trailer", [] { return ByteWriter().U32(914).U16(0).bytes; }, kDamaged, 1},
      {"cut short with its trailer",
       [] {
         Bytes b = SampleStageBytes();
         Bytes cut(b.begin(), b.begin() + 900);
         cut.insert(cut.end(), b.end() - 4, b.end());
         return cut;
       },
       kReadFailed, 0},
      {"damaged file of version 173 (no trailer check)",
       [] {
         OldStageFile old{173};
         old.trailer = false;
         return old.Bytes();
       },
       kReadFailed, 0},
      {"newer than the program",
       [] {
         Bytes b = SampleStageBytes();
         b[0] = 0x93;  // 915
         return b;
       },
       kTooNew, 0},
      {"missing", nullptr, kReadFailed, 0},
      {"map wider than a grid can be", [] { return SampleStageBytes([](cStageData& s) { s.m_nWidth = 40000; }); },
       kReadFailed, 0},
      {"map of negative height", [] { return SampleStageBytes([](cStageData& s) { s.m_nHeight = -1; }); },
       kReadFailed, 0},
      {"only player character has no graphic",
       [] { return SampleStageBytes([](cStageData& s) { s.m_vChara[0].m_sGraphic = 0; }); }, kNoHero, 1},
      {"every character computer-operated",
       [] { return SampleStageBytes([](cStageData& s) { s.m_vChara[0].m_cOperation = 1; }); }, kNoHero, 1},
  };
  LoadPrevious();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveGameFile("bad.stg4");
    if (c.file) {
      ASSERT_TRUE(WriteFileBytes("bad.stg4", c.file()));
    }
    EXPECT_EQ(LoadStageForPlay("bad.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 0);
    EXPECT_EQ(TakeBoxTexts(), std::vector<std::string>{StrPrintf(c.message, "bad.stg4")});
    EXPECT_EQ(TakeCloseRequests(), c.closes);
    EXPECT_EQ(g_StageData.m_strPath, "bad.stg4");
    ExpectPreviousInPlace();
  }
}

TEST_F(StageLoadTest, FileCheckLooksAtTheTrailerFromVersion174) {
  struct Case {
    uint32_t version;
    int32_t last;
    int passes;
  };
  for (const Case& c : {Case{173, 0, 1}, Case{174, kStageTrailer, 1}, Case{174, 0, 0}, Case{914, 1, 0}}) {
    SCOPED_TRACE(c.version);
    ASSERT_TRUE(WriteFileBytes("check.stg4", ByteWriter().U32(c.version).I32(0).I32(c.last).bytes));
    EXPECT_EQ(CheckStageFile("check.stg4"), c.passes);
    EXPECT_EQ(TakeCloseRequests(), 1 - c.passes);
    EXPECT_EQ(TakeBoxTexts().size(), static_cast<size_t>(1 - c.passes));
  }
  EXPECT_EQ(CheckStageFile("missing.stg4"), 1);  // its load reports it
}

TEST_F(StageLoadTest, LoadingStartsFromANewStage) {
  // What an older file does not store, and a stored empty result-line list, never come from the
  // stage loaded before.
  g_StageData.m_vResultLine.assign(5, 0);
  g_StageData.m_bStartBanner = 1;
  OldStageFile old{914};
  old.resultLines.clear();
  ASSERT_TRUE(WriteFileBytes("old.stg4", old.Bytes()));
  g_StageData.m_strPath = "old.stg4";
  LoadStageProc(nullptr);
  ASSERT_EQ(g_StageData.m_bLoadDone, 1);
  EXPECT_EQ(g_StageData.m_vResultLine, (cCheckedVector<int32_t>{1, 1, 1, 1, 1}));
  EXPECT_EQ(g_StageData.m_strPath, "old.stg4");
}

TEST_F(StageLoadTest, QuitMessageStopsTheReaderAtItsNextRecord) {
  ASSERT_TRUE(SaveSampleStage("quit.stg4", "quit"));
  g_StageData.m_strPath = "quit.stg4";
  ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 0, 0));
  LoadStageProc(nullptr);
  EXPECT_EQ(g_StageData.m_bLoadDone, 0);
  // The message stays for the thread's own loop.
  MSG msg;
  EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  // Read outside a load for play, the same file does not look at the queue.
  ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 0, 0));
  cStageData stage;
  EXPECT_EQ(stage.Load("quit.stg4"), 1);
  EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(StageLoadTest, LoadingThreadToldToQuitInsideTheFileEndsAtOnce) {
  ASSERT_TRUE(SaveSampleStage("big.stg4", "big", 20000, 15));
  g_StageData.m_strPath = "big.stg4";
  ASSERT_EQ(thLoad.Start(&LoadStageProc, nullptr), 1);
  // It parks between two records of the file, and takes the quit message when it goes on.
  ASSERT_TRUE(thLoad.Suspend());
  ASSERT_EQ(WaitForSingleObject(thLoad.m_hThread, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(PostThreadMessage(thLoad.m_dwThreadId, WM_QUIT, 0, 0));
  const int abandoned = AbandonedThreadCount();
  thLoad.Exit();
  EXPECT_EQ(AbandonedThreadCount(), abandoned);  // it ended within Exit's polls
  EXPECT_EQ(g_StageData.m_bLoadDone, 0);
}

TEST_F(StageLoadTest, QuitWhileLoadingEndsTheLoadingThreadAndKeepsThePreviousStage) {
  LoadPrevious();
  // Big enough that reading it lasts far longer than the first look at the queue.
  ASSERT_TRUE(SaveSampleStage("big.stg4", "big", 20000, 15));
  const int abandoned = AbandonedThreadCount();
  ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_QUIT, 0, 0));

  EXPECT_EQ(LoadStageForPlay("big.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 0);
  EXPECT_EQ(g_StageData.m_bLoadDone, 0);  // it stopped before the end of the file
  EXPECT_EQ(AbandonedThreadCount(), abandoned);
  EXPECT_EQ(thLoad.m_hThread, nullptr);
  EXPECT_TRUE(TakeBoxTexts().empty());
  ExpectPreviousInPlace();
  const Bytes log = ReadFileBytes("DI_Zaze.txt");
  EXPECT_NE(std::string(log.begin(), log.end()).find("msg.message == WM_QUIT"), std::string::npos);
}
