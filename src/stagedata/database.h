// The database: the game-wide lists of shared resources that stages, definitions and commands name
// by index. Each list is a file of its own under "data\database\": the data version, an int32
// count, then the entries. Built-in defaults fill it at construction; start-up loads it once.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/record.h"
#include "gamedata/datapath.h"
#include "stagedata/anime.h"
#include "stagedata/effect.h"
#include "stagedata/effectdef.h"
#include "stagedata/media.h"
#include "stagedata/swordtype.h"

// The ten files are the "data\" database entries of the data-path table, in load order.
inline const char* const kDbAnimeSetPath = g_DataPath[DATAPATH_DATABASE_FIRST + 0];
inline const char* const kDbAnimePath = g_DataPath[DATAPATH_DATABASE_FIRST + 2];
inline const char* const kDbBmpCharaExcPath = g_DataPath[DATAPATH_DATABASE_FIRST + 4];
inline const char* const kDbSwordTypePath = g_DataPath[DATAPATH_DATABASE_FIRST + 6];
inline const char* const kDbEffectPath = g_DataPath[DATAPATH_DATABASE_FIRST + 8];
inline const char* const kDbCharaEffectPath = g_DataPath[DATAPATH_DATABASE_FIRST + 10];
inline const char* const kDbScrEffectPath = g_DataPath[DATAPATH_DATABASE_FIRST + 12];
inline const char* const kDbPicturePath = g_DataPath[DATAPATH_DATABASE_FIRST + 14];
inline const char* const kDbSoundPath = g_DataPath[DATAPATH_DATABASE_FIRST + 16];
inline const char* const kDbBgmPath = g_DataPath[DATAPATH_DATABASE_FIRST + 18];

class cDatabase : public cDataRecord {
 public:
  cDatabase();
  // Every list takes its built-in contents; the reverse copies stay as they are.
  void SetDefaults();
  // Reads the ten files in order. 1 when all were read; 0 after reporting the first that could not
  // be opened, was newer than this program or was damaged. The lists read before it keep their new
  // contents, the failed one and the later ones their old.
  int Load();
  // Entry 0 of both effect-definition lists is "none", whatever its file says.
  void ClearEffectKindZero();

  // Calls f(list, path) for the ten stored lists in file order while f returns true.
  template <class F>
  bool ForEachFile(F&& f) {
    return f(m_vAnimeSet, kDbAnimeSetPath) && f(m_vAnime, kDbAnimePath) && f(m_vBmpCharaExc, kDbBmpCharaExcPath) &&
           f(m_vSwordType, kDbSwordTypePath) && f(m_vEffect, kDbEffectPath) &&
           f(m_vCharaEffect, kDbCharaEffectPath) && f(m_vScrEffect, kDbScrEffectPath) &&
           f(m_vPicture, kDbPicturePath) && f(m_vSound, kDbSoundPath) && f(m_vBgm, kDbBgmPath);
  }

  cCheckedVector<cAnimeSetData> m_vAnimeSet;
  cCheckedVector<cAnimeData> m_vAnime;
  cCheckedVector<cBmpCharaExcData> m_vBmpCharaExc;
  cCheckedVector<cSwordTypeData> m_vSwordType;
  cCheckedVector<cEffectData> m_vEffect;
  cCheckedVector<cCharaEffectData> m_vCharaEffect;
  cCheckedVector<cScrEffectData> m_vScrEffect;
  cCheckedVector<cPictureData> m_vPicture;
  cCheckedVector<cSoundData> m_vSound;
  cCheckedVector<cBgmData> m_vBgm;
  // Copies of the effect definitions for reverse runs, filled at start-up.
  cCheckedVector<cCharaEffectData> m_vCharaEffectRev;
  cCheckedVector<cScrEffectData> m_vScrEffectRev;
};

extern cDatabase g_Database;

// Reads a list: int32 count n; n <= 0 leaves the list as it is, so the defaults stay in force.
// Otherwise the list is brought to n entries (entries kept, new ones default) and each entry reads
// its body, so members an old file lacks keep the entry's values. 0 when the file is damaged.
template <class T>
int ReadDbList(cCheckedVector<T>& list, cDataFile& file) {
  int32_t n = 0;
  if (!file.ReadValue(n)) return 0;
  if (n <= 0) return 1;
  // Every body takes at least its two counts.
  if (static_cast<uint64_t>(n) > file.BytesLeft() / 8) {
    file.Fail();
    return 0;
  }
  // Entries beyond the stored count go; the missing ones are appended as they are read, so that a
  // count the rest of the file cannot fill costs nothing.
  const size_t count = static_cast<size_t>(n);
  if (list.size() > count) list.erase(list.begin() + static_cast<std::ptrdiff_t>(count), list.end());
  for (size_t i = 0; i < count; ++i) {
    if (i == list.size()) list.emplace_back();
    if (!list[i].Read(file)) return 0;
  }
  return 1;
}

// Reads a list file; 0 when it cannot be opened, is too new or is damaged. A failed read leaves the
// list as it was.
template <class T>
int LoadDbListFile(cCheckedVector<T>& list, const char* path) {
  cDataFile* file = DataFileOpenRead(path);
  if (!file) return 0;
  cCheckedVector<T> read(list);
  int ok = ReadDbList(read, *file);
  if (!DataFileClose(file) || !ok) return 0;
  // Texts lost their CR bytes as they were read (g_bStripCR), nested records' texts included.
  list.swap(read);
  return 1;
}

// Writes a list file as the editor does: the data version, the count, each entry. 1 when written.
template <class T>
int WriteDbList(cCheckedVector<T>& list, const char* path) {
  cDataFile* file = DataFileOpenWrite(path);
  if (!file) return 0;
  file->WriteValue(static_cast<int32_t>(list.size()));
  for (auto& entry : list) entry.Write(*file);
  return DataFileClose(file);
}
