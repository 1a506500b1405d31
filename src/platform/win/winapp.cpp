#include "platform/win/winapp.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/text/cp932.h"
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

// Where the mutex files of the user live.
std::string MutexPath(const char* name) {
  std::string folder;
  {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    folder = g_mutexFolder;
  }
  if (folder.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    folder = runtime && *runtime ? runtime : "/tmp";
  }
  std::string file = Cp932ToUtf8(name ? name : "");
  for (char& c : file)
    if (c == '/') c = '_';
  return folder + "/" + file + "." + std::to_string(getuid()) + ".lock";
}

struct MutexFile {
  int fd = -1;
  bool owned = false;
};

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
  std::string path = MutexPath(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  auto* m = new MutexFile{fd, false};
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    m->owned = true;
    std::string pid = std::to_string(getpid());
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size()))
      std::fprintf(stderr, "cannot record the process in %s\n", path.c_str());
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

DWORD MutexOwnerProcessId(const char* name) {
  std::string path = MutexPath(name);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  DWORD pid = 0;
  // Held by someone only while the lock cannot be taken.
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    char buf[32] = {};
    ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n > 0) pid = static_cast<DWORD>(std::strtoul(buf, nullptr, 10));
  } else {
    flock(fd, LOCK_UN);
  }
  close(fd);
  return pid == static_cast<DWORD>(getpid()) ? 0 : pid;
}

BOOL TerminateProcessById(DWORD pid, DWORD waitMs) {
  if (pid == 0 || pid == static_cast<DWORD>(getpid())) return FALSE;
  if (kill(static_cast<pid_t>(pid), SIGKILL) != 0) return FALSE;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while (kill(static_cast<pid_t>(pid), 0) == 0 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return TRUE;
}

void SetMutexFolderStandIn(const char* folder) {
  std::lock_guard<std::mutex> lock(g_folderMutex);
  g_mutexFolder = folder ? folder : "";
}
