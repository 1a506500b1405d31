#include "shell/startupsetting.h"

#include <utility>

#include "gamedata/datapath.h"

cStartupSetting g_StartupSetting;

namespace {
std::function<int(cStartupSetting&)>& Handler() {
  static std::function<int(cStartupSetting&)> handler;
  return handler;
}
}  // namespace

cStartupSetting::cStartupSetting() {
  Clear();
  m_nDrawMode = 1;
  m_bNoAsk = 0;
}

void cStartupSetting::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nDrawMode);
  AddField32(&m_bNoAsk);
}

void LoadStartupSetting() { LoadRecordKeepingOnFailure(g_StartupSetting, g_DataPath[DATAPATH_BOOT]); }

int RunStartupDialog() {
  auto& handler = Handler();
  return handler ? handler(g_StartupSetting) : 1;
}

void SetStartupDialogHandler(std::function<int(cStartupSetting&)> handler) { Handler() = std::move(handler); }
