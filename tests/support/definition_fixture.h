// The state definitions consult while they read and repair: the flow records' state (database,
// test-play switches) and both palettes in their start-up state. Restored after each test.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/record.h"
#include "support/definitions.h"
#include "support/flow_fixture.h"

class DefinitionTest : public FlowRecordTest {
 protected:
  void SetUp() override {
    FlowRecordTest::SetUp();
    ResetPalettes();
  }
  void TearDown() override {
    ResetPalettes();
    FlowRecordTest::TearDown();
  }
};

inline std::vector<int> Flags(const cCheckedVector<int8_t>& flags) { return {flags.begin(), flags.end()}; }

// Where a registered member lies in the body the record writes at the current version: after the
// raw count and the members registered before it.
inline size_t BodyOffsetOf(cDataRecord& record, const void* member) {
  record.RegisterFields(g_nDataVersion);
  size_t offset = 4;
  for (int i = 0; i < record.RegisteredFieldCount(); ++i) {
    const cFieldDesc& d = record.RegisteredField(i);
    if (d.m_pData == member) return offset;
    offset += static_cast<size_t>(d.m_cSize) * d.m_nElemCount;
  }
  ADD_FAILURE() << "not a registered member";
  return 0;
}
