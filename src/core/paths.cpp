#include "core/paths.h"

#include <vector>

#include "core/text.h"
#include "platform/fs/path.h"

namespace {

// Position after the last separator among the bytes before end, passing over two-byte characters
// as units; 0 when there is none.
size_t NameStart(const std::string& path, size_t end) {
  size_t start = 0;
  for (size_t i = 0; i < end; ++i) {
    if (i + 1 < path.size() && IsSjisDoubleByte(path.c_str() + i)) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      start = i + 1;
    }
  }
  return start;
}

// Position of the dot of the path's extension, or npos. A dot is never part of a two-byte character.
size_t ExtensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path, path.size())) return std::string::npos;
  return dot;
}

// The components of an absolute path with "." and ".." resolved (".." stops at the root).
std::vector<std::string> NormalComponents(const std::string& path) {
  std::vector<std::string> out;
  for (const std::string& part : SplitGamePath(path)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!out.empty()) out.pop_back();
    } else {
      out.push_back(part);
    }
  }
  return out;
}

bool HasDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

}  // namespace

int PathToRelative(std::string& path) {
  if (!IsAbsoluteGamePath(path)) return 1;
  if (HasDrive(path)) return 0;  // no path leads from the current folder to a drive
  std::string cwd = GetCurrentGameDirectory();
  if (cwd.empty()) return 0;
  std::vector<std::string> from = NormalComponents(cwd), to = NormalComponents(path);
  size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string rel;
  for (size_t i = common; i < from.size(); ++i) rel += rel.empty() ? ".." : "\\..";
  for (size_t i = common; i < to.size(); ++i) {
    if (!rel.empty()) rel += '\\';
    rel += to[i];
  }
  path = rel.empty() ? "." : rel;
  return 1;
}

int PathToAbsolute(std::string& path) {
  if (IsAbsoluteGamePath(path)) return 1;
  std::string cwd = GetCurrentGameDirectory();
  if (cwd.empty()) return 0;
  std::string full;
  for (const std::string& part : NormalComponents(cwd + "/" + path)) full += "/" + part;
  path = full.empty() ? "/" : full;
  return 1;
}

void PathStripDir(std::string& path) {
  if (path.size() < 2) return;
  path.erase(0, NameStart(path, path.size() - 1));
}

int PathChangeExt(std::string& dst, const std::string& src, const char* ext) {
  dst = src;
  size_t dot = ExtensionDot(dst);
  if (dot == std::string::npos) return 0;
  if (ext) {
    dst.replace(dot + 1, std::string::npos, ext);
  } else {
    dst.erase(dot);
  }
  return 1;
}

int PathStripExt(std::string& path) {
  std::string cut;
  if (!PathChangeExt(cut, path, nullptr)) return 0;
  path = cut;
  return 1;
}

int PathGetExt(std::string& dst, const std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return 0;
  dst = path.substr(dot + 1);
  return 1;
}

int PathNumberedName(std::string& buf, const std::string& src, int n) {
  buf = src;
  size_t dot = ExtensionDot(src);
  if (dot == std::string::npos) return 0;
  buf = src.substr(0, dot) + StrPrintf(" (%d).", n) + src.substr(dot + 1);
  return 1;
}

int FindLastNumberedFile(std::string& out, const std::string& base, const char* ext, PathOrigin origin) {
  std::string name;
  PathChangeExt(name, base, ext);
  if (HasDrive(name)) return 0;  // no such path exists here
  // The folder is read once; every candidate is looked up in that one listing.
  const size_t start = NameStart(name, name.size());
  const cGameFolderListing folder(name.substr(0, start), origin);
  const std::string stem = name.substr(start);
  for (int n = 999; n >= 0; --n) {
    const std::string number = StrPrintf("_%d%d%d", n / 100, n / 10 % 10, n % 10);
    // Only a file will load: a folder named like one is passed over.
    if (folder.IsFile(stem + number)) {
      out = name + number;
      return 1;
    }
  }
  return 0;
}
