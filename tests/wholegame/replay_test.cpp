// A live attempt at the demo's second stage, saved from its result screen with F1 through the save
// chooser, then played back twice from the title's replay entry through the open chooser: every
// frame of play and the end of the attempt are the same each time.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamefolder/gamefolder.h"
#include "objects/objlists.h"
#include "platform/fs/path.h"
#include "stagedata/stagedata.h"
#include "wholegame_fixture.h"

namespace {

// Where an attempt ended.
struct EndState {
  double heroX = 0, heroY = 0;
  int hp = 0, score = 0, lives = 0, state = -2;
  bool operator==(const EndState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const EndState& e) {
  return os << "hero (" << e.heroX << ", " << e.heroY << ") HP " << e.hp << " score " << e.score << " lives "
            << e.lives << " state " << e.state;
}

EndState EndOf(const HeadlessRun& run) {
  EndState e;
  if (!g_vHero.empty()) {
    e.heroX = g_vHero[0].m_dX;
    e.heroY = g_vHero[0].m_dY;
    e.hp = g_vHero[0].m_nHP;
  }
  e.score = g_SaveData.m_nScore;
  e.lives = g_SaveData.m_nLife;
  const std::vector<HeadlessFrame> frames = run.Frames();
  if (!frames.empty()) e.state = frames.back().state;
  return e;
}

// The frames of play: from the first frame of the main play state up to the result.
std::vector<HeadlessFrame> PlayFrames(const HeadlessRun& run) {
  std::vector<HeadlessFrame> out;
  bool playing = false;
  for (const HeadlessFrame& f : run.Frames()) {
    if (f.scene != SCENE_PLAY) continue;
    if (f.state == PLAY_MAIN) playing = true;
    if (f.state == PLAY_RESULT) break;
    if (playing) out.push_back(f);
  }
  return out;
}

// The first frame (from 1) at which two records differ; 0 when they are the same.
size_t FirstDifference(const std::vector<HeadlessFrame>& a, const std::vector<HeadlessFrame>& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (!(a[i] == b[i])) return i + 1;
  return a.size() == b.size() ? 0 : std::min(a.size(), b.size()) + 1;
}

// The demo whose "System.ini" starts its second stage at once.
GameFolder SingleStageDemo() {
  GameFolder demo = DemoGame();
  demo.systemIni += std::string("FreeStage=") + kDemoStagePaths[1] + "\r\n";
  return demo;
}

// A live attempt at that stage: right all the way, jumping and shooting now and then, F1 on the
// result screen.
void ScriptLiveAttempt(HeadlessRun& live) {
  for (int poll = 100; poll <= 300; ++poll) live.keysAtPoll[poll].insert(VK_RIGHT);
  for (int poll = 110; poll < 280; poll += 40) {
    live.keysAtPoll[poll].insert('X');
    live.keysAtPoll[poll + 20].insert('Z');
  }
  live.keysAtPoll[320].insert(VK_F1);
  live.frameLimit = 335;
}

}  // namespace

TEST_F(WholeGameTest, OkOnTheProposedReplayNameSavesItInTheReplayFolder) {
  GameFolder demo = SingleStageDemo();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun live;
  ScriptLiveAttempt(live);
  std::string folder, name;
  dlg::ScriptStep look;
  look.kind = dlg::ScriptStep::Call;
  look.call = [&](HWND chooser) {
    char buf[1024];
    GetDlgItemTextA(chooser, kChooserFolder, buf, sizeof buf);
    folder = buf;
    GetDlgItemTextA(chooser, kChooserName, buf, sizeof buf);
    name = buf;
  };
  dlg::ScriptStep ok;
  ok.kind = dlg::ScriptStep::Click;
  ok.id = IDOK;
  live.dialogSteps = {look, ok};
  EXPECT_EQ(live.Run(), 0);
  EXPECT_TRUE(live.Boxes().empty()) << live.Boxes()[0].text;

  // The chooser opens on the replay folder with the bare proposed name.
  EXPECT_EQ(folder, "user_data\\rpl4\\");
  const std::string stem = "Caves__";
  EXPECT_EQ(name.substr(0, stem.size()), stem) << name;
  EXPECT_EQ(name.find_first_of("\\/"), std::string::npos) << name;
  ASSERT_GT(name.size(), stem.size() + 9);
  EXPECT_EQ(name.substr(name.size() - 9), ".rpl4_914") << name;

  // OK saved it there, and it loads back as the attempt recorded.
  const std::string path = "user_data\\rpl4\\" + name;
  ASSERT_TRUE(GamePathIsFile(path)) << path;
  cReplayData loaded;
  cStageData stage, playStage;
  cSaveData save;
  ASSERT_EQ(loaded.LoadFile(path.c_str(), stage, playStage, save), 1);
  EXPECT_GT(loaded.m_vDir.Size(), 1);
  EXPECT_EQ(loaded.m_vDir, g_ReplayData.m_vDir);
  EXPECT_EQ(loaded.m_vButton, g_ReplayData.m_vButton);
}

TEST_F(WholeGameTest, AReplayOfALiveAttemptPlaysItBackFrameForFrame) {
  GameFolder demo = SingleStageDemo();
  const std::string plainIni = DemoGame().systemIni;
  // A stage named in "System.ini" shows a help line under the play that a replay, by design, does
  // not: the line is left empty, so that every pixel of the live frames compares with the replay's.
  demo.system.m_vText.At(27).clear();
  ASSERT_TRUE(WriteGameFolder(demo));

  // The live attempt, saved from the result screen under a typed name.
  HeadlessRun live;
  ScriptLiveAttempt(live);
  live.ChooseFile("live");
  EXPECT_EQ(live.Run(), 0);
  const EndState liveEnd = EndOf(live);
  const std::vector<HeadlessFrame> livePlay = PlayFrames(live);
  ASSERT_EQ(liveEnd.state, PLAY_RESULT) << liveEnd;
  ASSERT_TRUE(GamePathIsFile("user_data\\rpl4\\live.rpl4_914"));
  ASSERT_GT(livePlay.size(), 100u);
  const std::vector<HeadlessFrame> liveFrames = live.Frames();
  const int firstLivePlay = static_cast<int>(
      std::find_if(liveFrames.begin(), liveFrames.end(), [](const HeadlessFrame& f) { return f.scene == SCENE_PLAY; }) -
      liveFrames.begin());

  // Played back from the title (started plainly), twice.
  demo.systemIni = plainIni;
  ASSERT_TRUE(WriteGameFolder(demo));
  EndState ends[2];
  std::vector<HeadlessFrame> plays[2];
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    ResetGameGlobals();
    HeadlessRun playback;
    Press(playback, {{60, VK_DOWN}, {66, VK_DOWN}, {75, 'Z'}});
    playback.ChooseFile("live.rpl4_914");
    // The title's replay entry, then as many frames as the live attempt had from its stage's start.
    playback.frameLimit = 100 + static_cast<int>(live.Frames().size()) - firstLivePlay;
    EXPECT_EQ(playback.Run(), 0);
    ends[i] = EndOf(playback);
    plays[i] = PlayFrames(playback);
  }
  EXPECT_EQ(ends[0], liveEnd);
  EXPECT_EQ(FirstDifference(plays[0], livePlay), 0u) << plays[0].size() << " frames against " << livePlay.size();
  EXPECT_EQ(ends[1], ends[0]);
  EXPECT_EQ(FirstDifference(plays[1], plays[0]), 0u);
}
