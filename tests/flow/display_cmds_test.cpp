// The commands that show things and wait: message, game wait, effect and picture, the appearance
// commands and the screen tint, drawn for real on the headless presenter. The test thread is the game
// thread; the main window lives on a thread of its own and records the sound requests. Input scripts
// are indexed by the wait loop's turns (one poll a turn).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "flow/exectable.h"
#include "flow/executors.h"
#include "flow/flowinst.h"
#include "gfx/drawstate.h"
#include "objects/display_fixture.h"
#include "objects/effectplayer.h"
#include "objects/hero.h"
#include "platform/video/presenter.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "stagedata/anime.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"
#include "stagedata/stagesub.h"
#include "support/eventually.h"
#include "support/game_reset.h"
#include "support/test_logs.h"

namespace {

std::mutex g_mutex;
std::vector<int> g_sounds;
int g_closes = 0;
std::vector<std::string> g_script;  // per turn: 'Z' the confirm key, '.' nothing
int g_firstPoll = 0;

void ScriptedPoll(int poll) {
  const int turn = poll - g_firstPoll;
  const bool press = turn >= 0 && turn < static_cast<int>(g_script.size()) && g_script[turn] == "Z";
  SetKeyStateStandIn('Z', press);
}

LRESULT MainProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (msg == WMU_PLAYSOUND) g_sounds.push_back(static_cast<int>(wParam));
  return 0;
}

class FlowDisplayTest : public DisplayTest {
 protected:
  DrawMode Mode() const override { return {"D3D32", 1, 32}; }

  void SetUp() override {
    ResetGameGlobals();
    DisplayTest::SetUp();
    cApp::m_nFps = 60;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_sounds.clear();
      g_closes = 0;
    }
    g_script.clear();
    std::promise<HWND> made;
    window_ = std::thread([this, &made] {
      HWND h = CreateWindowStandIn("FlowDisplayMain");
      SetWindowProcStandIn(h, &MainProc);
      made.set_value(h);
      while (!stop_) {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
          std::lock_guard<std::mutex> lock(g_mutex);
          if (m.message == WM_CLOSE) ++g_closes;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      DestroyWindowStandIn(h);
    });
    g_hMainWnd = made.get_future().get();
    SetInputPollHook(&ScriptedPoll);
    msgbox::Reset();
    g_StageData.m_vBackLayer.assign(2, cBackLayerData());
  }
  void TearDown() override {
    SetInputPollHook(nullptr);
    stop_ = true;
    window_.join();
    DDReleaseSurfaceList(g_lstPictureSD);
    g_lstPictureSD.clear();
    g_lstPictureBD.clear();
    scene_.m_lPicture.clear();
    scene_.m_lMesWindow.clear();
    scene_.m_lEffect.clear();
    g_AnimeFrameTables.clear();
    msgbox::Reset();
    DisplayTest::TearDown();
    ResetGameGlobals();
  }

  // The frames presented while f runs, with the input script for its wait.
  int Presents(const std::function<void()>& f, std::vector<std::string> script = {}) {
    g_script = std::move(script);
    g_firstPoll = ProbePoll() + 1;
    const uint64_t before = presenter_->PresentCount();
    f();
    return static_cast<int>(presenter_->PresentCount() - before);
  }
  static int ProbePoll() {
    static std::atomic<int> seen{-1};
    SetInputPollHook([](int poll) { seen = poll; });
    BeginInputPoll();
    SetInputPollHook(&ScriptedPoll);
    return seen;
  }
  static std::vector<int> TakeSounds() {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<int> s;
    s.swap(g_sounds);
    return s;
  }
  static int TakeCloses() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return std::exchange(g_closes, 0);
  }

  static cFlowCmd Cmd(int kind, std::vector<int32_t> params, const std::string& text = "") {
    cFlowCmd c;
    c.m_nKind = static_cast<int8_t>(kind);
    c.m_vParam.assign(32, 0);
    for (size_t i = 0; i < params.size(); ++i) c.m_vParam[i] = params[i];
    c.m_strText = text;
    return c;
  }
  // A message at the screen centre until the stage ends; params are set on top by index.
  static cFlowCmd Message(const std::string& text, std::initializer_list<std::pair<int, int>> set = {}) {
    cFlowCmd c = Cmd(CMD_MESSAGE, {0, 0, 0, 0, 0, 0, MESTIME_UNTIL_END}, text);
    for (auto [i, v] : set) c.m_vParam[i] = v;
    return c;
  }
  void RemoveAll() {
    DDReleaseSurfaceList(Off_Msg);
    Off_Msg.clear();
    g_lstMesBD.clear();
    scene_.m_lMesWindow.clear();
  }
  static std::vector<std::string> Texts(const cScenePlay& scene) {
    std::vector<std::string> v;
    for (const cMesWindow& w : scene.m_lMesWindow) v.push_back(w.m_strText);
    return v;
  }

  std::thread window_;
  std::atomic<bool> stop_{false};
};

