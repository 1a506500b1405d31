// The game thread's requests to the main window's thread: sounds and music. Each waits until the
// window thread has served it; a request that cannot be sent (no window, shutting down) is dropped.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/win/types.h"

// The stage music last requested and its loop flag.
extern int g_nStageBgm;
extern int g_bStageBgmLoop;

// System sound n (0..16).
void PlaySystemSound(int sound);
// Database sound n, played as runtime sound 16 + n; nothing for 0.
void PlayDataSound(int16_t sound);
// The stage's music (situation 4).
void RequestStageBgm(int music, int loop);

// The window thread's answer to a file request: set to 1 when it has finished (confirmed or not),
// with the result beside it.
extern std::atomic<int> g_bRequestDone;
extern std::atomic<int> g_bRequestResult;
// Frames before the "nothing recorded" sound may play again.
extern int g_nReplayKeyWait;

// F1 offers to save the current recording, F2 the previous one (live play with recording on only).
// 1 when a save was requested (the caller skips the rest of its frame); the wait for the window
// thread ends early when the request cannot be sent or shut-down begins.
int CheckReplaySaveKey();

// The name-entry dialog has been closed (set by the window thread; the game thread waits for it).
extern std::atomic<int> g_bNameEntryDone;

// Sends a request to the main window and waits until its done flag is set; the wait ends at once when
// the request cannot be sent and when shut-down begins. True when the request was served.
bool SendRequestAndWait(UINT msg, std::atomic<int>& done);
// Asks the main window to choose and load a replay; 1 when one was loaded.
int RequestReplayLoad();
