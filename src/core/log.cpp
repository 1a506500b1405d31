#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "core/mainwnd.h"
#include "platform/fs/path.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"

namespace {

// Entries and boxes are at most 1023 bytes of text.
constexpr size_t kEntryMax = 1023;

std::mutex g_reportMutex;
std::mutex g_debugMutex;
std::string g_szReportLogPath;
int g_bDebugLogOn = 0;
std::string g_szDebugLogPath;
bool g_bDebugLogStarted = false;
std::mutex g_boxMutex;
ErrorBoxGraphics g_BoxGraphics;

// Writes one entry with Windows line ends, as the text-mode files of the logs hold them.
void WriteEntry(FILE* f, const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\n') out += "\r\n";
    else out.push_back(c);
  }
  out += "\r\n";
  std::fwrite(out.data(), 1, out.size(), f);
}

// Appends one entry to the report log; false when the log does not exist or cannot be opened.
bool AppendReport(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_reportMutex);
  if (g_szReportLogPath.empty()) return false;
  FILE* f = OpenGameFile(g_szReportLogPath, "rb+");
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  WriteEntry(f, text);
  std::fclose(f);
  return true;
}

std::string FormatEntry(const char* format, va_list args) { return SjisCut(StrVPrintf(format, args), kEntryMax); }

}  // namespace

int ReportLogInit(const char* path) {
  std::lock_guard<std::mutex> lock(g_reportMutex);
  FILE* f = OpenGameFile(path ? path : "", "wb");
  if (!f) return 0;
  std::fclose(f);
  g_szReportLogPath = path;
  return 1;
}

int ReportLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrVPrintf(format, args);
  va_end(args);
  return AppendReport(text) ? 1 : 0;
}

int ReportLogEcho(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatEntry(format, args);
  va_end(args);
  if (!AppendReport(text)) return 0;
  DebugLog(text.c_str());
  return 1;
}

int ReportLogBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatEntry(format, args);
  va_end(args);
  // The entry is on disk before the box waits; the box shows even when the log is gone, since it
  // reports a failure that ends the program.
  bool logged = AppendReport(text);
  if (logged) DebugLog(text.c_str());
  ErrorBox(text.c_str());
  return logged ? 1 : 0;
}

void DebugLogInit(int enable, const char* path) {
  std::lock_guard<std::mutex> lock(g_debugMutex);
  g_bDebugLogOn = enable;
  g_szDebugLogPath = path ? path : "";
}

int DebugLog(const char* text) {
  std::lock_guard<std::mutex> lock(g_debugMutex);
  if (!g_bDebugLogOn) return 0;
  FILE* f;
  if (!g_bDebugLogStarted) {
    f = OpenGameFile(g_szDebugLogPath, "wb");
    g_bDebugLogStarted = true;
  } else {
    f = OpenGameFile(g_szDebugLogPath, "ab");
  }
  if (!f) return 0;
  WriteEntry(f, text ? text : "");
  std::fclose(f);
  return 1;
}

int DebugLogText(const char* text) { return DebugLog(text); }

int DebugLogF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrVPrintf(format, args);
  va_end(args);
  return DebugLog(text.c_str());
}

int DebugLogFatal(HWND window, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrVPrintf(format, args);
  va_end(args);
  int r = DebugLog(text.c_str());
  PostMessage(window, WM_CLOSE, 0, 0);
  return r;
}

void SetErrorBoxGraphics(const ErrorBoxGraphics& graphics) {
  std::lock_guard<std::mutex> lock(g_boxMutex);
  g_BoxGraphics = graphics;
}

int ErrorMessageBox(const char* text, const char* caption, UINT type) {
  HWND owner = GetActiveWindow();
  ErrorBoxGraphics graphics;
  {
    std::lock_guard<std::mutex> lock(g_boxMutex);
    graphics = g_BoxGraphics;
  }
  if (graphics.takesBoxes && graphics.showBox && graphics.takesBoxes()) return graphics.showBox(text, caption, type);
  return MessageBoxA(owner, text, caption, type);
}

int ErrorBox(const char* text) { return ErrorMessageBox(text, "エラー", MB_OK); }

int ErrorBoxF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatEntry(format, args);
  va_end(args);
  return ErrorBox(text.c_str());
}

int DebugErrorBoxF(const char* format, ...) {
  if (!DebugLogIsOn()) return 0;
  va_list args;
  va_start(args, format);
  std::string text = FormatEntry(format, args);
  va_end(args);
  return ErrorBox(text.c_str());
}

void OutOfMemoryExit() {
  ErrorBox("メモリが不足しています！");
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
}

const std::string& ReportLogPath() { return g_szReportLogPath; }

bool DebugLogIsOn() {
  std::lock_guard<std::mutex> lock(g_debugMutex);
  return g_bDebugLogOn != 0;
}

void ResetLogsForTest() {
  {
    std::lock_guard<std::mutex> lock(g_reportMutex);
    g_szReportLogPath.clear();
  }
  std::lock_guard<std::mutex> lock(g_debugMutex);
  g_bDebugLogOn = 0;
  g_szDebugLogPath.clear();
  g_bDebugLogStarted = false;
}