// ---- Message ----

TEST_F(FlowDisplayTest, MessageWithAnIdIsUpdatedInPlaceReplacedOrErased) {
  ExecMessage(chara_, Message("X"), 0);
  ExecMessage(chara_, Message("AB", {{12, 1}, {13, 3}}), 0);
  const DDSURFACEDATA* surface = scene_.m_lMesWindow.back().m_pSurface;
  ExecMessage(chara_, Message("CD", {{12, 1}, {13, 3}}), 0);
  EXPECT_EQ(Texts(scene_), (std::vector<std::string>{"X", "CD"}));
  EXPECT_EQ(scene_.m_lMesWindow.back().m_pSurface, surface) << "same size: the surface is kept";
  ExecMessage(chara_, Message("X", {{12, 1}, {13, 4}}), 0);
  ExecMessage(chara_, Message("LONGER", {{12, 1}, {13, 3}}), 0);
  EXPECT_EQ(Texts(scene_), (std::vector<std::string>{"X", "LONGER", "X"})) << "replaced at its place";
  EXPECT_EQ(Off_Msg.Size(), 3);

  ExecMessage(chara_, Message("", {{12, 1}, {13, 9}, {15, 1}}), 0);
  ExecMessage(chara_, Message("", {{15, 1}}), 0);
  EXPECT_EQ(scene_.m_lMesWindow.Size(), 3) << "erasing an unknown ID or without an ID does nothing";
  ExecMessage(chara_, Message("", {{12, 1}, {13, 3}, {15, 1}}), 0);
  EXPECT_EQ(Texts(scene_), (std::vector<std::string>{"X", "X"}));
  EXPECT_EQ(Off_Msg.Size(), 2) << "its surface went with it";

  ExecMessage(chara_, Message("T", {{6, MESTIME_BY_TIME}, {7, 5}, {17, 1}}), 0);
  EXPECT_EQ(scene_.m_lMesWindow.back().m_nTimeLeft, 1) << "one frame";
  ExecMessage(chara_, Message("T", {{6, MESTIME_BY_TIME}, {7, 5}, {0, 1}}), 0);
  EXPECT_EQ(scene_.m_lMesWindow.back().m_nTimeLeft, 30);
  EXPECT_EQ(scene_.m_lMesWindow.back().m_nOwnerNo, DisplayTest::kCharaNo) << "above the subject";

  scene_.m_bQuit = 1;
  ExecMessage(chara_, Message("Q"), 0);
  EXPECT_EQ(scene_.m_lMesWindow.Size(), 4) << "no window while closing";
  EXPECT_EQ(TakeCloses(), 0);
}

