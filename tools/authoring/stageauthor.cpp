#include "authoring/stageauthor.h"

#include <algorithm>

namespace {

template <class T>
T& Place(cCheckedVector<T>& list, int16_t x, int16_t y, int16_t graphic) {
  T& def = list.emplace_back();
  def.m_sCellX = x;
  def.m_sCellY = y;
  def.m_sGraphic = graphic;
  return def;
}

cCharaData& PlaceChara(cStageData& stage, int16_t x, int16_t y, int16_t graphic, int8_t operation) {
  cCharaData& chara = Place(stage.m_vChara, x, y, graphic);
  chara.m_cOperation = operation;
  chara.m_nHeldItem = -1;  // the blank definition holds placed item 0
  return chara;
}

}  // namespace

void SetStageSize(cStageData& stage, int width, int height) {
  stage.m_nWidth = width;
  stage.m_nHeight = height;
  stage.m_nWidthPx = width * 32;
  stage.m_nHeightPx = height * 32;
}

cBlockData& PlaceBlock(cStageData& stage, int16_t x, int16_t y, int16_t graphic) {
  return Place(stage.m_vBlock, x, y, graphic);
}

cCharaData& PlaceHero(cStageData& stage, int16_t x, int16_t y, int16_t graphic) {
  return PlaceChara(stage, x, y, graphic, 0);
}

cCharaData& PlaceComChara(cStageData& stage, int16_t x, int16_t y, int16_t graphic) {
  return PlaceChara(stage, x, y, graphic, 1);
}

cItemData& PlaceItem(cStageData& stage, int16_t x, int16_t y, int16_t graphic) {
  return Place(stage.m_vItem, x, y, graphic);
}

void PlaceFloor(cStageData& stage, int16_t y, int16_t x0, int16_t x1, int16_t graphic) {
  for (int x = x0; x <= x1; ++x) PlaceBlock(stage, static_cast<int16_t>(x), y, graphic);
}

cFlowCmd MakeCommand(int category, int kind, std::initializer_list<int32_t> params, int16_t time) {
  cFlowCmd cmd;
  cmd.m_nCategory = static_cast<int8_t>(category);
  cmd.m_nKind = static_cast<int8_t>(kind);
  cmd.m_sTime = time;
  cmd.m_vParam.assign(params.begin(), params.end());
  cmd.Normalize();
  return cmd;
}

cFlow MakeFlow(int trigger, std::initializer_list<cFlowCmd> commands) {
  cFlow flow;
  flow.m_nTrigger = static_cast<int8_t>(trigger);
  flow.m_vCmd.assign(commands.begin(), commands.end());
  return flow;
}

void BuildSampleStage(cStageData& stage, int width, int height) {
  width = std::max(width, 20);
  height = std::max(height, 15);
  const auto right = static_cast<int16_t>(width - 1);
  const auto floor = static_cast<int16_t>(height - 1);
  const auto above = static_cast<int16_t>(height - 2);
  stage.Reset();
  stage.m_vVarName.clear();  // Reset keeps them
  stage.m_strName = "Sample";
  SetStageSize(stage, width, height);
  PlaceFloor(stage, floor, 0, right);
  PlaceHero(stage, 2, above);
  PlaceComChara(stage, static_cast<int16_t>(width / 2), above, 2)
      .m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_STRAIGHT, {}, 20)}));
  // Item kind k stands for object kind k + 15: the stage-clear command, "to the next stage" (0).
  PlaceItem(stage, static_cast<int16_t>(right - 2), above, 3)
      .m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STAGE_CLEAR - kItemCmdKindOffset, {0}));
}
