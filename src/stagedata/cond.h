// Conditions: one comparison the flow engine evaluates (`cCond`), and the condition block of a
// command (`cCondList`). Commands hold their condition block through a shared holder.
#pragma once
#include <cstdint>
#include <memory>

#include "core/checked.h"
#include "core/record.h"

// Kinds of a condition; 0 and values above 7 never hold.
enum eCondKind {
  COND_NONE = 0,
  COND_COMMON_VAR = 1,
  COND_STAGE_VAR = 2,
  COND_CHARA_VAR = 3,
  COND_STATUS = 4,
  COND_STATUS2 = 5,
  COND_STATUS3 = 6,
  COND_RANGE = 7,
};

class cCond : public cDataRecord {
 public:
  cCond();

  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;

  int8_t m_nKind = 0;
  int32_t m_nValue = 0;
  int32_t m_nRandMin = 0;
  int32_t m_nRandMax = 0;
  int8_t m_nOwner = 0;
  int8_t m_nItem = 0;
  int8_t m_nLeftSource = 0;
  int8_t m_nLeftScope = 0;
  int16_t m_sIndex = 0;
  int8_t m_nRightSource = 0;
  int8_t m_nRightOwner = 0;
  int8_t m_nRightItem = 0;
  int8_t m_nRightScope = 0;
  int16_t m_sRightIndex = 0;
  int8_t m_nOp = 0;
  int8_t m_bPercent = 0;
  int8_t m_nLeftCoord = 0;
  int8_t m_nRightCoord = 0;
  int8_t m_nLeftRefPoint = 0;
  int8_t m_nRightRefPoint = 0;
  int8_t m_nArea = 0;

 private:
  void Upgrade(uint32_t fileVersion);
};

class cCondList : public cDataRecord {
 public:
  cCondList();

  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  int8_t m_bEnabled = 0;
  int8_t m_nLogic = 0;
  cCheckedVector<cCond> m_vCond;
};

// A command's condition block: empty when the command has none.
using cCondListHolder = std::shared_ptr<cCondList>;

// Puts a new default list (switched off, logic 0, no conditions) into the holder.
void CreateCondList(cCondListHolder& holder);
// Empties the target when the source is empty; otherwise gives the target a fresh list of its own
// holding a copy of the source's bytes and conditions (never shares the source's list).
void AssignCondListHolder(cCondListHolder& target, const cCondListHolder& source);