TEST_F(FlowDisplayTest, WaitingMessagesStopTheGameUntilTheirWindowIsDone) {
  const struct {
    const char* name;
    cFlowCmd cmd;
    int after;
    std::vector<std::string> script;
    int presents;
    std::vector<int> sounds;
  } cases[] = {
      // The first 10 frames of a key wait ignore the key; the wait opens with sound 11.
      {"key", Message("K", {{6, 0}, {8, 1}}), 0, {".", ".", "Z", ".", ".", ".", ".", ".", ".", ".", "Z"}, 10, {11, 12}},
      {"key after a message", Message("K", {{6, 0}, {8, 1}}), 1, {".", ".", "Z"}, 2, {12}},
      {"timed", Message("T", {{6, 2}, {7, 2}, {8, 1}}), 0, {}, 12, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExecMessage(chara_, Message("other"), 0);
    EXPECT_EQ(Presents([&] { ExecMessage(chara_, c.cmd, c.after); }, c.script), c.presents);
    EXPECT_EQ(TakeSounds(), c.sounds);
    EXPECT_EQ(Texts(scene_), std::vector<std::string>{"other"}) << "its own window is gone after the wait";
    EXPECT_EQ(Off_Msg.Size(), 1);
    RemoveAll();
  }
}

TEST_F(FlowDisplayTest, TheWaitRemovesItsOwnWindowWhenAnotherRetiredDuringIt) {
  // A window ahead of it that counts frozen frames ends during the wait: the scene only marks it.
  ExecMessage(chara_, Message("short", {{6, 2}, {7, 0}, {17, 1}, {8, 0}}), 0);
  scene_.m_lMesWindow.back().m_bCountFrozen = 1;
  EXPECT_EQ(Presents([&] { ExecMessage(chara_, Message("T", {{6, 2}, {7, 1}, {8, 1}}), 0); }), 6);
  EXPECT_EQ(Texts(scene_), std::vector<std::string>{"short"}) << "the retired one waits for the next frame";
  scene_.Draw(0, 0, 0, 1);
  EXPECT_TRUE(scene_.m_lMesWindow.empty());
}

// ---- Game wait and the item set's messages ----

TEST_F(FlowDisplayTest, GameWaitFreezesTheGameForItsTime) {
  EXPECT_EQ(Presents([&] { ExecGameWait(nullptr, Cmd(CMD_GAME_WAIT, {0})); }), 0);
  EXPECT_EQ(Presents([&] { ExecGameWait(nullptr, Cmd(CMD_GAME_WAIT, {3})); }), 18);
  EXPECT_TRUE(scene_.m_lMesWindow.empty());
  EXPECT_TRUE(Off_Msg.empty()) << "its window is invisible";
}

TEST_F(FlowDisplayTest, TheSecondMessageOfAnItemListContinuesTheFirst) {
  cHero& hero = g_vHero.emplace_back();
  hero.m_nObjNo = 1;
  hero.m_nHP = 5;
  cFlowCmd m1 = Message("one", {{6, MESTIME_UNTIL_KEY}}), m2 = Message("two", {{6, MESTIME_UNTIL_KEY}});
  m1.m_nCategory = m2.m_nCategory = CMD_CATEGORY_ITEM;
  m1.m_nKind = m2.m_nKind = ICMD_MESSAGE;
  const cCheckedVector<cFlowCmd> list = {m1, m2};
  EXPECT_EQ(hero.RunItemCommands(list), 0);
  ASSERT_EQ(scene_.m_lMesWindow.Size(), 2);
  EXPECT_EQ(scene_.m_lMesWindow.front().m_bOpening, 1);
  EXPECT_EQ(scene_.m_lMesWindow.back().m_bOpening, 0) << "the continuation opens without its animation";
}

// ---- Effect ----

TEST_F(FlowDisplayTest, DisplayPositionsByModeAndUnit) {
  cHero& hero = g_vHero.emplace_back();
  hero.m_nObjNo = 1;
  hero.m_PicRect.m_nLeft = 300;
  hero.m_PicRect.m_nTop = 100;
  hero.m_PicRect.m_nW = 64;
  hero.m_PicRect.m_nH = 32;
  // View at (400.3, 352.7), margins of 10 cells; the subject's picture centre is (116, 224).
  const struct {
    int mode, unit;
    double x, y;
  } cases[] = {
      {0, 0, 709.3, 578.7}, {0, 1, 709.3, 578.7}, {1, 0, 505.3, 562.7}, {2, 1, 721.3, 454.7},
      {3, 0, 469.3, 444.7}, {3, 1, 407.3, 351.7}, {4, 0, 469.3, 450.7}, {4, 1, 391.3, 341.7},
      {5, 0, 389, 412},     {5, 1, 327, 319},     {6, 0, 389, 418},     {6, 1, 311, 309},
      {7, 0, 0, 0},         {3, 2, 0, 0},
  };
  for (const auto& c : cases) {
    double x = -1, y = -1;
    CalcDisplayPos(x, y, 32, 20, chara_, c.mode, c.unit, 2, 3, 5, -4);
    EXPECT_NEAR(x, c.x, 1e-9) << c.mode << "/" << c.unit;
    EXPECT_NEAR(y, c.y, 1e-9) << c.mode << "/" << c.unit;
  }
  double x, y;
  CalcDisplayPos(x, y, 32, 32, chara_, 6, 0, 2, 3, 0, 0);
  EXPECT_EQ(x, 384);
  EXPECT_EQ(y, 416);
}

TEST_F(FlowDisplayTest, EffectsAreScaledClearedAndWaitedFor) {
  g_Database.m_vEffect.resize(2);
  cEffectData& def = g_Database.m_vEffect[1];
  def.m_nFrameW = 40;
  def.m_nFrameH = 30;
  def.m_vPart.resize(2);
  def.m_vPart[0].m_nDuration = 2;
  def.m_vPart[1].m_nDuration = 3;
  BuildEffectFrameTables(g_EffectFrameTables);
  g_vEffectSD.resize(2);
  for (DDSURFACEDATA& sd : g_vEffectSD) Blank(&sd, 80, 30, 'R', 1);

  ExecEffect(chara_, Cmd(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 150}));
  ExecEffect(chara_, Cmd(CMD_EFFECT, {1, 0, 0, 0, 0, 0, -50}));
  ASSERT_EQ(scene_.m_lEffect.Size(), 2);
  EXPECT_EQ(scene_.m_lEffect.front().m_nWidth, 60);
  EXPECT_EQ(scene_.m_lEffect.front().m_nHeight, 45);
  EXPECT_EQ(scene_.m_lEffect.back().m_nWidth, -20);
  EXPECT_EQ(scene_.m_lEffect.back().m_nHeight, -15);
  scene_.Draw(0, 0, 0, 1);  // a negative size draws nothing and harms nothing
  ExecEffect(chara_, Cmd(CMD_EFFECT, {0}));
  EXPECT_TRUE(scene_.m_lEffect.empty());

  // The wait lasts the effect's frame times: (2 + 3) tenths.
  EXPECT_EQ(Presents([&] { ExecEffect(chara_, Cmd(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 1})); }), 30);
  EXPECT_EQ(scene_.m_lEffect.Size(), 1) << "the effect ends by itself";
  scene_.m_bQuit = 1;
  ExecEffect(chara_, Cmd(CMD_EFFECT, {0}));
  EXPECT_EQ(scene_.m_lEffect.Size(), 1) << "nothing while closing";
  EXPECT_EQ(TakeCloses(), 0);
}

