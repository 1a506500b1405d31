#include "platform/win/keys.h"

#include <mutex>

std::atomic<int> g_bAppActive{1};

namespace {

struct Joystick {
  bool present = false;
  DWORD x = 32767, y = 32767, buttons = 0;
};

std::atomic<uint8_t> g_keys[256];
std::mutex g_joyMutex;
Joystick g_joys[kJoystickSlots];
std::atomic<int> g_joyCalls{0};
std::atomic<int> g_polls{0};
std::atomic<void (*)(int)> g_pollHook{nullptr};

}  // namespace

SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey > 255) return 0;
  return g_keys[vKey].load() ? static_cast<SHORT>(0x8000) : 0;
}

UINT joyGetPosEx(UINT id, JOYINFOEX* info) {
  g_joyCalls.fetch_add(1);
  if (!info || info->dwSize != sizeof(JOYINFOEX) || id >= static_cast<UINT>(kJoystickSlots)) return JOYERR_PARMS;
  std::lock_guard<std::mutex> lock(g_joyMutex);
  const Joystick& j = g_joys[id];
  if (!j.present) return JOYERR_UNPLUGGED;
  if (info->dwFlags & JOY_RETURNX) info->dwXpos = j.x;
  if (info->dwFlags & JOY_RETURNY) info->dwYpos = j.y;
  if (info->dwFlags & JOY_RETURNBUTTONS) info->dwButtons = j.buttons;
  return JOYERR_NOERROR;
}

void SetKeyStateStandIn(int vKey, bool down) {
  if (vKey >= 0 && vKey <= 255) g_keys[vKey].store(down ? 1 : 0);
}

void SetJoystickStandIn(UINT id, bool present, DWORD x, DWORD y, DWORD buttons) {
  if (id >= static_cast<UINT>(kJoystickSlots)) return;
  std::lock_guard<std::mutex> lock(g_joyMutex);
  g_joys[id] = Joystick{present, x, y, buttons};
}

void ResetKeyStateStandIn() {
  for (auto& k : g_keys) k.store(0);
  {
    std::lock_guard<std::mutex> lock(g_joyMutex);
    for (auto& j : g_joys) j = Joystick();
  }
  g_joyCalls.store(0);
  g_polls.store(0);
  g_pollHook.store(nullptr);
}

int JoystickCallCount() { return g_joyCalls.load(); }

void BeginInputPoll() {
  const int n = g_polls.fetch_add(1);
  if (auto hook = g_pollHook.load()) hook(n);
}

void SetInputPollHook(void (*hook)(int pollNumber)) { g_pollHook.store(hook); }
