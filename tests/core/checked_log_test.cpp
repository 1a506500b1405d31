#include <gtest/gtest.h>

#include <cstdio>

#include "core/checked.h"
#include "core/log.h"
#include "core/mainwnd.h"
#include "core/record.h"
#include "platform/fs/path.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "support/bytes.h"
#include "support/tempdir.h"
#include "support/test_logs.h"
#include "support/test_records.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Elem136 {
  char bytes[136];
};

std::string FileText(const char* path) {
  Bytes b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

class CheckedLogTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    StartTestLogs();
  }
  void TearDown() override {
    SetErrorBoxGraphics(ErrorBoxGraphics());
    StopTestLogs();
    TempDirTest::TearDown();
  }
};

TEST_F(CheckedLogTest, BadVectorPositionIsLoggedClosesAndHandsBackElementZero) {
  cCheckedVector<Elem136> v(3);
  v[0].bytes[0] = 'z';
  for (int bad : {-1, 3}) {
    Elem136& e = v.At(bad);
    EXPECT_EQ(&e, &v[0]);
    std::string line = StrPrintf("err V[%d] ( 3 , 136 )\r\n", bad);
    EXPECT_NE(FileText("Report_Game.txt").find(line), std::string::npos);
    EXPECT_NE(FileText("DI_Zaze.txt").find(line), std::string::npos);
    EXPECT_EQ(TakeCloseRequests(), 1);
  }
  EXPECT_EQ(&v.At(2), &v[2]);
  EXPECT_EQ(TakeCloseRequests(), 0);
  EXPECT_EQ(FileText("Report_Game.txt"), "err V[-1] ( 3 , 136 )\r\nerr V[3] ( 3 , 136 )\r\n");
}

// The first members of the golden record, but a single int16 where it holds two.
class cShortB : public cDataRecord {
 public:
  int32_t m_nA = 0;
  int16_t m_sB = 0;
  int8_t m_cC = 0;
  std::string m_strX;
  cShortB() { RegisterFields(g_nDataVersion); }
  void RegisterFields(int) override {
    ClearFields();
    AddField32(&m_nA);
    AddField16(&m_sB);
    AddField8(&m_cC);
    AddString(&m_strX);
  }
};

TEST_F(CheckedLogTest, CopyingBetweenRecordsOfDifferentLayoutsStopsAtTheFirstMismatch) {
  cGoldenRec src(true);
  src.m_nA = 5;
  src.m_sB[0] = 6;
  src.m_cC = 7;
  src.m_dD = 1.5;
  src.m_strX = "x";
  const std::string line = StrPrintf("err V[%%d] ( %%d , %d )\r\n", static_cast<int>(sizeof(cFieldDesc)));

  // A member of another width: the members before it are copied, it and those after are not.
  cShortB shortB;
  shortB.CopyFields(src);
  EXPECT_EQ(shortB.m_nA, 5);
  EXPECT_EQ(shortB.m_sB, 0);
  EXPECT_EQ(shortB.m_cC, 0);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_NE(FileText("Report_Game.txt").find(StrPrintf(line.c_str(), 1, 6)), std::string::npos);

  // More members than the source holds: those it has are copied, then the copy stops.
  cGoldenRec plain;
  plain.CopyFields(src);
  cGoldenRec extended(true);
  extended.m_dD = 2.5;
  extended.CopyFields(plain);
  EXPECT_EQ(extended.m_nA, 5);
  EXPECT_EQ(extended.m_cC, 7);
  EXPECT_EQ(extended.m_dD, 2.5);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_NE(FileText("Report_Game.txt").find(StrPrintf(line.c_str(), 3, 3)), std::string::npos);

  // More strings than the source holds: the same for the strings.
  shortB.m_strX = "only";
  plain.m_strY = "kept";
  plain.CopyFields(shortB);
  EXPECT_EQ(plain.m_strX, "only");
  EXPECT_EQ(plain.m_strY, "kept");
  EXPECT_EQ(TakeCloseRequests(), 2);  // the raw members mismatch too
  const int stringDesc = static_cast<int>(sizeof(cStringFieldDesc));
  EXPECT_NE(FileText("Report_Game.txt").find(StrPrintf("err V[1] ( 1 , %d )\r\n", stringDesc)), std::string::npos);
}

TEST_F(CheckedLogTest, EmptyVectorHandsBackASharedDefault) {
  cCheckedVector<int> v;
  int& a = v.At(0);
  a = 5;
  EXPECT_EQ(&v.At(4), &a);
  EXPECT_EQ(TakeCloseRequests(), 2);
}

TEST_F(CheckedLogTest, ListAccessAndEditing) {
  cCheckedList<int> l;
  l.InsertAt(0, 1);  // only element
  l.InsertAt(7, 3);  // appends
  l.InsertAt(1, 2);  // before element 1
  l.InsertAt(-1, 4);  // appends
  EXPECT_EQ(l, (std::list<int>{1, 2, 3, 4}));
  EXPECT_EQ(l.At(2), 3);
  int& d = l.At(5);
  EXPECT_EQ(&l.At(-2), &d);  // the same default element every time
  EXPECT_NE(FileText("Report_Game.txt").find(StrPrintf("err L[5] ( 4 , %d )\r\n", (int)sizeof(int))),
            std::string::npos);
  EXPECT_EQ(TakeCloseRequests(), 2);
  EXPECT_EQ(l.EraseAt(4), l.end());
  EXPECT_EQ(l.size(), 4u);
  auto it = l.EraseAt(1);
  EXPECT_EQ(*it, 3);
  EXPECT_EQ(l, (std::list<int>{1, 3, 4}));
}