// ---- Picture ----

class PictureTest : public FlowDisplayTest {
 protected:
  void SetUp() override {
    FlowDisplayTest::SetUp();
    WritePicture("wide.bmp", std::vector<std::string>(6, "RRRRRRRR"));
    WritePicture("small.bmp", std::vector<std::string>(4, "GGGG"));
    g_Database.m_vPicture.resize(4);
    g_Database.m_vPicture[1].m_strFile = "wide.bmp";
    g_Database.m_vPicture[2].m_strFile = "small.bmp";
    g_Database.m_vPicture[3].m_strFile = "missing.bmp";
  }
  // Picture n at the screen centre until the stage ends; params set on top by index.
  static cFlowCmd Picture(int n, std::initializer_list<std::pair<int, int>> set = {}) {
    cFlowCmd c = Cmd(CMD_PICTURE, {n, 0, 0, 0, 0, 0, 0, 100, 1});
    for (auto [i, v] : set) c.m_vParam[i] = v;
    return c;
  }
  static void ExpectInStep() {
    EXPECT_EQ(g_lstPictureSD.Size(), g_pScenePlay->m_lPicture.Size());
    EXPECT_EQ(g_lstPictureBD.Size(), g_pScenePlay->m_lPicture.Size());
  }
  static std::vector<std::string> Files() {
    std::vector<std::string> v;
    for (const DDBITMAPDATA& bd : g_lstPictureBD) v.push_back(bd.szFileName);
    return v;
  }
};

TEST_F(PictureTest, PicturesWithAnIdAreReplacedOrErasedInPlace) {
  ExecPicture(chara_, Picture(1, {{12, 1}, {13, 5}, {6, 1}}));
  ExecPicture(chara_, Picture(2));
  const cPictureObj& first = scene_.m_lPicture.front();
  EXPECT_EQ(first.m_nPlane, 1);
  EXPECT_EQ(first.m_bHasId, 1);
  EXPECT_EQ(first.m_nId, 5);
  EXPECT_EQ(first.m_nPicNo, 1);
  EXPECT_EQ(first.m_nWidth, 8);

  const DDSURFACEDATA* kept = &g_lstPictureSD.front();
  const auto texture = kept->lpDT;
  ExecPicture(chara_, Picture(1, {{12, 1}, {13, 5}, {6, 0}, {7, 200}}));
  EXPECT_EQ(&g_lstPictureSD.front(), kept);
  EXPECT_EQ(g_lstPictureSD.front().lpDT, texture) << "the same file is not loaded again";
  EXPECT_EQ(scene_.m_lPicture.front().m_nPlane, 0);
  EXPECT_EQ(scene_.m_lPicture.front().m_nWidth, 16);
  ExpectInStep();

  ExecPicture(chara_, Picture(2, {{12, 1}, {13, 5}}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"small.bmp", "small.bmp"})) << "another file loads in its place";
  EXPECT_EQ(scene_.m_lPicture.front().m_bHasId, 1);
  EXPECT_EQ(g_lstPictureSD.front().nWidth, 4);
  ExpectInStep();

  ExecPicture(chara_, Picture(0, {{12, 1}, {13, 9}}));
  EXPECT_EQ(scene_.m_lPicture.Size(), 2) << "an unknown ID erases nothing";
  ExecPicture(chara_, Picture(0, {{12, 1}, {13, 5}}));
  EXPECT_EQ(scene_.m_lPicture.Size(), 1);
  EXPECT_EQ(scene_.m_lPicture.front().m_bHasId, 0);
  ExpectInStep();
  ExecPicture(chara_, Picture(1, {{7, -50}}));
  EXPECT_EQ(scene_.m_lPicture.back().m_nWidth, -4);
  EXPECT_EQ(scene_.m_lPicture.back().m_nHeight, -3);
  scene_.Draw(0, 1, 0, 1);  // a negative size draws nothing and harms nothing
  ExecPicture(chara_, Picture(0));
  EXPECT_TRUE(scene_.m_lPicture.empty()) << "picture 0 without an ID erases every picture";
  ExpectInStep();
  EXPECT_EQ(TakeCloses(), 0);
}

