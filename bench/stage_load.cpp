// Loading a large stage for play, as every start and restart of a stage does: a 400 x 60 map with
// 2000 blocks, the hero, 200 computer characters each with 3 flows of 4 to 6 commands, and 100
// items. The file is numbered "_001" and is found by the numbered search in a folder that holds 200
// other files. A plain read of the same file's bytes is the baseline. The load's CPU column counts
// every thread of the process (the file is read on the loading thread).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "authoring/stageauthor.h"
#include "core/datafile.h"
#include "stagedata/database.h"
#include "stagedata/stageload.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kStageName = "Bench.stg4";
constexpr const char* kStageFile = "Bench.stg4_001";

// Commands a character's flows are made of, in turn: movement, shot and plain ones.
constexpr int kCommandKinds[] = {CMD_MOVE_STRAIGHT, CMD_WAIT,   CMD_SHOT,          CMD_JUMP,
                                 CMD_TURN,          CMD_SWORD,  CMD_MOVE_HOMING,   CMD_SUMMON_CHARA,
                                 CMD_MOVE_CIRCLE,   CMD_VANISH, CMD_MOVE_CHARGE,   CMD_GRAPHIC};

void BuildLargeStage(cStageData& stage) {
  constexpr int kWidth = 400, kHeight = 60;
  stage.Reset();
  stage.m_strName = "Large";
  SetStageSize(stage, kWidth, kHeight);
  // 2000 blocks: five floors of 400.
  for (int row = 0; row < 5; ++row)
    PlaceFloor(stage, static_cast<int16_t>(kHeight - 1 - row * 12), 0, kWidth - 1, static_cast<int16_t>(1 + row));
  PlaceHero(stage, 2, kHeight - 2);
  int kind = 0;
  for (int c = 0; c < 200; ++c) {
    cCharaData& chara = PlaceComChara(stage, static_cast<int16_t>(4 + c * 2 % (kWidth - 8)),
                                      static_cast<int16_t>(kHeight - 2 - (c % 5) * 12), 2);
    for (int f = 0; f < 3; ++f) {
      cFlow flow = MakeFlow(f == 0 ? FLOW_TRIG_ALWAYS : FLOW_TRIG_DAMAGE_TAKEN + f, {});
      const int commands = 4 + (c + f) % 3;
      for (int i = 0; i < commands; ++i) {
        const int k = kCommandKinds[kind++ % std::size(kCommandKinds)];
        flow.m_vCmd.push_back(MakeCommand(CMD_CATEGORY_OBJECT, k, {}, static_cast<int16_t>(10 + i)));
      }
      chara.m_vFlow.push_back(flow);
    }
  }
  for (int i = 0; i < 100; ++i) {
    PlaceItem(stage, static_cast<int16_t>(6 + i * 4 % (kWidth - 12)), static_cast<int16_t>(kHeight - 3 - (i % 5) * 12), 3)
        .m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STAGE_CLEAR - kItemCmdKindOffset, {0}));
  }
}

// A folder of its own holding the stage file and 200 other files, made current for the run.
class StageFolder {
 public:
  StageFolder() {
    m_Previous = fs::current_path();
    m_Dir = fs::temp_directory_path() / ("stage_load_bench_" + std::to_string(std::random_device()()));
    fs::create_directories(m_Dir);
    fs::current_path(m_Dir);
    for (int i = 0; i < 200; ++i) {
      char name[32];
      std::snprintf(name, sizeof(name), "Picture%03d.bmp", i);
      std::ofstream(name) << "not a picture";
    }
    DataFileInitGlobals();
    g_Database.SetDefaults();
    cStageData stage;
    BuildLargeStage(stage);
    m_bSaved = stage.Save(kStageFile) == 1;
    m_nSize = m_bSaved ? fs::file_size(kStageFile) : 0;
  }
  ~StageFolder() {
    std::error_code ec;
    fs::current_path(m_Previous, ec);
    fs::remove_all(m_Dir, ec);
  }
  bool Saved() const { return m_bSaved; }
  uintmax_t Size() const { return m_nSize; }

 private:
  fs::path m_Previous;
  fs::path m_Dir;
  bool m_bSaved = false;
  uintmax_t m_nSize = 0;
};

StageFolder& Folder() {
  static StageFolder folder;
  return folder;
}

void BM_LoadStageForPlay(benchmark::State& state) {
  if (!Folder().Saved()) {
    state.SkipWithError("the stage could not be saved");
    return;
  }
  for (auto _ : state) {
    if (LoadStageForPlay(kStageName, 1, &g_PlayStageData, &g_HeroCharaData) != 1) {
      state.SkipWithError("the stage did not load");
      return;
    }
    benchmark::DoNotOptimize(g_StageData.m_vChara.size());
  }
  state.counters["file_kb"] = static_cast<double>(Folder().Size()) / 1024.0;
  state.counters["charas"] = static_cast<double>(g_StageData.m_vChara.size());
}
BENCHMARK(BM_LoadStageForPlay)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

void BM_ReadStageBytes(benchmark::State& state) {
  if (!Folder().Saved()) {
    state.SkipWithError("the stage could not be saved");
    return;
  }
  std::vector<char> bytes(Folder().Size());
  for (auto _ : state) {
    std::FILE* fp = std::fopen(kStageFile, "rb");
    if (!fp || std::fread(bytes.data(), 1, bytes.size(), fp) != bytes.size()) {
      if (fp) std::fclose(fp);
      state.SkipWithError("the stage file could not be read");
      return;
    }
    std::fclose(fp);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_ReadStageBytes)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace
