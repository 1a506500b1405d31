#include "platform/win/winapp.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/video/window.h"

namespace {

thread_local DWORD t_lastError = 0;

std::mutex g_classMutex;
std::map<std::string, WNDPROC>& Classes() {
  static std::map<std::string, WNDPROC> classes;
  return classes;
}

std::atomic<void (*)()> g_pump{nullptr};

std::mutex g_folderMutex;
std::string g_mutexFolder;

// A folder that is the user's alone: a real folder (no link), owned by the user, that nobody else
// may write into or list.
bool IsPrivateFolder(const std::string& path) {
  struct stat st{};
  return !path.empty() && path[0] == '/' && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

// The user's runtime folder; when it is unset or not private, a folder of the user's own in the
// cache folder, made private when it is made. "" when there is none (never the shared /tmp).
std::string UserMutexFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && IsPrivateFolder(runtime)) return runtime;
  std::string cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') cache = xdg;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/') cache = std::string(home) + "/.cache";
  if (cache.empty()) return "";
  mkdir(cache.c_str(), 0700);
  std::string folder = cache + "/player-locks";
  mkdir(folder.c_str(), 0700);
  return IsPrivateFolder(folder) ? folder : "";
}

std::string MutexFolder() {
  {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    if (!g_mutexFolder.empty()) return g_mutexFolder;
  }
  return UserMutexFolder();
}

// The file of a mutex name: any text (a folder's path among it) becomes a fixed-length file name.
std::string MutexFileName(const char* name) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (const char* p = name ? name : ""; *p; ++p) {
    h ^= static_cast<unsigned char>(*p);
    h *= 1099511628211ull;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "player-%016llx.lock", static_cast<unsigned long long>(h));
  return buf;
}

struct MutexFile {
  int fd = -1;
  bool owned = false;
  dev_t dev = 0;
  ino_t ino = 0;
};

