#include "gamedata/input.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "platform/fs/path.h"
#include "platform/win/keys.h"

KEYCONFIG g_KeyConfig = [] {
  KEYCONFIG c;
  DefaultKeyConfig(&c);
  return c;
}();

cCheckedVector<cInput> g_vInput(1);

namespace {

constexpr uint16_t kHorizontal = 1 | 2;
constexpr uint16_t kVertical = 4 | 8;
constexpr int kAxisLow = 10000;
constexpr int kAxisHigh = 55535;
constexpr int kDefaultButtonKeys[8] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};

bool KeyHeld(int vKey) { return (GetAsyncKeyState(vKey) & 0x8000) != 0; }

// Adds one held direction (bit and direction-number step) to the words.
void AddDir(uint16_t& dir, int32_t& num, int which) {
  static constexpr uint16_t kBit[4] = {1, 2, 4, 8};
  static constexpr int kStep[4] = {-1, 1, -3, 3};
  dir |= kBit[which];
  num += kStep[which];
}

// Polls joystick id unless it waits out a failure; true when it answered.
bool PollJoystick(cInput& in, int id, int retryFrames, JOYINFOEX& info) {
  if (!in.m_bJoyPresent[id] && in.m_nJoyRetry[id] > 0) {
    --in.m_nJoyRetry[id];
    return false;
  }
  info = JOYINFOEX{};
  info.dwSize = sizeof(JOYINFOEX);
  info.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
  if (joyGetPosEx(static_cast<UINT>(id), &info) != JOYERR_NOERROR) {
    in.m_bJoyPresent[id] = 0;
    in.m_nJoyRetry[id] = retryFrames * 2;
    return false;
  }
  in.m_bJoyPresent[id] = 1;
  return true;
}

// The direction words of keys 0-8; key 9 is any direction bit.
constexpr uint16_t kDirKeyWord[kDirKeyCount - 1] = {0, 1, 2, 4, 8, 5, 9, 6, 10};

void RecordRun(cKeyRunList& runs, int state) {
  cKeyRun& newest = runs.At(0);
  if (newest.m_nState != state) {
    runs.pop_back();
    runs.insert(runs.begin(), cKeyRun{state, 1});
  } else if (newest.m_nFrames < INT_MAX) {
    ++newest.m_nFrames;
  }
}

void ResetRuns(cCheckedVector<cKeyRunList>& lists, int count) { lists.assign(count, cKeyRunList(kKeyRunDepth)); }

}  // namespace

void DefaultKeyConfig(KEYCONFIG* config) {
  static constexpr int kCodes[12] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};
  for (int i = 0; i < 12; ++i) config->Entry[i] = KEYCONFIGENTRY{kKeyboardDevice, static_cast<uint16_t>(kCodes[i]), 0};
  config->nEntryCount = 12;
  config->nJoystickCount = 1;
  config->bUse = 0;
}

bool LoadKeyConfig(const char* path, KEYCONFIG* out) {
  FILE* f = OpenGameFile(path ? path : "", "rb");
  if (!f) return false;
  unsigned char bytes[sizeof(KEYCONFIG)];
  size_t n = std::fread(bytes, 1, sizeof bytes, f);
  std::fclose(f);
  std::memcpy(out, bytes, n);  // the file is the record's own little-endian layout
  return true;
}

bool KeyConfigIsSound(const KEYCONFIG& c) {
  if ((c.bUse != 0 && c.bUse != 1) || c.nEntryCount < 4 || c.nEntryCount > 12 || c.nJoystickCount < 0 ||
      c.nJoystickCount > kMaxJoysticks)
    return false;
  for (int i = 0; i < c.nEntryCount; ++i) {
    const KEYCONFIGENTRY& e = c.Entry[i];
    const bool key = e.nDevice == kKeyboardDevice && e.wCode < 256;
    const bool joystick = e.nDevice >= 0 && e.nDevice < kMaxJoysticks && e.nDevice != kKeyboardDevice;
    if (!key && !joystick) return false;
  }
  return true;
}

void LoadKeyConfigOrDefault(const char* path, KEYCONFIG* out) {
  KEYCONFIG loaded;
  DefaultKeyConfig(&loaded);
  if (LoadKeyConfig(path, &loaded) && !KeyConfigIsSound(loaded)) {
    ReportLog("%s が壊れています。標準のキー設定を使います。", path);
    DefaultKeyConfig(&loaded);
  }
  *out = loaded;
}

