// Database records that name a media file: dedicated character bitmaps ("Bmp_CharaExc.dat"),
// pictures ("Picture.dat"), sound effects ("Sound.dat") and music ("Bgm.dat"). Loading and playing
// the files is done by their users.
#pragma once
#include <cstdint>
#include <string>

#include "core/record.h"

// A name, a spare word and a file name; the spare word is stored from version 151 on.
class cDbFileData : public cDataRecord {
 public:
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;

  std::string m_strName;
  int32_t m_nAux = 0;  // stored and written back; the player does not read it
  std::string m_strFile;
};

class cPictureData : public cDbFileData {};

class cSoundData : public cDbFileData {};

class cBgmData : public cDbFileData {
 public:
  void RegisterFields(int version) override;

  int32_t m_nVolume = 100;  // playback volume in percent; the file's extension ("mid", "ogg") picks the player
};

// A character's own bitmap in place of the shared character sheet, optionally with larger cells.
class cBmpCharaExcData : public cDbFileData {
 public:
  void RegisterFields(int version) override;
  // Edge of one cell in pixels: 32, or m_nCellSize × 32 with large cells.
  int GetCellEdge() const;

  int32_t m_bLargeCells = 0;
  int32_t m_nCellSize = 2;  // in units of 32 pixels
};