std::string ReadLink(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// The processes holding a whole-file lock on the file, from the kernel's own list of locks.
std::vector<pid_t> LockHolders(const MutexFile& m) {
  std::vector<pid_t> holders;
  std::ifstream locks("/proc/locks");
  char want[64];
  std::snprintf(want, sizeof want, "%02x:%02x:%llu", major(m.dev), minor(m.dev),
                static_cast<unsigned long long>(m.ino));
  std::string line;
  while (std::getline(locks, line)) {
    // "1: FLOCK  ADVISORY  WRITE 4242 08:01:1234 0 EOF"; waiters are marked "->" and hold nothing.
    char kind[16] = {}, dev[64] = {};
    int pid = 0;
    if (line.find("->") != std::string::npos) continue;
    if (std::sscanf(line.c_str(), "%*d: %15s %*s %*s %d %63s", kind, &pid, dev) != 3) continue;
    if (std::strcmp(kind, "FLOCK") == 0 && std::strcmp(dev, want) == 0 && pid > 0) holders.push_back(pid);
  }
  return holders;
}

std::mutex g_programMutex;
std::string g_program;  // "" : this process's own

// Whether the process runs this same program in this process's current folder.
bool IsThisProgramHere(pid_t pid) {
  std::string program;
  {
    std::lock_guard<std::mutex> lock(g_programMutex);
    program = g_program;
  }
  if (program.empty()) program = ReadLink("/proc/self/exe");
  const std::string proc = "/proc/" + std::to_string(pid);
  const std::string exe = ReadLink(proc + "/exe"), cwd = ReadLink(proc + "/cwd");
  return !exe.empty() && !cwd.empty() && exe == program && cwd == ReadLink("/proc/self/cwd");
}

// Close requests: the signal handler only writes a byte into a pipe; a thread turns it into WM_CLOSE.
constexpr int kCloseSignal = SIGUSR1;
std::atomic<int> g_requestPipe{-1};
std::atomic<bool> g_closeRequested{false};
std::mutex g_listenMutex;
HWND g_listenWindow = nullptr;
bool g_requestWaiting = false;
std::thread g_listener;
int g_pipe[2] = {-1, -1};

void OnCloseSignal(int) {
  const int saved = errno;
  const int fd = g_requestPipe.load();
  const char c = 'c';
  if (fd >= 0) {
    [[maybe_unused]] const ssize_t written = write(fd, &c, 1);  // a full pipe holds requests enough
  }
  errno = saved;
}

void ServeCloseRequests(int fd) {
  char c;
  for (;;) {
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == 'q') return;
    g_closeRequested = true;
    std::lock_guard<std::mutex> lock(g_listenMutex);
    if (g_listenWindow) PostMessage(g_listenWindow, WM_CLOSE, 0, 0);
    else g_requestWaiting = true;
  }
}

}  // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_classMutex);
  auto& classes = Classes();
  if (classes.count(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  classes[wc->lpszClassName] = wc->lpfnWndProc;
  return static_cast<ATOM>(classes.size());
}

void UnregisterClassesStandIn() {
  std::lock_guard<std::mutex> lock(g_classMutex);
  Classes().clear();
}

HWND CreateWindowExA(DWORD, const char* className, const char*, DWORD style, int x, int y, int width,
                     int height, HWND, HANDLE, HINSTANCE, void*) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_classMutex);
    auto it = Classes().find(className ? className : "");
    if (it != Classes().end()) proc = it->second;
  }
  if (!proc) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  HWND hwnd = CreateWindowStandIn(className);
  // The window has no frame of its own: its outer size is its client area.
  video::SetWindowClient(hwnd, x, y, width, height);
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
  SetWindowProcStandIn(hwnd, proc);
  if (proc(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindowStandIn(hwnd);
    return nullptr;
  }
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  if (WNDPROC proc = GetWindowProcStandIn(hwnd)) proc(hwnd, WM_DESTROY, 0, 0);
  DestroyWindowStandIn(hwnd);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  WNDPROC proc = GetWindowProcStandIn(msg->hwnd);
  return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL TranslateMessage(const MSG* msg) { return msg != nullptr; }

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

void PostQuitMessage(int exitCode) {
  PostThreadMessage(GetCurrentThreadId(), WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void SetWindowPumpHook(void (*pump)()) { g_pump.store(pump); }

void RunWindowPumpHook() {
  if (auto pump = g_pump.load()) pump();
}

BOOL WaitMessage() {
  MSG m;
  for (;;) {
    RunWindowPumpHook();
    if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
    // Short waits, so that the display's events are turned into messages while nothing else comes.
    WaitMessageTimeout(g_pump.load() ? 10 : ~0u);
  }
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

HANDLE CreateMutexA(void*, BOOL, const char* name) {
  const std::string folder = MutexFolder();
  if (folder.empty()) return nullptr;
  const std::string path = folder + "/" + MutexFileName(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  struct stat st{};
  // Only a plain file of the user's own, with no second name, is a lock of this program.
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid() || st.st_nlink != 1) {
    close(fd);
    return nullptr;
  }
  auto* m = new MutexFile{fd, false, st.st_dev, st.st_ino};
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    m->owned = true;
    SetLastError(0);
  } else {
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  return m;
}

BOOL ReleaseMutex(HANDLE mutex) {
  auto* m = static_cast<MutexFile*>(mutex);
  if (!m || !m->owned) return FALSE;
  flock(m->fd, LOCK_UN);
  m->owned = false;
  return TRUE;
}

BOOL CloseMutexHandle(HANDLE mutex) {
  auto* m = static_cast<MutexFile*>(mutex);
  if (!m) return FALSE;
  close(m->fd);  // also lets go of a lock still held
  delete m;
  return TRUE;
}

DWORD MutexOwnerProcessId(HANDLE mutex) {
  auto* m = static_cast<MutexFile*>(mutex);
  if (!m || m->owned) return 0;
  for (pid_t pid : LockHolders(*m))
    if (pid != getpid() && IsThisProgramHere(pid)) return static_cast<DWORD>(pid);
  return 0;
}

BOOL CloseMutexOwner(HANDLE mutex, DWORD pid, DWORD waitMs) {
  auto* m = static_cast<MutexFile*>(mutex);
  // Asked again right before the request, so that only the copy found now is asked.
  if (!m || pid == 0 || MutexOwnerProcessId(mutex) != pid) return FALSE;
  if (kill(static_cast<pid_t>(pid), kCloseSignal) != 0) return FALSE;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (flock(m->fd, LOCK_EX | LOCK_NB) == 0) {
      m->owned = true;
      return TRUE;
    }
    if (std::chrono::steady_clock::now() >= end) return FALSE;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ListenForCloseRequests(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_listenMutex);
  g_listenWindow = hwnd;
  if (hwnd && g_requestWaiting) {
    g_requestWaiting = false;
    PostMessage(hwnd, WM_CLOSE, 0, 0);
  }
  if (g_listener.joinable()) return;
  if (pipe2(g_pipe, O_CLOEXEC) != 0) return;
  fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
  g_closeRequested = false;
  g_requestPipe = g_pipe[1];
  struct sigaction action{};
  action.sa_handler = &OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(kCloseSignal, &action, nullptr);
  g_listener = std::thread(&ServeCloseRequests, g_pipe[0]);
}

void StopCloseRequests() {
  std::thread listener;
  {
    std::lock_guard<std::mutex> lock(g_listenMutex);
    g_listenWindow = nullptr;
    g_requestWaiting = false;
    if (!g_listener.joinable()) return;
    // A late request is ignored rather than ending the process as the signal would by default.
    signal(kCloseSignal, SIG_IGN);
    g_requestPipe = -1;
    const char q = 'q';
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &q, 1);
    listener = std::move(g_listener);
  }
  listener.join();
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

bool CloseWasRequested() { return g_closeRequested; }

void SetMutexFolderStandIn(const char* folder) {
  std::lock_guard<std::mutex> lock(g_folderMutex);
  g_mutexFolder = folder ? folder : "";
}

std::string MutexFolderStandIn() { return MutexFolder(); }

void SetThisProgramStandIn(const char* path) {
  std::string program;
  if (path && *path) {
    char* real = realpath(path, nullptr);
    program = real ? real : path;
    std::free(real);
  }
  std::lock_guard<std::mutex> lock(g_programMutex);
  g_program = program;
}
