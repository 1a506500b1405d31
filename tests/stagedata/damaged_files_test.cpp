// Damaged data files: variants of complete files written by the records' own writers (bytes
// changed, words overwritten with extreme values, cut, ranges repeated or dropped, older versions)
// must each load or fail cleanly. A failed load leaves the live records as they were; a record that
// loaded writes again.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "gamedata/datapath.h"
#include "platform/fs/path.h"
#include "platform/win/msgbox.h"
#include "stagedata/anime.h"
#include "stagedata/cmdparts_io.h"
#include "stagedata/database.h"
#include "stagedata/dbtesting.h"
#include "stagedata/effect.h"
#include "gamefolder/database_files.h"
#include "support/stage_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>

// The allocator's hooks (GCC ships no header for them).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                               void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* p);
}

// A reader that allocates what a damaged file merely claims asks for far more than these small
// files could ever need: such a request ends the program with a report instead of succeeding.
extern "C" const char* __asan_default_options() { return "max_allocation_size=268435456"; }
#endif

namespace {

// The most bytes held at once, on any thread, counted from Start: what reading a file costs. Blocks
// freed that were taken before Start count against it.
class PeakAllocation {
 public:
  static bool Available() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
  }
  static void Start() {
#if defined(__SANITIZE_ADDRESS__)
    static const int installed = __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree);
    (void)installed;
#endif
    s_nHeld = 0;
    s_nPeak = 0;
    s_bCounting = true;
  }
  static int64_t Stop() {
    s_bCounting = false;
    return s_nPeak;
  }

 private:
  static void OnMalloc(const volatile void*, size_t size) {
    if (!s_bCounting) return;
    const int64_t held = s_nHeld += static_cast<int64_t>(size);
    int64_t peak = s_nPeak;
    while (held > peak && !s_nPeak.compare_exchange_weak(peak, held)) {
    }
  }
  static void OnFree(const volatile void* p) {
#if defined(__SANITIZE_ADDRESS__)
    if (s_bCounting && p) s_nHeld -= static_cast<int64_t>(__sanitizer_get_allocated_size(p));
#else
    (void)p;
#endif
  }
  static inline std::atomic<bool> s_bCounting{false};
  static inline std::atomic<int64_t> s_nHeld{0};
  static inline std::atomic<int64_t> s_nPeak{0};
};

using Bytes = std::vector<uint8_t>;

// The variant being loaded, printed when a sanitizer ends the program.
std::string g_strCurrentVariant;

[[maybe_unused]] void PrintCurrentVariant() { std::fprintf(stderr, "while loading the variant: %s\n", g_strCurrentVariant.c_str()); }

struct VariantReport {
  VariantReport() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(&PrintCurrentVariant);
#endif
  }
  ~VariantReport() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(nullptr);
#endif
    g_strCurrentVariant.clear();
  }
};

// Equal byte images; otherwise where they part.
testing::AssertionResult SameBytes(const Bytes& a, const Bytes& b) {
  if (a == b) return testing::AssertionSuccess();
  size_t p = 0;
  while (p < a.size() && p < b.size() && a[p] == b[p]) ++p;
  return testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size() << ", first difference at " << p;
}

// Makes the variants of one file. Each variant has a seed of its own, so that one can be made
// again alone; the description names every change.
class Mutator {
 public:
  explicit Mutator(const Bytes& good) : m_Good(good) {
    // Counts and text lengths are small numbers: words holding one are changed more often.
    for (size_t p = 4; p + 4 <= good.size(); ++p)
      if (Word(good, p) <= 4096) m_vSmallWords.push_back(p);
  }

  Bytes Make(uint32_t seed, std::string& what) {
    m_Rng.seed(seed);
    Bytes b = m_Good;
    what = "seed " + std::to_string(seed) + ":";
    const uint32_t changes = 1 + Below(3);
    for (uint32_t i = 0; i < changes && b.size() > 8; ++i) Change(b, what);
    return b;
  }

 private:
  static uint32_t Word(const Bytes& b, size_t p) {
    uint32_t w;
    std::memcpy(&w, &b[p], 4);
    return w;
  }
  uint32_t Below(size_t n) { return static_cast<uint32_t>(m_Rng() % n); }

