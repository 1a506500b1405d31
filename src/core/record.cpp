#include "core/record.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

#include "core/log.h"

int32_t g_nDiscardField = 0;
int16_t g_sDiscardField = 0;

namespace {

// The registration being made on this thread, and the record it is made for.
struct cBuild {
  const cDataRecord* m_pRecord = nullptr;
  cFieldTable* m_pTable = nullptr;
  bool m_bShared = false;  // the table is made for every record of the kind
};
thread_local cBuild t_Build;

// Every registration made, by record kind and version; never freed, never changed once made.
class cFieldTables {
 public:
  using Key = std::tuple<std::type_index, int, int>;  // class, variant, version

  const cFieldTable* Find(const Key& key) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const auto it = m_Tables.find(key);
    return it == m_Tables.end() ? nullptr : it->second.get();
  }
  // Keeps the first table made for a key when two threads make one at once.
  const cFieldTable* Add(const Key& key, std::unique_ptr<cFieldTable> table) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Tables.emplace(key, std::move(table)).first->second.get();
  }

 private:
  std::mutex m_Mutex;
  std::map<Key, std::unique_ptr<cFieldTable>> m_Tables;
};

cFieldTables& FieldTables() {
  static cFieldTables* tables = new cFieldTables;  // records of static storage use it until exit
  return *tables;
}

// The tables this thread has used, found without a lock. A class has one type_info object in this
// program, so its address stands for the class.
struct cLocalKey {
  const std::type_info* m_pType;
  int m_nVariant;
  int m_nVersion;
  bool operator==(const cLocalKey&) const = default;
};

struct cLocalKeyHash {
  size_t operator()(const cLocalKey& k) const {
    return std::hash<const void*>()(k.m_pType) ^ (static_cast<size_t>(k.m_nVersion) * 0x9E3779B97F4A7C15u) ^
           static_cast<size_t>(k.m_nVariant);
  }
};

thread_local std::unordered_map<cLocalKey, const cFieldTable*, cLocalKeyHash> t_KnownTables;

}  // namespace

const cFieldTable& cDataRecord::Fields(int version) {
  if (m_pTable && m_nTableVersion == version) return *m_pTable;
  const std::type_info& type = typeid(*this);
  const int variant = FieldVariant();
  const cFieldTable*& known = t_KnownTables[cLocalKey{&type, variant, version}];
  const cFieldTables::Key key{std::type_index(type), variant, version};
  const cFieldTable* table = known ? known : FieldTables().Find(key);
  if (!table) {
    auto made = std::make_unique<cFieldTable>();
    const cBuild outer = t_Build;
    t_Build = {this, made.get(), true};
    RegisterFields(version);
    t_Build = outer;
    table = FieldTables().Add(key, std::move(made));
  }
  known = table;
  m_pTable = table;
  m_nTableVersion = version;
  m_pOwnTable.reset();
  return *table;
}

// The table the registration under way fills: the shared one being made, or for a direct call of
// RegisterFields, a table of this record's own.
cFieldTable* cDataRecord::Building() {
  const bool mine = t_Build.m_pRecord == this && (t_Build.m_bShared || t_Build.m_pTable == m_pOwnTable.get());
  if (!mine) {
    m_pOwnTable = std::make_shared<cFieldTable>();
    m_pTable = m_pOwnTable.get();
    m_nTableVersion = -1;
    t_Build = {this, m_pOwnTable.get(), false};
  }
  return t_Build.m_pTable;
}

void cDataRecord::ClearFields() {
  // Every registration starts here: a direct call begins a table of this record's own.
  if (t_Build.m_pRecord == this && t_Build.m_bShared) {
    t_Build.m_pTable->m_vField.clear();
    t_Build.m_pTable->m_vString.clear();
  } else {
    t_Build = {};
    Building();
  }
}

void cDataRecord::AddRawField(void* p, int count, int size) {
  const bool fixed = p == &g_nDiscardField || p == &g_sDiscardField;
  const std::ptrdiff_t offset = fixed ? 0 : static_cast<char*>(p) - reinterpret_cast<char*>(this);
  Building()->m_vField.push_back({offset, fixed ? p : nullptr, count, static_cast<int8_t>(size)});
}

void cDataRecord::AddString(std::string* p, int /*count*/) {
  Building()->m_vString.push_back(reinterpret_cast<char*>(p) - reinterpret_cast<char*>(this));
}

int cDataRecord::RegisteredFieldCount() const { return m_pTable ? static_cast<int>(m_pTable->m_vField.size()) : 0; }

int cDataRecord::RegisteredStringCount() const {
  return m_pTable ? static_cast<int>(m_pTable->m_vString.size()) : 0;
}