cInput::cInput() {
  TrimEdges();
  SetJoyButtonMasks();
}

int cInput::ReadDefault(int joystickId, int sources, int retryFrames) {
  if (g_KeyConfig.bUse) return 0;
  BeginInputPoll();
  bool joyDir = false, joyButton = false;
  JOYINFOEX info;
  if (joystickId >= 0 && joystickId < kMaxJoysticks && PollJoystick(*this, joystickId, retryFrames, info) &&
      (sources & 1)) {
    m_nDirNum = 5;
    m_wDir = 0;
    if (info.dwXpos <= kAxisLow) AddDir(m_wDir, m_nDirNum, 0);
    else if (info.dwXpos >= kAxisHigh) AddDir(m_wDir, m_nDirNum, 1);
    if (info.dwYpos <= kAxisLow) AddDir(m_wDir, m_nDirNum, 2);
    else if (info.dwYpos >= kAxisHigh) AddDir(m_wDir, m_nDirNum, 3);
    joyDir = m_nDirNum != 5;
    m_wButton = 0;
    for (int i = 0; i < 8; ++i)
      if (info.dwButtons & m_wJoyMask[i]) m_wButton |= static_cast<uint16_t>(1 << i);
    joyButton = m_wButton != 0;
  }
  if (sources & 2) {
    if (!joyDir) {
      m_nDirNum = 5;
      m_wDir = 0;
      static constexpr int kArrows[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
      for (int k = 0; k < 4; ++k)
        if (KeyHeld(kArrows[k])) AddDir(m_wDir, m_nDirNum, k);
    }
    if (!joyButton) {
      m_wButton = 0;
      for (int i = 0; i < 8; ++i)
        if (KeyHeld(kDefaultButtonKeys[i])) m_wButton |= static_cast<uint16_t>(1 << i);
    }
  }
  return 1;
}

int cInput::ReadConfig(int players, int retryFrames) {
  if (!g_KeyConfig.bUse) return 0;
  BeginInputPoll();
  // A damaged file must not reach past the entries or poll more joysticks than exist.
  int joysticks = g_KeyConfig.nJoystickCount;
  joysticks = joysticks < 0 ? 0 : joysticks > kMaxJoysticks ? kMaxJoysticks : joysticks;
  JOYINFOEX info[kMaxJoysticks];
  bool answered[kMaxJoysticks] = {};
  for (int j = 0; j < joysticks; ++j) answered[j] = PollJoystick(*this, j, retryFrames, info[j]);
  // The record holds the block of one player.
  if (players > 1) players = 1;
  for (int p = 0; p < players; ++p) {
    const KEYCONFIG& c = g_KeyConfig;
    int entries = c.nEntryCount < 4 ? 4 : c.nEntryCount > 12 ? 12 : c.nEntryCount;
    const auto held = [&](const KEYCONFIGENTRY& e) {
      if (e.nDevice == kKeyboardDevice) return KeyHeld(e.wCode);
      if (e.nDevice < 0 || e.nDevice >= joysticks || !answered[e.nDevice]) return false;
      const JOYINFOEX& j = info[e.nDevice];
      switch (e.wCode) {
        case 256: return j.dwXpos <= kAxisLow;
        case 512: return j.dwXpos >= kAxisHigh;
        case 1024: return j.dwYpos <= kAxisLow;
        case 2048: return j.dwYpos >= kAxisHigh;
        default: return (j.dwButtons & e.wCode) != 0;
      }
    };
    m_nDirNum = 5;
    m_wDir = 0;
    m_wButton = 0;
    for (int k = 0; k < 4; ++k)
      if (held(c.Entry[k])) AddDir(m_wDir, m_nDirNum, k);
    for (int b = 0; b < entries - 4; ++b)
      if (held(c.Entry[4 + b])) m_wButton |= static_cast<uint16_t>(1 << b);
  }
  return 1;
}

int cInput::GetDirNum(const uint16_t* dir) {
  int n = (*dir & 1) ? 4 : (*dir & 2) ? 6 : 5;
  if (*dir & 4) n -= 3;
  else if (*dir & 8) n += 3;
  return n;
}

void cInput::ApplyRepeat() {
  const uint16_t prev = m_wDirHistory & 15;
  m_wDirHistory = static_cast<uint16_t>(m_wDirHistory << 4 | m_wDir);
  const auto repeat = [&](uint16_t bits, int32_t& count) {
    if ((prev & bits) != (m_wDir & bits)) {
      count = 0;
      return;
    }
    ++count;
    const unsigned n = static_cast<unsigned>(count);
    const unsigned interval = static_cast<unsigned>(m_nRepeatInterval);
    if (!(n >= static_cast<unsigned>(m_nRepeatDelay) && interval != 0 && n % interval == 0))
      m_wDir = static_cast<uint16_t>(m_wDir & ~bits);
  };
  repeat(kHorizontal, m_nRepeatH);
  repeat(kVertical, m_nRepeatV);
}

void cInput::LatchButtons(int mask) {
  const uint16_t m = mask == 0 ? 0xFF : static_cast<uint16_t>(mask);
  const uint16_t w = m_wButton;
  for (int i = 0; i < 8; ++i) {
    const uint16_t bit = static_cast<uint16_t>(1 << i);
    if (!(m & bit) || !(m_wButton & bit)) continue;
    if (m_bLatched == 1) {
      m_wButton = static_cast<uint16_t>(m_wButton & ~bit);
    } else if (m_bLatched == 0) {
      m_bLatched = 1;
      return;
    }
  }
  if (w & m) m_wButton = static_cast<uint16_t>(m_wButton & ~m);
  else m_bLatched = 0;
}

void cInput::PushHistory() {
  const uint16_t words[2] = {m_wDir, m_wButton};
  for (int r = 0; r < 2; ++r) {
    cInputRun& newest = m_aHistory[r][m_nHistIndex[r]];
    if (newest.m_wValue == words[r]) {
      if (newest.m_nFrames < INT_MAX) ++newest.m_nFrames;
    } else {
      m_nHistIndex[r] = (m_nHistIndex[r] + 1) % 32;
      m_aHistory[r][m_nHistIndex[r]] = cInputRun{words[r], 1};
    }
  }
}

uint16_t cInput::GetHistory(int ring, int framesAgo) const {
  if (ring < 0 || ring > 1) return 0;
  int64_t n = static_cast<int64_t>(framesAgo) + 1;
  int index = m_nHistIndex[ring];
  for (int step = 0; step < 32; ++step) {
    const cInputRun& run = m_aHistory[ring][index];
    if (n <= run.m_nFrames) break;
    n -= run.m_nFrames;
    index = (index + 31) % 32;
  }
  return m_aHistory[ring][index].m_wValue;
}

void cInput::ClearHistory() {
  for (auto& ring : m_aHistory)
    for (auto& run : ring) run = cInputRun{};
  m_nHistIndex[0] = m_nHistIndex[1] = 0;
}

void cInput::ClearDir() {
  m_wDir = 0;
  m_nDirNum = 5;
}

void cInput::ClearButton() { m_wButton = 0; }

void cInput::SetRepeat(int delay, int interval) {
  m_nRepeatDelay = delay;
  m_nRepeatInterval = interval;
}

void cInput::SetJoyButtonMasks() {
  for (int i = 0; i < 8; ++i) m_wJoyMask[i] = static_cast<uint16_t>(1 << i);
}

void cInput::RecordEdges() {
  for (int k = 0; k < kDirKeyCount; ++k) {
    const int state = k == kDirKeyCount - 1 ? (m_wDir & 15) != 0 : m_wDir == kDirKeyWord[k];
    RecordRun(m_vDirRuns.At(k), state);
  }
  for (int k = 0; k < kButtonKeyCount; ++k) {
    const int state = k == 0 ? m_wButton == 0 : (m_wButton >> (k - 1) & 1) != 0;
    RecordRun(m_vButtonRuns.At(k), state);
  }
}

void cInput::TrimEdges() {
  ResetRuns(m_vDirRuns, kDirKeyCount);
  ResetRuns(m_vButtonRuns, kButtonKeyCount);
}

void cInput::ResetAll() {
  ClearHistory();
  TrimEdges();
  ClearDir();
  ClearButton();
}
