// Message boxes and dialogs over the game's picture.
#pragma once
#include "platform/win/types.h"

// Switches a full-screen display so that a box or dialog can appear over it (on) and back (off).
// Returns 1 on success (or when there is nothing to switch), 0 when the display cannot be switched.
int DDDialogBoxMode(int on);

// Shows a message box owned by the game window in dialog mode. 1 after the box was shown, 0 without a
// box when dialog mode could not be entered. The button pressed is not returned.
int DDMesBox(const char* text, const char* caption, UINT type);
