#include "platform/hostinfo/hostinfo.h"

#include <gtest/gtest.h>

// The machine's own provider answers from the running system.
TEST(HostInfoTest, TheMachineDescribesItself) {
  hostinfo::Provider& machine = hostinfo::HostInfo();
  const hostinfo::OsVersion v = machine.Version();
  EXPECT_FALSE(v.name.empty());
  EXPECT_EQ(v.major, 10);
  EXPECT_EQ(v.minor, 0);

  const hostinfo::MemoryStatus m = machine.Memory();
  EXPECT_GT(m.totalPhysical, 0u);
  EXPECT_LE(m.availablePhysical, m.totalPhysical);
  EXPECT_GT(m.totalVirtual, 0u);
  EXPECT_LE(m.availableVirtual, m.totalVirtual);

  uint64_t free = 0;
  EXPECT_TRUE(machine.DiskFree(".", &free));
  EXPECT_FALSE(machine.DiskFree("/no/such/folder/here", &free));
  EXPECT_GE(machine.ReportedCpuClock(), 0.0);
  EXPECT_FALSE(machine.SystemFont().face.empty());

#if defined(__x86_64__) || defined(__i386__)
  uint32_t r[4] = {};
  ASSERT_TRUE(machine.Cpuid(0, r));
  EXPECT_GE(r[0], 1u);
  EXPECT_GT(machine.MeasureCpuClock(5), 1e6);
#endif
}
