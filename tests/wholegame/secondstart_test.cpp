// Starts of the player program beside each other: one copy per game folder, a second start that
// finds the first and asks it to close, and lock files that name no running copy.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gamefolder/gamefolder.h"
#include "platform/win/msgbox.h"
#include "platform/win/winapp.h"
#include "shell/winmain.h"
#include "support/game_reset.h"
#include "support/tempdir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One process, its output in files of the test's folder.
class Process {
 public:
  Process(const std::vector<std::string>& args, const std::string& folder, const std::vector<std::string>& env,
          const std::string& outBase)
      : out_(outBase + ".out"), err_(outBase + ".err") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (pid_ > 0 && !done_) {
      kill(pid_, SIGKILL);  // a test that failed half-way leaves nothing running
      Wait();
    }
  }
  pid_t Pid() const { return pid_; }
  bool Running() {
    if (done_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      done_ = true;
      status_ = status;
      return false;
    }
    return true;
  }
  // The exit code, or -1 for a process ended by a signal.
  int Wait() {
    if (!done_) {
      waitpid(pid_, &status_, 0);
      done_ = true;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  std::string Out() const { return ReadAll(out_); }
  std::string Err() const { return ReadAll(err_); }
  // Waits until the output holds the text; false after the seconds.
  bool WaitForOutput(const std::string& text, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (Out().find(text) != std::string::npos) return true;
      if (!Running()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
  bool done_ = false;
  int status_ = 0;
};

// Two demo games in folders A and B, and a private runtime folder that all the test's starts share.
class SecondStartTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetGameGlobals();
    runtime_ = dir_ + "/run";
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
    for (const char* name : {"A", "B"}) {
      const std::string folder = dir_ + "/" + name;
      fs::create_directory(folder);
      fs::current_path(folder);
      GameFolder demo = DemoGame();
      ASSERT_TRUE(WriteGameFolder(demo));
    }
    fs::current_path(dir_);
    SetMutexFolderStandIn(runtime_.c_str());
  }
  void TearDown() override {
    fs::current_path(dir_);
    SetMutexFolderStandIn("");
    SetThisProgramStandIn("");
    msgbox::SetRouter(nullptr);
    msgbox::SetHeadless(true);
    msgbox::Reset();
    SetMainWindowOpener(nullptr, nullptr, nullptr);
    UnregisterClassesStandIn();
    ResetGameGlobals();
    TempDirTest::TearDown();
  }
  // The children's environment: their own folders, and the sanitizers' settings of this run.
  std::vector<std::string> Env(bool runtime = true) const {
    std::vector<std::string> env{"HOME=" + dir_};
    if (runtime) env.push_back("XDG_RUNTIME_DIR=" + runtime_);
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"})
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    return env;
  }
  Process Player(const std::string& folder, int frames, const std::string& outBase,
                 std::vector<std::string> env = {}) {
    if (env.empty()) env = Env();
    return Process({PLAYER_PROGRAM, "--headless", "--frames=" + std::to_string(frames), "--print-frames"},
                   dir_ + "/" + folder, env, dir_ + "/" + outBase);
  }
  // The lock file of a game folder, as a start in it names it.
  std::string LockFileOf(const std::string& folder) {
    fs::current_path(dir_ + "/" + folder);
    HANDLE probe = CreateMutexA(nullptr, FALSE, SingleInstanceName().c_str());
    EXPECT_NE(probe, nullptr);
    CloseMutexHandle(probe);
    fs::current_path(dir_);
    std::string found;
    for (const auto& entry : fs::directory_iterator(runtime_)) found = entry.path().string();
    return found;
  }
  // WinMain in this process as a start with a display would make it in `folder`, the user answering
  // every box with `answer`; the window cannot be shown, so a start that goes on ends there with a
  // failure, while one that gives way to the first copy ends with 0.
  std::vector<MessageBoxRecord> StartWithDisplay(const std::string& folder, int answer) {
    fs::current_path(dir_ + "/" + folder);
    std::vector<MessageBoxRecord> boxes;
    msgbox::SetHeadless(false);
    msgbox::SetRouter([&boxes, answer](HWND owner, const char* text, const char* caption, UINT type) {
      boxes.push_back({owner, text, caption, type});
      return answer;
    });
    SetMainWindowOpener([](HWND, int, int) { return false; }, [] {}, [] {});
    UnregisterClassesStandIn();
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 1), answer == IDNO ? 0 : kStartFailed);
    msgbox::SetRouter(nullptr);
    msgbox::SetHeadless(true);
    fs::current_path(dir_);
    return boxes;
  }
  static bool Alive(pid_t pid) { return kill(pid, 0) == 0; }
  std::string runtime_;
};

