#include "gfx/dialog.h"

#include "core/log.h"
#include "gfx/drawstate.h"
#include "gfx/globals.h"
#include "platform/video/presenter.h"
#include "platform/video/window.h"
#include "platform/win/msgbox.h"

int DDDialogBoxMode(int on) {
  if (DDWindowMode) return 1;
  if (lpDTCon) {
    if (!lpDevice) return 1;
    if (on) {
      DDEndScene();
      if (lpDevice->SetDialogBoxMode(TRUE) != D3D_OK) {
        DebugLog("D3D_OK != lpDevice->SetDialogBoxMode(TRUE)");
        return 0;
      }
      ShowCursor(TRUE);
      return 1;
    }
    while (ShowCursor(FALSE) >= 0) {
    }
    return lpDevice->SetDialogBoxMode(FALSE) == D3D_OK ? 1 : 0;
  }
  // Without a running back end there is nothing to switch.
  if (!lpDD) return 1;
  if (on) {
    if (FAILED(lpDD->FlipToGDISurface())) return 0;
    ShowCursor(TRUE);
    return 1;
  }
  while (ShowCursor(FALSE) >= 0) {
  }
  return 1;
}

int DDMesBox(const char* text, const char* caption, UINT type) {
  if (!DDDialogBoxMode(1)) {
    DebugLogF("DDMesBox 失敗! %s, %s", text ? text : "", caption ? caption : "");
    return 0;
  }
  // A box is a window of its own, which a full-screen picture would hide: the picture leaves full
  // screen for the box's time and comes back.
  const bool fullScreen = (lpDTCon || lpDDCon) && !DDWindowMode;
  if (fullScreen) video::CurrentPresenter()->SetFullScreen(false);
  MessageBoxA(DDHwnd, text, caption, type);
  if (fullScreen) video::CurrentPresenter()->SetFullScreen(true);
  DDDialogBoxMode(0);
  return 1;
}
