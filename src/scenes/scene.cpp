#include "scenes/scene.h"

#include "core/log.h"
#include "core/mainwnd.h"

void SceneFatal(const char* text) {
  // The debug log is off in a normal run: the report log keeps the reason the program closed.
  ReportLog("%s", text ? text : "");
  DebugLogFatal(g_hMainWnd, "%s", text ? text : "");
}

void cScene::RunInitGuarded() {
  try {
    Init();
  } catch (const char* text) {
    SceneFatal(text);
  }
}
