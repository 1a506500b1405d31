// Golden frames of the play screen: a known stage written by the game-folder writer and played through
// the scene harness, its presented frames compared with stored checksums, in both back ends at 32 bits
// and once in 8-bit DirectDraw after a palette rotation. Text is drawn with the built-in test face.
//
// On a mismatch the frame drawn is written as a PNG into golden_actual/ in the test's working folder
// (build/test) and named in the failure. After a reviewed change to the drawing, regenerate the table:
//   GOLDEN_PRINT=1 build/test/wholegame_tests --gtest_filter='GoldenPlay*'
// prints one line per frame for kGolden below and writes every frame to golden_actual/ for review.
// The checksums must come out the same in the test (ASan), tsan and release builds.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "authoring/stageauthor.h"
#include "gamedata/option.h"
#include "gamefolder/filebytes.h"
#include "platform/video/bmp.h"
#include "scenes/sceneoption.h"
#include "scenes/scenetitle.h"
#include "stagedata/cmdtable.h"
#include "stagedata/edshot.h"
#include "support/png.h"
#include "support/scene_harness.h"

namespace {

// Reviewed frames: name -> FNV-1a of the presented pixels.
const std::map<std::string, uint64_t> kGolden = {
    {"blink_d3d32", 0x31868f742ff2c8e4ull},
    {"blink_dd32", 0x31868f742ff2c8e4ull},
    {"options_d3d32", 0x019ade059ac1d285ull},
    {"options_dd32", 0x019ade059ac1d285ull},
    {"pause_d3d32", 0x32f0961d009d25d3ull},
    {"pause_dd32", 0x32f0961d009d25d3ull},
    {"play_d3d32", 0x7e8632cec58aba69ull},
    {"play_dd32", 0x959441cc6b40cc29ull},
    {"play_dd8_rotated", 0x43f3cb8f38d9fd74ull},
    {"result_d3d32", 0x494c289ddda4e3e1ull},
    {"result_dd32", 0xca4421e4aac15421ull},
    {"slide_d3d32", 0x8270dd46a7d8ebc6ull},
    {"slide_dd32", 0x6fc768ab78a8feb0ull},
    {"worldmap_d3d32", 0x7b0e3d5dcdf243a8ull},
    {"worldmap_dd32", 0x7b0e3d5dcdf243a8ull},
};

const char* const kStagePath = "data\\stg4\\Golden.stg4_914";
const char* const kBackdrop = "bmp\\back\\GoldenBack.bmp";
const char* const kPillar = "bmp\\back\\GoldenPillar.bmp";
constexpr int kBackdropHue = 16;  // its colours lie in 208..239, the entries the 8-bit cycling rotates
constexpr int kPillarColour = 6;  // palette index of the front layer's pillar (red)
constexpr int kPillarLeft = 48, kPillarRight = 112;  // the pillar's columns, over the hero's cell 2
constexpr int kFrontBlock = 4;    // block graphic of the cell drawn in front of the objects
constexpr int kFloorBlock = 1;
constexpr int kSlide = 1, kBlink = 2;  // screen-effect entries

uint32_t Argb(int paletteIndex) {
  const PaletteColour c = GamePaletteColour(paletteIndex);
  return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}
// Colour 16 as the game fills with it: the screen palette's entry.
uint32_t Colour16() {
  const PALETTEENTRY& e = DDPalette[16];
  return 0xFF000000u | (uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue;
}

cFlowCmd ShotCommand() {
  cFlowCmd cmd = MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT, {}, 40);
  cEdShot& s = *cmd.m_pEdShot;
  s.m_nCount = 1;
  s.m_bAim = 1;
  s.m_sSpeed = 3;
  s.m_sGraphic = 1;
  s.m_sLife = 100;
  s.m_nPower = 0;
  return cmd;
}

// A message window above the screen's centre for the rest of the stage, not waiting.
cFlowCmd MessageCommand(const char* text) {
  cFlowCmd cmd = MakeCommand(CMD_CATEGORY_OBJECT, CMD_MESSAGE, {0, 0, 0, 0, -120, 0, 1 /* until the end */});
  cmd.m_strText = text;
  return cmd;
}

// The stage: one screen (20 x 15 cells) with a floor, a block in front of the objects, the hero
// under the front layer's pillar, a walker, a gunner firing at the hero, an item, a message window
// and an effect that last, a time limit, and two background layers: the backdrop behind (plane 0)
// and the pillar in front (plane 1).
cStageData GoldenStage() {
  cStageData s;
  s.Reset();
  s.m_vVarName.clear();
  s.m_strName = "Golden";
  SetStageSize(s, 20, 15);
  PlaceFloor(s, 14, 0, 19, kFloorBlock);
  PlaceBlock(s, 12, 12, kFrontBlock).m_bFront = 1;
  PlaceBlock(s, 12, 12, kFrontBlock);
  cCharaData& hero = PlaceHero(s, 2, 13, 1);
  hero.m_nMaxHP = 10;
  // A sign that opens the message window and shows the effect as the stage begins.
  PlaceComChara(s, 4, 13, 5).m_vFlow.push_back(
      MakeFlow(FLOW_TRIG_ALWAYS, {MessageCommand("GOLDEN FRAME"),
                                  MakeCommand(CMD_CATEGORY_OBJECT, CMD_EFFECT, {1, 3, 8, 6, 0, 0, 100}),
                                  MakeCommand(CMD_CATEGORY_OBJECT, CMD_WAIT, {}, 30000)}));
  PlaceComChara(s, 9, 13, 2).m_vFlow.push_back(
      MakeFlow(FLOW_TRIG_ALWAYS, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_GROUND_TURN, {}, 30)}));
  cCharaData& gunner = PlaceComChara(s, 16, 13, 3);
  gunner.m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {ShotCommand()}));
  PlaceItem(s, 6, 13, 1);
  s.m_bTimeLimit = 1;
  s.m_nTimeLimit = 300;
  s.ResizeBackLayer(2);
  for (int i = 0; i < 2; ++i) {
    cBackLayerData& l = s.m_vBackLayer.At(i);
    l.m_bShow = 1;
    l.m_bFill = 0;
    l.m_nPass = i;
    l.m_dRateX = l.m_dRateY = 0;
    l.m_strPicture = i == 0 ? kBackdrop : kPillar;
  }
  return s;
}

