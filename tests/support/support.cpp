#include <unistd.h>

#include <filesystem>

#include "support/bytes.h"
#include "support/tempdir.h"

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
