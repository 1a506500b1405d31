#include "shell/sysreport.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "core/log.h"
#include "core/text.h"
#include "gfx/globals.h"
#include "gfx/init.h"
#include "platform/fs/path.h"
#include "platform/hostinfo/hostinfo.h"
#include "platform/video/d3d9.h"
#include "platform/video/ddraw.h"

namespace {

constexpr double kMB = 1048576.0;
// Long enough to tell the clock, short enough for the start-up.
constexpr int kClockMeasureMs = 100;
std::atomic<bool> g_bMeasureCpuClock{true};

// The report block, written to the report log as a text-mode file writes it: line ends as CR LF.
class ReportBlock {
 public:
  explicit ReportBlock(FILE* f) : f_(f) {}
  ~ReportBlock() {
    std::string out;
    out.reserve(text_.size() + 32);
    for (char c : text_) {
      if (c == '\n') out += "\r\n";
      else out.push_back(c);
    }
    std::fwrite(out.data(), 1, out.size(), f_);
    std::fclose(f_);
  }
  ReportBlock(const ReportBlock&) = delete;
  ReportBlock& operator=(const ReportBlock&) = delete;
  std::string& text() { return text_; }

 private:
  FILE* f_;
  std::string text_;
};

// The report log opened for update and positioned at its end; null when it cannot be opened.
FILE* OpenReportLog() {
  if (ReportLogPath().empty()) return nullptr;
  FILE* f = OpenGameFile(ReportLogPath(), "rb+");
  if (f) std::fseek(f, 0, SEEK_END);
  return f;
}

// The four bytes of a register as text, lowest first, as CPUID spells vendor and brand.
void PutRegister(char* to, uint32_t reg) {
  for (int i = 0; i < 4; ++i) to[i] = static_cast<char>((reg >> (8 * i)) & 0xFF);
}

void WriteDirectDrawLines(std::string& out) {
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY;
  DWORD total = 0, free = 0;
  lpDD->GetAvailableVidMem(&caps, &total, &free);
  StrAppendF(out, "VRAM Total : %.3fMB\n", total / kMB);
  StrAppendF(out, "VRAM Free : %.3fMB\n", free / kMB);
  DWORD hz = 0;
  if (FAILED(lpDD->GetMonitorFrequency(&hz))) hz = 0;
  StrAppendF(out, "RR : %u\n", static_cast<unsigned>(hz));
}

void WriteAdapterLines(std::string& out, UINT adapter) {
  StrAppendF(out, "---デバイス%d\n", static_cast<int>(adapter));
  D3DADAPTER_IDENTIFIER9 id{};
  if (SUCCEEDED(lpD3D->GetAdapterIdentifier(adapter, 0, &id))) {
    StrAppendF(out, "Description : %s\n", id.Description);
    StrAppendF(out, "Driver : %s %d\n", id.Driver, static_cast<int>(id.DriverVersion.LowPart));
  }
  D3DCAPS9 caps{};
  if (FAILED(lpD3D->GetDeviceCaps(adapter, lpDTCon->DeviceType, &caps))) return;
  StrAppendF(out, "TextureMaxSize : (%d,%d)\n", static_cast<int>(caps.MaxTextureWidth),
             static_cast<int>(caps.MaxTextureHeight));
  StrAppendF(out, "TextureMaxBlend : (%d,%d)\n", static_cast<int>(caps.MaxTextureBlendStages),
             static_cast<int>(caps.MaxSimultaneousTextures));
  if (caps.Caps3 & D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD) out += "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD\n";
  if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) out += "D3DPTEXTURECAPS_POW2\n";
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) out += "D3DPTEXTURECAPS_SQUAREONLY\n";
  if (caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES) out += "D3DCAPS2_DYNAMICTEXTURES\n";
}

struct FormatUsage {
  DWORD usage;
  const char* surfaceLabel;
  const char* textureLabel;
};

