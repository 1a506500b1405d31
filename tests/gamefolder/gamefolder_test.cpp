#include "gamefolder/gamefolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "platform/audio/mixer.h"
#include "platform/fs/path.h"
#include "platform/video/bmp.h"
#include "sound/effects.h"
#include "sound/midifile.h"
#include "stagedata/database.h"
#include "stagedata/stagedata.h"
#include "support/bytes.h"
#include "support/tempdir.h"
#include "support/test_logs.h"

namespace fs = std::filesystem;

namespace {

// Every file under the folder by its relative path, with its bytes.
std::map<std::string, std::vector<uint8_t>> FilesUnder(const fs::path& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFileBytes(entry.path().string());
  return files;
}

video::BmpImage Picture(const std::string& gamePath) {
  video::BmpImage img;
  EXPECT_TRUE(video::DecodeBmp(ReadFileBytes(ResolveHostPath(gamePath)), &img)) << gamePath;
  return img;
}

uint32_t Argb(int paletteIndex) {
  const PaletteColour c = GamePaletteColour(paletteIndex);
  return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

}  // namespace

class GameFolderTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    StartTestLogs();
  }
  void TearDown() override {
    StopTestLogs();
    g_Database.SetDefaults();
    TempDirTest::TearDown();
  }
  // Writes the demo into a sub-folder of the test's folder and returns to the test's folder.
  fs::path WriteDemoInto(const std::string& name) {
    const fs::path dir = fs::path(dir_) / name;
    fs::create_directories(dir);
    fs::current_path(dir);
    GameFolder demo = DemoGame();
    EXPECT_TRUE(WriteGameFolder(demo));
    fs::current_path(dir_);
    return dir;
  }
};

TEST_F(GameFolderTest, TwoWritesGiveTheSameBytes) {
  const auto first = FilesUnder(WriteDemoInto("a"));
  const auto second = FilesUnder(WriteDemoInto("b"));
  for (const char* file : {"data/System.dat", "data/WorldMap.dat", "data/CommonPalette.cplt4", "data/database/Bgm.dat",
                           "bmp/plt/Palette.bmp", "bmp/Word.bmp", "bgm/Demo.mid", "wave/sys16.wav", "System.ini"})
    EXPECT_TRUE(first.count(file)) << file;
  EXPECT_EQ(first.size(), second.size());
  for (const auto& [name, bytes] : first) {
    auto it = second.find(name);
    ASSERT_NE(it, second.end()) << name;
    EXPECT_TRUE(bytes == it->second) << name;
  }
}

TEST_F(GameFolderTest, TheGamesOwnReadersTakeEveryFile) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  ASSERT_EQ(g_Database.Load(), 1);
  ASSERT_GE(g_Database.m_vBgm.Size(), 2);
  EXPECT_EQ(g_Database.m_vBgm.back().m_strFile, "bgm\\Demo.mid");

  cSystemData sys;
  ASSERT_EQ(sys.Load("data\\System.dat"), 1);
  EXPECT_EQ(sys.m_strTitle, "Demo");
  EXPECT_EQ(sys.m_bReplaySave, 1);
  ASSERT_EQ(sys.m_vSysSound.Size(), 17);

  // The world map has tile kinds and one entrance per stage, the later ones behind the earlier
  // ones' clear flags; each entrance's stage file loads.
  cWorldMapData map;
  ASSERT_EQ(map.Load("data\\WorldMap.dat"), 1);
  EXPECT_FALSE(map.m_vTileKind.empty());
  ASSERT_EQ(map.m_vPlace.Size(), 3);
  for (int i = 0; i < 3; ++i) {
    const cMapNode& node = map.m_vPlace.At(i).m_vNode.At(0);
    EXPECT_EQ(node.m_nKind, MAPNODE_STAGE);
    EXPECT_EQ(node.m_nStageNo, i + 1);
    EXPECT_EQ(node.m_nNeedFlag, i);
    EXPECT_EQ(node.m_strStage + "_914", kDemoStagePaths[i]);
    cStageData stage;
    EXPECT_EQ(stage.Load(kDemoStagePaths[i]), 1) << kDemoStagePaths[i];
  }

  // The system sounds in both sample widths, and the tune.
  audio::Configure(audio::Backend::Null, 22050);
  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  std::set<int> widths;
  for (const std::string& file : sys.m_vSysSound) {
    DSWAVE wave;
    ASSERT_TRUE(DS_LoadWave(file.c_str(), &wave)) << file;
    EXPECT_FALSE(wave.data.empty());
    widths.insert(wave.format.wBitsPerSample);
    DS_FreeWave(&wave);
  }
  DS_Release();
  EXPECT_EQ(widths, (std::set<int>{8, 16}));
  cMidiFile tune("bgm\\Demo.mid");
  EXPECT_TRUE(tune.HasImage());
}

// Each sheet covers the source rectangles the scenes read from it.
TEST_F(GameFolderTest, SheetsCoverTheRectanglesTheScenesRead) {
  ASSERT_TRUE(WriteFixedBitmaps("T"));
  struct Need {
    const char* file;
    int width, height;
  };
  const Need needs[] = {
      {"bmp\\Word.bmp", 320, 192},         // digits of row 160, "game over" 144 wide
      {"bmp\\Accessory.bmp", 128, 232},    // hero cells at x 96, the ten cells down to y 216
      {"bmp\\Mark.bmp", 32, 480},          // 15 cells per column
      {"bmp\\Block.bmp", 32, 480},         // 15 cells per column
      {"bmp\\Character1.bmp", 640, 480},   // 15 characters, 20 frames
      {"bmp\\StatusWindow.bmp", 640, 20},  // the bar
      {"bmp\\Title.bmp", 640, 480},
      {"bmp\\Loading.bmp", 640, 480},
      {"bmp\\Debug.bmp", 128, 160},        // 16 columns of 8 x 16, ten rows
      {"bmp\\WorldMapChip.bmp", 160, 32},  // 5 tiles per row
  };
  for (const Need& n : needs) {
    SCOPED_TRACE(n.file);
    const video::BmpImage img = Picture(n.file);
    EXPECT_GE(img.width, n.width);
    EXPECT_GE(img.height, n.height);
    EXPECT_EQ(img.bitCount, 8);
  }
  // The palette picture's top-left pixel is the transparent colour; every cell of a sheet shows its
  // own colour at its centre.
  EXPECT_EQ(Picture("bmp\\plt\\Palette.bmp").ArgbAt(0, 0), Argb(0));
  const video::BmpImage blocks = Picture("bmp\\Block.bmp");
  for (int cell : {0, 1, 14, 15, 100}) {
    EXPECT_EQ(blocks.ArgbAt((cell / 15) * 32 + 16, (cell % 15) * 32 + 16), Argb(CellColourIndex(cell))) << cell;
    EXPECT_NE(CellColourIndex(cell), 0);
  }
  const video::BmpImage chara = Picture("bmp\\Character1.bmp");
  EXPECT_EQ(chara.ArgbAt(3 * 32 + 16, 2 * 32 + 18), Argb(CellColourIndex(2)));
  EXPECT_EQ(chara.ArgbAt(3 * 32, 2 * 32), Argb(0));  // around the body: transparent
  // The "replay" word has pixels of its own in its 128 x 32 box at (0, 32).
  const video::BmpImage words = Picture("bmp\\Word.bmp");
  int lit = 0;
  for (int y = 32; y < 64; ++y)
    for (int x = 0; x < 128; ++x) lit += words.ArgbAt(x, y) != Argb(0);
  EXPECT_GT(lit, 100);
}
