#include "core/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/text.h"

#include "platform/fs/path.h"
#include "support/bytes.h"
#include "support/tempdir.h"

TEST(PathStripDir, KeepsLastComponentAndTrailBytes) {
  struct Case {
    const char* path;
    const char* expected;
  } cases[] = {
      {"dir\\表", "表"},              // 0x95 0x5C: the trail byte is no separator
      {"dir\\能力\\表", "表"},
      {"表\\x", "x"},                 // a trail backslash followed by a real one
      {"dir\\能力", "能力"},          // 0x94 0x5C inside the name
      {"ソード.txt", "ソード.txt"},
      {"a\\b\\c.txt", "c.txt"},
      {"a/b/c.txt", "c.txt"},
      {"a\\b\\", "b\\"},              // a final backslash is never the separator
      {"dir\\", "dir\\"},
      {"\\", "\\"},
      {"x", "x"},
      {"", ""},
      {"name", "name"},
  };
  for (const Case& c : cases) {
    std::string p = c.path;
    PathStripDir(p);
    EXPECT_EQ(p, c.expected) << c.path;
  }
}

TEST(PathExtensions, ChangeStripAndGetLookOnlyAtTheLastComponent) {
  struct Case {
    const char* src;
    const char* ext;
    int result;
    const char* expected;
  } cases[] = {
      {"stage.stg4", "rpl4", 1, "stage.rpl4"},
      {"stage.stg4", nullptr, 1, "stage"},
      {"data\\stg4\\a.b.stg4_914", "stg4", 1, "data\\stg4\\a.b.stg4"},
      {"stage.", "rpl4", 1, "stage.rpl4"},
      {"stage", "rpl4", 0, "stage"},
      {"data\\v1.2\\stage", "rpl4", 0, "data\\v1.2\\stage"},  // the folder's dot is not the file's
      {"data\\v1.2\\表", "rpl4", 0, "data\\v1.2\\表"},
      {"data/v1.2/stage.x", "rpl4", 1, "data/v1.2/stage.rpl4"},
      {"/home/p/v1.2/stage", "rpl4", 0, "/home/p/v1.2/stage"},  // a host path, as PathToAbsolute makes
      {"名前.表", "rpl4", 1, "名前.rpl4"},  // an extension ending in a trail backslash
  };
  for (const Case& c : cases) {
    std::string dst = "old";
    EXPECT_EQ(PathChangeExt(dst, c.src, c.ext), c.result) << c.src;
    EXPECT_EQ(dst, c.expected) << c.src;
  }

  std::string p = "data\\v1.2\\stage";
  EXPECT_EQ(PathStripExt(p), 0);
  EXPECT_EQ(p, "data\\v1.2\\stage");
  p = "rec.a.rpl4";
  EXPECT_EQ(PathStripExt(p), 1);
  EXPECT_EQ(p, "rec.a");

  std::string ext = "kept";
  EXPECT_EQ(PathGetExt(ext, "data\\v1.2\\stage"), 0);
  EXPECT_EQ(ext, "kept");
  EXPECT_EQ(PathGetExt(ext, "data\\stage.stg4_914"), 1);
  EXPECT_EQ(ext, "stg4_914");
}

TEST(PathNumberedName, PutsTheNumberBeforeTheExtension) {
  std::string buf;
  EXPECT_EQ(PathNumberedName(buf, "rec.rpl4_914", 2), 1);
  EXPECT_EQ(buf, "rec (2).rpl4_914");
  EXPECT_EQ(PathNumberedName(buf, "user_data\\rpl4\\my.rec.rpl4_914", 13), 1);
  EXPECT_EQ(buf, "user_data\\rpl4\\my.rec (13).rpl4_914");
  EXPECT_EQ(PathNumberedName(buf, "a.very_long_extension_of_more_than_28_bytes", 1), 1);
  EXPECT_EQ(buf, "a (1).very_long_extension_of_more_than_28_bytes");
  EXPECT_EQ(PathNumberedName(buf, "v1.0\\rec", 2), 0);
  EXPECT_EQ(buf, "v1.0\\rec");
}

using PathFilesTest = TempDirTest;

