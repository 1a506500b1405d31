// Flows and their commands. A flow is one behaviour script of a character: a trigger, start
// conditions, an optional key sequence and its commands in order. A command is one step of a flow: a
// kind with its int parameters, optional movement, shot and condition blocks, a text, its timing and
// the sound and animation that go with it; the item command set uses the same record for the
// commands an item runs when the hero takes it. Flows hold commands and a command may carry flows,
// so both records live here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/cmdtable.h"
#include "stagedata/cond.h"
#include "stagedata/edmove.h"
#include "stagedata/edshot.h"

// What starts a flow (`m_nTrigger`). Values outside 0-26 stay in the record and are never raised.
enum eFlowTrigger {
  FLOW_TRIG_ALWAYS = 0,
  FLOW_TRIG_DAMAGE_SET = 1,
  FLOW_TRIG_DAMAGE_TAKEN = 2,
  FLOW_TRIG_IMPACT_SET = 3,
  FLOW_TRIG_IMPACT_TAKEN = 4,
  FLOW_TRIG_DEATH = 5,
  FLOW_TRIG_TOUCH_CHARA = 6,
  FLOW_TRIG_TOUCH_BLOCKCHARA = 7,
  FLOW_TRIG_ON_BLOCKCHARA = 8,
  FLOW_TRIG_TOUCH_SHOT = 9,
  FLOW_TRIG_TOUCH_ITEM = 10,
  FLOW_TRIG_TOUCH_BLOCK = 11,
  FLOW_TRIG_BLOCK_LEFTRIGHT = 12,
  FLOW_TRIG_BLOCK_LEFT = 13,
  FLOW_TRIG_BLOCK_RIGHT = 14,
  FLOW_TRIG_BLOCK_UPDOWN = 15,
  FLOW_TRIG_BLOCK_UP = 16,
  FLOW_TRIG_BLOCK_DOWN = 17,
  FLOW_TRIG_RIDDEN_BY_HERO = 18,
  FLOW_TRIG_RIDDEN_BY_CHARA = 19,
  FLOW_TRIG_ATTACK_DAMAGE_SET = 20,
  FLOW_TRIG_ATTACK_DAMAGE_GIVEN = 21,
  FLOW_TRIG_ATTACK_IMPACT_SET = 22,
  FLOW_TRIG_ATTACK_IMPACT_GIVEN = 23,
  FLOW_TRIG_ATTACK_HIT = 24,
  FLOW_TRIG_BEFORE_START = 25,
  FLOW_TRIG_NONE = 26,
};
constexpr int kFlowTriggerCount = 27;

// One step of a key sequence: which of the player's 19 keys must be pressed or released, and for how
// long. Keys 0-9 are the direction keys, 10-18 the buttons; each entry is 0 ignored, 1 pressed,
// 2 released.
class cKeyCond : public cDataRecord {
 public:
  static constexpr int kKeyCount = 19;

  cKeyCond();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // Clears every member and ignores every key.
  void Reset();

  int8_t m_bMirror = 0;   // left and right exchange their meaning while the subject faces left
  int16_t m_sHoldMin = 0;  // held length of a pressed key, in frames
  int16_t m_sHoldMax = 0;
  int8_t m_bAnyHold = 0;  // any held length above 0 will do; the two lengths are not used
  int8_t m_nMode = 0;     // 0 every listed key must match, 1 one or more, 2 exactly one
  cCheckedVector<uint8_t> m_vKeyState;
};

class cFlow;

enum eCmdCategory {
  CMD_CATEGORY_OBJECT = 0,  // kinds are eCmdKind
  CMD_CATEGORY_ITEM = 1,    // kinds are eItemCmdKind
};

// The object kind a command stands for: the kind itself for object commands, kind + 15 for item
// kinds from 2 on, -1 for the other item kinds. Kinds are not checked against the tables.
int ObjectKindOf(int category, int kind);

// The number of entries of the block, character and item lists of one palette.
struct cPaletteSizes {
  size_t m_nBlock = 0;
  size_t m_nChara = 0;
  size_t m_nItem = 0;
};

class cFlowCmd : public cDataRecord {
 public:
  // A new command: category 0, kind 0, no parameters, text, blocks or flows; sound only on screen.
  cFlowCmd();
  // Copies never share a block with their source: each block is copied into a block of their own,
  // and the carried flows are copied deeply.
  cFlowCmd(const cFlowCmd& src);
  cFlowCmd& operator=(const cFlowCmd& src);
  // A move takes the blocks and flows themselves; the source is left without them.
  cFlowCmd(cFlowCmd&& src) noexcept = default;
  cFlowCmd& operator=(cFlowCmd&& src) noexcept;
  ~cFlowCmd() override;

