#include "shell/headless.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "core/mainwnd.h"
#include "platform/audio/mixer.h"
#include "platform/text/cp932.h"
#include "platform/video/presenter.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "shell/winmain.h"

namespace {

// Counts the presented frames, tells of each when asked, and asks the main window to close once the
// limit is reached; frames past the limit are not shown.
class CountingPresenter : public video::Presenter {
 public:
  CountingPresenter(int limit, bool print) : limit_(limit), print_(print) {}
  void Present(video::Frame) override {
    const int n = ++count_;
    // The run stops at its limit: a frame drawn while the close is taken is not shown.
    if (limit_ > 0 && n > limit_) return;
    if (print_) {
      // Frames shown before the first scene exists (the loading picture of start-up) have scene -1.
      const int scene = cApp::SceneOf(cApp::m_nScene) ? cApp::m_nScene : -1;
      std::printf("frame %d scene %d\n", n, scene);
      std::fflush(stdout);
    }
    if (n == limit_) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  }
  void SetFullScreen(bool) override {}
  void SetMinimized(bool) override {}
  void SetCursorVisible(bool) override {}

 private:
  const int limit_;
  const bool print_;
  std::atomic<int> count_{0};
};

std::map<int, std::set<int>> g_keysAtPoll;
std::set<int> g_held;
bool g_started = false;

// The keys of a poll replace those of the one before.
void PollHook(int poll) {
  for (int vk : g_held) SetKeyStateStandIn(vk, false);
  g_held.clear();
  auto it = g_keysAtPoll.find(poll);
  if (it == g_keysAtPoll.end()) return;
  for (int vk : it->second) SetKeyStateStandIn(vk, true);
  g_held = it->second;
}

bool ParseCount(const char* text, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v <= 0 || v > 100000000) return false;
  out = static_cast<int>(v);
  return true;
}

bool ReadTextFile(const char* path, std::string& out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::map<int, std::set<int>>& keysAtPoll) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int poll = 0;
    if (!(fields >> poll)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;  // a blank line
      return false;
    }
    if (poll <= 0) return false;
    int vk = 0;
    std::set<int>& keys = keysAtPoll[poll];
    while (fields >> vk) {
      if (vk <= 0 || vk > 255) return false;
      keys.insert(vk);
    }
    if (!fields.eof()) return false;  // something that is not a number
  }
  return true;
}

bool ParseHeadlessSwitches(int argc, char** argv, HeadlessSwitches& out, std::vector<std::string>& rest) {
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) {
      ++i;
      break;
    }
    bool ok = true;
    if (std::strcmp(arg, "--headless") == 0) {
      out.headless = true;
    } else if (std::strncmp(arg, "--frames=", 9) == 0) {
      ok = ParseCount(arg + 9, out.frameLimit);
    } else if (std::strcmp(arg, "--help") == 0) {
      out.help = true;
    } else if (std::strcmp(arg, "--test-play") == 0) {
      out.testPlay = true;
    } else if (std::strcmp(arg, "--print-frames") == 0) {
      out.printFrames = true;
    } else if (std::strncmp(arg, "--keys=", 7) == 0) {
      std::string text;
      ok = ReadTextFile(arg + 7, text) && ParseKeyScript(text, out.keysAtPoll);
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "player: bad switch %s\n", arg);
      return false;
    }
  }
  for (; i < argc; ++i) rest.emplace_back(argv[i]);
  return true;
}

void StartHeadlessRun(const HeadlessSwitches& s) {
  if (s.headless) {
    msgbox::SetHeadless(true);
    audio::Configure(audio::Backend::Null, 22050);
    SetMainWindowOpener([](HWND, int, int) { return true; }, nullptr, nullptr);
  }
  if (s.frameLimit > 0 || s.printFrames) video::SetPresenter(std::make_shared<CountingPresenter>(s.frameLimit, s.printFrames));
  if (!s.keysAtPoll.empty()) {
    g_keysAtPoll = s.keysAtPoll;
    SetInputPollHook(&PollHook);
  }
  g_started = s.headless;
}

void EndHeadlessRun() {
  if (!g_started) return;
  // The boxes' texts are the game's (code page 932); the terminal reads UTF-8.
  for (const MessageBoxRecord& box : msgbox::TakeRecords())
    std::fprintf(stderr, "box: %s: %s\n", Cp932ToUtf8(box.caption).c_str(), Cp932ToUtf8(box.text).c_str());
}
