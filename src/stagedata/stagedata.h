// The stage record and the stage file: the settings of a stage, its own palette of block, character
// and item definitions, the placed blocks, characters and items (the map is the list of placed
// blocks, each holding its cell), the background layers and the names of the stage variables.
//
// File: the data version, the registered settings and the name, then the tail: result-line switches,
// the five out-of-area records, the three palette lists, the three placed lists (each element after
// an int32 0), the layers, the variable names and the trailer 123456789 (from version 173).
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/blockdata.h"
#include "stagedata/charadata.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"
#include "stagedata/stagesub.h"

constexpr int32_t kStageTrailer = 123456789;

// The layout group of the settings: picture and box sizes (pixels) of the hero, the characters, the
// items and the shots. Numbered as the settings are; "FLY" is the second move mode. An alignment is
// 0 centre, 1 bottom; a box display 0 hidden, 1 shown, 2 outline only; a box colour c is palette
// entry 208 + 4 * c.
enum eStageLayout {
  LAYOUT_FIRST = 36,
  LAYOUT_HERO_PIC_W = 36,
  LAYOUT_HERO_PIC_H = 37,
  LAYOUT_HERO_PIC_W_FLY = 38,
  LAYOUT_HERO_PIC_H_FLY = 39,
  LAYOUT_HERO_BODY_W = 40,  // the hero's character-contact box
  LAYOUT_HERO_BODY_H = 41,
  LAYOUT_HERO_BODY_W_FLY = 42,
  LAYOUT_HERO_BODY_H_FLY = 43,
  LAYOUT_HERO_SHOT_BOX_W = 44,  // the hero's shot-contact box
  LAYOUT_HERO_SHOT_BOX_H = 45,
  LAYOUT_HERO_ITEM_BOX_W = 46,  // the box with which the hero takes items
  LAYOUT_HERO_ITEM_BOX_H = 47,
  LAYOUT_HERO_PIC_ALIGN = 48,
  LAYOUT_HERO_PIC_ALIGN_FLY = 49,
  LAYOUT_HERO_BODY_ALIGN = 50,
  LAYOUT_HERO_BODY_ALIGN_FLY = 51,
  LAYOUT_HERO_BOX_SHOW = 52,   // four: the hero's picture box, body, shot and item boxes
  LAYOUT_HERO_BOX_COLOR = 56,  // four, in the same order
  LAYOUT_CHARA_PIC_W = 60,
  LAYOUT_CHARA_PIC_H = 61,
  LAYOUT_CHARA_PIC_W_FLY = 62,
  LAYOUT_CHARA_PIC_H_FLY = 63,
  LAYOUT_CHARA_BODY_W = 64,
  LAYOUT_CHARA_BODY_H = 65,
  LAYOUT_CHARA_BODY_W_FLY = 66,
  LAYOUT_CHARA_BODY_H_FLY = 67,
  LAYOUT_CHARA_SHOT_BOX_W = 68,
  LAYOUT_CHARA_SHOT_BOX_H = 69,
  LAYOUT_CHARA_PIC_ALIGN = 70,
  LAYOUT_CHARA_PIC_ALIGN_FLY = 71,
  LAYOUT_CHARA_BODY_ALIGN = 72,
  LAYOUT_CHARA_BODY_ALIGN_FLY = 73,
  LAYOUT_ITEM_BOX_W = 74,
  LAYOUT_ITEM_BOX_H = 75,
  LAYOUT_PLAYER_SHOT_W = 76,  // shots of player-operated owners
  LAYOUT_PLAYER_SHOT_H = 77,
  LAYOUT_UNUSED_78 = 78,  // 78, 79, 82, 83 and 84 are kept but not read in play
  LAYOUT_COM_SHOT_W = 80,  // shots of computer-operated owners
  LAYOUT_COM_SHOT_H = 81,
  LAYOUT_LAST = 84,
};
constexpr int kStageLayoutCount = LAYOUT_LAST - LAYOUT_FIRST + 1;

