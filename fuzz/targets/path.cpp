// The path resolver, for paths that come from data (a stage named in a replay, a picture named in
// the database): a path either is refused or names a place inside the game folder, found without
// regard to case; opening it never reaches outside.
#include <cstdint>
#include <string>

#include "platform/fs/path.h"
#include "support.h"

namespace {

// Host paths are relative to the game folder and climb out of none of it.
bool StaysInside(const std::string& host) {
  if (host.empty() || host[0] == '/') return false;
  if (host.find('\0') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = host.find('/', start);
    const std::string part = host.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static const bool tree = [] {
    // Names whose case differs from what data names, and a folder named in code page 932.
    for (const char* dir : {"Data\\Stg4", "BMP", "BMP\\Chara", "\x89\xe6\x91\x9c"})
      FUZZ_CHECK(MakeGameDirectory(dir));
    for (const char* file : {"Data\\Stg4\\Town.STG4_914", "BMP\\Chara\\Hero.bmp", "\x89\xe6\x91\x9c\\a.bmp"})
      FuzzWriteFile(file, reinterpret_cast<const uint8_t*>("x"), 1);
    return true;
  }();
  (void)tree;
  if (size > 4096) return 0;
  const std::string gamePath(reinterpret_cast<const char*>(data), size);
  const std::string host = ResolveHostPath(gamePath, PathOrigin::Data);
  if (host.empty()) {
    FUZZ_CHECK(OpenGameFile(gamePath, "rb", PathOrigin::Data) == nullptr);
    return 0;
  }
  FUZZ_CHECK(StaysInside(host));
  if (FILE* f = OpenGameFile(gamePath, "rb", PathOrigin::Data)) std::fclose(f);
  SplitGamePath(gamePath);
  return 0;
}
