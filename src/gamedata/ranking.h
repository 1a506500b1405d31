// Rankings: per stage key and game type a file of five tables of 20 places, one table per ranking
// value of the progress (total score, time left, play time, HP and SP). The play scene loads the
// ranking of the stage it enters into g_RankingData, enters a cleared stage's result and saves it;
// the menu scenes show one table at a time.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "gamedata/panel.h"

class cSaveData;
class cStageData;

constexpr int kRankTableCount = 5;
constexpr int kRankPlaceCount = 20;

// The table whose value is a time (hundredths of a second) and ranks smaller values first.
constexpr int kRankTablePlayTime = 2;

class cRankEntry : public cDataRecord {
 public:
  cRankEntry();
  void RegisterFields(int version) override;

  int32_t m_bUsed = 0;
  std::string m_strName;
  int32_t m_nScore = 0;  // the value ranked
};

class cRankTable : public cDataRecord {
 public:
  // Flag 0 and 20 empty places.
  cRankTable();
  void RegisterFields(int version) override;
  // Reads the flag and the places; a table stored with another number of places keeps its first 20
  // and is filled up with empty ones.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  // Flag 0; the places become exactly 20, the first 20 kept.
  void Reset();
  // The place a value would take: the first empty place or the first whose value it beats; equal
  // values go below those entered. -1 when it takes none.
  int GetInsertPos(int value) const;
  // Enters a result at its place; the last place falls off the table.
  void Insert(const std::string& name, int value);
  // The table's panel at (x, y) showing table number `table` of the set, with the cursor on row
  // cursorRow (-1 none); the hint under the table shows when the game type offers several tables.
  cPanelLayout GetDrawLayout(int x, int y, int table, int cursorRow, int gameType) const;

  cCheckedVector<cRankEntry> m_vEntry;
  int32_t m_bHigherBetter = 0;  // 1: larger values rank first

 private:
  void FitPlaces();
};

class cRankingData : public cDataRecord {
 public:
  // Five tables of empty places, play time ranking smaller values first.
  cRankingData();
  void RegisterFields(int version) override;
  // Files of version 180 and older are brought to five tables.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  void Reset();
  cPanelLayout GetTableLayout(int x, int y, int table, int cursorRow, int gameType) const;
  // The ranking of a stage key; a missing, damaged or newer file, or a game type without rankings,
  // leaves a reset set and gives 0.
  int LoadFile(int gameType, const char* stage, int varSet, int varIndex, int varValue);
  // 0 when the game type has no rankings or the file cannot be written (a missing folder, or a file
  // of a newer program, which is kept).
  int SaveFile(int gameType, const char* stage, int varSet, int varIndex, int varValue);

  // Per table, the place the progress's result would take, or -1 when the game type does not offer
  // the table, the stage's result panel hides its line or the result takes no place. 1 when some
  // table has a place.
  int FindResultPlaces(const cSaveData& save, int gameType, const cStageData& stage,
                       int places[kRankTableCount]) const;
  // Enters the result into every table where it has a place and saves the set for the progress's
  // stage key; places receive the places taken. The name is the options' fixed registration name in
  // registration modes 1 and 3; in modes 0 and 2 it is the name entered in the registration dialog,
  // which the progress keeps for the next prefill. 0 when no table takes the result or the save fails.
  int RegisterResult(cSaveData& save, int gameType, const cStageData& stage, const std::string& enteredName,
                     int places[kRankTableCount]);

  cCheckedVector<cRankTable> m_vTable;
};

extern cRankingData g_RankingData;

// The value of the progress that ranking table `table` ranks.
int GetRankValue(const cSaveData& save, int table);
// The file of a stage key's ranking: the game type's folder, the stage name without its folder (for
// story mode with the variable suffix) and "rkg". 0 for a game type other than 0, 1 and 2.
int MakeRankingPath(std::string& out, int gameType, const char* stage, int varSet, int varIndex, int varValue);
// A time in hundredths of a second as "mm:ss.hh" (more minute digits when needed).
void FormatRankTime(std::string& out, int hundredths);