TEST_F(PictureTest, AnchoredPicturesFollowTheirObjectOnlyWhenTheSwitchSaysSo) {
  chara_->m_dX = 200;
  chara_->m_dY = 300;
  chara_->m_nHitW = 32;
  chara_->m_nHitH = 48;
  for (int follow : {0, 1}) {
    SCOPED_TRACE(follow);
    g_SystemData.m_bPictureFollow = follow;
    ExecPicture(chara_, Picture(1, {{1, 1}, {4, 3}, {5, -2}}));
    const cPictureObj& pic = scene_.m_lPicture.back();
    EXPECT_EQ(pic.m_nObjNo, DisplayTest::kCharaNo);
    // The hit-box centre is (216, 324); fixed now, the picture's centre goes there with the shifts.
    EXPECT_EQ(pic.m_nX, follow ? 216 : 216 - 4 + 3);
    EXPECT_EQ(pic.m_nY, follow ? 324 : 324 - 3 - 2);
  }
}

class DirectDrawPictureTest : public PictureTest {
 protected:
  DrawMode Mode() const override { return {"DD32", 0, 32}; }
};

TEST_F(DirectDrawPictureTest, ScaledPicturesStayInSystemMemoryUnlessTheCardStretches) {
  static int freeMB = 50;
  SetVideoMemoryQuery([](int* f, int* t) {
    *f = freeMB;
    *t = 100;
  });
  const struct {
    int stretch, scale, freeMB, want;
  } cases[] = {
      {0, 100, 50, 0}, {0, 150, 50, 1}, {1, 150, 50, 0}, {1, 100, 19, 1}, {1, 100, 20, 0},
  };
  for (const auto& c : cases) {
    g_SystemIni.DD_VideoStretch = c.stretch;
    freeMB = c.freeMB;
    ExecPicture(chara_, Picture(1, {{7, c.scale}}));
    EXPECT_EQ(g_lstPictureBD.back().nDDMemType, c.want) << c.stretch << " " << c.scale << " " << c.freeMB;
    EXPECT_EQ(g_lstPictureBD.back().bColorKey, 1);
  }
}

TEST_F(PictureTest, APictureThatCannotBeLoadedIsReportedAndLeavesTheListsInStep) {
  WritePicture("../outside.bmp", std::vector<std::string>(4, "GGGG"));
  g_Database.m_vPicture[2].m_strFile = "..\\outside.bmp";
  ExecPicture(chara_, Picture(1));
  for (int n : {3, 2}) {
    ExecPicture(chara_, Picture(n));
    EXPECT_EQ(scene_.m_lPicture.Size(), 1);
    ExpectInStep();
  }
  std::remove("../outside.bmp");
  EXPECT_EQ(TakeBoxTexts(), (std::vector<std::string>{"missing.bmp 読み込み失敗！", "..\\outside.bmp 読み込み失敗！"}));
  EXPECT_TRUE(Eventually([] { return TakeCloses() > 0; }));
}

TEST_F(PictureTest, AWaitingPictureIsRemovedByIdentityAfterItsWait) {
  // An ID picture shown for one frame, and one that retires during the next wait.
  EXPECT_EQ(Presents([&] { ExecPicture(chara_, Picture(1, {{8, 2}, {9, 5}, {10, 1}, {14, 1}})); }), 1);
  EXPECT_TRUE(scene_.m_lPicture.empty());
  ExecPicture(chara_, Picture(2, {{8, 2}, {9, 0}}));
  scene_.m_lPicture.back().m_bCountFrozen = 1;
  EXPECT_EQ(Presents([&] { ExecPicture(chara_, Picture(1, {{8, 2}, {9, 1}, {10, 1}, {12, 1}, {13, 2}})); }), 6);
  ASSERT_EQ(scene_.m_lPicture.Size(), 1);
  EXPECT_EQ(scene_.m_lPicture.front().m_nPicNo, 2) << "the retired one waits for the next frame";
  ExpectInStep();
  scene_.Draw(0, 0, 0, 1);
  EXPECT_TRUE(scene_.m_lPicture.empty());
  ExpectInStep();
}

