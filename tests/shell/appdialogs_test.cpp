// The program's dialogs through the headless script: the name entry, the file choosers and the
// start-up choice, as the main window's requests and start-up run them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "platform/fs/path.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "shell/appdialogs.h"
#include "shell/appinit.h"
#include "shell/hook.h"
#include "shell/mainwnd.h"
#include "shell/startupsetting.h"
#include "dialog_script.h"
#include "support/tempdir.h"

using namespace script;

namespace {

class AppDialogTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    dlg::ResetForTest();
    cHook::ResetForTest();
    msgbox::Reset();
    msgbox::SetHeadless(true);
    g_SystemIni.English = 0;
    g_bWindowed = 1;
    cApp::m_nPlayMode = 0;
    g_pScenePlay = nullptr;
    g_OptionData.m_strRankName.clear();
    g_StartupSetting = cStartupSetting();
  }
  void TearDown() override {
    dlg::ResetForTest();
    cHook::ResetForTest();
    ResetKeyStateStandIn();
    msgbox::Reset();
    g_SystemIni.English = 0;
    cApp::m_nPlayMode = 0;
    g_pScenePlay = nullptr;
    SetRequestDialogRunner(nullptr);
    SetStartupDialogHandler(nullptr);
    TempDirTest::TearDown();
  }
  static void WriteFile(const std::string& gamePath) {
    FILE* f = OpenGameFile(gamePath, "wb");
    ASSERT_NE(f, nullptr) << gamePath;
    std::fputs("x", f);
    std::fclose(f);
  }
  // The name entry as the main window runs it.
  static int NameEntry(const std::vector<dlg::ScriptStep>& steps) {
    dlg::PushSteps(steps);
    std::string unused;
    return RunAppRequestDialog(WMU_NAMEENTRY, 0, unused);
  }
  static int FileRequest(UINT request, std::string& path, const std::vector<dlg::ScriptStep>& steps) {
    dlg::PushSteps(steps);
    return RunAppRequestDialog(request, 0, path);
  }
};

// ---- name entry ----

TEST_F(AppDialogTest, NameEntryFromTheOptionsShowsTheNameSelectedAndTypingReplacesIt) {
  cApp::m_nPlayMode = 5;
  g_OptionData.m_strRankName = "aaa";
  dlg::ControlView before;
  RECT where{};
  POINT cursor{};
  int result = NameEntry({Look([&](HWND h) {
                            before = View(h, 1003);
                            where = dlg::DialogRect(h);
                            GetCursorPos(&cursor);
                          }),
                          Type("b"), Key(VK_RETURN)});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(before.text, "aaa");
  EXPECT_EQ(before.selStart, 0);
  EXPECT_EQ(before.selEnd, 3);
  EXPECT_EQ(g_OptionData.m_strRankName, "b");
  // Placed at (240, 220) of the picture, the cursor on it at + (80, 65).
  EXPECT_EQ(where.left, 240);
  EXPECT_EQ(where.top, 220);
  EXPECT_EQ(cursor.x, 320);
  EXPECT_EQ(cursor.y, 285);
}

TEST_F(AppDialogTest, NameEntryKeepsThreeCharacters) {
  struct Case {
    std::vector<std::string> typed;  // UTF-8, one keystroke each
    std::string want;                // code page 932
  };
  const Case cases[] = {
      {{"a", "b", "c", "d"}, "abc"},
      {{U8(u8"あ"), U8(u8"い"), U8(u8"う"), U8(u8"え")}, "あいう"},
      {{U8(u8"abcdefgh")}, ""},  // a paste past the limits is refused as a whole
  };
  cApp::m_nPlayMode = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    g_OptionData.m_strRankName = "";
    std::vector<dlg::ScriptStep> steps;
    for (const std::string& t : c.typed) steps.push_back(Type(t));
    steps.push_back(Key(VK_RETURN));
    EXPECT_EQ(NameEntry(steps), 1);
    EXPECT_EQ(g_OptionData.m_strRankName, c.want);
  }
}

