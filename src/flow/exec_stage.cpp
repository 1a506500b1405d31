// The commands that reach beyond the subject: the stage clear with where play goes next, the item get
// that gives the hero a palette item's effect, and the game wait that freezes the game for a time.
#include <algorithm>
#include <string>

#include "core/log.h"
#include "core/paths.h"
#include "flow/displaylists.h"
#include "flow/executors.h"
#include "gamedata/savedata.h"
#include "gamedata/worldmap.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"

namespace {

enum eStageClearMode { CLEAR_NEXT = 0, CLEAR_NUMBER = 1, CLEAR_PATH = 2, CLEAR_WORLD = 3 };

void SetNextStage(int number, const std::string& file) {
  if (!g_pScenePlay) return;
  g_pScenePlay->m_nNextStage = number;
  g_pScenePlay->m_strNextStage = file;
}

}  // namespace

int ExecStageClear(cCharaBase*, const cFlowCmd& cmd) {
  const auto& p = cmd.m_vParam;
  const int current = g_SaveData.m_nStageNo;
  switch (p.At(0)) {
    case CLEAR_NEXT: SetNextStage(current + 1, ""); break;
    case CLEAR_NUMBER: SetNextStage(p.At(1), ""); break;
    case CLEAR_PATH:
      if (cmd.m_strText.empty()) {
        ErrorBoxF("ステージファイル %s が不正です。\nステージファイルとして認識できません。", "");
        SetNextStage(current, "");
      } else {
        // The loader resolves "name." to the numbered stage file.
        std::string file = cmd.m_strText;
        PathStripExt(file);
        SetNextStage(current, file + ".");
      }
      break;
    case CLEAR_WORLD: SetNextStage(0, ""); break;
    default: break;
  }
  if (p.At(2) != 0) {
    // Clamped from above only; a negative place is left for the save data's normalising.
    g_SaveData.m_nMapX = std::min(p.At(3), g_WorldMapData.m_nWidth - 1);
    g_SaveData.m_nMapY = std::min(p.At(4), g_WorldMapData.m_nHeight - 1);
    g_SaveData.m_bMapReturn = 0;
  }
  if (p.At(5) != 0) {
    g_SaveData.m_bNextStart = 1;
    g_SaveData.m_nNextStartX = p.At(6);
    g_SaveData.m_nNextStartY = p.At(7);
    int facing = p.At(8);
    if (facing == 2) facing = g_vHero.empty() ? 0 : g_vHero[0].m_nFacing;
    g_SaveData.m_nNextStartDir = facing;
  } else {
    g_SaveData.m_bNextStart = 0;
  }
  return 1;
}

int ExecItemGet(cCharaBase*, const cFlowCmd& cmd) {
  const int palette = cmd.m_vParam.At(0);
  if (palette != 0 && palette != 1) return 0;
  const cCheckedVector<cItemData>& items = palette == 0 ? g_CommonPalette.m_vItem : g_StageData.m_vItem;
  const cItemData& def = items.At(cmd.m_vParam.At(1));
  if (g_vHero.empty()) return 0;
  // The palettes are shared definitions that live across stages: the list runs from a copy of its
  // own, with its loops unrolled as an item's list is when the item is set up.
  cCheckedVector<cFlowCmd> cmds = def.m_vCmd;
  cCharaBase::ExpandLoopCmds(cmds);
  const int result = g_vHero[0].RunItemCommands(cmds);
  // Only raised: a stage end asked for earlier in the same pass stays.
  if (g_pScenePlay && result != 0) g_pScenePlay->m_nStageEnd = result;
  return 0;
}

int ExecGameWait(cCharaBase*, const cFlowCmd& cmd) {
  const int frames = cmd.m_vParam.At(0) * 6;
  cScenePlay* scene = g_pScenePlay;
  if (!scene) return 0;
  // An invisible window that only counts the wait.
  const cMesWindow* window = &scene->m_lMesWindow.emplace_back(0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, MESTIME_BY_TIME,
                                                               frames, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  scene->RunDisplayWait(0, 0, frames, 0);
  RemoveMesWindow(*scene, window);
  return 0;
}
