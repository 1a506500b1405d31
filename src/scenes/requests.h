// The game thread's requests to the main window's thread: sounds and music. Each waits until the
// window thread has served it; a request that cannot be sent (no window, shutting down) is dropped.
#pragma once
#include <cstdint>

// The stage music last requested and its loop flag.
extern int g_nStageBgm;
extern int g_bStageBgmLoop;

// System sound n (0..16).
void PlaySystemSound(int sound);
// Database sound n, played as runtime sound 16 + n; nothing for 0.
void PlayDataSound(int16_t sound);
// The stage's music (situation 4).
void RequestStageBgm(int music, int loop);
