// The player's switches for headless runs and its key script.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "gamefolder/gamefolder.h"
#include "platform/video/presenter.h"
#include "shell/headless.h"
#include "shell/winmain.h"
#include "support/headless_run.h"
#include "support/tempdir.h"

namespace {

struct Parsed {
  bool ok;
  HeadlessSwitches switches;
  std::vector<std::string> rest;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "player");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  Parsed p;
  p.ok = ParseHeadlessSwitches(static_cast<int>(argv.size()), argv.data(), p.switches, p.rest);
  return p;
}

TEST(HeadlessSwitches, LeadingSwitchesAreTakenAndTheStageIsLeft) {
  Parsed p = Parse({"--headless", "--frames=600", "--print-frames", "data\\stg4\\Keep.stg4_914", "--frames=2"});
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.switches.headless);
  EXPECT_EQ(p.switches.frameLimit, 600);
  EXPECT_TRUE(p.switches.printFrames);
  // After the first argument that is no switch, everything is the command line's.
  EXPECT_EQ(p.rest, (std::vector<std::string>{"data\\stg4\\Keep.stg4_914", "--frames=2"}));

  Parsed plain = Parse({"stage"});
  ASSERT_TRUE(plain.ok);
  EXPECT_FALSE(plain.switches.headless);
  EXPECT_EQ(plain.switches.frameLimit, 0);
  EXPECT_EQ(plain.rest, std::vector<std::string>{"stage"});
  EXPECT_FALSE(plain.switches.testPlay);

  Parsed testPlay = Parse({"--test-play", "data\\stg4\\Keep.stg4_914"});
  ASSERT_TRUE(testPlay.ok);
  EXPECT_TRUE(testPlay.switches.testPlay);
  EXPECT_EQ(testPlay.rest, std::vector<std::string>{"data\\stg4\\Keep.stg4_914"});

  Parsed dashed = Parse({"--headless", "--", "--odd-stage-name"});
  ASSERT_TRUE(dashed.ok);
  EXPECT_EQ(dashed.rest, std::vector<std::string>{"--odd-stage-name"});
}

TEST(HeadlessSwitches, BadSwitchesAreRefused) {
  for (const char* bad : {"--frames=0", "--frames=-3", "--frames=12x", "--frames=", "--window", "--keys=/nonexistent/keys"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(Parse({bad}).ok);
  }
}

TEST(HeadlessSwitches, KeyScriptsGiveTheKeysOfEachPoll) {
  std::map<int, std::set<int>> keys;
  ASSERT_TRUE(ParseKeyScript("3 39 90\r\n\n  \n5 38\n5 88\n7\n", keys));
  EXPECT_EQ(keys, (std::map<int, std::set<int>>{{3, {39, 90}}, {5, {38, 88}}, {7, {}}}));
  for (const char* bad : {"x 39\n", "0 39\n", "3 300\n", "3 39 z\n", "4 -1\n"}) {
    SCOPED_TRACE(bad);
    std::map<int, std::set<int>> out;
    EXPECT_FALSE(ParseKeyScript(bad, out));
  }
}

class HeadlessKeyFileTest : public TempDirTest {};

TEST_F(HeadlessKeyFileTest, TheKeyFileIsRead) {
  const std::string path = dir_ + "/keys.txt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("2 37\n", f);
  std::fclose(f);
  Parsed p = Parse({"--keys=" + path, "--headless"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.switches.keysAtPoll, (std::map<int, std::set<int>>{{2, {37}}}));
}

// The program run headless with a frame limit, as tests and benchmarks start it: it stops at the
// limit, showing and telling of no frame past it.
TEST_F(HeadlessRunTest, AHeadlessRunStopsAtItsFrameLimit) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(WriteGameFolder(demo));
  HeadlessSwitches switches;
  switches.headless = true;
  switches.frameLimit = 20;
  switches.printFrames = true;
  testing::internal::CaptureStdout();
  StartHeadlessRun(switches);
  const int code = WinMain(nullptr, nullptr, "", 1);
  EndHeadlessRun();
  const std::string out = testing::internal::GetCapturedStdout();
  video::SetPresenter(nullptr);
  SetInputPollHook(nullptr);
  SetMainWindowOpener(nullptr, nullptr, nullptr);
  EXPECT_EQ(code, 0);
  std::vector<int> frames;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    int frame = 0, scene = 0;
    if (std::sscanf(line.c_str(), "frame %d scene %d", &frame, &scene) == 2) frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 20u) << out;
  EXPECT_EQ(frames.back(), 20);
}

}  // namespace
