// The paths the file choosers give back: moving through folders (a name whose trail byte is a
// backslash included), typed paths, the save's default extension, and the open with several files
// allowed, through the program's own OpenFileDialog and SaveFileDialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fs/path.h"
#include "platform/win/dialogs.h"
#include "platform/win/keys.h"
#include "platform/win/msgbox.h"
#include "shell/filedialog.h"
#include "dialog_script.h"
#include "support/tempdir.h"

using namespace script;

namespace {

const char kStageFilter[] = "StageFile\0*.stg4_*\0";
// "表" in code page 932 is 0x95 0x5C: its trail byte is a backslash.
const std::string kTrailFolder = "表";

class ChooserPathTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    dlg::ResetForTest();
    msgbox::Reset();
    msgbox::SetHeadless(true);
    for (const std::string& folder : {std::string("data"), std::string("data\\stg4"), std::string("data\\stg4\\sub"),
                                       "data\\stg4\\" + kTrailFolder, std::string("data\\stg4\\v1.0")})
      ASSERT_TRUE(MakeGameDirectory(folder)) << folder;
    for (const std::string& file : {std::string("data\\stg4\\a.stg4_914"), std::string("data\\stg4\\sub\\b.stg4_914"),
                                    "data\\stg4\\" + kTrailFolder + "\\c.stg4_914"}) {
      FILE* f = OpenGameFile(file, "wb");
      ASSERT_NE(f, nullptr) << file;
      std::fputs("x", f);
      std::fclose(f);
    }
  }
  void TearDown() override {
    dlg::ResetForTest();
    msgbox::Reset();
    TempDirTest::TearDown();
  }
};

TEST_F(ChooserPathTest, TheListShowsFoldersFirstAndLeavesOutNamesTheCodePageCannotHold) {
  // A file whose name has no code-page-932 form, made on the host.
  std::ofstream(std::filesystem::path(ResolveHostPath("data\\stg4")) / std::filesystem::path(u8"\U0001F600.stg4_914"))
      << "x";
  std::vector<std::string> entries, missing;
  dlg::PushSteps({Look([&](HWND h) { entries = View(h, kChooserList).entries; }), Click(IDCANCEL)});
  char buf[260] = "old";
  EXPECT_EQ(OpenFileDialog(nullptr, buf, sizeof buf, "data\\stg4\\", "t", kStageFilter, "stg4_*", 0, nullptr), 0);
  EXPECT_EQ(entries, (std::vector<std::string>{"..\\", "sub\\", "v1.0\\", kTrailFolder + "\\", "a.stg4_914"}));
  EXPECT_EQ(std::string(buf), "");

  // A folder that cannot be read is an empty list, and the chooser still answers.
  dlg::PushSteps({Look([&](HWND h) { missing = View(h, kChooserList).entries; }), Click(IDCANCEL)});
  EXPECT_EQ(OpenFileDialog(nullptr, buf, sizeof buf, "data\\none\\", "t", kStageFilter, "stg4_*", 0, nullptr), 0);
  EXPECT_EQ(missing, std::vector<std::string>{"..\\"});
}

TEST_F(ChooserPathTest, OpenGivesTheGamePathOfTheChosenFile) {
  struct Case {
    const char* name;
    std::vector<dlg::ScriptStep> steps;
    std::string path;
  };
  const std::string trailDir = "data\\stg4\\" + kTrailFolder + "\\";
  const Case cases[] = {
      {"a file of the first folder", {Pick("a.stg4_914"), Click(IDOK)}, "data\\stg4\\a.stg4_914"},
      {"into a sub-folder", {Pick("sub\\"), Click(IDOK), Pick("b.stg4_914"), Click(IDOK)}, "data\\stg4\\sub\\b.stg4_914"},
      // Enter presses OK and leaves the focus in the name field.
      {"a folder typed without its backslash, and Enter", {Type("sub"), Key(VK_RETURN), Type("b.stg4_914"), Key(VK_RETURN)},
       "data\\stg4\\sub\\b.stg4_914"},
      {"a typed path through a folder", {Type("sub\\b.stg4_914"), Click(IDOK)}, "data\\stg4\\sub\\b.stg4_914"},
      {"into the folder whose trail byte is a backslash",
       {Pick(kTrailFolder + "\\"), Click(IDOK), Pick("c.stg4_914"), Click(IDOK)}, trailDir + "c.stg4_914"},
      {"typed through that folder", {Type(U8(u8"表\\c.stg4_914")), Click(IDOK)}, trailDir + "c.stg4_914"},
      {"into it and back up", {Pick(kTrailFolder + "\\"), Click(IDOK), Pick("..\\"), Click(IDOK), Pick("a.stg4_914"),
                               Click(IDOK)},
       "data\\stg4\\a.stg4_914"},
      {"up to the game folder and a typed path from there",
       {Pick("..\\"), Click(IDOK), Pick("..\\"), Click(IDOK), Click(kChooserName), Type("data\\stg4\\a.stg4_914"),
        Click(IDOK)},
       "data\\stg4\\a.stg4_914"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg::PushSteps(c.steps);
    char buf[260] = "old";
    ASSERT_EQ(OpenFileDialog(nullptr, buf, sizeof buf, "data\\stg4\\", "t", kStageFilter, "stg4_*", 0, nullptr), 1);
    EXPECT_EQ(std::string(buf), c.path);
    EXPECT_TRUE(GamePathIsFile(buf));
    EXPECT_TRUE(msgbox::TakeRecords().empty());
  }
}

TEST_F(ChooserPathTest, SaveAddsTheDefaultExtensionOnlyToANameWithoutOne) {
  struct Case {
    const char* typed;
    std::string path;
  };
  const Case cases[] = {
      {"mine", "data\\stg4\\mine.rpl4_914"},
      {"mine.x", "data\\stg4\\mine.x"},
      // The dot of the folder is not the name's.
      {"v1.0\\mine", "data\\stg4\\v1.0\\mine.rpl4_914"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    dlg::PushSteps({Type(c.typed), Click(IDOK)});
    char buf[260] = {};
    ASSERT_EQ(SaveFileDialog(nullptr, buf, "data\\stg4\\", "t", "Replay\0*.rpl4_914\0", "rpl4_914", 0), 1);
    EXPECT_EQ(std::string(buf), c.path);
  }
}

TEST_F(ChooserPathTest, WithSeveralFilesAllowedOneChoiceIsItsWholePath) {
  dlg::PushSteps({Pick("sub\\"), Click(IDOK), Pick("b.stg4_914"), Click(IDOK)});
  char buf[260] = "old";
  std::vector<std::string> files;
  ASSERT_EQ(OpenFileDialog(nullptr, buf, sizeof buf, "data\\stg4\\", "t", kStageFilter, "stg4_*", 1, &files), 1);
  EXPECT_EQ(files, std::vector<std::string>{"data\\stg4\\sub\\b.stg4_914"});
  EXPECT_EQ(std::string(buf), "data\\stg4\\sub\\b.stg4_914");
}

}  // namespace
