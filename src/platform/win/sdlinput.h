// The window thread's side of the keyboard, mouse buttons and joysticks: SDL's events become the state
// that GetAsyncKeyState and joyGetPosEx report. Keys are reported by virtual-key code; joysticks take
// the slots 0..kJoystickSlots-1 in the order they are attached.
#pragma once

union SDL_Event;

// Feeds one SDL event into the state. For a key event, *vKey gets its virtual key (0 for a key with
// none) and *down whether it went down; both are left alone for other events. Losing the keyboard
// focus releases every key and mouse button. True when the event was a key event.
bool HandleSdlInputEvent(const SDL_Event& event, int* vKey, bool* down);
// Opens the joysticks attached now (their later attachment arrives as events); closes them again.
void OpenSdlJoysticks();
void CloseSdlJoysticks();

// The same state changes without SDL's types.
// The virtual key of an SDL scancode (a USB usage number), 0 for none.
int VirtualKeyOfScancode(int scancode);
// A key went down or up; the two-sided keys (shift, control, alt) also hold their common key.
void KeyEventStandIn(int vKey, bool down);
// Every key and mouse button released.
void ReleaseAllKeysStandIn();
// The joystick slot of an SDL instance, attached when new; -1 when every slot is taken.
int AttachJoystickStandIn(int instanceId);
void DetachJoystickStandIn(int instanceId);
// Axis 0 (x) and 1 (y) from SDL's -32768..32767 to 0..65535; other axes are ignored.
void JoystickAxisStandIn(int instanceId, int axis, int value);
// Buttons 0..31 as the bits of the button word.
void JoystickButtonStandIn(int instanceId, int button, bool down);
// A hat (bits 1 up, 2 right, 4 down, 8 left) pushes the axes to their ends while it is held.
void JoystickHatStandIn(int instanceId, int hat);
