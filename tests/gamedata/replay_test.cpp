#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "authoring/stageauthor.h"
#include "core/datafile.h"
#include "core/paths.h"
#include "core/text.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/time/localtime.h"
#include "progress_fixture.h"
#include "replay_fixture.h"
#include "support/bytes.h"
#include "support/stage_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Frame {
  uint16_t dir;
  uint16_t button;
};

// Runs of held input, each channel changing on its own, with the high bit of the button word used.
std::vector<Frame> ScriptedInput() {
  std::vector<Frame> frames;
  const auto hold = [&](uint16_t dir, uint16_t button, int count) {
    for (int i = 0; i < count; ++i) frames.push_back({dir, button});
  };
  hold(0, 0, 12);
  hold(2, 0, 30);
  hold(2, 1, 3);
  hold(2 | 4, 1, 5);
  hold(2 | 4, 0x8000, 1);
  hold(0, 0x8000, 7);
  hold(1, 0xFFFF, 2);
  hold(8, 0, 1);
  hold(1, 2, 20);
  return frames;
}

std::vector<int> Ints(const cCheckedVector<int16_t>& v) { return {v.begin(), v.end()}; }
std::vector<int> Ints(const cCheckedVector<int32_t>& v) { return {v.begin(), v.end()}; }

// The record's body as the file holds it, after the data version.
Bytes RecordBody(int32_t seed, const std::vector<int16_t>& dir, const std::vector<int16_t>& button,
                 const std::vector<int32_t>& dirRun, const std::vector<int32_t>& buttonRun) {
  ByteWriter w;
  w.U32(1).I32(seed).U32(0);
  for (const auto* list : {&dir, &button}) {
    w.U32(static_cast<uint32_t>(list->size()));
    for (int16_t x : *list) w.I16(x);
  }
  for (const auto* list : {&dirRun, &buttonRun}) {
    w.U32(static_cast<uint32_t>(list->size()));
    for (int32_t x : *list) w.I32(x);
  }
  return w.bytes;
}

Bytes WithVersion(uint32_t version, const Bytes& body) {
  Bytes out = ByteWriter().U32(version).bytes;
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace

TEST(ReplayRecordTest, RunLengthCodesEachChannelAndPlaysBackFrameByFrame) {
  cReplayData rec;
  const std::vector<std::pair<int, int>> frames = {{0, 1}, {0, 1}, {4, 1}, {4, 0}, {4, 0}, {0, 2}};
  RecordFrames(rec, frames);
  EXPECT_EQ(Ints(rec.m_vDir), (std::vector<int>{0, 4, 0}));
  EXPECT_EQ(Ints(rec.m_vDirRun), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(Ints(rec.m_vButton), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(Ints(rec.m_vButtonRun), (std::vector<int>{3, 2, 1}));

  // A copy takes the recording but not the playback position: it plays from the start.
  int16_t words[2] = {0, 0};
  ASSERT_EQ(rec.Play(words), 0);
  cReplayData copy;
  copy = rec;
  for (cReplayData* r : {&rec, &copy}) {
    const size_t first = r == &rec ? 1 : 0;
    for (size_t i = first; i < frames.size(); ++i) {
      ASSERT_EQ(r->Play(words), 0) << i;
      EXPECT_EQ(words[0], frames[i].first) << i;
      EXPECT_EQ(words[1], frames[i].second) << i;
    }
    words[0] = words[1] = 77;
    EXPECT_EQ(r->Play(words), 1);
    EXPECT_EQ(words[0], 77);
    EXPECT_EQ(words[1], 77);
  }
  rec.Rewind();
  EXPECT_EQ(rec.Play(words), 0);
  EXPECT_EQ(words[0], 0);
  EXPECT_EQ(words[1], 1);

  rec.ClearRecording();
  EXPECT_TRUE(rec.m_vDir.empty() && rec.m_vDirRun.empty() && rec.m_vButton.empty() && rec.m_vButtonRun.empty());
  EXPECT_EQ(rec.Play(words), 1);
}

TEST(ReplayRecordTest, PlaybackEndsWithTheShorterChannelAndLongRunsNeverOverflow) {
  cReplayData rec;
  rec.m_vDir = {4};
  rec.m_vDirRun = {3};
  rec.m_vButton = {1, 2};
  rec.m_vButtonRun = {2, 3};
  int16_t words[2];
  int frames = 0;
  while (rec.Play(words) == 0) ++frames;
  EXPECT_EQ(frames, 3);

  rec.ClearRecording();
  rec.m_vDir = {4};
  rec.m_vDirRun = {INT32_MAX};
  rec.m_vButton = {0};
  rec.m_vButtonRun = {5};
  RecordFrames(rec, {{4, 0}});
  EXPECT_EQ(Ints(rec.m_vDir), (std::vector<int>{4, 4}));
  EXPECT_EQ(Ints(rec.m_vDirRun), (std::vector<int>{INT32_MAX, 1}));
  EXPECT_EQ(Ints(rec.m_vButtonRun), (std::vector<int>{6}));
}

class ReplayTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    ResetGameData();
    ASSERT_TRUE(MakeGameDirectory("user_data"));
    ASSERT_TRUE(MakeGameDirectory("user_data\\rpl4"));
  }
  void TearDown() override {
    ResetGameData();
    StageTest::TearDown();
  }
  static void ResetGameData() {
    ResetGameWideData();
  }

  // A live attempt on the stage "Forest": the settings as loaded differ from the stage as played,
  // the progress at its start is kept in g_ReplaySaveData, and the scripted input is recorded.
  void PlayScriptedAttempt(const std::vector<Frame>& script) {
    BuildSampleStage(g_StageData, 24, 16);
    g_StageData.m_strName = "Forest";
    g_PlayStageData.CopyPlaySettings(g_StageData);
    g_PlayStageData.ClearObjects();
    g_PlayStageData.m_nTimeLimit = 77;
    g_StageData.m_nTimeLimit = 12;  // changed during play
    g_SaveData.SetStage("data\\stg4\\Forest.stg4_914", 0, 0, 0);
    g_SaveData.m_nTotalScore = 1234;
    g_SaveData.m_vCommonVar.At(7) = 42;
    g_ReplaySaveData = g_SaveData;
    g_ReplayData.ClearRecording();
    g_ReplayData.m_nSeed = 0x5EED;
    for (const Frame& f : script) {
      const int16_t words[2] = {static_cast<int16_t>(f.dir), static_cast<int16_t>(f.button)};
      g_ReplayData.Record(words);
    }
  }
};

TEST_F(ReplayTest, RecordBodyLayoutAndDamagedBodies) {
  cReplayData rec;
  rec.m_nSeed = -3;
  RecordFrames(rec, {{4, 1}, {4, 1}, {8, 1}});
  ASSERT_EQ(rec.Save("rec.bin"), 1);
  EXPECT_EQ(ReadFileBytes("rec.bin"), WithVersion(914, RecordBody(-3, {4, 8}, {1}, {2, 1}, {3})));

  // Word and run lists stored with count 0 leave the lists as they were.
  ASSERT_TRUE(WriteFileBytes("empty.bin", WithVersion(914, RecordBody(6, {}, {}, {}, {}))));
  ASSERT_EQ(rec.Load("empty.bin"), 1);
  EXPECT_EQ(rec.m_nSeed, 6);
  EXPECT_EQ(Ints(rec.m_vDir), (std::vector<int>{4, 8}));
  EXPECT_EQ(Ints(rec.m_vButtonRun), (std::vector<int>{3}));

  struct Case {
    const char* what;
    Bytes body;
  };
  Bytes huge = RecordBody(1, {}, {}, {}, {});
  huge[12] = 0xFF;  // the direction count
  huge[13] = 0xFF;
  const Case cases[] = {
      {"a run list shorter than its words", RecordBody(1, {4, 8}, {1}, {2}, {3})},
      {"a run list longer than its words", RecordBody(1, {4}, {1}, {2}, {3, 1})},
      {"a run of no frames", RecordBody(1, {4, 8}, {1}, {2, 0}, {3})},
      {"a negative run", RecordBody(1, {4}, {1}, {2}, {-1})},
      {"a count beyond the file", huge},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes("bad.bin", WithVersion(914, c.body)));
    cReplayData bad;
    EXPECT_EQ(bad.Load("bad.bin"), 0) << c.what;
  }
}

