#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "core/random.h"
#include "core/timing.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "objects/shot.h"
#include "platform/win/keys.h"
#include "scenes/app.h"
#include "scenes/map_fixture.h"
#include "support/closerequests.h"

namespace {

constexpr int kStepKind = 10;  // the command every test flow runs; its action is the test's

// The play step on a 40 x 15 stage of passable cells: a flying hero and flying characters that move
// only by what their every-frame flow's action asks.
class PlayStepTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    MakeMap(40, 15);
    ResetTimingForTest();
    ResetKeyStateStandIn();
    cApp::m_nPlayMode = 3;
    cApp::m_nGameType = 2;
    g_ReplayData = cReplayData();
    g_ReplayData.ClearRecording();
    g_PrevReplayData = cReplayData();
    g_lstItem.clear();
    scene_.m_nState = PLAY_MAIN;
    scene_.m_bTimeStopped = 1;
    scene_.m_nStageTime = 999;
  }
  void TearDown() override {
    g_lstItem.clear();
    scene_.m_lShot.clear();
    ResetKeyStateStandIn();
    cApp::m_nPlayMode = 0;
    cApp::m_nGameType = 0;
    MapTest::TearDown();
  }

  double Left() const { return scene_.m_ScrollX.m_dPos; }
  double Top() const { return scene_.m_ScrollY.m_dPos; }

  template <class T>
  T& Ready(T& c, int objNo, int side, double x, double y) {
    c.m_nObjNo = objNo;
    c.m_nSide = side;
    c.m_nHP = 10;
    c.m_nLifeTime = kLifeUnlimited;
    Place(c, x, y);
    c.SetMoveMode(1);
    Install(c, {Flow(0, {Cmd(kStepKind, 1)})});
    scene_.m_vSideChara[side].push_back(&c);
    return c;
  }
  cHero& Hero(double dx = 100, double dy = 100) {
    return Ready(g_vHero.emplace_back(), kHeroObjNo, 0, Left() + dx, Top() + dy);
  }
  cChara& Chara(int objNo, double dx, double dy, bool block = false) {
    cChara& c = g_lstChara.emplace_back();
    c.m_Chara.m_bBlockChara = block ? 1 : 0;
    c.m_bStarted = 1;
    return Ready(c, objNo, 1, Left() + dx, Top() + dy);
  }
  // A flying shot of a computer-operated owner moving 2 pixels a sub-step to the right.
  cShot& Shot(double dx, double dy) {
    cShot& s = scene_.m_lShot.emplace_back();
    s.m_bIsShot = 1;
    s.m_nOperation = 1;
    s.m_nSide = 1;
    s.m_bFlying = 1;
    s.m_dX = Left() + dx;
    s.m_dY = Top() + dy;
    s.m_dRight = s.m_dX + 7;
    s.m_dBottom = s.m_dY + 7;
    s.m_dVelX = 2;
    scene_.m_vSideShot[1].push_back(&s);
    return s;
  }
  // What the every-frame flow of an object does when it runs.
  static void OnStep(std::function<void(cCharaBase*)> action) {
    Actions()[kStepKind] = [action](cCharaBase* obj, cCmdInstance*) { action(obj); };
  }
  std::vector<int> Stepped() const {
    std::vector<int> objs;
    for (const ExecCall& c : Calls())
      if (c.kind == kStepKind) objs.push_back(c.objNo);
    return objs;
  }
  static std::vector<int> CharaNumbers() {
    std::vector<int> n;
    for (const cChara& c : g_lstChara) n.push_back(c.m_nObjNo);
    return n;
  }
  static int Count(int sound) { return static_cast<int>(std::count(Sounds().begin(), Sounds().end(), sound)); }
  int Frame() { return scene_.RunPlayLogic(); }
};

