#include "support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/datafile.h"
#include "platform/fs/path.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "core/mainwnd.h"
#include "../tests/support/allocwatch.h"

namespace {

// A folder on a memory file system when there is one: every input is written to a file.
std::filesystem::path ScratchRoot() {
  if (const char* dir = std::getenv("FUZZ_SCRATCH")) return dir;
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

std::string g_strGameDir;

void RemoveGameDir() {
  std::error_code ec;
  if (!g_strGameDir.empty()) std::filesystem::remove_all(g_strGameDir, ec);
}

}  // namespace

void FuzzSetUp() {
  static bool done = false;
  if (done) return;
  done = true;
  std::string tmpl = (ScratchRoot() / "playerfuzz-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) FuzzFail("a temporary game folder", __FILE__, __LINE__);
  g_strGameDir = tmpl;
  std::atexit(RemoveGameDir);
  std::filesystem::current_path(g_strGameDir);
  for (const char* dir : {"data", "data\\database", "data\\stg4", "user_data", "user_data\\story",
                          "user_data\\challenge", "user_data\\free", "user_data\\rpl4", "bmp"})
    if (!MakeGameDirectory(dir)) FuzzFail(dir, __FILE__, __LINE__);
  msgbox::SetHeadless(true);
  DataFileInitGlobals();
  g_hMainWnd = CreateWindowStandIn("Tessaly");
}

void FuzzWriteFile(const std::string& gamePath, const uint8_t* data, size_t size) {
  FILE* f = OpenGameFile(gamePath, "wb");
  bool ok = f != nullptr;
  if (f) {
    if (size && std::fwrite(data, 1, size, f) != size) ok = false;
    if (std::fclose(f) != 0) ok = false;
  }
  if (!ok) FuzzFail(("writing " + gamePath).c_str(), __FILE__, __LINE__);
}

void FuzzWriteFile(const std::string& gamePath, const FuzzBytes& bytes) {
  FuzzWriteFile(gamePath, bytes.data(), bytes.size());
}

FuzzBytes FuzzReadFile(const std::string& gamePath) {
  FuzzBytes bytes;
  if (FILE* f = OpenGameFile(gamePath, "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

int FuzzTakeMessages() {
  msgbox::TakeRecords();
  int closes = 0;
  MSG m;
  while (PeekMessage(&m, g_hMainWnd, 0, 0, PM_REMOVE))
    if (m.message == WM_CLOSE) ++closes;
  return closes;
}

void FuzzFail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

namespace {
cAllocWatch g_Watch;
}

void FuzzAllocWatch::Start() { g_Watch.Start(); }

void FuzzAllocWatch::Stop(size_t inputSize, int factor) {
  const int64_t peak = g_Watch.Stop();
  // What a load of a file may hold at most: a small multiple of its size and a fixed allowance for
  // the records' own blank state.
  const int64_t budget = factor * static_cast<int64_t>(inputSize) + (4 << 20);
  if (peak > budget) {
    std::fprintf(stderr, "a load of %zu bytes held %lld bytes at once (budget %lld)\n", inputSize,
                 static_cast<long long>(peak), static_cast<long long>(budget));
    FuzzFail("memory in proportion to the input", __FILE__, __LINE__);
  }
}
