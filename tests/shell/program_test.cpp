// The player program run as a user runs it, in a process of its own: the usage, and the starts that
// cannot go on, each of which must say why and end with a failure code, never run on unseen. Every
// run has its own game folder and runtime folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/cp932.h"
#include "support/tempdir.h"

extern char** environ;

namespace {

struct Outcome {
  bool ended = false;  // false: still running at the deadline (then killed)
  int code = -1;       // exit code; -1 after a signal
  std::string out, err;
};

std::string FileText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs the program in `folder` with the arguments; the environment is this process's without its
// display and SDL choices, plus `env`. Killed after `seconds`.
Outcome RunProgram(const std::vector<std::string>& args, const std::string& folder,
                   const std::vector<std::string>& env, int seconds = 60) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    bool dropped = false;
    for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER=", "XDG_RUNTIME_DIR="})
      dropped = dropped || v.rfind(name, 0) == 0;
    if (!dropped) environment.push_back(v);
  }
  environment.insert(environment.end(), env.begin(), env.end());
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const std::string outPath = folder + "/../out.txt", errPath = folder + "/../err.txt";

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(out, 1);
    dup2(err, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  Outcome o;
  if (pid < 0) return o;
  // Time from the C library: <chrono> does not build under the game's code page.
  const time_t deadline = std::time(nullptr) + seconds;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::time(nullptr) > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      o.out = FileText(outPath);
      o.err = FileText(errPath);
      return o;
    }
    usleep(20000);
  }
  o.ended = true;
  o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.out = FileText(outPath);
  o.err = FileText(errPath);
  return o;
}

class ProgramTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    runtime_ = dir_ + "/runtime";
    game_ = dir_ + "/game";
    std::filesystem::create_directory(runtime_);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    std::filesystem::create_directory(game_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::permissions(game_, std::filesystem::perms::owner_all, ec);
    TempDirTest::TearDown();
  }
  Outcome Run(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
    std::vector<std::string> argv{PLAYER_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    env.push_back("XDG_RUNTIME_DIR=" + runtime_);
    env.push_back("SDL_AUDIODRIVER=dummy");
    return RunProgram(argv, game_, env);
  }
  std::string runtime_, game_;
};

TEST_F(ProgramTest, HelpPrintsTheUsageAndEndsWell) {
  const Outcome o = Run({"--help"});
  ASSERT_TRUE(o.ended);
  EXPECT_EQ(o.code, 0) << o.err;
  for (const char* part : {"usage: player", "--test-play", "current folder", "user_data/", "Report_Game.txt", "WindowMode=0"})
    EXPECT_NE(o.out.find(part), std::string::npos) << part << "\n" << o.out;
  EXPECT_EQ(o.err, "");
  // A switch it does not know is refused, pointing to the usage.
  const Outcome bad = Run({"--nonsense"});
  EXPECT_EQ(bad.code, 2);
  EXPECT_NE(bad.err.find("--help"), std::string::npos) << bad.err;
}

// Starts that cannot go on end with code 1 and tell why on standard error, in UTF-8.
TEST_F(ProgramTest, AStartThatCannotGoOnSaysWhyAndEndsWithAFailure) {
  struct Case {
    const char* name;
    std::function<void(const std::string& game)> prepare;
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::vector<std::string> said;  // on standard error (UTF-8)
  };
  const Case cases[] = {
      // An empty folder: start-up's box, printed by the headless run.
      {"empty folder", nullptr, {"--headless"}, {}, {"box: " + Cp932ToUtf8("エラー: 「data」フォルダの作成に失敗…")}},
      // The run log cannot be made (a folder holds its name): said on standard error and in a box,
      // with what to mend.
      {"no run log",
       [](const std::string& game) { std::filesystem::create_directory(game + "/Report_Game.txt"); },
       {"--headless"},
       {},
       {"player: " + Cp932ToUtf8("実行ログ「"), "box: " + Cp932ToUtf8("エラー: 実行ログ「"),
        "the game folder must be writable"}},
      // A display that does not answer: no window, and no run in a driver that shows nothing.
      {"no display", nullptr, {}, {"DISPLAY=:987"}, {Cp932ToUtf8("ウインドウが生成出来ません！"), "no display answers (DISPLAY=:987"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(game_);
    std::filesystem::create_directory(game_);
    if (c.prepare) c.prepare(game_);
    const Outcome o = Run(c.args, c.env);
    ASSERT_TRUE(o.ended) << "still running; standard error: " << o.err;
    EXPECT_EQ(o.code, 1) << o.err;
    for (const std::string& text : c.said) EXPECT_NE(o.err.find(text), std::string::npos) << text << "\n" << o.err;
  }
}

// A read-only game folder as an ordinary user (an administrator writes anyway: there is nothing to
// see then).
TEST_F(ProgramTest, AReadOnlyGameFolderIsNamedAsTheReason) {
  if (geteuid() == 0) GTEST_SKIP() << "an administrator can write into a read-only folder";
  std::filesystem::permissions(game_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const Outcome o = Run({"--headless"});
  ASSERT_TRUE(o.ended);
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("Permission denied"), std::string::npos) << o.err;
}

// The run script asks the display before it sets anything up or builds: a copy of it with stand-ins
// for the set-up and the build, which leave a mark when they run.
TEST_F(ProgramTest, TheRunScriptStopsAtADisplayThatDoesNotAnswer) {
  const std::string root = dir_ + "/checkout";
  std::filesystem::create_directories(root + "/scripts");
  std::filesystem::copy_file(std::string(SOURCE_DIR) + "/scripts/run.sh", root + "/scripts/run.sh");
  for (const char* stand : {"setup.sh", "build.sh"}) {
    std::ofstream(root + "/scripts/" + stand) << "touch \"" << dir_ << "/ran\"\nexit 3\n";
  }
  const Outcome o = RunProgram({"/bin/bash", root + "/scripts/run.sh"}, game_,
                               {"XDG_RUNTIME_DIR=" + runtime_, "DISPLAY=:987"});
  ASSERT_TRUE(o.ended);
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find(":987"), std::string::npos) << o.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/ran")) << "it went on to set up and build";
}

}  // namespace