TEST_F(PlayStepTest, EarlyEndsOfTheFrame) {
  Hero();
  // Closing: the close is posted and nothing runs.
  scene_.m_bQuit = 1;
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(scene_.m_nPlayFrames, 0);
  scene_.m_bQuit = 0;
  // Space with the pause switch opens the pause menu; without the switch the frame runs.
  SetKeyStateStandIn(VK_SPACE, true);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(scene_.m_nPlayFrames, 1);
  g_SystemData.m_bSpacePause = 1;
  scene_.m_nSubState = 3;
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(scene_.m_nState, PLAY_PAUSE);
  EXPECT_EQ(scene_.m_nSubState, 0);
  EXPECT_EQ(scene_.m_nPausedState, PLAY_MAIN);
  EXPECT_EQ(Count(4), 1);
  EXPECT_EQ(scene_.m_nPlayFrames, 1);
  SetKeyStateStandIn(VK_SPACE, false);
  // A replay-save key that asked for a save skips the frame.
  scene_.m_nState = PLAY_MAIN;
  g_SystemData.m_bReplaySave = 1;
  g_ReplayData.m_vDir.assign(1, 0);
  DestroyWindowStandIn(g_hMainWnd);  // the save request is not waited for
  g_hMainWnd = nullptr;
  SetKeyStateStandIn(VK_F1, true);
  Calls().clear();
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(scene_.m_nPlayFrames, 1);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(PlayStepTest, TimeOutKillsTheHeroOnlyOnce) {
  cHero& hero = Hero();
  cChara& c = Chara(3, 300, 100);
  OnStep([](cCharaBase* obj) { obj->m_dSpeedX = 1; });
  scene_.m_bTimeStopped = 0;
  scene_.m_nStageTime = 1;
  EveryNFrames(0, 60);
  for (int frame = 1; frame < 60; ++frame) ASSERT_EQ(Frame(), 1);
  const double x = c.m_dX;
  EXPECT_EQ(Frame(), 0);  // the 60th frame: time is up
  EXPECT_EQ(Count(8), 1);
  EXPECT_EQ(hero.m_bDead, 1);
  EXPECT_EQ(c.m_dX, x);  // the frame ended before the sub-steps
  // Dying already: the following time-outs do nothing, the frames run.
  for (int frame = 0; frame < 120; ++frame) ASSERT_EQ(Frame(), 1);
  EXPECT_EQ(Count(8), 1);
  EXPECT_EQ(scene_.m_nStageTime, 0);
}

TEST_F(PlayStepTest, WhileTheHeroDiesCharactersStandAndShotsFly) {
  SetSteps(2);
  cHero& hero = Hero();
  cChara& c = Chara(3, 300, 100);
  c.m_nLifeTime = 1;
  OnStep([](cCharaBase* obj) { obj->m_dSpeedX = 1; });
  cShot& s = Shot(200, 200);
  scene_.m_ScrollX.m_nMax = scene_.m_ScrollX.m_nOuterRange;
  scene_.m_ScrollX.SetAutoScroll(1, 10);
  const double view = Left(), charaX = c.m_dX, shotX = s.m_dX;
  hero.m_bDead = 1;
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(scene_.m_nStepCount, 2);
  EXPECT_EQ(scene_.m_nSubStep, 2);
  EXPECT_TRUE(Stepped().empty());
  EXPECT_EQ(c.m_dX, charaX);
  EXPECT_EQ(c.m_nLifeTime, 1);
  EXPECT_EQ(s.m_dX, shotX + 4);
  EXPECT_GT(Left(), view);
  // Alive, the lifetime runs out in the second sub-step.
  hero.m_bDead = 0;
  EXPECT_EQ(Frame(), 1);
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_TRUE(scene_.m_vSideChara[1].empty());
}

TEST_F(PlayStepTest, OutOfAreaRemovalOnlyInTheFirstSubStep) {
  Hero();
  g_StageData.m_Area[AREA_CHARA].Set(0, 1, 0, 0, 0, 0, 0, 0);
  g_StageData.m_Area[AREA_BLOCK_CHARA].Set(0, 1, 0, 0, 0, 0, 0, 0);
  g_StageData.m_Area[AREA_ITEM].Set(0, 1, 0, 0, 0, 0, 0, 0);
  g_StageData.m_Area[AREA_COM_SHOT].Set(0, 1, 0, 0, 0, 0, 0, 0);
  scene_.m_bCharaAreaCheck = 1;
  scene_.m_bItemAreaCheck = 1;
  Chara(3, 700, 100);        // beyond the right edge
  Chara(4, 700, 150, true);  // a block character: its check is off
  Chara(5, 300, 100);        // in view
  cItem& item = g_lstItem.emplace_back();
  item.m_nLifeTime = kLifeUnlimited;
  item.m_dX = Left() + 700;
  item.m_dY = Top() + 200;
  item.m_dRight = item.m_dX + 31;
  item.m_dBottom = item.m_dY + 31;
  cShot& shot = Shot(700, 300);
  shot.m_dVelX = 0;
  EXPECT_EQ(scene_.RunSubStep(2), 1);
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(g_lstItem.size(), 1u);
  EXPECT_EQ(scene_.m_lShot.size(), 1u);
  EXPECT_EQ(scene_.RunSubStep(1), 1);
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{4, 5}));
  EXPECT_TRUE(g_lstItem.empty());
  EXPECT_TRUE(scene_.m_lShot.empty());
  EXPECT_TRUE(scene_.m_vSideShot[1].empty());
}

