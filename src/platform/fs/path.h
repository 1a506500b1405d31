// Maps the game's paths (code page 932, backslash separators, relative to the game folder) to host
// paths, and the few file operations the game needs through that mapping.
#pragma once
#include <cstdio>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

enum class PathOrigin {
  Program,  // a path the program itself builds: may be absolute
  Data,     // a path that comes from data or a player's file: must stay inside the game folder
};

// The components of a game path, split at slashes and at backslashes that are not the trail byte of a
// two-byte character. Empty components are kept ("a\\b" gives "a", "", "b").
std::vector<std::string> SplitGamePath(const std::string& gamePath);
// Whether a game path is absolute: it starts with a separator or a drive letter.
bool IsAbsoluteGamePath(const std::string& gamePath);

// The host path for a game path. Components are split at backslashes that are not trail bytes and
// at slashes, converted to UTF-8, and matched without regard to case, folder by folder, when the
// exact name is missing. A zero byte ends the path. Returns "" for a refused path: empty, a drive
// letter, or, for data paths, an absolute path or a ".." component.
std::string ResolveHostPath(const std::string& gamePath, PathOrigin origin = PathOrigin::Program);

// fopen through the resolver; null when the path is refused or the open fails. A file opened for
// writing that passes a file-size limit fails its write (the limit's signal is ignored), as on a
// full disk.
FILE* OpenGameFile(const std::string& gamePath, const char* mode, PathOrigin origin = PathOrigin::Program);
// Writes what the stream buffers and flushes the file's bytes to the disk; false on a failure.
bool SyncGameFile(FILE* fp);

bool GamePathExists(const std::string& gamePath);
bool GamePathIsFile(const std::string& gamePath, PathOrigin origin = PathOrigin::Program);
bool GamePathIsDirectory(const std::string& gamePath);
bool MakeGameDirectory(const std::string& gamePath);
bool RemoveGameFile(const std::string& gamePath);
// Writes, renames and removals never pass through a symbolic link inside the game folder; reads
// follow such a link only where it leads to a place inside the folder.
// Replaces `to` atomically when both lie in one folder, and flushes the folder to the disk so that
// the new name outlasts a power cut.
bool RenameGameFile(const std::string& from, const std::string& to);
// One listing of a folder, to ask of many names inside it what GamePathIsFile answers for each, at
// the cost of one directory read: each name is matched in memory as the resolver matches it, by its
// exact name first and then without regard to case in listing order.
class cGameFolderListing {
 public:
  // A game path of a folder; "" is the current folder. A folder that cannot be read, or that the
  // resolver refuses for the origin, holds nothing.
  explicit cGameFolderListing(const std::string& folder, PathOrigin origin = PathOrigin::Program);
  // Whether the single component `name` (code page 932) inside the folder is a regular file.
  bool IsFile(const std::string& name) const;

 private:
  bool IsFileNamed(const std::string& hostName, bool* exists) const;

  std::string m_strHost;  // the folder's host path; "" for the current folder
  std::unordered_set<std::string> m_Names;
  std::unordered_map<std::string, std::string> m_FirstByLower;  // lower-case name -> first such entry
};

// Names (code page 932) of the entries of a folder, without "." and "..".
std::vector<std::string> ListGameDirectory(const std::string& gamePath);

// The current folder as an absolute game path (code page 932, slash separators).
std::string GetCurrentGameDirectory();
bool SetCurrentGameDirectory(const std::string& gamePath);
