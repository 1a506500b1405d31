// The player's progress: lives, score and its totals, the current stage and its key, the world-map
// position, stage-clear flags, the common variables, stage bests, the challenge record, character
// parameters carried from stage to stage, and a few menu settings. Kept in the story slot files, in
// the challenge file and inside every replay file.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "gamedata/saveslot.h"
#include "platform/time/localtime.h"

class cCharaData;
class cStageData;

constexpr int kCarryGroupCount = 25;
constexpr int kStageFlagCount = 1000;
constexpr int kCommonVarCount = 1001;  // variables 1..1000 and the unused 0
constexpr int kUnlimitedLife = 999999;

// Game types (the application's m_nGameType).
enum eGameType { GAMETYPE_STORY = 0, GAMETYPE_CHALLENGE = 1, GAMETYPE_FREE = 2 };

class cSaveData : public cDataRecord {
 public:
  // Registered for the current version and reset with no challenge stages.
  cSaveData();
  void RegisterFields(int version) override;
  // The body; older files are brought to the current meaning, then Normalize. 0 for a damaged file.
  int Read(cDataFile& file) override;
  // Normalize, then the body.
  int Write(cDataFile& file) override;

  // New-game state with challengeCount challenge stages.
  void Reset(int challengeCount);
  // Stamps the save time and writes the progress to the slot's file; the slot's entry of
  // g_SaveSlotList takes the new time only when the file was written. 1 when saved; a failure is
  // logged and shown.
  int SaveStory(int slot);
  // Reads the slot's file with the lives rule of story mode. 0, with the progress unchanged, when the
  // file is missing, damaged or newer than the program.
  int LoadStory(int slot);
  // The same for "user_data\challenge\Challenge.dat" and challenge mode.
  int LoadChallenge();
  // Writes the progress to "user_data\challenge\Challenge.dat"; 1 when saved, a failure is logged
  // and shown.
  int SaveChallenge();

  // The current stage: its name cut to the form that identifies it ("data\stg4\c03-1.stg4_914" and
  // "data\stg4\c03.stg4_914" both give "data\stg4\c03."), and its key with the variable setting.
  void SetStage(const char* stageFile, int varSet, int varIndex, int varValue);
  // Records a story-mode best for the key; only a higher value replaces one recorded.
  void SetStageBest(const std::string& stage, const std::string& key, int varSet, int varIndex, int varValue,
                    int value);
  // The best recorded for the key, 0 when none.
  int GetStageBest(const std::string& key) const;
  // m_nBestTotal = the sum of the bests of the stages that are still on the world map.
  void UpdateTotal();

  // Keeps the common variables, the lives and the five result counters of the attempt's start.
  void SnapshotVars();
  // Puts the snapshot back: with force everything; without, the result counters always (a stage left
  // or played again after its result must not count twice) and the common variables when the system
  // data's restore switch of the game type (or of the stage named at start-up, while that stage is
  // played) is on; other game types always restore them. Returns m_nTotalScore.
  int RestoreVars(int force, int gameType, int startStagePlay);
  // The five result counters (the ranking values: score, time left, play time, HP and SP totals) 0.
  void ClearResultCounters();

  // Stores the carry-over groups the system data allows, from the hero's definition and the values
  // passed (the start effect, type and loop of group 4; HP, SP, time left, lives and stage music).
  void StoreCharaParams(int set, const cCharaData& chara, int hp, int sp, int v4a, int v4b, int v4c, int timeLeft,
                        int lives, int bgm);
  // Puts the stored groups back into a character about to be placed; the stage's time limit and
  // music and the lives take their stored values.
  void ApplyCharaParams(int set, cCharaData& chara, cStageData& stage);
  // Overwrites hp and sp with the stored values where the system data and the store allow.
  void GetCarriedHpSp(int set, int* hp, int* sp) const;
  // Drops the groups that the system data resets when the hero is lost.
  void ClearCarryOver();
  // The next lap: every stage flag cleared and the player back at the world map's start.
  void NextLap();
  // Moves the ranking panel's table by steps among the tables the game type offers (0: onto the next
  // offered one when the current one is not offered).
  void MoveRankTableCursor(int gameType, int steps);
  // Brings the map position into the world map and the challenge list to the system's challenge count.
  void Normalize();

