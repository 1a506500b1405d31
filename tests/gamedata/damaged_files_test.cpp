// Damaged copies of the game-wide data and player files. Each starts from a complete file written by
// the project's own writers and is damaged by a fixed-seed generator (flipped bytes, counts and
// lengths overwritten with extreme values, cuts, repeated and missing ranges, older versions). Every
// copy must load or fail cleanly without allocating far beyond its size; a copy that loads must be
// usable as the game uses it next, and one that fails must leave the live record and the file as
// they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/datafile.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/time/localtime.h"
#include "progress_fixture.h"
#include "replay_fixture.h"
#include "support/allocwatch.h"
#include "support/stage_fixture.h"
#include "system_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// What a load of a file of `size` bytes may hold at most: a small multiple of what the file holds,
// never what its counts merely claim.
int64_t LoadBudget(size_t size) { return 64 * static_cast<int64_t>(size) + (1 << 20); }

// ---- damage ----

uint32_t Word(const Bytes& b, size_t at) {
  uint32_t w;
  std::memcpy(&w, &b[at], 4);
  return w;
}

void SetWord(Bytes& b, size_t at, uint32_t w) { std::memcpy(&b[at], &w, 4); }

// The most elements of the smallest record body (8 bytes) that the bytes after a count at `at` hold.
uint32_t LargestClaim(const Bytes& b, size_t at) { return static_cast<uint32_t>((b.size() - at - 4) / 8); }

class cDamage {
 public:
  explicit cDamage(uint32_t seed) : m_Rng(seed) {}

  Bytes Apply(const Bytes& good) {
    Bytes b = good;
    const int steps = 1 + static_cast<int>(Below(3));
    for (int i = 0; i < steps && b.size() >= 8; ++i) ApplyOne(b);
    return b;
  }

  uint32_t Below(size_t n) { return n ? static_cast<uint32_t>(m_Rng() % n) : 0; }

 private:
  static constexpr uint32_t kWords[] = {0,          0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu,
                                        0xFFFFFF9Cu, 1,           2,           0x10000u,    0x3FFFFFFFu};
  static constexpr uint32_t kVersions[] = {0,   100, 165, 172, 180, 185, 190, 204, 208,
                                           286, 500, 501, 586, 723, 757, 758, 811, 913};

  // A position after the version whose word looks like a count or a text length.
  size_t CountPosition(const Bytes& b) {
    std::vector<size_t> found;
    for (size_t at = 4; at + 4 <= b.size(); ++at)
      if (uint32_t w = Word(b, at); w >= 1 && w <= 0x4000) found.push_back(at);
    return found.empty() ? 4 + Below(b.size() - 7) : found[Below(found.size())];
  }

  void ApplyOne(Bytes& b) {
    switch (Below(10)) {
      case 0:  // flipped bytes
        for (uint32_t n = 1 + Below(4); n > 0; --n) b[4 + Below(b.size() - 4)] ^= static_cast<uint8_t>(1 + Below(255));
        break;
      case 1:
      case 2:  // a count or length set to an extreme value
        SetWord(b, CountPosition(b), kWords[Below(std::size(kWords))]);
        break;
      case 3: {  // a count or length a little off
        const size_t at = CountPosition(b);
        SetWord(b, at, Word(b, at) + Below(5) - 2);
        break;
      }
      case 4: {  // a count that the rest of the file could hold, of elements of 8 to 128 bytes
        const size_t at = CountPosition(b);
        SetWord(b, at, LargestClaim(b, at) >> Below(5));
        break;
      }
      case 5:  // any word set to an extreme value
        SetWord(b, 4 + Below(b.size() - 7), kWords[Below(std::size(kWords))]);
        break;
      case 6:  // cut short
        b.resize(Below(b.size()));
        break;
      case 7: {  // a range repeated
        const size_t from = Below(b.size()), len = 1 + Below(std::min<size_t>(64, b.size() - from));
        const Bytes range(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + len));
        b.insert(b.begin() + static_cast<long>(4 + Below(b.size() - 3)), range.begin(), range.end());
        break;
      }
      case 8: {  // a range missing
        const size_t from = 4 + Below(b.size() - 4), len = 1 + Below(std::min<size_t>(64, b.size() - from));
        b.erase(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + len));
        break;
      }
      case 9:  // stored as an older version
        SetWord(b, 0, kVersions[Below(std::size(kVersions))]);
        break;
    }
  }

  std::mt19937 m_Rng;
};