class GoldenPlay : public SceneHarnessTest {
 protected:
  GameFolder Folder(const std::string& ini) {
    GameFolder f = BasicGameFolder(kStagePath);
    f.stages.clear();
    f.stages.emplace_back(kStagePath, GoldenStage());
    f.systemIni = ini + "ShowFps=0\r\n";  // the frame-rate text has a test of its own
    cSystemData& sys = f.system;
    sys.m_bSpacePause = 1;
    sys.m_bPlayDrawLayers = 1;  // the pause menu hides the stage
    if (sys.m_vText.Size() < 28) sys.m_vText.resize(28);
    sys.m_vText.At(26) = "EDITOR TEST PLAY";
    sys.m_vText.At(27) = "SINGLE STAGE";
    // Effect 1: the block sheet's first cells, ten seconds a cell.
    cDatabase& db = f.database;
    if (db.m_vEffect.Size() < 2) db.m_vEffect.resize(2);
    cEffectData& effect = db.m_vEffect.At(1);
    effect.m_strFile = "bmp\\Block.bmp";
    effect.m_vPart.resize(1);
    effect.m_vPart.At(0).m_nValue = 0;
    effect.m_vPart.At(0).m_nDuration = 100;
    // Screen effects: a slide out to the right over ten tenths, and a blink every 4 frames.
    if (db.m_vScrEffect.Size() < 3) db.m_vScrEffect.resize(3);
    db.m_vScrEffect.At(kSlide).m_nKind = 1;
    const int slide[5] = {10, 0, 0, 640, 0};
    std::copy(std::begin(slide), std::end(slide), db.m_vScrEffect.At(kSlide).m_nParam);
    db.m_vScrEffect.At(kBlink).m_nKind = 8;
    const int blink[5] = {100, 4, 0, 0, 0};
    std::copy(std::begin(blink), std::end(blink), db.m_vScrEffect.At(kBlink).m_nParam);
    return f;
  }

