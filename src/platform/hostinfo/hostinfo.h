// What the machine says about itself, for the system report and the version queries: the system's
// name and version, CPUID, the processor clock, memory, free disk space, the screen size and the
// system's font. The machine's own provider asks Linux; tests install a fake in its place.
#pragma once
#include <cstdint>
#include <string>

namespace hostinfo {

struct OsVersion {
  std::string name;  // code page 932
  // The system version the program behaves as: 10.0, so every "6.0 or later" rule holds.
  int major = 10;
  int minor = 0;
};

struct MemoryStatus {
  uint64_t totalPhysical = 0;
  uint64_t availablePhysical = 0;
  uint64_t totalVirtual = 0;
  uint64_t availableVirtual = 0;
};

struct FontInfo {
  std::string face;  // code page 932
  int width = 0;
  int height = 0;
  unsigned pitchAndFamily = 0;
};

class Provider {
 public:
  virtual ~Provider() = default;
  virtual OsVersion Version() = 0;
  // Runs CPUID for the leaf into EAX, EBX, ECX, EDX; false when the processor has no CPUID.
  virtual bool Cpuid(uint32_t leaf, uint32_t regs[4]) = 0;
  // The clock rate in Hz the system reports for the processor; 0 when it reports none.
  virtual double ReportedCpuClock() = 0;
  // The time-stamp counter's rate in Hz measured over about that many milliseconds; 0 when it cannot.
  virtual double MeasureCpuClock(int milliseconds) = 0;
  virtual MemoryStatus Memory() = 0;
  // The bytes available to this user on the file system of a host path; false when it cannot be asked.
  virtual bool DiskFree(const std::string& hostPath, uint64_t* bytes) = 0;
  // The desktop's size; false when no display is known.
  virtual bool ScreenSize(int* width, int* height) = 0;
  // The font the system labels things with: here the face the program's dialogs use.
  virtual FontInfo SystemFont() = 0;
};

// The provider in use: the installed one, otherwise the machine's own.
Provider& HostInfo();
// Installs a provider (tests); null returns to the machine's own. The caller keeps it alive. Returns
// the provider installed before.
Provider* SetHostInfo(Provider* provider);

}  // namespace hostinfo
