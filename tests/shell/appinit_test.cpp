#include "shell/appinit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "core/datafile.h"
#include "gamedata/input.h"
#include "gamedata/option.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/sysvocab.h"
#include "gamedata/worldmap.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "objects/effectplayer.h"
#include "platform/audio/mixer.h"
#include "platform/fs/path.h"
#include "platform/thread/thread.h"
#include "platform/video/bmp.h"
#include "platform/win/msgbox.h"
#include "scenes/surfacesets.h"
#include "shell/appdialogs.h"
#include "shell/globals.h"
#include "shell/hook.h"
#include "shell/mainwnd.h"
#include "shell/startupsetting.h"
#include "shell/wndplacement.h"
#include "sound/bgmplayer.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"
#include "stagedata/palette.h"
#include "support/bytes.h"
#include "gamefolder/database_files.h"
#include "support/game_reset.h"
#include "gamefolder/media_writers.h"
#include "support/gfx_fixture.h"
#include "dialog_script.h"

// The sound list and the sound device are declared beside types the graphics side declares too.
#include "sound/effects.h"

namespace {

constexpr int kDbSounds = 3;  // database sound list: entry 0 and two sounds

bool WriteText(const std::string& path, const std::string& text) {
  return WriteFileBytes(ResolveHostPath(path), std::vector<uint8_t>(text.begin(), text.end()));
}

bool WritePicture(const std::string& path, int width, int height) {
  std::vector<RGBQUAD> colours(256);
  for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 40, 0};
  std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 7);
  return video::SaveBmpFile(path, video::BmpImage::FromIndices(width, height, 8, indices, colours));
}

// A wave file of 8-bit mono silence.
bool WriteWave(const std::string& path) {
  WaveSpec format;
  format.bits = 8;
  return WriteFileBytes(ResolveHostPath(path), WaveBytes(format, std::vector<uint8_t>(200, 128)));
}

std::vector<std::string> Lines(const char* file) { return LogLines(file); }
bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

class AppInitTest : public GfxTest {
 protected:
  // The synthesizer library keeps a pool of worker threads for the life of the process once it has
  // started: it is started once here, so that the thread counts below see only what a start leaves.
  static void SetUpTestSuite() {
    audio::Configure(audio::Backend::Null, 22050);
    g_Bgm.Init(1, g_BgmOggSlots, g_BgmMidiSlots, kBgmSlots, 1);
    g_Bgm.Release();
  }

  void SetUp() override {
    GfxTest::SetUp();
    msgbox::SetHeadless(true);
    ResetGameGlobals();
    g_Database.SetDefaults();
    g_Database.m_vCharaEffectRev.clear();
    g_Database.m_vScrEffectRev.clear();
    g_bEditorLaunched = 0;
    g_bWindowed = 0;
    g_bNoFlip = 0;
    g_StartupSetting = cStartupSetting();
    g_WndPlacement = cWndPlacement();
    g_WorldMapData = cWorldMapData();
    g_CommonPalette = cCommonPaletteData();
    for (DDSURFACEDATA& sd : g_AppSurface) sd = DDSURFACEDATA();
    for (DDSURFACEDATA& sd : g_DigitSD) sd = DDSURFACEDATA();
    BuildGlobalTables();
    g_vSound.clear();
    g_vSoundSrc.clear();
    audio::Configure(audio::Backend::Null, 22050);
    audio::SetAbsent(false);
    threadsAtStart_ = ThreadCount();
    dialogCalls_ = 0;
    SetStartupDialogHandler([this](cStartupSetting&) {
      ++dialogCalls_;
      return dialogAnswer_;
    });
    WriteGameFolder();
  }

  void TearDown() override {
    // Shut-down copes with whatever state the start left: nothing of the graphics library, the
    // sound device or the music stays, and no thread is left behind.
    AppExit();
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(g_lpDS, nullptr);
    for (const DDSURFACEDATA& sd : g_DigitSD) EXPECT_TRUE(sd.lpDT == nullptr && sd.lpDDData == nullptr);
    for (const Font& f : g_Font) EXPECT_EQ(f.m_lpFastFont_FullAdd, nullptr);
    EXPECT_EQ(ThreadCount(), threadsAtStart_);
    SetStartupDialogHandler(nullptr);
    g_vSound.clear();
    g_vSoundSrc.clear();
    audio::SetAbsent(false);
    g_bEditorLaunched = 0;
    ResetGameGlobals();
    GfxTest::TearDown();
  }