  // Starts the game on the folder and enters the stage by the single-stage route, until play runs.
  void EnterStage(GameFolder folder) {
    ASSERT_TRUE(StartGame(folder)) << ::testing::PrintToString(TakeBoxTexts());
    ASSERT_TRUE(UseTestFont());
    ASSERT_TRUE(WriteBackdrop(kBackdrop, kBackdropHue));
    ASSERT_TRUE(WritePillar());
    ASSERT_EQ(EnterFreeStage(kStagePath), 1) << ::testing::PrintToString(TakeBoxTexts());
    ASSERT_TRUE(RunUntilState(PLAY_MAIN));
  }

  static bool WritePillar() {
    std::vector<uint8_t> indices(640 * 480, 0);
    for (int y = 0; y < 480; ++y)
      for (int x = kPillarLeft; x < kPillarRight; ++x) indices[y * 640 + x] = kPillarColour;
    std::vector<RGBQUAD> colours(256);
    for (int i = 0; i < 256; ++i) {
      const PaletteColour c = GamePaletteColour(i);
      colours[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    return video::SaveBmpFile(kPillar, video::BmpImage::FromIndices(640, 480, 8, indices, colours));
  }

  // Compares the newest presented frame with its checksum; on a mismatch, or when asked to print the
  // table, the frame is written out.
  void Check(const std::string& name) {
    const video::Frame f = LastPicture();
    ASSERT_EQ(f.width, 640);
    ASSERT_EQ(f.height, 480);
    const uint64_t hash = HashPixels(f.pixels);
    const bool print = std::getenv("GOLDEN_PRINT") != nullptr;
    auto it = kGolden.find(name);
    const bool match = it != kGolden.end() && it->second == hash;
    if (print) std::printf("    {\"%s\", 0x%016" PRIx64 "ull},\n", name.c_str(), hash);
    if (match && !print) return;
    const std::filesystem::path dir = std::filesystem::path(oldCwd_) / "golden_actual";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / (name + ".png")).string();
    EXPECT_TRUE(WriteFileBytes(file, EncodePng(f.width, f.height, f.pixels)));
    if (!match) ADD_FAILURE() << name << " differs from its golden checksum; the frame drawn is " << file;
  }

  static uint32_t At(const video::Frame& f, int x, int y) { return f.At(x, y) | 0xFF000000u; }
  // The pixels of a rectangle (inclusive edges).
  static std::vector<uint32_t> Rect(const video::Frame& f, int x0, int y0, int x1, int y1) {
    std::vector<uint32_t> out;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) out.push_back(f.At(x, y));
    return out;
  }
  // The rows y0..y1 of the frame, hashed: a band's content.
  static uint64_t Band(const video::Frame& f, int y0, int y1) {
    return HashPixels(std::vector<uint32_t>(f.pixels.begin() + y0 * f.width, f.pixels.begin() + (y1 + 1) * f.width));
  }
};

struct BackEnd {
  const char* name;
  const char* ini;
};
void PrintTo(const BackEnd& b, std::ostream* os) { *os << b.name; }
const BackEnd kBackEnds[] = {{"d3d32", "WindowMode=1\r\nDirect3D=1\r\nBpp=32\r\n"},
                             {"dd32", "WindowMode=1\r\nDirect3D=0\r\nBpp=32\r\n"}};

class GoldenPlayModes : public GoldenPlay, public ::testing::WithParamInterface<BackEnd> {
 protected:
  std::string Name(const char* frame) const { return std::string(frame) + "_" + GetParam().name; }
};