cFieldDesc cDataRecord::RegisteredField(int i) const {
  const int n = RegisteredFieldCount();
  if (i < 0 || i >= n) {
    CheckedAccessFailed('V', i, n, sizeof(cFieldTable::cField));
    return cFieldDesc{const_cast<cDataRecord*>(this), nullptr, 0, 0};
  }
  const cFieldTable::cField& f = m_pTable->m_vField[static_cast<size_t>(i)];
  auto* self = const_cast<cDataRecord*>(this);
  return cFieldDesc{self, self->At(f), f.m_nElemCount, f.m_cSize};
}

void cDataRecord::Clear() {
  const cFieldTable& t = Fields(g_nDataVersion);
  for (const auto& f : t.m_vField) std::memset(At(f), 0, f.Bytes());
  for (std::ptrdiff_t s : t.m_vString) StringAt(s).clear();
}

void cDataRecord::CopyFields(cDataRecord& src) {
  const cFieldTable& mine = Fields(g_nDataVersion);
  const cFieldTable& theirs = src.Fields(g_nDataVersion);
  // Only members both records describe alike are copied; a mismatch is a programming error that
  // takes the checked-access error path instead of reading past the source's members.
  const size_t n = theirs.m_vField.size();
  for (size_t i = 0; i < mine.m_vField.size(); ++i) {
    if (i >= n) {
      CheckedAccessFailed('V', static_cast<int>(i), static_cast<int>(n), sizeof(cFieldDesc));
      break;
    }
    const cFieldTable::cField& d = mine.m_vField[i];
    const cFieldTable::cField& s = theirs.m_vField[i];
    if (d.m_cSize != s.m_cSize || d.m_nElemCount != s.m_nElemCount) {
      CheckedAccessFailed('V', static_cast<int>(i), static_cast<int>(n), sizeof(cFieldDesc));
      break;
    }
    std::memmove(At(d), src.At(s), d.Bytes());
  }
  const size_t m = theirs.m_vString.size();
  for (size_t i = 0; i < mine.m_vString.size(); ++i) {
    if (i >= m) {
      CheckedAccessFailed('V', static_cast<int>(i), static_cast<int>(m), sizeof(cStringFieldDesc));
      break;
    }
    StringAt(mine.m_vString[i]) = src.StringAt(theirs.m_vString[i]);
  }
}

cDataRecord& cDataRecord::operator=(const cDataRecord& src) {
  if (this == &src) return *this;
  src.PrepareCopy(g_nDataVersion);
  // Places within the record are the same in every record of a kind: the source's registration
  // describes this record's members as well.
  m_pTable = src.m_pTable;
  m_nTableVersion = src.m_nTableVersion;
  m_pOwnTable = src.m_pOwnTable;
  return *this;
}

int cDataRecord::Read(cDataFile& file) {
  const cFieldTable& t = Fields(static_cast<int>(g_nFileDataVersion));
  int ok = 1;
  uint32_t n = 0;
  if (!file.ReadValue(n) || n > t.m_vField.size()) {
    // More members than the file's version stores: the body is not one this version wrote.
    file.Fail();
    ok = 0;
  } else {
    for (uint32_t i = 0; i < n && ok; ++i) {
      const cFieldTable::cField& f = t.m_vField[i];
      if (!file.ReadBytes(At(f), f.Bytes())) ok = 0;
    }
    if (ok) ok = ReadStrings(file);
  }
  if (g_nFileDataVersion != static_cast<uint32_t>(g_nDataVersion)) Fields(g_nDataVersion);
  return ok;
}

int cDataRecord::ReadStrings(cDataFile& file) {
  const std::vector<std::ptrdiff_t> none;
  const std::vector<std::ptrdiff_t>& strings = m_pTable ? m_pTable->m_vString : none;
  uint32_t m = 0;
  if (!file.ReadValue(m)) return 0;
  if (m > strings.size()) {
    file.Fail();
    return 0;
  }
  for (uint32_t i = 0; i < m; ++i)
    if (!file.ReadString(StringAt(strings[i]))) return 0;
  if (g_bStripCR) StripCR();
  return 1;
}

int cDataRecord::Write(cDataFile& file) {
  const cFieldTable& t = Fields(g_nDataVersion);
  file.WriteValue(static_cast<uint32_t>(t.m_vField.size()));
  for (const auto& f : t.m_vField) file.WriteBytes(At(f), f.Bytes());
  WriteStrings(file);
  return file.Failed() ? 0 : 1;
}

void cDataRecord::WriteStrings(cDataFile& file) {
  if (!m_pTable) {
    file.WriteValue(uint32_t{0});
    return;
  }
  file.WriteValue(static_cast<uint32_t>(m_pTable->m_vString.size()));
  for (std::ptrdiff_t s : m_pTable->m_vString) file.WriteString(StringAt(s));
}

void cDataRecord::StripCR() {
  if (!m_pTable) return;
  for (std::ptrdiff_t s : m_pTable->m_vString) std::erase(StringAt(s), '\r');
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
