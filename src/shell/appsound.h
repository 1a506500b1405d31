// The sound side of start-up and shut-down, apart from the graphics side: the two stand-ins declare
// the same system types.
#pragma once
#include "platform/win/types.h"

// The music manager with the built-in tables of the five situations.
void StartMusic(int directMusic);
// The sound list (the 17 system sounds, then database sounds 1 onwards, so runtime sound 16 + k is
// database sound k), the sound device and the loaded sounds at the volume (hundredths of a decibel).
// Without a device the game goes on silent.
void StartSoundEffects(HWND hwnd, int volume);
void StopSound();
