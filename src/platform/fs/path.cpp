#include "platform/fs/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/text/cp932.h"

namespace {

bool IsSeparator(const std::string& s, size_t i) { return s[i] == '\\' || s[i] == '/'; }

bool Exists(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Join(const std::string& base, const std::string& name) {
  if (base.empty()) return name;
  if (base == "/") return "/" + name;
  return base + "/" + name;
}

// Finds the host name of one component inside the folder `base` ("" is the current folder).
std::string MatchComponent(const std::string& base, const std::string& sjisName) {
  std::string utf8 = Cp932ToUtf8(sjisName);
  if (Exists(Join(base, utf8))) return utf8;
  if (Exists(Join(base, sjisName))) return sjisName;  // a folder unpacked without re-encoding
  std::string want = Lower(utf8);
  std::string found;
  if (DIR* d = ::opendir(base.empty() ? "." : base.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (Lower(n) == want) {
        found = n;
        break;
      }
    }
    ::closedir(d);
  }
  return found.empty() ? utf8 : found;
}

}  // namespace

std::vector<std::string> SplitGamePath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(c) && i + 1 < path.size()) {
      cur.push_back(path[i]);
      cur.push_back(path[i + 1]);
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') {
      parts.push_back(cur);
      cur.clear();
      continue;
    }
    cur.push_back(path[i]);
  }
  parts.push_back(cur);
  return parts;
}

bool IsAbsoluteGamePath(const std::string& gamePath) {
  if (gamePath.empty()) return false;
  return gamePath[0] == '\\' || gamePath[0] == '/' || (gamePath.size() >= 2 && gamePath[1] == ':');
}

std::string ResolveHostPath(const std::string& gamePath, PathOrigin origin) {
  if (gamePath.empty()) return "";
  bool absolute = IsSeparator(gamePath, 0);
  if (gamePath.size() >= 2 && gamePath[1] == ':') return "";  // drive letters do not exist here
  if (absolute && origin == PathOrigin::Data) return "";
  std::vector<std::string> parts = SplitGamePath(gamePath);
  std::vector<std::string> hostParts;
  std::string base = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (origin == PathOrigin::Data) return "";
      if (!hostParts.empty() && hostParts.back() != "..") {
        hostParts.pop_back();
      } else if (!absolute) {
        hostParts.push_back("..");
      }
    } else {
      std::string cur = base;
      for (auto& h : hostParts) cur = Join(cur, h);
      hostParts.push_back(MatchComponent(cur, p));
    }
  }
  std::string out = base;
  for (auto& h : hostParts) out = Join(out, h);
  if (out.empty()) return std::string(1, '.');
  return out;
}

FILE* OpenGameFile(const std::string& gamePath, const char* mode, PathOrigin origin) {
  std::string host = ResolveHostPath(gamePath, origin);
  if (host.empty()) return nullptr;
  return std::fopen(host.c_str(), mode);
}

bool GamePathExists(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  return !host.empty() && Exists(host);
}

bool GamePathIsFile(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  struct stat st;
  return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool GamePathIsDirectory(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  struct stat st;
  return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeGameDirectory(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  if (host.empty()) return false;
  return ::mkdir(host.c_str(), 0777) == 0 || GamePathIsDirectory(gamePath);
}

bool RemoveGameFile(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  return !host.empty() && std::remove(host.c_str()) == 0;
}

bool RenameGameFile(const std::string& from, const std::string& to) {
  std::string a = ResolveHostPath(from), b = ResolveHostPath(to);
  return !a.empty() && !b.empty() && std::rename(a.c_str(), b.c_str()) == 0;
}

cGameFolderListing::cGameFolderListing(const std::string& folder) {
  if (!folder.empty()) {
    m_strHost = ResolveHostPath(folder);
    if (m_strHost.empty()) return;
  }
  DIR* d = ::opendir(m_strHost.empty() ? "." : m_strHost.c_str());
  if (!d) return;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    m_FirstByLower.emplace(Lower(n), n);
    m_Names.insert(std::move(n));
  }
  ::closedir(d);
}

bool cGameFolderListing::IsFileNamed(const std::string& hostName, bool* exists) const {
  struct stat st;
  const bool found = ::stat(Join(m_strHost, hostName).c_str(), &st) == 0;
  if (exists) *exists = found;
  return found && S_ISREG(st.st_mode);
}

bool cGameFolderListing::IsFile(const std::string& name) const {
  // The resolver's order: the name converted, the name as it stands, then the first entry that
  // differs from the converted name only in case.
  const std::string utf8 = Cp932ToUtf8(name);
  bool exists = false;
  if (m_Names.count(utf8)) {
    const bool file = IsFileNamed(utf8, &exists);
    if (exists) return file;
  }
  if (m_Names.count(name)) {
    const bool file = IsFileNamed(name, &exists);
    if (exists) return file;
  }
  const auto match = m_FirstByLower.find(Lower(utf8));
  return match != m_FirstByLower.end() && IsFileNamed(match->second, nullptr);
}

std::vector<std::string> ListGameDirectory(const std::string& gamePath) {
  std::vector<std::string> names;
  std::string host = ResolveHostPath(gamePath);
  if (host.empty()) return names;
  if (DIR* d = ::opendir(host.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n == "." || n == "..") continue;
      names.push_back(Utf8ToCp932(n));
    }
    ::closedir(d);
  }
  return names;
}

std::string GetCurrentGameDirectory() {
  char buf[4096];
  if (!::getcwd(buf, sizeof(buf))) return "";
  return Utf8ToCp932(buf);
}

bool SetCurrentGameDirectory(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  return !host.empty() && ::chdir(host.c_str()) == 0;
}
