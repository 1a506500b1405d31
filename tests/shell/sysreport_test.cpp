#include "shell/sysreport.h"

#include <filesystem>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/text.h"
#include "platform/video/d3d9.h"
#include "platform/video/ddraw.h"
#include "shell/runlogs.h"
#include "support/fake_hostinfo.h"
#include "support/gfx_fixture.h"

namespace {

class SysReportTest : public GfxTest {
 protected:
  void TearDown() override {
    SetDisplayDdiVersionQuery(nullptr);
    SetCpuClockMeasuring(true);
    GfxTest::TearDown();
  }

  // The report log's lines after the "App : ver 914" line of a fresh start.
  std::vector<std::string> ReportAfterStart(int (*report)()) {
    EXPECT_EQ(StartRunLogs(), 1);
    EXPECT_EQ(report(), 1);
    std::vector<std::string> lines = ReportLines();
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
      EXPECT_EQ(lines.front(), "App : ver 914");
      lines.erase(lines.begin());
    }
    return lines;
  }

  std::vector<std::string> ModeReport(int withTable) {
    EXPECT_EQ(ReportLogInit("Report_Game.txt"), 1);
    EXPECT_EQ(SystemReportMode(withTable), 1);
    return ReportLines();
  }

  static bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines)
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }

  FakeHostInfo machine_;
};

TEST_F(SysReportTest, TheMachineBlockFollowsTheVersionLineInItsFormats) {
  machine_.version.name = "Test OS 1.0";
  machine_.SetVendor("GenuineTest");
  machine_.SetBrand("Test CPU @ 2.50GHz");
  machine_.reportedClock = 2500999999.0;  // MHz are truncated
  machine_.memory = {uint64_t(8192) << 20, uint64_t(3) << 18, (uint64_t(3072) << 20) + (uint64_t(1) << 19),
                     uint64_t(100) << 20};
  machine_.diskBytes = uint64_t(10) << 30;
  machine_.font = {"IPAPGothic", 0, 12, 0x22};
  EXPECT_EQ(ReportAfterStart(SystemReport), (std::vector<std::string>{
                                                "OS : Test OS 1.0",
                                                "CPU : GenuineTest Test CPU @ 2.50GHz 2500",
                                                "Mem Total : 8192.000MB",
                                                "Mem Free :   1MB",  // 0.75 MB, three places wide
                                                "Vir Total : 3072.500MB",
                                                "Vir Free : 100MB",
                                                "HD Free : 2048MB",  // 10 GB, clamped to 2^31 - 1 bytes
                                                "Display : (1920,1080)",
                                                "System Font : IPAPGothic (0,12) 34",
                                            }));
  EXPECT_EQ(machine_.diskPath, ".");
}

TEST_F(SysReportTest, UnknownMachineFactsWriteZeros) {
  machine_.hasCpuid = false;
  machine_.diskKnown = false;
  machine_.screenKnown = false;
  SetCpuClockMeasuring(false);
  std::vector<std::string> lines = ReportAfterStart(SystemReport);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], "CPU :   0");
  EXPECT_EQ(lines[6], "HD Free :   0MB");
  EXPECT_EQ(lines[7], "Display : (0,0)");
  EXPECT_EQ(machine_.measureCalls, 0);
}

TEST_F(SysReportTest, ABlockIsSkippedWhenTheReportLogCannotBeOpened) {
  ResetLogsForTest();  // no report log started
  EXPECT_EQ(SystemReport(), 0);
  EXPECT_EQ(SystemReportMode(1), 0);
  // A report log that went away is not made again.
  ASSERT_EQ(StartRunLogs(), 1);
  std::filesystem::remove("Report_Game.txt");
  EXPECT_EQ(SystemReport(), 0);
  EXPECT_EQ(SystemReportMode(0), 0);
  EXPECT_FALSE(std::filesystem::exists("Report_Game.txt"));
}

