#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/fs/copytree.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// Relative names of everything below a folder, sorted.
std::vector<std::string> TreeOf(const std::string& root) {
  std::vector<std::string> names;
  for (auto& e : fs::recursive_directory_iterator(root)) names.push_back(fs::relative(e.path(), root).string());
  std::sort(names.begin(), names.end());
  return names;
}

class CopyTreeTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories(Utf8(u8"src/sub/表"));
    fs::create_directories("src/empty");
    WriteFileBytes("src/a.dat", {1, 2, 3});
    WriteFileBytes("src/sub/B.Dat", std::vector<uint8_t>(100000, 0x5C));
    WriteFileBytes(Utf8(u8"src/sub/表/ソ.txt"), {0});
    WriteFileBytes("src/zero", {});
    fs::create_symlink("a.dat", "src/link");
  }
  void TearDown() override {
    copytree::FailAfterFilesForTest(-1);
    TempDirTest::TearDown();
  }
  static constexpr int kFiles = 4;  // regular files in the source
};

TEST_F(CopyTreeTest, CopiesTheWholeTreeWithNamesContentsAndModes) {
  ::chmod("src/sub", 0555);
  std::string error;
  ASSERT_TRUE(CopyGameDirectory("src\\", "dst\\", &error)) << error;
  EXPECT_EQ(TreeOf("dst"), TreeOf("src"));
  EXPECT_EQ(ReadFileBytes("dst/a.dat"), ReadFileBytes("src/a.dat"));
  EXPECT_EQ(ReadFileBytes("dst/sub/B.Dat"), ReadFileBytes("src/sub/B.Dat"));
  EXPECT_TRUE(fs::exists(Utf8(u8"dst/sub/表/ソ.txt")));
  EXPECT_TRUE(fs::is_symlink("dst/link"));
  EXPECT_EQ(fs::read_symlink("dst/link"), "a.dat");
  struct stat st;
  ASSERT_EQ(::stat("dst/sub", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0555u);
  ::chmod("src/sub", 0755);
  ::chmod("dst/sub", 0755);
  // Nothing but the source and the copy is left in the folder.
  EXPECT_EQ(TreeOf(".").size(), 2 * TreeOf("src").size() + 2);
}

TEST_F(CopyTreeTest, AFailureAtAnyPointLeavesNoDestination) {
  for (int n = 0; n < kFiles; ++n) {
    copytree::FailAfterFilesForTest(n);
    std::string error;
    EXPECT_FALSE(CopyGameDirectory("src", "dst", &error)) << n;
    EXPECT_FALSE(error.empty());
    auto left = TreeOf(".");
    EXPECT_EQ(left.size(), TreeOf("src").size() + 1) << n;  // no "dst", no half-made sibling
  }
  copytree::FailAfterFilesForTest(kFiles);
  EXPECT_TRUE(CopyGameDirectory("src", "dst"));
}

TEST_F(CopyTreeTest, RefusesWhatItCannotCopyWhole) {
  fs::create_directories("dst");
  WriteFileBytes("dst/keep", {9});
  struct Case {
    const char* from;
    const char* to;
  };
  for (Case c : {Case{"src", "dst"},         // the destination exists
                 Case{"missing", "new"},     // no source
                 Case{"src\\a.dat", "new"},  // the source is a file
                 Case{"src", "src\\sub\\copy"}, Case{"src", "src\\copy"},  // inside the source
                 Case{"src", "nowhere\\copy"}}) {
    std::string error;
    EXPECT_FALSE(CopyGameDirectory(c.from, c.to, &error)) << c.from << " -> " << c.to;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(TreeOf("dst"), std::vector<std::string>{"keep"});
  EXPECT_FALSE(fs::exists("new"));
  EXPECT_FALSE(fs::exists("src/copy"));
  EXPECT_FALSE(fs::exists("src/sub/copy"));
}

}  // namespace
