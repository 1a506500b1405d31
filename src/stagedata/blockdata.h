// Block definitions. A block in a palette is a template that other blocks may take property groups
// from; a placed block is one cell of the map and holds its own cell column and row. The stage keeps
// no grid: the play scene builds the map cells from the placed blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/cond.h"

// Palette references (template, held item): a kind and an index into that palette's list. Index 0
// is the reserved blank entry and means none.
enum ePalKind {
  PAL_NONE = 0,
  PAL_COMMON = 1,
  PAL_STAGE = 2,
};

// The graphic sheets a definition's picture comes from.
enum eGraphicKind {
  GRAPHIC_BLOCK = 0,
  GRAPHIC_CHARA = 1,
  GRAPHIC_ITEM = 2,
  GRAPHIC_SHOT = 3,
  GRAPHIC_OWN_BITMAP = 4,
};

class cBlockData : public cDataRecord {
 public:
  static constexpr size_t kInheritGroups = 11;

  // The blank block: solid, exempting no side, without a graphic.
  cBlockData();

  void RegisterFields(int version) override;
  // Body, tail, upgrade of an older file, inheritance from the template, template check.
  int Read(cDataFile& file) override;
  // Template check, then body and tail.
  int Write(cDataFile& file) override;

  void SetDefault();
  // A template reference outside its palette becomes none; a block without a graphic neither
  // collides nor is locked.
  void CheckPaletteRef();
  // An item reference outside its palette becomes none.
  void CheckItemRef();
  // Copies the property groups the inherit flags name from the template.
  void ApplyInherited();

  int8_t m_cPalKind = 0;   // ePalKind of the template
  int16_t m_sPalIndex = 0;  // 0 no template
  std::string m_strName;
  int8_t m_cCondLogic = 0;  // 0 every condition holds, 1 at least one
  int8_t m_bCondLatch = 0;  // once the conditions held, they count as holding
  int16_t m_sGraphic = 0;   // 0: no block (empty, passable, not drawn)
  int8_t m_cGraphicKind = 0;
  int16_t m_sGraphicSub = 0;
  int8_t m_bFront = 0;   // drawn after the objects
  int8_t m_bHidden = 0;  // never drawn
  int8_t m_cOverlay = 0;  // 0 no overlay, 1 shown, 2 shown in the editor only
  int16_t m_sOverlay = 0;  // overlay cell in the overlay sheet
  int8_t m_cHit = 1;        // 0 passable, 1 solid, 2 the hero dies touching it
  int8_t m_cHitExempt = -1;  // the one side that passes through; -1 none
  int8_t m_cEffect = 0;  // on the hero standing on it: 0 none, 1 jump, 2 no jump, 3 speed %, 4 / 5 pushed
  int32_t m_nEffectValue = 0;
  int8_t m_cItemKind = 0;  // ePalKind of the item the block holds
  int16_t m_sItemIndex = 0;
  int8_t m_bLocked = 0;  // shots that put or clear blocks leave the cell alone

  int16_t m_sCellX = 0;  // cell of a placed block, from the stage's top-left cell
  int16_t m_sCellY = 0;
  cCheckedVector<int8_t> m_vInherit;  // per property group: 1 takes it from the template
  cCheckedVector<cCond> m_vCond;
};
