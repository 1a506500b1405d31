#include "shell/runlogs.h"

#include <string>

#include "core/log.h"
#include "core/paths.h"

int StartRunLogs() {
  DebugLogInit(0, "DI_Zaze.txt");
  std::string reportPath = "Report_Game.txt";
  PathToAbsolute(reportPath);
  if (!ReportLogInit(reportPath.c_str())) return 0;
  ReportLog("App : ver %s", "914");
  return 1;
}