// One copy per word from `from` on that looks like a small count, each claiming as many elements as
// the bytes after it could hold if every element took the 8 bytes of the smallest record body.
std::vector<Bytes> ClaimingCopies(const Bytes& good, size_t from = 4) {
  std::vector<Bytes> copies;
  for (size_t at = std::max<size_t>(from, 4); at + 4 <= good.size(); ++at) {
    const uint32_t w = Word(good, at);
    if (w < 1 || w > 64) continue;
    Bytes b = good;
    SetWord(b, at, LargestClaim(b, at));
    copies.push_back(std::move(b));
  }
  return copies;
}

// `count` damaged copies of the file, then its claiming copies from `claimFrom` on (none past the end).
std::vector<Bytes> Variants(cDamage& damage, const Bytes& good, int count, size_t claimFrom = SIZE_MAX) {
  std::vector<Bytes> variants;
  for (int i = 0; i < count; ++i) variants.push_back(damage.Apply(good));
  if (claimFrom < good.size())
    for (Bytes& b : ClaimingCopies(good, claimFrom)) variants.push_back(std::move(b));
  return variants;
}

// Whether the program opens a file of these bytes at all.
bool Opens(const Bytes& b) { return b.size() >= 4 && Word(b, 0) <= static_cast<uint32_t>(kDataVersion); }

class DamagedFileTest : public StageTest {
 protected:
  // Every save is stamped with the same time, so that the files and their damage repeat.
  const FakeLocalTime m_Clock{MakeTime(2024, 3, 9, 18, 40)};

  void SetUp() override {
    StageTest::SetUp();
    ResetGameWideData();
    for (const char* dir : {"data", "user_data", "user_data\\story", "user_data\\challenge", "user_data\\free",
                            "user_data\\rpl4"})
      ASSERT_TRUE(MakeGameDirectory(dir));
  }
  void TearDown() override {
    ResetGameWideData();
    StageTest::TearDown();
  }

  // The bytes a record writes.
  template <class R>
  static Bytes Image(R& record) {
    EXPECT_EQ(record.Save("image.bin"), 1);
    return ReadFileBytes("image.bin");
  }

  // Writes the variant, loads it under the allocation watch and checks what every load must hold:
  // a result of 0 or 1, memory in proportion to the file, no checked-access error, the file unchanged.
  template <class Load>
  int LoadVariant(const std::string& path, const Bytes& variant, Load load) {
    EXPECT_TRUE(WriteFileBytes(ResolveHostPath(path), variant));
    const int result = LoadWritten(path, variant, load);
    ++(result ? m_nLoaded : m_nFailed);
    return result;
  }

  // The same for the variant already written.
  template <class Load>
  int LoadWritten(const std::string& path, const Bytes& variant, Load load) {
    m_Watch.Start();
    const int result = load();
    const int64_t peak = m_Watch.Stop();
    EXPECT_TRUE(result == 0 || result == 1) << result;
    EXPECT_LE(peak, LoadBudget(variant.size())) << "file of " << variant.size() << " bytes";
    EXPECT_EQ(TakeCloseRequests(), 0);
    EXPECT_EQ(ReadFileBytes(ResolveHostPath(path)), variant);
    msgbox::TakeRecords();
    return result;
  }

  // What a loaded record writes reads again.
  template <class R>
  static void ExpectRereadableWrite(R& record) {
    ASSERT_EQ(record.Save("again.dat"), 1);
    R again;
    EXPECT_EQ(again.Load("again.dat"), 1);
  }

  // Both outcomes must have been seen for the run to mean something.
  void ExpectBothOutcomes() {
    EXPECT_GT(m_nLoaded, 0);
    EXPECT_GT(m_nFailed, 0);
  }

