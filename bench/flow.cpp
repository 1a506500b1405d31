// The flow step alone, as the play step runs it (no movement, collision or drawing): per displayed
// frame the trigger flags reset on every character, then per sub-step the always trigger and the
// flow pass of every character. Each character has five flows: an always flow with a flow number,
// three conditions (a common variable, a character variable, a random status condition) and a code
// line with a group and a target property; an always flow of a code line and a 0.5 s wait; a flow
// whose trigger is never raised; a flow of the flow-operation trigger; an always flow whose condition
// never holds. A second benchmark runs typical code lines.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "core/random.h"
#include "flow/code.h"
#include "flow/condeval.h"
#include "flow/exectable.h"
#include "gamedata/input.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "objects/chara.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/database.h"
#include "stagedata/stagedata.h"

#include "alloccount.h"

namespace {

cFlowCmd Code(const char* text, int16_t time = 0, int goOn = 0) {
  cFlowCmd c;
  c.m_nKind = CMD_CODE;
  c.m_sTime = time;
  c.m_bGoOn = static_cast<int8_t>(goOn);
  c.m_strText = text;
  return c;
}

cFlow Flow(int trigger, std::vector<cFlowCmd> cmds, int flowId = 0) {
  cFlow f;
  f.m_nTrigger = static_cast<int8_t>(trigger);
  f.m_nFlowId = static_cast<int8_t>(flowId);
  f.m_vCmd.assign(cmds.begin(), cmds.end());
  return f;
}

cCond VarCond(int kind, int index, int op, int value) {
  cCond c;
  c.m_nKind = static_cast<int8_t>(kind);
  c.m_sIndex = static_cast<int16_t>(index);
  c.m_nOp = static_cast<int8_t>(op);
  c.m_nValue = value;
  return c;
}

std::vector<cFlow> FiveFlows() {
  cFlow first = Flow(FLOW_TRIG_ALWAYS, {Code("my.v1 = (tg.hp + 1) * 2")}, 1);
  first.m_vCond.push_back(VarCond(COND_COMMON_VAR, 1, CMP_GE, 0));
  first.m_vCond.push_back(VarCond(COND_CHARA_VAR, 1, CMP_GE, 0));
  cCond random;
  random.m_nKind = COND_STATUS;
  random.m_nItem = 1;  // HP
  random.m_nOp = CMP_GE;
  random.m_nRightSource = 1;
  random.m_nRandMin = 0;
  random.m_nRandMax = 100;
  first.m_vCond.push_back(random);
  cFlow second = Flow(FLOW_TRIG_ALWAYS, {Code("my.v2 = my.v2 + 1"), Code("", 5)});
  second.m_vCmd[1].m_nKind = CMD_WAIT;
  cFlow never = Flow(FLOW_TRIG_DEATH, {Code("my.v3 = 1")});
  cFlow byCommand = Flow(FLOW_TRIG_NONE, {Code("my.v4 = 1")});
  cFlow blocked = Flow(FLOW_TRIG_ALWAYS, {Code("my.v5 = 1")});
  blocked.m_vCond.push_back(VarCond(COND_COMMON_VAR, 2, CMP_EQ, -1));
  return {first, second, never, byCommand, blocked};
}

struct World {
  cScenePlay scene;
  explicit World(int charas, int steps) {
    g_SystemData = cSystemData();
    g_StageData = cStageData();
    g_StageData.SetCollisionLevel(steps);
    g_Database.SetDefaults();
    g_SaveData.Reset(0);
    g_vInput.assign(2, cInput());
    g_vHero.clear();
    g_lstChara.clear();
    g_pScenePlay = &scene;
    RandSeed(1);
    for (int i = 0; i < charas; ++i) {
      cChara& c = g_lstChara.emplace_back();
      c.m_nObjNo = i + 1;
      c.m_nOperation = 1;
      c.m_Chara.m_nMaxHP = 100;
      c.m_nHP = 50;
      const std::vector<cFlow> flows = FiveFlows();
      c.m_Chara.m_vFlow.assign(flows.begin(), flows.end());
    }
    for (cChara& c : g_lstChara) {
      c.AddFlows(c.m_Chara.m_vFlow, 0, 0);
      c.m_pTarget.At(0) = &g_lstChara.front();
    }
  }
  ~World() {
    g_lstChara.clear();
    g_pScenePlay = nullptr;
  }
  void Frame() {
    for (cChara& c : g_lstChara) c.ResetTriggerFlags();
    for (int s = 0; s < g_StageData.m_nStepsPerFrame; ++s) {
      for (cChara& c : g_lstChara) {
        c.RaiseTrigger(FLOW_TRIG_ALWAYS);
        c.RunFlows(0);
      }
    }
  }
};

void BM_FlowFrame(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  world.Frame();  // the first frame starts the flows
  long passes = 0;
  for (auto _ : state) {
    t_counting = true;
    world.Frame();
    t_counting = false;
    passes += state.range(1);
  }
  state.counters["allocations_per_pass"] = passes ? static_cast<double>(g_allocations.exchange(0)) / passes : 0;
  state.counters["charas"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_FlowFrame)->ArgsProduct({{50, 200, 800}, {1, 10}})->Unit(benchmark::kMicrosecond);

void BM_RunCode(benchmark::State& state) {
  static const char* const kLines[] = {
      "my.v1 = my.v1 + tg.hp * 2",
      "C10 = C10 + 1",
      "S3 = ( C1 + 2 ) * 3",
      "my.v2 = rand(1, 6)",
      "tg.hp = tg.hp - 5",
  };
  World world(2, 1);
  cCharaBase& me = g_lstChara.front();
  const std::string line = kLines[state.range(0)];
  t_counting = true;
  for (auto _ : state) benchmark::DoNotOptimize(RunCode(line, &me));
  t_counting = false;
  state.SetLabel(line);
  state.counters["allocations_per_line"] =
      static_cast<double>(g_allocations.exchange(0)) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RunCode)->DenseRange(0, 4)->Unit(benchmark::kNanosecond);

}  // namespace
