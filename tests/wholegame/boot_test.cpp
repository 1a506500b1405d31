// The program started at its entry on the demo game, headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "gamefolder/gamefolder.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "platform/fs/path.h"
#include "platform/thread/thread.h"
#include "shell/appdialogs.h"
#include "shell/startupsetting.h"
#include "shell/wndplacement.h"
#include "platform/win/winapp.h"
#include "support/bytes.h"
#include "support/test_logs.h"
#include "wholegame_fixture.h"

TEST_F(WholeGameTest, TheHeadlessPlayerBootsTheDemoAndClosesAfterItsFrames) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun run;
  run.frameLimit = 5;
  EXPECT_EQ(run.Run(), 0) << ::testing::PrintToString(LogLines("Report_Game.txt"));
  const std::vector<HeadlessFrame> frames = run.Frames();
  EXPECT_GE(frames.size(), 5u);
  for (const HeadlessFrame& f : frames) EXPECT_EQ(f.scene, SCENE_TITLE);
  // No box: the start found every file it needs, and closing from the title asks nothing.
  std::vector<std::string> captions;
  for (const MessageBoxRecord& box : run.Boxes()) captions.push_back(box.caption + ": " + box.text);
  EXPECT_TRUE(captions.empty()) << ::testing::PrintToString(captions);
  // The report log holds the graphics start-up's lines.
  const std::vector<std::string> report = LogLines("Report_Game.txt");
  EXPECT_NE(std::find(report.begin(), report.end(), "Mode : Window"), report.end());
}