TEST_F(PlayStepTest, BlockCharactersThenTheHeroThenTheOthers) {
  Chara(3, 300, 100);
  Chara(7, 300, 200, true);
  Hero();
  Chara(8, 2000, 100);                 // out of view: not started
  cChara& absent = Chara(9, 350, 150);  // its appearance condition fails: not present
  absent.m_Chara.m_vCond.resize(1);
  absent.m_Chara.m_vCond[0].m_nKind = COND_STAGE_VAR;
  absent.m_Chara.m_vCond[0].m_nValue = 1;
  Chara(10, 350, 200).m_bDead = 1;    // dying
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(Stepped(), (std::vector<int>{7, kHeroObjNo, 3}));
}

TEST_F(PlayStepTest, CharactersLeaveTheLoopSafely) {
  Hero();
  Chara(1, 200, 100);
  Chara(2, 220, 100);
  Chara(3, 240, 100);
  Chara(4, 260, 100);
  int summoned = 0;
  OnStep([&](cCharaBase* obj) {
    switch (obj->m_nObjNo) {
      case 1:  // marks itself and the next one to go at the death check of its step
        for (cChara& c : g_lstChara)
          if (c.m_nObjNo <= 2) c.m_bRemove = 1;
        scene_.m_bDeathPending = 1;
        break;
      case 3:  // vanishes
        obj->m_bVanished = 1;
        break;
      case 4:  // summons a character once
        if (!summoned++) Chara(5, 280, 100);
        break;
      default:
        break;
    }
  });
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(Stepped(), (std::vector<int>{kHeroObjNo, 1, 3, 4, 5}));
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{4, 5}));
  EXPECT_EQ(scene_.m_vSideChara[1].size(), 2u);
  EXPECT_EQ(Count(9), 0);
}

TEST_F(PlayStepTest, CharacterKilledByItsFlows) {
  struct Case {
    int deathAnimation;
    bool kept;
    int sound9;
  };
  for (const Case& k : {Case{0, false, 0}, Case{1, true, 1}}) {
    SCOPED_TRACE(k.deathAnimation);
    g_lstChara.clear();
    g_vHero.clear();
    scene_.m_vSideChara.assign(kSideCount, {});
    Sounds().clear();
    g_SystemData.m_bCompat272 = k.deathAnimation;
    Hero();
    Chara(3, 300, 100);
    Chara(4, 320, 100);
    OnStep([](cCharaBase* obj) {
      if (obj->m_nObjNo == 3) obj->m_nHP = 0;
    });
    EXPECT_EQ(Frame(), 1);  // a death that does not end the stage goes on with the next character
    EXPECT_EQ(CharaNumbers(), k.kept ? (std::vector<int>{3, 4}) : (std::vector<int>{4}));
    EXPECT_EQ(Count(9), k.sound9);
    if (k.kept) {
      EXPECT_EQ(g_lstChara.front().m_bDead, 1);
    }
  }
}

