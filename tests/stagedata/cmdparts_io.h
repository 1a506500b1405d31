// Writing a record body to a data file and reading one back from a hand-built file image, for the
// tests of the command building blocks. Use inside a TempDirTest.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/datafile.h"
#include "core/record.h"
#include "support/bytes.h"

// The bytes a record writes, without the file's version.
template <class Writer>
std::vector<uint8_t> WrittenBodyBy(Writer write) {
  cDataFile* f = DataFileOpenWrite("body.dat");
  EXPECT_NE(f, nullptr);
  if (!f) return {};
  EXPECT_EQ(write(*f), 1);
  EXPECT_EQ(DataFileClose(f), 1);
  std::vector<uint8_t> bytes = ReadFileBytes("body.dat");
  EXPECT_GE(bytes.size(), 4u);
  return std::vector<uint8_t>(bytes.begin() + 4, bytes.end());
}

inline std::vector<uint8_t> WrittenBody(cDataRecord& record) {
  return WrittenBodyBy([&](cDataFile& f) { return record.Write(f); });
}

struct cBodyRead {
  int m_nResult;     // what the record's Read returned
  uint64_t m_nLeft;  // bytes of the image it did not consume
  bool m_bDamaged;   // the file was marked as damaged
};

// Reads from a file holding `version` and then `body`.
template <class Reader>
cBodyRead ReadImage(uint32_t version, const std::vector<uint8_t>& body, Reader read) {
  ByteWriter image;
  image.U32(version).Raw(body.data(), body.size());
  EXPECT_TRUE(WriteFileBytes("image.dat", image.bytes));
  cDataFile* f = DataFileOpenRead("image.dat");
  EXPECT_NE(f, nullptr);
  if (!f) return {0, 0, true};
  cBodyRead r{read(*f), f->BytesLeft(), f->Failed()};
  DataFileClose(f);
  return r;
}

// Gives every registered raw member of the record (at the current version) a value of its own: the
// k-th element (counting from base + 1) gets k as a byte, -300k as a 16-bit and 100000k as a 32-bit
// value. 8-byte members keep theirs.
inline void FillDistinct(cDataRecord& record, int base) {
  record.RegisterFields(g_nDataVersion);
  int k = base;
  for (int i = 0; i < record.RegisteredFieldCount(); ++i) {
    const cFieldDesc& d = record.RegisteredField(i);
    for (int e = 0; e < d.m_nElemCount; ++e) {
      ++k;
      void* p = static_cast<char*>(d.m_pData) + e * d.m_cSize;
      if (d.m_cSize == 1) *static_cast<int8_t*>(p) = static_cast<int8_t>(k);
      if (d.m_cSize == 2) *static_cast<int16_t*>(p) = static_cast<int16_t>(-300 * k);
      if (d.m_cSize == 4) *static_cast<int32_t*>(p) = 100000 * k;
    }
  }
}

// The bytes of every registered raw member, in file order, read straight from the record.
inline std::vector<uint8_t> RegisteredBytes(cDataRecord& record) {
  record.RegisterFields(g_nDataVersion);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < record.RegisteredFieldCount(); ++i) {
    const cFieldDesc& d = record.RegisteredField(i);
    const auto* p = static_cast<const uint8_t*>(d.m_pData);
    bytes.insert(bytes.end(), p, p + static_cast<size_t>(d.m_cSize) * d.m_nElemCount);
  }
  return bytes;
}

inline cBodyRead ReadBody(cDataRecord& record, uint32_t version, const std::vector<uint8_t>& body) {
  return ReadImage(version, body, [&](cDataFile& f) { return record.Read(f); });
}

// A body that must not read: the record's Read gives 0 and the file is marked damaged.
struct cDamagedBody {
  const char* m_pWhat;
  uint32_t m_nVersion;
  std::vector<uint8_t> m_vBody;
};

template <class R>
void ExpectReadsFail(const std::vector<cDamagedBody>& cases) {
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.m_pWhat);
    R record;
    cBodyRead r = ReadBody(record, tc.m_nVersion, tc.m_vBody);
    EXPECT_EQ(r.m_nResult, 0);
    EXPECT_TRUE(r.m_bDamaged);
  }
}