// A damaged file of the game folder or of the player's own files: start-up either refuses with the
// file's message (a box, no frame) or the game goes on without the resource, telling of it where its
// reader does (a box or the report log). The player's files are written whole first;
// files read only when the game reaches them get the input that gets there. Never a crash or a hang.
TEST_F(WholeGameTest, DamagedFilesEndTheStartWithTheirMessageOrAreDoneWithout) {
  enum Outcome { kNoStart, kCloses, kGoesOn };
  enum Where { kNone, kBox, kReport };
  constexpr size_t kWhole = ~size_t{0};
  struct Case {
    const char* file;
    size_t keep;  // bytes kept of the file; the rest become garbage of the same length
    Outcome outcome;
    Where where;          // where the message shows
    const char* message;  // the message, when it has one
    // Writes the file whole when the demo has none, and sets up the input that reaches its reader.
    std::function<void(GameFolder&, HeadlessRun&)> prepare;
    std::function<void()> after = nullptr;  // a look at what the run left
  };
  // The title's rows: new game, continue, replay, options, end.
  auto titleRow = [&](HeadlessRun& run, int row) {
    for (int i = 0; i < row; ++i) Press(run, {{60 + 6 * i, VK_DOWN}});
    Press(run, {{75, 'Z'}});
  };
  const Case cases[] = {
      {"data\\System.dat", 8, kNoStart, kBox, "data\\System.dat の読み込みに失敗…", nullptr},
      {"data\\database\\Effect.dat", 8, kNoStart, kBox, "データベースの読み込みに失敗…", nullptr},
      {"data\\WorldMap.dat", 12, kNoStart, kBox, "data\\WorldMap.dat のロードに失敗！", nullptr},
      {"data\\CommonPalette.cplt4", 12, kNoStart, kBox, "data\\CommonPalette.cplt4 のロードに失敗！", nullptr},
      {"bmp\\plt\\Palette.bmp", 12, kNoStart, kBox, "bmp\\plt\\Palette.bmp の読み込みに失敗！", nullptr},
      // Read when the title scene begins: the program closes there.
      {"bmp\\Title.bmp", 12, kCloses, kBox, "bmp\\Title.bmp の読み込みに失敗！", nullptr},
      {"wave\\sys00.wav", 4, kGoesOn, kNone, nullptr, nullptr},
      {"bgm\\Demo.mid", 4, kGoesOn, kNone, nullptr, nullptr},
      {"data\\stg4\\Meadow.stg4_914", 16, kGoesOn, kNone, nullptr, nullptr},  // read only when played
      // Lines that are no setting among the settings: kept whole (no bytes are damaged).
      {"System.ini", kWhole, kGoesOn, kNone, nullptr,
       [](GameFolder& f, HeadlessRun&) {
         f.systemIni = "\x81\x9f\xfd garbage\r\nWindowMode=1\r\n=7\r\nNoSuchKey=3\r\nDirect3D\r\nDirect3D=1\r\n;x=\r\n\r\n";
       }},
      {"user_data\\Option.dat", 8, kGoesOn, kNone, nullptr,
       [](GameFolder&, HeadlessRun&) { ASSERT_EQ(cOptionData().Save("user_data\\Option.dat"), 1); }},
      {"user_data\\KeyConfig.dat", 0, kGoesOn, kNone, nullptr,
       [](GameFolder&, HeadlessRun&) {
         ASSERT_TRUE(WriteFileBytes(ResolveHostPath("user_data\\KeyConfig.dat"), std::vector<uint8_t>(108, 0)));
       }},
      {"user_data\\Window.dat", 8, kGoesOn, kNone, nullptr,
       [](GameFolder&, HeadlessRun&) { ASSERT_EQ(cWndPlacement().Save("user_data\\Window.dat"), 1); }},
      {"user_data\\Boot.dat", 8, kGoesOn, kNone, nullptr,
       [](GameFolder& f, HeadlessRun& run) {
         f.systemIni = "WindowMode=1\r\nDirect3D=2\r\n";
         cStartupSetting asked;
         asked.m_nDrawMode = 1;
         asked.m_bNoAsk = 1;
         ASSERT_EQ(asked.Save("user_data\\Boot.dat"), 1);
         // The damaged record falls back to asking: the dialog is answered "Direct3D, ask again".
         run.dialogAnswers.push_back({IDD_STARTUP, 1, "1 0"});
       },
       [] {
         cStartupSetting saved;
         ASSERT_EQ(saved.Load("user_data\\Boot.dat"), 1) << "the dialog's answer was not saved";
         EXPECT_EQ(saved.m_nDrawMode, 1);
         EXPECT_EQ(saved.m_bNoAsk, 0);
       }},
      {"user_data\\story\\Story01.dat", 12, kGoesOn, kReport,
       "user_data\\story\\Story01.dat の読み込みに失敗しました！",
       [&](GameFolder&, HeadlessRun& run) {
         MakeGameDirectory("user_data\\story");
         ASSERT_EQ(cSaveData().Save("user_data\\story\\Story01.dat"), 1);
         titleRow(run, 1);
         Press(run, {{105, 'Z'}});  // the first slot
       }},
      // Read when the stage named in "System.ini" is set up: it is played with an empty ranking.
      {"user_data\\free\\Meadow.rkg", 12, kGoesOn, kNone, nullptr,
       [](GameFolder& f, HeadlessRun& run) {
         f.systemIni += "FreeStage=data\\stg4\\Meadow.stg4_914\r\n";
         MakeGameDirectory("user_data\\free");
         cRankingData ranking;
         ranking.Reset();
         ASSERT_EQ(ranking.Save("user_data\\free\\Meadow.rkg"), 1);
         run.frameLimit = 20;
       }},
      // Chosen from the title's replay entry: its load failure closes the program.
      {"user_data\\rpl4\\Caves.rpl4_914", 40, kCloses, kBox, "user_data\\rpl4\\Caves.rpl4_914 の読み込みに失敗しました！",
       [&](GameFolder& f, HeadlessRun& run) {
         MakeGameDirectory("user_data\\rpl4");
         cStageData stage = f.stages[1].second;
         cSaveData progress;
         ASSERT_EQ(cReplayData().SaveFile("user_data\\rpl4\\Caves.rpl4_914", stage, stage, progress), 1);
         titleRow(run, 2);
         run.ChooseFile("Caves.rpl4_914");
         run.frameLimit = 200;
       }},
  };
  GameFolder demo = DemoGame();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    GameFolder folder = demo;
    HeadlessRun run;
    run.frameLimit = 3;
    MakeGameDirectory("user_data");
    if (c.prepare) c.prepare(folder, run);
    ASSERT_TRUE(WriteGameFolder(folder));
    const std::string host = ResolveHostPath(c.file);
    std::vector<uint8_t> bytes = ReadFileBytes(host);
    ASSERT_TRUE(c.keep == kWhole || bytes.size() > c.keep);
    for (size_t i = c.keep; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ (i * 31));
    ASSERT_TRUE(WriteFileBytes(host, bytes));
    if (!run.keysAtPoll.empty()) run.frameLimit = std::max(run.frameLimit, run.keysAtPoll.rbegin()->first + 10);

    const int abandoned = AbandonedThreadCount();
    EXPECT_EQ(run.Run(), c.outcome == kNoStart ? kStartFailed : 0);
    EXPECT_EQ(AbandonedThreadCount(), abandoned) << "a thread was left running";
    if (c.after) c.after();
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : run.Boxes()) texts.push_back(box.text);
    const std::vector<std::string> report = LogLines("Report_Game.txt");
    switch (c.where) {
      case kNone: EXPECT_TRUE(texts.empty()) << ::testing::PrintToString(texts); break;
      // The start's own message comes last (a reader may have told of its file before it).
      case kBox: ASSERT_FALSE(texts.empty()); EXPECT_EQ(texts.back(), c.message); break;
      case kReport:
        EXPECT_TRUE(texts.empty()) << ::testing::PrintToString(texts);
        EXPECT_NE(std::find(report.begin(), report.end(), c.message), report.end()) << ::testing::PrintToString(
            std::vector<std::string>(report.end() - std::min<size_t>(report.size(), 5), report.end()));
        break;
    }
    if (c.outcome == kNoStart) {
      // At most the loading picture was shown, and no game frame ran.
      EXPECT_LE(run.Frames().size(), 1u);
    } else if (c.outcome == kCloses) {
      EXPECT_LT(run.Frames().size(), static_cast<size_t>(run.frameLimit));
    } else {
      EXPECT_GE(run.Frames().size(), static_cast<size_t>(run.frameLimit));
    }
    ResetGameGlobals();
    // The player's files stay between runs: the damaged one goes, the next case starts without it.
    std::remove(host.c_str());
    std::remove(ResolveHostPath("Report_Game.txt").c_str());
  }
}

