// The database: built-in defaults, the ten files loaded in order, and the report of a bad file.
#include <functional>

#include "core/text.h"
#include "platform/fs/path.h"
#include "platform/win/msgbox.h"
#include "stagedata/database.h"
#include "gamefolder/database_files.h"
#include "support/tempdir.h"
#include "dbtesting.h"

using namespace dbbody;

namespace {

// Every list holds three entries unlike the defaults; entry 0 of the effect definitions has a kind.
cDatabase SampleDatabase() {
  cDatabase db;
  db.m_vAnimeSet.resize(3);
  db.m_vAnime.resize(3);
  db.m_vBmpCharaExc.resize(3);
  db.m_vSwordType.resize(3);
  db.m_vEffect.resize(3);
  db.m_vCharaEffect.resize(3);
  db.m_vScrEffect.resize(3);
  db.m_vPicture.resize(3);
  db.m_vSound.resize(3);
  db.m_vBgm.resize(3);
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    cAnimeSetData& set = db.m_vAnimeSet[i];
    set.m_strName = "set" + n;
    set.m_nFrameOfsFlying = 20 + i;
    set.m_vMotion.resize(5);
    set.m_vMotion[4].m_strName = "extra" + n;
    cAnimeData& anime = db.m_vAnime[i];
    anime.m_strName = "anime" + n;
    anime.m_vFrame.resize(2);
    anime.m_vFrame[0].m_nValue = i + 1;
    anime.m_vFrame[0].m_nDuration = 2;
    anime.m_vFrame[1].m_nValue = i + 2;
    anime.m_vFrame[1].m_nDuration = 3;
    anime.m_vFrame[1].m_bHold = 1;
    cBmpCharaExcData& bmp = db.m_vBmpCharaExc[i];
    bmp.m_strFile = "chara" + n + ".bmp";
    bmp.m_bLargeCells = 1;
    bmp.m_nCellSize = 2 + i;
    cSwordTypeData& sword = db.m_vSwordType[i];
    sword.m_strFileLeft = "sword" + n + "l.bmp";
    sword.m_vPart.resize(2);
    sword.m_vPart[1].m_nWidth = 40 + i;
    cEffectData& effect = db.m_vEffect[i];
    effect.m_strFile = "effect" + n + ".bmp";
    effect.m_nFrameW = 64;
    effect.m_vPart.resize(2);
    effect.m_vPart[0].m_nValue = i;
    effect.m_vPart[0].m_nDuration = 2;
    effect.m_vPart[1].m_nValue = i + 1;
    db.m_vCharaEffect[i].m_nKind = 4 + i;
    db.m_vCharaEffect[i].m_nParam[4] = 3;
    db.m_vScrEffect[i].m_nKind = 7 + i;
    db.m_vScrEffect[i].m_nParam[0] = 30;
    db.m_vPicture[i].m_strFile = "picture" + n + ".bmp";
    db.m_vSound[i].m_strFile = "sound" + n + ".wav";
    db.m_vBgm[i].m_strFile = "music" + n + ".ogg";
    db.m_vBgm[i].m_nVolume = 50 + i;
  }
  return db;
}

std::vector<size_t> ListSizes(cDatabase& db) {
  std::vector<size_t> sizes;
  db.ForEachFile([&](auto& list, const char*) {
    sizes.push_back(list.size());
    return true;
  });
  return sizes;
}

std::vector<std::string> FilePaths() {
  std::vector<std::string> paths;
  cDatabase().ForEachFile([&](auto&, const char* path) {
    paths.push_back(path);
    return true;
  });
  return paths;
}

bool WriteGameFile(const std::string& path, const Bytes& bytes) { return WriteFileBytes(ResolveHostPath(path), bytes); }

// A list file: the version, the count, the entries.
Bytes ListFile(uint32_t version, int32_t count, const std::vector<Bytes>& entries) {
  ByteWriter w;
  w.U32(version).I32(count);
  for (const Bytes& e : entries) Append(w, e);
  return w.bytes;
}

class DatabaseTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    msgbox::Reset();
    sample_ = SampleDatabase();
    ASSERT_TRUE(WriteDatabaseFiles(sample_));
  }
  void TearDown() override {
    msgbox::Reset();
    g_Database.SetDefaults();
    g_AnimeFrameTables.clear();
    g_EffectFrameTables.clear();
    DataFileInitGlobals();
    TempDirTest::TearDown();
  }
  cDatabase sample_;
};

}  // namespace