  void Change(Bytes& b, std::string& what) {
    static constexpr uint32_t kWords[] = {0,          0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu,
                                          0xFFFFFFF0u, 1,           2,           0x100,       0x10000};
    static constexpr uint32_t kVersions[] = {0, 42, 55, 61, 110, 124, 150, 160, 172, 173, 199,
                                             210, 511, 676, 763, 765, 766, 800, 880, 913};
    const size_t size = b.size();
    const auto at = [&](size_t p) { return " @" + std::to_string(p); };
    switch (Below(10)) {
      case 0:
      case 1: {  // a small word takes an extreme value
        if (m_vSmallWords.empty()) break;
        const size_t p = m_vSmallWords[Below(m_vSmallWords.size())];
        if (p + 4 > size) break;
        const uint32_t w = kWords[Below(std::size(kWords))];
        std::memcpy(&b[p], &w, 4);
        what += " word" + at(p) + "=" + std::to_string(w);
        break;
      }
      case 2: {  // any word
        const size_t p = 4 + Below(size - 7);
        const uint32_t w = kWords[Below(std::size(kWords))];
        std::memcpy(&b[p], &w, 4);
        what += " word" + at(p) + "=" + std::to_string(w);
        break;
      }
      case 3:
      case 4: {  // a changed byte
        const size_t p = 4 + Below(size - 4);
        b[p] = static_cast<uint8_t>(b[p] ^ (1 + Below(255)));
        what += " byte" + at(p);
        break;
      }
      case 5: {  // cut
        const size_t keep = Below(size);
        b.resize(keep);
        what += " cut to " + std::to_string(keep);
        break;
      }
      case 6: {  // a range repeated
        const size_t from = 4 + Below(size - 4);
        const size_t len = 1 + Below(std::min<size_t>(96, size - from));
        const size_t to = 4 + Below(size - 3);
        const Bytes range(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + len));
        b.insert(b.begin() + static_cast<long>(to), range.begin(), range.end());
        what += " copy of " + std::to_string(from) + "+" + std::to_string(len) + at(to);
        break;
      }
      case 7: {  // a range dropped
        const size_t from = 4 + Below(size - 4);
        const size_t len = 1 + Below(std::min<size_t>(96, size - from));
        b.erase(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + len));
        what += " drop of " + std::to_string(from) + "+" + std::to_string(len);
        break;
      }
      case 8: {  // an older version reads the same bytes
        const uint32_t v = kVersions[Below(std::size(kVersions))];
        std::memcpy(&b[0], &v, 4);
        what += " version " + std::to_string(v);
        break;
      }
      default: {  // a small word off by one
        if (m_vSmallWords.empty()) break;
        const size_t p = m_vSmallWords[Below(m_vSmallWords.size())];
        if (p + 4 > size) break;
        const uint32_t w = Word(b, p) + (Below(2) ? 1u : 0xFFFFFFFFu);
        std::memcpy(&b[p], &w, 4);
        what += " word" + at(p) + "=" + std::to_string(w);
        break;
      }
    }
  }

  Bytes m_Good;
  std::vector<size_t> m_vSmallWords;
  std::mt19937 m_Rng;
};

// Commands with every block and a little of everything the command reader reads.
cFlow RichFlow(int depth) {
  cFlow flow = MakeFlow(FLOW_TRIG_DAMAGE_TAKEN, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_STRAIGHT, {}, 20),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_FLOW_OP, {1, 2}),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_MESSAGE, {0, 5, 6})});
  flow.m_nKey = 3;
  flow.m_nFlowId = 4;
  flow.m_vCmd[2].m_pCondList->m_bEnabled = 1;
  flow.m_vCmd[2].m_pCondList->m_vCond.resize(2);
  flow.m_vCmd[2].m_pCondList->m_vCond[1].m_nKind = COND_STATUS;
  flow.m_vCmd[3].m_strText = "こんにちは";
  flow.m_vCond.resize(2);
  flow.m_vCond[0].m_nKind = COND_STAGE_VAR;
  flow.m_vCond[0].m_nValue = 9;
  flow.m_vKeyCond.resize(2);
  flow.m_vKeyCond[1].m_vKeyState[3] = 1;
  if (depth > 0) {
    cFlowCmd carrier = MakeCommand(CMD_CATEGORY_ITEM, ICMD_CHANGE_FLOW, {1, 0});
    carrier.m_vFlow.push_back(RichFlow(depth - 1));
    flow.m_vCmd.push_back(carrier);
  }
  return flow;
}

