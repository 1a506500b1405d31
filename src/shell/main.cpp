// The player program: runs the game in the current folder. `--test-play stage` starts the editor's
// test play of that stage; the other switches ahead of the stage name serve tests and benchmarks
// only (shell/headless.h).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text/cp932.h"
#include "shell/headless.h"
#include "shell/winmain.h"

namespace {

constexpr const char* kUsage =
    "usage: player [--test-play STAGE]\n"
    "\n"
    "Plays the game in the current folder: start it in the game's folder (the one that holds data/,\n"
    "bmp/ and System.ini).\n"
    "\n"
    "  --test-play STAGE  plays one stage file of the game and ends, as the editor's test play does\n"
    "                     (STAGE as the game names it, for example data\\stg4\\Meadow.stg4_914)\n"
    "  --help             prints this text\n"
    "For tests and benchmarks: --headless (no window, no sound), --frames=N (close after N frames),\n"
    "--print-frames (a line per frame on standard output), --keys=FILE (keys held at input polls).\n"
    "\n"
    "Saves, replays, rankings and the options chosen in the game go to user_data/ in the game folder;\n"
    "the settings (full screen: WindowMode=0) are System.ini there. The run log Report_Game.txt is\n"
    "written into the game folder.\n";

}  // namespace

int main(int argc, char** argv) {
  HeadlessSwitches switches;
  std::vector<std::string> rest;
  if (!ParseHeadlessSwitches(argc, argv, switches, rest)) {
    std::fputs("player: --help lists the switches\n", stderr);
    return 2;
  }
  if (switches.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  StartHeadlessRun(switches);
  // The command line names a stage for a test play; it is read as the game's own text.
  std::string cmdLine = rest.empty() ? "" : Utf8ToCp932(rest.front());
  // The stage is honoured only in a test play, which the editor asks for with show command 5.
  const int code = WinMain(nullptr, nullptr, cmdLine.c_str(), switches.testPlay ? 5 : 1);
  EndHeadlessRun();
  return code;
}
