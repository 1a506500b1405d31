// Every game-wide state of the play back as at program start, for the fixtures of tests that run
// scenes: the application object and its scenes, the menu cursor stack, the music request globals,
// the single-stage flags, the timing counters, the input devices, the key and joystick state, the
// key configuration and the game-wide records.
#pragma once

void ResetGameGlobals();
