// Lists of one-byte values stored as a count and then the bytes (key states, inherit flags).
#pragma once
#include <cstdint>

#include "core/checked.h"
#include "core/datafile.h"

// A stored count of 0 or less leaves the list as it is; a positive count gives the list exactly that
// many entries from the file. A count the file cannot hold marks the file damaged: 0.
template <class T>
int ReadByteList(cCheckedVector<T>& list, cDataFile& file) {
  static_assert(sizeof(T) == 1);
  int32_t n = 0;
  if (!file.ReadValue(n)) return 0;
  if (n <= 0) return 1;
  if (static_cast<uint64_t>(n) > file.BytesLeft()) {
    file.Fail();
    return 0;
  }
  list.resize(static_cast<size_t>(n), 0);
  return file.ReadBytes(list.data(), static_cast<size_t>(n)) ? 1 : 0;
}

template <class T>
void WriteByteList(const cCheckedVector<T>& list, cDataFile& file) {
  static_assert(sizeof(T) == 1);
  file.WriteValue(static_cast<int32_t>(list.size()));
  if (!list.empty()) file.WriteBytes(list.data(), list.size());
}
