#include <gtest/gtest.h>

#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "platform/fs/path.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

std::vector<uint8_t> OptionImage(int32_t palette, int32_t bgm, int32_t volume, int32_t mode, const std::string& name) {
  ByteWriter w;
  w.U32(914).U32(4).I32(palette).I32(bgm).I32(volume).I32(mode).U32(1).Str(name);
  return w.bytes;
}

void ExpectOptions(const cOptionData& o, int32_t palette, int32_t bgm, int32_t volume, int32_t mode) {
  EXPECT_EQ(o.m_nPalette, palette);
  EXPECT_EQ(o.m_bBgm, bgm);
  EXPECT_EQ(o.m_nVolume, volume);
  EXPECT_EQ(o.m_nRankMode, mode);
}

class OptionTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_TRUE(MakeGameDirectory("user_data"));
  }
};

TEST_F(OptionTest, AMissingFileLeavesTheDefaults) {
  cOptionData o;
  EXPECT_EQ(LoadRecordKeepingOnFailure(o, g_DataPath[DATAPATH_OPTION]), 0);
  ExpectOptions(o, 0, 1, 7, 0);
  EXPECT_EQ(o.m_strRankName, "aaa");
}

TEST_F(OptionTest, WritesTheFileLayoutAndReadsItBack) {
  cOptionData o;
  o.m_nPalette = 23;
  o.m_bBgm = 0;
  o.m_nVolume = 10;
  o.m_nRankMode = 3;
  o.m_strRankName = "名前";
  ASSERT_EQ(o.Save(g_DataPath[DATAPATH_OPTION]), 1);
  EXPECT_EQ(ReadFileBytes("user_data/Option.dat"), OptionImage(23, 0, 10, 3, "名前"));
  cOptionData r;
  ASSERT_EQ(r.Load(g_DataPath[DATAPATH_OPTION]), 1);
  ExpectOptions(r, 23, 0, 10, 3);
  EXPECT_EQ(r.m_strRankName, "名前");
}

TEST_F(OptionTest, ValuesOutsideTheirRangesAreBroughtInsideWhenRead) {
  struct Case {
    int32_t in[4];
    int32_t out[4];
  };
  for (Case c : {Case{{24, 2, 11, 4}, {23, 1, 10, 3}}, Case{{-1, -5, -1, -2147483647 - 1}, {0, 0, 0, 0}},
                 Case{{12, 0, 3, 2}, {12, 0, 3, 2}}}) {
    ASSERT_TRUE(WriteFileBytes("user_data/Option.dat", OptionImage(c.in[0], c.in[1], c.in[2], c.in[3], "x")));
    cOptionData o;
    ASSERT_EQ(o.Load(g_DataPath[DATAPATH_OPTION]), 1);
    SCOPED_TRACE(c.in[0]);
    ExpectOptions(o, c.out[0], c.out[1], c.out[2], c.out[3]);
  }
}

TEST(OptionVolume, StepsMapToTheirVolumesAndStrayStepsToTheNearest) {
  EXPECT_EQ(OptionSoundVolume(0), -10000);
  EXPECT_EQ(OptionSoundVolume(7), -150);
  EXPECT_EQ(OptionSoundVolume(10), 0);
  EXPECT_EQ(OptionSoundVolume(-1), -10000);
  EXPECT_EQ(OptionSoundVolume(11), 0);
}

}  // namespace
