// The small records inside the save data (carried character parameters, stage bests, number pairs)
// and the list of the 99 story save slots that the load and save menus show with their dates.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "gamedata/panel.h"
#include "platform/time/localtime.h"
#include "stagedata/charadata.h"

class cSaveData;
struct DDSURFACEDATA;

// One set of character parameters carried over from stage to stage.
class cCharaSaveData : public cDataRecord {
 public:
  // Five zeros and a blank definition.
  cCharaSaveData();
  void RegisterFields(int version) override;
  // The five values, then the definition.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  cCharaData m_Chara;  // the stored members of the definition, the flow list among them
  int32_t m_nHP = 0;
  int32_t m_nSP = 0;
  int32_t m_nTimeLeft = 0;
  int32_t m_nLife = 0;
  int32_t m_nBgm = 0;
};

// The best total score reached on one stage key in story mode.
class cStageBestData : public cDataRecord {
 public:
  cStageBestData();
  void RegisterFields(int version) override;
  // Files before 759 store no key: it becomes the stage name.
  int Read(cDataFile& file) override;
  void Set(int best, const std::string& stage, const std::string& key, int varSet, int varIndex, int varValue);

  std::string m_strStage;
  std::string m_strKey;
  int32_t m_bVarSet = 0;
  int32_t m_nVarIndex = 0;
  int32_t m_nVarValue = 0;
  int32_t m_nBest = 0;
};

class cIntPairRec : public cDataRecord {
 public:
  cIntPairRec();
  void RegisterFields(int version) override;

  int32_t m_nFirst = 0;
  int32_t m_nSecond = 0;
};

constexpr int kSaveSlotCount = 99;

// Whether a story slot's file exists, and when it was saved.
class cSaveSlotEntry : public cDataRecord {
 public:
  cSaveSlotEntry();
  void RegisterFields(int version) override;
  // Used, with the progress's save time.
  void Set(const cSaveData& save);
  // The save date of a used slot, "yyyy/mm/dd hh:mm" and a line feed; "" for an empty slot.
  std::string GetDateText() const;

  int32_t m_bUsed = 0;
  SYSTEMTIME m_Time{};
};

using cSaveSlotList = cCheckedVector<cSaveSlotEntry>;

// kSaveSlotCount empty entries until LoadSaveSlotList fills them.
extern cSaveSlotList g_SaveSlotList;

// Every entry from its slot file: a slot whose file cannot be opened (missing, or newer than the
// program) is empty; a file damaged inside still marks its slot used.
void LoadSaveSlotList(cSaveSlotList& list);
// The slot menu's panel at (x, y): a box of count rows of 16 pixels, 320 wide, separated by lines of
// colour 240, showing the slots from first on with their numbers and dates until the list ends.
cPanelLayout GetSaveSlotListLayout(int x, int y, const cSaveSlotList& list, int first, int count);
// Draws that panel on the surface through the text font, with the accessory sheet's cursor.
void DrawSaveSlotList(DDSURFACEDATA* target, int x, int y, const cSaveSlotList& list, int first, int count);
