// The player program: runs the game in the current folder.
#include <string>

#include "platform/text/cp932.h"
#include "shell/winmain.h"

int main(int argc, char** argv) {
  // The command line names a stage for a test play; it is read as the game's own text.
  std::string cmdLine = argc > 1 ? Utf8ToCp932(argv[1]) : "";
  return WinMain(nullptr, nullptr, cmdLine.c_str(), 1);
}
