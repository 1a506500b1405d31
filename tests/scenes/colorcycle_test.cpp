#include "scenes/colorcycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gamedata/systemdata.h"
#include "gfx/draw_fixture.h"
#include "gfx/effect.h"
#include "platform/win/msgbox.h"

namespace {

TEST(StepPingPongTest, AStepThatReachesABoundIsUndone) {
  struct Case {
    int value, dir, step, low, high;
    int wantValue, wantDir, wantResult;
  };
  const Case cases[] = {
      {0, 0, 10, 0, 255, 10, 0, 0},      // rising freely
      {250, 0, 5, 0, 255, 250, 1, 0},    // reaching the high bound: undone, falls next
      {250, 0, 10, 0, 255, 250, 1, 0},   // passing it likewise
      {10, 1, 5, 0, 255, 5, 1, 0},       // falling freely
      {5, 1, 5, 0, 255, 5, 0, 1},        // reaching the low bound: undone, turned
      {128, 0, 128, 0, 255, 128, 1, 0},  // a step of 128 from 128 in either direction is undone
      {128, 1, 128, 0, 255, 128, 0, 1},
      {0, 0, 0, 0, 255, 0, 0, 0},        // a step of 0 rising stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " dir " << c.dir << " step " << c.step);
    int value = c.value, dir = c.dir;
    EXPECT_EQ(StepPingPong(&value, &dir, c.step, c.low, c.high), c.wantResult);
    EXPECT_EQ(value, c.wantValue);
    EXPECT_EQ(dir, c.wantDir);
  }
}

class ColorCycleTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    g_SystemData = cSystemData();
    ResetColorCycle();
    msgbox::SetHeadless(true);
    msgbox::Reset();
  }
  void TearDown() override {
    ResetColorCycle();
    msgbox::Reset();
    DrawTest::TearDown();
  }
  // The palette bitmap of the fixed set: entry n has red n.
  static void WriteBasePalette() {
    std::filesystem::create_directories("bmp/plt");
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i) table[i] = {7, 9, static_cast<BYTE>(i), 0};
    WritePaletteFile("bmp/plt/Palette.bmp", table);
  }
  static void WriteBlendTable(const char* name) {
    std::filesystem::create_directories("bmp/hbt");
    ASSERT_TRUE(WriteFileBytes(std::string("bmp/hbt/") + name, std::vector<uint8_t>(65536, 3)));
  }
  static std::vector<int> Reds(const PALETTEENTRY* p, int first, int last) {
    std::vector<int> reds;
    for (int i = first; i <= last; ++i) reds.push_back(p[i].peRed);
    return reds;
  }
  static std::vector<int> ScreenReds(int first, int last) {
    PALETTEENTRY e[256];
    EXPECT_EQ(lpDDPal->GetEntries(0, 0, 256, e), DD_OK);
    return Reds(e, first, last);
  }
};

TEST_F(ColorCycleTest, PresetsFollowTheValueBeforeTheStep) {
  StartMode({"D3D32", 1, 32});
  g_SystemData.m_nPaletteCycleParam = 128;
  // Values: 0 -> 128 (stays there, every later step undone); preset 9's phase moves when value 9
  // turns at the low bound, which is every second call from the third on.
  std::vector<uint32_t> preset1, preset9;
  for (int call = 0; call < 6; ++call) {
    StepColorCycle();
    preset1.push_back(g_ColorPreset[1].m_dwColor);
    preset9.push_back(g_ColorPreset[9].m_dwColor);
  }
  EXPECT_EQ(preset1, (std::vector<uint32_t>{0xFF000000, 0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080}));
  // Phase 0 red, after call 3 green, after call 5 blue.
  EXPECT_EQ(preset9, (std::vector<uint32_t>{0xFF000000, 0xFF800000, 0xFF800000, 0xFF008000, 0xFF008000, 0xFF000080}));
  EXPECT_EQ(g_ColorPreset[2].m_nBlendMode, 10);
  EXPECT_EQ(g_ColorPreset[7].m_dwColor, 0xFF800020u) << "(v, 0, v / 4)";
  EXPECT_EQ(g_ColorPreset[8].m_dwColor, 0xFF200080u) << "(v / 4, 0, v)";
  EXPECT_EQ(g_ColorPreset[0].m_dwColor, 0u) << "entry 0 is never written";
}

