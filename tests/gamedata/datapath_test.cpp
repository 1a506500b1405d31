#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gamedata/datapath.h"
#include "platform/fs/copytree.h"
#include "platform/win/msgbox.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

HWND const kOwner = reinterpret_cast<HWND>(0x1234);

TEST(DataPath, TemplateEntriesMirrorTheirDataEntries) {
  // Each "data\" file that has a template is followed by it under "default\".
  for (int i : {8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36}) {
    std::string data = g_DataPath[i], def = g_DataPath[i + 1];
    ASSERT_EQ(data.rfind("data\\", 0), 0u) << i;
    EXPECT_EQ(def, "default\\" + data.substr(5)) << i;
  }
  EXPECT_STREQ(g_DataPath[DATAPATH_WORLD_MAP], "data\\WorldMap.dat");
  EXPECT_STREQ(g_DataPath[DATAPATH_OPTION], "user_data\\Option.dat");
  EXPECT_STREQ(g_DataPath[DATAPATH_WINDOW], "user_data\\Window.dat");
  EXPECT_STREQ(g_FileExt[3], "rkg");
}

class CreateDefaultDataTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    msgbox::Reset();
  }
  void TearDown() override {
    copytree::FailAfterFilesForTest(-1);
    msgbox::Reset();
    TempDirTest::TearDown();
  }
  static void MakeDefault() {
    fs::create_directories("default/database");
    WriteFileBytes("default/System.dat", {1, 2});
    WriteFileBytes("default/database/Bgm.dat", {3});
  }
};

TEST_F(CreateDefaultDataTest, AnExistingDataFolderIsEnoughAndNothingIsAsked) {
  fs::create_directories("data");
  EXPECT_EQ(CreateDefaultData(kOwner), 1);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
}

TEST_F(CreateDefaultDataTest, WithoutATemplateNothingIsAskedAndNothingMade) {
  EXPECT_EQ(CreateDefaultData(kOwner), 0);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
  EXPECT_FALSE(fs::exists("data"));
}

TEST_F(CreateDefaultDataTest, AsksAndCopiesTheTemplateOnYesOnly) {
  MakeDefault();
  msgbox::PushAnswer(IDNO);
  EXPECT_EQ(CreateDefaultData(kOwner), 0);
  EXPECT_FALSE(fs::exists("data"));
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, kOwner);
  EXPECT_EQ(boxes[0].text, "データが存在しません！デフォルトデータを作成しますか？\n");
  EXPECT_EQ(boxes[0].caption, "デフォルトデータ作成の確認");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, MB_YESNO);

  msgbox::PushAnswer(IDYES);
  EXPECT_EQ(CreateDefaultData(kOwner), 1);
  EXPECT_EQ(ReadFileBytes("data/System.dat"), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(ReadFileBytes("data/database/Bgm.dat"), (std::vector<uint8_t>{3}));
  EXPECT_TRUE(fs::exists("default/System.dat"));
}

TEST_F(CreateDefaultDataTest, ACopyFailingPartWayLeavesNoDataFolder) {
  MakeDefault();
  copytree::FailAfterFilesForTest(1);
  msgbox::PushAnswer(IDYES);
  EXPECT_EQ(CreateDefaultData(kOwner), 0);
  EXPECT_FALSE(fs::exists("data"));
  // Only the template is left in the game folder.
  int entries = 0;
  for (auto& e : fs::directory_iterator(".")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

}  // namespace