// The palette picture missing, empty or cut short: the start ends with the file's box and a failure
// status, before any game frame.
TEST_F(WholeGameTest, AMissingOrShortPalettePictureEndsTheStartWithItsBox) {
  const char* const file = "bmp\\plt\\Palette.bmp";
  struct Case {
    const char* name;
    long keep;  // bytes kept; -1: the file is removed
  };
  const Case cases[] = {{"missing", -1}, {"empty", 0}, {"header only", 14}, {"cut in its pixels", 600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder demo = DemoGame();
    ASSERT_TRUE(WriteGameFolder(demo));
    const std::string host = ResolveHostPath(file);
    std::vector<uint8_t> bytes = ReadFileBytes(host);
    ASSERT_GT(bytes.size(), 600u);
    if (c.keep < 0) {
      ASSERT_TRUE(RemoveGameFile(file));
    } else {
      bytes.resize(static_cast<size_t>(c.keep));
      ASSERT_TRUE(WriteFileBytes(host, bytes));
    }
    HeadlessRun run;
    run.frameLimit = 3;
    EXPECT_EQ(run.Run(), 1);
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : run.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, std::vector<std::string>{"bmp\\plt\\Palette.bmp の読み込みに失敗！"});
    EXPECT_LE(run.Frames().size(), 1u);
    ResetGameGlobals();
  }
}
