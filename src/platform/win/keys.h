// The keyboard and joystick state in the manner of the Windows calls the game reads. The window thread
// owns the state and fills it from its events; the game reads it from any thread. Tests set it
// directly, or script it per poll through the poll hook.
#pragma once
#include <atomic>

#include "platform/win/types.h"

typedef int16_t SHORT;

// Virtual-key codes; letters and digits are their upper-case characters.
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;

// 0x8000 set while the key is held.
SHORT GetAsyncKeyState(int vKey);

struct JOYINFOEX {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwXpos;
  DWORD dwYpos;
  DWORD dwZpos;
  DWORD dwRpos;
  DWORD dwUpos;
  DWORD dwVpos;
  DWORD dwButtons;
  DWORD dwButtonNumber;
  DWORD dwPOV;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
static_assert(sizeof(JOYINFOEX) == 52);

constexpr DWORD JOY_RETURNX = 0x00000001;
constexpr DWORD JOY_RETURNY = 0x00000002;
constexpr DWORD JOY_RETURNBUTTONS = 0x00000080;
constexpr UINT JOYERR_NOERROR = 0;
constexpr UINT JOYERR_PARMS = 165;
constexpr UINT JOYERR_UNPLUGGED = 167;

// Position (0..65535 on both axes, centre 32767) and buttons of joystick id; JOYERR_UNPLUGGED for a
// joystick that is not there, JOYERR_PARMS for a bad id or record.
UINT joyGetPosEx(UINT id, JOYINFOEX* info);

constexpr int kJoystickSlots = 16;

// The window thread's side (and the tests').
void SetKeyStateStandIn(int vKey, bool down);
void SetJoystickStandIn(UINT id, bool present, DWORD x, DWORD y, DWORD buttons);
// Every key released, every joystick absent, no poll hook, the poll counter 0.
void ResetKeyStateStandIn();
// Joystick calls made so far (each joyGetPosEx counts), for tests of the retry timing.
int JoystickCallCount();

// Called by the game at the start of each poll of the devices; runs the hook, if any, first (a test
// sets the state of this poll there) and counts the poll.
void BeginInputPoll();
void SetInputPollHook(void (*hook)(int pollNumber));

// The program's window is the active one: the game sleeps while it is not. Set by the window thread.
extern std::atomic<int> g_bAppActive;
