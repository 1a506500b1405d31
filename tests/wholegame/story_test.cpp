// A story run of the demo from the title, played by scripted keys: new game, the world map, the first
// stage to its clear, the result, back on the world map, and a save from the world-map menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "gamedata/savedata.h"
#include "gamefolder/gamefolder.h"
#include "platform/fs/path.h"
#include "wholegame_fixture.h"

namespace {

// The first frame at which the record holds the scene (and play state, when given); -1 if none.
int FirstFrame(const std::vector<HeadlessFrame>& frames, int scene, int state = -3) {
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i].scene == scene && (state == -3 || frames[i].state == state)) return static_cast<int>(i) + 1;
  return -1;
}

}  // namespace

TEST_F(WholeGameTest, AStoryRunClearsTheFirstStageAndTheWorldMapMenuSavesIt) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessRun run;
  // Title: new game, in the second slot (the slot the run saves to by itself after a stage).
  Press(run, {{50, 'Z'}, {80, VK_DOWN}, {100, 'Z'}});
  // World map: three steps right onto the first entrance, "yes" in its box.
  Press(run, {{150, VK_RIGHT}, {153, VK_RIGHT}, {156, VK_RIGHT}, {170, VK_UP}, {175, 'Z'}});
  // Play: straight to the star over the score item on the way; the result is confirmed.
  Hold(run, 280, 460, VK_RIGHT);
  Press(run, {{495, 'Z'}});
  // World map again: the menu, its save entry, up onto the first slot, "yes".
  Press(run, {{555, 'X'}, {595, 'Z'}, {615, VK_UP}, {625, 'Z'}, {635, VK_UP}, {645, 'Z'}});
  run.frameLimit = 665;
  EXPECT_EQ(run.Run(), 0);

  const std::vector<HeadlessFrame> frames = run.Frames();
  const int play = FirstFrame(frames, SCENE_PLAY, PLAY_MAIN);
  const int result = FirstFrame(frames, SCENE_PLAY, PLAY_RESULT);
  ASSERT_GT(play, 0);
  ASSERT_GT(result, play) << "the stage was not cleared";
  EXPECT_LT(FirstFrame(frames, SCENE_WORLDMAP), play);
  const auto back = std::find_if(frames.begin() + result, frames.end(),
                                 [](const HeadlessFrame& f) { return f.scene == SCENE_WORLDMAP; });
  ASSERT_NE(back, frames.end()) << "the result did not lead back to the world map";
  EXPECT_EQ(frames.back().scene, SCENE_MAPMENU);

  // The run itself: the score item taken, one life in play of the five.
  const cSaveData live = g_SaveData;
  EXPECT_EQ(live.m_nScore, 100);
  EXPECT_EQ(live.m_nLife, 4);

  // The menu's save in the first slot; the second holds the run's own save after the stage.
  for (const char* slot : {"user_data\\story\\Story01.dat", "user_data\\story\\Story02.dat"}) {
    SCOPED_TRACE(slot);
    cSaveData saved;
    ASSERT_EQ(saved.Load(slot), 1);
    ASSERT_GT(saved.m_vFlag.Size(), 1);
    EXPECT_EQ(saved.m_vFlag.At(1), 1) << "stage 1 cleared";
    EXPECT_EQ(saved.m_vFlag.Size() > 2 ? saved.m_vFlag.At(2) : 0, 0);
    EXPECT_EQ(saved.m_nScore, live.m_nScore);
    EXPECT_EQ(saved.m_nLife, live.m_nLife);
  }
}
