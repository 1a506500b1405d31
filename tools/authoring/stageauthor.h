// Building stages in code, for the project's own demo game and for fixtures: placed objects, flows
// and commands made as the editor would make them, so that the records' own writers store them.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

// Gives the map its size in cells and the same size in pixels.
void SetStageSize(cStageData& stage, int width, int height);

// Placed objects at cell (x, y), appended to the stage's lists. A character holds no item.
cBlockData& PlaceBlock(cStageData& stage, int16_t x, int16_t y, int16_t graphic = 1);
cCharaData& PlaceHero(cStageData& stage, int16_t x, int16_t y, int16_t graphic = 1);
cCharaData& PlaceComChara(cStageData& stage, int16_t x, int16_t y, int16_t graphic = 1);
cItemData& PlaceItem(cStageData& stage, int16_t x, int16_t y, int16_t graphic = 1);
// Solid blocks along row y, from column x0 to x1.
void PlaceFloor(cStageData& stage, int16_t y, int16_t x0, int16_t x1, int16_t graphic = 1);

// A command of a category and kind with the given leading parameters, made whole as its kind needs:
// default movement, shot or condition blocks and the rest of its parameters 0.
cFlowCmd MakeCommand(int category, int kind, std::initializer_list<int32_t> params = {}, int16_t time = 0);
cFlow MakeFlow(int trigger, std::initializer_list<cFlowCmd> commands);

// The stage of a small game: a map of width x height cells (at least 20 x 15) with a floor along the
// bottom row, the hero at its left end, a computer character in the middle whose one flow (raised
// every frame) runs a straight move, and at the right end an item whose taking clears the stage.
void BuildSampleStage(cStageData& stage, int width = 20, int height = 15);