// The out-of-area records (m_Area), by the objects they apply to.
enum eStageArea {
  AREA_CHARA = 0,        // characters that are not block characters
  AREA_BLOCK_CHARA = 1,  // block characters
  AREA_ITEM = 2,
  AREA_PLAYER_SHOT = 3,  // shots of player-operated owners
  AREA_COM_SHOT = 4,     // shots of computer-operated owners
};
constexpr int kStageAreaCount = 5;
constexpr int kResultLineCount = 5;

class cStageData : public cDataRecord {
 public:
  // A new, empty stage.
  cStageData();

  void RegisterFields(int version) override;
  // Body and tail, the upgrades of an older file, Normalize. 0 when the file is damaged, or when the
  // thread reads a stage for play and has been told to quit.
  int Read(cDataFile& file) override;
  // Normalize, then body and tail.
  int Write(cDataFile& file) override;
  // A stage file whose settings, result lines, out-of-area records, layers and variable names come
  // from `settings`, and whose palette and placed lists come from this record (normalised first).
  int WriteForReplay(cDataFile& file, const cStageData& settings);

  // A new, empty stage with the default settings; the variable names and the loading members stay.
  void Reset();
  void SetDefaultLayout();
  // Clamps the scroll limits to the map, recomputes the derived values of g_StageData, repairs the
  // music number, fills the palette lists up to 2 entries and checks every definition.
  void Normalize();
  // Stores the collision level and the sub-step values derived from it. A level outside 1..19
  // counts as 10, so that there is always at least one sub-step; the stored level stays as given.
  void SetCollisionLevel(int level);
  // Index of the hero among the placed characters (the first player-operated one with a graphic),
  // or -1.
  int FindHero() const;
  bool HasHero() const { return FindHero() != -1; }
  // Whether the play scene can build a map grid of this size: at least 0 and at most kMaxMapCells
  // cells on each axis, and at most kMaxGridCells cells in the grid with its margins.
  bool HasUsableMapSize() const;

  // Each list gets exactly n entries; new ones are blank definitions (layers: the layer defaults).
  void ResizePalBlock(unsigned n) { m_vPalBlock.resize(n); }
  void ResizePalChara(unsigned n) { m_vPalChara.resize(n); }
  void ResizePalItem(unsigned n) { m_vPalItem.resize(n); }
  void ResizeBackLayer(unsigned n) { m_vBackLayer.resize(n); }

  // The settings a stage keeps for every attempt: the registered settings and the name, the layers,
  // the variable names, the out-of-area records and the result-line switches, copied from src.
  void CopyPlaySettings(cStageData& src);
  // Empties the palette and the placed lists.
  void ClearObjects();

  cPaletteRef Palette() { return {m_vPalBlock, m_vPalChara, m_vPalItem}; }
  cPaletteRef Placed() { return {m_vBlock, m_vChara, m_vItem}; }
  int32_t& Layout(int field) { return m_nLayout[field - LAYOUT_FIRST]; }
  int32_t Layout(int field) const { return m_nLayout[field - LAYOUT_FIRST]; }

  static constexpr int kMaxMapCells = 32767;        // cell coordinates are 16-bit
  static constexpr int64_t kMaxGridCells = 1 << 22;  // the grid's rows are rounded up to a power of two

