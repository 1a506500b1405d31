#include "platform/fs/path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Finds the host name of one component inside the folder `base` ("" is the current folder); *link
// tells whether the entry found is a symbolic link.
std::string MatchComponent(const std::string& base, const std::string& sjisName, bool* link) {
  auto entry = [&](const std::string& name) {
    struct stat st;
    if (::lstat(Join(base, name).c_str(), &st) != 0) return false;
    *link = S_ISLNK(st.st_mode);
    return true;
  };
  *link = false;
  std::string utf8 = Cp932ToUtf8(sjisName);
  if (entry(utf8)) return utf8;
  if (entry(sjisName)) return sjisName;  // a folder unpacked without re-encoding
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
  if (found.empty()) return utf8;
  entry(found);
  return found;
}

// Whether a host path relative to the game folder, links followed, names a place inside it.
bool InsideGameFolder(const std::string& host) {
  char* real = ::realpath(host.c_str(), nullptr);
  char* root = ::realpath(".", nullptr);
  bool inside = false;
  if (real && root) {
    const std::string r = real, folder = root;
    inside = r == folder || (r.size() > folder.size() && r.compare(0, folder.size(), folder) == 0 &&
                             (folder == "/" || r[folder.size()] == '/'));
  }
  std::free(real);
  std::free(root);
  return inside;
}

// A host path, and whether a symbolic link inside the game folder lies on its way.
struct HostPath {
  std::string host;
  bool linked = false;
};

HostPath Resolve(const std::string& fullPath, PathOrigin origin) {
  // A path ends at its first zero byte, as the system's calls would read it: what follows would
  // otherwise pass the checks below and be cut off only when the file is opened.
  const std::string gamePath = fullPath.substr(0, fullPath.find('\0'));
  HostPath out;
  if (gamePath.empty()) return out;
  bool absolute = IsSeparator(gamePath, 0);
  if (gamePath.size() >= 2 && gamePath[1] == ':') return out;  // drive letters do not exist here
  if (absolute && origin == PathOrigin::Data) return out;
  std::vector<std::string> parts = SplitGamePath(gamePath);
  std::vector<std::string> hostParts;
  std::vector<bool> links;  // of hostParts
  std::string base = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (origin == PathOrigin::Data) return out;
      if (!hostParts.empty() && hostParts.back() != "..") {
        hostParts.pop_back();
        links.pop_back();
      } else if (!absolute) {
        hostParts.push_back("..");
        links.push_back(false);
      }
    } else {
      std::string cur = base;
      for (auto& h : hostParts) cur = Join(cur, h);
      bool link = false;
      hostParts.push_back(MatchComponent(cur, p, &link));
      links.push_back(link);
    }
  }
  out.host = base;
  for (auto& h : hostParts) out.host = Join(out.host, h);
  if (out.host.empty()) out.host.push_back('.');  // (an assignment here trips a false overflow warning at -O3)
  // Links matter inside the game folder only: a path the program names outside it is its own.
  const bool inFolder = !absolute && (hostParts.empty() || hostParts.front() != "..");
  for (bool link : links) out.linked = out.linked || (inFolder && link);
  return out;
}

// The host path to write through: a symbolic link inside the game folder is never followed for a
// write, so that a link cannot make the program create or change files elsewhere.
std::string ResolveWritePath(const std::string& gamePath, PathOrigin origin = PathOrigin::Program) {
  HostPath p = Resolve(gamePath, origin);
  return p.linked ? std::string() : p.host;
}

}  // namespace

std::vector<std::string> SplitGamePath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    // A lead byte before a byte that cannot end a character is a character of its own: the byte
    // after it, a slash among them, keeps its meaning.
    if (IsCp932LeadByte(c) && i + 1 < path.size() && IsCp932TrailByte(static_cast<unsigned char>(path[i + 1]))) {
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
  // A link inside the game folder is followed only when where it leads stays inside.
  HostPath p = Resolve(gamePath, origin);
  if (p.linked && !InsideGameFolder(p.host)) return "";
  return p.host;
}

FILE* OpenGameFile(const std::string& gamePath, const char* mode, PathOrigin origin) {
  const bool write = std::strpbrk(mode, "wa+") != nullptr;
  std::string host = write ? ResolveWritePath(gamePath, origin) : ResolveHostPath(gamePath, origin);
  if (host.empty()) return nullptr;
  if (write) {
    // A write past a file-size limit would end the program in the middle of a save.
    static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)ignored;
  }
  return std::fopen(host.c_str(), mode);
}

bool SyncGameFile(FILE* fp) {
  return fp && std::fflush(fp) == 0 && !std::ferror(fp) && ::fsync(::fileno(fp)) == 0;
}

bool GamePathExists(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  return !host.empty() && Exists(host);
}

bool GamePathIsFile(const std::string& gamePath, PathOrigin origin) {
  std::string host = ResolveHostPath(gamePath, origin);
  struct stat st;
  return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool GamePathIsDirectory(const std::string& gamePath) {
  std::string host = ResolveHostPath(gamePath);
  struct stat st;
  return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeGameDirectory(const std::string& gamePath) {
  std::string host = ResolveWritePath(gamePath);
  if (host.empty()) return false;
  return ::mkdir(host.c_str(), 0777) == 0 || GamePathIsDirectory(gamePath);
}

bool RemoveGameFile(const std::string& gamePath) {
  std::string host = ResolveWritePath(gamePath);
  return !host.empty() && std::remove(host.c_str()) == 0;
}

bool RenameGameFile(const std::string& from, const std::string& to) {
  std::string a = ResolveWritePath(from), b = ResolveWritePath(to);
  if (a.empty() || b.empty() || std::rename(a.c_str(), b.c_str()) != 0) return false;
  const size_t slash = b.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : b.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

cGameFolderListing::cGameFolderListing(const std::string& folder, PathOrigin origin) {
  if (!folder.empty()) {
    m_strHost = ResolveHostPath(folder, origin);
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
  const std::string host = Join(m_strHost, hostName);
  // An entry that is a link counts as the resolver would take it.
  const bool inFolder = m_strHost.empty() || (m_strHost[0] != '/' && m_strHost.compare(0, 2, "..") != 0);
  if (inFolder && ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !InsideGameFolder(host)) {
    if (exists) *exists = true;
    return false;
  }
  const bool found = ::stat(host.c_str(), &st) == 0;
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
