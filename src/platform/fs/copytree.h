// Copies a whole folder tree, all or nothing.
#pragma once
#include <string>

// Copies the folder `from` with everything inside it to the folder `to`, which must not exist yet.
// The copy is built in a hidden sibling folder of `to` and renamed into place only when complete,
// so `to` either appears whole or not at all; a failed copy leaves nothing behind. Host file names
// are kept byte for byte, symbolic links are copied as links. On failure `error`, when given, says
// what failed (code page 932).
bool CopyGameDirectory(const std::string& from, const std::string& to, std::string* error = nullptr);

namespace copytree {
// Test support: makes every later copy fail once it has copied this many files (negative: never).
void FailAfterFilesForTest(int files);
}  // namespace copytree
