// The keyboard and joystick state in the manner of the Windows calls the game reads. The window thread
// owns the state and fills it from its events; the game reads it from any thread. Tests set it
// directly, or script it per poll through the poll hook.
#pragma once
#include <atomic>

#include "platform/win/types.h"

typedef int16_t SHORT;

// Virtual-key codes; letters and digits are their upper-case characters.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;  // either Alt key
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD9 = 0x69
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;  // .. VK_F12 = 0x7B
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F12 = 0x7B;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;  // ;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;  // /
constexpr int VK_OEM_3 = 0xC0;  // `
constexpr int VK_OEM_4 = 0xDB;  // [
constexpr int VK_OEM_5 = 0xDC;  // backslash
constexpr int VK_OEM_6 = 0xDD;  // ]
constexpr int VK_OEM_7 = 0xDE;  // '

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
