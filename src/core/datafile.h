// Data files: a 4-byte data version, then the body of one top-level record. Every read is bounded
// by the bytes left in the file; a short read or a count the file cannot hold marks the file as
// damaged, and the load fails. Writes go to a temporary file that replaces the target only when
// everything was written, so a failed save never destroys the file that was there.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/fs/path.h"

extern int32_t g_nDataVersion;       // this program's data version, written at the head of every file
extern uint32_t g_nFileDataVersion;  // version of the file being read
extern int32_t g_bDataFileTooNew;    // 1 when the last file opened for reading was refused for its version
extern int32_t g_bStripCR;           // texts read lose their CR bytes while set

constexpr int32_t kDataVersion = 914;

// Sets the process-wide values as start-up does.
void DataFileInitGlobals();

class cDataFile {
 public:
  ~cDataFile();
  cDataFile(const cDataFile&) = delete;
  cDataFile& operator=(const cDataFile&) = delete;

  bool IsReading() const { return m_bReading; }
  // Sticky: once damaged (reading) or failed (writing), the file stays so.
  bool Failed() const { return m_bFailed; }
  void Fail() { m_bFailed = true; }
  uint64_t BytesLeft() const { return m_nSize > m_nPos ? m_nSize - m_nPos : 0; }
  uint64_t Position() const { return m_nPos; }
  const std::string& Path() const { return m_strPath; }

  // Reading. Each returns false (and marks the file) when the bytes are not there.
  bool ReadBytes(void* data, size_t bytes);
  template <class T>
  bool ReadValue(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return ReadBytes(&value, sizeof(T));
  }
  // A count of elements that each take at least minBytes in the file: refused (and the file marked)
  // when the file cannot hold that many.
  bool ReadCount(uint32_t& count, uint32_t minBytes);
  // A stored text: u32 length + 1, then the text and a zero byte unless empty.
  bool ReadString(std::string& text);
  bool Skip(uint64_t bytes);
  // Moves to an offset from the start of the file; false beyond its end.
  bool Seek(uint64_t offset);
  uint64_t Size() const { return m_nSize; }

  // Writing. Failures are remembered and reported when the file is closed.
  void WriteBytes(const void* data, size_t bytes);
  template <class T>
  void WriteValue(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBytes(&value, sizeof(T));
  }
  // Cuts the text at its first zero byte (the caller's string changes) and writes it.
  void WriteString(std::string& text);

 private:
  friend cDataFile* DataFileOpenRead(const char*, PathOrigin);
  friend cDataFile* DataFileOpenWrite(const char*, PathOrigin);
  friend int DataFileClose(cDataFile*);
  cDataFile() = default;

  // Reading goes through a buffer of its own: a body is read a few bytes at a time.
  bool FillBuffer();

  FILE* m_fp = nullptr;
  std::vector<unsigned char> m_vBuffer;
  size_t m_nBufferPos = 0;  // next byte of the buffer to read
  size_t m_nBufferEnd = 0;  // bytes the buffer holds
  bool m_bReading = true;
  bool m_bFailed = false;
  uint64_t m_nSize = 0;
  uint64_t m_nPos = 0;
  std::string m_strPath;
  std::string m_strTempPath;
};

// Opens a data file positioned after its version; null when it cannot be opened or is too new.
// A null or empty path opens "err".
cDataFile* DataFileOpenRead(const char* path, PathOrigin origin = PathOrigin::Program);
// The data version at the head of a file, for a look that reads nothing more: the values of the
// file being read (g_nFileDataVersion, g_bDataFileTooNew) stay as they are. 0 when the file cannot
// be opened or is too short to hold a version.
int DataFileReadVersion(const char* path, uint32_t& version, PathOrigin origin = PathOrigin::Program);
// Creates a data file and writes the data version; null when it cannot be created.
cDataFile* DataFileOpenWrite(const char* path, PathOrigin origin = PathOrigin::Program);
// Closes the file. For a written file, 1 when every byte was written and the file took its place;
// for a read file, 1 when it was not damaged. A null file gives 0. A written file reaches the disk
// under its temporary name before it replaces the old one: a crash or a power cut at any moment
// leaves the old file or the new one, whole.
int DataFileClose(cDataFile* file);
// The name a file is written under before it takes its place.
std::string DataFileTempPath(const std::string& path);
// Removes the temporaries that saves ended by a crash left in a game folder ("" is the game folder).
void DataFileRemoveStaleTemps(const std::string& folder);
// For tests: called after each write call of a save and after each step of its close.
extern void (*g_pDataFileWriteHook)();

// Sub-record lists: u32 count, then each element's body, read over a blank element. The elements
// join the list as they are read: lists nest, and each nested count is bounded only by the bytes
// left in the whole file, so blank elements made for every count at once would cost many times
// what the file holds.
// Room to make ahead of reading a list of `count` elements of T: the count, but never more elements
// than the bytes left in the file would fill, so that a count that lies costs no more memory than
// the file holds.
template <class T>
size_t ListRoomFor(uint32_t count, const cDataFile& f) {
  return static_cast<size_t>(std::min<uint64_t>(count, f.BytesLeft() / sizeof(T)));
}

template <class V>
int ReadRecordVector(V& v, cDataFile& f) {
  uint32_t n;
  if (!f.ReadCount(n, 8)) return 0;  // a body takes at least its two counts
  v.clear();
  v.reserve(ListRoomFor<typename V::value_type>(n, f));
  for (uint32_t i = 0; i < n; ++i)
    if (!v.emplace_back().Read(f)) return 0;
  return 1;
}

template <class V>
void WriteRecordVector(V& v, cDataFile& f) {
  f.WriteValue(static_cast<uint32_t>(v.size()));
  for (auto& e : v) e.Write(f);
}

// Vectors of plain values: u32 count, then the values.
template <class V>
int ReadValueVector(V& v, cDataFile& f) {
  using T = typename V::value_type;
  uint32_t n;
  if (!f.ReadCount(n, sizeof(T))) return 0;
  v.assign(n, T{});
  if (n && !f.ReadBytes(v.data(), n * sizeof(T))) return 0;
  return 1;
}

// The same, for lists whose stored count of 0 means "keep what the list holds".
template <class V>
int ReadValueVectorKeptWhenEmpty(V& v, cDataFile& f) {
  using T = typename V::value_type;
  uint32_t n;
  if (!f.ReadCount(n, sizeof(T))) return 0;
  if (n == 0) return 1;
  v.assign(n, T{});
  return f.ReadBytes(v.data(), n * sizeof(T)) ? 1 : 0;
}

template <class V>
void WriteValueVector(const V& v, cDataFile& f) {
  f.WriteValue(static_cast<uint32_t>(v.size()));
  if (!v.empty()) f.WriteBytes(v.data(), v.size() * sizeof(typename V::value_type));
}
