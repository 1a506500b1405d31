// Entry of every test program: SDL runs its dummy drivers whether or not a display exists, no message
// box ever waits for a person, and the data-file values are those of a started program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/datafile.h"
#include "platform/win/msgbox.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  msgbox::SetHeadless(true);
  DataFileInitGlobals();
  return RUN_ALL_TESTS();
}