  cAllocWatch m_Watch;
  int m_nLoaded = 0;
  int m_nFailed = 0;
};

// ---- system data ----

TEST_F(DamagedFileTest, SystemDataOfEveryLayoutLoadsOrFailsAndWritesBack) {
  cDamage damage(0x5157);
  for (int version : {914, 913, 841, 755, 671, 566, 500, 285, 230, 201, 190, 180, 168, 100}) {
    SCOPED_TRACE(version);
    cSystemData source;
    source.m_strTitle = "Title";
    ASSERT_EQ(SaveAsVersion(source, version, "good.dat"), 1);
    const Bytes good = ReadFileBytes("good.dat");
    for (const Bytes& variant : Variants(damage, good, 40, version == 914 ? 4 : SIZE_MAX)) {
      cSystemData d;
      if (!LoadVariant("System.dat", variant, [&] { return d.Load("System.dat"); })) continue;
      // A new game sizes its challenge list by the loaded count.
      cSaveData progress;
      progress.Reset(d.m_nChallengeNum);
      ExpectRereadableWrite(d);
    }
  }
  ExpectBothOutcomes();
}

// ---- "System.ini" ----

TEST_F(DamagedFileTest, SystemIniOfAnyTextReadsToItsEndOrFails) {
  cDamage damage(0x1A1);
  const cSystemData system;
  const cSysIniKeyList& keys = system.m_vIniKey;
  const char* kEnds[] = {"\n", "\r\n", "\r", "\n\r", ""};
  for (int i = 0; i < 300; ++i) {
    std::string text;
    for (uint32_t lines = damage.Below(12); lines > 0; --lines) {
      switch (damage.Below(6)) {
        case 0:
        case 1:
          text += keys.At(static_cast<int>(damage.Below(keys.size()))).m_strName + "=" +
                  std::to_string(static_cast<int32_t>(damage.Below(0xFFFFFFFFu)) - 5);
          break;
        case 2:
          text += "FreeStage=data\\stg4\\" + std::string(damage.Below(600), 'a');
          break;
        case 3:
          text += std::string(damage.Below(5000), 'K') + (damage.Below(2) ? "=" : "");
          text += std::string(damage.Below(5000), '7');
          break;
        case 4:
          for (uint32_t n = damage.Below(40); n > 0; --n) text += static_cast<char>(damage.Below(256));
          break;
        case 5:
          text += damage.Below(4) ? "Exit" : "VSync=1/ comment";
          break;
      }
      text += kEnds[damage.Below(std::size(kEnds))];
    }
    cSystemIni ini;
    SetSystemIniDefault(ini, keys);
    const Bytes bytes(text.begin(), text.end());
    LoadVariant("System.ini", bytes, [&] { return ReadSystemIni("System.ini", ini, keys); });
    EXPECT_NE(std::memchr(ini.FreeStage, 0, sizeof(ini.FreeStage)), nullptr);
  }
  ExpectBothOutcomes();
}

// ---- world map ----

cWorldMapData SampleMap() {
  cWorldMapData m;
  m.SetSize(24, 18);
  m.m_strBackPicture = "bmp\\map.bmp";
  m.m_vTileKind.assign(12, cMapTileKind());
  for (int i = 0; i < 12; ++i) {
    m.m_vTileKind[i].m_nPicture = i;
    m.m_vTileKind[i].m_bBlocked = i % 3 == 0;
    m.m_vTileKind[i].m_strName = "kind";
  }
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 24; ++x) m.m_vCell.At(x + (y << m.m_nShift)) = x == y ? x % 12 : 0;
  for (int p = 0; p < 6; ++p) {
    cMapPlace place;
    place.m_nX = 3 * p + 1;
    place.m_nY = 2 * p;
    place.m_strName = "place";
    place.m_vNode.assign(1 + p % 3, cMapNode());
    for (int n = 0; n < place.m_vNode.Size(); ++n) {
      cMapNode& node = place.m_vNode[n];
      node.m_nKind = n % 3;
      node.m_nStageNo = p + 1;
      node.m_bVarSet = p % 2;
      node.m_nVarValue = p;
      node.m_strCaption = "caption";
      node.m_strStage = p % 2 ? "data\\stg4\\Hill-1.stg4_914" : "data\\stg4\\Town.stg4_914";
    }
    m.m_vPlace.push_back(place);
  }
  return m;
}