// One command of every object kind and of every item kind, each with parameters 1, 2, 3 ...
cFlow EveryKindFlow() {
  cFlow flow;
  for (int category : {CMD_CATEGORY_OBJECT, CMD_CATEGORY_ITEM}) {
    const int kinds = category == CMD_CATEGORY_OBJECT ? kCmdKindCount : kItemCmdKindCount;
    for (int kind = 1; kind < kinds; ++kind) {
      cFlowCmd cmd = MakeCommand(category, kind);
      for (size_t i = 0; i < cmd.m_vParam.size(); ++i) cmd.m_vParam[i] = static_cast<int32_t>(i + 1);
      flow.m_vCmd.push_back(cmd);
    }
  }
  return flow;
}

// A palette with templates that name one another, conditions, flows and item commands.
void FillPalette(cPaletteRef p, int8_t kind) {
  p.m_vBlock.resize(3);
  p.m_vBlock[1].m_sGraphic = 4;
  p.m_vBlock[1].m_strName = "岩";
  p.m_vBlock[1].m_vCond.resize(1);
  p.m_vBlock[1].m_vCond[0].m_nKind = COND_COMMON_VAR;
  p.m_vBlock[2].m_sGraphic = 5;
  p.m_vBlock[2].m_cPalKind = kind;
  p.m_vBlock[2].m_sPalIndex = 1;
  p.m_vBlock[2].m_vInherit[0] = 1;
  p.m_vBlock[2].m_cItemKind = kind;
  p.m_vBlock[2].m_sItemIndex = 1;
  p.m_vChara.resize(3);
  p.m_vChara[1].m_sGraphic = 2;
  p.m_vChara[1].m_vFlow.push_back(RichFlow(1));
  p.m_vChara[1].m_vFlow.push_back(EveryKindFlow());
  p.m_vChara[2].m_cPalKind = kind;
  p.m_vChara[2].m_sPalIndex = 1;
  p.m_vChara[2].m_vInherit[cCharaData::kInheritGroups - 1] = 1;
  p.m_vItem.resize(2);
  p.m_vItem[1].m_sGraphic = 3;
  p.m_vItem[1].m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STAGE_CLEAR - kItemCmdKindOffset, {0}));
  cFlowCmd carrier = MakeCommand(CMD_CATEGORY_ITEM, ICMD_CHANGE_FLOW, {1, 0});
  carrier.m_vFlow.push_back(RichFlow(1));
  p.m_vItem[1].m_vCmd.push_back(carrier);
}

// The sample stage with a palette of its own, placed objects naming it, layers and variable names;
// built in g_StageData so that the references into the stage palette hold while it is written.
void BuildRichStage(cStageData& stage) {
  BuildSampleStage(stage, 24, 16);
  FillPalette(stage.Palette(), PAL_STAGE);
  stage.m_vBlock[0].m_cPalKind = PAL_STAGE;
  stage.m_vBlock[0].m_sPalIndex = 2;
  stage.m_vBlock[0].m_vInherit.assign(cBlockData::kInheritGroups, 1);
  stage.m_vChara[1].m_cPalKind = PAL_STAGE;
  stage.m_vChara[1].m_sPalIndex = 1;
  stage.m_vChara[1].m_vInherit[cCharaData::kInheritGroups - 1] = 1;
  stage.m_vChara[1].m_nHeldItem = 0;
  stage.m_vItem[0].m_vCmd.push_back(stage.m_vPalItem[1].m_vCmd[1]);
  stage.m_vResultLine = {1, 0, 1, 0, 1};
  stage.ResizeBackLayer(2);
  stage.m_vBackLayer[1].m_strPicture = "bmp\\back.bmp";
  stage.m_vBackLayer[1].m_bAutoX = 1;
  stage.m_vVarName.resize(3);
  stage.m_vVarName[1].m_strText = "鍵";
}

