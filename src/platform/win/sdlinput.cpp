#include "platform/win/sdlinput.h"

#include <SDL.h>

#include <mutex>

#include "platform/win/keys.h"

namespace {

struct Pad {
  bool used = false;
  int instance = -1;
  SDL_Joystick* handle = nullptr;
  int x = 32767, y = 32767;  // from the axes
  int hat = 0;
  DWORD buttons = 0;
};

std::mutex g_mutex;
Pad g_pads[kJoystickSlots];
bool g_sideDown[6];  // left/right shift, control, alt

int SlotOf(int instance) {
  for (int i = 0; i < kJoystickSlots; ++i)
    if (g_pads[i].used && g_pads[i].instance == instance) return i;
  return -1;
}

// Hands the slot's state to the joystick stand-in; the hat wins over the axes while held.
void Publish(int slot) {
  const Pad& p = g_pads[slot];
  DWORD x = static_cast<DWORD>(p.x), y = static_cast<DWORD>(p.y);
  if (p.hat & SDL_HAT_LEFT) x = 0;
  if (p.hat & SDL_HAT_RIGHT) x = 65535;
  if (p.hat & SDL_HAT_UP) y = 0;
  if (p.hat & SDL_HAT_DOWN) y = 65535;
  SetJoystickStandIn(static_cast<UINT>(slot), p.used, x, y, p.buttons);
}

int SideIndex(int vKey) {
  switch (vKey) {
    case VK_LSHIFT: return 0;
    case VK_RSHIFT: return 1;
    case VK_LCONTROL: return 2;
    case VK_RCONTROL: return 3;
    case VK_LMENU: return 4;
    case VK_RMENU: return 5;
    default: return -1;
  }
}

}  // namespace

int VirtualKeyOfScancode(int scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return VK_F1 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return VK_NUMPAD0 + 1 + (scancode - SDL_SCANCODE_KP_1);
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_RETURN: case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    default: return 0;
  }
}

void KeyEventStandIn(int vKey, bool down) {
  if (vKey <= 0 || vKey > 255) return;
  SetKeyStateStandIn(vKey, down);
  int side = SideIndex(vKey);
  if (side < 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_sideDown[side] = down;
  static constexpr int kCommon[3] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  int pair = side / 2;
  SetKeyStateStandIn(kCommon[pair], g_sideDown[pair * 2] || g_sideDown[pair * 2 + 1]);
}

void ReleaseAllKeysStandIn() {
  for (int k = 1; k < 256; ++k) SetKeyStateStandIn(k, false);
  std::lock_guard<std::mutex> lock(g_mutex);
  for (bool& d : g_sideDown) d = false;
}

int AttachJoystickStandIn(int instanceId) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int slot = SlotOf(instanceId);
  if (slot >= 0) return slot;
  for (int i = 0; i < kJoystickSlots; ++i) {
    if (g_pads[i].used) continue;
    g_pads[i] = Pad{};
    g_pads[i].used = true;
    g_pads[i].instance = instanceId;
    Publish(i);
    return i;
  }
  return -1;
}

void DetachJoystickStandIn(int instanceId) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int slot = SlotOf(instanceId);
  if (slot < 0) return;
  if (g_pads[slot].handle) SDL_JoystickClose(g_pads[slot].handle);
  g_pads[slot] = Pad{};
  Publish(slot);
}

void JoystickAxisStandIn(int instanceId, int axis, int value) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int slot = SlotOf(instanceId);
  if (slot < 0 || axis < 0 || axis > 1) return;
  int position = value + 32768;
  position = position < 0 ? 0 : position > 65535 ? 65535 : position;
  (axis == 0 ? g_pads[slot].x : g_pads[slot].y) = position;
  Publish(slot);
}

void JoystickButtonStandIn(int instanceId, int button, bool down) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int slot = SlotOf(instanceId);
  if (slot < 0 || button < 0 || button > 31) return;
  DWORD bit = DWORD(1) << button;
  g_pads[slot].buttons = down ? (g_pads[slot].buttons | bit) : (g_pads[slot].buttons & ~bit);
  Publish(slot);
}

void JoystickHatStandIn(int instanceId, int hat) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int slot = SlotOf(instanceId);
  if (slot < 0) return;
  g_pads[slot].hat = hat;
  Publish(slot);
}

bool HandleSdlInputEvent(const SDL_Event& event, int* vKey, bool* down) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int key = VirtualKeyOfScancode(event.key.keysym.scancode);
      bool pressed = event.type == SDL_KEYDOWN;
      KeyEventStandIn(key, pressed);
      if (vKey) *vKey = key;
      if (down) *down = pressed;
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int key = event.button.button == SDL_BUTTON_LEFT    ? VK_LBUTTON
                : event.button.button == SDL_BUTTON_RIGHT ? VK_RBUTTON
                : event.button.button == SDL_BUTTON_MIDDLE ? VK_MBUTTON
                                                           : 0;
      KeyEventStandIn(key, event.type == SDL_MOUSEBUTTONDOWN);
      return false;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) ReleaseAllKeysStandIn();
      return false;
    case SDL_JOYDEVICEADDED: {
      SDL_Joystick* handle = SDL_JoystickOpen(event.jdevice.which);
      if (!handle) return false;
      int instance = SDL_JoystickInstanceID(handle);
      int slot = AttachJoystickStandIn(instance);
      std::lock_guard<std::mutex> lock(g_mutex);
      if (slot >= 0 && !g_pads[slot].handle) g_pads[slot].handle = handle;
      else if (slot < 0 || g_pads[slot].handle != handle) SDL_JoystickClose(handle);
      return false;
    }
    case SDL_JOYDEVICEREMOVED:
      DetachJoystickStandIn(event.jdevice.which);
      return false;
    case SDL_JOYAXISMOTION:
      JoystickAxisStandIn(event.jaxis.which, event.jaxis.axis, event.jaxis.value);
      return false;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      JoystickButtonStandIn(event.jbutton.which, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
      return false;
    case SDL_JOYHATMOTION:
      if (event.jhat.hat == 0) JoystickHatStandIn(event.jhat.which, event.jhat.value);
      return false;
    default:
      return false;
  }
}

void OpenSdlJoysticks() {
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  // Joysticks present now arrive as attachment events on the next pump.
  SDL_JoystickEventState(SDL_ENABLE);
}

void CloseSdlJoysticks() {
  int instances[kJoystickSlots];
  int n = 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const Pad& p : g_pads)
      if (p.used) instances[n++] = p.instance;
  }
  for (int i = 0; i < n; ++i) DetachJoystickStandIn(instances[i]);
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}