TEST_F(DamagedFileTest, WorldMapLoadsOrFailsAndALoadedMapIsSearchedAndWrittenSafely) {
  cDamage damage(0x3A9);
  for (int version : {914, 811, 757, 208}) {
    SCOPED_TRACE(version);
    cWorldMapData source = SampleMap();
    Bytes good;
    {
      const cDataVersionScope scope(version);
      good = Image(source);
    }
    for (const Bytes& variant : Variants(damage, good, 60, version == 914 ? 4 : SIZE_MAX)) {
      cWorldMapData m;
      if (!LoadVariant("WorldMap.dat", variant, [&] { return m.Load("WorldMap.dat"); })) continue;
      // The grid lies in the cell list and names known kinds; the start and the places are on it.
      ASSERT_GE(m.m_nWidth, 1);
      ASSERT_GE(m.m_nHeight, 1);
      ASSERT_GE(m.m_vCell.size(), static_cast<size_t>(m.m_nHeight) << m.m_nShift);
      for (int y = 0; y < m.m_nHeight; ++y)
        for (int x = 0; x < m.m_nWidth; ++x)
          ASSERT_LT(static_cast<uint32_t>(m.m_vCell[x + (y << m.m_nShift)]), std::max<size_t>(m.m_vTileKind.size(), 1));
      EXPECT_TRUE(m.m_nStartX >= 0 && m.m_nStartX < m.m_nWidth && m.m_nStartY >= 0 && m.m_nStartY < m.m_nHeight);
      for (const cMapPlace& p : m.m_vPlace) {
        EXPECT_TRUE(p.m_nX >= 0 && p.m_nX < m.m_nWidth && p.m_nY >= 0 && p.m_nY < m.m_nHeight);
        EXPECT_NE(m.FindPlace(p.m_nX, p.m_nY), nullptr);
        for (const cMapNode& n : p.m_vNode) m.IsStageOnMap(n.m_strStage, n.m_bVarSet, n.m_nVarIndex, n.m_nVarValue);
      }
      ExpectRereadableWrite(m);
    }
  }
  ExpectBothOutcomes();
}

// ---- options ----

TEST_F(DamagedFileTest, OptionsLoadWithinTheirRangesOrFail) {
  cDamage damage(0x0F7);
  cOptionData source;
  source.m_nPalette = 5;
  source.m_nRankMode = 3;
  source.m_strRankName = "プレイヤー";
  const Bytes good = Image(source);
  for (int i = 0; i < 200; ++i) {
    cOptionData o;
    if (!LoadVariant("user_data\\Option.dat", damage.Apply(good), [&] { return o.Load("user_data\\Option.dat"); }))
      continue;
    EXPECT_TRUE(o.m_nPalette >= 0 && o.m_nPalette <= 23);
    EXPECT_TRUE(o.m_bBgm == 0 || o.m_bBgm == 1);
    EXPECT_TRUE(o.m_nVolume >= 0 && o.m_nVolume < kOptionVolumeSteps);
    EXPECT_TRUE(o.m_nRankMode >= 0 && o.m_nRankMode <= 3);
  }
  ExpectBothOutcomes();
}

// ---- progress: story slots, the challenge file and the slot list ----

