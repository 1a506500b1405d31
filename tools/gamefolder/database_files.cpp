#include "gamefolder/database_files.h"

#include "platform/fs/path.h"
#include "stagedata/database.h"

bool WriteDatabaseFiles(cDatabase& db) {
  if (!MakeGameDirectory("data") || !MakeGameDirectory("data\\database")) return false;
  return db.ForEachFile([](auto& list, const char* path) { return WriteDbList(list, path) == 1; });
}
