#include "gfx/dialog.h"

#include "core/log.h"
#include "gfx/globals.h"
#include "platform/win/msgbox.h"

int DDDialogBoxMode(int /*on*/) {
  // The display is a window on the desktop at every size, so any box can appear over it.
  return 1;
}

int DDMesBox(const char* text, const char* caption, UINT type) {
  if (!DDDialogBoxMode(1)) {
    DebugLogF("DDMesBox 失敗! %s, %s", text ? text : "", caption ? caption : "");
    return 0;
  }
  MessageBoxA(DDHwnd, text, caption, type);
  DDDialogBoxMode(0);
  return 1;
}
