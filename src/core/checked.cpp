#include "core/checked.h"

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/text.h"
#include "platform/win/messages.h"

void CheckedAccessFailed(char kind, int index, int size, int elemSize) {
  std::string text = kind == 'L' ? StrPrintf("err L[%d] ( %d , %d )", index, size, elemSize)
                                 : StrPrintf("err V[%d] ( %d , %d )", index, size, elemSize);
  DebugLog(text.c_str());
  ReportLog("%s", text.c_str());
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
}