TEST_F(SysReportTest, CpuInfoReadsTheFeatureBitsAndLeavesWhatTheProcessorLacks) {
  struct Case {
    const char* name;
    bool cpuid;
    uint32_t maxLeaf;
    uint32_t leaf1Edx;
    uint32_t maxExtLeaf;
    uint32_t ext1Edx;
    const char* vendor;
    const char* brand;
    int mmx, sse, sse2, now, nowExt;
  };
  const Case cases[] = {
      {"no cpuid", false, 1, ~0u, 0x80000004u, ~0u, "", "", 0, 0, 0, 0, 0},
      {"no leaf 1", true, 0, ~0u, 0x80000004u, ~0u, "", "", 0, 0, 0, 0, 0},
      {"basic leaves only", true, 1, (1u << 23) | (1u << 26), 0, ~0u, "VendorName12", "", 1, 0, 1, 0, 0},
      {"no brand leaves", true, 1, 1u << 25, 0x80000001u, 1u << 31, "VendorName12", "", 0, 1, 0, 1, 0},
      {"everything", true, 2, ~0u, 0x80000008u, 1u << 30, "VendorName12", "Brand", 1, 1, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHostInfo m;
    m.hasCpuid = c.cpuid;
    m.SetVendor("VendorName12", c.maxLeaf);
    m.SetBrand("Brand");
    m.leaves[1] = {0, 0, 0, c.leaf1Edx};
    m.leaves[0x80000000u] = {c.maxExtLeaf, 0, 0, 0};
    m.leaves[0x80000001u] = {0, 0, 0, c.ext1Edx};
    m.reportedClock = 3.0e9;
    CPUINFO info;
    std::memset(&info, 0x55, sizeof info);
    GetCpuInfo(&info);
    EXPECT_STREQ(info.szVendor, c.vendor);
    EXPECT_STREQ(info.szBrand, c.brand);
    EXPECT_EQ(info.szBrand[255], 0);
    EXPECT_EQ((std::vector<int>{info.bMMX, info.bSSE, info.bSSE2, info.b3DNow, info.b3DNowExt}),
              (std::vector<int>{c.mmx, c.sse, c.sse2, c.now, c.nowExt}));
    EXPECT_EQ(info.dClock, 3.0e9);
  }
}

TEST_F(SysReportTest, TheClockIsMeasuredBrieflyOnlyWhenTheSystemReportsNone) {
  machine_.reportedClock = 2.0e9;
  machine_.measuredClock = 1.5e9;
  EXPECT_EQ(GetCpuClock(), 2.0e9);
  EXPECT_EQ(machine_.measureCalls, 0);
  machine_.reportedClock = 0;
  EXPECT_EQ(GetCpuClock(), 1.5e9);
  EXPECT_EQ(machine_.measureCalls, 1);
  EXPECT_LE(machine_.measuredMs, 100);
  SetCpuClockMeasuring(false);
  EXPECT_EQ(GetCpuClock(), 0.0);
  EXPECT_EQ(machine_.measureCalls, 1);
}

TEST_F(SysReportTest, DiskFreeIsClampedTo31Bits) {
  const struct {
    bool known;
    uint64_t bytes;
    int expected;
  } cases[] = {
      {true, 5000, 5000},
      {true, 0x7FFFFFFFu, 0x7FFFFFFF},
      {true, 0x80000000u, 0x7FFFFFFF},
      {true, uint64_t(10) << 30, 0x7FFFFFFF},
      {true, 0x100000005ull, 0x7FFFFFFF},  // not the low 32 bits
      {false, 5000, 0},
  };
  for (const auto& c : cases) {
    machine_.diskKnown = c.known;
    machine_.diskBytes = c.bytes;
    EXPECT_EQ(GetDiskFree(nullptr), c.expected) << c.bytes;
  }
}

TEST_F(SysReportTest, VersionQueriesCompareMajorThenMinor) {
  machine_.version = {"Test OS", 6, 1};
  const struct {
    int major, minor;
    bool atLeast;
  } cases[] = {{5, 9, true}, {6, 0, true}, {6, 1, true}, {6, 2, false}, {7, 0, false}};
  for (const auto& c : cases) EXPECT_EQ(IsWindowsVersionAtLeast(c.major, c.minor), c.atLeast) << c.major << c.minor;

  // A long name is cut to the buffer without splitting a two-byte character.
  std::string name(254, 'a');
  name += "\x82\xa0\x82\xa0";  // two two-byte characters across the last byte
  machine_.version = {name, 10, 0};
  char text[kWindowsVersionNameSize];
  int major = 0, minor = -1;
  WindowsVersionName(text, &major, &minor);
  EXPECT_EQ(std::string(text), std::string(254, 'a'));
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, 0);
}

