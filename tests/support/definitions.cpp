#include "support/definitions.h"

cBlockData PlacedBlock(int16_t x, int16_t y, int16_t graphic, int8_t hit) {
  cBlockData b;
  b.m_sCellX = x;
  b.m_sCellY = y;
  b.m_sGraphic = graphic;
  b.m_cHit = hit;
  return b;
}

cCharaData PlacedChara(int16_t x, int16_t y, int8_t operation, int16_t graphic) {
  cCharaData c;
  c.m_sCellX = x;
  c.m_sCellY = y;
  c.m_cOperation = operation;
  c.m_sGraphic = graphic;
  c.m_nHeldItem = -1;
  return c;
}

cItemData PlacedItem(int16_t x, int16_t y, int16_t graphic) {
  cItemData i;
  i.m_sCellX = x;
  i.m_sCellY = y;
  i.m_sGraphic = graphic;
  return i;
}

void ResetPalettes() {
  g_CommonPalette = cCommonPaletteData();
  ResetPalette(StagePalette());
}
