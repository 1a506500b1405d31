// The characters of a stage other than the hero: woken by the view or a switch, carrying an item
// for the hero when defeated, jumping one fixed jump; their movement never drags the scroll.
#pragma once
#include "core/checked.h"
#include "objects/charabase.h"
#include "objects/item.h"

struct DDSURFACEDATA;

class cChara : public cCharaBase {
 public:
  cChara() = default;
  cChara(const cChara& other);
  ~cChara() override = default;

  void ScaleRects(int scale) override;
  void UpdateRectsX() override;
  void UpdateRectsY() override;
  cItem* GetHeldItem() override;
  int AfterMoveX() override;
  int AfterMoveY() override;
  int MoveX() override;
  int MoveY() override;
  int RunFlows(int dying) override;
  void Jump(cCmdInstance& cmd) override;

  using cCharaBase::Init;
  using cCharaBase::SetCellPos;
  // Set-up from the definition: box and rectangles, the carried item (a copy of heldItem, or none),
  // the view axes, the base sequence and, last, the flows.
  void Init(int objNo, const cCharaData& def, const cItem* heldItem, double homeX, double homeY, int16_t level,
            int startSeq, const cAnimFrameTable* table);
  // Places the character in the cell of the map; returns AfterMoveY's code.
  int SetCellPos(int column, int row);
  // Marks whether the character is on screen; its appear switch is set in the vector when it is.
  int UpdateActive(cCheckedVector<uint8_t>& switches);
  // 1 when the character runs this frame.
  int CheckStart(cCheckedVector<uint8_t>& switches);
  int OverlapsRect(double left, double top, double right, double bottom) const;
  // The carried-item mark, shown in frames 64-95 of every 96.
  void DrawBlinkMark(DDSURFACEDATA* target);

  int m_bInView = 0;
  cItem m_HeldItem;
  int m_nBlinkCount = 0;
  int m_bIgnoreViewX = 0;
  int m_bIgnoreViewY = 0;
  int m_bStarted = 0;
};
