// The world map of story mode: a grid of cells of tile kinds, with places whose nodes make a cell a
// stage entrance, a road or a wall. Loaded from "data\WorldMap.dat" at start-up and only read after.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"

class cMapTileKind : public cDataRecord {
 public:
  int32_t m_nId;        // stored, not used by the player
  int32_t m_bBlocked;   // 1: the player cannot step on cells of this kind
  int32_t m_nPicture;   // cell of the tile sheet, 5 columns of 32 x 32
  std::string m_strName;
  std::string m_strText;  // stored, not used by the player

  cMapTileKind();
  void RegisterFields(int version) override;
};

// Node kinds and after-clear actions.
enum eMapNodeKind { MAPNODE_STAGE = 0, MAPNODE_ROAD = 1, MAPNODE_WALL = 2 };
enum eMapAfterClear { MAPCLEAR_NONE = 0, MAPCLEAR_NEXT_LAP = 1, MAPCLEAR_TITLE = 2 };

class cMapNode : public cDataRecord {
 public:
  int32_t m_nKind;        // eMapNodeKind
  int32_t m_nIcon;        // row of the node picture sheet
  int32_t m_nStageNo;     // the entrance is cleared when the save data's flag of this number is set
  int32_t m_bPassable;    // the player can stand on the uncleared entrance without starting it
  int32_t m_bReplay;      // a cleared entrance can be entered again
  int32_t m_nAfterClear;  // eMapAfterClear
  int32_t m_nNeedFlag;    // above 0: active only while that flag is set
  int32_t m_nCondVar;     // not 0: active only while common variable m_nCondVar compares with
  int32_t m_nCondValue;   //   m_nCondValue by m_nCondOp
  int32_t m_nCondOp;
  int32_t m_nNeedBest;    // active only while the total of the bests reaches it (from version 209)
  int32_t m_bVarSet;      // entering the stage sets common variable m_nVarIndex to m_nVarValue
  int32_t m_nVarIndex;    //   (these three from version 758)
  int32_t m_nVarValue;
  std::string m_strCaption;  // shown while the node is under the player
  std::string m_strStage;    // stage file of the entrance

  // A default node: all 0, variable index 1.
  cMapNode();
  void Reset();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
};

class cMapPlace : public cDataRecord {
 public:
  int32_t m_nX, m_nY;
  std::string m_strName;
  cCheckedVector<cMapNode> m_vNode;  // a new place holds one default node

  cMapPlace();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
};

class cWorldMapData : public cDataRecord {
 public:
  int32_t m_nWidth, m_nHeight;  // grid size in cells
  int32_t m_nPitch, m_nShift;   // row pitch of m_vCell (a power of two not below the width) and its log2
  int32_t m_nStartX, m_nStartY;  // start cell of a new game and of every lap
  int32_t m_nBackColor;          // palette colour that fills the map screen first
  int32_t m_bBackPicture;        // draw the background picture, scrolled with the map
  std::string m_strName;
  std::string m_strBackPicture;
  cCheckedVector<cMapTileKind> m_vTileKind;
  cCheckedVector<int32_t> m_vCell;  // tile kind of cell (x, y) at x + (y << m_nShift)
  cCheckedVector<cMapPlace> m_vPlace;
  cCheckedVector<cMapPlace> m_vTemplatePlace;  // read, kept and written; not used by the player

  cWorldMapData();
  void RegisterFields(int version) override;
  void SetDefault();
  // Resizes the grid keeping the cells that lie in both sizes; 0 (and no change) for a size below 1.
  int SetSize(int width, int height);
  // Reads the file body; 0 for a damaged file, whose grid does not fit its cell list among others.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // Brings the start inside the grid, unknown tile kinds to 0, and drops places off the grid.
  void Normalize();
  // The first place at (x, y), or null.
  cMapPlace* FindPlace(int x, int y);
  // Whether a stage entrance leads to this stage key (the save data's form, "data\stg4\Forest.")
  // with this variable setting (varSet 0: an entrance that sets no variable).
  bool IsStageOnMap(const std::string& stage, int varSet, int varIndex, int varValue) const;

 private:
  bool GridFitsCells() const;
};

extern cWorldMapData g_WorldMapData;

// Labels of the node kinds and of the after-clear actions, each list ending with "".
extern const char* const g_MapNodeKindName[4];
extern const char* const g_MapAfterClearName[4];
