// The data file format and the record framework (fuzz_record.h). A failed load leaves the record as
// it was; one that loads writes, and reads back the same.
#include <cstdint>
#include <string>

#include "fuzz_record.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  FuzzWriteFile("record.dat", data, size);
  static cFuzzRecord live = [] {
    cFuzzRecord r;
    r.m_nA = 11;
    r.m_strTitle = "live";
    r.m_vLeaf.resize(2);
    return r;
  }();
  const FuzzBytes before = FuzzWrittenBytes(live);
  cFuzzRecord record = live;
  const int loaded = FuzzWatchedLoad(size, [&] { return LoadRecordKeepingOnFailure(record, "record.dat"); });
  if (!loaded) {
    FUZZ_CHECK(FuzzWrittenBytes(record) == before);
    return 0;
  }
  // What loaded writes, and what it wrote reads back to the same bytes.
  FuzzCheckRoundTrip(record);
  for (const cFuzzLeaf& leaf : record.m_vLeaf) FUZZ_CHECK(leaf.m_vBytes.size() <= size);
  return 0;
}