// ---- Appearance ----

TEST_F(FlowDisplayTest, AnimationsRunBesideEachOtherAndStopTogether) {
  g_AnimeFrameTables.assign(3, cAnimSeqFrames{{7, 6, 0}, {8, 6, 0}});
  cFlowInstance flow;
  flow.m_nSerial = 4;
  scene_.m_pCurFlow = &flow;
  ExecAnim(chara_, Cmd(CMD_ANIM, {2, 0}));
  scene_.m_pCurFlow = nullptr;
  ExecAnim(chara_, Cmd(CMD_ANIM, {2, 0}));
  ExecAnim(chara_, Cmd(CMD_ANIM, {1, 0}));
  ASSERT_EQ(chara_->m_lRunAnim.size(), 3u);
  EXPECT_EQ(chara_->m_lRunAnim.front().m_nAnimNo, 1) << "new ones go in front";
  EXPECT_EQ(chara_->m_lRunAnim.back().m_nFlowKey, 4);
  EXPECT_EQ(std::next(chara_->m_lRunAnim.begin())->m_nFlowKey, -1);
  EXPECT_EQ(chara_->m_lRunAnim.front().m_AnimSeq.GetValue(), 7);
  ExecAnim(chara_, Cmd(CMD_ANIM, {2, 1}));
  ASSERT_EQ(chara_->m_lRunAnim.size(), 1u);
  EXPECT_EQ(chara_->m_lRunAnim.front().m_nAnimNo, 1);
}

TEST_F(FlowDisplayTest, AFlowsAnimationsGoWithTheFlow) {
  g_AnimeFrameTables.assign(2, cAnimSeqFrames{{7, 6, 0}});
  chara_->m_Chara.m_vFlow.assign(1, cFlow());
  chara_->m_Chara.m_vFlow[0].m_nKey = 2;
  chara_->AddFlows(chara_->m_Chara.m_vFlow, 0, 0);
  scene_.m_pCurFlow = &chara_->m_vFlowInst[0];
  ExecAnim(chara_, Cmd(CMD_ANIM, {1, 0}));
  scene_.m_pCurFlow = nullptr;
  ExecAnim(chara_, Cmd(CMD_ANIM, {1, 0}));
  cFlowCmd drop = Cmd(ICMD_CHANGE_FLOW, {2, 2});
  drop.m_nCategory = CMD_CATEGORY_ITEM;
  ExecChangeFlow(chara_, &drop, 0);
  ASSERT_EQ(chara_->m_lRunAnim.size(), 1u);
  EXPECT_EQ(chara_->m_lRunAnim.front().m_nFlowKey, -1);
}

TEST_F(FlowDisplayTest, GraphicBackgroundAndEffectsChangeTheLook) {
  ExecGraphic(chara_, Cmd(CMD_GRAPHIC, {2, 70000, 3}));
  EXPECT_EQ(chara_->m_Chara.m_cGraphicKind, 2);
  EXPECT_EQ(chara_->m_nGraphicNo, static_cast<int16_t>(70000));
  EXPECT_EQ(chara_->m_Chara.m_sGraphic, static_cast<int16_t>(70000));
  EXPECT_EQ(chara_->m_Chara.m_sGraphicSub, 3);

  const struct {
    int layer, op;
    std::vector<int> want;
  } layers[] = {
      {1, 1, {0, 1}}, {2, 2, {0, 0}}, {2, 2, {0, 1}}, {1, 0, {1, 1}}, {0, 1, {1, 1}}, {3, 1, {1, 1}}, {1, 5, {1, 1}},
  };
  for (const auto& c : layers) {
    ExecBackground(nullptr, Cmd(CMD_BACKGROUND, {c.layer, c.op}));
    EXPECT_EQ((std::vector<int>{g_StageData.m_vBackLayer[0].m_bShow, g_StageData.m_vBackLayer[1].m_bShow}), c.want)
        << c.layer << " " << c.op;
  }

  // Screen effect 0 turns the virtual back buffer off.
  PrepareLoadedDatabase();
  DDSetVirtualBackBuffer(1);
  ASSERT_EQ(lpDTCon->bVirtual, 1);
  ExecScreenEffect(nullptr, Cmd(CMD_SCREEN_EFFECT, {0, 0, 0}));
  EXPECT_EQ(lpDTCon->bVirtual, 0);
}