// A whole file at a game path, read at once (the variants are many).
Bytes GameFileBytes(const char* path) {
  Bytes bytes;
  if (FILE* f = OpenGameFile(path, "rb", PathOrigin::Program)) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

// The bytes a record writes, or none when it could not be written.
template <class R>
Bytes WrittenBytes(R& record) {
  if (!record.Save("written.dat")) return {};
  Bytes bytes = GameFileBytes("written.dat");
  RemoveGameFile("written.dat");
  return bytes;
}

// The file a record writes as a program of an older data version would: the registration of that
// version and the tails as they stand, which older readers may take as damage.
template <class R>
Bytes WrittenAsVersion(R& record, int32_t version) {
  g_nDataVersion = version;
  Bytes bytes = WrittenBytes(record);
  g_nDataVersion = kDataVersion;
  return bytes;
}

class DamagedFileTest : public StageTest {
 protected:
  void TearDown() override {
    g_nDataVersion = kDataVersion;
    StageTest::TearDown();
  }
};

// The larger tables are checked in slices, each a test of its own, so that the test runner spreads
// them over the processors: slice k takes every kSlices-th variant of each seed from the k-th on.
constexpr uint32_t kSlices = 4;
class DamagedFileSlice : public DamagedFileTest, public testing::WithParamInterface<uint32_t> {};
INSTANTIATE_TEST_SUITE_P(Slices, DamagedFileSlice, testing::Range(0u, kSlices));

// Writes the variants of each seed in turn to the game path `path` (`firstCount` of the first seed,
// `otherCount` of each other one; of those, the slice's) and calls load(), which gives the load's
// result (0 or 1), then check(the result). The number of variants that loaded.
template <class Load, class Check>
int CheckVariants(const std::string& label, const std::string& path, const std::vector<Bytes>& seeds,
                  uint32_t firstCount, uint32_t otherCount, uint32_t firstSeed, uint32_t slice, Load&& load,
                  Check&& check) {
  VariantReport report;
  int loaded = 0;
  for (size_t s = 0; s < seeds.size(); ++s) {
    Mutator mutator(seeds[s]);
    const uint32_t count = s == 0 ? firstCount : otherCount;
    for (uint32_t i = slice; i < count; i += kSlices) {
      std::string what;
      const Bytes variant = mutator.Make(firstSeed + static_cast<uint32_t>(s * 1000 + i), what);
      g_strCurrentVariant = label + " " + what;
      SCOPED_TRACE(g_strCurrentVariant);
      EXPECT_TRUE(WriteFileBytes(ResolveHostPath(path), variant));
      const int result = load();
      EXPECT_TRUE(result == 0 || result == 1) << result;
      check(result);
      if (testing::Test::HasFailure()) return loaded;
      loaded += result;
    }
  }
  return loaded;
}

}  // namespace

