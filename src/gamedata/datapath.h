// The player's fixed file paths, the extensions of its file kinds, and the creation of "data\"
// from its template "default\".
#pragma once
#include "platform/win/types.h"

constexpr int kDataPathCount = 49;
constexpr int kFileExtCount = 4;

// Relative to the game folder. Entries the player itself never opens name files of the authoring
// side; they are kept so that the indices stay those of the whole table.
extern const char* const g_DataPath[kDataPathCount];
// Without the dot: 0 common palette, 1 stage files, 2 palette files, 3 ranking files.
extern const char* const g_FileExt[kFileExtCount];

// Indices of the entries the player uses.
enum eDataPath {
  DATAPATH_DATA = 0,
  DATAPATH_DEFAULT = 1,
  DATAPATH_COMMON_PALETTE = 8,
  DATAPATH_WORLD_MAP = 14,
  DATAPATH_DATABASE_FIRST = 16,  // the database files: 16, 18, ..., 34
  DATAPATH_SYSTEM = 36,
  DATAPATH_CHALLENGE_STAGE = 38,
  DATAPATH_RANK_STORY = 39,
  DATAPATH_RANK_CHALLENGE = 40,
  DATAPATH_RANK_FREE = 41,
  DATAPATH_STORY = 42,
  DATAPATH_CHALLENGE = 43,
  DATAPATH_OPTION = 44,
  DATAPATH_USER_DATA = 45,
  DATAPATH_KEY_CONFIG = 46,
  DATAPATH_BOOT = 47,
  DATAPATH_WINDOW = 48,
};

// Makes sure "data\" exists: when it is missing and "default\" exists, asks the player (a Yes/No
// box owned by `owner`) and copies "default\" to "data\", all or nothing. 1 when "data\" exists
// afterwards, 0 otherwise.
int CreateDefaultData(HWND owner);
