// The appearance commands: the subject's graphic, its base animation set, a one-off animation on it,
// a character effect on it, a screen effect, and the visibility of a background layer.
#include <cstdint>

#include "flow/executors.h"
#include "flow/flowinst.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"
#include "stagedata/anime.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"
#include "stagedata/stagesub.h"

namespace {

enum eBackgroundOp { BG_SHOW = 0, BG_HIDE = 1, BG_TOGGLE = 2 };

}  // namespace

int ExecGraphic(cCharaBase* subject, const cFlowCmd& cmd) {
  const auto& p = cmd.m_vParam;
  const int kind = p.At(0), index = p.At(1), frame = p.At(2);
  if (!subject) return 0;
  // The definition copy holds the graphic kind the object is drawn from.
  subject->m_Chara.m_cGraphicKind = static_cast<int8_t>(kind);
  subject->m_nGraphicNo = static_cast<int16_t>(index);
  subject->m_Chara.m_sGraphic = static_cast<int16_t>(index);
  subject->m_Chara.m_sGraphicSub = static_cast<int16_t>(frame);
  return 0;
}

int ExecBaseAnimSet(cCharaBase* subject, const cFlowCmd& cmd) {
  const uint16_t set = static_cast<uint16_t>(cmd.m_vParam.At(0));
  if (subject) subject->SetAnimSet(static_cast<int16_t>(set), 0);
  return 0;
}

int ExecAnim(cCharaBase* subject, const cFlowCmd& cmd) {
  const int animNo = cmd.m_vParam.At(0);
  const int stop = cmd.m_vParam.At(1);
  if (!subject) return 0;
  if (stop != 0) {
    subject->RemoveAnimsById(animNo);
    return 0;
  }
  const cAnimSeqFrames& frames = g_AnimeFrameTables.At(animNo);
  const cFlowInstance* flow = g_pScenePlay ? g_pScenePlay->m_pCurFlow : nullptr;
  // Keyed by the starting flow, so that ending or restarting that flow takes it away; one already
  // running with the same number keeps running beside it.
  cRunAnim& anim = subject->m_lRunAnim.emplace_front();
  anim.m_AnimSeq.BuildOne(frames);
  anim.m_nAnimNo = animNo;
  anim.m_nFlowKey = flow ? flow->m_nSerial : -1;
  anim.m_AnimSeq.Set(0, 1);
  return 0;
}

int ExecCharaEffect(cCharaBase* subject, const cFlowCmd& cmd) {
  const auto& p = cmd.m_vParam;
  const int index = static_cast<int16_t>(p.At(0)), mode = p.At(1), loop = p.At(2);
  if (subject) subject->m_CharaEffect.Start(index, mode, loop);
  return 0;
}

int ExecScreenEffect(cCharaBase*, const cFlowCmd& cmd) {
  const auto& p = cmd.m_vParam;
  const int index = static_cast<int16_t>(p.At(0)), mode = p.At(1), loop = p.At(2);
  cScenePlay* scene = g_pScenePlay;
  if (!scene) return 0;
  scene->m_ScrEffect.Start(index, mode, loop);
  // Without a screen effect, drawing goes to the real back buffer again.
  if (scene->m_ScrEffect.m_nIndex == 0 && lpDTCon && lpDTCon->bVirtual) DDSetVirtualBackBuffer(0);
  return 0;
}

int ExecBackground(cCharaBase*, const cFlowCmd& cmd) {
  const int layer = cmd.m_vParam.At(0), op = cmd.m_vParam.At(1);
  if (layer < 1 || layer > g_StageData.m_vBackLayer.Size()) return 0;
  int32_t& shown = g_StageData.m_vBackLayer[layer - 1].m_bShow;
  switch (op) {
    case BG_SHOW: shown = 1; break;
    case BG_HIDE: shown = 0; break;
    case BG_TOGGLE: shown = !shown; break;
    default: break;
  }
  return 0;
}
