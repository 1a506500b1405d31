// Loading a stage for play: the file is found (the highest numbered one when asked), its trailer
// checked, and it is read into g_StageData on the loading thread while the calling thread watches
// its own queue for the quit message. A stage without a hero is refused.
#pragma once
#include "stagedata/charadata.h"
#include "stagedata/stagedata.h"

// The placed hero of the stage last loaded; the play scene builds the hero from it.
extern cCharaData g_HeroCharaData;

// 1 when the stage is loaded and playable. With findNumbered set, name's extension becomes "stg4"
// and the existing file of that name plus "_000" to "_999" with the highest number is loaded (0 at
// once, silently, when there is none). On success settingsOut (when given) takes the stage's kept
// settings with empty lists and heroOut (when given) the placed hero. A failed load reports itself
// and leaves g_StageData's stage, settingsOut and heroOut as they were; m_strPath,
// m_bFindNumbered and m_bLoadDone tell of the attempt.
int LoadStageForPlay(const char* name, int findNumbered, cStageData* settingsOut, cCharaData* heroOut);

// The loading thread's procedure: g_StageData.m_strPath read into a new stage, which takes
// g_StageData's place (with m_bLoadDone = 1) when it was read whole and its map size is usable;
// g_StageData is left alone otherwise. It gives up when a quit message reaches its thread.
unsigned LoadStageProc(void* unused);

// 0, after an error box and a close request to the main window, when the file of version 174 or
// later does not end in the trailer. 1 otherwise, also for a file that cannot be opened or is too
// new: its load fails on its own.
int CheckStageFile(const char* path);