TEST_F(PathFilesTest, FindLastNumberedFileTakesHighestExistingFile) {
  std::string out = "unchanged";
  EXPECT_EQ(FindLastNumberedFile(out, "a.stg4", "stg4"), 0);
  EXPECT_EQ(out, "unchanged");

  ASSERT_TRUE(WriteFileBytes("a.stg4_100", {}));
  ASSERT_TRUE(WriteFileBytes("a.stg4_914", {}));
  ASSERT_TRUE(WriteFileBytes("a.stg4_99", {}));        // not three digits
  ASSERT_TRUE(WriteFileBytes("a.stg4_950.bak", {}));
  std::filesystem::create_directory("a.stg4_990");     // a folder never loads as a stage
  EXPECT_EQ(FindLastNumberedFile(out, "a.stg4", "stg4"), 1);
  EXPECT_EQ(out, "a.stg4_914");
  // The base's extension is replaced first, a base without one is used as it is.
  EXPECT_EQ(FindLastNumberedFile(out, "a.stg4_003", "stg4"), 1);
  EXPECT_EQ(out, "a.stg4_914");
  ASSERT_TRUE(WriteFileBytes("b_000", {}));
  EXPECT_EQ(FindLastNumberedFile(out, "b", "stg4"), 1);
  EXPECT_EQ(out, "b_000");

  std::filesystem::create_directories("data/stg4");
  ASSERT_TRUE(WriteFileBytes("data/stg4/Forest.stg4_007", {}));
  EXPECT_EQ(FindLastNumberedFile(out, "data\\stg4\\Forest.stg4", "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\Forest.stg4_007");
}

// The search reads the folder once; it must pick the file that resolving each candidate name on its
// own picks, whatever else the folder holds.
TEST_F(PathFilesTest, FindLastNumberedFileAgreesWithResolvingEachName) {
  // What resolving "_999" down to "_000" one name at a time finds.
  const auto oneByOne = [](const std::string& name) -> std::string {
    for (int n = 999; n >= 0; --n) {
      std::string candidate = name + StrPrintf("_%03d", n);
      if (GamePathIsFile(candidate)) return candidate;
    }
    return "";
  };
  const struct {
    const char* what;
    std::vector<const char*> files, folders;
    const char* base;
    const char* expected;
  } cases[] = {
      {"names differing in case from the base",
       {"forest.STG4_002", "FOREST.stg4_005", "Forest.stg4_001"}, {}, "Forest.stg4", "Forest.stg4_005"},
      {"a gap in the numbers", {"g.stg4_000", "g.stg4_003", "g.stg4_140"}, {}, "g.stg4", "g.stg4_140"},
      {"non-numbered namesakes",
       {"n.stg4", "n.stg4_7", "n.stg4_0123", "n.stg4_12a", "n.stg4_004.bak", "n.stg4_004x", "n.stg4_002"},
       {}, "n.stg4", "n.stg4_002"},
      {"a sub-folder of a matching name", {"d.stg4_010"}, {"d.stg4_500", "D.STG4_600"}, "d.stg4", "d.stg4_010"},
      // The exact name is a folder: the file whose name differs only in case is not reached.
      {"a folder hiding a file of another case", {"h.stg4_001", "H.stg4_900"}, {"h.stg4_900"}, "h.stg4",
       "h.stg4_001"},
      {"a folder of the path in another case", {"Stage/s.stg4_030", "Stage/S.STG4_031"}, {"Stage/s.stg4_099"},
       "stage\\s.stg4", "stage\\s.stg4_031"},
      {"no numbered file at all", {"x.stg4", "x.stg4_1"}, {"x.stg4_002"}, "x.stg4", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path folder = std::string("case") + std::to_string(&c - cases);
    std::filesystem::create_directories(folder / "Stage");
    for (const char* f : c.folders) std::filesystem::create_directories(folder / f);
    for (const char* f : c.files) ASSERT_TRUE(WriteFileBytes((folder / f).string(), {}));
    ASSERT_TRUE(SetCurrentGameDirectory(folder.string()));

    std::string out = "unchanged";
    const int found = FindLastNumberedFile(out, c.base, "stg4");
    EXPECT_EQ(found, *c.expected ? 1 : 0);
    EXPECT_EQ(out, *c.expected ? c.expected : "unchanged");
    EXPECT_EQ(oneByOne(c.base), c.expected);
    ASSERT_TRUE(SetCurrentGameDirectory(".."));
  }
}

TEST_F(PathFilesTest, AbsoluteAndRelativeFormsRoundTrip) {
  const std::string cwd = GetCurrentGameDirectory();
  ASSERT_FALSE(cwd.empty());

  std::string p = "Report_Game.txt";
  EXPECT_EQ(PathToAbsolute(p), 1);
  EXPECT_EQ(p, cwd + "/Report_Game.txt");
  p = "data\\.\\stg4\\..\\表\\x.stg4";
  EXPECT_EQ(PathToAbsolute(p), 1);
  EXPECT_EQ(p, cwd + "/data/表/x.stg4");
  EXPECT_EQ(PathToRelative(p), 1);
  EXPECT_EQ(p, "data\\表\\x.stg4");

  std::string kept = "data\\x";
  EXPECT_EQ(PathToRelative(kept), 1);
  EXPECT_EQ(kept, "data\\x");
  kept = "/already/absolute";
  EXPECT_EQ(PathToAbsolute(kept), 1);
  EXPECT_EQ(kept, "/already/absolute");

  std::string outside = cwd + "/../sibling/f.txt";
  EXPECT_EQ(PathToRelative(outside), 1);
  EXPECT_EQ(outside, "..\\sibling\\f.txt");
  std::string self = cwd;
  EXPECT_EQ(PathToRelative(self), 1);
  EXPECT_EQ(self, ".");

  std::string drive = "C:\\game\\x.stg4";
  EXPECT_EQ(PathToRelative(drive), 0);
  EXPECT_EQ(drive, "C:\\game\\x.stg4");

  // The absolute form opens the same file from another current folder.
  ASSERT_TRUE(WriteFileBytes("f.txt", {'z'}));
  std::string abs = "f.txt";
  ASSERT_EQ(PathToAbsolute(abs), 1);
  std::filesystem::create_directory("sub");
  ASSERT_TRUE(SetCurrentGameDirectory("sub"));
  EXPECT_TRUE(GamePathIsFile(abs));
  EXPECT_FALSE(GamePathIsFile("f.txt"));
}
