#include "core/datafile.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "data files are little-endian byte images");

int32_t g_nDataVersion = kDataVersion;
uint32_t g_nFileDataVersion = kDataVersion;
int32_t g_bDataFileTooNew = 0;
int32_t g_bStripCR = 1;

void DataFileInitGlobals() {
  g_nDataVersion = kDataVersion;
  g_nFileDataVersion = kDataVersion;
  g_bStripCR = 1;
  g_bDataFileTooNew = 0;
}

cDataFile::~cDataFile() {
  if (m_fp) std::fclose(m_fp);
}

namespace {
constexpr size_t kReadBufferSize = 64 * 1024;
constexpr const char* kTempSuffix = ".tmp~";
}  // namespace

bool cDataFile::FillBuffer() {
  if (m_vBuffer.empty()) m_vBuffer.resize(static_cast<size_t>(std::min<uint64_t>(kReadBufferSize, m_nSize + 1)));
  m_nBufferPos = 0;
  m_nBufferEnd = std::fread(m_vBuffer.data(), 1, m_vBuffer.size(), m_fp);
  return m_nBufferEnd > 0;
}

bool cDataFile::ReadBytes(void* data, size_t bytes) {
  if (m_bFailed || !m_bReading) return false;
  if (bytes > BytesLeft()) {
    m_bFailed = true;
    return false;
  }
  auto* out = static_cast<unsigned char*>(data);
  size_t left = bytes;
  while (left > 0) {
    if (m_nBufferPos == m_nBufferEnd) {
      // A long read past an empty buffer goes straight to its destination.
      if (left >= kReadBufferSize) {
        if (std::fread(out, 1, left, m_fp) != left) {
          m_bFailed = true;
          return false;
        }
        break;
      }
      if (!FillBuffer()) {
        m_bFailed = true;
        return false;
      }
    }
    const size_t n = std::min(left, m_nBufferEnd - m_nBufferPos);
    std::memcpy(out, m_vBuffer.data() + m_nBufferPos, n);
    m_nBufferPos += n;
    out += n;
    left -= n;
  }
  m_nPos += bytes;
  return true;
}

bool cDataFile::ReadCount(uint32_t& count, uint32_t minBytes) {
  if (!ReadValue(count)) return false;
  uint64_t most = minBytes ? BytesLeft() / minBytes : BytesLeft();
  if (count >= 0x80000000u || count > most) {
    m_bFailed = true;
    return false;
  }
  return true;
}

bool cDataFile::ReadString(std::string& text) {
  uint32_t len;
  if (!ReadValue(len)) return false;
  if (len <= 1) {  // 1 is the empty text; 0 is never written and reads as empty
    text.clear();
    return true;
  }
  if (len > BytesLeft()) {
    m_bFailed = true;
    return false;
  }
  std::string buf(len, '\0');
  if (!ReadBytes(buf.data(), len)) return false;
  buf.resize(std::strlen(buf.c_str()));
  text = std::move(buf);
  return true;
}

bool cDataFile::Skip(uint64_t bytes) {
  if (m_bFailed || bytes > BytesLeft()) {
    m_bFailed = true;
    return false;
  }
  return Seek(m_nPos + bytes);
}

bool cDataFile::Seek(uint64_t offset) {
  if (!m_bReading || offset > m_nSize || std::fseek(m_fp, static_cast<long>(offset), SEEK_SET) != 0) {
    m_bFailed = true;
    return false;
  }
  m_nBufferPos = m_nBufferEnd = 0;
  m_nPos = offset;
  return true;
}

void (*g_pDataFileWriteHook)() = nullptr;

namespace {
void WriteStep() {
  if (g_pDataFileWriteHook) g_pDataFileWriteHook();
}
}  // namespace

void cDataFile::WriteBytes(const void* data, size_t bytes) {
  if (m_bReading || m_bFailed || bytes == 0) return;
  if (std::fwrite(data, 1, bytes, m_fp) != bytes) m_bFailed = true;
  m_nPos += bytes;
  WriteStep();
}

void cDataFile::WriteString(std::string& text) {
  text.resize(std::strlen(text.c_str()));
  uint32_t len = static_cast<uint32_t>(text.size() + 1);
  WriteValue(len);
  if (len > 1) WriteBytes(text.c_str(), len);
}

namespace {

std::string PathOrErr(const char* path) { return (path && *path) ? path : "err"; }

}  // namespace

cDataFile* DataFileOpenRead(const char* path, PathOrigin origin) {
  std::string p = PathOrErr(path);
  FILE* fp = OpenGameFile(p, "rb", origin);
  // A file that cannot be opened tells nothing of its version; the flag must not speak of an
  // earlier file.
  if (!fp) {
    g_bDataFileTooNew = 0;
    return nullptr;
  }
  auto* f = new cDataFile;
  f->m_fp = fp;
  f->m_bReading = true;
  f->m_strPath = p;
  std::fseek(fp, 0, SEEK_END);
  long size = std::ftell(fp);
  std::fseek(fp, 0, SEEK_SET);
  f->m_nSize = size > 0 ? static_cast<uint64_t>(size) : 0;
  uint32_t version = 0;
  if (!f->ReadValue(version)) {
    // Too short to hold a version: damaged, not too new.
    g_bDataFileTooNew = 0;
    delete f;
    return nullptr;
  }
  g_nFileDataVersion = version;
  if (version > static_cast<uint32_t>(g_nDataVersion)) {
    g_bDataFileTooNew = 1;
    delete f;
    return nullptr;
  }
  g_bDataFileTooNew = 0;
  return f;
}

int DataFileReadVersion(const char* path, uint32_t& version, PathOrigin origin) {
  FILE* fp = OpenGameFile(PathOrErr(path), "rb", origin);
  if (!fp) return 0;
  uint32_t v = 0;
  const bool whole = std::fread(&v, sizeof v, 1, fp) == 1;
  std::fclose(fp);
  if (!whole) return 0;
  version = v;
  return 1;
}

cDataFile* DataFileOpenWrite(const char* path, PathOrigin origin) {
  std::string p = PathOrErr(path);
  if (ResolveHostPath(p, origin).empty()) return nullptr;
  std::string temp = DataFileTempPath(p);
  FILE* fp = OpenGameFile(temp, "wb", origin);
  if (!fp) return nullptr;
  auto* f = new cDataFile;
  f->m_fp = fp;
  f->m_bReading = false;
  f->m_strPath = p;
  f->m_strTempPath = temp;
  uint32_t version = static_cast<uint32_t>(g_nDataVersion);
  f->WriteValue(version);
  return f;
}

int DataFileClose(cDataFile* file) {
  if (!file) return 0;
  bool ok = !file->m_bFailed;
  if (!file->m_bReading) {
    if (!SyncGameFile(file->m_fp)) ok = false;
    WriteStep();
    if (std::fclose(file->m_fp) != 0) ok = false;
    file->m_fp = nullptr;
    WriteStep();
    if (ok) ok = RenameGameFile(file->m_strTempPath, file->m_strPath);
    WriteStep();
    if (!ok) RemoveGameFile(file->m_strTempPath);
  }
  delete file;
  return ok ? 1 : 0;
}

std::string DataFileTempPath(const std::string& path) { return path + kTempSuffix; }

void DataFileRemoveStaleTemps(const std::string& folder) {
  const std::string suffix = kTempSuffix;
  for (const std::string& name : ListGameDirectory(folder.empty() ? "." : folder)) {
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      RemoveGameFile(folder.empty() ? name : folder + "\\" + name);
  }
}
