// Entry of every test program: SDL runs its dummy drivers whether or not a display exists, no message
// box ever waits for a person, the data-file values are those of a started program, and the program
// has a runtime folder of its own, so that no lock of the player is shared with another run.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/datafile.h"
#include "platform/win/msgbox.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const char* tmp = std::getenv("TMPDIR");
  std::string runtime = std::string(tmp && *tmp ? tmp : "/tmp") + "/player-test-XXXXXX";
  if (!mkdtemp(runtime.data())) {
    std::perror("test runtime folder");
    return 1;
  }
  chmod(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  msgbox::SetHeadless(true);
  DataFileInitGlobals();
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(runtime, ec);
  return result;
}
