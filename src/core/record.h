// The versioned record: a record class registers its stored members for a data version, in file
// order, and the base class clears, copies, reads and writes any record by walking them.
//
// A registration is made once per record kind (its class and FieldVariant), data version, and then
// shared by every record of that kind: it holds where each member lies from the record's start, so
// RegisterFields must name members of the record itself (or the discard fields) and depend on
// nothing but the version and FieldVariant.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "core/checked.h"
#include "core/datafile.h"

class cDataRecord;

// One registered member as it lies in a given record (for inspection).
struct cFieldDesc {
  cDataRecord* m_pRecord;
  void* m_pData;
  int32_t m_nElemCount;
  int8_t m_cSize;
};

// One registered text as it lies in a given record (for inspection).
struct cStringFieldDesc {
  cDataRecord* m_pRecord;
  std::string* m_pString;
};

// Where values go that only older versions stored; never read.
extern int32_t g_nDiscardField;
extern int16_t g_sDiscardField;

// The registration of a record kind for one version: each member's place from the start of the
// record (or a fixed place, for the discard fields) and its width, in file order.
struct cFieldTable {
  struct cField {
    std::ptrdiff_t m_nOffset;
    void* m_pFixed;  // not null: the member is this fixed place, not one inside the record
    int32_t m_nElemCount;
    int8_t m_cSize;
    size_t Bytes() const { return static_cast<size_t>(m_cSize) * static_cast<size_t>(m_nElemCount); }
  };
  std::vector<cField> m_vField;
  std::vector<std::ptrdiff_t> m_vString;  // places of the stored texts from the start of the record
};

class cDataRecord {
 public:
  cDataRecord() = default;
  // Copies and moves share the registration: it describes members by their place within the
  // record. A record moved from keeps it.
  cDataRecord(const cDataRecord&) = default;
  cDataRecord(cDataRecord&& src) noexcept : cDataRecord(static_cast<const cDataRecord&>(src)) {}
  cDataRecord& operator=(const cDataRecord& src);
  cDataRecord& operator=(cDataRecord&& src) noexcept { return *this = static_cast<const cDataRecord&>(src); }
  virtual ~cDataRecord() = default;

  virtual void PrepareCopy(int /*version*/) const {}
  // Registers the stored members for a version. Called by the record itself only the first time a
  // kind needs a version; called directly, it makes that registration stand for this record.
  virtual void RegisterFields(int /*version*/) {}
  // Tells apart registrations of one class that depend on a setting of the record; 0 for most.
  virtual int FieldVariant() const { return 0; }
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
  int RegisteredFieldCount() const;
  int RegisteredStringCount() const;
  cFieldDesc RegisteredField(int i) const;

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
    AddRawField(p, count, N);
  }
  void AddRawField(void* p, int count, int size);
  cFieldTable* Building();
  // The registration for a version, made or found once and kept as the one that stands.
  const cFieldTable& Fields(int version);
  void* At(const cFieldTable::cField& f) {
    return f.m_pFixed ? f.m_pFixed : reinterpret_cast<char*>(this) + f.m_nOffset;
  }
  std::string& StringAt(std::ptrdiff_t offset) {
    return *reinterpret_cast<std::string*>(reinterpret_cast<char*>(this) + offset);
  }

  const cFieldTable* m_pTable = nullptr;  // the registration that stands
  int m_nTableVersion = -1;               // its version; -1 for one made by a direct call
  std::shared_ptr<cFieldTable> m_pOwnTable;  // a registration made by a direct call
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
