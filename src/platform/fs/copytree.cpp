#include "platform/fs/copytree.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/fs/path.h"
#include "platform/text/cp932.h"

namespace {

std::atomic<int> g_nFailAfterFiles{-1};

class cTreeCopier {
 public:
  std::string m_strError;

  bool CopyDir(const std::string& src, const std::string& dst, mode_t mode) {
    std::vector<std::string> names;
    if (!ListNames(src, names)) return false;
    for (const std::string& name : names) {
      std::string s = src + "/" + name, d = dst + "/" + name;
      struct stat st;
      if (::lstat(s.c_str(), &st) != 0) return Fail("stat", s);
      if (S_ISDIR(st.st_mode)) {
        if (::mkdir(d.c_str(), 0700) != 0) return Fail("mkdir", d);
        if (!CopyDir(s, d, st.st_mode)) return false;
      } else if (S_ISREG(st.st_mode)) {
        if (!CopyFile(s, d, st.st_mode)) return false;
      } else if (S_ISLNK(st.st_mode)) {
        if (!CopyLink(s, d)) return false;
      } else {
        m_strError = "cannot copy special file " + s;
        return false;
      }
    }
    // The folder's own permissions come last, so a read-only folder can still be filled.
    if (::chmod(dst.c_str(), mode & 07777) != 0) return Fail("chmod", dst);
    return true;
  }

 private:
  bool Fail(const char* what, const std::string& path) {
    m_strError = std::string(what) + " " + path + ": " + std::strerror(errno);
    return false;
  }

  bool ListNames(const std::string& dir, std::vector<std::string>& names) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return Fail("opendir", dir);
    errno = 0;
    while (dirent* e = ::readdir(d)) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
      errno = 0;
    }
    int err = errno;
    ::closedir(d);
    if (err) {
      errno = err;
      return Fail("readdir", dir);
    }
    return true;
  }

  bool CopyFile(const std::string& src, const std::string& dst, mode_t mode) {
    int limit = g_nFailAfterFiles.load();
    if (limit >= 0 && m_nFiles >= limit) {
      m_strError = "copy stopped for a test before " + src;
      return false;
    }
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Fail("open", src);
    int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
    if (out < 0) {
      Fail("create", dst);
      ::close(in);
      return false;
    }
    bool ok = Pump(in, out, src, dst);
    ::close(in);
    if (::close(out) != 0 && ok) ok = Fail("close", dst);
    if (ok) ++m_nFiles;
    return ok;
  }

  bool Pump(int in, int out, const std::string& src, const std::string& dst) {
    std::vector<char> buf(1 << 16);
    for (;;) {
      ssize_t n = ::read(in, buf.data(), buf.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Fail("read", src);
      if (n == 0) return true;
      for (ssize_t done = 0; done < n;) {
        ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return Fail("write", dst);
        done += w;
      }
    }
  }

  bool CopyLink(const std::string& src, const std::string& dst) {
    std::vector<char> target(PATH_MAX + 1);
    ssize_t n = ::readlink(src.c_str(), target.data(), PATH_MAX);
    if (n < 0) return Fail("readlink", src);
    target[static_cast<size_t>(n)] = '\0';
    if (::symlink(target.data(), dst.c_str()) != 0) return Fail("symlink", dst);
    return true;
  }

  int m_nFiles = 0;
};

// Removes a tree without following links.
void RemoveTree(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    ::chmod(path.c_str(), 0700);  // a copied read-only folder must be emptied too
    if (DIR* d = ::opendir(path.c_str())) {
      std::vector<std::string> names;
      while (dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
      ::closedir(d);
      for (const std::string& n : names) RemoveTree(path + "/" + n);
    }
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

std::string ParentOf(const std::string& host) {
  size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host.substr(0, slash);
}

std::string RealPath(const std::string& host) {
  char* r = ::realpath(host.c_str(), nullptr);
  if (!r) return "";
  std::string s = r;
  std::free(r);
  return s;
}

bool SetError(std::string* error, const std::string& text) {
  if (error) *error = Utf8ToCp932(text);
  return false;
}

}  // namespace

namespace copytree {
void FailAfterFilesForTest(int files) { g_nFailAfterFiles.store(files); }
}  // namespace copytree

bool CopyGameDirectory(const std::string& from, const std::string& to, std::string* error) {
  std::string src = ResolveHostPath(from), dst = ResolveHostPath(to);
  if (src.empty() || dst.empty()) return SetError(error, "refused path");
  struct stat st;
  if (::stat(src.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return SetError(error, "no folder " + src);
  struct stat dstSt;
  if (::lstat(dst.c_str(), &dstSt) == 0) return SetError(error, "already exists: " + dst);

  // A destination inside the source would copy itself without end.
  std::string parent = ParentOf(dst);
  std::string realSrc = RealPath(src), realParent = RealPath(parent);
  if (realSrc.empty() || realParent.empty()) return SetError(error, "no folder " + parent);
  if (realParent == realSrc || realParent.starts_with(realSrc == "/" ? realSrc : realSrc + "/"))
    return SetError(error, "destination inside the source: " + dst);

  std::string base = dst.substr(dst.find_last_of('/') + 1);
  std::string tmpl = (parent == "/" ? std::string() : parent) + "/." + base + ".copy-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return SetError(error, "mkdtemp " + tmpl + ": " + std::strerror(errno));

  cTreeCopier copier;
  bool ok = copier.CopyDir(src, tmpl, st.st_mode);
  if (ok && ::rename(tmpl.c_str(), dst.c_str()) != 0) {
    copier.m_strError = "rename " + tmpl + " to " + dst + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) {
    RemoveTree(tmpl);
    return SetError(error, copier.m_strError);
  }
  return true;
}