TEST_F(AppDialogTest, NameEntryLabelsEscapeAndClose) {
  cApp::m_nPlayMode = 5;
  g_OptionData.m_strRankName = "abc";
  for (int english : {0, 1}) {
    g_SystemIni.English = english;
    std::string label, button;
    bool openAfterEsc = false;
    int result = NameEntry({Type("x"), Key(VK_ESCAPE), Look([&](HWND h) {
                              openAfterEsc = h != nullptr;
                              label = View(h, 1007).text;
                              button = View(h, 1000).text;
                            }),
                            Close()});
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(openAfterEsc);
    EXPECT_EQ(label, english ? "     Name" : "登録名(3文字まで)");
    EXPECT_EQ(button, "OK");
    EXPECT_EQ(g_OptionData.m_strRankName, "abc");  // closing writes nothing back
  }
}

TEST_F(AppDialogTest, NameEntryFromTheResultBindsThePlaySceneAndTheRequestIsMarkedDone) {
  auto scene = std::make_unique<cScenePlay>();
  g_pScenePlay = scene.get();
  scene->m_strRankName = "zz";
  g_OptionData.m_strRankName = "opt";
  SetRequestDialogRunner(&RunAppRequestDialog);
  dlg::PushSteps({Type("q"), Key(VK_RETURN)});
  g_bNameEntryDone = 0;
  HWND main = CreateWindowStandIn("TestMain");
  g_MainWnd.WndProc(main, WMU_NAMEENTRY, 0, 0);
  EXPECT_EQ(g_bNameEntryDone.load(), 1);
  EXPECT_EQ(scene->m_strRankName, "q");
  EXPECT_EQ(g_OptionData.m_strRankName, "opt");
  // A whole answer stands for the dialog in scene and whole-game tests.
  dlg::PushWholeAnswer(IDD_NAMEENTRY, 1, "abc");
  g_MainWnd.WndProc(main, WMU_NAMEENTRY, 0, 0);
  EXPECT_EQ(scene->m_strRankName, "abc");
  g_MainWnd.m_hWnd = nullptr;
  DestroyWindowStandIn(main);
  g_pScenePlay = nullptr;
}

// ---- file choosers ----

TEST_F(AppDialogTest, StageChooserListsTheStageFolderAndReturnsTheChoice) {
  ASSERT_TRUE(MakeGameDirectory("data"));
  ASSERT_TRUE(MakeGameDirectory("data\\stg4"));
  ASSERT_TRUE(MakeGameDirectory("data\\stg4\\sub"));
  for (const char* f : {"data\\stg4\\b.STG4_914", "data\\stg4\\a.rpl4_900", "data\\stg4\\notes.txt"}) WriteFile(f);
  std::string cwd = GetCurrentGameDirectory();
  std::string caption, folder;
  std::vector<std::string> entries;
  std::string path = "old";
  int result = FileRequest(WMU_OPENSTAGE, path, {Look([&](HWND h) {
                                                   caption = dlg::DialogCaption(h);
                                                   folder = View(h, kChooserFolder).text;
                                                   entries = View(h, kChooserList).entries;
                                                 }),
                                                 Pick("b.STG4_914"), Click(IDOK)});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(path, "data\\stg4\\b.STG4_914");
  EXPECT_EQ(caption, "ステージファイルの読み込み");
  EXPECT_EQ(folder, "data\\stg4\\");
  EXPECT_EQ(entries, (std::vector<std::string>{"..\\", "sub\\", "a.rpl4_900", "b.STG4_914"}));
  EXPECT_EQ(GetCurrentGameDirectory(), cwd);
}

TEST_F(AppDialogTest, OpenRefusesAMissingNameAndCancelGivesAnEmptyPath) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  ASSERT_TRUE(MakeGameDirectory("user_data\\rpl4"));
  g_SystemIni.English = 1;
  std::string folder, caption;
  bool stillOpen = false;
  std::string path = "old";
  int result = FileRequest(WMU_OPENREPLAY, path, {Look([&](HWND h) {
                                                    folder = View(h, kChooserFolder).text;
                                                    caption = dlg::DialogCaption(h);
                                                  }),
                                                  Type("nothing.rpl4_914"), Click(IDOK),
                                                  Look([&](HWND h) { stillOpen = h != nullptr; }), Click(IDCANCEL)});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(path, "");
  EXPECT_EQ(folder, "user_data\\rpl4\\");
  EXPECT_EQ(caption, "load replay file");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(msgbox::TakeRecords().size(), 1u);  // the refusal
}

