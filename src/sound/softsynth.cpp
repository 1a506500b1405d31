#include "sound/softsynth.h"

#include <cwchar>
#include <string>

#include "core/paths.h"
#include "sound/bgmslots.h"
#include "sound/midifile.h"

namespace {

const char* const kFunctionNames[] = {
    "GGS4OpenDevice",        "GGS4CloseDevice",       "GGS4AddDlsW",         "GGS4AddDlsA",
    "GGS4Play",              "GGS4Stop",              "GGS4Pause",           "GGS4Restart",
    "GGS4SetMasterTempo",    "GGS4SetMasterVolume",   "GGS4SetMasterPitch",  "GGS4GetPlayerStatus",
    "GGS4AddListFromFileW",  "GGS4AddListFromFileA",  "GGS4AddListFromMemory", "GGS4DeleteListItem",
    "GGS4ClearList",         "GGS4EnumList",          "GGS4GetSmfInformation",
};
enum Fn {
  kOpenDevice, kCloseDevice, kAddDlsW, kAddDlsA, kPlay, kStop, kPause, kRestart, kSetMasterTempo,
  kSetMasterVolume, kSetMasterPitch, kGetPlayerStatus, kAddListFromFileW, kAddListFromFileA,
  kAddListFromMemory, kDeleteListItem, kClearList, kEnumList, kGetSmfInformation, kFunctionCount
};
static_assert(std::size(kFunctionNames) == kFunctionCount);

HMODULE g_hSoftSynth = nullptr;
FARPROC g_pFunctions[kFunctionCount] = {};
cSoftSynthLib* g_pInstance = nullptr;

template <class F>
F Fetch(Fn fn) {
  return reinterpret_cast<F>(g_pFunctions[fn]);
}

// The library keeps a file for playing only when the program's own reader accepts it.
std::vector<uint8_t> CheckMidiFile(const char* file, const std::vector<uint8_t>& bytes) {
  struct Checker : cMidiFile {
    explicit Checker(const char* name) { m_strFile = name; }
  } checker(file);
  return checker.Parse(bytes.data(), bytes.size());
}

}  // namespace

int cSoftSynthLib::GGS4OpenDevice(int device, int window) {
  auto f = Fetch<int (*)(int, int)>(kOpenDevice);
  return f ? f(device, window) : kMissing;
}
void cSoftSynthLib::GGS4CloseDevice() {
  if (auto f = Fetch<void (*)()>(kCloseDevice)) f();
}
int cSoftSynthLib::GGS4Play(int options, int listNumber, int a, int b, int c) {
  auto f = Fetch<int (*)(int, int, int, int, int)>(kPlay);
  return f ? f(options, listNumber, a, b, c) : kMissing;
}
void cSoftSynthLib::GGS4Stop(int fade) {
  if (auto f = Fetch<void (*)(int)>(kStop)) f(fade);
}
void cSoftSynthLib::GGS4Pause() {
  if (auto f = Fetch<void (*)()>(kPause)) f();
}
void cSoftSynthLib::GGS4SetMasterVolume(int volume) {
  if (auto f = Fetch<void (*)(int)>(kSetMasterVolume)) f(volume);
}
void cSoftSynthLib::GGS4GetPlayerStatus(GGS4PLAYERSTATUS* status, int size) {
  if (auto f = Fetch<void (*)(GGS4PLAYERSTATUS*, int)>(kGetPlayerStatus)) f(status, size);
}
int cSoftSynthLib::GGS4AddListFromFileA(const char* file, int options, int listNumber) {
  auto f = Fetch<int (*)(const char*, int, int)>(kAddListFromFileA);
  return f ? f(file, options, listNumber) : kMissing;
}

int SoftSynthLoad() {
  if (g_hSoftSynth) return 0;
  wchar_t exe[4096];
  if (GetModuleFileNameW(nullptr, exe, 4096) == 0) return 1;
  std::wstring folder(exe);
  const size_t cut = folder.find_last_of(L"/\\");
  folder = cut == std::wstring::npos ? L"" : folder.substr(0, cut + 1);
  wchar_t path[4096];
  std::swprintf(path, 4096, L"%ls%ls%ls", L"", folder.c_str(), L"GuruGuruSMF4.dll");
  g_hSoftSynth = LoadLibraryW(path);
  if (!g_hSoftSynth) return 1;
  for (int i = 0; i < kFunctionCount; ++i) g_pFunctions[i] = GetProcAddress(g_hSoftSynth, kFunctionNames[i]);
  ggs4::SetFileCheck(CheckMidiFile);
  return 0;
}

cSoftSynthLib* SoftSynthInstance() {
  if (!g_pInstance) g_pInstance = new cSoftSynthLib;
  return g_pInstance;
}

void SoftSynthClose() {
  SoftSynthInstance()->GGS4CloseDevice();
  delete g_pInstance;
  g_pInstance = nullptr;
  if (g_hSoftSynth) FreeLibrary(g_hSoftSynth);
  g_hSoftSynth = nullptr;
  for (FARPROC& f : g_pFunctions) f = nullptr;
}

bool cSoftSynth::Open(int directMusic) {
  if (SoftSynthLoad() != 0) return false;
  if (SoftSynthInstance()->GGS4OpenDevice(directMusic ? -1100 : -1, 0) != 0) {
    SoftSynthClose();  // unloaded, so that a later open loads it afresh
    return false;
  }
  *this = cSoftSynth{};
  return true;
}

bool cSoftSynth::Play(int slot, BgmMidiSlot* entry, int loop, int volume) {
  Stop(1);
  std::string ext;
  if (!entry || !PathGetExt(ext, entry->szFile) || ext != "mid") return false;
  cSoftSynthLib* lib = SoftSynthInstance();
  if (lib->GGS4AddListFromFileA(entry->szFile.c_str(), 0, slot) != 0) return false;
  m_nMasterVolume = -127 - static_cast<int>(volume * -1.27);
  lib->GGS4SetMasterVolume(m_nMasterVolume);
  lib->GGS4Play(loop ? 1 : 0, slot, 0, 0, 0);
  m_nSlot = slot;
  return true;
}

void cSoftSynth::Stop(int pause) {
  cSoftSynthLib* lib = SoftSynthInstance();
  GGS4PLAYERSTATUS status{};
  lib->GGS4GetPlayerStatus(&status, sizeof status);
  if (status.State == 1) {
    m_nLastSlot = m_nSlot;
    m_nLastPosition = status.Tick;
    m_nLastVolume = m_nMasterVolume;
  }
  if (pause)
    lib->GGS4Pause();
  else
    lib->GGS4Stop(0);
}
