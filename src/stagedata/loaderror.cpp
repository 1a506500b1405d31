#include "stagedata/loaderror.h"

#include "core/datafile.h"
#include "core/log.h"

void ShowLoadError(const std::string& path) {
  if (g_bDataFileTooNew)
    ReportLogBox("%s の読み込みに失敗しました！\n実行ファイル(.exe)より上位のバージョンのファイルは使用できません。",
                 path.c_str());
  else
    ReportLogBox("%s の読み込みに失敗しました！", path.c_str());
}