  void RegisterFields(int version) override;
  // Reads a body, brings a command of an older file up to date and repairs it (Normalize). 0 when
  // the file is damaged or its carried flows nest deeper than any editor writes them.
  int Read(cDataFile& file) override;
  // Repairs the command (Normalize), then writes it.
  int Write(cDataFile& file) override;

  void SetDefault();
  // Keeps the command consistent with the kind tables and the database: an unknown kind becomes
  // none, a kind that works on a block it lacks gets a default block, out-of-range sound, animation
  // and database references are repaired, the parameters are fitted to the kind's count. The
  // carried flows are repaired too.
  void Normalize();
  // Repairs references into the palettes (item, summoned block, character or item), then those of
  // the carried flows.
  void NormalizeRefs(const cPaletteSizes& common, const cPaletteSizes& stage);

  int ObjectKind() const { return ObjectKindOf(m_nCategory, m_nKind); }
  // The number of int parameters of the command's kind.
  int ParamCount() const;
  // The parts of the command that the arrange getters and setters work on.
  cCmdArrangeRef ArrangeRef();

  int8_t m_nCategory = 0;
  int8_t m_nKind = 0;
  int16_t m_sTime = 0;      // usage time in tenths of a second
  int16_t m_sTimeStep = 0;  // added per parameter level
  int8_t m_bGoOn = 0;       // the next command starts in the same frame
  int16_t m_sSound = 0;     // database sound, 0 none
  int8_t m_bSoundOnScreen = 1;
  int16_t m_sAnime = 0;  // database animation, 0 none
  std::string m_strText;

  cEdMoveHolder m_pEdMove;
  cEdShotHolder m_pEdShot;
  cCondListHolder m_pCondList;
  cCheckedVector<cFlow> m_vFlow;  // flows the item command ICMD_CHANGE_FLOW installs
  cCheckedVector<int32_t> m_vParam;

 private:
  void CopyScalars(const cFlowCmd& src);
  void RepairUnknownKind();
  void GiveMissingBlocks();
  void RepairDatabaseRefs();
};

class cFlow : public cDataRecord {
 public:
  cFlow();
  cFlow(const cFlow& src) = default;
  cFlow(cFlow&& src) noexcept = default;
  cFlow& operator=(const cFlow& src);
  cFlow& operator=(cFlow&& src) noexcept;

  void RegisterFields(int version) override;
  // Reads a flow; its name is dropped, the trigger of an older file renumbered, the commands repaired.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  void Normalize();
  void NormalizeRefs(const cPaletteSizes& common, const cPaletteSizes& stage);

  std::string m_strName;
  int8_t m_nKey = 0;     // selection key, 0 none, 1-26
  int8_t m_nFlowId = 0;  // flow ID, 0 none, 1-26
  int8_t m_bTestOnly = 0;
  int8_t m_nCondLogic = 0;  // 0 every condition must hold, 1 at least one
  int8_t m_bCondLatch = 0;
  int8_t m_nTrigger = 0;  // eFlowTrigger
  int8_t m_bBindPartner = 0;
  int8_t m_nPartnerTarget = 0;  // target slot 0-3
  int8_t m_nKeyGap = 3;
  int8_t m_bKeyLatch = 0;
  cCheckedVector<cCond> m_vCond;
  cCheckedVector<cKeyCond> m_vKeyCond;
  cCheckedVector<cFlowCmd> m_vCmd;

 private:
  // This flow's members become those of `whole`, a flow apart from this one.
  void Take(cFlow& whole);
};

// Key-condition and command lists as stored: a count, then each element, read over a default one.
int ReadKeyCondVector(cCheckedVector<cKeyCond>& list, cDataFile& file);
int ReadCmdVector(cCheckedVector<cFlowCmd>& list, cDataFile& file);

// 1 when the editor started the program for a test play (show command 5); set by the program's
// start-up, read by the readers of flows.
extern int g_bEditorLaunched;

// Erases the flows that exist only for test plays, keeping the others in order.
void RemoveTestOnlyFlows(cCheckedVector<cFlow>& flows);
// True while test-only flows are kept: in a test play started by the editor, or when the system
// data asks for it.
bool KeepTestOnlyFlows();

// The direction code (of the 13 movement directions) for the direction key a running flow recorded
// when it started: 0 none, 1-9 the direction keys. flag chooses what key 9 means; facing is non-zero
// for a subject facing right. replayVersion is the data version of the replay being played back, 0
// in live play: replays of older versions resolve the keys as those versions did.
int InputDirToDirCode(int index, int flag, int facing, uint32_t replayVersion = 0);
