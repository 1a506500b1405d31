#include "shell/sysreport.h"

#include "gfx/globals.h"
#include "gfx/init.h"

int GetDisplayDdiVersion() {
  // The answer on every system version from 6.0 on.
  return 9;
}

void RegisterSystemQueries() {
  SetDisplayDdiVersionQuery(GetDisplayDdiVersion);
  SetVideoMemoryQuery(GetVideoMemory);
}

void GetVideoMemory(int* freeMB, int* totalMB) {
  DWORD total = 0, free = 0;
  IDirectDraw7* dd = lpDD;
  bool own = false;
  if (!dd) own = SUCCEEDED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr));
  if (dd) {
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY;
    dd->GetAvailableVidMem(&caps, &total, &free);
    if (own) dd->Release();
  }
  if (freeMB) *freeMB = static_cast<int>(free >> 20);
  if (totalMB) *totalMB = static_cast<int>(total >> 20);
}
