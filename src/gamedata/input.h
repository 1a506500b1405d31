// The input devices as the game reads them: the direction and button words of the current frame, the
// history of both words, the state that turns held keys into menu repeats and one-shot presses, and
// the polling of the keyboard and joysticks into them, and per key the history of its pressed and
// released runs. The record sits below the game objects, which read the histories; the shell's window
// thread fills the key state the polls read.
#pragma once
#include <array>
#include <cstdint>

#include "core/checked.h"

// One entry of the key configuration: the device (8 the keyboard, 0.. a joystick) and the code (a
// virtual key; for a joystick an axis end 256, 512, 1024, 2048, or a mask of its buttons).
struct KEYCONFIGENTRY {
  int32_t nDevice;
  uint16_t wCode;
  uint16_t wReserved;
};

// The key configuration file's record: left, right, up, down, buttons 1-8.
struct KEYCONFIG {
  KEYCONFIGENTRY Entry[12];
  int32_t nEntryCount;  // buttons polled = count - 4
  int32_t nJoystickCount;
  int32_t bUse;  // 0 the fixed mapping, otherwise this configuration
};
static_assert(sizeof(KEYCONFIG) == 108);

extern KEYCONFIG g_KeyConfig;
// Keyboard arrows and Z X C V A S D F, twelve entries, one joystick, not used.
void DefaultKeyConfig(KEYCONFIG* config);
// Reads the file's 108 bytes over `out` (a shorter file leaves the rest as it was); false when the
// file cannot be opened.
bool LoadKeyConfig(const char* path, KEYCONFIG* out);
// Whether every value of a configuration is one the game can poll with: the use flag 0 or 1, 4 to
// 12 entries, at most kMaxJoysticks joysticks, and each entry on the keyboard (a virtual key below
// 256) or on one of those joysticks.
bool KeyConfigIsSound(const KEYCONFIG& config);
// The configuration of the file over the default keys; the default keys, reported in the log, when
// the file is damaged. A missing file gives the default keys.
void LoadKeyConfigOrDefault(const char* path, KEYCONFIG* out);

constexpr int kKeyboardDevice = 8;
constexpr int kMaxJoysticks = 16;

// One run of a word in the history rings: its value and how many frames it has lasted.
struct cInputRun {
  uint16_t m_wValue = 0;
  int32_t m_nFrames = 0;
};

// One run of a key: pressed (1) or released (0), and how many frames it lasted (so far, for the
// newest run).
struct cKeyRun {
  int32_t m_nState = 0;
  int32_t m_nFrames = 0;
  bool operator==(const cKeyRun&) const = default;
};

// The runs of one key, newest first; always kKeyRunDepth runs deep.
using cKeyRunList = cCheckedVector<cKeyRun>;

constexpr int kKeyRunDepth = 32;
// Direction keys: 0 none, 1 left, 2 right, 3 up, 4 down, 5 up-left, 6 down-left, 7 up-right,
// 8 down-right, 9 any direction.
constexpr int kDirKeyCount = 10;
// Button keys: 0 none, 1-8 button 1-8.
constexpr int kButtonKeyCount = 9;

class cInput {
 public:
  // Both words 0; every run list kKeyRunDepth released runs of 0 frames; the joystick masks set.
  cInput();

  // Polls with the fixed mapping (sources: 1 joystick, 2 keyboard); 0 without touching anything when
  // the configuration is in use.
  int ReadDefault(int joystickId, int sources, int retryFrames);
  // Polls through g_KeyConfig; 0 without touching anything when it is not in use.
  int ReadConfig(int players, int retryFrames);
  // 4 left, 6 right, 5 neutral, minus 3 up, plus 3 down; left beats right and up beats down.
  static int GetDirNum(const uint16_t* dir);
  // Menu repeat: a held direction is reported when it changes, then every interval after the delay.
  void ApplyRepeat();
  // One-shot presses of the mask's buttons (0 all eight).
  void LatchButtons(int mask);
  void PushHistory();
  // The word of ring 0 (direction) or 1 (buttons) framesAgo frames back.
  uint16_t GetHistory(int ring, int framesAgo) const;
  void ClearHistory();
  void ClearDir();
  void ClearButton();
  void SetRepeat(int delay, int interval);
  void SetJoyButtonMasks();
  // Adds this frame's words to the run lists: a key whose state changed begins a new run of one
  // frame (the oldest run drops out), otherwise its newest run lasts one frame longer.
  void RecordEdges();
  // Forgets every run: each list becomes kKeyRunDepth released runs of 0 frames.
  void TrimEdges();
  // A clean record for a new stage: histories, runs and both words.
  void ResetAll();

  uint16_t m_wDir = 0;     // 1 left, 2 right, 4 up, 8 down
  uint16_t m_wButton = 0;  // bit i: button i + 1
  uint16_t m_wDirHistory = 0;  // the last four direction words, a nibble each, newest lowest
  cInputRun m_aHistory[2][32] = {};
  int32_t m_nHistIndex[2] = {};
  cCheckedVector<cKeyRunList> m_vDirRuns;
  cCheckedVector<cKeyRunList> m_vButtonRuns;
  int32_t m_nDirNum = 5;
  int32_t m_nRepeatH = 0;
  int32_t m_nRepeatV = 0;
  int32_t m_nRepeatDelay = 18;
  int32_t m_nRepeatInterval = 6;
  int32_t m_bLatched = 0;
  uint16_t m_wJoyMask[8] = {};
  // Per joystick: its last poll answered, and the polls to skip after one that did not.
  std::array<int32_t, kMaxJoysticks> m_bJoyPresent{};
  std::array<int32_t, kMaxJoysticks> m_nJoyRetry{};
};

// Element 0 is the player: the keyboard with the joysticks.
extern cCheckedVector<cInput> g_vInput;