TEST_F(AppDialogTest, SaveKeepsTheProposedNameAddsTheExtensionAndAsksBeforeOverwriting) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  ASSERT_TRUE(MakeGameDirectory("user_data\\rpl4"));
  WriteFile("user_data\\rpl4\\taken.rpl4_914");
  WriteFile("user_data\\rpl4\\other.rpl4_900");
  std::string shown;
  std::vector<std::string> entries;
  std::string path = "user_data\\rpl4\\proposed.rpl4_914";
  int result = FileRequest(WMU_SAVEREPLAY, path, {Look([&](HWND h) {
                                                    shown = View(h, kChooserName).text;
                                                    entries = View(h, kChooserList).entries;
                                                  }),
                                                  Type("mine"), Click(IDOK)});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown, "proposed.rpl4_914");
  EXPECT_EQ(entries, (std::vector<std::string>{"..\\", "taken.rpl4_914"}));
  EXPECT_EQ(path, "user_data\\rpl4\\mine.rpl4_914");

  // An existing name asks; "No" goes back to the chooser, "Yes" takes it.
  msgbox::PushAnswer(IDNO);
  msgbox::PushAnswer(IDYES);
  bool back = false;
  path = "user_data\\rpl4\\proposed.rpl4_914";
  result = FileRequest(WMU_SAVEREPLAY, path, {Type("taken"), Click(IDOK), Look([&](HWND h) { back = h != nullptr; }),
                                              Click(IDOK)});
  EXPECT_TRUE(back);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(path, "user_data\\rpl4\\taken.rpl4_914");
  EXPECT_EQ(msgbox::TakeRecords().size(), 2u);
}

TEST_F(AppDialogTest, EscapeCancelsTheChooserOnceTheInputMethodHasNothingComposed) {
  ASSERT_TRUE(MakeGameDirectory("data"));
  ASSERT_TRUE(MakeGameDirectory("data\\stg4"));
  bool openAfterFirstEsc = false, openAfterSecondEsc = false;
  std::string composing = "unset";
  std::string path = "old";
  int result = FileRequest(WMU_OPENSTAGE, path, {Preedit(U8(u8"か")), Key(VK_ESCAPE), Look([&](HWND h) {
                                                   openAfterFirstEsc = h != nullptr;
                                                   composing = dlg::Composition();
                                                 }),
                                                 Key(VK_ESCAPE), Look([&](HWND) { openAfterSecondEsc = true; })});
  EXPECT_TRUE(openAfterFirstEsc);
  EXPECT_EQ(composing, "");  // the first Esc dropped the composition
  EXPECT_FALSE(openAfterSecondEsc);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(path, "");
}

// A game key still held when the save chooser opens (Z held through the result screen) repeats into
// it: it types nothing into the name. Esc then cancels the save.
TEST_F(AppDialogTest, AGameKeyHeldIntoTheChooserTypesNothingAndEscCancels) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  ASSERT_TRUE(MakeGameDirectory("user_data\\rpl4"));
  std::string name, typed;
  bool stillOpen = false;
  std::string path = "user_data\\rpl4\\proposed.rpl4_914";
  int result = FileRequest(WMU_SAVEREPLAY, path,
                           {KeyRepeat('Z'), Type("z"), KeyRepeat('Z'), Type("z"),
                            Look([&](HWND h) { name = View(h, kChooserName).text; }), KeyUp('Z'), KeyDown('X'), Type("x"),
                            KeyRepeat('X'), Type("x"), KeyUp('X'), Look([&](HWND h) { typed = View(h, kChooserName).text; }),
                            Key(VK_ESCAPE), Look([&](HWND) { stillOpen = true; })});
  EXPECT_EQ(name, "proposed.rpl4_914");
  EXPECT_EQ(typed, "xx");  // a key pressed in the chooser types, and repeats, as ever
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(path, "");
  EXPECT_FALSE(GamePathExists("user_data\\rpl4\\proposed.rpl4_914"));
}

// ---- start-up ----