TEST_P(DamagedFileSlice, DamagedStagesLoadOrFailLeavingThePlayedStage) {
  BuildRichStage(g_StageData);
  std::vector<Bytes> seeds = {WrittenBytes(g_StageData)};
  for (int32_t version : {160, 766, 880, 897}) seeds.push_back(WrittenAsVersion(g_StageData, version));
  for (uint32_t version : {130u, 172u, 200u, 800u}) seeds.push_back(OldStageFile{version, {1, 1, 1, 1}, 3}.Bytes());
  ASSERT_GT(seeds[0].size(), 4000u);
  ResetStages();

  // A stage in play that a failed load must leave.
  ASSERT_TRUE(WriteFileBytes("good.stg4", seeds[0]));
  ASSERT_EQ(LoadStageForPlay("good.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 1);
  // The stage as a read leaves it (placed definitions hold what they inherit) writes as it read.
  const Bytes canonical = WrittenBytes(g_StageData);
  ASSERT_TRUE(WriteFileBytes("good.stg4", canonical));
  ASSERT_EQ(LoadStageForPlay("good.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 1);
  ASSERT_TRUE(SameBytes(WrittenBytes(g_StageData), canonical));

  // What is in play, as written: it changes only when a variant loads.
  Bytes stageBefore, settingsBefore, heroBefore;
  const auto notePlay = [&] {
    stageBefore = WrittenBytes(g_StageData);
    settingsBefore = WrittenBytes(g_PlayStageData);
    heroBefore = WrittenBytes(g_HeroCharaData);
  };
  notePlay();

  const int loaded = CheckVariants(
      "stage", "damaged.stg4", seeds, 200, 25, 0, GetParam(),
      [] {
        const int result = LoadStageForPlay("damaged.stg4", 0, &g_PlayStageData, &g_HeroCharaData);
        TakeBoxTexts();
        TakeCloseRequests();
        return result;
      },
      [&](int result) {
        if (result == 0) {
          ASSERT_TRUE(SameBytes(WrittenBytes(g_StageData), stageBefore));
          ASSERT_TRUE(SameBytes(WrittenBytes(g_PlayStageData), settingsBefore));
          ASSERT_TRUE(SameBytes(WrittenBytes(g_HeroCharaData), heroBefore));
          return;
        }
        // What loaded writes, and what it wrote loads to the same stage.
        const Bytes written = WrittenBytes(g_StageData);
        ASSERT_FALSE(written.empty());
        ASSERT_TRUE(WriteFileBytes("again.stg4", written));
        ASSERT_EQ(LoadStageForPlay("again.stg4", 0, &g_PlayStageData, &g_HeroCharaData), 1);
        ASSERT_TRUE(SameBytes(WrittenBytes(g_StageData), written));
        notePlay();
      });
  // Damage that leaves a readable stage (a changed value, a changed text) is not rare.
  EXPECT_GT(loaded, static_cast<int>(20 / kSlices));
}

TEST_P(DamagedFileSlice, DamagedCommonPalettesLoadOrFailLeavingThePalette) {
  const char* const path = g_DataPath[DATAPATH_COMMON_PALETTE];
  ASSERT_TRUE(MakeGameDirectory("data"));
  FillPalette(CommonPalette(), PAL_COMMON);
  const cCommonPaletteData good = g_CommonPalette;
  const Bytes before = WrittenBytes(g_CommonPalette);
  std::vector<Bytes> seeds = {before};
  for (int32_t version : {150, 766, 890}) seeds.push_back(WrittenAsVersion(g_CommonPalette, version));
  ASSERT_GT(seeds[0].size(), 2000u);

  const int loaded = CheckVariants(
      "common palette", path, seeds, 200, 30, 0, GetParam(),
      // As start-up loads it.
      [&] {
        g_CommonPalette = good;
        return g_CommonPalette.Load(path);
      },
      [&](int result) {
        if (result == 0) {
          ASSERT_TRUE(SameBytes(WrittenBytes(g_CommonPalette), before));
          return;
        }
        const Bytes written = WrittenBytes(g_CommonPalette);
        ASSERT_FALSE(written.empty());
        ASSERT_TRUE(WriteFileBytes(ResolveHostPath(path), written));
        ASSERT_EQ(g_CommonPalette.Load(path), 1);
        ASSERT_TRUE(SameBytes(WrittenBytes(g_CommonPalette), written));
      });
  EXPECT_GT(loaded, static_cast<int>(20 / kSlices));
}

TEST_P(DamagedFileSlice, DamagedDatabaseFilesLoadOrFailLeavingTheirLists) {
  cDatabase sample;
  sample.m_vAnimeSet.resize(3);
  sample.m_vAnimeSet[1].m_vMotion.resize(6);
  sample.m_vAnime.resize(3);
  sample.m_vAnime[2].m_vFrame.resize(4);
  sample.m_vBmpCharaExc.resize(3);
  sample.m_vSwordType.resize(3);
  sample.m_vSwordType[1].m_vPart.resize(3);
  sample.m_vEffect.resize(3);
  sample.m_vEffect[1].m_vPart.resize(3);
  sample.m_vCharaEffect.resize(4);
  sample.m_vScrEffect.resize(4);
  sample.m_vPicture.resize(3);
  sample.m_vSound.resize(3);
  sample.m_vBgm.resize(3);
  int n = 0;
  sample.ForEachFile([&](auto& list, const char*) {
    for (auto& entry : list) entry.m_strName = "entry " + std::to_string(n++);
    return true;
  });
  ASSERT_TRUE(WriteDatabaseFiles(sample));
  std::vector<std::string> paths;
  std::vector<Bytes> files;
  sample.ForEachFile([&](auto&, const char* path) {
    paths.push_back(path);
    files.push_back(GameFileBytes(path));
    return true;
  });
  cDatabase good;
  ASSERT_EQ(good.Load(), 1);
  const std::vector<Bytes> goodImages = dbbody::ListImages(good);

  int loaded = 0;
  for (size_t f = 0; f < files.size() && !HasFailure(); ++f) {
    cDatabase db;
    loaded += CheckVariants(
        paths[f], paths[f], {files[f]}, 40, 0, static_cast<uint32_t>(f * 1000), GetParam(),
        [&] {
          db = good;
          const int result = db.Load();
          msgbox::TakeRecords();
          return result;
        },
        [&](int result) {
          if (result == 0) {
            // The lists of the files before the damaged one took their files' contents, which differ
            // from the loaded database only where a whole load clears the effect kind of entry 0; the
            // damaged file's list and the later ones stay as they were.
            db.ClearEffectKindZero();
            const std::vector<Bytes> after = dbbody::ListImages(db);
            for (size_t k = 0; k < after.size(); ++k) ASSERT_TRUE(SameBytes(after[k], goodImages[k])) << paths[k];
            return;
          }
          dbbody::ListImages(db);
          // The frame tables play what loaded.
          cDatabase kept = g_Database;
          g_Database = db;
          cAnimFrameTable anime, effect;
          BuildAnimeFrameTables(anime);
          BuildEffectFrameTables(effect);
          g_Database = kept;
        });
    ASSERT_TRUE(WriteFileBytes(ResolveHostPath(paths[f]), files[f]));
  }
  EXPECT_GT(loaded, static_cast<int>(20 / kSlices));
}

TEST_F(DamagedFileTest, CountsThatClaimTheWholeFileCostWhatTheFileHolds) {
  if (!PeakAllocation::Available()) GTEST_SKIP() << "counting allocations needs the sanitizer build";
  // Each file claims as many elements as its size could hold. Zeros fill it up where elements
  // should read (each a blank one) until the file ends inside one; bytes 0xFF where the first
  // element fails.
  constexpr size_t kFileSize = 64 * 1024;
  constexpr uint32_t kClaim = (kFileSize - 4096) / 8;
  const auto fill = [](ByteWriter& w, uint8_t filler) {
    EXPECT_LT(w.bytes.size(), 4096u);
    w.bytes.resize(kFileSize - 3, filler);
    return w.bytes;
  };
  const auto cut = [](Bytes b, size_t tail) { return Bytes(b.begin(), b.end() - static_cast<long>(tail)); };
  cCharaData chara;
  cFlow flow;
  cFlowCmd cmd;
  const Bytes charaHead = cut(WrittenBody(chara), 4);  // up to its flow count
  const Bytes flowHead = cut(WrittenBody(flow), 4);    // up to its command count
  const Bytes cmdHead = cut(WrittenBody(cmd), 8);      // up to its flow count and parameter count
  ASSERT_TRUE(MakeGameDirectory("data") && MakeGameDirectory("data\\database"));
  const char* const palettePath = g_DataPath[DATAPATH_COMMON_PALETTE];
  const auto loadPalette = [&] { return g_CommonPalette.Load(palettePath); };

  // Flows hold commands and commands hold flows, 16 commands deep; every list claims the file.
  ByteWriter nested;
  nested.U32(914).U32(0).U32(0).U32(0).U32(1).Raw(charaHead.data(), charaHead.size()).U32(kClaim);
  for (int depth = 0; depth < 16; ++depth) {
    nested.Raw(flowHead.data(), flowHead.size()).U32(kClaim);
    nested.Raw(cmdHead.data(), cmdHead.size()).U32(kClaim);
  }
  ByteWriter paletteCharas;
  paletteCharas.U32(914).U32(0).U32(0).U32(0).U32(kClaim);
  // A stage whose placed characters claim the file, after its empty placed blocks.
  Bytes stageHead = OldStageFile{914}.Bytes();
  stageHead.resize(stageHead.size() - 4 - 4 - 88 - 2 * 4);
  ByteWriter stage;
  stage.Raw(stageHead.data(), stageHead.size()).U32((kFileSize - 4096) / 12);  // each after an int32
  ByteWriter animeSets;
  animeSets.U32(914).U32(kClaim);

  const struct {
    const char* what;
    const char* path;
    Bytes bytes;
    std::function<int()> load;
  } cases[] = {
      {"flows and commands nested in a palette character", palettePath, fill(nested, 0), loadPalette},
      {"palette characters", palettePath, fill(paletteCharas, 0), loadPalette},
      {"placed characters", "claims.stg4", fill(stage, 0xFF), [] { return g_StageData.Load("claims.stg4"); }},
      {"animation sets", kDbAnimeSetPath, fill(animeSets, 0xFF),
       [] { return LoadDbListFile(g_Database.m_vAnimeSet, kDbAnimeSetPath); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileBytes(ResolveHostPath(c.path), c.bytes));
    // What a load frees counts against what it takes: nothing big stays from the case before.
    ResetPalettes();
    ResetStages();
    g_Database.SetDefaults();
    PeakAllocation::Start();
    const int result = c.load();
    const int64_t peak = PeakAllocation::Stop();
    EXPECT_EQ(result, 0);
    // The nested elements actually read take some 35 times their bytes; blank elements made for
    // the claimed counts would take over 100 MB for the nested lists, 8 to 12 MB for the others.
    EXPECT_LT(peak, 64 * int64_t{kFileSize}) << peak;
  }
}
