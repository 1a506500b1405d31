// A recorded attempt through the whole game: played live from scripted keys with recording on, saved
// as the window thread saves it, replayed from the title's replay route. The replay follows the live
// play frame by frame and, at the end of its recording, starts over with its recorded seed and shows
// the same frames again. The live play moves the same in both back ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "authoring/stageauthor.h"
#include "stagedata/cmdtable.h"
#include "stagedata/edshot.h"
#include "support/scene_harness.h"

namespace {

const char* const kStagePath = "data\\stg4\\Sample.stg4_914";
const char* const kReplayPath = "user_data\\rpl4\\Loop.rpl4";
constexpr int kLiveFrames = 90;  // frames of play recorded after the banner

// The sample stage with a gunner whose shots spread at random angles: the run draws random numbers.
GameFolder LoopGame(const std::string& ini) {
  GameFolder f = BasicGameFolder(kStagePath);
  cStageData& stage = f.stages.at(0).second;
  cFlowCmd shot = MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT, {}, 3);
  cEdShot& s = *shot.m_pEdShot;
  s.m_nCount = 2;
  s.m_sSpread = 60;
  s.m_sSpeed = 3;
  s.m_sGraphic = 1;
  s.m_nPower = 0;
  PlaceComChara(stage, 14, 10, 3).m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {shot}));
  f.system.m_bReplaySave = 1;
  // No frame-rate text: it tells the time the frames took, which a replay does not repeat.
  f.systemIni = ini + "ShowFps=0\r\n";
  return f;
}

using Track = std::vector<HarnessFrame>;

class ReplayLoop : public SceneHarnessTest {
 protected:
  // The frames from the first one in play (state PLAY_MAIN) on, n of them, from `from` in frames_.
  Track PlayFrames(size_t from, size_t n) const {
    auto first = std::find_if(frames_.begin() + static_cast<long>(from), frames_.end(),
                              [](const HarnessFrame& f) { return f.state == PLAY_MAIN; });
    Track out;
    for (auto it = first; it != frames_.end() && out.size() < n; ++it) out.push_back(*it);
    return out;
  }
  // The live attempt: right held, then a pause in the keys, then left and up.
  void PlayLive() {
    ASSERT_EQ(EnterFreeStage(kStagePath), 1) << ::testing::PrintToString(TakeBoxTexts());
    ASSERT_TRUE(RunUntilState(PLAY_MAIN));
    HoldKeys(frameNo_ + 1, frameNo_ + 40, {VK_RIGHT});
    HoldKeys(frameNo_ + 55, frameNo_ + kLiveFrames, {VK_LEFT, VK_UP});
    ASSERT_TRUE(RunFrames(kLiveFrames));
  }
  static void ExpectSamePlay(const Track& a, const Track& b, bool pictures) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
      SCOPED_TRACE(::testing::Message() << "play frame " << i);
      ASSERT_EQ(a[i].heroes, b[i].heroes);
      ASSERT_EQ(a[i].charas, b[i].charas);
      ASSERT_EQ(a[i].score, b[i].score);
      if (pictures) {
        ASSERT_EQ(a[i].pictureHash, b[i].pictureHash);
      }
    }
  }
};

TEST_F(ReplayLoop, TheReplayFollowsThePlayAndStartsOverWithItsSeed) {
  GameFolder game = LoopGame("WindowMode=1\r\nDirect3D=1\r\n");
  ASSERT_TRUE(StartGame(game));
  PlayLive();
  const Track live = PlayFrames(0, kLiveFrames);
  ASSERT_EQ(live.size(), static_cast<size_t>(kLiveFrames));
  EXPECT_NE(live.front().heroes, live.back().heroes) << "the keys moved the hero";
  EXPECT_NE(live.front().charas.size(), 0u);
  // Saved as the window thread does when asked to, then replayed from the title.
  ASSERT_EQ(g_ReplayData.SaveFile(kReplayPath, g_StageData, g_PlayStageData, g_ReplaySaveData), 1);
  cApp::m_nScene = SCENE_TITLE;
  ASSERT_TRUE(RunFrames(1));
  ASSERT_EQ(EnterReplay(kReplayPath), 1);
  const size_t replayStart = frames_.size();
  ASSERT_TRUE(RunUntilState(PLAY_MAIN));
  const size_t firstPlay = frames_.size() - 1;
  // Through the end of the recording (its frames and those before the save), then the banner of the
  // new round and the round itself.
  ASSERT_TRUE(RunUntilState(PLAY_BANNER, kLiveFrames + 60)) << "the recording ended";
  EXPECT_GE(frames_.size() - firstPlay, static_cast<size_t>(kLiveFrames));
  ASSERT_TRUE(RunUntilState(PLAY_MAIN));
  const size_t secondPlay = frames_.size() - 1;
  ASSERT_TRUE(RunFrames(kLiveFrames));
  EXPECT_GE(firstPlay, replayStart);

  const Track first = PlayFrames(firstPlay, kLiveFrames);
  const Track second = PlayFrames(secondPlay, kLiveFrames);
  {
    SCOPED_TRACE("replay against the live play");
    ExpectSamePlay(live, first, false);
  }
  {
    SCOPED_TRACE("second round against the first");
    ExpectSamePlay(first, second, true);
  }
}

TEST_F(ReplayLoop, TheLivePlayMovesTheSameInBothBackEnds) {
  Track tracks[2];
  const char* const inis[2] = {"WindowMode=1\r\nDirect3D=1\r\n", "WindowMode=1\r\nDirect3D=0\r\n"};
  for (int backEnd = 0; backEnd < 2; ++backEnd) {
    SCOPED_TRACE(inis[backEnd]);
    if (backEnd) RestartGame();
    GameFolder game = LoopGame(inis[backEnd]);
    ASSERT_TRUE(StartGame(game));
    ASSERT_EQ(lpDTCon != nullptr, backEnd == 0);
    PlayLive();
    tracks[backEnd] = PlayFrames(0, kLiveFrames);
  }
  ASSERT_EQ(tracks[0].size(), static_cast<size_t>(kLiveFrames));
  ExpectSamePlay(tracks[0], tracks[1], false);
}

}  // namespace