// A progress with carried characters (the sample stage's hero and its flows), stage bests, cleared
// challenge stages, flags and common variables.
void MakeProgress(cSaveData& save) {
  static const cCharaData hero = [] {
    cStageData stage;
    BuildSampleStage(stage);
    return stage.m_vChara.At(stage.FindHero());
  }();
  save.Reset(g_SystemData.m_nChallengeNum);
  save.m_vCharaSave.assign(2, cCharaSaveData());
  save.m_vCharaSave[0].m_Chara = hero;
  save.m_vCharaSave[1].m_nHP = 30;
  save.m_bCarryOver = 1;
  save.m_vCarrySwitch.At(11) = 1;
  save.SetStage("data\\stg4\\Town.stg4_914", 0, 0, 0);
  save.SetStageBest("data\\stg4\\Town.", "data\\stg4\\Town.", 0, 0, 0, 500);
  save.SetStageBest("data\\stg4\\Hill.", "data\\stg4\\Hill_c003_1.", 1, 3, 1, 200);
  save.m_vChallenge.At(2).m_nFirst = 1;
  save.m_vChallenge.At(2).m_nSecond = 900;
  save.m_nChallengeOpen = 4;
  save.m_vFlag.At(3) = 1;
  save.m_vCommonVar.At(1000) = -7;
  save.m_nMapX = 4;
  save.m_nMapY = 5;
  save.m_nLife = 3;
  save.m_nTotalScore = 1234;
}

// A loaded progress keeps the invariants the game's indexes rely on and saves again.
void ExpectUsableProgress(cSaveData& save, int slot) {
  EXPECT_GE(save.m_vCommonVar.Size(), kCommonVarCount);
  EXPECT_GE(save.m_vCarrySwitch.Size(), kCarryGroupCount);
  EXPECT_EQ(save.m_vChallenge.Size(), g_SystemData.m_nChallengeNum);
  EXPECT_LE(save.m_nChallengeOpen, g_SystemData.m_nChallengeNum);
  EXPECT_TRUE(save.m_nMapX >= 0 && save.m_nMapX < g_WorldMapData.m_nWidth);
  EXPECT_TRUE(save.m_nMapY >= 0 && save.m_nMapY < g_WorldMapData.m_nHeight);
  save.UpdateTotal();
  save.MoveRankTableCursor(GAMETYPE_STORY, 1);
  save.MoveRankTableCursor(GAMETYPE_STORY, -1);
  ASSERT_EQ(save.SaveStory(slot), 1);
  cSaveData again;
  EXPECT_EQ(again.LoadStory(slot), 1);
}

TEST_F(DamagedFileTest, ProgressFilesLoadOrLeaveTheProgressAsItWasAndTheSlotListShowsThem) {
  cDamage damage(0x570);
  MakeProgress(g_SaveData);
  ASSERT_EQ(g_SaveData.SaveStory(0), 1);
  ASSERT_EQ(g_SaveData.SaveChallenge(), 1);
  g_SaveData.m_nTotalScore = 77;  // the live progress differs from every file
  const cSaveData liveProgress = g_SaveData;
  const Bytes live = Image(g_SaveData);
  struct cPath {
    std::string file;
    int (*load)();
    bool story;
  };
  const cPath paths[] = {{GetStoryPath(0), [] { return g_SaveData.LoadStory(0); }, true},
                         {g_DataPath[DATAPATH_CHALLENGE], [] { return g_SaveData.LoadChallenge(); }, false}};
  for (const cPath& path : paths) {
    SCOPED_TRACE(path.file);
    const Bytes good = ReadFileBytes(ResolveHostPath(path.file));
    // Both files have one layout: its counts are claimed once.
    for (const Bytes& variant : Variants(damage, good, 150, path.story ? 4 : SIZE_MAX)) {
      g_SaveData = liveProgress;
      if (!LoadVariant(path.file, variant, path.load))
        EXPECT_EQ(Image(g_SaveData), live);
      else
        ExpectUsableProgress(g_SaveData, 5);
      if (!path.story) continue;

      // The slot list shows a slot whose file opens, damaged inside or not.
      cSaveSlotList list(2);
      list[1].m_bUsed = 1;
      LoadWritten(path.file, variant, [&] {
        LoadSaveSlotList(list);
        return 1;
      });
      EXPECT_EQ(list[0].m_bUsed, Opens(variant) ? 1 : 0);
      EXPECT_EQ(list[1].m_bUsed, 0);
    }
  }
  ExpectBothOutcomes();
}

// ---- rankings ----

