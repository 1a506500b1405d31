// The report log ("Report_Game.txt", always on), the debug log ("DI_Zaze.txt", off unless switched
// on) and the error boxes. Each log entry is one line with a CR LF end, on disk when the call returns.
#pragma once
#include <string>

#include "core/text.h"
#include "platform/win/types.h"

int ReportLogInit(const char* path);
int ReportLog(const char* format, ...) PRINTF_LIKE(1, 2);
int ReportLogEcho(const char* format, ...) PRINTF_LIKE(1, 2);
int ReportLogBox(const char* format, ...) PRINTF_LIKE(1, 2);

void DebugLogInit(int enable, const char* path);
int DebugLog(const char* text);
int DebugLogText(const char* text);
int DebugLogF(const char* format, ...) PRINTF_LIKE(1, 2);
int DebugLogFatal(HWND window, const char* format, ...) PRINTF_LIKE(2, 3);

// Error boxes show as the system's box, owned by the calling thread's active window, unless the
// graphics library takes them: while a full-screen display runs, a system box could not be seen over
// it, and the library shows it over the game's picture instead.
int ErrorMessageBox(const char* text, const char* caption, UINT type);
int ErrorBox(const char* text);
int ErrorBoxF(const char* format, ...) PRINTF_LIKE(1, 2);
int DebugErrorBoxF(const char* format, ...) PRINTF_LIKE(1, 2);
void OutOfMemoryExit();

// The graphics library's side of the error boxes, registered when the library starts: whether it
// takes boxes now, and its box. Without it every box is the system's box.
struct ErrorBoxGraphics {
  bool (*takesBoxes)() = nullptr;
  int (*showBox)(const char* text, const char* caption, UINT type) = nullptr;
};
void SetErrorBoxGraphics(const ErrorBoxGraphics& graphics);

// For tests: the remembered paths, and a way back to the start-of-run state.
const std::string& ReportLogPath();
bool DebugLogIsOn();
void ResetLogsForTest();
