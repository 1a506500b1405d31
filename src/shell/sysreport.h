// The system report written into the report log at every start, so that a user's log tells the
// game's author what the player ran on, and the small system queries other parts of the program use.
#pragma once
#include <cstdint>

// The processor as CPUID describes it, with its clock.
struct CPUINFO {
  char szBrand[256];   // the 48-byte brand string, zero-filled
  char szVendor[256];  // the 12-byte vendor string, zero-filled
  int32_t bMMX;
  int32_t bSSE;
  int32_t bSSE2;
  int32_t b3DNow;
  int32_t b3DNowExt;
  double dClock;  // Hz
};

// Appends the machine block (OS, processor, memory, disk, display, system font) to the report log.
// 0 when the report log cannot be opened; the block is then skipped.
int SystemReport();
// Appends the display block (mode, depth, then the running back end's own lines; with a non-zero
// argument also the Direct3D format table). 0 when the report log cannot be opened.
int SystemReportMode(int withFormatTable);

// The size of the text WindowsVersionName writes, its end included.
constexpr int kWindowsVersionNameSize = 256;
// The running system's name and version; each argument may be null. The version numbers are those
// of the system version the program behaves as (10.0); the text names the real system.
void WindowsVersionName(char* text, int* major, int* minor);
// Whether the running version is major.minor or later.
bool IsWindowsVersionAtLeast(int major, int minor);

// The display driver's DDI version: 9 on every system this program runs on.
int GetDisplayDdiVersion();

// Hands the queries the graphics library asks to it; the start-up calls it before the library starts.
void RegisterSystemQueries();

// Free and total video memory in megabytes. With DirectDraw running its object is asked; otherwise
// (Direct3D, or before the start) a DirectDraw object is made for the question, so the total is
// never 0 while a display exists. Both 0 when no DirectDraw object can be made.
void GetVideoMemory(int* freeMB, int* totalMB);

// Fills the record from CPUID (all zero without it) and the clock from GetCpuClock.
void GetCpuInfo(CPUINFO* info);
// The processor clock in Hz: the rate the system reports, measured over a short time only when it
// reports none (and measuring is on); 0 when unknown.
double GetCpuClock();
// Turns the fallback measurement of GetCpuClock on or off (on by default); tests turn it off.
void SetCpuClockMeasuring(bool on);
// Bytes free to the caller on the disk of the folder (the current folder for null), at most
// 2^31 - 1; 0 when the query fails.
int GetDiskFree(const char* root);
