// The drawing back end chosen at start-up and whether to ask again, kept in "user_data\Boot.dat".
#pragma once
#include <cstdint>
#include <functional>

#include "core/record.h"

class cStartupSetting : public cDataRecord {
 public:
  cStartupSetting();
  void RegisterFields(int version) override;

  int32_t m_nDrawMode;  // 1 Direct3D, 0 DirectDraw
  int32_t m_bNoAsk;     // 1: start without the dialog
};

extern cStartupSetting g_StartupSetting;

// Loads "user_data\Boot.dat" into g_StartupSetting; a missing, damaged or newer file leaves the record
// as it was.
void LoadStartupSetting();

// The start-up dialog over g_StartupSetting: 1 when the player starts the game (the record then holds
// the choice), 0 when the start is cancelled.
int RunStartupDialog();
// Who answers RunStartupDialog: the dialog itself, or a script in tests. Without one the start goes on
// with the record as it stands.
void SetStartupDialogHandler(std::function<int(cStartupSetting&)> handler);
