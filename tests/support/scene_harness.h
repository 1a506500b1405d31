// Whole scenes run frame by frame on the test thread: a game folder written by the game-folder
// writer, the game started from it as the program starts it (graphics headless, sound on the null
// device, the clock faked), entry into a stage by the free-stage route or as a replay, then N calls
// of cApp::Frame with scripted keys. Each frame leaves a record: the scene, the play state, the
// positions of the hero and the characters, the stage variables, score and lives, the input word and
// a hash of the presented picture; the sound, music and close requests are kept with their frame.
// Header only: the support library sits below the game layer.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamefolder/gamefolder.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/surface.h"
#include "objects/objlists.h"
#include "platform/audio/mixer.h"
#include "platform/text/fontface.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/scene.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "shell/appinit.h"
#include "shell/globals.h"
#include "shell/startupsetting.h"
#include "stagedata/database.h"
#include "support/game_reset.h"
#include "support/gfx_fixture.h"

struct HarnessPos {
  double x, y;
  bool operator==(const HarnessPos&) const = default;
};

// What one frame left behind.
struct HarnessFrame {
  int scene = -1;       // cApp::m_nScene after the frame
  int state = -2;       // the play scene's m_nState; -2 without a play scene
  std::vector<HarnessPos> heroes;
  std::vector<HarnessPos> charas;  // the character list in order
  std::vector<int32_t> stageVars;
  int32_t score = 0;
  int32_t lives = 0;
  uint32_t inputWord = 0;  // device 0's direction word in the low 16 bits, its buttons above
  uint64_t pictureHash = 0;  // of the newest presented frame
};

// A request the game sent to the main window, with the frame that sent it (0 before the first).
struct HarnessRequest {
  int frame;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const HarnessRequest&) const = default;
};

class SceneHarnessTest : public GfxTest {
 protected:
  static void SetUpTestSuite() { audio::Configure(audio::Backend::Null, 22050); }

  void SetUp() override {
    GfxTest::SetUp();  // a fresh folder, the faked clock, the headless presenter, the main window
    msgbox::SetHeadless(true);
    ResetGameGlobals();
    BuildGlobalTables();
    audio::Configure(audio::Backend::Null, 22050);
    audio::SetAbsent(false);
    SetStartupDialogHandler([](cStartupSetting&) { return 1; });
    current_ = this;
    SetWindowProcStandIn(g_hMainWnd, &RecordingProc);
  }

  void TearDown() override {
    if (started_) AppExit();
    SetStartupDialogHandler(nullptr);
    ResetKeyStateStandIn();
    ResetGameGlobals();
    current_ = nullptr;
    GfxTest::TearDown();
  }

  // Writes the folder into the test's folder and starts the game on it as the program does. False
  // when start-up refused; the reason is in the boxes (TakeBoxTexts) and the logs.
  bool StartGame(GameFolder& folder, const char* cmdLine = "") {
    if (!WriteGameFolder(folder)) return false;
    started_ = true;
    return AppInit(cmdLine, SW_SHOWNORMAL);
  }

  // The free-stage route: the stage is loaded for play and the next frame starts the play scene
  // with unlimited lives, as a start-up that names the stage does. 0 when the stage did not load.
  int EnterFreeStage(const std::string& stagePath) {
    g_bFreeStagePlay = 1;
    cApp::m_bRanking = 1;
    if (!LoadStageAndPlay(stagePath.c_str(), 1)) return 0;
    g_SaveData.m_bMultiPart = 0;
    cApp::m_nGameType = 2;
    cApp::m_nPlayMode = 3;
    cApp::m_nScene = SCENE_PLAY;
    cApp::m_nPrevScene = 0;
    return 1;
  }

  // The replay route: the recording is read back and the stage it names is played in play mode 4.
  int EnterReplay(const std::string& replayPath) {
    if (g_ReplayData.LoadFile(replayPath.c_str(), g_StageData, g_PlayStageData, g_SaveData) != 1) return 0;
    cApp::m_nGameType = 3;
    cApp::m_nPlayMode = 4;
    cApp::m_nScene = SCENE_PLAY;
    cApp::m_nPrevScene = 0;
    return 1;
  }

  // The keys held during frames first..last (1-based, inclusive).
  void HoldKeys(int first, int last, std::initializer_list<int> vKeys) {
    for (int f = first; f <= last; ++f) held_[f].insert(vKeys.begin(), vKeys.end());
  }
  // Something done just before frame n runs (1-based), for events a test injects.
  void BeforeFrame(int n, std::function<void()> action) { actions_[n].push_back(std::move(action)); }

  // n more frames. False when cApp::Frame ended the program (lost surfaces not restored).
  bool RunFrames(int n) {
    for (int i = 0; i < n; ++i) {
      const int frame = ++frameNo_;
      ResetKeyStateStandIn();
      for (int vk : held_[frame]) SetKeyStateStandIn(vk, true);
      for (auto& action : actions_[frame]) action();
      const int result = cApp::Frame();
      TakePostedRequests();
      frames_.push_back(Record());
      if (!result) return false;
    }
    return true;
  }

