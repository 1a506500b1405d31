#include "platform/win/module.h"

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>

#include "platform/audio/ggs4.h"
#include "platform/audio/vox.h"

struct ModuleObject {
  int library;
};

namespace {

struct Export {
  const char* name;
  FARPROC proc;
};

template <class F>
FARPROC Proc(F f) {
  return reinterpret_cast<FARPROC>(f);
}

const Export kVoxExports[] = {{"CreateVox", Proc(CreateVox)}};
const Export kGgs4Exports[] = {
    {"GGS4OpenDevice", Proc(GGS4OpenDevice)},
    {"GGS4CloseDevice", Proc(GGS4CloseDevice)},
    {"GGS4AddDlsW", Proc(GGS4AddDlsW)},
    {"GGS4AddDlsA", Proc(GGS4AddDlsA)},
    {"GGS4Play", Proc(GGS4Play)},
    {"GGS4Stop", Proc(GGS4Stop)},
    {"GGS4Pause", Proc(GGS4Pause)},
    {"GGS4Restart", Proc(GGS4Restart)},
    {"GGS4SetMasterTempo", Proc(GGS4SetMasterTempo)},
    {"GGS4SetMasterVolume", Proc(GGS4SetMasterVolume)},
    {"GGS4SetMasterPitch", Proc(GGS4SetMasterPitch)},
    {"GGS4GetPlayerStatus", Proc(GGS4GetPlayerStatus)},
    {"GGS4AddListFromFileW", Proc(GGS4AddListFromFileW)},
    {"GGS4AddListFromFileA", Proc(GGS4AddListFromFileA)},
    {"GGS4AddListFromMemory", Proc(GGS4AddListFromMemory)},
    {"GGS4DeleteListItem", Proc(GGS4DeleteListItem)},
    {"GGS4ClearList", Proc(GGS4ClearList)},
    {"GGS4EnumList", Proc(GGS4EnumList)},
    {"GGS4GetSmfInformation", Proc(GGS4GetSmfInformation)},
};

struct Library {
  const char* name;
  const Export* exports;
  size_t count;
};
const Library kLibraries[] = {
    {"Vox.dll", kVoxExports, std::size(kVoxExports)},
    {"GuruGuruSMF4.dll", kGgs4Exports, std::size(kGgs4Exports)},
};

std::mutex g_mutex;
std::set<std::string> g_absent;                          // lower-case library names
std::set<std::pair<std::string, std::string>> g_dropped;  // (library, function)
std::atomic<int> g_loaded{0};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

HMODULE Load(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  const std::string name = Lower(cut == std::string::npos ? path : path.substr(cut + 1));
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_absent.count(name)) return nullptr;
  for (size_t i = 0; i < std::size(kLibraries); ++i) {
    if (Lower(kLibraries[i].name) == name) {
      ++g_loaded;
      return new ModuleObject{static_cast<int>(i)};
    }
  }
  return nullptr;
}

}  // namespace

HMODULE LoadLibraryA(const char* file) { return file ? Load(file) : nullptr; }

HMODULE LoadLibraryW(const wchar_t* file) {
  if (!file) return nullptr;
  std::string narrow;
  for (const wchar_t* p = file; *p; ++p) narrow += *p < 0x80 ? static_cast<char>(*p) : '?';
  return Load(narrow);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (!module || !name) return nullptr;
  const Library& lib = kLibraries[module->library];
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_dropped.count({Lower(lib.name), name})) return nullptr;
  for (size_t i = 0; i < lib.count; ++i)
    if (std::string(lib.exports[i].name) == name) return lib.exports[i].proc;
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  if (!module) return FALSE;
  delete module;
  --g_loaded;
  return TRUE;
}

DWORD GetModuleFileNameW(HMODULE, wchar_t* out, DWORD size) {
  if (!out || size == 0) return 0;
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return 0;
  DWORD i = 0;
  for (; i < static_cast<DWORD>(n) && i + 1 < size; ++i) out[i] = static_cast<unsigned char>(path[i]);
  out[i] = 0;
  return i;
}

namespace module {
void SetAbsentForTest(const char* library, bool absent) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (absent)
    g_absent.insert(Lower(library));
  else
    g_absent.erase(Lower(library));
}
void DropFunctionForTest(const char* library, const char* function) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dropped.insert({Lower(library), function});
}
void ResetForTest() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_absent.clear();
  g_dropped.clear();
}
int LoadedCount() { return g_loaded.load(); }
}  // namespace module
