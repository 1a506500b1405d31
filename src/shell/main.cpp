// The player program: runs the game in the current folder. `--test-play stage` starts the editor's
// test play of that stage; the other switches ahead of the stage name serve tests and benchmarks
// only (shell/headless.h).
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
  // The stage is honoured only in a test play, which the editor asks for with show command 5.
  const int code = WinMain(nullptr, nullptr, cmdLine.c_str(), switches.testPlay ? 5 : 1);
  EndHeadlessRun();
  return code;
}