  // The requests of one message, in order.
  std::vector<HarnessRequest> Requests(UINT msg) const {
    std::vector<HarnessRequest> out;
    for (const HarnessRequest& r : requests_)
      if (r.msg == msg) out.push_back(r);
    return out;
  }
  std::vector<int> Sounds() const {
    std::vector<int> out;
    for (const HarnessRequest& r : Requests(WMU_PLAYSOUND)) out.push_back(static_cast<int>(r.wParam));
    return out;
  }
  int CloseRequests() const { return static_cast<int>(Requests(WM_CLOSE).size()); }

  static uint64_t HashPixels(const std::vector<uint32_t>& pixels) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (uint32_t p : pixels)
      for (int b = 0; b < 4; ++b) {
        h ^= (p >> (8 * b)) & 0xFF;
        h *= 1099511628211ull;
      }
    return h;
  }

  // ---- Pictures of whole frames, restarts ----
  // The game's three fonts and the digit pictures made again with the built-in test face, so that
  // text draws the same pixels on every machine and build.
  static bool UseTestFont() {
    for (int i = 0; i < 3; ++i) {
      ReleaseFontObject(&g_Font[i]);
      DDReleaseSurface(&g_DigitSD[i]);
    }
    for (DDFONTDATA& data : g_FontData) std::snprintf(data.szFaceName, sizeof data.szFaceName, "%s", text::kTestFaceName);
    if (!DDCreateFonts(g_Font, g_FontData, 3)) return false;
    g_Font[0].m_bIcon = 0;
    g_Font[1].m_bIcon = g_SystemData.m_bMenuFontSwitch;
    g_Font[2].m_bIcon = 0;
    g_Font[1].m_bCenter = g_SystemData.m_bPlainBrackets;
    return DDCreateDigitSurfaces(g_DigitSD, g_DigitBD, 3, g_Font, g_FontData) != 0;
  }
  // Frames until the play scene is in the state (at most `limit`); false when it never got there.
  bool RunUntilState(int state, int limit = 600) {
    for (int i = 0; i < limit; ++i) {
      if (!frames_.empty() && frames_.back().state == state) return true;
      if (!RunFrames(1)) return false;
    }
    return !frames_.empty() && frames_.back().state == state;
  }
  video::Frame LastPicture() const { return presenter_->LastFrame(); }
  // Ends the started game and forgets what its frames left, as between two tests but in the same
  // folder, so that StartGame can start it again (another back end, say).
  void RestartGame() {
    if (started_) AppExit();
    started_ = false;
    DDRelease();
    DDSurfaceList.clear();
    for (DDSURFACEDATA* sd : {&BackBuffer, &VirBackBuffer, &WorkSD, &ScreenCopySD, &PrimarySD}) *sd = DDSURFACEDATA();
    DDAppSurfaces = nullptr;
    DDAppBitmaps = nullptr;
    DDAppCount = 0;
    DDInitDone = 0;
    ResetKeyStateStandIn();
    ResetGameGlobals();
    BuildGlobalTables();
    frames_.clear();
    requests_.clear();
    frameNo_ = 0;
    held_.clear();
    actions_.clear();
  }
  // ---- end of pictures of whole frames, restarts ----

  std::vector<HarnessFrame> frames_;
  std::vector<HarnessRequest> requests_;
  int frameNo_ = 0;

 private:
  static LRESULT RecordingProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (current_) current_->requests_.push_back({current_->frameNo_, msg, wParam, lParam});
    if (msg == WMU_SAVEREPLAY || msg == WMU_OPENREPLAY || msg == WMU_OPENSTAGE) {
      g_bRequestResult = 0;  // a dialog cancelled
      g_bRequestDone = 1;
    }
    return 0;
  }

  void TakePostedRequests() {
    MSG m;
    while (PeekMessage(&m, g_hMainWnd, 0, 0, PM_REMOVE)) requests_.push_back({frameNo_, m.message, m.wParam, m.lParam});
  }

  HarnessFrame Record() const {
    HarnessFrame r;
    r.scene = cApp::m_nScene;
    if (cApp::SceneOf(SCENE_PLAY) && g_pScenePlay) {
      r.state = g_pScenePlay->m_nState;
      r.stageVars.assign(g_pScenePlay->m_vStageVar.begin(), g_pScenePlay->m_vStageVar.end());
    }
    for (const cHero& h : g_vHero) r.heroes.push_back({h.m_dX, h.m_dY});
    for (const cChara& c : g_lstChara) r.charas.push_back({c.m_dX, c.m_dY});
    r.score = g_SaveData.m_nScore;
    r.lives = g_SaveData.m_nLife;
    if (!g_vInput.empty()) r.inputWord = g_vInput[0].m_wDir | (uint32_t{g_vInput[0].m_wButton} << 16);
    r.pictureHash = HashPixels(presenter_->LastFrame().pixels);
    return r;
  }

  static inline SceneHarnessTest* current_ = nullptr;
  bool started_ = false;
  std::map<int, std::set<int>> held_;
  std::map<int, std::vector<std::function<void()>>> actions_;
};