TEST_F(DamagedFileTest, RankingsLoadOrLeaveAResetSetAndALoadedSetTakesResults) {
  cDamage damage(0x4B6);
  const char* stage = "data\\stg4\\Town.";
  cRankingData source;
  for (int t = 0; t < kRankTableCount; ++t)
    for (int n = 0; n < 7 + 3 * t; ++n) source.m_vTable[t].Insert("名前" + std::to_string(n), 100 * n + t);
  ASSERT_EQ(source.SaveFile(GAMETYPE_STORY, stage, 0, 0, 0), 1);
  std::string path;
  MakeRankingPath(path, GAMETYPE_STORY, stage, 0, 0, 0);
  const Bytes good = ReadFileBytes(ResolveHostPath(path));
  cRankingData reset;
  const Bytes resetImage = Image(reset);
  for (const Bytes& variant : Variants(damage, good, 150, 4)) {
    g_RankingData = source;
    if (!LoadVariant(path, variant,
                     [&] { return g_RankingData.LoadFile(GAMETYPE_STORY, stage, 0, 0, 0); })) {
      EXPECT_EQ(Image(g_RankingData), resetImage);
      continue;
    }
    for (cRankTable& table : g_RankingData.m_vTable) {
      ASSERT_EQ(table.m_vEntry.Size(), kRankPlaceCount);
      table.Insert("new", table.GetInsertPos(500));
    }
    ASSERT_EQ(g_RankingData.SaveFile(GAMETYPE_FREE, stage, 0, 0, 0), 1);
    cRankingData again;
    EXPECT_EQ(again.LoadFile(GAMETYPE_FREE, stage, 0, 0, 0), 1);
  }
  ExpectBothOutcomes();
}

// ---- replays ----

// The frames a recording plays: the shorter channel's total, counted up to `most`.
int64_t FramesOf(const cReplayData& rec, int64_t most) {
  int64_t dir = 0, button = 0;
  for (int32_t run : rec.m_vDirRun) dir += run;
  for (int32_t run : rec.m_vButtonRun) button += run;
  return std::min({dir, button, most});
}

TEST_F(DamagedFileTest, ReplaysLoadWholeOrChangeNothingAndALoadedOnePlaysToItsEnd) {
  cDamage damage(0x8E9);
  BuildSampleStage(g_StageData, 24, 16);
  g_StageData.m_strName = "Forest";
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  MakeProgress(g_SaveData);
  g_ReplayData.ClearRecording();
  g_ReplayData.m_nSeed = 0x5EED;
  for (int f = 0; f < 400; ++f) {
    const int16_t words[2] = {static_cast<int16_t>(f / 30 % 4), static_cast<int16_t>(f / 7 % 3)};
    g_ReplayData.Record(words);
  }
  ASSERT_EQ(g_ReplayData.SaveFile("good.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  const Bytes good = ReadFileBytes("good.rpl4_914");
  // The counts this reader owns: those of the recording and the progress after the stage.
  const size_t recordAt = good.size() - (Image(g_ReplayData).size() - 4) - (Image(g_SaveData).size() - 4);

  SetOtherLiveState();
  const Bytes live = LiveState();
  ASSERT_TRUE(WriteFileBytes("live.rpl4_914", live));
  constexpr int64_t kMostFrames = 100000;
  for (const Bytes& variant : Variants(damage, good, 150, recordAt)) {
    const auto load = [&] { return g_ReplayData.LoadFile("a.rpl4_914", g_StageData, g_PlayStageData, g_SaveData); };
    if (!LoadVariant("a.rpl4_914", variant, load)) {
      EXPECT_EQ(LiveState(), live);
      EXPECT_EQ(g_ReplayData.m_nFileVersion, static_cast<uint32_t>(kDataVersion));
      continue;
    }
    int64_t frames = 0;
    int16_t words[2];
    while (frames < kMostFrames && g_ReplayData.Play(words) == 0) ++frames;
    EXPECT_EQ(frames, FramesOf(g_ReplayData, kMostFrames));
    EXPECT_EQ(TakeCloseRequests(), 0);
    ASSERT_EQ(g_ReplayData.SaveFile("again.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
    EXPECT_EQ(g_ReplayData.LoadFile("again.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
    // Back to the live state for the next copy.
    ASSERT_EQ(g_ReplayData.LoadFile("live.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  }
  ExpectBothOutcomes();
}

}  // namespace
