// Definitions for tests: placed blocks, characters and items, template references, and palettes
// back in their start-up state.
#pragma once
#include <cstdint>
#include <initializer_list>

#include "stagedata/palette.h"

// A solid placed block at cell (x, y) showing block-sheet graphic `graphic`.
cBlockData PlacedBlock(int16_t x, int16_t y, int16_t graphic = 1, int8_t hit = 1);
// A placed character at cell (x, y) holding no item; operation 0 is the player.
cCharaData PlacedChara(int16_t x, int16_t y, int8_t operation, int16_t graphic = 1);
cItemData PlacedItem(int16_t x, int16_t y, int16_t graphic = 1);

// Names template (kind, index) and sets exactly the inherit flags of `groups`.
template <class T>
void SetTemplate(T& def, int8_t kind, int16_t index, std::initializer_list<int> groups) {
  def.m_cPalKind = kind;
  def.m_sPalIndex = index;
  def.m_vInherit.assign(T::kInheritGroups, 0);
  for (int g : groups) def.m_vInherit.At(g) = 1;
}

// The common palette as constructed, and the stage palette with its blank entries 0 only.
void ResetPalettes();
