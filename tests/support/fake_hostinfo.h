// A machine described by the test: installed as the system-information provider for its lifetime,
// the one before it put back afterwards.
// CPUID answers from a table of leaves; the clock measurement is counted, never waited for.
#pragma once
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "platform/hostinfo/hostinfo.h"

class FakeHostInfo final : public hostinfo::Provider {
 public:
  FakeHostInfo() : previous_(hostinfo::SetHostInfo(this)) {}
  ~FakeHostInfo() override { hostinfo::SetHostInfo(previous_); }
  FakeHostInfo(const FakeHostInfo&) = delete;
  FakeHostInfo& operator=(const FakeHostInfo&) = delete;

  hostinfo::OsVersion version{"Test OS 1.0", 10, 0};
  bool hasCpuid = true;
  std::map<uint32_t, std::array<uint32_t, 4>> leaves;  // missing leaves answer zeros
  double reportedClock = 0;
  double measuredClock = 0;
  int measureCalls = 0;
  int measuredMs = 0;
  hostinfo::MemoryStatus memory;
  bool diskKnown = true;
  uint64_t diskBytes = 0;
  std::string diskPath;  // the last path asked
  bool screenKnown = true;
  int screenWidth = 1920;
  int screenHeight = 1080;
  hostinfo::FontInfo font{"TestFont", 0, 12, 0x22};

  // Leaf 0 with the vendor (12 characters) and the highest basic leaf, leaves 0x80000002-4 with the
  // brand (up to 48 characters) and the highest extended leaf 0x80000004.
  void SetVendor(const char* vendor, uint32_t maxLeaf = 1) {
    uint32_t r[3] = {};
    std::memcpy(r, vendor, std::min<size_t>(std::strlen(vendor), 12));
    leaves[0] = {maxLeaf, r[0], r[2], r[1]};  // EBX, EDX, ECX spell it
  }
  void SetBrand(const char* brand) {
    char bytes[48] = {};
    std::memcpy(bytes, brand, std::min<size_t>(std::strlen(brand), 48));
    for (uint32_t leaf = 0; leaf < 3; ++leaf) {
      std::array<uint32_t, 4> r{};
      std::memcpy(r.data(), bytes + 16 * leaf, 16);
      leaves[0x80000002u + leaf] = r;
    }
    leaves[0x80000000u][0] = 0x80000004u;
  }

  hostinfo::OsVersion Version() override { return version; }
  bool Cpuid(uint32_t leaf, uint32_t regs[4]) override {
    if (!hasCpuid) return false;
    auto it = leaves.find(leaf);
    for (int i = 0; i < 4; ++i) regs[i] = it == leaves.end() ? 0 : it->second[i];
    return true;
  }
  double ReportedCpuClock() override { return reportedClock; }
  double MeasureCpuClock(int milliseconds) override {
    ++measureCalls;
    measuredMs = milliseconds;
    return measuredClock;
  }
  hostinfo::MemoryStatus Memory() override { return memory; }
  bool DiskFree(const std::string& hostPath, uint64_t* bytes) override {
    diskPath = hostPath;
    if (diskKnown) *bytes = diskBytes;
    return diskKnown;
  }
  bool ScreenSize(int* width, int* height) override {
    if (!screenKnown) return false;
    *width = screenWidth;
    *height = screenHeight;
    return true;
  }
  hostinfo::FontInfo SystemFont() override { return font; }

 private:
  hostinfo::Provider* previous_;
};
