// Entry of every test program: no message box ever waits for a person, and the data-file values are
// those of a started program.
#include <gtest/gtest.h>

#include "core/datafile.h"
#include "platform/win/msgbox.h"

// fontconfig keeps a few blocks of its configuration without a reference to them until the process
// ends; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  msgbox::SetHeadless(true);
  DataFileInitGlobals();
  return RUN_ALL_TESTS();
}