  // Registered settings, in file order. Reset gives them their defaults.
  std::string m_strName;
  int32_t m_nWidth = 0;  // map size in cells
  int32_t m_nResizeX = 0;
  int32_t m_nResizeY = 0;
  int32_t m_nHeight = 0;
  int32_t m_bScrollMinX = 0;  // the scroll limits are used
  int32_t m_bScrollMaxX = 0;
  int32_t m_bScrollMinY = 0;
  int32_t m_bScrollMaxY = 0;
  int32_t m_nScrollMinX = 0;  // scroll limits, cell column or row
  int32_t m_nScrollMaxX = 0;
  int32_t m_nScrollMinY = 0;
  int32_t m_nScrollMaxY = 0;
  int32_t m_nFps = 0;
  int32_t m_bTimeLimit = 0;
  int32_t m_nTimeLimit = 0;
  int32_t m_nTimeWarning = 0;
  int32_t m_bAutoScrollX = 0;
  int32_t m_bAutoScrollY = 0;
  int32_t m_nAutoScrollSpeedX = 0;  // tenths of a pixel per frame
  int32_t m_nAutoScrollSpeedY = 0;
  double m_dGravitySetting = 0;   // pixels per frame per frame
  int32_t m_nCollisionLevel = 0;  // 1..19
  int32_t m_nContactLevel = 0;
  int32_t m_nBgm = 0;  // database music
  int32_t m_bBgmLoop = 0;
  int32_t m_bBgmKeep = 0;
  int32_t m_bDrawByLayer = 0;
  int32_t m_bCarryOver = 0;
  int32_t m_bCarryStore = 0;
  int32_t m_bShowStatus = 0;
  int32_t m_bResultAuto = 0;
  int32_t m_bStageBanner = 0;
  int32_t m_bStartBanner = 0;
  int32_t m_bClearBanner = 0;
  int32_t m_bGameOverBanner = 0;
  int32_t m_nLayout[kStageLayoutCount] = {};  // fields 36-84, eStageLayout
  int32_t m_nWidthPx = 0;  // map size in pixels
  int32_t m_nHeightPx = 0;
  // Derived from the collision level (SetCollisionLevel). Stored, but play uses g_StageData's.
  int32_t m_nStepsPerFrame = 0;
  double m_dStepsPerFrame = 0;
  double m_dStepsPerFrameSq = 0;
  double m_dSpeedLimit = 0;  // per frame
  double m_dGravity = 0;     // per sub-step
  double m_dMaxSpeed = 0;    // per sub-step
  int32_t m_nSteps8 = 0;
  int32_t m_bNearestOnScreen = 0;
  int32_t m_nImmuneAttacker = 0;  // frames; player-operated characters
  int32_t m_nImmuneTime = 0;
  int32_t m_nComImmuneAttacker = 0;  // computer-operated characters
  int32_t m_nComImmuneTime = 0;

  // Not stored.
  int32_t m_nStepsPer6Frames = 0;

  cCheckedVector<int32_t> m_vResultLine;  // per line of the result panel: 1 shown
  cStageSubRec m_Area[kStageAreaCount];
  cCheckedVector<cBlockData> m_vPalBlock;  // the stage palette; entry 0 is always blank
  cCheckedVector<cCharaData> m_vPalChara;
  cCheckedVector<cItemData> m_vPalItem;
  cCheckedVector<cBlockData> m_vBlock;  // the map
  cCheckedVector<cCharaData> m_vChara;
  cCheckedVector<cItemData> m_vItem;
  cCheckedVector<cBackLayerData> m_vBackLayer;
  cCheckedVector<cStringRec> m_vVarName;

  // Loading (not stored).
  std::string m_strPath;  // the stage file last loaded for play
  int32_t m_bFindNumbered = 0;
  int32_t m_bLoadDone = 0;

 private:
  void WriteTail(cDataFile& file, cStageData& settings);
  void Upgrade(uint32_t fileVersion);
};

// The stage being played, and the settings it had when it was loaded (with empty lists).
extern cStageData g_StageData;
extern cStageData g_PlayStageData;

// Set while the calling thread reads a stage for play into `target`: the stage reader then gives
// up, failing the read, as soon as a quit message waits in the thread's queue; and the stage
// palette and play's sub-step values are those of `target` (StageBeingRead) for the thread. One
// per thread.
class cStageReadQuitScope {
 public:
  explicit cStageReadQuitScope(cStageData& target);
  ~cStageReadQuitScope();
  cStageReadQuitScope(const cStageReadQuitScope&) = delete;
  cStageReadQuitScope& operator=(const cStageReadQuitScope&) = delete;

 private:
  cStageData* m_pOuter;
};

// The stage that stage references and play's sub-step values go to: the record the calling thread
// reads a stage for play into, or else g_StageData.
cStageData& StageBeingRead();