constexpr FormatUsage kFormatUsages[] = {
    {D3DUSAGE_AUTOGENMIPMAP, "AU-SU", "AU-TE"},      {D3DUSAGE_DEPTHSTENCIL, "DE-SU", "DE-TE"},
    {D3DUSAGE_DMAP, "DM-SU", "DM-TE"},               {D3DUSAGE_DONOTCLIP, "DO-SU", "DO-TE"},
    {D3DUSAGE_DYNAMIC, "DY-SU", "DY-TE"},            {D3DUSAGE_NPATCHES, "NP-SU", "NP-TE"},
    {D3DUSAGE_POINTS, "PO-SU", "PO-TE"},             {D3DUSAGE_RTPATCHES, "RT-SU", "RT-TE"},
    {D3DUSAGE_RENDERTARGET, "RE-SU", "RE-TE"},       {D3DUSAGE_SOFTWAREPROCESSING, "SO-SU", "SO-TE"},
    {D3DUSAGE_WRITEONLY, "WR-SU", "WR-TE"},
};
static_assert(std::size(kFormatUsages) == 11);

const char* FormatMark(HRESULT hr) {
  if (SUCCEEDED(hr)) return "○ ";
  if (hr == D3DERR_NOTAVAILABLE) return "× ";
  if (hr == D3DERR_INVALIDCALL) return "？ ";
  return "－ ";
}

// Whether the display format serves, as a surface and as a texture, for each usage.
void WriteFormatTable(std::string& out) {
  const D3DFORMAT format = lpDTCon->DisplayFormat;
  for (const FormatUsage& u : kFormatUsages) {
    const HRESULT surface =
        lpD3D->CheckDeviceFormat(lpDTCon->nAdapter, lpDTCon->DeviceType, format, u.usage, D3DRTYPE_SURFACE, format);
    const HRESULT texture =
        lpD3D->CheckDeviceFormat(lpDTCon->nAdapter, lpDTCon->DeviceType, format, u.usage, D3DRTYPE_TEXTURE, format);
    StrAppendF(out, "%s%s%s%s\n", u.surfaceLabel, FormatMark(surface), u.textureLabel, FormatMark(texture));
  }
}

}  // namespace

int SystemReport() {
  FILE* f = OpenReportLog();
  if (!f) return 0;
  ReportBlock block(f);
  std::string& out = block.text();

  char os[kWindowsVersionNameSize];
  WindowsVersionName(os, nullptr, nullptr);
  StrAppendF(out, "OS : %s\n", os);

  CPUINFO cpu;
  GetCpuInfo(&cpu);
  StrAppendF(out, "CPU : %s %s %d\n", cpu.szVendor, cpu.szBrand, static_cast<int>(cpu.dClock * 1e-6));

  const hostinfo::MemoryStatus mem = hostinfo::HostInfo().Memory();
  StrAppendF(out, "Mem Total : %.3fMB\n", mem.totalPhysical / kMB);
  StrAppendF(out, "Mem Free : %3.fMB\n", mem.availablePhysical / kMB);
  StrAppendF(out, "Vir Total : %.3fMB\n", mem.totalVirtual / kMB);
  StrAppendF(out, "Vir Free : %3.fMB\n", mem.availableVirtual / kMB);

  StrAppendF(out, "HD Free : %3.fMB\n", GetDiskFree(nullptr) / kMB);

  int width = 0, height = 0;
  if (!hostinfo::HostInfo().ScreenSize(&width, &height)) width = height = 0;
  StrAppendF(out, "Display : (%d,%d)\n", width, height);

  const hostinfo::FontInfo font = hostinfo::HostInfo().SystemFont();
  StrAppendF(out, "System Font : %s (%d,%d) %u\n", font.face.c_str(), font.width, font.height, font.pitchAndFamily);
  return 1;
}

int SystemReportMode(int withFormatTable) {
  FILE* f = OpenReportLog();
  if (!f) return 0;
  ReportBlock block(f);
  std::string& out = block.text();
  out += DDWindowMode ? "Mode : Window\n" : "Mode : Fullscreen\n";
  StrAppendF(out, "Bpp : %d\n", DDScreenBpp);
  if (lpDD) WriteDirectDrawLines(out);
  // Direct3D: no diagnostic service stands behind the emulation, so the block starts with the
  // adapters.
  if (lpDTCon && lpD3D) {
    const UINT adapters = lpD3D->GetAdapterCount();
    for (UINT n = 0; n < adapters; ++n) WriteAdapterLines(out, n);
    if (withFormatTable) WriteFormatTable(out);
  }
  return 1;
}

