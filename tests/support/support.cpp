#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/bytes.h"
#include "support/tempdir.h"

std::vector<uint8_t> ReadFileBytes(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void TempDirTest::SetUp() {
  oldCwd_ = std::filesystem::current_path().string();
  std::string tmpl = (std::filesystem::temp_directory_path() / "playertest-XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  ASSERT_NE(made, nullptr);
  dir_ = made;
  std::filesystem::current_path(dir_);
}

void TempDirTest::TearDown() {
  std::filesystem::current_path(oldCwd_);
  std::error_code ec;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(dir_, ec);
}
