#include "stagedata/database.h"

#include <type_traits>

#include "stagedata/loaderror.h"

cDatabase g_Database;

cDatabase::cDatabase() { SetDefaults(); }

void cDatabase::SetDefaults() {
  Clear();
  m_vAnimeSet.assign(1, cAnimeSetData());
  m_vAnime.assign(2, cAnimeData());
  m_vAnime[0].m_strName = "なし";
  m_vAnime[1].m_strName = "アクションA";
  m_vBmpCharaExc.assign(2, cBmpCharaExcData());
  m_vSwordType.assign(1, cSwordTypeData());
  m_vEffect.assign(2, cEffectData());
  m_vCharaEffect.assign(2, cCharaEffectData());
  m_vScrEffect.assign(2, cScrEffectData());
  m_vPicture.assign(2, cPictureData());
  m_vSound.assign(2, cSoundData());
  m_vBgm.assign(2, cBgmData());
}

int cDatabase::Load() {
  bool ok = ForEachFile([this](auto& list, const char* path) {
    if (!LoadDbListFile(list, path)) {
      ShowLoadError(path);
      return false;
    }
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(list)>, decltype(m_vSwordType)>) {
      // Files before 828 chose a sword type by a signed byte: only the first 128 can be reached.
      if (g_nFileDataVersion < 828 && m_vSwordType.size() > 128) m_vSwordType.resize(128);
    }
    return true;
  });
  if (!ok) return 0;
  ClearEffectKindZero();
  return 1;
}

void cDatabase::ClearEffectKindZero() {
  if (!m_vCharaEffect.empty()) m_vCharaEffect[0].m_nKind = 0;
  if (!m_vScrEffect.empty()) m_vScrEffect[0].m_nKind = 0;
}