TEST_F(ColorCycleTest, AStepOfZeroKeepsThePresetsBlack) {
  StartMode({"D3D32", 1, 32});
  g_SystemData.m_nPaletteCycleParam = 0;
  for (int call = 0; call < 20; ++call) StepColorCycle();
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(g_ColorPreset[i].m_dwColor, 0xFF000000u) << i;
}

TEST_F(ColorCycleTest, EightBitRotationTouchesOnlyTheCycleGroupsEverySixthFrame) {
  StartMode({"DD8", 0, 8});
  g_SystemData.m_bPaletteCycle = 1;
  for (int i = 0; i < 256; ++i) DDWorkPalette[i] = {static_cast<BYTE>(i), 0, 0, 0};
  lpDDPal->SetEntries(0, 0, 256, DDWorkPalette);
  DDWorkPalette[5].peRed = 99;  // changed but not set: only the cycle range reaches the screen
  for (int call = 0; call < 5; ++call) StepColorCycle();
  EXPECT_EQ(ScreenReds(208, 211), (std::vector<int>{208, 209, 210, 211})) << "nothing before the 6th call";
  StepColorCycle();
  EXPECT_EQ(ScreenReds(204, 215), (std::vector<int>{204, 205, 206, 207, 209, 210, 211, 208, 213, 214, 215, 212}));
  EXPECT_EQ(ScreenReds(236, 241), (std::vector<int>{237, 238, 239, 236, 240, 241}));
  EXPECT_EQ(ScreenReds(5, 5), std::vector<int>{5});
  for (int call = 0; call < 6; ++call) StepColorCycle();
  EXPECT_EQ(ScreenReds(208, 211), (std::vector<int>{210, 211, 208, 209}));

  g_SystemData.m_bPaletteCycle = 0;
  for (int call = 0; call < 12; ++call) StepColorCycle();
  EXPECT_EQ(ScreenReds(208, 211), (std::vector<int>{210, 211, 208, 209})) << "the switch off stops it";
}

TEST_F(ColorCycleTest, HbtPaletteDoesNothingOutsideEightBitDirectDraw) {
  for (const DrawMode& mode : {DrawMode{"D3D32", 1, 32}, DrawMode{"DD16", 0, 16}, DrawMode{"DD32", 0, 32}}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    const std::vector<int> before = Reds(DDPalette, 0, 255);
    EXPECT_EQ(LoadHbtPalette(11), 1);
    EXPECT_EQ(Reds(DDPalette, 0, 255), before);
    EXPECT_TRUE(msgbox::TakeRecords().empty());
    DDRelease();
  }
}

TEST_F(ColorCycleTest, HbtVariantsRotateOrRepeatTheColourGroups) {
  StartMode({"DD8", 0, 8});
  WriteBasePalette();
  WriteBlendTable("hbt11.dat");
  WriteBlendTable("hbt12.dat");
  WriteBlendTable("hbt23.dat");

  ASSERT_EQ(LoadHbtPalette(11), 1);
  EXPECT_EQ(DDBlendTable[0], 3);
  std::vector<int> want(256);
  for (int i = 0; i < 256; ++i) want[i] = i;
  for (int i = 16; i <= 207; ++i) want[i] = 16 + (i - 16 + 176) % 192;
  EXPECT_EQ(Reds(DDPalette, 0, 255), want);
  EXPECT_EQ(Reds(DDWorkPalette, 0, 255), want);
  EXPECT_EQ(ScreenReds(0, 255), want) << "all 256 entries set on the screen";

  for (int variant : {12, 23}) {
    SCOPED_TRACE(variant);
    ASSERT_EQ(LoadHbtPalette(variant), 1);
    const int group = (variant - 11) * 16;
    for (int i = 0; i < 256; ++i) want[i] = i >= 16 && i <= 207 ? group + (i - 16) % 16 : i;
    EXPECT_EQ(ScreenReds(0, 255), want);
  }
}

TEST_F(ColorCycleTest, AMissingBlendTableIsReportedAndFails) {
  StartMode({"DD8", 0, 8});
  WriteBasePalette();
  EXPECT_EQ(LoadHbtPalette(3), 0);
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "bmp\\hbt\\hbt03.dat の読み込みに失敗！");
}

}  // namespace
