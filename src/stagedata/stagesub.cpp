#include "stagedata/stagesub.h"

cStageSubRec::cStageSubRec() { Clear(); }

void cStageSubRec::RegisterFields(int version) {
  ClearFields();
  AddField32(&m_bLeft);
  if (version >= 125) {
    AddField32(&m_bRight);
    AddField32(&m_bTop);
    AddField32(&m_bBottom);
  }
  AddField32(&m_nLeft);
  AddField32(&m_nRight);
  AddField32(&m_nTop);
  AddField32(&m_nBottom);
}

void cStageSubRec::Set(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t marginLeft,
                       int32_t marginRight, int32_t marginTop, int32_t marginBottom) {
  m_bLeft = left;
  m_bRight = right;
  m_bTop = top;
  m_bBottom = bottom;
  m_nLeft = marginLeft;
  m_nRight = marginRight;
  m_nTop = marginTop;
  m_nBottom = marginBottom;
}

cBackLayerData::cBackLayerData() { SetDefaults(); }

void cBackLayerData::SetDefaults() {
  Clear();
  m_bShow = 1;
  m_nColor = 16;
  m_dRateX = 0.1;
  m_dRateY = 0.1;
}

// Versions up to 60 stored the fill, colour and pass and two values without meaning; 61 added the
// rates and switches; 62 the show switch and the offsets in place of the two values; 876 the speeds.
void cBackLayerData::RegisterFields(int version) {
  ClearFields();
  if (version >= 62) AddField32(&m_bShow);
  AddField32(&m_bFill);
  AddField32(&m_nColor);
  AddField32(&m_nPass);
  if (version >= 61) {
    AddField64(&m_dRateX);
    AddField64(&m_dRateY);
    AddField32(&m_bAutoX);
    AddField32(&m_bAutoY);
  }
  if (version >= 876) {
    AddField64(&m_dAutoSpeedX);
    AddField64(&m_dAutoSpeedY);
  }
  AddString(&m_strPicture);
  if (version >= 62) {
    AddField64(&m_dAutoPosX);
    AddField64(&m_dAutoPosY);
  } else {
    AddField32(&g_nDiscardField);
    AddField32(&g_nDiscardField);
  }
}

void cBackLayerData::ConvertOldAutoScroll() {
  if (m_bAutoX) {
    m_dAutoSpeedX = m_dRateX;
    m_dRateX = 1.0;
  }
  if (m_bAutoY) {
    m_dAutoSpeedY = m_dRateY;
    m_dRateY = 1.0;
  }
}

cStringRec::cStringRec() { Clear(); }

void cStringRec::RegisterFields(int /*version*/) {
  ClearFields();
  AddString(&m_strText);
}
