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
  int m_nResult;      // what the record's Read returned
  uint64_t m_nLeft;   // bytes of the image it did not consume
  bool m_bDamaged;    // the file was marked as damaged
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

inline cBodyRead ReadBody(cDataRecord& record, uint32_t version, const std::vector<uint8_t>& body) {
  return ReadImage(version, body, [&](cDataFile& f) { return record.Read(f); });
}
