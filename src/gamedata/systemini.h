// "System.ini": the player's own settings, a text file of key=value lines in the game folder. The
// key names and their defaults come from the game's system data.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"

// One settings key with its default, as the system data stores it.
class cSysIniKey : public cDataRecord {
 public:
  cSysIniKey();
  void RegisterFields(int version) override;

  void SetValue(const std::string& name, int32_t value);
  void SetText(const std::string& name, const std::string& text);

  int32_t m_nKind = 0;  // 0 numeric (default in m_nValue), 1 text (default in m_strText)
  int32_t m_nValue = 0;
  std::string m_strName;  // the key as written in the file
  std::string m_strText;
};

using cSysIniKeyList = cCheckedVector<cSysIniKey>;

// The settings read. Field k takes key k of the key list; FreeStage is key 8.
struct cSystemIni {
  int32_t Direct3D = 0;
  int32_t WindowMode = 0;
  int32_t Bpp = 0;
  int32_t VSync = 0;
  int32_t D3D_FontCache = 0;
  int32_t DD_FontCache = 0;
  int32_t DD_VideoStretch = 0;
  int32_t ShowFps = 0;
  int32_t English = 0;
  int32_t Midi_DirectMusic = 0;
  char FreeStage[260] = {};
};

extern cSystemIni g_SystemIni;

// Every field from the key list's defaults (the list must hold at least 11 keys).
void SetSystemIniDefault(cSystemIni& ini, const cSysIniKeyList& keys);
// Overwrites the fields of the keys found in the file. 1 when the file was read to its end ("Exit",
// a zero byte, a line end at the end of the file, or 10000 lines); 0 when it cannot be opened or its
// last key=value line has no line feed.
int ReadSystemIni(const char* path, cSystemIni& ini, const cSysIniKeyList& keys);