TEST_F(CheckedLogTest, ReportLogAppendsOnlyWhileTheFileExists) {
  EXPECT_EQ(ReportLog("App : ver %s", "914"), 1);
  EXPECT_EQ(ReportLog("two\nlines"), 1);
  EXPECT_EQ(FileText("Report_Game.txt"), "App : ver 914\r\ntwo\r\nlines\r\n");
  std::remove("Report_Game.txt");
  EXPECT_EQ(ReportLog("gone"), 0);
  EXPECT_FALSE(GamePathExists("Report_Game.txt"));
}

TEST_F(CheckedLogTest, DebugLogReplacesTheOldFileOnceThenAppends) {
  ResetLogsForTest();
  WriteFileBytes("DI_Zaze.txt", {'o', 'l', 'd'});
  DebugLogInit(0, "DI_Zaze.txt");
  EXPECT_EQ(DebugLog("off"), 0);
  EXPECT_EQ(FileText("DI_Zaze.txt"), "old");
  DebugLogInit(1, "DI_Zaze.txt");
  DebugLog("first 100%s");
  DebugLogF("second %d", 2);
  EXPECT_EQ(FileText("DI_Zaze.txt"), "first 100%s\r\nsecond 2\r\n");
}

TEST_F(CheckedLogTest, FatalClosesEvenWithTheDebugLogOff) {
  DebugLogInit(0, "DI_Zaze.txt");
  DebugLogFatal(g_hMainWnd, "%s", "thrown 100%");
  EXPECT_EQ(TakeCloseRequests(), 1);
}

TEST_F(CheckedLogTest, EchoAndBoxWriteTheTextLiterally) {
  EXPECT_EQ(ReportLogEcho("%s", "a%db"), 1);
  EXPECT_EQ(ReportLogBox("%s の読み込みに失敗しました！", "data\\x%s.dat"), 1);
  std::string expectBox = "data\\x%s.dat の読み込みに失敗しました！";
  EXPECT_EQ(FileText("Report_Game.txt"), "a%db\r\n" + expectBox + "\r\n");
  EXPECT_EQ(FileText("DI_Zaze.txt"), "a%db\r\n" + expectBox + "\r\n");
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, expectBox);
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_EQ(boxes[0].type, MB_OK);
}

TEST_F(CheckedLogTest, BoxIsShownEvenWhenTheReportLogIsGone) {
  std::remove("Report_Game.txt");
  EXPECT_EQ(ReportLogBox("fatal"), 0);
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "fatal");
}

TEST_F(CheckedLogTest, EntriesAreCutAt1023BytesWithoutSplittingACharacter) {
  std::string text(1022, 'a');
  text += "表";
  ReportLogEcho("%s", text.c_str());
  EXPECT_EQ(FileText("Report_Game.txt"), std::string(1022, 'a') + "\r\n");
}

// What the registered graphics box was asked to show, and whether it takes boxes.
bool g_bGraphicsTakesBoxes = false;
std::vector<std::string> g_vGraphicsBoxes;

TEST_F(CheckedLogTest, ErrorBoxesGoToTheGraphicsLibraryOnlyWhileItTakesThem) {
  SetActiveWindowStandIn(g_hMainWnd);
  g_vGraphicsBoxes.clear();
  ErrorBox("nothing registered");
  ErrorBoxGraphics graphics;
  graphics.takesBoxes = [] { return g_bGraphicsTakesBoxes; };
  graphics.showBox = [](const char* text, const char* caption, UINT) {
    g_vGraphicsBoxes.push_back(std::string(caption) + ":" + text);
    return 7;
  };
  SetErrorBoxGraphics(graphics);
  g_bGraphicsTakesBoxes = false;
  EXPECT_EQ(ErrorBox("windowed"), IDOK);
  g_bGraphicsTakesBoxes = true;
  EXPECT_EQ(ErrorBoxF("full %d", 1), 7);
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "nothing registered");
  EXPECT_EQ(boxes[1].text, "windowed");
  EXPECT_EQ(boxes[1].owner, g_hMainWnd);  // the calling thread's active window
  EXPECT_EQ(g_vGraphicsBoxes, std::vector<std::string>{"エラー:full 1"});
  SetActiveWindowStandIn(nullptr);
}

TEST_F(CheckedLogTest, DebugErrorBoxOnlyWithTheDebugLogOn) {
  DebugLogInit(0, "DI_Zaze.txt");
  EXPECT_EQ(DebugErrorBoxF("x"), 0);
  EXPECT_TRUE(msgbox::TakeRecords().empty());
  DebugLogInit(1, "DI_Zaze.txt");
  EXPECT_EQ(DebugErrorBoxF("y %d", 1), IDOK);
  EXPECT_EQ(msgbox::TakeRecords().size(), 1u);
}

TEST_F(CheckedLogTest, OutOfMemoryShowsTheBoxThenCloses) {
  OutOfMemoryExit();
  auto boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "メモリが不足しています！");
  EXPECT_EQ(TakeCloseRequests(), 1);
}

}  // namespace