  // The game folder: the database with a sound list of kDbSounds entries, the system data, the world
  // map, the common palette, the pictures start-up loads, one sound and an option file.
  void WriteGameFolder() {
    ASSERT_TRUE(MakeGameDirectory("data"));
    cDatabase db;
    db.m_vSound.resize(kDbSounds);
    for (int i = 1; i < kDbSounds; ++i) db.m_vSound[i].m_strFile = "wave\\db" + std::to_string(i) + ".wav";
    ASSERT_TRUE(WriteDatabaseFiles(db));
    cSystemData sys;
    sys.m_strTitle = "Game";
    sys.m_vSysSound.resize(17);
    for (int i = 0; i < 17; ++i) sys.m_vSysSound[i] = "wave\\sys" + std::to_string(i) + ".wav";
    ASSERT_EQ(sys.Save("data\\System.dat"), 1);
    ASSERT_EQ(cWorldMapData().Save("data\\WorldMap.dat"), 1);
    ASSERT_EQ(cCommonPaletteData().Save("data\\CommonPalette.cplt4"), 1);
    for (const char* dir : {"bmp", "bmp\\plt", "wave", "user_data"}) ASSERT_TRUE(MakeGameDirectory(dir));
    ASSERT_TRUE(WritePicture("bmp\\plt\\Palette.bmp", 32, 32));
    ASSERT_TRUE(WritePicture("bmp\\Debug.bmp", 64, 16));
    ASSERT_TRUE(WritePicture("bmp\\Symbol.bmp", 416, 16));
    ASSERT_TRUE(WritePicture("bmp\\Loading.bmp", 64, 48));
    ASSERT_TRUE(WriteWave("wave\\db2.wav"));
    cOptionData option;
    option.m_nVolume = 3;
    ASSERT_EQ(option.Save("user_data\\Option.dat"), 1);
    Ini("Direct3D=0\nWindowMode=1\n");
  }

  // System.ini with the keys given; the others take the system data's defaults.
  void Ini(const std::string& text) { ASSERT_TRUE(WriteText("System.ini", text)); }

  bool Init(const char* cmdLine = "", int show = SW_SHOWNORMAL) { return AppInit(cmdLine, show); }

  static int ThreadCount() {
    int n = 0;
    for (auto& entry : std::filesystem::directory_iterator("/proc/self/task")) n += entry.is_directory();
    return n;
  }

  int threadsAtStart_ = 0;
  int dialogCalls_ = 0;
  int dialogAnswer_ = 1;
};

TEST_F(AppInitTest, WindowedStartLoadsTheGameAndBuildsTheSoundList) {
  cSystemData sys;
  ASSERT_EQ(sys.Load("data\\System.dat"), 1);
  sys.m_nFont = 3;
  sys.m_bMenuFontSwitch = 1;
  sys.m_bPlainBrackets = 1;
  ASSERT_EQ(sys.Save("data\\System.dat"), 1);
  ASSERT_TRUE(Init());
  EXPECT_TRUE(TakeBoxTexts().empty());

  for (const char* dir : {"user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4",
                          "data\\database", "data\\stg4\\old_ver", "data\\work", "data\\plt4", "bmp\\back",
                          "bmp\\chara_sp", "bmp\\effect", "bmp\\picture", "bmp\\sword", "bmp\\convert", "bmp\\hbt",
                          "bgm"})
    EXPECT_TRUE(GamePathIsDirectory(dir)) << dir;

  EXPECT_EQ(g_bWindowed, 1);
  EXPECT_EQ(DDBackEnd, 0);
  EXPECT_EQ(g_bNoFlip, 1);
  EXPECT_EQ(g_SystemIni.Bpp, 32);
  EXPECT_EQ(g_SystemIni.VSync, 0);
  char title[16] = {};
  GetWindowTextA(g_hMainWnd, title, sizeof(title));
  EXPECT_STREQ(title, "Game");
  EXPECT_TRUE(Contains(Lines("DI_Zaze.txt"), "DDInit成功"));

  // Only the debug sheet, the symbol sheet and the loading picture exist; the rest wait for scenes.
  for (int i = 0; i < kAppSurfaceCount; ++i) {
    const bool made = g_AppSurface[i].lpDDData != nullptr;
    EXPECT_EQ(made, i == 1 || i == 45 || i == 51) << i;
  }

  // Seventeen system sounds, then database sounds 1 onwards: runtime sound 16 + k is database sound k.
  ASSERT_EQ(g_vSoundSrc.size(), static_cast<size_t>(kDbSounds + 16));
  ASSERT_EQ(g_vSound.size(), g_vSoundSrc.size());
  EXPECT_EQ(g_vSoundSrc[0].strFile, "wave\\sys0.wav");
  EXPECT_EQ(g_vSoundSrc[16].strFile, "wave\\sys16.wav");
  EXPECT_EQ(g_vSoundSrc[17].strFile, "wave\\db1.wav");
  EXPECT_EQ(g_vSoundSrc[18].strFile, "wave\\db2.wav");
  for (const DSSOUNDSRC& src : g_vSoundSrc) {
    EXPECT_EQ(src.nCount, 1);
    EXPECT_EQ(src.nVolume, 0);
    EXPECT_EQ(src.nFlag, 1);
  }
  // The one sound that exists plays at volume step 3 of the option file.
  ASSERT_EQ(g_vSound[18].vBuffer.size(), 1u);
  LONG volume = 0;
  g_vSound[18].vBuffer[0]->GetVolume(&volume);
  EXPECT_EQ(volume, -1300);
  EXPECT_TRUE(g_vSound[17].vBuffer.empty());

  // The reverse effect lists are fresh copies of the loaded ones.
  EXPECT_EQ(g_Database.m_vCharaEffectRev.size(), g_Database.m_vCharaEffect.size());
  EXPECT_EQ(g_Database.m_vScrEffectRev.size(), g_Database.m_vScrEffect.size());
  EXPECT_EQ(g_CharaEffectFwd.size(), g_Database.m_vCharaEffect.size());

  // The game's font face in all three fonts; icon letters and centring only in font 1.
  for (const DDFONTDATA& d : g_FontData) EXPECT_STREQ(d.szFaceName, g_FontName[3]);
  EXPECT_EQ(g_Font[0].m_bIcon, 0);
  EXPECT_EQ(g_Font[1].m_bIcon, 1);
  EXPECT_EQ(g_Font[2].m_bIcon, 0);
  EXPECT_EQ(g_Font[1].m_bCenter, 1);
  for (const DDSURFACEDATA& sd : g_DigitSD) EXPECT_NE(sd.lpDDData, nullptr);

  EXPECT_EQ(cApp::m_nFps, 60);
  EXPECT_EQ(cApp::m_nFadeSpeed, 10);
  EXPECT_EQ(cApp::m_nScene, 0);
}

