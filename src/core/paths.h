// Path helpers for the game's paths: code page 932, backslash separators (slashes are accepted too),
// relative to the game folder, which is the current folder. Absolute paths are the current folder's
// absolute form (slash separators) followed by the path. A backslash that is the trail byte of a
// two-byte character is never taken for a separator. Paths have no length limit.
#pragma once
#include <string>

#include "platform/fs/path.h"

// An absolute path becomes relative to the current folder (with backslashes); a relative one is kept.
// 0, with the path unchanged, when the current folder cannot be read or the path is on a drive.
int PathToRelative(std::string& path);
// A relative path becomes absolute, resolved against the current folder; an absolute one is kept.
// 0, with the path unchanged, when the current folder cannot be read.
int PathToAbsolute(std::string& path);
// The path reduced to its last component. A final separator is never taken as the last one, and a
// path shorter than 2 bytes is kept.
void PathStripDir(std::string& path);

// The extension of a path is the text after the last '.' of its last component.
// dst = src with its extension replaced by ext, or with ext null cut with its dot; 0 when src has
// no extension (dst is then a copy of src).
int PathChangeExt(std::string& dst, const std::string& src, const char* ext);
// Removes the extension and its dot; 0 when there is none.
int PathStripExt(std::string& path);
// dst = the extension without its dot; 0, with dst unchanged, when there is none.
int PathGetExt(std::string& dst, const std::string& path);
// buf = src with " (n)" before its extension: rec.rpl4_914 and 2 give "rec (2).rpl4_914"; 0 when src
// has no extension (buf is then a copy of src).
int PathNumberedName(std::string& buf, const std::string& src, int n);
// The existing regular file with the highest number among base (with its extension changed to ext)
// followed by "_000" to "_999"; 0, with out unchanged, when none exists. The folder is resolved for
// the origin: a name from data looks in no folder outside the game folder.
int FindLastNumberedFile(std::string& out, const std::string& base, const char* ext,
                         PathOrigin origin = PathOrigin::Program);
