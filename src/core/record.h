// The versioned record: a record class registers its stored members for a data version, in file
// order, and the base class clears, copies, reads and writes any record by walking them.
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>

#include "core/checked.h"
#include "core/datafile.h"

class cDataRecord;

struct cFieldDesc {
  cDataRecord* m_pRecord;
  void* m_pData;
  int32_t m_nElemCount;
  int8_t m_cSize;
};

struct cStringFieldDesc {
  cDataRecord* m_pRecord;
  std::string* m_pString;
};

// Where values go that only older versions stored; never read.
extern int32_t g_nDiscardField;
extern int16_t g_sDiscardField;

class cDataRecord {
 public:
  cDataRecord() = default;
  // Copies the tables as they stand; every walker registers again before it uses them.
  cDataRecord(const cDataRecord&) = default;
  cDataRecord& operator=(const cDataRecord& src);
  virtual ~cDataRecord() = default;

  virtual void PrepareCopy(int /*version*/) const {}
  virtual void RegisterFields(int /*version*/) {}
  // Reads one body; 0 when the file is damaged. Members the file's version does not store keep
  // their values.
  virtual int Read(cDataFile& file);
  virtual int Write(cDataFile& file);

  // 1 when the file was opened and its whole body read, 0 otherwise.
  int Load(const char* path, PathOrigin origin = PathOrigin::Program);
  // 1 when the file was created and completely written, 0 otherwise.
  int Save(const char* path, PathOrigin origin = PathOrigin::Program);

  int ReadStrings(cDataFile& file);
  void WriteStrings(cDataFile& file);
  void StripCR();
  void Clear();
  void CopyFields(cDataRecord& src);

  // The registration as it stands (for inspection).
  int RegisteredFieldCount() const { return m_vField.Size(); }
  int RegisteredStringCount() const { return m_vStrField.Size(); }
  const cFieldDesc& RegisteredField(int i) const { return m_vField.At(i); }

 protected:
  void ClearFields();
  template <class T>
  void AddField64(T* p, int count = 1) { AddRaw<T, 8>(p, count); }
  template <class T>
  void AddField32(T* p, int count = 1) { AddRaw<T, 4>(p, count); }
  template <class T>
  void AddField16(T* p, int count = 1) { AddRaw<T, 2>(p, count); }
  template <class T>
  void AddField8(T* p, int count = 1) { AddRaw<T, 1>(p, count); }
  void AddString(std::string* p, int count = 1);

 private:
  template <class T, int N>
  void AddRaw(T* p, int count) {
    static_assert(sizeof(T) == N && std::is_trivially_copyable_v<T> && !std::is_same_v<T, bool>,
                  "a stored member has a fixed width");
    m_vField.push_back(cFieldDesc{this, p, count, static_cast<int8_t>(N)});
  }

  cCheckedVector<cFieldDesc> m_vField;
  cCheckedVector<cStringFieldDesc> m_vStrField;
};

// Saves the record to path unless the file there is one this program refuses to read for being newer:
// a save never destroys what a newer program wrote. The look at the old file leaves the values of a
// file being read alone. 1 when saved.
int SaveRecordKeepingNewerFile(cDataRecord& record, const char* path, PathOrigin origin = PathOrigin::Program);

// Loads a file into a copy of the record and takes it only when the whole file read, so that a
// failed load leaves the record as it was.
template <class R>
int LoadRecordKeepingOnFailure(R& record, const char* path, PathOrigin origin = PathOrigin::Program) {
  R copy(record);
  if (!copy.Load(path, origin)) return 0;
  record = copy;
  return 1;
}