TEST_F(AppInitTest, TheStartRemovesTemporariesThatCrashedSavesLeft) {
  ASSERT_TRUE(MakeGameDirectory("user_data\\story"));
  for (const char* f : {"user_data\\Option.dat.tmp~", "user_data\\story\\Story01.dat.tmp~"})
    ASSERT_TRUE(WriteText(f, "half"));
  ASSERT_TRUE(WriteText("user_data\\story\\Story01.dat", "kept"));
  ASSERT_TRUE(Init());
  EXPECT_FALSE(GamePathExists("user_data\\Option.dat.tmp~"));
  EXPECT_FALSE(GamePathExists("user_data\\story\\Story01.dat.tmp~"));
  EXPECT_TRUE(GamePathIsFile("user_data\\story\\Story01.dat"));
  EXPECT_TRUE(GamePathIsFile("user_data\\Option.dat"));
}

// A key configuration the game can poll with is used as it stands; a damaged one gives the default keys
// and a line in the report.
TEST_F(AppInitTest, ADamagedKeyConfigurationFallsBackToTheDefaultKeys) {
  KEYCONFIG defaults;
  DefaultKeyConfig(&defaults);
  KEYCONFIG own = defaults;
  own.bUse = 1;
  own.Entry[4].wCode = 'Q';
  own.Entry[5] = KEYCONFIGENTRY{0, 1024, 0};
  struct Case {
    const char* what;
    std::function<void(KEYCONFIG&)> change;
    bool damaged;
  };
  const Case cases[] = {
      {"own keys", [](KEYCONFIG&) {}, false},
      {"entry count", [](KEYCONFIG& c) { c.nEntryCount = 300; }, true},
      {"joystick count", [](KEYCONFIG& c) { c.nJoystickCount = -2; }, true},
      {"use flag", [](KEYCONFIG& c) { c.bUse = 77; }, true},
      {"device", [](KEYCONFIG& c) { c.Entry[2].nDevice = 99; }, true},
      {"key code", [](KEYCONFIG& c) { c.Entry[0].wCode = 0x1234; }, true},
  };
  for (const Case& c : cases) {
    KEYCONFIG file = own;
    c.change(file);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
    ASSERT_TRUE(WriteFileBytes("user_data/KeyConfig.dat", std::vector<uint8_t>(bytes, bytes + sizeof file)));
    const auto reported = [] {
      const std::vector<std::string> lines = Lines("Report_Game.txt");
      return std::count(lines.begin(), lines.end(), "user_data\\KeyConfig.dat が壊れています。標準のキー設定を使います。");
    };
    const auto before = reported();
    ASSERT_TRUE(Init());
    const KEYCONFIG& expect = c.damaged ? defaults : file;
    EXPECT_EQ(std::memcmp(&g_KeyConfig, &expect, sizeof expect), 0) << c.what;
    EXPECT_EQ(reported() - before, c.damaged ? 1 : 0) << c.what;
    AppExit();
  }
}

