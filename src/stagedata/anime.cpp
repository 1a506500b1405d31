#include "stagedata/anime.h"

#include "stagedata/database.h"
#include "stagedata/dbrecord.h"

cAnimFrameTable g_AnimeFrameTables;

void cAnimFrame::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_nValue);
  AddField32(&m_nDuration);
  AddField32(&m_bHold);
}

cAnimeData::cAnimeData() { Reset(); }

void cAnimeData::Reset() {
  Clear();
  m_vFrame.assign(1, cAnimFrame());
  m_nExtraB = 1;
}

void cAnimeData::RegisterFields(int version) {
  ClearFields();
  if (version >= 55) {
    AddField16(&m_nExtraA);
    AddField8(&m_nExtraB);
    AddField16(&m_nExtraC);
  }
  AddString(&m_strName);
}

int cAnimeData::Read(cDataFile& file) { return ReadBodyWithList(*this, m_vFrame, file); }

int cAnimeData::Write(cDataFile& file) { return WriteBodyWithList(*this, m_vFrame, file); }

cAnimeSetData::cAnimeSetData() { Normalize(); }

void cAnimeSetData::Normalize() {
  Clear();
  m_nFrameOfsInvincible = 4;
  m_nFrameOfsStatus = 8;
  m_nFrameOfsFlying = 0;
  static const char* const kNames[4] = {"立ち", "立ち移動", "飛行", "飛行移動"};
  m_vMotion.assign(4, cAnimeData());
  for (int i = 0; i < 4; ++i) m_vMotion[i].m_strName = kNames[i];
}

void cAnimeSetData::RegisterFields(int version) {
  ClearFields();
  AddField32(&m_nFrameOfsInvincible);
  AddField32(&m_nFrameOfsStatus);
  if (version >= 119) AddField32(&m_nFrameOfsFlying);
  AddString(&m_strName);
}

int cAnimeSetData::Read(cDataFile& file) {
  if (!ReadBodyWithList(*this, m_vMotion, file)) return 0;
  // Sets before 128 had exactly four motions, and the two flying ones got their names then. A
  // shorter list is padded with reset animations, a longer one loses what follows motion 3.
  if (g_nFileDataVersion < 128) {
    m_vMotion.resize(4);
    m_vMotion[2].m_strName = "飛行";
    m_vMotion[3].m_strName = "飛行移動";
  }
  return 1;
}

int cAnimeSetData::Write(cDataFile& file) { return WriteBodyWithList(*this, m_vMotion, file); }

void BuildAnimeFrameTables(cAnimFrameTable& table) {
  BuildFrameTable(table, g_Database.m_vAnime, &cAnimeData::m_vFrame);
}