TEST(DatabaseDefaults, EveryListHoldsItsBuiltInEntries) {
  cDatabase db;
  EXPECT_EQ(ListSizes(db), (std::vector<size_t>{1, 2, 2, 1, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(db.m_vAnime[0].m_strName, "なし");
  EXPECT_EQ(db.m_vAnime[1].m_strName, "アクションA");
  ASSERT_EQ(db.m_vAnimeSet[0].m_vMotion.size(), 4u);
  EXPECT_EQ(db.m_vAnimeSet[0].m_vMotion[3].m_strName, "飛行移動");
  EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 1);
  EXPECT_EQ(db.m_vScrEffect[1].m_nKind, 1);
  EXPECT_EQ(db.m_vBgm[1].m_nVolume, 100);

  // SetDefaults brings back every list, the reverse copies aside.
  db.m_vAnime.resize(7);
  db.m_vBgm.clear();
  db.m_vScrEffectRev.resize(3);
  db.SetDefaults();
  EXPECT_EQ(ListSizes(db), (std::vector<size_t>{1, 2, 2, 1, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(db.m_vScrEffectRev.size(), 3u);
}

TEST_F(DatabaseTest, AWrittenDatabaseLoadsBackWithItsFrameTables) {
  sample_.m_vAnimeSet[1].m_vMotion[0].m_strName = "a\r\nb";
  ASSERT_TRUE(WriteDatabaseFiles(sample_));

  cDatabase db;
  ASSERT_EQ(db.Load(), 1);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
  // Entry 0 of the effect definitions means none, whatever the file says.
  EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 0);
  EXPECT_EQ(db.m_vScrEffect[0].m_nKind, 0);
  EXPECT_EQ(db.m_vCharaEffect[1].m_nKind, 5);
  // Texts lose their CR bytes, those of nested motions too.
  EXPECT_EQ(db.m_vAnimeSet[1].m_vMotion[0].m_strName, "a\nb");

  sample_.m_vAnimeSet[1].m_vMotion[0].m_strName = "a\nb";
  sample_.ClearEffectKindZero();
  EXPECT_EQ(ListImages(db), ListImages(sample_));

  g_Database = db;
  BuildAnimeFrameTables(g_AnimeFrameTables);
  BuildEffectFrameTables(g_EffectFrameTables);
  ASSERT_EQ(g_AnimeFrameTables.size(), 3u);
  EXPECT_EQ(g_AnimeFrameTables[0], (cAnimSeqFrames{{1, 0, 1}, {2, 0, 1}, {ANIMSEQ_RESTART, 0, 1}}));
  EXPECT_EQ(g_AnimeFrameTables[2], (cAnimSeqFrames{{3, 12, 0}, {4, 18, 1}, {ANIMSEQ_END, 0, 0}}));
  ASSERT_EQ(g_EffectFrameTables.size(), 3u);
  EXPECT_EQ(g_EffectFrameTables[1], (cAnimSeqFrames{{1, 12, 0}, {2, 6, 0}, {ANIMSEQ_END, 0, 0}}));
}

TEST_F(DatabaseTest, ACountOfZeroOrLessKeepsTheDefaults) {
  for (int32_t count : {0, -1}) {
    SCOPED_TRACE(count);
    ASSERT_TRUE(WriteGameFile(kDbAnimePath, ListFile(914, count, {})));
    cDatabase db;
    ASSERT_EQ(db.Load(), 1);
    ASSERT_EQ(db.m_vAnime.size(), 2u);
    EXPECT_EQ(db.m_vAnime[0].m_strName, "なし");
    EXPECT_EQ(db.m_vAnime[1].m_strName, "アクションA");
    EXPECT_EQ(db.m_vBgm.size(), 3u);  // the files after it are read
  }
}

TEST_F(DatabaseTest, ReadingAListKeepsItsEntriesAndAppendsDefaultOnes) {
  cCheckedVector<cBgmData> list(2);
  list[0].m_nVolume = 50;
  ASSERT_TRUE(WriteGameFile("bgm.dat", ListFile(813, 3, {Bgm(813, 0, 0, "a"), Bgm(813, 0, 0, "b"), Bgm(813, 0, 0, "c")})));
  ASSERT_EQ(LoadDbListFile(list, "bgm.dat"), 1);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].m_nVolume, 50);
  EXPECT_EQ(list[1].m_nVolume, 100);
  EXPECT_EQ(list[2].m_nVolume, 100);
  EXPECT_EQ(list[2].m_strName, "c");

  ASSERT_TRUE(WriteGameFile("bgm.dat", ListFile(914, 1, {Bgm(914, 0, 70, "d")})));
  ASSERT_EQ(LoadDbListFile(list, "bgm.dat"), 1);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].m_nVolume, 70);
}