TEST_F(SecondStartTest, PlayersInTwoFoldersRunSideBySideToTheirLimits) {
  Process a = Player("A", 180, "a");
  Process b = Player("B", 180, "b");
  ASSERT_GT(a.Pid(), 0);
  ASSERT_GT(b.Pid(), 0);
  EXPECT_EQ(a.Wait(), 0) << a.Err();
  EXPECT_EQ(b.Wait(), 0) << b.Err();
  for (Process* p : {&a, &b}) {
    EXPECT_NE(p->Out().find("frame 180 scene"), std::string::npos) << p->Err();
    EXPECT_EQ(p->Err().find("not started"), std::string::npos) << p->Err();
  }
}

TEST_F(SecondStartTest, ASecondStartFindsTheFirstWhichClosesOnlyWhenAskedWithADisplay) {
  Process first = Player("A", 100000, "first");
  ASSERT_TRUE(first.WaitForOutput("frame 2 ", 60)) << first.Err();

  // A run without a display ends no other program: it says so and does not start.
  Process second = Player("A", 60, "second");
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_NE(second.Err().find("process " + std::to_string(first.Pid())), std::string::npos) << second.Err();
  EXPECT_NE(second.Err().find("ends no other program"), std::string::npos) << second.Err();
  EXPECT_EQ(second.Out().find("frame"), std::string::npos);
  EXPECT_TRUE(first.Running());

  // A start with a display whose user answers No leaves it too.
  SetThisProgramStandIn(PLAYER_PROGRAM);
  std::vector<MessageBoxRecord> boxes = StartWithDisplay("A", IDNO);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "二重起動");
  EXPECT_TRUE(first.Running());

  // Yes: the first copy is asked to close, closes by itself, and the start goes on after it.
  boxes = StartWithDisplay("A", IDYES);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "二重起動");
  EXPECT_EQ(boxes[1].text, "ウインドウが生成出来ません！");
  // It has let go of the folder; it ends on its own, with its normal exit code.
  EXPECT_EQ(first.Wait(), 0) << "closed, not killed: " << first.Err();
  EXPECT_EQ(first.Out().find("frame 100000 "), std::string::npos);
}

TEST_F(SecondStartTest, ALockNamingNoRunningCopyEndsNothing) {
  const std::string lock = LockFileOf("A");
  ASSERT_FALSE(lock.empty());
  Process bystander({"/bin/sleep", "60"}, dir_, Env(), dir_ + "/bystander");
  ASSERT_GT(bystander.Pid(), 0);

  // The file names a process of the user's that does not hold it, then one that is gone: a start
  // runs to its limit and the named process lives on.
  for (std::string pid : {std::to_string(bystander.Pid()), std::string("999999")}) {
    SCOPED_TRACE(pid);
    std::ofstream(lock) << pid;
    Process run = Player("A", 60, "named");
    EXPECT_EQ(run.Wait(), 0) << run.Err();
    EXPECT_NE(run.Out().find("frame 60 scene"), std::string::npos) << run.Err();
    EXPECT_TRUE(bystander.Running());
  }

  // Another program holds the lock: no start ends it, with a display or without.
  Process holder({"/usr/bin/flock", lock, "/bin/sleep", "60"}, dir_, Env(), dir_ + "/holder");
  ASSERT_GT(holder.Pid(), 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    int fd = open(lock.c_str(), O_RDONLY);
    bool held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0) close(fd);
    if (held) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Process headless = Player("A", 60, "headless");
  EXPECT_EQ(headless.Wait(), 0);
  EXPECT_NE(headless.Err().find("held by another program"), std::string::npos) << headless.Err();
  SetThisProgramStandIn(PLAYER_PROGRAM);
  std::vector<MessageBoxRecord> boxes = StartWithDisplay("A", IDYES);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "二重起動");
  EXPECT_EQ(boxes[1].text, "ウインドウが生成出来ません！") << "started beside it";
  EXPECT_TRUE(holder.Running());
  EXPECT_TRUE(bystander.Running());
}

TEST_F(SecondStartTest, TheLockIsNeverFollowedOrPutInTheSharedFolder) {
  // A link planted under the lock's name: the file it points at keeps its content, and the start
  // runs without the lock.
  const std::string lock = LockFileOf("A");
  ASSERT_FALSE(lock.empty());
  const std::string victim = dir_ + "/victim.txt";
  std::ofstream(victim) << "keep me";
  fs::remove(lock);
  fs::create_symlink(victim, lock);
  Process run = Player("A", 30, "linked");
  EXPECT_EQ(run.Wait(), 0) << run.Err();
  EXPECT_NE(run.Out().find("frame 30 scene"), std::string::npos) << run.Err();
  EXPECT_EQ(ReadAll(victim), "keep me");

  // Without a runtime folder the lock goes to a private folder of the user's own.
  Process noRuntime = Player("B", 30, "noruntime", Env(false));
  EXPECT_EQ(noRuntime.Wait(), 0) << noRuntime.Err();
  struct stat st {};
  ASSERT_EQ(stat((dir_ + "/.cache/player-locks").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_FALSE(fs::is_empty(dir_ + "/.cache/player-locks"));
}

}  // namespace