TEST_F(PlayStepTest, LeavingTheStage) {
  struct Case {
    const char* name;
    bool flying;
    double x, y, speedX, speedY;
    bool removed;  // else killed: sound 9 and its death
  };
  const Case cases[] = {
      {"past the grid's left end", true, 2, 400, -5, 0, true},
      {"flying past the grid's top", true, 400, 2, 0, -5, true},
      {"walking below the stage", false, 400, 775, 0, 4, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    g_lstChara.clear();
    g_vHero.clear();
    scene_.m_vSideChara.assign(kSideCount, {});
    Sounds().clear();
    Hero();
    cChara& c = Chara(3, 0, 0);
    c.SetMoveMode(k.flying ? 1 : 0);
    c.m_bIgnoreViewX = c.m_bIgnoreViewY = 1;  // stays active off screen, as a keep-active character
    c.m_dX = k.x;
    c.m_dY = k.y;
    c.CheckBoundsX(2);
    c.CheckBoundsY(2);
    OnStep([&k](cCharaBase* obj) {
      if (obj->m_nObjNo != 3) return;
      obj->m_dSpeedX = k.speedX;
      obj->m_dSpeedY = k.speedY;
    });
    EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(g_lstChara.size(), k.removed ? 0u : 1u);
    EXPECT_EQ(Count(9), k.removed ? 0 : 1);
    if (!k.removed) {
      EXPECT_EQ(c.m_bDead, 1);
    }
  }
}

TEST_F(PlayStepTest, HeroOutcomes) {
  struct Case {
    const char* name;
    std::function<void(cHero&)> cause;
    int state;
    bool heroDead;
  };
  const Case cases[] = {
      {"stage cleared", [this](cHero&) { scene_.m_nStageEnd = 1; }, PLAY_RESULT, false},
      {"stage end kills", [this](cHero&) { scene_.m_nStageEnd = 2; }, PLAY_MAIN, true},
      {"HP ran out in its flows", [](cHero& h) { h.m_nHP = 0; }, PLAY_MAIN, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    g_lstChara.clear();
    g_vHero.clear();
    scene_.m_vSideChara.assign(kSideCount, {});
    scene_.m_nState = PLAY_MAIN;
    scene_.m_nStageEnd = 0;
    Sounds().clear();
    Calls().clear();
    cHero& hero = Hero();
    Chara(3, 300, 100);
    OnStep([&](cCharaBase* obj) {
      if (obj == &hero) k.cause(hero);
    });
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(scene_.m_nState, k.state);
    EXPECT_EQ(hero.m_bDead != 0, k.heroDead);
    EXPECT_EQ(Count(8), k.heroDead ? 1 : 0);
    EXPECT_EQ(Stepped(), (std::vector<int>{kHeroObjNo}));  // the others do not run
  }
}

TEST_F(PlayStepTest, LiveInput) {
  cHero& hero = Hero();
  cInput& in = g_vInput.At(0);
  g_SystemData.m_bReplaySave = 1;
  auto frame = [&](uint16_t dir, uint16_t button) {
    in.m_wDir = dir;
    in.m_wButton = button;
    in.m_nDirNum = cInput::GetDirNum(&in.m_wDir);
    EXPECT_EQ(Frame(), 1);
  };
  // The press that closed the pause menu is not seen until every button was released.
  scene_.m_bPauseRelease = 1;
  frame(2, 1);
  EXPECT_EQ(in.m_wButton, 0);
  EXPECT_EQ(in.m_wDir, 2);
  frame(0, 3);
  EXPECT_EQ(in.m_wButton, 0);
  frame(0, 0);
  EXPECT_EQ(scene_.m_bPauseRelease, 0);
  frame(0, 1);
  EXPECT_EQ(in.m_wButton, 1);
  // The hero's locks.
  hero.m_bDirLock = 1;
  frame(8, 2);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_nDirNum, 5);
  EXPECT_EQ(in.m_wButton, 2);
  hero.m_bDirLock = 0;
  hero.m_bButtonLock = 1;
  frame(8, 2);
  EXPECT_EQ(in.m_wDir, 8);
  EXPECT_EQ(in.m_wButton, 0);
  // The words the game saw went into the history, the key runs and the recording.
  EXPECT_EQ(in.GetHistory(0, 0), 8);
  EXPECT_EQ(in.GetHistory(1, 1), 2);
  EXPECT_EQ(in.m_vDirRuns[4][0].m_nState, 1);  // down held
  g_ReplayData.Rewind();
  const int16_t want[][2] = {{2, 0}, {0, 0}, {0, 0}, {0, 1}, {0, 2}, {8, 0}};
  for (const auto& w : want) {
    int16_t words[2] = {-1, -1};
    ASSERT_EQ(g_ReplayData.Play(words), 0);
    EXPECT_EQ(words[0], w[0]);
    EXPECT_EQ(words[1], w[1]);
  }
  int16_t words[2];
  EXPECT_EQ(g_ReplayData.Play(words), 1);
  // Recording off: nothing recorded.
  auto recordedFrames = [] {
    int n = 0;
    for (int32_t run : g_ReplayData.m_vDirRun) n += run;
    return n;
  };
  EXPECT_EQ(recordedFrames(), 6);
  g_SystemData.m_bReplaySave = 0;
  frame(1, 0);
  EXPECT_EQ(recordedFrames(), 6);
}

TEST_F(PlayStepTest, ReplayInputAndItsEnd) {
  Hero();
  cInput& in = g_vInput.At(0);
  const int16_t recorded[][2] = {{1, 0}, {5, 2}, {5, 2}};
  for (const auto& w : recorded) g_ReplayData.Record(w);
  g_ReplayData.Rewind();
  g_SaveData.m_nLife = 3;
  g_SaveData.SnapshotVars();
  g_SaveData.m_nLife = 1;
  cApp::m_nPlayMode = 4;
  g_SystemData.m_bReplaySave = 1;  // never records a replay
  for (const auto& w : recorded) {
    in.m_wDir = 8;  // the devices are not read
    in.m_wButton = 8;
    ASSERT_EQ(Frame(), 1);
    EXPECT_EQ(in.m_wDir, w[0]);
    EXPECT_EQ(in.m_wButton, w[1]);
    EXPECT_EQ(in.m_nDirNum, cInput::GetDirNum(&in.m_wDir));
    EXPECT_EQ(in.GetHistory(0, 0), w[0]);
  }
  EXPECT_EQ(g_ReplayData.m_vDir.Size(), 2);
  // The recording is over: the attempt starts again at its banner with the progress put back.
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(scene_.m_nState, PLAY_BANNER);
  EXPECT_EQ(g_SaveData.m_nLife, 3);
  // Set-up started the step count afresh and no sub-step ran after it.
  EXPECT_EQ(scene_.m_nStepCount, 0);
}

// A stage played live with recording on, then replayed from the recording, gives the same positions
// frame by frame: the hero moved by the input, a character by random numbers, a shot flying.
TEST_F(PlayStepTest, AReplayRepeatsTheLivePlay) {
  SetSteps(3);
  struct Pos {
    double heroX, heroY, charaX, charaY;
    int shots;
    bool operator==(const Pos&) const = default;
  };
  auto build = [&] {
    g_vHero.clear();
    g_lstChara.clear();
    scene_.m_lShot.clear();
    scene_.m_vSideChara.assign(kSideCount, {});
    scene_.m_vSideShot.assign(kSideCount, {});
    scene_.m_nStepCount = 0;
    MakeMap(40, 15);
    Hero(200, 200);
    Chara(3, 400, 200);
    Shot(100, 300);
    RandSeed(1234);
  };
  OnStep([](cCharaBase* obj) {
    if (obj->m_nObjNo == kHeroObjNo) {
      const uint16_t dir = g_vInput.At(0).m_wDir;
      obj->m_dSpeedX = (dir & 2 ? 1.5 : 0) - (dir & 1 ? 1.5 : 0);
      obj->m_dSpeedY = (dir & 8 ? 0.75 : 0) - (dir & 4 ? 0.75 : 0);
    } else {
      obj->m_dSpeedX = RandRange(-3, 3) * 0.5;
      obj->m_dSpeedY = RandRange(-2, 2) * 0.25;
    }
  });
  auto positions = [] {
    const cHero& h = g_vHero[0];
    const cChara& c = g_lstChara.front();
    return Pos{h.m_dX, h.m_dY, c.m_dX, c.m_dY, static_cast<int>(g_pScenePlay->m_lShot.size())};
  };
  const uint16_t script[] = {0, 2, 2, 10, 10, 8, 0, 1, 5, 5, 4, 0, 2, 2, 2, 6};
  g_SystemData.m_bReplaySave = 1;
  build();
  std::vector<Pos> live;
  for (uint16_t dir : script) {
    g_vInput.At(0).m_wDir = dir;
    ASSERT_EQ(Frame(), 1);
    live.push_back(positions());
  }
  EXPECT_NE(live.front(), live.back());
  build();
  g_ReplayData.Rewind();
  cApp::m_nPlayMode = 4;
  std::vector<Pos> replayed;
  for (size_t i = 0; i < std::size(script); ++i) {
    g_vInput.At(0).m_wDir = 1;  // ignored
    ASSERT_EQ(Frame(), 1);
    replayed.push_back(positions());
  }
  for (size_t i = 0; i < live.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(live[i] == replayed[i]);
  }
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(scene_.m_nState, PLAY_BANNER);
}

}  // namespace
