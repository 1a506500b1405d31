// The player program: runs the game in the current folder. Switches ahead of the stage name serve
// tests and benchmarks only (shell/headless.h).
#include <string>
#include <vector>

#include "platform/text/cp932.h"
#include "shell/headless.h"
#include "shell/winmain.h"

int main(int argc, char** argv) {
  HeadlessSwitches switches;
  std::vector<std::string> rest;
  if (!ParseHeadlessSwitches(argc, argv, switches, rest)) return 2;
  StartHeadlessRun(switches);
  // The command line names a stage for a test play; it is read as the game's own text.
  std::string cmdLine = rest.empty() ? "" : Utf8ToCp932(rest.front());
  const int code = WinMain(nullptr, nullptr, cmdLine.c_str(), 1);
  EndHeadlessRun();
  return code;
}