TEST_F(ReplayTest, ScriptedAttemptSavedLoadedAndPlayedBackWordForWord) {
  const std::vector<Frame> script = ScriptedInput();
  PlayScriptedAttempt(script);
  const size_t blocks = g_StageData.m_vBlock.size();
  ASSERT_EQ(g_ReplayData.SaveFile("attempt.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 1);
  const Bytes saved = ReadFileBytes("attempt.rpl4_914");

  SetOtherLiveState();
  g_ReplayData.m_nFileVersion = 1;
  ASSERT_EQ(g_ReplayData.LoadFile("attempt.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  EXPECT_EQ(g_ReplayData.m_nSeed, 0x5EED);
  EXPECT_EQ(g_ReplayData.m_nFileVersion, 914u);
  // The stage as loaded: its objects and the settings it had before play changed them.
  EXPECT_EQ(g_StageData.m_strName, "Forest");
  EXPECT_EQ(g_StageData.m_nWidth, 24);
  EXPECT_EQ(g_StageData.m_nTimeLimit, 77);
  EXPECT_EQ(g_StageData.m_vBlock.size(), blocks);
  ASSERT_NE(g_StageData.FindHero(), -1);
  EXPECT_EQ(g_StageData.m_vChara.At(g_StageData.FindHero()).m_sCellY, 14);
  EXPECT_EQ(g_PlayStageData.m_strName, "Forest");
  EXPECT_EQ(g_PlayStageData.m_nTimeLimit, 77);
  EXPECT_TRUE(g_PlayStageData.m_vChara.empty());
  EXPECT_EQ(g_SaveData.m_nTotalScore, 1234);
  EXPECT_EQ(g_SaveData.m_vCommonVar.At(7), 42);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\Forest.");

  // Saved again, the loaded replay is the same file.
  ASSERT_EQ(g_ReplayData.SaveFile("again.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  EXPECT_EQ(ReadFileBytes("again.rpl4_914"), saved);

  // Playback gives back the recorded words, frame by frame, and ends after the last.
  for (size_t i = 0; i < script.size(); ++i) {
    int16_t words[2] = {0xAA, 0xBB};
    ASSERT_EQ(g_ReplayData.Play(words), 0) << "frame " << i;
    ASSERT_EQ(static_cast<uint16_t>(words[0]), script[i].dir) << "frame " << i;
    ASSERT_EQ(static_cast<uint16_t>(words[1]), script[i].button) << "frame " << i;
  }
  int16_t words[2];
  EXPECT_EQ(g_ReplayData.Play(words), 1);
}

TEST_F(ReplayTest, FileWithoutSnapshotKeepsProgressAndItsVersionStaysWithTheRecord) {
  // No result lines stored: the stage's defaults, never those of the stage loaded before.
  Bytes file = OldStageFile{172, {}}.Bytes();
  g_StageData.m_vResultLine.assign(kResultLineCount, 0);
  const Bytes body = RecordBody(31, {4, 0}, {1}, {2, 2}, {4});
  file.insert(file.end(), body.begin(), body.end());
  ASSERT_TRUE(WriteFileBytes("old.rpl4_172", file));
  g_SaveData.m_nTotalScore = 55;

  ASSERT_EQ(g_ReplayData.LoadFile("old.rpl4_172", g_StageData, g_PlayStageData, g_SaveData), 1);
  EXPECT_EQ(g_StageData.m_strName, "Old");
  EXPECT_EQ(g_PlayStageData.m_strName, "Old");
  EXPECT_EQ(Ints(g_StageData.m_vResultLine), (std::vector<int>{1, 1, 1, 0, 0}));
  EXPECT_EQ(g_ReplayData.m_nSeed, 31);
  EXPECT_EQ(Ints(g_ReplayData.m_vDir), (std::vector<int>{4, 0}));
  EXPECT_EQ(g_SaveData.m_nTotalScore, 55);
  EXPECT_EQ(g_ReplayData.m_nFileVersion, 172u);

  // A later read of a newer file, and the record rolled into the previous attempt, keep it.
  PlayScriptedAttempt({{1, 1}});
  ASSERT_EQ(g_ReplayData.SaveFile("new.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 1);
  ASSERT_EQ(g_ReplayData.LoadFile("old.rpl4_172", g_StageData, g_PlayStageData, g_SaveData), 1);
  g_PrevReplayData = g_ReplayData;
  ASSERT_EQ(g_ReplayData.LoadFile("new.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  EXPECT_EQ(g_nFileDataVersion, 914u);
  EXPECT_EQ(g_PrevReplayData.m_nFileVersion, 172u);
  EXPECT_EQ(g_ReplayData.m_nFileVersion, 914u);
}

TEST_F(ReplayTest, ListsStoredEmptyInAReplayFileKeepTheLiveRecording) {
  PlayScriptedAttempt({});
  g_ReplayData.m_nSeed = 7;
  ASSERT_EQ(g_ReplayData.SaveFile("empty.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 1);

  SetOtherLiveState();
  ASSERT_EQ(g_ReplayData.LoadFile("empty.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  EXPECT_EQ(g_ReplayData.m_nSeed, 7);
  EXPECT_EQ(Ints(g_ReplayData.m_vDir), (std::vector<int>{1, 2}));
  EXPECT_EQ(Ints(g_ReplayData.m_vDirRun), (std::vector<int>{2, 1}));
  EXPECT_EQ(Ints(g_ReplayData.m_vButton), (std::vector<int>{0, 4}));
  EXPECT_EQ(Ints(g_ReplayData.m_vButtonRun), (std::vector<int>{2, 1}));
  EXPECT_EQ(g_StageData.m_strName, "Forest");
}

TEST_F(ReplayTest, FailedLoadChangesNothingAndDoesNotClose) {
  PlayScriptedAttempt(ScriptedInput());
  ASSERT_EQ(g_ReplayData.SaveFile("good.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 1);
  const Bytes good = ReadFileBytes("good.rpl4_914");
  g_ReplayData.m_vDirRun.pop_back();
  ASSERT_EQ(g_ReplayData.SaveFile("runs.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 1);
  ASSERT_TRUE(g_ReplaySaveData.Save("snapshot.bin"));
  const size_t snapshot = ReadFileBytes("snapshot.bin").size() - 4;

  struct Case {
    const char* what;
    Bytes bytes;  // empty: no file
    bool tooNew = false;
  };
  Bytes newer = good;
  newer[0] = 0x93;  // 915
  newer[1] = 0x03;
  const auto cut = [&](size_t size) { return Bytes(good.begin(), good.begin() + static_cast<long>(size)); };
  const Case cases[] = {
      {"missing", {}},
      {"newer than the program", newer, true},
      {"cut in the stage", cut(200)},
      {"cut in the recording", cut(good.size() - snapshot - 3)},
      {"cut in the progress", cut(good.size() - 1)},
      {"runs that do not pair with the words", ReadFileBytes("runs.rpl4_914")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveGameFile("bad.rpl4_914");
    if (!c.bytes.empty()) {
      ASSERT_TRUE(WriteFileBytes("bad.rpl4_914", c.bytes));
    }
    SetOtherLiveState();
    int16_t words[2];
    ASSERT_EQ(g_ReplayData.Play(words), 0);
    const Bytes before = LiveState();

    EXPECT_EQ(g_ReplayData.LoadFile("bad.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 0);
    EXPECT_EQ(LiveState(), before);
    EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\Live.stg4_914");
    EXPECT_EQ(g_ReplayData.m_nFileVersion, 914u);
    EXPECT_EQ(g_ReplayData.m_nDirCount, 1);  // the playback goes on where it was
    EXPECT_EQ(TakeCloseRequests(), 0);
    const std::vector<std::string> boxes = TakeBoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("bad.rpl4_914"), std::string::npos);
    EXPECT_EQ(boxes[0].find("上位") != std::string::npos, c.tooNew);
  }
}

TEST_F(ReplayTest, FailedSaveIsReportedAndDoesNotClose) {
  PlayScriptedAttempt(ScriptedInput());
  EXPECT_EQ(g_ReplayData.SaveFile("no_such_folder\\a.rpl4_914", g_StageData, g_PlayStageData, g_ReplaySaveData), 0);
  EXPECT_FALSE(GamePathExists("no_such_folder"));
  EXPECT_EQ(TakeCloseRequests(), 0);
  const std::vector<std::string> boxes = TakeBoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("a.rpl4_914"), std::string::npos);
}

TEST_F(ReplayTest, ProposedNameCarriesStageKeyAndTimeAndCountsPastTakenNames) {
  const FakeLocalTime clock(MakeTime(2026, 12, 8, 19, 51));
  const auto absolute = [](std::string path) {
    PathToAbsolute(path);
    return path;
  };
  std::string out;
  g_SaveData.SetStage("data\\stg4\\Forest.stg4_914", 0, 0, 0);
  EXPECT_EQ(ReplayFileExt(), "rpl4_914");
  ASSERT_EQ(MakeReplayPath(out, g_SaveData.m_strStage.c_str()), 1);
  EXPECT_EQ(out, absolute("user_data\\rpl4\\Forest__2026__12_08__19_51.rpl4_914"));

  for (int n = 2; n <= 3; ++n) {
    ASSERT_TRUE(WriteFileBytes(ResolveHostPath(out), {1}));
    MakeReplayPath(out, g_SaveData.m_strStage.c_str());
    EXPECT_EQ(out, absolute(StrPrintf("user_data\\rpl4\\Forest__2026__12_08__19_51 (%d).rpl4_914", n)));
  }

  g_SaveData.SetStage("data\\stg4\\Forest.stg4_914", 1, 5, 3);
  MakeReplayPath(out, g_SaveData.m_strStage.c_str());
  EXPECT_EQ(out, absolute("user_data\\rpl4\\Forest_c005_3__2026__12_08__19_51.rpl4_914"));

  MakeReplayPath(out, "");
  EXPECT_EQ(out, absolute(""));
}

TEST_F(ReplayTest, ProposedNameStopsCountingAt999) {
  const FakeLocalTime clock(MakeTime(2026, 12, 8, 19, 51));
  g_SaveData.SetStage("data\\stg4\\Forest.stg4_914", 0, 0, 0);
  const std::string base = "user_data/rpl4/Forest__2026__12_08__19_51";
  const auto take = [&](int n) {
    const std::string name = n < 2 ? base + ".rpl4_914" : StrPrintf("%s (%d).rpl4_914", base.c_str(), n);
    ASSERT_TRUE(WriteFileBytes(name, {}));
  };
  std::string out;
  for (int n = 1; n <= 998; ++n) take(n);
  MakeReplayPath(out, g_SaveData.m_strStage.c_str());
  EXPECT_NE(out.find("19_51 (999).rpl4_914"), std::string::npos) << out;

  // With every name up to 999 taken, the name for 999 is proposed again.
  take(999);
  MakeReplayPath(out, g_SaveData.m_strStage.c_str());
  EXPECT_NE(out.find("19_51 (999).rpl4_914"), std::string::npos) << out;
}