void WindowsVersionName(char* text, int* major, int* minor) {
  const hostinfo::OsVersion v = hostinfo::HostInfo().Version();
  if (text) {
    const std::string name = SjisCut(v.name, kWindowsVersionNameSize - 1);
    std::memcpy(text, name.c_str(), name.size() + 1);
  }
  if (major) *major = v.major;
  if (minor) *minor = v.minor;
}

bool IsWindowsVersionAtLeast(int major, int minor) {
  int runningMajor = 0, runningMinor = 0;
  WindowsVersionName(nullptr, &runningMajor, &runningMinor);
  return runningMajor > major || (runningMajor == major && runningMinor >= minor);
}

int GetDisplayDdiVersion() {
  // The answer on every system version from 6.0 on.
  return 9;
}

void RegisterSystemQueries() {
  SetDisplayDdiVersionQuery(GetDisplayDdiVersion);
  SetVideoMemoryQuery(GetVideoMemory);
}

void GetVideoMemory(int* freeMB, int* totalMB) {
  DWORD total = 0, free = 0;
  IDirectDraw7* dd = lpDD;
  bool own = false;
  if (!dd) own = SUCCEEDED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr));
  if (dd) {
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY;
    dd->GetAvailableVidMem(&caps, &total, &free);
    if (own) dd->Release();
  }
  if (freeMB) *freeMB = static_cast<int>(free >> 20);
  if (totalMB) *totalMB = static_cast<int>(total >> 20);
}

void GetCpuInfo(CPUINFO* info) {
  std::memset(info, 0, sizeof *info);
  hostinfo::Provider& machine = hostinfo::HostInfo();
  uint32_t r[4] = {};
  if (machine.Cpuid(0, r) && r[0] >= 1) {
    PutRegister(info->szVendor, r[1]);
    PutRegister(info->szVendor + 4, r[3]);
    PutRegister(info->szVendor + 8, r[2]);
    uint32_t features[4] = {};
    machine.Cpuid(1, features);
    info->bMMX = (features[3] >> 23) & 1;
    info->bSSE = (features[3] >> 25) & 1;
    info->bSSE2 = (features[3] >> 26) & 1;
    uint32_t ext[4] = {};
    machine.Cpuid(0x80000000u, ext);
    const uint32_t maxExt = ext[0];
    if (maxExt >= 0x80000001u) {
      uint32_t amd[4] = {};
      machine.Cpuid(0x80000001u, amd);
      info->b3DNow = (amd[3] >> 31) & 1;
      info->b3DNowExt = (amd[3] >> 30) & 1;
    }
    if (maxExt >= 0x80000004u) {
      for (uint32_t leaf = 0; leaf < 3; ++leaf) {
        uint32_t brand[4] = {};
        machine.Cpuid(0x80000002u + leaf, brand);
        for (int i = 0; i < 4; ++i) PutRegister(info->szBrand + 16 * leaf + 4 * i, brand[i]);
      }
    }
  }
  info->dClock = GetCpuClock();
}

double GetCpuClock() {
  hostinfo::Provider& machine = hostinfo::HostInfo();
  double hz = machine.ReportedCpuClock();
  if (hz <= 0 && g_bMeasureCpuClock.load()) hz = machine.MeasureCpuClock(kClockMeasureMs);
  return hz > 0 ? hz : 0;
}

void SetCpuClockMeasuring(bool on) { g_bMeasureCpuClock.store(on); }

int GetDiskFree(const char* root) {
  const std::string path = root ? ResolveHostPath(root) : std::string(".");
  uint64_t bytes = 0;
  if (path.empty() || !hostinfo::HostInfo().DiskFree(path, &bytes)) return 0;
  return bytes > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(bytes);
}