TEST_F(AppDialogTest, StartupDialogShowsTheRecordAndStartSavesTheChoice) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  g_SystemData.m_strTitle = "テストゲーム";
  InstallAppDialogs();
  std::string caption;
  int d3d = -1, ddraw = -1, noAsk = -1;
  RECT where{};
  POINT cursor{};
  dlg::PushSteps({Look([&](HWND h) {
                    caption = dlg::DialogCaption(h);
                    d3d = View(h, 1002).checked;
                    ddraw = View(h, 1003).checked;
                    noAsk = View(h, 1004).checked;
                    where = dlg::DialogRect(h);
                    GetCursorPos(&cursor);
                  }),
                  Click(1003), Click(1004), Click(1000)});
  EXPECT_EQ(RunStartupDialog(), 1);
  EXPECT_EQ(caption, "テストゲーム");
  EXPECT_EQ(d3d, 1);
  EXPECT_EQ(ddraw, 0);
  EXPECT_EQ(noAsk, 0);
  EXPECT_EQ(where.left, 133);
  EXPECT_EQ(where.top, 104);
  EXPECT_EQ(cursor.x, 314);
  EXPECT_EQ(cursor.y, 302);
  cStartupSetting saved;
  saved.m_nDrawMode = 7;
  ASSERT_TRUE(saved.Load(g_DataPath[DATAPATH_BOOT]));
  EXPECT_EQ(saved.m_nDrawMode, 0);
  EXPECT_EQ(saved.m_bNoAsk, 1);
}

TEST_F(AppDialogTest, ADamagedOrNewerBootFileLeavesTheDefaults) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  cStartupSetting choice;
  choice.m_nDrawMode = 0;
  choice.m_bNoAsk = 1;
  ASSERT_EQ(choice.Save(g_DataPath[DATAPATH_BOOT]), 1);
  FILE* f = OpenGameFile(g_DataPath[DATAPATH_BOOT], "rb");
  ASSERT_NE(f, nullptr);
  std::string good;
  for (int c; (c = std::fgetc(f)) != EOF;) good.push_back(static_cast<char>(c));
  std::fclose(f);
  std::string newer = good;
  const char version[4] = {static_cast<char>(914 & 0xFF), static_cast<char>(914 >> 8), 0, 0};
  size_t at = newer.find(std::string(version, 4));
  ASSERT_NE(at, std::string::npos);
  newer[at] = static_cast<char>(0xFF);  // version 1023
  for (const std::string& bytes : {good.substr(0, good.size() - 6), good.substr(0, 3), std::string(), newer}) {
    SCOPED_TRACE(bytes.size());
    FILE* out = OpenGameFile(g_DataPath[DATAPATH_BOOT], "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    g_StartupSetting = cStartupSetting();
    LoadStartupSetting();
    EXPECT_EQ(g_StartupSetting.m_nDrawMode, 1);
    EXPECT_EQ(g_StartupSetting.m_bNoAsk, 0);
  }
}

TEST_F(AppDialogTest, StartupCancelAndCloseEndWithoutWriting) {
  ASSERT_TRUE(MakeGameDirectory("user_data"));
  for (const dlg::ScriptStep& end : {Click(1001), Close()}) {
    dlg::PushSteps({Click(1003), end});
    EXPECT_EQ(RunAppStartupDialog(), 0);
    EXPECT_FALSE(GamePathExists(g_DataPath[DATAPATH_BOOT]));
  }
}

TEST_F(AppDialogTest, StartupDialogInEnglish) {
  g_SystemIni.English = 1;
  std::vector<std::string> texts;
  dlg::PushSteps({Look([&](HWND h) {
                    for (int id : {1000, 1001, 1006, 1002, 1003, 1004, 1005}) texts.push_back(View(h, id).text);
                  }),
                  Close()});
  RunAppStartupDialog();
  EXPECT_EQ(texts, (std::vector<std::string>{"Start", "Cancel", "Drawing mode", "Direct3D", "DirectDraw",
                                             "Do not ask this dialog again",
                                             "Configure the detail settings at \"System.ini\"."}));
}

// ---- quit confirmation ----

TEST_F(AppDialogTest, QuitConfirmationTextsAndAnswers) {
  struct Case {
    int english;
    int answer;
    bool want;
    const char* text;
    const char* caption;
  };
  const Case cases[] = {
      {0, IDYES, true, "終了しますか？\n", "終了確認"},
      {0, IDNO, false, "終了しますか？\n", "終了確認"},
      {1, IDNO, false, "Would you like to quit?\n", "End confirmation"},
  };
  for (const Case& c : cases) {
    msgbox::PushAnswer(c.answer);
    EXPECT_EQ(QuitConfirm(nullptr, c.english), c.want);
    std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].type, MB_YESNO);
  }
}

}  // namespace
