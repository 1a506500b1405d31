#include "support/test_logs.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "core/mainwnd.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "support/bytes.h"

void StartTestLogs() {
  ResetLogsForTest();
  msgbox::Reset();
  g_hMainWnd = CreateWindowStandIn("Tessaly");
  EXPECT_EQ(ReportLogInit("Report_Game.txt"), 1);
  DebugLogInit(1, "DI_Zaze.txt");
}

void StopTestLogs() {
  DestroyWindowStandIn(g_hMainWnd);
  g_hMainWnd = nullptr;
  ResetLogsForTest();
  msgbox::Reset();
}

std::vector<std::string> TakeBoxTexts() {
  std::vector<std::string> texts;
  for (const MessageBoxRecord& r : msgbox::TakeRecords()) texts.push_back(r.text);
  return texts;
}

std::vector<std::string> LogLines(const char* file) {
  std::vector<uint8_t> bytes = ReadFileBytes(file);
  std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> lines;
  size_t pos = 0, end;
  while ((end = text.find("\r\n", pos)) != std::string::npos) {
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}
