#include "scenes/sceneoption.h"

#include <gtest/gtest.h>

#include <functional>

#include "gamedata/datapath.h"
#include "gfx/globals.h"
#include "scenes/menuscene.h"
#include "platform/audio/mixer.h"
#include "sound/bgmplayer.h"
#include "sound/bgmslots.h"
#include "sound/effects.h"
#include "support/bytes.h"
#include "gamefolder/media_writers.h"
#include "menu_fixture.h"

namespace {

class OptionTest : public MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    audio::Configure(audio::Backend::Null, 22050);
    g_SystemData.m_vOptionCmd.resize(6);
    for (cCmd& cmd : g_SystemData.m_vOptionCmd) cmd.m_bEnable = 1;
  }
  void TearDown() override {
    g_Bgm.Release();
    for (DSSOUNDDATA& sound : g_vSound) DS_ReleaseSound(&sound);
    DS_Release();
    g_vSound.clear();
    MenuSceneTest::TearDown();
  }
  cSceneOption* EnterOptions() { return static_cast<cSceneOption*>(Enter(SCENE_OPTION)); }
  // Moves onto the row of the kind and accepts it.
  void Choose(int kind) {
    for (int i = 0; i < 8 && Row() != kind; ++i) Press(0, kDown);
    ASSERT_EQ(Row(), kind);
    Press(kKeyAccept);
  }
  // Leaves with cancel and runs the fade-out.
  void Leave() {
    Frame(kKeyCancel);
    RunUntilSwitched(SCENE_OPTION);
    ASSERT_EQ(cApp::m_nScene, SCENE_TITLE);
  }
  static cOptionData Written() {
    cOptionData written;
    EXPECT_EQ(written.Load(g_DataPath[DATAPATH_OPTION]), 1);
    return written;
  }
};

TEST_F(OptionTest, VolumeWrapsActsAtOnceOnEveryBufferAndCancelRestoresIt) {
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  ASSERT_TRUE(WriteFileBytes("w.wav", WaveBytes(WaveSpec{}, Pcm16({100, -100, 200}))));
  g_vSound.resize(3);
  for (DSSOUNDDATA& sound : g_vSound) ASSERT_TRUE(DS_LoadSound(&sound, "w.wav", 2, 0));
  const auto volumes = [] {
    std::vector<int> v;
    for (DSSOUNDDATA& sound : g_vSound)
      for (int i = 0; i < 2; ++i) v.push_back(DS_GetVolume(&sound, i));
    return v;
  };
  g_OptionData.m_nVolume = 10;
  EnterOptions();
  Choose(OPTION_VOLUME);
  Press(0, kUp);
  EXPECT_EQ(g_OptionData.m_nVolume, 0);
  EXPECT_EQ(volumes(), std::vector<int>(6, -10000));
  Press(0, kDown);
  Press(0, kDown);
  EXPECT_EQ(g_OptionData.m_nVolume, 9);
  EXPECT_EQ(volumes(), std::vector<int>(6, -30));
  Press(kKeyCancel);
  EXPECT_EQ(g_OptionData.m_nVolume, 10);
  EXPECT_EQ(volumes(), std::vector<int>(6, 0));
  EXPECT_EQ(g_MenuCursor.m_vState.Size(), 1);
}

TEST_F(OptionTest, APaletteEditAtFullColourIsKeptAndWrittenOnLeaving) {
  DDScreenBpp = 32;
  g_OptionData.m_nPalette = 23;
  EnterOptions();
  Choose(OPTION_PALETTE);
  Press(0, kUp);  // wraps
  Press(kKeyAccept);
  EXPECT_EQ(g_OptionData.m_nPalette, 0);
  Leave();  // cancel while choosing still writes the record
  EXPECT_EQ(Written().m_nPalette, 0);
  EXPECT_EQ(cApp::m_nPrevScene, SCENE_OPTION);
}