TEST_F(FlowDisplayTest, CharacterEffectsRunInTheirModes) {
  PrepareLoadedDatabase();
  for (int mode : {0, 1, 2}) {
    ExecCharaEffect(chara_, Cmd(CMD_CHARA_EFFECT, {1, mode, 1}));
    EXPECT_EQ(chara_->m_CharaEffect.m_nIndex, 1);
    EXPECT_EQ(chara_->m_CharaEffect.m_nStartType, mode);
    EXPECT_EQ(chara_->m_CharaEffect.m_bReversed, mode == 1) << "the reversed table for mode 1";
    EXPECT_EQ(chara_->m_CharaEffect.m_bLoop, 1);
  }
}

// ---- The item command set ----

TEST_F(FlowDisplayTest, EveryItemKindReachesItsBody) {
  PrepareLoadedDatabase();
  g_AnimeFrameTables.assign(2, cAnimSeqFrames{{7, 6, 0}});
  cHero& hero = g_vHero.emplace_back();
  hero.m_nObjNo = 1;
  hero.m_nHP = 5;
  hero.m_bOnScreen = 1;
  g_CommonPalette.m_vItem.assign(1, cItemData());
  cFlowCmd hideFirst = Cmd(ICMD_BACKGROUND, {1, 1});
  hideFirst.m_nCategory = CMD_CATEGORY_ITEM;
  g_CommonPalette.m_vItem[0].m_vCmd.assign(1, hideFirst);
  scene_.m_nNextStage = 5;
  scene_.m_lEffect.emplace_back();
  DDSetVirtualBackBuffer(1);
  const struct {
    int kind;
    std::vector<int32_t> params;
    int presents;
    std::function<bool()> done;
  } cases[] = {
      {ICMD_STAGE_CLEAR, {3}, 0, [&] { return scene_.m_nNextStage == 0; }},
      {ICMD_GAME_WAIT, {1}, 6, [] { return true; }},
      {ICMD_MESSAGE, {0, 0, 0, 0, 0, 0, MESTIME_UNTIL_END}, 0, [&] { return scene_.m_lMesWindow.Size() == 1; }},
      {ICMD_ITEM_GET, {0, 0}, 0, [] { return g_StageData.m_vBackLayer[0].m_bShow == 0; }},
      {ICMD_GRAPHIC, {2, 9, 0}, 0, [&] { return hero.m_nGraphicNo == 9; }},
      {ICMD_ANIM, {1, 0}, 0, [&] { return hero.m_lRunAnim.size() == 1; }},
      {ICMD_EFFECT, {0}, 0, [&] { return scene_.m_lEffect.empty(); }},
      {ICMD_CHARA_EFFECT, {1, 1, 0}, 0, [&] { return hero.m_CharaEffect.m_nStartType == 1; }},
      {ICMD_SCREEN_EFFECT, {0, 0, 0}, 0, [] { return lpDTCon->bVirtual == 0; }},
      {ICMD_SCREEN_COLOR, {0, 0, 0, 50}, 0, [&] { return scene_.m_ScreenColor.m_bRunning == 1; }},
      {ICMD_BACKGROUND, {2, 1}, 0, [] { return g_StageData.m_vBackLayer[1].m_bShow == 0; }},
      {ICMD_SE, {4}, 0, [] { return TakeSounds() == std::vector<int>{20}; }},
      {ICMD_BGM, {6, 1}, 0, [] { return g_bStageBgmLoop == 1; }},
  };
  for (const auto& c : cases) {
    cFlowCmd cmd = Cmd(c.kind, c.params);
    cmd.m_nCategory = CMD_CATEGORY_ITEM;
    int result = -1;
    EXPECT_EQ(Presents([&] { result = DispatchItemCmd(&hero, &cmd); }), c.presents) << c.kind;
    EXPECT_EQ(result, c.kind == ICMD_STAGE_CLEAR ? 1 : 0) << c.kind;
    EXPECT_TRUE(c.done()) << c.kind;
  }
  g_CommonPalette.m_vItem.clear();
}

// ---- Screen colour ----

struct TintMode {
  const char* name;
  int backEnd, depth, virtualBuffer;
};
void PrintTo(const TintMode& m, std::ostream* os) { *os << m.name; }

class ScreenColorTest : public FlowDisplayTest, public ::testing::WithParamInterface<TintMode> {
 protected:
  DrawMode Mode() const override { return {GetParam().name, GetParam().backEnd, GetParam().depth}; }
  void SetUp() override {
    FlowDisplayTest::SetUp();
    if (GetParam().virtualBuffer) DDSetVirtualBackBuffer(1);
  }
  void Tint(std::vector<int32_t> p) {
    const cFlowCmd c = Cmd(CMD_SCREEN_COLOR, p);
    ExecScreenColor(nullptr, c);
  }
  // The transparencies drawn in n advancing frames.
  std::vector<int> Run(int n) {
    std::vector<int> t;
    for (int i = 0; i < n; ++i) {
      scene_.DrawScreenColor(0);
      t.push_back(scene_.m_ScreenColor.m_nTransparency);
    }
    return t;
  }
  // The picture the tint was drawn onto.
  static DDSURFACEDATA* Shown() { return lpDTCon && lpDTCon->bVirtual ? &VirBackBuffer : &BackBuffer; }
  bool Direct3D() const { return GetParam().backEnd == 1; }
  bool Palette() const { return GetParam().backEnd == 0 && GetParam().depth == 8; }
};

