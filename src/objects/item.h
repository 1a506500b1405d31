// An item lying in the stage, or the one a character carries: the hero takes it by touching it and
// its command list then runs on the hero.
#pragma once
#include "objects/gameobj.h"
#include "stagedata/itemdata.h"

struct DDSURFACEDATA;

// The item's looks: frames 0 and 1 for 15 ticks each, held, repeated.
extern const cAnimFrameTable g_ItemFrameTable;

class cItem : public cGameObj {
 public:
  cItem();
  cItem(const cItem& other);
  cItem& operator=(const cItem& other);
  ~cItem() override = default;

  void ScaleRects(int scale) override;
  void AdjustYForScale(int newScale, int oldScale, int flag) override;
  void UpdateRectsX() override;
  void UpdateRectsY() override;

  // Set-up from the definition: scale at least 1, the box of the stage's item size centred in the
  // cell, flying through blocks; a carried item appears at once and is not scaled.
  void Init(int objNo, const cItemData& def, int carried);
  // Places the item in the cell of the map (the scene's grid margins added).
  void SetCellPos(int column, int row, int flag);
  // Draws the picture and its overlay mark; advance ticks the sequencer, else its value is read.
  void Draw(DDSURFACEDATA* target, int advance);
  void Assign(const cItem& other) { *this = other; }

  cItemData m_Item;
  int m_bCarried = 0;
};
