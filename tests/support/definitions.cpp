#include "support/definitions.h"

namespace {

template <class T>
T Placed(int16_t x, int16_t y, int16_t graphic) {
  T def;
  def.m_sCellX = x;
  def.m_sCellY = y;
  def.m_sGraphic = graphic;
  return def;
}

}  // namespace

cBlockData PlacedBlock(int16_t x, int16_t y, int16_t graphic, int8_t hit) {
  cBlockData b = Placed<cBlockData>(x, y, graphic);
  b.m_cHit = hit;
  return b;
}

cCharaData PlacedChara(int16_t x, int16_t y, int8_t operation, int16_t graphic) {
  cCharaData c = Placed<cCharaData>(x, y, graphic);
  c.m_cOperation = operation;
  c.m_nHeldItem = -1;
  return c;
}

cItemData PlacedItem(int16_t x, int16_t y, int16_t graphic) { return Placed<cItemData>(x, y, graphic); }

void ResetPalettes() {
  g_CommonPalette = cCommonPaletteData();
  ResetPalette(StagePalette());
}