  int32_t m_bCarryOver = 0;
  cCheckedVector<int32_t> m_vCarrySwitch;  // per carry-over group: 1 a value is stored
  cCheckedVector<cCharaSaveData> m_vCharaSave;  // per character set
  int32_t m_nMapX = 0;
  int32_t m_nMapY = 0;
  int32_t m_nEnteredNode = 0;  // the world map's node entered last, as the world-map scene numbers it
  cCheckedVector<int32_t> m_vFlag;  // stage-clear flags by stage number; entry 0 always 1
  int32_t m_nLap = 0;
  cCheckedVector<int32_t> m_vCommonVar;
  std::string m_strStage;     // the current stage as SetStage cuts it, ending with "."
  std::string m_strStageKey;  // m_strStage with the variable suffix
  int32_t m_bVarSet = 0;      // the stage was entered with common variable m_nVarIndex set to m_nVarValue
  int32_t m_nVarIndex = 0;
  int32_t m_nVarValue = 0;
  int32_t m_nStageNo = 0;  // 1-based
  int32_t m_nPart = 0;     // part of a stage made of several files, 1 for the first
  int32_t m_nStartLife = 0;  // kUnlimitedLife: unlimited
  int32_t m_nLife = 0;
  int32_t m_nScore = 0;
  int32_t m_nTotalScore = 0;     // ranking value 0
  int32_t m_nBestTotal = 0;
  int32_t m_nTotalTimeLeft = 0;  // ranking value 1
  int32_t m_nTotalPlayTime = 0;  // hundredths of a second, ranking value 2
  int32_t m_nTotalHP = 0;        // ranking value 3
  int32_t m_nTotalSP = 0;        // ranking value 4
  int32_t m_bMultiPart = 0;
  int32_t m_nStageBgm = 0;
  int32_t m_bStageBgmLoop = 0;
  int32_t m_nMapDir = 0;  // 0 down, 1 up, 2 left, 3 right
  int32_t m_bMapReturn = 0;
  int32_t m_nMapPrevX = 0;
  int32_t m_nMapPrevY = 0;
  cCheckedVector<cStageBestData> m_vStageBest;
  int32_t m_nChallengeOpen = 0;
  cCheckedVector<cIntPairRec> m_vChallenge;  // per challenge stage: cleared flag, best total score
  cCheckedVector<int32_t> m_vCommonVarBackup;  // not stored
  int32_t m_nLifeBackup = 0;                   // not stored
  int32_t m_nResultBackup[5] = {};             // not stored: the five result counters
  int32_t m_nSlot = 0;  // story slot in use, -1 none
  int32_t m_bAutoSave = 0;
  SYSTEMTIME m_SaveTime{};
  std::string m_strName;  // name of the last ranking registration
  int32_t m_bRankShow = 0;
  int32_t m_nRankTable = 0;
  int32_t m_bNextStart = 0;
  int32_t m_nNextStartX = 0;
  int32_t m_nNextStartY = 0;
  int32_t m_nNextStartDir = 0;

 private:
  void ApplyLivesRule(int gameType);
  int LoadProgress(const char* path, int gameType);
  int SaveProgress(const char* path);
};

extern cSaveData g_SaveData;
extern cSaveData g_ReplaySaveData;      // the progress at the start of the current attempt
extern cSaveData g_PrevReplaySaveData;  // the same for the previous attempt

// "user_data\story\StoryNN.dat" with NN the slot number + 1 in two digits.
std::string GetStoryPath(int slot);
// Appends the variable suffix of a stage key: "data\stg4\Forest." with variable 5 set to 3 gives
// "data\stg4\Forest_c005_3.". Nothing when varSet is 0.
void AppendVarKey(std::string& name, int varSet, int varIndex, int varValue);
