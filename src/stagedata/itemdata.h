// Item definitions: a palette template, a placed item, the item a block or a character holds, or the
// item an item command creates. Taking an item runs its commands (the item command set).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/cond.h"
#include "stagedata/flow.h"

// How often an item can be taken (m_cTakeMode).
enum eItemTakeMode {
  ITEM_TAKE_ONCE = 0,
  ITEM_TAKE_ALWAYS = 1,
  ITEM_TAKE_NEVER = 2,
};

class cItemData : public cDataRecord {
 public:
  static constexpr size_t kInheritGroups = 13;

  cItemData();

  void RegisterFields(int version) override;
  // Body, tail, upgrade of an older file, inheritance from the template, Validate.
  int Read(cDataFile& file) override;
  // Validate, then body and tail.
  int Write(cDataFile& file) override;

  void SetDefault();
  // Repairs the template, scale and sound references and normalises the commands.
  void Validate();
  // Repairs the palette references of the commands.
  void FixCommands();
  void ApplyInherited();

  int8_t m_cPalKind = 0;
  int16_t m_sPalIndex = 0;
  std::string m_strName;
  int8_t m_cCondLogic = 0;
  int8_t m_bCondLatch = 0;
  int16_t m_sValueA = 0;
  int16_t m_sValueB = 0;
  int16_t m_sGraphic = 0;  // 0: the item cannot be taken
  int8_t m_cGraphicKind = 2;
  int16_t m_sGraphicSub = 0;
  int8_t m_cLayer = 6;
  int8_t m_bHidden = 0;
  int8_t m_cOverlay = 0;
  int16_t m_sOverlay = 0;
  int8_t m_cTakeMode = ITEM_TAKE_ONCE;
  int8_t m_bPopup = 1;  // taking it shows its icon above the hero (stored before the take mode)
  int8_t m_cScale = 1;
  int16_t m_sSound = 0;  // database sound played when taken

  int16_t m_sCellX = 0;
  int16_t m_sCellY = 0;
  cCheckedVector<int8_t> m_vInherit;
  cCheckedVector<cCond> m_vCond;
  cCheckedVector<cFlowCmd> m_vCmd;  // item commands run when the item is taken
};

// The item of a palette reference: kind 1 the common palette, kind 2 the stage palette; null for
// other kinds and indices outside the list.
const cItemData* GetPaletteItemData(int8_t kind, int16_t index);
