// Entry of every test program: no message box ever waits for a person, and the data-file values are
// those of a started program.
#include <gtest/gtest.h>

#include "core/datafile.h"
#include "platform/win/msgbox.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  msgbox::SetHeadless(true);
  DataFileInitGlobals();
  return RUN_ALL_TESTS();
}
