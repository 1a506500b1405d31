// Writes the demo game into a folder (the current folder when none is named); what the folder's
// "user_data\" holds is kept.
#include <cstdio>
#include <filesystem>

#include "gamefolder/gamefolder.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [game folder]\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  if (argc == 2) {
    std::filesystem::create_directories(argv[1], ec);
    std::filesystem::current_path(argv[1], ec);
    if (ec) {
      std::fprintf(stderr, "demogame: cannot use folder %s\n", argv[1]);
      return 1;
    }
  }
  GameFolder demo = DemoGame();
  if (!WriteGameFolder(demo)) {
    std::fprintf(stderr, "demogame: a file of the game could not be written\n");
    return 1;
  }
  return 0;
}