// Shut-down reports the glyph caches of fonts 0 and 1 where the back end's cache setting gave them one.
TEST_F(AppInitTest, ShutDownKeepsTheGraphicsWhileAnAbandonedThreadRuns) {
  Ini("Direct3D=0\nWindowMode=1\n");
  ASSERT_TRUE(Init());
  // A thread left running by shut-down after AppInit: it may still draw.
  DWORD id = 0;
  HTHREAD stuck = BeginThread([](void*) -> unsigned { return 0; }, nullptr, &id);
  ASSERT_NE(stuck, nullptr);
  AbandonThread(stuck);
  AppExit();
  EXPECT_NE(lpDDCon, nullptr) << "the graphics stay for the running thread";
  EXPECT_TRUE(std::ranges::any_of(Lines("Report_Game.txt"),
                                  [](const std::string& l) { return l.rfind("AppExit : a thread", 0) == 0; }));
  while (WaitForSingleObject(stuck, 1) == WAIT_TIMEOUT) {
  }
  CloseHandle(stuck);
  ReleaseAppGraphics();
  EXPECT_EQ(lpDDCon, nullptr);

  // A later start counts only the threads abandoned after it.
  BuildGlobalTables();
  Ini("Direct3D=0\nWindowMode=1\n");
  ASSERT_TRUE(Init());
  AppExit();
  EXPECT_EQ(lpDDCon, nullptr);
}

TEST_F(AppInitTest, ShutDownReportsTheGlyphCaches) {
  auto cacheLines = [] {
    int n = 0;
    for (const std::string& line : Lines("Report_Game.txt"))
      n += line.rfind("Font10 : ", 0) == 0 || line.rfind("Font16 : ", 0) == 0;
    return n;
  };
  Ini("Direct3D=0\nWindowMode=1\nDD_FontCache=1\n");
  ASSERT_TRUE(Init());
  EXPECT_EQ(g_FontData[0].bFastFont, 1);
  EXPECT_EQ(g_FontData[2].bFastFont, 0);
  AppExit();
  EXPECT_EQ(cacheLines(), 2);

  BuildGlobalTables();
  Ini("Direct3D=0\nWindowMode=1\nDD_FontCache=0\n");
  ASSERT_TRUE(Init());
  AppExit();
  EXPECT_EQ(cacheLines(), 2);
}

struct FailureCase {
  const char* name;
  void (*damage)();
  const char* box;       // the box shown, or null for none
  const char* debugLine; // a debug-log line, or null
};

