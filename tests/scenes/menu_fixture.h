// The menu scenes run headless: a main window on the test thread records the sounds, music requests
// and close requests the game asks for, and answers the file and name dialogs from a script; frames
// are stepped with scripted input words; the game's files live in a fresh current folder.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gamedata/input.h"
#include "gamedata/option.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/menucursor.h"
#include "scenes/requests.h"
#include "scenes/scene.h"
#include "support/game_reset.h"
#include "support/stage_builder.h"
#include "support/tempdir.h"

// Input words of a frame: buttons (bit 0 accept, bit 1 cancel, bits 2 and 3 the ranking buttons)
// and directions (1 left, 2 right, 4 up, 8 down).
constexpr uint16_t kKeyAccept = 1, kKeyCancel = 2, kKeyRank = 4, kKeyGenre = 8;
constexpr uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8;

struct MenuScript {
  std::string stagePath;   // the free-stage dialog's answer; "" cancels
  bool replayChosen = false;
  std::string rankName;    // what the name-entry dialog enters
  std::vector<int> sounds;  // system sounds asked for, in order
  std::vector<int> musicSituations;
  std::vector<UINT> requests;
};

inline MenuScript& Script() {
  static MenuScript script;
  return script;
}

inline LRESULT MenuWindowProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  MenuScript& s = Script();
  s.requests.push_back(msg);
  if (msg == WMU_PLAYSOUND) s.sounds.push_back(static_cast<int>(wParam));
  if (msg == WMU_CHANGEBGM) s.musicSituations.push_back(static_cast<int>(wParam));
  if (msg == WMU_OPENSTAGE) {
    g_bRequestResult = !s.stagePath.empty() && LoadStageAndPlay(s.stagePath.c_str(), 0);
    g_bRequestDone = 1;
  }
  if (msg == WMU_OPENREPLAY) {
    g_bRequestResult = s.replayChosen ? 1 : 0;
    g_bRequestDone = 1;
  }
  if (msg == WMU_NAMEENTRY) {
    g_OptionData.m_strRankName = s.rankName;
    g_bNameEntryDone = 1;
  }
  return 0;
}

class MenuSceneTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetGameGlobals();
    Script() = MenuScript();
    msgbox::SetHeadless(true);
    msgbox::Reset();
    g_hMainWnd = CreateWindowStandIn("MenuSceneTest");
    SetWindowProcStandIn(g_hMainWnd, &MenuWindowProc);
    g_SystemData.SetDefault();
    for (int32_t& unlimited : g_SystemData.m_vLifeUnlimited) unlimited = 0;
    for (const char* dir : {"data/stg4", "user_data/story", "user_data/challenge", "user_data/ranking"})
      std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    ResetGameGlobals();
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    msgbox::Reset();
    TempDirTest::TearDown();
  }

  // One frame of the current scene with these input words (the scene switch first, as a frame does).
  static void Frame(uint16_t buttons = 0, uint16_t dir = 0) {
    cInput& in = g_vInput.At(0);
    in.m_wButton = buttons;
    in.m_wDir = dir;
    cApp::SwitchScene(cApp::m_nScene);
    if (cScene* scene = cApp::SceneOf(cApp::m_nScene)) scene->Run();
  }
  // A press: the frame with the words, then one without, so that the next press is new.
  static void Press(uint16_t buttons, uint16_t dir = 0) {
    Frame(buttons, dir);
    Frame();
  }
  // Starts a scene and runs its Init and fade-in (the fade speed 0 completes a fade in one frame).
  static cScene* Enter(int id) {
    cApp::DeleteScenes();
    cApp::m_nScene = id;
    Frame();
    return cApp::SceneOf(id);
  }
  // Runs frames until the scene has switched away (at most n).
  static void RunUntilSwitched(int from, int n = 5) {
    for (int i = 0; i < n && cApp::m_nScene == from; ++i) Frame();
  }
  static int Closes() {
    int n = 0;
    MSG m;
    while (PeekMessage(&m, g_hMainWnd, 0, 0, PM_REMOVE)) n += m.message == WM_CLOSE;
    return n;
  }
  static std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& r : msgbox::TakeRecords()) texts.push_back(r.text);
    return texts;
  }
  static int Row() { return g_MenuCursor.m_pCur->m_nRow; }
};
