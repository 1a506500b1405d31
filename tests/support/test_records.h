// Small record classes for the record framework's own tests.
#pragma once
#include <cstdint>
#include <string>

#include "core/record.h"

// int32, int16[2], int8, two strings: the layout of the golden-bytes example, plus a double and a
// member stored only from version 900 (older files kept a discarded int32 in its place).
class cGoldenRec : public cDataRecord {
 public:
  int32_t m_nA = 0;
  int16_t m_sB[2] = {0, 0};
  int8_t m_cC = 0;
  std::string m_strX, m_strY;
  bool m_bExtended = false;  // registers the double and the versioned member too

  explicit cGoldenRec(bool extended = false) : m_bExtended(extended) {
    RegisterFields(g_nDataVersion);
    Clear();
  }
  // The two layouts are two kinds of record.
  int FieldVariant() const override { return m_bExtended ? 1 : 0; }
  void RegisterFields(int version) override {
    ClearFields();
    AddField32(&m_nA);
    AddField16(m_sB, 2);
    AddField8(&m_cC);
    if (m_bExtended) {
      AddField64(&m_dD);
      if (version >= 900) AddField16(&m_sNew);
      else AddField32(&g_nDiscardField);
      AddField16(&m_sNeg);
    }
    AddString(&m_strX);
    AddString(&m_strY);
  }
  double m_dD = 0;
  int16_t m_sNew = 0;
  int16_t m_sNeg = 0;
};

// An element with a tail of its own (a byte vector), held in a list by cHolderRec.
class cLeafRec : public cDataRecord {
 public:
  int32_t m_nId = 0;
  std::string m_strName;
  cCheckedVector<uint8_t> m_vBytes;
  cLeafRec() {
    RegisterFields(g_nDataVersion);
    Clear();
    m_nId = -1;  // a default that differs from zero
  }
  void RegisterFields(int) override {
    ClearFields();
    AddField32(&m_nId);
    AddString(&m_strName);
  }
  int Read(cDataFile& f) override { return cDataRecord::Read(f) && ReadValueVector(m_vBytes, f); }
  int Write(cDataFile& f) override {
    cDataRecord::Write(f);
    WriteValueVector(m_vBytes, f);
    return f.Failed() ? 0 : 1;
  }
};

class cHolderRec : public cDataRecord {
 public:
  int32_t m_nCount = 0;
  std::string m_strTitle;
  cCheckedVector<cLeafRec> m_vLeaf;
  cHolderRec() {
    RegisterFields(g_nDataVersion);
    Clear();
  }
  void RegisterFields(int) override {
    ClearFields();
    AddField32(&m_nCount);
    AddString(&m_strTitle);
  }
  int Read(cDataFile& f) override { return cDataRecord::Read(f) && ReadRecordVector(m_vLeaf, f); }
  int Write(cDataFile& f) override {
    cDataRecord::Write(f);
    WriteRecordVector(m_vLeaf, f);
    return f.Failed() ? 0 : 1;
  }
};
