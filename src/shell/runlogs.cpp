#include "shell/runlogs.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "core/log.h"
#include "core/paths.h"

int StartRunLogs(std::string* failure) {
  DebugLogInit(0, "DI_Zaze.txt");
  std::string reportPath = "Report_Game.txt";
  PathToAbsolute(reportPath);
  errno = 0;
  if (!ReportLogInit(reportPath.c_str())) {
    if (failure) {
      const std::string reason = errno ? std::strerror(errno) : "unknown error";
      *failure = "実行ログ「" + reportPath + "」を作成できません。\n"
                 "ゲームフォルダに書き込めるか確かめて下さい。\n\n"
                 "Cannot create the run log " + reportPath + " (" + reason + "): the game folder must be writable.";
    }
    return 0;
  }
  ReportLog("App : ver %s", "914");
  return 1;
}
