#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/fs/path.h"
#include "platform/text/cp932.h"
#include "support/bytes.h"
#include "support/tempdir.h"

namespace {

// Narrow literals are code page 932 here; UTF-8 host names are written as u8 literals.
std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class PathTest : public TempDirTest {};

TEST_F(PathTest, BackslashesSplitFoldersButNeverTrailBytes) {
  // "表" is 0x95 0x5C in code page 932: its trail byte is a backslash.
  std::string hyou = "\x95\x5C";
  ASSERT_EQ(Cp932ToUtf8(hyou), Utf8(u8"表"));
  ASSERT_EQ(hyou, "表");
  ASSERT_TRUE(MakeGameDirectory("data"));
  ASSERT_TRUE(MakeGameDirectory("data\\" + hyou));
  FILE* f = OpenGameFile("data\\" + hyou + "\\" + hyou + ".txt", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  struct stat st;
  EXPECT_EQ(::stat(Utf8(u8"data/表/表.txt").c_str(), &st), 0);
  auto names = ListGameDirectory("data");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], hyou);
}

TEST_F(PathTest, MissingNamesMatchWithoutRegardToCaseFolderByFolder) {
  ASSERT_EQ(::mkdir("BGM", 0755), 0);
  ASSERT_EQ(::mkdir("BGM/Sub", 0755), 0);
  WriteFileBytes("BGM/Sub/Title.MID", {1});
  EXPECT_EQ(ResolveHostPath("bgm\\sub\\title.mid"), "BGM/Sub/Title.MID");
  EXPECT_TRUE(GamePathIsFile("bgm/SUB/TITLE.mid"));
  EXPECT_FALSE(GamePathIsDirectory("bgm\\sub\\title.mid"));
  // A name that does not exist yet keeps its spelling, inside the matched folders.
  EXPECT_EQ(ResolveHostPath("bgm\\sub\\New.mid"), "BGM/Sub/New.mid");
}

TEST_F(PathTest, DataPathsStayInsideTheGameFolder) {
  struct Case {
    const char* path;
    bool program;
    bool data;
  };
  for (Case c : {Case{"data\\stg4\\a.stg4_914", true, true}, Case{"..\\secret", true, false},
                 Case{"data\\..\\..\\x", true, false}, Case{"/etc/passwd", true, false},
                 Case{"\\etc\\passwd", true, false}, Case{"C:\\game\\a.dat", false, false},
                 Case{"", false, false}}) {
    EXPECT_EQ(!ResolveHostPath(c.path, PathOrigin::Program).empty(), c.program) << c.path;
    EXPECT_EQ(!ResolveHostPath(c.path, PathOrigin::Data).empty(), c.data) << c.path;
  }
  EXPECT_EQ(OpenGameFile("..\\x", "wb", PathOrigin::Data), nullptr);
}

// Symbolic links inside the game folder: a read follows one only to a place inside the folder; a
// write, a rename, a removal and a new folder never pass through one.
TEST_F(PathTest, LinksAreReadOnlyInsideTheFolderAndNeverWrittenThrough) {
  ASSERT_EQ(::mkdir("game", 0755), 0);
  ASSERT_EQ(::mkdir("outside", 0755), 0);
  ASSERT_TRUE(WriteFileBytes("outside/shot.wav", {7}));
  ASSERT_EQ(::chdir("game"), 0);
  ASSERT_EQ(::mkdir("wave", 0755), 0);
  ASSERT_TRUE(WriteFileBytes("wave/real.wav", {1}));
  ASSERT_EQ(::symlink("../../outside/shot.wav", "wave/shot.wav"), 0);
  ASSERT_EQ(::symlink("real.wav", "wave/alias.wav"), 0);
  ASSERT_EQ(::symlink("../outside", "user_data"), 0);
  ASSERT_EQ(::symlink("wave", "sounds"), 0);

  struct Case {
    const char* path;
    bool read;
  };
  for (Case c : {Case{"wave\\alias.wav", true}, Case{"sounds\\real.wav", true}, Case{"wave\\shot.wav", false},
                 Case{"user_data\\shot.wav", false}, Case{"SOUNDS\\Shot.WAV", false}}) {
    for (PathOrigin origin : {PathOrigin::Program, PathOrigin::Data}) {
      FILE* f = OpenGameFile(c.path, "rb", origin);
      EXPECT_EQ(f != nullptr, c.read) << c.path;
      if (f) std::fclose(f);
      EXPECT_EQ(GamePathIsFile(c.path, origin), c.read) << c.path;
    }
  }
  EXPECT_TRUE(cGameFolderListing("wave").IsFile("alias.wav"));
  EXPECT_FALSE(cGameFolderListing("wave").IsFile("shot.wav"));
  EXPECT_FALSE(cGameFolderListing("user_data").IsFile("shot.wav"));

  // Nothing is made or changed through a link, even one that stays inside.
  EXPECT_EQ(OpenGameFile("user_data\\Option.dat", "wb"), nullptr);
  EXPECT_EQ(OpenGameFile("wave\\alias.wav", "wb"), nullptr);
  EXPECT_EQ(OpenGameFile("sounds\\new.wav", "ab"), nullptr);
  EXPECT_FALSE(MakeGameDirectory("user_data\\story"));
  EXPECT_FALSE(RenameGameFile("wave\\real.wav", "user_data\\real.wav"));
  EXPECT_FALSE(RemoveGameFile("user_data\\shot.wav"));
  struct stat st;
  EXPECT_NE(::stat("../outside/Option.dat", &st), 0);
  EXPECT_NE(::stat("../outside/story", &st), 0);
  EXPECT_NE(::stat("../outside/real.wav", &st), 0);
  EXPECT_EQ(ReadFileBytes("../outside/shot.wav"), std::vector<uint8_t>{7});
  EXPECT_EQ(ReadFileBytes("wave/real.wav"), std::vector<uint8_t>{1});
  // Plain files and folders are written as before.
  FILE* f = OpenGameFile("wave\\new.wav", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(MakeGameDirectory("bgm"));
}

TEST_F(PathTest, CurrentFolderIsAnAbsoluteGamePath) {
  std::string cwd = GetCurrentGameDirectory();
  ASSERT_FALSE(cwd.empty());
  EXPECT_EQ(cwd[0], '/');
  WriteFileBytes("f.txt", {1});
  EXPECT_TRUE(GamePathIsFile(cwd + "\\f.txt"));
}

TEST(Cp932, ConvertsBothWaysAndReplacesBadBytes) {
  EXPECT_EQ(Utf8ToCp932(Utf8(u8"ソード")), "\x83\x5C\x81\x5B\x83\x68");
  EXPECT_EQ(Cp932ToUtf8("ソード"), Utf8(u8"ソード"));
  EXPECT_EQ(Cp932ToUtf8("a\\b"), "a\\b");  // never a yen sign
  EXPECT_EQ(Cp932ToUtf8("a\x81"), "a?");
}

}  // namespace