TEST_F(OptionTest, TheMusicSwitchTakesEffectWhenLeaving) {
  g_SystemData.m_vMenuBgm.At(0) = 2;
  g_SystemData.m_vMenuBgmContinue.At(0) = 1;
  g_Bgm.Init(1, g_BgmOggSlots, g_BgmMidiSlots, kBgmSlots, 0);
  cApp::m_nCurBgm = 2;
  cApp::m_bCurBgmKeep = 1;
  EnterOptions();
  Choose(OPTION_BGM);
  Press(0, kUp);  // off
  Press(kKeyAccept);
  Leave();
  EXPECT_FALSE(g_Bgm.IsInit());
  EXPECT_EQ(cApp::m_nCurBgm, 0);
  EXPECT_EQ(Written().m_bBgm, 0);

  EnterOptions();
  Choose(OPTION_BGM);
  Press(0, kUp);  // on again
  Press(kKeyAccept);
  cApp::m_nCurBgm = 2;
  Leave();
  EXPECT_TRUE(g_Bgm.IsInit());
  Script().musicSituations.clear();
  Frame();  // the title's request plays although it names the same kept music
  EXPECT_EQ(Script().musicSituations, std::vector<int>{0});
}

TEST_F(OptionTest, NameEntryTakesTheDialogsName) {
  Script().rankName = "Zed";
  auto* options = EnterOptions();
  Choose(OPTION_RANKNAME);
  EXPECT_EQ(g_OptionData.m_strRankName, "Zed");
  EXPECT_EQ(options->m_nState, 1);
  Choose(OPTION_LEAVE);
  RunUntilSwitched(SCENE_OPTION);
  EXPECT_EQ(cApp::m_nScene, SCENE_TITLE);
  EXPECT_EQ(Written().m_strRankName, "Zed");
}

TEST_F(OptionTest, WithTheDefaultListEachRowEditsWhatItsLabelNames) {
  g_SystemData.SetDefault();
  Script().rankName = "Zed";
  g_OptionData.m_bBgm = 1;
  g_OptionData.m_nVolume = 5;
  g_OptionData.m_nRankMode = 0;
  g_OptionData.m_nPalette = 0;
  // Each row as the page shows it, and what choosing it and pressing up once changes.
  struct Row {
    const char* label;
    std::function<bool()> changed;
  };
  const Row rows[] = {
      {"BGM", [] { return g_OptionData.m_bBgm == 0; }},
      {"SE", [] { return g_OptionData.m_nVolume == 6; }},
      {"ランキング登録", [] { return g_OptionData.m_nRankMode == 1; }},
      {"ランキング登録名", [] { return g_OptionData.m_strRankName == "Zed"; }},
      {"もどる", [] { return cApp::m_nScene == SCENE_TITLE; }},
      {"", [] { return g_OptionData.m_nPalette == 1; }},
  };
  auto* options = EnterOptions();
  ASSERT_EQ(options->m_vEntry.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].label);
    const int kind = options->m_vEntry[i];
    EXPECT_EQ(CmdLabel(g_SystemData.m_vOptionCmd, kind), rows[i].label);
    EXPECT_FALSE(rows[i].changed());
    Choose(static_cast<int>(i));
    if (options->m_nSubState == 2) {
      Press(0, kUp);
      Press(kKeyAccept);
    } else if (options->m_nState == 2) {
      RunUntilSwitched(SCENE_OPTION);
    }
    EXPECT_TRUE(rows[i].changed());
    if (cApp::m_nScene == SCENE_TITLE) options = EnterOptions();
  }
}

TEST_F(OptionTest, ADamagedRecordAndUnknownCommandsAreHarmless) {
  g_OptionData.m_nRankMode = 50;
  g_OptionData.m_nVolume = -4;
  ASSERT_EQ(g_OptionData.Save(g_DataPath[DATAPATH_OPTION]), 1);
  ASSERT_EQ(g_OptionData.Load(g_DataPath[DATAPATH_OPTION]), 1);
  EXPECT_EQ(g_OptionData.m_nRankMode, 3);
  EXPECT_EQ(g_OptionData.m_nVolume, 0);
  g_SystemData.m_vOptionCmd.resize(8);
  for (cCmd& cmd : g_SystemData.m_vOptionCmd) cmd.m_bEnable = 1;
  auto* options = EnterOptions();
  EXPECT_EQ(options->m_vEntry.size(), 8u);
  Choose(7);
  EXPECT_EQ(options->m_nState, 1);
  EXPECT_EQ(options->m_nSubState, 1);
}

}  // namespace
