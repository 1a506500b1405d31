// The run state of a character effect or a screen effect: one value moved from a start to an end
// over a time in tenths of a second, or time simply counted; forward, reversed or as a round trip,
// once or looping. A player is prepared once per definition at start-up and copied into the object
// or the screen that starts the effect.
#pragma once
#include <cstdint>

#include "core/checked.h"

class cCharaEffectData;
class cScrEffectData;

// Start types: "通常実行", "反転実行", "往復実行"; any other value runs as the normal run.
enum eEffectStartType : int {
  EFFECT_START_NORMAL = 0,
  EFFECT_START_REVERSED = 1,
  EFFECT_START_ROUND_TRIP = 2,
};

// One tenth of a second per 6 frames: the double nearest to 1/6.
constexpr double kTenthPerFrame = 1.0 / 6.0;

struct cCharaEffectState {
  // Prepares the player of definition index, from the reverse list when reverse is set; a reverse
  // set-up exchanges the start and end parameters inside the reverse list's entry.
  void Setup(int index, int reverse);
  // The prepared fields of another state: the definition and every run field.
  void CopyDef(const cCharaEffectState& other);
  void Start(int index, int startType, int loop);
  void Restart();
  // One frame; 1 when the effect has finished (0 also on the frame that restarts it).
  int Step();

  int16_t m_nIndex = 0;
  const cCharaEffectData* m_pDef = nullptr;
  int m_nStartType = 0;
  int m_bLoop = 0;
  int m_bReversed = 0;
  int m_nCycleFrame = 0;
  int m_nStart = 0;
  int m_nEnd = 0;
  double m_dValue = 0;
  double m_dStep = 0;
  double m_dElapsed = 0;
  int m_nTime = 0;
  int m_nPhase = 0;
  int m_nToggle = 0;
};

struct cScreenEffectState {
  void Setup(int index, int reverse);
  void CopyDef(const cScreenEffectState& other);
  void Start(int index, int startType, int loop);
  void Restart();
  // One frame, the value moved by step from `from` toward `to`; 1 when the effect has finished.
  int Step(int from, int to, double step);

  int16_t m_nIndex = 0;
  const cScrEffectData* m_pDef = nullptr;
  int m_nStartType = 0;
  int m_bLoop = 0;
  int m_bReversed = 0;
  int m_nCycleFrame = 0;
  double m_dValue = 0;
  double m_dValue2 = 0;
  double m_dStep = 0;
  int m_nAuxA = 0;
  int m_nAuxB = 0;
  int m_bTimed = 0;
  double m_dElapsed = 0;
  int m_nTime = 0;
};

// The prepared players, one per definition of the database's lists.
extern cCheckedVector<cCharaEffectState> g_CharaEffectFwd;
extern cCheckedVector<cCharaEffectState> g_CharaEffectRev;
extern cCheckedVector<cScreenEffectState> g_ScrEffectFwd;
extern cCheckedVector<cScreenEffectState> g_ScrEffectRev;

void InitCharaEffectPlayers(cCheckedVector<cCharaEffectState>& fwd, cCheckedVector<cCharaEffectState>& rev);
void InitScrEffectPlayers(cCheckedVector<cScreenEffectState>& fwd, cCheckedVector<cScreenEffectState>& rev);

// After the database has loaded: the reverse lists become fresh copies of the forward ones, the
// frame tables are built and the players prepared. Safe to repeat: every run starts from new copies,
// so a reverse entry is exchanged exactly once.
void PrepareLoadedDatabase();
