#include "platform/hostinfo/hostinfo.h"

#include <SDL.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/text/cp932.h"
#include "platform/text/fontface.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define SYSINFO_X86 1
#endif

namespace hostinfo {

namespace {

// One "KEY=value" entry of /etc/os-release, its quotes taken off.
std::string OsReleaseValue(const std::string& key) {
  std::ifstream in("/etc/os-release");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::string value = line.substr(key.size() + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return "";
}

// The first number of a text file, such as a frequency under /sys; 0 when there is none.
double ReadNumber(const char* path) {
  std::ifstream in(path);
  double value = 0;
  if (!(in >> value) || value < 0) return 0;
  return value;
}

// "cpu MHz" of the first processor in /proc/cpuinfo, in MHz; 0 when absent.
double CpuinfoMhz() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("cpu MHz", 0) != 0) continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) return 0;
    double mhz = std::strtod(line.c_str() + colon + 1, nullptr);
    return mhz > 0 ? mhz : 0;
  }
  return 0;
}

// A /proc/meminfo entry in bytes; false when absent.
bool MemInfoBytes(const std::string& key, uint64_t* bytes) {
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + ":", 0) != 0) continue;
    std::istringstream fields(line.substr(key.size() + 1));
    uint64_t kb = 0;
    if (!(fields >> kb)) return false;
    *bytes = kb * 1024;
    return true;
  }
  return false;
}

class LinuxProvider final : public Provider {
 public:
  OsVersion Version() override {
    OsVersion v;
    std::string pretty = OsReleaseValue("PRETTY_NAME");
    if (pretty.empty()) pretty = OsReleaseValue("NAME");
    utsname u{};
    std::string name = pretty;
    if (uname(&u) == 0) {
      for (const char* part : {u.sysname, u.release, u.machine}) {
        if (!name.empty()) name += ' ';
        name += part;
      }
    }
    v.name = Utf8ToCp932(name.empty() ? "Linux" : name);
    return v;
  }

  bool Cpuid(uint32_t leaf, uint32_t regs[4]) override {
#ifdef SYSINFO_X86
    if (__get_cpuid_max(0, nullptr) == 0) return false;
    __cpuid(leaf, regs[0], regs[1], regs[2], regs[3]);
    return true;
#else
    (void)leaf;
    (void)regs;
    return false;
#endif
  }

  // The base clock where the frequency driver tells it, else the highest, else the clock the
  // processor list shows; the time-stamp counter runs at the first.
  double ReportedCpuClock() override {
    double khz = ReadNumber("/sys/devices/system/cpu/cpu0/cpufreq/base_frequency");
    if (khz <= 0) khz = ReadNumber("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    if (khz > 0) return khz * 1e3;
    return CpuinfoMhz() * 1e6;
  }

  double MeasureCpuClock(int milliseconds) override {
#ifdef SYSINFO_X86
    using Clock = std::chrono::steady_clock;
    const auto wait = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 1);
    const Clock::time_point start = Clock::now();
    const uint64_t ticks0 = __rdtsc();
    Clock::time_point now;
    do {
      now = Clock::now();
    } while (now - start < wait);
    const uint64_t ticks1 = __rdtsc();
    const double seconds = std::chrono::duration<double>(now - start).count();
    return seconds > 0 ? static_cast<double>(ticks1 - ticks0) / seconds : 0;
#else
    (void)milliseconds;
    return 0;
#endif
  }

  // Physical memory from sysinfo, the available part as the kernel estimates it. The virtual
  // figures stand for the commit limit: what the system lets processes commit, and what is left.
  MemoryStatus Memory() override {
    MemoryStatus m;
    struct sysinfo info {};
    if (::sysinfo(&info) == 0) {
      const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
      m.totalPhysical = uint64_t(info.totalram) * unit;
      m.availablePhysical = uint64_t(info.freeram) * unit;
      m.totalVirtual = (uint64_t(info.totalram) + info.totalswap) * unit;
      m.availableVirtual = (uint64_t(info.freeram) + info.freeswap) * unit;
    }
    uint64_t available = 0, limit = 0, committed = 0;
    if (MemInfoBytes("MemAvailable", &available)) m.availablePhysical = available;
    if (MemInfoBytes("CommitLimit", &limit) && MemInfoBytes("Committed_AS", &committed)) {
      m.totalVirtual = limit;
      m.availableVirtual = committed < limit ? limit - committed : 0;
    }
    return m;
  }

  bool DiskFree(const std::string& hostPath, uint64_t* bytes) override {
    struct statvfs fs {};
    if (statvfs(hostPath.c_str(), &fs) != 0) return false;
    *bytes = uint64_t(fs.f_bavail) * fs.f_frsize;
    return true;
  }

  bool ScreenSize(int* width, int* height) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    *width = mode.w;
    *height = mode.h;
    return true;
  }

  // The dialogs' face, 9 points at 96 dots an inch, proportional and without serifs.
  FontInfo SystemFont() override {
    FontInfo f;
    const int height = 12;
    f.face = Utf8ToCp932(text::OpenFace(Utf8ToCp932("ＭＳ Ｐゴシック"), height, 0)->Family());
    f.width = 0;
    f.height = height;
    f.pitchAndFamily = 0x22;  // VARIABLE_PITCH | FF_SWISS
    return f;
  }
};

std::atomic<Provider*> g_installed{nullptr};

}  // namespace

Provider& HostInfo() {
  static LinuxProvider machine;
  Provider* installed = g_installed.load();
  return installed ? *installed : machine;
}

Provider* SetHostInfo(Provider* provider) { return g_installed.exchange(provider); }

}  // namespace hostinfo