TEST_F(SysReportTest, TheMachinesOwnVersionIsTenSoLaterSystemRulesHold) {
  hostinfo::Provider* fake = hostinfo::SetHostInfo(nullptr);
  EXPECT_TRUE(IsWindowsVersionAtLeast(6, 0));
  EXPECT_FALSE(IsWindowsVersionAtLeast(10, 1));
  char text[kWindowsVersionNameSize];
  WindowsVersionName(text, nullptr, nullptr);
  EXPECT_GT(std::strlen(text), 0u);
  hostinfo::SetHostInfo(fake);
}

TEST_F(SysReportTest, DirectDrawWritesVideoMemoryAndRefreshRateButNoAdapterBlock) {
  ASSERT_TRUE(Start(kDirectDraw, 32, 1));
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY;
  DWORD total = 0, free = 0;
  ASSERT_EQ(lpDD->GetAvailableVidMem(&caps, &total, &free), DD_OK);
  EXPECT_EQ(ModeReport(1), (std::vector<std::string>{"Mode : Window", "Bpp : 32", "VRAM Total : 256.000MB",
                                                     StrPrintf("VRAM Free : %.3fMB", free / 1048576.0), "RR : 60"}));
  DDRelease();
  ASSERT_TRUE(Start(kDirectDraw, 16, 0));
  std::vector<std::string> lines = ModeReport(1);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Mode : Fullscreen");
  EXPECT_EQ(lines[1], "Bpp : 16");
  EXPECT_FALSE(HasPrefix(lines, "---"));
}

TEST_F(SysReportTest, Direct3DWritesTheAdapterAndTheFormatTableButNoVideoMemory) {
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(ModeReport(1), (std::vector<std::string>{
                               "Mode : Window",
                               "Bpp : 32",
                               "---デバイス0",
                               "Description : Software rasterizer",
                               "Driver : software 0",
                               "TextureMaxSize : (4096,4096)",
                               "TextureMaxBlend : (8,8)",
                               "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD",
                               "D3DCAPS2_DYNAMICTEXTURES",
                               "AU-SU× AU-TE× ",
                               "DE-SU× DE-TE× ",
                               "DM-SU× DM-TE× ",
                               "DO-SU？ DO-TE？ ",
                               "DY-SU？ DY-TE○ ",
                               "NP-SU？ NP-TE？ ",
                               "PO-SU？ PO-TE？ ",
                               "RT-SU？ RT-TE？ ",
                               "RE-SU○ RE-TE○ ",
                               "SO-SU？ SO-TE？ ",
                               "WR-SU？ WR-TE？ ",
                           }));
}

TEST_F(SysReportTest, Direct3DCapabilityLinesFollowTheDeviceAndTheTableIsOptional) {
  video::test::SetTextureLimits({true, true, 1024, 512});
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  std::vector<std::string> lines = ModeReport(0);
  EXPECT_TRUE(Has(lines, "TextureMaxSize : (1024,512)"));
  EXPECT_TRUE(Has(lines, "D3DPTEXTURECAPS_POW2"));
  EXPECT_TRUE(Has(lines, "D3DPTEXTURECAPS_SQUAREONLY"));
  EXPECT_FALSE(HasPrefix(lines, "AU-SU"));
  EXPECT_FALSE(HasPrefix(lines, "VRAM"));
}

TEST_F(SysReportTest, VideoMemoryHasATotalInEveryBackEnd) {
  int free = -1, total = -1;
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  EXPECT_EQ(free, 253);  // VirBackBuffer and WorkSD take 2.3 MB of it
  DDRelease();
  ASSERT_TRUE(Start(kDirectDraw, 32, 0));
  GetVideoMemory(&free, &total);
  EXPECT_EQ(total, 256);
  EXPECT_LT(free, 256);
}

TEST_F(SysReportTest, TheGraphicsLibraryAsksTheRegisteredDriverQuery) {
  SetDisplayDdiVersionQuery([] { return 8; });
  EXPECT_FALSE(Start(kDirect3D, 32, 1));
  DDRelease();
  RegisterSystemQueries();
  EXPECT_TRUE(Start(kDirect3D, 32, 1));
}

}  // namespace
