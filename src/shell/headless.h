// Runs of the player program without a display, for tests and benchmarks only: switches that the
// program entry takes ahead of the command line's stage.
//   --headless         no window and no SDL: frames go to a headless presenter, sound to the null
//                      device, every box and dialog takes its first button (a confirmation: yes)
//   --frames=N         the run stops at N presented frames: the main window is asked to close, and
//                      no frame past the N-th is shown
//   --print-frames     one line per presented frame on standard output: "frame <n> scene <id>", the
//                      scene -1 for a frame shown before the first scene exists (start-up's picture)
//   --keys=FILE        keys held at input polls, one line each: "<poll> <vk> <vk> ..." (numbers)
// and --help, which asks for the usage.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

struct HeadlessSwitches {
  bool headless = false;
  int frameLimit = 0;  // 0: no limit
  bool printFrames = false;
  std::map<int, std::set<int>> keysAtPoll;
  // --test-play: start as the editor's test play (show command 5), playing the named stage.
  bool testPlay = false;
  // --help: print the usage and end.
  bool help = false;
};

// Takes the leading switches of the arguments (argv[1] onwards) into `out` and leaves the rest in
// `rest`. False, with a line on standard error, for an unknown or malformed switch or an unreadable
// key file.
bool ParseHeadlessSwitches(int argc, char** argv, HeadlessSwitches& out, std::vector<std::string>& rest);

// Parses a key script (the text of a --keys file) into keysAtPoll; false for a malformed line.
bool ParseKeyScript(const std::string& text, std::map<int, std::set<int>>& keysAtPoll);

// Sets the process up for the run the switches ask for, before WinMain; a run with no switch is left
// as it is. EndHeadlessRun after WinMain writes the boxes shown to standard error, in UTF-8.
void StartHeadlessRun(const HeadlessSwitches& switches);
void EndHeadlessRun();
