// One database file (FUZZ_DB_FILE: 0 to 9, in load order), loaded with the other nine as start-up
// loads the database. A failed load leaves every list as it was; a database that loads writes its
// lists, reads them back the same, and builds the frame tables the play scene draws from.
#include <cstdint>
#include <string>
#include <vector>

#include "stagedata/anime.h"
#include "stagedata/database.h"
#include "stagedata/effect.h"
#include "support.h"

#ifndef FUZZ_DB_FILE
#error "FUZZ_DB_FILE names the database file"
#endif

namespace {

// The lists as their files hold them (the effect kind of entry 0 cleared, as a whole load does).
std::vector<FuzzBytes> ListImages(cDatabase& db) {
  std::vector<FuzzBytes> images;
  db.ClearEffectKindZero();
  db.ForEachFile([&](auto& list, const char*) {
    FUZZ_CHECK(WriteDbList(list, "fuzz_list.bin") == 1);
    images.push_back(FuzzReadFile("fuzz_list.bin"));
    return true;
  });
  return images;
}

const char* FuzzedPath() {
  int n = 0;
  const char* path = nullptr;
  cDatabase().ForEachFile([&](auto&, const char* p) {
    if (n++ == FUZZ_DB_FILE) path = p;
    return path == nullptr;
  });
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static cDatabase defaults;
  static const std::vector<FuzzBytes> kDefaultImages = [] {
    // The other files as the built-in lists.
    defaults.ForEachFile([](auto& list, const char* path) {
      FUZZ_CHECK(WriteDbList(list, path) == 1);
      return true;
    });
    return ListImages(defaults);
  }();
  static const char* const path = FuzzedPath();

  FuzzWriteFile(path, data, size);
  cDatabase db = defaults;
  const int loaded = FuzzWatchedLoad(size, [&] { return db.Load(); });
  FuzzTakeMessages();
  if (!loaded) {
    FUZZ_CHECK(ListImages(db) == kDefaultImages);
    return 0;
  }
  const std::vector<FuzzBytes> images = ListImages(db);
  FuzzWriteFile(path, images[FUZZ_DB_FILE]);
  cDatabase again = defaults;
  FUZZ_CHECK(again.Load() == 1);
  FUZZ_CHECK(ListImages(again) == images);
  // The frame tables play what loaded.
  const cDatabase kept = g_Database;
  g_Database = db;
  cAnimFrameTable anime, effect;
  BuildAnimeFrameTables(anime);
  BuildEffectFrameTables(effect);
  g_Database = kept;
  return 0;
}