class AppInitFailureTest : public AppInitTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AppInitFailureTest, FailsWithItsMessage) {
  const FailureCase& c = GetParam();
  c.damage();
  EXPECT_FALSE(Init());
  std::vector<std::string> boxes = TakeBoxTexts();
  if (c.box) {
    // A loader may have shown its own box first.
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), c.box);
  } else {
    EXPECT_TRUE(boxes.empty());
  }
  if (c.debugLine) {
    EXPECT_TRUE(Contains(Lines("DI_Zaze.txt"), c.debugLine));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AppInitFailureTest,
    ::testing::Values(
        FailureCase{"NoDataNoDefault", [] { std::filesystem::remove_all("data"); },
                    "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。", nullptr},
        FailureCase{"DamagedDatabase",
                    [] { ASSERT_TRUE(WriteText(kDbSoundPath, std::string("\x92\x03\x00\x00\x05", 5))); },
                    "データベースの読み込みに失敗…", nullptr},
        FailureCase{"NoSystemData", [] { RemoveGameFile("data\\System.dat"); }, "data\\System.dat の読み込みに失敗…",
                    nullptr},
        FailureCase{"NoWorldMap", [] { RemoveGameFile("data\\WorldMap.dat"); }, "data\\WorldMap.dat のロードに失敗！",
                    nullptr},
        FailureCase{"NoCommonPalette", [] { RemoveGameFile("data\\CommonPalette.cplt4"); },
                    "data\\CommonPalette.cplt4 のロードに失敗！", nullptr},
        FailureCase{"NoPalettePicture", [] { RemoveGameFile("bmp\\plt\\Palette.bmp"); },
                    "bmp\\plt\\Palette.bmp の読み込みに失敗！", "DDLoadPaletteFromFile失敗"},
        FailureCase{"NoSymbolSheet", [] { RemoveGameFile("bmp\\Symbol.bmp"); }, "bmp\\Symbol.bmp の読み込みに失敗！",
                    nullptr}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(AppInitTest, BadSystemIniGivesTheDefaultsAndGoesOn) {
  Ini("Direct3D=0\nWindowMode=1");  // the last line has no line feed
  ASSERT_TRUE(Init());
  EXPECT_EQ(TakeBoxTexts(), std::vector<std::string>{"System.ini の読み込みに失敗しました！"});
  // Defaults: the start-up dialog's choice (Direct3D) in full screen.
  EXPECT_EQ(dialogCalls_, 1);
  EXPECT_EQ(g_SystemIni.Direct3D, 1);
  EXPECT_EQ(g_bWindowed, 0);
}

TEST_F(AppInitTest, StartupDialogDecidesTheBackEndUnlessTheSavedSettingSaysNotToAsk) {
  Ini("Direct3D=2\nWindowMode=1\n");
  dialogAnswer_ = 0;
  EXPECT_FALSE(Init());
  EXPECT_EQ(dialogCalls_, 1);
  EXPECT_TRUE(TakeBoxTexts().empty());
  AppExit();

  // The player picks DirectDraw and starts.
  SetStartupDialogHandler([this](cStartupSetting& setting) {
    ++dialogCalls_;
    EXPECT_EQ(setting.m_nDrawMode, 1);  // a first start offers Direct3D
    setting.m_nDrawMode = 0;
    return 1;
  });
  ASSERT_TRUE(Init());
  EXPECT_EQ(dialogCalls_, 2);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  AppExit();

  g_StartupSetting = cStartupSetting();
  cStartupSetting saved;
  saved.m_nDrawMode = 0;
  saved.m_bNoAsk = 1;
  ASSERT_EQ(saved.Save("user_data\\Boot.dat"), 1);
  ASSERT_TRUE(Init());
  EXPECT_EQ(dialogCalls_, 2);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  EXPECT_EQ(DDBackEnd, 0);
}

struct ModeCase {
  const char* name;
  int desktopBpp;
  const char* ini;
  int depthDD, colourMode, depthD3D;
  const char* box;  // the screen-mode box, or null when the mode passes
  int bpp, vsync, windowed;
  int noFlip;  // DirectDraw copies the frame instead of flipping
};

class ScreenModeTest : public AppInitTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ScreenModeTest, ChoosesDepthWindowAndVSync) {
  const ModeCase& c = GetParam();
  video::test::SetDesktop(1920, 1080, c.desktopBpp);
  Ini(c.ini);
  cSystemData sys;
  ASSERT_EQ(sys.Load("data\\System.dat"), 1);
  sys.m_nDepthDD = c.depthDD;
  sys.m_nColourMode = c.colourMode;
  sys.m_nDepthD3D = c.depthD3D;
  ASSERT_EQ(sys.Save("data\\System.dat"), 1);
  const bool ok = Init();
  std::vector<std::string> boxes = TakeBoxTexts();
  const bool modeBox = !boxes.empty() && boxes[0].rfind("画面モードが不正です！", 0) == 0;
  if (c.box) {
    EXPECT_FALSE(ok);
    ASSERT_TRUE(modeBox);
    EXPECT_EQ(boxes[0], c.box);
  } else {
    EXPECT_FALSE(modeBox);
  }
  EXPECT_EQ(g_SystemIni.Bpp, c.bpp);
  EXPECT_EQ(g_SystemIni.VSync, c.vsync);
  EXPECT_EQ(g_bWindowed, c.windowed);
  EXPECT_EQ(g_bNoFlip, c.noFlip);
}

const char kWindowModeBox[] =
    "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！";
const char kModeBox[] = "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";

INSTANTIATE_TEST_SUITE_P(
    Table, ScreenModeTest,
    ::testing::Values(
        ModeCase{"WindowOn8BitDesktop", 8, "Direct3D=0\nWindowMode=1\n", 0, 0, 0, kModeBox, 8, 0, 1, 0},
        ModeCase{"Window32On16BitDesktop", 16, "Direct3D=0\nWindowMode=1\nBpp=32\n", 0, 0, 0, kWindowModeBox,
                 32, 0, 1, 0},
        ModeCase{"WindowTakesTheDesktop", 16, "Direct3D=1\nWindowMode=1\nVSync=3\n", 0, 0, 0, nullptr, 16, 1,
                 1, 0},
        ModeCase{"DirectDrawWindowDropsVSync", 32, "Direct3D=0\nWindowMode=1\nVSync=1\n", 0, 0, 0, nullptr, 32,
                 0, 1, 1},
        ModeCase{"FullScreen8Bit", 32, "Direct3D=0\nWindowMode=0\nVSync=2\n", 2, 0, 0, nullptr, 8, 0, 0, 1},
        ModeCase{"FullScreen8BitWithRgbKeyIs32", 32, "Direct3D=0\nWindowMode=0\n", 2, 1, 0, nullptr, 32, 0, 0, 1},
        ModeCase{"FullScreenDirectDraw16", 32, "Direct3D=0\nWindowMode=0\nVSync=1\n", 1, 0, 0, nullptr, 16, 1,
                 0, 0},
        ModeCase{"FullScreenDirect3D16", 32, "Direct3D=1\nWindowMode=0\nVSync=0\n", 0, 0, 1, nullptr, 16, 0,
                 0, 0},
        ModeCase{"Direct3DAt8Bits", 32, "Direct3D=1\nWindowMode=0\nBpp=8\n", 0, 0, 0, kModeBox, 8, 1, 0, 0},
        ModeCase{"OddDepth", 32, "Direct3D=0\nWindowMode=0\nBpp=24\n", 0, 0, 0, kModeBox, 24, 0, 0, 0}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST_F(AppInitTest, ResizableWindowOnlyForDirect3DWindowMode2) {
  Ini("Direct3D=1\nWindowMode=2\n");
  ASSERT_TRUE(Init());
  EXPECT_NE(GetWindowLongA(g_hMainWnd, GWL_STYLE) & WS_THICKFRAME, 0);
  // Direct3D: the aliases of the fixed set show their partners' textures.
  EXPECT_EQ(g_AppSurface[3].lpPartner, &g_AppSurface[2]);
  EXPECT_EQ(g_AppSurface[69].lpPartner, &g_AppSurface[68]);
  EXPECT_EQ(lpDTCon->strTextureError.rfind("テクスチャの作成に失敗しました！\n", 0), 0u);
  AppExit();
  SetWindowLongA(g_hMainWnd, GWL_STYLE, GetWindowLongA(g_hMainWnd, GWL_STYLE) & ~WS_THICKFRAME);
  Ini("Direct3D=0\nWindowMode=2\n");
  ASSERT_TRUE(Init());
  EXPECT_EQ(GetWindowLongA(g_hMainWnd, GWL_STYLE) & WS_THICKFRAME, 0);
}

TEST_F(AppInitTest, FailedDirect3DFallsBackToDirectDrawKeepingTheMode) {
  video::test::FailDirect3DCreate(true);
  Ini("Direct3D=1\nWindowMode=1\nVSync=1\n");
  ASSERT_TRUE(Init());
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  EXPECT_EQ(DDBackEnd, 0);
  EXPECT_EQ(DDVSync, 1);
  EXPECT_EQ(DDWindowMode, 1);
  EXPECT_EQ(DDScreenBpp, 32);
  EXPECT_EQ(g_bWindowed, 1);
  EXPECT_EQ(g_AppSurface[3].lpPartner, nullptr);
}

TEST_F(AppInitTest, FullScreenOnASlowMonitorCopiesTheFrame) {
  video::test::SetRefresh(50, false);
  Ini("Direct3D=0\nWindowMode=0\nVSync=1\nBpp=32\n");
  ASSERT_TRUE(Init());
  EXPECT_EQ(g_bNoFlip, 1);
}

TEST_F(AppInitTest, BothBackEndsFailing) {
  video::test::FailDirect3DCreate(true);
  video::test::SetVideoMemory(1024);  // too little for a full-screen primary surface
  Ini("Direct3D=1\nWindowMode=0\n");
  EXPECT_FALSE(Init());
  EXPECT_TRUE(Contains(Lines("DI_Zaze.txt"), "DDInit失敗"));
}

TEST_F(AppInitTest, MissingSoundDeviceStartsSilently) {
  audio::SetAbsent(true);
  ASSERT_TRUE(Init());
  EXPECT_TRUE(Contains(Lines("DI_Zaze.txt"), "DS_Init失敗！"));
  EXPECT_TRUE(Contains(Lines("Report_Game.txt"), "DSInit Err"));
  EXPECT_EQ(g_vSoundSrc.size(), static_cast<size_t>(kDbSounds + 16));
}

TEST_F(AppInitTest, SavedPlacementIsPulledOntoTheScreen) {
  cWndPlacement place;
  place.m_nX = -40;
  place.m_nY = 5000;
  place.m_nWidth = 20;
  place.m_nHeight = 100000;
  place.m_bMaximized = 1;
  ASSERT_EQ(place.Save("user_data\\Window.dat"), 1);
  Ini("Direct3D=1\nWindowMode=2\n");
  ASSERT_TRUE(Init());
  EXPECT_EQ(g_WndPlacement.m_nX, 0);
  EXPECT_EQ(g_WndPlacement.m_nY, 1080);
  EXPECT_EQ(g_WndPlacement.m_nWidth, kMinClientWidth);
  EXPECT_EQ(g_WndPlacement.m_nHeight, 1080);
  RECT client{};
  GetClientRect(g_hMainWnd, &client);
  EXPECT_EQ(client.right, kMinClientWidth);
  // The window opens wholly on the work area: the saved top at the bottom edge is pulled up.
  POINT origin{0, 0};
  ClientToScreen(g_hMainWnd, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
}

// Direct play of a stage named in FreeStage or on the command line of a test play.
class NamedStageTest : public AppInitTest {
 protected:
  void SetUp() override {
    AppInitTest::SetUp();
    ASSERT_TRUE(MakeGameDirectory("data\\stg4"));
    for (const char* f : {"data\\stg4\\x.stg4_900", "data\\stg4\\x.stg4_914", "data\\stg4\\plain.stg4"})
      ASSERT_TRUE(WriteText(f, "stage"));
  }
  void StartPlain(int on) {
    cSystemData sys;
    ASSERT_EQ(sys.Load("data\\System.dat"), 1);
    sys.m_bStartStagePlain = on;
    ASSERT_EQ(sys.Save("data\\System.dat"), 1);
  }
  // The stage loader is not built yet here: the start runs up to it and stops when it fails.
  void StartUpTo(const char* cmdLine = "") { Init(cmdLine); }
};

TEST_F(NamedStageTest, HighestNumberedCopyIsPlayed) {
  Ini("Direct3D=0\nWindowMode=1\nFreeStage=data\\stg4\\x.stg4_123\n");
  StartUpTo();
  EXPECT_STREQ(g_SystemIni.FreeStage, "data\\stg4\\x.stg4_914");
  EXPECT_EQ(g_bFreeStagePlay, 1);
  EXPECT_EQ(g_bFreeStageTitle, 0);
  EXPECT_EQ(cApp::m_bRanking, 1);
}

// A stage named outside the game folder is refused before any folder outside is read.
TEST_F(NamedStageTest, AStageOutsideTheGameFolderIsNeitherListedNorPlayed) {
  // A folder beside the game folder, named after it.
  const std::string game = GetCurrentGameDirectory();
  const std::string beside = game.substr(game.rfind('/') + 1) + ".outside";
  ASSERT_TRUE(MakeGameDirectory("..\\" + beside));
  ASSERT_TRUE(WriteText("..\\" + beside + "\\x.stg4_914", "stage"));
  // System.ini ends a value at a slash: the absolute path in backslashes.
  std::string outside = game + "\\..\\" + beside + "\\x.stg4";
  std::replace(outside.begin(), outside.end(), '/', '\\');
  const std::string relative = "..\\" + beside + "\\x.stg4";
  // The refusal names the stage as System.ini gives it, an absolute path in its relative form.
  const auto refusals = [&] {
    const std::string failed = "」の読み込みに失敗しました！";
    return std::ranges::count_if(Lines("Report_Game.txt"), [&](const std::string& l) {
      return l.find(beside) != std::string::npos && l.size() > failed.size() &&
             l.compare(l.size() - failed.size(), failed.size(), failed) == 0;
    });
  };
  for (const std::string& named : {relative + "_123", relative + "_914", outside + "_914", outside + "_123"}) {
    Ini("Direct3D=0\nWindowMode=1\nFreeStage=" + named + "\n");
    const auto before = refusals();
    ASSERT_TRUE(Init());
    EXPECT_STREQ(g_SystemIni.FreeStage, "") << named;
    EXPECT_EQ(g_bFreeStagePlay, 0) << named;
    EXPECT_EQ(cApp::m_nScene, 0);
    EXPECT_EQ(refusals() - before, 1) << named;
    AppExit();
  }
  std::filesystem::remove_all("../" + beside);
}

TEST_F(NamedStageTest, StageWithoutCopiesIsPlayedAsNamed) {
  StartPlain(1);
  Ini("Direct3D=0\nWindowMode=1\nFreeStage=data\\stg4\\plain.stg4\n");
  StartUpTo();
  EXPECT_STREQ(g_SystemIni.FreeStage, "data\\stg4\\plain.stg4");
  EXPECT_EQ(g_bFreeStagePlay, 1);
  EXPECT_EQ(g_bFreeStageTitle, 1);
  EXPECT_EQ(cApp::m_bRanking, 0);
}

TEST_F(NamedStageTest, MissingStageStartsAtTheTitle) {
  Ini("Direct3D=0\nWindowMode=1\nFreeStage=data\\stg4\\none.stg4\n");
  ASSERT_TRUE(Init());
  EXPECT_STREQ(g_SystemIni.FreeStage, "");
  EXPECT_EQ(g_bFreeStagePlay, 0);
  EXPECT_EQ(cApp::m_nScene, 0);
  const std::string line = "「data\\stg4\\none.stg4」の読み込みに失敗しました！";
  EXPECT_TRUE(Contains(Lines("Report_Game.txt"), line));
  EXPECT_TRUE(Contains(Lines("DI_Zaze.txt"), line));
}

TEST_F(NamedStageTest, TestPlayTakesTheCommandLine) {
  StartPlain(1);
  g_bEditorLaunched = 1;
  Ini("Direct3D=0\nWindowMode=1\nFreeStage=data\\stg4\\x.stg4\n");
  StartUpTo("data\\stg4\\plain.stg4");
  EXPECT_STREQ(g_SystemIni.FreeStage, "data\\stg4\\plain.stg4");
  EXPECT_EQ(g_bFreeStagePlay, 1);
  EXPECT_EQ(g_bFreeStageTitle, 0);  // a test play never goes to the title
  EXPECT_EQ(cApp::m_bRanking, 1);
}

TEST_F(NamedStageTest, TestPlayWithoutStage) {
  g_bEditorLaunched = 1;
  Ini("Direct3D=0\nWindowMode=1\nFreeStage=data\\stg4\\x.stg4\n");
  StartUpTo();
  EXPECT_STREQ(g_SystemIni.FreeStage, "data\\stg4\\x.stg4_914");
  AppExit();

  // The system data can send such a start to the title instead.
  StartPlain(1);
  g_bFreeStagePlay = 0;
  ASSERT_TRUE(Init());
  EXPECT_STREQ(g_SystemIni.FreeStage, "");
  EXPECT_EQ(g_bFreeStagePlay, 0);
}

TEST_F(NamedStageTest, TestPlayWithAPathTooLongForTheFieldStartsAtTheTitle) {
  g_bEditorLaunched = 1;
  const std::string path = "data\\stg4\\" + std::string(260, 'a') + ".stg4";
  ASSERT_TRUE(Init(path.c_str()));
  EXPECT_STREQ(g_SystemIni.FreeStage, "");
  EXPECT_EQ(g_bFreeStagePlay, 0);
  EXPECT_TRUE(Contains(Lines("Report_Game.txt"), "「" + path + "」の読み込みに失敗しました！"));
}

TEST_F(NamedStageTest, CommandLineIgnoredWithoutTestPlay) {
  ASSERT_TRUE(Init("data\\stg4\\plain.stg4"));
  EXPECT_STREQ(g_SystemIni.FreeStage, "");
  EXPECT_EQ(g_bFreeStagePlay, 0);
}

TEST_F(AppInitTest, TheStartupDialogItselfChoosesAndRemembers) {
  Ini("Direct3D=2\nWindowMode=1\n");
  InstallAppDialogs();
  // Cancel ends the start and writes nothing.
  dlg::PushSteps({script::Click(1001)});
  EXPECT_FALSE(Init());
  EXPECT_FALSE(GamePathExists("user_data\\Boot.dat"));
  AppExit();

  // DirectDraw, do not ask again, Start.
  g_StartupSetting = cStartupSetting();
  int offered = -1;
  dlg::PushSteps({script::Look([&](HWND h) { offered = script::View(h, 1002).checked; }), script::Click(1003),
                  script::Click(1004), script::Click(1000)});
  ASSERT_TRUE(Init());
  EXPECT_EQ(offered, 1);
  EXPECT_EQ(g_SystemIni.Direct3D, 0);
  EXPECT_EQ(DDBackEnd, 0);
  cStartupSetting saved;
  ASSERT_TRUE(saved.Load("user_data\\Boot.dat"));
  EXPECT_EQ(saved.m_nDrawMode, 0);
  EXPECT_EQ(saved.m_bNoAsk, 1);
  AppExit();

  // The next start asks nothing (a dialog without steps would close and end the start).
  g_StartupSetting = cStartupSetting();
  ASSERT_TRUE(Init());
  EXPECT_EQ(DDBackEnd, 0);
  // Shut-down switches the dialogs' key routing off.
  cHook hook;
  HWND dialogWindow = CreateWindowStandIn("Dialog");
  ASSERT_TRUE(hook.Install(dialogWindow, 0));
  AppExit();
  EXPECT_FALSE(cHook::IsInstalled());
  DestroyWindowStandIn(dialogWindow);
  SetRequestDialogRunner(nullptr);
  dlg::ResetForTest();
}