TEST_P(ScreenColorTest, ATintFadesInStaysAndFadesBack) {
  if (!Direct3D() && !Palette()) GTEST_SKIP() << "no tint at this depth";
  Tint({0, 0, 0, 50, 1, 5});
  EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 0) << "nothing tinted, nothing to fade back";
  EXPECT_EQ(scene_.m_ScreenColor.m_nPrevTransparency, 255);

  Tint({0, 0, 0, 50, 0, 10});
  const std::vector<int> in = Run(61);
  EXPECT_EQ(in.front(), 255);
  EXPECT_EQ(in[30], static_cast<int>(255 - 0.5 * 127.5));
  EXPECT_EQ(in.back(), 127);
  if (Direct3D()) {
    const std::vector<int> stay = Run(100);
    EXPECT_EQ(stay, std::vector<int>(100, 127)) << "a set tint stays at its final transparency";
    EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 1);
  }
  // Frames drawn without advancing do not move the time.
  const int frame = scene_.m_ScreenColor.m_nFrame;
  scene_.DrawScreenColor(1);
  EXPECT_EQ(scene_.m_ScreenColor.m_nFrame, frame);

  Tint({0, 0, 0, 0, 1, 5});
  const std::vector<int> back = Run(31);
  EXPECT_EQ(back.front(), 127);
  EXPECT_EQ(back.back(), 255);
  for (size_t i = 1; i < back.size(); ++i) EXPECT_LE(back[i - 1], back[i]);
  EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 0);
}

TEST_P(ScreenColorTest, AFlashRampsEachCycleAndDropsTheTint) {
  if (!Direct3D() && !Palette()) GTEST_SKIP() << "no tint at this depth";
  Tint({255, 0, 0, 100, 0, 2, 1, 3});
  const std::vector<int> t = Run(39);
  for (int cycle = 0; cycle < 3; ++cycle) {
    for (int f = 0; f < 12; ++f) EXPECT_EQ(t[cycle * 13 + f], static_cast<int>(255 - f / 12.0 * 255)) << cycle << f;
    EXPECT_EQ(t[cycle * 13 + 12], 255) << "the frame after each ramp";
  }
  EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 0);
}

TEST_P(ScreenColorTest, ThePictureIsTintedOnlyWhereTheBackEndCan) {
  DDFillSurfaceColour(Shown(), 'W');
  if (Palette()) DDFillSurfaceColour(&BackBuffer, 'W');
  Tint({0, 0, 0, 100, 0, 0});  // black at full strength at once
  scene_.DrawScreenColor(0);
  const int w = Count('W', 0, 0, 640, 480);
  if (Direct3D()) {
    EXPECT_EQ(Grid(Shown(), 10, 10, 2, 1), std::vector<std::string>{"NN"});
    EXPECT_EQ(scene_.m_ScreenColor.m_nTransparency, 0);
    scene_.DrawScreenColor(0);
    EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 1) << "it stays";
  } else if (Palette()) {
    const int white = IndexOf('W');
    EXPECT_EQ(DDWorkPalette[white].peRed, 0);
    EXPECT_EQ(DDPalette[white].peRed, 255) << "the loaded palette is kept";
    Tint({255, 0, 0, 50, 0, 0});
    scene_.DrawScreenColor(0);
    EXPECT_EQ(DDWorkPalette[white].peRed, 255);
    EXPECT_EQ(DDWorkPalette[white].peGreen, (127 * 255) >> 8);
  } else {
    EXPECT_EQ(w, 640 * 480) << "the picture is unchanged";
    EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 0);
  }
  // Strength 0 at once ends at once.
  Tint({0, 0, 0, 0, 0, 0});
  scene_.DrawScreenColor(0);
  EXPECT_EQ(scene_.m_ScreenColor.m_bRunning, 0);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, ScreenColorTest,
                         ::testing::Values(TintMode{"D3D32", 1, 32, 0}, TintMode{"D3D32virtual", 1, 32, 1},
                                           TintMode{"DD8", 0, 8, 0}, TintMode{"DD32", 0, 32, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