TEST_P(GoldenPlayModes, PlayFrame) {
  EnterStage(Folder(GetParam().ini));
  ASSERT_TRUE(RunFrames(40));
  ASSERT_EQ(frames_.back().state, PLAY_MAIN);
  // What the frame is made of.
  ASSERT_NE(g_pScenePlay, nullptr);
  EXPECT_EQ(g_pScenePlay->m_lMesWindow.Size(), 1);
  EXPECT_EQ(g_pScenePlay->m_lEffect.Size(), 1);
  EXPECT_FALSE(g_pScenePlay->m_lShot.empty());
  EXPECT_EQ(g_lstChara.size(), 3u);
  EXPECT_EQ(g_lstItem.size(), 1u);
  const video::Frame f = LastPicture();
  Check(Name("play"));
  // The front layer's pillar covers the hero; the floor shows its cell colour; the front block is
  // drawn over the back one at the same cell.
  const cHero& hero = g_vHero.at(0);
  const int hx = hero.m_PicRect.m_nLeft + hero.m_PicRect.m_nW / 2, hy = hero.m_PicRect.m_nTop + hero.m_PicRect.m_nH / 2;
  ASSERT_GE(hx, kPillarLeft);
  ASSERT_LT(hx, kPillarRight);
  EXPECT_EQ(At(f, hx, hy), Argb(kPillarColour));
  EXPECT_EQ(At(f, 5 * 32 + 16, 14 * 32 + 16), Argb(CellColourIndex(kFloorBlock)));
  EXPECT_EQ(At(f, 12 * 32 + 16, 12 * 32 + 16), Argb(CellColourIndex(kFrontBlock)));

  // The help line: text 27 in a single-stage start, text 26 in an editor start, none otherwise.
  const uint64_t single = Band(f, 456, 471);
  g_bFreeStagePlay = 0;
  ASSERT_TRUE(RunFrames(1));
  const uint64_t none = Band(LastPicture(), 456, 471);
  g_bEditorLaunched = 1;
  ASSERT_TRUE(RunFrames(1));
  const uint64_t editor = Band(LastPicture(), 456, 471);
  g_bEditorLaunched = 0;
  g_bFreeStagePlay = 1;
  EXPECT_NE(single, none);
  EXPECT_NE(editor, none);
  EXPECT_NE(single, editor);
}

TEST_P(GoldenPlayModes, PauseMenuHidingTheStage) {
  EnterStage(Folder(GetParam().ini));
  ASSERT_TRUE(RunFrames(10));
  // The backdrop is hidden (as a background command would): nothing of plane 0 is visible.
  g_StageData.m_vBackLayer.At(0).m_bShow = 0;
  HoldKeys(frameNo_ + 1, frameNo_ + 1, {VK_SPACE});
  ASSERT_TRUE(RunFrames(3));
  ASSERT_EQ(frames_.back().state, PLAY_PAUSE);
  const video::Frame f = LastPicture();
  Check(Name("pause"));
  // Colour 16 where no layer is visible, also where the floor and the characters are: the stage is
  // hidden. The front layer still covers the hero's place.
  EXPECT_EQ(At(f, 600, 300), Colour16());
  EXPECT_EQ(At(f, 5 * 32 + 16, 14 * 32 + 16), Colour16());
  EXPECT_EQ(At(f, 9 * 32 + 16, 13 * 32 + 16), Colour16());
  EXPECT_EQ(At(f, 80, 13 * 32 + 16), Argb(kPillarColour));
}

TEST_P(GoldenPlayModes, ResultWithClearWordAndPanel) {
  EnterStage(Folder(GetParam().ini));
  ASSERT_TRUE(RunFrames(5));
  const video::Frame before = LastPicture();
  g_pScenePlay->StartResult();  // as a stage-clear command does
  ASSERT_TRUE(RunUntilState(PLAY_RESULT, 10));
  ASSERT_TRUE(RunFrames(60));
  ASSERT_EQ(frames_.back().state, PLAY_RESULT);
  const video::Frame f = LastPicture();
  Check(Name("result"));
  // The clear word across the middle and the result panel below it to the right, over the stage.
  EXPECT_NE(Rect(f, 260, 195, 380, 220), Rect(before, 260, 195, 380, 220));
  EXPECT_NE(At(f, 560, 290), At(before, 560, 290));
  EXPECT_EQ(At(f, 600, 150), At(before, 600, 150)) << "the backdrop elsewhere";
}

