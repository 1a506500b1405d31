// The key configuration file and the direction numbers of direction words.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "gamedata/input.h"
#include "platform/win/keys.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

class KeyConfigFile : public TempDirTest {
 protected:
  // A file image of a configuration whose every byte differs from the defaults.
  static std::vector<uint8_t> Image(const KEYCONFIG& c) {
    std::vector<uint8_t> bytes(sizeof c);
    std::memcpy(bytes.data(), &c, sizeof c);
    return bytes;
  }
  static KEYCONFIG Custom() {
    KEYCONFIG c;
    for (int i = 0; i < 12; ++i) c.Entry[i] = KEYCONFIGENTRY{i % 3, static_cast<uint16_t>(256 << (i % 4)), 0};
    c.nEntryCount = 9;
    c.nJoystickCount = 2;
    c.bUse = 1;
    return c;
  }
};

TEST_F(KeyConfigFile, ReadsTheRecordAsItIsStoredAndKeepsWhatAShortFileLacks) {
  std::filesystem::create_directories("user_data");
  const KEYCONFIG custom = Custom();
  KEYCONFIG c;
  DefaultKeyConfig(&c);
  EXPECT_FALSE(LoadKeyConfig("user_data\\KeyConfig.dat", &c)) << "no file";
  EXPECT_EQ(c.bUse, 0);
  EXPECT_EQ(c.Entry[0].wCode, VK_LEFT);

  std::vector<uint8_t> full = Image(custom);
  full.push_back(0x7F);  // bytes past the record are not read
  ASSERT_TRUE(WriteFileBytes("user_data/KeyConfig.dat", full));
  ASSERT_TRUE(LoadKeyConfig("user_data\\KeyConfig.dat", &c));
  EXPECT_EQ(std::memcmp(&c, &custom, sizeof c), 0);
  EXPECT_EQ(c.Entry[5].nDevice, 2);
  EXPECT_EQ(c.Entry[5].wCode, 512);

  // Only the first entry and a half of the second: the rest stays the defaults.
  DefaultKeyConfig(&c);
  std::vector<uint8_t> part(full.begin(), full.begin() + 12);
  ASSERT_TRUE(WriteFileBytes("user_data/KeyConfig.dat", part));
  ASSERT_TRUE(LoadKeyConfig("user_data\\KeyConfig.dat", &c));
  EXPECT_EQ(c.Entry[0].nDevice, 0);
  EXPECT_EQ(c.Entry[0].wCode, 256);
  EXPECT_EQ(c.Entry[1].nDevice, 1);
  EXPECT_EQ(c.Entry[1].wCode, VK_RIGHT);
  EXPECT_EQ(c.nEntryCount, 12);
  EXPECT_EQ(c.bUse, 0);
}

TEST(InputDirections, DirectionNumbersFavourLeftAndUp) {
  struct Case {
    uint16_t word;
    int num;
  };
  for (Case k : {Case{0, 5}, Case{1, 4}, Case{2, 6}, Case{3, 4}, Case{4, 2}, Case{8, 8}, Case{12, 2}, Case{5, 1},
                 Case{6, 3}, Case{9, 7}, Case{10, 9}, Case{15, 1}, Case{16, 5}})
    EXPECT_EQ(cInput::GetDirNum(&k.word), k.num) << k.word;
}

TEST(InputDirections, RepeatTimingFollowsTheSetValuesAndACopyIsIndependent) {
  cInput in;
  in.SetRepeat(3, 2);
  std::vector<int> reported;
  for (int frame = 1; frame <= 8; ++frame) {
    in.m_wDir = 8;
    in.ApplyRepeat();
    if (in.m_wDir & 8) reported.push_back(frame);
  }
  // Frame 1 is the change; frame k holds the count k - 1, reported from 3 on when even.
  EXPECT_EQ(reported, (std::vector<int>{1, 5, 7}));

  in.m_wDir = 8;
  in.RecordEdges();
  cInput copy = in;
  in.TrimEdges();
  in.m_wDir = 1;
  in.RecordEdges();
  EXPECT_EQ(copy.m_vDirRuns.At(4).At(0).m_nState, 1) << "the copy keeps its own runs";
  EXPECT_EQ(copy.m_nRepeatDelay, 3);
  EXPECT_EQ(in.m_vDirRuns.At(4).At(0).m_nState, 0);
}

}  // namespace