TEST_F(DatabaseTest, OldSwordTypeFilesKeepAtMost128Entries) {
  struct Case {
    uint32_t version;
    int32_t stored;
    size_t kept;
  };
  for (const Case& c : {Case{827, 130, 128}, Case{828, 130, 130}, Case{827, 100, 100}}) {
    SCOPED_TRACE(testing::Message() << c.version << " " << c.stored);
    std::vector<Bytes> entries(c.stored, SwordType(c.version, 0, {SwordPart{}}));
    ASSERT_TRUE(WriteGameFile(kDbSwordTypePath, ListFile(c.version, c.stored, entries)));
    cDatabase db;
    ASSERT_EQ(db.Load(), 1);
    EXPECT_EQ(db.m_vSwordType.size(), c.kept);
  }
}

TEST_F(DatabaseTest, ABadFileIsReportedAndStopsTheLoad) {
  const std::vector<std::string> paths = FilePaths();
  const auto spoilBytes = [](std::function<void(Bytes&)> f) {
    return [f](const std::string& path) {
      Bytes b = ReadFileBytes(ResolveHostPath(path));
      f(b);
      ASSERT_TRUE(WriteGameFile(path, b));
    };
  };
  struct Case {
    const char* name;
    int file;  // in load order
    std::function<void(const std::string&)> spoil;
    bool tooNew;
  };
  const std::vector<Case> cases = {
      {"missing", 4, [](const std::string& path) { ASSERT_TRUE(RemoveGameFile(path)); }, false},
      {"newer than the program", 9, spoilBytes([](Bytes& b) { b[0] = 0x93; }), true},  // 915
      {"shorter than its version", 0, [](const std::string& path) { ASSERT_TRUE(WriteGameFile(path, {0x92, 0x03})); },
       false},
      {"cut inside an entry", 3, spoilBytes([](Bytes& b) { b.resize(b.size() - 3); }), false},
      {"a count the file cannot hold", 7, spoilBytes([](Bytes& b) { b[6] = 0x10; }), false},
      {"more raw fields than its version stores", 5,
       [](const std::string& path) {
         ByteWriter w;
         w.U32(914).I32(1).U32(3);
         for (int i = 0; i < 7; ++i) w.I32(1);
         w.U32(1).Str("fx");
         ASSERT_TRUE(WriteGameFile(path, w.bytes));
       },
       false},
      {"a frame count the file cannot hold", 1,
       [](const std::string& path) {
         ByteWriter w;
         w.U32(914).I32(1).U32(3).I16(0).I8(1).I16(0).U32(1).Str("a").U32(100000);
         ASSERT_TRUE(WriteGameFile(path, w.bytes));
       },
       false},
  };
  cDatabase fresh;
  const std::vector<size_t> defaults = ListSizes(fresh);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " " << paths[c.file]);
    ASSERT_TRUE(WriteDatabaseFiles(sample_));
    c.spoil(paths[c.file]);
    cDatabase db;
    EXPECT_EQ(db.Load(), 0);
    const std::string text =
        c.tooNew ? StrPrintf("%s の読み込みに失敗しました！\n実行ファイル(.exe)より上位のバージョンのファイルは使用できません。",
                             paths[c.file].c_str())
                 : StrPrintf("%s の読み込みに失敗しました！", paths[c.file].c_str());
    std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    // The lists before the bad file hold their files' contents; it and those after keep theirs.
    const std::vector<size_t> sizes = ListSizes(db);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(sizes[i], i < c.file ? 3u : defaults[i]) << paths[i];
  }
}
