#include "core/record.h"

#include <algorithm>
#include <cstring>

#include "core/log.h"

int32_t g_nDiscardField = 0;
int16_t g_sDiscardField = 0;

void cDataRecord::ClearFields() {
  m_vField.clear();
  m_vStrField.clear();
}

void cDataRecord::AddString(std::string* p, int /*count*/) { m_vStrField.push_back(cStringFieldDesc{this, p}); }

void cDataRecord::Clear() {
  RegisterFields(g_nDataVersion);
  for (auto& d : m_vField) std::memset(d.m_pData, 0, static_cast<size_t>(d.m_cSize) * d.m_nElemCount);
  for (auto& d : m_vStrField) d.m_pString->clear();
}

void cDataRecord::CopyFields(cDataRecord& src) {
  RegisterFields(g_nDataVersion);
  src.RegisterFields(g_nDataVersion);
  // Only members both records describe alike are copied; a mismatch is a programming error that
  // takes the checked-access error path instead of reading past the source's members.
  for (int i = 0; i < m_vField.Size(); ++i) {
    if (i >= src.m_vField.Size()) {
      CheckedAccessFailed('V', i, src.m_vField.Size(), sizeof(cFieldDesc));
      break;
    }
    const cFieldDesc& d = m_vField[i];
    const cFieldDesc& s = src.m_vField[i];
    if (d.m_cSize != s.m_cSize || d.m_nElemCount != s.m_nElemCount) {
      CheckedAccessFailed('V', i, src.m_vField.Size(), sizeof(cFieldDesc));
      break;
    }
    std::memmove(d.m_pData, s.m_pData, static_cast<size_t>(d.m_cSize) * d.m_nElemCount);
  }
  for (int i = 0; i < m_vStrField.Size(); ++i) {
    if (i >= src.m_vStrField.Size()) {
      CheckedAccessFailed('V', i, src.m_vStrField.Size(), sizeof(cStringFieldDesc));
      break;
    }
    *m_vStrField[i].m_pString = *src.m_vStrField[i].m_pString;
  }
}

cDataRecord& cDataRecord::operator=(const cDataRecord& src) {
  if (this == &src) return *this;
  RegisterFields(g_nDataVersion);
  src.PrepareCopy(g_nDataVersion);
  // The tables take the source's descriptors re-based into this record: each member keeps its
  // distance from the start of its record.
  const auto rebase = [this](cDataRecord* mine, cDataRecord* theirs, const void* p) {
    return const_cast<char*>(static_cast<const char*>(p)) +
           (reinterpret_cast<char*>(mine) - reinterpret_cast<char*>(theirs));
  };
  size_t n = src.m_vField.size();
  m_vField.resize(n, cFieldDesc{this, nullptr, 0, 0});
  for (size_t i = 0; i < n; ++i) {
    const cFieldDesc& s = src.m_vField[i];
    cFieldDesc& d = m_vField[i];
    d.m_pData = rebase(d.m_pRecord, s.m_pRecord, s.m_pData);
    d.m_nElemCount = s.m_nElemCount;
    d.m_cSize = s.m_cSize;
  }
  n = src.m_vStrField.size();
  m_vStrField.resize(n, cStringFieldDesc{this, nullptr});
  for (size_t i = 0; i < n; ++i) {
    const cStringFieldDesc& s = src.m_vStrField[i];
    cStringFieldDesc& d = m_vStrField[i];
    d.m_pString = reinterpret_cast<std::string*>(rebase(d.m_pRecord, s.m_pRecord, s.m_pString));
  }
  return *this;
}

int cDataRecord::Read(cDataFile& file) {
  RegisterFields(static_cast<int>(g_nFileDataVersion));
  int ok = 1;
  uint32_t n = 0;
  if (!file.ReadValue(n) || n > static_cast<uint32_t>(m_vField.Size())) {
    // More members than the file's version stores: the body is not one this version wrote.
    file.Fail();
    ok = 0;
  } else {
    for (uint32_t i = 0; i < n && ok; ++i) {
      cFieldDesc& d = m_vField[i];
      if (!file.ReadBytes(d.m_pData, static_cast<size_t>(d.m_cSize) * d.m_nElemCount)) ok = 0;
    }
    if (ok) ok = ReadStrings(file);
  }
  if (g_nFileDataVersion != static_cast<uint32_t>(g_nDataVersion)) RegisterFields(g_nDataVersion);
  return ok;
}

int cDataRecord::ReadStrings(cDataFile& file) {
  uint32_t m = 0;
  if (!file.ReadValue(m)) return 0;
  if (m > static_cast<uint32_t>(m_vStrField.Size())) {
    file.Fail();
    return 0;
  }
  for (uint32_t i = 0; i < m; ++i)
    if (!file.ReadString(*m_vStrField[i].m_pString)) return 0;
  if (g_bStripCR) {
    for (auto& d : m_vStrField) std::erase(*d.m_pString, '\r');
  }
  return 1;
}

int cDataRecord::Write(cDataFile& file) {
  RegisterFields(g_nDataVersion);
  file.WriteValue(static_cast<uint32_t>(m_vField.size()));
  for (auto& d : m_vField) file.WriteBytes(d.m_pData, static_cast<size_t>(d.m_cSize) * d.m_nElemCount);
  WriteStrings(file);
  return file.Failed() ? 0 : 1;
}

void cDataRecord::WriteStrings(cDataFile& file) {
  file.WriteValue(static_cast<uint32_t>(m_vStrField.size()));
  for (auto& d : m_vStrField) file.WriteString(*d.m_pString);
}

void cDataRecord::StripCR() {
  for (auto& d : m_vStrField) std::erase(*d.m_pString, '\r');
}

int cDataRecord::Load(const char* path, PathOrigin origin) {
  cDataFile* f = DataFileOpenRead(path, origin);
  if (!f) return 0;
  int ok = Read(*f);
  if (!DataFileClose(f)) ok = 0;
  return ok ? 1 : 0;
}

int cDataRecord::Save(const char* path, PathOrigin origin) {
  cDataFile* f = DataFileOpenWrite(path, origin);
  if (!f) return 0;
  Write(*f);
  return DataFileClose(f);
}

int SaveRecordKeepingNewerFile(cDataRecord& record, const char* path, PathOrigin origin) {
  uint32_t version = 0;
  if (DataFileReadVersion(path, version, origin) && version > static_cast<uint32_t>(g_nDataVersion)) {
    ReportLog("%s は上位のバージョンのファイルのため上書きしません", path ? path : "");
    return 0;
  }
  return record.Save(path, origin);
}
