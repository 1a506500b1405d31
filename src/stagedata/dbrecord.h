// Pieces shared by the records of the database lists.
#pragma once
#include <cstdint>

#include "core/record.h"

// Files before version 153 stored a value in the spare word that later versions reset.
inline void ResetAuxOfOldFile(int32_t& aux) {
  if (g_nFileDataVersion < 153) aux = 0;
}

// A record body followed by one list of sub-records (frames or parts): the body, u32 count, the
// elements. 0 when the file is damaged.
template <class V>
int ReadBodyWithList(cDataRecord& record, V& list, cDataFile& file) {
  return record.cDataRecord::Read(file) && ReadRecordVector(list, file) ? 1 : 0;
}

template <class V>
int WriteBodyWithList(cDataRecord& record, V& list, cDataFile& file) {
  record.cDataRecord::Write(file);
  WriteRecordVector(list, file);
  return file.Failed() ? 0 : 1;
}