TEST_P(GoldenPlayModes, MiddleOfASlide) {
  EnterStage(Folder(GetParam().ini));
  const video::Frame before = LastPicture();
  BeforeFrame(frameNo_ + 1, [] { g_pScenePlay->m_ScrEffect.Start(kSlide, 0, 0); });
  ASSERT_TRUE(RunFrames(31));
  ASSERT_EQ(g_pScenePlay->m_ScrEffect.m_nIndex, kSlide);
  const video::Frame f = LastPicture();
  Check(Name("slide"));
  // Half way out to the right: the left half is empty (colour 16), the pillar moved by 320.
  EXPECT_EQ(g_pScenePlay->m_ScrEffect.m_nAuxA, 320);
  EXPECT_EQ(At(f, 80, 200), Colour16());
  EXPECT_EQ(At(f, 320 + 80, 200), Argb(kPillarColour));
  // The status bar is drawn after the effect: it stays where it was.
  EXPECT_EQ(Band(f, 0, 19), Band(before, 0, 19));
}

TEST_P(GoldenPlayModes, HiddenPhaseOfABlink) {
  EnterStage(Folder(GetParam().ini));
  BeforeFrame(frameNo_ + 1, [] { g_pScenePlay->m_ScrEffect.Start(kBlink, 0, 0); });
  ASSERT_TRUE(RunFrames(2));
  ASSERT_EQ(g_pScenePlay->m_ScrEffect.m_nAuxB, 0) << "in the hidden phase";
  const video::Frame f = LastPicture();
  Check(Name("blink"));
  // Only the layers are shown: no floor, but the backdrop and the pillar.
  EXPECT_NE(At(f, 5 * 32 + 16, 14 * 32 + 16), Argb(CellColourIndex(kFloorBlock)));
  EXPECT_EQ(At(f, 80, 200), Argb(kPillarColour));
}

TEST_P(GoldenPlayModes, OptionsPageWithItsValues) {
  GameFolder folder = Folder(GetParam().ini);
  ASSERT_TRUE(StartGame(folder)) << ::testing::PrintToString(TakeBoxTexts());
  ASSERT_TRUE(UseTestFont());
  g_OptionData.m_bBgm = 0;
  g_OptionData.m_nVolume = 7;
  g_OptionData.m_nRankMode = 2;
  g_OptionData.m_strRankName = "aaa";
  g_OptionData.m_nPalette = 3;
  // The title's options entry (the sixth of seven), chosen once the menu is up.
  const int first = frameNo_ + 60;
  for (int i = 0; i < 5; ++i) HoldKeys(first + 4 * i, first + 4 * i, {VK_DOWN});
  HoldKeys(first + 24, first + 24, {'Z'});
  ASSERT_TRUE(RunFrames(first + 24 - frameNo_));
  for (int i = 0; i < 120 && !cApp::SceneOf(SCENE_OPTION); ++i) ASSERT_TRUE(RunFrames(1));
  const auto* options = static_cast<const cSceneOption*>(cApp::SceneOf(SCENE_OPTION));
  ASSERT_NE(options, nullptr) << cApp::m_nScene;
  for (int i = 0; i < 120 && options->m_nState != 1; ++i) ASSERT_TRUE(RunFrames(1));
  ASSERT_TRUE(RunFrames(2));
  ASSERT_EQ(options->m_nState, 1);
  // Six rows of the default list: music, effect volume, ranking mode, ranking name, back, palette.
  EXPECT_EQ(options->m_vEntry, (std::vector<int>{OPTION_BGM, OPTION_VOLUME, OPTION_RANKMODE, OPTION_RANKNAME,
                                                 OPTION_LEAVE, OPTION_PALETTE}));
  Check(Name("options"));
}

// The demo's world map at the start of a new game. The palette start-up loads is the one the demo's
// pictures were drawn with, so the map's surroundings show colour 16 as drawn.
TEST_P(GoldenPlayModes, TheDemoWorldMap) {
  GameFolder demo = DemoGame();
  demo.systemIni = std::string(GetParam().ini) + "ShowFps=0\r\n";
  ASSERT_TRUE(StartGame(demo)) << ::testing::PrintToString(TakeBoxTexts());
  ASSERT_TRUE(UseTestFont());
  for (int i = 1; i < 256; ++i) {
    const PaletteColour c = GamePaletteColour(i);
    EXPECT_EQ((std::vector<int>{DDPalette[i].peRed, DDPalette[i].peGreen, DDPalette[i].peBlue}),
              (std::vector<int>{c.r, c.g, c.b}))
        << "entry " << i;
  }
  StartNewGame();
  cApp::m_nScene = SCENE_WORLDMAP;
  ASSERT_TRUE(RunFrames(60));
  ASSERT_EQ(frames_.back().scene, SCENE_WORLDMAP);
  const video::Frame f = LastPicture();
  Check(Name("worldmap"));
  EXPECT_EQ(At(f, 8, 8), Argb(16)) << "the map's surroundings";
}

// The frame-rate text: boxed in the menu font at the bottom right, or plain in the small font further
// right with setting 2; the rest of the frame is as without it.
TEST_P(GoldenPlayModes, TheFrameRateText) {
  std::vector<video::Frame> shots;
  for (int setting : {0, 1, 2}) {
    SCOPED_TRACE(setting);
    GameFolder demo = DemoGame();
    demo.systemIni = std::string(GetParam().ini) + "ShowFps=" + std::to_string(setting) + "\r\n";
    ASSERT_TRUE(StartGame(demo)) << ::testing::PrintToString(TakeBoxTexts());
    ASSERT_TRUE(UseTestFont());
    ASSERT_TRUE(RunFrames(70));
    shots.push_back(LastPicture());
    RestartGame();
  }
  const video::Frame &none = shots[0], &boxed = shots[1], &small = shots[2];
  // The box's frame reaches one pixel above and left of its place.
  EXPECT_EQ(Band(boxed, 0, 461), Band(none, 0, 461));
  EXPECT_NE(Rect(boxed, 494, 462, 639, 479), Rect(none, 494, 462, 639, 479));
  EXPECT_EQ(Band(small, 0, 461), Band(none, 0, 461));
  EXPECT_NE(Rect(small, 549, 462, 639, 479), Rect(none, 549, 462, 639, 479));
  EXPECT_EQ(Rect(small, 494, 462, 548, 479), Rect(none, 494, 462, 548, 479)) << "setting 2 draws no box";
}

INSTANTIATE_TEST_SUITE_P(BackEnds, GoldenPlayModes, ::testing::ValuesIn(kBackEnds),
                         [](const ::testing::TestParamInfo<BackEnd>& info) { return std::string(info.param.name); });

TEST_F(GoldenPlay, PaletteRotationIn8BitDirectDraw) {
  GameFolder folder = Folder("WindowMode=0\r\nDirect3D=0\r\nBpp=8\r\n");
  folder.system.m_bPaletteCycle = 1;
  // The 8-bit screen needs the blend table of palette variant 0: the source colour over any other.
  ASSERT_TRUE(WriteGameFolder(folder));
  std::vector<uint8_t> table(65536);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i >> 8);
  std::filesystem::create_directories("bmp/hbt");
  ASSERT_TRUE(WriteFileBytes("bmp/hbt/hbt00.dat", table));
  EnterStage(folder);
  // Frames until the group of entry 210 shows turned (a rotation every 6th frame, by one of four).
  auto turned = [] { return std::memcmp(&DDWorkPalette[210], &DDPalette[210], sizeof(PALETTEENTRY)) != 0; };
  for (int i = 0; i < 60 && !turned(); ++i) ASSERT_TRUE(RunFrames(1));
  ASSERT_TRUE(turned());
  const video::Frame f = LastPicture();
  Check("play_dd8_rotated");
  // The backdrop's top rows are entry 210, in the group 208..211 that the cycling turns: the screen
  // shows another entry's colour of that group there, while the pillar (entry 6) keeps its own.
  const uint32_t top = At(f, 600, 30);
  EXPECT_NE(top, Argb(210));
  EXPECT_TRUE(top == Argb(208) || top == Argb(209) || top == Argb(211)) << std::hex << top;
  EXPECT_EQ(At(f, 80, 30), Argb(kPillarColour));
}

}  // namespace
